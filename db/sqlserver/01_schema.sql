-- Suite database of the asset establishment component on SQL Server (2008 or later), reached
-- through FreeTDS ODBC with Provider=SQLOLEDB.1 connection strings. Run the scripts of this folder
-- in the order of their names with sqlcmd (or any tool that reads GO between batches) in an empty
-- database whose collation is case-insensitive, e.g. Persian_100_CI_AI:
--     sqlcmd -S server -d suite -U user -i 01_schema.sql -i 02_views.sql -i 03_grants.sql -i 04_procedures.sql
-- The same suite as db/postgresql and db/sqlite, in SQL Server's own types: texts nvarchar,
-- money columns money (every amount of its range exact), dates date with their Persian twins as
-- 'yyyy/MM/dd' text, identities IDENTITY(1,1). The component's statements reach SQL Server as the
-- forms build them; their like is the collation's (case-blind with a _CI collation).

-- ---------------------------------------------------------------- people and roles

CREATE TABLE tblEmployee (
    ID            int IDENTITY(1,1) PRIMARY KEY,
    PersonnelNo   nvarchar(400),
    FirstName     nvarchar(400) NOT NULL,
    LastName      nvarchar(400) NOT NULL,
    NationalCode  nvarchar(400),
    -- 1: may keep assets on behalf of the organisation (listed by vwAssetAccountableMajor)
    IsAccountable int NOT NULL DEFAULT 0 CHECK (IsAccountable IN (0, 1)),
    IsActive      int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblOrvoUser (
    ID         int IDENTITY(1,1) PRIMARY KEY,
    UserName   nvarchar(400) NOT NULL,
    Name       nvarchar(400) NOT NULL,
    EmployeeID int REFERENCES tblEmployee(ID) ON DELETE SET NULL,
    IsActive   int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);
-- User names are unique whatever their letter case (the database's collation is
-- case-insensitive, as SQL Server's default is).
CREATE UNIQUE INDEX uxOrvoUserName ON tblOrvoUser (UserName);

-- Roles held by each user; spOrvoHasPermission looks one up.
CREATE TABLE tblOrvoUserPermission (
    UserID           int NOT NULL REFERENCES tblOrvoUser(ID) ON DELETE CASCADE,
    FormPermissionID int NOT NULL,
    PRIMARY KEY (UserID, FormPermissionID)
);

-- Log of what users did on forms, written by spOrvoInsertFormAction.
CREATE TABLE tblOrvoFormAction (
    ID             int IDENTITY(1,1) PRIMARY KEY,
    EventID        int,
    FormCode       nvarchar(50),
    FormTypeID     int,
    Description    nvarchar(1000),
    UserID         int,
    EventDate      datetime2(0),
    FarsiEventDate nvarchar(10),
    EventTime      int
);
CREATE INDEX ixOrvoFormActionForm ON tblOrvoFormAction(FormTypeID, FormCode);

-- ---------------------------------------------------------------- settings

-- One row: the folder under which external attachments live (NULL: media paths are complete).
CREATE TABLE tblOrvoSetting (
    ID       int PRIMARY KEY CHECK (ID = 1),
    BasePath nvarchar(400)
);
INSERT INTO tblOrvoSetting (ID, BasePath) VALUES (1, NULL);

-- ---------------------------------------------------------------- lookups

CREATE TABLE tblAssetEstablishmentType (
    ID       int IDENTITY(1,1) PRIMARY KEY,
    Name     nvarchar(400) NOT NULL,
    IsActive int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAssetStatusType (
    ID       int IDENTITY(1,1) PRIMARY KEY,
    Name     nvarchar(400) NOT NULL,
    IsActive int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAssetCategory (
    ID              int IDENTITY(1,1) PRIMARY KEY,
    Code            nvarchar(400),
    Name            nvarchar(400) NOT NULL,
    UsefulLifeYears int,
    IsActive        int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAssetGroup (
    ID         int IDENTITY(1,1) PRIMARY KEY,
    CategoryID int NOT NULL REFERENCES tblAssetCategory(ID),
    Code       nvarchar(400),
    Name       nvarchar(400) NOT NULL,
    IsActive   int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);
CREATE INDEX ixAssetGroupCategory ON tblAssetGroup(CategoryID);

CREATE TABLE tblOrvoInternalLocation (
    ID       int IDENTITY(1,1) PRIMARY KEY,
    Name     nvarchar(400) NOT NULL,
    IsActive int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAccountCostCenter (
    ID       int IDENTITY(1,1) PRIMARY KEY,
    Code     nvarchar(400),
    Name     nvarchar(400) NOT NULL,
    IsActive int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAccountBranch (
    ID       int IDENTITY(1,1) PRIMARY KEY,
    Code     nvarchar(400),
    Name     nvarchar(400) NOT NULL,
    IsActive int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

-- ---------------------------------------------------------------- assets

-- One registered asset. Every column but ID may be NULL: the form inserts the required values
-- first and then writes every column, empty ones as NULL. The lookup IDs carry no foreign keys
-- on purpose: the form stores what its selectors hold, and the search reads the names through
-- the lookup views.
CREATE TABLE tblAssetEstablishment (
    ID                    int IDENTITY(1,1) PRIMARY KEY,
    CreatorID             int,
    LabelNo               nvarchar(400),
    OldLabelNo            nvarchar(400),
    Code                  nvarchar(400),
    Name                  nvarchar(400),
    UtilizationDate       date,
    FarsiUtilizationDate nvarchar(10) CHECK (FarsiUtilizationDate = '' OR FarsiUtilizationDate LIKE '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    CreateDate            date,
    FarsiCreateDate nvarchar(10) CHECK (FarsiCreateDate = '' OR FarsiCreateDate LIKE '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    TypeID                int,
    Cost                  money,
    AccumulatedCost       money,
    AbortCost             money,
    OfficeMaxCost         money,
    StatusTypeID          int,
    DocumentNo            nvarchar(400),
    DocumentDate          date,
    FarsiDocumentDate nvarchar(10) CHECK (FarsiDocumentDate = '' OR FarsiDocumentDate LIKE '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    ReevaluationDate      date,
    FarsiReevaluationDate nvarchar(10) CHECK (FarsiReevaluationDate = '' OR FarsiReevaluationDate LIKE '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    GroupID               int,
    LocationID            int,
    OrganizationLocation  nvarchar(400),
    AccountableID         int,
    ResponsibleID         int,
    CostCenterID          int,
    BranchID              int,
    Description           nvarchar(max)
);

-- Moves of an asset between internal locations. No cascade: an asset that has moved is part of
-- the history and cannot be deleted.
CREATE TABLE tblAssetMovement (
    ID              int IDENTITY(1,1) PRIMARY KEY,
    EstablishmentID int NOT NULL REFERENCES tblAssetEstablishment(ID),
    MoveDate        date NOT NULL,
    FarsiMoveDate   nvarchar(10),
    FromLocationID  int,
    ToLocationID    int,
    Description     nvarchar(max)
);
CREATE INDEX ixAssetMovementEstablishment ON tblAssetMovement(EstablishmentID);

-- ---------------------------------------------------------------- properties by category

-- ValueKind says how a value of the property is entered and kept (always as text):
--   'text'    free text;
--   'number'  a plain decimal number in ASCII digits ('1397', '12.5');
--   'date'    a Persian date 'yyyy/MM/dd';
--   'choice'  one of the values tblAssetPropertyTypeChoice lists for the type.
CREATE TABLE tblAssetPropertyType (
    ID        int IDENTITY(1,1) PRIMARY KEY,
    Name      nvarchar(400) NOT NULL,
    ValueKind nvarchar(400) NOT NULL DEFAULT 'text' CHECK (ValueKind IN ('text', 'number', 'date', 'choice')),
    IsActive  int NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

-- The values a property of ValueKind 'choice' may take, offered in SortOrder. A value stored for
-- an asset is the text itself, so removing a choice here leaves the stored values as they are.
CREATE TABLE tblAssetPropertyTypeChoice (
    ID             int IDENTITY(1,1) PRIMARY KEY,
    PropertyTypeID int NOT NULL REFERENCES tblAssetPropertyType(ID) ON DELETE CASCADE,
    Value          nvarchar(400) NOT NULL,
    SortOrder      int NOT NULL DEFAULT 0,
    UNIQUE (PropertyTypeID, Value)
);

-- The properties asked for the assets of a category, in SortOrder.
CREATE TABLE tblAssetCategoryProperty (
    CategoryID     int NOT NULL REFERENCES tblAssetCategory(ID) ON DELETE CASCADE,
    PropertyTypeID int NOT NULL REFERENCES tblAssetPropertyType(ID),
    SortOrder      int NOT NULL DEFAULT 0,
    PRIMARY KEY (CategoryID, PropertyTypeID)
);

-- Property values of one asset; they go with the asset when it is deleted.
CREATE TABLE tblAssetEstablishmentPropertyData (
    EstablishmentID int NOT NULL REFERENCES tblAssetEstablishment(ID) ON DELETE CASCADE,
    PropertyTypeID  int NOT NULL REFERENCES tblAssetPropertyType(ID),
    Value           nvarchar(400),
    PRIMARY KEY (EstablishmentID, PropertyTypeID)
);

-- ---------------------------------------------------------------- attachments

-- Files attached to a record of any form, numbered per record from 1. Stored files keep their
-- bytes in FileData (isExternal 0); external ones point at MediaPath, taken below the BasePath of
-- vwOrvoBasePath when that is set. No foreign key: rows of every form live here.
CREATE TABLE tblOrvoFormAttachment (
    FormTypeID    int NOT NULL,
    FormID        int NOT NULL,
    RowNumber     int NOT NULL,
    Title         nvarchar(400),
    isExternal    int CHECK (isExternal IN (0, 1)),
    MediaPath     nvarchar(400),
    FileExtension nvarchar(400),
    FileData      varbinary(max),
    CreateDate    date,
    UserID        int,
    PRIMARY KEY (FormTypeID, FormID, RowNumber)
);

-- ---------------------------------------------------------------- accounting

CREATE TABLE tblAccountDocument (
    ID                int IDENTITY(1,1) PRIMARY KEY,
    DocumentNo        int NOT NULL,
    DocumentDate      date NOT NULL,
    FarsiDocumentDate nvarchar(10) NOT NULL,
    BranchID          int,
    CreatorID         int,
    Description       nvarchar(max),
    IsFinal           int NOT NULL DEFAULT 0 CHECK (IsFinal IN (0, 1))
);

-- Rows of a document; FormTypeID/FormID name the form record a row was generated from.
CREATE TABLE tblAccountDocumentDetail (
    ID           int IDENTITY(1,1) PRIMARY KEY,
    DocumentID   int NOT NULL REFERENCES tblAccountDocument(ID) ON DELETE CASCADE,
    RowNumber    int NOT NULL,
    AccountCode  nvarchar(400),
    AccountTitle nvarchar(400),
    CostCenterID int,
    FormID       int,
    FormTypeID   int,
    Description  nvarchar(max),
    Debit        money NOT NULL DEFAULT 0,
    Credit       money NOT NULL DEFAULT 0
);
CREATE INDEX ixAccountDocumentDetailDocument ON tblAccountDocumentDetail(DocumentID);
CREATE INDEX ixAccountDocumentDetailForm ON tblAccountDocumentDetail(FormTypeID, FormID);

-- ---------------------------------------------------------------- reports

CREATE TABLE tblOrvoReportTemplate (
    ID         int IDENTITY(1,1) PRIMARY KEY,
    FormTypeID int NOT NULL,
    Title      nvarchar(400) NOT NULL,
    FilePath   nvarchar(400)
);
CREATE INDEX ixOrvoReportTemplateForm ON tblOrvoReportTemplate(FormTypeID);
GO

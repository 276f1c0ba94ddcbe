-- Suite database of the asset establishment component, embedded engine (SQLite 3).
--
-- Conventions shared with the statements the component sends:
--   * calendar dates are TEXT 'yyyy-MM-dd' without a time part and are compared by equality;
--     their Persian twins are TEXT 'yyyy/MM/dd' (ASCII digits);
--   * money (four decimals, -922337203685477.5808 to 922337203685477.5807) is DECIMAL TEXT(19,4):
--     the exact decimal text in its shortest form ('1450000000', '12.5', '-0.0001'). SQLite has
--     no exact decimal type. A double keeps 15 to 17 significant digits and an amount has up to
--     19, and a NUMERIC column turns even the text '98765432109876.25' into a double; text keeps
--     every digit. "TEXT" in the type name gives the column text affinity (an integer written
--     into it is stored as its digits); the whole name tells the backend to read the column as
--     money, straight into an exact amount. Statements carry decimal literals as text for the
--     same reason (the backend's T-SQL adapter); scripts and tools that write here directly must
--     quote amounts with a fraction too, since SQLite reads an unquoted 98765432109876.25 as a
--     double before the column sees it. The CHECK admits nothing but the shortest text within
--     the range, so a malformed or out-of-range amount is refused, never stored. SQL
--     ordering and arithmetic on these columns are not exact (text sorts as text, sums go
--     through doubles): the program adds amounts itself. Databases of user_version 1 declared
--     money NUMERIC(19,4) and hold fractions as REAL; the backend reads those at four decimals;
--   * identifiers the database assigns are INTEGER PRIMARY KEY AUTOINCREMENT;
--   * the backend turns PRAGMA foreign_keys on for every connection, the constraints live here.
-- Scripts numbered below 10 build the suite and run in one transaction; 10 and above are demo
-- data and run in the same transaction only when a demo database is made.

PRAGMA user_version = 2;

-- ---------------------------------------------------------------- people and roles

CREATE TABLE tblEmployee (
    ID            INTEGER PRIMARY KEY AUTOINCREMENT,
    PersonnelNo   TEXT,
    FirstName     TEXT NOT NULL,
    LastName      TEXT NOT NULL,
    NationalCode  TEXT,
    -- 1: may keep assets on behalf of the organisation (listed by vwAssetAccountableMajor)
    IsAccountable INTEGER NOT NULL DEFAULT 0 CHECK (IsAccountable IN (0, 1)),
    IsActive      INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblOrvoUser (
    ID         INTEGER PRIMARY KEY AUTOINCREMENT,
    UserName   TEXT NOT NULL UNIQUE COLLATE NOCASE,
    Name       TEXT NOT NULL,
    EmployeeID INTEGER REFERENCES tblEmployee(ID) ON DELETE SET NULL,
    IsActive   INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

-- Roles held by each user. The embedded backend answers spOrvoHasPermission(UserID,
-- FormPermissionID) with
--     select count(*) from tblOrvoUserPermission where UserID=? and FormPermissionID=?
-- and a count above 0 means permitted; the primary key makes that one index probe.
CREATE TABLE tblOrvoUserPermission (
    UserID           INTEGER NOT NULL REFERENCES tblOrvoUser(ID) ON DELETE CASCADE,
    FormPermissionID INTEGER NOT NULL,
    PRIMARY KEY (UserID, FormPermissionID)
) WITHOUT ROWID;

-- Log of what users did on forms. spOrvoInsertFormAction is a plain insert into this table;
-- EventDate carries a time part when the event has one ('yyyy-MM-dd HH:mm:ss').
CREATE TABLE tblOrvoFormAction (
    ID             INTEGER PRIMARY KEY AUTOINCREMENT,
    EventID        INTEGER,
    FormCode       TEXT,
    FormTypeID     INTEGER,
    Description    TEXT,
    UserID         INTEGER,
    EventDate      TEXT,
    FarsiEventDate TEXT,
    EventTime      INTEGER
);
CREATE INDEX ixOrvoFormActionForm ON tblOrvoFormAction(FormTypeID, FormCode);

-- ---------------------------------------------------------------- settings

-- One row: the folder under which external attachments live (NULL: media paths are complete).
CREATE TABLE tblOrvoSetting (
    ID       INTEGER PRIMARY KEY CHECK (ID = 1),
    BasePath TEXT
);
INSERT INTO tblOrvoSetting (ID, BasePath) VALUES (1, NULL);

-- ---------------------------------------------------------------- lookups

CREATE TABLE tblAssetEstablishmentType (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Name     TEXT NOT NULL,
    IsActive INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAssetStatusType (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Name     TEXT NOT NULL,
    IsActive INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAssetCategory (
    ID              INTEGER PRIMARY KEY AUTOINCREMENT,
    Code            TEXT,
    Name            TEXT NOT NULL,
    UsefulLifeYears INTEGER,
    IsActive        INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAssetGroup (
    ID         INTEGER PRIMARY KEY AUTOINCREMENT,
    CategoryID INTEGER NOT NULL REFERENCES tblAssetCategory(ID),
    Code       TEXT,
    Name       TEXT NOT NULL,
    IsActive   INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);
CREATE INDEX ixAssetGroupCategory ON tblAssetGroup(CategoryID);

CREATE TABLE tblOrvoInternalLocation (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Name     TEXT NOT NULL,
    IsActive INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAccountCostCenter (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Code     TEXT,
    Name     TEXT NOT NULL,
    IsActive INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

CREATE TABLE tblAccountBranch (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Code     TEXT,
    Name     TEXT NOT NULL,
    IsActive INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

-- ---------------------------------------------------------------- assets

-- One registered asset. Every column but ID may be NULL: the form inserts the required values
-- first and then writes every column, empty ones as NULL. The lookup IDs carry no foreign keys
-- on purpose: the form stores what its selectors hold, and the search reads the names through
-- the lookup views. The checks keep dates in the one form equality searches rely on.
CREATE TABLE tblAssetEstablishment (
    ID                    INTEGER PRIMARY KEY AUTOINCREMENT,
    CreatorID             INTEGER,
    LabelNo               TEXT,
    OldLabelNo            TEXT,
    Code                  TEXT,
    Name                  TEXT,
    UtilizationDate       TEXT CHECK (UtilizationDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    FarsiUtilizationDate  TEXT CHECK (FarsiUtilizationDate = '' OR FarsiUtilizationDate GLOB '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    CreateDate            TEXT CHECK (CreateDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    FarsiCreateDate       TEXT CHECK (FarsiCreateDate = '' OR FarsiCreateDate GLOB '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    TypeID                INTEGER,
    Cost                  DECIMAL TEXT(19,4) CHECK (Cost IS NULL OR (typeof(Cost) = 'text'
        AND (ltrim(Cost, '-') GLOB '[1-9]*' OR ltrim(Cost, '-') GLOB '0.*' OR Cost = '0')
        AND NOT substr(Cost, 2) GLOB '*[^0-9.]*' AND NOT Cost GLOB '*.*.*'
        AND NOT Cost GLOB '*.' AND NOT Cost GLOB '*.*0' AND NOT Cost GLOB '*.?????*'
        AND instr(ltrim(Cost, '-') || '.', '.') <= 16
        AND (instr(ltrim(Cost, '-') || '.', '.') < 16
            OR substr(ltrim(Cost, '-') || iif(instr(Cost, '.'), '', '.') || '0000', 1, 20)
                <= iif(Cost GLOB '-*', '922337203685477.5808', '922337203685477.5807')))),
    AccumulatedCost       DECIMAL TEXT(19,4) CHECK (AccumulatedCost IS NULL OR (typeof(AccumulatedCost) = 'text'
        AND (ltrim(AccumulatedCost, '-') GLOB '[1-9]*' OR ltrim(AccumulatedCost, '-') GLOB '0.*' OR AccumulatedCost = '0')
        AND NOT substr(AccumulatedCost, 2) GLOB '*[^0-9.]*' AND NOT AccumulatedCost GLOB '*.*.*'
        AND NOT AccumulatedCost GLOB '*.' AND NOT AccumulatedCost GLOB '*.*0' AND NOT AccumulatedCost GLOB '*.?????*'
        AND instr(ltrim(AccumulatedCost, '-') || '.', '.') <= 16
        AND (instr(ltrim(AccumulatedCost, '-') || '.', '.') < 16
            OR substr(ltrim(AccumulatedCost, '-') || iif(instr(AccumulatedCost, '.'), '', '.') || '0000', 1, 20)
                <= iif(AccumulatedCost GLOB '-*', '922337203685477.5808', '922337203685477.5807')))),
    AbortCost             DECIMAL TEXT(19,4) CHECK (AbortCost IS NULL OR (typeof(AbortCost) = 'text'
        AND (ltrim(AbortCost, '-') GLOB '[1-9]*' OR ltrim(AbortCost, '-') GLOB '0.*' OR AbortCost = '0')
        AND NOT substr(AbortCost, 2) GLOB '*[^0-9.]*' AND NOT AbortCost GLOB '*.*.*'
        AND NOT AbortCost GLOB '*.' AND NOT AbortCost GLOB '*.*0' AND NOT AbortCost GLOB '*.?????*'
        AND instr(ltrim(AbortCost, '-') || '.', '.') <= 16
        AND (instr(ltrim(AbortCost, '-') || '.', '.') < 16
            OR substr(ltrim(AbortCost, '-') || iif(instr(AbortCost, '.'), '', '.') || '0000', 1, 20)
                <= iif(AbortCost GLOB '-*', '922337203685477.5808', '922337203685477.5807')))),
    OfficeMaxCost         DECIMAL TEXT(19,4) CHECK (OfficeMaxCost IS NULL OR (typeof(OfficeMaxCost) = 'text'
        AND (ltrim(OfficeMaxCost, '-') GLOB '[1-9]*' OR ltrim(OfficeMaxCost, '-') GLOB '0.*' OR OfficeMaxCost = '0')
        AND NOT substr(OfficeMaxCost, 2) GLOB '*[^0-9.]*' AND NOT OfficeMaxCost GLOB '*.*.*'
        AND NOT OfficeMaxCost GLOB '*.' AND NOT OfficeMaxCost GLOB '*.*0' AND NOT OfficeMaxCost GLOB '*.?????*'
        AND instr(ltrim(OfficeMaxCost, '-') || '.', '.') <= 16
        AND (instr(ltrim(OfficeMaxCost, '-') || '.', '.') < 16
            OR substr(ltrim(OfficeMaxCost, '-') || iif(instr(OfficeMaxCost, '.'), '', '.') || '0000', 1, 20)
                <= iif(OfficeMaxCost GLOB '-*', '922337203685477.5808', '922337203685477.5807')))),
    StatusTypeID          INTEGER,
    DocumentNo            TEXT,
    DocumentDate          TEXT CHECK (DocumentDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    FarsiDocumentDate     TEXT CHECK (FarsiDocumentDate = '' OR FarsiDocumentDate GLOB '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    ReevaluationDate      TEXT CHECK (ReevaluationDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    FarsiReevaluationDate TEXT CHECK (FarsiReevaluationDate = '' OR FarsiReevaluationDate GLOB '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]'),
    GroupID               INTEGER,
    LocationID            INTEGER,
    OrganizationLocation  TEXT,
    AccountableID         INTEGER,
    ResponsibleID         INTEGER,
    CostCenterID          INTEGER,
    BranchID              INTEGER,
    Description           TEXT
);

-- Moves of an asset between internal locations. No cascade: an asset that has moved is part of
-- the history and cannot be deleted.
CREATE TABLE tblAssetMovement (
    ID              INTEGER PRIMARY KEY AUTOINCREMENT,
    EstablishmentID INTEGER NOT NULL REFERENCES tblAssetEstablishment(ID),
    MoveDate        TEXT NOT NULL CHECK (MoveDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    FarsiMoveDate   TEXT,
    FromLocationID  INTEGER,
    ToLocationID    INTEGER,
    Description     TEXT
);
CREATE INDEX ixAssetMovementEstablishment ON tblAssetMovement(EstablishmentID);

-- ---------------------------------------------------------------- properties by category

-- ValueKind says how a value of the property is entered and kept (always as text):
--   'text'    free text;
--   'number'  a plain decimal number in ASCII digits ('1397', '12.5');
--   'date'    a Persian date 'yyyy/MM/dd';
--   'choice'  one of the values tblAssetPropertyTypeChoice lists for the type.
CREATE TABLE tblAssetPropertyType (
    ID        INTEGER PRIMARY KEY AUTOINCREMENT,
    Name      TEXT NOT NULL,
    ValueKind TEXT NOT NULL DEFAULT 'text' CHECK (ValueKind IN ('text', 'number', 'date', 'choice')),
    IsActive  INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1))
);

-- The values a property of ValueKind 'choice' may take, offered in SortOrder. A value stored for
-- an asset is the text itself, so removing a choice here leaves the stored values as they are.
CREATE TABLE tblAssetPropertyTypeChoice (
    ID             INTEGER PRIMARY KEY AUTOINCREMENT,
    PropertyTypeID INTEGER NOT NULL REFERENCES tblAssetPropertyType(ID) ON DELETE CASCADE,
    Value          TEXT NOT NULL,
    SortOrder      INTEGER NOT NULL DEFAULT 0,
    UNIQUE (PropertyTypeID, Value)
);

-- The properties asked for the assets of a category, in SortOrder.
CREATE TABLE tblAssetCategoryProperty (
    CategoryID     INTEGER NOT NULL REFERENCES tblAssetCategory(ID) ON DELETE CASCADE,
    PropertyTypeID INTEGER NOT NULL REFERENCES tblAssetPropertyType(ID),
    SortOrder      INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (CategoryID, PropertyTypeID)
) WITHOUT ROWID;

-- Property values of one asset; they go with the asset when it is deleted.
CREATE TABLE tblAssetEstablishmentPropertyData (
    EstablishmentID INTEGER NOT NULL REFERENCES tblAssetEstablishment(ID) ON DELETE CASCADE,
    PropertyTypeID  INTEGER NOT NULL REFERENCES tblAssetPropertyType(ID),
    Value           TEXT,
    PRIMARY KEY (EstablishmentID, PropertyTypeID)
) WITHOUT ROWID;

-- ---------------------------------------------------------------- attachments

-- Files attached to a record of any form, numbered per record from 1. Stored files keep their
-- bytes in FileData (isExternal 0); external ones point at MediaPath, taken below the BasePath of
-- vwOrvoBasePath when that is set. No foreign key: rows of every form live here.
CREATE TABLE tblOrvoFormAttachment (
    FormTypeID    INTEGER NOT NULL,
    FormID        INTEGER NOT NULL,
    RowNumber     INTEGER NOT NULL,
    Title         TEXT,
    isExternal    INTEGER CHECK (isExternal IN (0, 1)),
    MediaPath     TEXT,
    FileExtension TEXT,
    FileData      BLOB,
    CreateDate    TEXT,
    UserID        INTEGER,
    PRIMARY KEY (FormTypeID, FormID, RowNumber)
);

-- ---------------------------------------------------------------- accounting

CREATE TABLE tblAccountDocument (
    ID                INTEGER PRIMARY KEY AUTOINCREMENT,
    DocumentNo        INTEGER NOT NULL,
    DocumentDate      TEXT NOT NULL,
    FarsiDocumentDate TEXT NOT NULL,
    BranchID          INTEGER,
    CreatorID         INTEGER,
    Description       TEXT,
    IsFinal           INTEGER NOT NULL DEFAULT 0 CHECK (IsFinal IN (0, 1))
);

-- Rows of a document; FormTypeID/FormID name the form record a row was generated from.
CREATE TABLE tblAccountDocumentDetail (
    ID           INTEGER PRIMARY KEY AUTOINCREMENT,
    DocumentID   INTEGER NOT NULL REFERENCES tblAccountDocument(ID) ON DELETE CASCADE,
    RowNumber    INTEGER NOT NULL,
    AccountCode  TEXT,
    AccountTitle TEXT,
    CostCenterID INTEGER,
    FormID       INTEGER,
    FormTypeID   INTEGER,
    Description  TEXT,
    Debit        DECIMAL TEXT(19,4) NOT NULL DEFAULT '0' CHECK (Debit IS NULL OR (typeof(Debit) = 'text'
        AND (ltrim(Debit, '-') GLOB '[1-9]*' OR ltrim(Debit, '-') GLOB '0.*' OR Debit = '0')
        AND NOT substr(Debit, 2) GLOB '*[^0-9.]*' AND NOT Debit GLOB '*.*.*'
        AND NOT Debit GLOB '*.' AND NOT Debit GLOB '*.*0' AND NOT Debit GLOB '*.?????*'
        AND instr(ltrim(Debit, '-') || '.', '.') <= 16
        AND (instr(ltrim(Debit, '-') || '.', '.') < 16
            OR substr(ltrim(Debit, '-') || iif(instr(Debit, '.'), '', '.') || '0000', 1, 20)
                <= iif(Debit GLOB '-*', '922337203685477.5808', '922337203685477.5807')))),
    Credit       DECIMAL TEXT(19,4) NOT NULL DEFAULT '0' CHECK (Credit IS NULL OR (typeof(Credit) = 'text'
        AND (ltrim(Credit, '-') GLOB '[1-9]*' OR ltrim(Credit, '-') GLOB '0.*' OR Credit = '0')
        AND NOT substr(Credit, 2) GLOB '*[^0-9.]*' AND NOT Credit GLOB '*.*.*'
        AND NOT Credit GLOB '*.' AND NOT Credit GLOB '*.*0' AND NOT Credit GLOB '*.?????*'
        AND instr(ltrim(Credit, '-') || '.', '.') <= 16
        AND (instr(ltrim(Credit, '-') || '.', '.') < 16
            OR substr(ltrim(Credit, '-') || iif(instr(Credit, '.'), '', '.') || '0000', 1, 20)
                <= iif(Credit GLOB '-*', '922337203685477.5808', '922337203685477.5807'))))
);
CREATE INDEX ixAccountDocumentDetailDocument ON tblAccountDocumentDetail(DocumentID);
CREATE INDEX ixAccountDocumentDetailForm ON tblAccountDocumentDetail(FormTypeID, FormID);

-- ---------------------------------------------------------------- reports

CREATE TABLE tblOrvoReportTemplate (
    ID         INTEGER PRIMARY KEY AUTOINCREMENT,
    FormTypeID INTEGER NOT NULL,
    Title      TEXT NOT NULL,
    FilePath   TEXT
);
CREATE INDEX ixOrvoReportTemplateForm ON tblOrvoReportTemplate(FormTypeID);

-- Lookup views read by the selectors (ID, Name) and by the search. Each pair lists the active
-- rows in its Major view and every row in its Minor view; ID is always the primary key of the
-- table underneath, so a lookup by ID is one index probe.

CREATE VIEW vwUserMajor AS
    SELECT ID, Name, UserName, EmployeeID FROM tblOrvoUser WHERE IsActive = 1;
CREATE VIEW vwUserMinor AS
    SELECT ID, Name, UserName, EmployeeID, IsActive FROM tblOrvoUser;

-- Employees; the asset keepers are employees too, so the keeper's name of an asset is found in
-- vwEmployeeMajor by AccountableID.
CREATE VIEW vwEmployeeMajor AS
    SELECT ID, FirstName || ' ' || LastName AS Name, PersonnelNo, FirstName, LastName
    FROM tblEmployee WHERE IsActive = 1;
CREATE VIEW vwEmployeeMinor AS
    SELECT ID, FirstName || ' ' || LastName AS Name, PersonnelNo, FirstName, LastName, IsActive
    FROM tblEmployee;

CREATE VIEW vwAssetAccountableMajor AS
    SELECT ID, FirstName || ' ' || LastName AS Name, PersonnelNo
    FROM tblEmployee WHERE IsAccountable = 1 AND IsActive = 1;
CREATE VIEW vwAssetAccountableMinor AS
    SELECT ID, FirstName || ' ' || LastName AS Name, PersonnelNo, IsActive
    FROM tblEmployee WHERE IsAccountable = 1;

CREATE VIEW vwAssetEstablishmentTypeMajor AS
    SELECT ID, Name FROM tblAssetEstablishmentType WHERE IsActive = 1;
CREATE VIEW vwAssetEstablishmentTypeMinor AS
    SELECT ID, Name, IsActive FROM tblAssetEstablishmentType;

CREATE VIEW vwAssetStatusTypeMajor AS
    SELECT ID, Name FROM tblAssetStatusType WHERE IsActive = 1;
CREATE VIEW vwAssetStatusTypeMinor AS
    SELECT ID, Name, IsActive FROM tblAssetStatusType;

CREATE VIEW vwAssetCategoryMajor AS
    SELECT ID, Name, Code, UsefulLifeYears FROM tblAssetCategory WHERE IsActive = 1;
CREATE VIEW vwAssetCategoryMinor AS
    SELECT ID, Name, Code, UsefulLifeYears, IsActive FROM tblAssetCategory;

CREATE VIEW vwAssetGroupMajor AS
    SELECT ID, Name, CategoryID, Code FROM tblAssetGroup WHERE IsActive = 1;
CREATE VIEW vwAssetGroupMinor AS
    SELECT ID, Name, CategoryID, Code, IsActive FROM tblAssetGroup;

CREATE VIEW vwOrvoInternalLocationMajor AS
    SELECT ID, Name FROM tblOrvoInternalLocation WHERE IsActive = 1;
CREATE VIEW vwOrvoInternalLocationMinor AS
    SELECT ID, Name, IsActive FROM tblOrvoInternalLocation;

CREATE VIEW vwAccountCostCenterMajor AS
    SELECT ID, Name, Code FROM tblAccountCostCenter WHERE IsActive = 1;
CREATE VIEW vwAccountCostCenterMinor AS
    SELECT ID, Name, Code, IsActive FROM tblAccountCostCenter;

CREATE VIEW vwAccountBranchMajor AS
    SELECT ID, Name, Code FROM tblAccountBranch WHERE IsActive = 1;
CREATE VIEW vwAccountBranchMinor AS
    SELECT ID, Name, Code, IsActive FROM tblAccountBranch;

CREATE VIEW vwAssetPropertyTypeMajor AS
    SELECT ID, Name, ValueKind FROM tblAssetPropertyType WHERE IsActive = 1;
CREATE VIEW vwAssetPropertyTypeMinor AS
    SELECT ID, Name, ValueKind, IsActive FROM tblAssetPropertyType;

-- The one-row setting of where external attachments live.
CREATE VIEW vwOrvoBasePath AS
    SELECT ID, BasePath FROM tblOrvoSetting;

-- Lookup views read by the selectors (ID, Name) and by the search. Each pair lists the active
-- rows in its Major view and every row in its Minor view; ID is always the primary key of the
-- table underneath, so a lookup by ID is one index probe.

CREATE VIEW vwUserMajor AS
    SELECT ID, Name, UserName, EmployeeID FROM tblOrvoUser WHERE IsActive = 1;
GO
CREATE VIEW vwUserMinor AS
    SELECT ID, Name, UserName, EmployeeID, IsActive FROM tblOrvoUser;
GO

-- Employees; the asset keepers are employees too, so the keeper's name of an asset is found in
-- vwEmployeeMajor by AccountableID.
CREATE VIEW vwEmployeeMajor AS
    SELECT ID, FirstName + N' ' + LastName AS Name, PersonnelNo, FirstName, LastName
    FROM tblEmployee WHERE IsActive = 1;
GO
CREATE VIEW vwEmployeeMinor AS
    SELECT ID, FirstName + N' ' + LastName AS Name, PersonnelNo, FirstName, LastName, IsActive
    FROM tblEmployee;
GO

CREATE VIEW vwAssetAccountableMajor AS
    SELECT ID, FirstName + N' ' + LastName AS Name, PersonnelNo
    FROM tblEmployee WHERE IsAccountable = 1 AND IsActive = 1;
GO
CREATE VIEW vwAssetAccountableMinor AS
    SELECT ID, FirstName + N' ' + LastName AS Name, PersonnelNo, IsActive
    FROM tblEmployee WHERE IsAccountable = 1;
GO

CREATE VIEW vwAssetEstablishmentTypeMajor AS
    SELECT ID, Name FROM tblAssetEstablishmentType WHERE IsActive = 1;
GO
CREATE VIEW vwAssetEstablishmentTypeMinor AS
    SELECT ID, Name, IsActive FROM tblAssetEstablishmentType;
GO

CREATE VIEW vwAssetStatusTypeMajor AS
    SELECT ID, Name FROM tblAssetStatusType WHERE IsActive = 1;
GO
CREATE VIEW vwAssetStatusTypeMinor AS
    SELECT ID, Name, IsActive FROM tblAssetStatusType;
GO

CREATE VIEW vwAssetCategoryMajor AS
    SELECT ID, Name, Code, UsefulLifeYears FROM tblAssetCategory WHERE IsActive = 1;
GO
CREATE VIEW vwAssetCategoryMinor AS
    SELECT ID, Name, Code, UsefulLifeYears, IsActive FROM tblAssetCategory;
GO

CREATE VIEW vwAssetGroupMajor AS
    SELECT ID, Name, CategoryID, Code FROM tblAssetGroup WHERE IsActive = 1;
GO
CREATE VIEW vwAssetGroupMinor AS
    SELECT ID, Name, CategoryID, Code, IsActive FROM tblAssetGroup;
GO

CREATE VIEW vwOrvoInternalLocationMajor AS
    SELECT ID, Name FROM tblOrvoInternalLocation WHERE IsActive = 1;
GO
CREATE VIEW vwOrvoInternalLocationMinor AS
    SELECT ID, Name, IsActive FROM tblOrvoInternalLocation;
GO

CREATE VIEW vwAccountCostCenterMajor AS
    SELECT ID, Name, Code FROM tblAccountCostCenter WHERE IsActive = 1;
GO
CREATE VIEW vwAccountCostCenterMinor AS
    SELECT ID, Name, Code, IsActive FROM tblAccountCostCenter;
GO

CREATE VIEW vwAccountBranchMajor AS
    SELECT ID, Name, Code FROM tblAccountBranch WHERE IsActive = 1;
GO
CREATE VIEW vwAccountBranchMinor AS
    SELECT ID, Name, Code, IsActive FROM tblAccountBranch;
GO

CREATE VIEW vwAssetPropertyTypeMajor AS
    SELECT ID, Name, ValueKind FROM tblAssetPropertyType WHERE IsActive = 1;
GO
CREATE VIEW vwAssetPropertyTypeMinor AS
    SELECT ID, Name, ValueKind, IsActive FROM tblAssetPropertyType;
GO

-- The one-row setting of where external attachments live.
CREATE VIEW vwOrvoBasePath AS
    SELECT ID, BasePath FROM tblOrvoSetting;
GO

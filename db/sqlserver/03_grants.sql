-- The built-in administrator (user 1) and the roles the asset establishment form asks for, so
-- that even an empty suite database has someone who may use the form:
--   111 opens the form; 102214801, 102214802, 102214803, 102214805, 102214809 and 303 guard
--   its commands.
SET IDENTITY_INSERT tblOrvoUser ON;
INSERT INTO tblOrvoUser (ID, UserName, Name, EmployeeID, IsActive)
VALUES (1, N'admin', N'مدیر سیستم', NULL, 1);
SET IDENTITY_INSERT tblOrvoUser OFF;

INSERT INTO tblOrvoUserPermission (UserID, FormPermissionID)
VALUES (1, 111), (1, 102214801), (1, 102214802), (1, 102214803), (1, 102214805), (1, 102214809),
       (1, 303);
GO

-- The suite's two stored procedures. The component calls them as
--     {? = CALL spOrvoHasPermission(?, ?)}
--     {? = CALL dbo.spOrvoInsertFormAction(?, ?, ?, ?, ?, ?, ?, ?)}
-- and reads the first one's return value (nonzero: permitted).

-- 1 when the user holds the role (a grant row in tblOrvoUserPermission), else 0.
CREATE PROCEDURE dbo.spOrvoHasPermission
    @UserID int,
    @FormPermissionID int
AS
BEGIN
    SET NOCOUNT ON;
    IF EXISTS (SELECT 1 FROM tblOrvoUserPermission
               WHERE UserID = @UserID AND FormPermissionID = @FormPermissionID)
        RETURN 1;
    RETURN 0;
END
GO

-- One entry of the form-action log. Returns 0.
CREATE PROCEDURE dbo.spOrvoInsertFormAction
    @EventID int,
    @FormCode nvarchar(50),
    @FormTypeID int,
    @Description nvarchar(1000),
    @UserID int,
    @EventDate datetime,
    @FarsiEventDate nvarchar(10),
    @EventTime int
AS
BEGIN
    SET NOCOUNT ON;
    INSERT INTO tblOrvoFormAction (EventID, FormCode, FormTypeID, Description, UserID, EventDate,
                                   FarsiEventDate, EventTime)
    VALUES (@EventID, @FormCode, @FormTypeID, @Description, @UserID, @EventDate, @FarsiEventDate,
            @EventTime);
    RETURN 0;
END
GO

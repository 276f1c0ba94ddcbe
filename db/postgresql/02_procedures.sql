-- The suite's two stored procedures as functions, and the like the component's searches use.

-- Nonzero when the user holds the role (a grant row in tblOrvoUserPermission).
CREATE FUNCTION spOrvoHasPermission(inUserID integer, inFormPermissionID integer)
RETURNS integer LANGUAGE sql STABLE AS $$
    SELECT CASE WHEN EXISTS (SELECT 1 FROM tblOrvoUserPermission
                             WHERE UserID = inUserID AND FormPermissionID = inFormPermissionID)
                THEN 1 ELSE 0 END
$$;

-- One entry of the form-action log; texts are cut to the parameters' widths. Returns 0.
CREATE FUNCTION spOrvoInsertFormAction(inEventID integer, inFormCode text, inFormTypeID integer,
    inDescription text, inUserID integer, inEventDate timestamp, inFarsiEventDate text,
    inEventTime integer)
RETURNS integer LANGUAGE sql AS $$
    INSERT INTO tblOrvoFormAction (EventID, FormCode, FormTypeID, Description, UserID, EventDate,
                                   FarsiEventDate, EventTime)
    VALUES (inEventID, left(inFormCode, 50), inFormTypeID, left(inDescription, 1000), inUserID,
            inEventDate, left(inFarsiEventDate, 10), inEventTime);
    SELECT 0;
$$;

-- The text a search compares: ASCII letters in lower case, the Arabic yeh and alef maksura as
-- the Persian yeh, the Arabic kaf as the Persian kaf, Persian and Arabic-Indic digits as ASCII
-- digits (names and plate numbers are typed with any of them).
CREATE FUNCTION vela_fold(t text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $$
    SELECT translate(lower(t), 'يىك۰۱۲۳۴۵۶۷۸۹٠١٢٣٤٥٦٧٨٩', 'ییک01234567890123456789')
$$;

-- a ~~~ b is the component's like: both sides folded, % and _ as wildcards, no escape character
-- (a backslash is a plain character, as in SQL Server and SQLite). The T-SQL adaptation writes
-- "a like b" as "a ~~~ b" and "a not like b" as "a !~~~ b". Like every operator of its own
-- kind it binds more tightly than comparisons, IS, NOT, AND and OR, and less tightly than
-- arithmetic, so the conditions the forms build keep their meaning.
CREATE FUNCTION vela_like(t text, p text) RETURNS boolean
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $$
    SELECT vela_fold(t) LIKE vela_fold(p) ESCAPE ''
$$;
CREATE FUNCTION vela_not_like(t text, p text) RETURNS boolean
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $$
    SELECT NOT (vela_fold(t) LIKE vela_fold(p) ESCAPE '')
$$;
CREATE OPERATOR ~~~ (LEFTARG = text, RIGHTARG = text, FUNCTION = vela_like, NEGATOR = !~~~);
CREATE OPERATOR !~~~ (LEFTARG = text, RIGHTARG = text, FUNCTION = vela_not_like, NEGATOR = ~~~);

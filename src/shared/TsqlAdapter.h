#pragma once
// Rewrites the component's T-SQL statement text for SQLite with a small lexer that never looks
// inside string literals, quoted identifiers or comments:
//   Isnull(a,b)            -> ifnull(a,b)        (ISNULL is an operator keyword in SQLite)
//   Delete tbl Where ...   -> Delete from tbl Where ...
//   expr as 'alias'        -> expr as "alias"
// getdate() and SCOPE_IDENTITY() stay as written: the backend registers them as functions.
#include <QString>

namespace vela {

QString adaptTsqlForSqlite(const QString &tsql);

} // namespace vela

#pragma once
// Rewrites the component's T-SQL statement text for SQLite with a small lexer that never looks
// inside string literals, quoted identifiers or comments:
//   Isnull(a,b)            -> ifnull(a,b)        (ISNULL is an operator keyword in SQLite)
//   Delete tbl Where ...   -> Delete from tbl Where ...
//   expr as 'alias'        -> expr as "alias"
//   Cost=-98765432109876.25 -> Cost='-98765432109876.25'
//   0x89504E47             -> X'89504E47'        (binary literals; 0xABC is 0x0ABC)
// getdate() and SCOPE_IDENTITY() stay as written: the backend registers them as functions.
//
// A numeric literal with a decimal point would be a double in SQLite, which holds 15 to 17
// significant digits; amounts have up to 19. Such a literal, with a sign directly before it, is
// therefore carried as exact text in its shortest form ("12.50" -> '12.5'). Money columns keep
// that text (see the schema); a numeric column or arithmetic turns it into a number as before.
// Whole numbers (exact 64-bit integers in SQLite) and literals with an exponent stay as written.
#include <QString>

namespace vela {

QString adaptTsqlForSqlite(const QString &tsql);

} // namespace vela

#pragma once
// Rewrites the component's T-SQL statement text for SQLite with a small lexer that never looks
// inside string literals, quoted identifiers or comments:
//   Isnull(a,b)            -> ifnull(a,b)        (ISNULL is an operator keyword in SQLite)
//   Delete tbl Where ...   -> Delete from tbl Where ...
//   expr as 'alias'        -> expr as "alias"
//   Cost=-98765432109876.25 -> Cost='-98765432109876.25'
//   BEGIN TRANSACTION      -> BEGIN IMMEDIATE   (the write lock is taken at once)
//   0x89504E47             -> X'89504E47'        (binary literals; 0xABC is 0x0ABC)
// getdate() and SCOPE_IDENTITY() stay as written: the backend registers them as functions.
//
// A numeric literal with a decimal point would be a double in SQLite, which holds 15 to 17
// significant digits; amounts have up to 19. Such a literal, with a sign directly before it, is
// therefore carried as exact text in its shortest form ("12.50" -> '12.5'). Money columns keep
// that text (see the schema); a numeric column or arithmetic turns it into a number as before.
// Whole numbers (exact 64-bit integers in SQLite) and literals with an exponent stay as written.
#include <QString>
#include <optional>
#include <vector>

namespace vela {

QString adaptTsqlForSqlite(const QString &tsql);

// The lexer both engines' adaptations share: tokens of T-SQL text, each a slice of it, with
// string literals, quoted identifiers ("x", [x], `x`) and comments kept whole, so that a rewrite
// never looks inside them. A numeric literal is a token of its own only where it cannot be part
// of a word ("2nd" and "0x1F" are words).
namespace tsql {

enum class Tok {
    Space,
    Word,
    Number, // a numeric literal: digits, a decimal point, an exponent
    String,
    QuotedId,
    Comment,
    Other // one character of anything else: ( ) , ; = - + ...
};

struct Token {
    Tok kind;
    int start, length;
};

std::vector<Token> lex(const QString &sql);

// A column alias written as a string literal ('a''b') as the quoted identifier "a'b".
QString aliasName(QStringView literal);

// The hexadecimal digits of a T-SQL binary literal (0x followed by hexadecimal digits, none for
// an empty value), an even count of them: 0xABC is 0x0ABC. Nothing for any other word.
std::optional<QString> binaryDigits(QStringView word);

} // namespace tsql

} // namespace vela

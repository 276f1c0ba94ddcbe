#include "TsqlAdapter.h"

namespace vela {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@')
        || c == QLatin1Char('#') || c == QLatin1Char('$');
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The length of the numeric literal at s[i] ("12", "12.50", ".5", "1.5e3"), or 0 when none starts
// there. Digits run into letters ("0x1F", "2nd") make a word, not a number.
int numberLength(const QString &s, int i)
{
    const int n = int(s.size());
    int j = i;
    while (j < n && isAsciiDigit(s[j]))
        ++j;
    const bool whole = j > i;
    if (j < n && s[j] == QLatin1Char('.')) {
        int k = j + 1;
        while (k < n && isAsciiDigit(s[k]))
            ++k;
        if (!whole && k == j + 1)
            return 0; // a lone "."
        j = k;
    } else if (!whole) {
        return 0;
    }
    if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
        int k = j + 1;
        if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
            ++k;
        if (k < n && isAsciiDigit(s[k])) {
            while (k < n && isAsciiDigit(s[k]))
                ++k;
            j = k;
        }
    }
    return j < n && isWordChar(s[j]) ? 0 : j - i;
}

// A decimal literal with a point and no exponent in its shortest form: no leading zeros before
// the point, none trailing after it, no point without decimals ("0012.50" -> "12.5",
// ".5" -> "0.5", "3." -> "3").
QString canonicalDecimal(QStringView literal)
{
    const qsizetype point = literal.indexOf(QLatin1Char('.'));
    QStringView whole = literal.left(point), frac = literal.mid(point + 1);
    while (whole.size() > 1 && whole.front() == QLatin1Char('0'))
        whole = whole.mid(1);
    while (!frac.isEmpty() && frac.back() == QLatin1Char('0'))
        frac.chop(1);
    QString out = whole.isEmpty() ? QStringLiteral("0") : whole.toString();
    if (!frac.isEmpty()) {
        out += QLatin1Char('.');
        out += frac;
    }
    return out;
}

// A T-SQL binary literal: 0x followed by hexadecimal digits, none for an empty value.
bool isBinaryLiteral(QStringView word)
{
    if (word.size() < 2 || word[0] != QLatin1Char('0')
        || (word[1] != QLatin1Char('x') && word[1] != QLatin1Char('X')))
        return false;
    for (QChar c : word.mid(2)) {
        const char16_t u = c.unicode() | 0x20; // lower case for the letters
        if (!isAsciiDigit(c) && !(u >= u'a' && u <= u'f'))
            return false;
    }
    return true;
}

bool isDecimal(QStringView literal)
{
    return literal.contains(QLatin1Char('.')) && !literal.contains(QLatin1Char('e'))
        && !literal.contains(QLatin1Char('E'));
}

} // namespace

namespace tsql {

std::vector<Token> lex(const QString &s)
{
    std::vector<Token> out;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const int st = i;
        const QChar c = s[i];
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            out.push_back({Tok::Space, st, i - st});
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')
            || c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (s[i] == close) {
                    if (close != QLatin1Char(']') && i + 1 < n && s[i + 1] == close) {
                        i += 2; // doubled quote inside
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({c == QLatin1Char('\'') ? Tok::String : Tok::QuotedId, st, i - st});
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
            out.push_back({Tok::Comment, st, i - st});
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            i += 2;
            while (i + 1 < n && !(s[i] == QLatin1Char('*') && s[i + 1] == QLatin1Char('/')))
                ++i;
            i = qMin(n, i + 2);
            out.push_back({Tok::Comment, st, i - st});
        } else if (const int len
            = (isAsciiDigit(c) || c == QLatin1Char('.')) && (st == 0 || !isWordChar(s[st - 1]))
                ? numberLength(s, i)
                : 0) {
            i += len;
            out.push_back({Tok::Number, st, len});
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            out.push_back({Tok::Word, st, i - st});
        } else {
            ++i;
            out.push_back({Tok::Other, st, 1});
        }
    }
    return out;
}

std::optional<QString> binaryDigits(QStringView word)
{
    if (!isBinaryLiteral(word))
        return std::nullopt;
    const QStringView digits = word.mid(2);
    return (digits.size() % 2 ? QStringLiteral("0") : QString()) + digits.toString();
}

QString aliasName(QStringView literal)
{
    QString body = literal.mid(1, literal.size() - 2).toString();
    body.replace(QLatin1String("''"), QLatin1String("'"));
    body.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + body + QLatin1Char('"');
}

} // namespace tsql

using tsql::lex;
using tsql::Tok;
using tsql::Token;

QString adaptTsqlForSqlite(const QString &tsql)
{
    const std::vector<Token> toks = lex(tsql);
    auto text = [&](const Token &t) { return QStringView(tsql).mid(t.start, t.length); };
    auto isWord = [&](size_t k, const char *w) {
        return k < toks.size() && toks[k].kind == Tok::Word
            && text(toks[k]).compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    };
    auto nextSignificant = [&](size_t k) {
        ++k;
        while (k < toks.size() && (toks[k].kind == Tok::Space || toks[k].kind == Tok::Comment))
            ++k;
        return k;
    };

    // A minus is a sign, not a subtraction, when what comes before it cannot end an operand:
    // nothing, an opening parenthesis, a comma, an operator or a keyword such as SET or VALUES.
    auto minusIsSign = [&](size_t prev) {
        if (prev >= toks.size())
            return true;
        const Token &p = toks[prev];
        if (p.kind == Tok::Other) // a closing parenthesis or a parameter ends an operand
            return text(p) != QLatin1String(")") && text(p) != QLatin1String("?");
        if (p.kind != Tok::Word)
            return false;
        for (const char *w : {"select", "where", "and", "or", "not", "values", "set", "then",
                 "else", "when", "case", "return", "in", "is", "between", "like", "on", "having",
                 "by", "top", "limit", "offset", "escape", "distinct", "all"})
            if (isWord(prev, w))
                return true;
        return false;
    };
    // The exact text of a decimal literal, with its sign, as an SQLite string literal.
    auto decimalText = [&](const Token &number, bool negative) {
        const QString digits = canonicalDecimal(text(number));
        return QLatin1Char('\'')
            + (negative && digits != QLatin1String("0") ? QLatin1Char('-') + digits : digits)
            + QLatin1Char('\'');
    };

    QString out;
    out.reserve(tsql.size() + 16);
    bool statementStart = true; // next significant token begins a statement
    size_t lastSignificant = size_t(-1);
    for (size_t k = 0; k < toks.size(); ++k) {
        const Token &t = toks[k];
        if (t.kind == Tok::Space || t.kind == Tok::Comment) {
            out += text(t);
            continue;
        }
        const bool atStart = statementStart;
        statementStart = false;
        const size_t previous = lastSignificant;
        lastSignificant = k;
        if (t.kind == Tok::Number && isDecimal(text(t))) {
            out += decimalText(t, false);
            continue;
        }
        if (t.kind == Tok::Other && text(t) == QLatin1String("-") && minusIsSign(previous)) {
            size_t nx = k + 1;
            while (nx < toks.size() && toks[nx].kind == Tok::Space)
                ++nx;
            if (nx < toks.size() && toks[nx].kind == Tok::Number && isDecimal(text(toks[nx]))) {
                out += decimalText(toks[nx], true);
                k = lastSignificant = nx;
                continue;
            }
        }
        if (t.kind == Tok::Other && text(t) == QLatin1String(";")) {
            statementStart = true;
            out += text(t);
            continue;
        }
        if (t.kind == Tok::Word) {
            if (const std::optional<QString> digits = tsql::binaryDigits(text(t))) {
                out += QLatin1String("X'") + *digits + QLatin1Char('\'');
                continue;
            }
        }
        if (t.kind == Tok::Word && isWord(k, "isnull")) {
            const size_t nx = nextSignificant(k);
            if (nx < toks.size() && toks[nx].kind == Tok::Other
                && text(toks[nx]) == QLatin1String("(")) {
                out += QLatin1String("ifnull");
                continue;
            }
        }
        // Every transaction of the component writes. Taking the write lock at BEGIN means a
        // second writer waits (within the busy timeout) before anything is done, instead of
        // failing half-way through a save when its first write meets the other's lock.
        if (atStart && isWord(k, "begin")) {
            const size_t nx = nextSignificant(k);
            if (nx >= toks.size() || isWord(nx, "transaction") || isWord(nx, "tran")
                || (toks[nx].kind == Tok::Other && text(toks[nx]) == QLatin1String(";"))) {
                out += QLatin1String("BEGIN IMMEDIATE");
                if (nx < toks.size() && toks[nx].kind == Tok::Word)
                    k = lastSignificant = nx;
                continue;
            }
        }
        if (atStart && isWord(k, "delete")) {
            out += text(t);
            const size_t nx = nextSignificant(k);
            if (nx < toks.size() && !isWord(nx, "from")
                && (toks[nx].kind == Tok::Word || toks[nx].kind == Tok::QuotedId))
                out += QLatin1String(" from");
            continue;
        }
        if (t.kind == Tok::String && k > 0) {
            // A string literal right after AS is a column alias.
            size_t pv = k;
            do {
                --pv;
            } while (pv > 0 && (toks[pv].kind == Tok::Space || toks[pv].kind == Tok::Comment));
            if (isWord(pv, "as")) {
                out += tsql::aliasName(text(t));
                continue;
            }
        }
        out += text(t);
    }
    return out;
}

} // namespace vela

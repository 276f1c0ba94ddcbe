#include "TsqlAdapter.h"
#include <vector>

namespace vela {

namespace {

enum class Tok {
    Space,
    Word,
    String,
    QuotedId,
    Comment,
    Other
};

struct Token {
    Tok kind;
    int start, length;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@')
        || c == QLatin1Char('#') || c == QLatin1Char('$');
}

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

} // namespace

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

    QString out;
    out.reserve(tsql.size() + 16);
    bool statementStart = true; // next significant token begins a statement
    for (size_t k = 0; k < toks.size(); ++k) {
        const Token &t = toks[k];
        if (t.kind == Tok::Space || t.kind == Tok::Comment) {
            out += text(t);
            continue;
        }
        const bool atStart = statementStart;
        statementStart = false;
        if (t.kind == Tok::Other && text(t) == QLatin1String(";")) {
            statementStart = true;
            out += text(t);
            continue;
        }
        if (t.kind == Tok::Word && isWord(k, "isnull")) {
            const size_t nx = nextSignificant(k);
            if (nx < toks.size() && toks[nx].kind == Tok::Other
                && text(toks[nx]) == QLatin1String("(")) {
                out += QLatin1String("ifnull");
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
                QString body = text(t).mid(1, t.length - 2).toString();
                body.replace(QLatin1String("''"), QLatin1String("'"));
                body.replace(QLatin1Char('"'), QLatin1String("\"\""));
                out += QLatin1Char('"') + body + QLatin1Char('"');
                continue;
            }
        }
        out += text(t);
    }
    return out;
}

} // namespace vela

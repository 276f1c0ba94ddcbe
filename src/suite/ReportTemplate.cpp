#include "ReportTemplate.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QPageSize>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>

#include <algorithm>
#include <optional>

namespace vela::report {

namespace {

const QString Marker = QStringLiteral("<!--vela-report");
const QString HeaderEnd = QStringLiteral("-->");
const QStringList Formats = {QStringLiteral("amount"), QStringLiteral("digits"),
    QStringLiteral("date"), QStringLiteral("qr"), QStringLiteral("code128")};

struct Line {
    QString text; // without its line break
    qsizetype start; // offset in the text
    int number; // from 1
};

QList<Line> splitLines(const QString &text)
{
    QList<Line> lines;
    qsizetype start = 0;
    int number = 1;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QString line = text.mid(start, end - start);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines.append({line, start, number++});
        start = end + 1;
    }
    return lines;
}

// Where the header lies: the index of the marker line and of the closing line; nullopt when the
// text has no header. Leading blank lines (and a byte order mark) may come before the marker.
struct HeaderSpan {
    int markerIndex;
    int endIndex; // -1 when the header is not closed
};

std::optional<HeaderSpan> findHeader(const QList<Line> &lines)
{
    int i = 0;
    while (i < lines.size() && lines[i].text.trimmed().remove(QChar(0xFEFF)).isEmpty())
        ++i;
    if (i == lines.size()
        || lines[i].text.trimmed().remove(QChar(0xFEFF)).compare(Marker, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (int j = i + 1; j < lines.size(); ++j)
        if (lines[j].text.trimmed() == HeaderEnd)
            return HeaderSpan {i, j};
    return HeaderSpan {i, -1};
}

std::optional<double> readNumber(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

int lineAt(const QString &text, qsizetype offset, int firstLine)
{
    return firstLine + int(std::count(text.cbegin(), text.cbegin() + offset, QLatin1Char('\n')));
}

} // namespace

bool Field::isBarcode() const
{
    return !formats.isEmpty()
        && (formats.last() == QLatin1String("qr") || formats.last() == QLatin1String("code128"));
}

void Template::fail(int line, const QString &what, int number) const
{
    throw VelaError(
        QStringLiteral("قالب گزارش «%1»، سطر %2: %3").arg(fileName).arg(line).arg(what), number);
}

Template Template::parse(const QString &fileName, const QString &text)
{
    Template t;
    t.fileName = fileName;
    const QList<Line> lines = splitLines(text);
    const std::optional<HeaderSpan> span = findHeader(lines);
    if (!span)
        t.fail(1,
            QStringLiteral(
                "قالب با سرآغاز «%1» شروع نمی‌شود؛ سرآغاز، پرس‌وجو و صفحه قالب را می‌گوید.")
                .arg(Marker));
    const int markerLine = lines[span->markerIndex].number;
    if (span->endIndex < 0)
        t.fail(markerLine, QStringLiteral("سرآغاز قالب با سطر «-->» بسته نشده است."));

    // ---- the header's keys
    QPageSize pageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins(15, 15, 15, 15);
    QHash<QString, int> seen; // key -> line
    QString key;
    QString value;
    int keyLine = 0;
    auto takeKey = [&]() {
        if (key.isEmpty())
            return;
        const QString v = value.trimmed();
        const QString k = key.toLower();
        // A value that starts on the lines below its key: its first line is the one to name.
        const int valueLine = keyLine
            + int(std::count(value.cbegin(),
                std::find_if(value.cbegin(), value.cend(), [](QChar c) { return !c.isSpace(); }),
                QLatin1Char('\n')));
        if (k == QLatin1String("title")) {
            t.title = v;
        } else if (k == QLatin1String("page")) {
            static const QRegularExpression custom(
                QStringLiteral("^(\\d+(?:\\.\\d+)?)\\s*[x×]\\s*(\\d+(?:\\.\\d+)?)\\s*mm$"),
                QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch m = custom.match(v);
            const QHash<QString, QPageSize::PageSizeId> named
                = {{QStringLiteral("a3"), QPageSize::A3}, {QStringLiteral("a4"), QPageSize::A4},
                    {QStringLiteral("a5"), QPageSize::A5}, {QStringLiteral("b5"), QPageSize::B5},
                    {QStringLiteral("letter"), QPageSize::Letter},
                    {QStringLiteral("legal"), QPageSize::Legal}};
            if (m.hasMatch()) {
                const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
                if (w < 10 || h < 10 || w > 2000 || h > 2000)
                    t.fail(keyLine,
                        QStringLiteral(
                            "اندازه صفحه «%1» باید میان ۱۰ و ۲۰۰۰ میلی‌متر باشد.")
                            .arg(v));
                pageSize = QPageSize(
                    QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
            } else if (named.contains(v.toLower())) {
                pageSize = QPageSize(named.value(v.toLower()));
            } else {
                t.fail(keyLine,
                    QStringLiteral(
                        "صفحه «%1» شناخته نیست؛ A3، A4، A5، B5، Letter، Legal یا «پهنا x بلندی mm» بنویسید.")
                        .arg(v));
            }
        } else if (k == QLatin1String("orientation")) {
            if (v.compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
                orientation = QPageLayout::Portrait;
            else if (v.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0)
                orientation = QPageLayout::Landscape;
            else
                t.fail(keyLine,
                    QStringLiteral("جهت صفحه «%1» شناخته نیست؛ Portrait یا Landscape بنویسید.")
                        .arg(v));
        } else if (k == QLatin1String("margins")) {
            QStringList parts
                = v.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            const bool mm = !parts.isEmpty()
                && parts.last().compare(QLatin1String("mm"), Qt::CaseInsensitive) == 0;
            if (mm)
                parts.removeLast();
            QList<double> n;
            for (const QString &p : parts)
                if (const std::optional<double> d = readNumber(p); d && *d >= 0 && *d <= 200)
                    n.append(*d);
            if (!mm || n.size() != parts.size() || (n.size() != 1 && n.size() != 4))
                t.fail(keyLine,
                    QStringLiteral(
                        "حاشیه‌ها «%1» درست نیست؛ «۱۰ mm» یا «بالا راست پایین چپ mm» با اعداد انگلیسی بنویسید.")
                        .arg(v));
            margins = n.size() == 1 ? QMarginsF(n[0], n[0], n[0], n[0])
                                    : QMarginsF(n[3], n[0], n[1], n[2]);
        } else if (k == QLatin1String("fontsize")) {
            const std::optional<double> d = readNumber(v);
            if (!d || *d < 4 || *d > 72)
                t.fail(
                    keyLine, QStringLiteral("اندازه قلم «%1» باید عددی میان ۴ و ۷۲ باشد.").arg(v));
            t.fontSize = *d;
        } else if (k == QLatin1String("query")) {
            t.query = v;
            t.queryLine = valueLine;
        } else if (k == QLatin1String("picture")) {
            t.pictureQuery = v;
            t.pictureLine = valueLine;
        } else if (k == QLatin1String("printer")) {
            t.printer = v;
        } else {
            t.fail(keyLine,
                QStringLiteral(
                    "کلید «%1» در سرآغاز شناخته نیست؛ کلیدها: Title، Page، Orientation، Margins، FontSize، Query، Picture، Printer.")
                    .arg(key));
        }
        key.clear();
        value.clear();
    };
    static const QRegularExpression keyValue(QStringLiteral("^([A-Za-z]+)\\s*:(.*)$"));
    for (int i = span->markerIndex + 1; i < span->endIndex; ++i) {
        const Line &line = lines[i];
        if (line.text.trimmed().isEmpty())
            continue;
        if (line.text.at(0).isSpace()) {
            if (key.isEmpty())
                t.fail(line.number,
                    QStringLiteral(
                        "سطری که با فاصله شروع می‌شود دنباله مقدار کلید بالای آن است، ولی کلیدی بالای آن نیست."));
            value += QLatin1Char('\n') + line.text;
            continue;
        }
        takeKey();
        const QRegularExpressionMatch m = keyValue.match(line.text);
        if (!m.hasMatch())
            t.fail(line.number,
                QStringLiteral("سطر سرآغاز باید به شکل «کلید: مقدار» باشد: «%1»")
                    .arg(line.text.trimmed()));
        key = m.captured(1);
        value = m.captured(2);
        keyLine = line.number;
        if (seen.contains(key.toLower()))
            t.fail(keyLine,
                QStringLiteral("کلید «%1» دوبار آمده است (بار نخست در سطر %2).")
                    .arg(key)
                    .arg(seen.value(key.toLower())));
        seen.insert(key.toLower(), keyLine);
    }
    takeKey();
    if (t.query.isEmpty())
        t.fail(markerLine,
            QStringLiteral(
                "سرآغاز قالب پرس‌وجوی رکورد («Query:») ندارد."));
    t.pageLayout = QPageLayout(pageSize, orientation, margins, QPageLayout::Millimeter);
    if (!t.pageLayout.paintRect(QPageLayout::Millimeter).isValid()
        || t.pageLayout.paintRect(QPageLayout::Millimeter).width() < 5
        || t.pageLayout.paintRect(QPageLayout::Millimeter).height() < 5)
        t.fail(seen.value(QStringLiteral("margins"), markerLine),
            QStringLiteral(
                "حاشیه‌ها جایی برای نوشتن روی صفحه نمی‌گذارند."));

    // ---- the body and its placeholders
    const qsizetype bodyStart
        = span->endIndex + 1 < lines.size() ? lines[span->endIndex + 1].start : text.size();
    t.body = text.mid(bodyStart);
    t.bodyLine = lines[span->endIndex].number + 1;
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    qsizetype pos = 0;
    while ((pos = t.body.indexOf(QStringLiteral("{{"), pos)) >= 0) {
        const int line = lineAt(t.body, pos, t.bodyLine);
        const qsizetype close = t.body.indexOf(QStringLiteral("}}"), pos + 2);
        const qsizetype lineEnd = t.body.indexOf(QLatin1Char('\n'), pos);
        if (close < 0 || (lineEnd >= 0 && close > lineEnd))
            t.fail(line, QStringLiteral("«{{» در همان سطر با «}}» بسته نشده است."));
        const QStringList parts = t.body.mid(pos + 2, close - pos - 2).split(QLatin1Char('|'));
        Field f;
        f.name = parts.first().trimmed();
        f.line = line;
        f.start = pos;
        f.length = close + 2 - pos;
        if (!name.match(f.name).hasMatch())
            t.fail(line,
                QStringLiteral(
                    "«%1» نام ستون نیست؛ نام ستون از حروف و رقم‌های انگلیسی است.")
                    .arg(parts.first().trimmed()));
        for (int i = 1; i < parts.size(); ++i) {
            const QString format = parts[i].trimmed().toLower();
            static const QRegularExpression cut(QStringLiteral("^max:\\s*(\\d{1,4})$"));
            const QRegularExpressionMatch m = cut.match(format);
            if (m.hasMatch() && m.captured(1).toInt() < 2)
                t.fail(line,
                    QStringLiteral("در «%1» دست‌کم ۲ نویسه بنویسید.")
                        .arg(parts[i].trimmed()));
            if (!Formats.contains(format) && !m.hasMatch())
                t.fail(line,
                    QStringLiteral(
                        "قالب‌بندی «%1» شناخته نیست؛ قالب‌بندی‌ها: %2.")
                        .arg(parts[i].trimmed(),
                            (Formats + QStringList(QStringLiteral("max:N")))
                                .join(QStringLiteral("، "))));
            if (!f.formats.isEmpty() && f.isBarcode())
                t.fail(line,
                    QStringLiteral("«%1» باید آخرین قالب‌بندی باشد.")
                        .arg(f.formats.last()));
            f.formats.append(format);
        }
        if (f.name.compare(PictureField, Qt::CaseInsensitive) == 0) {
            if (!f.formats.isEmpty())
                t.fail(line, QStringLiteral("{{Picture}} قالب‌بندی نمی‌گیرد."));
            if (t.pictureQuery.isEmpty())
                t.fail(line,
                    QStringLiteral(
                        "{{Picture}} بی پرس‌وجوی تصویر («Picture:») در سرآغاز آمده است."));
        }
        t.fields.append(f);
        pos = close + 2;
    }
    // The tables are checked now, so that a template that cannot be laid out is reported before
    // any query runs.
    mirrorTables(t.body, [&t](qsizetype offset, const QString &what) {
        t.fail(lineAt(t.body, offset, t.bodyLine), what);
    });
    return t;
}

QString Template::bindFormulas(
    const QString &sql, int line, const QHash<QString, QString> &formulas) const
{
    static const QRegularExpression reference(QStringLiteral("\\{([A-Za-z_][A-Za-z0-9_]*)\\}"));
    static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    QString out;
    qsizetype pos = 0;
    QRegularExpressionMatchIterator it = reference.globalMatch(sql);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1);
        QString value;
        bool given = false;
        for (auto f = formulas.cbegin(); f != formulas.cend(); ++f)
            if (f.key().compare(name, Qt::CaseInsensitive) == 0) {
                value = f.value();
                given = true;
            }
        if (!given)
            fail(line
                    + int(std::count(
                        sql.cbegin(), sql.cbegin() + m.capturedStart(), QLatin1Char('\n'))),
                QStringLiteral("فرمول «%1» به گزارش داده نشده است.").arg(name));
        out += sql.mid(pos, m.capturedStart() - pos);
        out += number.match(value).hasMatch()
            ? value
            : QLatin1Char('\'') + SqlText(value) + QLatin1Char('\'');
        pos = m.capturedEnd();
    }
    out += sql.mid(pos);
    return out;
}

QString Template::expand(const std::function<QString(const Field &)> &value) const
{
    QString out;
    qsizetype pos = 0;
    for (const Field &f : fields) {
        out += QStringView(body).mid(pos, f.start - pos);
        out += value(f);
        pos = f.start + f.length;
    }
    out += QStringView(body).mid(pos);
    return mirrorTables(out, [](qsizetype, const QString &what) {
        throw VelaError(what, ErrTemplateSyntax); // checked when the template was read
    });
}

// ---------------------------------------------------------------- tables

namespace {

struct Tag {
    qsizetype begin = 0, end = 0;
    QString name; // lower case
    bool closing = false;
    QString attributes;
    bool is(const char *n, bool close) const
    {
        return closing == close && name == QLatin1String(n);
    }
    bool isCell(bool close) const { return is("td", close) || is("th", close); }
};

class TableMirror {
public:
    TableMirror(const QString &html, const std::function<void(qsizetype, const QString &)> &fail)
        : s(html), m_fail(fail)
    {
    }

    QString run()
    {
        QString out;
        qsizetype pos = 0;
        Tag stop;
        if (flow(pos, out, stop))
            fail(stop.begin,
                stop.closing ? QStringLiteral("«</%1>» بی «<%1>» آمده است.").arg(stop.name)
                             : QStringLiteral("«<%1>» بیرون از جدول آمده است.").arg(stop.name));
        return out;
    }

private:
    [[noreturn]] void fail(qsizetype offset, const QString &what)
    {
        m_fail(offset, what);
        throw VelaError(what, ErrTemplateSyntax);
    }

    // The next table tag at or after `from`, comments skipped.
    bool nextTag(qsizetype from, Tag &tag) const
    {
        static const QRegularExpression re(
            QStringLiteral("<\\s*(/?)\\s*(table|thead|tbody|tfoot|tr|td|th)\\b([^>]*)>"),
            QRegularExpression::CaseInsensitiveOption);
        qsizetype i = from;
        while ((i = s.indexOf(QLatin1Char('<'), i)) >= 0) {
            if (QStringView(s).mid(i).startsWith(QLatin1String("<!--"))) {
                const qsizetype end = s.indexOf(QLatin1String("-->"), i + 4);
                if (end < 0)
                    return false;
                i = end + 3;
                continue;
            }
            const QRegularExpressionMatch m = re.match(s, i, QRegularExpression::NormalMatch,
                QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                tag.begin = i;
                tag.end = m.capturedEnd();
                tag.closing = !m.captured(1).isEmpty();
                tag.name = m.captured(2).toLower();
                tag.attributes = m.captured(3);
                return true;
            }
            ++i;
        }
        return false;
    }

    // Copies text and whole tables from `pos` until a table tag that belongs to an enclosing
    // table (returned in `stop`, true) or the end (false).
    bool flow(qsizetype &pos, QString &out, Tag &stop)
    {
        Tag t;
        while (nextTag(pos, t)) {
            out += QStringView(s).mid(pos, t.begin - pos);
            pos = t.begin;
            if (!t.is("table", false)) {
                stop = t;
                return true;
            }
            table(pos, out, t);
        }
        out += QStringView(s).mid(pos);
        pos = s.size();
        return false;
    }

    void table(qsizetype &pos, QString &out, const Tag &open)
    {
        static const QRegularExpression ltr(QStringLiteral("\\bdir\\s*=\\s*[\"']?\\s*ltr\\b"),
            QRegularExpression::CaseInsensitiveOption);
        const bool mirror = !ltr.match(open.attributes).hasMatch();
        out += QStringView(s).mid(open.begin, open.end - open.begin);
        pos = open.end;
        Tag t;
        for (;;) {
            if (!nextTag(pos, t))
                fail(open.begin, QStringLiteral("جدول با «</table>» بسته نشده است."));
            out += QStringView(s).mid(pos, t.begin - pos);
            pos = t.begin;
            if (t.is("tr", false)) {
                row(pos, out, t, mirror);
            } else if (t.name == QLatin1String("thead") || t.name == QLatin1String("tbody")
                || t.name == QLatin1String("tfoot")) {
                out += QStringView(s).mid(t.begin, t.end - t.begin);
                pos = t.end;
            } else if (t.is("table", true)) {
                out += QStringView(s).mid(t.begin, t.end - t.begin);
                pos = t.end;
                return;
            } else if (t.is("table", false)) {
                fail(t.begin, QStringLiteral("جدول درون جدول باید درون یک خانه («<td>») باشد."));
            } else {
                fail(t.begin,
                    QStringLiteral("«<%1%2>» بیرون از سطر جدول («<tr>») آمده است.")
                        .arg(t.closing ? QStringLiteral("/") : QString(), t.name));
            }
        }
    }

    void row(qsizetype &pos, QString &out, const Tag &open, bool mirror)
    {
        out += QStringView(s).mid(open.begin, open.end - open.begin);
        pos = open.end;
        QStringList cells;
        QStringList gaps {QString()};
        Tag t;
        for (;;) {
            if (!nextTag(pos, t))
                fail(open.begin, QStringLiteral("سطر جدول با «</tr>» بسته نشده است."));
            gaps.last() += QStringView(s).mid(pos, t.begin - pos);
            pos = t.begin;
            if (t.isCell(false)) {
                QString cell = s.mid(t.begin, t.end - t.begin);
                pos = t.end;
                Tag stop;
                if (!flow(pos, cell, stop) || !stop.is(qPrintable(t.name), true))
                    fail(
                        t.begin, QStringLiteral("خانه جدول با «</%1>» بسته نشده است.").arg(t.name));
                cell += QStringView(s).mid(stop.begin, stop.end - stop.begin);
                pos = stop.end;
                cells.append(cell);
                gaps.append(QString());
            } else if (t.is("tr", true)) {
                out += gaps.first();
                for (qsizetype i = 0; i < cells.size(); ++i)
                    out += (mirror ? cells[cells.size() - 1 - i] : cells[i]) + gaps[i + 1];
                out += QStringView(s).mid(t.begin, t.end - t.begin);
                pos = t.end;
                return;
            } else {
                fail(open.begin, QStringLiteral("سطر جدول با «</tr>» بسته نشده است."));
            }
        }
    }

    const QString &s;
    const std::function<void(qsizetype, const QString &)> &m_fail;
};

} // namespace

QString mirrorTables(
    const QString &html, const std::function<void(qsizetype offset, const QString &what)> &fail)
{
    return TableMirror(html, fail).run();
}

// ---------------------------------------------------------------- the printer line

QString withPrinter(const QString &text, const QString &printer)
{
    const QString name = printer.simplified();
    const QList<Line> lines = splitLines(text);
    const std::optional<HeaderSpan> span = findHeader(lines);
    if (!span || span->endIndex < 0)
        return text;
    static const QRegularExpression printerKey(
        QStringLiteral("^Printer\\s*:"), QRegularExpression::CaseInsensitiveOption);
    const QString lineBreak
        = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    for (int i = span->markerIndex + 1; i < span->endIndex; ++i) {
        if (!printerKey.match(lines[i].text).hasMatch())
            continue;
        // The old value with its continuation lines goes; the line breaks stay as they were.
        int last = i;
        while (last + 1 < span->endIndex && !lines[last + 1].text.isEmpty()
            && lines[last + 1].text.at(0).isSpace())
            ++last;
        const qsizetype end = lines[last].start + lines[last].text.size();
        return text.left(lines[i].start) + QStringLiteral("Printer: ") + name + text.mid(end);
    }
    const qsizetype at = lines[span->endIndex].start;
    return text.left(at) + QStringLiteral("Printer: ") + name + lineBreak + text.mid(at);
}

} // namespace vela::report

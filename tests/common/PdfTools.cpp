#include "PdfTools.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <stdexcept>

namespace pdftools {

namespace {

QString run(const char *tool, const char *package, const QStringList &args)
{
    const QString program = QStandardPaths::findExecutable(QLatin1String(tool));
    if (program.isEmpty())
        throw std::runtime_error(
            std::string(tool) + " is missing: install " + package + " (scripts/setup does)");
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        throw std::runtime_error(std::string(tool) + " did not finish");
    // zbarimg exits with 4 when it finds no code: that is an answer, not a failure.
    if (p.exitCode() != 0
        && !(QLatin1String(tool) == QLatin1String("zbarimg") && p.exitCode() == 4))
        throw std::runtime_error(
            std::string(tool) + " failed: " + p.readAllStandardError().toStdString());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QString normalized(const QString &text)
{
    QString out = text.normalized(QString::NormalizationForm_KC);
    static const QRegularExpression marks(QStringLiteral(
        "[\\x{200C}\\x{200D}\\x{200E}\\x{200F}\\x{202A}-\\x{202E}\\x{2066}-\\x{2069}]"));
    out.remove(marks);
    return out;
}

QString text(const QString &pdf)
{
    return normalized(run("pdftotext", "poppler-utils",
        {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")}));
}

// Words of letters, digits and the "/" and "." inside amounts and dates; any other sign (a hyphen
// pdftotext may glue to the next word) separates them.
static QStringList wordsOf(const QString &text)
{
    QString cleaned = normalized(text);
    for (QChar &c : cleaned)
        if (!c.isLetterOrNumber() && !c.isMark() && c != QLatin1Char('/') && c != QLatin1Char('.'))
            c = QLatin1Char(' ');
    return cleaned.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool hasWords(const QString &text, const QString &phrase)
{
    const QStringList words = wordsOf(text);
    for (const QString &word : wordsOf(phrase)) {
        QString reversed = word;
        std::reverse(reversed.begin(), reversed.end());
        if (!words.contains(word) && !words.contains(reversed))
            return false;
    }
    return true;
}

QStringList barcodes(const QString &pdf, int dpi)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    run("pdftoppm", "poppler-utils",
        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
            QStringLiteral("-singlefile"), pdf, stem});
    const QString out
        = run("zbarimg", "zbar-tools", {QStringLiteral("-q"), stem + QStringLiteral(".png")});
    QStringList codes = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    codes.sort();
    return codes;
}

int imageCount(const QString &pdf)
{
    // A heading of two lines, then one line per picture.
    const QStringList lines = run("pdfimages", "poppler-utils", {QStringLiteral("-list"), pdf})
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return int(std::max<qsizetype>(0, lines.size() - 2));
}

static QString info(const QString &pdf, const QString &key)
{
    const QRegularExpression line(
        QStringLiteral("^%1:\\s*(.*)$").arg(key), QRegularExpression::MultilineOption);
    return line.match(run("pdfinfo", "poppler-utils", {pdf})).captured(1).trimmed();
}

int pageCount(const QString &pdf)
{
    return info(pdf, QStringLiteral("Pages")).toInt();
}

QSizeF pageSizePoints(const QString &pdf)
{
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("^([\\d.]+) x ([\\d.]+) pts"))
              .match(info(pdf, QStringLiteral("Page size")));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

} // namespace pdftools

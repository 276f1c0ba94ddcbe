#include "modMain.h"
#include "Jalali.h"
#include "Session.h"
#include "VelaError.h"
#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vela {

qint32 CurrentUserID = -1;
qint32 CurrentPositionID = -1;
qint32 CurrentEmployeeID = -1;
QString CurrentConnectionString;

// ---------------------------------------------------------------- data environment

static std::unique_ptr<DataEnvironment> g_dtEn;

DataEnvironment &DtEn()
{
    if (!g_dtEn) {
        g_dtEn = std::make_unique<DataEnvironment>();
        g_dtEn->cn().setConnectionString(CurrentConnectionString);
    }
    return *g_dtEn;
}

Session &Session::current()
{
    static Session session {CurrentUserID, CurrentPositionID, CurrentConnectionString, DtEn()};
    return session;
}

void Session::publish(qint32 user, qint32 position, const QString &connection)
{
    userID = user;
    positionID = position;
    connectionString = connection;
    ResetDataEnvironment();
}

void ResetDataEnvironment()
{
    // The object itself stays, so a form that still holds one of its recordsets never holds a
    // dangling reference; everything it had open is dropped as with a new environment.
    DtEn().reset(CurrentConnectionString);
}

void RunQuery(Recordset &rs, const QString &sql)
{
    if (rs.State() == Recordset::adStateOpen)
        rs.Close();
    rs.Open(sql);
}

bool HasPermission(qint32 role)
{
    return DtEn().spOrvoHasPermission(CurrentUserID, role) != 0;
}

// ---------------------------------------------------------------- conversions

namespace {

// The classic leading-number reading. Returns false on overflow.
bool readLeadingNumber(const QString &input, double &result)
{
    // Blanks, tabs and line feeds are skipped anywhere (a carriage return ends the number);
    // Persian digits read as digits.
    QString s;
    s.reserve(input.size());
    for (QChar c : input)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            s += c;
    s = jalali::toAsciiDigits(s);
    result = 0;
    const int n = int(s.size());
    if (n >= 2 && s[0] == QLatin1Char('&')) {
        const QChar kind = s[1].toUpper();
        const int base = kind == QLatin1Char('H') ? 16 : kind == QLatin1Char('O') ? 8 : 0;
        if (base) {
            quint64 v = 0;
            int digits = 0;
            for (int i = 2; i < n; ++i) {
                const int d = QString(s[i]).toInt(nullptr, 16);
                const bool ok = s[i].isDigit()
                    || (base == 16 && QStringLiteral("abcdefABCDEF").contains(s[i]));
                if (!ok || d >= base)
                    break;
                v = v * quint64(base) + quint64(d);
                if (v > 0xFFFFFFFFull)
                    return false;
                ++digits;
            }
            if (!digits)
                return true;
            // Hex and octal literals are 16-bit when they fit, else 32-bit, both signed.
            if (v <= 0xFFFF)
                result = double(qint16(quint16(v)));
            else
                result = double(qint32(quint32(v)));
            return true;
        }
    }
    int i = 0;
    QString num;
    if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        num += s[i++];
    bool digits = false, point = false;
    while (i < n) {
        if (s[i].isDigit() && s[i].unicode() < 128) {
            num += s[i++];
            digits = true;
        } else if (s[i] == QLatin1Char('.') && !point) {
            num += s[i++];
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return true;
    if (i < n && (s[i].toUpper() == QLatin1Char('E') || s[i].toUpper() == QLatin1Char('D'))) {
        int j = i + 1;
        QString exp = QStringLiteral("e");
        if (j < n && (s[j] == QLatin1Char('-') || s[j] == QLatin1Char('+')))
            exp += s[j++];
        const int expStart = j;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128)
            exp += s[j++];
        if (j > expStart)
            num += exp;
    }
    bool ok = false;
    result = num.toDouble(&ok);
    if (!ok || !std::isfinite(result)) {
        // toDouble refuses out-of-range numbers: that is the overflow case.
        if (!std::isfinite(result) || num.contains(QLatin1Char('e')))
            return false;
        result = 0;
    }
    return true;
}

} // namespace

QVariant ToNumber(const QString &text)
{
    // Blank means spaces only; a tab or a line break is read as a number (0).
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == QLatin1Char(' '); }))
        return QVariant(qint32(-1));
    if (text == QLatin1String("True"))
        return QVariant(qint32(1));
    QString s = text;
    s.remove(QLatin1Char('/'));
    double v = 0;
    if (!readLeadingNumber(s, v))
        return QVariant(qint32(0));
    return QVariant(v);
}

qint32 ToInt32(const QVariant &number)
{
    if (!number.isValid() || number.isNull())
        return 0;
    bool ok = false;
    const double d = number.toDouble(&ok);
    if (!ok)
        throw VelaError(
            QStringLiteral("مقدار «%1» عدد نیست.").arg(number.toString()), ErrTypeMismatch);
    const double r = std::nearbyint(d); // the default rounding mode: half to even
    if (!std::isfinite(r) || r < double(std::numeric_limits<qint32>::min())
        || r > double(std::numeric_limits<qint32>::max()))
        throw VelaError(
            QStringLiteral("سرریز: عدد «%1» بزرگتر از حد مجاز است.").arg(NumberText(number)),
            ErrOverflow);
    return qint32(r);
}

QString NumberText(const QVariant &number)
{
    if (!number.isValid() || number.isNull())
        return QString();
    switch (number.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return QString::number(number.toLongLong());
    default:
        return shortestDecimal(number.toDouble());
    }
}

QString GroupDigits(const QString &text)
{
    QString result = text;
    GroupDigitsInPlace(result);
    return result;
}

void GroupDigitsInPlace(QString &text, qsizetype from)
{
    // k = (n - 1) / 3 separators: the first n - 3k characters, then "/" before every three.
    const qsizetype n = text.size() - from;
    const qsizetype k = n > 3 ? (n - 1) / 3 : 0;
    if (k == 0)
        return;
    text.resize(text.size() + k);
    QChar *base = text.data() + from;
    const QChar *src = base + n;
    QChar *dst = base + n + k;
    for (qsizetype i = 0; i < k; ++i) {
        *--dst = *--src;
        *--dst = *--src;
        *--dst = *--src;
        *--dst = QLatin1Char('/');
    }
}

Money UngroupDigits(QString &text)
{
    text.remove(QLatin1Char('/'));
    // A plain decimal is read exactly; anything else the classic way.
    if (const std::optional<Money> m = Money::parse(text))
        return *m;
    // A well-formed decimal that does not read is beyond the currency range. Text that only
    // looks numeric ("1.2.3", "-", "12-3") is read the classic way: its leading number or 0.
    static const QRegularExpression wellFormed(
        QStringLiteral("^[+-]?([0-9۰-۹٠-٩]+[.٫]?[0-9۰-۹٠-٩]*|[.٫][0-9۰-۹٠-٩]+)$"));
    const bool plain = wellFormed.match(text.trimmed()).hasMatch();
    double v = 0;
    if (plain || !readLeadingNumber(text, v))
        Money::throwOverflow();
    return Money::fromDouble(v);
}

QString SqlText(const QString &text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return s;
}

QString SqlDateText(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

// ---------------------------------------------------------------- environment

QDate ServerDate()
{
    QDate result = QDate::currentDate();
    if (CurrentConnectionString.isEmpty())
        return result;
    try {
        Recordset &rs = DtEn().rssqlAccountManager();
        RunQuery(rs, QStringLiteral("Select getdate() as today"));
        if (rs.RecordCount() > 0) {
            const QDate d = QDate::fromString(
                rs.FieldText(QStringLiteral("today")).left(10), QStringLiteral("yyyy-MM-dd"));
            if (d.isValid())
                result = d;
        }
        rs.Close();
    } catch (...) {
        // The workstation's date stands when the server does not answer.
    }
    return result;
}

static const char *TwipsProperty = "vela_twips";

double twipsPerPixel()
{
    double dpi = 96;
    if (QGuiApplication::instance())
        if (const QScreen *s = QGuiApplication::primaryScreen())
            dpi = s->logicalDotsPerInchX();
    if (dpi < 1)
        dpi = 96;
    return 1440.0 / dpi;
}

int twipsToPixels(double twips)
{
    return int(std::lround(twips / twipsPerPixel()));
}

double pixelsToTwips(int pixels)
{
    return pixels * twipsPerPixel();
}

static void applyTwips(QWidget *ctl, const QRectF &r)
{
    ctl->setProperty(TwipsProperty, r);
    // Edges are rounded, not sizes, so neighbours that touch in twips touch in pixels.
    const int left = twipsToPixels(r.left());
    const int top = twipsToPixels(r.top());
    const int right = twipsToPixels(r.left() + r.width());
    const int bottom = twipsToPixels(r.top() + r.height());
    ctl->setGeometry(left, top, qMax(0, right - left), qMax(0, bottom - top));
}

void placeTwips(QWidget *ctl, double left, double top, double width, double height)
{
    applyTwips(ctl, QRectF(left, top, width, height));
}

QRectF twipsGeometry(const QWidget *ctl)
{
    const QVariant v = ctl->property(TwipsProperty);
    if (v.isValid())
        return v.toRectF();
    const QRect g = ctl->geometry();
    return QRectF(pixelsToTwips(g.x()), pixelsToTwips(g.y()), pixelsToTwips(g.width()),
        pixelsToTwips(g.height()));
}

void ShiftControl(QWidget *ctl, double dWidth, double dLeft, double dHeight, double dTop)
{
    if (!ctl)
        return;
    QRectF r = twipsGeometry(ctl);
    // Each change stands alone: a size that would turn negative is refused, the rest applies.
    if (r.width() + dWidth >= 0)
        r.setWidth(r.width() + dWidth);
    r.moveLeft(r.left() + dLeft);
    if (r.height() + dHeight >= 0)
        r.setHeight(r.height() + dHeight);
    r.moveTop(r.top() + dTop);
    applyTwips(ctl, r);
}

// ---------------------------------------------------------------- dialogs

static std::function<QString(const QString &, const QString &)> g_saveHook;

void setSaveFileDialogHook(std::function<QString(const QString &, const QString &)> hook)
{
    g_saveHook = std::move(hook);
}

bool AskSaveFileName(QString &fileName, const QString &title)
{
    QString chosen;
    try {
        if (g_saveHook) {
            chosen = g_saveHook(fileName, title);
        } else {
            QFileDialog dlg(QApplication::activeWindow(), title, fileName);
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setLayoutDirection(Qt::RightToLeft);
            // The overwrite question is the caller's own.
            dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
            dlg.setOption(QFileDialog::DontUseNativeDialog, true);
            if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
                chosen = dlg.selectedFiles().constFirst();
        }
    } catch (...) {
        logCurrentFailure("save-file dialog"); // a dialog that fails counts as cancelled
        chosen.clear();
    }
    fileName = chosen;
    return !chosen.isEmpty();
}

// ---------------------------------------------------------------- commands

bool RunCommand(const QString &title, const std::function<void()> &body) noexcept
{
    QString failure;
    try {
        body();
        return true;
    } catch (...) {
        failure = currentFailureText();
    }
    ShowMessage(title, failure);
    return false;
}

WaitCursor::WaitCursor()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::restoreOverrideCursor();
}

} // namespace vela

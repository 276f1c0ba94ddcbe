// What a component plugin may ask of the host: registering its components, running a statement
// on a connection of its own, exact money arithmetic and display, and the suite's message box.
// Every function catches whatever goes wrong inside it: nothing crosses the C boundary.
#include "PluginHost.h"
#include "ComponentRegistry.h"
#include "OrvoControls.h"
#include "shared/DataEnvironment.h"
#include "shared/Money.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QRegularExpression>
#include <cstring>
#include <memory>
#include <vector>

namespace vela {

namespace {

// Copies UTF-8 text into a caller's buffer, cut at a character boundary when it does not fit.
void copyOut(const QString &text, char *out, size_t size)
{
    if (!out || size == 0)
        return;
    const QByteArray utf8 = text.toUtf8();
    size_t n = qMin(size_t(utf8.size()), size - 1);
    // Never end inside a character: back up over continuation bytes.
    if (n < size_t(utf8.size()))
        while (n > 0 && (uchar(utf8[qsizetype(n)]) & 0xC0) == 0x80)
            --n;
    std::memcpy(out, utf8.constData(), n);
    out[n] = '\0';
}

int registerComponent(void *registry, const char *progId, VelaCreateComponent create, void *context)
{
    if (!registry || !progId || !create)
        return 1;
    try {
        static_cast<ComponentRegistry *>(registry)->registerFactory(
            QString::fromUtf8(progId), [create, context]() -> std::unique_ptr<QObject> {
                return std::unique_ptr<QObject>(static_cast<QObject *>(create(context)));
            });
        return 0;
    } catch (...) {
        return 1;
    }
}

int query(const char *connectionString, const char *sql, VelaQueryRow row, void *context,
    char *error, size_t errorSize)
{
    copyOut(QString(), error, errorSize);
    try {
        if (!connectionString || !sql)
            throw VelaError(QStringLiteral("رشته اتصال یا متن دستور داده نشده است."));
        DataEnvironment env;
        env.cn().setConnectionString(QString::fromUtf8(connectionString));
        ResultTable table;
        env.execute(QString::fromUtf8(sql), table);
        if (!row)
            return 0;
        const int columns = table.columnCount();
        std::vector<QByteArray> names(size_t(columns) + 1);
        std::vector<const char *> namePointers(size_t(columns) + 1, nullptr);
        for (int c = 0; c < columns; ++c) {
            names[size_t(c)] = table.columnName(c).toUtf8();
            namePointers[size_t(c)] = names[size_t(c)].constData();
        }
        std::vector<QByteArray> cells(size_t(columns) + 1);
        std::vector<const char *> cellPointers(size_t(columns) + 1, nullptr);
        for (int r = 0; r < table.rowCount(); ++r) {
            for (int c = 0; c < columns; ++c) {
                const bool null = table.isNull(r, c);
                cells[size_t(c)] = null ? QByteArray() : table.text(r, c).toUtf8();
                cellPointers[size_t(c)] = null ? nullptr : cells[size_t(c)].constData();
            }
            if (row(context, columns, namePointers.data(), cellPointers.data()) != 0)
                break;
        }
        return 0;
    } catch (...) {
        copyOut(currentFailureText(), error, errorSize);
        return 1;
    }
}

// A plain decimal amount of any size: the form amounts take as text.
bool isAmountText(const QString &text)
{
    static const QRegularExpression amount(
        QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]+(\\.[0-9]+)?")));
    return amount.match(text).hasMatch();
}

// Ten-thousandths of an amount text, also beyond the range of one amount (a total of totals).
bool scaledOf(const char *text, __int128 &out)
{
    if (!text)
        return false;
    const QString t = QString::fromUtf8(text);
    if (const std::optional<Money> m = Money::parse(QLatin1String(text))) {
        out = m->raw();
        return true;
    }
    if (!isAmountText(t))
        return false;
    // Beyond the money range: whole digits and up to four decimals, exactly.
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? t : t.left(point);
    QString fraction = point < 0 ? QString() : t.mid(point + 1);
    if (fraction.size() > 4 || whole.size() > 30)
        return false;
    fraction = fraction.leftJustified(4, QLatin1Char('0'));
    const bool negative = whole.startsWith(QLatin1Char('-'));
    __int128 v = 0;
    for (QChar c : QStringView(whole).mid(negative ? 1 : 0))
        v = v * 10 + (c.unicode() - u'0');
    for (QChar c : fraction)
        v = v * 10 + (c.unicode() - u'0');
    out = negative ? -v : v;
    return true;
}

int amountAdd(const char *a, const char *b, char *out, size_t outSize)
{
    try {
        __int128 x = 0, y = 0;
        if (!scaledOf(a, x) || !scaledOf(b, y))
            return 1;
        copyOut(Money::scaledText(x + y), out, outSize);
        return 0;
    } catch (...) {
        return 1;
    }
}

int amountDisplay(const char *amount, char *out, size_t outSize)
{
    try {
        const QString text = amount ? QString::fromUtf8(amount) : QString();
        if (!isAmountText(text))
            return 1;
        copyOut(OrvoCurrency::grouped(text), out, outSize);
        return 0;
    } catch (...) {
        return 1;
    }
}

void showMessage(const char *title, const char *text)
{
    try {
        ShowMessage(QString::fromUtf8(title ? title : ""), QString::fromUtf8(text ? text : ""));
    } catch (...) {
    }
}

} // namespace

const VelaPluginHost &pluginHost(ComponentRegistry &registry)
{
    static VelaPluginHost host {VELA_PLUGIN_API_VERSION, uint32_t(sizeof(VelaPluginHost)), nullptr,
        &registerComponent, &query, &amountAdd, &amountDisplay, &showMessage};
    host.registry = &registry;
    return host;
}

} // namespace vela

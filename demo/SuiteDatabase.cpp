// Creating and filling the embedded suite database through the SQLite wrapper (shared/Sqlite). The
// scripts come from the demo library's resources (:/db/sqlite); everything one call writes is one
// transaction, so a failure leaves nothing half done and large fills stay fast.
#include "SuiteDatabase.h"
#include "SuiteDatabaseInternal.h"
#include "shared/Jalali.h"
#include "shared/Money.h"
#include "shared/Sqlite.h"
#include "shared/VelaError.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vela::SuiteDatabase {

namespace {

constexpr qint32 AssetFormTypeID = 1022148;

using sqlite::Database;
using sqlite::Statement;

Database open(const QString &path, bool create)
{
    return Database(path,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0),
        QStringLiteral("پایگاه داده «%1» باز نشد.").arg(path));
}

// Skips blanks and comments before a statement, so that a failure names the statement's own line.
const char *statementStart(const char *p, const char *end)
{
    while (p < end) {
        if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
            ++p;
        } else if (p + 1 < end && p[0] == '-' && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (p + 1 < end && p[0] == '/' && p[1] == '*') {
            const char *close = std::search(p + 2, end, "*/", "*/" + 2);
            p = close == end ? end : close + 2;
        } else {
            break;
        }
    }
    return p;
}

int lineAt(const char *begin, const char *p)
{
    return 1 + int(std::count(begin, p, '\n'));
}

// Runs every statement of a script. Throws naming the script and the line of the statement.
void execScript(Database &db, const QByteArray &script, const QString &name)
{
    const char *begin = script.constData();
    const char *end = begin + script.size();
    const char *tail = begin;
    while (tail < end) {
        const char *start = statementStart(tail, end);
        const char *at = tail;
        try {
            Statement statement(db, tail, end);
            while (!statement.isEmpty() && statement.step()) { }
        } catch (const VelaError &) {
            int line = lineAt(begin, start);
#if SQLITE_VERSION_NUMBER >= 3038000
            const int offset = sqlite3_error_offset(db.handle());
            if (offset >= 0)
                line = lineAt(begin, at + offset);
#endif
            throw VelaError(
                QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(db.lastMessage()),
                ErrDatabase);
        }
    }
}

QString mediaFolder(const QString &databasePath)
{
    const QFileInfo fi(databasePath);
    return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral("_media");
}

// ---------------------------------------------------------------- demo pictures

enum class Shape {
    Vehicle,
    Building,
    Computer
};

bool canRenderText()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

QImage drawPicture(const QString &title, const QString &caption, Shape shape, const QColor &colour)
{
    QImage image(480, 320, QImage::Format_RGB32);
    image.fill(colour.lighter(175));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(160), 6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(3, 3, 474, 314));

    const QColor ink = colour.darker(220);
    p.setPen(QPen(ink, 3));
    switch (shape) {
    case Shape::Vehicle: {
        p.setBrush(colour);
        QPainterPath body;
        body.moveTo(110, 215);
        body.lineTo(110, 165);
        body.lineTo(170, 160);
        body.lineTo(205, 118);
        body.lineTo(300, 118);
        body.lineTo(340, 160);
        body.lineTo(375, 168);
        body.lineTo(375, 215);
        body.closeSubpath();
        p.drawPath(body);
        p.setBrush(QColor(200, 225, 245));
        p.drawPolygon(QPolygonF(
            {QPointF(212, 126), QPointF(250, 126), QPointF(250, 158), QPointF(183, 158)}));
        p.drawPolygon(QPolygonF(
            {QPointF(258, 126), QPointF(296, 126), QPointF(328, 158), QPointF(258, 158)}));
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QPointF(165, 218), 26, 26);
        p.drawEllipse(QPointF(322, 218), 26, 26);
        p.setBrush(QColor(170, 170, 170));
        p.drawEllipse(QPointF(165, 218), 10, 10);
        p.drawEllipse(QPointF(322, 218), 10, 10);
        break;
    }
    case Shape::Building: {
        p.setBrush(colour);
        p.drawRect(QRectF(165, 80, 150, 170));
        p.setBrush(QColor(255, 243, 190));
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(180 + col * 46, 95 + row * 36, 28, 22));
        p.setBrush(ink);
        p.drawRect(QRectF(225, 230, 30, 20));
        break;
    }
    case Shape::Computer:
        p.setBrush(QColor(60, 60, 70));
        p.drawRoundedRect(QRectF(140, 80, 200, 130), 8, 8);
        p.setBrush(colour.lighter(130));
        p.drawRect(QRectF(152, 92, 176, 106));
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(QRectF(228, 210, 24, 26));
        p.drawRoundedRect(QRectF(190, 236, 100, 12), 4, 4);
        break;
    }

    // Text needs the font database of a Gui application; without one the picture keeps its shape.
    if (canRenderText()) {
        p.setLayoutDirection(Qt::RightToLeft);
        QFont font(QStringLiteral("Noto Sans Arabic"));
        font.setPixelSize(28);
        font.setBold(true);
        p.setFont(font);
        p.setPen(ink);
        p.drawText(QRectF(12, 12, 456, 56), Qt::AlignCenter | Qt::TextSingleLine, title);
        font.setPixelSize(20);
        font.setBold(false);
        p.setFont(font);
        p.drawText(QRectF(12, 262, 456, 44), Qt::AlignCenter | Qt::TextSingleLine, caption);
    }
    p.end();
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw VelaError(QStringLiteral("تصویر نمونه ساخته نشد."), ErrDatabase);
    return bytes;
}

struct DemoPicture {
    qint32 formTypeId, formId, rowNumber;
    const char *title; // attachment title
    const char *caption; // line under the picture
    Shape shape;
    QRgb colour;
    bool external;
};

QString assetName(Database &db, qint32 id)
{
    Statement st(db, "SELECT Name FROM tblAssetEstablishment WHERE ID = ?1");
    st.bind(1, id);
    return st.step() ? st.text(0) : QString();
}

// The demo pictures (see demoAttachments), the external one written next to the database.
void insertDemoPictures(Database &db, const QString &databasePath)
{
    Statement insert(db,
        "INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, Title, isExternal, "
        "MediaPath, FileExtension, FileData, CreateDate, UserID) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, 'png', ?7, ?8, 1)");
    const QByteArray today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
    const std::vector<DemoAttachment> attachments = demoAttachments(
        [&db](qint32 id) { return assetName(db, id); }, mediaFolder(databasePath));
    for (const DemoAttachment &a : attachments) {
        insert.bind(1, a.formTypeId);
        insert.bind(2, a.formId);
        insert.bind(3, a.rowNumber);
        insert.bind(4, a.title.toUtf8());
        insert.bind(5, a.mediaPath.isEmpty() ? 0 : 1);
        if (!a.mediaPath.isEmpty()) {
            insert.bind(6, a.mediaPath.toUtf8());
            insert.bindNull(7);
        } else {
            insert.bindNull(6);
            insert.bindBlob(7, a.png);
        }
        insert.bind(8, today);
        insert.step();
        insert.reset();
    }
}

} // namespace

bool isDemoScript(const QString &fileName)
{
    return fileName.section(QLatin1Char('_'), 0, 0).toInt() >= 10;
}

// Asset 1 gets three stored pictures, assets 2 and 18 one each, asset 4 one external file written
// into `folder`; one picture belongs to another form's record with the same ID.
std::vector<DemoAttachment> demoAttachments(
    const std::function<QString(qint32)> &assetName, const QString &folder)
{
    static const DemoPicture pictures[] = {
        {AssetFormTypeID, 1, 1, "هنگام تحویل", "تصویر هنگام تحویل", Shape::Vehicle,
            qRgb(52, 101, 164), false},
        {AssetFormTypeID, 1, 2, "نصب برچسب", "تصویر پس از نصب برچسب اموال", Shape::Vehicle,
            qRgb(78, 154, 6), false},
        {AssetFormTypeID, 1, 3, "پس از سرویس", "تصویر پس از سرویس دوره ای", Shape::Vehicle,
            qRgb(204, 0, 0), false},
        {AssetFormTypeID, 2, 1, "نمای ساختمان", "نمای بیرونی ساختمان", Shape::Building,
            qRgb(193, 125, 17), false},
        {AssetFormTypeID, 18, 1, "تصویر دستگاه", "رایانه با برچسب اموال", Shape::Computer,
            qRgb(117, 80, 123), false},
        {AssetFormTypeID, 4, 1, "تصویر خودرو", "فایل بیرونی", Shape::Vehicle, qRgb(46, 52, 54),
            true},
        {1022150, 1, 1, "صورتجلسه جابجایی", "پیوست فرم دیگر", Shape::Building, qRgb(115, 210, 22),
            false},
    };
    std::vector<DemoAttachment> out;
    for (const DemoPicture &pic : pictures) {
        QString title = pic.formTypeId == AssetFormTypeID ? assetName(pic.formId) : QString();
        if (title.isEmpty())
            title = QString::fromUtf8(pic.title);
        DemoAttachment a {pic.formTypeId, pic.formId, pic.rowNumber, QString::fromUtf8(pic.title),
            {},
            pngBytes(
                drawPicture(title, QString::fromUtf8(pic.caption), pic.shape, QColor(pic.colour)))};
        if (pic.external) {
            if (!QDir().mkpath(folder))
                throw VelaError(QStringLiteral("پوشه «%1» ساخته نشد.").arg(folder), ErrDatabase);
            const QString file
                = folder + QStringLiteral("/asset-%1-%2.png").arg(pic.formId).arg(pic.rowNumber);
            QFile f(file);
            if (!f.open(QIODevice::WriteOnly) || f.write(a.png) != a.png.size())
                throw VelaError(QStringLiteral("فایل «%1» نوشته نشد.").arg(file), ErrDatabase);
            a.mediaPath = file;
            a.png.clear();
        }
        out.push_back(std::move(a));
    }
    return out;
}

namespace {

// ---------------------------------------------------------------- generated assets

// Word lists by kind of asset. The kind of a group is found from words of its own or its
// category's name; anything unknown is furnished like office furniture.
struct Item {
    const char *noun;
    std::vector<const char *> models;
};

struct Kind {
    std::vector<const char *> keywords;
    std::vector<Item> items;
    std::vector<const char *> qualifiers;
    double minCost, maxCost; // rials
};

const std::vector<Kind> &kinds()
{
    static const std::vector<Kind> list = {
        {{"زمین"},
            {{"زمین اداری",
                 {"خیابان ولیعصر", "بلوار کشاورز", "شهرک صنعتی", "جاده مخصوص", "میدان آزادی"}},
                {"زمین تجاری", {"خیابان امام", "بلوار معلم", "بازار بزرگ"}},
                {"زمین صنعتی", {"شهرک صنعتی شمس آباد", "شهرک صنعتی البرز", "منطقه ویژه اقتصادی"}}},
            {"قطعه ۱", "قطعه ۲", "پلاک ۱۲۴", "پلاک ۸۷", "با سند تک برگ"}, 5e9, 3e11},
        {{"ساختمان", "سوله", "انبار"},
            {{"ساختمان اداری", {"دفتر مرکزی", "شعبه غرب", "شعبه شمال", "ستاد استانی"}},
                {"انبار", {"مرکزی", "قطعات یدکی", "کالای ساخته شده", "مواد اولیه"}},
                {"سوله", {"نگهداری کالا", "تعمیرگاه", "بارانداز"}},
                {"واحد مسکونی", {"سازمانی", "مهمانسرا"}}},
            {"سه طبقه", "دو طبقه", "با پارکینگ", "اسکلت فلزی", "اسکلت بتنی"}, 5e9, 1.5e11},
        {{"نقلیه", "خودرو", "موتور"},
            {{"خودروی سواری",
                 {"پژو ۴۰۵", "پژو پارس", "سمند", "دنا", "تویوتا کمری", "کیا سراتو",
                     "هیوندای سوناتا"}},
                {"وانت", {"نیسان زامیاد", "پیکان", "آریسان", "مزدا کارا"}},
                {"کامیونت", {"ایسوزو", "هیوندای", "فوتون"}}, {"مینی بوس", {"هیوندای کانتی", "بنز"}},
                {"موتورسیکلت", {"هوندا ۱۲۵", "یاماها", "باجاج پالس"}}},
            {"مدل ۱۳۹۸", "مدل ۱۴۰۰", "مدل ۱۴۰۲", "سفید", "مشکی", "نقره ای", "دوگانه سوز"}, 1e8,
            8e9},
        {{"رایانه", "شبکه", "چاپگر", "اسکنر"},
            {{"رایانه رومیزی", {"Core i3", "Core i5", "Core i7", "HP ProDesk", "Dell OptiPlex"}},
                {"لپ تاپ", {"Lenovo ThinkPad", "ASUS VivoBook", "Dell Latitude", "HP ProBook"}},
                {"چاپگر لیزری", {"HP LaserJet M404", "Canon LBP6030", "Brother HL-L2350"}},
                {"اسکنر", {"Canon DR-C225", "Epson DS-530", "Fujitsu fi-7160"}},
                {"سوئیچ شبکه", {"Cisco ۲۴ پورت", "Cisco ۴۸ پورت", "HP Aruba"}},
                {"سرور", {"HP ProLiant DL380", "Dell PowerEdge R740", "Lenovo SR650"}},
                {"مانیتور", {"Samsung ۲۴ اینچ", "LG ۲۷ اینچ", "Asus ۲۲ اینچ"}}},
            {"با گارانتی", "ویژه واحد مالی", "ویژه دبیرخانه", "رم ۱۶ گیگ", "نسل جدید"}, 8e6, 1.5e9},
        {{"تأسیسات", "تاسیسات", "سرمایش", "گرمایش", "آسانسور"},
            {{"کولر گازی", {"اسپلیت ۱۸۰۰۰", "اسپلیت ۲۴۰۰۰", "اسپلیت ۳۰۰۰۰"}},
                {"پکیج گرمایشی", {"دیواری", "زمینی"}}, {"چیلر", {"جذبی ۲۰۰ تن", "تراکمی ۱۰۰ تن"}},
                {"آسانسور", {"۶ نفره", "۸ نفره", "باری ۲ تن"}},
                {"موتورخانه", {"مرکزی", "ساختمان شماره ۲"}}},
            {"نصب شده", "با قرارداد نگهداری", "ساخت داخل"}, 2e7, 8e9},
        {{"ماشین", "مولد", "فتوکپی", "تجهیزات"},
            {{"دستگاه فتوکپی", {"Canon iR 2530", "Sharp MX-M315", "Kyocera TASKalfa"}},
                {"ژنراتور", {"دیزلی ۵۰ کیلووات", "دیزلی ۱۰۰ کیلووات", "گازسوز ۲۰ کیلووات"}},
                {"یو پی اس", {"۳ کیلوولت آمپر", "۱۰ کیلوولت آمپر", "۲۰ کیلوولت آمپر"}},
                {"دستگاه تراش", {"CNC", "رومیزی"}}, {"لیفتراک", {"دیزلی ۳ تن", "برقی ۲ تن"}}},
            {"ساخت آلمان", "ساخت ژاپن", "ساخت ایران", "با سرویس سالانه"}, 5e7, 5e9},
        {{},
            {{"میز", {"مدیریت", "کارمندی", "کنفرانس ۱۲ نفره", "منشی"}},
                {"صندلی", {"مدیریت چرمی", "کارمندی چرخدار", "انتظار"}},
                {"کمد", {"فایل فلزی", "بایگانی ریلی", "لباس"}},
                {"مبلمان اداری", {"۵ نفره", "۷ نفره"}}, {"یخچال", {"ساید بای ساید", "دو درب"}},
                {"آبسردکن", {"ایستاده", "رومیزی"}}, {"گاوصندوق", {"نسوز", "دیواری"}},
                {"قفسه", {"کتابخانه", "انبار"}}},
            {"چوبی", "فلزی", "قهوه ای", "طوسی", "ام دی اف"}, 2e6, 4e8},
    };
    return list;
}

const Kind &kindOf(const QString &groupName, const QString &categoryName)
{
    const std::vector<Kind> &list = kinds();
    for (const QString &text : {groupName, categoryName})
        for (const Kind &k : list)
            for (const char *word : k.keywords)
                if (text.contains(QString::fromUtf8(word)))
                    return k;
    return list.back();
}

std::vector<qint64> idsOf(Database &db, const char *view)
{
    const QByteArray sql = QByteArray("SELECT ID FROM ") + view + " ORDER BY ID";
    Statement st(db, sql.constData());
    std::vector<qint64> ids;
    while (st.step())
        ids.push_back(st.integer(0));
    if (ids.empty())
        throw VelaError(QStringLiteral("%1 has no rows: generated assets need its lookups.")
                            .arg(QLatin1String(view)),
            ErrDatabase);
    return ids;
}

// A small deterministic generator: the same seed gives the same rows on every platform.
class Random {
public:
    explicit Random(quint32 seed) : m_engine(seed) { }
    quint32 next() { return quint32(m_engine()); }
    int below(int n) { return int((quint64(next()) * quint64(n)) >> 32); }
    double unit() { return next() / 4294967296.0; }
    bool chance(double p) { return unit() < p; }
    template<class T> const T &pick(const std::vector<T> &v)
    {
        return v[size_t(below(int(v.size())))];
    }

private:
    std::mt19937 m_engine;
};

struct GroupInfo {
    qint64 id;
    std::string code;
    const Kind *kind;
};

// A text column value: bytes bound without copying, or NULL.

// Money columns keep exact decimal text. The generated amounts are whole or end in a quarter of
// a rial, so the double holds them exactly and its text is the amount.
void bindAmount(Statement &st, int index, double amount)
{
    const QByteArray text = Money::fromDouble(amount).toString().toLatin1();
    st.bind(index, text);
}

// Rounds an amount the way prices are quoted: to thousands below a hundred million, else to
// millions; one in ten keeps a fraction of a rial.
double quotedAmount(Random &rnd, double amount)
{
    const double step = amount < 1e8 ? 1e3 : 1e6;
    amount = std::max(step, std::round(amount / step) * step);
    const int r = rnd.below(100);
    if (r < 8)
        amount += 0.5;
    else if (r < 10)
        amount += r == 8 ? 0.25 : 0.75;
    return amount;
}

} // namespace

// ---------------------------------------------------------------- public

QString sqliteConnectionString(const QString &path)
{
    QString value = path;
    const bool needsQuotes = path.isEmpty() || path.contains(QLatin1Char(';'))
        || path.contains(QLatin1Char('\'')) || path.contains(QLatin1Char('"'))
        || path != path.trimmed();
    if (needsQuotes)
        value = QLatin1Char('\'') + QString(path).replace(QLatin1Char('\''), QStringLiteral("''"))
            + QLatin1Char('\'');
    return QStringLiteral("Provider=SQLite;Data Source=") + value;
}

QString defaultDemoPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.vela");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/demo.sqlite");
}

QString installDirectory()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    // Installed: the path from bin/ to the suite's folder; in the build tree every program lies
    // one folder below the build folder.
    for (const char *relative : {VELA_SUITE_FROM_BINDIR, "../suite"}) {
        const QString folder
            = QDir::cleanPath(programFolder.absoluteFilePath(QString::fromUtf8(relative)));
        if (QFileInfo(folder).isDir())
            return folder + QLatin1Char('/');
    }
    return QString();
}

void setBasePath(const QString &path, const QString &basePath)
{
    if (!QFileInfo(path).isFile())
        throw VelaError(QStringLiteral("پایگاه داده «%1» یافت نشد.").arg(path), ErrConnection);
    Database db = open(path, false);
    Statement update(db, "UPDATE tblOrvoSetting SET BasePath = ?1 WHERE ID = 1");
    if (basePath.isEmpty())
        update.bindNull(1);
    else
        update.bind(1, basePath.toUtf8());
    update.step();
}

void createSqlite(const QString &path, bool withDemoData)
{
    if (QFileInfo::exists(path))
        throw VelaError(
            QStringLiteral("پایگاه داده «%1» از پیش وجود دارد.").arg(path), ErrDatabase);
    const QDir scriptDir(QStringLiteral(":/db/sqlite"));
    const QStringList scripts
        = scriptDir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    if (scripts.isEmpty())
        throw VelaError(
            QStringLiteral("اسکریپت های پایگاه داده در کتابخانه یافت نشد."), ErrDatabase);
    QDir().mkpath(QFileInfo(path).absolutePath());

    const bool mediaExisted = QFileInfo::exists(mediaFolder(path));
    try {
        Database db = open(path, true);
        db.exec("PRAGMA foreign_keys=ON");
        sqlite::Transaction transaction(db);
        for (const QString &name : scripts) {
            if (isDemoScript(name) && !withDemoData)
                continue;
            QFile file(scriptDir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                throw VelaError(
                    QStringLiteral("%1: %2").arg(name, file.errorString()), ErrDatabase);
            execScript(db, file.readAll(), name);
        }
        if (withDemoData)
            insertDemoPictures(db, path);
        transaction.commit();
    } catch (...) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        if (!mediaExisted)
            QDir(mediaFolder(path)).removeRecursively();
        throw;
    }
}

void runSqliteScript(const QString &path, const QString &sql)
{
    if (!QFileInfo(path).isFile())
        throw VelaError(QStringLiteral("پایگاه داده «%1» یافت نشد.").arg(path), ErrConnection);
    Database db = open(path, false);
    db.exec("PRAGMA foreign_keys=ON");
    sqlite::Transaction transaction(db);
    execScript(db, sql.toUtf8(), QStringLiteral("script"));
    transaction.commit();
}

void generateAssets(const QString &path, int count, quint32 seed)
{
    if (count < 0)
        throw VelaError(
            QStringLiteral("generateAssets: negative count %1").arg(count), ErrDatabase);
    if (!QFileInfo(path).isFile())
        throw VelaError(QStringLiteral("پایگاه داده «%1» یافت نشد.").arg(path), ErrConnection);
    Database db = open(path, false);
    db.exec("PRAGMA foreign_keys=ON");
    db.exec("PRAGMA cache_size=-65536");

    // ---- lookups: active rows only, as the selectors list them
    const std::vector<qint64> users = idsOf(db, "vwUserMajor");
    const std::vector<qint64> types = idsOf(db, "vwAssetEstablishmentTypeMajor");
    const std::vector<qint64> statuses = idsOf(db, "vwAssetStatusTypeMajor");
    const std::vector<qint64> locations = idsOf(db, "vwOrvoInternalLocationMajor");
    const std::vector<qint64> keepers = idsOf(db, "vwAssetAccountableMajor");
    const std::vector<qint64> employees = idsOf(db, "vwEmployeeMajor");
    const std::vector<qint64> costCenters = idsOf(db, "vwAccountCostCenterMajor");
    const std::vector<qint64> branches = idsOf(db, "vwAccountBranchMajor");
    std::vector<GroupInfo> groups;
    {
        Statement st(db,
            "SELECT g.ID, g.Name, g.Code, c.Name FROM vwAssetGroupMajor g "
            "LEFT JOIN vwAssetCategoryMinor c ON c.ID = g.CategoryID ORDER BY g.ID");
        while (st.step()) {
            auto text = [&](int col) { return st.text(col); };
            const qint64 id = st.integer(0);
            QString code = text(2);
            if (code.isEmpty())
                code = QString::number(id).rightJustified(4, QLatin1Char('0'));
            groups.push_back({id, code.toStdString(), &kindOf(text(1), text(3))});
        }
        if (groups.empty())
            throw VelaError(
                QStringLiteral("vwAssetGroupMajor has no rows: generated assets need its lookups."),
                ErrDatabase);
    }

    qint64 label = 100000;
    {
        Statement st(db, "SELECT max(CAST(LabelNo AS INTEGER)) FROM tblAssetEstablishment");
        if (st.step() && !st.isNull(0))
            label = std::max<qint64>(label, st.integer(0));
    }

    // ---- calendar: registrations over twenty Persian years (1384..1403), Persian text cached per
    // day
    const QDate firstDay(2005, 3, 21), lastDay(2025, 3, 20);
    const QDate cacheFirst = firstDay.addDays(-120);
    const qint64 cacheDays = cacheFirst.daysTo(lastDay) + 1;
    std::vector<std::string> isoDays(static_cast<size_t>(cacheDays)),
        persianDays(static_cast<size_t>(cacheDays));
    for (qint64 i = 0; i < cacheDays; ++i) {
        const QDate d = cacheFirst.addDays(i);
        isoDays[size_t(i)] = d.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
        persianDays[size_t(i)] = jalali::formatDate(d).toStdString();
    }
    const int spanDays = int(firstDay.daysTo(lastDay)) + 1;
    const int firstIndex = int(cacheFirst.daysTo(firstDay));

    static const std::vector<const char *> units = {"واحد فناوری اطلاعات", "امور مالی", "دبیرخانه",
        "انبار مرکزی", "واحد فروش", "دفتر مدیرعامل", "واحد حراست", "امور اداری", "واحد نقلیه",
        "آبدارخانه", "سالن اجتماعات", "واحد بازرگانی"};
    static const std::vector<const char *> notes = {"تحویل شده با فاکتور رسمی", "دارای ضمانت نامه",
        "نیازمند سرویس دوره ای", "منتقل شده از انبار شعبه", "برچسب اموال نصب شد",
        "قرارداد نگهداری دارد", "در برنامه نوسازی", "بیمه شده", "اهدایی یکی از مشتریان"};

    Random rnd(seed);
    Statement insert(db,
        "INSERT INTO tblAssetEstablishment (CreatorID, LabelNo, OldLabelNo, Code, Name, "
        "UtilizationDate, FarsiUtilizationDate, CreateDate, FarsiCreateDate, TypeID, Cost, "
        "AccumulatedCost, AbortCost, OfficeMaxCost, StatusTypeID, DocumentNo, DocumentDate, "
        "FarsiDocumentDate, ReevaluationDate, FarsiReevaluationDate, GroupID, LocationID, "
        "OrganizationLocation, AccountableID, ResponsibleID, CostCenterID, BranchID, Description) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, "
        "?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28)");
    std::string labelText, oldLabel, code, name, documentNo, unit, description;

    sqlite::Transaction transaction(db);
    {
        for (int n = 0; n < count; ++n) {
            const GroupInfo &group = rnd.pick(groups);
            const Kind &kind = *group.kind;
            const Item &item = rnd.pick(kind.items);
            ++label;

            labelText = std::to_string(label);
            code = group.code + '-' + labelText;
            name = item.noun;
            name += ' ';
            name += rnd.pick(item.models);
            if (rnd.chance(0.4)) {
                name += ' ';
                name += rnd.pick(kind.qualifiers);
            }

            const int created = firstIndex + rnd.below(spanDays);
            const double cost = quotedAmount(
                rnd, kind.minCost * std::pow(kind.maxCost / kind.minCost, rnd.unit()));

            insert.bind(1, qint64(rnd.pick(users)));
            insert.bind(2, labelText);
            if (rnd.chance(0.7)) {
                oldLabel = std::to_string(1000 + rnd.below(90000));
                insert.bind(3, oldLabel);
            } else {
                insert.bindNull(3);
            }
            insert.bind(4, code);
            insert.bind(5, name);
            if (rnd.chance(0.9)) {
                const int used = std::max(0, created - rnd.below(90));
                insert.bind(6, isoDays[size_t(used)]);
                insert.bind(7, persianDays[size_t(used)]);
            } else {
                insert.bindNull(6);
                insert.bindNull(7);
            }
            insert.bind(8, isoDays[size_t(created)]);
            insert.bind(9, persianDays[size_t(created)]);
            // Most assets are bought; the first type is the usual one.
            insert.bind(10, qint64(rnd.chance(0.7) ? types.front() : rnd.pick(types)));
            bindAmount(insert, 11, cost);
            if (rnd.chance(0.85))
                bindAmount(insert, 12, quotedAmount(rnd, cost * rnd.unit()));
            else
                insert.bindNull(12);
            if (rnd.chance(0.7))
                bindAmount(insert, 13, quotedAmount(rnd, cost * 0.1 * rnd.unit()));
            else
                insert.bindNull(13);
            if (rnd.chance(0.75))
                bindAmount(insert, 14, quotedAmount(rnd, cost * (1.0 + 0.5 * rnd.unit())));
            else
                insert.bindNull(14);
            insert.bind(15, qint64(rnd.chance(0.8) ? statuses.front() : rnd.pick(statuses)));
            if (rnd.chance(0.8)) {
                const int documented = std::min(int(cacheDays) - 1, created + rnd.below(30));
                documentNo = std::to_string(1000 + rnd.below(99000));
                insert.bind(16, documentNo);
                insert.bind(17, isoDays[size_t(documented)]);
                insert.bind(18, persianDays[size_t(documented)]);
            } else {
                insert.bindNull(16);
                insert.bindNull(17);
                insert.bindNull(18);
            }
            const int lastIndex = int(cacheDays) - 1;
            if (created + 365 <= lastIndex && rnd.chance(0.7)) {
                const int revalued = created + 365 + rnd.below(lastIndex - created - 365 + 1);
                insert.bind(19, isoDays[size_t(revalued)]);
                insert.bind(20, persianDays[size_t(revalued)]);
            } else {
                insert.bindNull(19);
                insert.bindNull(20);
            }
            insert.bind(21, qint64(group.id));
            if (rnd.chance(0.85))
                insert.bind(22, qint64(rnd.pick(locations)));
            else
                insert.bindNull(22);
            if (rnd.chance(0.75)) {
                unit = rnd.pick(units);
                insert.bind(23, unit);
            } else {
                insert.bindNull(23);
            }
            if (rnd.chance(0.85))
                insert.bind(24, qint64(rnd.pick(keepers)));
            else
                insert.bindNull(24);
            if (rnd.chance(0.8))
                insert.bind(25, qint64(rnd.pick(employees)));
            else
                insert.bindNull(25);
            if (rnd.chance(0.9))
                insert.bind(26, qint64(rnd.pick(costCenters)));
            else
                insert.bindNull(26);
            insert.bind(27, qint64(rnd.pick(branches)));
            if (rnd.chance(0.7)) {
                description = rnd.pick(notes);
                if (rnd.chance(0.3)) {
                    description += " - ";
                    description += rnd.pick(notes);
                }
                insert.bind(28, description);
            } else {
                insert.bindNull(28);
            }

            insert.step();
            insert.reset();
        }
        transaction.commit();
    }
}

} // namespace vela::SuiteDatabase

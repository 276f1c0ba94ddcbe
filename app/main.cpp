// vela-asset: a small host window of the suite that places the asset establishment control,
// keeps its properties in the user's settings and opens the entry form, empty or on a record.
#include "demo/SuiteDatabase.h"
#include "host/velaAssetEst.h"
#include "shared/ConnectionString.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace {

// The control's saved properties live in the user's settings, group "velaAssetEst".
class SettingsPropertyBag : public VelaPropertyBag {
public:
    explicit SettingsPropertyBag(QSettings &settings) : m_settings(settings) { }
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue) override
    {
        return m_settings.value(key(name), defaultValue);
    }
    void WriteProperty(
        const QString &name, const QVariant &value, const QVariant &defaultValue) override
    {
        if (value == defaultValue)
            m_settings.remove(key(name));
        else
            m_settings.setValue(key(name), value);
    }

private:
    static QString key(const QString &name) { return QStringLiteral("velaAssetEst/") + name; }
    QSettings &m_settings;
};

QString tr2(const char *english, const char *persian)
{
    return QString::fromUtf8(english) + QStringLiteral("\n") + QString::fromUtf8(persian);
}

// Opens the demo database, creating it on first use (refreshDemoBasePath names the install
// directory in it).
QString demoConnectionString()
{
    const QString path = vela::SuiteDatabase::defaultDemoPath();
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        vela::SuiteDatabase::createSqlite(path, true);
    }
    return vela::SuiteDatabase::sqliteConnectionString(path);
}

// The demo database's base path is the suite's install directory of this very program (its
// report templates and components lie there), set on every start: the program may have moved
// since the database was made. Another database keeps its own.
void refreshDemoBasePath(const QString &connectionString)
{
    const QString path = vela::SuiteDatabase::defaultDemoPath();
    if (connectionString != vela::SuiteDatabase::sqliteConnectionString(path)
        || !QFileInfo::exists(path))
        return;
    try {
        vela::SuiteDatabase::setBasePath(path, vela::SuiteDatabase::installDirectory());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vela-asset: the demo database's install directory was not set: %s\n",
            e.what());
    }
}

// The suite's window: a title, the control (it hides itself) and a way to open the form.
class SuiteWindow : public QMainWindow {
public:
    explicit SuiteWindow(QSettings &settings) : m_bag(settings)
    {
        setObjectName(QStringLiteral("SuiteWindow"));
        setWindowTitle(QStringLiteral("سامانه دارایی‌های ثابت"));
        setLayoutDirection(Qt::RightToLeft);

        auto *central = new QWidget(this);
        auto *column = new QVBoxLayout(central);
        auto *title = new QLabel(
            QStringLiteral("ثبت استقرار دارایی‌های ثابت"), central);
        QFont big = title->font();
        big.setPointSizeF(big.pointSizeF() * 1.4);
        big.setBold(true);
        title->setFont(big);
        column->addWidget(title);

        control = new velaAssetEst(central);
        column->addWidget(control);

        auto *row = new QHBoxLayout;
        auto *openEmpty = new QPushButton(QStringLiteral("فرم استقرار"), central);
        openEmpty->setObjectName(QStringLiteral("openEmpty"));
        row->addWidget(openEmpty);
        row->addSpacing(16);
        row->addWidget(new QLabel(QStringLiteral("شماره رایانه‌ای:"), central));
        recordID = new QSpinBox(central);
        recordID->setRange(1, 2147483647);
        row->addWidget(recordID);
        auto *openRecord = new QPushButton(QStringLiteral("مشاهده"), central);
        openRecord->setObjectName(QStringLiteral("openRecord"));
        row->addWidget(openRecord);
        row->addStretch();
        column->addLayout(row);
        column->addStretch();
        setCentralWidget(central);

        connect(openEmpty, &QPushButton::clicked, this, [this] { call(0, false); });
        connect(openRecord, &QPushButton::clicked, this, [this] { call(recordID->value(), true); });
        // A changed property is saved at once, as a designer host would.
        connect(control, &velaAssetEst::PropertyChanged, this,
            [this] { control->WriteProperties(m_bag); });

        control->ReadProperties(m_bag);
        resize(520, 160);
    }

    // ClearShow or View; a failure of the call is shown, never lets the program fall over.
    bool call(qint32 id, bool onRecord)
    {
        try {
            if (onRecord)
                control->View(id);
            else
                control->ClearShow();
            // The connection string may carry a password: it is not shown.
            statusBar()->showMessage(QStringLiteral("کاربر %1").arg(control->UserID()));
            return true;
        } catch (const std::exception &e) {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("خطا"),
                QStringLiteral("فرم استقرار باز نشد.\n") + QString::fromUtf8(e.what()),
                QMessageBox::Ok, this);
            box.setLayoutDirection(Qt::RightToLeft);
            box.exec();
        } catch (...) {
            QMessageBox::critical(
                this, QStringLiteral("خطا"), QStringLiteral("فرم استقرار باز نشد."));
        }
        return false;
    }

    velaAssetEst *control;
    QSpinBox *recordID;

private:
    SettingsPropertyBag m_bag;
};

QWidget *entryForm()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FormMain") && w->isVisible())
            return w;
    return nullptr;
}

// --init-db: the suite's schema and the demo data in a new database, without a window. A server's
// database must exist and be empty (CREATE DATABASE is the administrator's); an SQLite file must
// not exist yet.
int initDatabase(const QString &connectionString)
{
    const vela::ConnectionString cs = vela::ConnectionString::parse(connectionString);
    const QString provider = cs.value(QStringLiteral("Provider")).trimmed();
    try {
        if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0) {
            vela::SuiteDatabase::createPostgres(connectionString, true);
        } else if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
            const QString path = cs.value(QStringLiteral("Data Source"));
            if (path.isEmpty())
                throw std::runtime_error("Data Source= is missing");
            vela::SuiteDatabase::createSqlite(path, true);
        } else {
            std::fprintf(stderr,
                "vela-asset: --init-db builds PostgreSQL and SQLite databases; SQL Server's are "
                "built with the scripts in db/sqlserver\n%s\n",
                "--init-db پایگاه داده PostgreSQL یا SQLite می‌سازد؛ برای SQL Server اسکریپت‌های "
                "db/sqlserver را اجرا کنید.");
            return 2;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vela-asset: %s\n%s\n", "پایگاه داده ساخته نشد.", e.what());
        return 1;
    }
    std::printf("%s\n", "پایگاه داده با داده‌های نمونه ساخته شد.");
    return 0;
}

} // namespace

// The program's options. Help is answered before a window system is needed.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption connectionOpt {
        QStringList {QStringLiteral("c"), QStringLiteral("connection")},
        tr2("Connection string, e.g. \"Provider=SQLite;Data Source=/path/suite.sqlite\".",
            "رشته اتصال به پایگاه داده."),
        QStringLiteral("text")};
    QCommandLineOption userOpt {QStringList {QStringLiteral("u"), QStringLiteral("user")},
        tr2("Identifier of the signed-in user.", "شناسه کاربر."), QStringLiteral("id")};
    QCommandLineOption positionOpt {QStringList {QStringLiteral("p"), QStringLiteral("position")},
        tr2("Identifier of the user's organisational position.", "شناسه سمت سازمانی کاربر."),
        QStringLiteral("id")};
    QCommandLineOption demoOpt {QStringLiteral("demo"),
        tr2("Forget saved settings and use the demo database and user.",
            "تنظیمات ذخیره شده کنار گذاشته و پایگاه داده نمونه به کار می‌رود.")};
    QCommandLineOption viewOpt {QStringLiteral("view"),
        tr2("Open the entry form on this record.", "فرم را روی این رکورد باز کن."),
        QStringLiteral("id")};
    QCommandLineOption shotOpt {QStringLiteral("screenshot"),
        tr2("Save a PNG picture of the entry form to this file and quit.",
            "تصویر فرم را در این فایل ذخیره کن و خارج شو."),
        QStringLiteral("file")};
    QCommandLineOption initOpt {QStringLiteral("init-db"),
        tr2("Create the suite's tables and the demo data in this empty database and quit\n"
            "(\"Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...\", or a new SQLite file).",
            "جدول‌ها و داده‌های نمونه را در این پایگاه داده خالی بساز و خارج شو."),
        QStringLiteral("connection")};
    QCommandLineOption printOpt {QStringLiteral("print"),
        tr2("Print this record to the PDF file of --pdf through the report template of --template,\n"
            "showing no window (also on the offscreen platform), and quit.",
            "این رکورد را با قالب --template در فایل PDF گزینه --pdf چاپ کن، بی آنکه پنجره‌ای نشان دهی."),
        QStringLiteral("id")};
    QCommandLineOption templateOpt {QStringLiteral("template"),
        tr2("Report template for --print: its title or its file name, e.g. AssetLabel.html.",
            "قالب گزارش برای --print: عنوان یا نام فایل آن."),
        QStringLiteral("name")};
    QCommandLineOption pdfOpt {QStringLiteral("pdf"),
        tr2("PDF file --print writes.", "فایل PDF که --print می‌نویسد."),
        QStringLiteral("file")};

    CommandLine()
    {
        parser.setApplicationDescription(tr2(
            "Registration of fixed assets. Opens the entry form empty, or on one record with --view.\n"
            "Without a connection string the embedded demo database is used (created on first run) with\n"
            "the demo user, who holds every role. Options given are kept for the next start.",
            "ثبت استقرار دارایی‌های ثابت. فرم را خالی یا با --view روی یک رکورد باز می‌کند.\n"
            "بدون رشته اتصال، پایگاه داده نمونه (در اولین اجرا ساخته می‌شود) با کاربر نمونه که همه نقش‌ها را دارد به کار می‌رود."));
        parser.addHelpOption();
        parser.addOptions({connectionOpt, userOpt, positionOpt, demoOpt, viewOpt, shotOpt, printOpt,
            templateOpt, pdfOpt, initOpt});
    }
};

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-?") {
            QCoreApplication core(argc, argv);
            CommandLine cl;
            cl.parser.process(core); // prints the help and exits
        }
        if (arg == "--init-db" || arg.startsWith("--init-db=")) {
            // No window: the demo pictures are drawn off screen when there is no display.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                && qEnvironmentVariableIsEmpty("DISPLAY")
                && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication gui(argc, argv);
            CommandLine cl;
            cl.parser.process(gui);
            return initDatabase(cl.parser.value(cl.initOpt));
        }
    }
    // Printing to a file needs no screen: without one the offscreen platform stands in.
    bool printing = false;
    for (int i = 1; i < argc; ++i)
        printing = printing || QByteArray(argv[i]) == "--print"
            || QByteArray(argv[i]).startsWith("--print=");
    if (printing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vela"));
    QApplication::setApplicationName(QStringLiteral("vela-asset"));
    QApplication::setLayoutDirection(Qt::RightToLeft);

    CommandLine cl;
    QCommandLineParser &parser = cl.parser;
    const QCommandLineOption &connectionOpt = cl.connectionOpt, &userOpt = cl.userOpt,
                             &positionOpt = cl.positionOpt, &demoOpt = cl.demoOpt,
                             &viewOpt = cl.viewOpt, &shotOpt = cl.shotOpt, &printOpt = cl.printOpt,
                             &templateOpt = cl.templateOpt, &pdfOpt = cl.pdfOpt;
    parser.process(app);

    auto number = [&parser](const QCommandLineOption &opt, qint32 &out) {
        bool ok = false;
        const qint32 v = parser.value(opt).toInt(&ok);
        if (!ok) {
            std::fprintf(stderr, "vela-asset: --%s needs a whole number\n",
                qPrintable(opt.names().constLast()));
            return false;
        }
        out = v;
        return true;
    };

    QSettings settings;
    SuiteWindow window(settings);
    velaAssetEst &control = *window.control;

    if (parser.isSet(demoOpt))
        control.InitProperties();
    if (parser.isSet(connectionOpt))
        control.setOLEConnectionString(parser.value(connectionOpt));
    qint32 value = 0;
    if (parser.isSet(userOpt)) {
        if (!number(userOpt, value))
            return 2;
        control.setUserID(value);
    }
    if (parser.isSet(positionOpt)) {
        if (!number(positionOpt, value))
            return 2;
        control.setPositionID(value);
    }
    qint32 viewID = 0;
    if (parser.isSet(viewOpt) && !number(viewOpt, viewID))
        return 2;
    qint32 printID = 0;
    if (parser.isSet(printOpt)) {
        if (!number(printOpt, printID))
            return 2;
        if (!parser.isSet(templateOpt) || !parser.isSet(pdfOpt)) {
            std::fprintf(stderr,
                "vela-asset: --print needs --template and --pdf\n"
                "vela-asset: --print به --template و --pdf نیاز دارد.\n");
            return 2;
        }
    }

    if (control.OLEConnectionString().isEmpty()) {
        try {
            control.setOLEConnectionString(demoConnectionString());
            if (control.UserID() == -1)
                control.setUserID(vela::SuiteDatabase::DemoAdminUserID);
        } catch (const std::exception &e) {
            if (printing) {
                std::fprintf(stderr,
                    "vela-asset: the demo database was not made / پایگاه داده نمونه ساخته نشد:\n%s\n",
                    e.what());
                return 1;
            }
            QMessageBox::critical(&window, QStringLiteral("خطا"),
                QStringLiteral("پایگاه داده نمونه ساخته نشد.\n") + QString::fromUtf8(e.what()));
        }
    }
    refreshDemoBasePath(control.OLEConnectionString());

    if (parser.isSet(printOpt)) {
        // A script's options are its own: the saved settings stay as they were.
        try {
            control.PrintToPdf(printID, parser.value(templateOpt), parser.value(pdfOpt));
            return 0;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "vela-asset: record %d was not printed / رکورد چاپ نشد:\n%s\n",
                int(printID), e.what());
            return 1;
        }
    }

    SettingsPropertyBag bag(settings);
    control.WriteProperties(bag);

    window.show();
    if (viewID > 0)
        window.recordID->setValue(viewID);

    // The picture is taken from the running program, also while a message box waits.
    bool shotTaken = false;
    int shotResult = 0;
    if (parser.isSet(shotOpt)) {
        const QString file = parser.value(shotOpt);
        QTimer::singleShot(400, &app, [&, file] {
            QWidget *target = entryForm();
            const QPixmap shot = (target ? target : static_cast<QWidget *>(&window))->grab();
            shotResult = shot.save(file, "PNG") ? 0 : 1;
            if (shotResult)
                std::fprintf(stderr, "vela-asset: could not write %s\n", qPrintable(file));
            shotTaken = true;
            app.exit(shotResult);
        });
    }
    window.call(viewID, parser.isSet(viewOpt));
    if (shotTaken)
        return shotResult;
    return app.exec();
}

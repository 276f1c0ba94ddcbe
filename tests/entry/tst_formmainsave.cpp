// Saving and deleting through the entry form's buttons on a fresh demo database per test: the
// rows, the statement trace, the form-action log and the messages the user sees.
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "entry/FormMain.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <memory>

using namespace vela;
using Rows = QList<QVariantList>;

namespace {
const QString NotPermitted = QStringLiteral("شما به انجام اين عمليات مجاز نيستيد."),
              TitleError = QStringLiteral("خطا");
const QString TitleInvalid = QStringLiteral("اشکال"),
              TitleSaveFailed = QStringLiteral("خطا در ثبت");
const QString Dependency = QStringLiteral("به اين فرم استقرار وابستگي وجود دارد."),
              LogPrefix = QStringLiteral("فرم استقرار به ش.ر. ”");
const QString Missing[]
    = {QStringLiteral("ايجاد کننده مشخص نشده است!"), QStringLiteral("شماره پلاک مشخص نشده است!"),
        QStringLiteral("عنوان مشخص نشده است!"), QStringLiteral("تاريخ بهره برداري مشخص نشده است!"),
        QStringLiteral("نوع مشخص نشده است!"), QStringLiteral("قيمت تمام شده مشخص نشده است!"),
        QStringLiteral("استهلاک انباشته مشخص نشده است!"),
        QStringLiteral("ارزش اسقاط مشخص نشده است!"), QStringLiteral("وضعيت دارايي مشخص نشده است!")};
const QString Insert
    = QStringLiteral(
        "insert into tblAssetEstablishment (CreatorID,LabelNo,Name,UtilizationDate,FarsiUtilizationDate,TypeID,Cost,AccumulatedCost,AbortCost,StatusTypeID) values ("),
    Identity = QStringLiteral("Select SCOPE_IDENTITY() as newID");
const QString Update = QStringLiteral("Update tblAssetEstablishment"),
              Where = QStringLiteral(" Where ID=");
const QString Pieces[] = {QStringLiteral(" Set CreatorID="), QStringLiteral(",LabelNo="),
    QStringLiteral(",OldLabelNo="), QStringLiteral(",Code="), QStringLiteral(",Name="),
    QStringLiteral(",UtilizationDate="), QStringLiteral(",FarsiUtilizationDate="),
    QStringLiteral(",CreateDate="), QStringLiteral(",FarsiCreateDate="), QStringLiteral(",TypeID="),
    QStringLiteral(",Cost="), QStringLiteral(",AccumulatedCost="), QStringLiteral(",AbortCost="),
    QStringLiteral(",OfficeMaxCost="), QStringLiteral(",StatusTypeID="),
    QStringLiteral(",DocumentNo="), QStringLiteral(",DocumentDate="),
    QStringLiteral(",FarsiDocumentDate="), QStringLiteral(",ReevaluationDate="),
    QStringLiteral(",FarsiReevaluationDate="), QStringLiteral(",GroupID="),
    QStringLiteral(",LocationID="), QStringLiteral(",OrganizationLocation="),
    QStringLiteral(",AccountableID="), QStringLiteral(",ResponsibleID="),
    QStringLiteral(",CostCenterID="), QStringLiteral(",BranchID="),
    QStringLiteral(",Description=")};
} // namespace

class TstFormMainSave : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<MessageRecorder> msgs;
    FormMain *f = nullptr;

    QWidget *ctl(const char *name)
    {
        QWidget *w = f->findChild<QWidget *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString text(const char *name) { return static_cast<QLineEdit *>(ctl(name))->text(); }
    void click(const char *name)
    {
        QTest::mouseClick(static_cast<QPushButton *>(ctl(name)), Qt::LeftButton);
    }
    // Types into a text box, an amount or a date (ended with Enter), key by key, in any script.
    void type(const char *name, const QString &text)
    {
        QWidget *w = ctl(name);
        if (auto *c = qobject_cast<OrvoCurrency *>(w))
            w = c->editor();
        else if (auto *d = qobject_cast<OrvoDate *>(w))
            w = d->editor();
        for (qsizetype i = 0, n; i < text.size(); i += n) {
            n = text[i].isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
        }
        if (qobject_cast<OrvoDate *>(ctl(name)))
            QTest::keyClick(w, Qt::Key_Return);
    }
    qint32 choose(const char *name) // types the first name of the selector's list
    {
        QComboBox *combo = static_cast<OrvoSelector *>(ctl(name))->comboBox();
        for (QChar c : combo->itemText(0))
            QTest::sendKeyEvent(
                QTest::Click, combo->lineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        return static_cast<OrvoSelector *>(ctl(name))->SelectedID();
    }
    QString tracePath() { return db->folder() + QStringLiteral("/trace.sql"); }
    QStringList trace()
    {
        QFile file(tracePath());
        return file.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
            : QStringList();
    }
    Rows asset(const QString &where)
    {
        return db->rows(QStringLiteral("SELECT * FROM tblAssetEstablishment WHERE ") + where);
    }
    Rows log()
    {
        return db->rows(QStringLiteral(
            "SELECT EventID, FormCode, FormTypeID, Description, UserID FROM tblOrvoFormAction"));
    }
    QPair<qint32, qint32> fillRequired(
        const QString &label = QStringLiteral("PL-7"), const QString &name = QStringLiteral("Name"))
    {
        type("txtLabelNo", label);
        type("txtName", name);
        type("datUtilizationDate", QStringLiteral("1402/05/10")); // 2023-08-01
        type("txtCost", QStringLiteral("1500000"));
        type("txtAccumulatedCost", QStringLiteral("0"));
        type("txtAbortCost", QStringLiteral("-12.25"));
        return {choose("sltType"), choose("sltStatusType")};
    }
    void view(qint32 id) { f->View(id); }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        qputenv("VELA_SQL_TRACE", QFile::encodeName(tracePath()));
        db->useAsCurrent();
        msgs = std::make_unique<MessageRecorder>();
        f = &FormMain::instance();
        f->ClearShow();
        QApplication::setActiveWindow(f);
        QVERIFY(QTest::qWaitForWindowActive(f));
    }
    void cleanup()
    {
        FormMain::unload();
        msgs.reset();
        db.reset();
        qunsetenv("VELA_SQL_TRACE");
    }

    void validationOrderAndFocus()
    {
        click("cmdNew");
        static_cast<OrvoSelector *>(ctl("sltCreator"))
            ->Clear(); // only a user missing from the list leaves it empty
        type("txtLabelNo", QStringLiteral("    "));
        type("txtName", QStringLiteral("  Name  "));
        const std::function<void()> fill[] = {
            [&] { static_cast<OrvoSelector *>(ctl("sltCreator"))->setSelectedID(CurrentUserID); },
            [&] {
                type("txtLabelNo", QStringLiteral("PL-7"));
                static_cast<QLineEdit *>(ctl("txtName"))->clear();
            },
            [&] { type("txtName", QStringLiteral("Name")); },
            [&] { type("datUtilizationDate", QStringLiteral("1402/05/10")); },
            [&] { choose("sltType"); }, [&] { type("txtCost", QStringLiteral("1")); },
            [&] { type("txtAccumulatedCost", QStringLiteral("1")); },
            [&] { type("txtAbortCost", QStringLiteral("1")); }, [&] { choose("sltStatusType"); }};
        const char *focus[] = {nullptr, "txtLabelNo", "txtName", "datUtilizationDate", "sltType",
            "txtCost", "txtAccumulatedCost", "txtAbortCost", "sltStatusType"};
        for (int n = 0; n < 9; ++n) {
            click("cmdSave");
            QCOMPARE(msgs->count(), n + 1);
            QCOMPARE(msgs->last().title, TitleInvalid);
            QCOMPARE(msgs->last().text, Missing[n]);
            QVERIFY2(!focus[n] || ctl(focus[n])->hasFocus(), focus[n]);
            if (n == 1)
                QCOMPARE(text("txtName"), QStringLiteral("Name")); // trimmed although refused
            fill[n]();
        }
        QVERIFY(trace().filter(QStringLiteral("tblAssetEstablishment")).isEmpty());
        click("cmdSave");
        QCOMPARE(msgs->count(), 9); // a save announces nothing
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
        QVERIFY(ctl("cmdNew")->hasFocus());
    }

    void permissionRefused()
    {
        // User 2 may only open the form: nothing is validated, asked or written.
        click("cmdNew");
        CurrentUserID = SuiteDatabase::DemoViewerUserID;
        click("cmdSave");
        view(TestDatabase::PlainAsset);
        click("cmdDelete");
        QCOMPARE(msgs->count(), 2);
        for (const MessageRecord &m : msgs->boxes)
            QVERIFY(m.title == TitleError && m.text == NotPermitted);
        QCOMPARE(asset(QStringLiteral("ID=50")).size(), 1);
        QVERIFY(log().isEmpty());
    }

    void newRecordInsertsThenUpdates()
    {
        click("cmdNew");
        const auto [typeId, statusId] = fillRequired();
        QFile::remove(tracePath());
        click("cmdSave");
        const QString id
            = db->scalar(QStringLiteral("SELECT max(ID) FROM tblAssetEstablishment")).toString();
        QCOMPARE(text("txtID"), id);
        const QStringList t = trace();
        QVERIFY(t.size() >= 5);
        QCOMPARE(t[1],
            Insert
                + QStringLiteral(
                    "1, 'PL-7','Name', '2023-08-01','1402/05/10',%1,1500000,0,-12.25,%2)")
                      .arg(typeId)
                      .arg(statusId));
        QCOMPARE(t[2], Identity);
        QVERIFY2(
            t[3].startsWith(
                QStringLiteral("CALL spOrvoInsertFormAction(102214801, '%1', 1022148, '").arg(id)),
            qPrintable(t[3]));
        // Every optional column is written as NULL.
        const QString values[]
            = {QStringLiteral("1"), QStringLiteral("'PL-7'"), {}, {}, QStringLiteral("'Name'"),
                QStringLiteral("'2023-08-01'"), QStringLiteral("'1402/05/10'"), {}, {},
                QString::number(typeId), QStringLiteral("1500000"), QStringLiteral("0"),
                QStringLiteral("-12.25"), {}, QString::number(statusId)};
        QString update = Update;
        for (int i = 0; i < 28; ++i)
            update += Pieces[i]
                + (i < 15 && !values[i].isEmpty() ? values[i] : QStringLiteral("NULL"));
        QCOMPARE(t[4], update + Where + id);
        QCOMPARE(log(),
            (Rows {{102214801, id, 1022148, LogPrefix + id + QStringLiteral("“ ايجاد شد."), 1}}));
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
        // The identity is the insert's own, not the log row's written since.
        click("cmdNew");
        fillRequired(QStringLiteral("PL-8"));
        click("cmdSave");
        QCOMPARE(text("txtID"), QString::number(id.toInt() + 1));
        QCOMPARE(asset(QStringLiteral("LabelNo='PL-8'"))[0][0].toInt(), id.toInt() + 1);
        QCOMPARE(msgs->count(), 0);
    }

    void editUpdatesOnly()
    {
        // Stored rows saved unchanged keep exactly what they held, NULLs included.
        for (qint32 id : {39, 9}) {
            const Rows before = asset(QStringLiteral("ID=%1").arg(id));
            view(id);
            click("cmdEdit");
            QFile::remove(tracePath());
            click("cmdSave");
            QCOMPARE(asset(QStringLiteral("ID=%1").arg(id)), before);
            const QStringList t = trace();
            QVERIFY(t.size() > 2 && t[1].startsWith(Update)
                && t[1].endsWith(Where + QString::number(id)));
            QVERIFY(t.filter(QStringLiteral("insert into")).isEmpty());
        }
        click("cmdEdit");
        static_cast<QLineEdit *>(ctl("txtName"))->clear();
        type("txtName", QStringLiteral("Renamed"));
        static_cast<QPlainTextEdit *>(ctl("txtDescription"))->clear();
        click("cmdSave");
        QCOMPARE(db->rows(QStringLiteral(
                     "SELECT Name, Description IS NULL FROM tblAssetEstablishment WHERE ID=9")),
            (Rows {{QStringLiteral("Renamed"), 1}}));
        QCOMPARE(log().size(), 3);
        QCOMPARE(log().last(),
            (QVariantList {102214804, QStringLiteral("9"), 1022148,
                LogPrefix + QStringLiteral("9“ اصلاح شد."), 1}));
        QCOMPARE(msgs->count(), 0);
    }

    void textsRoundTripExactly()
    {
        const QString label
            = QStringLiteral("O'Brien 100% C:\\dir\\ '); DELETE FROM tblAssetEstablishment; --");
        const QString name
            = QStringLiteral("\u0643\u064A \u06A9\u06CC \"q\" \U0001F69C\U0001F3ED  in  side");
        QString longText;
        for (int i = 0; i < 400; ++i)
            longText += QStringLiteral("ردیف %1: it's 50%% \\n\u064A\U0001F600\n").arg(i);
        click("cmdNew");
        fillRequired(label, name);
        type("txtCode", QStringLiteral("%_[a]"));
        static_cast<QPlainTextEdit *>(ctl("txtDescription"))->setPlainText(longText);
        click("cmdSave");
        QCOMPARE(msgs->count(), 0);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM tblAssetEstablishment")).toInt(),
            TestDatabase::DemoAssetCount + 1);
        QCOMPARE(
            db->rows(
                QStringLiteral(
                    "SELECT LabelNo, Name, Code, Description FROM tblAssetEstablishment WHERE ID=")
                + text("txtID")),
            (Rows {{label, name, QStringLiteral("%_[a]"), longText}}));
        QCOMPARE(text("txtLabelNo"), label); // as loaded again after the save
        QCOMPARE(text("txtName"), name);
        QCOMPARE(static_cast<QPlainTextEdit *>(ctl("txtDescription"))->toPlainText(), longText);
    }

    void amountsPlainAndOverflowKeepsScreen()
    {
        click("cmdNew");
        const qint32 typeId = fillRequired().first;
        static_cast<OrvoCurrency *>(ctl("txtCost"))->setText(QString());
        type("txtCost", QStringLiteral("۱۲۳۴۵۶۷٫۵")); // Persian digits and decimal separator
        // The ceiling is not part of the insert; out of range it still stops the save before
        // anything is written.
        type("txtOfficeMaxCost", QStringLiteral("99999999999999999999"));
        QFile::remove(tracePath());
        click("cmdSave");
        QString description;
        try {
            static_cast<OrvoCurrency *>(ctl("txtOfficeMaxCost"))->Value();
        } catch (const VelaError &e) {
            description = e.description();
        }
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(msgs->last().title, TitleSaveFailed);
        QVERIFY(!description.isEmpty() && msgs->last().text == description);
        QCOMPARE(f->FormMode, int(FormMain::ModeNew));
        QCOMPARE(static_cast<OrvoCurrency *>(ctl("txtOfficeMaxCost"))->Text(),
            QStringLiteral("99999999999999999999"));
        QVERIFY(text("txtID").isEmpty() && text("txtLabelNo") == QStringLiteral("PL-7"));
        QVERIFY(trace().filter(QStringLiteral("tblAssetEstablishment")).isEmpty());
        static_cast<OrvoCurrency *>(ctl("txtOfficeMaxCost"))
            ->setText(QStringLiteral("922337203685477.5807")); // the largest
        click("cmdSave");
        const QStringList t = trace();
        QCOMPARE(
            t.filter(QStringLiteral(",'1402/05/10',%1,1234567.5,0,-12.25,").arg(typeId)).size(), 1);
        QCOMPARE(
            t
                .filter(QStringLiteral(
                    ",Cost=1234567.5,AccumulatedCost=0,AbortCost=-12.25,OfficeMaxCost=922337203685477.5807,"))
                .size(),
            1);
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
    }

    void deleteRecord()
    {
        const QString attachments = QStringLiteral(
            "SELECT count(*) FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND FormID=1");
        QVERIFY(db->scalar(attachments).toInt() > 0);
        view(TestDatabase::AssetWithPictures);
        msgs->queue({0}); // answered no: nothing happens
        click("cmdDelete");
        QVERIFY(msgs->count() == 1 && msgs->last().type == 1);
        QVERIFY(trace().filter(QStringLiteral("Delete")).isEmpty());
        // A failing second statement takes the first one back with it.
        db->exec(QStringLiteral(
            "CREATE TRIGGER tKeep BEFORE DELETE ON tblOrvoFormAttachment BEGIN SELECT RAISE(ABORT, 'kept'); END"));
        click("cmdDelete");
        QCOMPARE(msgs->last().text, Dependency);
        QCOMPARE(asset(QStringLiteral("ID=1")).size(), 1);
        // A failing log entry does not stop the deletion.
        db->exec(QStringLiteral(
            "DROP TRIGGER tKeep; CREATE TRIGGER tNoLog BEFORE INSERT ON tblOrvoFormAction BEGIN SELECT RAISE(ABORT, 'no log'); END"));
        QFile::remove(tracePath());
        click("cmdDelete");
        QCOMPARE(msgs->count(), 4);
        QVERIFY(trace().contains(QStringLiteral("Delete tblAssetEstablishment Where ID=1")));
        QVERIFY(trace().contains(QStringLiteral(
            "Delete tblOrvoFormAttachment Where FormTypeID = 1022148 and FormID = 1")));
        QVERIFY(asset(QStringLiteral("ID=1")).isEmpty());
        QCOMPARE(db->scalar(attachments).toInt(), 0);
        QVERIFY(f->FormMode == FormMain::ModeEmpty && text("txtID").isEmpty());
        db->exec(QStringLiteral("DROP TRIGGER tNoLog"));
        view(TestDatabase::PlainAsset);
        click("cmdDelete");
        QCOMPARE(log(),
            (Rows {{102214803, QStringLiteral("50"), 1022148,
                LogPrefix + QStringLiteral("50“ حذف شد."), 1}}));
        // A record others refer to stays, on screen too.
        view(TestDatabase::AssetWithMovements);
        click("cmdDelete");
        QVERIFY(msgs->last().title == TitleError && msgs->last().text == Dependency);
        QCOMPARE(asset(QStringLiteral("ID=5")).size(), 1);
        QVERIFY(f->FormMode == FormMain::ModeView && text("txtID") == QStringLiteral("5"));
        QCOMPARE(log().size(), 1);
    }
};

QTEST_MAIN(TstFormMainSave)
#include "tst_formmainsave.moc"

// Saving and deleting through the entry form's buttons on a fresh demo database per test: the
// rows, the statement trace, the form-action log and the messages the user sees.
#include "entry/FormDriver.h"
#include "entry/FormMain.h"
#include "shared/SqliteBackend.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <memory>
#include <sqlite3.h>

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
const QString Begin = QStringLiteral("BEGIN TRANSACTION"),
              Commit = QStringLiteral("COMMIT TRANSACTION"),
              Rollback = QStringLiteral("ROLLBACK TRANSACTION");

// The component's own connection, for faults that must reach its statements.
sqlite3 *componentHandle()
{
    return static_cast<sqlite3 *>(DtEn().cn().backend().nativeHandle());
}

void failingIdentity(sqlite3_context *ctx, int, sqlite3_value **)
{
    sqlite3_result_error(ctx, "identity unavailable", -1);
}
} // namespace

class TstFormMainSave : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<MessageRecorder> msgs;
    std::unique_ptr<FormDriver> d;
    FormMain *f = nullptr;

    Rows asset(const QString &where)
    {
        return db->rows(QStringLiteral("SELECT * FROM tblAssetEstablishment WHERE ") + where);
    }
    Rows log()
    {
        return db->rows(QStringLiteral(
            "SELECT EventID, FormCode, FormTypeID, Description, UserID FROM tblOrvoFormAction"));
    }
    void fillRequired(
        const QString &label = QStringLiteral("PL-7"), const QString &name = QStringLiteral("Name"))
    {
        d->type("txtLabelNo", label);
        d->type("txtName", name);
        d->type("datUtilizationDate", QStringLiteral("1402/05/10"));
        d->type("txtCost", QStringLiteral("1500000"));
        d->type("txtAccumulatedCost", QStringLiteral("0"));
        d->type("txtAbortCost", QStringLiteral("-12.25"));
        d->choose("sltType");
        d->choose("sltStatusType");
    }

    void view(qint32 id) { f->View(id); } // takes its argument by reference

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        msgs = std::make_unique<MessageRecorder>();
        d = std::make_unique<FormDriver>(*db);
        d->host.ClearShow();
        f = &d->form();
        QApplication::setActiveWindow(f);
        QVERIFY(QTest::qWaitForWindowActive(f));
    }
    void cleanup()
    {
        d.reset();
        msgs.reset();
        db.reset();
    }

    void validationOrderAndFocus()
    {
        d->click("cmdNew");
        d->get<OrvoSelector>("sltCreator")
            ->Clear(); // only a user missing from the list leaves it empty
        d->type("txtLabelNo", QStringLiteral("    "));
        d->type("txtName", QStringLiteral("  Name  "));
        const std::function<void()> fill[]
            = {[&] { d->get<OrvoSelector>("sltCreator")->setSelectedID(CurrentUserID); },
                [&] {
                    d->type("txtLabelNo", QStringLiteral("PL-7"));
                    d->get<QLineEdit>("txtName")->clear();
                },
                [&] { d->type("txtName", QStringLiteral("Name")); },
                [&] { d->type("datUtilizationDate", QStringLiteral("1402/05/10")); },
                [&] { d->choose("sltType"); }, [&] { d->type("txtCost", QStringLiteral("1")); },
                [&] { d->type("txtAccumulatedCost", QStringLiteral("1")); },
                [&] { d->type("txtAbortCost", QStringLiteral("1")); },
                [&] { d->choose("sltStatusType"); }};
        const char *focus[] = {nullptr, "txtLabelNo", "txtName", "datUtilizationDate", "sltType",
            "txtCost", "txtAccumulatedCost", "txtAbortCost", "sltStatusType"};
        for (int n = 0; n < 9; ++n) {
            d->click("cmdSave");
            QCOMPARE(msgs->count(), n + 1);
            QCOMPARE(msgs->last().title, TitleInvalid);
            QCOMPARE(msgs->last().text, Missing[n]);
            QVERIFY2(!focus[n] || d->get(focus[n])->hasFocus(), focus[n]);
            if (n == 1)
                QCOMPARE(d->text("txtName"), QStringLiteral("Name")); // trimmed although refused
            fill[n]();
        }
        QVERIFY(d->takeTrace().filter(QStringLiteral("tblAssetEstablishment")).isEmpty());
        d->click("cmdSave");
        QCOMPARE(msgs->count(), 9); // a save announces nothing
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
        QVERIFY(d->get("cmdNew")->hasFocus());
    }

    void permissionRefused()
    {
        // User 2 may only open the form: nothing is validated, asked or written.
        d->click("cmdNew");
        CurrentUserID = SuiteDatabase::DemoViewerUserID;
        d->click("cmdSave");
        view(TestDatabase::PlainAsset);
        d->click("cmdDelete");
        QCOMPARE(msgs->count(), 2);
        for (const MessageRecord &m : msgs->boxes)
            QVERIFY(m.title == TitleError && m.text == NotPermitted);
        QCOMPARE(asset(QStringLiteral("ID=50")).size(), 1);
        QVERIFY(log().isEmpty());
    }

    void editKeepsWhatItDoesNotChange()
    {
        // Stored rows saved unchanged keep exactly what they held, NULLs included, and gain no
        // twin; an emptied text is stored as NULL.
        for (qint32 id : {39, 9}) {
            const Rows before = asset(QStringLiteral("ID=%1").arg(id));
            view(id);
            d->click("cmdEdit");
            d->click("cmdSave");
            QCOMPARE(asset(QStringLiteral("ID=%1").arg(id)), before);
        }
        d->click("cmdEdit");
        d->get<QPlainTextEdit>("txtDescription")->clear();
        d->click("cmdSave");
        QCOMPARE(asset(QStringLiteral("ID=9 AND Description IS NULL")).size(), 1);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM tblAssetEstablishment")).toInt(),
            TestDatabase::DemoAssetCount);
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
        d->click("cmdNew");
        fillRequired(label, name);
        d->type("txtCode", QStringLiteral("%_[a]"));
        d->get<QPlainTextEdit>("txtDescription")->setPlainText(longText);
        d->click("cmdSave");
        QCOMPARE(msgs->count(), 0);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM tblAssetEstablishment")).toInt(),
            TestDatabase::DemoAssetCount + 1);
        QCOMPARE(
            db->rows(
                QStringLiteral(
                    "SELECT LabelNo, Name, Code, Description FROM tblAssetEstablishment WHERE ID=")
                + d->text("txtID")),
            (Rows {{label, name, QStringLiteral("%_[a]"), longText}}));
        QCOMPARE(d->text("txtLabelNo"), label); // as loaded again after the save
        QCOMPARE(d->text("txtName"), name);
        QCOMPARE(d->get<QPlainTextEdit>("txtDescription")->toPlainText(), longText);
    }

    void amountOutOfRangeKeepsScreen()
    {
        // An amount out of range stops the save before anything is written, the ceiling too,
        // which the insert leaves out.
        d->click("cmdNew");
        fillRequired();
        d->type("txtOfficeMaxCost", QStringLiteral("99999999999999999999"));
        d->takeTrace();
        d->click("cmdSave");
        QString description;
        try {
            d->get<OrvoCurrency>("txtOfficeMaxCost")->Value();
        } catch (const VelaError &e) {
            description = e.description();
        }
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(msgs->last().title, TitleSaveFailed);
        QVERIFY(!description.isEmpty() && msgs->last().text == description);
        QCOMPARE(f->FormMode, int(FormMain::ModeNew));
        QCOMPARE(d->get<OrvoCurrency>("txtOfficeMaxCost")->Text(),
            QStringLiteral("99999999999999999999"));
        QVERIFY(d->takeTrace().filter(QStringLiteral("tblAssetEstablishment")).isEmpty());
    }

    void deleteRecord()
    {
        const QString attachments = QStringLiteral(
            "SELECT count(*) FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND FormID=1");
        QVERIFY(db->scalar(attachments).toInt() > 0);
        view(TestDatabase::AssetWithPictures);
        msgs->queue({0}); // answered no: nothing happens
        d->click("cmdDelete");
        QVERIFY(msgs->count() == 1 && msgs->last().type == 1);
        QVERIFY(d->takeTrace().filter(QStringLiteral("Delete")).isEmpty());
        // A failing second statement takes the first one back with it; a refusal that is not a
        // dependant row says what it is.
        db->refuse(QStringLiteral("tblOrvoFormAttachment"), QStringLiteral("DELETE"),
            QStringLiteral("kept"));
        d->click("cmdDelete");
        QCOMPARE(msgs->last().title, TitleError);
        QVERIFY(msgs->last().text.startsWith(failureSentence(FailureKind::Refused)));
        QVERIFY(msgs->last().text.contains(QStringLiteral("kept")));
        QCOMPARE(asset(QStringLiteral("ID=1")).size(), 1);
        // A failing log entry does not stop the deletion.
        db->allow(QStringLiteral("tblOrvoFormAttachment"), QStringLiteral("DELETE"));
        db->refuse(QStringLiteral("tblOrvoFormAction"), QStringLiteral("INSERT"),
            QStringLiteral("no log"));
        d->click("cmdDelete");
        QCOMPARE(msgs->count(), 4);
        QVERIFY(asset(QStringLiteral("ID=1")).isEmpty());
        QCOMPARE(db->scalar(attachments).toInt(), 0);
        QVERIFY(f->FormMode == FormMain::ModeEmpty && d->text("txtID").isEmpty());
        db->allow(QStringLiteral("tblOrvoFormAction"), QStringLiteral("INSERT"));
        view(TestDatabase::PlainAsset);
        d->click("cmdDelete");
        QCOMPARE(log(),
            (Rows {{102214803, QStringLiteral("50"), 1022148,
                LogPrefix + QStringLiteral("50“ حذف شد."), 1}}));
        // A record others refer to stays, on screen too.
        view(TestDatabase::AssetWithMovements);
        d->click("cmdDelete");
        QVERIFY(msgs->last().title == TitleError && msgs->last().text == Dependency);
        QCOMPARE(asset(QStringLiteral("ID=5")).size(), 1);
        QVERIFY(f->FormMode == FormMain::ModeView && d->text("txtID") == QStringLiteral("5"));
        QCOMPARE(log().size(), 1);
    }

    void saveIsAllOrNothing()
    {
        const QString assets = QStringLiteral("SELECT count(*) FROM tblAssetEstablishment");
        const QString created = QStringLiteral(
            "SELECT count(*) FROM tblOrvoFormAction WHERE EventID=102214801 AND FormCode=");
        TestDatabase::OtherClient other(*db);
        const bool pg = TestDatabase::onPostgres();
        const QString logTable = QStringLiteral("tblOrvoFormAction"),
                      assetTable = QStringLiteral("tblAssetEstablishment");
        // A fault for each statement of a new record's save, as the engine really meets it, and
        // what takes it away again. (A server computes no identity the test could break, and its
        // disk cannot be filled here; a NUL it refuses as a value.)
        const struct {
            const char *name;
            std::function<void()> inject, repair;
            FailureKind kind;
            bool onPostgres = true;
        } faults[] = {
            {"identity",
                [] {
                    sqlite3_create_function(componentHandle(), "scope_identity", 0, SQLITE_UTF8,
                        nullptr, failingIdentity, nullptr, nullptr);
                },
                [] { SqliteBackend::registerFunctions(componentHandle()); }, FailureKind::Structure,
                false},
            {"log entry",
                [&] { db->refuse(logTable, QStringLiteral("INSERT"), QStringLiteral("no")); },
                [&] { db->allow(logTable, QStringLiteral("INSERT")); }, FailureKind::Refused},
            {"update",
                [&] { db->refuse(assetTable, QStringLiteral("UPDATE"), QStringLiteral("no")); },
                [&] { db->allow(assetTable, QStringLiteral("UPDATE")); }, FailureKind::Refused},
            {"update: a full disk",
                [&] {
                    d->get<QPlainTextEdit>("txtDescription")
                        ->setPlainText(QString(400000, QLatin1Char('d')));
                    RunQuery(DtEn().rssqlCommon(), QStringLiteral("PRAGMA max_page_count=1"));
                },
                [&] {
                    RunQuery(
                        DtEn().rssqlCommon(), QStringLiteral("PRAGMA max_page_count=1073741823"));
                },
                FailureKind::DiskFull, false},
            {"update: a NUL in a text",
                [&] { d->get<QLineEdit>("txtCode")->setText(QStringLiteral("a\0b")); },
                [&] { d->get<QLineEdit>("txtCode")->setText(QStringLiteral("ab")); },
                pg ? FailureKind::Refused : FailureKind::Structure},
            {"insert: a lock held by another program",
                [&] {
                    TestDatabase::componentWaitsNotForLocks();
                    QVERIFY(other.holdWriteLock());
                },
                [&] { other.release(); }, FailureKind::Busy},
        };
        int expected = TestDatabase::DemoAssetCount;
        for (const auto &fault : faults) {
            if (pg && !fault.onPostgres)
                continue;
            d->click("cmdNew");
            const QString label = QStringLiteral("AN-%1").arg(expected);
            fillRequired(label);
            fault.inject();
            d->takeTrace();
            msgs->clear();
            d->click("cmdSave");
            // Nothing of the failed save is stored; the form keeps the values in new mode.
            QVERIFY2(msgs->count() == 1 && msgs->last().title == TitleSaveFailed, fault.name);
            QVERIFY2(msgs->last().text.startsWith(failureSentence(fault.kind)),
                qPrintable(msgs->last().text));
            QVERIFY2(db->scalar(assets).toInt() == expected, fault.name);
            QVERIFY2(log().size() == expected - TestDatabase::DemoAssetCount, fault.name);
            QCOMPARE(f->FormMode, int(FormMain::ModeNew));
            QVERIFY(f->windowTitle().endsWith(QStringLiteral(" (جديد)")));
            QVERIFY(d->text("txtID").isEmpty() && d->text("txtLabelNo") == label);
            // Rolled back, or refused at its start (SQLite takes the write lock at BEGIN).
            const QStringList t = d->takeTrace();
            QVERIFY2(
                !t.contains(Commit) && (t.contains(Rollback) || t.last() == Begin), fault.name);
            // A second Save stores exactly one record with one "created" entry.
            fault.repair();
            d->click("cmdSave");
            QVERIFY2(msgs->count() == 1, fault.name);
            ++expected;
            QCOMPARE(db->scalar(assets).toInt(), expected);
            QCOMPARE(asset(QStringLiteral("LabelNo='%1'").arg(label)),
                asset(QStringLiteral("ID=") + d->text("txtID"))); // the insert's own identity
            QCOMPARE(db->scalar(created + QStringLiteral("'%1'").arg(d->text("txtID"))).toInt(), 1);
            QCOMPARE(f->FormMode, int(FormMain::ModeView));
        }
        QCOMPARE(log().size(), expected - TestDatabase::DemoAssetCount);

        // An edit whose log entry fails keeps the stored row as it was and the edit on screen.
        view(9);
        const Rows before = asset(QStringLiteral("ID=9"));
        d->click("cmdEdit");
        d->type("txtName", QStringLiteral(" changed"));
        db->refuse(logTable, QStringLiteral("INSERT"), QStringLiteral("no"));
        d->click("cmdSave");
        QCOMPARE(msgs->last().title, TitleSaveFailed);
        QCOMPARE(asset(QStringLiteral("ID=9")), before);
        QCOMPARE(f->FormMode, int(FormMain::ModeEdit));
        QVERIFY(d->text("txtName").endsWith(QStringLiteral(" changed")));
        db->allow(logTable, QStringLiteral("INSERT"));
        d->click("cmdSave");
        QCOMPARE(log().last()[0].toInt(), 102214804);
        QVERIFY(
            asset(QStringLiteral("ID=9"))[0][5].toString().endsWith(QStringLiteral(" changed")));
    }

    void savedButNotShownAgain()
    {
        if (TestDatabase::onPostgres())
            QSKIP("the lock is taken from SQLite's authorizer at the moment of the reload");
        // Another program locks the file at the moment the saved record is read back.
        TestDatabase::OtherClient other(*db);
        struct LockAtReload {
            TestDatabase::OtherClient &other;
            bool locked = false;
        } lock {other};
        auto authorizer = [](void *p, int action, const char *table, const char *column,
                              const char *, const char *) {
            auto *l = static_cast<LockAtReload *>(p);
            if (action == SQLITE_READ && !l->locked && qstrcmp(table, "tblAssetEstablishment") == 0
                && qstrcmp(column, "Description") == 0)
                l->locked = l->other.holdExclusiveLock();
            return int(SQLITE_OK);
        };
        d->click("cmdNew");
        fillRequired(QStringLiteral("SAVED-1"));
        sqlite3_busy_timeout(componentHandle(), 0);
        sqlite3_set_authorizer(componentHandle(), authorizer, &lock);
        d->click("cmdSave");
        sqlite3_set_authorizer(componentHandle(), nullptr, nullptr);
        QVERIFY(lock.locked);
        other.release();
        const Rows saved = asset(QStringLiteral("LabelNo='SAVED-1'"));
        QCOMPARE(saved.size(), 1);
        const QString id = saved[0][0].toString();
        // Told in Persian that it is stored; shown read-only under its number, values kept.
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(msgs->last().title, TitleError);
        QVERIFY(msgs->last().text.contains(id));
        QVERIFY(msgs->last().text.contains(failureSentence(FailureKind::Busy)));
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
        QVERIFY(f->windowTitle().endsWith(QStringLiteral(" (مشاهده)")));
        QVERIFY(d->text("txtID") == id && d->text("txtLabelNo") == QStringLiteral("SAVED-1"));
        // The next record is a record of its own; the saved one stays as it was.
        d->click("cmdNew");
        fillRequired(QStringLiteral("SAVED-2"));
        d->click("cmdSave");
        QCOMPARE(asset(QStringLiteral("ID=") + id), saved);
        QCOMPARE(asset(QStringLiteral("LabelNo='SAVED-2'")).size(), 1);
        QCOMPARE(log().size(), 2);
        QCOMPARE(msgs->count(), 1);
    }

    void recordDeletedMeanwhile()
    {
        view(TestDatabase::PlainAsset);
        d->click("cmdEdit");
        d->get<QLineEdit>("txtName")->setText(QStringLiteral("Kept"));
        db->exec(QStringLiteral("DELETE FROM tblAssetEstablishment WHERE ID=50"));
        d->takeTrace();
        msgs->queue({0});
        d->click("cmdSave");
        // Told, asked, and on no the edit stays on screen; nothing is written or logged.
        QCOMPARE(msgs->count(), 1);
        QVERIFY(msgs->last().type == 1 && msgs->last().title == TitleSaveFailed);
        QVERIFY(msgs->last().text.contains(QStringLiteral("50")));
        QVERIFY(f->FormMode == FormMain::ModeEdit && d->text("txtName") == QStringLiteral("Kept"));
        const QStringList t = d->takeTrace();
        QVERIFY(t.contains(Rollback) && t.filter(QStringLiteral("insert")).isEmpty());
        QVERIFY(log().isEmpty());
        // Yes stores the values as a new record, logged as created and nothing else.
        d->click("cmdSave");
        const Rows kept = asset(QStringLiteral("Name='Kept'"));
        QCOMPARE(kept.size(), 1);
        const QString id = kept[0][0].toString();
        QVERIFY(id != QStringLiteral("50") && d->text("txtID") == id);
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
        QCOMPARE(log(),
            (Rows {{102214801, id, 1022148, LogPrefix + id + QStringLiteral("“ ايجاد شد."), 1}}));

        // A record deleted meanwhile is not deleted again, nor logged as deleted.
        view(49);
        db->exec(QStringLiteral("DELETE FROM tblAssetEstablishment WHERE ID=49"));
        msgs->clear();
        d->click("cmdDelete");
        QCOMPARE(msgs->count(), 2);
        QCOMPARE(msgs->last().title, TitleError);
        QVERIFY(msgs->last().text.contains(QStringLiteral("49")));
        QCOMPARE(log().size(), 1);
        QCOMPARE(f->FormMode, int(FormMain::ModeEmpty));
    }

    void deleteFailuresSayWhatHappened()
    {
        TestDatabase::OtherClient other(*db);
        view(TestDatabase::PlainAsset);
        TestDatabase::componentWaitsNotForLocks();
        // A write lock, then a lock that fails the permission check, then a read-only database:
        // each says what happened, none is the dependency message.
        const struct {
            std::function<void()> fault;
            FailureKind kind;
        } faults[] = {
            {[&] { QVERIFY(other.holdWriteLock()); }, FailureKind::Busy},
            {[&] { QVERIFY(other.holdExclusiveLock()); }, FailureKind::Busy},
            {[] { TestDatabase::componentReadOnly(true); }, FailureKind::ReadOnly},
        };
        for (const auto &c : faults) {
            c.fault();
            msgs->clear();
            d->click("cmdDelete");
            QCOMPARE(msgs->last().title, TitleError);
            QVERIFY2(msgs->last().text.startsWith(failureSentence(c.kind)),
                qPrintable(msgs->last().text));
            other.release();
        }
        QVERIFY(msgs->last().text.contains(
            TestDatabase::onPostgres() ? QStringLiteral("read-only") : QStringLiteral("readonly")));
        QCOMPARE(asset(QStringLiteral("ID=50")).size(), 1);
        QVERIFY(f->FormMode == FormMain::ModeView && d->text("txtID") == QStringLiteral("50"));
        QVERIFY(log().isEmpty());
    }

    void enterOnTheDeleteQuestionKeepsTheRecord()
    {
        view(TestDatabase::PlainAsset);
        // The real message box; the user presses Enter as soon as it shows.
        const comMSG::Responder recorder = comMSG::responder();
        comMSG::setResponder(nullptr);
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&timer] {
            if (auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                timer.stop();
                QTest::keyClick(dlg->focusWidget() ? dlg->focusWidget() : dlg, Qt::Key_Return);
            }
        });
        timer.start(10);
        d->click("cmdDelete");
        comMSG::setResponder(recorder);
        QVERIFY(!timer.isActive());
        QCOMPARE(asset(QStringLiteral("ID=50")).size(), 1);
        QVERIFY(d->takeTrace().filter(QStringLiteral("Delete")).isEmpty());
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
    }
};

QTEST_MAIN(TstFormMainSave)
#include "tst_formmainsave.moc"

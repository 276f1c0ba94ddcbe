// Saving and deleting through the entry form's buttons on a fresh demo database per test: the
// rows, the statement trace, the form-action log and the messages the user sees.
#include "entry/FormDriver.h"
#include "shared/SqliteBackend.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <memory>
#include <sqlite3.h>

using namespace vela;
using Rows = QList<QVariantList>;

namespace {
const QString TitleError = u"خطا"_qs, TitleSaveFailed = u"خطا در ثبت"_qs;
const QString LogPrefix = u"فرم استقرار به ش.ر. ”"_qs;
const QString Missing[] = {u"ايجاد کننده مشخص نشده است!"_qs, u"شماره پلاک مشخص نشده است!"_qs,
    u"عنوان مشخص نشده است!"_qs, u"تاريخ بهره برداري مشخص نشده است!"_qs, u"نوع مشخص نشده است!"_qs,
    u"قيمت تمام شده مشخص نشده است!"_qs, u"استهلاک انباشته مشخص نشده است!"_qs,
    u"ارزش اسقاط مشخص نشده است!"_qs, u"وضعيت دارايي مشخص نشده است!"_qs};
const QString Begin = u"BEGIN TRANSACTION"_qs, Commit = u"COMMIT TRANSACTION"_qs,
              Rollback = u"ROLLBACK TRANSACTION"_qs;

// The component's own connection, for faults that must reach its statements.
sqlite3 *componentHandle()
{
    return static_cast<sqlite3 *>(DtEn().cn().backend().nativeHandle());
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
        return db->rows(u"SELECT * FROM tblAssetEstablishment WHERE "_qs + where);
    }
    Rows log()
    {
        return db->rows(
            u"SELECT EventID, FormCode, FormTypeID, Description, UserID FROM tblOrvoFormAction"_qs);
    }
    int assets() { return db->scalar(u"SELECT count(*) FROM tblAssetEstablishment"_qs).toInt(); }
    void view(qint32 id) { f->View(id); } // takes its argument by reference
    // The last message is a failure of `kind` under `title`.
    void failed(FailureKind kind, const QString &title = TitleError)
    {
        QCOMPARE(msgs->last().title, title);
        QVERIFY2(msgs->last().text.startsWith(failureSentence(kind)), qPrintable(lastBox(*msgs)));
    }

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
        d->get<OrvoSelector>("sltCreator")->Clear(); // only a user missing from the list does so
        d->type("txtLabelNo", u"    "_qs);
        d->type("txtName", u"  Name  "_qs);
        const std::function<void()> fill[] = {
            [&] { d->get<OrvoSelector>("sltCreator")->setSelectedID(CurrentUserID); },
            [&] {
                d->type("txtLabelNo", u"PL-7"_qs);
                d->get<QLineEdit>("txtName")->clear();
            },
            [&] { d->type("txtName", u"Name"_qs); },
            [&] { d->type("datUtilizationDate", u"1402/05/10"_qs); }, [&] { d->choose("sltType"); },
            [&] { d->type("txtCost", u"1"_qs); }, [&] { d->type("txtAccumulatedCost", u"1"_qs); },
            [&] { d->type("txtAbortCost", u"1"_qs); }, [&] { d->choose("sltStatusType"); }};
        const char *focus[] = {nullptr, "txtLabelNo", "txtName", "datUtilizationDate", "sltType",
            "txtCost", "txtAccumulatedCost", "txtAbortCost", "sltStatusType"};
        for (int n = 0; n < 9; ++n) {
            d->click("cmdSave");
            QCOMPARE(msgs->count(), n + 1);
            QCOMPARE(lastBox(*msgs), box(u"اشکال"_qs, Missing[n]));
            QVERIFY2(!focus[n] || d->get(focus[n])->hasFocus(), focus[n]);
            if (n == 1)
                QCOMPARE(d->text("txtName"), u"Name"_qs); // trimmed although refused
            fill[n]();
        }
        QVERIFY(d->takeTrace().filter(u"tblAssetEstablishment"_qs).isEmpty());
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
        QCOMPARE(msgs->texts(), QStringList(2, u"شما به انجام اين عمليات مجاز نيستيد."_qs));
        QCOMPARE(msgs->boxes[0].title + msgs->boxes[1].title, TitleError + TitleError);
        QCOMPARE(asset(u"ID=50"_qs).size(), 1);
        QVERIFY(log().isEmpty());
    }

    void textsRoundTripAndUnchangedEdits()
    {
        // Quotes, backslashes, SQL, Arabic and Persian letters, characters beyond 16 bits and
        // line breaks are stored and shown again exactly.
        const QString label
            = u"O'Brien 100% C:\\dir\\ '); DELETE FROM tblAssetEstablishment; --"_qs;
        const QString name = u"\u0643\u064A \u06A9\u06CC \"q\" \U0001F69C\U0001F3ED  in  side"_qs;
        QString longText;
        for (int i = 0; i < 400; ++i)
            longText += u"ردیف %1: it's 50%% \\n\u064A\U0001F600\n"_qs.arg(i);
        d->click("cmdNew");
        d->fillRequired(label, name);
        d->type("txtCode", u"%_[a]"_qs);
        d->get<QPlainTextEdit>("txtDescription")->setPlainText(longText);
        d->click("cmdSave");
        QCOMPARE(assets(), TestDatabase::DemoAssetCount + 1);
        const QString id = d->text("txtID");
        QCOMPARE(db->rows(u"SELECT LabelNo, Name, Code, Description FROM tblAssetEstablishment "
                          "WHERE ID="_qs
                     + id),
            (Rows {{label, name, u"%_[a]"_qs, longText}}));
        QCOMPARE(d->text("txtLabelNo") + d->text("txtName"), label + name); // loaded again
        QCOMPARE(d->get<QPlainTextEdit>("txtDescription")->toPlainText(), longText);

        // Rows saved unchanged keep exactly what they held, NULLs included, and gain no twin;
        // an emptied text is stored as NULL.
        for (const QString &n : {id, u"39"_qs, u"9"_qs}) {
            const Rows before = asset(u"ID="_qs + n);
            view(n.toInt());
            d->click("cmdEdit");
            d->click("cmdSave");
            QCOMPARE(asset(u"ID="_qs + n), before);
        }
        d->click("cmdEdit");
        d->get<QPlainTextEdit>("txtDescription")->clear();
        d->click("cmdSave");
        QCOMPARE(asset(u"ID=9 AND Description IS NULL"_qs).size(), 1);
        QCOMPARE(assets(), TestDatabase::DemoAssetCount + 1);
        QCOMPARE(msgs->count(), 0);
    }

    void amountOutOfRangeKeepsScreen()
    {
        // An amount out of range stops the save before anything is written, the ceiling too,
        // which the insert leaves out.
        d->click("cmdNew");
        d->fillRequired(u"PL-7"_qs);
        d->type("txtOfficeMaxCost", u"99999999999999999999"_qs);
        d->takeTrace();
        d->click("cmdSave");
        QString description;
        try {
            d->get<OrvoCurrency>("txtOfficeMaxCost")->Value();
        } catch (const VelaError &e) {
            description = e.description();
        }
        QVERIFY(!description.isEmpty());
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(lastBox(*msgs), box(TitleSaveFailed, description));
        QCOMPARE(f->FormMode, int(FormMain::ModeNew));
        QCOMPARE(d->get<OrvoCurrency>("txtOfficeMaxCost")->Text(), u"99999999999999999999"_qs);
        QVERIFY(d->takeTrace().filter(u"tblAssetEstablishment"_qs).isEmpty());
    }

    void deleteRecord()
    {
        const QString attachments
            = u"SELECT count(*) FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND FormID=1"_qs;
        QVERIFY(db->scalar(attachments).toInt() > 0);
        view(TestDatabase::AssetWithPictures);
        msgs->queue({0}); // answered no: nothing happens
        d->click("cmdDelete");
        QVERIFY(msgs->count() == 1 && msgs->last().type == 1);
        QVERIFY(d->takeTrace().filter(u"Delete"_qs).isEmpty());
        // A failing second statement takes the first one back with it; a refusal that is not a
        // dependant row says what it is.
        db->refuse(u"tblOrvoFormAttachment"_qs, u"DELETE"_qs, u"kept"_qs);
        d->click("cmdDelete");
        failed(FailureKind::Refused);
        QCOMPARE(lacks(*msgs, {u"kept"_qs}), QString());
        QCOMPARE(asset(u"ID=1"_qs).size(), 1);
        // A failing log entry does not stop the deletion.
        db->allow(u"tblOrvoFormAttachment"_qs, u"DELETE"_qs);
        db->refuse(u"tblOrvoFormAction"_qs, u"INSERT"_qs, u"no log"_qs);
        d->click("cmdDelete");
        QCOMPARE(msgs->count(), 4);
        QVERIFY(asset(u"ID=1"_qs).isEmpty());
        QCOMPARE(db->scalar(attachments).toInt(), 0);
        QVERIFY(f->FormMode == FormMain::ModeEmpty && d->text("txtID").isEmpty());
        db->allow(u"tblOrvoFormAction"_qs, u"INSERT"_qs);
        view(TestDatabase::PlainAsset);
        d->click("cmdDelete");
        QCOMPARE(log(), (Rows {{102214803, u"50"_qs, 1022148, LogPrefix + u"50“ حذف شد."_qs, 1}}));
        // A record others refer to stays, on screen too.
        view(TestDatabase::AssetWithMovements);
        d->click("cmdDelete");
        QCOMPARE(lastBox(*msgs), box(TitleError, u"به اين فرم استقرار وابستگي وجود دارد."_qs));
        QCOMPARE(asset(u"ID=5"_qs).size(), 1);
        QVERIFY(f->FormMode == FormMain::ModeView && d->text("txtID") == u"5"_qs);
        QCOMPARE(log().size(), 1);
    }

    void saveIsAllOrNothing()
    {
        const QString created
            = u"SELECT count(*) FROM tblOrvoFormAction WHERE EventID=102214801 AND FormCode="_qs;
        TestDatabase::OtherClient other(*db);
        const bool pg = TestDatabase::onPostgres();
        const QString logTable = u"tblOrvoFormAction"_qs, assetTable = u"tblAssetEstablishment"_qs;
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
                    sqlite3_create_function(
                        componentHandle(), "scope_identity", 0, SQLITE_UTF8, nullptr,
                        [](sqlite3_context *c, int, sqlite3_value **) {
                            sqlite3_result_error(c, "identity unavailable", -1);
                        },
                        nullptr, nullptr);
                },
                [] { SqliteBackend::registerFunctions(componentHandle()); }, FailureKind::Structure,
                false},
            {"log entry", [&] { db->refuse(logTable, u"INSERT"_qs, u"no"_qs); },
                [&] { db->allow(logTable, u"INSERT"_qs); }, FailureKind::Refused},
            {"update", [&] { db->refuse(assetTable, u"UPDATE"_qs, u"no"_qs); },
                [&] { db->allow(assetTable, u"UPDATE"_qs); }, FailureKind::Refused},
            {"update: a full disk",
                [&] {
                    d->get<QPlainTextEdit>("txtDescription")
                        ->setPlainText(QString(400000, QLatin1Char('d')));
                    RunQuery(DtEn().rssqlCommon(), u"PRAGMA max_page_count=1"_qs);
                },
                [&] { RunQuery(DtEn().rssqlCommon(), u"PRAGMA max_page_count=1073741823"_qs); },
                FailureKind::DiskFull, false},
            {"update: a NUL in a text", [&] { d->get<QLineEdit>("txtCode")->setText(u"a\0b"_qs); },
                [&] { d->get<QLineEdit>("txtCode")->setText(u"ab"_qs); },
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
            const QString label = u"AN-%1"_qs.arg(expected);
            d->fillRequired(label);
            fault.inject();
            d->takeTrace();
            msgs->clear();
            d->click("cmdSave");
            // Nothing of the failed save is stored; the form keeps the values in new mode.
            QVERIFY2(msgs->count() == 1, fault.name);
            failed(fault.kind, TitleSaveFailed);
            QVERIFY2(assets() == expected, fault.name);
            QVERIFY2(log().size() == expected - TestDatabase::DemoAssetCount, fault.name);
            QCOMPARE(f->FormMode, int(FormMain::ModeNew));
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
            QCOMPARE(assets(), expected);
            QCOMPARE(asset(u"LabelNo='%1'"_qs.arg(label)),
                asset(u"ID="_qs + d->text("txtID"))); // the insert's own identity
            QCOMPARE(db->scalar(created + u"'%1'"_qs.arg(d->text("txtID"))).toInt(), 1);
            QCOMPARE(f->FormMode, int(FormMain::ModeView));
        }
        QCOMPARE(log().size(), expected - TestDatabase::DemoAssetCount);

        // An edit whose log entry fails keeps the stored row as it was and the edit on screen.
        view(9);
        const Rows before = asset(u"ID=9"_qs);
        d->click("cmdEdit");
        d->type("txtName", u" changed"_qs);
        db->refuse(logTable, u"INSERT"_qs, u"no"_qs);
        d->click("cmdSave");
        QCOMPARE(msgs->last().title, TitleSaveFailed);
        QCOMPARE(asset(u"ID=9"_qs), before);
        QCOMPARE(f->FormMode, int(FormMain::ModeEdit));
        QVERIFY(d->text("txtName").endsWith(u" changed"_qs));
        db->allow(logTable, u"INSERT"_qs);
        d->click("cmdSave");
        QCOMPARE(log().last()[0].toInt(), 102214804);
        QVERIFY(asset(u"ID=9"_qs)[0][5].toString().endsWith(u" changed"_qs));
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
        d->fillRequired(u"SAVED-1"_qs);
        sqlite3_busy_timeout(componentHandle(), 0);
        sqlite3_set_authorizer(componentHandle(), authorizer, &lock);
        d->click("cmdSave");
        sqlite3_set_authorizer(componentHandle(), nullptr, nullptr);
        QVERIFY(lock.locked);
        other.release();
        const Rows saved = asset(u"LabelNo='SAVED-1'"_qs);
        QCOMPARE(saved.size(), 1);
        const QString id = saved[0][0].toString();
        // Told in Persian that it is stored; shown read-only under its number, values kept.
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(msgs->last().title, TitleError);
        QCOMPARE(lacks(*msgs, {id, failureSentence(FailureKind::Busy)}), QString());
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
        QVERIFY(d->text("txtID") == id && d->text("txtLabelNo") == u"SAVED-1"_qs);
        // The next record is a record of its own; the saved one stays as it was.
        d->click("cmdNew");
        d->fillRequired(u"SAVED-2"_qs);
        d->click("cmdSave");
        QCOMPARE(asset(u"ID="_qs + id), saved);
        QCOMPARE(asset(u"LabelNo='SAVED-2'"_qs).size(), 1);
        QCOMPARE(log().size(), 2);
        QCOMPARE(msgs->count(), 1);
    }

    void recordDeletedMeanwhile()
    {
        view(TestDatabase::PlainAsset);
        d->click("cmdEdit");
        d->get<QLineEdit>("txtName")->setText(u"Kept"_qs);
        db->exec(u"DELETE FROM tblAssetEstablishment WHERE ID=50"_qs);
        d->takeTrace();
        msgs->queue({0});
        d->click("cmdSave");
        // Told, asked, and on no the edit stays on screen; nothing is written or logged.
        QCOMPARE(msgs->count(), 1);
        QVERIFY(msgs->last().type == 1 && msgs->last().title == TitleSaveFailed);
        QCOMPARE(lacks(*msgs, {u"50"_qs}), QString());
        QVERIFY(f->FormMode == FormMain::ModeEdit && d->text("txtName") == u"Kept"_qs);
        const QStringList t = d->takeTrace();
        QVERIFY(t.contains(Rollback) && t.filter(u"insert"_qs).isEmpty());
        QVERIFY(log().isEmpty());
        // Yes stores the values as a new record, logged as created and nothing else.
        d->click("cmdSave");
        const Rows kept = asset(u"Name='Kept'"_qs);
        QCOMPARE(kept.size(), 1);
        const QString id = kept[0][0].toString();
        QVERIFY(id != u"50"_qs && d->text("txtID") == id);
        QCOMPARE(f->FormMode, int(FormMain::ModeView));
        QCOMPARE(log(), (Rows {{102214801, id, 1022148, LogPrefix + id + u"“ ايجاد شد."_qs, 1}}));

        // A record deleted meanwhile is not deleted again, nor logged as deleted.
        view(49);
        db->exec(u"DELETE FROM tblAssetEstablishment WHERE ID=49"_qs);
        msgs->clear();
        d->click("cmdDelete");
        QCOMPARE(msgs->count(), 2);
        QCOMPARE(msgs->last().title, TitleError);
        QCOMPARE(lacks(*msgs, {u"49"_qs}), QString());
        QCOMPARE(log().size(), 1);
        QCOMPARE(f->FormMode, int(FormMain::ModeEmpty));
    }

    void deleteFailuresSayWhatHappened()
    {
        // A write lock, then a lock that fails the permission check, then a read-only database:
        // each says what happened, none is the dependency message. (That the question's default
        // answer is no is the message box's own test.)
        TestDatabase::OtherClient other(*db);
        view(TestDatabase::PlainAsset);
        TestDatabase::componentWaitsNotForLocks();
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
            failed(c.kind);
            other.release();
        }
        QCOMPARE(lacks(*msgs, {TestDatabase::onPostgres() ? u"read-only"_qs : u"readonly"_qs}),
            QString());
        QCOMPARE(asset(u"ID=50"_qs).size(), 1);
        QVERIFY(f->FormMode == FormMain::ModeView && d->text("txtID") == u"50"_qs);
        QVERIFY(log().isEmpty());
    }
};

QTEST_MAIN(TstFormMainSave)
#include "tst_formmainsave.moc"

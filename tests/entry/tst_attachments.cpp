// The attachment viewer: stepping through a record's attachments, the temporary files of stored
// attachments (which stay inside the temporary folder), external files and the editor's call.
#include "entry/FormDriver.h"
#include "shared/TempFiles.h"
#include "suite/ComponentRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
class FakeEditor : public QObject { // records the members the form sets, in order
    Q_OBJECT
    Q_PROPERTY(QString OLEConnectionString READ none WRITE setOle)
    Q_PROPERTY(QString ConnectionString READ none WRITE setCs)
    Q_PROPERTY(int UserID READ zero WRITE setUser)
    Q_PROPERTY(int FormTypeID READ zero WRITE setType)
    Q_PROPERTY(QVariant FormID READ none WRITE setId)
public:
    static inline QStringList calls;
    QString none() const { return {}; }
    int zero() const { return 0; }
    void setOle(const QString &v) { calls << QStringLiteral("OLE=") + v; }
    void setCs(const QString &v) { calls << QStringLiteral("CS=") + v; }
    void setUser(int v) { calls << QStringLiteral("User=%1").arg(v); }
    void setType(int v) { calls << QStringLiteral("Type=%1").arg(v); }
    void setId(const QVariant &v) { calls << QStringLiteral("ID=%1").arg(v.toDouble()); }
    Q_INVOKABLE void ShowAttachments() { calls << QStringLiteral("Show"); }
};
} // namespace

class TestAttachments : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(m_temp.path())); }
    void stepping();
    void temporaryFiles();
    void externalAndEditor();

private:
    QStringList newFiles(QStringList &seen) // files the viewer wrote since the last call
    {
        QStringList now
            = QDir(m_temp.path()).entryList({QStringLiteral("rad*")}, QDir::Files | QDir::System);
        QStringList fresh = now;
        for (const QString &s : seen)
            fresh.removeAll(s);
        seen = now;
        return fresh;
    }
    static QRgb colour(const QImage &i)
    {
        return i.pixel(i.width() / 2, 2);
    } // tells the pictures apart
    QRgb stored(TestDatabase &db, int id, int row)
    {
        return colour(QImage::fromData(
            db.scalar(QStringLiteral("SELECT FileData FROM tblOrvoFormAttachment WHERE "
                                     "FormTypeID=1022148 AND FormID=%1 AND RowNumber=%2")
                          .arg(id)
                          .arg(row))
                .toByteArray()));
    }
    QRgb shown(FormDriver &d) { return colour(d.form().currentPicture().toImage()); }
    QTemporaryDir m_temp;
};

void TestAttachments::stepping()
{
    TestDatabase db;
    FormDriver d(db);
    d.host.View(1);
    auto caption = [&d] { return d.get<QPushButton>("cmdRefreshPicture")->text(); };
    QCOMPARE(caption(), QStringLiteral("1"));
    QCOMPARE(shown(d), stored(db, 1, 1));
    d.click("cmdRight", 2);
    QCOMPARE(shown(d), stored(db, 1, 3));
    d.takeTrace();
    d.click("cmdRight"); // past the last one: asked for, nothing changes
    QCOMPARE(d.takeTrace(),
        QStringList(QStringLiteral(
            "Select * from tblOrvoFormAttachment Where FormTypeID = 1022148 and FormID = 1 and RowNumber = 4")));
    QCOMPARE(caption(), QStringLiteral("3"));
    QCOMPARE(shown(d), stored(db, 1, 3));
    d.click("cmdLeft", 3); // the third at row 1: nothing asked
    QCOMPARE(caption(), QStringLiteral("1"));
    QCOMPARE(d.takeTrace().size(), 2);

    // Row numbers 1, 2, 4: stepping right from 2 stays at 2. The buttons work in new mode too.
    db.exec(QStringLiteral(
        "UPDATE tblOrvoFormAttachment SET RowNumber=4 WHERE FormID=1 AND RowNumber=3"));
    d.click("cmdRight", 2);
    QCOMPARE(caption(), QStringLiteral("2"));
    d.click("cmdNew");
    QVERIFY(d.form().currentPicture().isNull());
    QCOMPARE(caption(), QStringLiteral("2"));
}

void TestAttachments::temporaryFiles()
{
    TestDatabase db;
    // Copies of a stored picture under extensions that must not steer the file anywhere, then a
    // NULL content and a document.
    const char *const rows[][2] = {{"'jpg'", ".jpg"}, {"NULL", ".tmp"}, {"'../../evil'", ".tmp"},
        {"'a/b'", ".tmp"}, {"'..'", ".tmp"}, {"'png '", ".tmp"}, {"'abcdefghijk'", ".tmp"},
        {"'PNG2'", ".PNG2"}, {"'png\n'", ".tmp"}};
    const int copies = int(std::size(rows));
    for (int r = 0; r < copies; ++r)
        db.exec(QStringLiteral(
            "INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, FileExtension, FileData) "
            "SELECT 1022148, 50, %1, %2, FileData FROM tblOrvoFormAttachment WHERE FormID=1 AND RowNumber=2")
                    .arg(r + 1)
                    .arg(QLatin1String(rows[r][0])));
    db.exec(
        QStringLiteral(
            "INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, FileExtension, FileData) "
            "VALUES (1022148, 50, 10, 'dat', NULL), (1022148, 50, 11, 'txt', ")
        + TestDatabase::blob("hello") + QStringLiteral(")"));
    FormDriver d(db);
    QStringList seen;
    newFiles(seen);
    d.host.View(50);
    QStringList written;
    for (int r = 1; r <= copies + 2; ++r) {
        if (r > 1)
            d.click("cmdRight");
        const QStringList fresh = newFiles(seen);
        QCOMPARE(fresh.size(), 1); // in the temporary folder itself, nowhere else
        const QString file = m_temp.filePath(fresh.first());
        written << file;
        QCOMPARE(d.get<QPushButton>("cmdRefreshPicture")->text(), QString::number(r));
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        if (r <= copies) {
            QVERIFY2(file.endsWith(QLatin1String(rows[r - 1][1])), qPrintable(file));
            QCOMPARE(shown(d), stored(db, 1, 2));
        } else {
            QCOMPARE(int(st.st_size), r == copies + 1 ? 0 : 5);
            QVERIFY(d.form().currentPicture().isNull()); // not a picture: the viewer stays empty
        }
    }
    QVERIFY(!QFileInfo::exists(QFileInfo(m_temp.path()).path() + QStringLiteral("/evil")));

    // Unloading the form removes the files it wrote and nothing else: not a file of the same
    // kind of name it did not write, nor a file that took the name of one of its own since.
    QFile foreign(m_temp.filePath(QStringLiteral("radforeign.tmp")));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.close();
    const QString replaced = written.takeFirst();
    QVERIFY(QFile::remove(replaced));
    QFile newcomer(replaced);
    QVERIFY(newcomer.open(QIODevice::WriteOnly));
    newcomer.close();
    vela::FormMain::unload();
    for (const QString &file : written)
        QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    QVERIFY(foreign.exists() && newcomer.exists());
    QVERIFY(foreign.remove() && newcomer.remove());
    seen.clear();

    // A planted link, also a dangling one, is never written through.
    QVERIFY(QFile::link(
        m_temp.filePath(QStringLiteral("nowhere")), m_temp.filePath(QStringLiteral("link"))));
    QVERIFY(!vela::tempfiles::writeNewFile(m_temp.filePath(QStringLiteral("link")), "evil"));
    QVERIFY(!QFileInfo::exists(m_temp.filePath(QStringLiteral("nowhere"))));

    // No temporary folder: nothing is written anywhere and stored pictures cannot be shown.
    qputenv("TMPDIR", QFile::encodeName(m_temp.filePath(QStringLiteral("missing"))));
    QString out = QStringLiteral("kept");
    QCOMPARE(d.form().NewTempFilePath(out), QString());
    QCOMPARE(out, QStringLiteral("kept"));
    d.host.View(1);
    QVERIFY(d.form().currentPicture().isNull());
    QVERIFY(QDir(QStringLiteral("/")).entryList({QStringLiteral("rad*")}, QDir::Files).isEmpty());
    qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
}

void TestAttachments::externalAndEditor()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    QStringList seen;
    newFiles(seen);
    d.host.View(TestDatabase::AssetWithExternalPicture);
    QVERIFY(!d.form().currentPicture().isNull());
    QVERIFY(newFiles(seen).isEmpty()); // shown from its own path, never copied
    db.exec(QStringLiteral(
        "UPDATE tblOrvoFormAttachment SET MediaPath='/nonexistent/x.png' WHERE FormID=4"));
    d.click("cmdRefreshPicture");
    QVERIFY(d.form().currentPicture().isNull());

    vela::ComponentRegistry &registry = vela::ComponentRegistry::instance();
    registry.registerFactory(
        QStringLiteral("AttachmentEditor"), [] { return std::make_unique<FakeEditor>(); });
    d.host.ClearShow();
    d.click("cmdEditPicture"); // no record: a message, no editor
    QCOMPARE(messages.last().title, QStringLiteral("اشكال"));
    QCOMPARE(messages.last().text, QStringLiteral("شماره رايانه اي استقرار يافت نشد."));
    QVERIFY(FakeEditor::calls.isEmpty());
    d.host.View(18);
    d.click("cmdEditPicture");
    const QString cs = db.connectionString;
    QCOMPARE(FakeEditor::calls,
        (QStringList {QStringLiteral("OLE=") + cs, QStringLiteral("CS=") + cs,
            QStringLiteral("User=1"), QStringLiteral("Type=1022148"), QStringLiteral("ID=18"),
            QStringLiteral("Show")}));
    registry.unregister(QStringLiteral("AttachmentEditor"));
    d.click("cmdEditPicture"); // not installed: nothing happens
    QCOMPARE(messages.count(), 1);

    // A pipe or a folder named as the file: refused at once with a message, never waited on.
    // Should the viewer wait on the pipe anyway, a writer opens it after the time limit, so that
    // the test ends and reports it.
    const QString fifo = m_temp.filePath(QStringLiteral("pipe.png"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Rescuer {
        std::atomic<bool> over {false};
        std::thread thread;
        ~Rescuer()
        {
            over = true;
            thread.join();
        }
    } rescuer;
    rescuer.thread = std::thread([&over = rescuer.over, path = QFile::encodeName(fifo)] {
        for (int waited = 0; !over; waited += 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (waited < 5000)
                continue;
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    });
    for (const QString &path : {fifo, m_temp.path()}) {
        d.host.View(1);
        db.exec(QStringLiteral("UPDATE tblOrvoFormAttachment SET MediaPath='%1' WHERE FormID=4")
                    .arg(path));
        messages.clear();
        QElapsedTimer t;
        t.start();
        d.host.View(TestDatabase::AssetWithExternalPicture);
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(d.form().currentPicture().isNull());
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, QStringLiteral("اشكال"));
        QVERIFY2(messages.last().text.contains(path), qPrintable(messages.last().text));
    }
}

QTEST_MAIN(TestAttachments)
#include "tst_attachments.moc"

// The attachment viewer: stepping through a record's attachments, the temporary files of stored
// attachments (which stay inside the temporary folder), external files and the editor's call.
#include "entry/FormDriver.h"
#include "shared/TempFiles.h"
#include "suite/ComponentRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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
        QStringList now = QDir(m_temp.path()).entryList({u"rad*"_qs}, QDir::Files | QDir::System);
        QStringList fresh = now;
        for (const QString &s : seen)
            fresh.removeAll(s);
        seen = now;
        return fresh;
    }
    static QRgb colour(const QImage &i) { return i.pixel(i.width() / 2, 2); } // tells them apart
    QRgb stored(TestDatabase &db, int id, int row)
    {
        return colour(QImage::fromData(
            db.scalar(u"SELECT FileData FROM tblOrvoFormAttachment WHERE "
                      "FormTypeID=1022148 AND FormID=%1 AND RowNumber=%2"_qs.arg(id)
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
    QCOMPARE(caption(), u"1"_qs);
    QCOMPARE(shown(d), stored(db, 1, 1));
    d.click("cmdRight", 2);
    QCOMPARE(shown(d), stored(db, 1, 3));
    d.takeTrace();
    d.click("cmdRight"); // past the last one: asked for, nothing changes
    QCOMPARE(d.takeTrace(),
        QStringList(
            u"Select * from tblOrvoFormAttachment Where FormTypeID = 1022148 and FormID = 1 and RowNumber = 4"_qs));
    QCOMPARE(caption(), u"3"_qs);
    QCOMPARE(shown(d), stored(db, 1, 3));
    d.click("cmdLeft", 3); // the third at row 1: nothing asked
    QCOMPARE(caption(), u"1"_qs);
    QCOMPARE(d.takeTrace().size(), 2);

    // Row numbers 1, 2, 4: stepping right from 2 stays at 2. The buttons work in new mode too.
    db.exec(u"UPDATE tblOrvoFormAttachment SET RowNumber=4 WHERE FormID=1 AND RowNumber=3"_qs);
    d.click("cmdRight", 2);
    QCOMPARE(caption(), u"2"_qs);
    d.click("cmdNew");
    QVERIFY(d.form().currentPicture().isNull());
    QCOMPARE(caption(), u"2"_qs);
}

void TestAttachments::temporaryFiles()
{
    TestDatabase db;
    // Copies of a stored picture under extensions that must not steer the file anywhere, then a
    // NULL content and a document.
    const char *const rows[][2] = {{"'jpg'", ".jpg"}, {"NULL", ".tmp"}, {"'../../evil'", ".tmp"},
        {"'abcdefghijk'", ".tmp"}, {"'PNG2'", ".PNG2"}, {"'png\n'", ".tmp"}};
    const int copies = int(std::size(rows));
    for (int r = 0; r < copies; ++r)
        db.exec(
            u"INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, FileExtension, FileData) "
            "SELECT 1022148, 50, %1, %2, FileData FROM tblOrvoFormAttachment WHERE FormID=1 AND RowNumber=2"_qs
                .arg(r + 1)
                .arg(QLatin1String(rows[r][0])));
    db.exec(
        u"INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, FileExtension, FileData) "
        "VALUES (1022148, 50, %1, 'dat', NULL), (1022148, 50, %2, 'txt', %3)"_qs.arg(copies + 1)
            .arg(copies + 2)
            .arg(TestDatabase::blob("hello")));
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
    QVERIFY(!QFileInfo::exists(QFileInfo(m_temp.path()).path() + u"/evil"_qs));

    // Unloading the form removes the files it wrote and nothing else: not a file of the same
    // kind of name it did not write, nor a file that took the name of one of its own since.
    QFile foreign(m_temp.filePath(u"radforeign.tmp"_qs));
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
    QVERIFY(QFile::link(m_temp.filePath(u"nowhere"_qs), m_temp.filePath(u"link"_qs)));
    QVERIFY(!vela::tempfiles::writeNewFile(m_temp.filePath(u"link"_qs), "evil"));
    QVERIFY(!QFileInfo::exists(m_temp.filePath(u"nowhere"_qs)));

    // No temporary folder: nothing is written anywhere and stored pictures cannot be shown.
    qputenv("TMPDIR", QFile::encodeName(m_temp.filePath(u"missing"_qs)));
    QString out = u"kept"_qs;
    QCOMPARE(d.form().NewTempFilePath(out), QString());
    QCOMPARE(out, u"kept"_qs);
    d.host.View(1);
    QVERIFY(d.form().currentPicture().isNull());
    QVERIFY(QDir(u"/"_qs).entryList({u"rad*"_qs}, QDir::Files).isEmpty());
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
    db.exec(u"UPDATE tblOrvoFormAttachment SET MediaPath='/nonexistent/x.png' WHERE FormID=4"_qs);
    d.click("cmdRefreshPicture");
    QVERIFY(d.form().currentPicture().isNull());

    // No record: a message, no editor. Without an installed editor the button does nothing.
    // (What the form hands the editor is seen in the rows the real one writes:
    // tst_attachmenteditor.)
    d.host.ClearShow();
    auto editorShown = [&d] {
        return whenModal<QDialog>([&d] { d.click("cmdEditPicture"); }, &QDialog::reject);
    };
    QVERIFY(!editorShown());
    QCOMPARE(lastBox(messages), box(u"اشكال"_qs, u"شماره رايانه اي استقرار يافت نشد."_qs));
    vela::ComponentRegistry::instance().unregister(u"AttachmentEditor"_qs);
    d.host.View(18);
    QVERIFY(!editorShown());
    QCOMPARE(messages.count(), 1);

    // A pipe or a folder named as the file: refused at once with a message, never waited on.
    // Should the viewer wait on the pipe anyway, a writer opens it after the time limit, so that
    // the test ends and reports it.
    const QString fifo = m_temp.filePath(u"pipe.png"_qs);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::jthread rescuer([path = QFile::encodeName(fifo)](std::stop_token stop) {
        for (int waited = 0; !stop.stop_requested(); waited += 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (const int fd = waited < 5000 ? -1 : ::open(path.constData(), O_WRONLY | O_NONBLOCK);
                fd >= 0)
                ::close(fd);
        }
    });
    for (const QString &path : {fifo, m_temp.path()}) {
        d.host.View(1);
        db.exec(u"UPDATE tblOrvoFormAttachment SET MediaPath='%1' WHERE FormID=4"_qs.arg(path));
        messages.clear();
        QElapsedTimer t;
        t.start();
        d.host.View(TestDatabase::AssetWithExternalPicture);
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(d.form().currentPicture().isNull());
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, u"اشكال"_qs);
        QCOMPARE(lacks(messages, {path}), QString());
    }
}

QTEST_MAIN(TestAttachments)
#include "tst_attachments.moc"

// The attachment viewer of the entry form: stepping through a record's attachments, the
// temporary files of stored attachments (and that they stay inside the temporary folder), external
// files, and the attachment editor's call.
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "entry/FormDriver.h"
#include "extras/TempFiles.h"
#include "suite/ComponentRegistry.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

// Records what the entry form does with the attachment editor.
class FakeAttachmentEditor : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString OLEConnectionString READ text WRITE setOLEConnectionString)
    Q_PROPERTY(QString ConnectionString READ text WRITE setConnectionString)
    Q_PROPERTY(qint32 UserID READ number WRITE setUserID)
    Q_PROPERTY(qint32 FormTypeID READ number WRITE setFormTypeID)
    Q_PROPERTY(QVariant FormID READ variant WRITE setFormID)
public:
    static inline QStringList calls;
    QString text() const { return {}; }
    qint32 number() const { return 0; }
    QVariant variant() const { return {}; }
    void setOLEConnectionString(const QString &v) { calls << QStringLiteral("OLEConnectionString=") + v; }
    void setConnectionString(const QString &v) { calls << QStringLiteral("ConnectionString=") + v; }
    void setUserID(qint32 v) { calls << QStringLiteral("UserID=%1").arg(v); }
    void setFormTypeID(qint32 v) { calls << QStringLiteral("FormTypeID=%1").arg(v); }
    void setFormID(const QVariant &v) { calls << QStringLiteral("FormID=%1").arg(v.toDouble()); }
    Q_INVOKABLE void ShowAttachments() { calls << QStringLiteral("ShowAttachments"); }
};

} // namespace

class TestAttachments : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void stepping();
    void gapInRowNumbers();
    void temporaryFiles();
    void externalFiles();
    void noTemporaryFolder();
    void exclusiveCreation();
    void attachmentEditor();

private:
    QStringList tempFiles() const
    {
        return QDir(m_temp.path()).entryList({QStringLiteral("rad*")}, QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    }
    QString newTempFile(const QStringList &before) const
    {
        QStringList now = tempFiles();
        for (const QString &b : before)
            now.removeAll(b);
        return now.size() == 1 ? m_temp.filePath(now.first()) : QString();
    }
    QImage storedImage(TestDatabase &db, int formId, int row)
    {
        return QImage::fromData(db.scalar(QStringLiteral(
            "SELECT FileData FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND FormID=%1 AND RowNumber=%2")
                                              .arg(formId).arg(row)).toByteArray());
    }
    // The colour in the middle of the shown picture's top band tells the pictures apart.
    static QRgb signature(const QImage &img) { return img.pixel(img.width() / 2, 2); }
    QRgb shown(FormDriver &d) { return signature(d.form().currentPicture().toImage()); }

    QTemporaryDir m_temp;
};

void TestAttachments::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
    QCOMPARE(QDir::tempPath(), QDir(m_temp.path()).canonicalPath());
}

void TestAttachments::init()
{
    qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
}

void TestAttachments::stepping()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    const QRgb row1 = signature(storedImage(db, 1, 1)), row2 = signature(storedImage(db, 1, 2)),
               row3 = signature(storedImage(db, 1, 3));
    QVERIFY(row1 != row2 && row2 != row3);

    d.view(1);
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("1"));
    QCOMPARE(shown(d), row1);

    d.click("cmdRight");
    QCOMPARE(shown(d), row2);
    d.click("cmdRight");
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("3"));
    QCOMPARE(shown(d), row3);

    // Past the last one: asked for, nothing changes.
    d.takeTrace();
    d.click("cmdRight");
    QCOMPARE(d.takeTrace(), QStringList{QStringLiteral(
        "Select * from tblOrvoFormAttachment Where FormTypeID = 1022148 and FormID = 1 and RowNumber = 4")});
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("3"));
    QCOMPARE(shown(d), row3);

    d.click("cmdLeft");
    d.click("cmdLeft");
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("1"));
    QCOMPARE(shown(d), row1);
    // At row 1 the left button asks nothing.
    d.takeTrace();
    d.click("cmdLeft");
    QVERIFY(d.takeTrace().isEmpty());
    QCOMPARE(shown(d), row1);

    // Every showing of a stored attachment writes a new file, also a reload.
    const QStringList before = tempFiles();
    d.click("cmdRefreshPicture");
    const QString file = newTempFile(before);
    QVERIFY(file.endsWith(QLatin1String(".png")));
    QCOMPARE(QImage(file).size(), storedImage(db, 1, 1).size());
    QCOMPARE(shown(d), row1);

    // The buttons work in every mode and the mode does not touch them.
    d.click("cmdNew");
    QVERIFY(d.form().currentPicture().isNull());
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("1"));
    d.click("cmdRight"); // identifier box empty: record -1 has nothing
    QVERIFY(d.form().currentPicture().isNull());
    QCOMPARE(messages.count(), 0);
}

void TestAttachments::gapInRowNumbers()
{
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE tblOrvoFormAttachment SET RowNumber=4 WHERE FormTypeID=1022148 AND FormID=1 AND RowNumber=3"));
    FormDriver d(db);
    d.view(1);
    d.click("cmdRight");
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("2"));
    d.click("cmdRight");
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("2"));
    QCOMPARE(shown(d), signature(storedImage(db, 1, 2)));
}

void TestAttachments::temporaryFiles()
{
    TestDatabase db;
    const qint32 id = TestDatabase::PlainAsset;
    // Row 1 a picture with a plain extension, then extensions that must not steer the file
    // anywhere, a NULL content and a document.
    const QString copy = QStringLiteral(
        "INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, isExternal, FileExtension, FileData) "
        "SELECT 1022148, %1, %2, %3, %4, FileData FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND FormID=1 AND RowNumber=2");
    const struct {
        const char *extension; // SQL text
        const char *isExternal;
        const char *ending;
    } rows[] = {
        {"'jpg'", "0", ".jpg"},       {"NULL", "NULL", ".tmp"},      {"'../../evil'", "0", ".tmp"},
        {"'a/b'", "0", ".tmp"},       {"'..'", "0", ".tmp"},         {"'png '", "0", ".tmp"},
        {"''", "0", ".tmp"},          {"'abcdefghijk'", "0", ".tmp"}, {"'PNG2'", "0", ".PNG2"},
    };
    int row = 0;
    for (const auto &r : rows)
        db.exec(copy.arg(id).arg(++row).arg(QLatin1String(r.isExternal), QLatin1String(r.extension)));
    db.exec(QStringLiteral("INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, FileExtension, FileData) "
                           "VALUES (1022148, %1, %2, 'dat', NULL)").arg(id).arg(++row));
    db.exec(QStringLiteral("INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, FileExtension, FileData) "
                           "VALUES (1022148, %1, %2, 'txt', CAST('hello' AS BLOB))").arg(id).arg(++row));

    FormDriver d(db);
    const QRgb picture = signature(storedImage(db, 1, 2));
    QStringList before = tempFiles();
    d.view(id);
    for (int r = 1; r <= row; ++r) {
        if (r > 1) {
            before = tempFiles();
            d.click("cmdRight");
        }
        QCOMPARE(d.button("cmdRefreshPicture")->text(), QString::number(r));
        const QString file = newTempFile(before);
        QVERIFY2(!file.isEmpty(), qPrintable(QStringLiteral("row %1 wrote no file in the temporary folder").arg(r)));
        QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(m_temp.path()).absoluteFilePath());
        if (r <= int(std::size(rows))) {
            QVERIFY2(file.endsWith(QLatin1String(rows[r - 1].ending)), qPrintable(file));
            QCOMPARE(shown(d), picture);
            struct stat st;
            QCOMPARE(::lstat(QFile::encodeName(file).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0600);
        } else if (r == row - 1) {
            QCOMPARE(QFileInfo(file).size(), 0); // NULL content: an empty file
            QVERIFY(d.form().currentPicture().isNull());
        } else {
            QVERIFY(file.endsWith(QLatin1String(".txt")));
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("hello"));
            QVERIFY(d.form().currentPicture().isNull()); // not a picture: the viewer stays empty
        }
    }
    // Nothing landed beside the temporary folder.
    QVERIFY(!QFileInfo::exists(QFileInfo(m_temp.path()).absolutePath() + QStringLiteral("/evil")));
    QVERIFY(!QFileInfo::exists(m_temp.filePath(QStringLiteral("evil"))));
}

void TestAttachments::externalFiles()
{
    TestDatabase db;
    FormDriver d(db);
    const QString media = db.scalar(QStringLiteral(
        "SELECT MediaPath FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND FormID=4 AND RowNumber=1")).toString();
    QVERIFY(QFileInfo::exists(media));
    const QStringList before = tempFiles();
    d.view(TestDatabase::AssetWithExternalPicture);
    QVERIFY(!d.form().currentPicture().isNull());
    QCOMPARE(d.form().currentPicture().size(), QImage(media).size());
    QCOMPARE(tempFiles(), before); // shown from its own path, never copied

    // A missing external file: the picture is cleared, the row number stays.
    db.exec(QStringLiteral("UPDATE tblOrvoFormAttachment SET MediaPath='%1' WHERE FormTypeID=1022148 AND FormID=4")
                .arg(db.folder() + QStringLiteral("/gone.png")));
    d.click("cmdRefreshPicture");
    QVERIFY(d.form().currentPicture().isNull());
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("1"));
    QCOMPARE(tempFiles(), before);
}

void TestAttachments::noTemporaryFolder()
{
    TestDatabase db;
    FormDriver d(db);
    d.view(1);
    d.click("cmdRight");
    qputenv("TMPDIR", QFile::encodeName(m_temp.filePath(QStringLiteral("missing"))));
    QString out = QStringLiteral("unchanged");
    QCOMPARE(d.form().NewTempFilePath(out), QString());
    QCOMPARE(out, QStringLiteral("unchanged"));
    // Stored attachments cannot be shown; the viewer keeps what it had.
    d.click("cmdLeft");
    QCOMPARE(d.button("cmdRefreshPicture")->text(), QStringLiteral("2"));
    QCOMPARE(shown(d), signature(storedImage(db, 1, 2)));
    qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
}

void TestAttachments::exclusiveCreation()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    QFile t(target);
    QVERIFY(t.open(QIODevice::WriteOnly));
    t.write("keep");
    t.close();

    // A link planted at the name is never written through, also a dangling one.
    const QString link = dir.filePath(QStringLiteral("rad-link.png"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(!vela::tempfiles::writeNewFile(link, "evil"));
    QFile check(target);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("keep"));
    const QString dangling = dir.filePath(QStringLiteral("rad-dangling.png"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), dangling));
    QVERIFY(!vela::tempfiles::writeNewFile(dangling, "evil"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nowhere"))));
    QVERIFY(vela::tempfiles::pathExists(dangling));
    // An existing file is not overwritten either.
    QVERIFY(!vela::tempfiles::writeNewFile(target, "evil"));
    QVERIFY(vela::tempfiles::writeNewFile(dir.filePath(QStringLiteral("fresh")), "ok"));

    for (const char *bad : {"", "..", "a/b", "../x", "png ", "p.g", "abcdefghijk", "پنگ"})
        QVERIFY2(!vela::tempfiles::isPlainExtension(QString::fromUtf8(bad)), bad);
    for (const char *good : {"png", "JPG", "7z", "abcdefghij"})
        QVERIFY2(vela::tempfiles::isPlainExtension(QLatin1String(good)), good);
}

void TestAttachments::attachmentEditor()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    vela::ComponentRegistry &registry = vela::ComponentRegistry::instance();
    registry.unregister(QStringLiteral("AttachmentEditor"));

    // No record: the editor is not created.
    d.clearShow();
    registry.registerFactory(QStringLiteral("AttachmentEditor"), [] { return std::make_unique<FakeAttachmentEditor>(); });
    FakeAttachmentEditor::calls.clear();
    d.click("cmdEditPicture");
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, QStringLiteral("اشكال"));
    QCOMPARE(messages.last().text, QStringLiteral("شماره رايانه اي استقرار يافت نشد."));
    QVERIFY(FakeAttachmentEditor::calls.isEmpty());

    // A record: the members in the suite's order, then the editor is shown.
    d.view(18);
    d.click("cmdEditPicture");
    const QStringList expected{
        QStringLiteral("OLEConnectionString=") + db.connectionString,
        QStringLiteral("ConnectionString=") + db.connectionString,
        QStringLiteral("UserID=1"),
        QStringLiteral("FormTypeID=1022148"),
        QStringLiteral("FormID=18"),
        QStringLiteral("ShowAttachments"),
    };
    QCOMPARE(FakeAttachmentEditor::calls, expected);
    QCOMPARE(messages.count(), 1);

    // Not installed: nothing happens, nothing is shown.
    registry.unregister(QStringLiteral("AttachmentEditor"));
    d.click("cmdEditPicture");
    QCOMPARE(messages.count(), 1);
    QCOMPARE(d.form().FormMode, int(vela::FormMain::ModeView));
}

QTEST_MAIN(TestAttachments)
#include "tst_attachments.moc"

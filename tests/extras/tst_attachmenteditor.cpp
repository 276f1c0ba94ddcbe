// The attachment editor, opened with the entry form's cmdEditPicture on the demo database: files
// added (stored and linked), replaced, removed and reordered end up in tblOrvoFormAttachment
// numbered from 1 and show in the viewer in that order; a refused change leaves the record's
// attachments as they were; files that cannot be taken are refused with a message.
#include "common/WhenModal.h"
#include "entry/FormDriver.h"
#include "suite/AttachmentEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QListWidget>
#include <QTimer>

using vela::AttachmentEditorDialog;

namespace {

// The colour of a picture at the spot the demo pictures and ours differ in.
QRgb colourOf(const QImage &i)
{
    return i.isNull() ? 0 : i.pixel(i.width() / 2, 2);
}

} // namespace

class TestAttachmentEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(m_temp.path())); }
    void cleanup() { AttachmentEditorDialog::setFileChooser(nullptr); }
    void editAndView();
    void refusedChangeKeepsTheRecord();
    void filesThatCannotBeTaken();

private:
    QString picture(const char *name, QColor colour)
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_temp.filePath(QLatin1String(name));
        image.save(path, "PNG");
        return path;
    }
    // Presses cmdEditPicture and runs `body` on the editor while it waits; Cancel (answered yes
    // when asked) closes it if the body left it open.
    bool withEditor(FormDriver &d, const std::function<void(AttachmentEditorDialog &)> &body)
    {
        return whenModal<AttachmentEditorDialog>([&] { d.click("cmdEditPicture"); },
            [&](AttachmentEditorDialog &e) {
                QPointer<AttachmentEditorDialog> alive(&e);
                body(e);
                if (alive && alive->isVisible())
                    alive->cmdCancel->click();
            });
    }
    // Each file the chooser is asked for next, in order.
    void choose(QStringList paths)
    {
        auto queue = std::make_shared<QStringList>(std::move(paths));
        AttachmentEditorDialog::setFileChooser([queue](const QString &, bool many) {
            if (queue->isEmpty())
                return QStringList();
            return many ? std::exchange(*queue, {}) : QStringList {queue->takeFirst()};
        });
    }
    QTemporaryDir m_temp;
};

// Record 1 holds three stored pictures. The user adds a red picture, links a green one, removes
// the second, moves the red one to the top and puts a blue one in place of the third.
void TestAttachmentEditor::editAndView()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(1);
    auto stored = [&db](int row) {
        return colourOf(QImage::fromData(
            db.scalar(QStringLiteral("SELECT FileData FROM tblOrvoFormAttachment WHERE "
                                     "FormTypeID=1022148 AND FormID=1 AND RowNumber=%1")
                          .arg(row))
                .toByteArray()));
    };
    const QRgb first = stored(1), third = stored(3);
    const QString red = picture("red.png", Qt::red), green = picture("green.png", Qt::green),
                  blue = picture("blue.jpg", Qt::blue);

    QVERIFY(withEditor(d, [&](AttachmentEditorDialog &e) {
        QCOMPARE(e.lstAttachments->count(), 3);
        QVERIFY(e.lstAttachments->item(0)->text().startsWith(QStringLiteral("\u200F1. ")));
        choose({red});
        e.cmdAdd->click();
        e.chkExternal->setChecked(true);
        choose({green});
        e.cmdAdd->click();
        e.chkExternal->setChecked(false);
        e.lstAttachments->setCurrentRow(1);
        e.cmdRemove->click(); // the second demo picture
        e.lstAttachments->setCurrentRow(2); // red, now third
        e.cmdUp->click();
        e.cmdUp->click();
        QCOMPARE(e.lstAttachments->currentRow(), 0);
        e.lstAttachments->setCurrentRow(2); // the third demo picture
        choose({blue});
        e.cmdReplace->click();
        QCOMPARE(e.lstAttachments->count(), 4);
        QVERIFY(e.lstAttachments->item(3)->text().startsWith(QStringLiteral("\u200F4. green.png")));
        e.cmdOk->click();
        QVERIFY(!e.isVisible());
    }));
    QCOMPARE(messages.count(), 0);

    // The row form: numbered 1..4; stored files with their bytes and extension, the linked one
    // by its path without bytes; each written by the form's user.
    const auto rows = db.rows(QStringLiteral(
        "SELECT RowNumber, isExternal, MediaPath, FileExtension, FileData IS NULL, Title, UserID "
        "FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND FormID=1 ORDER BY RowNumber"));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QVariantList({1, 0, QVariant(), "png", 0, "red.png", 1}));
    QCOMPARE(rows[1].mid(0, 2), QVariantList({2, 0}));
    QCOMPARE(rows[2], QVariantList({3, 0, QVariant(), "jpg", 0, "blue.jpg", 1}));
    QCOMPARE(rows[3], QVariantList({4, 1, green, "png", 1, "green.png", 1}));
    QCOMPARE(stored(2), first);
    QFile redFile(red);
    QVERIFY(redFile.open(QIODevice::ReadOnly));
    QCOMPARE(db.scalar("SELECT FileData FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND "
                       "FormID=1 AND RowNumber=1")
                 .toByteArray(),
        redFile.readAll());
    // Other forms' rows with the same record number are left alone.
    QCOMPARE(db.scalar("SELECT count(*) FROM tblOrvoFormAttachment WHERE FormTypeID<>1022148 "
                       "AND FormID=1")
                 .toInt(),
        1);

    // The viewer shows the new set once the user presses the row number (stepping itself:
    // tst_attachments).
    QList<QRgb> shown;
    d.click("cmdRefreshPicture");
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            d.click("cmdRight");
        shown << colourOf(d.form().currentPicture().toImage());
    }
    QVERIFY(qBlue(shown[2]) > 200 && qRed(shown[2]) < 60 && shown[2] != third); // the blue JPEG
    shown[2] = 0;
    QCOMPARE(shown, QList<QRgb>({QColor(Qt::red).rgb(), first, 0, QColor(Qt::green).rgb()}));

    // Numbers with a gap are closed up by OK, also without another change.
    db.exec("UPDATE tblOrvoFormAttachment SET RowNumber=7 WHERE FormTypeID=1022148 AND FormID=1 "
            "AND RowNumber=4");
    QVERIFY(withEditor(d, [&](AttachmentEditorDialog &e) { e.cmdOk->click(); }));
    QCOMPARE(db.rows("SELECT RowNumber FROM tblOrvoFormAttachment WHERE FormTypeID=1022148 AND "
                     "FormID=1 ORDER BY 1"),
        QList<QVariantList>({{1}, {2}, {3}, {4}}));
}

// The database refuses one of the new rows: nothing of the change is kept, the editor says so and
// keeps the user's list; Cancel then asks before dropping it.
void TestAttachmentEditor::refusedChangeKeepsTheRecord()
{
    TestDatabase db;
    db.refuse(QStringLiteral("tblOrvoFormAttachment"), QStringLiteral("INSERT"),
        QStringLiteral("refused by the test"), QStringLiteral("NEW.Title = 'refused.png'"));
    const QString all = QStringLiteral(
        "SELECT FormTypeID, FormID, RowNumber, isExternal, MediaPath, FileExtension, "
        "FileData, Title FROM tblOrvoFormAttachment ORDER BY 1, 2, 3");
    const auto before = db.rows(all);
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(1);
    QVERIFY(withEditor(d, [&](AttachmentEditorDialog &e) {
        e.lstAttachments->setCurrentRow(0);
        e.cmdRemove->click();
        e.lstAttachments->setCurrentRow(1);
        e.cmdUp->click();
        choose({picture("fine.png", Qt::yellow), picture("refused.png", Qt::cyan)});
        e.cmdAdd->click();
        e.cmdOk->click();
        QVERIFY(e.isVisible());
        QCOMPARE(messages.last().title, QStringLiteral("خطا در ثبت"));
        QVERIFY(messages.last().text.contains(QStringLiteral("دست نخورده")));
        QCOMPARE(db.rows(all), before);
        QCOMPARE(e.lstAttachments->count(), 4);

        messages.queue({0}); // Cancel asked: no, stay
        e.cmdCancel->click();
        QVERIFY(e.isVisible());
        messages.queue({1});
        e.cmdCancel->click();
        QVERIFY(!e.isVisible());
    }));
    QCOMPARE(db.rows(all), before);
}

// A missing file, a folder and a file beyond the stored limit are refused with a message; the
// large file can still be linked.
void TestAttachmentEditor::filesThatCannotBeTaken()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(TestDatabase::PlainAsset);
    const QString large = m_temp.filePath(QStringLiteral("large.bin"));
    {
        QFile f(large);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(AttachmentEditorDialog::LargestStoredFile + 1));
    }
    const QString missing = m_temp.filePath(QStringLiteral("missing.png"));
    QVERIFY(withEditor(d, [&](AttachmentEditorDialog &e) {
        QCOMPARE(e.lstAttachments->count(), 0);
        choose({missing, m_temp.path(), large});
        e.cmdAdd->click();
        QCOMPARE(e.lstAttachments->count(), 0);
        QCOMPARE(messages.count(), 1);
        const QString text = messages.last().text;
        QVERIFY2(text.contains(missing) && text.contains(m_temp.path() + QChar(0x200E))
                && text.contains(large) && text.contains(QStringLiteral("10 مگابایت")),
            qPrintable(text));
        e.chkExternal->setChecked(true);
        choose({large});
        e.cmdAdd->click();
        QCOMPARE(e.lstAttachments->count(), 1);
        e.cmdOk->click();
    }));
    QCOMPARE(db.rows(QStringLiteral("SELECT RowNumber, isExternal, MediaPath, FileData FROM "
                                    "tblOrvoFormAttachment WHERE FormID=%1")
                         .arg(TestDatabase::PlainAsset)),
        QList<QVariantList>({{1, 1, large, QVariant()}}));
}

QTEST_MAIN(TestAttachmentEditor)
#include "tst_attachmenteditor.moc"

// The attachment editor. The window keeps a working list; the database is written only by OK,
// in one transaction: removed rows are deleted, rows that move or get a new file are first moved
// to free (negative) row numbers and then to their new place, and new files are inserted. A
// failure anywhere rolls all of it back. Every update and delete must touch exactly the one row
// read when the window opened, so changes another user made meanwhile are never overwritten.
#include "AttachmentEditor.h"
#include "OrvoControls.h"
#include "SuiteFont.h"
#include "shared/FileRead.h"
#include "shared/TempFiles.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace vela {

namespace {

const QSize ThumbnailSize(96, 72);
constexpr int KeyRole = Qt::UserRole;

AttachmentEditorDialog::FileChooser &fileChooser()
{
    static AttachmentEditorDialog::FileChooser chooser;
    return chooser;
}

QString titleError()
{
    return QStringLiteral("خطا");
}

// A picture's thumbnail, or the file icon with the extension for anything else.
QPixmap thumbnailOf(const QByteArray &bytes, const QString &extension)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // Large photos are decoded at a fraction of their size where the format allows it.
    const QSize full = reader.size();
    if (full.isValid())
        reader.setScaledSize(full.scaled(ThumbnailSize * 2, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull() && !extension.isEmpty())
        image = QImage::fromData(bytes, extension.toLatin1().constData());
    if (image.isNull())
        return QPixmap(); // not a picture: the list shows a file icon
    return QPixmap::fromImage(
        image.scaled(ThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QString sizeText(qint64 bytes)
{
    if (bytes < 0)
        return QString();
    if (bytes < 1024)
        return QStringLiteral("%1 بایت").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 کیلوبایت").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 مگابایت").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

// A path inside a Persian sentence, kept left to right with its punctuation where it belongs.
QString leftToRight(const QString &path)
{
    return QChar(0x200E) + path + QChar(0x200E);
}

// A text as an SQL literal, or NULL.
QString textLiteral(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("NULL")
                          : QLatin1Char('\'') + SqlText(text) + QLatin1Char('\'');
}

} // namespace

// ---------------------------------------------------------------- the component

AttachmentEditor::AttachmentEditor(QObject *parent) : QObject(parent)
{
}

void AttachmentEditor::ShowAttachments()
{
    RunCommand(titleError(), [this] {
        const QString cs
            = m_connectionString.trimmed().isEmpty() ? m_oleConnectionString : m_connectionString;
        const qint32 formId = ToInt32(m_formId);
        if (formId <= 0)
            throw VelaError(QStringLiteral(
                "رکوردی برای ویرایش پیوست‌ها داده نشده است."));
        QWidget *parent = QApplication::activeWindow();
        QPointer<AttachmentEditorDialog> dialog;
        {
            WaitCursor wait;
            dialog = new AttachmentEditorDialog(cs, m_formTypeId, formId, m_userId, parent);
        }
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        dialog->exec();
        delete dialog;
    });
}

// ---------------------------------------------------------------- the window

void AttachmentEditorDialog::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

AttachmentEditorDialog::AttachmentEditorDialog(const QString &connectionString, qint32 formTypeId,
    qint32 formId, qint32 userId, QWidget *parent)
    : QDialog(parent), m_formTypeId(formTypeId), m_formId(formId), m_userId(userId)
{
    setObjectName(QStringLiteral("FormAttachmentEditor"));
    applySuiteLook(this);
    setWindowTitle(QStringLiteral("پیوست‌ها - رکورد %1").arg(formId));
    m_env.cn().setConnectionString(connectionString);

    auto button = [this](QPushButton *&b, const char *name, const QString &caption) {
        b = new OrvoButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };

    lstAttachments = new QListWidget(this);
    lstAttachments->setObjectName(QStringLiteral("lstAttachments"));
    lstAttachments->setIconSize(ThumbnailSize);
    lstAttachments->setSpacing(2);
    lstAttachments->setSelectionMode(QAbstractItemView::SingleSelection);
    lstAttachments->setDragDropMode(QAbstractItemView::InternalMove);
    lstAttachments->setDefaultDropAction(Qt::MoveAction);
    lstAttachments->setAlternatingRowColors(true);
    lstAttachments->setWordWrap(true);
    lstAttachments->setMinimumSize(420, 300);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(button(cmdAdd, "cmdAdd", QStringLiteral("افزودن...")));
    buttons->addWidget(button(cmdReplace, "cmdReplace", QStringLiteral("جایگزینی...")));
    buttons->addWidget(button(cmdRemove, "cmdRemove", QStringLiteral("حذف")));
    buttons->addSpacing(12);
    buttons->addWidget(button(cmdUp, "cmdUp", QStringLiteral("بالا")));
    buttons->addWidget(button(cmdDown, "cmdDown", QStringLiteral("پایین")));
    buttons->addStretch();

    auto *middle = new QHBoxLayout;
    middle->addWidget(lstAttachments, 1); // first: on the right
    middle->addLayout(buttons);

    chkExternal = new QCheckBox(
        QStringLiteral(
            "فایل‌ها را فقط پیوند کن (فایل بیرونی؛ در پایگاه داده نگه داشته نمی‌شود)"),
        this);
    chkExternal->setObjectName(QStringLiteral("chkExternal"));

    lblLimit = new QLabel(
        QStringLiteral(
            "فایلی که در پایگاه داده نگه داشته می‌شود حداکثر %1 مگابایت است؛ "
            "فایل بزرگ‌تر را پیوند کنید. ترتیب با «بالا» و «پایین» یا کشیدن با "
            "ماوس تغییر می‌کند. تغییرات با «تاييد» ثبت می‌شود.")
            .arg(LargestStoredFile / (1024 * 1024)),
        this);
    lblLimit->setObjectName(QStringLiteral("lblLimit"));
    lblLimit->setWordWrap(true);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblLimit, 1);
    bottom->addWidget(button(cmdOk, "cmdOk", QStringLiteral("تاييد")));
    bottom->addWidget(button(cmdCancel, "cmdCancel", QStringLiteral("انصراف")));

    auto *column = new QVBoxLayout(this);
    column->addLayout(middle, 1);
    column->addWidget(chkExternal);
    column->addLayout(bottom);

    connect(cmdAdd, &QPushButton::clicked, this, &AttachmentEditorDialog::addFiles);
    connect(cmdReplace, &QPushButton::clicked, this, &AttachmentEditorDialog::replaceSelected);
    connect(cmdRemove, &QPushButton::clicked, this, &AttachmentEditorDialog::removeSelected);
    connect(cmdUp, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        if (apply())
            accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &AttachmentEditorDialog::reject);
    connect(lstAttachments, &QListWidget::itemSelectionChanged, this,
        &AttachmentEditorDialog::refreshTexts);
    // A drag within the list changes the order.
    connect(lstAttachments->model(), &QAbstractItemModel::rowsMoved, this, [this] {
        markChanged();
        refreshTexts();
    });
    auto *del = new QShortcut(QKeySequence::Delete, lstAttachments);
    connect(del, &QShortcut::activated, this, &AttachmentEditorDialog::removeSelected);
    auto *up = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up), lstAttachments);
    connect(up, &QShortcut::activated, this, [this] { moveSelected(-1); });
    auto *down = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down), lstAttachments);
    connect(down, &QShortcut::activated, this, [this] { moveSelected(1); });

    load();
    refreshTexts();
    if (lstAttachments->count() > 0)
        lstAttachments->setCurrentRow(0);
    resize(640, 480);
}

AttachmentEditorDialog::~AttachmentEditorDialog() = default;

void AttachmentEditorDialog::load()
{
    ResultTable rows;
    const QString where
        = QStringLiteral(" from tblOrvoFormAttachment Where FormTypeID=%1 and FormID=%2")
              .arg(m_formTypeId)
              .arg(m_formId);
    m_env.execute(QStringLiteral("Select RowNumber, isExternal, MediaPath, FileExtension, Title")
            + where + QStringLiteral(" order by RowNumber"),
        rows);
    const int cRow = rows.columnIndex(QStringLiteral("RowNumber"));
    const int cExternal = rows.columnIndex(QStringLiteral("isExternal"));
    const int cPath = rows.columnIndex(QStringLiteral("MediaPath"));
    const int cExtension = rows.columnIndex(QStringLiteral("FileExtension"));
    const int cTitle = rows.columnIndex(QStringLiteral("Title"));
    for (int r = 0; r < rows.rowCount(); ++r) {
        Entry e;
        e.originalRow = qint32(rows.integer(r, cRow));
        e.external = !rows.isNull(r, cExternal) && rows.integer(r, cExternal) != 0;
        e.mediaPath = rows.text(r, cPath);
        e.extension = rows.text(r, cExtension);
        e.title = rows.text(r, cTitle);
        QByteArray bytes;
        if (e.external) {
            if (e.title.isEmpty())
                e.title = QFileInfo(e.mediaPath).fileName();
            // The file may be gone or on a share that does not answer: it then has no thumbnail.
            if (!e.mediaPath.isEmpty()
                && fileread::readFile(e.mediaPath, bytes) == fileread::ReadOutcome::Read)
                e.size = bytes.size();
        } else {
            // One stored file in memory at a time, for its thumbnail; its bytes stay in the
            // database unless the user replaces them.
            ResultTable data;
            m_env.execute(QStringLiteral("Select FileData") + where
                    + QStringLiteral(" and RowNumber=%1").arg(e.originalRow),
                data);
            if (data.rowCount() > 0 && !data.isNull(0, 0))
                bytes = data.value(0, 0).toByteArray();
            e.size = bytes.size();
        }
        e.thumbnail = thumbnailOf(bytes, e.extension);
        m_originalRows.append(e.originalRow);
        addItem(std::move(e));
    }
}

QListWidgetItem *AttachmentEditorDialog::addItem(Entry entry, int row)
{
    const int key = m_nextKey++;
    auto *item = new QListWidgetItem;
    item->setData(KeyRole, key);
    item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled);
    item->setIcon(iconOf(entry));
    m_entries.insert(key, std::move(entry));
    if (row < 0)
        lstAttachments->addItem(item);
    else
        lstAttachments->insertItem(row, item);
    return item;
}

QIcon AttachmentEditorDialog::iconOf(const Entry &entry) const
{
    return entry.thumbnail.isNull() ? style()->standardIcon(QStyle::SP_FileIcon)
                                    : QIcon(entry.thumbnail);
}

AttachmentEditorDialog::Entry &AttachmentEditorDialog::entryOf(QListWidgetItem *item)
{
    return m_entries[item->data(KeyRole).toInt()];
}

qint32 AttachmentEditorDialog::selectedRow() const
{
    const QList<QListWidgetItem *> chosen = lstAttachments->selectedItems();
    return chosen.isEmpty() ? -1 : lstAttachments->row(chosen.first());
}

void AttachmentEditorDialog::refreshTexts()
{
    for (int r = 0; r < lstAttachments->count(); ++r) {
        QListWidgetItem *item = lstAttachments->item(r);
        const Entry &e = entryOf(item);
        const QString where = e.external
            ? QStringLiteral("پیوند به فایل بیرونی: ") + leftToRight(e.mediaPath)
            : QStringLiteral("در پایگاه داده");
        const QString size = sizeText(e.size);
        // The mark makes each line right to left also when it starts with Latin letters.
        const QChar rtl(0x200F);
        const QString title = e.title.isEmpty() ? QStringLiteral("(بدون نام)") : e.title;
        item->setText(rtl + QString::number(r + 1) + QStringLiteral(". ") + title
            + QLatin1Char('\n') + rtl + where
            + (size.isEmpty() ? QString() : QStringLiteral("، ") + size));
        item->setToolTip(e.external ? e.mediaPath : e.title);
    }
    const int row = selectedRow();
    cmdReplace->setEnabled(row >= 0);
    cmdRemove->setEnabled(row >= 0);
    cmdUp->setEnabled(row > 0);
    cmdDown->setEnabled(row >= 0 && row < lstAttachments->count() - 1);
}

void AttachmentEditorDialog::markChanged()
{
    m_changed = true;
}

// ---------------------------------------------------------------- commands

QStringList AttachmentEditorDialog::chooseFiles(const QString &title, bool many)
{
    if (fileChooser())
        return fileChooser()(title, many);
    QFileDialog dlg(this, title);
    dlg.setLayoutDirection(Qt::RightToLeft);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setFileMode(many ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dlg.setNameFilters({QStringLiteral("تصویرها (*.png *.jpg *.jpeg *.bmp *.gif *.tif *.tiff)"),
        QStringLiteral("همه فایل‌ها (*)")});
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.selectedFiles();
}

bool AttachmentEditorDialog::takeFile(
    const QString &path, bool external, Entry &entry, QString &problem)
{
    using fileread::ReadOutcome;
    const QFileInfo info(path);
    QByteArray bytes;
    ReadOutcome outcome;
    {
        WaitCursor wait;
        outcome = fileread::readFile(path, bytes);
    }
    const QString shown = leftToRight(path);
    switch (outcome) {
    case ReadOutcome::Unreadable:
        problem = QStringLiteral("فایل «%1» خوانده نشد: یا وجود ندارد یا اجازه خواندن آن را "
                                 "ندارید. فایل دیگری برگزینید.")
                      .arg(shown);
        return false;
    case ReadOutcome::NotAFile:
        problem = QStringLiteral(
            "«%1» فایل نیست (پوشه، لوله یا دستگاه است) و پیوست نمی‌شود.")
                      .arg(shown);
        return false;
    case ReadOutcome::NoAnswer:
        problem = QStringLiteral("فایل «%1» پس از %2 ثانیه هنوز خوانده نشده است؛ شاید پوشه "
                                 "اشتراکی شبکه در دسترس نیست. اتصال را بررسی کنید و دوباره "
                                 "امتحان کنید.")
                      .arg(shown)
                      .arg(fileread::ReadTimeLimitMs / 1000);
        return false;
    case ReadOutcome::TooLarge:
    case ReadOutcome::Read:
        break;
    }
    const qint64 size = outcome == ReadOutcome::Read ? bytes.size() : info.size();
    if (!external && (outcome == ReadOutcome::TooLarge || size > LargestStoredFile)) {
        problem = QStringLiteral(
            "فایل «%1» %2 است و از %3 مگابایت، بزرگ‌ترین فایلی که در پایگاه "
            "داده نگه داشته می‌شود، بزرگ‌تر است. آن را به صورت پیوند به "
            "فایل بیرونی اضافه کنید یا فایل کوچک‌تری برگزینید.")
                      .arg(shown, sizeText(size))
                      .arg(LargestStoredFile / (1024 * 1024));
        return false;
    }
    entry.external = external;
    entry.title = info.fileName();
    entry.extension = info.suffix();
    // The viewer writes stored files under their extension: only a plain one is kept.
    if (!tempfiles::isPlainExtension(entry.extension))
        entry.extension.clear();
    entry.size = size;
    entry.thumbnail = thumbnailOf(bytes, entry.extension);
    if (external) {
        entry.mediaPath = info.absoluteFilePath();
        entry.data.clear();
    } else {
        entry.mediaPath.clear();
        entry.data = bytes;
    }
    return true;
}

void AttachmentEditorDialog::addFiles()
{
    const bool external = chkExternal->isChecked();
    const QStringList paths
        = chooseFiles(external ? QStringLiteral("پیوند به فایل‌ها")
                               : QStringLiteral("افزودن فایل‌ها"),
            true);
    QStringList problems;
    QListWidgetItem *last = nullptr;
    for (const QString &path : paths) {
        Entry e;
        QString problem;
        if (!takeFile(path, external, e, problem)) {
            problems << problem;
            continue;
        }
        last = addItem(std::move(e));
        markChanged();
    }
    if (last)
        lstAttachments->setCurrentItem(last);
    refreshTexts();
    if (!problems.isEmpty())
        ShowMessage(QStringLiteral("اشكال"), problems.join(QLatin1Char('\n')));
}

void AttachmentEditorDialog::replaceSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const bool external = chkExternal->isChecked();
    const QStringList paths = chooseFiles(QStringLiteral("فایل جایگزین"), false);
    if (paths.isEmpty())
        return;
    Entry e;
    QString problem;
    if (!takeFile(paths.first(), external, e, problem)) {
        ShowMessage(QStringLiteral("اشكال"), problem);
        return;
    }
    QListWidgetItem *item = lstAttachments->item(row);
    Entry &old = entryOf(item);
    e.originalRow = old.originalRow;
    e.replaced = old.originalRow != 0;
    old = std::move(e);
    item->setIcon(iconOf(old));
    markChanged();
    refreshTexts();
}

void AttachmentEditorDialog::removeSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    QListWidgetItem *item = lstAttachments->takeItem(row);
    const int key = item->data(KeyRole).toInt();
    if (m_entries[key].originalRow != 0)
        m_removedRows.append(m_entries[key].originalRow);
    m_entries.remove(key);
    delete item;
    markChanged();
    if (lstAttachments->count() > 0)
        lstAttachments->setCurrentRow(qMin(row, lstAttachments->count() - 1));
    refreshTexts();
}

void AttachmentEditorDialog::moveSelected(int delta)
{
    const int row = selectedRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= lstAttachments->count())
        return;
    QListWidgetItem *item = lstAttachments->takeItem(row);
    lstAttachments->insertItem(to, item);
    lstAttachments->setCurrentItem(item);
    markChanged();
    refreshTexts();
}

// ---------------------------------------------------------------- writing

void AttachmentEditorDialog::writeChanges()
{
    const QString key = QStringLiteral(" Where FormTypeID=%1 and FormID=%2 and RowNumber=")
                            .arg(m_formTypeId)
                            .arg(m_formId);
    ResultTable none;
    // Updates and deletes change the one row read when the window opened, or nothing is written.
    auto exactlyOne = [&](const QString &sql) {
        if (m_env.execute(sql, none) != 1)
            throw VelaError(QStringLiteral(
                "پیوست‌های این رکورد در این فاصله در جای دیگری تغییر کرده است. پنجره را "
                "ببندید و دوباره باز کنید."));
    };

    for (qint32 row : std::as_const(m_removedRows))
        exactlyOne(QStringLiteral("Delete tblOrvoFormAttachment") + key + QString::number(row));

    // Rows that get another number or another file move out of the way first, below every
    // number the record had, so that no two rows ever share a number on the way.
    qint32 lowest = 0;
    for (qint32 row : std::as_const(m_originalRows))
        lowest = qMin(lowest, row);
    QHash<qint32, qint32> parked; // original row -> its temporary number
    for (int r = 0; r < lstAttachments->count(); ++r) {
        const Entry &e = entryOf(lstAttachments->item(r));
        if (e.originalRow == 0 || (e.originalRow == r + 1 && !e.replaced))
            continue;
        const qint32 temporary = --lowest;
        exactlyOne(QStringLiteral("Update tblOrvoFormAttachment Set RowNumber=%1").arg(temporary)
            + key + QString::number(e.originalRow));
        parked.insert(e.originalRow, temporary);
    }

    auto fileColumns = [](const Entry &e) {
        return QStringList {e.external ? QStringLiteral("1") : QStringLiteral("0"),
            e.external ? textLiteral(e.mediaPath) : QStringLiteral("NULL"),
            textLiteral(e.extension),
            // Bytes as a T-SQL binary literal; each backend carries it as its engine's own.
            e.external ? QStringLiteral("NULL")
                       : QStringLiteral("0x") + QString::fromLatin1(e.data.toHex()),
            textLiteral(e.title)};
    };
    for (int r = 0; r < lstAttachments->count(); ++r) {
        const Entry &e = entryOf(lstAttachments->item(r));
        const qint32 number = r + 1;
        if (e.originalRow == 0) {
            const QStringList c = fileColumns(e);
            exactlyOne(QStringLiteral("Insert into tblOrvoFormAttachment (FormTypeID, FormID, "
                                      "RowNumber, isExternal, MediaPath, FileExtension, FileData, "
                                      "Title, CreateDate, UserID) Values (%1, %2, %3, ")
                           .arg(m_formTypeId)
                           .arg(m_formId)
                           .arg(number)
                + c.join(QStringLiteral(", ")) + QStringLiteral(", getdate(), %1)").arg(m_userId));
        } else if (parked.contains(e.originalRow)) {
            QString set
                = QStringLiteral("Update tblOrvoFormAttachment Set RowNumber=%1").arg(number);
            if (e.replaced) {
                const QStringList c = fileColumns(e);
                set += QStringLiteral(", isExternal=") + c[0] + QStringLiteral(", MediaPath=")
                    + c[1] + QStringLiteral(", FileExtension=") + c[2]
                    + QStringLiteral(", FileData=") + c[3] + QStringLiteral(", Title=") + c[4]
                    + QStringLiteral(", CreateDate=getdate(), UserID=") + QString::number(m_userId);
            }
            exactlyOne(set + key + QString::number(parked.value(e.originalRow)));
        }
    }
}

bool AttachmentEditorDialog::needsWriting() const
{
    if (m_changed)
        return true;
    // Numbers read with a gap (rows 1, 2, 4) are closed up by OK as well.
    for (int r = 0; r < lstAttachments->count(); ++r)
        if (m_entries.value(lstAttachments->item(r)->data(KeyRole).toInt()).originalRow != r + 1)
            return true;
    return false;
}

bool AttachmentEditorDialog::apply()
{
    if (!needsWriting())
        return true;
    const bool written = RunCommand(QStringLiteral("خطا در ثبت"), [this] {
        try {
            WaitCursor wait;
            TransactionScope transaction(m_env);
            writeChanges();
            transaction.commit();
        } catch (...) {
            throw VelaError(
                QStringLiteral(
                    "پیوست‌ها ثبت نشد و پیوست‌های پیشین رکورد دست نخورده "
                    "ماند. تغییرات شما در این پنجره مانده است؛ پس از رفع "
                    "مشکل دوباره «تاييد» را بزنید.")
                + QLatin1Char('\n') + currentFailureText());
        }
    });
    if (!written)
        return false;
    // What the window shows is now what the database holds.
    m_removedRows.clear();
    m_originalRows.clear();
    for (int r = 0; r < lstAttachments->count(); ++r) {
        Entry &e = entryOf(lstAttachments->item(r));
        e.originalRow = r + 1;
        e.replaced = false;
        e.data.clear();
        m_originalRows.append(e.originalRow);
    }
    m_changed = false;
    return true;
}

// The close box and Escape come here too.
void AttachmentEditorDialog::reject()
{
    if (m_changed
        && AskYesNo(QStringLiteral("پیوست‌ها"),
               QStringLiteral(
                   "تغییرات پیوست‌ها ثبت نشده است. بدون ثبت بسته شود؟"))
            != 6)
        return;
    QDialog::reject();
}

} // namespace vela

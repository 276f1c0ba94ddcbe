// The suite's accounting document viewer "comAccountDoc.comAccountDoc1", a plugin of its own
// (Commercial/VelaAccountDoc.so under the suite's install directory). Hosts drive it as they
// drive the asset establishment control: UserID, PositionID and OLEConnectionString, then
// View(id) opens a right-to-left window with the document's header and rows.
//
// It knows the component only through VelaPluginApi.h: statements run through the host's query
// function on a connection of their own, amounts are added and grouped by the host's exact money
// functions, and failures are shown in the suite's message box.
#include "VelaPluginApi.h"

#include <QApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

namespace {

const VelaPluginHost *g_host = nullptr;

const char *const ProgId = "comAccountDoc.comAccountDoc1";

// ---------------------------------------------------------------- the host's services

// The rows of one statement, cells as text (nullopt for NULL).
struct Rows {
    QStringList columns;
    std::vector<std::vector<std::optional<QString>>> cells;

    int count() const { return int(cells.size()); }
    QString text(int row, const char *column) const
    {
        qsizetype c = -1;
        for (qsizetype i = 0; i < columns.size() && c < 0; ++i)
            if (columns[i].compare(QLatin1String(column), Qt::CaseInsensitive) == 0)
                c = i;
        if (c < 0 || row < 0 || row >= count() || !cells[size_t(row)][size_t(c)])
            return QString();
        return *cells[size_t(row)][size_t(c)];
    }
};

// Runs a statement through the host. False, with the host's Persian description, on failure.
bool query(const QString &connection, const QString &sql, Rows &out, QString &error)
{
    out = Rows();
    std::array<char, 4096> message {};
    const int failed = g_host->query(
        connection.toUtf8().constData(), sql.toUtf8().constData(),
        [](void *context, int count, const char *const *names, const char *const *cells) -> int {
            Rows &rows = *static_cast<Rows *>(context);
            if (rows.columns.isEmpty())
                for (int c = 0; c < count; ++c)
                    rows.columns << QString::fromUtf8(names[c]);
            std::vector<std::optional<QString>> row;
            row.resize(size_t(count));
            for (int c = 0; c < count; ++c)
                if (cells[c])
                    row[size_t(c)] = QString::fromUtf8(cells[c]);
            rows.cells.push_back(std::move(row));
            return 0;
        },
        &out, message.data(), message.size());
    error = QString::fromUtf8(message.data());
    return failed == 0;
}

QString amountShown(const QString &amount)
{
    std::array<char, 128> out {};
    if (g_host->amount_display(amount.toUtf8().constData(), out.data(), out.size()) != 0)
        return amount; // not an amount: shown as it is
    return QString::fromUtf8(out.data());
}

// Adds an amount to a running total; a cell that is not an amount is left out of it.
void addTo(QString &total, const QString &amount)
{
    std::array<char, 128> out {};
    if (!amount.isEmpty()
        && g_host->amount_add(
               total.toUtf8().constData(), amount.toUtf8().constData(), out.data(), out.size())
            == 0)
        total = QString::fromUtf8(out.data());
}

void showMessage(const QString &title, const QString &text)
{
    g_host->show_message(title.toUtf8().constData(), text.toUtf8().constData());
}

// ---------------------------------------------------------------- the window

class FormAccountDoc : public QWidget {
public:
    FormAccountDoc()
    {
        setObjectName(QStringLiteral("FormAccountDoc"));
        setAttribute(Qt::WA_DeleteOnClose);
        setLayoutDirection(Qt::RightToLeft);
        // The suite's face; the suite maps Tahoma to a face with Persian letters where it is
        // not installed.
        QFont f = QApplication::font();
        f.setFamily(QStringLiteral("Tahoma"));
        setFont(f);

        auto *header = new QGridLayout;
        auto field = [this, header](const char *name, const QString &caption, int row, int column,
                         int span = 1) {
            auto *label = new QLabel(caption, this);
            auto *value = new QLineEdit(this);
            value->setObjectName(QLatin1String(name));
            value->setReadOnly(true);
            value->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
            header->addWidget(label, row, column * 2);
            header->addWidget(value, row, column * 2 + 1, 1, span);
            return value;
        };
        txtDocumentNo = field("txtDocumentNo", QStringLiteral("شماره سند:"), 0, 0);
        txtDocumentDate = field("txtDocumentDate", QStringLiteral("تاریخ سند:"), 0, 1);
        txtBranch = field("txtBranch", QStringLiteral("شعبه:"), 1, 0);
        txtStatus = field("txtStatus", QStringLiteral("وضعیت:"), 1, 1);
        txtCreator = field("txtCreator", QStringLiteral("تنظیم کننده:"), 2, 0);
        txtDescription = field("txtDescription", QStringLiteral("شرح:"), 3, 0, 3);
        header->setColumnStretch(1, 1);
        header->setColumnStretch(3, 1);

        flxRows = new QTableWidget(this);
        flxRows->setObjectName(QStringLiteral("flxRows"));
        flxRows->setColumnCount(ColumnCount);
        flxRows->setHorizontalHeaderLabels({QStringLiteral("ردیف"), QStringLiteral("کد حساب"),
            QStringLiteral("عنوان حساب"), QStringLiteral("مرکز هزینه"), QStringLiteral("شرح"),
            QStringLiteral("بدهکار"), QStringLiteral("بستانکار")});
        flxRows->verticalHeader()->hide();
        flxRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
        flxRows->setSelectionBehavior(QAbstractItemView::SelectRows);
        flxRows->setAlternatingRowColors(true);
        flxRows->setWordWrap(false);

        lblViewer = new QLabel(this);
        lblViewer->setObjectName(QStringLiteral("lblViewer"));
        auto *close = new QPushButton(QStringLiteral("بستن"), this);
        close->setObjectName(QStringLiteral("cmdClose"));
        connect(close, &QPushButton::clicked, this, &QWidget::close);
        auto *bottom = new QHBoxLayout;
        bottom->addWidget(lblViewer, 1);
        bottom->addWidget(close);

        auto *column = new QVBoxLayout(this);
        column->addLayout(header);
        column->addWidget(flxRows, 1);
        column->addLayout(bottom);
        resize(960, 460);
    }

    // Reads and shows the document; false, with a message shown, when it cannot be read.
    bool load(const QString &connection, qint32 documentId, qint32 userId, qint32 positionId)
    {
        const QString id = QString::number(documentId);
        Rows head, rows, user;
        QString error;
        if (!query(connection,
                QStringLiteral(
                    "Select d.ID, d.DocumentNo, d.FarsiDocumentDate, d.Description, d.IsFinal, "
                    "b.Name as BranchName, u.Name as CreatorName from tblAccountDocument d "
                    "left join vwAccountBranchMinor b on b.ID=d.BranchID "
                    "left join vwUserMinor u on u.ID=d.CreatorID Where d.ID=")
                    + id,
                head, error)
            || !query(connection,
                QStringLiteral(
                    "Select r.RowNumber, r.AccountCode, r.AccountTitle, c.Name as CostCenterName, "
                    "r.Description, r.Debit, r.Credit from tblAccountDocumentDetail r "
                    "left join vwAccountCostCenterMinor c on c.ID=r.CostCenterID "
                    "Where r.DocumentID=")
                    + id + QStringLiteral(" order by r.RowNumber, r.ID"),
                rows, error)
            || !query(connection,
                QStringLiteral("Select Name from vwUserMinor Where ID=") + QString::number(userId),
                user, error)) {
            showMessage(
                QStringLiteral("خطا"), QStringLiteral("سند حسابداری خوانده نشد.\n") + error);
            return false;
        }
        if (head.count() == 0) {
            showMessage(QStringLiteral("اطلاع"),
                QStringLiteral(
                    "سند حسابداری با شماره رایانه‌ای %1 یافت نشد.")
                    .arg(documentId));
            return false;
        }

        const QString number = head.text(0, "DocumentNo");
        setWindowTitle(QStringLiteral("سند حسابداری شماره %1").arg(number));
        setText(txtDocumentNo, number);
        setText(txtDocumentDate, head.text(0, "FarsiDocumentDate"));
        setText(txtBranch, head.text(0, "BranchName"));
        setText(txtCreator, head.text(0, "CreatorName"));
        setText(txtDescription, head.text(0, "Description"));
        const QString isFinal = head.text(0, "IsFinal");
        setText(txtStatus,
            isFinal == QLatin1String("1")
                    || isFinal.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("قطعی")
                : QStringLiteral("موقت"));

        flxRows->setRowCount(rows.count() + 1);
        QString debit = QStringLiteral("0"), credit = QStringLiteral("0");
        for (int r = 0; r < rows.count(); ++r) {
            setCell(r, 0, rows.text(r, "RowNumber"), Qt::AlignCenter);
            setCell(r, 1, rows.text(r, "AccountCode"), Qt::AlignCenter);
            setCell(r, 2, rows.text(r, "AccountTitle"));
            setCell(r, 3, rows.text(r, "CostCenterName"));
            setCell(r, 4, rows.text(r, "Description"));
            const QString d = rows.text(r, "Debit"), c = rows.text(r, "Credit");
            setAmount(r, 5, d);
            setAmount(r, 6, c);
            addTo(debit, d);
            addTo(credit, c);
        }
        const int last = rows.count();
        setCell(last, 4, QStringLiteral("جمع"));
        setAmount(last, 5, debit, true);
        setAmount(last, 6, credit, true);
        for (int c = 0; c < ColumnCount; ++c) {
            if (!flxRows->item(last, c))
                flxRows->setItem(last, c, new QTableWidgetItem);
            QFont bold = flxRows->item(last, c)->font();
            bold.setBold(true);
            flxRows->item(last, c)->setFont(bold);
        }
        flxRows->resizeColumnsToContents();
        flxRows->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);

        // Whom the document is shown to.
        QString viewer = user.count() > 0 ? user.text(0, "Name") : QString();
        if (!viewer.isEmpty())
            viewer = QStringLiteral("کاربر: ") + viewer;
        if (positionId > 0)
            viewer += (viewer.isEmpty() ? QString() : QStringLiteral("، "))
                + QStringLiteral("سمت سازمانی: %1").arg(positionId);
        lblViewer->setText(viewer);
        return true;
    }

    static constexpr int ColumnCount = 7;
    QLineEdit *txtDocumentNo, *txtDocumentDate, *txtBranch, *txtStatus, *txtCreator,
        *txtDescription;
    QTableWidget *flxRows;
    QLabel *lblViewer;

private:
    static void setText(QLineEdit *e, const QString &text)
    {
        e->setText(text);
        e->setCursorPosition(0);
    }
    void setCell(int row, int column, const QString &text,
        Qt::Alignment alignment = Qt::AlignRight | Qt::AlignAbsolute)
    {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(alignment | Qt::AlignVCenter);
        flxRows->setItem(row, column, item);
    }
    // Grouped and at the right edge, so that the digits of equal places stand in one line; a
    // zero amount of a row is left blank, as documents show it.
    void setAmount(int row, int column, const QString &amount, bool total = false)
    {
        const bool blank = amount.isEmpty() || (!total && amount == QLatin1String("0"));
        setCell(row, column, blank ? QString() : amountShown(amount),
            Qt::AlignRight | Qt::AlignAbsolute);
        if (auto *item = flxRows->item(row, column))
            item->setData(Qt::UserRole, amount); // the exact amount
    }
};

// ---------------------------------------------------------------- the component

class comAccountDoc1 : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint32 UserID READ UserID WRITE setUserID)
    Q_PROPERTY(qint32 PositionID READ PositionID WRITE setPositionID)
    Q_PROPERTY(QString OLEConnectionString READ OLEConnectionString WRITE setOLEConnectionString)
public:
    qint32 UserID() const { return m_userId; }
    void setUserID(qint32 v) { m_userId = v; }
    qint32 PositionID() const { return m_positionId; }
    void setPositionID(qint32 v) { m_positionId = v; }
    QString OLEConnectionString() const { return m_connection; }
    void setOLEConnectionString(const QString &v) { m_connection = v; }

    // Opens a window on the document; it stays open after the component is released.
    Q_INVOKABLE void View(qint32 inID)
    {
        try {
            auto *window = new FormAccountDoc;
            if (!window->load(m_connection, inID, m_userId, m_positionId)) {
                delete window;
                return;
            }
            window->show();
            window->raise();
            window->activateWindow();
            window->flxRows->setFocus();
        } catch (...) {
            showMessage(QStringLiteral("خطا"), QStringLiteral("سند حسابداری نمایش داده نشد."));
        }
    }

private:
    qint32 m_userId = -1;
    qint32 m_positionId = -1;
    QString m_connection;
};

void *create(void *)
{
    try {
        return static_cast<QObject *>(new comAccountDoc1);
    } catch (...) {
        return nullptr;
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) int vela_register_components(
    const VelaPluginHost *host)
{
    if (!host || host->version < VELA_PLUGIN_API_VERSION || host->size < sizeof(VelaPluginHost))
        return 1;
    g_host = host;
    return host->register_component(host->registry, ProgId, &create, nullptr);
}

#include "comAccountDoc.moc"

#include "OrvoControls.h"
#include "SuiteFont.h"
#include "shared/DataEnvironment.h"
#include "shared/Jalali.h"
#include "shared/VelaError.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>

namespace vela {

QString foldForLookup(const QString &text)
{
    QString out = jalali::toAsciiDigits(text).toCaseFolded();
    for (QChar &c : out) {
        switch (c.unicode()) {
        case 0x064A: // Arabic Yeh
        case 0x0649: // Alef Maksura
            c = QChar(0x06CC);
            break;
        case 0x0643: // Arabic Kaf
            c = QChar(0x06A9);
            break;
        default:
            break;
        }
    }
    return out;
}

enum {
    IdRole = Qt::UserRole,
    FoldRole = Qt::UserRole + 1
};

// The rows of the selector as a list model: the name shows, the folded name is what the
// completer matches against.
class SelectorModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_items.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_items.size())
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return m_items[index.row()].second;
        case IdRole:
            return m_items[index.row()].first;
        case FoldRole:
            return m_folded.value(index.row());
        default:
            return {};
        }
    }
    // Shares the selector's lists (implicitly shared, so no copy is made).
    void setRows(const QVector<QPair<qint32, QString>> &items, const QVector<QString> &folded)
    {
        beginResetModel();
        m_items = items;
        m_folded = folded;
        endResetModel();
    }

private:
    QVector<QPair<qint32, QString>> m_items;
    QVector<QString> m_folded;
};

namespace {

// Matches the folded text the user typed against the folded names, and puts the name itself into
// the editor when a row is taken.
class FoldingCompleter : public QCompleter {
public:
    using QCompleter::QCompleter;
    QStringList splitPath(const QString &path) const override { return {foldForLookup(path)}; }
    QString pathFromIndex(const QModelIndex &index) const override
    {
        return index.data(Qt::DisplayRole).toString();
    }
};

} // namespace

OrvoSelector::OrvoSelector(QWidget *parent) : QWidget(parent)
{
    applySuiteLook(this);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("combo"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setLayoutDirection(Qt::RightToLeft);
    m_combo->setMaxVisibleItems(20);
    // Sizing by contents would measure every name of a long list.
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setMinimumContentsLength(10);
    if (auto *view = qobject_cast<QListView *>(m_combo->view()))
        view->setUniformItemSizes(true);

    m_model = new SelectorModel(this);
    m_combo->setModel(m_model);

    auto *completer = new FoldingCompleter(m_model, m_combo);
    completer->setCompletionRole(FoldRole);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setMaxVisibleItems(15);
    if (auto *popup = qobject_cast<QListView *>(completer->popup())) {
        popup->setUniformItemSizes(true);
        popup->setLayoutDirection(Qt::RightToLeft);
    }
    m_combo->setCompleter(completer);
    // Names in Latin letters or digits alone sit at the right like every other field.
    m_combo->lineEdit()->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_combo);
    setFocusProxy(m_combo);

    // A row taken from the list or from the completer's popup.
    connect(m_combo, &QComboBox::activated, this, [this](int row) {
        setSelectedID(row >= 0 && row < m_items.size() ? m_items[row].first : -1);
    });
    // Enter or leaving the control: the typed text decides.
    connect(m_combo->lineEdit(), &QLineEdit::editingFinished, this, &OrvoSelector::commitEditText);
}

void OrvoSelector::setConnectionString(const QString &cs)
{
    m_connectionString = cs;
}

void OrvoSelector::setMajorView(const QString &view)
{
    static const QRegularExpression identifier(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_.]+")));
    const QString name = view.trimmed();
    if (!name.isEmpty() && !identifier.match(name).hasMatch())
        throw VelaError(QStringLiteral("نام نمای «%1» معتبر نیست.").arg(view));
    m_majorView = name;

    QVector<QPair<qint32, QString>> rows;
    if (!name.isEmpty() && !m_connectionString.trimmed().isEmpty()) {
        // The control's own connection, as the original control opened one of its own.
        DataEnvironment env;
        env.cn().setConnectionString(m_connectionString);
        ResultTable table;
        env.execute(QStringLiteral("Select ID, Name from ") + name, table);
        const int idCol = table.columnIndex(QStringLiteral("ID"));
        const int nameCol = table.columnIndex(QStringLiteral("Name"));
        if (idCol < 0 || nameCol < 0)
            throw VelaError(QStringLiteral("نمای «%1» ستون های ID و Name را ندارد.").arg(name));
        rows.reserve(table.rowCount());
        for (int r = 0; r < table.rowCount(); ++r) {
            if (table.isNull(r, idCol))
                continue;
            rows.append({qint32(table.integer(r, idCol)), table.text(r, nameCol)});
        }
    }
    setItems(rows);
}

void OrvoSelector::setMinorView(const QString &view)
{
    m_minorView = view.trimmed();
}

bool OrvoSelector::fetchFromMinorView(qint32 id)
{
    // The major view lists the rows that may be chosen now (active ones); a record may still
    // name a row that only the minor view holds. Showing it keeps that value through an
    // unchanged save instead of turning it into NULL.
    static const QRegularExpression identifier(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_.]+")));
    if (id == -1 || m_minorView.isEmpty() || m_minorView == m_majorView
        || m_connectionString.trimmed().isEmpty() || !identifier.match(m_minorView).hasMatch())
        return false;
    try {
        DataEnvironment env;
        env.cn().setConnectionString(m_connectionString);
        ResultTable table;
        env.execute(QStringLiteral("Select ID, Name from ") + m_minorView
                + QStringLiteral(" Where ID=") + QString::number(id),
            table);
        const int nameCol = table.columnIndex(QStringLiteral("Name"));
        if (table.rowCount() < 1 || nameCol < 0)
            return false;
        m_items.append({id, table.text(0, nameCol)});
        rebuild();
        m_model->setRows(m_items, m_folded);
        return true;
    } catch (const std::exception &) {
        return false; // the value stays unknown: nothing chosen
    }
}

qint32 OrvoSelector::SelectedID() const
{
    return m_selected;
}

QString OrvoSelector::selectedName() const
{
    const int row = m_rowOfId.value(m_selected, -1);
    return row < 0 ? QString() : m_items[row].second;
}

int OrvoSelector::itemCount() const
{
    return int(m_items.size());
}

void OrvoSelector::setSelectedID(qint32 id)
{
    int row = m_rowOfId.value(id, -1);
    if (row < 0 && fetchFromMinorView(id))
        row = m_rowOfId.value(id, -1);
    const qint32 chosen = row < 0 ? -1 : id;
    m_combo->setCurrentIndex(row);
    // The editor may still hold typed text when the index itself did not change.
    m_combo->setEditText(row < 0 ? QString() : m_items[row].second);
    if (chosen != m_selected) {
        m_selected = chosen;
        emit selectionChanged(chosen);
    }
}

void OrvoSelector::setItems(const QVector<QPair<qint32, QString>> &items)
{
    m_items = items;
    rebuild();
    m_model->setRows(m_items, m_folded);
    // Keep the choice when the new list still holds it.
    setSelectedID(m_selected);
}

void OrvoSelector::rebuild()
{
    m_folded.resize(m_items.size());
    m_rowOfId.clear();
    m_rowOfId.reserve(m_items.size());
    for (int r = 0; r < m_items.size(); ++r) {
        m_folded[r] = foldForLookup(m_items[r].second);
        if (!m_rowOfId.contains(m_items[r].first))
            m_rowOfId.insert(m_items[r].first, r);
    }
}

void OrvoSelector::commitEditText()
{
    const QString text = m_combo->lineEdit()->text().trimmed();
    if (text.isEmpty()) {
        setSelectedID(-1);
        return;
    }
    if (m_selected != -1 && text == selectedName().trimmed())
        return;
    // A name equal to the text wins; else the first name that contains it, as the completer
    // lists it first.
    const QString key = foldForLookup(text);
    int exact = -1, first = -1;
    for (int r = 0; r < m_folded.size(); ++r) {
        if (m_folded[r] == key) {
            exact = r;
            break;
        }
        if (first < 0 && m_folded[r].contains(key))
            first = r;
    }
    const int row = exact >= 0 ? exact : first;
    setSelectedID(row < 0 ? -1 : m_items[row].first);
}

} // namespace vela

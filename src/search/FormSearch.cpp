#include "FormSearch.h"

#include "ExportFile.h"
#include "ExportTexts.h"
#include "FormSendToTextFile.h"
#include "GridExport.h"
#include "ResultsGrid.h"
#include "SearchTexts.h"
#include "shared/AssetRecord.h"
#include "shared/DataEnvironment.h"
#include "shared/Session.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"
#include "suite/SuiteFont.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QResizeEvent>
#include <cmath>
#include <exception>

namespace vela {

namespace {

FormSearch *g_instance = nullptr;

// Design geometry, twips. The filter frame holds four columns of five label-input pairs,
// filled from the right in the order of the record's filter places.
constexpr double FrameLeft = 120, FrameTop = 60, FrameWidth = 12000, FrameHeight = 2280;
constexpr double PairWidth = 2970, LabelWidth = 1350, InputWidth = 1530, PairGap = 60;
constexpr double RowTop = 180, RowStep = 405, InputHeight = 315, LabelHeight = 240;
constexpr double ButtonTop = 2430, ButtonHeight = 390;
constexpr double GridLeft = 120, GridTop = 2940, GridWidth = 12000, GridHeight = 5640;

struct ButtonPlace {
    const char *name;
    double left, width;
};
// From the right edge leftwards.
constexpr ButtonPlace ButtonPlaces[] = {
    {"cmdSearch", 10920, 1200},
    {"cmdNewsearch", 9660, 1200},
    {"cmdSentToText", 7800, 1800},
    {"cmdExcel", 6120, 1620},
    {"cmdExit", 4860, 1200},
};

// The leading number of a text, the classic way: reading stops at the first character that
// cannot continue a number, and no number at all reads as 0.
double leadingNumber(const QString &text)
{
    QString s = text;
    const qsizetype slash = s.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        s.truncate(slash); // ToNumber would skip the "/", a plain reading stops there
    if (s.trimmed().isEmpty() || s == QLatin1String("True"))
        return 0;
    const QVariant v = ToNumber(s);
    return v.isValid() ? v.toDouble() : 0;
}

// The grid is not drawn while an export reads it, and is drawn again however the export ends.
class RedrawPaused {
public:
    explicit RedrawPaused(ResultsGrid &grid) : m_grid(grid) { m_grid.setRedraw(false); }
    ~RedrawPaused() { m_grid.setRedraw(true); }
    RedrawPaused(const RedrawPaused &) = delete;
    RedrawPaused &operator=(const RedrawPaused &) = delete;

private:
    ResultsGrid &m_grid;
};

void cleanUp()
{
    delete g_instance;
    g_instance = nullptr;
}

} // namespace

// ---------------------------------------------------------------- instance

FormSearch &FormSearch::instance(const Session *session)
{
    if (!g_instance) {
        g_instance = new FormSearch;
        static bool registered = false;
        if (!registered) {
            qAddPostRoutine(cleanUp);
            registered = true;
        }
    }
    if (session)
        g_instance->m_session = session;
    return *g_instance;
}

const Session &FormSearch::session() const
{
    return m_session ? *m_session : Session::current();
}

bool FormSearch::isLoaded()
{
    return g_instance && g_instance->m_loaded;
}

void FormSearch::unload()
{
    cleanUp();
}

FormSearch::FormSearch() : QDialog(nullptr)
{
    setObjectName(QStringLiteral("FormSearch"));
    setWindowTitle(texts::SearchFormCaption.toString());
    applySuiteLook(this);
    setModal(true);

    frameFilter = new QFrame(this);
    frameFilter->setObjectName(QStringLiteral("frameFilter"));
    frameFilter->setFrameShape(QFrame::StyledPanel);
    placeTwips(frameFilter, FrameLeft, FrameTop, FrameWidth, FrameHeight);

    // Filters in the order of their places; the tab order follows it.
    int place = 0;
    for (const record::Column *c : record::byFilterPlace(record::asset())) {
        const QString name = QString::fromLatin1(c->control);
        QWidget *input;
        switch (c->kind) {
        case record::Kind::Lookup:
            input = new OrvoSelector(frameFilter);
            break;
        case record::Kind::DatePair:
            input = new OrvoDate(frameFilter);
            break;
        default: {
            auto *edit = new QLineEdit(frameFilter);
            edit->setMaxLength(1000);
            input = edit;
        }
        }
        input->setObjectName(name);
        auto *label = new QLabel(c->caption.toString(), frameFilter);
        label->setObjectName(QStringLiteral("lbl") + name.mid(3));
        label->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
        label->setBuddy(input);
        const int column = place / 5, row = place % 5;
        const double right = FrameWidth - 90 - column * PairWidth;
        const double top = RowTop + row * RowStep;
        placeTwips(label, right - LabelWidth, top + (InputHeight - LabelHeight) / 2, LabelWidth,
            LabelHeight);
        placeTwips(input, right - LabelWidth - PairGap - InputWidth, top, InputWidth, InputHeight);
        ++place;
    }
    txtID = findChild<QLineEdit *>(QStringLiteral("txtID"));
    txtName = findChild<QLineEdit *>(QStringLiteral("txtName"));
    txtLabelNo = findChild<QLineEdit *>(QStringLiteral("txtLabelNo"));
    txtOldLabelNo = findChild<QLineEdit *>(QStringLiteral("txtOldLabelNo"));
    txtDocumentNo = findChild<QLineEdit *>(QStringLiteral("txtDocumentNo"));
    txtOrganizationLocation = findChild<QLineEdit *>(QStringLiteral("txtOrganizationLocation"));
    txtDescription = findChild<QLineEdit *>(QStringLiteral("txtDescription"));
    sltCreator = findChild<OrvoSelector *>(QStringLiteral("sltCreator"));
    sltType = findChild<OrvoSelector *>(QStringLiteral("sltType"));
    sltStatusType = findChild<OrvoSelector *>(QStringLiteral("sltStatusType"));
    sltGroup = findChild<OrvoSelector *>(QStringLiteral("sltGroup"));
    sltLocation = findChild<OrvoSelector *>(QStringLiteral("sltLocation"));
    sltAccountable = findChild<OrvoSelector *>(QStringLiteral("sltAccountable"));
    sltResponsible = findChild<OrvoSelector *>(QStringLiteral("sltResponsible"));
    sltCostCenter = findChild<OrvoSelector *>(QStringLiteral("sltCostCenter"));
    sltBranch = findChild<OrvoSelector *>(QStringLiteral("sltBranch"));
    datCreateDate = findChild<OrvoDate *>(QStringLiteral("datCreateDate"));
    datUtilizationDate = findChild<OrvoDate *>(QStringLiteral("datUtilizationDate"));
    datDocumentDate = findChild<OrvoDate *>(QStringLiteral("datDocumentDate"));
    datReevaluationDate = findChild<OrvoDate *>(QStringLiteral("datReevaluationDate"));

    for (const ButtonPlace &p : ButtonPlaces) {
        QString caption;
        for (const texts::SearchButton &b : texts::SearchButtons)
            if (qstrcmp(b.name, p.name) == 0)
                caption = b.caption.toString();
        auto *button = new OrvoButton(caption, this);
        button->setObjectName(QString::fromLatin1(p.name));
        placeTwips(button, p.left, ButtonTop, p.width, ButtonHeight);
    }
    cmdSearch = findChild<OrvoButton *>(QStringLiteral("cmdSearch"));
    cmdNewsearch = findChild<OrvoButton *>(QStringLiteral("cmdNewsearch"));
    cmdExit = findChild<OrvoButton *>(QStringLiteral("cmdExit"));
    cmdExcel = findChild<OrvoButton *>(QStringLiteral("cmdExcel"));
    cmdSentToText = findChild<OrvoButton *>(QStringLiteral("cmdSentToText"));
    // Enter in a filter runs the search.
    cmdSearch->setDefault(true);

    flxSearch = new ResultsGrid(this);
    flxSearch->setObjectName(QStringLiteral("flxSearch"));
    m_gridWidth = GridWidth;
    m_gridHeight = GridHeight;
    placeTwips(flxSearch, GridLeft, GridTop, GridWidth, GridHeight);

    connect(cmdSearch, &QPushButton::clicked, this, &FormSearch::cmdSearch_Click);
    connect(cmdNewsearch, &QPushButton::clicked, this, &FormSearch::cmdNewsearch_Click);
    connect(cmdExit, &QPushButton::clicked, this, &FormSearch::cmdExit_Click);
    connect(cmdExcel, &QPushButton::clicked, this, &FormSearch::cmdExcel_Click);
    connect(cmdSentToText, &QPushButton::clicked, this, &FormSearch::cmdSentToText_Click);
    connect(flxSearch, &ResultsGrid::DblClick, this, &FormSearch::flxSearch_DblClick);

    resize(twipsToPixels(DesignWidth), twipsToPixels(DesignHeight));
}

FormSearch::~FormSearch()
{
    if (g_instance == this)
        g_instance = nullptr;
}

QWidget *FormSearch::filterControl(const char *name) const
{
    return frameFilter->findChild<QWidget *>(QString::fromLatin1(name));
}

// ---------------------------------------------------------------- showing and choosing

qint32 FormSearch::ShowNGetID()
{
    if (!m_loaded && !RunCommand(texts::TitleError.toString(), [this] { Form_Load(); }))
        return -1;
    ChosenFlag = false;
    m_unloadRequested = false;
    m_inShow = true;
    QPointer<FormSearch> guard(this);
    exec();
    if (!guard)
        return -1;
    m_inShow = false;
    const qint32 result = (ChosenFlag && !m_unloadRequested) ? ChosenID : -1;
    if (m_unloadRequested)
        delete this; // the close box: the next call loads afresh
    return result;
}

void FormSearch::Form_Load()
{
    for (const record::Column &c : record::asset().columns) {
        if (c.kind != record::Kind::Lookup)
            continue;
        auto *selector = static_cast<OrvoSelector *>(filterControl(c.control));
        selector->setConnectionString(session().connectionString);
        selector->setMajorView(c.majorView.toString());
        selector->setMinorView(c.minorView.toString());
    }
    cmdNewsearch_Click();
    LastWidth = std::round(pixelsToTwips(width()));
    LastHeight = std::round(pixelsToTwips(height()));
    m_loaded = true;
}

void FormSearch::cmdNewsearch_Click()
{
    // The filters in the order of their fragments: the texts, the selectors, the dates.
    for (const record::Column *c : record::byFragmentOrder(record::asset())) {
        QWidget *control = filterControl(c->control);
        switch (c->kind) {
        case record::Kind::Lookup:
            static_cast<OrvoSelector *>(control)->Clear();
            break;
        case record::Kind::DatePair:
            static_cast<OrvoDate *>(control)->Clear();
            break;
        default:
            static_cast<QLineEdit *>(control)->setText(QString());
        }
    }
    flxSearch->setRows(1);
    flxSearch->setRows(2);
    flxSearch->setFixedRows(1);
    flxSearch->setFixedCols(1);
}

void FormSearch::cmdExit_Click()
{
    hide();
}

void FormSearch::flxSearch_DblClick()
{
    RunCommand(texts::TitleError.toString(), [this] {
        const QString id = flxSearch->TextMatrix(flxSearch->Row(), 1);
        const qint32 chosen = ToInt32(ToNumber(shortestDecimal(leadingNumber(id))));
        ChosenFlag = true;
        ChosenID = chosen;
        hide();
    });
}

void FormSearch::closeEvent(QCloseEvent *event)
{
    m_unloadRequested = true;
    QDialog::closeEvent(event);
    if (!m_inShow && event->isAccepted()) {
        // Shown without ShowNGetID: nobody is waiting, so it goes at once.
        if (g_instance == this)
            g_instance = nullptr;
        deleteLater();
    }
}

// ---------------------------------------------------------------- exports

void FormSearch::cmdSentToText_Click()
{
    ExportGridToText();
}

void FormSearch::ExportGridToText()
{
    TextExportOptions o;
    {
        FormSendToTextFile options(this); // a fresh form for every export
        if (!options.getTextFileName(
                o.fileName, o.delimiter, o.addNewLine, o.addHeaders, o.removeMoneySep))
            return;
    }
    bool written = false;
    // A failure is shown once the pointer and the grid's drawing are back.
    const bool ran = RunCommand(texts::TitleError.toString(), [&] {
        WaitCursor wait;
        RedrawPaused paused(*flxSearch);
        ExportProgress progress(this, texts::TextProgressLabel.toString(), flxSearch->Rows());
        written = writeGridText(*flxSearch, o, &progress);
    });
    if (ran && written)
        ShowInformation(texts::SavedTitle.toString(),
            texts::SavedBefore.toString() + o.fileName + texts::SavedAfter.toString());
}

void FormSearch::cmdExcel_Click()
{
    QString path;
    bool written = false;
    const bool ran = RunCommand(texts::SpreadsheetFailureTitle.toString(), [&] {
        checkGridFitsSheet(*flxSearch); // before anything is written
        path = newWorkbookPath();
        WaitCursor wait;
        RedrawPaused paused(*flxSearch);
        ExportProgress progress(this, texts::SheetProgressLabel.toString(), flxSearch->Rows());
        written = writeGridWorkbook(*flxSearch, path, &progress);
    });
    if (!ran || !written)
        return;
    const bool opened = OpenWithDefaultProgram(path);
    ShowInformation(texts::SpreadsheetDoneTitle.toString(),
        opened ? texts::SpreadsheetDoneText.toString()
               : texts::SpreadsheetDoneText.toString() + QLatin1Char('\n')
                + texts::NotOpened.toString().arg(shownPath(path)));
}

// ---------------------------------------------------------------- the search

QString FormSearch::SearchStatement() const
{
    return SearchQuery().text();
}

PartitionedStatement FormSearch::SearchQuery() const
{
    // Each filter's value as the condition carries it; an empty filter adds nothing. A text is
    // taken as typed, blanks included.
    const record::Description &d = record::asset();
    record::Values values(d.columns.size());
    for (size_t i = 0; i < d.columns.size(); ++i) {
        const record::Column &c = d.columns[i];
        if (c.fragmentOrder == 0)
            continue;
        QWidget *control = filterControl(c.control);
        record::Value &v = values[i];
        switch (c.kind) {
        case record::Kind::Lookup: {
            const auto *selector = static_cast<OrvoSelector *>(control);
            v.empty = selector->IsEmpty();
            v.text = QString::number(selector->SelectedID());
            break;
        }
        case record::Kind::DatePair: {
            const auto *date = static_cast<OrvoDate *>(control);
            v.empty = date->IsEmpty();
            v.text = SqlDateText(date->Value());
            break;
        }
        default: {
            const QString text = static_cast<QLineEdit *>(control)->text();
            v.empty = text.isEmpty();
            v.text = c.kind == record::Kind::Number ? NumberText(ToNumber(text)) : text;
        }
        }
    }
    PartitionedStatement query;
    for (QStringView piece : texts::SearchStatementPieces)
        query.head += piece;
    query.condition = record::searchCondition(d, values);
    query.table = d.table.toString();
    for (const record::Column &c : d.columns)
        if (c.kind == record::Kind::Number)
            query.keyColumn = c.name.toString();
    return query;
}

void FormSearch::cmdSearch_Click()
{
    RunCommand(texts::TitleError.toString(), [this] { runSearch(); });
}

void FormSearch::runSearch()
{
    ResultsGrid &g = *flxSearch;
    try {
        WaitCursor wait;
        g.setRedraw(false);
        g.setFixedCols(1);
        // The previous rows go before the new ones come, so two results never share memory.
        g.setRows(1);
        Recordset &rs = session().dataEnvironment.rssqlCommon();
        if (rs.State() == Recordset::adStateOpen)
            rs.Close();
        rs.Open(SearchQuery());
        g.setDataMember(texts::SearchCommandName.toString());
        g.setDataSource(session().dataEnvironment);
        if (rs.State() == Recordset::adStateOpen)
            rs.Close();

        g.setTextMatrix(0, 0, texts::RowNumberHeader.toString());
        g.NumberRows(1, g.Rows() - 1);
        g.AddItem(texts::TotalsCaption.toString());
        const int t = g.Rows() - 1;
        // Totals of the amounts read as the money type, exact over any number of rows, and the
        // amounts grouped, in one pass over each money column. With no result rows the total
        // cells stay empty.
        const QStringList totals
            = g.TotalAndGroupDigits(FirstMoneyColumn, LastMoneyColumn, 1, t - 1);
        for (int c = FirstMoneyColumn; c <= LastMoneyColumn; ++c)
            g.setTextMatrix(
                t, c, GroupDigits(t > 1 ? totals[c - FirstMoneyColumn] : g.TextMatrix(t, c)));

        // Dressing.
        g.setColWidth(0, 800);
        for (int c = 1; c < g.Cols(); ++c) {
            g.setColWidth(c, 1000);
            g.setColAlignment(c, ResultsGrid::flexAlignCenterCenter);
        }
        g.setBackColorBkg(15464446);
        // Every row after the header, the totals row included, alternates from row 1 on; the
        // grid keeps this as one rule. The current cell ends where the row loop would leave it.
        g.FillAlternateRows(1, g.Rows() - 1, 1, g.Cols() - 1, 15464446, 13561085);
        if (g.Rows() > 1) {
            g.setRow(g.Rows() - 1);
            g.setCol(qMin(1, g.Cols() - 1));
            g.setColSel(g.Cols() - 1);
        }
        g.setFixedCols(1);
        if (g.Rows() > 1)
            g.setFixedRows(1);
        g.setRedraw(true);
    } catch (...) {
        // The grid is drawn again and takes the next search; the failure is reported once the
        // hourglass is gone.
        Recordset &rs = session().dataEnvironment.rssqlCommon();
        if (rs.State() == Recordset::adStateOpen)
            rs.Close();
        g.setRedraw(true);
        throw;
    }
}

// ---------------------------------------------------------------- layout

void FormSearch::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void FormSearch::Form_Resize()
{
    if (!m_loaded)
        return;
    const double w = pixelsToTwips(width());
    const double h = pixelsToTwips(height());
    if (w <= 6000 || h <= 6000)
        return;
    const double dW = w - LastWidth, dH = h - LastHeight;

    QRectF r = twipsGeometry(frameFilter);
    placeTwips(frameFilter, r.left() + dW / 2, r.top(), r.width(), r.height());
    for (OrvoButton *b : {cmdExit, cmdExcel, cmdSentToText, cmdNewsearch, cmdSearch}) {
        r = twipsGeometry(b);
        placeTwips(b, r.left() + dW, r.top(), r.width(), r.height());
    }
    // The grid follows the differences exactly; only what is drawn is held to the minimum, so
    // the layout comes back whole when the window grows again.
    m_gridWidth += dW;
    m_gridHeight += dH;
    r = twipsGeometry(flxSearch);
    placeTwips(flxSearch, r.left(), r.top(), std::max<double>(MinGridSize, m_gridWidth),
        std::max<double>(MinGridSize, m_gridHeight));

    LastWidth = std::round(w);
    LastHeight = std::round(h);
}

} // namespace vela

#pragma once
// The search form: filters over the asset establishment records, the results grid, and the
// choice of one record for the entry form.
//
//     const qint32 id = vela::FormSearch::instance().ShowNGetID(); // -1: closed without a choice
//
// One instance serves every call. Hiding it (a choice, cmdExit, Escape) keeps it loaded with its
// filters and results; closing it through the window's close box unloads it, and the next call
// loads a fresh one.
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;

namespace vela {

class OrvoButton;
class OrvoDate;
class OrvoSelector;
class ResultsGrid;
struct PartitionedStatement;
struct Session;

class FormSearch : public QDialog {
    Q_OBJECT
public:
    // Design size of the client area, twips.
    static constexpr int DesignWidth = 12240;
    static constexpr int DesignHeight = 8700;
    // The grid is never drawn smaller than this (twips), whatever the size changes add up to.
    static constexpr int MinGridSize = 300;

    // Created on first use; the database is not touched yet. The session (the current one when
    // none is given) gives the selectors their connection and runs the search.
    static FormSearch &instance(const Session *session = nullptr);
    static bool isLoaded(); // an instance exists and its load steps have run
    static void unload(); // destroys the instance (what the close box does)
    ~FormSearch() override;

    // Shows the form modally and returns the chosen record's identifier, or -1 when the form
    // was left without a choice. The first call after a load failure reports it and returns -1.
    qint32 ShowNGetID();

    // The statement cmdSearch runs for the current filters: its text, and the same statement as
    // the data environment is asked to run it, in parts over the record's identifier where the
    // engine reads that way.
    QString SearchStatement() const;
    PartitionedStatement SearchQuery() const;
    // Asks the text export's options and writes the grid to the chosen text file.
    void ExportGridToText();

    // ---- form fields
    bool ChosenFlag = false;
    qint32 ChosenID = 0;
    // Form size at the last layout pass, twips; double so that any window size fits.
    double LastWidth = 0, LastHeight = 0;

    // ---- controls (objectName = member name)
    QFrame *frameFilter;
    QLineEdit *txtID, *txtName, *txtLabelNo, *txtOldLabelNo, *txtDocumentNo,
        *txtOrganizationLocation, *txtDescription;
    OrvoSelector *sltCreator, *sltType, *sltStatusType, *sltGroup, *sltLocation, *sltAccountable,
        *sltResponsible, *sltCostCenter, *sltBranch;
    OrvoDate *datCreateDate, *datUtilizationDate, *datDocumentDate, *datReevaluationDate;
    OrvoButton *cmdSearch, *cmdNewsearch, *cmdExit, *cmdExcel, *cmdSentToText;
    ResultsGrid *flxSearch;

public slots:
    void cmdSearch_Click();
    void cmdNewsearch_Click();
    void cmdExit_Click();
    void cmdExcel_Click();
    void cmdSentToText_Click();
    void flxSearch_DblClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    FormSearch();
    void Form_Load(); // throws VelaError when a selector cannot load its view
    void Form_Resize();
    void runSearch(); // cmdSearch's body; throws on failure
    QWidget *filterControl(const char *name) const;
    const Session &session() const;

    const Session *m_session = nullptr;
    bool m_loaded = false;
    bool m_inShow = false;
    bool m_unloadRequested = false;
    // The grid's size as the layout differences make it, before the minimum is applied.
    double m_gridWidth = 0, m_gridHeight = 0;
};

} // namespace vela

#pragma once
// The two exports of the results grid: a delimited UTF-16 text file and an .xlsx workbook. Both
// only read the grid, write a temporary file beside the chosen name and rename it at the end,
// so a failure or a cancelled export never leaves a half-written file under that name.
//
//     ExportProgress progress(form, label, grid.Rows());
//     if (!writeGridText(grid, options, &progress))
//         return; // cancelled: no file
//
// Failures throw VelaError with a Persian text that names the file and the cause.
#include <QString>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace vela {

class ResultsGrid;

// ---------------------------------------------------------------- progress

// The progress dialog of a long export, with a cancel button. It appears only when the export
// has run for a while, and advance() looks at the clock only every few hundred rows, so a short
// export never sees it and a long one pays nothing noticeable for it.
class ExportProgress {
public:
    ExportProgress(QWidget *parent, const QString &label, qint64 total);
    ~ExportProgress();
    ExportProgress(const ExportProgress &) = delete;
    ExportProgress &operator=(const ExportProgress &) = delete;

    // `done` of `total` steps are finished. False once the user has cancelled.
    bool advance(qint64 done);
    void setLabel(const QString &label); // shown at the next update (also the dialog's first)
    // Keeps the dialog drawn, busy and able to cancel until `finished` returns true (work that
    // runs elsewhere and tells nothing of its progress). False when the user cancelled.
    bool waitUntil(const std::function<bool()> &finished);

    // Milliseconds before the dialog appears (500 unless set); tests set 0 to reach its cancel
    // button on the first look.
    static void setShowDelay(int ms);

private:
    void update(qint64 done); // done < 0: busy, without a known part done

    QWidget *m_parent;
    QString m_label;
    qint64 m_total;
    qint64 m_nextLook = 0;
    qint64 m_started = 0, m_lastUpdate = 0; // milliseconds of the monotonic clock
    bool m_cancelled = false;
    std::unique_ptr<QProgressDialog> m_dialog;
};

// ---------------------------------------------------------------- text file

struct TextExportOptions {
    QString fileName;
    QString delimiter; // written after every cell, also the last of a line
    bool addNewLine = true; // the last line ends with CR LF too
    bool addHeaders = false; // row 0 is written first
    bool removeMoneySep = false; // money columns written as plain amounts, without "/"
};

// Writes rows (addHeaders ? 0 : 1) .. Rows-1 of the grid, columns 1 .. Cols-1 except those of
// width 0, as UTF-16 little-endian text with a byte-order mark: each cell without its carriage
// returns and line feeds, followed by the delimiter; lines end with CR LF. Replaces an existing
// file. False when cancelled through `progress` (nothing is left behind then).
bool writeGridText(
    const ResultsGrid &grid, const TextExportOptions &options, ExportProgress *progress = nullptr);

// ---------------------------------------------------------------- spreadsheet

// Rows and columns a worksheet holds.
constexpr int SheetMaxRows = 1048576;
constexpr int SheetMaxCols = 16384;

// Throws VelaError, before anything is written, when the grid does not fit one worksheet.
void checkGridFitsSheet(const ResultsGrid &grid);

// Writes every cell (r, c) of the grid, header row, row numbers, totals and zero-width columns
// included, to row r + 1 and column c + 1 of the one worksheet of a new workbook at `path`,
// the sheet right to left: a plain number as a number, every other text as text, empty cells
// left empty. Replaces an existing file. False when cancelled through `progress`.
bool writeGridWorkbook(
    const ResultsGrid &grid, const QString &path, ExportProgress *progress = nullptr);

// True when a spreadsheet keeps `text` (UTF-8) as this very number: an optional "-", digits
// without a leading zero (a lone "0" before the point aside), optionally "." and digits that do
// not end in 0, at most 15 digits in all (what a spreadsheet holds exactly) and reading back
// as the same text. "00123", "1.50", "+5", "1e3", "-0" and "1/234" stay texts.
bool isPlainNumber(const char *text, size_t length, double &value);

// A new name for a workbook in the user's documents folder (the home folder when there is
// none), carrying the Persian date and time: "استقرار 1403-01-15 14-30-05.xlsx".
QString newWorkbookPath();

// ---- opening a written file with the desktop's default program
// False when no program could be started for it.
bool OpenWithDefaultProgram(const QString &path);
// Tests replace the opener: the hook gets the path and returns whether it opened. Pass nullptr
// to restore QDesktopServices.
void setOpenFileHook(std::function<bool(const QString &)> hook);

} // namespace vela

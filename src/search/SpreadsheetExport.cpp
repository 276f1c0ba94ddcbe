// The results grid as an .xlsx workbook, written with libxlsxwriter in its constant-memory mode
// (each row goes to a temporary file as soon as the next one starts), so the memory the export
// takes does not grow with the rows. Then the desktop's default program opens it.
#include "ExportFile.h"
#include "ExportTexts.h"
#include "GridExport.h"
#include "ResultsGrid.h"
#include "shared/Jalali.h"
#include "shared/VelaError.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#include <xlsxwriter.h>

namespace vela {

namespace {

// A spreadsheet holds 15 significant digits; a 16th would be changed silently.
constexpr int MaxNumberDigits = 15;
// Characters one cell of a worksheet holds.
constexpr int MaxCellChars = 32767;
// Bytes of sheet XML per cell besides its text ("<c r="AB1048576" t="inlineStr"><is><t>…").
constexpr double XmlBytesPerCell = 64;
constexpr double Zip64Above = 3.5e9; // a zip member needs 64-bit sizes from 4 GB on

std::function<bool(const QString &)> g_openHook;

[[noreturn]] void libraryFailure(const QString &path, lxw_error err, int sysErr)
{
    // A failure the system reports is given in its own words; otherwise the library's.
    if (sysErr != 0
        && (err == LXW_ERROR_CREATING_XLSX_FILE || err == LXW_ERROR_CREATING_TMPFILE
            || err == LXW_ERROR_READING_TMPFILE || err == LXW_ERROR_ZIP_FILE_OPERATION
            || err == LXW_ERROR_ZIP_CLOSE || err == LXW_ERROR_ZIP_FILE_ADD))
        throw VelaError(ReplacingFile::failureText(path, sysErr));
    throw VelaError(texts::FileNotSaved.toString().arg(shownPath(path),
        texts::SheetLibraryFailure.toString().arg(QString::fromUtf8(lxw_strerror(err)))));
}

// The sheet's XML, estimated from every 64th row, decides whether the zip needs 64-bit sizes.
bool needsZip64(const ResultsGrid &grid)
{
    const int rows = grid.Rows(), cols = grid.Cols();
    if (double(rows) * cols * XmlBytesPerCell * 4 < Zip64Above)
        return false; // even texts of four times the overhead would not come near
    constexpr int Step = 64;
    double units = 0;
    QString cell;
    int sampled = 0;
    for (int r = 0; r < rows; r += Step, ++sampled)
        for (int c = 0; c < cols; ++c) {
            cell.resize(0);
            grid.appendText(r, c, cell);
            units += double(cell.size());
        }
    // Up to three bytes of UTF-8 per UTF-16 unit; half as much again for safety.
    const double perRow = (units / sampled) * 3 + cols * XmlBytesPerCell;
    return perRow * rows * 1.5 >= Zip64Above;
}

// The grid's cells as the sheet takes them, prepared on a thread of its own a batch of rows at a
// time while the library writes the batch before: each cell's UTF-8 text, and whether it is a
// plain number. Reading the grid is reading only; nothing changes it while the export runs (its
// progress dialog is modal). At most a few batches wait, so memory does not grow with the rows.
class SheetCells {
public:
    struct Cell {
        int row, col;
        bool isNumber;
        double number;
        size_t text; // offset of the NUL-terminated text in `bytes`
    };
    struct Batch {
        std::vector<Cell> cells;
        std::string bytes;
        int endRow = 0; // rows before it are all in this or earlier batches
        std::exception_ptr failure; // a cell that cannot be written (too long)
    };

    explicit SheetCells(const ResultsGrid &grid) : m_grid(grid), m_thread([this] { produce(); }) { }
    ~SheetCells()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    SheetCells(const SheetCells &) = delete;
    SheetCells &operator=(const SheetCells &) = delete;

    // The next batch in row order; false after the last. The batch given back is used again
    // for its buffers.
    bool next(Batch &batch)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_finished; });
        if (m_ready.empty())
            return false;
        m_free.push_back(std::move(batch));
        batch = std::move(m_ready.front());
        m_ready.pop_front();
        lock.unlock();
        m_changed.notify_all();
        return true;
    }

private:
    static constexpr int RowsPerBatch = 512;
    static constexpr size_t MaxWaiting = 4;

    void produce()
    {
        QString cell;
        QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const int rows = m_grid.Rows(), cols = m_grid.Cols();
        for (int first = 0; first < rows; first += RowsPerBatch) {
            Batch b;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [this] { return m_ready.size() < MaxWaiting || m_stopped; });
                if (m_stopped)
                    break;
                if (!m_free.empty()) {
                    b = std::move(m_free.front());
                    m_free.pop_front();
                }
            }
            b.cells.clear();
            b.bytes.clear();
            b.failure = nullptr;
            b.endRow = std::min(rows, first + RowsPerBatch);
            try {
                for (int r = first; r < b.endRow; ++r)
                    for (int c = 0; c < cols; ++c) {
                        cell.resize(0);
                        m_grid.appendText(r, c, cell);
                        if (cell.isEmpty())
                            continue;
                        if (cell.size() > MaxCellChars && cell.toUcs4().size() > MaxCellChars)
                            throw VelaError(texts::CellTooLong.toString().arg(r + 1).arg(c + 1).arg(
                                MaxCellChars));
                        const size_t at = b.bytes.size();
                        b.bytes.resize(at + size_t(cell.size()) * 3 + 1);
                        char *end = encoder.appendToBuffer(b.bytes.data() + at, cell);
                        *end = '\0';
                        b.bytes.resize(size_t(end - b.bytes.data()) + 1);
                        Cell out {r, c, false, 0, at};
                        out.isNumber = isPlainNumber(
                            b.bytes.data() + at, size_t(end - b.bytes.data()) - at, out.number);
                        b.cells.push_back(out);
                    }
            } catch (...) {
                b.failure = std::current_exception();
            }
            const bool failed = bool(b.failure);
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_ready.push_back(std::move(b));
            }
            m_changed.notify_all();
            if (failed)
                break;
        }
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_changed.notify_all();
    }

    const ResultsGrid &m_grid;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_ready, m_free;
    bool m_stopped = false, m_finished = false;
    std::thread m_thread; // last: starts once the rest is set up
};

// A workbook given up unless it is closed: nothing of it is written then.
struct OpenWorkbook {
    lxw_workbook *book;
    ~OpenWorkbook()
    {
        if (book)
            lxw_workbook_free(book);
    }
};

// One attempt at the whole workbook. Returns LXW_NO_ERROR, LXW_ERROR_ZIP_BAD_ZIP_FILE when the
// sheet outgrew a zip without 64-bit sizes, or throws.
lxw_error writeOnce(const ResultsGrid &grid, ReplacingFile &file, bool zip64,
    ExportProgress *progress, bool &cancelled)
{
    const QByteArray &path = file.nativeTempPath();
    QByteArray folder = QFile::encodeName(QFileInfo(file.target()).absolutePath());
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    // Rows wait in a temporary file beside the workbook, not in a temporary folder that may
    // live in memory; and a disk that fills up while they are written is still full when the
    // workbook itself is written, which then fails and says so.
    options.tmpdir = folder.data();
    options.use_zip64 = zip64 ? LXW_TRUE : LXW_FALSE;
    errno = 0;
    OpenWorkbook open {workbook_new_opt(path.constData(), &options)};
    if (!open.book)
        throw VelaError(ReplacingFile::failureText(file.target(), errno ? errno : ENOMEM));
    lxw_worksheet *sheet = workbook_add_worksheet(open.book, nullptr);
    if (!sheet)
        throw VelaError(ReplacingFile::failureText(file.target(), errno ? errno : ENOMEM));
    worksheet_right_to_left(sheet);

    SheetCells cells(grid);
    SheetCells::Batch batch;
    while (cells.next(batch)) {
        if (batch.failure)
            std::rethrow_exception(batch.failure);
        for (const SheetCells::Cell &c : batch.cells) {
            const lxw_error err = c.isNumber
                ? worksheet_write_number(
                    sheet, lxw_row_t(c.row), lxw_col_t(c.col), c.number, nullptr)
                : worksheet_write_string(sheet, lxw_row_t(c.row), lxw_col_t(c.col),
                    batch.bytes.data() + c.text, nullptr);
            if (err != LXW_NO_ERROR)
                libraryFailure(file.target(), err, errno);
        }
        if (progress && !progress->advance(batch.endRow)) {
            cancelled = true; // the workbook is given up: nothing is written
            return LXW_NO_ERROR;
        }
    }
    // Closing writes the zip and frees the workbook: for a large sheet most of the time goes
    // into compressing it, with nothing to report on the way. It runs on a thread of its own
    // (the library only, no Qt object and not the grid) while the progress dialog stays drawn.
    lxw_workbook *book = std::exchange(open.book, nullptr);
    lxw_error err = LXW_NO_ERROR;
    int sysErr = 0;
    std::atomic<bool> closed = false;
    std::thread closing([&] {
        errno = 0;
        err = workbook_close(book);
        sysErr = errno;
        closed = true;
    });
    if (progress) {
        progress->setLabel(texts::SheetClosingLabel.toString());
        cancelled = !progress->waitUntil([&] { return closed.load(); });
    }
    closing.join();
    if (err == LXW_ERROR_ZIP_BAD_ZIP_FILE && !zip64 && !cancelled)
        return err;
    if (err != LXW_NO_ERROR && !cancelled)
        libraryFailure(file.target(), err, sysErr);
    return LXW_NO_ERROR;
}

} // namespace

bool isPlainNumber(const char *text, size_t length, double &value)
{
    const char *p = text, *end = text + length;
    if (p != end && *p == '-')
        ++p;
    const char *intStart = p;
    while (p != end && *p >= '0' && *p <= '9')
        ++p;
    const size_t intDigits = size_t(p - intStart);
    if (intDigits == 0 || (intDigits > 1 && *intStart == '0'))
        return false; // no digits before the point, or a leading zero that would be lost
    size_t fracDigits = 0;
    if (p != end && *p == '.') {
        const char *fracStart = ++p;
        while (p != end && *p >= '0' && *p <= '9')
            ++p;
        fracDigits = size_t(p - fracStart);
        if (fracDigits == 0 || p[-1] == '0')
            return false; // "5." or a trailing zero that would be lost
    }
    if (p != end)
        return false;
    const bool leadingZero = intDigits == 1 && *intStart == '0';
    const size_t significant = intDigits + fracDigits - (leadingZero ? 1 : 0);
    if (significant > size_t(MaxNumberDigits) || length > 64)
        return false;
    if (std::from_chars(text, end, value).ec != std::errc())
        return false;
    if (value == 0 && *text == '-')
        return false; // "-0" would show as 0
    // Written back in the shortest form it must be the very text.
    char back[64];
    const auto r = std::to_chars(back, back + sizeof back, value, std::chars_format::fixed);
    return r.ec == std::errc() && size_t(r.ptr - back) == length
        && std::memcmp(back, text, length) == 0;
}

void checkGridFitsSheet(const ResultsGrid &grid)
{
    if (grid.Rows() > SheetMaxRows)
        throw VelaError(texts::TooManyRows.toString().arg(grid.Rows()).arg(SheetMaxRows));
    if (grid.Cols() > SheetMaxCols)
        throw VelaError(texts::TooManyCols.toString().arg(grid.Cols()).arg(SheetMaxCols));
}

bool writeGridWorkbook(const ResultsGrid &grid, const QString &path, ExportProgress *progress)
{
    checkGridFitsSheet(grid);
    bool zip64 = needsZip64(grid);
    for (;;) {
        ReplacingFile file(path);
        file.release(); // the library writes the workbook by its name
        bool cancelled = false;
        if (writeOnce(grid, file, zip64, progress, cancelled) == LXW_ERROR_ZIP_BAD_ZIP_FILE) {
            zip64 = true; // larger than the estimate said: once more with 64-bit sizes
            continue;
        }
        if (cancelled)
            return false;
        file.commit();
        return true;
    }
}

QString newWorkbookPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QDateTime now = QDateTime::currentDateTime();
    const QString stem = QStringLiteral("استقرار ")
        + jalali::formatDate(now.date()).replace(QLatin1Char('/'), QLatin1Char('-'))
        + now.time().toString(QStringLiteral(" HH-mm-ss"));
    QString path = QDir(folder).filePath(stem + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(stem + QStringLiteral(" (%1).xlsx").arg(n));
    return path;
}

bool OpenWithDefaultProgram(const QString &path)
{
    if (g_openHook)
        return g_openHook(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void setOpenFileHook(std::function<bool(const QString &)> hook)
{
    g_openHook = std::move(hook);
}

} // namespace vela

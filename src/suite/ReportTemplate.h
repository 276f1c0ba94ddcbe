#pragma once
// Report templates: text files a user reads and edits. A template is an HTML body in Qt's
// rich-text subset with placeholders for the columns of its query, below a header that gives the
// query, the page and the printer last used:
//
//     <!--vela-report
//     Title: برچسب اموال
//     Page: 50 x 25 mm
//     Margins: 2 mm
//     Query: Select Name, LabelNo from tblAssetEstablishment
//         Where ID = {fmlID}
//     -->
//     <p>{{Name}}</p> <img src="{{LabelNo|qr}}" width="60" height="60">
//
// Header: "Key: value" lines up to the line "-->"; a line that starts with a blank continues the
// value above it. Keys: Title, Page (A3, A4, A5, B5, Letter, Legal, or "W x H mm"), Orientation
// (Portrait, Landscape), Margins ("N mm", or "TOP RIGHT BOTTOM LEFT mm"), FontSize (points),
// Query (required: the one record, as T-SQL), Picture (a query whose first row is an attachment
// row: isExternal, MediaPath, FileData) and Printer (written by the report engine).
//
// In the queries {name} stands for the value of the formula of that name ("fmlID = 37": {fmlID}).
// In the body {{Column}} is the column's value, HTML-escaped, NULL as empty text; formats follow
// after "|", in order: amount (digits grouped as the entry form shows them), digits (Persian
// digits), date (a calendar date yyyy-MM-dd as yyyy/MM/dd), max:N (a text longer than N
// characters cut to N, its last one "…", so that a label keeps to its page), and last qr or
// code128 (the value as
// a QR code or a Code 128 barcode, the source of an <img>). {{Picture}} is the source of an <img>
// showing the first row of the Picture query; a record without one leaves its frame empty.
//
// Tables are laid out right to left, their first cell on the right, unless a table says dir="ltr".
#include <QHash>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace vela::report {

// Failures of the report engine, by number.
enum ErrorNumber {
    ErrNotConnected = 20500, // ShowReport before Connect, or Connect without a connection text
    ErrTemplateUnreadable = 20510, // the template file is missing, not a file or unreadable
    ErrTemplateSyntax = 20515, // the header, a placeholder, a table or a formula name is wrong
    ErrUnknownField = 20520, // a placeholder names a column its query does not give
    ErrQuery = 20530, // the database refused a query of the template
    ErrTemplateInUse = 20544, // the template cannot be used where it lies (see ReportEngine.h)
    ErrOutput = 20550, // the printer or the PDF file could not be written
};

// The column name {{Picture}} stands for.
inline constexpr QStringView PictureField = u"Picture";

struct Field {
    QString name;
    QStringList formats; // lower case, in the order written
    int line = 0; // in the template file, from 1
    qsizetype start = 0, length = 0; // of the placeholder in `body`
    bool isBarcode() const;
};

class Template {
public:
    // Reads a template's text. Throws VelaError(ErrTemplateSyntax) naming `fileName` and the line.
    static Template parse(const QString &fileName, const QString &text);

    QString fileName;
    QString title;
    QPageLayout pageLayout;
    qreal fontSize = 10;
    QString query, pictureQuery;
    int queryLine = 0, pictureLine = 0;
    QString printer;
    QString body;
    int bodyLine = 1;
    QVector<Field> fields;

    // `sql` with each {name} replaced by the value of that formula: numbers as written, anything
    // else as a quoted SQL text. Throws VelaError(ErrTemplateSyntax) at `line` for a formula not
    // given.
    QString bindFormulas(
        const QString &sql, int line, const QHash<QString, QString> &formulas) const;
    // The body with every placeholder replaced by `value(field)`, its tables mirrored.
    QString expand(const std::function<QString(const Field &)> &value) const;

    // VelaError(number) saying "template <file>, line <line>: <what>".
    [[noreturn]] void fail(int line, const QString &what, int number = ErrTemplateSyntax) const;
};

// The tables of `html` with the cells of each row in reverse order, so that Qt, which lays out
// table columns left to right, puts the first cell on the right; a table with dir="ltr" stays as
// written. Every <table>, <tr>, <td> and <th> must be closed; `fail(offset, what)` is called
// (and must throw) at the first one that is not.
QString mirrorTables(
    const QString &html, const std::function<void(qsizetype offset, const QString &what)> &fail);

// The template text with its header's Printer line set to `printer` (added when missing); every
// other byte stays as it was.
QString withPrinter(const QString &text, const QString &printer);

} // namespace vela::report

#pragma once
// Test helper: reads the PDFs the tests make with readers that are not the program's own:
// poppler's pdftotext, pdfimages, pdfinfo and pdftoppm, and zbar's zbarimg. A reader that is not
// installed is a failure (thrown, so Qt Test reports it), never a skipped check:
// scripts/setup installs poppler-utils and zbar-tools.
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace pdftools {

// The PDF's text as pdftotext gives it, made comparable: presentation forms of Persian letters
// back to the letters (NFKC), and the direction marks and zero-width joiners pdftotext may add or
// drop taken out.
QString text(const QString &pdf);
// The same normalisation for an expected text.
QString normalized(const QString &text);
// True when every word of `phrase` is a word of `text` (or that word with its letters reversed:
// pdftotext may give right-to-left words in the order they are drawn). Words are made of letters,
// digits, "/" and "."; other signs separate them.
bool hasWords(const QString &text, const QString &phrase);
// The codes zbarimg reads off the first page drawn at `dpi`, as "QR-Code:100005",
// "CODE-128:100005".
QStringList barcodes(const QString &pdf, int dpi = 600);
int imageCount(const QString &pdf); // pictures in the file (pdfimages -list)
int pageCount(const QString &pdf);
QSizeF pageSizePoints(const QString &pdf); // of the first page

} // namespace pdftools

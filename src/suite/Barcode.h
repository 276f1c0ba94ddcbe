#pragma once
// QR codes and Code 128 barcodes for printed labels, encoded by libzint and kept as the
// rectangles of their dark modules, so that they are drawn as vectors: sharp on any printer and
// in a PDF at any zoom.
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

class QImage;
class QPainter;

namespace vela::barcode {

enum class Kind {
    Qr,
    Code128
};

// One encoded symbol: its dark modules in a box of `size` (libzint's vector units), the quiet
// zones the symbology needs included.
struct Symbol {
    QSizeF size;
    QVector<QRectF> bars;
    QString error; // why the text could not be encoded; empty when it was
    bool isNull() const { return bars.isEmpty(); }
};

// Encodes `text` as UTF-8 (Persian and Arabic-Indic digits first become ASCII, so that a scanner
// types what a keyboard would). Empty text, text too long for the symbology or characters that
// Code 128 cannot carry give a null symbol with the reason in `error`.
Symbol encode(Kind kind, const QString &text);

// Draws the symbol stretched over `target`, dark modules black on a white ground.
void paint(QPainter &painter, const QRectF &target, const Symbol &symbol);

// The symbol as a picture, `scale` pixels for each vector unit.
QImage image(const Symbol &symbol, int scale);

} // namespace vela::barcode

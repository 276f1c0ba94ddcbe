#include "Barcode.h"
#include "shared/Jalali.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <memory>
#include <zint.h>

namespace vela::barcode {

Symbol encode(Kind kind, const QString &text)
{
    Symbol result;
    const QByteArray data = jalali::toAsciiDigits(text).toUtf8();
    if (data.isEmpty()) {
        result.error = QStringLiteral("متنی برای بارکد نیست.");
        return result;
    }
    const std::unique_ptr<zint_symbol, void (*)(zint_symbol *)> symbol(
        ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol) {
        result.error = QStringLiteral("حافظه برای ساختن بارکد کافی نیست.");
        return result;
    }
    symbol->symbology = kind == Kind::Qr ? BARCODE_QRCODE : BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0; // the report prints the text itself, in its own font
    symbol->output_options |= BARCODE_QUIET_ZONES;
    if (kind == Kind::Code128)
        symbol->height = 30; // in module widths: a bar a scanner finds at a glance
    const int rc = ZBarcode_Encode_and_Buffer_Vector(symbol.get(),
        reinterpret_cast<const unsigned char *>(data.constData()), int(data.size()), 0);
    if (rc >= ZINT_ERROR || !symbol->vector) {
        result.error = QString::fromLatin1(symbol->errtxt);
        return result;
    }
    result.size = QSizeF(symbol->vector->width, symbol->vector->height);
    for (const zint_vector_rect *r = symbol->vector->rectangles; r; r = r->next)
        result.bars.append(QRectF(r->x, r->y, r->width, r->height));
    return result;
}

void paint(QPainter &painter, const QRectF &target, const Symbol &symbol)
{
    if (symbol.isNull() || symbol.size.isEmpty() || target.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(target, Qt::white);
    painter.translate(target.topLeft());
    painter.scale(target.width() / symbol.size.width(), target.height() / symbol.size.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    // One path: adjoining modules merge, with no hairline seams between them at any scale.
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF &bar : symbol.bars)
        path.addRect(bar);
    painter.drawPath(path);
    painter.restore();
}

QImage image(const Symbol &symbol, int scale)
{
    if (symbol.isNull() || scale < 1)
        return QImage();
    QImage img(qCeil(symbol.size.width() * scale), qCeil(symbol.size.height() * scale),
        QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paint(p,
        QRectF(QPointF(0, 0), QSizeF(symbol.size.width() * scale, symbol.size.height() * scale)),
        symbol);
    return img;
}

} // namespace vela::barcode

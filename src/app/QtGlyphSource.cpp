// Glyph bitmaps of a desktop font for the view's bitmap text.
#include "app/QtGlyphSource.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace vorn {

namespace {

// A glyph's ink box drawn white on black and kept where it is bright: the bitmap's rows go bottom
// row first, most significant bit leftmost, as glBitmap reads them with an unpack alignment of 1.
Glyph RasteriseCharacter(const QFont& font, const QFontMetricsF& metrics, QChar character) {
    Glyph glyph;
    glyph.advance = static_cast<float>(metrics.horizontalAdvance(character));
    const QRect box = metrics.boundingRect(character).toAlignedRect();
    if (box.isEmpty())
        return glyph;
    QImage image(box.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(-box.left(), -box.top()), QString(character));
    }
    glyph.width = box.width();
    glyph.height = box.height();
    glyph.originX = static_cast<float>(-box.left());
    glyph.originY = static_cast<float>(box.bottom() + 1);
    const int rowBytes = (glyph.width + 7) / 8;
    glyph.rows.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(glyph.height), 0);
    for (int y = 0; y < glyph.height; ++y) {
        std::uint8_t* row = &glyph.rows[static_cast<size_t>((glyph.height - 1 - y) * rowBytes)];
        for (int x = 0; x < glyph.width; ++x)
            if (qGray(image.pixel(x, y)) >= 128)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    return glyph;
}

} // namespace

QFont ToQFont(const LabelFont& font) {
    QFont q(QString::fromStdString(font.face));
    q.setPixelSize(std::max(1, std::abs(font.height)));
    q.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 100, 900)));
    q.setStyleStrategy(QFont::NoAntialias);
    return q;
}

LabelFont FromQFont(const QFont& font) {
    LabelFont label;
    label.face = font.family().toStdString();
    const int pixels = font.pixelSize() > 0
                           ? font.pixelSize()
                           : static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0));
    label.height = -std::max(1, pixels);
    label.weight = font.weight();
    return label;
}

GlyphSet QtGlyphSource::Rasterise(const LabelFont& font) {
    const QFont q = ToQFont(font);
    const QFontMetricsF metrics(q);
    GlyphSet glyphs(kGlyphCount);
    for (int c = 32; c < kGlyphCount; ++c)
        glyphs[static_cast<size_t>(c)] = RasteriseCharacter(q, metrics, QChar(c));
    return glyphs;
}

} // namespace vorn

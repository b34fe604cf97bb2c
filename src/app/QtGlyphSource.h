// The label font's glyphs rasterised from a desktop font with Qt.
#pragma once

#include "render/LabelFont.h"

#include <QFont>

namespace vorn {

// Each of the 256 Latin-1 characters drawn with the font and thresholded into a bitmap. A face the
// system does not have falls back to the default face Qt substitutes, with the same 256 glyphs.
class QtGlyphSource : public GlyphSource {
public:
    GlyphSet Rasterise(const LabelFont& font) override;
};

// The desktop font a label font names, and back (height in pixels, negative as the view keeps
// it: the character height).
QFont ToQFont(const LabelFont& font);
LabelFont FromQFont(const QFont& font);

} // namespace vorn

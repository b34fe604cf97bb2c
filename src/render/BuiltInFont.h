// A small bitmap font of our own for labels drawn without a window system (vorn-cli, tests).
#pragma once

#include "render/LabelFont.h"

namespace vorn {

// The printable ASCII characters in cells of 5 × 7 pixels with two rows below the baseline,
// scaled by whole pixels to the font's height and one pixel wider at bold weights (600 and up).
// Other codes are blank and advance like a space. The face is ignored.
class BuiltInFont : public GlyphSource {
public:
    GlyphSet Rasterise(const LabelFont& font) override;

    static constexpr int kCellWidth = 5;
    static constexpr int kCellHeight = 9; // 7 above the baseline, 2 below
    static constexpr int kDescent = 2;
    // Pixels per cell pixel for a font height (negative: character height; 0: the default 18).
    static int ScaleFor(int height);
};

} // namespace vorn

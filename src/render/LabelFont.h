// The label font: 256 glyph bitmaps from a glyph source, compiled as display lists that bitmap
// text calls by character code.
#pragma once

#include "render/ViewParameters.h"

#include <cstdint>
#include <vector>

namespace vorn {

// One character as a bitmap for glBitmap: rows bottom-up, (width + 7) / 8 bytes each with no
// padding, the most significant bit the leftmost pixel.
struct Glyph {
    int width = 0, height = 0; // pixels
    // The pen point within the bitmap, from its lower left corner (right and up positive): a
    // descender below the baseline has originY > 0.
    float originX = 0, originY = 0;
    float advance = 0; // pixels the pen moves right after the glyph
    std::vector<std::uint8_t> rows;
};

// Glyphs by character code, 0 to 255 (Latin-1).
using GlyphSet = std::vector<Glyph>;
constexpr int kGlyphCount = 256;

// Where glyph bitmaps come from: the GUI rasterises its fonts; without one the view uses the
// built-in bitmap font.
class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    // The 256 glyphs of the font at its height (already scaled for the device); any other count
    // means the font could not be had.
    virtual GlyphSet Rasterise(const LabelFont& font) = 0;
};

// The font for a device: its height scaled by deviceUnits / screenUnits (both 82 on the screen),
// rounded to the nearest pixel.
LabelFont ScaledLabelFont(const LabelFont& font, int deviceUnits, int screenUnits);

// Compiles the glyphs of the font as 256 consecutive display lists and returns the first, or 0
// when no lists could be had or the source gave no usable glyphs (then nothing is left behind).
// A null source means the built-in font. The GL context must be current.
int BuildLabelFont(const LabelFont& font, GlyphSource* source);

// Deletes the 256 lists of a font built by BuildLabelFont; a base of 0 or less is none.
void DeleteLabelFont(int listBase);

} // namespace vorn

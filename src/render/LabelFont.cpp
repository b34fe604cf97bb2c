// Compiling glyph bitmaps into the label font's display lists.
#include "render/LabelFont.h"

#include "render/BuiltInFont.h"

#include <GL/gl.h>

#include <cstdlib>

namespace vorn {

namespace {

// A glyph glBitmap can read: its rows hold every pixel the size promises.
bool Usable(const Glyph& g) {
    if (g.width < 0 || g.height < 0)
        return false;
    const std::size_t bytes = static_cast<std::size_t>((g.width + 7) / 8) * std::size_t(g.height);
    return g.rows.size() >= bytes;
}

bool Usable(const GlyphSet& glyphs) {
    if (glyphs.size() != kGlyphCount)
        return false;
    for (const Glyph& g : glyphs)
        if (!Usable(g))
            return false;
    return true;
}

} // namespace

LabelFont ScaledLabelFont(const LabelFont& font, int deviceUnits, int screenUnits) {
    LabelFont scaled = font;
    if (screenUnits != 0) {
        const long product = long(font.height) * deviceUnits;
        const long half = std::labs(long(screenUnits)) / 2;
        // Rounded half away from zero, as a device's unit conversion does.
        scaled.height =
            static_cast<int>((product >= 0 ? product + half : product - half) / screenUnits);
    }
    return scaled;
}

int BuildLabelFont(const LabelFont& font, GlyphSource* source) {
    BuiltInFont builtIn;
    const GlyphSet glyphs = (source ? source : &builtIn)->Rasterise(font);
    if (!Usable(glyphs))
        return 0;
    const GLuint base = glGenLists(kGlyphCount);
    if (base == 0)
        return 0;
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    // Glyph rows are packed byte by byte; the lists keep the unpacking they were compiled with.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int code = 0; code < kGlyphCount; ++code) {
        const Glyph& g = glyphs[static_cast<std::size_t>(code)];
        glNewList(base + static_cast<GLuint>(code), GL_COMPILE);
        glBitmap(g.width, g.height, g.originX, g.originY, g.advance, 0,
                 g.rows.empty() ? nullptr : g.rows.data());
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return static_cast<int>(base);
}

void DeleteLabelFont(int listBase) {
    if (listBase > 0)
        glDeleteLists(static_cast<GLuint>(listBase), kGlyphCount);
}

} // namespace vorn

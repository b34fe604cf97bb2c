// Reading an off-screen picture back in the layout of a device-independent bitmap.
#include "render/OffscreenContext.h"

#include <GL/gl.h>

namespace vorn {

DibImage ReadPixelsAsDib(int width, int height) {
    DibImage image;
    image.width = width;
    image.height = height;
    image.bits.resize(static_cast<size_t>(image.RowBytes()) * height);
    glFinish();
    // GL reads bottom row first; a pack alignment of 4 pads each row as a bitmap does.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, image.bits.data());
    return image;
}

} // namespace vorn

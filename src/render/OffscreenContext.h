// A GL context that draws into an off-screen picture of a fixed size, and the read-back of that
// picture as DIB rows.
#pragma once

#include "output/DibImage.h"

#include <memory>

namespace vorn {

class OffscreenContext {
public:
    virtual ~OffscreenContext() = default;
    // Makes the context current with its picture bound as the draw and read target.
    virtual void MakeCurrent() = 0;
    // Leaves no context current.
    virtual void Release() = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

// Reads the current read buffer of width × height as 24-bit rows, bottom row first, rows padded
// to 4 bytes, blue before red: what a device-independent bitmap holds. Waits for GL to finish.
DibImage ReadPixelsAsDib(int width, int height);

// A context without any window system: EGL on Mesa's surfaceless platform with a framebuffer
// object of the given colour and depth bits. Raises VornError (source "VornView") when no context
// can be had.
std::unique_ptr<OffscreenContext> CreateEglOffscreenContext(int width, int height, int depthBits);

} // namespace vorn

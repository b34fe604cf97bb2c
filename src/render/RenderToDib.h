// What the off-screen capture of a view (CVornView::RenderToDIB) needs of the window system:
// contexts of its own, and the caller's context made current again afterwards.
#pragma once

#include "render/OffscreenContext.h"

#include <memory>

namespace vorn {

// The context that was current when it was taken (possibly none).
class SavedContext {
public:
    virtual ~SavedContext() = default;
    // Makes it current again, with the framebuffer it had bound; with none, leaves none current.
    virtual void Restore() = 0;
};

// Where captures get their contexts: EGL without a window system for vorn-cli and the tests; in
// the GUI a QOpenGLContext on a QOffscreenSurface drawing into a QOpenGLFramebufferObject with a
// depth buffer, and the widget's context saved as QOpenGLContext::currentContext() and its
// surface.
class OffscreenContextFactory {
public:
    virtual ~OffscreenContextFactory() = default;
    // A context that shares nothing with any other, drawing into width × height pixels of 24-bit
    // colour with at least depthBits of depth. It may be left current. Raises VornError when none
    // can be had.
    virtual std::unique_ptr<OffscreenContext> Create(int width, int height, int depthBits) = 0;
    virtual std::unique_ptr<SavedContext> SaveCurrent() = 0;
};

// The EGL contexts of CreateEglOffscreenContext, and EGL's current context saved and restored.
OffscreenContextFactory& EglContexts();

// For a capture meant for another device than the screen (a printer): atom labels are scaled by
// targetDpi / screenDpi (vertical dots per inch) when both are above zero.
struct CaptureOptions {
    int targetDpi = 0;
    int screenDpi = 0;
};

} // namespace vorn

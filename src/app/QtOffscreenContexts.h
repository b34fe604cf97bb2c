// Off-screen GL contexts of the viewer's own window system, for pictures, prints and movies
// drawn beside the window's view.
#pragma once

#include "render/RenderToDib.h"

namespace vorn {

// Each context is a QOpenGLContext of its own (sharing nothing, in the compatibility profile the
// window's view draws with) on a QOffscreenSurface, drawing into a framebuffer object with a depth
// buffer. Contexts of the same window-system interface as the window's: a capture made with EGL
// beside a GLX window would leave Qt's idea of the current context wrong.
class QtOffscreenContexts : public OffscreenContextFactory {
public:
    // Raises VornError (source "VornView") when no context or framebuffer of that size can be had.
    std::unique_ptr<OffscreenContext> Create(int width, int height, int depthBits) override;
    // The current context (if any) with the framebuffer it has bound: for the window's view that
    // is the widget's own framebuffer object, not framebuffer 0.
    std::unique_ptr<SavedContext> SaveCurrent() override;
};

} // namespace vorn

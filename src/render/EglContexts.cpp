// The capture's contexts without a window system: EGL surfaceless contexts, and whatever EGL
// context was current before, made current again.
#include "render/RenderToDib.h"

#include <EGL/egl.h>

namespace vorn {

namespace {

class EglSavedContext : public SavedContext {
public:
    EglSavedContext()
        : m_display(eglGetCurrentDisplay()), m_context(eglGetCurrentContext()),
          m_draw(eglGetCurrentSurface(EGL_DRAW)), m_read(eglGetCurrentSurface(EGL_READ)) {}

    void Restore() override {
        // A context keeps its framebuffer binding: making it current again brings that back too.
        if (m_context != EGL_NO_CONTEXT)
            eglMakeCurrent(m_display, m_draw, m_read, m_context);
        else if (eglGetCurrentContext() != EGL_NO_CONTEXT)
            eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }

private:
    EGLDisplay m_display;
    EGLContext m_context;
    EGLSurface m_draw, m_read;
};

class EglContextFactory : public OffscreenContextFactory {
public:
    std::unique_ptr<OffscreenContext> Create(int width, int height, int depthBits) override {
        return CreateEglOffscreenContext(width, height, depthBits);
    }
    std::unique_ptr<SavedContext> SaveCurrent() override {
        return std::make_unique<EglSavedContext>();
    }
};

} // namespace

OffscreenContextFactory& EglContexts() {
    static EglContextFactory factory;
    return factory;
}

} // namespace vorn

// Off-screen GL without a display server: an EGL context on Mesa's surfaceless platform drawing
// into a framebuffer object (a surfaceless context has no default framebuffer of its own).
#include "core/VornError.h"
#include "render/OffscreenContext.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <string>

namespace vorn {

namespace {

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
};

template <typename T>
T Lookup(const char* name) {
    T f = reinterpret_cast<T>(eglGetProcAddress(name));
    if (!f)
        VORN_RAISE("VornView", std::string("OpenGL lacks ") + name);
    return f;
}

FramebufferCalls LookupFramebufferCalls() {
    return {Lookup<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers"),
            Lookup<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers"),
            Lookup<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer"),
            Lookup<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers"),
            Lookup<PFNGLDELETERENDERBUFFERSPROC>("glDeleteRenderbuffers"),
            Lookup<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer"),
            Lookup<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage"),
            Lookup<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer"),
            Lookup<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus")};
}

EGLDisplay SurfacelessDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        VORN_RAISE("VornView", "EGL cannot open a display without a window system");
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        VORN_RAISE("VornView", "Unable to open an off-screen OpenGL display");
    return display;
}

class EglOffscreenContext : public OffscreenContext {
public:
    EglOffscreenContext(int width, int height, int depthBits) : m_width(width), m_height(height) {
        if (width <= 0 || height <= 0)
            VORN_RAISE("VornView", "The picture must be at least 1 x 1 pixels");
        m_display = SurfacelessDisplay();
        try {
            CreateContext();
            m_fb = LookupFramebufferCalls();
            CreateFramebuffer(depthBits);
        } catch (...) {
            Destroy();
            throw;
        }
    }
    ~EglOffscreenContext() override { Destroy(); }

    void MakeCurrent() override {
        if (!eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context))
            VORN_RAISE("VornView", "wglMakeCurrent failed");
        if (m_framebuffer)
            m_fb.bindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    }
    void Release() override {
        eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }

private:
    void CreateContext() {
        const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                           EGL_OPENGL_BIT, EGL_NONE};
        EGLConfig config;
        EGLint found = 0;
        if (!eglChooseConfig(m_display, configAttributes, &config, 1, &found) || found < 1)
            VORN_RAISE("VornView", "ChoosePixelFormat failed");
        if (!eglBindAPI(EGL_OPENGL_API))
            VORN_RAISE("VornView", "EGL offers no desktop OpenGL");
        // Version 2.1 gives the compatibility profile: immediate mode, lists, selection, feedback.
        const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 2, EGL_CONTEXT_MINOR_VERSION,
                                            1, EGL_NONE};
        m_context = eglCreateContext(m_display, config, EGL_NO_CONTEXT, contextAttributes);
        if (m_context == EGL_NO_CONTEXT)
            VORN_RAISE("VornView", "wglCreateContext failed");
        MakeCurrent();
    }

    void CreateFramebuffer(int depthBits) {
        m_fb.genFramebuffers(1, &m_framebuffer);
        m_fb.bindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
        m_fb.genRenderbuffers(2, m_renderbuffers);
        m_fb.bindRenderbuffer(GL_RENDERBUFFER, m_renderbuffers[0]);
        m_fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, m_width, m_height);
        m_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                     m_renderbuffers[0]);
        m_fb.bindRenderbuffer(GL_RENDERBUFFER, m_renderbuffers[1]);
        m_fb.renderbufferStorage(GL_RENDERBUFFER,
                                 depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16,
                                 m_width, m_height);
        m_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                     m_renderbuffers[1]);
        if (m_fb.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            VORN_RAISE("VornView", "Unable to create an off-screen picture of " +
                                       std::to_string(m_width) + " x " + std::to_string(m_height) +
                                       " pixels");
        glViewport(0, 0, m_width, m_height);
    }

    void Destroy() {
        if (m_context != EGL_NO_CONTEXT) {
            if (m_framebuffer) {
                eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context);
                m_fb.deleteRenderbuffers(2, m_renderbuffers);
                m_fb.deleteFramebuffers(1, &m_framebuffer);
            }
            Release();
            eglDestroyContext(m_display, m_context);
            m_context = EGL_NO_CONTEXT;
        }
        // The display stays initialised: EGL counts no references, and terminating it would pull
        // it from under any other off-screen context of the process.
    }

    int m_width, m_height;
    EGLDisplay m_display = EGL_NO_DISPLAY;
    EGLContext m_context = EGL_NO_CONTEXT;
    FramebufferCalls m_fb{};
    GLuint m_framebuffer = 0;
    GLuint m_renderbuffers[2] = {0, 0};
};

} // namespace

std::unique_ptr<OffscreenContext> CreateEglOffscreenContext(int width, int height, int depthBits) {
    return std::make_unique<EglOffscreenContext>(width, height, depthBits);
}

} // namespace vorn

// Off-screen contexts through Qt: a context of its own on an off-screen surface, drawing into a
// framebuffer object, and the caller's context with its framebuffer given back afterwards.
#include "app/QtOffscreenContexts.h"

#include "core/VornError.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPointer>
#include <QSurfaceFormat>

#include <string>

namespace vorn {

namespace {

const char kSource[] = "VornView";

// The current context, its surface and the framebuffer it draws into.
class QtSavedContext : public SavedContext {
public:
    QtSavedContext() : m_context(QOpenGLContext::currentContext()) {
        if (!m_context)
            return;
        m_surface = m_context->surface();
        GLint framebuffer = 0;
        m_context->functions()->glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        m_framebuffer = static_cast<GLuint>(framebuffer);
    }

    void Restore() override {
        if (m_context && m_surface && m_context->makeCurrent(m_surface)) {
            // A QOpenGLWidget draws into a framebuffer object of its own, never into 0.
            m_context->functions()->glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
            return;
        }
        if (QOpenGLContext* current = QOpenGLContext::currentContext())
            current->doneCurrent();
    }

private:
    QPointer<QOpenGLContext> m_context;
    QSurface* m_surface = nullptr;
    GLuint m_framebuffer = 0;
};

QSurfaceFormat OffscreenFormat(int depthBits) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(depthBits);
    return format;
}

class QtOffscreenContext : public OffscreenContext {
public:
    QtOffscreenContext(int width, int height, int depthBits) {
        if (width < 1 || height < 1)
            VORN_RAISE(kSource, "The picture must be at least 1 x 1 pixels");
        const QSurfaceFormat format = OffscreenFormat(depthBits);
        m_surface.setFormat(format);
        m_surface.create();
        m_context.setFormat(format);
        if (!m_surface.isValid() || !m_context.create())
            VORN_RAISE(kSource, "wglCreateContext failed");
        MakeContextCurrent();
        // The depth buffer is 24 bits, with 8 of stencil beside it: more than the view asks for.
        QOpenGLFramebufferObjectFormat fboFormat;
        fboFormat.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
        m_fbo = std::make_unique<QOpenGLFramebufferObject>(width, height, fboFormat);
        if (!m_fbo->isValid()) {
            m_fbo.reset();
            m_context.doneCurrent();
            VORN_RAISE(kSource, "Unable to create an off-screen picture of " +
                                    std::to_string(width) + " x " + std::to_string(height) +
                                    " pixels");
        }
        m_fbo->bind();
    }

    // The framebuffer belongs to this context: it is deleted with the context current, and
    // whatever was current before is current again afterwards.
    ~QtOffscreenContext() override {
        std::unique_ptr<QtSavedContext> before;
        if (QOpenGLContext::currentContext() != &m_context)
            before = std::make_unique<QtSavedContext>();
        if (m_fbo && m_context.makeCurrent(&m_surface))
            m_fbo.reset();
        if (QOpenGLContext::currentContext() == &m_context)
            m_context.doneCurrent();
        if (before)
            before->Restore();
    }

    void MakeCurrent() override {
        MakeContextCurrent();
        m_fbo->bind();
    }
    void Release() override {
        if (QOpenGLContext::currentContext() == &m_context)
            m_context.doneCurrent();
    }
    int Width() const override { return m_fbo->width(); }
    int Height() const override { return m_fbo->height(); }

private:
    void MakeContextCurrent() {
        if (!m_context.makeCurrent(&m_surface))
            VORN_RAISE(kSource, "wglMakeCurrent failed");
    }

    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
};

} // namespace

std::unique_ptr<OffscreenContext> QtOffscreenContexts::Create(int width, int height,
                                                              int depthBits) {
    return std::make_unique<QtOffscreenContext>(width, height, depthBits);
}

std::unique_ptr<SavedContext> QtOffscreenContexts::SaveCurrent() {
    return std::make_unique<QtSavedContext>();
}

} // namespace vorn

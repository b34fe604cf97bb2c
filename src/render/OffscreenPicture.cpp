// Off-screen pictures: an EGL context, a view that nobody watches, one frame read back.
#include "render/OffscreenPicture.h"

#include "render/OffscreenContext.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <GL/gl.h>

#include <chrono>
#include <thread>

namespace vorn {

// Nothing to show and nobody to ask for a repaint: the picture is drawn when asked.
class OffscreenPicture::Host : public ViewHost {
public:
    void RequestRedraw() override {}
    bool SwapBuffers() override { return true; }
    unsigned Milliseconds() override {
        using namespace std::chrono;
        return static_cast<unsigned>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void Sleep(unsigned milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

OffscreenPicture::OffscreenPicture(CVornDoc& doc, int width, int height)
    : m_context(CreateEglOffscreenContext(width, height, 24)), m_host(std::make_unique<Host>()),
      m_view(std::make_unique<CVornView>(doc, *m_host)) {
    m_view->Create(24, 24);
    m_view->Resize(width, height);
    m_view->DocumentChanged();
}

OffscreenPicture::~OffscreenPicture() = default;

void OffscreenPicture::MakeCurrent() {
    m_context->MakeCurrent();
}

DibImage OffscreenPicture::Render() {
    m_context->MakeCurrent();
    m_view->RenderScene(0);
    return ReadPixelsAsDib(m_context->Width(), m_context->Height());
}

} // namespace vorn

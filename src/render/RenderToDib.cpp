// The off-screen capture: the view as the user set it up, drawn again by a view of its own in a
// context of its own at the size asked for, with the caller's context current again afterwards.
#include "render/RenderToDib.h"

#include "core/VornError.h"
#include "output/ImageFiles.h"
#include "render/LabelFont.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <algorithm>

namespace vorn {

namespace {

// The capture's view shows nothing and asks for nothing; the markers of the Measure and torsion
// windows appear in the picture as long as those windows are open beside the window's view.
class CaptureHost : public ViewHost {
public:
    explicit CaptureHost(const ViewHost& window) : m_window(window) {}
    void RequestRedraw() override {}
    bool SwapBuffers() override { return true; }
    unsigned Milliseconds() override { return 0; }
    void Sleep(unsigned) override {}
    bool MeasureDialogOpen() const override { return m_window.MeasureDialogOpen(); }
    bool TorsionDialogOpen() const override { return m_window.TorsionDialogOpen(); }

private:
    const ViewHost& m_window;
};

// The caller's context comes back however the capture ends.
class RestoreOnExit {
public:
    explicit RestoreOnExit(std::unique_ptr<SavedContext> saved) : m_saved(std::move(saved)) {}
    ~RestoreOnExit() {
        if (m_saved)
            m_saved->Restore();
    }
    RestoreOnExit(const RestoreOnExit&) = delete;
    RestoreOnExit& operator=(const RestoreOnExit&) = delete;

private:
    std::unique_ptr<SavedContext> m_saved;
};

} // namespace

DibImage CVornView::RenderToDIB(int width, int height, OffscreenContextFactory& contexts,
                                const CaptureOptions& options) const {
    const CaptureSize size =
        FitCaptureSize(width, height, params.windowWidth, params.windowHeight, params.memoryLimit);
    const RestoreOnExit restore(contexts.SaveCurrent());
    std::unique_ptr<OffscreenContext> context;
    try {
        context = contexts.Create(size.width, size.height, std::max(16, params.depthBits));
    } catch (const VornError&) {
        VORN_RAISE("VornView", "Unable to create DIB for storing image");
    }
    context->MakeCurrent();
    // The capture's view lives only while its context is current: its lists belong there.
    CaptureHost host(m_host);
    CVornView capture(m_doc, host);
    capture.TakeSettingsOf(*this);
    if (options.targetDpi > 0 && options.screenDpi > 0)
        capture.params.labelFont =
            ScaledLabelFont(params.labelFont, options.targetDpi, options.screenDpi);
    capture.m_glyphSource = m_glyphSource;
    capture.Create(params.colorBits, params.depthBits);
    capture.Resize(size.width, size.height);
    capture.RenderScene(0);
    return ReadPixelsAsDib(size.width, size.height);
}

} // namespace vorn

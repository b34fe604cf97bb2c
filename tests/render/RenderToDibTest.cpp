// The off-screen capture of a view: the picture the window's view draws with the user's settings,
// at the capped and fitted size, and the caller's context current again however it ends.
#include "render/RenderToDib.h"

#include "../RaisedError.h"
#include "Pixels.h"
#include "core/VornError.h"

#include <GL/gl.h>

#include <EGL/egl.h>
#include <gtest/gtest.h>
#include <string>

namespace vorn {

namespace {

// Pixels in which two pictures of one size differ by more than a little in any channel.
long DifferentPixels(const DibImage& a, const DibImage& b) {
    long n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < 3 * a.width; x += 3)
            for (int c = 0; c < 3; ++c)
                if (std::abs(a.Row(y)[x + c] - b.Row(y)[x + c]) > 2) {
                    ++n;
                    break;
                }
    return n;
}

// Contexts that cannot be had.
struct NoContexts : OffscreenContextFactory {
    std::unique_ptr<OffscreenContext> Create(int, int, int) override {
        VORN_RAISE("VornView", "no contexts here");
    }
    std::unique_ptr<SavedContext> SaveCurrent() override { return EglContexts().SaveCurrent(); }
};

} // namespace

TEST(RenderToDib, PictureHasTheWindowsSettingsAndTheCallersContextStaysWhateverHappens) {
    Crambin f;
    f.view.SetRenderMode(kWireFrame);
    const int background[4] = {40, 80, 160, 255};
    f.view.ApplyColor(0, background);
    f.view.SetLineWidth(4);
    f.view.params.fieldOfView = 45;
    f.view.SetProjection();
    f.view.ToggleDepthCue();
    const DibImage shown = f.Picture();

    const EGLContext window = eglGetCurrentContext();
    const DibImage captured = f.view.RenderToDIB(320, 240, EglContexts());
    ASSERT_EQ(captured.width, 320);
    ASSERT_EQ(captured.height, 240);
    EXPECT_LT(DifferentPixels(shown, captured), 320 * 240 / 500);
    const std::uint8_t* corner = captured.Row(0);
    EXPECT_EQ(corner[0] * 1000000 + corner[1] * 1000 + corner[2], 160080040); // BGR
    // The window's context is current again, drawing into its own framebuffer.
    EXPECT_EQ(eglGetCurrentContext(), window);
    f.view.RenderScene(0);
    EXPECT_EQ(DifferentPixels(shown, ReadPixelsAsDib(320, 240)), 0);

    // Twice the asked size is capped at 1000 and fitted to 4:3; 100 KB halve that three times.
    EXPECT_EQ(f.view.RenderToDIB(2000, 2000, EglContexts()).width, 1000);
    f.view.params.memoryLimit = 100;
    const DibImage halved = f.view.RenderToDIB(2000, 2000, EglContexts());
    EXPECT_EQ(halved.width, 125);
    EXPECT_EQ(halved.height, 93);
    EXPECT_EQ(eglGetCurrentContext(), window);

    // No context to be had is reported, and the caller's stays.
    NoContexts none;
    EXPECT_EQ(SourcedErrorOf([&] { f.view.RenderToDIB(100, 100, none); }),
              "VornView: Unable to create DIB for storing image");
    EXPECT_EQ(eglGetCurrentContext(), window);
}

} // namespace vorn

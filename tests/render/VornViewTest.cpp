// The view's camera, draw cycle and display commands, with a fake clock and a real GL context.
#include "../RaisedError.h"
#include "RenderTestContext.h"

#include <GL/gl.h>

#include <cmath>
#include <gtest/gtest.h>

namespace vorn {

namespace {

// The aspect ratio of the current perspective: m[5] / m[0] of the projection matrix.
double ProjectionAspect() {
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    return m[5] / m[0];
}

TEST(VornView, DrawCycleKeepsFramesFiftyMillisecondsApart) {
    ViewFixture f;
    f.AddMolecule({{0, 0, 0}});
    // Without continuous redraw one paint draws and swaps once, asking for nothing more.
    f.view.Draw();
    EXPECT_EQ(f.host.swaps, 1);
    EXPECT_EQ(f.host.redraws, 0);
    EXPECT_EQ(f.host.slept, 0u);

    f.view.params.continuousRedraw = true;
    f.view.params.previousFrameTime = f.host.now - 20;
    f.view.Draw();
    EXPECT_EQ(f.host.slept, 30u); // the rest of the 50 ms
    EXPECT_EQ(f.host.redraws, 1); // the next frame is asked for
    EXPECT_EQ(f.host.swaps, 2);
    EXPECT_EQ(f.view.params.previousFrameTime, f.host.now);

    // Back-to-back paints are spaced by sleeping, never drawn closer together.
    for (int i = 0; i < 3; ++i) {
        const unsigned before = f.host.now;
        f.view.Draw();
        EXPECT_GE(f.host.now - before, 50u);
    }
    EXPECT_EQ(f.host.swaps, 5);
}

TEST(VornView, DrawAdvancesPlaybackAndReportsFailedSwaps) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{0, 0, 0}, {1, 0, 0}});
    for (int k = 0; k < 3; ++k)
        mol.frames.Append(std::vector<float>{0, 0, 0, float(k), 0, 0});
    f.doc.ResetPlayback();
    f.view.DocumentChanged(); // a primary molecule with frames starts playing
    EXPECT_TRUE(f.view.params.playing);
    EXPECT_TRUE(f.view.params.continuousRedraw);
    f.view.Draw();
    EXPECT_EQ(f.doc.FrameIndex(), 1);
    EXPECT_EQ(f.host.shownFrame, 0); // the window shows the frame that was drawn
    f.view.Play(true);
    f.host.now += 100;
    f.view.Draw();
    EXPECT_EQ(f.doc.FrameIndex(), 0);
    f.view.StopPlayback();
    EXPECT_FALSE(f.view.params.continuousRedraw);

    f.host.swapSucceeds = false;
    EXPECT_EQ(ErrorOf([&] { f.view.Draw(); }), "SwapBuffers failed");
}

TEST(VornView, DocumentChangesStopTheLoopWhenEmptyAndRefitTheScene) {
    ViewFixture f;
    f.view.params.continuousRedraw = true;
    f.view.DocumentChanged();
    EXPECT_FALSE(f.view.params.continuousRedraw);
    EXPECT_EQ(f.view.ScaleToFitSize(true), 1.0f);

    Molecule& a = f.AddMolecule({{0, 0, 0}});
    a.boxSize[0] = 6, a.boxSize[1] = 8, a.boxSize[2] = 0;
    a.boxDiagonal = 10;
    Molecule& b = f.AddMolecule({{0, 0, 0}});
    b.boxSize[0] = 2, b.boxSize[1] = 2, b.boxSize[2] = 2;
    b.boxDiagonal = std::sqrt(12.0f);
    b.motion.translation[0] = -5;
    // Per axis the farthest reach of any molecule: x 5 + 1, y 4, z 1.
    EXPECT_FLOAT_EQ(f.view.ScaleToFitSize(true), std::sqrt(36.0f + 16 + 1));
    EXPECT_FLOAT_EQ(f.view.ScaleToFitSize(false), 5.0f);
    f.view.DocumentChanged();
    EXPECT_FLOAT_EQ(f.view.params.sceneScale, std::sqrt(53.0f));
    EXPECT_FALSE(f.view.params.playing);
    f.view.ToggleScaleToFit();
    EXPECT_FLOAT_EQ(f.view.params.sceneScale, 5.0f);

    // A single atom has no extent: the scene keeps a usable scale.
    f.doc.molecules.Clear();
    f.AddMolecule({{1, 2, 3}});
    EXPECT_EQ(f.view.ScaleToFitSize(true), 1.0f);
}

TEST(VornView, StereoHalvesTheWidthAndTheAspect) {
    ViewFixture f;
    f.AddMolecule({{0, 0, 0}});
    f.view.Resize(301, 200);
    EXPECT_EQ(f.ui.status.back(), "Window Size 301 x 200");
    EXPECT_NEAR(ProjectionAspect(), 301.0 / 200, 1e-6);
    f.view.ToggleStereo();
    EXPECT_NEAR(ProjectionAspect(), 150.0 / 200, 1e-6);
    f.view.RenderScene(0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport); // the right eye's half is drawn last
    EXPECT_EQ(viewport[0], 150);
    EXPECT_EQ(viewport[2], 150);
    EXPECT_EQ(viewport[3], 200);

    f.view.Resize(0, 100); // ignored
    EXPECT_EQ(f.view.params.windowWidth, 301);
    EXPECT_EQ(ErrorOf([&] { f.view.RenderScene(2); }), "Unknown rendering mode!");
}

TEST(VornView, CommandsChangeActiveMoleculesAndColours) {
    ViewFixture f;
    Molecule& a = f.AddMolecule({{0, 0, 0}});
    Molecule& b = f.AddMolecule({{0, 0, 0}});
    a.active = false;
    f.view.SetRenderMode(kBallAndStick);
    EXPECT_EQ(a.renderMode, kWireFrame);
    EXPECT_EQ(b.renderMode, kBallAndStick);
    EXPECT_FLOAT_EQ(f.view.params.stickRadius, 0.175f);
    EXPECT_FLOAT_EQ(f.view.params.ballRadius, 0.275f);
    f.view.SetRenderMode(kSticks);
    EXPECT_FLOAT_EQ(f.view.params.ballRadius, 0.175f);
    f.view.ToggleMoleculeFlag(CVornView::kSolvent);
    EXPECT_TRUE(a.solvent);
    EXPECT_FALSE(b.solvent);
    EXPECT_FALSE(f.view.MoleculeFlagShown(CVornView::kSolvent));

    int rgba[4];
    f.view.GetColor(1, rgba); // selection 0, 0.9, 0, 0.6 truncated
    EXPECT_EQ(rgba[1], 229);
    EXPECT_EQ(rgba[3], 153);
    const int blue[4] = {0, 0, 255, 7};
    f.view.ApplyColor(0, blue);
    GLfloat clear[4], fog[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetFloatv(GL_FOG_COLOR, fog);
    EXPECT_FLOAT_EQ(clear[2], 1.0f);
    EXPECT_FLOAT_EQ(clear[3], 1.0f); // the background stays opaque
    EXPECT_FLOAT_EQ(fog[2], 1.0f);

    f.view.ToggleDepthCue();
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    f.view.ToggleAntiAlias();
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
}

} // namespace

} // namespace vorn

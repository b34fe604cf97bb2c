// Turning, moving and zooming by mouse, wheel and keys; fixed and free molecules; momentum.
#include "RenderTestContext.h"
#include "analysis/HydrogenBonds.h"
#include "render/Trackball.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vorn {

namespace {

using B = CVornView::Buttons;
const B kLeft{true}, kMiddle{false, true}, kRight{false, false, true};

void Drag(CVornView& view, CVornView::Button button, B held, int x0, int y0, int x1, int y1) {
    view.MouseDown(button, x0, y0, held);
    view.MouseMove(x1, y1, held);
    view.MouseUp(button, x1, y1, B());
}

TEST(Trackball, StepsBetweenPoints) {
    // Corners of the window map to (-1, 1) and (1, -1).
    const TrackPoint corner = NormalisedPoint(0, 0, 320, 240);
    EXPECT_FLOAT_EQ(corner.x, -1);
    EXPECT_FLOAT_EQ(corner.y, 1);
    const Quaternion none = TrackballIncrement({0.3f, 0.2f}, {0.3f, 0.2f}, 0.8f);
    EXPECT_EQ(none.w, 1);
    EXPECT_EQ(none.x, 0);
    // A drag across the whole window stays a finite unit rotation (the angle's sine is clamped).
    const Quaternion q = TrackballIncrement({-1, 0}, {1, 0}, 0.8f);
    EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0, 1e-6);
    EXPECT_NEAR(q.x, 0, 1e-7); // a horizontal drag turns about the vertical axis only
    EXPECT_NEAR(q.z, 0, 1e-7);
    // A smaller ball turns farther for the same drag.
    const float small = TrackballIncrement({0, 0}, {0.1f, 0}, 0.5f).w;
    const float large = TrackballIncrement({0, 0}, {0.1f, 0}, 1.2f).w;
    EXPECT_LT(small, large);
}

TEST(MotionControl, LeftDragTurnsFreeMoleculesTheWayTheMouseGoes) {
    ViewFixture f;
    Molecule& free = f.AddMolecule({{0, 0, 10}});
    Molecule& fixed = f.AddMolecule({{0, 0, 10}});
    fixed.motion.moving = false;
    Drag(f.view, CVornView::kLeftButton, kLeft, 160, 120, 200, 120);
    // The atom nearest the eye follows the mouse to the right; the fixed molecule stays.
    EXPECT_GT(DisplayPosition(free, 0)[0], 1.0);
    EXPECT_NEAR(DisplayPosition(free, 0)[1], 0.0, 1e-5);
    EXPECT_EQ(DisplayPosition(fixed, 0)[0], 0.0);
    EXPECT_FALSE(f.host.captured);
    EXPECT_FALSE(f.view.params.spinning);
}

TEST(MotionControl, MomentumSpinsUntilTheNextPress) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{0, 0, 10}});
    f.view.ToggleMomentum();
    // A click without motion spins by the identity: redrawing continuously, turning nothing.
    f.view.MouseDown(CVornView::kLeftButton, 100, 100, kLeft);
    f.view.MouseUp(CVornView::kLeftButton, 100, 100, B());
    EXPECT_TRUE(f.view.params.spinning);
    EXPECT_TRUE(f.view.params.continuousRedraw);
    EXPECT_EQ(mol.motion.increment.w, 1);

    f.view.MouseDown(CVornView::kLeftButton, 160, 120, kLeft);
    EXPECT_FALSE(f.view.params.spinning);
    f.view.MouseMove(170, 120, kLeft);
    const Quaternion afterDrag = mol.motion.rotation;
    f.view.MouseUp(CVornView::kLeftButton, 170, 120, B());
    EXPECT_TRUE(f.view.params.spinning);
    // Every frame of the spin turns once more by the last step.
    f.host.now += 100;
    f.view.Draw();
    const Quaternion expected = Multiply(afterDrag, mol.motion.increment);
    EXPECT_NEAR(mol.motion.rotation.y, expected.y, 1e-6);
    EXPECT_NE(mol.motion.rotation.y, afterDrag.y);
    f.view.ToggleMomentum(); // switching momentum off ends the spin
    EXPECT_FALSE(f.view.params.spinning);
    EXPECT_FALSE(f.view.params.continuousRedraw);
}

TEST(MotionControl, WheelAndRightDragZoomWithinBounds) {
    ViewFixture f;
    f.AddMolecule({{0, 0, 0}});
    f.view.Wheel(60); // half a notch
    EXPECT_FLOAT_EQ(f.view.params.fieldOfView, 60);
    f.view.Wheel(-240);
    EXPECT_FLOAT_EQ(f.view.params.fieldOfView, 50);
    f.view.Wheel(120 * 100);
    EXPECT_FLOAT_EQ(f.view.params.fieldOfView, 180);
    f.view.params.fieldOfView = 60;
    // All free: a right drag of 80 pixels in a 320-pixel window narrows the view by 10 degrees.
    Drag(f.view, CVornView::kRightButton, kRight, 100, 50, 180, 50);
    EXPECT_FLOAT_EQ(f.view.params.fieldOfView, 50);
    Drag(f.view, CVornView::kRightButton, kRight, 0, 50, 3000, 50);
    EXPECT_FLOAT_EQ(f.view.params.fieldOfView, 0);
    // Shift + Left zooms in as a 10-pixel drag would.
    f.view.params.fieldOfView = 60;
    f.view.KeyDown(CVornView::kKeyShift);
    f.view.KeyDown(CVornView::kKeyLeft);
    EXPECT_FLOAT_EQ(f.view.params.fieldOfView, 60 - 10 * 40.0f / 320);
    f.view.KeyUp(CVornView::kKeyShift);
    EXPECT_FALSE(f.view.params.shiftDown);
}

TEST(MotionControl, RightDragMovesFreeMoleculesInDepthWhenOneIsFixed) {
    ViewFixture f;
    Molecule& free = f.AddMolecule({{0, 0, 0}});
    Molecule& fixed = f.AddMolecule({{0, 0, 0}});
    fixed.motion.moving = false;
    f.view.params.scaleToFit = false;
    f.view.params.sceneScale = 32;
    Drag(f.view, CVornView::kRightButton, kRight, 100, 50, 140, 50);
    EXPECT_FLOAT_EQ(f.view.params.fieldOfView, 60); // the zoom stays
    // 3 · 40 pixels · 32 / 320 toward the eye.
    EXPECT_NEAR(DisplayPosition(free, 0)[2], 12.0, 1e-5);
    EXPECT_EQ(DisplayPosition(fixed, 0)[2], 0.0);
}

TEST(MotionControl, TranslationFollowsTheScreenWhateverTheRotation) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{0, 0, 0}});
    f.view.params.scaleToFit = false;
    f.view.params.sceneScale = 32;
    // A quarter turn about z: the molecule's own x axis now points down the screen.
    const float s = std::sqrt(0.5f);
    mol.motion.rotation = {0, 0, s, s};
    Drag(f.view, CVornView::kMiddleButton, kMiddle, 100, 100, 140, 80);
    const auto p = DisplayPosition(mol, 0);
    EXPECT_NEAR(p[0], 12.0, 1e-5); // 40 pixels right
    EXPECT_NEAR(p[1], 6.0, 1e-5);  // 20 pixels up
    EXPECT_NEAR(p[2], 0.0, 1e-5);
    f.view.Center();
    EXPECT_EQ(mol.motion.translation[0], 0);
}

TEST(MotionControl, ArrowKeysAndSensitivity) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{0, 0, 10}});
    f.view.KeyDown(CVornView::kKeyRight);
    EXPECT_GT(DisplayPosition(mol, 0)[0], 0.1); // the front turns right
    f.view.KeyDown(CVornView::kKeyLeft);
    EXPECT_NEAR(DisplayPosition(mol, 0)[0], 0.0, 1e-4); // and back
    f.view.KeyDown(CVornView::kKeyUp);
    EXPECT_GT(DisplayPosition(mol, 0)[1], 0.1);

    for (int i = 0; i < 10; ++i)
        f.view.IncreaseSensitivity();
    EXPECT_NEAR(mol.motion.trackballSize, 0.4f, 1e-5); // never below 0.4 (0.8 less four steps)
    for (int i = 0; i < 20; ++i)
        f.view.DecreaseSensitivity();
    EXPECT_NEAR(mol.motion.trackballSize, 1.5f, 1e-5);
    f.view.DefaultSensitivity();
    EXPECT_FLOAT_EQ(mol.motion.trackballSize, 0.8f);
}

// Left pressed while right is held joins a translation; its release turns nothing, however long
// ago the last rotation was (its start point belongs to another gesture, or to none).
TEST(MotionControl, ReleasingLeftAfterATwoButtonMoveTurnsNothing) {
    ViewFixture f;
    Molecule& mol = f.AddMolecule({{0, 0, 10}});
    f.view.MouseDown(CVornView::kRightButton, 300, 200, kRight);
    f.view.MouseDown(CVornView::kLeftButton, 300, 200, B{true, false, true});
    f.view.MouseMove(310, 205, B{true, false, true});
    f.view.MouseUp(CVornView::kLeftButton, 310, 205, kRight);
    f.view.MouseUp(CVornView::kRightButton, 310, 205, B());
    EXPECT_EQ(mol.motion.rotation.w, 1);
    EXPECT_EQ(mol.motion.rotation.y, 0);
}

// With a fixed molecule the hydrogen bonds between it and the turned ones are those of the
// placement after every kind of turn: a drag step, an arrow key, a frame of a momentum spin.
TEST(MotionControl, HydrogenBondsFollowEveryTurnOfAFreeMolecule) {
    ViewFixture f;
    for (int copy = 0; copy < 2; ++copy)
        ASSERT_TRUE(f.doc.ReadCoordinateFile(std::string(VORN_TEST_DATA) + "/1crn.pdb"));
    f.doc.MoleculeAt(0).motion.moving = false;
    f.view.ToggleHydrogenBonds();
    const auto current = [&] {
        std::vector<const Molecule*> list;
        for (const auto& m : f.doc.molecules)
            list.push_back(m.get());
        return FindHydrogenBonds(list);
    };
    const size_t together = f.doc.hydrogenBonds.size();
    f.view.MouseDown(CVornView::kLeftButton, 160, 120, kLeft);
    f.view.MouseMove(170, 120, kLeft);
    EXPECT_EQ(f.doc.hydrogenBonds, current());
    EXPECT_LT(f.doc.hydrogenBonds.size(), together); // the copies came apart
    f.view.MouseUp(CVornView::kLeftButton, 170, 120, B());
    f.view.KeyDown(CVornView::kKeyUp);
    EXPECT_EQ(f.doc.hydrogenBonds, current());
    const auto beforeSpin = f.doc.hydrogenBonds;
    f.view.ToggleMomentum();
    f.view.MouseDown(CVornView::kLeftButton, 160, 120, kLeft);
    f.view.MouseMove(200, 150, kLeft);
    f.view.MouseUp(CVornView::kLeftButton, 200, 150, B());
    f.host.now += 100;
    f.view.Draw();
    EXPECT_EQ(f.doc.hydrogenBonds, current());
}

} // namespace

} // namespace vorn

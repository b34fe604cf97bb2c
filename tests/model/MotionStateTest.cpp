// Quaternion maths of the motion state and the displayed position of an atom.
#include "model/MotionState.h"

#include "model/Molecule.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vorn {

namespace {

// A quarter turn about z.
Quaternion QuarterTurnZ() {
    const float s = std::sqrt(0.5f);
    return {0, 0, s, s};
}

TEST(MotionState, MatrixIsHandedOverColumnByColumn) {
    const std::array<float, 16> m = QuaternionToMatrix(QuarterTurnZ());
    const float expected[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-6) << i;
    // Read column by column, the matrix turns x onto -y.
    MotionState state;
    state.rotation = QuarterTurnZ();
    const Matrix3 r = DisplayRotation(state);
    EXPECT_NEAR(r[0][0], 0, 1e-6);
    EXPECT_NEAR(r[1][0], -1, 1e-6);
}

TEST(MotionState, ComposeTurnsAboutTheScreenAxesAndRenormalises) {
    // A molecule turned a quarter about the screen's vertical axis, then a step about the
    // screen's horizontal axis: what it shows must be the old picture turned by the step, not
    // the step taken about the molecule's own axes.
    const float s = std::sqrt(0.5f);
    MotionState state;
    state.rotation = {0, s, 0, s};
    const Quaternion step = {std::sin(0.1f), 0, 0, std::cos(0.1f)};
    state.increment = step;
    const Matrix3 before = DisplayRotation(state);
    Compose(state);
    MotionState stepAlone;
    stepAlone.rotation = step;
    const Matrix3 turn = DisplayRotation(stepAlone);
    const Matrix3 after = DisplayRotation(state);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double expected = 0;
            for (int k = 0; k < 3; ++k)
                expected += turn[i][k] * before[k][j];
            EXPECT_NEAR(after[i][j], expected, 1e-5) << i << "," << j;
        }
    // Four quarter turns come back to the start.
    state = {};
    state.increment = QuarterTurnZ();
    for (int i = 0; i < 4; ++i)
        Compose(state);
    EXPECT_NEAR(std::fabs(state.rotation.w), 1.0f, 1e-5);
    // Drifted quaternions are pulled back on the 98th composition.
    state.rotation = {0, 0, 0, 1.01f};
    state.increment = {};
    state.rotateSteps = 96;
    Compose(state);
    EXPECT_FLOAT_EQ(state.rotation.w, 1.01f);
    Compose(state);
    EXPECT_EQ(state.rotateSteps, 0);
    EXPECT_NEAR(state.rotation.w, 1.01f / (1.01f * 1.01f), 1e-6);
}

TEST(MotionState, DisplayPositionTranslatesThenTurnsAndFollowsTheShownFrame) {
    Molecule mol;
    mol.atoms.resize(1);
    mol.atoms[0].x = 1;
    mol.frames.Append({5, 0, 0});
    mol.motion.translation[1] = 2;
    mol.motion.rotation = QuarterTurnZ();
    std::array<double, 3> p = DisplayPosition(mol, 0); // (1, 2, 0) turned: (2, -1, 0)
    EXPECT_NEAR(p[0], 2, 1e-6);
    EXPECT_NEAR(p[1], -1, 1e-6);
    mol.currentFrame = 1; // frame 0 is shown: (5, 2, 0) turned
    p = DisplayPosition(mol, 0);
    EXPECT_NEAR(p[0], 2, 1e-6);
    EXPECT_NEAR(p[1], -5, 1e-6);
}

} // namespace

} // namespace vorn

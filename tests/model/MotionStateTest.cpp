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

TEST(MotionState, ComposeAppliesTheIncrementAfterTheRotationAndRenormalises) {
    MotionState state;
    state.increment = QuarterTurnZ();
    for (int i = 0; i < 4; ++i)
        Compose(state);
    EXPECT_NEAR(std::fabs(state.rotation.w), 1.0f, 1e-5); // four quarter turns
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

// Hemisphere geometry through feedback, the compiled lists against immediate drawing, presets and
// custom resolution values.
#include "render/Primitives.h"

#include "RenderTestContext.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

void Ortho(double half) {
    glViewport(0, 0, 320, 240);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half * 4 / 3, half * 4 / 3, -half, half, -2 * half, 2 * half);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Triangles of the atom hemisphere in a feedback pass and the lowest z of their vertices (depth
// is 0.5 - z / 4 in a view of half height 1).
struct Feedback {
    int triangles = 0;
    float lowestZ = 1;
};

Feedback AtomHemisphere(int atomRes, bool cullBackFaces = false) {
    Primitives primitives;
    Resolution res;
    res.atomRes = atomRes;
    primitives.Rebuild(res);
    primitives.SetImmediate(true);
    Ortho(1);
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    cullBackFaces ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    primitives.Draw(kAtomHemisphere);
    glDisable(GL_CULL_FACE);
    const GLint used = glRenderMode(GL_RENDER);
    Feedback result;
    for (GLint i = 0; i < used;) {
        EXPECT_EQ(buffer[i], GL_POLYGON_TOKEN);
        const int vertices = static_cast<int>(buffer[i + 1]);
        result.triangles += vertices - 2;
        i += 2;
        for (int k = 0; k < vertices; ++k, i += 3) {
            result.lowestZ = std::min(result.lowestZ, (0.5f - buffer[i + 2]) * 4);
        }
    }
    return result;
}

// Lit pixels of one primitive drawn white at 100 pixels to the unit, turned about x.
int LitPixels(const Primitives& primitives, int list, float tilt) {
    Ortho(120);
    glRotatef(tilt, 1, 0, 0);
    glScalef(100, 100, 100);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    primitives.Draw(list);
    std::vector<unsigned char> red(320 * 240);
    glReadPixels(0, 0, 320, 240, GL_RED, GL_UNSIGNED_BYTE, red.data());
    return static_cast<int>(red.size()) - static_cast<int>(std::count(red.begin(), red.end(), 0));
}

} // namespace

TEST(PrimitivesTest, HemisphereCapAndBands) {
    TestContext();
    const float pi = static_cast<float>(M_PI);
    // 8 slices give 2 stacks: the cap fan alone, its rim on the equator.
    Feedback cap = AtomHemisphere(8);
    EXPECT_EQ(cap.triangles, 8);
    EXPECT_NEAR(cap.lowestZ, 0, 1e-4);
    EXPECT_EQ(AtomHemisphere(2).triangles, 2); // stacks max(-4, 2)
    // 25 slices give 19 stacks: the cap and bands 1 to 8, stopping at 9 pi / 19.
    Feedback all = AtomHemisphere(25);
    EXPECT_EQ(all.triangles, 25 + 8 * 25 * 2);
    EXPECT_NEAR(all.lowestZ, std::cos(9 * pi / 19), 1e-4);
    // Seen from +z every facet faces the eye: a reversed winding would be culled.
    EXPECT_EQ(AtomHemisphere(25, true).triangles, all.triangles);
}

TEST(PrimitivesTest, ListsMatchImmediateDrawingAndFollowCustomValues) {
    TestContext();
    Primitives primitives;
    Resolution res;
    res.bondRes = 7; // differs from selectionRes, so a list built from the wrong count shows
    primitives.Rebuild(res);
    for (int list = kSelectionHemisphere; list <= kCone; ++list) {
        const int compiled = LitPixels(primitives, list, 60);
        primitives.SetImmediate(true);
        EXPECT_EQ(LitPixels(primitives, list, 60), compiled) << "list " << list;
        primitives.SetImmediate(false);
        EXPECT_GT(compiled, 500) << "list " << list;
    }

    int resolution = kHighResolution;
    ApplyPreset(resolution, res);
    primitives.Rebuild(res);
    const int atom = LitPixels(primitives, kAtomHemisphere, 0);
    // 25 slices, rim radius sin(9 pi / 19): a polygon of 12.5 sin(2 pi / 25) r^2.
    EXPECT_NEAR(atom, 12.5 * std::sin(2 * M_PI / 25) * std::pow(100 * std::sin(9 * M_PI / 19), 2),
                300);
    // Three selection slices turn the disk into its inscribed triangle, 3 sqrt(3) / 4 r^2.
    EXPECT_TRUE(ApplyCustomResolution(2, 3, resolution, res, primitives));
    EXPECT_NEAR(LitPixels(primitives, kDisk, 0), 3 * std::sqrt(3.0) / 4 * 100 * 100, 200);
    EXPECT_EQ(LitPixels(primitives, kAtomHemisphere, 0), atom);
}

TEST(PrimitivesTest, PresetThenOneCustomValue) {
    TestContext();
    Resolution res;
    Primitives primitives;
    int resolution = kLowResolution;
    ApplyPreset(resolution, res);
    ApplyPreset(kCustomResolution, res); // leaves the low values
    EXPECT_TRUE(ApplyCustomResolution(4, 15, resolution, res, primitives));
    EXPECT_EQ(resolution, kCustomResolution);
    EXPECT_FLOAT_EQ(res.splineTension, 1.5f);
    EXPECT_EQ(res.bondRes, 5);
    EXPECT_EQ(res.ribbonRes, 3);
    // Closing the window (6) or an unknown index changes nothing.
    resolution = kMediumResolution;
    EXPECT_FALSE(ApplyCustomResolution(6, 40, resolution, res, primitives));
    EXPECT_FALSE(ApplyCustomResolution(-1, 40, resolution, res, primitives));
    EXPECT_EQ(resolution, kMediumResolution);
    EXPECT_EQ(res.atomRes, 8);
}

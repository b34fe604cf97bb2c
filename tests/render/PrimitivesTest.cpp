// Hemisphere geometry through feedback, the compiled lists against immediate drawing, presets and
// custom resolution values.
#include "render/Primitives.h"

#include "RenderTestContext.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace vorn {

namespace {

struct Drawn {
    int lit = 0, triangles = 0;
    float lowestZ = 1;
};

// One primitive drawn white on black at 100 pixels to the unit, turned about x: its lit pixels,
// then in a feedback pass (never through lists) its triangles and the lowest z of their vertices,
// from depth = 0.5 - z / 4.8.
Drawn Draw(Primitives& primitives, int list, bool immediate, float tilt = 0, bool cull = false) {
    glViewport(0, 0, 320, 240);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.6, 1.6, -1.2, 1.2, -2.4, 2.4);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(tilt, 1, 0, 0);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    primitives.SetImmediate(immediate);
    primitives.Draw(list);
    std::vector<unsigned char> red(320 * 240);
    glReadPixels(0, 0, 320, 240, GL_RED, GL_UNSIGNED_BYTE, red.data());
    Drawn drawn;
    drawn.lit = static_cast<int>(red.size() - std::count(red.begin(), red.end(), 0));
    std::vector<GLfloat> buf(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buf.size()), GL_3D, buf.data());
    glRenderMode(GL_FEEDBACK);
    primitives.SetImmediate(true);
    primitives.Draw(list);
    glDisable(GL_CULL_FACE);
    for (GLint i = 0, used = glRenderMode(GL_RENDER); i < used;) {
        EXPECT_EQ(buf[i], GL_POLYGON_TOKEN);
        int vertices = static_cast<int>(buf[i + 1]);
        drawn.triangles += vertices - 2;
        for (i += 2; i < used && vertices-- > 0; i += 3)
            drawn.lowestZ = std::min(drawn.lowestZ, (0.5f - buf[i + 2]) * 4.8f);
    }
    return drawn;
}

} // namespace

TEST(PrimitivesTest, GeometryListsAndResolutions) {
    TestContext();
    Primitives primitives;
    Resolution res;
    int resolution = kMediumResolution;
    primitives.Rebuild(res);
    // Slices 8 and 2 give 2 stacks, the cap fan alone with its rim on the equator; 25 give 19
    // stacks, the cap and bands 1 to 8, the rim at 9 pi / 19.
    const int slices[] = {8, 2, 25}, triangles[] = {8, 2, 25 + 8 * 25 * 2};
    const double rimZ[] = {0, 0, std::cos(9 * M_PI / 19)};
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(ApplyCustomResolution(0, slices[k], resolution, res, primitives));
        const Drawn drawn = Draw(primitives, kAtomHemisphere, false);
        EXPECT_EQ(drawn.triangles, triangles[k]) << slices[k];
        EXPECT_NEAR(drawn.lowestZ, rimZ[k], 1e-4) << slices[k];
    }
    // Seen from +z every facet of 25 slices faces the eye: a reversed winding would be culled.
    EXPECT_EQ(Draw(primitives, kAtomHemisphere, true, 0, true).triangles, triangles[2]);

    // A bond count that differs from selectionRes shows a list built from the wrong count.
    EXPECT_TRUE(ApplyCustomResolution(1, 7, resolution, res, primitives));
    for (int list = kSelectionHemisphere; list <= kCone; ++list) {
        const int compiled = Draw(primitives, list, false, 60).lit;
        EXPECT_EQ(Draw(primitives, list, true, 60).lit, compiled) << "list " << list;
        EXPECT_GT(compiled, 500) << "list " << list;
    }

    resolution = kHighResolution;
    ApplyPreset(resolution, res);
    primitives.Rebuild(res);
    EXPECT_EQ(std::tuple(res.atomRes, res.bondRes, res.splineRes), std::tuple(25, 20, 10));
    const int atom = Draw(primitives, kAtomHemisphere, false).lit;
    // Three selection slices turn the disk into its inscribed triangle, 3 sqrt(3) / 4 r^2.
    EXPECT_TRUE(ApplyCustomResolution(2, 3, resolution, res, primitives));
    EXPECT_NEAR(Draw(primitives, kDisk, false).lit, 3 * std::sqrt(3.0) / 4 * 100 * 100, 200);
    EXPECT_EQ(Draw(primitives, kAtomHemisphere, false).lit, atom);

    resolution = kLowResolution;
    ApplyPreset(resolution, res);
    ApplyPreset(kCustomResolution, res); // leaves the low values
    EXPECT_TRUE(ApplyCustomResolution(4, 15, resolution, res, primitives));
    EXPECT_FLOAT_EQ(res.splineTension, 1.5f);
    EXPECT_EQ(std::tuple(resolution, res.atomRes, res.bondRes, res.ribbonRes),
              std::tuple(int{kCustomResolution}, 8, 5, 3));
    // Closing the window (6) or an unknown index changes nothing.
    resolution = kMediumResolution;
    for (int index : {6, -1})
        EXPECT_FALSE(ApplyCustomResolution(index, 40, resolution, res, primitives)) << index;
    EXPECT_EQ(std::tuple(resolution, res.atomRes), std::tuple(int{kMediumResolution}, 8));
}

} // namespace vorn

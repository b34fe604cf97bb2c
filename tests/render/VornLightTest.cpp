// Light names, the light set's colours and switches, and the Lighting window's round trip.
#include "render/VornLight.h"

#include "../RaisedError.h"
#include "RenderTestContext.h"

#include <GL/gl.h>

#include <array>
#include <gtest/gtest.h>

namespace vorn {

using Quad = std::array<float, 4>;

static Quad Get(unsigned name, GLenum what, bool material = false) {
    Quad v{};
    material ? glGetMaterialfv(name, what, v.data()) : glGetLightfv(name, what, v.data());
    return v;
}

TEST(LightSetTest, NamesApplySwitchesAndWindowRoundTrip) {
    TestContext();
    glMatrixMode(GL_MODELVIEW); // positions are stored in eye coordinates
    glLoadIdentity();
    LightNames names;
    EXPECT_EQ(names.Next(), unsigned{GL_LIGHT0}); // the view light
    LightSet lights(names);                       // takes the other seven
    EXPECT_EQ(SourcedErrorOf([&] { names.Next(); }),
              "VornLight: Ehausted supply of OpenGL lights!");

    float shininess = 15.0f, specular[4] = {0.3f, 0.3f, 0.3f, 0.7f};
    LightingChoice choice = lights.Choice(shininess, specular);
    EXPECT_TRUE(choice.on[0] && choice.on[6] && !choice.on[1] && !choice.on[3]);
    choice.color[1] = choice.color[2] = 0;
    choice.on[3] = true; // "Back"
    choice.on[6] = false;
    lights.Apply(choice, shininess, specular);
    EXPECT_FLOAT_EQ(shininess, 11 * 1.28f); // 15 shows as 11 % and goes back as such
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Get(lights[i].name, GL_DIFFUSE), (Quad{0.5f, 0, 0, 0})) << i;
        EXPECT_EQ(Get(lights[i].name, GL_SPECULAR), (Quad{1, 0, 0, 0})) << i;
    }
    EXPECT_EQ(Get(GL_LIGHT7, GL_AMBIENT), (Quad{0.2f, 0, 0, 0}));
    EXPECT_EQ(Get(GL_LIGHT4, GL_POSITION), (Quad{0, 0, -1, 0}));
    lights.On();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT4) && glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2) || glIsEnabled(GL_LIGHT7));
    lights.Off();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT4) || glIsEnabled(GL_LIGHT1));

    // 12.8 times 0.78125 and 5 * 0.01f times 100 fall just short of the percent they came from.
    for (int shiny : {10, 100}) {
        choice.shinyPercent = shiny;
        choice.specularPercent = 5;
        lights.Apply(choice, shininess, specular);
        EXPECT_EQ(lights.Choice(shininess, specular).shinyPercent, shiny);
        EXPECT_EQ(lights.Choice(shininess, specular).specularPercent, 5);
    }
    EXPECT_FLOAT_EQ(Get(GL_BACK, GL_SHININESS, true)[0], 128.0f);
    EXPECT_FLOAT_EQ(Get(GL_FRONT, GL_SPECULAR, true)[2], 0.05f);
    EXPECT_EQ(Get(GL_FRONT, GL_SPECULAR, true)[3], 0.7f); // alpha untouched
}

} // namespace vorn

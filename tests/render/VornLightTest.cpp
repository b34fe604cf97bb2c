// Light names, the light set's colours and switches, and the Lighting window's round trip.
#include "render/VornLight.h"

#include "RenderTestContext.h"
#include "core/VornError.h"

#include <GL/gl.h>

#include <array>
#include <gtest/gtest.h>

using Quad = std::array<float, 4>;

static Quad LightValue(unsigned name, GLenum what) {
    Quad v{};
    glGetLightfv(name, what, v.data());
    return v;
}

TEST(VornLightTest, NinthNameIsRefused) {
    LightNames names;
    for (unsigned i = 0; i < 8; ++i) {
        EXPECT_EQ(names.Next(), GL_LIGHT0 + i);
    }
    try {
        names.Next();
        FAIL() << "a ninth light name was handed out";
    } catch (const VornError& e) {
        EXPECT_EQ(e.Message(), "Ehausted supply of OpenGL lights!");
        EXPECT_EQ(e.Source(), "VornLight");
    }
}

TEST(LightSetTest, RedApplyAndTheBackSwitch) {
    TestContext();
    glMatrixMode(GL_MODELVIEW); // positions are stored in eye coordinates
    glLoadIdentity();
    LightNames names;
    names.Next(); // the view light
    LightSet lights(names);
    float shininess = 15.0f, specular[4] = {0.3f, 0.3f, 0.3f, 0.3f};
    LightingChoice choice = lights.Choice(shininess, specular);
    EXPECT_TRUE(choice.on[0] && choice.on[6] && !choice.on[1] && !choice.on[3]);
    choice.color[1] = choice.color[2] = 0;
    choice.on[3] = true; // "Back"
    choice.on[6] = false;
    lights.Apply(choice, shininess, specular);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(LightValue(lights[i].name, GL_DIFFUSE), (Quad{0.5f, 0, 0, 0})) << i;
        EXPECT_EQ(LightValue(lights[i].name, GL_SPECULAR), (Quad{1, 0, 0, 0})) << i;
    }
    EXPECT_EQ(LightValue(GL_LIGHT7, GL_AMBIENT), (Quad{0.2f, 0, 0, 0}));
    EXPECT_EQ(LightValue(GL_LIGHT4, GL_POSITION), (Quad{0, 0, -1, 0}));
    EXPECT_FLOAT_EQ(shininess, 11 * 1.28f); // 15 shows as 11 % and goes back as such

    lights.On();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT4) && glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2) || glIsEnabled(GL_LIGHT7));
    lights.Off();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT4) || glIsEnabled(GL_LIGHT1));
}

TEST(LightSetTest, WindowValuesSurviveApplyAndReopen) {
    TestContext();
    LightNames names;
    LightSet lights(names);
    float shininess = 15.0f, specular[4] = {0.3f, 0.3f, 0.3f, 0.7f}, material[4];
    LightingChoice choice;
    choice.shinyPercent = 100;
    choice.specularPercent = 5; // 5 * 0.01f times 100 falls just short of 5
    lights.Apply(choice, shininess, specular);
    glGetMaterialfv(GL_BACK, GL_SHININESS, material);
    EXPECT_FLOAT_EQ(material[0], 128.0f);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, material);
    EXPECT_FLOAT_EQ(material[2], 0.05f);
    EXPECT_FLOAT_EQ(material[3], 0.7f); // alpha untouched
    EXPECT_EQ(lights.Choice(shininess, specular).shinyPercent, 100);
    EXPECT_EQ(lights.Choice(shininess, specular).specularPercent, 5);

    choice.shinyPercent = 10; // 12.8 times 0.78125 falls just short of 10
    lights.Apply(choice, shininess, specular);
    EXPECT_EQ(lights.Choice(shininess, specular).shinyPercent, 10);
}

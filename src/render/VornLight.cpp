// OpenGL lights of one context: name hand-out, loading, switching, and the Lighting window's
// state in and out.
#include "render/VornLight.h"

#include "core/VornError.h"

#include <GL/gl.h>

#include <algorithm>

namespace vorn {

namespace {

constexpr int kAmbientLight = 6;
constexpr int kDirectionalLights = 6;

void Set4(float target[4], float a, float b, float c, float d) {
    target[0] = a;
    target[1] = b;
    target[2] = c;
    target[3] = d;
}

// Truncates a value that came from an integer percent or colour level through float arithmetic.
// 29 % stored as 0.29f reads back as 28.999998; the small allowance gives 29 again, so that
// opening and applying the window repeatedly does not creep the values downwards.
int Truncate(float value) {
    return static_cast<int>(value + 1e-3f);
}

} // namespace

unsigned LightNames::Next() {
    if (m_used >= 8) {
        VORN_RAISE("VornLight", "Ehausted supply of OpenGL lights!");
    }
    return GL_LIGHT0 + static_cast<unsigned>(m_used++);
}

VornLight::VornLight(LightNames& names) : name(names.Next()) {}

void VornLight::Load() const {
    glLightfv(name, GL_POSITION, position);
    glLightfv(name, GL_AMBIENT, ambient);
    glLightfv(name, GL_DIFFUSE, diffuse);
    glLightfv(name, GL_SPECULAR, specular);
}

void VornLight::Enable() const {
    glEnable(name);
}

void VornLight::Disable() const {
    glDisable(name);
}

// Braced initialisers run in order, so the lights take the names in index order.
LightSet::LightSet(LightNames& names)
    : m_lights{VornLight(names), VornLight(names), VornLight(names), VornLight(names),
               VornLight(names), VornLight(names), VornLight(names)} {
    static const float kDirections[kCount][3] = {{0, 0, 1},  {1, 0, 0},  {0, 1, 0}, {0, 0, -1},
                                                 {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    for (int i = 0; i < kCount; ++i) {
        const float* d = kDirections[i];
        Set4(m_lights[i].position, d[0], d[1], d[2], 0.0f); // w = 0: at infinity
    }
    Reset();
}

void LightSet::Reset() {
    ResetColors();
    for (int i = 0; i < kCount; ++i)
        turnedOn[i] = i == 0 || i == kAmbientLight;
}

void LightSet::ResetColors() {
    for (int i = 0; i < kDirectionalLights; ++i) {
        Set4(m_lights[i].ambient, 0, 0, 0, 0);
        Set4(m_lights[i].diffuse, 0.5f, 0.5f, 0.5f, 0);
        Set4(m_lights[i].specular, 1, 1, 1, 0);
    }
    VornLight& ambient = m_lights[kAmbientLight];
    Set4(ambient.ambient, 0.2f, 0.2f, 0.2f, 0);
    Set4(ambient.diffuse, 0, 0, 0, 0);
    Set4(ambient.specular, 0, 0, 0, 0);
}

void LightSet::Load() const {
    for (const VornLight& light : m_lights) {
        light.Load();
    }
}

void LightSet::On() const {
    for (int i = 0; i < kCount; ++i) {
        if (turnedOn[i]) {
            m_lights[i].Enable();
        }
    }
}

void LightSet::Off() const {
    for (int i = 0; i < kCount; ++i) {
        if (turnedOn[i]) {
            m_lights[i].Disable();
        }
    }
}

LightingChoice LightSet::Choice(float matShininess, const float matSpecular[4]) const {
    LightingChoice choice;
    std::copy(turnedOn, turnedOn + kCount, choice.on);
    for (int k = 0; k < 3; ++k) {
        choice.color[k] = Truncate(m_lights[0].specular[k] * 255.0f);
    }
    choice.shinyPercent = Truncate(matShininess * 0.78125f); // 128 is 100 %
    choice.specularPercent = Truncate(matSpecular[0] * 100.0f);
    return choice;
}

void LightSet::Apply(const LightingChoice& choice, float& matShininess, float matSpecular[4]) {
    std::copy(choice.on, choice.on + kCount, turnedOn);
    float c[3];
    for (int k = 0; k < 3; ++k) {
        c[k] = static_cast<float>(std::clamp(choice.color[k], 0, 255)) / 255.0f;
    }
    for (int i = 0; i < kDirectionalLights; ++i) {
        Set4(m_lights[i].ambient, 0, 0, 0, m_lights[i].ambient[3]);
        Set4(m_lights[i].diffuse, 0.5f * c[0], 0.5f * c[1], 0.5f * c[2], m_lights[i].diffuse[3]);
        Set4(m_lights[i].specular, c[0], c[1], c[2], m_lights[i].specular[3]);
    }
    VornLight& ambient = m_lights[kAmbientLight];
    Set4(ambient.ambient, 0.2f * c[0], 0.2f * c[1], 0.2f * c[2], ambient.ambient[3]);
    Load();

    matShininess = static_cast<float>(std::clamp(choice.shinyPercent, 0, 100)) * 1.28f;
    const float specular = static_cast<float>(std::clamp(choice.specularPercent, 0, 100)) * 0.01f;
    std::fill(matSpecular, matSpecular + 3, specular); // the alpha stays
    LoadMaterial(matShininess, matSpecular);
}

void LoadMaterial(float matShininess, const float matSpecular[4]) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, matSpecular);
    // GL refuses exponents outside 0 to 128; a hand-edited setting must not leave the old one.
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(matShininess, 0.0f, 128.0f));
}

} // namespace vorn

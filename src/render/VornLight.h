// OpenGL lights: the ambient view light for lines and points, and the set of six directional
// lights plus an ambient light that solids are drawn with.
#pragma once

namespace vorn {

// Hands out the eight light names GL_LIGHT0 to GL_LIGHT7 of one context, never giving one back.
class LightNames {
public:
    // Raises VornError "Ehausted supply of OpenGL lights!" after eight names.
    unsigned Next();

private:
    int m_used = 0;
};

struct VornLight {
    explicit VornLight(LightNames& names);
    float ambient[4] = {0, 0, 0, 0};
    float diffuse[4] = {0, 0, 0, 0};
    float specular[4] = {0, 0, 0, 0};
    float position[4] = {0, 0, 0, 0}; // w = 0: a direction
    unsigned name;                    // GL_LIGHTn
    // Loads position, ambient, diffuse and specular into the light name.
    void Load() const;
    void Enable() const;
    void Disable() const;
};

// What the Lighting window edits and applies.
struct LightingChoice {
    bool on[7] = {true, false, false, false, false, false, true}; // by light index
    int color[3] = {255, 255, 255};                               // 0 to 255
    int shinyPercent = 11;
    int specularPercent = 30;
};

class LightSet {
public:
    // Index of the lights: 0 front (0, 0, 1), 1 right, 2 top, 3 back, 4 left, 5 bottom, 6 ambient.
    static constexpr int kCount = 7;
    explicit LightSet(LightNames& names);

    // Reset colours and switches (only the front and the ambient light on).
    void Reset();
    // Reset colours only: what "Restore Defaults" does, leaving the switches as they are.
    void ResetColors();
    void Load() const;
    // Enables (disables) every light whose switch is on.
    void On() const;
    void Off() const;
    // The window's state copied from the lights and the material (values truncated).
    LightingChoice Choice(float matShininess, const float matSpecular[4]) const;
    // Takes switches and colour from the choice, loads the lights, sets shininess and the first
    // three specular components and loads the material.
    void Apply(const LightingChoice& choice, float& matShininess, float matSpecular[4]);

    VornLight& operator[](int i) { return m_lights[i]; }
    const VornLight& operator[](int i) const { return m_lights[i]; }
    bool turnedOn[kCount];

private:
    VornLight m_lights[kCount];
};

// Front-and-back material: specular reflectance and shininess.
void LoadMaterial(float matShininess, const float matSpecular[4]);

} // namespace vorn

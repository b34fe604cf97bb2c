// The GLSL 1.20 sources of the sphere and cylinder impostors, for the shading state they
// reproduce.
#pragma once

#include <string>

namespace vorn {

// What of the fixed-function state a fragment shader is built for; the rest (light colours and
// directions, material, fog range and colour, the plane's equation) it reads from the built-in
// uniforms as the frame is drawn.
struct ShadingKey {
    unsigned litLights = 0; // bit i: GL_LIGHTi is on with a diffuse or specular colour
    bool fog = false;       // linear fog
    bool clip = false;      // clipping plane 0
    unsigned Code() const { return litLights | (fog ? 0x100u : 0u) | (clip ? 0x200u : 0u); }
};

// Spheres. Attributes, in order: a_center (x, y, z in the molecule's coordinates, radius in the
// same units), a_color (normalised bytes), a_corner (-1 or +1 along the screen's x and y).
// Uniforms: u_scale (molecule units to eye units), u_radius (unless negative it replaces each
// sphere's own radius), u_ambient (the ambient light of the scene and of every light that is
// on), u_toLight[8] and u_halfway[8] (per light, the unit direction toward it and the unit
// vector halfway between that and the direction toward the viewer, in eye coordinates), u_depth
// (the window depth of a point t in front of the eye is x + y / t, inside from z to w).
std::string SphereVertexShader();
std::string SphereFragmentShader(const ShadingKey& key);

// Open cylinders, coloured half and half. Attributes, in order: a_first, a_second (the ends),
// a_firstColor, a_secondColor, a_corner (-1 or +1 along the axis and across it on screen).
// Uniforms: u_scale, u_radius (molecule units), u_ambient, u_toLight, u_halfway, u_depth.
std::string CylinderVertexShader();
std::string CylinderFragmentShader(const ShadingKey& key);

} // namespace vorn

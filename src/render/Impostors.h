// Spheres and cylinders drawn as impostors: one quad each whose pixels compute the shape's depth
// and normal, from vertex buffers built once per change of the scene.
#pragma once

#include "render/ShaderProgram.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vorn {

struct Molecule;

// The impostors of one view's context. Drawing needs a current context with GLSL 1.20 whose
// fixed-function state the shaders reproduce (lighting with colour material, directional
// lights, linear fog, a perspective projection); where it is missing the draw calls return
// false having drawn nothing, and the caller draws polygons.
class ImpostorRenderer {
public:
    ImpostorRenderer();
    ~ImpostorRenderer();
    ImpostorRenderer(const ImpostorRenderer&) = delete;
    ImpostorRenderer& operator=(const ImpostorRenderer&) = delete;

    // The shown atoms of the molecule (hetero atoms only with its solvent flag) as spheres of
    // their own radii, or all of radius when it is not negative (Å), at their current
    // positions, in their colours, lit by the lights that are on. modelView: the molecule's 16
    // floats.
    bool DrawSpheres(const Molecule& mol, const float* modelView, float radius = -1);
    // Sticks and ball and stick: each shown bond of non-zero length as a cylinder of
    // stickRadius, split at its middle into its atoms' colours when the bond says so, then the
    // spheres of ballRadius. Draws all of it or none of it.
    bool DrawSticks(const Molecule& mol, const float* modelView, float stickRadius,
                    float ballRadius);

    // Whether the current context runs the shaders (decided on the first call, then kept).
    bool Available();
    // Makes the renderer judge the context by these version strings instead of asking it: a
    // test's way to stand in for a context without GLSL.
    void AssumeVersions(const std::string& glVersion, const std::string& glslVersion);
    // Why the shaders were refused, once Available() said no.
    const std::string& Refusal() const { return m_refusal; }

    // A new context: the programs and buffers of the last one went with it, and whether this one
    // runs the shaders is asked again.
    void ContextChanged();
    // Drops the buffers of every molecule not listed (they are freed at the next draw, when the
    // context is current).
    void Keep(const std::vector<const Molecule*>& molecules);
    // How many vertex buffers were filled so far: spheres and cylinders count apart.
    int BuffersFilled() const { return m_buffersFilled; }

    // The state one draw reproduces (Impostors.cpp).
    struct Frame;

private:
    struct MoleculeBuffers;
    MoleculeBuffers& BuffersOf(const Molecule& mol);
    bool ReadyFor(const Molecule& mol, bool cylinders, MoleculeBuffers*& buffers);
    bool Begin(const float* modelView, Frame& frame);
    const ShaderProgram* ProgramFor(bool cylinders, unsigned code);
    void DrawBuffer(const MoleculeBuffers& b, const Frame& frame, float radius, bool cylinders);
    void FreeDropped();

    int m_available = -1; // -1 not yet asked
    std::string m_glVersion, m_glslVersion;
    bool m_versionsAssumed = false;
    std::string m_refusal;
    std::map<unsigned, ShaderProgram> m_spherePrograms, m_cylinderPrograms;
    std::vector<std::unique_ptr<MoleculeBuffers>> m_buffers;
    std::vector<unsigned> m_dropped; // buffer names to free
    int m_buffersFilled = 0;
};

} // namespace vorn

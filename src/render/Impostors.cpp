// Sphere and cylinder impostors: the fixed-function state the shaders stand in for, vertex
// buffers per molecule kept until the molecule's atoms or bonds change, and the draw calls.
// The OpenGL 1.5 and 2.0 entry points come straight from libGL, as in ShaderProgram.cpp; none is
// called before the context has said it runs OpenGL 2.0 with GLSL 1.20.
#define GL_GLEXT_PROTOTYPES 1
#include "render/Impostors.h"

#include "model/Molecule.h"
#include "model/MotionState.h"
#include "render/ImpostorShaders.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vorn {

namespace {

// What a molecule's buffers were built from: per atom its shown position, radius, colour and
// hetero flag; per bond its atoms and flags. Kept to see, frame by frame, whether anything
// changed (colours, radii, a trajectory frame, a turned torsion, the solvent flag).
struct AtomRecord {
    float x, y, z, radius;
    Rgba color;
    bool hetero;
};

struct BondRecord {
    int first, second;
    bool split, hetero;
};

struct SphereVertex {
    float center[4]; // x, y, z, radius
    Rgba color;
    std::int8_t corner[4]; // x, y: -1 or +1
};
static_assert(sizeof(SphereVertex) == 24, "sphere vertices are packed");

struct CylinderVertex {
    float first[3], second[3];
    Rgba firstColor, secondColor;
    std::int8_t corner[4]; // along, across: -1 or +1
};
static_assert(sizeof(CylinderVertex) == 36, "cylinder vertices are packed");

// The corners of a quad in counter-clockwise order on screen.
const std::int8_t kCorners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};

const std::vector<std::string> kSphereAttributes = {"a_center", "a_color", "a_corner"};
const std::vector<std::string> kCylinderAttributes = {"a_first", "a_second", "a_firstColor",
                                                      "a_secondColor", "a_corner"};

// Where each attribute above lies in its vertex, in the same order.
struct VertexField {
    GLint size;
    GLenum type;
    GLboolean normalised;
    std::size_t offset;
};
const std::vector<VertexField> kSphereFields = {
    {4, GL_FLOAT, GL_FALSE, offsetof(SphereVertex, center)},
    {4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(SphereVertex, color)},
    {2, GL_BYTE, GL_FALSE, offsetof(SphereVertex, corner)}};
const std::vector<VertexField> kCylinderFields = {
    {3, GL_FLOAT, GL_FALSE, offsetof(CylinderVertex, first)},
    {3, GL_FLOAT, GL_FALSE, offsetof(CylinderVertex, second)},
    {4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(CylinderVertex, firstColor)},
    {4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(CylinderVertex, secondColor)},
    {2, GL_BYTE, GL_FALSE, offsetof(CylinderVertex, corner)}};

// Bitwise, so that a coordinate that is not a number compares equal to itself.
bool SameFloat(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Hidden(bool hetero, bool solvent) {
    return hetero && !solvent;
}

// The unit vector along v, or nought when v has no length.
void Normalise(const float* v, float* unit) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int k = 0; k < 3; ++k)
        unit[k] = length > 0 ? v[k] / length : 0;
}

bool NonZero(const float* rgb) {
    return rgb[0] != 0 || rgb[1] != 0 || rgb[2] != 0;
}

// Fills a fresh buffer store of count vertices of type V through fill(V*), mapped rather than
// copied, so that a million atoms do not need the vertices twice. False when GL cannot give the
// store.
template <typename V, typename Fill>
bool FillBuffer(GLuint buffer, std::size_t count, Fill fill) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(V)), nullptr,
                 GL_STATIC_DRAW);
    bool filled = count == 0;
    if (count > 0) {
        if (auto* vertices = static_cast<V*>(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY))) {
            fill(vertices);
            filled = glUnmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE;
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return filled;
}

void AttributeArray(GLuint index, GLint size, GLenum type, GLboolean normalised, GLsizei stride,
                    std::size_t offset) {
    glVertexAttribPointer(index, size, type, normalised, stride,
                          reinterpret_cast<const void*>(offset));
    glEnableVertexAttribArray(index);
}

} // namespace

struct ImpostorRenderer::MoleculeBuffers {
    const Molecule* molecule = nullptr;
    std::vector<AtomRecord> atoms;
    bool solvent = true;
    bool atomsTaken = false;
    std::vector<BondRecord> bonds;
    bool bondsTaken = false;
    GLuint sphereBuffer = 0, cylinderBuffer = 0;
    GLsizei sphereVertices = 0, cylinderVertices = 0;
    bool spheresFilled = false, cylindersFilled = false;
    bool spheresOpaque = true, cylindersOpaque = true; // every colour drawn has alpha 255

    // Whether the atoms are as the buffers were built from; takes them when not.
    bool TakeAtoms(const Molecule& mol);
    bool TakeBonds(const Molecule& mol);
    bool FillSpheres();
    bool FillCylinders();
};

bool ImpostorRenderer::MoleculeBuffers::TakeAtoms(const Molecule& mol) {
    const ShownPositions pos(mol);
    const std::size_t n = mol.atoms.size();
    bool same = atomsTaken && solvent == mol.solvent && atoms.size() == n;
    for (std::size_t i = 0; same && i < n; ++i) {
        const Atom& a = mol.atoms[i];
        const float* p = pos[static_cast<int>(i)];
        const AtomRecord& r = atoms[i];
        same = SameFloat(r.x, p[0]) && SameFloat(r.y, p[1]) && SameFloat(r.z, p[2]) &&
               SameFloat(r.radius, a.radius) && r.color == a.color && r.hetero == a.hetero;
    }
    if (same)
        return true;
    atoms.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Atom& a = mol.atoms[i];
        const float* p = pos[static_cast<int>(i)];
        atoms[i] = {p[0], p[1], p[2], a.radius, a.color, a.hetero};
    }
    solvent = mol.solvent;
    atomsTaken = true;
    spheresFilled = cylindersFilled = false;
    return false;
}

bool ImpostorRenderer::MoleculeBuffers::TakeBonds(const Molecule& mol) {
    const std::size_t n = mol.bonds.size();
    bool same = bondsTaken && bonds.size() == n;
    for (std::size_t i = 0; same && i < n; ++i) {
        const Bond& b = mol.bonds[i];
        const BondRecord& r = bonds[i];
        same = r.first == b.first && r.second == b.second && r.split == b.split &&
               r.hetero == b.hetero;
    }
    if (same)
        return true;
    bonds.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Bond& b = mol.bonds[i];
        bonds[i] = {b.first, b.second, b.split, b.hetero};
    }
    bondsTaken = true;
    cylindersFilled = false;
    return false;
}

bool ImpostorRenderer::MoleculeBuffers::FillSpheres() {
    std::size_t shown = 0;
    spheresOpaque = true;
    for (const AtomRecord& a : atoms)
        if (!Hidden(a.hetero, solvent)) {
            ++shown;
            spheresOpaque = spheresOpaque && a.color.a == 255;
        }
    if (!sphereBuffer)
        glGenBuffers(1, &sphereBuffer);
    spheresFilled = FillBuffer<SphereVertex>(sphereBuffer, 4 * shown, [&](SphereVertex* v) {
        for (const AtomRecord& a : atoms) {
            if (Hidden(a.hetero, solvent))
                continue;
            for (const auto& corner : kCorners)
                *v++ = {{a.x, a.y, a.z, a.radius}, a.color, {corner[0], corner[1], 0, 0}};
        }
    });
    sphereVertices = spheresFilled ? static_cast<GLsizei>(4 * shown) : 0;
    return spheresFilled;
}

bool ImpostorRenderer::MoleculeBuffers::FillCylinders() {
    // Bonds between atoms at one place have no direction and are not drawn.
    std::vector<const BondRecord*> shown;
    shown.reserve(bonds.size());
    for (const BondRecord& b : bonds) {
        if (b.first < 0 || b.second < 0 || static_cast<std::size_t>(b.first) >= atoms.size() ||
            static_cast<std::size_t>(b.second) >= atoms.size() || Hidden(b.hetero, solvent))
            continue;
        const AtomRecord& p = atoms[static_cast<std::size_t>(b.first)];
        const AtomRecord& q = atoms[static_cast<std::size_t>(b.second)];
        const float dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
        if (std::sqrt(dx * dx + dy * dy + dz * dz) > 0)
            shown.push_back(&b);
    }
    cylindersOpaque = true;
    for (const BondRecord* b : shown)
        cylindersOpaque = cylindersOpaque &&
                          atoms[static_cast<std::size_t>(b->first)].color.a == 255 &&
                          (!b->split || atoms[static_cast<std::size_t>(b->second)].color.a == 255);
    if (!cylinderBuffer)
        glGenBuffers(1, &cylinderBuffer);
    cylindersFilled =
        FillBuffer<CylinderVertex>(cylinderBuffer, 4 * shown.size(), [&](CylinderVertex* v) {
            for (const BondRecord* b : shown) {
                const AtomRecord& p = atoms[static_cast<std::size_t>(b->first)];
                const AtomRecord& q = atoms[static_cast<std::size_t>(b->second)];
                // Without the split flag the whole bond takes the first atom's colour.
                const Rgba second = b->split ? q.color : p.color;
                for (const auto& corner : kCorners)
                    *v++ = {{p.x, p.y, p.z},
                            {q.x, q.y, q.z},
                            p.color,
                            second,
                            {corner[0], corner[1], 0, 0}};
            }
        });
    cylinderVertices = cylindersFilled ? static_cast<GLsizei>(4 * shown.size()) : 0;
    return cylindersFilled;
}

// The state one draw reproduces.
struct ImpostorRenderer::Frame {
    ShadingKey key;
    float ambient[3] = {0, 0, 0};
    float toLight[8][3] = {};      // unit, eye coordinates, per light
    float halfway[8][3] = {};      // unit, between toLight and the viewer's direction (0, 0, 1)
    float depth[4] = {0, 0, 0, 1}; // window depth x + y / t of a point t in front; z to w
    float scale = 1;               // molecule units to eye units
    bool blend = false;            // GL_BLEND is on
};

ImpostorRenderer::ImpostorRenderer() = default;

// The buffers and programs are left to the context, which may not be current now (see
// ShaderProgram); they go with it.
ImpostorRenderer::~ImpostorRenderer() = default;

void ImpostorRenderer::AssumeVersions(const std::string& glVersion,
                                      const std::string& glslVersion) {
    m_glVersion = glVersion;
    m_glslVersion = glslVersion;
    m_versionsAssumed = true;
    m_available = -1;
}

bool ImpostorRenderer::Available() {
    if (m_available >= 0)
        return m_available == 1;
    if (!m_versionsAssumed) {
        const auto* gl = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        m_glVersion = gl ? gl : "";
        // A context before OpenGL 2.0 does not know the name and gives nothing.
        const auto* glsl = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
        m_glslVersion = glsl ? glsl : "";
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    m_available = GlslUsable(m_glVersion.c_str(), m_glslVersion.c_str()) ? 1 : 0;
    if (!m_available)
        m_refusal = "OpenGL \"" + m_glVersion + "\" with GLSL \"" + m_glslVersion +
                    "\" cannot run GLSL 1.20 shaders";
    return m_available == 1;
}

void ImpostorRenderer::ContextChanged() {
    m_spherePrograms.clear();
    m_cylinderPrograms.clear();
    m_buffers.clear();
    m_dropped.clear();
    m_available = -1;
    m_refusal.clear();
}

void ImpostorRenderer::Keep(const std::vector<const Molecule*>& molecules) {
    auto dropped = [&](const std::unique_ptr<MoleculeBuffers>& b) {
        if (std::find(molecules.begin(), molecules.end(), b->molecule) != molecules.end())
            return false;
        for (GLuint name : {b->sphereBuffer, b->cylinderBuffer})
            if (name)
                m_dropped.push_back(name);
        return true;
    };
    m_buffers.erase(std::remove_if(m_buffers.begin(), m_buffers.end(), dropped), m_buffers.end());
}

void ImpostorRenderer::FreeDropped() {
    if (!m_dropped.empty())
        glDeleteBuffers(static_cast<GLsizei>(m_dropped.size()), m_dropped.data());
    m_dropped.clear();
}

ImpostorRenderer::MoleculeBuffers& ImpostorRenderer::BuffersOf(const Molecule& mol) {
    for (auto& b : m_buffers)
        if (b->molecule == &mol)
            return *b;
    m_buffers.push_back(std::make_unique<MoleculeBuffers>());
    m_buffers.back()->molecule = &mol;
    return *m_buffers.back();
}

bool ImpostorRenderer::ReadyFor(const Molecule& mol, bool cylinders, MoleculeBuffers*& buffers) {
    MoleculeBuffers& b = BuffersOf(mol);
    buffers = &b;
    b.TakeAtoms(mol);
    if (!b.spheresFilled) {
        if (!b.FillSpheres())
            return false;
        ++m_buffersFilled;
    }
    if (!cylinders)
        return true;
    b.TakeBonds(mol);
    if (!b.cylindersFilled) {
        if (!b.FillCylinders())
            return false;
        ++m_buffersFilled;
    }
    return true;
}

// Reads what the view set up for solids. Anything the shaders do not reproduce (no lighting,
// lights at a finite place, fog other than linear, a projection that is not a perspective one,
// other clipping planes, selection or feedback mode) leaves the drawing to the polygons.
bool ImpostorRenderer::Begin(const float* modelView, Frame& frame) {
    if (!Available())
        return false;
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode != GL_RENDER || !glIsEnabled(GL_LIGHTING) || !glIsEnabled(GL_COLOR_MATERIAL))
        return false;
    GLint tracked = 0, localViewer = 0, twoSided = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &tracked);
    glGetIntegerv(GL_LIGHT_MODEL_LOCAL_VIEWER, &localViewer);
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
    if (tracked != GL_AMBIENT_AND_DIFFUSE || localViewer || twoSided)
        return false;
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    if (p[3] != 0 || p[7] != 0 || p[11] != -1 || p[15] != 0 || p[12] != 0 || p[13] != 0)
        return false;
    frame.key.fog = glIsEnabled(GL_FOG);
    if (frame.key.fog) {
        GLint fogMode = 0;
        glGetIntegerv(GL_FOG_MODE, &fogMode);
        if (fogMode != GL_LINEAR)
            return false;
    }
    frame.key.clip = glIsEnabled(GL_CLIP_PLANE0);
    for (GLenum plane = GL_CLIP_PLANE1; plane <= GL_CLIP_PLANE5; ++plane)
        if (glIsEnabled(plane))
            return false;
    GLfloat ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    std::copy(ambient, ambient + 3, frame.ambient);
    for (unsigned i = 0; i < 8; ++i) {
        const GLenum light = GL_LIGHT0 + i;
        if (!glIsEnabled(light))
            continue;
        GLfloat position[4], diffuse[4], specular[4];
        glGetLightfv(light, GL_POSITION, position);
        if (position[3] != 0)
            return false;
        glGetLightfv(light, GL_AMBIENT, ambient);
        glGetLightfv(light, GL_DIFFUSE, diffuse);
        glGetLightfv(light, GL_SPECULAR, specular);
        for (int k = 0; k < 3; ++k)
            frame.ambient[k] += ambient[k];
        if (!NonZero(diffuse) && !NonZero(specular))
            continue; // an ambient light: nothing to add per pixel
        frame.key.litLights |= 1u << i;
        // A direction of no length lights nothing, as the fixed-function pipeline would.
        Normalise(position, frame.toLight[i]);
        const float half[3] = {frame.toLight[i][0], frame.toLight[i][1], frame.toLight[i][2] + 1};
        Normalise(half, frame.halfway[i]);
    }
    // With w = -z the depth of a point t in front of the eye is -p22 + p32 / t in normalised
    // device coordinates, mapped onto the depth range.
    GLfloat range[2];
    glGetFloatv(GL_DEPTH_RANGE, range);
    const float half = (range[1] - range[0]) / 2;
    frame.depth[0] = (range[0] + range[1]) / 2 - half * p[10];
    frame.depth[1] = half * p[14];
    frame.depth[2] = std::min(range[0], range[1]);
    frame.depth[3] = std::max(range[0], range[1]);
    frame.blend = glIsEnabled(GL_BLEND);
    const float* m = modelView;
    frame.scale = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    FreeDropped();
    return true;
}

const ShaderProgram* ImpostorRenderer::ProgramFor(bool cylinders, unsigned code) {
    auto& programs = cylinders ? m_cylinderPrograms : m_spherePrograms;
    auto found = programs.find(code);
    if (found == programs.end()) {
        ShadingKey key;
        key.litLights = code & 0xFFu;
        key.fog = code & 0x100u;
        key.clip = code & 0x200u;
        ShaderProgram program =
            cylinders
                ? ShaderProgram(CylinderVertexShader(), CylinderFragmentShader(key),
                                kCylinderAttributes)
                : ShaderProgram(SphereVertexShader(), SphereFragmentShader(key), kSphereAttributes);
        found = programs.emplace(code, std::move(program)).first;
    }
    if (found->second.Valid())
        return &found->second;
    // A driver that refuses the shaders refuses them every time: polygons from now on.
    m_available = 0;
    m_refusal = found->second.Log();
    return nullptr;
}

namespace {

using ImpostorFrame = ImpostorRenderer::Frame;

// The program's uniforms for one draw, and the clipping plane off while it draws: the shaders
// test the plane at each hit instead of at the quad's corners. Blending is off for opaque
// colours: it would change nothing but cost a read of every pixel drawn.
class ProgramInUse {
public:
    ProgramInUse(const ShaderProgram& program, const ImpostorFrame& frame, float radius,
                 bool opaque)
        : m_clip(frame.key.clip), m_unblended(frame.blend && opaque) {
        program.Use();
        glUniform4fv(program.Uniform("u_depth"), 1, frame.depth);
        if (m_unblended)
            glDisable(GL_BLEND);
        glUniform1f(program.Uniform("u_scale"), frame.scale);
        glUniform1f(program.Uniform("u_radius"), radius);
        glUniform3fv(program.Uniform("u_ambient"), 1, frame.ambient);
        glUniform3fv(program.Uniform("u_toLight"), 8, &frame.toLight[0][0]);
        glUniform3fv(program.Uniform("u_halfway"), 8, &frame.halfway[0][0]);
        if (m_clip)
            glDisable(GL_CLIP_PLANE0);
    }
    ~ProgramInUse() {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glUseProgram(0);
        if (m_clip)
            glEnable(GL_CLIP_PLANE0);
        if (m_unblended)
            glEnable(GL_BLEND);
    }
    ProgramInUse(const ProgramInUse&) = delete;
    ProgramInUse& operator=(const ProgramInUse&) = delete;

private:
    bool m_clip;
    bool m_unblended;
};

} // namespace

void ImpostorRenderer::DrawBuffer(const MoleculeBuffers& b, const Frame& frame, float radius,
                                  bool cylinders) {
    const ShaderProgram* program = ProgramFor(cylinders, frame.key.Code());
    const GLsizei vertices = cylinders ? b.cylinderVertices : b.sphereVertices;
    if (!program || vertices == 0)
        return;
    const ProgramInUse use(*program, frame, radius,
                           cylinders ? b.cylindersOpaque : b.spheresOpaque);
    glBindBuffer(GL_ARRAY_BUFFER, cylinders ? b.cylinderBuffer : b.sphereBuffer);
    const std::vector<VertexField>& fields = cylinders ? kCylinderFields : kSphereFields;
    const GLsizei stride = cylinders ? sizeof(CylinderVertex) : sizeof(SphereVertex);
    for (GLuint i = 0; i < fields.size(); ++i)
        AttributeArray(i, fields[i].size, fields[i].type, fields[i].normalised, stride,
                       fields[i].offset);
    glDrawArrays(GL_QUADS, 0, vertices);
    for (GLuint i = 0; i < fields.size(); ++i)
        glDisableVertexAttribArray(i);
}

bool ImpostorRenderer::DrawSpheres(const Molecule& mol, const float* modelView, float radius) {
    Frame frame;
    MoleculeBuffers* b = nullptr;
    if (!Begin(modelView, frame) || !ProgramFor(false, frame.key.Code()) ||
        !ReadyFor(mol, false, b))
        return false;
    DrawBuffer(*b, frame, radius, false);
    return true;
}

bool ImpostorRenderer::DrawSticks(const Molecule& mol, const float* modelView, float stickRadius,
                                  float ballRadius) {
    Frame frame;
    MoleculeBuffers* b = nullptr;
    if (!Begin(modelView, frame) || !ProgramFor(false, frame.key.Code()) ||
        !ProgramFor(true, frame.key.Code()) || !ReadyFor(mol, true, b))
        return false;
    DrawBuffer(*b, frame, stickRadius, true);
    DrawBuffer(*b, frame, ballRadius, false);
    return true;
}

} // namespace vorn

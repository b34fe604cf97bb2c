// The surface pass of a molecule: the mesh from vertex, normal and index arrays under the solid
// lights, filled, as lines or as points, optionally cut by the clipping plane alone.
#include "render/SurfaceDrawing.h"

#include "model/Molecule.h"
#include "render/Representations.h"
#include "render/ViewParameters.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

namespace vorn {

namespace {

static_assert(sizeof(Rgba) == 4, "colours are handed to GL as four bytes each");

// Every vertex in the colour of its atom, with the surface's alpha when that is below opaque (the
// atoms keep their own). One colour per vertex gives what setting the colour whenever the owner
// atom changes gives, as a single array.
const std::vector<Rgba>& VertexColors(const Molecule& mol) {
    static thread_local std::vector<Rgba> colors;
    const SurfaceMesh& s = mol.surface;
    const Rgba uniform{s.uniformColor[0], s.uniformColor[1], s.uniformColor[2], s.uniformColor[3]};
    colors.resize(s.vertexAtom.size());
    for (size_t v = 0; v < s.vertexAtom.size(); ++v) {
        const int atom = s.vertexAtom[v];
        // An atom that has gone since the build leaves its vertices in the surface colour.
        Rgba c = atom >= 0 && atom < mol.AtomCount() ? mol.atoms[size_t(atom)].color : uniform;
        if (s.alpha < 255)
            c.a = s.alpha;
        colors[v] = c;
    }
    return colors;
}

// The arrays agree with one another: one normal and one atom per vertex.
bool Consistent(const SurfaceMesh& s) {
    return s.normals.size() == s.vertices.size() &&
           s.vertexAtom.size() == static_cast<size_t>(s.VertexCount()) &&
           s.triangles.size() % 3 == 0;
}

void DrawMesh(const Molecule& mol) {
    const SurfaceMesh& s = mol.surface;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, s.vertices.data());
    glNormalPointer(GL_FLOAT, 0, s.normals.data());
    if (s.drawStyle == kMeshSurface)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    else if (s.drawStyle == kDotSurface)
        glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    if (s.colorByAtom) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, VertexColors(mol).data());
    } else {
        glColor4ub(s.uniformColor[0], s.uniformColor[1], s.uniformColor[2], s.uniformColor[3]);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(s.triangles.size()), GL_UNSIGNED_INT,
                   s.triangles.data());
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

} // namespace

static_assert(sizeof(int) == sizeof(GLuint), "triangle indices go to GL as unsigned ints");

SurfaceOptions SurfaceOptionsOf(const SurfaceMesh& mesh) {
    SurfaceOptions o;
    o.quality = mesh.Quality();
    o.probeRadius = mesh.probeRadius;
    o.includeSolvent = mesh.includeSolvent;
    o.colorByAtom = mesh.colorByAtom;
    o.alpha = mesh.alpha;
    o.uniformColor = mesh.uniformColor;
    return o;
}

void SetSurfaceOptions(SurfaceMesh& mesh, const SurfaceOptions& options) {
    mesh.SetQuality(options.quality);
    mesh.probeRadius = std::clamp(options.probeRadius, 0.0f, 3.0f);
    mesh.includeSolvent = options.includeSolvent;
    mesh.colorByAtom = options.colorByAtom;
    mesh.alpha = options.alpha;
    mesh.uniformColor = options.uniformColor;
}

void DrawSurface(const Molecule& mol, const DrawContext& dc) {
    const SurfaceMesh& s = mol.surface;
    if (!s.valid || s.triangles.empty() || !Consistent(s))
        return;
    const ViewParameters& p = dc.params;
    const bool surfaceOnly = p.clipSurface && !p.clipView;
    const bool clipping = p.clipSurface || p.clipView;
    if (surfaceOnly)
        glEnable(GL_CLIP_PLANE0);
    if (clipping) {
        // A cut surface shows its inside: back faces are drawn and lit from their own side.
        glDisable(GL_CULL_FACE);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    }
    BeginSolids(dc);
    glLineWidth(p.lineWidth);
    glPointSize(p.lineWidth); // dots as thick as the mesh lines
    DrawMesh(mol);
    if (clipping) {
        glEnable(GL_CULL_FACE);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    }
    if (surfaceOnly)
        glDisable(GL_CLIP_PLANE0);
    EndSolids(dc);
}

} // namespace vorn

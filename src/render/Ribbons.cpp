// Traces, ribbons and tubes along each chain's backbone. Lines take their colours flat under the
// view light, ribbons and tubes are lit by the solid lights. Every piece of backbone goes to GL
// as vertex arrays, rebuilt for each frame from the positions shown: a 100,000-atom protein makes
// close to a million tube vertices, and a call per vertex would cost more than drawing them.
#include "render/Ribbons.h"

#include "model/Elements.h"
#include "render/Primitives.h"
#include "render/Representations.h"
#include "render/SplineCursor.h"
#include "render/ViewParameters.h"
#include "render/VornLight.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace vorn {

namespace {

struct Profile {
    float width, thickness; // half-width and half-thickness, Å
};

Profile ByStructure(int code) {
    switch (code) {
    case kAlphaHelix:
    case kBulge:
        return {1.0f, 0.5f};
    case kStrand:
        return {2.0f, 0.5f};
    case kNucleicHelix:
        return {2.5f, 0.5f};
    default:
        return {0.2f, 0.2f};
    }
}

// A round tube from 0.2 Å (the smallest value of the molecule) to 2.2 Å (the largest). The
// molecule's range is that of the values' magnitudes, so a negative value is held at the bottom.
Profile ByValue(double value, double min, double max) {
    const double f = std::clamp(Normalize(value, min, max), 0.0, 1.0);
    const float r = static_cast<float>(2 * (f + 0.1));
    return {r, r};
}

void Emit(BackboneMesh& mesh, const Vec3f& v, const Rgba& color) {
    mesh.vertices.insert(mesh.vertices.end(), v.begin(), v.end());
    mesh.colors.push_back(color);
}

void Emit(BackboneMesh& mesh, const Vec3f& v, const Vec3f& normal, const Rgba& color) {
    Emit(mesh, v, color);
    mesh.normals.insert(mesh.normals.end(), normal.begin(), normal.end());
}

// Closes the primitive of the vertices emitted since first, unless there are none.
void Close(BackboneMesh& mesh, unsigned mode, int first) {
    if (mesh.VertexCount() > first)
        mesh.primitives.push_back({mode, first, mesh.VertexCount() - first, false});
}

const Rgba& ColorOf(const Molecule& mol, int atom) {
    return mol.atoms[static_cast<std::size_t>(atom)].color;
}

// Calls f(chain, piece) for every unbroken piece of every chain of at least two residues.
template <typename F>
void ForEachPiece(const Molecule& mol, const ShownPositions& positions, F f) {
    for (int c = 0; c < static_cast<int>(mol.chains.size()); ++c)
        if (mol.chains[static_cast<std::size_t>(c)].residues.size() >= 2)
            for (BackbonePiece& piece : BackbonePieces(mol, c, positions))
                f(c, std::move(piece));
}

// A cursor over a piece as the molecule shows it. The view's own values are never out of range;
// a resolution read from a damaged settings file is held at 0 rather than raise in a paint.
SplineCursor CursorOver(const Molecule& mol, int chain, BackbonePiece piece,
                        const Resolution& res) {
    return SplineCursor(mol, chain, std::max(0, res.splineRes), res.splineTension, mol.currentFrame,
                        std::move(piece));
}

// The colour of the band of a ribbon that ends at point p: it changes halfway between two alpha
// carbons.
const Rgba& BandColor(const Molecule& mol, const RibbonPoint& p) {
    return ColorOf(mol, p.t >= 0.5f ? p.nextAtom : p.atom);
}

// The closed ring of the cross-section: 2R + 1 pairs (cos, -sin) of k·π / R, the last equal to
// the first.
struct Ring {
    explicit Ring(int r) : c(static_cast<std::size_t>(2 * r + 1)), s(c.size()) {
        c[0] = 1, s[0] = 0;
        for (int k = 1; k < r; ++k) {
            const double angle = k * M_PI / r;
            c[k] = static_cast<float>(std::cos(angle)), s[k] = static_cast<float>(-std::sin(angle));
            c[r + k] = -c[k], s[r + k] = -s[k];
        }
        c[r] = -1, s[r] = 0;
        c[2 * r] = 1, s[2 * r] = 0;
    }
    // The offset of ring point k from the centre of the cross-section p (thickness negated for
    // the end cap, which winds the other way).
    Vec3f Offset(const RibbonPoint& p, std::size_t k, float side = 1) const {
        return Add(Scale(p.width, c[k]), Scale(p.thickness, side * s[k]));
    }
    // Points of the closed ring; the last is the first again and is never stored twice.
    std::size_t Count() const { return c.size(); }
    unsigned Distinct() const { return static_cast<unsigned>(c.size() - 1); }
    std::vector<float> c, s;
};

void CloseIndexed(BackboneMesh& mesh, unsigned mode, int first) {
    const int count = static_cast<int>(mesh.indices.size()) - first;
    if (count > 0)
        mesh.primitives.push_back({mode, first, count, true});
}

// A cap over the cross-section at p: a fan around its centre facing along the tangent.
void Cap(BackboneMesh& mesh, const Ring& ring, const RibbonPoint& p, float side,
         const Rgba& color) {
    const Vec3f normal = Scale(p.tangent, side);
    const auto centre = static_cast<unsigned>(mesh.VertexCount());
    const int first = static_cast<int>(mesh.indices.size());
    Emit(mesh, p.position, normal, color);
    for (unsigned k = 0; k < ring.Distinct(); ++k)
        Emit(mesh, Add(p.position, ring.Offset(p, k, -side)), normal, color);
    mesh.indices.push_back(centre);
    for (unsigned k = 0; k < ring.Count(); ++k)
        mesh.indices.push_back(centre + 1 + k % ring.Distinct());
    CloseIndexed(mesh, GL_TRIANGLE_FAN, first);
}

// The ring of the cross-section at p in one colour, each point with its outward normal; returns
// the index of its first vertex.
unsigned RingVertices(BackboneMesh& mesh, const Ring& ring, const RibbonPoint& p,
                      const Rgba& color) {
    const auto first = static_cast<unsigned>(mesh.VertexCount());
    for (unsigned k = 0; k < ring.Distinct(); ++k) {
        const Vec3f offset = ring.Offset(p, k);
        Emit(mesh, Add(p.position, offset), offset, color);
    }
    return first;
}

// One triangle strip joins each ring to the next, band by band. A band takes one colour; a ring
// between bands of the same colour serves both and is stored again only where the colour
// changes, about half the vertices of storing both rings of every band.
void SolidPiece(const Molecule& mol, SplineCursor cursor, const Ring& ring, BackboneMesh& mesh) {
    RibbonPoint previous, point;
    if (!cursor.Next(previous))
        return;
    Rgba color = ColorOf(mol, previous.atom);
    Cap(mesh, ring, previous, -1, color);
    unsigned before = RingVertices(mesh, ring, previous, color);
    const int first = static_cast<int>(mesh.indices.size());
    while (cursor.Next(point)) {
        const Rgba& band = BandColor(mol, point);
        if (band != color)
            before = RingVertices(mesh, ring, previous, band);
        color = band;
        const unsigned after = RingVertices(mesh, ring, point, color);
        for (unsigned k = 0; k < ring.Count(); ++k) {
            const unsigned j = k % ring.Distinct();
            mesh.indices.push_back(before + j);
            mesh.indices.push_back(after + j);
        }
        before = after;
        previous = point;
    }
    CloseIndexed(mesh, GL_TRIANGLE_STRIP, first);
    Cap(mesh, ring, previous, +1, color);
}

void FlatPiece(const Molecule& mol, SplineCursor cursor, BackboneMesh& mesh) {
    RibbonPoint previous, point;
    if (!cursor.Next(previous))
        return;
    const int first = mesh.VertexCount();
    while (cursor.Next(point)) {
        const Rgba& color = BandColor(mol, point);
        Emit(mesh, Add(previous.position, previous.width), previous.thickness, color);
        Emit(mesh, Sub(previous.position, previous.width), previous.thickness, color);
        Emit(mesh, Add(point.position, point.width), point.thickness, color);
        Emit(mesh, Sub(point.position, point.width), point.thickness, color);
        previous = point;
    }
    Close(mesh, GL_QUAD_STRIP, first);
}

void DrawArrays(const BackboneMesh& mesh) {
    if (mesh.primitives.empty())
        return;
    const bool lit = !mesh.normals.empty();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.vertices.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.colors.data());
    if (lit) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    }
    for (const BackboneMesh::Primitive& p : mesh.primitives) {
        if (p.indexed)
            glDrawElements(p.mode, p.count, GL_UNSIGNED_INT,
                           mesh.indices.data() + static_cast<std::size_t>(p.first));
        else
            glDrawArrays(p.mode, p.first, p.count);
    }
    if (lit)
        glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawLines(const BackboneMesh& mesh, const DrawContext& dc) {
    dc.viewLight.Enable();
    glLineWidth(dc.params.lineWidth);
    DrawArrays(mesh);
}

void DrawSolid(const BackboneMesh& mesh, const DrawContext& dc) {
    BeginSolids(dc);
    DrawArrays(mesh);
    EndSolids(dc);
}

// A ribbon without thickness shows both faces, lit on either side.
void DrawFlat(const BackboneMesh& mesh, const DrawContext& dc) {
    glDisable(GL_CULL_FACE);
    BeginSolids(dc);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    DrawArrays(mesh);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    glEnable(GL_CULL_FACE);
    EndSolids(dc);
}

// Sticks from each alpha carbon to the next, in the first one's colour, and a ball at each.
void DrawTraceSticks(const Molecule& mol, const DrawContext& dc) {
    const ShownPositions pos(mol);
    const float r = dc.params.stickRadius;
    BeginSolids(dc);
    ForEachPiece(mol, pos, [&](int chain, const BackbonePiece& piece) {
        const std::vector<Residue>& residues = mol.chains[static_cast<std::size_t>(chain)].residues;
        auto alphaCarbon = [&](std::size_t j) {
            return residues[static_cast<std::size_t>(piece[j])].caIndex;
        };
        for (std::size_t j = 0; j + 1 < piece.size(); ++j) {
            const float* a = pos[alphaCarbon(j)];
            const float* b = pos[alphaCarbon(j + 1)];
            const float length = Length(Sub(At(b), At(a)));
            if (!(length > 0)) // pieces leave stacked residues out; a stick needs a direction
                continue;
            glPushMatrix();
            OrientAlong(a, b, length);
            glScalef(r, r, 10 * length); // the list is 0.1 long
            const Rgba& c = ColorOf(mol, alphaCarbon(j));
            glColor4ub(c.r, c.g, c.b, c.a);
            dc.primitives.Draw(kBondCylinder);
            glPopMatrix();
        }
        for (std::size_t j = 0; j < piece.size(); ++j) {
            const Rgba& c = ColorOf(mol, alphaCarbon(j));
            glColor4ub(c.r, c.g, c.b, c.a);
            FacingHemisphere(dc, pos[alphaCarbon(j)], dc.params.ballRadius, kAtomHemisphere);
        }
    });
    EndSolids(dc);
}

} // namespace

void SetRibbonProfile(Molecule& mol, int mode) {
    if (mode < kSolidRibbon || mode > kOccupancyTube)
        return;
    for (Chain& chain : mol.chains) {
        for (Residue& r : chain.residues) {
            Profile p = {0.5f, 0.5f};
            const bool hasAlphaCarbon = r.caIndex >= 0 && r.caIndex < mol.AtomCount();
            const Atom* ca =
                hasAlphaCarbon ? &mol.atoms[static_cast<std::size_t>(r.caIndex)] : nullptr;
            if (mode == kSolidRibbon || mode == kFlatRibbon)
                p = ByStructure(r.structure);
            else if (mode == kTemperatureTube)
                p = ByValue(ca ? ca->tempFactor : mol.tempMax, mol.tempMin, mol.tempMax);
            else if (mode == kOccupancyTube)
                p = ByValue(ca ? ca->occupancy : mol.occMax, mol.occMin, mol.occMax);
            r.profileA = p.width;
            r.profileB = p.thickness;
        }
    }
}

void BackboneMesh::Clear() {
    vertices.clear();
    normals.clear();
    colors.clear();
    indices.clear();
    primitives.clear();
}

void BuildTraceWireFrame(const Molecule& mol, BackboneMesh& mesh) {
    mesh.Clear();
    const ShownPositions pos(mol);
    ForEachPiece(mol, pos, [&](int chain, const BackbonePiece& piece) {
        if (piece.size() < 2)
            return;
        const int first = mesh.VertexCount();
        for (int r : piece) {
            const int ca = mol.chains[static_cast<std::size_t>(chain)]
                               .residues[static_cast<std::size_t>(r)]
                               .caIndex;
            Emit(mesh, At(pos[ca]), ColorOf(mol, ca));
        }
        Close(mesh, GL_LINE_STRIP, first);
    });
}

void BuildSplineTrace(const Molecule& mol, const Resolution& res, BackboneMesh& mesh) {
    mesh.Clear();
    ForEachPiece(mol, ShownPositions(mol), [&](int chain, BackbonePiece piece) {
        SplineCursor cursor = CursorOver(mol, chain, std::move(piece), res);
        const int first = mesh.VertexCount();
        TracePoint p;
        while (cursor.Next(p))
            Emit(mesh, p.position, ColorOf(mol, p.atom));
        Close(mesh, GL_LINE_STRIP, first);
    });
}

void BuildSolidRibbon(const Molecule& mol, const Resolution& res, BackboneMesh& mesh) {
    mesh.Clear();
    const Ring ring(std::max(1, res.ribbonRes));
    ForEachPiece(mol, ShownPositions(mol), [&](int chain, BackbonePiece piece) {
        SolidPiece(mol, CursorOver(mol, chain, std::move(piece), res), ring, mesh);
    });
}

void BuildFlatRibbon(const Molecule& mol, const Resolution& res, BackboneMesh& mesh) {
    mesh.Clear();
    ForEachPiece(mol, ShownPositions(mol), [&](int chain, BackbonePiece piece) {
        FlatPiece(mol, CursorOver(mol, chain, std::move(piece), res), mesh);
    });
}

bool DrawBackbone(const Molecule& mol, const DrawContext& dc) {
    static thread_local BackboneMesh mesh;
    const Resolution& res = dc.params.res;
    switch (mol.renderMode) {
    case kTraceSticks:
        DrawTraceSticks(mol, dc);
        return true;
    case kTraceWireFrame:
        BuildTraceWireFrame(mol, mesh);
        DrawLines(mesh, dc);
        return true;
    case kSpline:
        BuildSplineTrace(mol, res, mesh);
        DrawLines(mesh, dc);
        return true;
    case kSolidRibbon:
    case kTube:
    case kTemperatureTube:
    case kOccupancyTube:
        BuildSolidRibbon(mol, res, mesh);
        DrawSolid(mesh, dc);
        return true;
    case kFlatRibbon:
        BuildFlatRibbon(mol, res, mesh);
        DrawFlat(mesh, dc);
        return true;
    default:
        return false;
    }
}

} // namespace vorn

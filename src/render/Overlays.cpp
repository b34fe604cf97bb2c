// Labels, axes, monitors, the torsion-bond marker, hydrogen bonds and measurement markers.
#include "render/Overlays.h"

#include "analysis/HydrogenBonds.h"
#include "analysis/MeasureTable.h"
#include "analysis/TorsionBond.h"
#include "core/Vec3.h"
#include "model/Molecule.h"
#include "render/Primitives.h"
#include "render/Representations.h"
#include "render/VornLight.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vorn {

namespace {

// Radii and lengths of the annotation solids, Å.
constexpr float kAxisRadius = 0.075f;
constexpr float kAxisHeadRadius = 0.15f;
constexpr float kAxisShaft = 0.75f; // of the axis length; the head takes the rest
constexpr float kMonitorBall = 0.15f;
constexpr float kMonitorRod = 0.075f;
constexpr float kMeasureBall = 0.4f;
constexpr std::uint8_t kMeasureAlpha = 150;
// The cylinder, cone and disk lists are 0.1 long: a scale of 10·L makes them L long.
constexpr float kPerListLength = 10.0f;
constexpr int kHydrogenBondDashes = 6;

void BackgroundComplement(const ViewParameters& p) {
    glColor3f(1 - p.backgroundColor[0], 1 - p.backgroundColor[1], 1 - p.backgroundColor[2]);
}

bool ValidAtom(const Molecule& mol, int atom) {
    return atom >= 0 && atom < mol.AtomCount();
}

// One axis along +z of the current frame: a shaft and a cone on a disk.
void DrawAxis(const DrawContext& dc, float length) {
    glPushMatrix();
    glScalef(kAxisRadius, kAxisRadius, kPerListLength * kAxisShaft * length);
    dc.primitives.Draw(kSelectionCylinder);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0, 0, kAxisShaft * length);
    glScalef(kAxisHeadRadius, kAxisHeadRadius, kPerListLength * (1 - kAxisShaft) * length);
    dc.primitives.Draw(kDisk);
    dc.primitives.Draw(kCone);
    glPopMatrix();
}

} // namespace

void DrawLabelText(const char* text, const float* p, int listBase) {
    glRasterPos3fv(p);
    glListBase(static_cast<GLuint>(listBase));
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glListBase(0);
}

// Bitmap text takes its colour from the raster position, which lighting and fog would change:
// the labels show the atom's own colour at any depth.
void DrawAtomLabels(const Molecule& mol, const DrawContext& dc) {
    const int base = dc.params.labelListBase;
    if (base <= 0)
        return; // no font
    glDisable(GL_LIGHTING);
    if (dc.params.depthCue)
        glDisable(GL_FOG);
    const ShownPositions pos(mol);
    char text[16];
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& a = mol.atoms[static_cast<std::size_t>(i)];
        std::snprintf(text, sizeof text, "%d", a.serial);
        glColor3ub(a.color.r, a.color.g, a.color.b);
        DrawLabelText(text, pos[i], base);
    }
    if (dc.params.depthCue)
        glEnable(GL_FOG);
    glEnable(GL_LIGHTING);
}

void DrawAxes(const DrawContext& dc, float length) {
    if (!(length > 0))
        return; // a molecule without extent (a lone atom) has no axes to show
    const ViewParameters& p = dc.params;
    BeginSolids(dc);
    glDisable(GL_CULL_FACE); // the heads' disks are seen from inside the cones
    if (p.clipView)
        glDisable(GL_CLIP_PLANE0);
    BackgroundComplement(p);
    const float origin[3] = {0, 0, 0};
    FacingHemisphere(dc, origin, kAxisRadius, kSelectionHemisphere);
    // +z turned onto +x, then onto +y; z itself as it is.
    const float turns[3][4] = {{90, 0, 1, 0}, {-90, 1, 0, 0}, {0, 0, 0, 1}};
    for (const auto& t : turns) {
        glPushMatrix();
        glRotatef(t[0], t[1], t[2], t[3]);
        DrawAxis(dc, length);
        glPopMatrix();
    }
    dc.lights.Off();
    dc.viewLight.Enable();
    if (p.labelListBase > 0) {
        const float tips[3][3] = {{length, 0, 0}, {0, length, 0}, {0, 0, length}};
        const char* const letters[3] = {"X", "Y", "Z"};
        for (int k = 0; k < 3; ++k)
            DrawLabelText(letters[k], tips[k], p.labelListBase);
    }
    if (p.clipView)
        glEnable(GL_CLIP_PLANE0);
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    glEnable(GL_CULL_FACE);
}

void DrawMonitors(const Molecule& mol, const DrawContext& dc) {
    const ViewParameters& p = dc.params;
    const ShownPositions pos(mol);
    BeginSolids(dc);
    char text[16];
    for (const Monitor& m : mol.monitors) {
        if (!ValidAtom(mol, m.atomA) || !ValidAtom(mol, m.atomB))
            continue;
        const float* a = pos[m.atomA];
        const float* b = pos[m.atomB];
        glColor3ub(m.color.r, m.color.g, m.color.b);
        FacingHemisphere(dc, a, kMonitorBall, kAtomHemisphere);
        FacingHemisphere(dc, b, kMonitorBall, kAtomHemisphere);
        if (mol.monitorLabels && p.labelListBase > 0) {
            glDisable(GL_LIGHTING);
            BackgroundComplement(p);
            const float middle[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
            std::snprintf(text, sizeof text, "%d", m.kind);
            DrawLabelText(text, middle, p.labelListBase);
            glEnable(GL_LIGHTING);
        }
        const float length = Distance(a, b);
        if (!(length > 0))
            continue; // two atoms at one place: no direction for the rod
        glPushMatrix();
        OrientAlong(a, b, length);
        glScalef(kMonitorRod, kMonitorRod, kPerListLength * length);
        glColor3ub(m.color.r, m.color.g, m.color.b);
        dc.primitives.Draw(kBondCylinder);
        glPopMatrix();
    }
    EndSolids(dc);
}

void DrawTorsionMarker(const Molecule& mol, const TorsionBond& torsion, const DrawContext& dc) {
    if (torsion.GetMolecule() != &mol || !ValidAtom(mol, torsion.AtomA()) ||
        !ValidAtom(mol, torsion.AtomB()))
        return;
    const ShownPositions pos(mol);
    const float* a = pos[torsion.AtomA()];
    const float* b = pos[torsion.AtomB()];
    const float length = Distance(a, b);
    if (!(length > 0))
        return;
    const float middle[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
    const float u[3] = {(b[0] - a[0]) / length, (b[1] - a[1]) / length, (b[2] - a[2]) / length};
    BeginSolids(dc);
    glDisable(GL_CULL_FACE);
    glColor4fv(dc.params.selectionColor);
    glPushMatrix();
    glTranslatef(middle[0], middle[1], middle[2]);
    TurnZOnto(u);
    // The collar is 0.1 long, centred on the middle of the bond, closed by a disk at each end.
    glTranslatef(0, 0, -0.05f);
    dc.primitives.Draw(kDisk);
    dc.primitives.Draw(kSelectionCylinder);
    glTranslatef(0, 0, 0.1f);
    dc.primitives.Draw(kDisk);
    glPopMatrix();
    EndSolids(dc);
    glEnable(GL_CULL_FACE);
}

// Each end is placed by its own molecule's translation and rotation, as the search found it.
void DrawHydrogenBonds(const MoleculeList& molecules, const std::vector<HydrogenBond>& bonds,
                       const DrawContext& dc) {
    if (bonds.empty())
        return;
    std::vector<DisplayMap> maps;
    for (const auto& mol : molecules)
        maps.emplace_back(*mol);
    const auto place = [&maps](int molecule, int atom, Vec3f& out) {
        if (molecule < 0 || molecule >= static_cast<int>(maps.size()))
            return false;
        const DisplayMap& map = maps[static_cast<std::size_t>(molecule)];
        if (atom < 0 || atom >= map.Count())
            return false;
        const auto p = map.Position(atom);
        out = {float(p[0]), float(p[1]), float(p[2])};
        return true;
    };
    glLineWidth(dc.params.lineWidth);
    dc.lights.Off();
    dc.viewLight.Enable();
    glColor3fv(dc.params.hBondColor);
    glBegin(GL_LINES);
    for (const HydrogenBond& h : bonds) {
        Vec3f a, b;
        if (!place(h.donorMolecule, h.donorAtom, a) ||
            !place(h.acceptorMolecule, h.acceptorAtom, b))
            continue; // a record left from before the molecules changed
        // Twelve steps from a to b: a dash on every even one.
        const Vec3f step = Scale(Sub(b, a), 1.0f / (2 * kHydrogenBondDashes));
        for (int k = 0; k < 2 * kHydrogenBondDashes; k += 2) {
            glVertex3fv(Add(a, Scale(step, float(k))).data());
            glVertex3fv(Add(a, Scale(step, float(k + 1))).data());
        }
    }
    glEnd();
}

void DrawMeasureMarkers(const MeasureTable& table, const DrawContext& dc) {
    const int n = table.Count();
    if (n == 0)
        return;
    const ViewParameters& p = dc.params;
    glLineStipple(1, 0xF0F0);
    BeginSolids(dc);
    for (int i = 0; i < n; ++i) {
        const float at[3] = {table.x(i), table.y(i), table.z(i)};
        const Rgba c = table.Color(i);
        glColor4ub(c.r, c.g, c.b, kMeasureAlpha);
        FacingHemisphere(dc, at, kMeasureBall, kSelectionHemisphere);
    }
    EndSolids(dc);
    glEnable(GL_LINE_STIPPLE);
    glLineWidth(3.0f);
    glDisable(GL_LINE_SMOOTH);
    if (n >= 2) {
        glColor4fv(p.selectionColor);
        glBegin(GL_LINES);
        for (int i = 0; i + 1 < n; ++i) {
            glVertex3f(table.x(i), table.y(i), table.z(i));
            glVertex3f(table.x(i + 1), table.y(i + 1), table.z(i + 1));
        }
        glEnd();
    }
    if (p.lineAlias)
        glEnable(GL_LINE_SMOOTH);
    glDisable(GL_LINE_STIPPLE);
}

} // namespace vorn

// Atoms and bonds in the five atomic modes. Lines and points are drawn under the ambient view
// light so they show their colours flat; solids under the switched-on solid lights.
#include "render/Representations.h"

#include "core/Vec3.h"
#include "model/Molecule.h"
#include "render/Impostors.h"
#include "render/Primitives.h"
#include "render/VornLight.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

namespace vorn {

bool Hidden(const Molecule& mol, bool hetero) {
    return hetero && !mol.solvent;
}

void Color(const Rgba& c) {
    glColor4ub(c.r, c.g, c.b, c.a);
}

void FacingSphere(const DrawContext& dc, const float* p, float radius, const Rgba& c) {
    Color(c);
    FacingHemisphere(dc, p, radius, kAtomHemisphere);
}

float Distance(const float* a, const float* b) {
    return Length(Sub(At(b), At(a)));
}

void BeginSolids(const DrawContext& dc) {
    dc.viewLight.Disable();
    dc.lights.On();
    glEnable(GL_DITHER);
    if (dc.params.smooth3D)
        glShadeModel(GL_SMOOTH);
}

void EndSolids(const DrawContext& dc) {
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    dc.lights.Off();
    dc.viewLight.Enable();
}

// Rotates +z onto the unit vector u, about the axis z × u.
void TurnZOnto(const float* u) {
    const float degrees =
        static_cast<float>(std::acos(std::fmax(-1.0f, std::fmin(1.0f, u[2]))) * 57.2957795131);
    // Along ±z that axis vanishes; any axis in the xy plane turns +z onto -z.
    if (u[0] == 0 && u[1] == 0)
        glRotatef(degrees, 1, 0, 0);
    else
        glRotatef(degrees, -u[1], u[0], 0);
}

// A hemisphere list turned toward the eye: the molecule's rotation is undone, and in a stereo
// pass the eye's own turn too, so the open side faces away from the screen. Under perspective an
// atom off the middle of the window is seen from the side, so the cap is then turned from the
// viewing axis toward the eye itself; otherwise a crescent of the open side would show.
void FacingHemisphere(const DrawContext& dc, const float* p, float radius, int list) {
    const float* m = dc.modelView;
    Vec3f e;
    for (int i = 0; i < 3; ++i)
        e[i] = m[i] * p[0] + m[4 + i] * p[1] + m[8 + i] * p[2] + m[12 + i];
    glPushMatrix();
    glTranslatef(p[0], p[1], p[2]);
    glScalef(radius, radius, radius);
    glMultMatrixf(dc.inverseRotation);
    if (dc.eye != 0)
        glRotatef(-dc.eye * dc.params.stereoAngle, 0, 1, 0);
    // The eye is at the origin: turn +z onto -e.
    const float length = Length(e);
    if (length > 0) {
        const float toEye[3] = {-e[0] / length, -e[1] / length, -e[2] / length};
        TurnZOnto(toEye);
    }
    dc.primitives.Draw(list);
    glPopMatrix();
}

// Turns +z onto the direction a → b (of length length > 0) at a.
void OrientAlong(const float* a, const float* b, float length) {
    const float u[3] = {(b[0] - a[0]) / length, (b[1] - a[1]) / length, (b[2] - a[2]) / length};
    glTranslatef(a[0], a[1], a[2]);
    TurnZOnto(u);
}

static_assert(sizeof(Rgba) == 4, "colours are handed to GL as four bytes each");

// The lines go to GL as one vertex array: with tens of thousands of bonds a call per vertex
// costs as much as the drawing.
void DrawWireFrame(const Molecule& mol, const DrawContext& dc) {
    const ShownPositions pos(mol);
    static thread_local std::vector<float> vertices;
    static thread_local std::vector<Rgba> colors;
    vertices.clear();
    colors.clear();
    auto emit = [](const float* p, const Rgba& c) {
        vertices.insert(vertices.end(), p, p + 3);
        colors.push_back(c);
    };
    for (const Bond& b : mol.bonds) {
        if (Hidden(mol, b.hetero))
            continue;
        const float* p = pos[b.first];
        const float* q = pos[b.second];
        const Rgba& first = mol.atoms[static_cast<std::size_t>(b.first)].color;
        if (b.split) {
            const float m[3] = {(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2};
            const Rgba& second = mol.atoms[static_cast<std::size_t>(b.second)].color;
            emit(p, first), emit(m, first), emit(m, second), emit(q, second);
        } else {
            emit(p, first), emit(q, first);
        }
    }
    dc.viewLight.Enable();
    glLineWidth(dc.params.lineWidth);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(colors.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawCpk(const Molecule& mol, const DrawContext& dc) {
    BeginSolids(dc);
    if (dc.impostors && dc.impostors->DrawSpheres(mol, dc.modelView)) {
        EndSolids(dc);
        return;
    }
    const ShownPositions pos(mol);
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& a = mol.atoms[static_cast<std::size_t>(i)];
        if (!Hidden(mol, a.hetero))
            FacingSphere(dc, pos[i], a.radius, a.color);
    }
    EndSolids(dc);
}

void DrawPoints(const Molecule& mol, const DrawContext& dc) {
    const ShownPositions pos(mol);
    dc.lights.Off();
    dc.viewLight.Enable();
    glPointSize(2.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& a = mol.atoms[static_cast<std::size_t>(i)];
        if (Hidden(mol, a.hetero))
            continue;
        Color(a.color);
        glVertex3fv(pos[i]);
    }
    glEnd();
}

void DrawSticks(const Molecule& mol, const DrawContext& dc) {
    const ShownPositions pos(mol);
    const float r = dc.params.stickRadius;
    BeginSolids(dc);
    if (dc.impostors && dc.impostors->DrawSticks(mol, dc.modelView, r, dc.params.ballRadius)) {
        EndSolids(dc);
        return;
    }
    for (const Bond& b : mol.bonds) {
        const float length = Distance(pos[b.first], pos[b.second]);
        // Two atoms at one place have no bond to show, and no direction to turn a stick to.
        if (Hidden(mol, b.hetero) || !(length > 0))
            continue;
        glPushMatrix();
        OrientAlong(pos[b.first], pos[b.second], length);
        // The list is 0.1 long: 10·L covers the bond, 5·L one half.
        Color(mol.atoms[static_cast<std::size_t>(b.first)].color);
        if (b.split) {
            glScalef(r, r, 5 * length);
            dc.primitives.Draw(kBondCylinder);
            glTranslatef(0, 0, 0.1f);
            Color(mol.atoms[static_cast<std::size_t>(b.second)].color);
        } else {
            glScalef(r, r, 10 * length);
        }
        dc.primitives.Draw(kBondCylinder);
        glPopMatrix();
    }
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& a = mol.atoms[static_cast<std::size_t>(i)];
        if (!Hidden(mol, a.hetero))
            FacingSphere(dc, pos[i], dc.params.ballRadius, a.color);
    }
    EndSolids(dc);
}

bool DrawAtomsAndBonds(const Molecule& mol, const DrawContext& dc) {
    switch (mol.renderMode) {
    case kHideMolecule:
        return true;
    case kWireFrame:
        DrawWireFrame(mol, dc);
        return true;
    case kCpk:
        DrawCpk(mol, dc);
        return true;
    case kPoints:
        DrawPoints(mol, dc);
        return true;
    case kSticks:
    case kBallAndStick:
        DrawSticks(mol, dc);
        return true;
    default:
        return false;
    }
}

} // namespace vorn

// The clipping plane: its equation and axes, the GL plane for each render pass, the mouse drags,
// the translucent disk, and CPK spheres and points cut by it with caps on the cut spheres.
#include "render/ClipPlane.h"

#include "core/VornError.h"
#include "model/Molecule.h"
#include "render/GlCapability.h"
#include "render/Impostors.h"
#include "render/Representations.h"
#include "render/Trackball.h"
#include "render/ViewParameters.h"
#include "render/VornLight.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vorn {

namespace {

const char* const kSource = "ClipPlane";

// The eye sits this far in front of the scene's centre (scene units).
constexpr float kEyeDistance = 4.0f;
// The plane's centre stays within this distance of the origin (scene units).
constexpr float kMaxCenterDistance = 7.0f;
// The drawn disk: its radius (scene units) and the steps around its rim.
constexpr float kDiskRadius = 2.0f;
constexpr int kDiskSteps = 50;

Vec3f Normalised(const Vec3f& a) {
    const float length = Length(a);
    return length > 0 ? Scale(a, 1 / length) : a;
}

// A vector turned by the eye's angle (degrees) about the vertical axis, as glRotatef turns it.
Vec3f TurnedByEye(const Vec3f& a, float degrees) {
    const float t = degrees * static_cast<float>(M_PI / 180);
    const float c = std::cos(t), s = std::sin(t);
    return {c * a[0] + s * a[2], a[1], -s * a[0] + c * a[2]};
}

// A vector turned as the graphics library turns it by the matrix of q (which it reads column by
// column): the way a trackball step turns a molecule on screen.
Vec3f TurnedOnScreen(const Quaternion& q, const Vec3f& a) {
    const std::array<float, 16> m = QuaternionToMatrix(q);
    Vec3f out;
    for (size_t r = 0; r < 3; ++r)
        out[r] = m[r] * a[0] + m[4 + r] * a[1] + m[8 + r] * a[2];
    return out;
}

} // namespace

ClipPlane::ClipPlane() : name(GL_CLIP_PLANE0) {
    normal = Normalised(Vec3f{0, 0.1f, 1.0f});
    SetEquation();
    BuildAxes();
}

void ClipPlane::SetPlane(const Vec3f& point, const Vec3f& n, bool normalise) {
    Vec3f unit = n;
    if (normalise) {
        const float length2 = Dot(n, n);
        if (!(length2 > 0))
            VORN_RAISE(kSource, "Zero length normal vector!");
        unit = vorn::Scale(n, 1 / std::sqrt(length2));
    }
    center = point;
    normal = unit;
    SetEquation();
    BuildAxes();
}

void ClipPlane::SetEquation() {
    equation[0] = -normal[0];
    equation[1] = -normal[1];
    equation[2] = -normal[2];
    equation[3] = Dot(normal, center);
}

// Two unit axes in the plane, from a helper direction that is never the normal's.
void ClipPlane::BuildAxes() {
    const Vec3f helper = std::fabs(equation[2]) < 1e-6 ? Vec3f{0, 0, 1} : Vec3f{1, 0, 0};
    u = Normalised(Cross(normal, helper));
    v = Normalised(Cross(u, normal));
}

void ClipPlane::Apply(float eyeAngleDegrees) {
    eyeAngle = eyeAngleDegrees;
    glPushMatrix();
    glRotatef(eyeAngle, 0, 1, 0);
    glClipPlane(name, equation);
    glPopMatrix();
    SetCapability(name, enabled);
}

void ClipPlane::Enable() {
    enabled = true;
    glEnable(name);
}

void ClipPlane::Disable() {
    enabled = false;
    glDisable(name);
}

void ClipPlane::Follow(const ViewParameters& params) {
    enabled = params.clipView;
    displayed = params.displayClipPlane;
    std::copy(params.clipPlaneColor, params.clipPlaneColor + 4, color);
}

PlaneInMolecule::PlaneInMolecule(const ClipPlane& plane, float k, const MotionState& motion) {
    // A point p is drawn at k · R (p + t) in the scene frame; its distance to the plane in Å is
    // (R (p + t) - c / k) · n = p · (Rᵀ n) + t · (Rᵀ n) - (c · n) / k.
    const Matrix3 r = DisplayRotation(motion);
    for (size_t j = 0; j < 3; ++j)
        m[j] = static_cast<float>(r[0][j] * plane.normal[0] + r[1][j] * plane.normal[1] +
                                  r[2][j] * plane.normal[2]);
    offset = Dot(m, At(motion.translation)) - Dot(plane.center, plane.normal) / k;
}

ClipSide ClipPlane::Classify(const float p[3], float r, float k, const MotionState& motion) const {
    const float d = PlaneInMolecule(*this, k, motion).Distance(p);
    if (std::fabs(d) < r)
        return kCutByPlane;
    return d >= r ? kClippedSide : kKeptSide;
}

bool ClipPlane::EyeOnClippedSide() const {
    const Vec3f n = TurnedByEye(normal, eyeAngle);
    const Vec3f c = TurnedByEye(center, eyeAngle);
    return Dot(n, Sub(c, Vec3f{0, 0, kEyeDistance})) < 0;
}

void ClipPlane::Draw() const {
    if (enabled)
        glDisable(name); // the disk lies in the plane itself
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glRotatef(eyeAngle, 0, 1, 0);
    glColor4fv(color);
    glNormal3fv(normal.data());
    glBegin(GL_TRIANGLE_FAN);
    glVertex3fv(center.data());
    for (int k = 0; k <= kDiskSteps; ++k) {
        const float t = static_cast<float>(k) * 0.12566370964050294f; // 2π / 50
        const Vec3f rim = Add(center, Add(vorn::Scale(u, kDiskRadius * std::cos(t)),
                                          vorn::Scale(v, kDiskRadius * std::sin(t))));
        glVertex3fv(rim.data());
    }
    glEnd();
    glPopMatrix();
    glEnable(GL_CULL_FACE);
    if (enabled)
        glEnable(name);
}

// Each cut sphere gets the disk where the plane meets it. Seen from the kept side the caps would
// lie behind the spheres' fronts, so they are drawn only when the eye looks at the cut face.
void ClipPlane::DrawCaps(const Molecule& mol, const DrawContext& dc, float k) const {
    if (!EyeOnClippedSide())
        return;
    const PlaneInMolecule plane(*this, k, mol.motion);
    const Matrix3 r = DisplayRotation(mol.motion);
    const float* t = mol.motion.translation;
    const ShownPositions pos(mol);
    const int steps = std::max(3, dc.params.res.atomRes);
    std::vector<float> cosines(size_t(steps) + 1), sines(size_t(steps) + 1);
    for (int j = 0; j <= steps; ++j) {
        const double a = 2 * M_PI * j / steps;
        cosines[size_t(j)] = static_cast<float>(std::cos(a));
        sines[size_t(j)] = static_cast<float>(std::sin(a));
    }
    glDisable(name);
    glDisable(GL_CULL_FACE);
    glDepthFunc(GL_LEQUAL);
    // Caps of neighbouring atoms lie in one plane, where their fans' depths differ only by
    // rounding: written, they would fight pixel by pixel. Tested but not written, each cap is
    // still hidden by what lies in front, and where two overlap the later one is drawn whole.
    glDepthMask(GL_FALSE);
    // The scene frame in Å: where the molecule's atoms lie once turned and moved.
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, 0, -kEyeDistance);
    glScalef(k, k, k);
    glRotatef(eyeAngle, 0, 1, 0);
    glNormal3fv(normal.data());
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& atom = mol.atoms[size_t(i)];
        const float d = plane.Distance(pos[i]);
        if (Hidden(mol, atom.hetero) || !(std::fabs(d) < atom.radius))
            continue;
        const float p[3] = {pos[i][0] + t[0], pos[i][1] + t[1], pos[i][2] + t[2]};
        Vec3f middle;
        for (size_t a = 0; a < 3; ++a)
            middle[a] = static_cast<float>(r[a][0] * p[0] + r[a][1] * p[1] + r[a][2] * p[2]) -
                        d * normal[a];
        const float rho = std::sqrt(std::fabs(atom.radius * atom.radius - d * d));
        Color(atom.color);
        glBegin(GL_TRIANGLE_FAN);
        glVertex3fv(middle.data());
        for (int j = 0; j <= steps; ++j) {
            const Vec3f rim = Add(middle, Add(vorn::Scale(u, rho * cosines[size_t(j)]),
                                              vorn::Scale(v, rho * sines[size_t(j)])));
            glVertex3fv(rim.data());
        }
        glEnd();
    }
    glPopMatrix();
    SetCapability(name, enabled);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
}

void ClipPlane::BeginRotate(int x, int y) {
    lastRotateX = static_cast<float>(x);
    lastRotateY = static_cast<float>(y);
}

// The normal turns by the trackball step as a molecule's own axis turns on screen, so the plane
// follows the hand whatever way it was turned before.
void ClipPlane::Rotate(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    const TrackPoint from = NormalisedPoint(static_cast<int>(lastRotateX),
                                            static_cast<int>(lastRotateY), width, height);
    const Quaternion increment =
        TrackballIncrement(from, NormalisedPoint(x, y, width, height), trackballSize);
    normal = Normalised(TurnedOnScreen(increment, normal));
    lastRotateX = static_cast<float>(x);
    lastRotateY = static_cast<float>(y);
    SetEquation();
    BuildAxes();
}

void ClipPlane::BeginScale(int x) {
    lastScaleX = static_cast<float>(x);
}

void ClipPlane::Scale(int x, int width) {
    if (width <= 0)
        return;
    const float s = (lastScaleX - static_cast<float>(x)) / static_cast<float>(width);
    center = Sub(center, vorn::Scale(normal, s));
    const float distance2 = Dot(center, center);
    if (distance2 > kMaxCenterDistance * kMaxCenterDistance)
        center = vorn::Scale(center, kMaxCenterDistance / std::sqrt(distance2));
    lastScaleX = static_cast<float>(x);
    SetEquation();
    BuildAxes();
}

void ClipPlane::Center() {
    center = {0, 0, 0};
    equation[3] = 0;
}

namespace {

void DrawClippedPoints(const Molecule& mol, const DrawContext& dc, const ClipPlane& plane,
                       const PlaneInMolecule& inMolecule) {
    const ShownPositions pos(mol);
    dc.lights.Off();
    dc.viewLight.Enable();
    glPointSize(2.0f);
    glDisable(plane.name);
    glBegin(GL_POINTS);
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& atom = mol.atoms[size_t(i)];
        if (Hidden(mol, atom.hetero) || inMolecule.Distance(pos[i]) >= 0)
            continue;
        Color(atom.color);
        glVertex3fv(pos[i]);
    }
    glEnd();
    glEnable(plane.name);
}

} // namespace

bool DrawClippedAtoms(const Molecule& mol, const DrawContext& dc, const ClipPlane& plane) {
    if (!dc.params.clipView || (mol.renderMode != kCpk && mol.renderMode != kPoints))
        return false;
    const float k = 4.0f / dc.params.sceneScale;
    const PlaneInMolecule inMolecule(plane, k, mol.motion);
    if (mol.renderMode == kPoints) {
        DrawClippedPoints(mol, dc, plane, inMolecule);
        return true;
    }
    BeginSolids(dc);
    // Impostors test the plane at each pixel's hit, so spheres on the cut-away side vanish and
    // cut ones open up as the polygons do; then the caps close them.
    if (dc.impostors && dc.impostors->DrawSpheres(mol, dc.modelView)) {
        plane.DrawCaps(mol, dc, k);
        EndSolids(dc);
        return true;
    }
    const ShownPositions pos(mol);
    // Kept spheres first without the clip test, then the cut ones with it: two state changes
    // rather than two per atom.
    static thread_local std::vector<int> cut;
    cut.clear();
    glDisable(plane.name);
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& atom = mol.atoms[size_t(i)];
        const float d = inMolecule.Distance(pos[i]);
        if (Hidden(mol, atom.hetero) || d >= atom.radius)
            continue;
        if (d > -atom.radius) {
            cut.push_back(i);
            continue;
        }
        FacingSphere(dc, pos[i], atom.radius, atom.color);
    }
    glEnable(plane.name);
    for (int i : cut) {
        const Atom& atom = mol.atoms[size_t(i)];
        FacingSphere(dc, pos[i], atom.radius, atom.color);
    }
    plane.DrawCaps(mol, dc, k);
    EndSolids(dc);
    return true;
}

} // namespace vorn

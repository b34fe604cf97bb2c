// The six unit primitives as display lists, the resolution presets and the custom-resolution
// values.
#include "render/Primitives.h"

#include "core/VornError.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace vorn {

namespace {

struct QuadricDeleter {
    void operator()(GLUquadric* quadric) const { gluDeleteQuadric(quadric); }
};
using Quadric = std::unique_ptr<GLUquadric, QuadricDeleter>;

// What a list's quadric is called in the failure message; null for the hemispheres.
const char* QuadricShape(int list) {
    switch (list) {
    case kDisk:
        return "disk";
    case kSelectionCylinder:
    case kBondCylinder:
        return "cylinder";
    case kCone:
        return "cone";
    default:
        return nullptr;
    }
}

// A filled, outward, smoothly shaded quadric for the list, or null when the list needs none.
Quadric QuadricFor(int list) {
    const char* shape = QuadricShape(list);
    if (!shape) {
        return nullptr;
    }
    Quadric quadric(gluNewQuadric());
    if (!quadric) {
        VORN_RAISE("VornUtil", std::string("Can't allocate memory for ") + shape + "!");
    }
    gluQuadricDrawStyle(quadric.get(), GLU_FILL);
    gluQuadricOrientation(quadric.get(), GLU_OUTSIDE);
    gluQuadricNormals(quadric.get(), GLU_SMOOTH);
    return quadric;
}

// Emits the geometry of one list at the given resolution; quadric is that of QuadricFor(list).
void EmitShape(int list, const Resolution& res, GLUquadric* quadric) {
    switch (list) {
    case kSelectionHemisphere:
        DrawHemisphere(1.0f, res.selectionRes, HemisphereStacks(res.selectionRes));
        break;
    case kAtomHemisphere:
        DrawHemisphere(1.0f, res.atomRes, HemisphereStacks(res.atomRes));
        break;
    case kDisk:
        gluDisk(quadric, 0.0, 1.0, res.selectionRes, 1);
        break;
    case kSelectionCylinder:
        gluCylinder(quadric, 1.0, 1.0, 0.1, res.selectionRes, 1);
        break;
    case kBondCylinder:
        gluCylinder(quadric, 1.0, 1.0, 0.1, res.bondRes, 1);
        break;
    case kCone:
        gluCylinder(quadric, 1.0, 0.0, 0.1, res.selectionRes, 1);
        break;
    default:
        break;
    }
}

// Normal and vertex of the hemisphere at polar angle rho (from +z) and azimuth theta.
void HemisphereVertex(float r, float rho, float theta) {
    const float x = -std::sin(theta) * std::sin(rho);
    const float y = std::cos(theta) * std::sin(rho);
    const float z = std::cos(rho);
    glNormal3f(x, y, z);
    glVertex3f(r * x, r * y, r * z);
}

// Azimuth of the j-th of S slices; the last one closes the ring exactly at 0.
float SliceAngle(int j, int slices, float dTheta) {
    return j == slices ? 0.0f : static_cast<float>(j) * dTheta;
}

} // namespace

void ApplyPreset(int resolution, Resolution& res) {
    // atomRes, bondRes, selectionRes, splineRes, ribbonRes per preset.
    static const int kPresets[3][5] = {{25, 20, 20, 10, 10}, {15, 15, 20, 5, 5}, {8, 5, 20, 2, 3}};
    if (resolution < kHighResolution || resolution > kLowResolution) {
        return;
    }
    const int* preset = kPresets[resolution];
    res.atomRes = preset[0];
    res.bondRes = preset[1];
    res.selectionRes = preset[2];
    res.splineRes = preset[3];
    res.ribbonRes = preset[4];
    res.splineTension = 1.25f;
}

int HemisphereStacks(int slices) {
    return std::max(slices - 6, 2);
}

void DrawHemisphere(float r, int slices, int stacks) {
    if (slices < 1 || stacks < 1) {
        return; // no angle step to divide by
    }
    const float pi = static_cast<float>(M_PI);
    const float dRho = pi / static_cast<float>(stacks);
    const float dTheta = 2.0f * pi / static_cast<float>(slices);

    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, r);
    for (int j = 0; j <= slices; ++j) {
        HemisphereVertex(r, dRho, SliceAngle(j, slices, dTheta));
    }
    glEnd();

    // Bands stop short of the equator: the last one ends at rho = (stacks / 2) * dRho.
    for (int i = 1; i < stacks / 2; ++i) {
        const float rho = static_cast<float>(i) * dRho;
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j <= slices; ++j) {
            const float theta = SliceAngle(j, slices, dTheta);
            HemisphereVertex(r, rho, theta);
            HemisphereVertex(r, rho + dRho, theta);
        }
        glEnd();
    }
}

void Primitives::Rebuild(const Resolution& res) {
    for (int list = kSelectionHemisphere; list <= kCone; ++list) {
        RebuildList(list, res);
    }
}

void Primitives::RebuildList(int list, const Resolution& res) {
    // Only the value this list depends on is taken, so that immediate drawing of the other lists
    // keeps matching what they were compiled from.
    switch (list) {
    case kAtomHemisphere:
        m_res.atomRes = res.atomRes;
        break;
    case kBondCylinder:
        m_res.bondRes = res.bondRes;
        break;
    case kSelectionHemisphere:
    case kDisk:
    case kSelectionCylinder:
    case kCone:
        m_res.selectionRes = res.selectionRes;
        break;
    default:
        return;
    }
    // The quadric comes first so that a failure leaves no list open.
    Quadric quadric = QuadricFor(list);
    glNewList(static_cast<GLuint>(list), GL_COMPILE);
    EmitShape(list, m_res, quadric.get());
    glEndList();
}

void Primitives::Draw(int list) const {
    if (m_immediate) {
        Emit(list);
    } else {
        glCallList(static_cast<GLuint>(list));
    }
}

void Primitives::Emit(int list) const {
    Quadric quadric = QuadricFor(list);
    EmitShape(list, m_res, quadric.get());
}

bool ApplyCustomResolution(int index, int value, int& resolution, Resolution& res,
                           Primitives& primitives) {
    switch (index) {
    case 0:
        res.atomRes = value;
        primitives.RebuildList(kAtomHemisphere, res);
        break;
    case 1:
        res.bondRes = value;
        primitives.RebuildList(kBondCylinder, res);
        break;
    case 2:
        res.selectionRes = value;
        for (int list : {kSelectionHemisphere, kDisk, kSelectionCylinder, kCone}) {
            primitives.RebuildList(list, res);
        }
        break;
    case 3:
        res.splineRes = value;
        break;
    case 4: // the slider runs 0 to 30 for tensions 1 to 2
        res.splineTension = static_cast<float>(value) / 30.0f + 1.0f;
        break;
    case 5:
        res.ribbonRes = value;
        break;
    default:
        return false;
    }
    resolution = kCustomResolution;
    return true;
}

} // namespace vorn

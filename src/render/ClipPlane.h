// The clipping plane: one plane of the scene frame that cuts away the side its normal points to,
// from the whole scene or from surfaces only, turned and moved with Ctrl and the mouse.
#pragma once

#include "core/Vec3.h"
#include "model/MotionState.h"

namespace vorn {

struct DrawContext;
struct Molecule;
struct ViewParameters;

// How a sphere lies against the plane.
enum ClipSide {
    kClippedSide = 0, // wholly on the side the normal points to: cut away
    kKeptSide = 1,    // wholly on the other side: drawn without the clip test
    kCutByPlane = 2
};

// The plane lives in the scene frame: after the eye's translation, before any molecule's turn,
// in scene units (sceneScale Å are 4 units). k = 4 / sceneScale converts Å to those units.
struct ClipPlane {
    ClipPlane();

    float trackballSize = 0.8f; // of the Ctrl + left drags
    bool enabled = false;       // mirrors clipView: GL_CLIP_PLANE0 on for the whole scene
    bool displayed = false;     // mirrors displayClipPlane: the translucent disk is drawn
    unsigned name;              // GL_CLIP_PLANE0
    float color[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    Vec3f center = {0, 0, 0}; // a point on the plane, scene units
    Vec3f normal;             // unit length; points to the side that is cut away
    Vec3f u, v;               // unit axes in the plane
    // (-n, n · c): points with e1·x + e2·y + e3·z + e4 >= 0 stay.
    double equation[4];
    float lastRotateX = 0, lastRotateY = 0, lastScaleX = 0; // window pixels
    float eyeAngle = 0; // degrees about the vertical axis: 0, or ±stereoAngle in a stereo pass

    // Puts the plane through point with that normal. With normalise a normal of no length raises
    // "Zero length normal vector!" (source ClipPlane) and the plane stays as it was.
    void SetPlane(const Vec3f& point, const Vec3f& normal, bool normalise);
    // Loads the plane for a render pass with the eye's turn, and switches GL_CLIP_PLANE0 on or
    // off as enabled says. The modelview must be the scene frame's.
    void Apply(float eyeAngleDegrees);
    void Enable();
    void Disable();
    // Takes the switches and the colour that the view parameters hold.
    void Follow(const ViewParameters& params);

    // Where a sphere of radius r (Å) at p (the molecule's own coordinates) lies, the molecule
    // placed by its motion state and k.
    ClipSide Classify(const float p[3], float r, float k, const MotionState& motion) const;
    // Whether the eye, turned by eyeAngle, looks at the cut face (it is on the cut-away side).
    bool EyeOnClippedSide() const;
    // The translucent disk of radius 2 around the centre, in the plane colour.
    void Draw() const;
    // Flat caps on the CPK spheres the plane cuts, drawn only while the eye looks at the cut
    // face; inside the molecule's drawing, with the solid lights on.
    void DrawCaps(const Molecule& mol, const DrawContext& dc, float k) const;

    // Ctrl + left drag turns the plane about its centre as the same drag turns a molecule;
    // Ctrl + right drag moves it along its normal, a window width per scene unit, never more
    // than 7 units from the origin.
    void BeginRotate(int x, int y);
    void Rotate(int x, int y, int width, int height);
    void BeginScale(int x);
    void Scale(int x, int width);
    // Back through the origin, keeping its orientation.
    void Center();

private:
    void SetEquation();
    void BuildAxes();
};

// The plane in a molecule's own coordinates: the signed distance (Å, positive on the cut-away
// side) of a point is p · m + offset.
struct PlaneInMolecule {
    PlaneInMolecule(const ClipPlane& plane, float k, const MotionState& motion);
    float Distance(const float p[3]) const {
        return p[0] * m[0] + p[1] * m[1] + p[2] * m[2] + offset;
    }
    Vec3f m;
    float offset;
};

// CPK spheres and points while clipView is on: spheres wholly cut away are skipped, those wholly
// kept drawn without the clip test, cut ones with it and then capped; points are tested one by
// one instead of by the GL plane. False (nothing drawn) for other modes or with clipView off.
bool DrawClippedAtoms(const Molecule& mol, const DrawContext& dc, const ClipPlane& plane);

} // namespace vorn

// The atom-and-bond drawers: wire frame, CPK, points, sticks and ball and stick.
#pragma once

#include "render/ViewParameters.h"

namespace vorn {

class ImpostorRenderer;
class LightSet;
struct Molecule;
class Primitives;
struct Rgba;
struct VornLight;

// What the drawers need of the view while one molecule is drawn.
struct DrawContext {
    const ViewParameters& params;
    const Primitives& primitives;
    const VornLight& viewLight;
    const LightSet& lights;
    const float* inverseRotation; // 16 floats: turns hemispheres back toward the eye
    const float* modelView;       // 16 floats: the molecule's coordinates to the eye's
    int eye;                      // -1 left, +1 right, 0 no stereo
    // Spheres and cylinders as impostors when set (and the context can); polygons otherwise.
    ImpostorRenderer* impostors = nullptr;
};

// Draws the molecule in its render mode when that is one of modes 0 to 5; returns false for the
// backbone modes, which other drawers handle.
bool DrawAtomsAndBonds(const Molecule& mol, const DrawContext& dc);

void DrawWireFrame(const Molecule& mol, const DrawContext& dc);
void DrawCpk(const Molecule& mol, const DrawContext& dc);
void DrawPoints(const Molecule& mol, const DrawContext& dc);
void DrawSticks(const Molecule& mol, const DrawContext& dc);

// Helpers the annotations share with the drawers above.
// Hetero atoms and their bonds are hidden while the molecule's solvent flag is off.
bool Hidden(const Molecule& mol, bool hetero);
// The current colour, as four bytes.
void Color(const Rgba& c);
// Distance between two points (Å).
float Distance(const float* a, const float* b);
// Solids: the view light off, the switched-on solid lights on, dithering, smooth shading when
// smooth3D; EndSolids returns to flat lines under the view light.
void BeginSolids(const DrawContext& dc);
void EndSolids(const DrawContext& dc);
// Rotates +z onto the unit vector u.
void TurnZOnto(const float* u);
// Translates to a and turns +z onto the direction a → b (of length length > 0).
void OrientAlong(const float* a, const float* b, float length);
// A hemisphere list (kAtomHemisphere or kSelectionHemisphere) of the radius at p, turned toward
// the eye, in the current colour.
void FacingHemisphere(const DrawContext& dc, const float* p, float radius, int list);
// An atom's hemisphere (kAtomHemisphere) in colour c.
void FacingSphere(const DrawContext& dc, const float* p, float radius, const Rgba& c);

} // namespace vorn

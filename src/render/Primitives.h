// The six unit primitives (hemispheres, disk, cylinders, cone) as display lists at the view's
// geometric resolution, and the resolution presets.
#pragma once

#include "render/ViewParameters.h"

namespace vorn {

// Fixed display-list names.
enum PrimitiveList {
    kSelectionHemisphere = 1, // radius 1, slices selectionRes
    kAtomHemisphere = 2,      // radius 1, slices atomRes
    kDisk = 3,                // radius 1, slices selectionRes
    kSelectionCylinder = 4,   // radius 1, height 0.1 along +z, slices selectionRes
    kBondCylinder = 5,        // radius 1, height 0.1 along +z, slices bondRes
    kCone = 6                 // base radius 1, height 0.1 along +z, slices selectionRes
};

// Sets res from the preset (High, Medium, Low); Custom leaves it as it is.
void ApplyPreset(int resolution, Resolution& res);

// Stacks of a hemisphere of the given slices: six fewer, at least 2.
int HemisphereStacks(int slices);

// Emits the half toward +z of a sphere of radius r: a triangle fan for the cap, then quad strips.
void DrawHemisphere(float r, int slices, int stacks);

class Primitives {
public:
    // Compiles lists 1 to 6 in that order (the current GL context must be current).
    void Rebuild(const Resolution& res);
    // Compiles one list anew.
    void RebuildList(int list, const Resolution& res);
    // Draws a primitive: calls its list, or emits the same geometry directly while immediate.
    void Draw(int list) const;
    // Selection and feedback passes must not call lists (Mesa returns wrong primitives or
    // crashes there), so they switch to immediate geometry for their duration.
    void SetImmediate(bool immediate) { m_immediate = immediate; }
    bool Immediate() const { return m_immediate; }

private:
    void Emit(int list) const;
    bool m_immediate = false;
    Resolution m_res; // what the lists were compiled from
};

// Applies one value of the custom-resolution window: index 0 atomRes, 1 bondRes, 2 selectionRes,
// 3 splineRes, 4 the tension slider (tension = value / 30 + 1), 5 ribbonRes. Sets the resolution
// to Custom and recompiles the lists that depend on the value. Index 6 (the window closed) and
// anything else change nothing; returns whether something changed.
bool ApplyCustomResolution(int index, int value, int& resolution, Resolution& res,
                           Primitives& primitives);

} // namespace vorn

// The atom-and-bond drawers: wire frame, CPK, points, sticks and ball and stick.
#pragma once

#include "model/Molecule.h"
#include "render/ViewParameters.h"

#include <cstddef>

class LightSet;
class Primitives;
struct VornLight;

// The coordinates a molecule shows: those of its current trajectory frame, else the atom
// records'. Atoms beyond a short frame keep their record's coordinates.
class ShownPositions {
public:
    explicit ShownPositions(const Molecule& mol);
    const float* operator[](int atom) const {
        return atom < m_frameAtoms ? m_frame + 3 * static_cast<std::size_t>(atom)
                                   : &m_atoms[atom].x;
    }

private:
    const float* m_frame = nullptr;
    int m_frameAtoms = 0;
    const Atom* m_atoms;
};

// What the drawers need of the view while one molecule is drawn.
struct DrawContext {
    const ViewParameters& params;
    const Primitives& primitives;
    const VornLight& viewLight;
    const LightSet& lights;
    const float* inverseRotation; // 16 floats: turns hemispheres back toward the eye
    const float* modelView;       // 16 floats: the molecule's coordinates to the eye's
    int eye;                      // -1 left, +1 right, 0 no stereo
};

// Draws the molecule in its render mode when that is one of modes 0 to 5; returns false for the
// backbone modes, which other drawers handle.
bool DrawAtomsAndBonds(const Molecule& mol, const DrawContext& dc);

void DrawWireFrame(const Molecule& mol, const DrawContext& dc);
void DrawCpk(const Molecule& mol, const DrawContext& dc);
void DrawPoints(const Molecule& mol, const DrawContext& dc);
void DrawSticks(const Molecule& mol, const DrawContext& dc);

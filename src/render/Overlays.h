// The annotations beside the representations: atom labels, axes, monitors, the torsion-bond
// marker, dashed hydrogen bonds and the markers of the atoms chosen for measuring.
#pragma once

#include "render/Picking.h"

#include <vector>

namespace vorn {

struct DrawContext;
struct HydrogenBond;
class MeasureTable;
struct Molecule;
class TorsionBond;

// Inside a molecule's transform (rotation, scale to scene units, translation), positions in Å.

// The serial number of every atom (hetero atoms too) in the atom's colour, neither lit nor
// fogged, with the label font's lists.
void DrawAtomLabels(const Molecule& mol, const DrawContext& dc);
// Axes of the given length (Å) at the molecule's origin in the complement of the background,
// lettered X, Y and Z at their tips.
void DrawAxes(const DrawContext& dc, float length);
// Balls at the monitored atoms, a rod between them, and with the molecule's monitor labels the
// monitor's kind at the middle.
void DrawMonitors(const Molecule& mol, const DrawContext& dc);
// A disk-capped collar of radius 1 Å and length 0.1 Å in the selection colour around the middle
// of the torsion bond, when it is selected in mol.
void DrawTorsionMarker(const Molecule& mol, const TorsionBond& torsion, const DrawContext& dc);

// In the scene frame (the eye's turn and the scale to scene units applied), positions in Å.

// Every hydrogen bond as six dashes between the displayed positions of its two atoms.
void DrawHydrogenBonds(const MoleculeList& molecules, const std::vector<HydrogenBond>& bonds,
                       const DrawContext& dc);
// A translucent ball on each chosen atom and, from two on, stippled lines from each to the next.
void DrawMeasureMarkers(const MeasureTable& table, const DrawContext& dc);

// Text at the raster position of p with the label font's lists, in the current colour.
void DrawLabelText(const char* text, const float* p, int listBase);

} // namespace vorn

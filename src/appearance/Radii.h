// Atomic display radii: the default element radius table and the radius schemes of a molecule.
#pragma once

#include "model/Elements.h"
#include "model/Molecule.h"

namespace vorn {

// Default display radius of each element, Å.
extern const float kDefaultElementRadii[kElementCount];

// Applies a radius scheme (RadiusScheme) and records it as the molecule's scheme:
// kDefaultRadius resets the molecule's element table and gives every atom its element's radius;
// kRadiusByElement sets the table entry of `element` to `radius`, then every atom from the table;
// kRadiusByAtom sets the radius of the atom with `serial`, if any;
// kRadiusByTemperature / kRadiusByOccupancy scale the field: 3.0 × value / (max − min).
// An element outside the table (scheme 1) or an unknown scheme changes no radius.
void SetRadii(Molecule& mol, int scheme, int element, int serial, float radius);

// The molecule's table radius for an element index; 15 and above use the "Unknown" entry.
float ElementRadius(const Molecule& mol, int element);

} // namespace vorn

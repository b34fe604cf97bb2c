// Atomic display radii: the default element radius table and the radius schemes of a molecule.
#include "appearance/Radii.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vorn {

const float kDefaultElementRadii[kElementCount] = {
    1.689f,  // Carbon
    1.527f,  // Nitrogen
    1.471f,  // Oxygen
    1.972f,  // Sulfur
    1.2f,    // Hydrogen
    2.051f,  // Phosphorus
    1.907f,  // Chlorine
    1.2524f, // Zinc
    2.4f,    // Sodium
    2.125f,  // Iron
    1.636f,  // Magnesium
    2.605f,  // Potassium
    2.125f,  // Calcium
    1.907f,  // Iodine
    1.689f,  // Unknown
};

namespace {

void RadiiFromTable(Molecule& mol) {
    for (Atom& atom : mol.atoms)
        atom.radius = ElementRadius(mol, atom.element);
}

// The value itself is scaled by the range (not its offset from the minimum), so radii stay
// proportional to the field; an empty range gives every atom 3 Å.
float ScaledRadius(double value, double min, double max) {
    const double range = max - min;
    if (std::abs(range) < 1e-6)
        return 3.0f;
    return static_cast<float>(3.0 * value / range);
}

void RadiusByAtom(Molecule& mol, int serial, float radius) {
    const int index = FindAtomBySerial(mol, serial);
    if (index >= 0)
        mol.atoms[index].radius = radius;
}

void RadiusByElement(Molecule& mol, int element, float radius) {
    if (element < 0 || element >= kElementCount)
        return;
    mol.elementRadii[element] = radius;
    RadiiFromTable(mol);
}

} // namespace

float ElementRadius(const Molecule& mol, int element) {
    return mol.elementRadii[ElementTableIndex(element)];
}

void SetRadii(Molecule& mol, int scheme, int element, int serial, float radius) {
    switch (scheme) {
    case kDefaultRadius:
        std::copy(std::begin(kDefaultElementRadii), std::end(kDefaultElementRadii),
                  mol.elementRadii);
        RadiiFromTable(mol);
        break;
    case kRadiusByElement:
        RadiusByElement(mol, element, radius);
        break;
    case kRadiusByAtom:
        RadiusByAtom(mol, serial, radius);
        break;
    case kRadiusByTemperature:
        for (Atom& atom : mol.atoms)
            atom.radius = ScaledRadius(atom.tempFactor, mol.tempMin, mol.tempMax);
        break;
    case kRadiusByOccupancy:
        for (Atom& atom : mol.atoms)
            atom.radius = ScaledRadius(atom.occupancy, mol.occMin, mol.occMax);
        break;
    default:
        return; // not a scheme: nothing to record
    }
    mol.radiusScheme = scheme;
}

} // namespace vorn

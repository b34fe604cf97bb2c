// Radius schemes: element table, single atom and the temperature and occupancy scales.
#include "appearance/Radii.h"

#include <gtest/gtest.h>

namespace vorn {

TEST(RadiiTest, ElementAndAtomSchemes) {
    Molecule mol;
    mol.atoms.resize(4);
    const int elements[] = {kCarbon, kNitrogen, kCarbon, 15};
    for (int i = 0; i < 4; ++i)
        mol.atoms[i].element = elements[i], mol.atoms[i].serial = i + 1;
    SetRadii(mol, kDefaultRadius, 0, 0, 0.0f);
    SetRadii(mol, kRadiusByElement, kCarbon, 0, 2.0f);
    SetRadii(mol, kRadiusByElement, kElementCount, 0, 5.0f); // not table entries
    SetRadii(mol, kRadiusByElement, -1, 0, 5.0f);
    EXPECT_EQ(mol.radiusScheme, kRadiusByElement);
    EXPECT_FLOAT_EQ(mol.elementRadii[kUnknownElement], 1.689f);
    SetRadii(mol, kRadiusByAtom, 0, 7, 9.0f); // no atom 7
    SetRadii(mol, kRadiusByAtom, 0, 3, 0.5f);
    const float expected[] = {2.0f, 1.527f, 0.5f, 1.689f}; // element 15 follows "Unknown"
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(mol.atoms[i].radius, expected[i]) << "atom " << i;
}

TEST(RadiiTest, FieldScales) {
    Molecule mol;
    mol.atoms.resize(2);
    mol.atoms[0].tempFactor = mol.tempMin = 20.0f;
    mol.atoms[1].tempFactor = mol.tempMax = 80.0f;
    SetRadii(mol, kRadiusByTemperature, 0, 0, 0.0f);
    EXPECT_FLOAT_EQ(mol.atoms[0].radius, 1.0f);
    EXPECT_FLOAT_EQ(mol.atoms[1].radius, 4.0f);

    mol.atoms[0].occupancy = mol.atoms[1].occupancy = mol.occMin = mol.occMax = 1.0f;
    SetRadii(mol, kRadiusByOccupancy, 0, 0, 0.0f);
    EXPECT_FLOAT_EQ(mol.atoms[1].radius, 3.0f);
    SetRadii(mol, 5, 0, 0, 0.0f); // not a scheme
    EXPECT_EQ(mol.radiusScheme, kRadiusByOccupancy);
}

} // namespace vorn

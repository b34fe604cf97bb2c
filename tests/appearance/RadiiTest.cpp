// Radius schemes: element table, single atom and the temperature and occupancy scales.
#include "appearance/Radii.h"

#include <gtest/gtest.h>

namespace {

// Atoms of the given elements, serials 1, 2, ..., with the default radii.
Molecule WithElements(std::initializer_list<int> elements) {
    Molecule mol;
    for (int element : elements) {
        mol.atoms.emplace_back();
        mol.atoms.back().element = element;
        mol.atoms.back().serial = mol.AtomCount();
    }
    SetRadii(mol, kDefaultRadius, 0, 0, 0.0f);
    return mol;
}

} // namespace

TEST(RadiiTest, ElementAndAtomSchemes) {
    Molecule mol = WithElements({kCarbon, kNitrogen, kCarbon, 15});
    SetRadii(mol, kRadiusByElement, kCarbon, 0, 2.0f);
    EXPECT_EQ(mol.radiusScheme, kRadiusByElement);
    const float expected[] = {2.0f, 1.527f, 2.0f, 1.689f}; // element 15 follows "Unknown"
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(mol.atoms[i].radius, expected[i]) << "atom " << i;

    SetRadii(mol, kRadiusByElement, kElementCount, 0, 5.0f); // not a table entry
    SetRadii(mol, kRadiusByElement, -1, 0, 5.0f);
    EXPECT_FLOAT_EQ(mol.atoms[3].radius, 1.689f);
    EXPECT_FLOAT_EQ(mol.elementRadii[kUnknownElement], 1.689f);

    SetRadii(mol, kRadiusByAtom, 0, 7, 9.0f); // no atom 7
    SetRadii(mol, kRadiusByAtom, 0, 2, 0.5f);
    const float byAtom[] = {2.0f, 0.5f, 2.0f, 1.689f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(mol.atoms[i].radius, byAtom[i]) << "atom " << i;
}

TEST(RadiiTest, FieldScales) {
    Molecule mol = WithElements({kCarbon, kCarbon});
    mol.atoms[0].tempFactor = mol.tempMin = 20.0f;
    mol.atoms[1].tempFactor = mol.tempMax = 80.0f;
    SetRadii(mol, kRadiusByTemperature, 0, 0, 0.0f);
    EXPECT_EQ(mol.radiusScheme, kRadiusByTemperature);
    EXPECT_FLOAT_EQ(mol.atoms[0].radius, 1.0f);
    EXPECT_FLOAT_EQ(mol.atoms[1].radius, 4.0f);

    mol.atoms[0].occupancy = mol.atoms[1].occupancy = mol.occMin = mol.occMax = 1.0f;
    SetRadii(mol, kRadiusByOccupancy, 0, 0, 0.0f);
    EXPECT_FLOAT_EQ(mol.atoms[0].radius, 3.0f);
    EXPECT_FLOAT_EQ(mol.atoms[1].radius, 3.0f);

    SetRadii(mol, 5, 0, 0, 0.0f); // not a scheme
    EXPECT_EQ(mol.radiusScheme, kRadiusByOccupancy);
}

// Colour tables, the ramp and every colour scheme on small molecules built in code.
#include "appearance/ColorScheme.h"

#include "RaisedError.h"

#include <gtest/gtest.h>

namespace vorn {

class ColorSchemeTest : public ::testing::Test {
protected:
    static Rgba C(int r, int g, int b) { return FieldColor(r, g, b, 255); }

    // Chains of residues numbered `numbers`, one atom of `element` each, serials 1, 2, ...
    void Build(int chains, std::initializer_list<int> numbers, int element = kCarbon) {
        mol.chains.resize(chains);
        for (Chain& chain : mol.chains)
            for (int number : numbers) {
                chain.residues.emplace_back();
                chain.residues.back().number = number;
                chain.residues.back().atoms.Append(mol.AtomCount());
                mol.atoms.emplace_back();
                mol.atoms.back().element = element;
                mol.atoms.back().serial = mol.AtomCount();
            }
    }

    void Apply(int scheme, int number = 0, int r = 200, int g = 200, int b = 200) {
        request.scheme = scheme, request.number = number;
        request.r = r, request.g = g, request.b = b;
        ApplyColorScheme(mol, tables, request);
    }

    Molecule mol;
    ColorTables tables;
    ColorSchemeRequest request;
};

TEST_F(ColorSchemeTest, ColorByAtomTakesTypedValuesAndSplitsBonds) {
    EXPECT_EQ(SavedColor(300, -5, 255, 256), (Rgba{44, 5, 255, 0}));
    EXPECT_EQ(SavedColorValue(-2147483647 - 1), 0);
    Build(1, {1, 2});
    mol.bonds.push_back(Bond{0, 1, true, false});
    Apply(kColorByAtom, 99, 0); // no such serial: nothing changes, the stale split is cleared
    EXPECT_EQ(mol.atoms[0].color, C(255, 255, 255));
    EXPECT_EQ(mol.atoms[1].color, C(255, 255, 255));
    EXPECT_FALSE(mol.bonds[0].split);
    Apply(kColorByAtom, 2, -5, 300, 0);
    EXPECT_EQ(mol.atoms[1].color, (Rgba{251, 44, 0, 255}));
    EXPECT_TRUE(mol.bonds[0].split);
}

TEST_F(ColorSchemeTest, ElementSchemeStoresEntryAndGuardsIndices) {
    Build(1, {1, 2, 3, 4});
    mol.atoms[1].element = 20, mol.atoms[2].element = -3, mol.atoms[3].element = kOxygen;
    Apply(kColorByElement, 0, 10, 20, 30);
    const Rgba unknown = C(255, 20, 147);
    const Rgba expected[] = {C(10, 20, 30), unknown, unknown, C(240, 0, 0)};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(mol.atoms[i].color, expected[i]) << "atom " << i;

    request.element = kElementCount; // not an entry: nothing stored
    Apply(kColorByElement, 0, 99);
    EXPECT_EQ(tables.element[kUnknownElement], unknown);
    ResetColorTable(tables, 0); // 0, like 1, names the element table
    EXPECT_EQ(tables.element[kCarbon], C(200, 200, 200));
    tables.element[kCarbon] = C(1, 2, 3);
    Apply(kDefaultAtomColors);
    EXPECT_EQ(mol.atoms[0].color, C(200, 200, 200));
    ColorAndMassByElement(mol, ColorTables());
    EXPECT_FLOAT_EQ(mol.atoms[1].mass, 12.011f); // element 20 takes the "Unknown" mass
}

TEST_F(ColorSchemeTest, ResidueNumberColorsEveryChain) {
    Build(2, {9, 10, 11});
    Apply(kColorByResidue, 10, 1, 2, 3);
    const Rgba white, blue = C(1, 2, 3);
    const Rgba expected[] = {white, blue, white, white, blue, white};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(mol.atoms[i].color, expected[i]) << "atom " << i;

    EXPECT_EQ(SourcedErrorOf([&] { ColorResiduesByNumber(mol, 0, -1, blue); }),
              "VornUtil: Invalid index");
    EXPECT_THROW(ColorResiduesByNumber(mol, 2, 0, blue), VornError);
    EXPECT_THROW(ColorResiduesByNumber(mol, 0, 3, blue), VornError);
}

TEST_F(ColorSchemeTest, RampFieldAndResidueSchemes) {
    EXPECT_EQ(RampColor(0.5), C(127, 255, 127));
    EXPECT_EQ(RampColor(0.25), C(63, 127, 191));
    EXPECT_EQ(RampColor(-0.5), C(0, 0, 255)); // clamped, not wrapped
    EXPECT_EQ(RampColor(1.5), C(255, 0, 0));
    EXPECT_DOUBLE_EQ(Normalize(35.0, 20.0, 80.0), 0.25);
    EXPECT_DOUBLE_EQ(Normalize(7.0, 5.0, 5.0000001), 1.0);

    Build(2, {1, 2, 3, 4});
    mol.tempMin = mol.tempMax = 30.0f;
    mol.atoms[0].occupancy = mol.occMin = 0.5f; // occMax stays 1
    Apply(kColorByTemperature);
    EXPECT_EQ(mol.atoms[0].color, C(255, 0, 0)); // an empty range: all red
    EXPECT_EQ(mol.atoms[7].color, C(255, 0, 0));
    Apply(kColorByOccupancy);
    EXPECT_EQ(mol.atoms[0].color, C(0, 0, 255));

    mol.chains[0].residues[0].structure = kAlphaHelix;
    mol.chains[0].residues[0].type = kTrp;
    request.structure = kAlphaHelix;
    Apply(kColorByStructure, 0, 7, 8, 9);
    EXPECT_EQ(tables.structure[kAlphaHelix], C(7, 8, 9));
    EXPECT_EQ(mol.atoms[0].color, C(7, 8, 9));
    EXPECT_EQ(mol.atoms[1].color, C(255, 255, 255)); // not assigned
    Apply(kColorByResidueType);
    EXPECT_EQ(mol.atoms[0].color, C(180, 90, 180));
    Apply(kColorByResidueIndex); // residue i of 4 at i / 4
    EXPECT_EQ(mol.atoms[3].color, C(191, 127, 63));
    EXPECT_EQ(mol.atoms[6].color, C(127, 255, 127)); // each chain starts again
}

} // namespace vorn

// Colour tables, the ramp and every colour scheme on small molecules built in code.
#include "appearance/ColorScheme.h"

#include "core/VornError.h"

#include <gtest/gtest.h>

namespace {

Rgba Color(int r, int g, int b, int a = 255) {
    return FieldColor(r, g, b, a);
}

ColorSchemeRequest Request(int scheme, int number = 0, int r = 200, int g = 200, int b = 200) {
    ColorSchemeRequest request;
    request.scheme = scheme;
    request.number = number;
    request.r = r, request.g = g, request.b = b;
    return request;
}

// Atoms of the given elements, serials 1, 2, ...
Molecule WithElements(std::initializer_list<int> elements) {
    Molecule mol;
    for (int element : elements) {
        mol.atoms.emplace_back();
        mol.atoms.back().element = element;
        mol.atoms.back().serial = mol.AtomCount();
    }
    return mol;
}

// Two chains with residues numbered `numbers`, one carbon per residue.
Molecule TwoChains(std::initializer_list<int> numbers) {
    Molecule mol = WithElements({});
    mol.chains.resize(2);
    for (Chain& chain : mol.chains) {
        for (int number : numbers) {
            chain.residues.emplace_back();
            chain.residues.back().number = number;
            chain.residues.back().atoms.Append(mol.AtomCount());
            mol.atoms.emplace_back();
        }
    }
    return mol;
}

} // namespace

TEST(ColorTablesTest, ResetRestoresOneTable) {
    ColorTables tables;
    tables.element[kCarbon] = tables.structure[kAlphaHelix] = Color(1, 2, 3);
    ResetColorTable(tables, 0);
    EXPECT_EQ(tables.element[kCarbon], Color(200, 200, 200));
    EXPECT_EQ(tables.structure[kAlphaHelix], Color(1, 2, 3)); // only the element table
    ResetColorTable(tables, 2);
    EXPECT_EQ(tables.structure[kAlphaHelix], Color(240, 0, 128));
}

TEST(ColorRampTest, RampAndNormalize) {
    EXPECT_EQ(RampColor(0.5), Color(127, 255, 127));
    EXPECT_EQ(RampColor(0.25), Color(63, 127, 191));
    EXPECT_EQ(RampColor(-0.5), Color(0, 0, 255)); // clamped, not wrapped
    EXPECT_EQ(RampColor(1.5), Color(255, 0, 0));
    EXPECT_DOUBLE_EQ(Normalize(35.0, 20.0, 80.0), 0.25);
    EXPECT_DOUBLE_EQ(Normalize(7.0, 5.0, 5.0000001), 1.0);
}

TEST(ColorFieldsTest, SavedAndAppliedValues) {
    EXPECT_EQ(SavedColor(300, -5, 255, 256), Color(44, 5, 255, 0));
    EXPECT_EQ(SavedColorValue(-2147483647 - 1), 0);
    Molecule mol = WithElements({kCarbon, kCarbon});
    ColorTables tables;
    ApplyColorScheme(mol, tables, Request(kColorByAtom, 2, -5, 300, 0));
    EXPECT_EQ(mol.atoms[1].color, Color(251, 44, 0));
}

TEST(ColorSchemeTest, ElementSchemeStoresEntryAndGuardsIndices) {
    Molecule mol = WithElements({kCarbon, 20, -3, kOxygen});
    ColorTables tables;
    ApplyColorScheme(mol, tables, Request(kColorByElement, 0, 10, 20, 30));
    EXPECT_EQ(tables.element[kCarbon], Color(10, 20, 30));
    const Rgba expected[] = {Color(10, 20, 30), Color(255, 20, 147), Color(255, 20, 147),
                             Color(240, 0, 0)};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(mol.atoms[i].color, expected[i]) << "atom " << i;

    ColorSchemeRequest outside = Request(kColorByElement, 0, 99);
    outside.element = kElementCount; // not an entry: nothing stored
    ApplyColorScheme(mol, tables, outside);
    EXPECT_EQ(tables.element[kUnknownElement], Color(255, 20, 147));

    ApplyColorScheme(mol, tables, Request(kDefaultAtomColors));
    EXPECT_EQ(mol.atoms[0].color, Color(200, 200, 200));
}

TEST(ColorSchemeTest, BondSplitFollowsColorByAtom) {
    Molecule mol = WithElements({kCarbon, kCarbon});
    mol.bonds.push_back(Bond{0, 1, true, false});
    ColorTables tables;
    ApplyColorScheme(mol, tables, Request(kColorByElement));
    EXPECT_FALSE(mol.bonds[0].split);

    ApplyColorScheme(mol, tables, Request(kColorByAtom, 99, 0)); // no such serial
    EXPECT_EQ(mol.atoms[0].color, Color(200, 200, 200));
    EXPECT_EQ(mol.atoms[1].color, Color(200, 200, 200));
    EXPECT_FALSE(mol.bonds[0].split);

    ApplyColorScheme(mol, tables, Request(kColorByAtom, 2, 0));
    EXPECT_EQ(mol.atoms[1].color, Color(0, 200, 200));
    EXPECT_TRUE(mol.bonds[0].split);
}

TEST(ColorSchemeTest, ResidueNumberColorsEveryChain) {
    Molecule mol = TwoChains({9, 10, 11});
    ColorTables tables;
    ApplyColorScheme(mol, tables, Request(kColorByResidue, 10, 1, 2, 3));
    const Rgba white, blue = Color(1, 2, 3);
    const Rgba expected[] = {white, blue, white, white, blue, white};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(mol.atoms[i].color, expected[i]) << "atom " << i;

    try {
        ColorResiduesByNumber(mol, 0, -1, blue);
        FAIL() << "a negative residue index was accepted";
    } catch (const VornError& e) {
        EXPECT_EQ(e.Message(), "Invalid index");
        EXPECT_EQ(e.Source(), "VornUtil");
    }
    EXPECT_THROW(ColorResiduesByNumber(mol, 2, 0, blue), VornError);
    EXPECT_THROW(ColorResiduesByNumber(mol, 0, 3, blue), VornError);
}

TEST(ColorSchemeTest, FieldRamps) {
    Molecule mol = WithElements({kCarbon, kCarbon});
    mol.atoms[0].tempFactor = mol.atoms[1].tempFactor = mol.tempMin = mol.tempMax = 30.0f;
    mol.atoms[0].occupancy = mol.occMin = 0.5f;
    mol.atoms[1].occupancy = mol.occMax = 1.0f;
    ColorTables tables;
    ApplyColorScheme(mol, tables, Request(kColorByTemperature));
    EXPECT_EQ(mol.atoms[0].color, Color(255, 0, 0)); // one value everywhere: all red
    EXPECT_EQ(mol.atoms[1].color, Color(255, 0, 0));
    ApplyColorScheme(mol, tables, Request(kColorByOccupancy));
    EXPECT_EQ(mol.atoms[0].color, Color(0, 0, 255));
}

TEST(ColorSchemeTest, ResidueSchemes) {
    Molecule mol = TwoChains({1, 2, 3, 4});
    mol.chains[0].residues[0].structure = kAlphaHelix;
    mol.chains[0].residues[0].type = kTrp;
    mol.chains[0].residues[1].type = kNucleotideC;
    ColorTables tables;
    ColorSchemeRequest helix = Request(kColorByStructure, 0, 7, 8, 9);
    helix.structure = kAlphaHelix;
    ApplyColorScheme(mol, tables, helix);
    EXPECT_EQ(tables.structure[kAlphaHelix], Color(7, 8, 9));
    EXPECT_EQ(mol.atoms[0].color, Color(7, 8, 9));
    EXPECT_EQ(mol.atoms[1].color, Color(255, 255, 255)); // not assigned

    ApplyColorScheme(mol, tables, Request(kColorByResidueType));
    EXPECT_EQ(mol.atoms[0].color, Color(180, 90, 180));
    EXPECT_EQ(mol.atoms[1].color, Color(0, 0, 235));

    ApplyColorScheme(mol, tables, Request(kColorByResidueIndex)); // residue i of 4 at i / 4
    EXPECT_EQ(mol.atoms[0].color, Color(0, 0, 255));
    EXPECT_EQ(mol.atoms[3].color, Color(191, 127, 63));
    EXPECT_EQ(mol.atoms[6].color, Color(127, 255, 127)); // each chain starts again
}

TEST(ColorSchemeTest, ColorAndMassByElement) {
    Molecule mol = WithElements({kSulfur, 20});
    mol.bonds.push_back(Bond{0, 1, false, false});
    ColorAndMassByElement(mol, ColorTables());
    EXPECT_EQ(mol.atoms[0].color, Color(255, 200, 50));
    EXPECT_FLOAT_EQ(mol.atoms[0].mass, 32.06f);
    EXPECT_FLOAT_EQ(mol.atoms[1].mass, 12.011f);
    EXPECT_TRUE(mol.bonds[0].split);
}

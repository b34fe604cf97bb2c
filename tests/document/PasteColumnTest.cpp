// Pasting a clipboard column into temperature factors and occupancies: what is read, what is
// refused without a change, and where each number lands.
#include "document/PasteColumn.h"

#include "appearance/Radii.h"
#include "document/VornDoc.h"
#include "model/Molecule.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

// Atoms with the given serials, in that order, in one residue per atom of chain A.
Molecule Atoms(const std::vector<int>& serials) {
    Molecule mol;
    Chain chain;
    for (int serial : serials) {
        Atom atom;
        atom.serial = serial;
        atom.tempFactor = 7.0f;
        atom.occupancy = 0.5f;
        Residue residue;
        residue.atoms.Append(mol.AtomCount());
        chain.residues.push_back(std::move(residue));
        mol.atoms.push_back(atom);
    }
    mol.chains.push_back(std::move(chain));
    return mol;
}

std::vector<float> Field(const Molecule& mol, bool occupancy) {
    std::vector<float> values;
    for (const Atom& a : mol.atoms)
        values.push_back(occupancy ? a.occupancy : a.tempFactor);
    return values;
}

PasteRequest Request(int mode, int target = kPasteTemperature) {
    PasteRequest r;
    r.mode = mode;
    r.target = target;
    return r;
}

} // namespace

// Numbers between any separators are read; any token that is not a whole finite number refuses
// the whole text: reading a word as 0 or "1,234" as 1 would paste wrong values without a word.
TEST(PasteColumn, ReadsNumbersBetweenAnySeparatorsAndRefusesTextThatIsNotAllNumbers) {
    const ClipboardNumbers n = ParseClipboardNumbers("1.5\t-2\r\n+3e1 \n\n  .25\r\n");
    EXPECT_EQ(n.refusal, "");
    EXPECT_EQ(n.values, (std::vector<float>{1.5f, -2.0f, 30.0f, 0.25f}));
    EXPECT_TRUE(n.negativeFound);
    EXPECT_FALSE(ParseClipboardNumbers("0 1 2").negativeFound);
    const std::string hostile[] = {"1 x 3",    "nan",        "1 -inf", "inf",
                                   "1e39",     "1e999",      "1,234",  "1.234,5",
                                   "0x1A",     "12abc",      "--1",    "+-1",
                                   "1.2.3",    "+",          "-",      std::string("1\0 2", 4),
                                   "\x01\x02", "\xff\xfe 1", "1\v2",   "１"};
    for (const std::string& text : hostile) {
        const ClipboardNumbers n = ParseClipboardNumbers(text);
        EXPECT_EQ(n.refusal, kNonNumericWarning) << text;
        EXPECT_TRUE(n.values.empty()) << text;
    }
    for (const char* text : {"", " \t\r\n "})
        EXPECT_EQ(ParseClipboardNumbers(text).refusal, kEmptyClipboard) << '"' << text << '"';
    // The float range holds; its edges still read.
    EXPECT_EQ(ParseClipboardNumbers("3.4e38 -3.4e38 1e-30").refusal, "");
}

// Each refusal of a real protein (327 atoms in 46 residues) leaves both fields as they were; all
// atoms take the magnitudes in index order, and the range follows.
TEST(PasteColumn, RefusalsChangeNothingAndAllAtomsTakeMagnitudesInIndexOrder) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    Molecule& mol = *doc.primary;
    ASSERT_EQ(mol.AtomCount(), 327);
    ASSERT_EQ(mol.ResidueCount(), 46);
    const std::vector<float> temp = Field(mol, false), occ = Field(mol, true);

    PasteRequest single = Request(kPasteSingleAtom, kPasteOccupancy);
    single.serial = 9999;
    PasteRequest emptyRange = Request(kPasteRange);
    emptyRange.firstSerial = 400, emptyRange.lastSerial = 500;
    PasteRequest reversed = Request(kPasteRange);
    reversed.firstSerial = 12, reversed.lastSerial = 10;
    PasteRequest range = Request(kPasteRange);
    range.firstSerial = 1, range.lastSerial = 50;
    const struct {
        PasteRequest request;
        size_t count;
        std::string refusal;
    } cases[] = {
        {Request(kPasteAllAtoms), 326,
         "Unable to paste data, number of inputs is less\nthan the number of atoms"},
        {Request(kPasteAlphaCarbons, kPasteOccupancy), 45,
         "Unable to paste data, number of inputs is less\nthan the number of alpha carbons"},
        {single, 1, kInvalidAtomId},
        {emptyRange, 200, kNoAtomsInRange},
        {reversed, 200, kNoAtomsInRange},
        {range, 49,
         "Unable to paste data, number of inputs is less\nthan the number of atoms in "
         "the range"},
        {Request(4), 400, "Unknown paste mode"},
        {Request(kPasteAllAtoms, 2), 400, "Unknown paste target"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PasteValues(mol, c.request, std::vector<float>(c.count, 42.0f)), c.refusal);
        EXPECT_EQ(Field(mol, false), temp) << c.refusal;
        EXPECT_EQ(Field(mol, true), occ) << c.refusal;
    }
    // Just enough numbers are enough, for each mode.
    EXPECT_EQ(PasteRefusal(mol, Request(kPasteAllAtoms), 327), "");
    EXPECT_EQ(PasteRefusal(mol, Request(kPasteAlphaCarbons), 46), "");
    EXPECT_EQ(PasteRefusal(mol, range, 50), "");

    std::vector<float> values;
    for (int i = 0; i < 330; ++i) // more than the atoms: the rest is left over
        values.push_back(i % 2 ? -0.25f * float(i) : 0.25f * float(i) + 2.0f);
    ASSERT_EQ(PasteValues(mol, Request(kPasteAllAtoms, kPasteOccupancy), values), "");
    for (int i = 0; i < 327; ++i)
        ASSERT_EQ(mol.atoms[size_t(i)].occupancy, std::fabs(values[size_t(i)])) << i;
    EXPECT_EQ(Field(mol, false), temp); // the other field is untouched
    EXPECT_FLOAT_EQ(mol.occMin, 0.25f);
    EXPECT_FLOAT_EQ(mol.occMax, 0.25f * 326 + 2.0f);
}

// The range is inclusive, walked by serial whatever the atoms' order; a repeated serial gives its
// number to the first atom of that serial only; serials without an atom use no number.
TEST(PasteColumn, RangeGoesBySerialBothEndsIncluded) {
    Molecule mol = Atoms({12, 10, 14, 10, 9, 15});
    PasteRequest r = Request(kPasteRange);
    r.firstSerial = 10, r.lastSerial = 14;
    ASSERT_EQ(PasteValues(mol, r, {1, 2, 3}), "");
    EXPECT_EQ(Field(mol, false), (std::vector<float>{2, 1, 3, 7, 7, 7}));

    // A single atom takes the first number's magnitude into the occupancy.
    r = Request(kPasteSingleAtom, kPasteOccupancy);
    r.serial = 14;
    ASSERT_EQ(PasteValues(mol, r, {-0.75f, 9}), "");
    EXPECT_EQ(Field(mol, true), (std::vector<float>{0.5f, 0.5f, 0.75f, 0.5f, 0.5f, 0.5f}));
    EXPECT_FLOAT_EQ(mol.occMax, 0.75f);
    EXPECT_FLOAT_EQ(mol.occMin, 0.5f);
}

// Residue k's number goes to every atom of residue k, chain after chain.
TEST(PasteColumn, AlphaCarbonModeFillsWholeResidues) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1bni.pdb")); // three chains
    Molecule& mol = *doc.primary;
    ASSERT_EQ(mol.chains.size(), 3u);
    std::vector<float> values;
    for (int k = 0; k < mol.ResidueCount(); ++k)
        values.push_back(float(k + 1));
    ASSERT_EQ(PasteValues(mol, Request(kPasteAlphaCarbons), values), "");
    float k = 0;
    for (const Chain& chain : mol.chains)
        for (const Residue& residue : chain.residues) {
            ++k;
            for (int atom : residue.atoms)
                ASSERT_EQ(mol.atoms[size_t(atom)].tempFactor, k);
        }
    EXPECT_EQ(k, float(mol.ResidueCount()));
    EXPECT_FLOAT_EQ(mol.tempMax, k);
    EXPECT_FLOAT_EQ(mol.tempMin, 1.0f);
}

// Radii scaled by the pasted field are scaled again over its new range; radii scaled by the
// other field stay.
TEST(PasteColumn, RadiusSchemeOfThePastedFieldIsAppliedAgain) {
    Molecule mol = Atoms({1, 2, 3});
    SetRadii(mol, kRadiusByTemperature, 0, 0, 0.0f);
    ASSERT_EQ(PasteValues(mol, Request(kPasteAllAtoms), {1, 3, 5}), "");
    EXPECT_FLOAT_EQ(mol.atoms[0].radius, 3.0f * 1 / 4);
    EXPECT_FLOAT_EQ(mol.atoms[2].radius, 3.0f * 5 / 4);

    const float before = mol.atoms[2].radius;
    ASSERT_EQ(PasteValues(mol, Request(kPasteAllAtoms, kPasteOccupancy), {1, 2, 9}), "");
    EXPECT_EQ(mol.atoms[2].radius, before);
    EXPECT_EQ(mol.radiusScheme, kRadiusByTemperature);
}

} // namespace vorn

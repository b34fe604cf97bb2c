// Secondary structure from alpha carbons: virtual geometry, predicates, each pass and whole chains.
#include "analysis/SecondaryStructure.h"

#include "model/Molecule.h"

#include <cmath>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace vorn {

namespace {

using Codes = std::vector<int>;

// Appends a chain of coil residues of one type, one "CA" atom per point.
Chain& AddChain(Molecule& mol, const std::vector<CaPoint>& points, int type = kAla) {
    Chain& chain = mol.chains.emplace_back();
    for (const CaPoint& p : points) {
        Residue& residue = chain.residues.emplace_back();
        residue.type = type, residue.structure = kCoil, residue.caIndex = mol.AtomCount();
        Atom& atom = mol.atoms.emplace_back();
        atom.x = static_cast<float>(p[0]), atom.y = static_cast<float>(p[1]);
        atom.z = static_cast<float>(p[2]);
    }
    return chain;
}

// Ideal alpha helix (1.5 Å rise, 100 degrees per residue, radius 2.3 Å) or planar strand
// (CA-CA 3.8 Å, CA(i)-CA(i+2) 6.6 Å).
std::vector<CaPoint> Points(bool helix, int n) {
    std::vector<CaPoint> points;
    for (int i = 0; i < n; ++i) {
        const double turn = i * 100.0 * M_PI / 180.0;
        points.push_back(helix ? CaPoint{2.3 * std::cos(turn), 2.3 * std::sin(turn), 1.5 * i}
                               : CaPoint{3.3 * i, (i % 2) ? 1.884 : 0.0, 0.0});
    }
    return points;
}

Codes CodesOf(const Chain& chain) {
    Codes codes;
    for (const Residue& residue : chain.residues)
        codes.push_back(residue.structure);
    return codes;
}

// The codes pass(g, chain) leaves on a chain of coil residues, one per record of g.
template <typename Pass>
Codes AfterPass(Pass pass, const std::vector<CaGeometry>& g) {
    Molecule mol;
    Chain chain = AddChain(mol, std::vector<CaPoint>(g.size()));
    pass(g, chain);
    return CodesOf(chain);
}

const CaGeometry kExtended{180.0, 130.0};

} // namespace

TEST(SecondaryStructureGeometry, VirtualValuesWindowAndIntervals) {
    const CaPoint o{0, 0, 0}, x{1, 0, 0}, y{0, 1, 0}, minusX{-1, 0, 0};
    // Rounding puts the sine of this right angle just above 1.
    EXPECT_DOUBLE_EQ(
        VirtualAngle(o, CaPoint{-2.2, -2.7, -7.5}, CaPoint{-17.759999999999998, -43.89, 21.01}),
        90.0);
    EXPECT_EQ(VirtualAngle(o, o, y), 500.0); // coincident points
    EXPECT_EQ(VirtualAngle(o, x, CaPoint{2, 0, 0}), 0.0);
    // A straight angle is the supplement taken from single-precision pi.
    EXPECT_DOUBLE_EQ(VirtualAngle(o, x, minusX), 180.00000500895632);
    EXPECT_DOUBLE_EQ(VirtualDihedral(x, o, y, CaPoint{0, 1, 1}), -90.0);
    EXPECT_EQ(VirtualDihedral(x, o, minusX, y), 500.0); // collinear triple

    Molecule mol;
    Chain& chain = AddChain(mol, Points(false, 7));
    chain.residues[4].caIndex = 999; // names no atom: treated as absent
    const std::vector<CaGeometry> g = ComputeCaGeometry(mol, chain);
    EXPECT_EQ(g[1].d4, -1.0);
    EXPECT_EQ(g[2].dihedral, 500.0);
    EXPECT_NEAR(g[2].d4, 13.2, 0.001); // CA(i+3) is there though CA(i+2) is not
    EXPECT_EQ(g[3].d2, -1.0);

    // A value on the end of an interval fails.
    EXPECT_TRUE(IsHelical(CaGeometry{30.0, 79.5}));
    EXPECT_FALSE(IsHelical(CaGeometry{30.0, 79.0}));
    EXPECT_FALSE(IsHelical(CaGeometry{500.0, 500.0, -1.0, 5.0, 6.45}));
    EXPECT_TRUE(IsExtended(CaGeometry{-170.0, 110.0}));
    EXPECT_FALSE(IsExtended(CaGeometry{-180.1, 130.0}));
    EXPECT_TRUE(IsExtended(CaGeometry{500.0, 500.0, 7.0, 10.0, 12.0}));
}

TEST(SecondaryStructurePasses, HelixRunsAndTheirEnds) {
    // e fits as the end of a run (d3 5.0, above the 4.8 that grows a run of four); e2 only
    // fits the end of an accepted run.
    const CaGeometry h{50.0, 90.0}, e{500.0, 90.0, -1.0, 5.0}, e2{500.0, 90.0, -1.0, 4.78}, c{};
    const std::pair<std::vector<CaGeometry>, Codes> cases[] = {
        {{e, h, h, h, h, e, e, c, c}, {1, 1, 1, 1, 1, 1, 1, 0, 0}},
        {{e, h, h, h, h, e2, e, c, c}, Codes(9, 0)},
        {{e, h, h, h, h}, Codes(5, 0)}, // four that reach the chain end
        {{e, h, h, h, e, c}, Codes(6, 0)},
        {{c, h, h, h, h, h, c}, {0, 1, 1, 1, 1, 1, 0}},
    };
    for (const auto& [g, codes] : cases)
        EXPECT_EQ(AfterPass(AssignHelices, g), codes);
}

TEST(SecondaryStructurePasses, StrandEndsTurnsAndBulges) {
    std::vector<CaGeometry> g(8, kExtended);
    g[0] = CaGeometry{500.0, 500.0, 7.32}; // leading end: d2 alone, below 7.35
    g[5] = CaGeometry{500.0, 130.0, 7.32}; // trailing end needs d2 below 7.3
    g[6] = g[7] = CaGeometry{};
    const auto strands = [](const auto& g, Chain& chain) { AssignStrands(Molecule(), g, chain); };
    EXPECT_EQ(AfterPass(strands, g), (Codes{2, 2, 2, 2, 2, 0, 0, 0}));

    g.assign(6, CaGeometry{});
    g[0] = {500.0, 500.0, 5.4, 5.0}, g[1] = {500.0, 500.0, 5.4};      // a turn at 1
    g[2] = {500.0, 500.0, 5.5, 6.5, 8.5}, g[3] = {500.0, 500.0, 5.5}; // a bulge at 3
    EXPECT_EQ(AfterPass(AssignTurnsAndBulges, g), (Codes{0, 3, 3, 4, 4, 0}));
}

TEST(SecondaryStructurePasses, ShortStrandNeedsFiveSheetPartners) {
    // A run at 5..7 on the x axis. Partners count from j <= 1 and j >= 11 (2..4 and 8..10 are too
    // close in sequence); 1 lies near two run residues and counts once.
    const std::vector<CaPoint> points{
        {0, 4.8, 0},    {1.9, 4.5, 0}, {0, -4.8, 0}, {3.8, -4.8, 0}, {7.6, -4.8, 0},
        {0, 0, 0},      {3.8, 0, 0},   {7.6, 0, 0},  {0, 0, -4.8},   {3.8, 0, -4.8},
        {7.6, 0, -4.8}, {7.6, 4.8, 0}, {0, 0, 4.8},  {3.8, 0, 4.8}};
    Molecule mol;
    Chain& chain = AddChain(mol, points);
    std::vector<CaGeometry> g(14);
    g[5] = g[6] = g[7] = kExtended;
    g[13].angle = 130.0; // strand-like partners do not count
    EXPECT_FALSE(HasSheetContacts(mol, chain, g, 5, 3));
    g[13].angle = 500.0;
    chain.residues[12].structure = kAlphaHelix; // nor do helical ones
    AssignStrands(mol, g, chain);
    EXPECT_EQ(CodesOf(chain), (Codes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}));
    chain.residues[12].structure = kCoil;
    AssignStrands(mol, g, chain);
    EXPECT_EQ(CodesOf(chain), (Codes{0, 0, 0, 0, 0, 2, 2, 2, 0, 0, 0, 0, 0, 0}));
}

TEST(SecondaryStructureChains, IdealNucleicShortAndEmptyChains) {
    Molecule mol;
    AddChain(mol, Points(true, 10));
    AddChain(mol, Points(false, 8));
    AddChain(mol, Points(true, 6), kNucleotideU).residues[3].type = kAla; // the first decides
    Chain& tooShort = AddChain(mol, Points(true, 3));
    tooShort.residues[1].type = kNucleotideU;
    tooShort.residues[0].structure = tooShort.residues[2].structure = kNotAssigned;
    mol.chains.emplace_back();
    EXPECT_TRUE(AssignSecondaryStructure(mol, nullptr));
    // The last two residues of a helix lack the points ahead; their spacing reads as a turn.
    EXPECT_EQ(CodesOf(mol.chains[0]), (Codes{0, 1, 1, 1, 1, 1, 1, 1, 3, 3}));
    EXPECT_EQ(CodesOf(mol.chains[1]), (Codes{0, 2, 2, 2, 2, 2, 2, 0}));
    EXPECT_EQ(CodesOf(mol.chains[2]), Codes(6, kNucleicHelix));
    EXPECT_EQ(CodesOf(mol.chains[3]), Codes(3, kCoil));
}

} // namespace vorn

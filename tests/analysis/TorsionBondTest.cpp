// Torsion bond: which side of a picked bond turns, and turning it in the shown coordinates.
#include "analysis/TorsionBond.h"

#include "model/Molecule.h"
#include "model/VornDoc.h"

#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Point = std::array<float, 3>;

// Atoms at the points, bonded as listed (first < second).
Molecule Built(const std::vector<Point>& points, const std::vector<std::pair<int, int>>& bonds) {
    Molecule mol;
    for (const Point& p : points) {
        Atom& atom = mol.atoms.emplace_back();
        atom.x = p[0], atom.y = p[1], atom.z = p[2];
    }
    std::vector<std::vector<int>> lists(points.size());
    for (auto [a, b] : bonds) {
        mol.bonds.push_back({a, b});
        lists[size_t(a)].push_back(b);
        lists[size_t(b)].push_back(a);
    }
    for (const std::vector<int>& list : lists)
        mol.bonded.Add(list.begin(), list.end());
    return mol;
}

int BondIndex(const Molecule& mol, int a, int b) {
    for (size_t i = 0; i < mol.bonds.size(); ++i)
        if (mol.bonds[i].first == a && mol.bonds[i].second == b)
            return int(i);
    return -1;
}

Point At(const Molecule& mol, int i) {
    const Atom& a = mol.atoms[size_t(i)];
    return {a.x, a.y, a.z};
}

void ExpectNear(const Point& p, const Point& q, double tolerance) {
    for (size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(p[k], q[k], tolerance) << "coordinate " << k;
}

// 0 − 1 − 2 − 3 − 4, zig-zag in the xz plane, with 5 on atom 3 and 6, 7 on atom 0.
Molecule Chain() {
    return Built(
        {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 2}, {2, 0, 1}, {1, 1, 0}, {2, 0, 0}},
        {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {3, 5}, {0, 6}, {0, 7}});
}

TEST(TorsionBond, SmallerSideMovesInAscendingOrder) {
    Molecule mol = Chain();
    TorsionBond torsion;
    torsion.SelectTorsionBond(mol, BondIndex(mol, 2, 3)); // sides {0, 1, 6, 7} and {4, 5}
    EXPECT_EQ(torsion.MovingAtoms(), (std::vector<int>{4, 5}));
    torsion.SelectTorsionBond(mol, BondIndex(mol, 1, 2)); // three atoms each side: a's side
    EXPECT_EQ(torsion.MovingAtoms(), (std::vector<int>{0, 6, 7}));
    torsion.SelectTorsionBond(mol, BondIndex(mol, 3, 4)); // a lone end atom: nothing to turn
    EXPECT_TRUE(torsion.MovingAtoms().empty());

    // The selected bond picked again clears the selection; a bad index changes nothing.
    torsion.SelectTorsionBond(mol, BondIndex(mol, 2, 3));
    torsion.SelectTorsionBond(mol, 99);
    EXPECT_EQ(torsion.GetMolecule(), &mol);
    torsion.SelectTorsionBond(mol, BondIndex(mol, 2, 3));
    EXPECT_EQ(torsion.AtomA(), -1);
    EXPECT_EQ(torsion.GetMolecule(), nullptr);
}

TEST(TorsionBond, TurnsRightHandedAndBackInTheShownCoordinates) {
    Molecule mol = Chain();
    TorsionBond torsion;
    torsion.SelectTorsionBond(mol, BondIndex(mol, 1, 2)); // axis +z through the origin
    torsion.SetTorsion(90);                               // the slider at 270
    EXPECT_EQ(torsion.Angle(), 90.0);
    ExpectNear(At(mol, 0), {0, 1, 0}, 1e-6);
    ExpectNear(At(mol, 6), {-1, 1, 0}, 1e-6);
    EXPECT_EQ(At(mol, 3), (Point{1, 0, 1})); // the other side stays
    torsion.SetTorsion(0);                   // back to 180
    ExpectNear(At(mol, 0), {1, 0, 0}, 1e-6);
    ExpectNear(At(mol, 6), {1, 1, 0}, 1e-6);

    // A shown frame (the atoms shifted by 10 along x) turns about its own axis; atoms stay.
    std::vector<float> frame;
    for (const Atom& atom : mol.atoms)
        frame.insert(frame.end(), {atom.x + 10, atom.y, atom.z});
    mol.frames.Append(frame);
    mol.currentFrame = 1;
    torsion.SetTorsion(-90);
    const std::vector<float>& shown = mol.frames[0];
    ExpectNear({shown[0], shown[1], shown[2]}, {10, -1, 0}, 1e-6);
    ExpectNear(At(mol, 0), {1, 0, 0}, 1e-6);
}

int AtomNamed(const Molecule& mol, int resSeq, const char* name) {
    for (int i = 0; i < mol.AtomCount(); ++i)
        if (mol.atoms[size_t(i)].resSeq == resSeq &&
            std::strcmp(mol.atoms[size_t(i)].name, name) == 0)
            return i;
    return -1;
}

TEST(TorsionBond, TurnsAProteinSideChainFullCircle) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(std::string(VORN_TEST_DATA) + "/1crn.pdb"));
    Molecule& mol = *doc.primary;
    // Arg 10's CA − CB turns the six atoms CG … NH2. Phe 13's ring bond CG − CD1 turns nothing,
    // though its sides differ (CG's side also holds CB and the chain): turning would tear the ring.
    const int ca = AtomNamed(mol, 10, "CA"), cb = AtomNamed(mol, 10, "CB");
    const int cg = AtomNamed(mol, 13, "CG"), cd1 = AtomNamed(mol, 13, "CD1");
    ASSERT_GE(BondIndex(mol, cg, cd1), 0);
    TorsionBond torsion;
    torsion.SelectTorsionBond(mol, BondIndex(mol, cg, cd1));
    EXPECT_FALSE(torsion.CanTurn());
    torsion.SelectTorsionBond(mol, BondIndex(mol, ca, cb));
    ASSERT_EQ(torsion.MovingAtoms().size(), 6u);
    for (int i : torsion.MovingAtoms())
        EXPECT_EQ(mol.atoms[size_t(i)].resSeq, 10);

    std::vector<Point> start;
    for (int i : torsion.MovingAtoms())
        start.push_back(At(mol, i));
    torsion.SetTorsion(120);
    const Point p = At(mol, torsion.MovingAtoms().back()), q = start.back();
    EXPECT_GT(std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]), 1.0);
    torsion.SetTorsion(240);
    torsion.SetTorsion(360);
    EXPECT_EQ(torsion.Angle(), 360.0);
    for (size_t k = 0; k < start.size(); ++k)
        ExpectNear(At(mol, torsion.MovingAtoms()[k]), start[k], 1e-4);
}

} // namespace

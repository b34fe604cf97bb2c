// Torsion bond: which side of a picked bond turns, and turning it in the shown coordinates.
#include "analysis/TorsionBond.h"

#include "document/VornDoc.h"
#include "model/Molecule.h"

#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

namespace {

using Point = std::array<float, 3>;

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

void ExpectNear(const Point& p, const Point& q, double tolerance = 1e-6) {
    for (size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(p[k], q[k], tolerance) << "coordinate " << k;
}

// 0 − 1 − 2 − 3 − 4, zig-zag in the xz plane, with 5 on atom 3 and 6, 7 on atom 0.
Molecule Chain() {
    Molecule mol;
    const Point points[] = {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {1, 0, 1},
                            {1, 0, 2}, {2, 0, 1}, {1, 1, 0}, {2, 0, 0}};
    const std::pair<int, int> bonds[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {3, 5}, {0, 6}, {0, 7}};
    for (const Point& p : points) {
        Atom& atom = mol.atoms.emplace_back();
        atom.x = p[0], atom.y = p[1], atom.z = p[2];
    }
    std::vector<std::vector<int>> lists(mol.atoms.size());
    for (auto [a, b] : bonds) {
        mol.bonds.push_back({a, b});
        lists[size_t(a)].push_back(b), lists[size_t(b)].push_back(a);
    }
    for (const std::vector<int>& list : lists)
        mol.bonded.Add(list.begin(), list.end());
    return mol;
}

TEST(TorsionBond, SmallerSideMovesAndTurnsRightHandedInTheShownCoordinates) {
    Molecule mol = Chain();
    TorsionBond torsion;
    torsion.SelectTorsionBond(mol, BondIndex(mol, 3, 4)); // a lone end atom: nothing to turn
    EXPECT_TRUE(torsion.MovingAtoms().empty());
    torsion.SelectTorsionBond(mol, BondIndex(mol, 2, 3)); // sides {0, 1, 6, 7} and {4, 5}
    EXPECT_EQ(torsion.MovingAtoms(), (std::vector<int>{4, 5}));
    // A bad index changes nothing; the selected bond picked again clears the selection.
    torsion.SelectTorsionBond(mol, 99);
    EXPECT_EQ(torsion.GetMolecule(), &mol);
    torsion.SelectTorsionBond(mol, BondIndex(mol, 2, 3));
    EXPECT_EQ(torsion.AtomA(), -1);
    EXPECT_EQ(torsion.GetMolecule(), nullptr);

    torsion.SelectTorsionBond(mol, BondIndex(mol, 1, 2)); // three atoms each side: a's side
    EXPECT_EQ(torsion.MovingAtoms(), (std::vector<int>{0, 6, 7}));
    torsion.SetTorsion(90); // the slider at 270; the axis is +z through the origin
    EXPECT_EQ(torsion.Angle(), 90.0);
    ExpectNear(At(mol, 0), {0, 1, 0});
    ExpectNear(At(mol, 6), {-1, 1, 0});
    EXPECT_EQ(At(mol, 3), (Point{1, 0, 1})); // the other side stays
    torsion.SetTorsion(0);                   // back to 180
    ExpectNear(At(mol, 0), {1, 0, 0});
    ExpectNear(At(mol, 6), {1, 1, 0});

    // A shown frame (the atoms shifted by 10 along x) turns about its own axis; atoms stay.
    std::vector<float> frame;
    for (const Atom& atom : mol.atoms)
        frame.insert(frame.end(), {atom.x + 10, atom.y, atom.z});
    mol.frames.Append(frame);
    mol.currentFrame = 1;
    torsion.SetTorsion(-90);
    ExpectNear({mol.frames[0][0], mol.frames[0][1], mol.frames[0][2]}, {10, -1, 0});
    ExpectNear(At(mol, 0), {1, 0, 0});

    // A short frame holding atoms 0 to 2 only: atoms 6 and 7 are shown, and turned, from their
    // records, and the frame keeps its size.
    Molecule shortFrame = Chain();
    shortFrame.frames.Append({1, 0, 0, 0, 0, 0, 0, 0, 1});
    shortFrame.currentFrame = 1;
    torsion.SelectTorsionBond(shortFrame, BondIndex(shortFrame, 1, 2));
    torsion.SetTorsion(90);
    EXPECT_EQ(shortFrame.frames[0].size(), 9u);
    ExpectNear({shortFrame.frames[0][0], shortFrame.frames[0][1], shortFrame.frames[0][2]},
               {0, 1, 0});
    ExpectNear(At(shortFrame, 6), {-1, 1, 0});
    ExpectNear(At(shortFrame, 7), {0, 2, 0});
}

int AtomNamed(const Molecule& mol, int resSeq, const char* name) {
    for (int i = 0; i < mol.AtomCount(); ++i)
        if (mol.atoms[size_t(i)].resSeq == resSeq && !std::strcmp(mol.atoms[size_t(i)].name, name))
            return i;
    return -1;
}

TEST(TorsionBond, TurnsAProteinSideChainFullCircle) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(std::string(VORN_TEST_DATA) + "/1crn.pdb"));
    Molecule& mol = *doc.primary;
    // Phe 13's ring bond CG − CD1 turns nothing, though its sides differ (CG's side also holds CB
    // and the chain): turning would tear the ring. Arg 10's CA − CB turns the six atoms CG … NH2.
    const int ring = BondIndex(mol, AtomNamed(mol, 13, "CG"), AtomNamed(mol, 13, "CD1"));
    ASSERT_GE(ring, 0);
    TorsionBond torsion;
    torsion.SelectTorsionBond(mol, ring);
    EXPECT_FALSE(torsion.CanTurn());
    torsion.SelectTorsionBond(mol,
                              BondIndex(mol, AtomNamed(mol, 10, "CA"), AtomNamed(mol, 10, "CB")));
    ASSERT_EQ(torsion.MovingAtoms().size(), 6u);

    const int tip = torsion.MovingAtoms().back();
    const Point start = At(mol, tip);
    torsion.SetTorsion(120);
    const Point p = At(mol, tip);
    EXPECT_GT(std::hypot(p[0] - start[0], p[1] - start[1], p[2] - start[2]), 1.0);
    torsion.SetTorsion(240);
    torsion.SetTorsion(360);
    EXPECT_EQ(torsion.Angle(), 360.0);
    ExpectNear(At(mol, tip), start, 1e-4);
}

} // namespace

} // namespace vorn

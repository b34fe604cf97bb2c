// Hydrogen bonds: the energy and its bounds, virtual hydrogens, roles, models, placement, and the
// grid search against every pair of real proteins.
#include "analysis/HydrogenBonds.h"

#include "document/VornDoc.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace vorn {

namespace {

using Bonds = std::vector<HydrogenBond>;

int AddAtom(Molecule& mol, int element, float x, float y = 0, float z = 0) {
    Atom& atom = mol.atoms.emplace_back();
    atom.element = element, atom.x = x, atom.y = y, atom.z = z;
    return mol.AtomCount() - 1;
}

void Connect(Molecule& mol, const std::vector<std::pair<int, int>>& pairs) {
    std::vector<std::vector<int>> lists(mol.atoms.size());
    for (const auto& [a, b] : pairs)
        lists[size_t(a)].push_back(b), lists[size_t(b)].push_back(a);
    mol.bonded = FlatLists();
    for (const std::vector<int>& list : lists)
        mol.bonded.Add(list.begin(), list.end());
}

// Peptide nitrogen 0 between carbons 1 and 2 (its virtual hydrogen at (1, 0, 0)), carbonyl oxygen
// 3 at (2.9, 0, 0) on carbon 4.
Molecule Peptide() {
    Molecule mol;
    AddAtom(mol, kNitrogen, 0), AddAtom(mol, kCarbon, -1.2f, 0.7f),
        AddAtom(mol, kCarbon, -1.2f, -0.7f);
    AddAtom(mol, kOxygen, 2.9f), AddAtom(mol, kCarbon, 4.13f);
    Connect(mol, {{0, 1}, {0, 2}, {3, 4}});
    return mol;
}

// Every donor tried against every atom, without the grid.
Bonds AllPairs(const std::vector<const Molecule*>& m) {
    Bonds bonds;
    for (int dm = 0; dm < int(m.size()); ++dm)
        for (int d = 0; d < m[dm]->AtomCount(); ++d)
            for (int am = 0; am < int(m.size()) && HydrogenBondRoleOf(*m[dm], d) == kDonor; ++am)
                for (int a = 0; a < m[am]->AtomCount(); ++a)
                    if (IsHydrogenBond(*m[dm], d, *m[am], a))
                        bonds.push_back({dm, am, d, a});
    return bonds;
}

void ExpectAt(const std::optional<ScenePoint>& p, const ScenePoint& at) {
    ASSERT_TRUE(p);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_NEAR((*p)[k], at[k], 1e-6) << k;
}

TEST(HydrogenBonds, EnergyAndVirtualHydrogen) {
    const ScenePoint n{-1, 0, 0}, h{0, 0, 0};
    EXPECT_NEAR(HydrogenBondEnergy(n, h, {1.9, 0, 0}, {3.13, 0, 0}), -2.903981, 1e-6);
    // The oxygen at 2.1f lies just beyond 4.4099994 when squared; one float nearer it is within.
    const double at = 2.1f, nearer = std::nextafter(2.1f, 0.0f);
    EXPECT_EQ(HydrogenBondEnergy(n, h, {at, 0, 0}, {at + 1.23, 0, 0}), 0.5);
    EXPECT_NEAR(HydrogenBondEnergy(n, h, {nearer, 0, 0}, {nearer + 1.23, 0, 0}), -2.349744, 1e-6);
    // Stacked atoms would give -inf or NaN: O on H, K on N, both.
    EXPECT_EQ(HydrogenBondEnergy(n, h, h, {1.2, 0, 0}), 0.5);
    EXPECT_EQ(HydrogenBondEnergy(n, h, {1.9, 0, 0}, n), 0.5);
    EXPECT_EQ(HydrogenBondEnergy(n, h, n, h), 0.5);

    // The virtual hydrogen of N = h: on the outer bisector, or leaning towards the acceptor.
    const ScenePoint o{3, 0, 0};
    ExpectAt(VirtualHydrogen(h, {{-1, 0, 0}, {0, -1, 0}}, o), {std::sqrt(0.5), std::sqrt(0.5), 0});
    ExpectAt(VirtualHydrogen(h, {{0, 0, -1.47}}, {3, 0, 5}), {0.932039, 0, 0.362358});
    EXPECT_FALSE(VirtualHydrogen(h, {{0, 0, -1.47}}, {0, 0, 3})); // acceptor on the axis
    EXPECT_FALSE(VirtualHydrogen(h, {{-1, 0, 0}, {1, 0, 0}}, o)); // bisector cancels
    EXPECT_FALSE(VirtualHydrogen(h, {{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}, o));
    EXPECT_FALSE(VirtualHydrogen(h, {}, o));
}

TEST(HydrogenBonds, RolesModelsAndSceneFrame) {
    Molecule mol = Peptide();
    // With its hydrogen written out, the hydrogen donates and the nitrogen no longer does.
    const int h = AddAtom(mol, kHydrogen, 1);
    Connect(mol, {{0, 1}, {0, 2}, {3, 4}, {0, h}});
    EXPECT_EQ(FindHydrogenBonds({&mol}), (Bonds{{0, 0, h, 3}}));
    // A carbonyl oxygen with a second neighbour is no acceptor.
    const int c = AddAtom(mol, kCarbon, 2.9f, 1.4f);
    Connect(mol, {{0, 1}, {0, 2}, {3, 4}, {0, h}, {3, c}});
    EXPECT_TRUE(FindHydrogenBonds({&mol}).empty());
    // Stacked alternate locations: the oxygen's carbon on the nitrogen of a hydrogen.
    Molecule stacked = Peptide();
    AddAtom(stacked, kHydrogen, 1.5f), AddAtom(stacked, kNitrogen, 0.5f);
    Connect(stacked, {{0, 1}, {0, 2}, {3, 4}, {5, 6}});
    stacked.atoms[4].x = 0.5f;
    EXPECT_EQ(FindHydrogenBonds({&stacked}), (Bonds{{0, 0, 0, 3}}));
    stacked.atoms[3].model = 2;
    EXPECT_TRUE(FindHydrogenBonds({&stacked}).empty());

    // Between molecules, in their scene frame.
    Molecule donor = Peptide(), acceptor;
    // Turned half round z, the acceptor at (-2.9, 0, 0) shows at (2.9, 0, 0).
    AddAtom(acceptor, kOxygen, -2.9f), AddAtom(acceptor, kCarbon, -4.13f);
    Connect(acceptor, {{0, 1}});
    acceptor.atoms[0].model = 2; // models matter within a molecule only
    acceptor.motion.rotation = {0, 0, 1, 0};
    EXPECT_EQ(FindHydrogenBonds({nullptr, &donor, &acceptor}), (Bonds{{1, 1, 0, 3}, {1, 2, 0, 0}}));
    acceptor.motion.translation[0] = -10;
    EXPECT_EQ(FindHydrogenBonds({&donor, &acceptor}), (Bonds{{0, 0, 0, 3}}));
    // Molecules far apart share one grid without losing pairs.
    Molecule near = Peptide(), far = Peptide(), farther = Peptide();
    far.motion.translation[1] = 1e7f;
    std::fill_n(farther.motion.translation, 3, 1e12f);
    EXPECT_EQ(FindHydrogenBonds({&near, &far, &farther}),
              (Bonds{{0, 0, 0, 3}, {1, 1, 0, 3}, {2, 2, 0, 3}}));
}

TEST(HydrogenBonds, GridSearchFindsWhatEveryPairFinds) {
    CVornDoc doc;
    for (const char* name : {"1crn.pdb", "1ubq.pdb", "adk_closed.pdb", "2eqq.pdb"})
        ASSERT_TRUE(doc.ReadCoordinateFile(std::string(VORN_TEST_DATA) + "/" + name));
    // Crambin and ubiquitin both sit on the origin; turned and shifted, ubiquitin still meets it.
    doc.MoleculeAt(1).motion.rotation = {0.2f, 0.3f, -0.1f, 0.927362f};
    doc.MoleculeAt(1).motion.translation[1] = 3;
    // Then explicit hydrogens, and twenty superimposed models.
    for (const std::vector<const Molecule*>& set :
         {std::vector<const Molecule*>{&doc.MoleculeAt(0), &doc.MoleculeAt(1)},
          {&doc.MoleculeAt(2)},
          {&doc.MoleculeAt(3)}}) {
        const Bonds bonds = FindHydrogenBonds(set);
        EXPECT_EQ(bonds, AllPairs(set));
        EXPECT_GT(bonds.size(), 80u);
    }
}

} // namespace

} // namespace vorn

// Measurement table: the picking rule, bounds-checked accessors and the measured geometry.
#include "analysis/MeasureTable.h"

#include "RaisedError.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

namespace {

std::unique_ptr<Molecule> MoleculeOf(const std::vector<std::array<float, 3>>& points,
                                     int firstSerial = 1) {
    auto mol = std::make_unique<Molecule>();
    for (const auto& p : points) {
        Atom& atom = mol->atoms.emplace_back();
        atom.x = p[0], atom.y = p[1], atom.z = p[2], atom.serial = firstSerial++, atom.model = 2;
    }
    return mol;
}

MeasureTable Picked(Molecule& mol, std::vector<int> atoms) {
    MeasureTable table;
    for (int atom : atoms)
        table.TogglePick(1, &mol, atom);
    return table;
}

TEST(MeasureTable, PickingRuleRemovesEndsIgnoresMiddleAndFifth) {
    auto mol = MoleculeOf({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {2, 2, 2}}, 10);
    MeasureTable table = Picked(*mol, {0, 1, 2, 3});
    for (int atom : {1, 2, 4}) // B, C and a fifth atom
        EXPECT_FALSE(table.TogglePick(1, mol.get(), atom)) << atom;
    EXPECT_TRUE(table.TogglePick(1, mol.get(), 0)); // A goes; B, C, D become A, B, C
    ASSERT_EQ(table.Count(), 3);
    EXPECT_EQ(table.Id(0), 11);
    EXPECT_EQ(table.Model(0), 2);
    EXPECT_EQ(table.x(0), 1.0f); // the values move with their atoms at once
    EXPECT_EQ(table.Bond(1), 1.0f);
    EXPECT_FALSE(table.TogglePick(1, mol.get(), 2)); // the middle of three
    EXPECT_TRUE(table.TogglePick(1, mol.get(), 3));  // the last
    // A pick naming no atom is refused rather than read past the atoms.
    EXPECT_FALSE(table.TogglePick(1, mol.get(), 5));
    EXPECT_FALSE(table.TogglePick(1, nullptr, 0));
    EXPECT_EQ(table.Count(), 2);
}

TEST(MeasureTable, AccessorsFollowTheMoleculeAndRefuseIndicesPastWhatIsPicked) {
    auto mol = MoleculeOf({{0, 0, 0}, {3, 4, 0}});
    mol->atoms[1].color = {10, 20, 30, 40};
    MeasureTable table = Picked(*mol, {0, 1});
    EXPECT_EQ(table.Color(1), (Rgba{10, 20, 30, 40}));
    // Shifted by (1, 1, 1), then a half turn about z: (x, y, z) → (−x, −y, z); the bond stays.
    std::fill_n(mol->motion.translation, 3, 1.0f);
    mol->motion.rotation = {0, 0, 1, 0};
    table.Recompute();
    EXPECT_EQ((std::array{table.x(1), table.y(1), table.z(1)}), (std::array{-4.0f, -5.0f, 1.0f}));
    EXPECT_NEAR(table.Bond(0), 5.0f, 1e-6);
    const std::pair<std::function<void()>, const char*> refused[] = {
        {[&] { table.x(2); }, "x index"},         {[&] { table.y(-1); }, "y index"},
        {[&] { table.z(2); }, "z index"},         {[&] { table.Id(2); }, "Id index"},
        {[&] { table.Model(2); }, "Model index"}, {[&] { table.Bond(1); }, "Bond index"},
        {[&] { table.Angle(0); }, "Angle index"}, {[&] { table.Torsion(); }, "Torsion index"},
        {[&] { table.Color(2); }, "Index"}};
    for (const auto& [call, what] : refused)
        EXPECT_EQ(SourcedErrorOf(call), std::string("measure: ") + what + " out of bounds");
}

TEST(MeasureTable, AnglesAndTorsionsOfBuiltPoints) {
    auto mol =
        MoleculeOf({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 1, 0}});
    EXPECT_EQ(Picked(*mol, {0, 1, 2}).Angle(0), 3.1415927f);
    EXPECT_NEAR(Picked(*mol, {0, 1, 5}).Angle(0), 0.0, 1e-6);
    // A coincident pair has no direction: the angle reads 0, never NaN.
    const MeasureTable coincident = Picked(*mol, {0, 3, 4, 2});
    EXPECT_EQ(coincident.Angle(0), 0.0f);
    EXPECT_EQ(coincident.Angle(1), 0.0f);
    // A, B, C on one line leave the torsion undefined: 0.
    EXPECT_EQ(Picked(*mol, {0, 1, 2, 6}).Torsion(), 0.0f);
    // Here the cosine rounds to just above 1 (3 / (√3·√3)): still the straight angle, not NaN.
    auto diagonal = MoleculeOf({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}});
    EXPECT_EQ(Picked(*diagonal, {0, 1, 2}).Angle(0), 3.1415927f);

    // P3 turned by phi about the axis P1 → P2 (the z axis) from the plane of P0.
    const auto torsion = [](double phi) {
        auto mol = MoleculeOf(
            {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {float(std::cos(phi)), float(std::sin(phi)), 1}});
        return Picked(*mol, {0, 1, 2, 3}).Torsion();
    };
    const double pi = std::acos(-1.0);
    EXPECT_NEAR(torsion(pi / 3), 1.0471976, 1e-6);
    EXPECT_NEAR(torsion(-pi / 3), -1.0471976, 1e-6);
    EXPECT_EQ(torsion(pi), 3.1415927f);
}

TEST(MeasureTable, RemoveMoleculeDropsItsEntriesOnly) {
    IndexedList<std::unique_ptr<Molecule>> molecules;
    molecules.Append(MoleculeOf({{0, 0, 0}, {1, 0, 0}}, 1));
    molecules.Append(MoleculeOf({{5, 0, 0}, {6, 0, 0}}, 100));
    MeasureTable table;
    for (auto [m, atom] : {std::pair{0, 0}, {1, 1}, {0, 1}})
        table.TogglePick(1, molecules[size_t(m)].get(), atom);
    table.RemoveMolecule(molecules); // every molecule still there
    EXPECT_EQ(table.Count(), 3);

    const std::unique_ptr<Molecule> removed = std::move(molecules[0]);
    molecules.Remove(0);
    table.RemoveMolecule(molecules);
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Id(0), 101);
    EXPECT_EQ(table.x(0), 6.0f);
}

} // namespace

} // namespace vorn

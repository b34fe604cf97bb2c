// Bonds found from distances, the grid walk, and how a file's CONECT lists combine with them.
#include "model/Connectivity.h"

#include "TestRecords.h"
#include "io/PdbFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <set>
#include <utility>

namespace {

using List = std::vector<int>;

void AddAtom(PdbFile& pdb, int serial, const char* name, float x, float y = 0, float z = 0,
             int model = 0, bool hetatm = false) {
    PdbRecord r = AtomRecord(serial, name, x, y, z, model);
    if (hetatm)
        std::strcpy(r.record, "HETATM");
    r.hetero = hetatm ? 1 : 0;
    pdb.records.push_back(r);
    pdb.atomCount = static_cast<int>(pdb.records.size());
}

void AddConect(PdbFile& pdb, int owner, std::initializer_list<int> bonded) {
    pdb.conects.emplace_back().owner = owner;
    for (int v : bonded)
        pdb.conects.back().bonded.Append(v);
    pdb.conectCount = static_cast<int>(pdb.conects.size());
}

void ExpectLists(const Connectivity& conn, const std::vector<List>& expected) {
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(conn.bonded[i].ToVector(), expected[i]) << "entry " << i;
}

} // namespace

// A pair bonds strictly below the sum of the bond radii of the first letters of the names
// (H 0.455, D 0.68, C and unknown 0.905, P 0.975, S 1.245 Å).
TEST(ConnectivityDistance, BondedBelowSumOfRadiiOfFirstLetters) {
    const struct {
        const char *a, *b;
        float under, over;
    } pairs[] = {{"C", "C", 1.80f, 1.82f},    {"H", "H", 0.90f, 0.92f},
                 {"1HB", "CB", 1.35f, 1.37f}, {"SG", "SG", 2.48f, 2.50f},
                 {"D2", "D2", 1.35f, 1.37f},  {"P", "P", 1.94f, 1.96f},
                 {"ZN", "C", 1.80f, 1.82f},   {"12", "CA", 1.80f, 1.82f}};
    for (const auto& c : pairs)
        for (float d : {c.under, c.over}) {
            PdbFile pdb;
            AddAtom(pdb, 1, c.a, 0);
            AddAtom(pdb, 2, c.b, 0, d);
            EXPECT_EQ(BondsFromCoordinates(pdb, false).bondCount, d == c.under ? 1 : 0)
                << c.a << "-" << c.b << " at " << d;
        }
}

TEST(ConnectivityDistance, SymmetricListsInEitherModeAndOnlyWithinAModel) {
    PdbFile pdb;
    AddAtom(pdb, 7, "N", 0);
    AddAtom(pdb, 8, "CA", 1.45f);
    AddAtom(pdb, 9, "C", 2.9f);
    AddAtom(pdb, 10, "C", 2.9f, 0.5f, 0, /*model=*/1);
    const Connectivity byIndex = BondsFromCoordinates(pdb, false);
    EXPECT_EQ(byIndex.bondCount, 2);
    EXPECT_FALSE(byIndex.serialMode);
    EXPECT_EQ(byIndex.owners[1], 1);
    ExpectLists(byIndex, {{1}, {0, 2}, {1}, {}});
    const Connectivity bySerial = BondsFromCoordinates(pdb, true);
    EXPECT_TRUE(bySerial.serialMode);
    EXPECT_EQ(bySerial.owners[1], 8);
    EXPECT_EQ(bySerial.bonded[1].ToVector(), (List{7, 9}));
    EXPECT_EQ(BondsFromCoordinates(PdbFile(), false).owners.size(), 0u);
}

// Neighbour order shows the cell layout: atoms of one cell pair in file order, cells in x order.
// Below 200 Å of extent cells are 4 Å; beyond, 2 % of the extent (20 Å at 1000 Å).
TEST(ConnectivityGrid, LargeExtentUsesCellsOfTwoPercent) {
    for (float far : {150.0f, 1000.0f}) {
        PdbFile pdb;
        for (float x : {0.0f, 13.8f, 12.5f, 11.5f, 19.5f, 20.5f, far})
            AddAtom(pdb, pdb.atomCount + 1, "C", x);
        const Connectivity conn = BondsFromCoordinates(pdb, false);
        EXPECT_EQ(conn.bondCount, 3);
        EXPECT_EQ(conn.bonded[2].ToVector(), far > 200 ? (List{1, 3}) : (List{3, 1}));
        EXPECT_EQ(conn.bonded[4].ToVector(), List{5}); // across the 20 Å cell boundary
    }
}

TEST(ConnectivityGrid, MatchesAllPairsSearch) {
    const char* names[] = {"C", "N", "O", "H", "1HB", "SG", "P", "D1"};
    std::mt19937 random(12345);
    for (float xSize : {12.0f, 260.0f}) {
        std::uniform_real_distribution<float> x(-xSize / 2, xSize / 2),
            yz(0, xSize > 200 ? 6.0f : 12.0f);
        PdbFile pdb;
        for (int i = 0; i < 500; ++i)
            AddAtom(pdb, i + 1, names[random() % 8], x(random), yz(random), yz(random),
                    static_cast<int>(random() % 2));
        std::set<std::pair<int, int>> expected, found;
        for (int i = 0; i < pdb.atomCount; ++i)
            for (int j = i + 1; j < pdb.atomCount; ++j) {
                const PdbRecord &a = pdb.records[i], &b = pdb.records[j];
                const float r = BondRadius(a.atomName) + BondRadius(b.atomName);
                const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
                if (a.model == b.model && dx * dx + dy * dy + dz * dz < r * r)
                    expected.emplace(i, j);
            }
        const Connectivity conn = BondsFromCoordinates(pdb, false);
        for (int e = 0; e < conn.EntryCount(); ++e)
            for (int v : conn.bonded[e])
                found.emplace(std::min(conn.owners[e], v), std::max(conn.owners[e], v));
        EXPECT_GT(expected.size(), 50u);
        EXPECT_EQ(found, expected);
        EXPECT_EQ(conn.bondCount, static_cast<int>(expected.size()));
    }
}

TEST(ConnectivityGrid, NonFiniteAndExtremeCoordinatesNeverBond) {
    const float inf = std::numeric_limits<float>::infinity();
    PdbFile pdb;
    for (float x : {0.0f, 1.5f, std::nanf(""), inf, inf})
        AddAtom(pdb, pdb.atomCount + 1, "C", x);
    AddAtom(pdb, 6, "C", 0, 3e38f, -inf);
    AddAtom(pdb, 7, "C", -3e38f);
    const Connectivity conn = BondsFromCoordinates(pdb, false);
    EXPECT_EQ(conn.bondCount, 1);
    EXPECT_EQ(conn.bonded[0].ToVector(), List{1});
}

// Atoms stacked on one point (a broken or hostile file) bond at most 16 times each. The search
// pairs them in file order, so each run of 17 atoms bonds completely and the 8 left over bond among
// themselves. Atoms of different models on one point never meet in the search at all.
TEST(ConnectivityGrid, StackedAtomsBondAtMostSixteenTimes) {
    PdbFile pdb;
    for (int i = 0; i < 20000; ++i)
        AddAtom(pdb, i + 1, "C", 5.0f, 5.0f, 5.0f);
    const Connectivity conn = BondsFromCoordinates(pdb, false);
    EXPECT_EQ(conn.bondCount, 1176 * 136 + 28);
    int most = 0;
    for (int e = 0; e < conn.EntryCount(); ++e)
        most = std::max(most, conn.bonded[e].size());
    EXPECT_EQ(most, 16);
    EXPECT_EQ(conn.bonded[0].ToVector(),
              (List{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(conn.bonded[19999].ToVector(),
              (List{19992, 19993, 19994, 19995, 19996, 19997, 19998}));
    for (PdbRecord& r : pdb.records)
        r.model = r.serial;
    EXPECT_EQ(BondsFromCoordinates(pdb, false).bondCount, 0);
}

TEST(ConnectivityMerge, ChoosesFileOrComputedLists) {
    PdbFile pdb;
    for (float x : {0.0f, 1.5f, 9.0f})
        AddAtom(pdb, pdb.atomCount + 1, "C", x);
    EXPECT_FALSE(MakeConnectivity(pdb, true).serialMode);
    EXPECT_EQ(MakeConnectivity(pdb, false).bonded[1].ToVector(), List{1});

    AddConect(pdb, 1, {3}); // a serial with no atom: computed bonds, serial mode
    AddConect(pdb, 3, {77});
    Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_TRUE(conn.serialMode);
    EXPECT_EQ(conn.bonded[0].ToVector(), List{2});

    AddConect(pdb, 2, {}); // one entry per atom: taken as it stands
    pdb.bondCount = 5;
    conn = MakeConnectivity(pdb, true);
    EXPECT_TRUE(conn.serialMode);
    EXPECT_EQ(conn.bondCount, 5);
    EXPECT_EQ(conn.owners[1], 3);
    EXPECT_EQ(conn.bonded[1].ToVector(), List{77});

    pdb.conects.pop_back();
    pdb.conectCount = 2;
    pdb.records[2].model = 2; // several models: computed, index mode, lists ignored
    conn = MakeConnectivity(pdb, false);
    EXPECT_FALSE(conn.serialMode);
    EXPECT_EQ(conn.bonded[0].ToVector(), List{1});
}

// A hetero owner's list replaces its computed one; a disulfide list (a repeated serial counts
// once) adds to the computed side-chain bonds of its owner.
TEST(ConnectivityMerge, LigandListsReplaceComputedOnesAndDisulfidesAdd) {
    PdbFile pdb;
    AddAtom(pdb, 1, "N", 0);
    AddAtom(pdb, 2, "CA", 1.45f);
    AddAtom(pdb, 3, "C", 2.9f);
    AddAtom(pdb, 10, "C1", 0, 10, 0, 0, true);
    AddAtom(pdb, 11, "C2", 1.5f, 10, 0, 0, true);
    AddAtom(pdb, 12, "C3", 3.0f, 10, 0, 0, true);
    AddAtom(pdb, 21, "CB", 0, 20);
    AddAtom(pdb, 22, "SG", 1.8f, 20);
    AddAtom(pdb, 23, "SG", 4.4f, 20); // too far from the other SG for a computed bond
    AddAtom(pdb, 24, "CB", 6.2f, 20);
    AddConect(pdb, 10, {12});
    AddConect(pdb, 12, {10});
    AddConect(pdb, 22, {23, 23});
    AddConect(pdb, 23, {22});
    const Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_TRUE(conn.serialMode);
    EXPECT_EQ(conn.bondCount, 6);
    for (size_t i = 0; i < pdb.records.size(); ++i)
        EXPECT_EQ(conn.owners[i], pdb.records[i].serial);
    ExpectLists(conn, {{2}, {1, 3}, {2}, {12}, {}, {10}, {22}, {21, 23}, {24, 22}, {23}});
}

// A standard-residue atom takes listed partners up to the bond cap, and so does each partner:
// atom 1 lists 40 atoms, then atoms 42 .. 61 each list atom 2, which already holds atom 1.
TEST(ConnectivityMerge, ListedBondsStopAtTheCap) {
    PdbFile pdb;
    for (int i = 0; i < 61; ++i)
        AddAtom(pdb, i + 1, "C", 10.0f * i);
    pdb.conects.emplace_back().owner = 1;
    for (int serial = 2; serial <= 41; ++serial)
        pdb.conects.back().bonded.Append(serial);
    for (int serial = 42; serial <= 61; ++serial)
        AddConect(pdb, serial, {2});
    pdb.conectCount = static_cast<int>(pdb.conects.size());
    const Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_EQ(conn.bondCount, 16 + 15);
    EXPECT_EQ(conn.bonded[0].size(), 16);
    EXPECT_EQ(conn.bonded[0].ToVector().back(), 17);
    EXPECT_EQ(conn.bonded[1].size(), 16);
    EXPECT_EQ(conn.bonded[1].ToVector().back(), 56);
    EXPECT_EQ(conn.bonded[56].ToVector(), List{});
}

// Bonds found from distances, the grid walk, and how a file's CONECT lists combine with them.
#include "model/Connectivity.h"

#include "TestRecords.h"
#include "io/PdbFile.h"
#include "model/BondSearch.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <set>
#include <utility>

namespace vorn {

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

} // namespace

// Bond radii (Å) follow the first letter of the name, digits skipped; a pair bonds strictly below
// the sum of their radii.
TEST(ConnectivityDistance, BondedBelowSumOfRadiiOfFirstLetters) {
    std::vector<float> radii;
    for (const char* name : {"H", "1HB", "D2", "C", "ZN", "12", "P", "SG"})
        radii.push_back(BondRadius(name));
    EXPECT_EQ(radii,
              (std::vector<float>{0.455f, 0.455f, 0.68f, 0.905f, 0.905f, 0.905f, 0.975f, 1.245f}));
    for (float d : {1.80f, 1.82f}) {
        PdbFile pdb;
        AddAtom(pdb, 1, "C", 0);
        AddAtom(pdb, 2, "C", 0, d);
        EXPECT_EQ(BondsFromCoordinates(pdb, false).bondCount, d < 1.81f ? 1 : 0) << d;
    }
    EXPECT_EQ(BondsFromCoordinates(PdbFile(), false).owners.size(), 0u);
}

// Index mode, one model or two; cells of 4 Å and, past 200 Å of extent, of a share of it.
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
            for (int j = 0; j < pdb.atomCount; ++j) {
                const PdbRecord &a = pdb.records[i], &b = pdb.records[j];
                const float r = BondRadius(a.atomName) + BondRadius(b.atomName);
                const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
                if (i != j && a.model == b.model && dx * dx + dy * dy + dz * dz < r * r)
                    expected.emplace(i, j);
            }
        const Connectivity conn = BondsFromCoordinates(pdb, false);
        for (int e = 0; e < conn.EntryCount(); ++e)
            for (int v : conn.bonded[e])
                found.emplace(conn.owners[e], v);
        EXPECT_GT(expected.size(), 100u);
        EXPECT_EQ(found, expected); // both directions: the lists are symmetric
        EXPECT_EQ(conn.bondCount, static_cast<int>(expected.size() / 2));
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
    // No CONECT lists: computed, in the mode asked for; entries show it (indices or serials).
    EXPECT_EQ(MakeConnectivity(pdb, true).bonded[1].ToVector(), List{0});
    EXPECT_EQ(MakeConnectivity(pdb, false).bonded[1].ToVector(), List{1});

    AddConect(pdb, 1, {3}); // a serial with no atom: computed bonds, in the mode asked for
    AddConect(pdb, 3, {77});
    Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_EQ(conn.bonded[0].ToVector(), List{1});
    EXPECT_EQ(MakeConnectivity(pdb, false).bonded[0].ToVector(), List{2});

    AddConect(pdb, 2, {}); // one entry per atom: taken as it stands
    pdb.bondCount = 5;
    conn = MakeConnectivity(pdb, true);
    EXPECT_EQ(conn.bondCount, 5);
    EXPECT_EQ(conn.owners[1], 3);
    EXPECT_EQ(conn.bonded[1].ToVector(), List{77});

    pdb.conects.pop_back();
    pdb.conectCount = 2;
    pdb.records[2].model = 2; // several models: computed, index mode, lists ignored
    EXPECT_EQ(MakeConnectivity(pdb, false).bonded[0].ToVector(), List{1});
}

// A hetero owner's list replaces its computed one; a disulfide list (a repeated serial counts
// once) adds to the computed side-chain bonds of its owner.
TEST(ConnectivityMerge, LigandListsReplaceComputedOnesAndDisulfidesAdd) {
    PdbFile pdb;
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
    const Connectivity conn = MakeConnectivity(pdb, false);
    EXPECT_EQ(conn.bondCount, 4);
    EXPECT_EQ(conn.owners, (List{10, 11, 12, 21, 22, 23, 24}));
    const std::vector<List> lists = {{12}, {}, {10}, {22}, {21, 23}, {24, 22}, {23}};
    for (size_t i = 0; i < lists.size(); ++i)
        EXPECT_EQ(conn.bonded[i].ToVector(), lists[i]) << i;
}

// Links between residues (an mmCIF file's struct_conn) add to the computed bonds of hetero owners
// too, and are never the whole bond lists, even with one entry per atom.
TEST(ConnectivityMerge, LinksAddToComputedBonds) {
    PdbFile pdb;
    AddAtom(pdb, 1, "C", 0, 0, 0, 0, true);
    AddAtom(pdb, 2, "C", 1.5f, 0, 0, 0, true);
    AddAtom(pdb, 3, "ZN", 3.6f);
    AddAtom(pdb, 4, "N", 6.0f);
    AddConect(pdb, 1, {4});
    AddConect(pdb, 2, {3});
    AddConect(pdb, 3, {2});
    AddConect(pdb, 4, {1});
    pdb.conectsAreLinks = true;
    const Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_EQ(conn.bondCount, 3);
    const std::vector<List> lists = {{1, 3}, {0, 2}, {1}, {0}};
    for (size_t i = 0; i < lists.size(); ++i)
        EXPECT_EQ(conn.bonded[i].ToVector(), lists[i]) << i;
}

// Merged in index mode, atoms that share a serial (numbered on past 99,999 by starting again)
// keep bonds of their own.
TEST(ConnectivityMerge, AtomsSharingASerialKeepTheirBonds) {
    PdbFile pdb;
    AddAtom(pdb, 1, "C", 0);
    AddAtom(pdb, 2, "C", 1.5f);
    AddAtom(pdb, 1, "C", 10.0f);
    AddAtom(pdb, 3, "C", 11.5f);
    AddConect(pdb, 2, {3});
    const Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_FALSE(conn.serialMode);
    const std::vector<List> lists = {{1}, {0, 3}, {3}, {2, 1}};
    for (size_t i = 0; i < lists.size(); ++i)
        EXPECT_EQ(conn.bonded[i].ToVector(), lists[i]) << i;
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
    const Connectivity conn = MakeConnectivity(pdb, false);
    EXPECT_EQ(conn.bondCount, 16 + 15);
    EXPECT_EQ((List{conn.bonded[0].size(), conn.bonded[0].ToVector().back(), conn.bonded[1].size(),
                    conn.bonded[1].ToVector().back(), conn.bonded[56].size()}),
              (List{16, 17, 16, 56, 0})); // sizes and last partners of atoms 1, 2 and 57
}

} // namespace vorn

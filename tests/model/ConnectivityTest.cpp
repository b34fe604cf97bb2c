// Checks bonds found from distances, the grid walk, and how a file's CONECT lists combine with
// them.
#include "model/Connectivity.h"

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

void AddAtom(PdbFile& pdb, int serial, const char* name, float x, float y, float z, int model = 0,
             bool hetatm = false) {
    PdbRecord r;
    std::strcpy(r.record, hetatm ? "HETATM" : "ATOM");
    std::strcpy(r.atomName, name);
    r.serial = serial;
    r.x = x;
    r.y = y;
    r.z = z;
    r.model = model;
    r.hetero = hetatm ? 1 : 0;
    pdb.records.push_back(r);
    pdb.atomCount = static_cast<int>(pdb.records.size());
}

void AddConect(PdbFile& pdb, int owner, std::initializer_list<int> bonded) {
    ConectEntry entry;
    entry.owner = owner;
    for (int v : bonded)
        entry.bonded.Append(v);
    pdb.conects.push_back(std::move(entry));
    pdb.conectCount = static_cast<int>(pdb.conects.size());
}

bool Bonded(const char* a, const char* b, float distance) {
    PdbFile pdb;
    AddAtom(pdb, 1, a, 0, 0, 0);
    AddAtom(pdb, 2, b, 0, distance, 0);
    return BondsFromCoordinates(pdb, false).bondCount == 1;
}

std::set<std::pair<int, int>> PairsOf(const Connectivity& conn) {
    std::set<std::pair<int, int>> pairs;
    for (int e = 0; e < conn.EntryCount(); ++e)
        for (int v : conn.bonded[e])
            pairs.emplace(std::min(conn.owners[e], v), std::max(conn.owners[e], v));
    return pairs;
}

} // namespace

TEST(ConnectivityRadius, FirstLetterAfterLeadingNonLetters) {
    EXPECT_FLOAT_EQ(BondRadius("H"), 0.455f);
    EXPECT_FLOAT_EQ(BondRadius("1HB"), 0.455f);
    EXPECT_FLOAT_EQ(BondRadius("D2"), 0.68f);
    EXPECT_FLOAT_EQ(BondRadius("P"), 0.975f);
    EXPECT_FLOAT_EQ(BondRadius("SG"), 1.245f);
    EXPECT_FLOAT_EQ(BondRadius("CA"), 0.905f);
    EXPECT_FLOAT_EQ(BondRadius("ZN"), 0.905f);
    EXPECT_FLOAT_EQ(BondRadius("12"), 0.905f);
}

TEST(ConnectivityDistance, BondedBelowSumOfRadii) {
    EXPECT_TRUE(Bonded("C", "C", 1.80f));
    EXPECT_FALSE(Bonded("C", "C", 1.82f));
    EXPECT_TRUE(Bonded("H", "H", 0.90f));
    EXPECT_FALSE(Bonded("H", "H", 0.92f));
    EXPECT_TRUE(Bonded("1HB", "CB", 1.35f));
    EXPECT_FALSE(Bonded("H", "C", 1.37f));
    EXPECT_TRUE(Bonded("SG", "SG", 2.48f));
    EXPECT_FALSE(Bonded("SG", "SG", 2.50f));
}

TEST(ConnectivityDistance, SymmetricListsInEitherModeAndOnlyWithinAModel) {
    PdbFile pdb;
    AddAtom(pdb, 7, "N", 0, 0, 0);
    AddAtom(pdb, 8, "CA", 1.45f, 0, 0);
    AddAtom(pdb, 9, "C", 2.9f, 0, 0);
    AddAtom(pdb, 10, "C", 2.9f, 0.5f, 0, /*model=*/1);
    const Connectivity byIndex = BondsFromCoordinates(pdb, false);
    EXPECT_EQ(byIndex.bondCount, 2);
    EXPECT_FALSE(byIndex.serialMode);
    EXPECT_EQ(byIndex.owners[1], 1);
    EXPECT_EQ(byIndex.bonded[1].ToVector(), (List{0, 2}));
    EXPECT_EQ(byIndex.bonded[3].ToVector(), List{});
    const Connectivity bySerial = BondsFromCoordinates(pdb, true);
    EXPECT_TRUE(bySerial.serialMode);
    EXPECT_EQ(bySerial.owners[1], 8);
    EXPECT_EQ(bySerial.bonded[1].ToVector(), (List{7, 9}));
    EXPECT_EQ(BondsFromCoordinates(PdbFile(), false).owners.size(), 0u);
}

// Neighbour order shows the cell layout: atoms of one cell pair in file order, cells in x order.
TEST(ConnectivityGrid, LargeExtentUsesCellsOfTwoPercent) {
    for (float far : {150.0f, 1000.0f}) {
        PdbFile pdb;
        AddAtom(pdb, 1, "C", 0, 0, 0);
        AddAtom(pdb, 2, "C", 13.8f, 0, 0);
        AddAtom(pdb, 3, "C", 12.5f, 0, 0);
        AddAtom(pdb, 4, "C", 11.5f, 0, 0);
        AddAtom(pdb, 5, "C", 19.5f, 0, 0); // across the 20 Å cell boundary from the next
        AddAtom(pdb, 6, "C", 20.5f, 0, 0);
        AddAtom(pdb, 7, "C", far, 0, 0);
        const Connectivity conn = BondsFromCoordinates(pdb, false);
        EXPECT_EQ(conn.bondCount, 3);
        EXPECT_EQ(conn.bonded[2].ToVector(), far > 200 ? (List{1, 3}) : (List{3, 1}));
        EXPECT_EQ(conn.bonded[4].ToVector(), List{5});
    }
}

// The plain grid walk, cell lists in file order, as the reference for the neighbour order.
std::vector<List> WalkedLists(const PdbFile& pdb) {
    float lo[3], cell[3];
    int cells[3];
    for (int k = 0; k < 3; ++k) {
        auto coord = [k](const PdbRecord& r) { return k == 0 ? r.x : k == 1 ? r.y : r.z; };
        float hi = lo[k] = coord(pdb.records[0]);
        for (const PdbRecord& r : pdb.records)
            lo[k] = std::min(lo[k], coord(r)), hi = std::max(hi, coord(r));
        cell[k] = hi - lo[k] < 200 ? 4.0f : (hi - lo[k]) * 0.02f;
        cells[k] = static_cast<int>((hi - lo[k]) / cell[k]) + 1;
    }
    std::vector<List> grid(static_cast<size_t>(cells[0] * cells[1] * cells[2])),
        lists(pdb.records.size());
    auto id = [&](int x, int y, int z) {
        return static_cast<size_t>((z * cells[1] + y) * cells[0] + x);
    };
    for (size_t i = 0; i < pdb.records.size(); ++i) {
        const PdbRecord& r = pdb.records[i];
        grid[id(static_cast<int>((r.x - lo[0]) / cell[0]),
                static_cast<int>((r.y - lo[1]) / cell[1]),
                static_cast<int>((r.z - lo[2]) / cell[2]))]
            .push_back(static_cast<int>(i));
    }
    const int offsets[14][3] = {{0, 0, 0}, {1, 0, 0},  {0, 1, 0},  {0, 0, 1},  {1, 1, 0},
                                {1, 0, 1}, {0, 1, 1},  {1, -1, 0}, {-1, 0, 1}, {0, -1, 1},
                                {1, 1, 1}, {-1, 1, 1}, {1, -1, 1}, {-1, -1, 1}};
    for (int z = 0; z < cells[2]; ++z)
        for (int y = 0; y < cells[1]; ++y)
            for (int x = 0; x < cells[0]; ++x)
                for (const auto& o : offsets) {
                    const int nx = x + o[0], ny = y + o[1], nz = z + o[2];
                    if (nx < 0 || ny < 0 || nx >= cells[0] || ny >= cells[1] || nz >= cells[2])
                        continue;
                    const List &a = grid[id(x, y, z)], &b = grid[id(nx, ny, nz)];
                    for (size_t p = 0; p < a.size(); ++p)
                        for (size_t q = &a == &b ? p + 1 : 0; q < b.size(); ++q) {
                            const PdbRecord &ri = pdb.records[a[p]], &rj = pdb.records[b[q]];
                            const float r = BondRadius(ri.atomName) + BondRadius(rj.atomName);
                            const float dx = ri.x - rj.x, dy = ri.y - rj.y, dz = ri.z - rj.z;
                            const float t = r * r, dx2 = dx * dx, dxy2 = dx2 + dy * dy;
                            if (ri.model == rj.model && dx2 < t && dxy2 < t && dxy2 + dz * dz < t) {
                                lists[a[p]].push_back(b[q]);
                                lists[b[q]].push_back(a[p]);
                            }
                        }
                }
    return lists;
}

TEST(ConnectivityGrid, MatchesAllPairsSearchAndPlainWalkOrder) {
    const char* names[] = {"C", "N", "O", "H", "1HB", "SG", "P", "D1"};
    std::mt19937 random(12345);
    for (float xSize : {12.0f, 260.0f}) {
        const float side = xSize > 200 ? 6.0f : 12.0f;
        std::uniform_real_distribution<float> x(-xSize / 2, xSize / 2), yz(0, side);
        PdbFile pdb;
        for (int i = 0; i < 500; ++i)
            AddAtom(pdb, i + 1, names[random() % 8], x(random), yz(random), yz(random),
                    static_cast<int>(random() % 2));
        std::set<std::pair<int, int>> expected;
        for (int i = 0; i < pdb.atomCount; ++i)
            for (int j = i + 1; j < pdb.atomCount; ++j) {
                const PdbRecord &a = pdb.records[i], &b = pdb.records[j];
                const float r = BondRadius(a.atomName) + BondRadius(b.atomName);
                const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
                if (a.model == b.model && dx * dx + dy * dy + dz * dz < r * r)
                    expected.emplace(i, j);
            }
        const Connectivity conn = BondsFromCoordinates(pdb, false);
        EXPECT_GT(expected.size(), 50u);
        EXPECT_EQ(PairsOf(conn), expected);
        EXPECT_EQ(conn.bondCount, static_cast<int>(expected.size()));
        const std::vector<List> walked = WalkedLists(pdb);
        for (size_t i = 0; i < walked.size(); ++i)
            ASSERT_EQ(conn.bonded[i].ToVector(), walked[i]) << "atom " << i;
    }
}

TEST(ConnectivityGrid, NonFiniteAndExtremeCoordinatesNeverBond) {
    const float inf = std::numeric_limits<float>::infinity();
    PdbFile pdb;
    AddAtom(pdb, 1, "C", 0, 0, 0);
    AddAtom(pdb, 2, "C", 1.5f, 0, 0);
    AddAtom(pdb, 3, "C", std::nanf(""), 0, 0);
    AddAtom(pdb, 4, "C", inf, 0, 0);
    AddAtom(pdb, 5, "C", inf, 0, 0);
    AddAtom(pdb, 6, "C", 0, 3e38f, -inf);
    AddAtom(pdb, 7, "C", -3e38f, 0, 0);
    const Connectivity conn = BondsFromCoordinates(pdb, false);
    EXPECT_EQ(conn.bondCount, 1);
    EXPECT_EQ(conn.bonded[0].ToVector(), List{1});
}

TEST(ConnectivityMerge, ChoosesFileOrComputedLists) {
    PdbFile pdb;
    AddAtom(pdb, 1, "C", 0, 0, 0);
    AddAtom(pdb, 2, "C", 1.5f, 0, 0);
    AddAtom(pdb, 3, "C", 9.0f, 0, 0);
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

TEST(ConnectivityMerge, LigandListsReplaceComputedOnesSymmetrically) {
    PdbFile pdb;
    AddAtom(pdb, 1, "N", 0, 0, 0);
    AddAtom(pdb, 2, "CA", 1.45f, 0, 0);
    AddAtom(pdb, 3, "C", 2.9f, 0, 0);
    AddAtom(pdb, 10, "C1", 0, 10, 0, 0, true);
    AddAtom(pdb, 11, "C2", 1.5f, 10, 0, 0, true);
    AddAtom(pdb, 12, "C3", 3.0f, 10, 0, 0, true);
    AddConect(pdb, 10, {12});
    AddConect(pdb, 12, {10});
    const Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_TRUE(conn.serialMode);
    EXPECT_EQ(conn.bondCount, 3);
    const std::vector<List> expected = {{2}, {1, 3}, {2}, {12}, {}, {10}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(conn.owners[i], pdb.records[i].serial);
        EXPECT_EQ(conn.bonded[i].ToVector(), expected[i]) << "atom " << i;
    }
}

TEST(ConnectivityMerge, DisulfideListKeepsSideChainBonds) {
    PdbFile pdb;
    AddAtom(pdb, 1, "CB", 0, 0, 0);
    AddAtom(pdb, 2, "SG", 1.8f, 0, 0);
    AddAtom(pdb, 3, "SG", 4.4f, 0, 0); // too far for a computed bond
    AddAtom(pdb, 4, "CB", 6.2f, 0, 0);
    AddConect(pdb, 2, {3, 3});
    AddConect(pdb, 3, {2});
    const Connectivity conn = MakeConnectivity(pdb, true);
    EXPECT_EQ(conn.bondCount, 3);
    const std::vector<List> expected = {{2}, {1, 3}, {4, 2}, {3}};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(conn.bonded[i].ToVector(), expected[i]) << "atom " << i;
}

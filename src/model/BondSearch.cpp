// Covalent bonds from interatomic distances: the pairs of atoms of one model closer than the sum of
// their bond radii, found on a uniform grid of cells.
#include "model/BondSearch.h"

#include "core/CellGrid.h"
#include "core/HugePages.h"
#include "io/PdbFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <tuple>
#include <utility>

namespace vorn {

namespace {

// The cell-size rule gives at most 51 cells per axis; the clamp only guards degenerate input.
constexpr int kMaxCellsPerAxis = 128;

// Slots tested at once by the pair search (see TestBlock).
constexpr int kBlock = 8;

// No two atoms bond farther apart than twice the largest bond radius (sulfur); the margin covers
// float rounding of the coordinate differences.
constexpr float kBondReach = 2.0f * kLargestBondRadius + 0.01f;

// Cell layout along one axis. Cells of at least 4 Å exceed twice the largest bond radius
// (2 × 1.245 Å), so a bonded pair always lies in the same or in neighbouring cells. Kept in double
// so that even extents spanning the whole float range stay finite.
struct BondAxis : GridAxis<double> {
    // Per cell: the coordinate above which an atom is within bonding reach of the upper face, and
    // below which of the lower face, rounded outwards to float.
    std::vector<float> nearUpper, nearLower;
};

// Bounds over the finite coordinates only; an axis without any keeps a single cell.
template <typename Coord>
BondAxis AxisOf(const PdbRecord* records, int n, Coord coord) {
    BondAxis axis; // NaN and -inf fall in cell 0, where their distance tests always fail
    axis.cell = 4.0;
    axis.nearUpper.assign(1, -INFINITY);
    axis.nearLower.assign(1, INFINITY);
    float lo = INFINITY, hi = -INFINITY;
    for (int i = 0; i < n; ++i) {
        const float v = coord(records[i]);
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (!(lo <= hi))
        return axis;
    axis.nearUpper.clear();
    axis.nearLower.clear();
    axis.min = lo;
    const double extent = static_cast<double>(hi) - lo;
    axis.cell = extent < 200.0 ? 4.0 : extent * 0.02; // large structures: about 50 cells
    axis.cells = std::min(static_cast<int>(extent / axis.cell) + 1, kMaxCellsPerAxis);
    for (int c = 0; c < axis.cells; ++c) {
        const double lower = axis.min + c * axis.cell;
        axis.nearUpper.push_back(
            std::nextafter(static_cast<float>(lower + axis.cell - kBondReach), -INFINITY));
        axis.nearLower.push_back(std::nextafter(static_cast<float>(lower + kBondReach), INFINITY));
    }
    return axis;
}

// Atoms bucketed by cell: the slots of cell c hold its atoms, sorted by model and then z so that a
// pair search only scans the slots of the same model within bonding reach (models of one file
// usually lie on top of each other). Atoms with a non-finite coordinate never bond and get no slot.
// Coordinates, radii and models are copied in slot order so the tests read memory sequentially;
// kBlock spare entries at the end let a block of tests run past the last atom.
struct Grid {
    BondAxis ax, ay, az;
    CellGrid cells; // the original atom index of each slot
    std::vector<float> x, y, z, radius;
    std::vector<int> model;

    int CellId(int cx, int cy, int cz) const { return cells.CellIndex(cx, cy, cz); }
    int Begin(int cell) const { return cells.Begin(cell); }
    int End(int cell) const { return cells.End(cell); }
    const std::vector<int>& Atoms() const { return cells.Items(); }
};

bool IsFinite(const PdbRecord& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z);
}

void BucketAtoms(Grid& g, const PdbRecord* records, int n) {
    g.cells = CellGrid(g.ax.cells, g.ay.cells, g.az.cells);
    g.cells.Fill(n, [&](int i) {
        const PdbRecord& r = records[i];
        return IsFinite(r) ? g.CellId(g.ax.CellOf(r.x), g.ay.CellOf(r.y), g.az.CellOf(r.z)) : -1;
    });
}

struct SlotKey {
    int model;
    float z;
    int atom;

    bool operator<(const SlotKey& o) const {
        return std::tie(model, z, atom) < std::tie(o.model, o.z, o.atom);
    }
};

void SortCells(Grid& g, const PdbRecord* records) {
    std::vector<int>& atoms = g.cells.Items();
    std::vector<SlotKey> keyed = LargeVector<SlotKey>(atoms.size());
    for (size_t s = 0; s < keyed.size(); ++s) {
        const PdbRecord& r = records[atoms[s]];
        keyed[s] = {r.model, r.z, atoms[s]};
    }
    for (int c = 0; c < static_cast<int>(g.cells.CellCount()); ++c)
        if (g.End(c) - g.Begin(c) > 1)
            std::sort(keyed.begin() + g.Begin(c), keyed.begin() + g.End(c));
    for (size_t s = 0; s < keyed.size(); ++s)
        atoms[s] = keyed[s].atom;
}

void FillSlots(Grid& g, const PdbRecord* records) {
    const size_t count = g.Atoms().size();
    for (std::vector<float>* v : {&g.x, &g.y, &g.z, &g.radius})
        *v = LargeVector<float>(count + kBlock, 0.0f);
    g.model = LargeVector<int>(count + kBlock, 0);
    for (size_t s = 0; s < count; ++s) {
        const PdbRecord& r = records[g.Atoms()[s]];
        g.x[s] = r.x;
        g.y[s] = r.y;
        g.z[s] = r.z;
        g.radius[s] = BondRadius(r.atomName);
        g.model[s] = r.model;
    }
}

Grid BuildGrid(const PdbFile& pdb, int n) {
    Grid g;
    const PdbRecord* records = pdb.records.data();
    g.ax = AxisOf(records, n, [](const PdbRecord& r) { return r.x; });
    g.ay = AxisOf(records, n, [](const PdbRecord& r) { return r.y; });
    g.az = AxisOf(records, n, [](const PdbRecord& r) { return r.z; });
    BucketAtoms(g, records, n);
    SortCells(g, records);
    FillSlots(g, records);
    return g;
}

// The pairs found so far and the bonds each slot has; a slot at the cap takes no more.
struct PairSearch {
    PairList pairs;
    std::vector<unsigned char> bonds;

    bool Full(int slot) const { return bonds[static_cast<size_t>(slot)] >= kMaxBondsPerAtom; }

    // A pair is recorded as (atom of the walked cell, atom of the neighbour cell); within one cell
    // as (earlier atom, later atom) in file order.
    void Add(const std::vector<int>& atom, int i, int j, bool sameCell) {
        const int atomI = atom[static_cast<size_t>(i)], atomJ = atom[static_cast<size_t>(j)];
        if (sameCell && atomJ < atomI)
            pairs.emplace_back(atomJ, atomI);
        else
            pairs.emplace_back(atomI, atomJ);
        ++bonds[static_cast<size_t>(i)];
        ++bonds[static_cast<size_t>(j)];
    }
};

// Bonded means dx² < t, dx² + dy² < t and dx² + dy² + dz² < t in single precision with strict
// inequalities, t = (ri + rj)². Float rounding is monotonic and the squares are not negative, so
// the full sum fails whenever a partial sum fails (NaN and infinity included): the last test
// decides alone. Slots are tested kBlock at a time without branches, which the compiler turns into
// vector code.
struct BlockHits {
    unsigned char hit[kBlock];

    bool Any() const {
        std::uint64_t word;
        static_assert(sizeof word == sizeof hit, "one byte per slot");
        std::memcpy(&word, hit, sizeof word);
        return word != 0;
    }
};

BlockHits TestBlock(const Grid& g, int i, int j0) {
    const float *x = g.x.data() + j0, *y = g.y.data() + j0, *z = g.z.data() + j0;
    const float* radius = g.radius.data() + j0;
    const int* model = g.model.data() + j0;
    const float xi = g.x[i], yi = g.y[i], zi = g.z[i], ri = g.radius[i];
    const int mi = g.model[i];
    BlockHits hits;
    for (int k = 0; k < kBlock; ++k) {
        const float r = ri + radius[k];
        const float dx = xi - x[k], dy = yi - y[k], dz = zi - z[k];
        const float d2 = (dx * dx + dy * dy) + dz * dz;
        hits.hit[k] = static_cast<unsigned char>((d2 < r * r) & (model[k] == mi));
    }
    return hits;
}

// Tests slot i against the slots begin .. end − 1, in slot order, until slot i is full.
void TestRange(const Grid& g, int i, int begin, int end, bool sameCell, PairSearch& search) {
    for (int j = begin; j < end && !search.Full(i); j += kBlock) {
        const BlockHits hits = TestBlock(g, i, j);
        if (!hits.Any())
            continue;
        for (int k = 0; k < kBlock && j + k < end && !search.Full(i); ++k)
            if (hits.hit[k] && !search.Full(j + k))
                search.Add(g.Atoms(), i, j + k, sameCell);
    }
}

// The part of a cell that can hold partners for a neighbour cell: along an axis where the
// neighbour lies above, only atoms within bonding reach of the upper face; below, of the lower
// face. The float bounds are rounded outwards; NaN coordinates fall outside every slab.
struct Slab {
    float lo[3] = {-INFINITY, -INFINITY, -INFINITY};
    float hi[3] = {INFINITY, INFINITY, INFINITY};

    bool Holds(const Grid& g, int slot) const {
        const size_t s = static_cast<size_t>(slot);
        return (g.x[s] > lo[0]) & (g.x[s] < hi[0]) & (g.y[s] > lo[1]) & (g.y[s] < hi[1]) &
               (g.z[s] > lo[2]) & (g.z[s] < hi[2]);
    }
};

struct Offset {
    int d[3];
};

Slab SlabTowards(const Grid& g, const int cell[3], const Offset& o) {
    Slab slab;
    const BondAxis* axes[3] = {&g.ax, &g.ay, &g.az};
    for (int k = 0; k < 3; ++k) {
        if (o.d[k] > 0)
            slab.lo[k] = axes[k]->nearUpper[static_cast<size_t>(cell[k])];
        else if (o.d[k] < 0)
            slab.hi[k] = axes[k]->nearLower[static_cast<size_t>(cell[k])];
    }
    return slab;
}

// Whether slot s lies before the window of an atom of model m at height z: in an earlier model,
// or in the same one and out of bonding reach below.
bool BelowWindow(const Grid& g, int s, int m, float z) {
    const size_t k = static_cast<size_t>(s);
    return g.model[k] < m || (g.model[k] == m && g.z[k] - z <= -kBondReach);
}

// Whether slot s lies before the end of that window.
bool BeforeWindowEnd(const Grid& g, int s, int m, float z) {
    const size_t k = static_cast<size_t>(s);
    return g.model[k] < m || (g.model[k] == m && g.z[k] - z < kBondReach);
}

// Tests every atom of cell a against every atom of cell b (within one cell, each pair once). Only
// atoms of a inside the slab facing b are tried. Both cells are sorted by model and z, so the
// slots of b of the same model within bonding reach of an atom form a window whose ends only
// move forward.
void TestCells(const Grid& g, int a, int b, const Slab& slab, PairSearch& search) {
    const bool sameCell = a == b;
    const int bEnd = g.End(b);
    int lo = g.Begin(b), hi = lo;
    for (int i = g.Begin(a); i < g.End(a); ++i) {
        if (search.Full(i) || (!sameCell && !slab.Holds(g, i)))
            continue;
        const int mi = g.model[static_cast<size_t>(i)];
        const float zi = g.z[static_cast<size_t>(i)];
        if (sameCell)
            lo = i + 1;
        while (lo < bEnd && BelowWindow(g, lo, mi, zi))
            ++lo;
        hi = std::max(hi, lo);
        while (hi < bEnd && BeforeWindowEnd(g, hi, mi, zi))
            ++hi;
        TestRange(g, i, lo, hi, sameCell, search);
    }
}

// Half of the 26 neighbours plus the cell itself, so each pair of cells is visited once.
constexpr Offset kHalfShell[14] = {{{0, 0, 0}},  {{1, 0, 0}},  {{0, 1, 0}}, {{0, 0, 1}},
                                   {{1, 1, 0}},  {{1, 0, 1}},  {{0, 1, 1}}, {{1, -1, 0}},
                                   {{-1, 0, 1}}, {{0, -1, 1}}, {{1, 1, 1}}, {{-1, 1, 1}},
                                   {{1, -1, 1}}, {{-1, -1, 1}}};

// The pairs of one cell and one neighbour are put back into file order, the order in which a plain
// walk over the atoms of the cell and then those of the neighbour would find them.
void TestNeighbours(const Grid& g, int cx, int cy, int cz, PairSearch& search) {
    const int cell[3] = {cx, cy, cz};
    for (const Offset& o : kHalfShell) {
        const int nx = cx + o.d[0], ny = cy + o.d[1], nz = cz + o.d[2];
        if (nx < 0 || ny < 0 || nx >= g.ax.cells || ny >= g.ay.cells || nz >= g.az.cells)
            continue;
        PairList& pairs = search.pairs;
        const size_t first = pairs.size();
        TestCells(g, g.CellId(cx, cy, cz), g.CellId(nx, ny, nz), SlabTowards(g, cell, o), search);
        if (pairs.size() - first > 1)
            std::sort(pairs.begin() + static_cast<std::ptrdiff_t>(first), pairs.end());
    }
}

// Bonded pairs (original atom indices) in the order of the walk: occupied cells with z slowest and
// x fastest, then the neighbour offsets, then the atoms of the cell, then those of the neighbour.
// An atom at the cap keeps the bonds the search found first, in slot order.
PairList FindPairs(const Grid& g) {
    PairSearch search;
    search.bonds = LargeVector<unsigned char>(g.Atoms().size(), 0);
    ReserveLarge(search.pairs, g.Atoms().size() + g.Atoms().size() / 4);
    for (int cz = 0; cz < g.az.cells; ++cz)
        for (int cy = 0; cy < g.ay.cells; ++cy)
            for (int cx = 0; cx < g.ax.cells; ++cx) {
                const int cell = g.CellId(cx, cy, cz);
                if (g.Begin(cell) != g.End(cell))
                    TestNeighbours(g, cx, cy, cz, search);
            }
    return std::move(search.pairs);
}

} // namespace

float BondRadius(const char* atomName) {
    const char* c = atomName;
    while (c && *c && !std::isalpha(static_cast<unsigned char>(*c)))
        ++c; // names such as "1HB" put a digit before the element letter
    switch (c ? std::toupper(static_cast<unsigned char>(*c)) : 0) {
    case 'H':
        return 0.455f;
    case 'D':
        return 0.68f;
    case 'P':
        return 0.975f;
    case 'S':
        return kLargestBondRadius;
    default:
        return 0.905f;
    }
}

PairList FindBondedPairs(const PdbFile& pdb, int n) {
    if (n <= 0)
        return {};
    return FindPairs(BuildGrid(pdb, n));
}

} // namespace vorn

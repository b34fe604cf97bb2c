// Covalent bonds from interatomic distances: the pairs of atoms of one model closer than the sum of
// their bond radii, found on a uniform grid of cells.
#include "model/BondSearch.h"

#include "core/CellGrid.h"
#include "core/HugePages.h"
#include "core/Parallel.h"
#include "io/PdbFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <tuple>
#include <utility>

namespace vorn {

namespace {

// Cells along an axis of 200 Å and more are 2 % of its extent (about 50 cells), but no larger
// than 10 Å unless that would give an axis more cells than about the cube root of the atom count
// (at least 128). Left at 2 %, the cells of a very large structure grow so large that each atom is
// tested against hundreds of others and the search grows faster than the atom count (30 Å cells
// for ten million atoms); cells of 8 to 12 Å cost about the same per atom (10 Å the least), and
// a cap on the cells per axis keeps the grid's own size a few bytes per atom.
constexpr double kLongAxis = 200.0;
constexpr double kLargestCell = 10.0;
int LongAxisCells(int atoms) {
    return std::max(128, static_cast<int>(std::cbrt(static_cast<double>(atoms))));
}

// Below this many atoms per thread, starting threads costs more than it saves.
constexpr int kAtomsPerThread = 20000;

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

// Bounds over the finite coordinates of one axis.
struct Extent {
    float lo = INFINITY, hi = -INFINITY;
    // std::min and std::max keep the earlier of equal values (+0 and -0), so taking the ranges'
    // extents in order gives what one pass gives.
    void Take(float v) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    void Take(const Extent& e) {
        lo = std::min(lo, e.lo);
        hi = std::max(hi, e.hi);
    }
};

// Cell layout along an axis of the given extent. NaN and -inf fall in cell 0, where their distance
// tests always fail; an axis without any finite coordinate keeps a single cell.
BondAxis AxisOf(const Extent& e, int atoms) {
    BondAxis axis;
    axis.cell = 4.0;
    axis.nearUpper.assign(1, -INFINITY);
    axis.nearLower.assign(1, INFINITY);
    if (!(e.lo <= e.hi))
        return axis;
    axis.nearUpper.clear();
    axis.nearLower.clear();
    axis.min = e.lo;
    const double extent = static_cast<double>(e.hi) - e.lo;
    const int longCells = LongAxisCells(atoms);
    axis.cell = extent < kLongAxis
                    ? 4.0
                    : std::min(extent * 0.02, std::max(kLargestCell, extent / longCells));
    // The clamp only guards rounding at the far end.
    axis.cells = std::min(static_cast<int>(extent / axis.cell) + 1, longCells + 1);
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
    int SlotCount() const { return static_cast<int>(Atoms().size()); }
    // The slots of the cells of layer cz, which are consecutive.
    int LayerBegin(int cz) const { return cells.Begin(CellId(0, 0, cz)); }
};

bool IsFinite(const PdbRecord& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z);
}

// The axes over the finite coordinates of the records, taken by ranges on several threads.
void SetAxes(Grid& g, const PdbRecord* records, int n) {
    const int parts = std::max(1, std::min(WorkerThreads(), n / kAtomsPerThread));
    std::vector<std::array<Extent, 3>> extents(static_cast<size_t>(parts));
    RunParts(parts, [&](int part) {
        const PartRange range = RangeOfPart(n, parts, part);
        std::array<Extent, 3>& e = extents[static_cast<size_t>(part)];
        for (int i = range.begin; i < range.end; ++i) {
            e[0].Take(records[i].x);
            e[1].Take(records[i].y);
            e[2].Take(records[i].z);
        }
    });
    std::array<Extent, 3> all;
    for (const std::array<Extent, 3>& e : extents)
        for (int k = 0; k < 3; ++k)
            all[static_cast<size_t>(k)].Take(e[static_cast<size_t>(k)]);
    g.ax = AxisOf(all[0], n);
    g.ay = AxisOf(all[1], n);
    g.az = AxisOf(all[2], n);
}

void BucketAtoms(Grid& g, const PdbRecord* records, int n) {
    g.cells = CellGrid(g.ax.cells, g.ay.cells, g.az.cells);
    g.cells.FillOnThreads(n, [&](int i) {
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

// Sorts the slots of each cell by model, z and atom, and copies what the search needs of each
// atom into slot order. Threads take ranges of cells, whose slots are consecutive; a cell's
// records, read once for its sort, are still at hand for the copy.
void SortAndFillSlots(Grid& g, const PdbRecord* records) {
    std::vector<int>& atoms = g.cells.Items();
    const size_t count = atoms.size();
    for (std::vector<float>* v : {&g.x, &g.y, &g.z, &g.radius})
        *v = LargeVectorOnThreads<float>(count + kBlock, 0.0f);
    g.model = LargeVectorOnThreads<int>(count + kBlock, 0);
    const int cells = static_cast<int>(g.cells.CellCount());
    const int threads = WorkerThreads();
    const int parts = std::max(1, std::min(4 * threads, static_cast<int>(count) / kAtomsPerThread));
    RunParts(
        parts,
        [&](int part) {
            const PartRange range = RangeOfPart(cells, parts, part);
            std::vector<SlotKey> keyed;
            for (int c = range.begin; c < range.end; ++c) {
                const int begin = g.Begin(c), end = g.End(c);
                keyed.clear();
                for (int s = begin; s < end; ++s) {
                    const int atom = atoms[static_cast<size_t>(s)];
                    keyed.push_back({records[atom].model, records[atom].z, atom});
                }
                std::sort(keyed.begin(), keyed.end());
                for (int s = begin; s < end; ++s) {
                    const int atom = keyed[static_cast<size_t>(s - begin)].atom;
                    const PdbRecord& r = records[atom];
                    const size_t k = static_cast<size_t>(s);
                    atoms[k] = atom;
                    g.x[k] = r.x;
                    g.y[k] = r.y;
                    g.z[k] = r.z;
                    g.radius[k] = BondRadius(r.atomName);
                    g.model[k] = r.model;
                }
            }
        },
        threads);
}

Grid BuildGrid(const PdbFile& pdb, int n) {
    Grid g;
    const PdbRecord* records = pdb.records.data();
    SetAxes(g, records, n);
    BucketAtoms(g, records, n);
    SortAndFillSlots(g, records);
    return g;
}

// The pairs found so far and the bonds each slot has; a slot at the cap takes no more. A search
// over part of the grid counts the bonds of the slots firstSlot onwards only.
struct PairSearch {
    PairList pairs;
    std::vector<unsigned char> bonds;
    int firstSlot = 0;
    std::vector<unsigned char> faces; // of the walked cell's atoms (PlaceNearFaces)

    unsigned char& Bonds(int slot) { return bonds[static_cast<size_t>(slot - firstSlot)]; }
    bool Full(int slot) const {
        return bonds[static_cast<size_t>(slot - firstSlot)] >= kMaxBondsPerAtom;
    }

    // A pair is recorded as (atom of the walked cell, atom of the neighbour cell); within one cell
    // as (earlier atom, later atom) in file order.
    void Add(const std::vector<int>& atom, int i, int j, bool sameCell) {
        const int atomI = atom[static_cast<size_t>(i)], atomJ = atom[static_cast<size_t>(j)];
        if (sameCell && atomJ < atomI)
            pairs.emplace_back(atomJ, atomI);
        else
            pairs.emplace_back(atomI, atomJ);
        ++Bonds(i);
        ++Bonds(j);
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

// The model is not compared: the slots tested lie in a window of slot i's model (TestCells), and
// the lanes past the window's end are not looked at.
BlockHits TestBlock(const Grid& g, int i, int j0) {
    const float *x = g.x.data() + j0, *y = g.y.data() + j0, *z = g.z.data() + j0;
    const float* radius = g.radius.data() + j0;
    const float xi = g.x[i], yi = g.y[i], zi = g.z[i], ri = g.radius[i];
    BlockHits hits;
    for (int k = 0; k < kBlock; ++k) {
        const float r = ri + radius[k];
        const float dx = xi - x[k], dy = yi - y[k], dz = zi - z[k];
        const float d2 = (dx * dx + dy * dy) + dz * dz;
        hits.hit[k] = static_cast<unsigned char>(d2 < r * r);
    }
    return hits;
}

// Tests slot i against the slots begin .. end − 1 (all of slot i's model), in slot order, until
// slot i is full.
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
// face. Each atom of the walked cell is placed once against the faces of its cell: bit 0 near the
// upper x face, bit 1 the lower, bits 2 and 3 likewise for y, bit 4 near the upper z face (no
// neighbour of the walk lies below). The float bounds are rounded outwards.
enum FaceBits : unsigned char {
    kUpperX = 1,
    kLowerX = 2,
    kUpperY = 4,
    kLowerY = 8,
    kUpperZ = 16,
};

struct Offset {
    int d[3];

    // The faces an atom must lie near to reach the neighbour at this offset.
    unsigned char Faces() const {
        return static_cast<unsigned char>((d[0] > 0   ? kUpperX
                                           : d[0] < 0 ? kLowerX
                                                      : 0) |
                                          (d[1] > 0   ? kUpperY
                                           : d[1] < 0 ? kLowerY
                                                      : 0) |
                                          (d[2] > 0 ? kUpperZ : 0));
    }
};

// The faces of the cell (cx, cy, cz) that the atoms of its slots lie near, from slot Begin(cell).
void PlaceNearFaces(const Grid& g, int cx, int cy, int cz, std::vector<unsigned char>& faces) {
    const int cell = g.CellId(cx, cy, cz);
    const float upperX = g.ax.nearUpper[size_t(cx)], lowerX = g.ax.nearLower[size_t(cx)];
    const float upperY = g.ay.nearUpper[size_t(cy)], lowerY = g.ay.nearLower[size_t(cy)];
    const float upperZ = g.az.nearUpper[size_t(cz)];
    faces.clear();
    for (int s = g.Begin(cell); s < g.End(cell); ++s) {
        const size_t k = static_cast<size_t>(s);
        faces.push_back(static_cast<unsigned char>(
            (g.x[k] > upperX ? kUpperX : 0) | (g.x[k] < lowerX ? kLowerX : 0) |
            (g.y[k] > upperY ? kUpperY : 0) | (g.y[k] < lowerY ? kLowerY : 0) |
            (g.z[k] > upperZ ? kUpperZ : 0)));
    }
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
// atoms of a near the faces that b lies beyond are tried (faces: PlaceNearFaces of a). Both cells
// are sorted by model and z, so the slots of b of the same model within bonding reach of an atom
// form a window whose ends only move forward.
void TestCells(const Grid& g, int a, int b, unsigned char required,
               const std::vector<unsigned char>& faces, PairSearch& search) {
    const bool sameCell = a == b;
    const int aBegin = g.Begin(a), bEnd = g.End(b);
    int lo = g.Begin(b), hi = lo;
    for (int i = aBegin; i < g.End(a); ++i) {
        if ((faces[static_cast<size_t>(i - aBegin)] & required) != required || search.Full(i))
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
    const int a = g.CellId(cx, cy, cz);
    PlaceNearFaces(g, cx, cy, cz, search.faces);
    for (const Offset& o : kHalfShell) {
        const int nx = cx + o.d[0], ny = cy + o.d[1], nz = cz + o.d[2];
        if (nx < 0 || ny < 0 || nx >= g.ax.cells || ny >= g.ay.cells || nz >= g.az.cells)
            continue;
        const int b = g.CellId(nx, ny, nz);
        if (g.Begin(b) == g.End(b))
            continue;
        PairList& pairs = search.pairs;
        const size_t first = pairs.size();
        TestCells(g, a, b, a == b ? 0 : o.Faces(), search.faces, search);
        if (pairs.size() - first > 1)
            std::sort(pairs.begin() + static_cast<std::ptrdiff_t>(first), pairs.end());
    }
}

// Walks the occupied cells of layers z0 .. z1 − 1, z slowest and x fastest.
void WalkLayers(const Grid& g, int z0, int z1, PairSearch& search) {
    for (int cz = z0; cz < z1; ++cz)
        for (int cy = 0; cy < g.ay.cells; ++cy)
            for (int cx = 0; cx < g.ax.cells; ++cx) {
                const int cell = g.CellId(cx, cy, cz);
                if (g.Begin(cell) != g.End(cell))
                    TestNeighbours(g, cx, cy, cz, search);
            }
}

// Bonded pairs (original atom indices) in the order of the walk: occupied cells with z slowest and
// x fastest, then the neighbour offsets, then the atoms of the cell, then those of the neighbour.
// An atom at the cap keeps the bonds the search found first, in slot order.
std::vector<PairList> FindPairsInOrder(const Grid& g) {
    PairSearch search;
    search.bonds = LargeVector<unsigned char>(g.Atoms().size(), 0);
    ReserveLarge(search.pairs, g.Atoms().size() + g.Atoms().size() / 4);
    WalkLayers(g, 0, g.az.cells, search);
    std::vector<PairList> parts(1);
    parts[0] = std::move(search.pairs);
    return parts;
}

// The layers of cells cut into slabs of about equal numbers of atoms: slab k is layers
// first[k] .. first[k + 1] − 1.
std::vector<int> SlabsOfLayers(const Grid& g, int slabs) {
    std::vector<int> first{0};
    const double perSlab = static_cast<double>(g.SlotCount()) / slabs;
    for (int cz = 1; cz < g.az.cells && static_cast<int>(first.size()) < slabs; ++cz)
        if (g.LayerBegin(cz) >= perSlab * static_cast<double>(first.size()))
            first.push_back(cz);
    first.push_back(g.az.cells);
    return first;
}

// The walk of FindPairsInOrder, slab by slab on several threads. A slab's walk meets the atoms of
// its own layers and of the layer above it, so each atom is met by at most two slabs, each
// counting the bonds it finds. When no atom gets as many as the cap, no search ever stopped at
// it: the slabs have found every pair that the walk in one go finds, in its order once the slabs
// are put one after another. Otherwise which bonds an atom keeps depends on the order in which
// they were found, and the walk runs again in one go.
std::vector<PairList> FindPairs(const Grid& g) {
    const int threads = WorkerThreads();
    if (threads < 2 || g.az.cells < 2 || g.SlotCount() < 2 * kAtomsPerThread)
        return FindPairsInOrder(g);
    const std::vector<int> first = SlabsOfLayers(g, std::min(2 * threads, g.az.cells));
    const int slabs = static_cast<int>(first.size()) - 1;
    std::vector<PairSearch> searches(static_cast<size_t>(slabs));
    RunParts(
        slabs,
        [&](int k) {
            const int z0 = first[static_cast<size_t>(k)], z1 = first[static_cast<size_t>(k) + 1];
            PairSearch& search = searches[static_cast<size_t>(k)];
            search.firstSlot = g.LayerBegin(z0);
            const int lastSlot = z1 + 1 < g.az.cells ? g.LayerBegin(z1 + 1) : g.SlotCount();
            search.bonds = LargeVector<unsigned char>(size_t(lastSlot - search.firstSlot), 0);
            const size_t own =
                size_t((z1 < g.az.cells ? g.LayerBegin(z1) : g.SlotCount()) - search.firstSlot);
            ReserveLarge(search.pairs, own + own / 4);
            WalkLayers(g, z0, z1, search);
        },
        threads);
    std::vector<unsigned char> bonds = LargeVector<unsigned char>(g.Atoms().size(), 0);
    for (const PairSearch& search : searches)
        for (size_t s = 0; s < search.bonds.size(); ++s) {
            unsigned char& total = bonds[static_cast<size_t>(search.firstSlot) + s];
            total = static_cast<unsigned char>(std::min(total + search.bonds[s], 255));
            if (total >= kMaxBondsPerAtom)
                return FindPairsInOrder(g);
        }
    std::vector<PairList> parts;
    for (PairSearch& search : searches)
        parts.push_back(std::move(search.pairs));
    return parts;
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

std::vector<PairList> FindBondedPairParts(const PdbFile& pdb, int n) {
    if (n <= 0)
        return {};
    return FindPairs(BuildGrid(pdb, n));
}

} // namespace vorn

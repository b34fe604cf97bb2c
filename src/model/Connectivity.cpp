// Finds covalent bonds: from a file's CONECT lists, from interatomic distances on a uniform grid,
// or from distances with the file's lists taking precedence for the atoms they name.
#include "model/Connectivity.h"

#include "core/HugePages.h"
#include "io/PdbFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace {

// The cell-size rule gives at most 51 cells per axis; the clamp only guards degenerate input.
constexpr int kMaxCellsPerAxis = 128;

// Slots tested at once by the pair search (see TestBlock).
constexpr int kBlock = 8;

// No two atoms bond farther apart than twice the largest bond radius (sulfur, 1.245 Å); the margin
// covers float rounding of the coordinate differences.
constexpr float kLargestBondRadius = 1.245f;
constexpr float kBondReach = 2.0f * kLargestBondRadius + 0.01f;

// Bonds one atom can get from distances. No element forms more than about eight covalent bonds;
// the rest is headroom for alternate locations read as separate atoms. Without a cap, thousands of
// atoms stacked on one point (a broken or hostile file) would bond every pair: millions of bonds.
constexpr unsigned char kMaxBondsPerAtom = 16;

int AtomTotal(const PdbFile& pdb) {
    return std::max(0, std::min(pdb.atomCount, static_cast<int>(pdb.records.size())));
}

// Cell layout along one axis. Cells of at least 4 Å exceed twice the largest bond radius
// (2 × 1.245 Å), so a bonded pair always lies in the same or in neighbouring cells. Kept in double
// so that even extents spanning the whole float range stay finite.
struct GridAxis {
    double min = 0.0;
    double cell = 4.0;
    int cells = 1;
    // Per cell: the coordinate above which an atom is within bonding reach of the upper face, and
    // below which of the lower face, rounded outwards to float.
    std::vector<float> nearUpper, nearLower;

    int CellOf(float v) const {
        const double c = (static_cast<double>(v) - min) / cell;
        if (!(c >= 0.0)) // NaN and -inf: cell 0; their distance tests always fail
            return 0;
        if (c >= cells)
            return cells - 1;
        return static_cast<int>(c);
    }
};

// Bounds over the finite coordinates only; an axis without any keeps a single cell.
template <typename Coord>
GridAxis AxisOf(const PdbRecord* records, int n, Coord coord) {
    GridAxis axis;
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

// Atoms bucketed by cell with a counting sort: slots cellStart[c] .. cellStart[c + 1] − 1 hold the
// atoms of cell c, sorted by model and then z so that a pair search only scans the slots of the
// same model within bonding reach (models of one file usually lie on top of each other). Atoms
// with a non-finite coordinate never bond and get no slot.
// Coordinates, radii and models are copied in slot order so the tests read memory sequentially;
// kBlock spare entries at the end let a block of tests run past the last atom.
struct Grid {
    GridAxis ax, ay, az;
    std::vector<int> cellStart;
    std::vector<int> atom; // original atom index of each slot
    std::vector<float> x, y, z, radius;
    std::vector<int> model;

    int CellId(int cx, int cy, int cz) const { return (cz * ay.cells + cy) * ax.cells + cx; }
    int Begin(int cell) const { return cellStart[static_cast<size_t>(cell)]; }
    int End(int cell) const { return cellStart[static_cast<size_t>(cell) + 1]; }
};

bool IsFinite(const PdbRecord& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z);
}

void BucketAtoms(Grid& g, const PdbRecord* records, int n) {
    std::vector<int> cellOf = LargeVector<int>(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const PdbRecord& r = records[i];
        cellOf[static_cast<size_t>(i)] =
            IsFinite(r) ? g.CellId(g.ax.CellOf(r.x), g.ay.CellOf(r.y), g.az.CellOf(r.z)) : -1;
    }
    const size_t cellTotal = static_cast<size_t>(g.ax.cells) * g.ay.cells * g.az.cells;
    g.cellStart.assign(cellTotal + 1, 0);
    for (int c : cellOf)
        if (c >= 0)
            ++g.cellStart[static_cast<size_t>(c) + 1];
    for (size_t c = 0; c < cellTotal; ++c)
        g.cellStart[c + 1] += g.cellStart[c];
    std::vector<int> next(g.cellStart.begin(), g.cellStart.end() - 1);
    g.atom = LargeVector<int>(static_cast<size_t>(g.cellStart.back()));
    for (int i = 0; i < n; ++i)
        if (cellOf[static_cast<size_t>(i)] >= 0)
            g.atom[static_cast<size_t>(next[static_cast<size_t>(cellOf[i])]++)] = i;
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
    std::vector<SlotKey> keyed = LargeVector<SlotKey>(g.atom.size());
    for (size_t s = 0; s < keyed.size(); ++s) {
        const PdbRecord& r = records[g.atom[s]];
        keyed[s] = {r.model, r.z, g.atom[s]};
    }
    for (size_t c = 0; c + 1 < g.cellStart.size(); ++c)
        if (g.cellStart[c + 1] - g.cellStart[c] > 1)
            std::sort(keyed.begin() + g.cellStart[c], keyed.begin() + g.cellStart[c + 1]);
    for (size_t s = 0; s < keyed.size(); ++s)
        g.atom[s] = keyed[s].atom;
}

void FillSlots(Grid& g, const PdbRecord* records) {
    const size_t count = g.atom.size();
    for (std::vector<float>* v : {&g.x, &g.y, &g.z, &g.radius})
        *v = LargeVector<float>(count + kBlock, 0.0f);
    g.model = LargeVector<int>(count + kBlock, 0);
    for (size_t s = 0; s < count; ++s) {
        const PdbRecord& r = records[g.atom[s]];
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

using PairList = std::vector<std::pair<int, int>>;

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
                search.Add(g.atom, i, j + k, sameCell);
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
    const GridAxis* axes[3] = {&g.ax, &g.ay, &g.az};
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
    search.bonds = LargeVector<unsigned char>(g.atom.size(), 0);
    ReserveLarge(search.pairs, g.atom.size() + g.atom.size() / 4);
    for (int cz = 0; cz < g.az.cells; ++cz)
        for (int cy = 0; cy < g.ay.cells; ++cy)
            for (int cx = 0; cx < g.ax.cells; ++cx) {
                const int cell = g.CellId(cx, cy, cz);
                if (g.Begin(cell) != g.End(cell))
                    TestNeighbours(g, cx, cy, cz, search);
            }
    return std::move(search.pairs);
}

// One entry per atom with its neighbours in pair order, laid out flat by a counting sort.
Connectivity EntriesFromPairs(const PdbFile& pdb, int n, const PairList& pairs, bool serialMode) {
    Connectivity conn;
    conn.serialMode = serialMode;
    conn.bondCount = static_cast<int>(pairs.size());
    std::vector<int> start = LargeVector<int>(static_cast<size_t>(n) + 1, 0);
    for (const auto& p : pairs)
        ++start[static_cast<size_t>(p.first) + 1], ++start[static_cast<size_t>(p.second) + 1];
    for (size_t i = 0; i < static_cast<size_t>(n); ++i)
        start[i + 1] += start[i];
    auto value = [&](int i) { return serialMode ? pdb.records[static_cast<size_t>(i)].serial : i; };
    std::vector<int> values = LargeVector<int>(2 * pairs.size());
    std::vector<int> fill = LargeVector<int>(static_cast<size_t>(n));
    std::copy(start.begin(), start.end() - 1, fill.begin());
    for (const auto& p : pairs) {
        values[static_cast<size_t>(fill[static_cast<size_t>(p.first)]++)] = value(p.second);
        values[static_cast<size_t>(fill[static_cast<size_t>(p.second)]++)] = value(p.first);
    }
    conn.owners = LargeVector<int>(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        conn.owners[static_cast<size_t>(i)] = value(i);
    conn.bonded = FlatLists(std::move(start), std::move(values));
    return conn;
}

// Serial → atom index with the reader's rule: the record at serial − 1 when it carries that serial,
// else the first record in file order that does. The map is only built when serials are not
// simply 1, 2, 3, ..., so the common case costs nothing.
class SerialLookup {
public:
    SerialLookup(const PdbFile& pdb, int n) : m_records(pdb.records.data()), m_count(n) {
        int i = 0;
        while (i < n && m_records[i].serial == i + 1)
            ++i;
        if (i == n)
            return;
        m_first.reserve(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k)
            m_first.emplace(m_records[k].serial, k); // keeps the first of duplicate serials
    }

    int IndexOf(int serial) const {
        if (serial >= 1 && serial <= m_count && m_records[serial - 1].serial == serial)
            return serial - 1;
        const auto it = m_first.find(serial);
        return it == m_first.end() ? -1 : it->second;
    }

private:
    const PdbRecord* m_records;
    int m_count;
    std::unordered_map<int, int> m_first;
};

bool AllOneModel(const PdbFile& pdb, int n) {
    for (int i = 1; i < n; ++i)
        if (pdb.records[static_cast<size_t>(i)].model != pdb.records[0].model)
            return false;
    return true;
}

// A file's CONECT entry with its serials turned into atom indices.
struct IndexedEntry {
    int owner = 0;
    std::vector<int> bonded;
};

// The file's lists as atom indices; false when any serial, owner or listed, names no atom.
bool ListsAsIndices(const PdbFile& pdb, const SerialLookup& lookup,
                    std::vector<IndexedEntry>& lists) {
    lists.resize(pdb.conects.size());
    for (size_t e = 0; e < pdb.conects.size(); ++e) {
        lists[e].owner = lookup.IndexOf(pdb.conects[e].owner);
        if (lists[e].owner < 0)
            return false;
        lists[e].bonded.reserve(static_cast<size_t>(pdb.conects[e].bonded.Count()));
        for (int serial : pdb.conects[e].bonded) {
            const int index = lookup.IndexOf(serial);
            if (index < 0)
                return false;
            lists[e].bonded.push_back(index);
        }
    }
    return true;
}

// The computed lists while the file's lists are merged in: an atom's list is copied out of the
// flat layout the first time the merge changes it, and the layout is rebuilt once at the end.
class EditedLists {
public:
    explicit EditedLists(const FlatLists& computed) : m_computed(computed) {}

    std::vector<int>& Edit(int atom) {
        auto it = m_edited.find(atom);
        if (it == m_edited.end())
            it = m_edited.emplace(atom, m_computed[atom].ToVector()).first;
        return it->second;
    }

    FlatLists Rebuild() const {
        FlatLists lists;
        lists.Reserve(static_cast<size_t>(m_computed.Count()), m_computed.Values().size());
        for (int atom = 0; atom < m_computed.Count(); ++atom) {
            const auto it = m_edited.find(atom);
            if (it == m_edited.end())
                lists.Add(m_computed[atom].begin(), m_computed[atom].end());
            else
                lists.Add(it->second.begin(), it->second.end());
        }
        return lists;
    }

private:
    const FlatLists& m_computed;
    std::unordered_map<int, std::vector<int>> m_edited;
};

void Erase(std::vector<int>& list, int value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

bool Contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// A hetero owner's neighbours become exactly the listed ones, kept symmetric: the computed back
// references go, the listed atoms get the owner appended.
void ReplaceWithListed(EditedLists& edit, int& bondCount, const IndexedEntry& listed) {
    std::vector<int>& own = edit.Edit(listed.owner);
    bondCount += static_cast<int>(listed.bonded.size()) - static_cast<int>(own.size());
    const std::vector<int> old = std::move(own);
    own.clear();
    for (int v : old)
        Erase(edit.Edit(v), listed.owner);
    edit.Edit(listed.owner) = listed.bonded;
    for (int v : listed.bonded)
        edit.Edit(v).push_back(listed.owner);
}

// A standard-residue owner keeps its computed neighbours and gains the listed ones: a disulfide
// CONECT line names only the partner sulfur, and replacing would cut the cysteine from its CB.
// Lists at the bond cap take no more; only a broken or hostile file lists thousands of partners
// for such an atom, and the cap keeps each membership test short.
void AddListed(EditedLists& edit, int& bondCount, const IndexedEntry& listed) {
    for (int v : listed.bonded) {
        std::vector<int>& own = edit.Edit(listed.owner);
        if (v == listed.owner || own.size() >= kMaxBondsPerAtom || Contains(own, v))
            continue;
        std::vector<int>& back = edit.Edit(v);
        if (back.size() >= kMaxBondsPerAtom)
            continue;
        own.push_back(v);
        if (!Contains(back, listed.owner))
            back.push_back(listed.owner);
        ++bondCount;
    }
}

bool IsStandardResidueAtom(const PdbRecord& r) {
    return std::strcmp(r.record, "ATOM") == 0 && r.hetero == 0;
}

// Walks the computed entries in atom order and the file's lists in file order; a list is applied
// when its owner is the atom reached. Lists out of atom order are passed over, as the walk never
// returns to an earlier atom.
void MergeFileLists(Connectivity& conn, const PdbFile& pdb,
                    const std::vector<IndexedEntry>& lists) {
    EditedLists edit(conn.bonded);
    size_t next = 0;
    for (int atom = 0; atom < conn.EntryCount() && next < lists.size(); ++atom) {
        if (lists[next].owner != atom)
            continue;
        if (IsStandardResidueAtom(pdb.records[static_cast<size_t>(atom)]))
            AddListed(edit, conn.bondCount, lists[next]);
        else
            ReplaceWithListed(edit, conn.bondCount, lists[next]);
        ++next;
    }
    conn.bonded = edit.Rebuild();
}

void IndicesToSerials(Connectivity& conn, const PdbFile& pdb) {
    auto serial = [&](int i) { return pdb.records[static_cast<size_t>(i)].serial; };
    for (int& owner : conn.owners)
        owner = serial(owner);
    for (int& v : conn.bonded.Values())
        v = serial(v);
    conn.serialMode = true;
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

Connectivity BondsFromCoordinates(const PdbFile& pdb, bool serialMode) {
    const int n = AtomTotal(pdb);
    if (n == 0) {
        Connectivity conn;
        conn.serialMode = serialMode;
        return conn;
    }
    PairList pairs = FindPairs(BuildGrid(pdb, n));
    return EntriesFromPairs(pdb, n, pairs, serialMode);
}

Connectivity FileConnectivity(const PdbFile& pdb) {
    Connectivity conn;
    conn.serialMode = true;
    conn.bondCount = pdb.bondCount;
    conn.owners.reserve(pdb.conects.size());
    for (const ConectEntry& entry : pdb.conects) {
        conn.owners.push_back(entry.owner);
        conn.bonded.Add(entry.bonded.begin(), entry.bonded.end());
    }
    return conn;
}

Connectivity MakeConnectivity(const PdbFile& pdb, bool indexModeRequested) {
    const int n = AtomTotal(pdb);
    if (pdb.conectCount == pdb.atomCount || n == 0)
        return FileConnectivity(pdb);
    if (pdb.conects.empty())
        return BondsFromCoordinates(pdb, !indexModeRequested);
    if (!AllOneModel(pdb, n)) // multi-model files: CONECT lists cannot name each model's atoms
        return BondsFromCoordinates(pdb, false);
    std::vector<IndexedEntry> lists;
    if (!ListsAsIndices(pdb, SerialLookup(pdb, n), lists))
        return BondsFromCoordinates(pdb, true);
    // The merge runs on atom indices, which is the serial walk without a lookup per value.
    Connectivity conn = BondsFromCoordinates(pdb, false);
    MergeFileLists(conn, pdb, lists);
    IndicesToSerials(conn, pdb);
    return conn;
}

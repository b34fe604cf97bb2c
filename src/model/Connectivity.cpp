// Finds covalent bonds: from a file's CONECT lists, from interatomic distances on a uniform grid,
// or from distances with the file's lists taking precedence for the atoms they name.
#include "model/Connectivity.h"

#include "io/PdbFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <unordered_map>
#include <utility>

namespace {

// The cell-size rule gives at most 51 cells per axis; the clamp only guards degenerate input.
constexpr int kMaxCellsPerAxis = 128;

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
    axis.min = lo;
    const double extent = static_cast<double>(hi) - lo;
    axis.cell = extent < 200.0 ? 4.0 : extent * 0.02; // large structures: about 50 cells
    axis.cells = std::min(static_cast<int>(extent / axis.cell) + 1, kMaxCellsPerAxis);
    return axis;
}

// Atoms bucketed by cell with a counting sort: slots cellStart[c] .. cellStart[c + 1] − 1 hold the
// atoms of cell c in file order. Coordinates, radii and models are copied in slot order so that the
// pair tests read memory sequentially.
struct Grid {
    GridAxis ax, ay, az;
    std::vector<int> cellStart;
    std::vector<int> atom; // original atom index of each slot
    std::vector<float> x, y, z, radius;
    std::vector<int> model;

    int CellId(int cx, int cy, int cz) const { return (cz * ay.cells + cy) * ax.cells + cx; }
};

std::vector<int> CellOfEachAtom(const Grid& g, const PdbRecord* records, int n) {
    std::vector<int> cellOf(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const PdbRecord& r = records[i];
        cellOf[static_cast<size_t>(i)] =
            g.CellId(g.ax.CellOf(r.x), g.ay.CellOf(r.y), g.az.CellOf(r.z));
    }
    return cellOf;
}

Grid BuildGrid(const PdbFile& pdb, int n) {
    Grid g;
    const PdbRecord* records = pdb.records.data();
    g.ax = AxisOf(records, n, [](const PdbRecord& r) { return r.x; });
    g.ay = AxisOf(records, n, [](const PdbRecord& r) { return r.y; });
    g.az = AxisOf(records, n, [](const PdbRecord& r) { return r.z; });
    const std::vector<int> cellOf = CellOfEachAtom(g, records, n);
    const size_t cellTotal = static_cast<size_t>(g.ax.cells) * g.ay.cells * g.az.cells;
    g.cellStart.assign(cellTotal + 1, 0);
    for (int c : cellOf)
        ++g.cellStart[static_cast<size_t>(c) + 1];
    for (size_t c = 0; c < cellTotal; ++c)
        g.cellStart[c + 1] += g.cellStart[c];
    std::vector<int> next(g.cellStart.begin(), g.cellStart.end() - 1);
    const size_t count = static_cast<size_t>(n);
    for (std::vector<float>* v : {&g.x, &g.y, &g.z, &g.radius})
        v->resize(count);
    g.atom.resize(count);
    g.model.resize(count);
    for (int i = 0; i < n; ++i) {
        const size_t slot = static_cast<size_t>(next[static_cast<size_t>(cellOf[i])]++);
        const PdbRecord& r = records[i];
        g.atom[slot] = i;
        g.x[slot] = r.x;
        g.y[slot] = r.y;
        g.z[slot] = r.z;
        g.radius[slot] = BondRadius(r.atomName);
        g.model[slot] = r.model;
    }
    return g;
}

using PairList = std::vector<std::pair<int, int>>;

// Tests every atom of cell a against every atom of cell b (within one cell, only the later ones).
// The three partial sums are compared separately, in single precision, with strict inequalities.
void TestCells(const Grid& g, int a, int b, PairList& pairs) {
    const int aEnd = g.cellStart[static_cast<size_t>(a) + 1];
    const int bEnd = g.cellStart[static_cast<size_t>(b) + 1];
    for (int i = g.cellStart[static_cast<size_t>(a)]; i < aEnd; ++i) {
        const float xi = g.x[i], yi = g.y[i], zi = g.z[i], ri = g.radius[i];
        const int mi = g.model[i];
        for (int j = a == b ? i + 1 : g.cellStart[static_cast<size_t>(b)]; j < bEnd; ++j) {
            if (g.model[j] != mi)
                continue;
            const float r = ri + g.radius[j];
            const float t = r * r;
            const float dx = xi - g.x[j];
            const float dx2 = dx * dx;
            if (!(dx2 < t))
                continue;
            const float dy = yi - g.y[j];
            const float dxy2 = dx2 + dy * dy;
            if (!(dxy2 < t))
                continue;
            const float dz = zi - g.z[j];
            if (dxy2 + dz * dz < t)
                pairs.emplace_back(g.atom[i], g.atom[j]);
        }
    }
}

struct Offset {
    int dx, dy, dz;
};

// Half of the 26 neighbours plus the cell itself, so each pair of cells is visited once.
constexpr Offset kHalfShell[14] = {{0, 0, 0}, {1, 0, 0},  {0, 1, 0},  {0, 0, 1},  {1, 1, 0},
                                   {1, 0, 1}, {0, 1, 1},  {1, -1, 0}, {-1, 0, 1}, {0, -1, 1},
                                   {1, 1, 1}, {-1, 1, 1}, {1, -1, 1}, {-1, -1, 1}};

void TestNeighbours(const Grid& g, int cx, int cy, int cz, PairList& pairs) {
    const int cell = g.CellId(cx, cy, cz);
    for (const Offset& o : kHalfShell) {
        const int nx = cx + o.dx, ny = cy + o.dy, nz = cz + o.dz;
        if (nx < 0 || ny < 0 || nx >= g.ax.cells || ny >= g.ay.cells || nz >= g.az.cells)
            continue;
        TestCells(g, cell, g.CellId(nx, ny, nz), pairs);
    }
}

// Bonded pairs (original atom indices) in the order of the walk: occupied cells with z slowest and
// x fastest, then the neighbour offsets, then the atoms of the cell, then those of the neighbour.
PairList FindPairs(const Grid& g) {
    PairList pairs;
    pairs.reserve(g.atom.size() + g.atom.size() / 4);
    for (int cz = 0; cz < g.az.cells; ++cz)
        for (int cy = 0; cy < g.ay.cells; ++cy)
            for (int cx = 0; cx < g.ax.cells; ++cx) {
                const size_t cell = static_cast<size_t>(g.CellId(cx, cy, cz));
                if (g.cellStart[cell] != g.cellStart[cell + 1])
                    TestNeighbours(g, cx, cy, cz, pairs);
            }
    return pairs;
}

// One entry per atom with its neighbours in pair order; each list is allocated once at its size.
Connectivity EntriesFromPairs(const PdbFile& pdb, int n, const PairList& pairs, bool serialMode) {
    Connectivity conn;
    conn.serialMode = serialMode;
    conn.bondCount = static_cast<int>(pairs.size());
    std::vector<int> degree(static_cast<size_t>(n), 0);
    for (const auto& p : pairs)
        ++degree[static_cast<size_t>(p.first)], ++degree[static_cast<size_t>(p.second)];
    conn.entries.resize(static_cast<size_t>(n));
    auto value = [&](int i) { return serialMode ? pdb.records[static_cast<size_t>(i)].serial : i; };
    for (int i = 0; i < n; ++i) {
        conn.entries[static_cast<size_t>(i)].owner = value(i);
        conn.entries[static_cast<size_t>(i)].bonded.reserve(static_cast<size_t>(degree[i]));
    }
    for (const auto& p : pairs) {
        conn.entries[static_cast<size_t>(p.first)].bonded.push_back(value(p.second));
        conn.entries[static_cast<size_t>(p.second)].bonded.push_back(value(p.first));
    }
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

// The file's lists as atom indices; false when any serial, owner or listed, names no atom.
bool ListsAsIndices(const PdbFile& pdb, const SerialLookup& lookup,
                    std::vector<BondedEntry>& lists) {
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

void Erase(std::vector<int>& list, int value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

bool Contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// A hetero owner's neighbours become exactly the listed ones, kept symmetric: the computed back
// references go, the listed atoms get the owner appended.
void ReplaceWithListed(Connectivity& conn, const BondedEntry& listed) {
    std::vector<int>& own = conn.entries[static_cast<size_t>(listed.owner)].bonded;
    conn.bondCount += static_cast<int>(listed.bonded.size()) - static_cast<int>(own.size());
    const std::vector<int> old = std::move(own);
    own.clear();
    for (int v : old)
        Erase(conn.entries[static_cast<size_t>(v)].bonded, listed.owner);
    own = listed.bonded;
    for (int v : listed.bonded)
        conn.entries[static_cast<size_t>(v)].bonded.push_back(listed.owner);
}

// A standard-residue owner keeps its computed neighbours and gains the listed ones: a disulfide
// CONECT line names only the partner sulfur, and replacing would cut the cysteine from its CB.
void AddListed(Connectivity& conn, const BondedEntry& listed) {
    std::vector<int>& own = conn.entries[static_cast<size_t>(listed.owner)].bonded;
    for (int v : listed.bonded) {
        if (v == listed.owner || Contains(own, v))
            continue;
        own.push_back(v);
        std::vector<int>& back = conn.entries[static_cast<size_t>(v)].bonded;
        if (!Contains(back, listed.owner))
            back.push_back(listed.owner);
        ++conn.bondCount;
    }
}

bool IsStandardResidueAtom(const PdbRecord& r) {
    return std::strcmp(r.record, "ATOM") == 0 && r.hetero == 0;
}

// Walks the computed entries in atom order and the file's lists in file order; a list is applied
// when its owner is the atom reached. Lists out of atom order are passed over, as the walk never
// returns to an earlier atom.
void MergeFileLists(Connectivity& conn, const PdbFile& pdb, const std::vector<BondedEntry>& lists) {
    size_t next = 0;
    const int n = static_cast<int>(conn.entries.size());
    for (int atom = 0; atom < n && next < lists.size(); ++atom) {
        if (lists[next].owner != atom)
            continue;
        if (IsStandardResidueAtom(pdb.records[static_cast<size_t>(atom)]))
            AddListed(conn, lists[next]);
        else
            ReplaceWithListed(conn, lists[next]);
        ++next;
    }
}

void IndicesToSerials(Connectivity& conn, const PdbFile& pdb) {
    auto serial = [&](int i) { return pdb.records[static_cast<size_t>(i)].serial; };
    for (BondedEntry& e : conn.entries) {
        e.owner = serial(e.owner);
        for (int& v : e.bonded)
            v = serial(v);
    }
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
        return 1.245f;
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
    conn.entries.resize(pdb.conects.size());
    for (size_t e = 0; e < pdb.conects.size(); ++e) {
        conn.entries[e].owner = pdb.conects[e].owner;
        conn.entries[e].bonded.reserve(static_cast<size_t>(pdb.conects[e].bonded.Count()));
        for (int serial : pdb.conects[e].bonded)
            conn.entries[e].bonded.push_back(serial);
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
    std::vector<BondedEntry> lists;
    if (!ListsAsIndices(pdb, SerialLookup(pdb, n), lists))
        return BondsFromCoordinates(pdb, true);
    // The merge runs on atom indices, which is the serial walk without a lookup per value.
    Connectivity conn = BondsFromCoordinates(pdb, false);
    MergeFileLists(conn, pdb, lists);
    IndicesToSerials(conn, pdb);
    return conn;
}

// Decides which atoms of a freshly read file are covalently bonded: from a file's CONECT lists,
// from interatomic distances, or from distances with the file's lists taking precedence for the
// atoms they name.
#include "model/Connectivity.h"

#include "core/HugePages.h"
#include "core/Parallel.h"
#include "io/PdbFile.h"
#include "model/BondSearch.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace vorn {

namespace {

int AtomTotal(const PdbFile& pdb) {
    return std::max(0, std::min(pdb.atomCount, static_cast<int>(pdb.records.size())));
}

// Below this many atoms per thread, starting threads costs more than it saves.
constexpr int kAtomsPerThread = 20000;

// One entry per atom with its neighbours in pair order, the parts taken one after another. Pair k
// is two half-bonds, 2k from its first atom to its second and 2k + 1 back, listed by the atom they
// start from. Threads take ranges of atoms: each goes through all pairs and places the half-bonds
// that start in its range, filling each list from its end backwards, so that no list needs a
// cursor of its own beside its bound.
Connectivity EntriesFromPairs(const PdbFile& pdb, int n, const std::vector<PairList>& parts,
                              bool serialMode) {
    Connectivity conn;
    conn.serialMode = serialMode;
    size_t pairCount = 0;
    for (const PairList& part : parts)
        pairCount += part.size();
    conn.bondCount = static_cast<int>(pairCount);
    const auto value = [&](int i) { return serialMode ? pdb.records[size_t(i)].serial : i; };
    std::vector<int> bound = LargeVector<int>(static_cast<size_t>(n) + 1, 0);
    conn.owners = LargeVector<int>(static_cast<size_t>(n));
    const int threads = WorkerThreads();
    const int ranges = std::max(1, std::min(threads, n / kAtomsPerThread));
    std::vector<int> halves(static_cast<size_t>(ranges) + 1, 0);
    // Per range: the end of each list counted from the range's first list.
    RunParts(
        ranges,
        [&](int r) {
            const PartRange range = RangeOfPart(n, ranges, r);
            const auto inRange = [&](int a) { return a >= range.begin && a < range.end; };
            for (const PairList& part : parts)
                for (const auto& [a, b] : part) {
                    if (inRange(a))
                        ++bound[static_cast<size_t>(a)];
                    if (inRange(b))
                        ++bound[static_cast<size_t>(b)];
                }
            int end = 0;
            for (int k = range.begin; k < range.end; ++k)
                end = bound[static_cast<size_t>(k)] += end;
            halves[static_cast<size_t>(r) + 1] = end;
        },
        threads);
    for (int r = 0; r < ranges; ++r)
        halves[static_cast<size_t>(r) + 1] += halves[static_cast<size_t>(r)];
    std::vector<int> values = LargeVector<int>(static_cast<size_t>(halves.back()));
    RunParts(
        ranges,
        [&](int r) {
            const PartRange range = RangeOfPart(n, ranges, r);
            const auto inRange = [&](int a) { return a >= range.begin && a < range.end; };
            for (int k = range.begin; k < range.end; ++k) {
                bound[static_cast<size_t>(k)] += halves[static_cast<size_t>(r)];
                conn.owners[static_cast<size_t>(k)] = value(k);
            }
            for (auto part = parts.rbegin(); part != parts.rend(); ++part)
                for (auto pair = part->rbegin(); pair != part->rend(); ++pair) {
                    const auto [a, b] = *pair;
                    if (inRange(b))
                        values[static_cast<size_t>(--bound[static_cast<size_t>(b)])] = value(a);
                    if (inRange(a))
                        values[static_cast<size_t>(--bound[static_cast<size_t>(a)])] = value(b);
                }
        },
        threads);
    bound[static_cast<size_t>(n)] = halves.back();
    conn.bonded = FlatLists(std::move(bound), std::move(values));
    return conn;
}

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
bool ListsAsIndices(const PdbFile& pdb, const SerialIndex& lookup,
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
        if (pdb.conectsAreLinks || IsStandardResidueAtom(pdb.records[static_cast<size_t>(atom)]))
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

Connectivity BondsFromCoordinates(const PdbFile& pdb, bool serialMode) {
    const int n = AtomTotal(pdb);
    if (n == 0) {
        Connectivity conn;
        conn.serialMode = serialMode;
        return conn;
    }
    return EntriesFromPairs(pdb, n, FindBondedPairParts(pdb, n), serialMode);
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
    // Links between residues are never an atom's whole list, whatever their number.
    if ((pdb.conectCount == pdb.atomCount && !pdb.conectsAreLinks) || n == 0)
        return FileConnectivity(pdb);
    if (pdb.conects.empty())
        return BondsFromCoordinates(pdb, !indexModeRequested);
    if (!AllOneModel(pdb, n)) // multi-model files: CONECT lists cannot name each model's atoms
        return BondsFromCoordinates(pdb, false);
    // Computed bonds come in the mode asked for, also where the file's lists are ignored or merged
    // in: in serial mode, atoms that share a serial (a file numbered on past 99,999 by starting
    // again) could not be told apart, and their bonds would all go to the first of them.
    std::vector<IndexedEntry> lists;
    if (!ListsAsIndices(pdb, SerialIndex(pdb, n), lists))
        return BondsFromCoordinates(pdb, !indexModeRequested);
    // The merge runs on atom indices, which is the serial walk without a lookup per value.
    Connectivity conn = BondsFromCoordinates(pdb, false);
    MergeFileLists(conn, pdb, lists);
    if (!indexModeRequested)
        IndicesToSerials(conn, pdb);
    return conn;
}

} // namespace vorn

// The bonds an mmCIF file's struct_conn table names between residues, as CONECT entries.
#pragma once

#include "io/CifText.h"

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace vorn {

class PdbFile;

// Where a record's atom is, beyond what the record holds: its chain (an index of the chain's
// name), insertion code and alternate location (0 for none).
struct AtomPlace {
    int chain = -1;
    char insCode = '\0';
    char altId = '\0';
};

class MmcifLinks {
public:
    // The column of a struct_conn table that a name (after "_struct_conn.") stands for, 0 for
    // the columns that are not read.
    static unsigned char ColumnOf(const char* name, std::size_t length);

    // A value of the row being read.
    void Take(unsigned char column, cif::Value v);
    // Ends the row, keeping it when it is a bond between two atoms of the file: a disulfide, a
    // covalent link or a metal coordination. chainIndex gives a chain name's index.
    void FinishRow(const std::function<int(const cif::ShortText&)>& chainIndex);
    void Clear() { m_links.clear(); }

    // Appends one CONECT entry per linked atom of the first model, both ways, in the order of
    // the atoms (as the merge with computed bonds expects). A partner is the atom of that chain,
    // residue, insertion code and name, of the alternate location the link names (any when it
    // names none; the first in file order wins). Links to atoms that are not there are dropped.
    void AddConects(PdbFile& pdb, const std::vector<AtomPlace>& places) const;

    // Where a partner is.
    struct Key {
        static constexpr int kNameChars = 7;
        int chain = -1;
        int resSeq = 0;
        char insCode = '\0';
        char altId = '\0';
        char name[kNameChars + 1] = "";
        bool operator==(const Key& o) const;
    };

private:
    struct Partner {
        cif::ShortText authAsym, labelAsym, atom;
        bool hasAuthSeq = false, hasLabelSeq = false;
        int authSeq = 0, labelSeq = 0;
        char insCode = '\0', altId = '\0';
        bool otherImage = false; // an atom of a symmetry mate, not of the file
    };

    bool m_bond = false;
    Partner m_partners[2];
    std::vector<std::pair<Key, Key>> m_links;
};

} // namespace vorn

// Decides which atoms of a freshly read file are covalently bonded: from CONECT lists, from
// interatomic distances (BondSearch), or both.
#pragma once

#include "core/FlatLists.h"

#include <vector>

namespace vorn {

class PdbFile;

// Bonded lists, one entry per owner atom. Owners and values are atom indices (index mode) or
// serial numbers (serial mode).
struct Connectivity {
    std::vector<int> owners; // the owner of each entry
    FlatLists bonded;        // the bonded values of each entry
    int bondCount = 0;       // bonds found
    bool serialMode = false; // values are serial numbers, to be mapped to atom indices

    int EntryCount() const { return static_cast<int>(owners.size()); }
};

// Bonds from coordinates: one entry per atom, pairs closer than the sum of their bond radii
// within one model.
Connectivity BondsFromCoordinates(const PdbFile& pdb, bool serialMode);

// The file's CONECT lists as they stand, in serial mode.
Connectivity FileConnectivity(const PdbFile& pdb);

// Computed bonds, with the file's CONECT lists taking precedence for the atoms they name.
// indexModeRequested is the mode the caller prefers; the result says which mode it is in.
Connectivity MakeConnectivity(const PdbFile& pdb, bool indexModeRequested);

} // namespace vorn

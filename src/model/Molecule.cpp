// Counts over the molecule's records.
#include "model/Molecule.h"

int Molecule::ResidueCount() const {
    int count = 0;
    for (const Chain& chain : chains)
        count += static_cast<int>(chain.residues.size());
    return count;
}

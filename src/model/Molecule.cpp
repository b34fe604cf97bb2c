// Counts and lookups over the molecule's records.
#include "model/Molecule.h"

#include <cmath>

namespace vorn {

int Molecule::ResidueCount() const {
    int count = 0;
    for (const Chain& chain : chains)
        count += static_cast<int>(chain.residues.size());
    return count;
}

double Normalize(double value, double min, double max) {
    if (std::abs(max - min) < 1e-6)
        return 1.0;
    return (value - min) / (max - min);
}

int FindAtomBySerial(const Molecule& mol, int serial) {
    for (int i = 0; i < mol.AtomCount(); ++i)
        if (mol.atoms[i].serial == serial)
            return i;
    return -1;
}

bool FindResidueByNumber(const Molecule& mol, int number, int& chainIndex, int& residueIndex) {
    for (int c = 0; c < static_cast<int>(mol.chains.size()); ++c) {
        const std::vector<Residue>& residues = mol.chains[c].residues;
        for (int r = 0; r < static_cast<int>(residues.size()); ++r) {
            if (residues[r].number == number) {
                chainIndex = c;
                residueIndex = r;
                return true;
            }
        }
    }
    return false;
}

} // namespace vorn

// The text reports of vorn-cli. Scripts read them: keep the formats stable.
#include "Report.h"

#include "model/Elements.h"
#include "model/Molecule.h"

namespace vorn {

void PrintInfo(std::FILE* out, const Molecule& mol) {
    int hetero = 0;
    for (const Atom& atom : mol.atoms)
        hetero += atom.hetero ? 1 : 0;
    int byCode[kStructureCodeCount] = {};
    for (const Chain& chain : mol.chains)
        for (const Residue& residue : chain.residues)
            if (residue.structure >= 0 && residue.structure < kStructureCodeCount)
                ++byCode[residue.structure];
    std::fprintf(out, "file: %s\n", mol.fileName.c_str());
    std::fprintf(out, "atoms: %d\n", mol.AtomCount());
    std::fprintf(out, "hetero: %d\n", hetero);
    std::fprintf(out, "chains: %zu\n", mol.chains.size());
    std::fprintf(out, "residues: %d\n", mol.ResidueCount());
    std::fprintf(out, "bonds: %zu\n", mol.bonds.size());
    std::fprintf(out, "frames: %d\n", mol.frameCount);
    std::fprintf(out, "box: %.3f %.3f %.3f %.3f %.3f %.3f\n", mol.boxMin[0], mol.boxMin[1],
                 mol.boxMin[2], mol.boxSize[0], mol.boxSize[1], mol.boxSize[2]);
    std::fprintf(out, "monitors: %d\n", mol.monitors.Count());
    std::fprintf(out, "temperature: %g %g\n", mol.tempMin, mol.tempMax);
    std::fprintf(out, "occupancy: %g %g\n", mol.occMin, mol.occMax);
    std::fprintf(out,
                 "structure: coil=%d helix=%d strand=%d turn=%d bulge=%d omega=%d nucleic=%d "
                 "unassigned=%d\n",
                 byCode[kCoil], byCode[kAlphaHelix], byCode[kStrand], byCode[kTurn], byCode[kBulge],
                 byCode[kOmegaTurn], byCode[kNucleicHelix], byCode[kNotAssigned]);
}

void PrintResidues(std::FILE* out, const Molecule& mol) {
    std::fprintf(out, "Residue\tChain\tModel\tSec Struct\n");
    for (const Chain& chain : mol.chains) {
        for (const Residue& residue : chain.residues) {
            const int type = (residue.type >= 0 && residue.type < kResidueTypeCount)
                                 ? residue.type
                                 : kUnknownResidue;
            const int code = (residue.structure >= 0 && residue.structure < kStructureCodeCount)
                                 ? residue.structure
                                 : kNotAssigned;
            std::fprintf(out, "%s %d\t%c\t%d\t%s\n", kResidueTypeNames[type], residue.number,
                         chain.id, chain.model, kStructureShortNames[code]);
        }
    }
}

void PrintBonds(std::FILE* out, const Molecule& mol) {
    for (const Bond& bond : mol.bonds)
        std::fprintf(out, "%d %d\n", mol.atoms[static_cast<size_t>(bond.first)].serial,
                     mol.atoms[static_cast<size_t>(bond.second)].serial);
}

} // namespace vorn

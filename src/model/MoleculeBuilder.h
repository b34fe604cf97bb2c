// Builds a molecule from a PDB record set: atoms, trajectory frames of extra models, chains and
// residues, bonds, lone oxygens, value ranges and monitors.
#pragma once

namespace vorn {

class PdbFile;
class UiHost;
struct Molecule;

// multiModel reads the models of a multi-model file as trajectory frames; connect computes bonds
// from coordinates (else the file's CONECT lists are the only bonds). Warnings go to ui (may be
// null).
void BuildMolecule(Molecule& mol, const PdbFile& pdb, bool multiModel, bool connect, UiHost* ui);

} // namespace vorn

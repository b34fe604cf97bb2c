// The text reports of vorn-cli: molecule summary, residue table and bond list.
#pragma once

#include <cstdio>

namespace vorn {

struct Molecule;

// key: value lines: file, atoms, hetero, chains, residues, bonds, frames, box (smallest x, y, z
// and extent over atoms and frames, Å), monitors, temperature, occupancy and the residue counts
// by secondary-structure code.
void PrintInfo(std::FILE* out, const Molecule& mol);

// The sequence table as tab-separated values with a header line.
void PrintResidues(std::FILE* out, const Molecule& mol);

// One bond a line: the serial numbers of its two atoms.
void PrintBonds(std::FILE* out, const Molecule& mol);

} // namespace vorn

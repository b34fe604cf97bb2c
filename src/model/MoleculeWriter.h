// Writes molecules in their displayed position, and ranges of trajectory frames, as PDB files:
// the inverse of building a molecule from a record set.
#pragma once

#include "io/PdbFile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vorn {

class UiHost;
struct Molecule;

// Save types of the Save Coordinates command.
enum SaveType { kSavePdb = 0, kSaveXyz = 1, kSaveCrd = 2 };

// The records of one molecule: displayed positions, serials + serialOffset, temperature factors
// limited to 99.9 or normalised to 0.01 .. 99.81 over the molecule's range, and a CONECT entry
// for every atom of the first model listing its bonded serials.
PdbFile MoleculeRecords(const Molecule& mol, bool normalise, int serialOffset);

// Writes MoleculeRecords to the open file; a failed write raises VornError
// "Error saving pdb file, " + the molecule's file name.
void SavePdbMolecule(const Molecule& mol, std::FILE* file, int precision, bool conect,
                     bool normalise, int serialOffset);

// Type kSavePdb saves the molecule; XYZ, CRD and other types raise VornError.
void SaveMoleculeByType(const Molecule& mol, std::FILE* file, int type, int precision, bool conect,
                        bool normalise, int serialOffset);

// The name Save Coordinates writes to: ".pdb" appended unless ".pdb" or ".PDB" occurs anywhere.
std::string SaveCoordinatesName(const std::string& fileName);

// Writes every molecule, in list order, into one file (SaveCoordinatesName of fileName, which it
// returns); serials of each molecule follow the previous one's atom count + 1. Raises VornError
// "Unable to open file for saving" or a save error; then the old file is left untouched.
std::string SaveCoordinates(const std::vector<const Molecule*>& molecules,
                            const std::string& fileName, int type, int precision, bool conect,
                            bool normalise);

// Writes frames start .. stop (1-based) of the molecule as MODEL 1, 2, ... blocks at precision 3,
// with the frame's place in the range, k / n, in the occupancy column. Refusals and a failed write
// are shown through ui (may be null) and return false; a file that cannot be made raises.
bool ExportTrajectory(const Molecule& mol, const std::string& fileName, int start, int stop,
                      UiHost* ui);

} // namespace vorn

// Writes molecules in their displayed position, and ranges of trajectory frames, as PDB text.
#pragma once

#include "io/PdbFile.h"

#include <cstdio>
#include <string>
#include <vector>

class UiHost;
struct Molecule;

// Number of decimals of the written coordinates; other values are clamped into this range.
constexpr int kPdbMinPrecision = 3;
constexpr int kPdbMaxPrecision = 15;

// Save types of the Save Coordinates command.
enum SaveType { kSavePdb = 0, kSaveXyz = 1, kSaveCrd = 2 };

// A record set of count records ready to be filled for writing: "ATOM", serial = index, atom "C",
// residue "UNK0" 1, origin, occupancy 1, temperature factor 0, no CONECT entries.
PdbFile MakeWriteRecords(int count);

// Prints MODEL, the atom lines with a model change wherever the model number changes, one TER
// after the last atom, ENDMDL, and (when conect) one CONECT line per entry. Nothing for an empty
// set. Flushes the file; false when any write or the flush failed.
bool WritePdbRecords(const PdbFile& pdb, std::FILE* file, int precision, bool conect);

// The same into a named file, which is replaced only by a complete write: the text goes to a
// temporary file beside it that is renamed over it. Raises VornError "Can't open file" when the
// temporary cannot be made; false (the old file untouched) when writing or replacing failed.
bool WritePdbRecords(const PdbFile& pdb, const std::string& fileName, int precision, bool conect);

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

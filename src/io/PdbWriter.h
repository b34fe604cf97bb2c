// Prints PDB record sets as text: MODEL blocks of ATOM lines, TER, ENDMDL and CONECT lines.
#pragma once

#include "io/PdbFile.h"

#include <cstdio>
#include <string>

namespace vorn {

// Number of decimals of the written coordinates; other values are clamped into this range.
constexpr int kPdbMinPrecision = 3;
constexpr int kPdbMaxPrecision = 15;

// serial + offset, held at the ends of the int range instead of wrapping: a file may carry any
// serial, the largest int included, and the numbers written after it must not turn negative.
int AddToSerial(int serial, int offset);

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

} // namespace vorn

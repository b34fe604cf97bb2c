// Reads a PDBx/mmCIF coordinate file, plain or gzip-compressed, into the record set of a PDB file.
#pragma once

#include <cstddef>
#include <string>

namespace vorn {

class PdbFile;

// True when the file's text, after blank and comment lines, opens a CIF data block ("data_").
bool IsMmcifFile(const std::string& fileName);

// Fills pdb from the first data block that has an atom_site table: one record per row in file
// order, named by the auth identifiers where the file gives them (as its PDB file would show
// them) and by the label ones otherwise; every alternate location is an atom of its own, as in a
// PDB file. A file of one model gets model 0 like a PDB file without MODEL records. The
// disulfide, covalent and metal links of struct_conn become CONECT entries marked as links (a PDB
// file of the entry lists the same in its CONECT records). Raises
// VornError "Can't open file!" or "Error parsing file! Line N: ..." naming what is wrong.
void ReadMmcifFile(const std::string& fileName, PdbFile& pdb);

// The same, with the text (in bytes) that runs of unquoted loop values are read directly in
// made sure of before each value; a value that runs past the text at hand, and everything else,
// goes through the general CIF rules, as every value does with a window of 0. The result never
// depends on the window: tests vary it to put values at the edges of the text at hand.
void ReadMmcifFile(const std::string& fileName, PdbFile& pdb, std::size_t loopWindow);

} // namespace vorn

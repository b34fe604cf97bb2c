// The element and residue-type vocabularies: how atom and residue names map to them, and the
// masses.
#pragma once

namespace vorn {

// Element indices. An atom's element is fixed when it is read, from its atom name.
enum Element {
    kCarbon = 0,
    kNitrogen,
    kOxygen,
    kSulfur,
    kHydrogen,
    kPhosphorus,
    kChlorine,
    kZinc,
    kSodium,
    kIron,
    kMagnesium,
    kPotassium,
    kCalcium,
    kIodine,
    kUnknownElement,
    kElementCount
};

// Residue types: 0..19 the amino acids, 20..24 the nucleotides A C G T U, 25 unknown.
enum ResidueType {
    kAla = 0,
    kVal,
    kPhe,
    kPro,
    kMet,
    kIle,
    kLeu,
    kAsp,
    kGlu,
    kLys,
    kArg,
    kSer,
    kThr,
    kTyr,
    kHis,
    kCys,
    kAsn,
    kGln,
    kTrp,
    kGly,
    kNucleotideA,
    kNucleotideC,
    kNucleotideG,
    kNucleotideT,
    kNucleotideU,
    kUnknownResidue,
    kResidueTypeCount
};

// Secondary-structure codes of a residue; kNotAssigned is the code of a residue never visited.
enum StructureCode {
    kCoil = 0,
    kAlphaHelix,
    kStrand,
    kTurn,
    kBulge,
    kOmegaTurn,
    kNucleicHelix,
    kNotAssigned,
    kStructureCodeCount
};

// Element of an atom name: the first letter after any leading non-letters decides, with the
// second character telling chlorine from carbon and sodium from nitrogen.
int ElementOfAtomName(const char* name);

// Residue type of a residue name, case-insensitive: the nucleotide names of today's files (DA ...
// DU, ADE ... URA), else the first letters decide.
int ResidueTypeOfName(const char* name);

inline bool IsNucleotide(int residueType) {
    return residueType >= kNucleotideA && residueType <= kNucleotideU;
}

// Whether an atom name is the sugar atom stem ("C3") with its prime, written the old way ("C3*")
// or today's ("C3'").
bool IsPrimedName(const char* name, const char* stem);

// Clamps an element index into the tables: 15 and above use the "Unknown" entry.
inline int ElementTableIndex(int element) {
    return (element >= 0 && element < kElementCount) ? element : kUnknownElement;
}

extern const char* const kElementNames[kElementCount];              // "Carbon" ... "Unknown"
extern const float kElementMasses[kElementCount];                   // atomic mass units
extern const char* const kResidueTypeNames[kResidueTypeCount];      // "ALA" ... "U", "UNK"
extern const char* const kStructureLongNames[kStructureCodeCount];  // "Coil" ... ; "" for 7
extern const char* const kStructureShortNames[kStructureCodeCount]; // "Coil" ... ; "" for 7

} // namespace vorn

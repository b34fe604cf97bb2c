// Element and residue-type rules and their name and mass tables.
#include "model/Elements.h"

#include <cctype>
#include <cstring>

namespace vorn {

const char* const kElementNames[kElementCount] = {
    "Carbon", "Nitrogen", "Oxygen",    "Sulfur",    "Hydrogen", "Phosphorus", "Chlorine", "Zinc",
    "Sodium", "Iron",     "Magnesium", "Potassium", "Calcium",  "Iodine",     "Unknown"};

const float kElementMasses[kElementCount] = {12.011f,  14.0067f, 15.9994f, 32.06f,    1.0079f,
                                             30.9738f, 35.453f,  65.38f,   22.9898f,  55.847f,
                                             24.305f,  39.0983f, 40.08f,   126.9045f, 12.011f};

const char* const kResidueTypeNames[kResidueTypeCount] = {
    "ALA", "VAL", "PHE", "PRO", "MET", "ILE", "LEU", "ASP", "GLU", "LYS", "ARG", "SER", "THR",
    "TYR", "HIS", "CYS", "ASN", "GLN", "TRP", "GLY", "A",   "C",   "G",   "T",   "U",   "UNK"};

const char* const kStructureLongNames[kStructureCodeCount] = {
    "Coil",  "Alpha Helix", "Strand (beta sheet)", "Turn",
    "Bulge", "Omega Turn",  "Nucleic Acid Helix",  ""};

const char* const kStructureShortNames[kStructureCodeCount] = {
    "Coil", "AlphaHelix", "Strand", "Turn", "Bulge", "Omega", "Helix", ""};

int ElementOfAtomName(const char* name) {
    while (*name && !std::isalpha(static_cast<unsigned char>(*name)))
        ++name;
    const char next = name[0] ? name[1] : '\0';
    switch (name[0]) {
    case 'C':
        return next == 'L' ? kChlorine : kCarbon;
    case 'D':
        return kUnknownElement;
    case 'F':
        return kIron;
    case 'H':
        return kHydrogen;
    case 'I':
        return kIodine;
    case 'K':
        return kPotassium;
    case 'M':
        return kMagnesium;
    case 'N':
        return next == 'A' ? kSodium : kNitrogen;
    case 'O':
        return kOxygen;
    case 'P':
        return kPhosphorus;
    case 'S':
        return kSulfur;
    case 'Z':
        return kZinc;
    default:
        return kCarbon;
    }
}

namespace {

bool SameLetters(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != *b)
            return false;
    return *a == *b;
}

// Nucleotide names the letter rules below do not know: the PDB's deoxyribonucleotides (DA, DC,
// DG, DT, DU), the force fields' three-letter bases (ADE ... URA) and their DNA and RNA residues
// with the 5' and 3' terminal forms (DA5, RU3).
int NamedNucleotide(const char* name) {
    static const struct {
        const char* name;
        int type;
    } kNames[] = {{"ade", kNucleotideA},
                  {"cyt", kNucleotideC},
                  {"gua", kNucleotideG},
                  {"thy", kNucleotideT},
                  {"ura", kNucleotideU}};
    for (const auto& entry : kNames)
        if (SameLetters(name, entry.name))
            return entry.type;
    const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    if ((first != 'd' && first != 'r') || name[1] == '\0')
        return -1;
    const char end = name[2];
    if (end != '\0' && !((end == '5' || end == '3') && name[3] == '\0'))
        return -1;
    switch (std::tolower(static_cast<unsigned char>(name[1]))) {
    case 'a':
        return kNucleotideA;
    case 'c':
        return kNucleotideC;
    case 'g':
        return kNucleotideG;
    case 't':
        return first == 'd' ? kNucleotideT : -1;
    case 'u':
        return kNucleotideU;
    default:
        return -1;
    }
}

} // namespace

int ResidueTypeOfName(const char* name) {
    if (const int nucleotide = NamedNucleotide(name); nucleotide >= 0)
        return nucleotide;
    auto lower = [&](int i) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    };
    const char first = lower(0);
    if (first == '\0')
        return kUnknownResidue;
    const char second = lower(1);
    const char third = second ? lower(2) : '\0';
    const bool single = second == '\0';
    switch (first) {
    case 'a':
        if (second == 'l')
            return kAla;
        if (second == 'r')
            return kArg;
        if (third == 'p')
            return kAsp;
        return single ? kNucleotideA : kAsn;
    case 'v':
        return kVal;
    case 'p':
        return second == 'h' ? kPhe : kPro;
    case 'm':
        return kMet;
    case 'i':
        return kIle;
    case 'l':
        return second == 'e' ? kLeu : kLys;
    case 'g':
        if (third == 'u')
            return kGlu;
        if (third == 'y')
            return kGly;
        return single ? kNucleotideG : kGln;
    case 's':
        return kSer;
    case 't':
        if (second == 'h')
            return kThr;
        if (second == 'y')
            return kTyr;
        return single ? kNucleotideT : kTrp;
    case 'h':
        return kHis;
    case 'c':
        return single ? kNucleotideC : kCys;
    case 'u':
        return single ? kNucleotideU : kUnknownResidue;
    default:
        return kUnknownResidue;
    }
}

bool IsPrimedName(const char* name, const char* stem) {
    const std::size_t length = std::strlen(stem);
    return std::strncmp(name, stem, length) == 0 && (name[length] == '*' || name[length] == '\'') &&
           name[length + 1] == '\0';
}

} // namespace vorn

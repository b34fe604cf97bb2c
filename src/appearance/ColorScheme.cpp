// The document's colour tables and the colour schemes that rewrite a molecule's atom colours.
#include "appearance/ColorScheme.h"

#include "core/VornError.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace vorn {

const Rgba kDefaultElementColors[kElementCount] = {
    {200, 200, 200, 255}, // Carbon
    {143, 143, 255, 255}, // Nitrogen
    {240, 0, 0, 255},     // Oxygen
    {255, 200, 50, 255},  // Sulfur
    {225, 225, 225, 255}, // Hydrogen
    {255, 165, 0, 255},   // Phosphorus
    {0, 255, 0, 255},     // Chlorine
    {165, 42, 42, 255},   // Zinc
    {0, 0, 255, 255},     // Sodium
    {255, 165, 0, 255},   // Iron
    {42, 128, 42, 255},   // Magnesium
    {128, 128, 128, 255}, // Potassium
    {128, 128, 128, 255}, // Calcium
    {160, 32, 240, 255},  // Iodine
    {255, 20, 147, 255},  // Unknown
};

const Rgba kDefaultStructureColors[kStructureCodeCount] = {
    {255, 255, 255, 255}, // Coil
    {240, 0, 128, 255},   // Alpha Helix
    {255, 255, 0, 255},   // Strand
    {96, 128, 255, 255},  // Turn
    {240, 0, 128, 255},   // Bulge
    {255, 255, 255, 255}, // Omega Turn
    {0, 255, 128, 255},   // Nucleic Acid Helix
    {255, 255, 255, 255}, // not assigned
};

const Rgba kDefaultResidueTypeColors[kResidueTypeCount] = {
    {200, 200, 200, 255}, // ALA
    {15, 130, 15, 255},   // VAL
    {50, 50, 170, 255},   // PHE
    {220, 150, 130, 255}, // PRO
    {230, 230, 0, 255},   // MET
    {15, 130, 15, 255},   // ILE
    {15, 130, 15, 255},   // LEU
    {230, 10, 10, 255},   // ASP
    {230, 10, 10, 255},   // GLU
    {20, 90, 255, 255},   // LYS
    {20, 90, 255, 255},   // ARG
    {250, 150, 0, 255},   // SER
    {250, 150, 0, 255},   // THR
    {50, 50, 170, 255},   // TYR
    {130, 130, 210, 255}, // HIS
    {230, 230, 0, 255},   // CYS
    {0, 220, 220, 255},   // ASN
    {0, 220, 220, 255},   // GLN
    {180, 90, 180, 255},  // TRP
    {235, 235, 235, 255}, // GLY
    {0, 235, 0, 255},     // A
    {0, 0, 235, 255},     // C
    {235, 235, 235, 255}, // G
    {235, 0, 0, 255},     // T
    {235, 0, 0, 255},     // U
    {200, 200, 200, 255}, // UNK
};

const char* const kColorSchemeLabels[kColorSchemeCount] = {
    "Color by element",
    "Color by atom",
    "Default atom colors",
    "Color by PDB temperature field",
    "Color by PDB occupancy field",
    "Color by structure",
    "Color by residue",
    "Amino acid properties",
    "Color by amino acid index",
};

ColorTables::ColorTables() {
    ResetColorTable(*this, kElementColorTable);
    ResetColorTable(*this, kStructureColorTable);
    ResetColorTable(*this, kResidueTypeColorTable);
}

void ResetColorTable(ColorTables& tables, int which) {
    switch (which) {
    case 0:
    case kElementColorTable:
        std::copy(std::begin(kDefaultElementColors), std::end(kDefaultElementColors),
                  tables.element);
        break;
    case kStructureColorTable:
        std::copy(std::begin(kDefaultStructureColors), std::end(kDefaultStructureColors),
                  tables.structure);
        break;
    case kResidueTypeColorTable:
        std::copy(std::begin(kDefaultResidueTypeColors), std::end(kDefaultResidueTypeColors),
                  tables.residueType);
        break;
    default:
        break;
    }
}

namespace {

// A ramp product truncated toward zero and clamped to a byte; NaN counts as 0.
std::uint8_t RampChannel(double product) {
    if (!(product > 0.0))
        return 0;
    if (product >= 255.0)
        return 255;
    return static_cast<std::uint8_t>(product);
}

bool IsAtomIndex(const Molecule& mol, int index) {
    return index >= 0 && index < mol.AtomCount();
}

void ColorResidue(Molecule& mol, const Residue& residue, Rgba color) {
    for (int index : residue.atoms)
        if (IsAtomIndex(mol, index))
            mol.atoms[index].color = color;
}

// Table entries for codes a residue should never carry fall back to the last entry.
Rgba StructureColor(const ColorTables& tables, int code) {
    return tables.structure[(code >= 0 && code < kStructureCodeCount) ? code : kNotAssigned];
}

Rgba ResidueTypeColor(const ColorTables& tables, int type) {
    return tables.residueType[(type >= 0 && type < kResidueTypeCount) ? type : kUnknownResidue];
}

void ColorAllByElement(Molecule& mol, const ColorTables& tables) {
    for (Atom& atom : mol.atoms)
        ColorAtomByElement(atom, tables);
}

void ColorByAtom(Molecule& mol, int serial, Rgba color) {
    const int index = FindAtomBySerial(mol, serial);
    if (index >= 0)
        mol.atoms[index].color = color;
}

void ColorByResidue(Molecule& mol, int number, Rgba color) {
    int chainIndex = 0, residueIndex = 0;
    if (FindResidueByNumber(mol, number, chainIndex, residueIndex))
        ColorResiduesByNumber(mol, chainIndex, residueIndex, color);
}

void ColorByTemperature(Molecule& mol) {
    for (Atom& atom : mol.atoms)
        atom.color = RampColor(Normalize(atom.tempFactor, mol.tempMin, mol.tempMax));
}

void ColorByOccupancy(Molecule& mol) {
    for (Atom& atom : mol.atoms)
        atom.color = RampColor(Normalize(atom.occupancy, mol.occMin, mol.occMax));
}

void ColorByStructure(Molecule& mol, const ColorTables& tables) {
    for (const Chain& chain : mol.chains)
        for (const Residue& residue : chain.residues)
            ColorResidue(mol, residue, StructureColor(tables, residue.structure));
}

void ColorByResidueType(Molecule& mol, const ColorTables& tables) {
    for (const Chain& chain : mol.chains)
        for (const Residue& residue : chain.residues)
            ColorResidue(mol, residue, ResidueTypeColor(tables, residue.type));
}

// Blue at the start of each chain, approaching red at its end.
void ColorByResidueIndex(Molecule& mol) {
    for (const Chain& chain : mol.chains) {
        const int n = static_cast<int>(chain.residues.size());
        for (int i = 0; i < n; ++i)
            ColorResidue(mol, chain.residues[i], RampColor(Normalize(i, 0, n)));
    }
}

// The element and structure lists only offer valid entries; an index from elsewhere that lies
// outside the table is not stored.
void StoreTableEntry(Rgba* table, int count, int index, Rgba color) {
    if (index >= 0 && index < count)
        table[index] = color;
}

} // namespace

Rgba RampColor(double t) {
    Rgba color;
    color.r = RampChannel(t * 255.0);
    color.g = RampChannel(t < 0.5 ? t * 510.0 : (1.0 - t) * 510.0);
    color.b = RampChannel((1.0 - t) * 255.0);
    color.a = 255;
    return color;
}

Rgba FieldColor(int r, int g, int b, int a) {
    return Rgba{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(a)};
}

std::uint8_t SavedColorValue(int typed) {
    // Widened first so that the most negative int has an absolute value.
    return static_cast<std::uint8_t>(std::llabs(static_cast<long long>(typed)) % 256);
}

Rgba SavedColor(int r, int g, int b, int a) {
    return Rgba{SavedColorValue(r), SavedColorValue(g), SavedColorValue(b), SavedColorValue(a)};
}

void ColorAtomByElement(Atom& atom, const ColorTables& tables) {
    atom.color = tables.element[ElementTableIndex(atom.element)];
}

void ColorResiduesByNumber(Molecule& mol, int chainIndex, int residueIndex, Rgba color) {
    if (chainIndex < 0 || chainIndex >= static_cast<int>(mol.chains.size()) || residueIndex < 0 ||
        residueIndex >= static_cast<int>(mol.chains[chainIndex].residues.size()))
        VORN_RAISE("VornUtil", "Invalid index");
    const int number = mol.chains[chainIndex].residues[residueIndex].number;
    for (const Chain& chain : mol.chains)
        for (const Residue& residue : chain.residues)
            if (residue.number == number)
                ColorResidue(mol, residue, color);
}

void UpdateBondSplit(Molecule& mol) {
    for (Bond& bond : mol.bonds)
        if (IsAtomIndex(mol, bond.first) && IsAtomIndex(mol, bond.second))
            bond.split = mol.atoms[bond.first].color != mol.atoms[bond.second].color;
}

void ApplyColorScheme(Molecule& mol, ColorTables& tables, const ColorSchemeRequest& request) {
    const Rgba color = FieldColor(request.r, request.g, request.b, request.a);
    switch (request.scheme) {
    case kColorByElement:
        StoreTableEntry(tables.element, kElementCount, request.element, color);
        ColorAllByElement(mol, tables);
        break;
    case kColorByAtom:
        ColorByAtom(mol, request.number, color);
        break;
    case kDefaultAtomColors:
        ResetColorTable(tables, kElementColorTable);
        ColorAllByElement(mol, tables);
        break;
    case kColorByTemperature:
        ColorByTemperature(mol);
        break;
    case kColorByOccupancy:
        ColorByOccupancy(mol);
        break;
    case kColorByStructure:
        StoreTableEntry(tables.structure, kStructureCodeCount, request.structure, color);
        ColorByStructure(mol, tables);
        break;
    case kColorByResidue:
        ColorByResidue(mol, request.number, color);
        break;
    case kColorByResidueType:
        ColorByResidueType(mol, tables);
        break;
    case kColorByResidueIndex:
        ColorByResidueIndex(mol);
        break;
    default:
        break;
    }
    UpdateBondSplit(mol);
}

void ColorAndMassByElement(Molecule& mol, const ColorTables& tables,
                           const float (&masses)[kElementCount]) {
    for (Atom& atom : mol.atoms) {
        ColorAtomByElement(atom, tables);
        atom.mass = masses[ElementTableIndex(atom.element)];
    }
    UpdateBondSplit(mol);
}

} // namespace vorn

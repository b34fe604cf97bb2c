// The document's colour tables and the colour schemes that rewrite a molecule's atom colours.
#pragma once

#include "model/Elements.h"
#include "model/Molecule.h"

#include <cstdint>

namespace vorn {

// The three editable tables of a document, indexed by element, secondary-structure code and
// residue type. A new set holds the defaults.
struct ColorTables {
    Rgba element[kElementCount];
    Rgba structure[kStructureCodeCount];
    Rgba residueType[kResidueTypeCount];

    ColorTables();
};

extern const Rgba kDefaultElementColors[kElementCount];
extern const Rgba kDefaultStructureColors[kStructureCodeCount];
extern const Rgba kDefaultResidueTypeColors[kResidueTypeCount];

// Which table ResetColorTable restores: 0 and 1 both mean the element table.
enum ColorTableId { kElementColorTable = 1, kStructureColorTable = 2, kResidueTypeColorTable = 3 };

// Restores one table to its defaults; an unknown id changes nothing.
void ResetColorTable(ColorTables& tables, int which);

// The schemes in the order the Custom Colors window lists them.
enum ColorScheme {
    kColorByElement = 0,
    kColorByAtom,
    kDefaultAtomColors,
    kColorByTemperature,
    kColorByOccupancy,
    kColorByStructure,
    kColorByResidue,
    kColorByResidueType, // "Amino acid properties"
    kColorByResidueIndex,
    kColorSchemeCount
};

extern const char* const kColorSchemeLabels[kColorSchemeCount]; // "Color by element" ...

// What the Custom Colors window hands to ApplyColorScheme. The colour fields are the integers as
// typed; each is stored as its low 8 bits.
struct ColorSchemeRequest {
    int scheme = kColorByElement;
    int element = kCarbon; // selected entry of the element list
    int structure = kCoil; // selected entry of the structure list
    int number = 0;        // atom serial ("Color by atom") or residue number ("Color by residue")
    int r = 200, g = 200, b = 200, a = 255;
};

// Colour of a value t, normally in [0, 1]: 0 blue, 0.5 (127, 255, 127), 1 red.
Rgba RampColor(double t);

// The colour the typed fields give: each value's low 8 bits, so -5 gives 251.
Rgba FieldColor(int r, int g, int b, int a);

// The window's "Save Color" rule for one typed value: |value| modulo 256, so 300 gives 44 and -5
// gives 5.
std::uint8_t SavedColorValue(int typed);
Rgba SavedColor(int r, int g, int b, int a);

void ColorAtomByElement(Atom& atom, const ColorTables& tables);

// Colours every atom of every residue, in any chain, whose number equals that of the residue at
// (chainIndex, residueIndex). An index outside the molecule raises "Invalid index".
void ColorResiduesByNumber(Molecule& mol, int chainIndex, int residueIndex, Rgba color);

// Flags every bond whose two atoms differ in colour, so that it is drawn in two halves.
void UpdateBondSplit(Molecule& mol);

// Runs the request's scheme on the molecule (editing the tables where the scheme stores the
// colour), then updates the bond splits.
void ApplyColorScheme(Molecule& mol, ColorTables& tables, const ColorSchemeRequest& request);

// Gives every atom its element colour and mass, as a freshly read molecule gets them.
void ColorAndMassByElement(Molecule& mol, const ColorTables& tables,
                           const float (&masses)[kElementCount] = kElementMasses);

} // namespace vorn

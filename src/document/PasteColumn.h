// Pastes a column of numbers, taken from clipboard text, into the temperature factors or
// occupancies of a molecule's atoms, so that colours and tubes can show any per-atom quantity.
#pragma once

#include <string>
#include <vector>

namespace vorn {

struct Molecule;

// The numbers of a clipboard text, in text order.
struct ClipboardNumbers {
    std::vector<float> values;
    bool negativeFound = false; // at least one value was negative (its magnitude is pasted)
    // Empty when the text parsed; otherwise the message that refuses it (a token that is not a
    // finite decimal number, or no numbers at all).
    std::string refusal;
};

// Splits the text on space, tab, CR and LF. Every token must be a finite decimal number as a
// whole: words, "nan", "inf", hexadecimal, values beyond the float range and numbers with
// thousands separators ("1,234") are refused, since reading them as 0 or as their leading digits
// would paste wrong values without a word.
ClipboardNumbers ParseClipboardNumbers(const std::string& text);

// Message texts the paste command shows.
extern const char kNonNumericWarning[];   // a token is not a finite number
extern const char kNegativeWarning[];     // shown once when negative values were found
extern const char kUnreadableClipboard[]; // follows the non-numeric warning
extern const char kEmptyClipboard[];
extern const char kInvalidAtomId[];  // no atom has the single atom's serial
extern const char kNoAtomsInRange[]; // no atom has a serial in the range

enum PasteTarget { kPasteTemperature = 0, kPasteOccupancy = 1 };
enum PasteMode {
    kPasteAllAtoms = 0,
    kPasteSingleAtom = 1,
    kPasteRange = 2,
    kPasteAlphaCarbons = 3
};

// What the paste window chose.
struct PasteRequest {
    int target = kPasteTemperature;
    int mode = kPasteAllAtoms;
    int serial = 0;                      // the single atom
    int firstSerial = 0, lastSerial = 0; // the range, both ends included
};

// Why the request cannot be carried out with count numbers, or empty when it can: fewer numbers
// than atoms or than alpha carbons (residues), no atom with the single serial, no atom in the
// range or fewer numbers than atoms in it, an unknown target or mode.
std::string PasteRefusal(const Molecule& mol, const PasteRequest& request, size_t count);

// Writes the magnitudes of the values into the chosen field: every atom in index order; the
// single atom; the atoms of the range in serial order (the first atom of each serial); or, residue
// by residue over the chains, value k into every atom of residue k. Then the molecule's range of
// that field is taken again from its atoms, and a radius scheme scaled by that field is applied
// again. Returns PasteRefusal and changes nothing when it is not empty.
std::string PasteValues(Molecule& mol, const PasteRequest& request,
                        const std::vector<float>& values);

} // namespace vorn

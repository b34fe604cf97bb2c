// Pastes a column of numbers into the temperature factors or occupancies of a molecule's atoms.
#include "document/PasteColumn.h"

#include "appearance/Radii.h"
#include "io/Tokens.h"
#include "model/Molecule.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace vorn {

const char kNonNumericWarning[] = "Warning - non-numeric value found in clipboard";
const char kNegativeWarning[] = "Warning - negative value found in clipboard";
const char kUnreadableClipboard[] = "Unable to read clipboard data a column of ASCII numbers.";
const char kEmptyClipboard[] = "The clipboard is empty - nothing to paste";
const char kInvalidAtomId[] = "Invalid atom id, can't paste data";
const char kNoAtomsInRange[] = "Invalid atom range, no atoms to paste data into";

namespace {

// The whole token as a finite single-precision number. from_chars reads no locale, so a comma is
// never taken for a decimal point, and its general format takes no hexadecimal.
bool ParseNumber(const char* begin, const char* end, float& value) {
    if (begin < end && *begin == '+') {
        ++begin; // from_chars takes no plus sign
        if (begin < end && (*begin == '+' || *begin == '-'))
            return false;
    }
    double v = 0;
    const auto [stop, error] = std::from_chars(begin, end, v, std::chars_format::general);
    if (error != std::errc() || stop != end)
        return false;
    value = static_cast<float>(v);
    return std::isfinite(value);
}

// Atom indices of the range in serial order: the first atom of each serial found.
std::vector<int> RangeAtoms(const Molecule& mol, int first, int last) {
    std::vector<std::pair<int, int>> found; // serial, index
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const int serial = mol.atoms[static_cast<size_t>(i)].serial;
        if (serial >= first && serial <= last)
            found.emplace_back(serial, i);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> atoms;
    for (size_t k = 0; k < found.size(); ++k)
        if (k == 0 || found[k].first != found[k - 1].first)
            atoms.push_back(found[k].second);
    return atoms;
}

float& Field(Atom& atom, int target) {
    return target == kPasteOccupancy ? atom.occupancy : atom.tempFactor;
}

// The magnitudes of the largest and smallest value of the field, as a file's records give them.
void RetakeRange(Molecule& mol, int target) {
    if (mol.atoms.empty())
        return;
    float largest = std::fabs(Field(mol.atoms.front(), target)), smallest = largest;
    for (Atom& atom : mol.atoms) {
        const float v = std::fabs(Field(atom, target));
        largest = std::max(largest, v);
        smallest = std::min(smallest, v);
    }
    if (target == kPasteOccupancy)
        mol.occMax = largest, mol.occMin = smallest;
    else
        mol.tempMax = largest, mol.tempMin = smallest;
}

} // namespace

ClipboardNumbers ParseClipboardNumbers(const std::string& text) {
    ClipboardNumbers numbers;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        while (p < end && tokens::IsSeparator(*p))
            ++p;
        const char* start = p;
        while (p < end && !tokens::IsSeparator(*p))
            ++p;
        if (start == p)
            break;
        float value = 0;
        if (!ParseNumber(start, p, value)) {
            numbers.values.clear();
            numbers.refusal = kNonNumericWarning;
            return numbers;
        }
        numbers.negativeFound = numbers.negativeFound || value < 0;
        numbers.values.push_back(value);
    }
    if (numbers.values.empty())
        numbers.refusal = kEmptyClipboard;
    return numbers;
}

std::string PasteRefusal(const Molecule& mol, const PasteRequest& request, size_t count) {
    if (request.target != kPasteTemperature && request.target != kPasteOccupancy)
        return "Unknown paste target";
    switch (request.mode) {
    case kPasteAllAtoms:
        if (count < mol.atoms.size())
            return "Unable to paste data, number of inputs is less\nthan the number of atoms";
        return {};
    case kPasteAlphaCarbons:
        if (count < static_cast<size_t>(mol.ResidueCount()))
            return "Unable to paste data, number of inputs is less\nthan the number of alpha "
                   "carbons";
        return {};
    case kPasteSingleAtom:
        if (FindAtomBySerial(mol, request.serial) < 0)
            return kInvalidAtomId;
        return count == 0 ? kEmptyClipboard : "";
    case kPasteRange: {
        const size_t atoms = RangeAtoms(mol, request.firstSerial, request.lastSerial).size();
        if (atoms == 0)
            return kNoAtomsInRange;
        if (count < atoms)
            return "Unable to paste data, number of inputs is less\nthan the number of atoms in "
                   "the range";
        return {};
    }
    default:
        return "Unknown paste mode";
    }
}

std::string PasteValues(Molecule& mol, const PasteRequest& request,
                        const std::vector<float>& values) {
    std::string refusal = PasteRefusal(mol, request, values.size());
    if (!refusal.empty())
        return refusal;
    const int target = request.target;
    const auto put = [&](int atom, size_t k) {
        Field(mol.atoms[static_cast<size_t>(atom)], target) = std::fabs(values[k]);
    };
    switch (request.mode) {
    case kPasteAllAtoms:
        for (int i = 0; i < mol.AtomCount(); ++i)
            put(i, static_cast<size_t>(i));
        break;
    case kPasteSingleAtom:
        put(FindAtomBySerial(mol, request.serial), 0);
        break;
    case kPasteRange: {
        const std::vector<int> atoms = RangeAtoms(mol, request.firstSerial, request.lastSerial);
        for (size_t k = 0; k < atoms.size(); ++k)
            put(atoms[k], k);
        break;
    }
    case kPasteAlphaCarbons: {
        size_t k = 0;
        for (const Chain& chain : mol.chains)
            for (const Residue& residue : chain.residues) {
                for (int atom : residue.atoms)
                    if (atom >= 0 && atom < mol.AtomCount())
                        put(atom, k);
                ++k;
            }
        break;
    }
    }
    RetakeRange(mol, target);
    const int scheme = target == kPasteOccupancy ? kRadiusByOccupancy : kRadiusByTemperature;
    if (mol.radiusScheme == scheme)
        SetRadii(mol, scheme, 0, 0, 0.0f);
    return {};
}

} // namespace vorn

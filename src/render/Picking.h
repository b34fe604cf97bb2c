// What a click hits: the selection names of atoms and bonds, the choice among the hit records
// and the decoding of a name back into its molecule, atom or bond.
#pragma once

#include "core/IndexedList.h"

#include <cstdint>
#include <memory>

namespace vorn {

struct Molecule;

enum PickKind { kPickedNothing = 0, kPickedAtom = 1, kPickedBond = 2 };

struct PickResult {
    int kind = kPickedNothing;
    int index = -1;               // atom or bond index within the molecule
    Molecule* molecule = nullptr; // owned by the document
};

using MoleculeList = IndexedList<std::unique_ptr<Molecule>>;

// Selection names: every molecule with atoms takes atomCount + bondCount names, counted on from
// the previous one in list order; atom k is base + k, bond j base + atomCount + j. Molecules
// without atoms take none.
std::uint32_t PickNameCount(const MoleculeList& molecules);

// No name was kept from the hit records.
constexpr std::uint32_t kNoPickName = 0xFFFFFFFFu;

// The first name of the hit record with the smallest minimum depth (unsigned; on equal depth the
// later record wins), or kNoPickName. Walks at most `hits` records of (name count, minimum
// depth, maximum depth, names...) within the size entries of the buffer; a record without names
// or one that runs past the buffer ends the walk.
std::uint32_t ChooseHit(const std::uint32_t* buffer, int size, int hits);

// The atom or bond a name stands for. Raises VornError (source "pick") "Selection buffer
// underflow -> match not found!" for kNoPickName and "Selection buffer overflow!" for a name not
// below PickNameCount.
PickResult DecodePickName(const MoleculeList& molecules, std::uint32_t name);

// The viewport a click at x picks in: the whole window, or in stereo the half it lies in
// (integer halves, the right one starting at width / 2).
struct PickViewport {
    int x, y, width, height;
};
PickViewport PickViewportAt(int x, int windowWidth, int windowHeight, bool stereo);

} // namespace vorn

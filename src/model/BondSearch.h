// Covalent bonds from interatomic distances: the pairs of atoms of one model closer than the sum of
// their bond radii, found on a uniform grid of cells.
#pragma once

#include <utility>
#include <vector>

namespace vorn {

class PdbFile;

using PairList = std::vector<std::pair<int, int>>;

// The largest bond radius, sulfur's (Å).
constexpr float kLargestBondRadius = 1.245f;

// Bonds one atom can get from distances. No element forms more than about eight covalent bonds;
// the rest is headroom for alternate locations read as separate atoms. Without a cap, thousands of
// atoms stacked on one point (a broken or hostile file) would bond every pair: millions of bonds.
constexpr unsigned char kMaxBondsPerAtom = 16;

// Bond radius (Å) of an atom from the first letter of its name.
float BondRadius(const char* atomName);

// The bonded pairs among the first n records, as record indices, in the order of the grid walk:
// occupied cells with z slowest and x fastest, then the neighbour cells, then the atoms of the
// cell, then those of the neighbour. An atom at the cap keeps the bonds found first. The pairs
// come in consecutive parts (one per slab of layers the search went through on a thread of its
// own); put one after another, they are in walk order.
std::vector<PairList> FindBondedPairParts(const PdbFile& pdb, int n);

} // namespace vorn

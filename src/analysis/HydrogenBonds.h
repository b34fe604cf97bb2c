// Hydrogen bonds within and between molecules by the backbone electrostatic energy test.
#pragma once

#include "core/Vec3.h"

#include <array>
#include <optional>
#include <vector>

namespace vorn {

struct Molecule;

// A bond from a donor to an acceptor oxygen. Molecules are indices into the list handed to
// FindHydrogenBonds; atoms are indices into their molecule. The donor atom is the hydrogen when
// it is explicit, the nitrogen when its hydrogen is virtual.
struct HydrogenBond {
    int donorMolecule, acceptorMolecule, donorAtom, acceptorAtom;
    bool operator==(const HydrogenBond& o) const {
        return donorMolecule == o.donorMolecule && acceptorMolecule == o.acceptorMolecule &&
               donorAtom == o.donorAtom && acceptorAtom == o.acceptorAtom;
    }
};

// What an atom can be in a hydrogen bond:
//   donor    a hydrogen with exactly one bonded neighbour, a nitrogen or an oxygen; or a
//            nitrogen none of whose bonded neighbours is a hydrogen (its hydrogen is virtual);
//   acceptor an oxygen with exactly one bonded neighbour (its carbon, as a rule).
enum HydrogenBondRole { kNoRole = 0, kDonor, kAcceptor };
HydrogenBondRole HydrogenBondRoleOf(const Molecule& mol, int atom);

using ScenePoint = Vec3; // Å

// The energy in kcal/mol of hydrogen H on atom N towards acceptor O bonded to K:
//   27.888 · (1/|O−N| + 1/|K−H| − 1/|O−H| − 1/|K−N|).
// It is computed only when |O−H|² ≤ 4.4099994 (2.1 Å squared in single precision), and when none
// of the four distances is zero (stacked alternate locations); otherwise it is +0.5, no bond.
double HydrogenBondEnergy(const ScenePoint& n, const ScenePoint& h, const ScenePoint& o,
                          const ScenePoint& k);
constexpr double kHydrogenBondEnergyCutoff = -0.5; // a bond when the energy is below it

// The hydrogen of a nitrogen N that carries none in the file, 1 Å from N. With two bonded
// neighbours it lies on the outer bisector; with one neighbour X it leans 1.2 rad from the X−N
// axis towards the acceptor O, in the plane of X, N and O. None for other neighbour counts or
// when a direction is shorter than 1e-7 (O on the X−N axis, coinciding atoms).
std::optional<ScenePoint> VirtualHydrogen(const ScenePoint& n,
                                          const std::vector<ScenePoint>& neighbours,
                                          const ScenePoint& o);

// The test for one donor and one acceptor atom, in the molecules' displayed placement (scene
// positions: coordinates of the shown frame plus translation, turned by the rotation). Within one
// molecule (the same object) the two atoms must belong to the same model.
bool IsHydrogenBond(const Molecule& donorMolecule, int donorAtom, const Molecule& acceptorMolecule,
                    int acceptorAtom);

// Every donor–acceptor pair of the molecules that passes IsHydrogenBond, within and between
// molecules; null entries are skipped. Ordered by donor molecule, donor atom, acceptor molecule,
// acceptor atom. Candidates come from a spatial grid, so the time grows with the atom count.
std::vector<HydrogenBond> FindHydrogenBonds(const std::vector<const Molecule*>& molecules);

} // namespace vorn

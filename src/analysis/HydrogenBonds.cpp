// Hydrogen bonds within and between molecules by the backbone electrostatic energy test.
//
// All positions are scene positions (DisplayPosition). Within one molecule these differ from the
// file coordinates by a rigid motion only, so the distances, and with them the test, are the same
// as with the coordinates themselves; between molecules the scene frame is the one that counts.
#include "analysis/HydrogenBonds.h"

#include "core/CellGrid.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace vorn {

namespace {

using P = ScenePoint;

// 2.1 Å squared in single precision, 4.4099994: the hydrogen-to-acceptor reach.
constexpr float kMaxHydrogenAcceptor2 = 2.1f * 2.1f;
// A virtual hydrogen lies 1 Å from its nitrogen, so the nitrogen is within 2.1 + 1 Å of any
// acceptor it bonds to. Grid cells are at least this wide so that neighbouring cells hold every
// candidate of either kind of donor.
constexpr double kCellSize = 3.2;            // Å
constexpr double kMinNormalisable = 1e-7;    // Å
constexpr double kVirtualHydrogenLean = 1.2; // radians from the X−N axis
// The grid's cells: at least this many, else a few per acceptor site.
constexpr double kMinCells = 4096.0;
constexpr double kCellsPerSite = 8.0;
constexpr double kCoulombFactor = 27.888; // kcal/mol · Å, from 0.42 e · 0.20 e · 332
constexpr double kNoBondEnergy = 0.5;     // kcal/mol

std::optional<P> Unit(const P& v) {
    const double length = Length(v);
    if (!(length >= kMinNormalisable))
        return std::nullopt;
    return Scale(v, 1.0 / length);
}

// A molecule built without connectivity has no neighbour lists at all.
FlatLists::Range Neighbours(const Molecule& mol, int atom) {
    if (atom < mol.bonded.Count())
        return mol.bonded[atom];
    return FlatLists::Range(nullptr, nullptr);
}

int ElementOf(const Molecule& mol, int atom) {
    return mol.atoms[static_cast<size_t>(atom)].element;
}

// The energy test of a donor and an acceptor whose roles are known; position(side, atom) gives
// scene positions, side 0 the donor's molecule and side 1 the acceptor's.
template <typename PositionOf>
bool EnergyBelowCutoff(const Molecule& dm, int donor, const Molecule& am, int acceptor,
                       const PositionOf& position) {
    if (&dm == &am &&
        dm.atoms[static_cast<size_t>(donor)].model != am.atoms[static_cast<size_t>(acceptor)].model)
        return false;
    const P o = position(1, acceptor);
    const P k = position(1, *Neighbours(am, acceptor).begin());
    const FlatLists::Range around = Neighbours(dm, donor);
    if (ElementOf(dm, donor) == kHydrogen)
        return HydrogenBondEnergy(position(0, *around.begin()), position(0, donor), o, k) <
               kHydrogenBondEnergyCutoff;
    std::vector<P> neighbours;
    for (int atom : around)
        neighbours.push_back(position(0, atom));
    const P n = position(0, donor);
    const std::optional<P> h = VirtualHydrogen(n, neighbours, o);
    return h && HydrogenBondEnergy(n, *h, o, k) < kHydrogenBondEnergyCutoff;
}

// A donor or acceptor atom with the point its candidates are searched around: the explicit
// hydrogen, the nitrogen of a virtual one, the acceptor oxygen.
struct Site {
    int molecule;
    int atom;
    P point;
};

// Acceptor sites bucketed on a grid of cells at least kCellSize wide, so that every acceptor within
// kCellSize of a point on each axis lies in the 27 cells around the point's cell. Far-flung
// molecules widen the cells rather than the grid.
class AcceptorGrid {
public:
    explicit AcceptorGrid(const std::vector<Site>& sites) {
        double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
        for (int axis = 0; axis < 3 && !sites.empty(); ++axis) {
            lo[axis] = hi[axis] = sites[0].point[axis];
            for (const Site& s : sites)
                lo[axis] = std::min(lo[axis], s.point[axis]),
                hi[axis] = std::max(hi[axis], s.point[axis]);
        }
        m_axes = FitAxes(lo, hi, kCellSize,
                         std::max(kMinCells, kCellsPerSite * static_cast<double>(sites.size())));
        m_cells = CellGrid(m_axes[0].cells, m_axes[1].cells, m_axes[2].cells);
        m_cells.Fill(static_cast<int>(sites.size()), [&](int i) {
            const P& p = sites[static_cast<size_t>(i)].point;
            return m_cells.CellIndex(m_axes[0].CellOf(p[0]), m_axes[1].CellOf(p[1]),
                                     m_axes[2].CellOf(p[2]));
        });
    }

    // Calls visit(site index) for every site in the 27 cells around p.
    template <typename Visit>
    void ForEachNear(const P& p, const Visit& visit) const {
        const std::vector<int>& items = m_cells.Items();
        m_cells.ForEachSlotNear(m_axes[0].CellOf(p[0]), m_axes[1].CellOf(p[1]),
                                m_axes[2].CellOf(p[2]), 1,
                                [&](int slot) { visit(items[static_cast<size_t>(slot)]); });
    }

private:
    std::array<GridAxis<double>, 3> m_axes;
    CellGrid m_cells;
};

bool IsFinite(const P& p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

std::vector<P> ScenePositions(const Molecule& mol) {
    std::vector<P> out(static_cast<size_t>(mol.AtomCount()));
    const DisplayMap map(mol);
    for (int i = 0; i < mol.AtomCount(); ++i)
        out[static_cast<size_t>(i)] = map.Position(i);
    return out;
}

// A nitrogen with other than one or two neighbours can place no hydrogen: it never bonds.
bool CanDonate(const Molecule& mol, int atom) {
    if (ElementOf(mol, atom) != kNitrogen)
        return true;
    const int count = Neighbours(mol, atom).size();
    return count == 1 || count == 2;
}

// Donor and acceptor sites of every molecule in (molecule, atom) order. Sites at non-finite
// positions are left out: no distance from them passes the test.
void CollectSites(const std::vector<const Molecule*>& molecules,
                  const std::vector<std::vector<P>>& scene, std::vector<Site>& donors,
                  std::vector<Site>& acceptors) {
    for (size_t m = 0; m < molecules.size(); ++m) {
        if (!molecules[m])
            continue;
        const Molecule& mol = *molecules[m];
        for (int i = 0; i < mol.AtomCount(); ++i) {
            const HydrogenBondRole role = HydrogenBondRoleOf(mol, i);
            const P& p = scene[m][static_cast<size_t>(i)];
            if (role == kNoRole || !IsFinite(p) || (role == kDonor && !CanDonate(mol, i)))
                continue;
            (role == kDonor ? donors : acceptors).push_back({static_cast<int>(m), i, p});
        }
    }
}

} // namespace

HydrogenBondRole HydrogenBondRoleOf(const Molecule& mol, int atom) {
    const FlatLists::Range around = Neighbours(mol, atom);
    switch (ElementOf(mol, atom)) {
    case kHydrogen: {
        if (around.size() != 1)
            return kNoRole;
        const int heavy = ElementOf(mol, *around.begin());
        return heavy == kNitrogen || heavy == kOxygen ? kDonor : kNoRole;
    }
    case kNitrogen:
        for (int neighbour : around)
            if (ElementOf(mol, neighbour) == kHydrogen)
                return kNoRole;
        return kDonor;
    case kOxygen:
        return around.size() == 1 ? kAcceptor : kNoRole;
    default:
        return kNoRole;
    }
}

double HydrogenBondEnergy(const P& n, const P& h, const P& o, const P& k) {
    const double on = Distance2(o, n), kh = Distance2(k, h), oh = Distance2(o, h),
                 kn = Distance2(k, n);
    if (!(oh <= static_cast<double>(kMaxHydrogenAcceptor2)))
        return kNoBondEnergy;
    // Alternate locations stacked on one place would divide by zero.
    if (on == 0 || kh == 0 || oh == 0 || kn == 0)
        return kNoBondEnergy;
    return kCoulombFactor *
           (1 / std::sqrt(on) + 1 / std::sqrt(kh) - 1 / std::sqrt(oh) - 1 / std::sqrt(kn));
}

std::optional<P> VirtualHydrogen(const P& n, const std::vector<P>& neighbours, const P& o) {
    std::optional<P> direction;
    if (neighbours.size() == 2) {
        direction = Unit(Add(Sub(n, neighbours[0]), Sub(n, neighbours[1])));
    } else if (neighbours.size() == 1) {
        const std::optional<P> u = Unit(Sub(n, neighbours[0]));
        const std::optional<P> w = Unit(Sub(o, n));
        if (!u || !w)
            return std::nullopt;
        const std::optional<P> across = Unit(Sub(*w, Scale(*u, Dot(*w, *u))));
        if (across)
            direction = Add(Scale(*across, std::sin(kVirtualHydrogenLean)),
                            Scale(*u, std::cos(kVirtualHydrogenLean)));
    }
    if (!direction)
        return std::nullopt;
    return Add(n, *direction);
}

bool IsHydrogenBond(const Molecule& donorMolecule, int donorAtom, const Molecule& acceptorMolecule,
                    int acceptorAtom) {
    if (HydrogenBondRoleOf(donorMolecule, donorAtom) != kDonor ||
        HydrogenBondRoleOf(acceptorMolecule, acceptorAtom) != kAcceptor)
        return false;
    const auto position = [&](int side, int atom) {
        return DisplayPosition(side == 0 ? donorMolecule : acceptorMolecule, atom);
    };
    return EnergyBelowCutoff(donorMolecule, donorAtom, acceptorMolecule, acceptorAtom, position);
}

std::vector<HydrogenBond> FindHydrogenBonds(const std::vector<const Molecule*>& molecules) {
    std::vector<std::vector<P>> scene(molecules.size());
    for (size_t m = 0; m < molecules.size(); ++m)
        if (molecules[m])
            scene[m] = ScenePositions(*molecules[m]);
    std::vector<Site> donors, acceptors;
    CollectSites(molecules, scene, donors, acceptors);
    const AcceptorGrid grid(acceptors);

    std::vector<HydrogenBond> bonds;
    std::vector<int> found;
    for (const Site& d : donors) {
        const Molecule& dm = *molecules[static_cast<size_t>(d.molecule)];
        const bool virtualHydrogen = ElementOf(dm, d.atom) == kNitrogen;
        const double reach2 =
            virtualHydrogen ? kCellSize * kCellSize : static_cast<double>(kMaxHydrogenAcceptor2);
        found.clear();
        grid.ForEachNear(d.point, [&](int a) {
            const Site& s = acceptors[static_cast<size_t>(a)];
            if (!(Distance2(d.point, s.point) <= reach2))
                return;
            const Molecule& am = *molecules[static_cast<size_t>(s.molecule)];
            const auto position = [&](int side, int atom) {
                return scene[static_cast<size_t>(side == 0 ? d.molecule : s.molecule)]
                            [static_cast<size_t>(atom)];
            };
            if (EnergyBelowCutoff(dm, d.atom, am, s.atom, position))
                found.push_back(a);
        });
        // Acceptor sites are in (molecule, atom) order, so their indices sort the bonds.
        std::sort(found.begin(), found.end());
        for (int a : found) {
            const Site& s = acceptors[static_cast<size_t>(a)];
            bonds.push_back({d.molecule, s.molecule, d.atom, s.atom});
        }
    }
    return bonds;
}

} // namespace vorn

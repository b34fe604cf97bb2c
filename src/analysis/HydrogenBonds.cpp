// Hydrogen bonds within and between molecules by the backbone electrostatic energy test.
//
// All positions are scene positions (DisplayPosition). Within one molecule these differ from the
// file coordinates by a rigid motion only, so the distances, and with them the test, are the same
// as with the coordinates themselves; between molecules the scene frame is the one that counts.
#include "analysis/HydrogenBonds.h"

#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace {

using P = ScenePoint;

// 2.1 Å squared in single precision, 4.4099994: the hydrogen-to-acceptor reach.
constexpr float kMaxHydrogenAcceptor2 = 2.1f * 2.1f;
// A virtual hydrogen lies 1 Å from its nitrogen, so the nitrogen is within 2.1 + 1 Å of any
// acceptor it bonds to. Grid cells are at least this wide so that neighbouring cells hold every
// candidate of either kind of donor.
constexpr double kCellSize = 3.2;              // Å
constexpr double kMinNormalisable = 1e-7;      // Å
constexpr double kVirtualHydrogenLean = 1.2;   // radians from the X−N axis
constexpr double kMaxCellsPerAxis = 1048576.0; // 2^20: three axes fit a 64-bit cell key
constexpr double kCoulombFactor = 27.888;      // kcal/mol · Å, from 0.42 e · 0.20 e · 332
constexpr double kNoBondEnergy = 0.5;          // kcal/mol

double Distance2(const P& a, const P& b) {
    return Dot(Sub(a, b), Sub(a, b));
}

std::optional<P> Unit(const P& v) {
    const double length = std::sqrt(Dot(v, v));
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

// Acceptor sites sorted by grid cell. Cells along z are adjacent keys, so the 27 cells around a
// point are 9 runs of the sorted array.
class AcceptorGrid {
public:
    explicit AcceptorGrid(const std::vector<Site>& sites);

    // Calls visit(site index) for every site in the 27 cells around p; every site within
    // kCellSize of p on each axis is among them.
    template <typename Visit>
    void ForEachNear(const P& p, const Visit& visit) const;

private:
    std::int64_t Cell(const P& p, int axis) const;
    std::uint64_t Key(std::int64_t x, std::int64_t y, std::int64_t z) const {
        return static_cast<std::uint64_t>((x * m_count[1] + y) * m_count[2] + z);
    }

    double m_min[3] = {0, 0, 0};
    double m_cell[3] = {kCellSize, kCellSize, kCellSize};
    std::int64_t m_count[3] = {3, 3, 3}; // cells per axis: acceptors in 1 .. count − 2
    std::vector<std::pair<std::uint64_t, int>> m_entries;
};

AcceptorGrid::AcceptorGrid(const std::vector<Site>& sites) {
    for (int axis = 0; axis < 3 && !sites.empty(); ++axis) {
        double low = sites[0].point[axis], high = low;
        for (const Site& s : sites)
            low = std::min(low, s.point[axis]), high = std::max(high, s.point[axis]);
        // Far-flung molecules widen the cells rather than overflow the key. Float coordinates
        // and translations keep the span finite.
        m_min[axis] = low;
        m_cell[axis] = std::max(kCellSize, (high - low) / kMaxCellsPerAxis);
        m_count[axis] = 3 + static_cast<std::int64_t>(std::floor((high - low) / m_cell[axis]));
    }
    m_entries.reserve(sites.size());
    for (size_t i = 0; i < sites.size(); ++i) {
        const P& p = sites[i].point;
        m_entries.emplace_back(Key(Cell(p, 0), Cell(p, 1), Cell(p, 2)), static_cast<int>(i));
    }
    std::sort(m_entries.begin(), m_entries.end());
}

// 1 + the cell number from the lowest acceptor; points outside the acceptors' range are clamped
// to the border cells 0 and count − 1, which hold no acceptor.
std::int64_t AcceptorGrid::Cell(const P& p, int axis) const {
    const double q = std::floor((p[axis] - m_min[axis]) / m_cell[axis]) + 1;
    const double last = static_cast<double>(m_count[axis] - 1);
    return static_cast<std::int64_t>(q < 0 ? 0 : (q > last ? last : q));
}

template <typename Visit>
void AcceptorGrid::ForEachNear(const P& p, const Visit& visit) const {
    const std::int64_t cx = Cell(p, 0), cy = Cell(p, 1), cz = Cell(p, 2);
    const std::int64_t z0 = std::max<std::int64_t>(cz - 1, 1);
    const std::int64_t z1 = std::min<std::int64_t>(cz + 1, m_count[2] - 2);
    for (std::int64_t x = std::max<std::int64_t>(cx - 1, 1);
         x <= std::min<std::int64_t>(cx + 1, m_count[0] - 2); ++x)
        for (std::int64_t y = std::max<std::int64_t>(cy - 1, 1);
             y <= std::min<std::int64_t>(cy + 1, m_count[1] - 2); ++y) {
            const std::uint64_t first = Key(x, y, z0), last = Key(x, y, z1);
            auto it = std::lower_bound(m_entries.begin(), m_entries.end(),
                                       std::make_pair(first, std::numeric_limits<int>::min()));
            for (; it != m_entries.end() && it->first <= last; ++it)
                visit(it->second);
        }
}

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

// Assigns secondary-structure codes to residues from the geometry of their alpha carbons alone.
#include "analysis/SecondaryStructure.h"

#include "core/Parallel.h"
#include "core/UiHost.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <optional>

namespace vorn {

namespace {

constexpr double kNotComputed = 500.0;
constexpr double kDegreesPerRadian = 57.29577951308232;
// Pi rounded to single precision: an obtuse virtual angle is taken as its supplement from this
// value, so a straight angle comes out 5e-6 degrees above 180.
constexpr double kSinglePrecisionPi = 3.1415927410125732;

using Slot = std::optional<CaPoint>;

// Strict on both ends: a value on a bound fails.
bool Within(double x, double lo, double hi) {
    return lo < x && x < hi;
}

double Distance(const CaPoint& a, const CaPoint& b) {
    return Length(Sub(a, b));
}

int ResidueCount(const Chain& chain) {
    return static_cast<int>(chain.residues.size());
}

// The alpha carbon of residue i, or nothing when i is outside the chain or its caIndex does not
// name an atom.
Slot AlphaCarbon(const Molecule& mol, const Chain& chain, int i) {
    if (i < 0 || i >= ResidueCount(chain))
        return std::nullopt;
    const int ca = chain.residues[static_cast<size_t>(i)].caIndex;
    if (ca < 0 || ca >= mol.AtomCount())
        return std::nullopt;
    const Atom& atom = mol.atoms[static_cast<size_t>(ca)];
    return CaPoint{atom.x, atom.y, atom.z};
}

// Six alpha-carbon slots; after Advance for residue i they hold residues i-1 .. i+4.
class CaWindow {
public:
    CaWindow(const Molecule& mol, const Chain& chain) : m_mol(mol), m_chain(chain) {
        for (int s = 0; s < 4; ++s)
            m_slots[static_cast<size_t>(s + 2)] = AlphaCarbon(mol, chain, s);
    }

    void Advance(int i) {
        std::rotate(m_slots.begin(), m_slots.begin() + 1, m_slots.end());
        m_slots.back() = AlphaCarbon(m_mol, m_chain, i + 4);
    }

    // Slot of residue i + offset, offset -1 .. 4.
    const Slot& At(int offset) const { return m_slots[static_cast<size_t>(offset + 1)]; }

private:
    const Molecule& m_mol;
    const Chain& m_chain;
    std::array<Slot, 6> m_slots;
};

CaGeometry GeometryOfWindow(const CaWindow& w) {
    CaGeometry g;
    if (!w.At(-1) || !w.At(0) || !w.At(1))
        return g;
    const CaPoint &prev = *w.At(-1), &here = *w.At(0), &next = *w.At(1);
    g.angle = VirtualAngle(here, prev, next);
    g.d2 = Distance(prev, next);
    if (w.At(2)) {
        g.d3 = Distance(prev, *w.At(2));
        g.dihedral = VirtualDihedral(prev, here, next, *w.At(2));
    }
    if (w.At(3))
        g.d4 = Distance(prev, *w.At(3));
    return g;
}

const CaGeometry& RecordAt(const std::vector<CaGeometry>& geometry, int i) {
    return geometry.at(static_cast<size_t>(i));
}

std::int32_t& CodeAt(Chain& chain, int i) {
    return chain.residues.at(static_cast<size_t>(i)).structure;
}

// Length of the run of residues from k to the chain end that satisfy qualifies.
template <typename Predicate>
int RunLength(int k, int n, Predicate qualifies) {
    int r = 0;
    while (k + r < n && qualifies(k + r))
        ++r;
    return r;
}

bool HelixEndFits(const CaGeometry& g, double d3Low) {
    return Within(g.d3, d3Low, 5.45) && Within(g.angle, 79.0, 99.0);
}

// A helical run of four grows to five when the residue after it closes a helical turn.
int ExtendShortHelix(const std::vector<CaGeometry>& geometry, int k, int r, int n) {
    const int m = k + r;
    if (r == 4 && m < n && HelixEndFits(RecordAt(geometry, m), 4.8))
        return 5;
    return r;
}

// Codes an accepted run (r >= 5) and the ends that fit; returns the run length with the end after
// it included.
int MarkHelix(const std::vector<CaGeometry>& geometry, Chain& chain, int k, int r) {
    const int n = ResidueCount(chain);
    if (HelixEndFits(RecordAt(geometry, k - 1), 4.75))
        CodeAt(chain, k - 1) = kAlphaHelix;
    for (int i = k; i < k + r; ++i)
        CodeAt(chain, i) = kAlphaHelix;
    const int m = k + r;
    if (m < n && HelixEndFits(RecordAt(geometry, m), 4.75)) {
        CodeAt(chain, m) = kAlphaHelix;
        ++r;
    }
    return r;
}

int MarkStrand(const std::vector<CaGeometry>& geometry, Chain& chain, int k, int r) {
    const int n = ResidueCount(chain);
    // The leading end tests only d2, with a wider bound than the trailing end.
    if (Within(RecordAt(geometry, k - 1).d2, 6.35, 7.35))
        CodeAt(chain, k - 1) = kStrand;
    for (int i = k; i < k + r; ++i)
        CodeAt(chain, i) = kStrand;
    const int m = k + r;
    if (m < n) {
        const CaGeometry& g = RecordAt(geometry, m);
        if (Within(g.d2, 6.35, 7.3) && Within(g.angle, 118.0, 145.0)) {
            CodeAt(chain, m) = kStrand;
            ++r;
        }
    }
    return r;
}

// Residue j is a sheet partner of the run when it is not helical, not of strand-like angle, and
// its alpha carbon lies 4.25 to 5.25 Å from any alpha carbon of the run.
bool IsSheetPartner(const Molecule& mol, const Chain& chain,
                    const std::vector<CaGeometry>& geometry, int j, int k, int len) {
    const Slot partner = AlphaCarbon(mol, chain, j);
    if (!partner || chain.residues.at(static_cast<size_t>(j)).structure == kAlphaHelix ||
        Within(RecordAt(geometry, j).angle, 117.0, 145.0))
        return false;
    for (int i = k; i < k + len; ++i) {
        const Slot member = AlphaCarbon(mol, chain, i);
        if (member && Within(Distance(*partner, *member), 4.25, 5.25))
            return true;
    }
    return false;
}

void AssignTurnOrBulge(const std::vector<CaGeometry>& geometry, Chain& chain, int k) {
    const CaGeometry& before = RecordAt(geometry, k - 1);
    const CaGeometry& here = RecordAt(geometry, k);
    if (!IsHelical(here) && !IsHelical(RecordAt(geometry, k + 1)) && Within(here.d2, 4.9, 5.9) &&
        Within(before.d2, 4.9, 5.9) && Within(before.d3, 4.3, 5.5)) {
        CodeAt(chain, k) = kTurn;
        CodeAt(chain, k + 1) = kTurn;
    }
    if (Within(here.d2, 5.1, 6.1) && Within(before.d2, 5.1, 6.1) && Within(before.d3, 6.0, 7.0) &&
        Within(before.d4, 7.9, 9.7)) {
        CodeAt(chain, k) = kBulge;
        CodeAt(chain, k + 1) = kBulge;
    }
}

void AssignChain(Molecule& mol, Chain& chain) {
    if (IsNucleotide(chain.residues.front().type)) {
        for (Residue& residue : chain.residues)
            residue.structure = kNucleicHelix;
        return;
    }
    AssignProteinChain(mol, chain);
}

} // namespace

double VirtualAngle(const CaPoint& p, const CaPoint& a, const CaPoint& b) {
    const CaPoint u = Sub(a, p), v = Sub(b, p);
    const double norms = std::sqrt(Dot(u, u) * Dot(v, v));
    if (norms == 0.0)
        return kNotComputed;
    // Rounding can push the sine of a right angle just past 1, where asin has no value.
    const double s = std::min(Length(Cross(u, v)) / norms, 1.0);
    double t = std::asin(s);
    if (Dot(u, v) < 0.0)
        t = kSinglePrecisionPi - t;
    return t * kDegreesPerRadian;
}

double VirtualDihedral(const CaPoint& p0, const CaPoint& p1, const CaPoint& p2, const CaPoint& p3) {
    const CaPoint b1 = Sub(p1, p0), b2 = Sub(p2, p1), b3 = Sub(p3, p2);
    const CaPoint a = Cross(b1, b2), b = Cross(b2, b3);
    const double norms = Length(a) * Length(b);
    if (norms == 0.0)
        return kNotComputed;
    // Planar arrangements can give a cosine just beyond +-1, where acos has no value.
    double t = std::acos(std::clamp(Dot(a, b) / norms, -1.0, 1.0));
    if (Dot(Cross(a, b), b2) < 0.0)
        t = -t;
    return t * kDegreesPerRadian;
}

bool IsHelical(const CaGeometry& g) {
    return (Within(g.dihedral, 25.0, 75.0) && Within(g.angle, 79.0, 100.0)) ||
           (Within(g.dihedral, 38.0, 64.0) && Within(g.angle, 77.0, 106.0)) ||
           (Within(g.d3, 4.75, 5.55) && Within(g.d4, 5.75, 6.45));
}

bool IsExtended(const CaGeometry& g) {
    const double t = g.dihedral;
    return ((Within(t, -180.1, -150.0) || Within(t, 165.0, 180.1)) &&
            Within(g.angle, 106.0, 146.0)) ||
           ((Within(t, -180.1, -110.0) || Within(t, 140.0, 180.1)) &&
            Within(g.angle, 120.0, 144.0)) ||
           (Within(g.d3, 9.0, 11.0) && Within(g.d2, 6.0, 7.4) && Within(g.d4, 11.25, 13.55));
}

std::vector<CaGeometry> ComputeCaGeometry(const Molecule& mol, const Chain& chain) {
    const int n = ResidueCount(chain);
    std::vector<CaGeometry> geometry(static_cast<size_t>(n));
    CaWindow window(mol, chain);
    for (int i = 0; i < n; ++i) {
        window.Advance(i);
        geometry[static_cast<size_t>(i)] = GeometryOfWindow(window);
    }
    return geometry;
}

void AssignHelices(const std::vector<CaGeometry>& geometry, Chain& chain) {
    const int n = ResidueCount(chain);
    int k = 1;
    while (k < n) {
        int r = RunLength(k, n, [&](int i) { return IsHelical(RecordAt(geometry, i)); });
        r = ExtendShortHelix(geometry, k, r, n);
        if (r >= 5)
            r = MarkHelix(geometry, chain, k, r);
        k += (r == 0) ? 1 : r;
    }
}

void AssignStrands(const Molecule& mol, const std::vector<CaGeometry>& geometry, Chain& chain) {
    const int n = ResidueCount(chain);
    int k = 1;
    while (k < n) {
        const int r = RunLength(k, n, [&](int i) {
            return CodeAt(chain, i) != kAlphaHelix && IsExtended(RecordAt(geometry, i));
        });
        const bool accepted = r >= 4 || (r == 3 && HasSheetContacts(mol, chain, geometry, k, 3));
        const int advance = accepted ? MarkStrand(geometry, chain, k, r) : r;
        k += (advance == 0) ? 1 : advance;
    }
}

bool HasSheetContacts(const Molecule& mol, const Chain& chain,
                      const std::vector<CaGeometry>& geometry, int k, int len) {
    const int n = ResidueCount(chain);
    int count = 0;
    for (int j = 0; j <= k - 4; ++j)
        count += IsSheetPartner(mol, chain, geometry, j, k, len) ? 1 : 0;
    for (int j = k + len + 3; j < n; ++j)
        count += IsSheetPartner(mol, chain, geometry, j, k, len) ? 1 : 0;
    return count > 4;
}

void AssignTurnsAndBulges(const std::vector<CaGeometry>& geometry, Chain& chain) {
    const int n = ResidueCount(chain);
    for (int k = 1; k <= n - 2; ++k) {
        const int code = CodeAt(chain, k);
        if (code == kAlphaHelix || code == kStrand || CodeAt(chain, k + 1) == kAlphaHelix)
            continue;
        AssignTurnOrBulge(geometry, chain, k);
    }
}

void AssignProteinChain(Molecule& mol, Chain& chain) {
    for (Residue& residue : chain.residues)
        residue.structure = kCoil;
    if (ResidueCount(chain) < 4)
        return;
    const std::vector<CaGeometry> geometry = ComputeCaGeometry(mol, chain);
    AssignHelices(geometry, chain);
    AssignStrands(mol, geometry, chain);
    AssignTurnsAndBulges(geometry, chain);
}

namespace {

// Below this many residues per thread, starting threads costs more than it saves.
constexpr int kResiduesPerThread = 2000;

void AssignChainsInOrder(Molecule& mol) {
    for (Chain& chain : mol.chains)
        if (!chain.residues.empty())
            AssignChain(mol, chain);
}

// Chains are assigned apart from each other, so threads take ranges of whole chains. A chain that
// fails ends the assignment as the walk in chain order does: the chains after it get their codes
// of before back, and its error is raised.
void AssignChains(Molecule& mol) {
    const int chains = static_cast<int>(mol.chains.size());
    const int threads = WorkerThreads();
    const int parts = std::min({threads * 4, chains, mol.ResidueCount() / kResiduesPerThread});
    if (threads < 2 || parts < 2) {
        AssignChainsInOrder(mol);
        return;
    }
    std::vector<std::int32_t> before;
    before.reserve(static_cast<size_t>(mol.ResidueCount()));
    for (const Chain& chain : mol.chains)
        for (const Residue& residue : chain.residues)
            before.push_back(residue.structure);
    std::vector<int> failedChain(static_cast<size_t>(parts), chains);
    std::vector<std::exception_ptr> errors(static_cast<size_t>(parts));
    RunParts(
        parts,
        [&](int part) {
            const PartRange range = RangeOfPart(chains, parts, part);
            for (int c = range.begin; c < range.end; ++c) {
                Chain& chain = mol.chains[static_cast<size_t>(c)];
                try {
                    if (!chain.residues.empty())
                        AssignChain(mol, chain);
                } catch (...) {
                    failedChain[static_cast<size_t>(part)] = c;
                    errors[static_cast<size_t>(part)] = std::current_exception();
                    return;
                }
            }
        },
        threads);
    const auto first = std::min_element(failedChain.begin(), failedChain.end());
    if (*first == chains)
        return;
    size_t code = 0;
    for (int c = 0; c < chains; ++c)
        for (Residue& residue : mol.chains[static_cast<size_t>(c)].residues) {
            if (c > *first)
                residue.structure = before[code];
            ++code;
        }
    std::rethrow_exception(errors[static_cast<size_t>(first - failedChain.begin())]);
}

} // namespace

bool AssignSecondaryStructure(Molecule& mol, UiHost* ui) {
    try {
        AssignChains(mol);
        return true;
    } catch (const VornError& error) {
        if (ui)
            ui->ShowMessage(error.what()); // what() gives the fixed text for an empty message
    } catch (...) {
        if (ui)
            ui->ShowMessage("Unable to assign the secondary structure!");
    }
    return false;
}

} // namespace vorn

// The backbone spline: control points through the alpha carbons, reflected at the chain's ends,
// guide points that keep a ribbon from turning over, and the ribbon's frame at each point.
#include "render/SplineCursor.h"

#include "core/VornError.h"
#include "model/Elements.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vorn {

namespace {

const char* const kSource = "VornView";

// A ribbon never gets thinner than this, even where the interpolation of a thick residue next to
// thin ones undershoots: a negative half-width would turn the cross-section inside out.
constexpr float kLeastHalfWidth = 0.02f; // Å

// Below this sine a guide offset, or the ribbon normal, has no direction of its own: the
// orientation atom lies on the line of the backbone.
constexpr double kCollinear = 1e-4;
// Below this length (Å, or Å per unit of t) a vector is taken as vanished.
constexpr double kVanished = 1e-9;

Vec3 Widen(const float* p) {
    return {p[0], p[1], p[2]};
}

Vec3f Narrow(const Vec3& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

bool Finite(const float* p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// Any unit vector perpendicular to v (x for a vanished v).
Vec3 Perpendicular(const Vec3& v) {
    if (Length(v) <= kVanished)
        return {1, 0, 0};
    // Crossing with the axis v is least aligned with gives the best-conditioned result.
    int axis = 0;
    for (int k = 1; k < 3; ++k)
        if (std::fabs(v[k]) < std::fabs(v[axis]))
            axis = k;
    Vec3 e = {0, 0, 0};
    e[axis] = 1;
    const Vec3 u = Cross(v, e);
    return Scale(u, 1 / Length(u));
}

// v as a unit vector; false when it has vanished.
bool Unit(const Vec3& v, Vec3& out) {
    const double length = Length(v);
    if (!(length > kVanished))
        return false;
    out = Scale(v, 1 / length);
    return true;
}

// The part of v perpendicular to the unit vector u, as a unit vector; false when it vanishes.
bool PerpendicularPart(const Vec3& v, const Vec3& u, Vec3& out) {
    const Vec3 p = Sub(v, Scale(u, Dot(v, u)));
    const double length = Length(p);
    if (!(length > kCollinear * Length(v)) || length <= kVanished)
        return false;
    out = Scale(p, 1 / length);
    return true;
}

bool UsableAtom(const Molecule& mol, int atom, const ShownPositions& positions) {
    return atom >= 0 && atom < mol.AtomCount() && Finite(positions[atom]);
}

bool UsableResidue(const Molecule& mol, const Residue& r, const ShownPositions& positions) {
    return UsableAtom(mol, r.caIndex, positions) && UsableAtom(mol, r.orientIndex, positions);
}

const Chain& CheckedChain(const Molecule& mol, int chain, int resolution) {
    if (resolution < 0)
        VORN_RAISE(kSource, "Bad resolution");
    if (chain < 0)
        VORN_RAISE(kSource, "Bad chain number -- too small");
    if (chain >= static_cast<int>(mol.chains.size()))
        VORN_RAISE(kSource, "Bad chain number -- too large");
    return mol.chains[static_cast<std::size_t>(chain)];
}

BackbonePiece AllResidues(const Chain& chain) {
    BackbonePiece all(chain.residues.size());
    for (std::size_t k = 0; k < all.size(); ++k)
        all[k] = static_cast<int>(k);
    return all;
}

// The residues of the piece that the cursor can read: in the chain, with both atoms usable.
BackbonePiece Readable(const Molecule& mol, const Chain& chain, const ShownPositions& positions,
                       BackbonePiece piece) {
    const int count = static_cast<int>(chain.residues.size());
    piece.erase(std::remove_if(piece.begin(), piece.end(),
                               [&](int r) {
                                   return r < 0 || r >= count ||
                                          !UsableResidue(
                                              mol, chain.residues[static_cast<std::size_t>(r)],
                                              positions);
                               }),
                piece.end());
    return piece;
}

// The weights of the spline at t, for tension a and s = 1 / a; they sum to 1.
void SplineWeights(double t, double a, double s, double w[4]) {
    w[0] = -s * t * (t - 1) * (t - 1);
    w[1] = s * (a - (3 * a - 1) * t * t - (1 - 2 * a) * t * t * t);
    w[2] = s * (t + (3 * a - 2) * t * t + (1 - 2 * a) * t * t * t);
    w[3] = s * t * t * (t - 1);
}

// The derivatives of those weights with s · a = 1, each with its own control point: the
// tangent at t. (Exchanging P1's and P2's would turn the tangent backwards in the middle of every
// segment, and with it the ribbon's normal and the faces it shows.)
void DerivativeWeights(double t, double s, double d[4]) {
    d[0] = -s * (3 * t * t - 4 * t + 1);
    d[1] = t * ((6 - 3 * s) * t + 2 * s - 6);
    d[2] = s + (6 - 4 * s) * t + (3 * s - 6) * t * t;
    d[3] = s * t * (3 * t - 2);
}

Vec3 Weighted(const Vec3 v[4], const double w[4]) {
    Vec3 sum = {0, 0, 0};
    for (int k = 0; k < 4; ++k)
        sum = Add(sum, Scale(v[k], w[k]));
    return sum;
}

} // namespace

void CatmullRomWeights(double t, double w[4]) {
    w[0] = -0.5 * t * (t - 1) * (t - 1);
    w[1] = 0.5 * (2 - 5 * t * t + 3 * t * t * t);
    w[2] = 0.5 * (t + 4 * t * t - 3 * t * t * t);
    w[3] = 0.5 * t * t * (t - 1);
}

std::vector<BackbonePiece> BackbonePieces(const Molecule& mol, int chain,
                                          const ShownPositions& positions) {
    const std::vector<Residue>& residues = CheckedChain(mol, chain, 0).residues;
    std::vector<BackbonePiece> pieces;
    BackbonePiece piece;
    auto close = [&] {
        if (!piece.empty())
            pieces.push_back(std::move(piece));
        piece.clear();
    };
    for (int j = 0; j < static_cast<int>(residues.size()); ++j) {
        const Residue& r = residues[static_cast<std::size_t>(j)];
        if (!UsableResidue(mol, r, positions)) {
            close();
            continue;
        }
        if (!piece.empty()) {
            const Residue& last = residues[static_cast<std::size_t>(piece.back())];
            const double gap =
                Length(Sub(Widen(positions[r.caIndex]), Widen(positions[last.caIndex])));
            if (gap < kStackedResidues)
                continue;
            const bool nucleic = IsNucleotide(r.type) && IsNucleotide(last.type);
            if (gap > (nucleic ? kNucleicBreak : kProteinBreak))
                close();
        }
        piece.push_back(j);
    }
    close();
    return pieces;
}

SplineCursor::SplineCursor(const Molecule& mol, int chain, int resolution, float tension)
    : SplineCursor(mol, chain, resolution, tension, mol.currentFrame,
                   AllResidues(CheckedChain(mol, chain, resolution))) {}

SplineCursor::SplineCursor(const Molecule& mol, int chain, int resolution, float tension, int frame,
                           BackbonePiece piece)
    : m_chain(CheckedChain(mol, chain, resolution)), m_positions(mol, frame),
      m_piece(Readable(mol, m_chain, m_positions, std::move(piece))),
      m_n(static_cast<int>(m_piece.size())), m_steps(resolution + 1),
      m_a(tension >= 1.0f && tension <= 3.0f ? tension : 2.0), m_s(1 / m_a) {}

const Residue& SplineCursor::ResidueOf(int k) const {
    return m_chain.residues[static_cast<std::size_t>(m_piece[static_cast<std::size_t>(k)])];
}

// Beyond either end the chain goes on straight, one step further for each residue.
Vec3 SplineCursor::Extended(int k, int Residue::*atom) const {
    auto at = [&](int j) { return Widen(m_positions[ResidueOf(j).*atom]); };
    if (k < 0)
        return Add(at(0), Scale(Sub(at(0), at(1)), double(-k)));
    if (k >= m_n)
        return Add(at(m_n - 1), Scale(Sub(at(m_n - 1), at(m_n - 2)), double(k - m_n + 1)));
    return at(k);
}

Vec3 SplineCursor::AlphaCarbon(int k) const {
    return Extended(k, &Residue::caIndex);
}

Vec3 SplineCursor::Orientation(int k) const {
    return Extended(k, &Residue::orientIndex);
}

// Before the first residue the profile repeats the first; after the last it goes on as it ended.
float SplineCursor::Profile(int k, float Residue::*value) const {
    if (k < 0)
        return ResidueOf(0).*value;
    if (k >= m_n) {
        const float last = ResidueOf(m_n - 1).*value;
        return last + static_cast<float>(k - m_n + 1) * (last - ResidueOf(m_n - 2).*value);
    }
    return ResidueOf(k).*value;
}

bool SplineCursor::GuideDirection(int k, Vec3& u) const {
    const Vec3 q = AlphaCarbon(k);
    const Vec3 d = Sub(AlphaCarbon(k + 1), q);
    const double length = Length(d);
    return length > kVanished && PerpendicularPart(Sub(Orientation(k), q), Scale(d, 1 / length), u);
}

Vec3 SplineCursor::GuidePoint(int k, bool keepLast) {
    Vec3 u;
    // An orientation atom on the line of the backbone says nothing: keep the last direction.
    if (!GuideDirection(k, u))
        u = m_lastGuide;
    else if (Dot(u, m_lastGuide) < 0)
        u = Scale(u, -1.0);
    if (!keepLast)
        m_lastGuide = u;
    return Add(AlphaCarbon(k), u);
}

Vec3 SplineCursor::FirstGuideDirection() const {
    Vec3 u;
    for (int k = 0; k < m_n; ++k)
        if (GuideDirection(k, u))
            return u;
    return Perpendicular(Sub(AlphaCarbon(1), AlphaCarbon(0)));
}

void SplineCursor::Reload() {
    if (m_i == 0) {
        for (int k = 0; k < 4; ++k) {
            m_p[k] = AlphaCarbon(k - 1);
            m_width[k] = Profile(k - 1, &Residue::profileA);
            m_thickness[k] = Profile(k - 1, &Residue::profileB);
        }
        // Residue 0 takes its own side; the reflected residue before it follows residue 0.
        m_lastGuide = FirstGuideDirection();
        m_g[1] = GuidePoint(0, false);
        m_g[0] = GuidePoint(-1, true);
        m_g[2] = GuidePoint(1, false);
        m_g[3] = GuidePoint(2, false);
        return;
    }
    for (int k = 0; k < 3; ++k) {
        m_p[k] = m_p[k + 1];
        m_g[k] = m_g[k + 1];
        m_width[k] = m_width[k + 1];
        m_thickness[k] = m_thickness[k + 1];
    }
    m_p[3] = AlphaCarbon(m_i + 2);
    m_g[3] = GuidePoint(m_i + 2, false);
    m_width[3] = Profile(m_i + 2, &Residue::profileA);
    m_thickness[3] = Profile(m_i + 2, &Residue::profileB);
}

bool SplineCursor::Advance() {
    if (m_step >= m_steps) {
        ++m_i;
        m_step = 0;
        m_reload = true;
    }
    if (m_n < 4 || m_i >= m_n - 1)
        return false;
    // Counting steps rather than adding dt keeps exactly resolution + 1 points per segment.
    m_t = static_cast<double>(m_step) / m_steps;
    SplineWeights(m_t, m_a, m_s, m_w);
    if (m_reload) {
        Reload();
        m_reload = false;
    }
    ++m_step;
    return true;
}

bool SplineCursor::Next(TracePoint& point) {
    if (!Advance())
        return false;
    point.position = Narrow(Weighted(m_p, m_w));
    point.atom = ResidueOf(m_i).caIndex;
    point.t = static_cast<float>(m_t);
    return true;
}

bool SplineCursor::Next(RibbonPoint& point) {
    if (!Advance())
        return false;
    const Vec3 p = Weighted(m_p, m_w);
    double d[4];
    DerivativeWeights(m_t, m_s, d);
    // Where the spline stands still, or the guide lies along it, a direction is kept from the
    // frame before (or made up at the first), so that no frame has a vanished vector.
    Vec3 tangent, width, normal;
    if (!Unit(Weighted(m_p, d), tangent) && !Unit(m_lastTangent, tangent) &&
        !Unit(Sub(m_p[2], m_p[1]), tangent))
        tangent = {1, 0, 0};
    if (!Unit(Sub(Weighted(m_g, m_w), p), width) && !Unit(m_lastWidth, width))
        width = Perpendicular(tangent);
    const Vec3 n = Cross(tangent, width); // both unit: its length is the sine between them
    if (Length(n) > kCollinear)
        normal = Scale(n, 1 / Length(n));
    else if (!PerpendicularPart(m_lastNormal, width, normal))
        normal = Perpendicular(width);
    m_lastTangent = tangent, m_lastWidth = width, m_lastNormal = normal;

    double cr[4];
    CatmullRomWeights(m_t, cr);
    double w = 0, h = 0;
    for (int k = 0; k < 4; ++k)
        w += cr[k] * m_width[k], h += cr[k] * m_thickness[k];
    point.position = Narrow(p);
    point.width = Narrow(Scale(width, std::max(double(kLeastHalfWidth), w)));
    point.thickness = Narrow(Scale(normal, std::max(double(kLeastHalfWidth), h)));
    point.tangent = Narrow(tangent);
    point.atom = ResidueOf(m_i).caIndex;
    point.nextAtom = ResidueOf(std::min(m_i + 1, m_n - 1)).caIndex;
    point.t = static_cast<float>(m_t);
    return true;
}

} // namespace vorn

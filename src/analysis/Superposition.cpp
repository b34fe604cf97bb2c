// Least-squares superposition of paired atoms by the closed-form Kabsch rotation, and their RMSD.
#include "analysis/Superposition.h"

#include "core/Vec3.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>

namespace vorn {

namespace {

// Off-diagonal elements, eigenvalues and vector lengths below this count as zero.
constexpr double kSmall = 1e-7;
// Closed-form vectors whose residual |Mv - λv| exceeds this share of |M| are not eigenvectors.
constexpr double kResidualShare = 1e-6;
// Largest |cosine| between two eigenvectors still taken as orthogonal.
constexpr double kOrthogonal = 1e-6;

Vec3 Times(const Matrix3& m, const Vec3& v) {
    Vec3 out{};
    for (size_t i = 0; i < 3; ++i)
        out[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return out;
}

Matrix3 Product(const Matrix3& a, const Matrix3& b) {
    Matrix3 out{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return out;
}

// Scales v to unit length; false (v unchanged) when it is too short or not finite, as a 0/0 of
// the closed forms leaves it.
bool Normalise(Vec3& v) {
    const double length = std::sqrt(Dot(v, v));
    if (!std::isfinite(length) || length < kSmall)
        return false;
    for (double& c : v)
        c /= length;
    return true;
}

Vec3 Column(const EigenSystem& e, int k) {
    return {e.vectors[0][k], e.vectors[1][k], e.vectors[2][k]};
}

void SetColumn(EigenSystem& e, int k, const Vec3& v) {
    for (size_t i = 0; i < 3; ++i)
        e.vectors[i][k] = v[i];
}

double Residual(const double m[3][3], const Vec3& v, double lambda) {
    double sum = 0;
    for (size_t i = 0; i < 3; ++i) {
        const double r = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2] - lambda * v[i];
        sum += r * r;
    }
    return std::sqrt(sum);
}

double Norm(const double m[3][3]) {
    double sum = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            sum += m[i][j] * m[i][j];
    return std::sqrt(sum);
}

// Roots of det(M − λI) = 0 by Cardano's formula in complex arithmetic; the real parts are kept.
void CubicRoots(const double m[3][3], double roots[3]) {
    using Complex = std::complex<double>;
    const double a = m[0][0] + m[1][1] + m[2][2];
    const double b = m[0][0] * m[1][1] + m[0][0] * m[2][2] + m[1][1] * m[2][2] - m[0][1] * m[0][1] -
                     m[0][2] * m[0][2] - m[1][2] * m[1][2];
    const double d = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[1][2]) -
                     m[0][1] * (m[0][1] * m[2][2] - m[1][2] * m[0][2]) +
                     m[0][2] * (m[0][1] * m[1][2] - m[1][1] * m[0][2]);
    const double p = 3 * b - a * a;
    const double q = 2 * a * a * a - 9 * a * b + 27 * d;
    const Complex root = std::sqrt(Complex(q * q + 4 * p * p * p, 0));
    // Q + sqrt vanishes only for a triple root (P = 0, Q <= 0); the other sign of the root gives
    // the same three roots there without dividing by zero.
    Complex c = std::pow(Complex(q, 0) + root, 1.0 / 3.0);
    if (std::abs(c) == 0)
        c = std::pow(Complex(q, 0) - root, 1.0 / 3.0);
    const double cbrt2 = std::cbrt(2.0);
    const Complex omega(-0.5, std::sqrt(3.0) / 2);
    Complex turn(1, 0);
    for (int k = 0; k < 3; ++k, turn *= omega) {
        const Complex wc = turn * c;
        roots[k] = std::abs(c) == 0 ? a / 3 : (a / 3 + (wc / cbrt2 - cbrt2 * p / wc) / 3.0).real();
    }
}

// Upper 2 × 2 block (m02 and m12 zero).
bool UpperBlock(const double m[3][3], EigenSystem& out) {
    const double s = std::sqrt(4 * m[0][1] * m[0][1] + m[0][0] * m[0][0] - 2 * m[1][1] * m[0][0] +
                               m[1][1] * m[1][1]);
    out.values[0] = (m[0][0] + m[1][1] - s) / 2;
    out.values[1] = (m[0][0] + m[1][1] + s) / 2;
    out.values[2] = m[2][2];
    Vec3 v0 = {-(s + m[1][1] - m[0][0]) / (2 * m[0][1]), 1, 0};
    Vec3 v1 = {-(m[1][1] - m[0][0] - s) / (2 * m[0][1]), 1, 0};
    if (!Normalise(v0) || !Normalise(v1))
        return false;
    SetColumn(out, 0, v0), SetColumn(out, 1, v1), SetColumn(out, 2, {0, 0, 1});
    return true;
}

// Lower 2 × 2 block (m01 and m02 zero).
bool LowerBlock(const double m[3][3], EigenSystem& out) {
    const double s = std::sqrt(m[1][1] * m[1][1] + 4 * m[1][2] * m[1][2] - 2 * m[2][2] * m[1][1] +
                               m[2][2] * m[2][2]);
    out.values[0] = m[0][0];
    out.values[1] = (m[1][1] + m[2][2] - s) / 2;
    out.values[2] = (m[1][1] + m[2][2] + s) / 2;
    Vec3 v1 = {0, -(s + m[2][2] - m[1][1]) / (2 * m[1][2]), 1};
    Vec3 v2 = {0, -(m[2][2] - m[1][1] - s) / (2 * m[1][2]), 1};
    if (!Normalise(v1) || !Normalise(v2))
        return false;
    SetColumn(out, 0, {1, 0, 0}), SetColumn(out, 1, v1), SetColumn(out, 2, v2);
    return true;
}

// Eigenvector of λ when m02 is zero: z = 1, y from the last row, x from the middle one.
Vec3 TridiagonalVector(const double m[3][3], double lambda) {
    return {((m[1][1] - lambda) * (m[2][2] - lambda)) / (m[1][2] * m[0][1]) - m[1][2] / m[0][1],
            -(m[2][2] - lambda) / m[1][2], 1};
}

Vec3 GeneralVector(const double m[3][3], double lambda) {
    const double d = (m[1][1] - lambda) * m[0][2] - m[1][2] * m[0][1];
    const double n = m[1][2] * m[0][2] - (m[2][2] - lambda) * m[0][1];
    return {n * m[1][2] / (d * m[0][2]) - (m[2][2] - lambda) / m[0][2], -n / d, 1};
}

// The eigenvalue farthest from the other two.
int MostIsolated(const double values[3]) {
    int best = 0;
    double bestGap = -1;
    for (int k = 0; k < 3; ++k) {
        const double gap = std::min(std::fabs(values[k] - values[(k + 1) % 3]),
                                    std::fabs(values[k] - values[(k + 2) % 3]));
        if (gap > bestGap)
            best = k, bestGap = gap;
    }
    return best;
}

bool IsEigenBasis(const double m[3][3], const EigenSystem& e, const bool valid[3], double tol) {
    for (int k = 0; k < 3; ++k)
        if (!valid[k] || Residual(m, Column(e, k), e.values[k]) > tol)
            return false;
    for (int k = 0; k < 3; ++k)
        if (std::fabs(Dot(Column(e, k), Column(e, (k + 1) % 3))) > kOrthogonal)
            return false;
    return true;
}

// Two equal eigenvalues make the closed-form vectors of their plane 0/0: any orthonormal pair
// perpendicular to the isolated eigenvector spans it, so one is built from what is left.
bool SpanAroundIsolated(const double m[3][3], EigenSystem& e, const bool valid[3], double tol) {
    const int s = MostIsolated(e.values);
    const Vec3 axis = Column(e, s);
    if (!valid[s] || Residual(m, axis, e.values[s]) > tol)
        return false;
    const int p = (s + 1) % 3, q = (s + 2) % 3;
    Vec3 v = valid[p] ? Column(e, p) : Vec3{0, 0, 0};
    const double along = Dot(v, axis);
    for (size_t i = 0; i < 3; ++i)
        v[i] -= along * axis[i];
    if (!Normalise(v)) {
        // Any vector perpendicular to the axis: cross it with the unit axis it is least along.
        const size_t i = std::fabs(axis[0]) < 0.6 ? 0 : (std::fabs(axis[1]) < 0.6 ? 1 : 2);
        Vec3 unit{0, 0, 0};
        unit[i] = 1;
        v = Cross(axis, unit);
        Normalise(v);
    }
    SetColumn(e, p, v), SetColumn(e, q, Cross(axis, v));
    return Residual(m, Column(e, p), e.values[p]) <= tol &&
           Residual(m, Column(e, q), e.values[q]) <= tol;
}

// The closed forms fix z = 1 and so miss an eigenvector lying in the xy plane (0/0 there, or a
// vector lost to cancellation near it). Any two independent rows of M − λI are perpendicular to
// the eigenvector; the largest cross product of two rows gives it.
Vec3 RowCrossVector(const double m[3][3], double lambda) {
    Vec3 rows[3];
    for (size_t i = 0; i < 3; ++i)
        rows[i] = {m[i][0], m[i][1], m[i][2]}, rows[i][i] -= lambda;
    Vec3 best{0, 0, 0};
    for (size_t i = 0; i < 3; ++i) {
        const Vec3 c = Cross(rows[i], rows[(i + 1) % 3]);
        if (Dot(c, c) > Dot(best, best))
            best = c;
    }
    return best;
}

// Cases with m01 and m12 (and possibly m02) not small: eigenvalues from the cubic.
bool FromCubic(const double m[3][3], EigenSystem& out, bool tridiagonal) {
    CubicRoots(m, out.values);
    const double tol = kResidualShare * Norm(m);
    bool valid[3];
    for (int k = 0; k < 3; ++k) {
        const double lambda = out.values[k];
        Vec3 v = tridiagonal ? TridiagonalVector(m, lambda) : GeneralVector(m, lambda);
        valid[k] = Normalise(v) && Residual(m, v, lambda) <= tol;
        if (!valid[k]) {
            v = RowCrossVector(m, lambda);
            valid[k] = Normalise(v) && Residual(m, v, lambda) <= tol;
        }
        SetColumn(out, k, valid[k] ? v : Vec3{0, 0, 0});
    }
    return IsEigenBasis(m, out, valid, tol) || SpanAroundIsolated(m, out, valid, tol);
}

[[noreturn]] void RaiseUndiagonalisable() {
    VORN_RAISE("kabsch", "kabsch:: Unable to diagonalize matrix");
}

[[noreturn]] void RaiseCollinear() {
    VORN_RAISE("kabsch",
               "Zero eigen values in kabsch: Colinear molecules are not currently allowed.");
}

// Indices of the smallest, largest and middle eigenvalue by magnitude; all three distinct.
void OrderByMagnitude(const double mu[3], int& kmin, int& kmax, int& kmid) {
    kmin = 0;
    if (std::fabs(mu[1]) < std::fabs(mu[0]))
        kmin = 1;
    if (std::fabs(mu[2]) < std::fabs(mu[kmin]))
        kmin = 2;
    kmax = 0;
    if (std::fabs(mu[1]) > std::fabs(mu[0]))
        kmax = 1;
    if (std::fabs(mu[2]) > std::fabs(mu[kmax]))
        kmax = 2;
    // Three equal magnitudes would name one vector both smallest and largest and leave the third
    // axis of the rotation unbuilt.
    if (kmin == kmax)
        kmin = (kmax + 2) % 3;
    kmid = (kmax + 1) % 3;
    if (kmid == kmin)
        kmid = (kmax + 2) % 3;
}

// The rotation U (moving onto reference) from the correlation matrix R[i][j] = Σ w·a[i]·b[j].
Matrix3 KabschRotation(const Matrix3& r) {
    double m[3][3];
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            m[i][j] = r[0][i] * r[0][j] + r[1][i] * r[1][j] + r[2][i] * r[2][j];
    EigenSystem eigen;
    if (!DiagonalizeSymmetric3(m, eigen))
        RaiseUndiagonalisable();
    const double* mu = eigen.values;
    if ((mu[0] < kSmall) + (mu[1] < kSmall) + (mu[2] < kSmall) > 1)
        RaiseCollinear();
    int kmin, kmax, kmid;
    OrderByMagnitude(mu, kmin, kmax, kmid);
    // RᵀR has no negative eigenvalues: a second one at or below zero is a rounded zero (the
    // closed form spreads a double root at zero to ±1e-7 and more), and its root would be NaN.
    if (mu[kmax] < kSmall || mu[kmid] < kSmall)
        RaiseCollinear();
    Vec3 e[3] = {Column(eigen, 0), Column(eigen, 1), Column(eigen, 2)};
    e[kmin] = Cross(e[kmax], e[kmid]);
    Vec3 f[3];
    for (int k : {kmax, kmid}) {
        f[k] = Times(r, e[k]);
        for (double& c : f[k])
            c /= std::sqrt(mu[k]);
    }
    // f(kmax) and f(kmid) are orthonormal in exact arithmetic. For nearly collinear pairs μ(kmid)
    // is tiny and rounding of e(kmid), magnified by 1/sqrt(μ), leaves them neither, so U would
    // stretch B; making them orthonormal keeps U a rotation and changes nothing otherwise.
    if (!Normalise(f[kmax]))
        RaiseCollinear();
    const double along = Dot(f[kmid], f[kmax]);
    for (size_t i = 0; i < 3; ++i)
        f[kmid][i] -= along * f[kmax][i];
    if (!Normalise(f[kmid]))
        RaiseCollinear();
    f[kmin] = Cross(f[kmax], f[kmid]);
    Matrix3 u{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            u[i][j] = f[0][i] * e[0][j] + f[1][i] * e[1][j] + f[2][i] * e[2][j];
    return u;
}

// The displayed position of a listed atom, which must have coordinates.
Vec3 ListedPosition(const DisplayMap& map, int atom) {
    if (atom < 0 || atom >= map.Count())
        VORN_RAISE("kabsch", "kabsch:: Atom index out of range");
    return map.Position(atom);
}

double PairWeight(const Molecule& a, int i, const Molecule& b, int j, bool massWeighting) {
    if (!massWeighting)
        return 1.0;
    return 0.5 * (double(a.atoms[static_cast<size_t>(i)].mass) +
                  double(b.atoms[static_cast<size_t>(j)].mass));
}

Matrix3 InverseByCofactors(const Matrix3& d) {
    Matrix3 cof{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j) {
            const size_t i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            cof[i][j] = d[i1][j1] * d[i2][j2] - d[i1][j2] * d[i2][j1];
        }
    const double det = d[0][0] * cof[0][0] + d[0][1] * cof[0][1] + d[0][2] * cof[0][2];
    // A unit quaternion always gives det 1; only a corrupted motion state can reach this.
    if (!(std::fabs(det) > 1e-12))
        VORN_RAISE("kabsch", "kabsch:: Display rotation cannot be inverted");
    Matrix3 inverse{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            inverse[i][j] = cof[j][i] / det;
    return inverse;
}

// p := m·p for n points stored x, y, z at the given float stride.
void TurnPoints(const Matrix3& m, float* xyz, size_t n, size_t stride) {
    for (size_t k = 0; k < n; ++k, xyz += stride) {
        const Vec3 p = Times(m, {xyz[0], xyz[1], xyz[2]});
        xyz[0] = static_cast<float>(p[0]);
        xyz[1] = static_cast<float>(p[1]);
        xyz[2] = static_cast<float>(p[2]);
    }
}

// Applies the display-space rotation u about the centroids to b's stored coordinates and
// translation, leaving b's display rotation as it was.
void MoveMolecule(Molecule& b, const Matrix3& u, const Vec3& cA, const Vec3& cB) {
    const Matrix3 d = DisplayRotation(b.motion);
    const Matrix3 dInv = InverseByCofactors(d);
    const Matrix3 m = Product(dInv, Product(u, d));
    const int frame = b.currentFrame - 1;
    if (frame >= 0 && frame < b.frames.Count()) {
        std::vector<float>& coordinates = b.frames[frame];
        TurnPoints(m, coordinates.data(), coordinates.size() / 3, 3);
    } else {
        for (Atom& atom : b.atoms) {
            const Vec3 p = Times(m, {atom.x, atom.y, atom.z});
            atom.x = static_cast<float>(p[0]);
            atom.y = static_cast<float>(p[1]);
            atom.z = static_cast<float>(p[2]);
        }
    }
    float* t = b.motion.translation;
    const Vec3 backB = Times(dInv, cB), backA = Times(dInv, cA);
    const Vec3 moved = Times(m, {t[0] - backB[0], t[1] - backB[1], t[2] - backB[2]});
    for (size_t i = 0; i < 3; ++i)
        t[i] = static_cast<float>(moved[i] + backA[i]);
}

} // namespace

bool DiagonalizeSymmetric3(const double m[3][3], EigenSystem& out) {
    out = EigenSystem{};
    const bool small01 = std::fabs(m[0][1]) < kSmall;
    const bool small02 = std::fabs(m[0][2]) < kSmall;
    const bool small12 = std::fabs(m[1][2]) < kSmall;
    if (small02 && small01 && small12) {
        for (int k = 0; k < 3; ++k)
            out.values[k] = m[k][k];
        return true;
    }
    if (small02 && small12)
        return UpperBlock(m, out);
    if (small02 && small01)
        return LowerBlock(m, out);
    return FromCubic(m, out, small02);
}

void kabsch(const std::vector<Atom>& reference, float* moving, const float* weights, int n) {
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    if (count > reference.size())
        VORN_RAISE("kabsch", "kabsch:: More moving points than reference atoms");
    Matrix3 r{};
    for (size_t k = 0; k < count; ++k) {
        const Atom& atom = reference[k];
        const double w = weights[k];
        const double a[3] = {w * atom.x, w * atom.y, w * atom.z};
        const float* b = moving + 3 * k;
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                r[i][j] += a[i] * b[j];
    }
    TurnPoints(KabschRotation(r), moving, count, 3);
}

void AlignMolecules(const Molecule& a, Molecule& b, const std::vector<int>& listA,
                    const std::vector<int>& listB, bool massWeighting) {
    const DisplayMap mapA(a), mapB(b);
    const size_t n = std::min(listA.size(), listB.size());
    // One pass over the pairs (the atom tables outgrow the caches): weighted sums taken about the
    // first pair's positions, which lie inside the clouds, so that removing the centroids below
    // cancels no more digits than subtracting them from each position would.
    Vec3 oA{}, oB{};
    if (n > 0)
        oA = ListedPosition(mapA, listA[0]), oB = ListedPosition(mapB, listB[0]);
    double total = 0;
    Vec3 sA{}, sB{};
    Matrix3 r{};
    for (size_t k = 0; k < n; ++k) {
        Vec3 xA = ListedPosition(mapA, listA[k]), xB = ListedPosition(mapB, listB[k]);
        const double w = PairWeight(a, listA[k], b, listB[k], massWeighting);
        for (size_t i = 0; i < 3; ++i)
            xA[i] -= oA[i], xB[i] -= oB[i];
        total += w;
        for (size_t i = 0; i < 3; ++i) {
            sA[i] += w * xA[i], sB[i] += w * xB[i];
            for (size_t j = 0; j < 3; ++j)
                r[i][j] += w * xA[i] * xB[j];
        }
    }
    // Without weight R stays zero and the fit fails below; the centroids must not become NaN.
    Vec3 cA = oA, cB = oB;
    if (total > 0) {
        for (size_t i = 0; i < 3; ++i)
            cA[i] += sA[i] / total, cB[i] += sB[i] / total;
        // Σ w·(xA − x̄A)·(xB − x̄B)ᵀ = Σ w·xA·xBᵀ − (Σ w·xA)·(Σ w·xB)ᵀ / W
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                r[i][j] -= sA[i] * sB[j] / total;
    }
    MoveMolecule(b, KabschRotation(r), cA, cB);
}

double ComputeRmsd(const Molecule& a, const Molecule& b, const std::vector<int>& listA,
                   const std::vector<int>& listB, bool massWeighting) {
    const DisplayMap mapA(a), mapB(b);
    const size_t n = std::min(listA.size(), listB.size());
    double sum = 0, total = 0;
    for (size_t k = 0; k < n; ++k) {
        const Vec3 pA = ListedPosition(mapA, listA[k]), pB = ListedPosition(mapB, listB[k]);
        const double w = PairWeight(a, listA[k], b, listB[k], massWeighting);
        const double dx = pA[0] - pB[0], dy = pA[1] - pB[1], dz = pA[2] - pB[2];
        sum += w * (dx * dx + dy * dy + dz * dz);
        total += w;
    }
    // No pairs (or no weight) means no deviation to report, not 0/0.
    return total > 0 ? std::sqrt(sum / total) : 0.0;
}

} // namespace vorn

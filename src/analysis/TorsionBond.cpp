// The torsion bond: choosing the side of a bond that turns, and turning it.
#include "analysis/TorsionBond.h"

#include "core/Vec3.h"
#include "model/Molecule.h"
#include "model/MotionState.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace vorn {

namespace {

constexpr double kRadiansPerDegree = 0.0174532925;
constexpr float kShortAxis = 1e-7f; // Å: a and b coincide, no axis to turn about

// Writes atom i's coordinates where ShownPositions reads them: into the current frame (k > 0 shows
// frame k − 1) when it holds the atom, else into the atom record (atoms beyond a short frame).
void SetShownCoordinates(Molecule& mol, int i, const float p[3]) {
    const int frame = mol.currentFrame - 1;
    if (frame >= 0 && frame < mol.frames.Count()) {
        std::vector<float>& coordinates = mol.frames[frame];
        if (static_cast<size_t>(i) < coordinates.size() / 3) {
            float* f = coordinates.data() + 3 * static_cast<size_t>(i);
            f[0] = p[0], f[1] = p[1], f[2] = p[2];
            return;
        }
    }
    Atom& atom = mol.atoms[static_cast<size_t>(i)];
    atom.x = p[0], atom.y = p[1], atom.z = p[2];
}

struct Rotation {
    float m[3][3];
};

// Right-handed rotation by radians about the unit axis (x, y, z).
Rotation AxisRotation(const Vec3f& axis, float radians) {
    const float x = axis[0], y = axis[1], z = axis[2];
    const float c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    return {{{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
             {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
             {t * x * z - s * y, t * y * z + s * x, t * z * z + c}}};
}

// Marks with bit every atom reachable from start over the bonded lists without passing through
// blocked, and returns how many there are besides start. Iterative with an explicit stack: a
// protein's chain is far deeper than the call stack.
int FloodFill(const Molecule& mol, int start, int blocked, std::uint8_t bit,
              std::vector<std::uint8_t>& marks) {
    const int listed = mol.bonded.Count(); // atoms past the lists have no bonded atoms
    std::vector<int> stack{start};
    marks[static_cast<size_t>(start)] |= bit;
    int count = 0;
    while (!stack.empty()) {
        const int atom = stack.back();
        stack.pop_back();
        if (atom >= listed)
            continue;
        for (int next : mol.bonded[atom]) {
            if (next < 0 || next >= mol.AtomCount() || next == blocked ||
                (marks[static_cast<size_t>(next)] & bit))
                continue;
            marks[static_cast<size_t>(next)] |= bit;
            stack.push_back(next);
            ++count;
        }
    }
    return count;
}

} // namespace

void TorsionBond::SelectTorsionBond(Molecule& mol, int bondIndex) {
    if (bondIndex < 0 || bondIndex >= static_cast<int>(mol.bonds.size()))
        return;
    const Bond& bond = mol.bonds[static_cast<size_t>(bondIndex)];
    if (m_molecule == &mol &&
        ((m_a == bond.first && m_b == bond.second) || (m_a == bond.second && m_b == bond.first))) {
        Clear();
        return;
    }
    m_molecule = &mol;
    m_a = bond.first;
    m_b = bond.second;
    m_angle = 0;
    m_moving.clear();
    constexpr std::uint8_t kSideA = 1, kSideB = 2;
    std::vector<std::uint8_t> marks(mol.atoms.size(), 0);
    const int countA = FloodFill(mol, m_a, m_b, kSideA, marks);
    const int countB = FloodFill(mol, m_b, m_a, kSideB, marks);
    marks[static_cast<size_t>(m_a)] = marks[static_cast<size_t>(m_b)] = 0;
    // The sides share an atom exactly when a path joins a and b besides the bond itself, i.e. the
    // bond lies in a ring; turning either side would tear the ring's other bonds.
    if (std::find(marks.begin(), marks.end(), kSideA | kSideB) != marks.end())
        return;
    const std::uint8_t moving = countB < countA ? kSideB : kSideA;
    m_moving.reserve(static_cast<size_t>(std::min(countA, countB)));
    for (size_t i = 0; i < marks.size(); ++i)
        if (marks[i] == moving)
            m_moving.push_back(static_cast<int>(i));
}

void TorsionBond::SetTorsion(double degrees) {
    if (!m_molecule || m_moving.empty())
        return;
    Molecule& mol = *m_molecule;
    const Vec3f a = ShownCoordinates(mol, m_a);
    Vec3f axis = Sub(ShownCoordinates(mol, m_b), a);
    const float length = Length(axis);
    if (length < kShortAxis)
        return; // nothing turns, so the applied rotation stays what it was
    for (float& v : axis)
        v /= length;
    const Rotation r =
        AxisRotation(axis, static_cast<float>((degrees - m_angle) * kRadiansPerDegree));
    for (int i : m_moving) {
        const Vec3f d = Sub(ShownCoordinates(mol, i), a);
        float turned[3];
        for (int k = 0; k < 3; ++k)
            turned[k] = r.m[k][0] * d[0] + r.m[k][1] * d[1] + r.m[k][2] * d[2] + a[k];
        SetShownCoordinates(mol, i, turned);
    }
    m_angle = degrees;
}

void TorsionBond::Clear() {
    m_a = m_b = -1;
    m_moving.clear();
    m_angle = 0;
    m_molecule = nullptr;
}

} // namespace vorn

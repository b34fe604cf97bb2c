// The measurement table: picking rule, bounds-checked values and the geometry of picked atoms.
#include "analysis/MeasureTable.h"

#include "core/VornError.h"
#include "model/MotionState.h"

#include <algorithm>
#include <cmath>

namespace vorn {

namespace {

// π rounded to single precision and widened: straight atoms read 3.1415927, not 3.1415926.
constexpr double kSinglePi = 3.1415927410125732;
// Below this the cross products of the torsion vanish: the torsion is undefined and reads 0.
constexpr float kDegenerate = 1e-7f;

// Entry i and the `following` entries after it must exist; else the accessor's own message.
void CheckIndex(int i, int following, int count, const char* message) {
    if (i < 0 || i + following >= count)
        VORN_RAISE("measure", message);
}

} // namespace

double BondAngle(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    const Vec3 u = Sub(p1, p0), v = Sub(p2, p1);
    const double lengths = Length(u) * Length(v);
    // Two coincident atoms leave no direction to measure from; the angle reads 0 rather than NaN.
    if (lengths == 0)
        return 0.0;
    // Rounding can push the cosine of straight atoms just past ±1, where acos gives NaN.
    const double cosine = std::clamp(Dot(u, v) / lengths, -1.0, 1.0);
    return kSinglePi - std::acos(cosine);
}

float TorsionAngle(const Vec3f& p0, const Vec3f& p1, const Vec3f& p2, const Vec3f& p3) {
    const Vec3f b1 = Sub(p1, p0), b2 = Sub(p2, p1), b3 = Sub(p3, p2);
    const float b12 = Dot(b1, b2), b23 = Dot(b2, b3), b13 = Dot(b1, b3), b22 = Dot(b2, b2);
    // |b1 × b2|² and |b2 × b3|² by Lagrange's identity.
    const float n1 = Dot(b1, b1) * b22 - b12 * b12;
    const float n2 = b22 * Dot(b3, b3) - b23 * b23;
    if (std::fabs(n1) < kDegenerate || std::fabs(n2) < kDegenerate)
        return 0.0f;
    const float c = std::clamp((b12 * b23 - b13 * b22) / std::sqrt(n1 * n2), -1.0f, 1.0f);
    const float torsion = std::acos(c);
    return Dot(Cross(b1, b2), b3) < 0 ? -torsion : torsion;
}

const MeasureEntry& MeasureTable::Entry(int i) const {
    CheckIndex(i, 0, Count(), "Index out of bounds");
    return m_entries[static_cast<size_t>(i)];
}

float MeasureTable::x(int i) const {
    CheckIndex(i, 0, Count(), "x index out of bounds");
    return m_position[i][0];
}

float MeasureTable::y(int i) const {
    CheckIndex(i, 0, Count(), "y index out of bounds");
    return m_position[i][1];
}

float MeasureTable::z(int i) const {
    CheckIndex(i, 0, Count(), "z index out of bounds");
    return m_position[i][2];
}

int MeasureTable::Id(int i) const {
    CheckIndex(i, 0, Count(), "Id index out of bounds");
    return m_entries[static_cast<size_t>(i)].serial;
}

int MeasureTable::Model(int i) const {
    CheckIndex(i, 0, Count(), "Model index out of bounds");
    return m_entries[static_cast<size_t>(i)].model;
}

float MeasureTable::Bond(int i) const {
    CheckIndex(i, 1, Count(), "Bond index out of bounds");
    return m_bond[i];
}

float MeasureTable::Angle(int i) const {
    CheckIndex(i, 2, Count(), "Angle index out of bounds");
    return m_angle[i];
}

float MeasureTable::Torsion() const {
    if (Count() != kMaxEntries)
        VORN_RAISE("measure", "Torsion index out of bounds");
    return m_torsion;
}

Rgba MeasureTable::Color(int i) const {
    const MeasureEntry& e = Entry(i);
    return e.molecule->atoms[static_cast<size_t>(e.atom)].color;
}

bool MeasureTable::Same(int i, int kind, const Molecule* molecule, int atom) const {
    const MeasureEntry& e = m_entries[static_cast<size_t>(i)];
    return e.kind == kind && e.atom == atom && e.molecule == molecule;
}

bool MeasureTable::TogglePick(int kind, Molecule* molecule, int atom) {
    // A pick that names no atom of a molecule cannot be measured (and its serial not read).
    if (!molecule || atom < 0 || atom >= molecule->AtomCount())
        return false;
    const int n = Count();
    if (n > 0 && Same(n - 1, kind, molecule, atom)) {
        RemoveAt(n - 1);
        return true;
    }
    if (n > 0 && Same(0, kind, molecule, atom)) {
        RemoveAt(0);
        return true;
    }
    if ((n > 2 && Same(1, kind, molecule, atom)) || (n > 3 && Same(2, kind, molecule, atom)))
        return false;
    if (n == kMaxEntries)
        return false;
    const Atom& a = molecule->atoms[static_cast<size_t>(atom)];
    m_entries.push_back({kind, molecule, atom, a.serial, a.model});
    Recompute();
    return true;
}

// The remaining entries move up a place, so their values are refreshed at once: the Measure
// window may show them before the next draw recomputes.
void MeasureTable::RemoveAt(int i) {
    m_entries.erase(m_entries.begin() + i);
    Recompute();
}

void MeasureTable::Recompute() {
    for (int i = 0; i < Count(); ++i) {
        const MeasureEntry& e = m_entries[static_cast<size_t>(i)];
        const std::array<double, 3> p = DisplayPosition(*e.molecule, e.atom);
        for (int k = 0; k < 3; ++k)
            m_position[i][k] = static_cast<float>(p[k]);
    }
    RecomputeBonds();
    RecomputeAngles();
    m_torsion = 0;
    if (Count() == kMaxEntries)
        m_torsion = TorsionAngle(m_position[0], m_position[1], m_position[2], m_position[3]);
}

void MeasureTable::RecomputeBonds() {
    for (int i = 0; i + 1 < Count(); ++i)
        m_bond[i] = static_cast<float>(Length(Sub(Widened(i + 1), Widened(i))));
}

void MeasureTable::RecomputeAngles() {
    for (int i = 0; i + 2 < Count(); ++i)
        m_angle[i] = static_cast<float>(BondAngle(Widened(i), Widened(i + 1), Widened(i + 2)));
}

void MeasureTable::Clear() {
    m_entries.clear();
    Recompute();
}

void MeasureTable::RemoveMolecule(const IndexedList<std::unique_ptr<Molecule>>& molecules) {
    const auto gone = [&molecules](const MeasureEntry& e) {
        for (const std::unique_ptr<Molecule>& m : molecules)
            if (m.get() == e.molecule)
                return false;
        return true;
    };
    const auto first = std::remove_if(m_entries.begin(), m_entries.end(), gone);
    if (first == m_entries.end())
        return;
    m_entries.erase(first, m_entries.end());
    Recompute();
}

} // namespace vorn

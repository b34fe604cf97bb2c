// The measurement table: up to four picked atoms and their distances, bond angles and torsion.
#pragma once

#include "core/IndexedList.h"
#include "core/Vec3.h"
#include "model/Molecule.h"

#include <memory>
#include <vector>

namespace vorn {

// One picked atom. Two entries are the same atom when kind, atom index and molecule are equal;
// serial and model are copied from the atom record when it is picked.
struct MeasureEntry {
    int kind = 0;                 // the pick's kind (1: atom)
    Molecule* molecule = nullptr; // owned by the document
    int atom = -1;                // index in the molecule's atom array
    int serial = -1;
    int model = 0;
};

// Atoms A, B, C, D in pick order. Positions are displayed positions (frame, translation and
// rotation applied); lengths in Å, angles and the torsion in radians.
class MeasureTable {
public:
    static constexpr int kMaxEntries = 4;

    int Count() const { return static_cast<int>(m_entries.size()); }
    const MeasureEntry& Entry(int i) const; // "Index out of bounds" past the count

    // Bounds-checked derived values; each raises VornError (source "measure") with its own
    // message when i is out of range.
    float x(int i) const;
    float y(int i) const;
    float z(int i) const;
    int Id(int i) const;      // serial number
    int Model(int i) const;   // model number
    float Bond(int i) const;  // |P(i+1) − P(i)|, needs i + 1 < Count()
    float Angle(int i) const; // at P(i+1), needs i + 2 < Count()
    float Torsion() const;    // needs four entries, in [−π, π]
    Rgba Color(int i) const;  // the atom record's colour

    // Removes the pick when it is the last or the first entry, ignores it when it is the second
    // or third entry or the table is full, else appends it. Returns whether the table changed.
    bool TogglePick(int kind, Molecule* molecule, int atom);

    // Refreshes positions, bonds, angles and the torsion from the entries' current positions.
    void Recompute();
    void Clear();
    // Drops every entry whose molecule is no longer in the list.
    void RemoveMolecule(const IndexedList<std::unique_ptr<Molecule>>& molecules);

private:
    bool Same(int i, int kind, const Molecule* molecule, int atom) const;
    void RemoveAt(int i);
    void RecomputeBonds();
    void RecomputeAngles();

    std::vector<MeasureEntry> m_entries;
    // The position widened to double, as distances and angles are computed.
    Vec3 Widened(int i) const { return {m_position[i][0], m_position[i][1], m_position[i][2]}; }

    Vec3f m_position[kMaxEntries] = {}; // displayed positions, Å
    float m_bond[kMaxEntries - 1] = {};
    float m_angle[kMaxEntries - 2] = {};
    float m_torsion = 0;
};

// The angle (radians) at the middle point between p0, p1, p2, as π − acos(u·v / (|u|·|v|)) with
// u = p1 − p0 and v = p2 − p1. π is taken in single precision, so straight points give 3.1415927.
double BondAngle(const Vec3& p0, const Vec3& p1, const Vec3& p2);

// The torsion (radians, [−π, π]) of four points in single precision; 0 when p0, p1, p2 or p1, p2,
// p3 are (nearly) collinear.
float TorsionAngle(const Vec3f& p0, const Vec3f& p1, const Vec3f& p2, const Vec3f& p3);

} // namespace vorn

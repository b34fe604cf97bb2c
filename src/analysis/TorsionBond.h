// The torsion bond: a picked bond and the smaller part of the molecule that turns about it.
#pragma once

#include <vector>

namespace vorn {

struct Molecule;

// Held by the view. The rotation is relative: angle 0 is the conformation when the bond was
// picked. Turning changes the molecule's coordinates in place.
class TorsionBond {
public:
    // Picking the selected bond again (either atom order) clears the selection; any other bond
    // of mol becomes the selection with angle 0. Its moving atoms are the smaller side of the
    // bond (a's side on a tie), none when the bond lies in a ring. An index that names no bond
    // leaves the selection as it was.
    void SelectTorsionBond(Molecule& mol, int bondIndex);

    // Turns the moving atoms about the axis a → b so that the total rotation is degrees
    // (right-handed), in the coordinates shown: the current trajectory frame when the molecule
    // shows one, else the atom records.
    void SetTorsion(double degrees);

    void Clear();

    int AtomA() const { return m_a; } // −1 when nothing is selected
    int AtomB() const { return m_b; }
    const std::vector<int>& MovingAtoms() const { return m_moving; } // ascending atom indices
    double Angle() const { return m_angle; }                         // degrees
    Molecule* GetMolecule() const { return m_molecule; }
    bool IsSelected() const { return m_molecule != nullptr; }
    bool CanTurn() const { return !m_moving.empty(); }

private:
    int m_a = -1;
    int m_b = -1;
    std::vector<int> m_moving;
    double m_angle = 0;
    Molecule* m_molecule = nullptr;
};

} // namespace vorn

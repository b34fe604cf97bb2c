// Least-squares superposition of paired atoms (closed-form Kabsch) and their RMSD.
#pragma once

#include <vector>

namespace vorn {

struct Atom;
struct Molecule;

// Eigenvalues and unit eigenvectors of a symmetric 3 × 3 matrix; eigenvector k is the column
// vectors[0][k], vectors[1][k], vectors[2][k].
struct EigenSystem {
    double values[3] = {0, 0, 0};
    double vectors[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// Closed form with the shortcuts for block-diagonal matrices; false when an eigenvector cannot
// be normalised.
bool DiagonalizeSymmetric3(const double m[3][3], EigenSystem& out);

// Rotation-only weighted fit: turns the n moving points (x, y, z each, overwritten) onto the
// coordinates of the n reference atoms. Both sets must already be centred. Raises VornError
// (source "kabsch") when the fit is undefined.
void kabsch(const std::vector<Atom>& reference, float* moving, const float* weights, int n);

// Moves molecule b so that its listed atoms lie on a's listed atoms (displayed positions), pairs
// formed by position in the two lists. Mass weighting weighs a pair by the mean of its masses.
void AlignMolecules(const Molecule& a, Molecule& b, const std::vector<int>& listA,
                    const std::vector<int>& listB, bool massWeighting);

// RMSD (Å) between the displayed positions of the pairs, up to the end of the shorter list.
double ComputeRmsd(const Molecule& a, const Molecule& b, const std::vector<int>& listA,
                   const std::vector<int>& listB, bool massWeighting);

} // namespace vorn

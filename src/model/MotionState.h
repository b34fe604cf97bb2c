// Each molecule's place on screen: the trackball rotation (a unit quaternion) and a translation.
#pragma once

#include <array>
#include <cstddef>

namespace vorn {

struct Atom;
struct Molecule;

// Quaternion (x, y, z, w); w is the scalar part.
struct Quaternion {
    float x = 0, y = 0, z = 0, w = 1;
};

struct MotionState {
    Quaternion rotation;        // identity at first
    Quaternion increment;       // the last rotation step; what a spinning molecule turns by
    float trackballSize = 0.8f; // mouse sensitivity: smaller turns faster
    float lastRotateX = 0, lastRotateY = 0;       // window pixels
    float lastTranslateX = 0, lastTranslateY = 0; // window pixels
    float lastScaleX = 0;                         // window pixels
    int rotateSteps = 0;                          // compositions since the last renormalisation
    std::array<float, 16> rotationMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    bool moving = true;               // free: follows the mouse
    float translation[3] = {0, 0, 0}; // Å, in the molecule's rotated frame
};

// The 16 floats of the rotation matrix of q in the order handed to the graphics library, which
// reads them column by column.
std::array<float, 16> QuaternionToMatrix(const Quaternion& q);

// Quaternion product a·b: the rotation b followed by a.
Quaternion Multiply(const Quaternion& a, const Quaternion& b);

// The increment turns the molecule after its current rotation, about axes fixed on the screen:
// the matrix is read transposed, so the product is taken as rotation·increment. (The other order
// would turn about the molecule's own axes, and a molecule turned sideways would roll instead of
// tipping under an upward drag.) Every 98th composition renormalises by dividing each component
// by the sum of the squares of the four.
void Compose(MotionState& state);

// The 3 × 3 rotation that the graphics library applies for q: R[i][j] = matrix[4j + i].
using Matrix3 = std::array<std::array<double, 3>, 3>;
Matrix3 DisplayRotation(const MotionState& state);

// Coordinates of atom i as drawn: those of the current trajectory frame when the molecule shows
// one (else the atom record's), plus the translation, turned by the display rotation.
std::array<double, 3> DisplayPosition(const Molecule& mol, int atom);

// The coordinates a molecule shows, atom by atom: those of its current trajectory frame (frame
// k − 1 for currentFrame k > 0), else the atom records'. Atoms beyond a short frame keep their
// record's coordinates. Resolved once, then cheap per atom.
class ShownPositions {
public:
    explicit ShownPositions(const Molecule& mol);
    // Those of frame number `frame`, numbered as Molecule::currentFrame (0: the atom records'; a
    // number beyond the frames also gives the records').
    ShownPositions(const Molecule& mol, int frame);
    // x, y and z of the atom.
    const float* operator[](int atom) const {
        return atom < m_frameAtoms ? m_frame + 3 * static_cast<std::size_t>(atom)
                                   : reinterpret_cast<const float*>(
                                         m_records + static_cast<std::size_t>(atom) * m_stride);
    }
    bool HasFrame() const { return m_frame != nullptr; }
    int FrameAtoms() const { return m_frameAtoms; }

private:
    const float* m_frame = nullptr;
    int m_frameAtoms = 0;
    const char* m_records; // the x of the first atom record
    std::size_t m_stride;  // bytes from one atom record to the next
};

// Displayed positions of many atoms of one molecule: the rotation, the translation and the shown
// coordinate set are taken once instead of per atom.
class DisplayMap {
public:
    explicit DisplayMap(const Molecule& mol);
    // Atoms that have shown coordinates (a short frame holds fewer than the molecule).
    int Count() const { return m_count; }
    // The displayed position of atom 0 <= i < Count().
    std::array<double, 3> Position(int atom) const;

private:
    Matrix3 m_rotation;
    double m_translation[3];
    ShownPositions m_shown;
    int m_count;
};

// The coordinates of atom i before the motion state applies: the current frame's when the
// molecule shows one (currentFrame k > 0 shows frame k − 1), else the atom's own.
std::array<float, 3> ShownCoordinates(const Molecule& mol, int atom);

} // namespace vorn

// Quaternion maths of the trackball and the displayed position of an atom.
#include "model/MotionState.h"

#include "model/Molecule.h"

#include <algorithm>

namespace vorn {

std::array<float, 16> QuaternionToMatrix(const Quaternion& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    return {1 - 2 * (y * y + z * z),
            2 * (x * y - z * w),
            2 * (x * z + y * w),
            0,
            2 * (x * y + z * w),
            1 - 2 * (z * z + x * x),
            2 * (y * z - x * w),
            0,
            2 * (z * x - y * w),
            2 * (y * z + x * w),
            1 - 2 * (y * y + x * x),
            0,
            0,
            0,
            0,
            1};
}

Quaternion Multiply(const Quaternion& a, const Quaternion& b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z,
            a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x,
            a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

void Compose(MotionState& state) {
    // Rounding lets the product drift from unit length; dividing by the squared norm now and then
    // pulls it back without a square root.
    constexpr int kRenormaliseEvery = 98;
    state.rotation = Multiply(state.rotation, state.increment);
    if (++state.rotateSteps >= kRenormaliseEvery) {
        state.rotateSteps = 0;
        Quaternion& q = state.rotation;
        const float n = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
        q = {q.x / n, q.y / n, q.z / n, q.w / n};
    }
}

Matrix3 DisplayRotation(const MotionState& state) {
    const std::array<float, 16> m = QuaternionToMatrix(state.rotation);
    Matrix3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = m[static_cast<size_t>(4 * j + i)];
    return r;
}

ShownPositions::ShownPositions(const Molecule& mol) : ShownPositions(mol, mol.currentFrame) {}

ShownPositions::ShownPositions(const Molecule& mol, int shownFrame)
    : m_records(mol.atoms.empty() ? nullptr : reinterpret_cast<const char*>(&mol.atoms[0].x)),
      m_stride(sizeof(Atom)) {
    const int frame = shownFrame - 1;
    if (frame >= 0 && frame < mol.frames.Count()) {
        const std::vector<float>& coordinates = mol.frames[frame];
        m_frame = coordinates.data();
        m_frameAtoms = static_cast<int>(coordinates.size() / 3);
    }
}

std::array<float, 3> ShownCoordinates(const Molecule& mol, int atom) {
    const float* p = ShownPositions(mol)[atom];
    return {p[0], p[1], p[2]};
}

DisplayMap::DisplayMap(const Molecule& mol)
    : m_rotation(DisplayRotation(mol.motion)), m_shown(mol),
      m_count(m_shown.HasFrame() ? std::min(mol.AtomCount(), m_shown.FrameAtoms())
                                 : mol.AtomCount()) {
    for (size_t k = 0; k < 3; ++k)
        m_translation[k] = mol.motion.translation[k];
}

std::array<double, 3> DisplayMap::Position(int atom) const {
    const float* p = m_shown[atom];
    double v[3];
    for (size_t k = 0; k < 3; ++k)
        v[k] = double(p[k]) + m_translation[k];
    std::array<double, 3> out{};
    for (size_t i = 0; i < 3; ++i)
        out[i] = m_rotation[i][0] * v[0] + m_rotation[i][1] * v[1] + m_rotation[i][2] * v[2];
    return out;
}

std::array<double, 3> DisplayPosition(const Molecule& mol, int atom) {
    return DisplayMap(mol).Position(atom);
}

} // namespace vorn

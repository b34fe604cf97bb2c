// Three-vectors and the few operations the analyses and drawers share, in double or single
// precision (each computation keeps the precision its results were defined in).
#pragma once

#include <array>
#include <cmath>

namespace vorn {

template <typename T>
using Vector3 = std::array<T, 3>;
using Vec3 = Vector3<double>;
using Vec3f = Vector3<float>;

template <typename T>
Vector3<T> Add(const Vector3<T>& a, const Vector3<T>& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
template <typename T>
Vector3<T> Sub(const Vector3<T>& a, const Vector3<T>& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
template <typename T>
Vector3<T> Scale(const Vector3<T>& a, T s) {
    return {a[0] * s, a[1] * s, a[2] * s};
}
template <typename T>
T Dot(const Vector3<T>& a, const Vector3<T>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
template <typename T>
Vector3<T> Cross(const Vector3<T>& a, const Vector3<T>& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
template <typename T>
T Length(const Vector3<T>& a) {
    return std::sqrt(Dot(a, a));
}
template <typename T>
T Distance2(const Vector3<T>& a, const Vector3<T>& b) {
    const Vector3<T> d = Sub(a, b);
    return Dot(d, d);
}
// The three values at p as a vector: coordinates kept as float[3] in records and frames.
template <typename T>
Vector3<T> At(const T* p) {
    return {p[0], p[1], p[2]};
}

} // namespace vorn

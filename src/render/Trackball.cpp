// The trackball: points lifted onto a sphere that becomes a hyperbolic sheet away from the centre,
// so a drag far out still turns smoothly.
#include "render/Trackball.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kInverseSqrt2 = 0.70710678f;

float LiftedZ(float x, float y, float r) {
    const float d = std::sqrt(x * x + y * y);
    if (d < r * kInverseSqrt2)
        return std::sqrt(r * r - d * d);
    const float t = r * kInverseSqrt2;
    return t * t / d;
}

} // namespace

TrackPoint NormalisedPoint(int x, int y, int width, int height) {
    return {(2.0f * x - width) / width, (height - 2.0f * y) / height};
}

Quaternion TrackballIncrement(TrackPoint p1, TrackPoint p2, float size) {
    if (p1.x == p2.x && p1.y == p2.y)
        return {};
    const float a[3] = {p1.x, p1.y, LiftedZ(p1.x, p1.y, size)};
    const float b[3] = {p2.x, p2.y, LiftedZ(p2.x, p2.y, size)};
    // The axis is p2 × p1; the angle grows with the distance moved over the ball's diameter.
    float axis[3] = {b[1] * a[2] - b[2] * a[1], b[2] * a[0] - b[0] * a[2],
                     b[0] * a[1] - b[1] * a[0]};
    const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    const float t = std::clamp(std::sqrt(dx * dx + dy * dy + dz * dz) / (2.0f * size), -1.0f, 1.0f);
    const float angle = 2.0f * std::asin(t);
    const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (length == 0)
        return {}; // the lifted points are parallel: no axis to turn about
    const float s = std::sin(angle / 2) / length;
    return {axis[0] * s, axis[1] * s, axis[2] * s, std::cos(angle / 2)};
}

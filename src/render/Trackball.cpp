// The trackball: points lifted onto a sphere that becomes a hyperbolic sheet away from the centre,
// so a drag far out still turns smoothly.
#include "render/Trackball.h"

#include "core/Vec3.h"

#include <algorithm>
#include <cmath>

namespace vorn {

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
    const Vec3f a = {p1.x, p1.y, LiftedZ(p1.x, p1.y, size)};
    const Vec3f b = {p2.x, p2.y, LiftedZ(p2.x, p2.y, size)};
    // The axis is p2 × p1; the angle grows with the distance moved over the ball's diameter.
    const Vec3f axis = Cross(b, a);
    const float t = std::clamp(Length(Sub(a, b)) / (2.0f * size), -1.0f, 1.0f);
    const float angle = 2.0f * std::asin(t);
    const float length = Length(axis);
    if (length == 0)
        return {}; // the lifted points are parallel: no axis to turn about
    const float s = std::sin(angle / 2) / length;
    return {axis[0] * s, axis[1] * s, axis[2] * s, std::cos(angle / 2)};
}

} // namespace vorn

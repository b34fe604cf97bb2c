// The virtual trackball: window points to normalised coordinates, and the rotation step between
// two points.
#pragma once

#include "model/MotionState.h"

namespace vorn {

struct TrackPoint {
    float x = 0, y = 0;
};

// Window pixel (x, y), y downward, to (-1..1, -1..1) with y upward.
TrackPoint NormalisedPoint(int x, int y, int width, int height);

// The quaternion that turns the ball of radius size (the sensitivity; smaller turns faster) as
// the mouse moves from p1 to p2; the identity when they coincide.
Quaternion TrackballIncrement(TrackPoint p1, TrackPoint p2, float size);

} // namespace vorn

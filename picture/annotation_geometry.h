// The shapes behind an arrow, shared by its bounds, its hit test and its
// painting so that the three never disagree. Platform-free.
#pragma once

#include "picture/annotation.h"

namespace annotation {

// A point of the plane; a pixel (x, y) is the unit square whose centre is
// (x + 0.5, y + 0.5).
struct Spot {
    double x = 0, y = 0;
};

// An arrow as two convex polygons: its shaft (four corners, from the tail to
// the base of the head; none when the head reaches past the tail) and its
// head (three corners, the point first).
struct ArrowShape {
    Spot shaft[4];
    bool hasShaft = false;
    Spot head[3];
    bool hasHead = false;  // false for an arrow whose ends are one pixel
};

ArrowShape arrowShape(const Object& arrow);

// Whether p lies inside the convex polygon of n corners, or on its edge.
bool insideConvex(const Spot* corners, int n, Spot p);
// The distance from p to the convex polygon, 0 inside.
double distanceToConvex(const Spot* corners, int n, Spot p);

}  // namespace annotation

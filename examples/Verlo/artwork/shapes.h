#pragma once
// Shapes for Canvas::Fill as signed distances (negative inside) with a bounding box. Angles are in
// degrees, 0 pointing up and growing clockwise, as a knob turns.
#include <cmath>

#include "examples/Verlo/artwork/canvas.h"

namespace artwork {

constexpr float kPi = 3.14159265358979f;

inline float Radians(float degrees) { return degrees * (kPi / 180.0f); }
// The point at a distance and angle from a centre.
inline float PolarX(float cx, float r, float degrees) { return cx + r * std::sin(Radians(degrees)); }
inline float PolarY(float cy, float r, float degrees) { return cy - r * std::cos(Radians(degrees)); }

inline Box BoundsAround(float x0, float y0, float x1, float y1, float margin) {
  return {static_cast<int>(std::floor(x0 - margin)), static_cast<int>(std::floor(y0 - margin)),
          static_cast<int>(std::ceil(x1 + margin)) + 1, static_cast<int>(std::ceil(y1 + margin)) + 1};
}

struct Disc {
  float cx, cy, r;
  float Distance(float x, float y) const { return std::hypot(x - cx, y - cy) - r; }
  Box Bounds() const { return BoundsAround(cx, cy, cx, cy, r + 1); }
};

// A band of the given half width around a circle.
struct Ring {
  float cx, cy, r, halfWidth;
  float Distance(float x, float y) const { return std::fabs(std::hypot(x - cx, y - cy) - r) - halfWidth; }
  Box Bounds() const { return BoundsAround(cx, cy, cx, cy, r + halfWidth + 1); }
};

// A segment with round ends: the points within halfWidth of the line from (x0, y0) to (x1, y1).
struct Capsule {
  float x0, y0, x1, y1, halfWidth;
  float Distance(float x, float y) const {
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    const float t = len2 > 0.0f ? Clamp01(((x - x0) * dx + (y - y0) * dy) / len2) : 0.0f;
    return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - halfWidth;
  }
  Box Bounds() const {
    return BoundsAround(std::fmin(x0, x1), std::fmin(y0, y1), std::fmax(x0, x1), std::fmax(y0, y1),
                        halfWidth + 1);
  }
};

// A stroke along a circle from angle `from` to angle `to` (from <= to), with round ends.
struct Arc {
  float cx, cy, r, halfWidth, from, to;
  float Distance(float x, float y) const {
    const float dx = x - cx, dy = y - cy;
    float a = std::atan2(dx, -dy) * (180.0f / kPi);
    const float mid = 0.5f * (from + to);
    while (a < mid - 180.0f) a += 360.0f;
    while (a > mid + 180.0f) a -= 360.0f;
    if (a >= from && a <= to) return std::fabs(std::hypot(dx, dy) - r) - halfWidth;
    const float end = a < from ? from : to;
    return std::hypot(x - PolarX(cx, r, end), y - PolarY(cy, r, end)) - halfWidth;
  }
  Box Bounds() const { return BoundsAround(cx, cy, cx, cy, r + halfWidth + 1); }
};

struct RoundRect {
  float left, top, right, bottom, radius;
  float Distance(float x, float y) const {
    const float hx = 0.5f * (right - left) - radius, hy = 0.5f * (bottom - top) - radius;
    const float qx = std::fabs(x - 0.5f * (left + right)) - hx, qy = std::fabs(y - 0.5f * (top + bottom)) - hy;
    return std::hypot(std::fmax(qx, 0.0f), std::fmax(qy, 0.0f)) + std::fmin(std::fmax(qx, qy), 0.0f) - radius;
  }
  Box Bounds() const { return BoundsAround(left, top, right, bottom, 1); }
};

// The shape moved by (dx, dy).
template <class Shape> struct Moved {
  Shape shape;
  float dx, dy;
  float Distance(float x, float y) const { return shape.Distance(x - dx, y - dy); }
  Box Bounds() const {
    const Box b = shape.Bounds();
    return BoundsAround(b.left + dx, b.top + dy, b.right + dx, b.bottom + dy, 1);
  }
};
template <class Shape> Moved<Shape> Move(const Shape& s, float dx, float dy) { return {s, dx, dy}; }

// What lies in the first shape and not in the second.
template <class A, class B> struct Cut {
  A keep;
  B away;
  float Distance(float x, float y) const { return std::fmax(keep.Distance(x, y), -away.Distance(x, y)); }
  Box Bounds() const { return keep.Bounds(); }
};
template <class A, class B> Cut<A, B> Minus(const A& a, const B& b) { return {a, b}; }

// Light falls from the top left: 1 on the lit side of a centre, 0 on the far side.
inline float Lit(float x, float y, float cx, float cy, float r) {
  return Clamp01(0.5f - 0.5f * ((x - cx) + (y - cy)) * 0.70710678f / r);
}

}  // namespace artwork

#pragma once
// Polylines built in code for the sketch-geometry tests.

#include <cmath>
#include <functional>
#include <vector>

#include "sketch/PolyLine.h"

namespace geometry_test {

using vynsketch::PolyLine;
using V2 = Wml::Vector2<float>;

constexpr double PI = 3.14159265358979323846;

/// Appends a closed loop through the points (in the given order) to line.
inline void AddLoop(PolyLine& line, const std::vector<V2>& points)
{
    const unsigned first = line.GetNumVertices();
    for (const V2& p : points) line.AddVertex(p);
    const unsigned n = static_cast<unsigned>(points.size());
    for (unsigned i = 0; i < n; ++i) line.AddEdge(PolyLine::Edge(first + i, first + (i + 1) % n));
}

/// n points on a closed curve r(angle) around (cx, cy), counter-clockwise.
inline std::vector<V2> Radial(unsigned n, float cx, float cy, const std::function<double(double)>& radius)
{
    std::vector<V2> points;
    for (unsigned i = 0; i < n; ++i) {
        const double a = 2.0 * PI * i / n;
        const double r = radius(a);
        points.push_back(V2(float(cx + r * std::cos(a)), float(cy + r * std::sin(a))));
    }
    return points;
}

inline std::vector<V2> Circle(unsigned n, float cx, float cy, float r)
{
    return Radial(n, cx, cy, [r](double) { return r; });
}

inline PolyLine Loop(const std::vector<V2>& points)
{
    PolyLine line;
    AddLoop(line, points);
    return line;
}

/// The axis-aligned square [x, x + s] x [y, y + s], counter-clockwise.
inline std::vector<V2> Square(float x, float y, float s)
{
    return {V2(x, y), V2(x + s, y), V2(x + s, y + s), V2(x, y + s)};
}

}  // namespace geometry_test

#pragma once
// What the curve leaves (Bezier curve, curve sweep) draw when selected: the
// curve sampled evenly by parameter, and line strips through points.

#include <GL/gl.h>

#include <vector>

#include "wml/Vector3.h"

namespace vynui_bt {

/// count positions of curve at parameters i / (count - 1).
template <class Curve>
std::vector<Wml::Vector3<float>> SampleCurvePositions(const Curve& curve, int count)
{
    std::vector<Wml::Vector3<float>> samples;
    samples.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) samples.push_back(curve.GetPosition(static_cast<float>(i) / (count - 1)));
    return samples;
}

/// A GL line strip of the given width through points, in the current colour.
inline void DrawStrip(const std::vector<Wml::Vector3<float>>& points, float width)
{
    glLineWidth(width);
    glBegin(GL_LINE_STRIP);
    for (const Wml::Vector3<float>& p : points) glVertex3f(p.X(), p.Y(), p.Z());
    glEnd();
}

}  // namespace vynui_bt

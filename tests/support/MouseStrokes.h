#pragma once
// Synthetic strokes sampled the way a mouse reports them: a few pixels apart
// along the path, with small jitter from a fixed-seed generator.

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "sketch/StrokeFactory.h"
#include "wml/Vector2.h"

namespace sketchtest {

using Wml::Vector2f;

constexpr float PI = 3.14159265358979f;

/// A path through the plane, t in [0, 1].
using Path = std::function<Vector2f(float t)>;

/// Samples the path every `spacing` pixels of arc length, adding uniform
/// jitter of +-noise pixels per coordinate. The path end is always included.
inline std::vector<Vector2f> SampleMouse(const Path& path, float spacing = 4.0f, float noise = 0.35f,
                                         unsigned seed = 7)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> jitter(-noise, noise);
    std::vector<Vector2f> out;
    const int steps = 20000;
    Vector2f last = path(0.0f);
    out.push_back(last + Vector2f(jitter(rng), jitter(rng)));
    float travelled = 0.0f;
    Vector2f prev = last;
    for (int i = 1; i <= steps; ++i) {
        Vector2f p = path(static_cast<float>(i) / steps);
        travelled += (p - prev).Length();
        prev = p;
        if (travelled >= spacing || i == steps) {
            out.push_back(p + Vector2f(jitter(rng), jitter(rng)));
            travelled = 0.0f;
        }
    }
    return out;
}

inline Path Line(Vector2f a, Vector2f b)
{
    return [=](float t) { return a + (b - a) * t; };
}

/// Counter-clockwise arc (or several turns when the angles say so).
inline Path Arc(Vector2f centre, float radius, float fromAngle, float toAngle)
{
    return [=](float t) {
        float a = fromAngle + (toAngle - fromAngle) * t;
        return centre + Vector2f(std::cos(a), std::sin(a)) * radius;
    };
}

/// Spiral whose radius grows linearly from r0 to r1 over `turns` turns.
inline Path Spiral(Vector2f centre, float r0, float r1, float turns)
{
    return [=](float t) {
        float a = 2.0f * PI * turns * t;
        float r = r0 + (r1 - r0) * t;
        return centre + Vector2f(std::cos(a), std::sin(a)) * r;
    };
}

/// Back-and-forth zig-zag of `legs` straight legs of the given width,
/// advancing by `advance` per leg.
inline Path ZigZag(Vector2f start, float width, float advance, int legs)
{
    return [=](float t) {
        float s = t * legs;
        int leg = std::min(static_cast<int>(s), legs - 1);
        float u = s - leg;
        float x0 = (leg % 2 == 0) ? 0.0f : width, x1 = (leg % 2 == 0) ? width : 0.0f;
        Vector2f a = start + Vector2f(x0, advance * leg);
        Vector2f b = start + Vector2f(x1, advance * (leg + 1));
        return a + (b - a) * u;
    };
}

/// S-shaped curve: two opposite half circles.
inline Path SCurve(Vector2f start, float radius)
{
    return [=](float t) {
        if (t < 0.5f) {
            float a = -0.5f * PI + 2.0f * t * PI;  // lower half circle, counter-clockwise
            return start + Vector2f(0.0f, radius) + Vector2f(std::cos(a), std::sin(a)) * radius;
        }
        float a = -0.5f * PI - (2.0f * t - 1.0f) * PI;  // upper half circle, clockwise
        return start + Vector2f(0.0f, 3.0f * radius) + Vector2f(std::cos(a), std::sin(a)) * radius;
    };
}

/// Points reported at a fixed rate while the hand moves along `position(t)`
/// (t in [0, 1] is time, not arc length), `samples` reports in all, jittered
/// by +-noise pixels and rounded to whole pixels as a mouse delivers them.
inline std::vector<Vector2f> SampleTimed(const Path& position, int samples, float noise, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> jitter(-noise, noise);
    std::vector<Vector2f> out;
    for (int i = 0; i <= samples; ++i) {
        const Vector2f p = position(static_cast<float>(i) / samples);
        out.push_back(Vector2f(std::round(p.X() + jitter(rng)), std::round(p.Y() + jitter(rng))));
    }
    return out;
}

/// A hand-drawn erase scribble: `legs` back-and-forth legs of about the
/// given width (each leg a little longer or shorter), moving on sideways by
/// `advance` per leg, turned by `angle` about `start`. The hand slows to a
/// stop along the legs at every tip (ease in and out), so reports crowd
/// there; the sideways motion goes on through the tip for the fraction
/// `roundTips` of it (0: pointed tips, 1: an even sideways pace that rounds
/// them), and each leg bows sideways by `bow` pixels.
inline Path HandScribble(Vector2f start, float width, float advance, int legs, float angle, float bow,
                         float roundTips)
{
    const Vector2f along(std::cos(angle), std::sin(angle)), across(-std::sin(angle), std::cos(angle));
    auto reach = [width](int tip) { return width * (tip % 2) * (1.0f + 0.12f * std::sin(2.4f * tip)); };
    return [=](float t) {
        const float s = t * legs;
        const int leg = std::min(static_cast<int>(s), legs - 1);
        const float u = s - leg;
        const float eased = 0.5f - 0.5f * std::cos(PI * u);
        const float x0 = reach(leg), x1 = reach(leg + 1);
        const float x = x0 + (x1 - x0) * eased;
        const float y =
            advance * (leg + roundTips * u + (1.0f - roundTips) * eased) + bow * std::sin(PI * eased);
        return start + along * x + across * y;
    };
}

/// Circling by hand: `turns` turns round `centre` at an even pace, the
/// radius drifting from r0 to r1, squashed to an ellipse by `aspect`
/// along the direction `angle`; clockwise when `clockwise`.
inline Path HandCircling(Vector2f centre, float r0, float r1, float turns, float aspect, float angle,
                         bool clockwise)
{
    const Vector2f major(std::cos(angle), std::sin(angle)), minor(-std::sin(angle), std::cos(angle));
    return [=](float t) {
        const float a = (clockwise ? -1.0f : 1.0f) * 2.0f * PI * turns * t + angle;
        const float r = r0 + (r1 - r0) * t;
        return centre + major * (r * std::cos(a)) + minor * (aspect * r * std::sin(a));
    };
}

/// A factory on an 800 x 600 drawing area.
inline void SetArea800x600(vynsketch::StrokeFactory& factory)
{
    const unsigned int area[4] = {0, 0, 800, 600};
    factory.SetDrawingAreaSize(area);
}

/// Feeds the points as one stroke and returns the classification.
inline vynsketch::StrokeFactory::StrokeType Draw(vynsketch::StrokeFactory& factory,
                                                 const std::vector<Vector2f>& points)
{
    factory.BeginNewStroke();
    for (const Vector2f& p : points) factory.AddStrokeVertex(p);
    return factory.EndStroke();
}

}  // namespace sketchtest

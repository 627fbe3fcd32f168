#pragma once
// Gestures as a person draws them with a mouse: the hand moves in smooth
// submovements that slow to a stop at their ends (and may blend into the
// next one), trembles by a pixel or two, and the mouse reports whole pixels
// at an uneven rate. Everything is drawn from a seeded generator, so a
// stroke set is the same on every run.

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "tests/support/MouseStrokes.h"
#include "wml/Vector2.h"

namespace gesturetest {

using sketchtest::Path;
using sketchtest::PI;
using Wml::Vector2f;

/// Mouse reports of one drag: positions in whole pixels and their times in
/// seconds from the press.
struct Reports {
    std::vector<Vector2f> points;
    std::vector<double> times;
};

class Hand {
public:
    explicit Hand(unsigned seed) : m_rng(seed) {}

    float Uniform(float a, float b) { return std::uniform_real_distribution<float>(a, b)(m_rng); }
    int UniformInt(int a, int b) { return std::uniform_int_distribution<int>(a, b)(m_rng); }
    bool Chance(float p) { return Uniform(0.0f, 1.0f) < p; }
    Vector2f Direction(float angle) { return Vector2f(std::cos(angle), std::sin(angle)); }
    Vector2f Somewhere() { return Vector2f(Uniform(250.0f, 550.0f), Uniform(200.0f, 400.0f)); }

    /// Reports while the hand follows `path` (t in [0, 1] is time) for
    /// `duration` seconds: one every 8 to 16 ms (this mouse's rate, each
    /// interval off by up to 30 %, now and then one lost), with a tremor of
    /// `tremor` pixels of slow wobble plus up to a pixel of fast jitter,
    /// rounded to whole pixels. The hand rests a moment before releasing.
    Reports Sample(const Path& path, double duration, float tremor)
    {
        Reports out;
        const double interval = Uniform(0.008f, 0.016f);
        float freq[2][2], phase[2][2];
        for (auto& f : freq)
            for (float& x : f) x = Uniform(2.0f, 8.0f);
        for (auto& p : phase)
            for (float& x : p) x = Uniform(0.0f, 2.0f * PI);
        auto at = [&](double t) {
            const Vector2f ideal = path(float(std::min(1.0, t / duration)));
            float wobble[2];
            for (int axis = 0; axis < 2; ++axis)
                wobble[axis] = 0.5f * tremor *
                               (std::sin(2.0f * PI * freq[axis][0] * float(t) + phase[axis][0]) +
                                std::sin(2.0f * PI * freq[axis][1] * float(t) + phase[axis][1]));
            return Vector2f(std::round(ideal.X() + wobble[0] + Uniform(-1.0f, 1.0f)),
                            std::round(ideal.Y() + wobble[1] + Uniform(-1.0f, 1.0f)));
        };
        const double rest = duration + Uniform(0.0f, 0.08f);
        for (double t = 0.0; t < rest; t += interval * Uniform(0.7f, 1.3f) * (Chance(0.05f) ? 2.0 : 1.0)) {
            out.points.push_back(at(t));
            out.times.push_back(t);
        }
        out.points.push_back(at(rest));
        out.times.push_back(rest);
        return out;
    }

private:
    std::mt19937 m_rng;
};

/// Minimum-jerk progress: the hand's typical speed profile of a reach.
inline float Reach(float u)
{
    u = std::min(1.0f, std::max(0.0f, u));
    return u * u * u * (10.0f + u * (-15.0f + 6.0f * u));
}

/// Through the way points by one reach per leg. Each leg starts when the
/// previous one is `1 - overlap` done, so overlap 0 stops at every way point
/// and larger overlaps round the turns as a hurried hand does. Leg k bows
/// sideways by bows[k] pixels at its middle (missing entries: straight).
inline Path Submovements(std::vector<Vector2f> way, float overlap, std::vector<float> bows = {})
{
    const int legs = int(way.size()) - 1;
    bows.resize(std::max(legs, 0), 0.0f);
    // Leg lengths set their share of the time (longer reaches take longer).
    std::vector<float> start(legs + 1, 0.0f), length(legs, 0.0f);
    for (int k = 0; k < legs; ++k) length[k] = std::sqrt((way[k + 1] - way[k]).Length() + 25.0f);
    for (int k = 0; k < legs; ++k)
        start[k + 1] = start[k] + length[k] * (1.0f - (k + 1 < legs ? overlap : 0.0f));
    const float total = start[legs - 1] + length[legs - 1];
    return [=](float t) {
        const float time = t * total;
        Vector2f p = way[0];
        for (int k = 0; k < legs; ++k) {
            const float u = Reach((time - start[k]) / length[k]);
            const Vector2f d = way[k + 1] - way[k];
            const float len = d.Length();
            const Vector2f side = len > 0.0f ? Vector2f(-d.Y(), d.X()) / len : Vector2f(0.0f, 0.0f);
            p += d * u + side * (bows[k] * std::sin(PI * u));
        }
        return p;
    };
}

}  // namespace gesturetest

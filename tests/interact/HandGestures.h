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

/// Rotates v by angle.
inline Vector2f Turned(const Vector2f& v, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return Vector2f(c * v.X() - s * v.Y(), s * v.X() + c * v.Y());
}

constexpr float DEG = PI / 180.0f;

// One drawing of each gesture as a person makes it; sizes, angles, speed and
// tremor vary from drawing to drawing.

/// A click: the mouse may shift by a pixel or two before the release.
inline Reports DrawTap(Hand& hand)
{
    Reports out;
    const Vector2f at = hand.Somewhere();
    const Vector2f press(std::round(at.X()), std::round(at.Y()));
    double t = 0.0;
    out.points.push_back(press);
    out.times.push_back(t);
    const int moves = hand.UniformInt(0, 6);
    for (int i = 0; i <= moves; ++i) {
        t += hand.Uniform(0.008f, 0.04f);
        out.points.push_back(press + Vector2f(float(hand.UniformInt(-2, 2)), float(hand.UniformInt(-2, 2))));
        out.times.push_back(t);
    }
    return out;
}

/// A straight stroke of 50 to 400 pixels in any direction, bowed a little.
inline Reports DrawLine(Hand& hand)
{
    const float length = hand.Uniform(50.0f, 400.0f);
    const Vector2f d = hand.Direction(hand.Uniform(0.0f, 2.0f * PI)) * length;
    const Vector2f a = hand.Somewhere() - d * 0.5f;
    const float bow = hand.Uniform(-0.015f, 0.015f) * length;
    const double duration = hand.Uniform(0.15f, 0.3f) + length / hand.Uniform(400.0f, 1500.0f);
    return hand.Sample(Submovements({a, a + d}, 0.0f, {bow}), duration, hand.Uniform(1.0f, 2.0f));
}

/// Out and back along nearly the same track (the arms a few degrees apart,
/// the way back 0.75 to 1.3 times as long).
inline Reports DrawHairpin(Hand& hand)
{
    const float length = hand.Uniform(60.0f, 300.0f);
    const float angle = hand.Uniform(0.0f, 2.0f * PI);
    const Vector2f out = hand.Direction(angle) * length;
    const Vector2f back = Turned(-out, hand.Uniform(-4.0f, 4.0f) * DEG) * hand.Uniform(0.75f, 1.3f);
    const Vector2f a = hand.Somewhere() - out * 0.5f;
    const double duration = 2.0 * (hand.Uniform(0.12f, 0.25f) + length / hand.Uniform(400.0f, 1500.0f));
    return hand.Sample(
        Submovements({a, a + out, a + out + back}, hand.Uniform(0.0f, 0.15f),
                     {hand.Uniform(-0.01f, 0.01f) * length, hand.Uniform(-0.01f, 0.01f) * length}),
        duration, hand.Uniform(1.0f, 2.0f));
}

/// An L: a right angle give or take 8 degrees, turning either way, the
/// second arm 0.4 to 2.5 times the first.
inline Reports DrawCorner(Hand& hand)
{
    const float first = hand.Uniform(60.0f, 300.0f);
    const float second = first * std::exp(hand.Uniform(std::log(0.4f), std::log(2.5f)));
    const float angle = hand.Uniform(0.0f, 2.0f * PI);
    const float turn = (hand.Chance(0.5f) ? 1.0f : -1.0f) * (90.0f + hand.Uniform(-8.0f, 8.0f)) * DEG;
    const Vector2f arm1 = hand.Direction(angle) * first, arm2 = hand.Direction(angle + turn) * second;
    const Vector2f a = hand.Somewhere() - (arm1 + arm2) * 0.5f;
    const double duration = hand.Uniform(0.25f, 0.5f) + (first + second) / hand.Uniform(400.0f, 1500.0f);
    return hand.Sample(
        Submovements({a, a + arm1, a + arm1 + arm2}, hand.Uniform(0.0f, 0.15f),
                     {hand.Uniform(-0.01f, 0.01f) * first, hand.Uniform(-0.01f, 0.01f) * second}),
        duration, hand.Uniform(1.0f, 2.0f));
}

/// Back and forth 5 to 10 times across 40 to 150 pixels, moving on sideways
/// a few pixels per leg, the tips more or less rounded by a hurried hand.
inline Reports DrawScribble(Hand& hand)
{
    const int legs = hand.UniformInt(5, 10);
    const float width = hand.Uniform(40.0f, 150.0f);
    const float advance = hand.Uniform(4.0f, 15.0f);
    const float angle = hand.Uniform(0.0f, 2.0f * PI);
    const Vector2f along = hand.Direction(angle), across = hand.Direction(angle + 0.5f * PI);
    const Vector2f start = hand.Somewhere() - along * (0.5f * width) - across * (0.5f * advance * legs);
    std::vector<Vector2f> way;
    std::vector<float> bows;
    for (int k = 0; k <= legs; ++k) {
        const float reach =
            (k % 2) ? width * hand.Uniform(0.88f, 1.12f) : width * hand.Uniform(-0.06f, 0.06f);
        way.push_back(start + along * reach + across * (advance * float(k)));
        bows.push_back(hand.Uniform(-0.05f, 0.05f) * width);
    }
    const double duration = legs * (hand.Uniform(0.08f, 0.15f) + width / hand.Uniform(600.0f, 1500.0f));
    return hand.Sample(Submovements(way, hand.Uniform(0.0f, 0.25f), bows), duration,
                       hand.Uniform(1.0f, 2.0f));
}

/// Round and round 2.2 to 3.5 times, the loops drifting, growing or
/// shrinking and a little squashed, either way round.
inline Reports DrawCircle(Hand& hand)
{
    const float turns = hand.Uniform(2.2f, 3.5f);
    const float r0 = hand.Uniform(20.0f, 120.0f), r1 = r0 * hand.Uniform(0.85f, 1.15f);
    const Path loops = sketchtest::HandCircling(hand.Somewhere(), r0, r1, turns, hand.Uniform(0.75f, 1.0f),
                                                hand.Uniform(0.0f, 2.0f * PI), hand.Chance(0.5f));
    const Vector2f drift = hand.Direction(hand.Uniform(0.0f, 2.0f * PI)) * (hand.Uniform(0.0f, 0.25f) * r0);
    const double duration = turns * hand.Uniform(0.35f, 0.9f);
    return hand.Sample([=](float t) { return loops(t) + drift * t; }, duration, hand.Uniform(1.0f, 2.0f));
}

/// A stroke that crosses itself about square: either a loop (along, round
/// about three quarters of a turn and down through the first stretch) or an
/// X made in one go (one diagonal, up the side, the other diagonal).
inline Reports DrawCrossing(Hand& hand)
{
    const float angle = hand.Uniform(0.0f, 2.0f * PI);
    const float side = hand.Chance(0.5f) ? 1.0f : -1.0f;
    if (hand.Chance(0.5f)) {
        const float length = hand.Uniform(80.0f, 200.0f), radius = hand.Uniform(20.0f, 50.0f);
        const float turn = (270.0f + hand.Uniform(-15.0f, 15.0f)) * DEG;
        const float tail = 1.4f * radius + hand.Uniform(20.0f, 60.0f);
        const float arc = radius * turn, total = length + arc + tail;
        const Vector2f origin = hand.Somewhere() - hand.Direction(angle) * (0.5f * length);
        // Arc length s along: the first stretch, the turn, the tail.
        auto along = [=](float s) {
            Vector2f local;
            if (s <= length) {
                local = Vector2f(s, 0.0f);
            } else if (s <= length + arc) {
                const float a = (s - length) / radius;
                local = Vector2f(length + radius * std::sin(a), radius - radius * std::cos(a));
            } else {
                const Vector2f end(length + radius * std::sin(turn), radius - radius * std::cos(turn));
                local = end + Vector2f(std::cos(turn), std::sin(turn)) * (s - length - arc);
            }
            return origin + Turned(Vector2f(local.X(), side * local.Y()), angle);
        };
        const double duration = hand.Uniform(0.3f, 0.6f) + total / hand.Uniform(400.0f, 1200.0f);
        return hand.Sample([=](float t) { return along(total * Reach(t)); }, duration,
                           hand.Uniform(1.0f, 2.0f));
    }
    const float w = hand.Uniform(50.0f, 150.0f), h = w * hand.Uniform(0.8f, 1.25f);
    const Vector2f c = hand.Somewhere();
    auto corner = [&](float x, float y) { return c + Turned(Vector2f(x * w, side * y * h) * 0.5f, angle); };
    const double duration = hand.Uniform(0.4f, 0.8f) + 3.0f * w / hand.Uniform(400.0f, 1200.0f);
    return hand.Sample(
        Submovements({corner(-1, 1), corner(1, -1), corner(1, 1), corner(-1, -1)}, hand.Uniform(0.0f, 0.15f)),
        duration, hand.Uniform(1.0f, 2.0f));
}

/// What a person sketches that is no gesture: arcs, S-bends, waves and
/// outlines closed once round.
inline Reports DrawCurve(Hand& hand)
{
    const Vector2f c = hand.Somewhere();
    const float angle = hand.Uniform(0.0f, 2.0f * PI);
    const float size = hand.Uniform(50.0f, 150.0f);
    const double duration = hand.Uniform(0.4f, 1.2f);
    const float tremor = hand.Uniform(1.0f, 2.0f);
    switch (hand.UniformInt(0, 3)) {
        case 0: {  // arc of a third to half a turn and more
            const float sweep = hand.Uniform(0.35f, 0.55f) * 2.0f * PI;
            const Path arc = sketchtest::Arc(c, size, angle, angle + sweep);
            return hand.Sample([=](float t) { return arc(Reach(t)); }, duration, tremor);
        }
        case 1: {  // S-bend
            const Path s = sketchtest::SCurve(c, 0.5f * size);
            return hand.Sample([=](float t) { return c + Turned(s(Reach(t)) - c, angle); }, duration, tremor);
        }
        case 2: {  // wave across
            const float amplitude = size * hand.Uniform(0.2f, 0.4f), periods = hand.Uniform(1.0f, 2.0f);
            return hand.Sample(
                [=](float t) {
                    const float u = Reach(t);
                    return c +
                           Turned(Vector2f(3.0f * size * u, amplitude * std::sin(2.0f * PI * periods * u)),
                                  angle);
                },
                duration, tremor);
        }
        default: {  // an outline once round, closing near its start
            const float aspect = hand.Uniform(0.5f, 1.0f), sweep = hand.Uniform(0.9f, 1.05f) * 2.0f * PI;
            return hand.Sample(
                [=](float t) {
                    const float a = sweep * Reach(t);
                    return c + Turned(Vector2f(size * std::cos(a), aspect * size * std::sin(a)), angle);
                },
                duration, tremor);
        }
    }
}

}  // namespace gesturetest

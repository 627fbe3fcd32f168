// Stroke classification on strokes sampled like mouse input on an 800 x 600
// drawing area, and the classifiers on small hand-made strokes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "sketch/Stroke.h"
#include "tests/support/MouseStrokes.h"
#include "wml/DebugOutput.h"

using namespace sketchtest;
using vynsketch::Stroke;
using vynsketch::StrokeFactory;

namespace {

StrokeFactory::StrokeType Classify(const std::vector<Vector2f>& points)
{
    StrokeFactory factory;
    SetArea800x600(factory);
    return Draw(factory, points);
}

Stroke MakeStroke(const std::vector<Vector2f>& points)
{
    return Stroke(points, std::vector<float>(points.size(), 0.01f));
}

// Simplify traces every stroke; keep the test output quiet.
class StrokeClassification : public ::testing::Test {
protected:
    Wml::ScopedDebugOutputSink quiet{[](const char*) {}};
};

}  // namespace

TEST_F(StrokeClassification, GesturesDrawnWithTheMouse)
{
    // A zig-zag of six or more legs is the erase gesture.
    for (int legs : {6, 8, 12}) {
        EXPECT_EQ(Classify(SampleMouse(ZigZag(Vector2f(300, 200), 150, 15, legs))),
                  StrokeFactory::SharpScribbleStroke)
            << legs << " legs";
    }
    // Narrow zig-zags too, at another seed.
    EXPECT_EQ(Classify(SampleMouse(ZigZag(Vector2f(200, 100), 60, 10, 7), 4.0f, 0.35f, 21)),
              StrokeFactory::SharpScribbleStroke);

    // More than two turns around the centre is the smoothing gesture.
    EXPECT_EQ(Classify(SampleMouse(Spiral(Vector2f(400, 300), 30, 150, 2.5f))),
              StrokeFactory::MultipleLoopsStroke);
    EXPECT_EQ(Classify(SampleMouse(Arc(Vector2f(400, 300), 100, 0, 6 * PI))),
              StrokeFactory::MultipleLoopsStroke);
}

TEST_F(StrokeClassification, OrdinaryStrokesAreNormal)
{
    // A circle drawn once sweeps about 2 pi: not multiple loops.
    EXPECT_EQ(Classify(SampleMouse(Arc(Vector2f(400, 300), 100, 0, 2 * PI))), StrokeFactory::NormalStroke);
    EXPECT_EQ(Classify(SampleMouse(Arc(Vector2f(400, 300), 100, 0, 2 * PI), 3.0f, 0.5f, 99)),
              StrokeFactory::NormalStroke);
    EXPECT_EQ(Classify(SampleMouse(SCurve(Vector2f(400, 100), 80))), StrokeFactory::NormalStroke);
    EXPECT_EQ(Classify(SampleMouse(Arc(Vector2f(400, 300), 150, 0.2f, 2.0f))), StrokeFactory::NormalStroke);
    // Two back-and-forth legs are not yet a scribble.
    EXPECT_EQ(Classify(SampleMouse(ZigZag(Vector2f(300, 200), 150, 15, 3))), StrokeFactory::NormalStroke);
}

TEST_F(StrokeClassification, StraightMouseStrokesAreLines)
{
    for (float length : {40.0f, 150.0f, 400.0f}) {
        for (float degrees : {0.0f, 30.0f, 110.0f, 225.0f}) {
            const float a = degrees * PI / 180.0f;
            const Vector2f start(400, 300), end = start + Vector2f(std::cos(a), std::sin(a)) * length;
            EXPECT_EQ(Classify(SampleMouse(Line(start, end))), StrokeFactory::LineStroke)
                << length << " px at " << degrees << " degrees";
        }
    }
    // Input that simplifies to two or three vertices is a line.
    EXPECT_EQ(Classify({Vector2f(10, 10), Vector2f(300, 200)}), StrokeFactory::LineStroke);
    EXPECT_EQ(Classify({Vector2f(10, 10), Vector2f(150, 100), Vector2f(300, 200)}),
              StrokeFactory::LineStroke);
}

TEST_F(StrokeClassification, LineTestAgainstTheChord)
{
    Stroke empty;
    EXPECT_FALSE(empty.IsLineStroke());
    EXPECT_FALSE(MakeStroke({Vector2f(1, 1)}).IsLineStroke());
    EXPECT_TRUE(MakeStroke({Vector2f(0, 0), Vector2f(10, 0)}).IsLineStroke());
    // A V of three vertices is no line.
    EXPECT_FALSE(MakeStroke({Vector2f(0, 0), Vector2f(100, 100), Vector2f(200, 0)}).IsLineStroke());

    // Chord 190 long: vertices within 5 % of it (9.5) do not count.
    std::vector<Vector2f> near;
    for (int i = 0; i < 20; ++i) near.push_back(Vector2f(10.0f * i, (i % 2) ? 9.0f : -9.0f));
    near.back() = Vector2f(190, 0);
    near.front() = Vector2f(0, 0);
    EXPECT_TRUE(MakeStroke(near).IsLineStroke());
    // One stray in 20 vertices is 5 %, below the 10 % limit; two strays in
    // 20 are exactly 10 %, which is not below it.
    near[5] = Vector2f(50, 30);
    EXPECT_TRUE(MakeStroke(near).IsLineStroke());
    near[6] = Vector2f(60, -30);
    EXPECT_FALSE(MakeStroke(near).IsLineStroke());
}

TEST_F(StrokeClassification, ScribbleCountsStraightPiecesBetweenTurnBacks)
{
    EXPECT_FALSE(MakeStroke({Vector2f(0, 0), Vector2f(10, 0)}).IsSharpScribbleStroke());

    // Exact zig-zags: n legs give n pieces (the last ends at the last
    // interior vertex, so it counts the final leg's start).
    auto zigzag = [](int legs, float width) {
        std::vector<Vector2f> v;
        for (int i = 0; i <= legs; ++i) v.push_back(Vector2f((i % 2) ? width : 0.0f, 5.0f * i));
        return v;
    };
    EXPECT_FALSE(MakeStroke(zigzag(5, 100)).IsSharpScribbleStroke());  // 4 pieces
    EXPECT_TRUE(MakeStroke(zigzag(6, 100)).IsSharpScribbleStroke());   // 5 pieces

    // Turns of 120 degrees are not turn-backs.
    std::vector<Vector2f> hexagon;
    for (int i = 0; i <= 12; ++i) {
        float a = i * PI / 3.0f;
        hexagon.push_back(Vector2f(std::cos(a), std::sin(a)) * 100.0f);
    }
    EXPECT_FALSE(MakeStroke(hexagon).IsSharpScribbleStroke());

    // Legs that bulge are curved pieces: more curved than straight fails.
    std::vector<Vector2f> bulging;
    for (int leg = 0; leg < 8; ++leg) {
        const float x0 = (leg % 2) ? 100.0f : 0.0f, x1 = (leg % 2) ? 0.0f : 100.0f;
        for (int k = 0; k < 10; ++k) {
            const float u = k / 10.0f;
            bulging.push_back(Vector2f(x0 + (x1 - x0) * u, 5.0f * leg + 30.0f * std::sin(PI * u)));
        }
    }
    bulging.push_back(Vector2f(100, 40));
    EXPECT_FALSE(MakeStroke(bulging).IsSharpScribbleStroke());
}

TEST_F(StrokeClassification, LoopsCountTheAngleSweptAroundTheBoxCentre)
{
    auto circle = [](float turns, int perTurn) {
        std::vector<Vector2f> v;
        const int n = static_cast<int>(turns * perTurn);
        for (int i = 0; i <= n; ++i) {
            const float a = 2.0f * PI * i / perTurn;
            v.push_back(Vector2f(400, 300) + Vector2f(std::cos(a), std::sin(a)) * 100.0f);
        }
        return v;
    };
    EXPECT_FALSE(MakeStroke(circle(1.0f, 60)).IsMultipleLoopsStroke());
    EXPECT_FALSE(MakeStroke(circle(1.9f, 60)).IsMultipleLoopsStroke());
    EXPECT_TRUE(MakeStroke(circle(2.2f, 60)).IsMultipleLoopsStroke());
    EXPECT_TRUE(MakeStroke(circle(3.0f, 60)).IsMultipleLoopsStroke());
    // Unsigned angles: going back and forth over a half circle adds up too.
    std::vector<Vector2f> wiper;
    for (int pass = 0; pass < 5; ++pass) {
        std::vector<Vector2f> half = circle(0.5f, 60);
        if (pass % 2) std::reverse(half.begin(), half.end());
        wiper.insert(wiper.end(), half.begin() + (pass ? 1 : 0), half.end());
    }
    EXPECT_TRUE(MakeStroke(wiper).IsMultipleLoopsStroke());
    EXPECT_FALSE(MakeStroke({Vector2f(0, 0)}).IsMultipleLoopsStroke());
    EXPECT_FALSE(MakeStroke(circle(3.0f, 60)).IsLoopStroke());
}

TEST_F(StrokeClassification, FirstMatchWins)
{
    StrokeFactory factory;
    EXPECT_EQ(factory.ClassifyStroke(nullptr), StrokeFactory::RejectedStroke);
    Stroke single = MakeStroke({Vector2f(1, 1)});
    EXPECT_EQ(factory.ClassifyStroke(&single), StrokeFactory::RejectedStroke);

    // A dense zig-zag sweeps around its centre many times as well: the
    // scribble test comes first.
    std::vector<Vector2f> zigzag;
    for (int i = 0; i <= 12; ++i) zigzag.push_back(Vector2f((i % 2) ? 100.0f : 0.0f, 8.0f * i));
    Stroke scribble = MakeStroke(zigzag);
    ASSERT_TRUE(scribble.IsMultipleLoopsStroke());
    EXPECT_EQ(factory.ClassifyStroke(&scribble), StrokeFactory::SharpScribbleStroke);

    // A two-vertex stroke is a line before anything else.
    Stroke line = MakeStroke({Vector2f(0, 0), Vector2f(50, 50)});
    EXPECT_EQ(factory.ClassifyStroke(&line), StrokeFactory::LineStroke);
}

// ---- gestures drawn by hand with a mouse ------------------------------------------

namespace {

struct GestureSet {
    std::vector<std::vector<Vector2f>> strokes;
    std::vector<std::string> names;
};

// Erase scribbles of many sizes, paces and directions: whole-pixel reports,
// crowded at the tips where the hand turns.
GestureSet MouseScribbles(unsigned count, unsigned seed)
{
    std::mt19937 rng(seed);
    auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    GestureSet set;
    for (unsigned i = 0; i < count; ++i) {
        const float width = uniform(40.0f, 300.0f);
        const float advance = width * uniform(0.04f, 0.18f);
        const int legs = 6 + static_cast<int>(rng() % 7);
        const float angle = uniform(0.0f, 2.0f * PI);
        const float bow = width * uniform(-0.04f, 0.04f);
        const int perLeg = 6 + static_cast<int>(rng() % 30);
        const Vector2f start(400.0f - 0.5f * width, 300.0f - 0.5f * advance * legs);
        const float round = uniform(0.0f, 0.6f);
        set.strokes.push_back(SampleTimed(HandScribble(start, width, advance, legs, angle, bow, round),
                                          perLeg * legs, uniform(0.0f, 1.0f), seed * 1000 + i));
        set.names.push_back("scribble " + std::to_string(i) + ": width " + std::to_string(width) + ", " +
                            std::to_string(legs) + " legs, " + std::to_string(perLeg) + " reports per leg");
    }
    return set;
}

// Smoothing circlings: two and a half to four turns, round or oval, either way.
GestureSet MouseCirclings(unsigned count, unsigned seed)
{
    std::mt19937 rng(seed);
    auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    GestureSet set;
    for (unsigned i = 0; i < count; ++i) {
        const float r0 = uniform(25.0f, 150.0f);
        const float turns = uniform(2.5f, 4.0f);
        const int perTurn = 14 + static_cast<int>(rng() % 50);
        const bool clockwise = (rng() % 2) != 0;
        set.strokes.push_back(
            SampleTimed(HandCircling(Vector2f(400, 300), r0, r0 * uniform(0.75f, 1.3f), turns,
                                     uniform(0.6f, 1.0f), uniform(0.0f, 2.0f * PI), clockwise),
                        static_cast<int>(perTurn * turns), uniform(0.0f, 0.8f), seed * 1000 + i));
        set.names.push_back("circling " + std::to_string(i) + ": radius " + std::to_string(r0) + ", " +
                            std::to_string(perTurn) + " reports per turn");
    }
    return set;
}

}  // namespace

TEST_F(StrokeClassification, MouseScribblesAreRecognisedAndCirclingsAreNot)
{
    // Tips crowded with whole-pixel reports must not hide the turn-backs.
    const GestureSet scribbles = MouseScribbles(300, 5);
    unsigned recognised = 0;
    std::string missed;
    for (size_t i = 0; i < scribbles.strokes.size(); ++i) {
        const StrokeFactory::StrokeType type = Classify(scribbles.strokes[i]);
        recognised += type == StrokeFactory::SharpScribbleStroke;
        if (type != StrokeFactory::SharpScribbleStroke)
            missed += scribbles.names[i] + " -> " + std::to_string(type) + "\n";
    }
    EXPECT_GE(recognised, scribbles.strokes.size() * 9 / 10)
        << recognised << " of " << scribbles.strokes.size() << " recognised; missed:\n"
        << missed;

    // Circling stays the smoothing gesture, never an erase.
    const GestureSet circlings = MouseCirclings(300, 6);
    unsigned loops = 0;
    for (size_t i = 0; i < circlings.strokes.size(); ++i) {
        const StrokeFactory::StrokeType type = Classify(circlings.strokes[i]);
        EXPECT_NE(type, StrokeFactory::SharpScribbleStroke) << circlings.names[i];
        loops += type == StrokeFactory::MultipleLoopsStroke;
    }
    EXPECT_EQ(loops, circlings.strokes.size());
}

// The stroke factory: input spacing, stroke life cycle and times, sketchy
// mode, the erase and smoothing gestures, and the fitted sketch curve.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "sketch/PointSet.h"
#include "sketch/SketchField.h"
#include "sketch/Stroke.h"
#include "tests/support/MouseStrokes.h"
#include "wml/DebugOutput.h"
#include "wml/Distance.h"
#include "wml/Polygon2.h"
#include "wml/Segment2.h"

using namespace sketchtest;
using vynsketch::PointSet;
using vynsketch::Stroke;
using vynsketch::StrokeFactory;

static_assert(!std::is_copy_constructible<StrokeFactory>::value, "a factory owns its strokes");
static_assert(!std::is_copy_assignable<StrokeFactory>::value, "a factory owns its strokes");

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

// Opens the protected queries and drives time by hand.
class TestFactory : public StrokeFactory {
public:
    TestFactory()
    {
        SetTimeSource([this]() { return now; });
        SetArea800x600(*this);
    }
    using StrokeFactory::GetValuePoints;
    using StrokeFactory::IsSketchyStrokeSet;

    /// A stroke drawn over `duration` seconds, after a pause.
    StrokeType DrawTimed(const std::vector<Vector2f>& points, double pause, double duration = 0.3)
    {
        now += pause;
        BeginNewStroke();
        for (size_t i = 0; i < points.size(); ++i) {
            if (i + 1 == points.size()) now += duration;
            AddStrokeVertex(points[i]);
        }
        return EndStroke();
    }

    double now = 100.0;
};

class StrokeFactoryTest : public ::testing::Test {
protected:
    Wml::ScopedDebugOutputSink sink{[this](const char* m) { messages.push_back(m); }};
    std::vector<std::string> messages;

    int Count(const std::string& text) const
    {
        int n = 0;
        for (const std::string& m : messages) n += (m == text);
        return n;
    }
};

std::vector<Vector2f> Short(float x, float y)
{
    return SampleMouse(Line(Vector2f(x, y), Vector2f(x + 40, y + 60)));
}

Wml::Box2<float> Box(float cx, float cy, float hx, float hy)
{
    return Wml::Box2<float>(Vector2f(cx, cy), Vector2f(1, 0), Vector2f(0, 1), hx, hy);
}

/// Mean and largest distance of the polyline's vertices from the circle.
void CircleDeviation(const Wml::LinearComplex2<float>& polyline, Vector2f centre, float radius, float& mean,
                     float& worst)
{
    mean = worst = 0.0f;
    for (const Vector2f& v : polyline.GetVertices()) {
        const float d = std::fabs((v - centre).Length() - radius);
        mean += d;
        worst = std::max(worst, d);
    }
    mean /= std::max(1u, polyline.GetNumVertices());
}

/// Largest distance of the polyline's vertices from the closed polygon.
float WorstDistance(const Wml::LinearComplex2<float>& polyline, const std::vector<Vector2f>& polygon)
{
    float worst = 0.0f;
    for (const Vector2f& v : polyline.GetVertices()) {
        float best = std::numeric_limits<float>::max();
        for (size_t i = 0; i < polygon.size(); ++i)
            best = std::min(best, Wml::SqrDistance(v, Wml::Segment2<float>::FromEndPoints(
                                                          polygon[i], polygon[(i + 1) % polygon.size()])));
        worst = std::max(worst, std::sqrt(best));
    }
    return worst;
}

/// Roughness of a contour round `centre` under the box: the RMS of the
/// second difference of the radius along the vertices in the box, in angle
/// order, which sees wobble but not a smooth bulge or dent.
float Roughness(const Wml::LinearComplex2<float>& polyline, Vector2f centre, const Wml::Box2<float>& box)
{
    std::vector<std::pair<float, float>> polar;  // angle, radius
    for (const Vector2f& v : polyline.GetVertices())
        if (Wml::SqrDistance(v, box) <= 0.0f)
            polar.emplace_back(std::atan2(v.Y() - centre.Y(), v.X() - centre.X()), (v - centre).Length());
    std::sort(polar.begin(), polar.end());
    double sumSqr = 0.0;
    for (size_t i = 1; i + 1 < polar.size(); ++i) {
        const double bend = polar[i].second - 0.5 * (polar[i - 1].second + polar[i + 1].second);
        sumSqr += bend * bend;
    }
    return polar.size() < 6 ? std::numeric_limits<float>::quiet_NaN()
                            : static_cast<float>(std::sqrt(sumSqr / (polar.size() - 2)));
}

/// A factory on a drawing area of 800 x 600 times `scale`.
void SetScaledArea(StrokeFactory& factory, float scale)
{
    const unsigned int area[4] = {0, 0, static_cast<unsigned int>(800 * scale),
                                  static_cast<unsigned int>(600 * scale)};
    factory.SetDrawingAreaSize(area);
}

/// A closed outline round `centre` drawn as one mouse stroke: radius R with
/// a wobble of the given amplitude (pixels) and 23 lobes, plus random pointer
/// drift of about `noise` pixels, changing every 1/120 of the way round.
std::vector<Vector2f> WobblyOutline(Vector2f centre, float radius, float wobble, float noise, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> normal(0.0f, 1.0f);
    std::vector<float> offsets(121);
    for (float& o : offsets) o = noise * normal(rng);
    const Path outline = [=](float t) {
        const float a = 2.08f * PI * t;
        const float s = t * 120.0f;
        const int i = std::min(static_cast<int>(s), 119);
        const float r =
            radius + wobble * std::sin(23.0f * a) + offsets[i] + (offsets[i + 1] - offsets[i]) * (s - i);
        return centre + Vector2f(std::cos(a), std::sin(a)) * r;
    };
    return SampleTimed(outline, 240, 0.5f, seed);
}

}  // namespace

TEST_F(StrokeFactoryTest, DrawingAreaAndVertexSpacing)
{
    StrokeFactory factory;
    EXPECT_FLOAT_EQ(factory.GetMinVertexSpacingSqr(), 1.0f);
    EXPECT_EQ(factory.GetDrawingAreaSize(), Vector2f(0, 0));
    const unsigned int area[4] = {10, 20, 800, 600};
    factory.SetDrawingAreaSize(area);
    EXPECT_EQ(factory.GetDrawingAreaOrigin(), Vector2f(10, 20));
    EXPECT_EQ(factory.GetDrawingAreaSize(), Vector2f(800, 600));
    EXPECT_FLOAT_EQ(factory.GetMinVertexSpacingSqr(), 4.0f);  // (800 * 0.0025)^2
    factory.SetDrawingAreaSize(nullptr);
    EXPECT_FLOAT_EQ(factory.GetMinVertexSpacingSqr(), 4.0f);

    // Points are ignored outside a stroke.
    factory.AddStrokeVertex(1, 1);
    EXPECT_FALSE(factory.InStroke());
    EXPECT_EQ(factory.GetCurrentStroke(), nullptr);

    factory.BeginNewStroke();
    ASSERT_TRUE(factory.InStroke());
    Stroke* stroke = factory.GetCurrentStroke();
    ASSERT_NE(stroke, nullptr);
    factory.AddStrokeVertex(100, 100);
    factory.AddStrokeVertex(101, 101);  // 2 px^2: too close
    factory.AddStrokeVertex(102, 100);  // exactly the spacing: dropped as well
    factory.AddStrokeVertex(102.1f, 100);
    factory.AddStrokeVertex(NaN, 300);
    factory.AddStrokeVertex(Vector2f(200, std::numeric_limits<float>::infinity()));
    factory.AddStrokeVertex(Vector2f(150, 150));
    ASSERT_EQ(stroke->GetNumVertices(), 3u);
    EXPECT_EQ(stroke->GetVertex(1), Vector2f(102.1f, 100));
    EXPECT_FLOAT_EQ(stroke->GetSmoothingParam(0), StrokeFactory::SMOOTHING_NORMAL);
}

TEST_F(StrokeFactoryTest, StrokeLifeCycle)
{
    TestFactory factory;
    // A lone vertex is rejected and never kept.
    factory.BeginNewStroke();
    factory.AddStrokeVertex(5, 5);
    factory.AddStrokeVertex(5.5f, 5);
    EXPECT_EQ(factory.EndStroke(), StrokeFactory::RejectedStroke);
    EXPECT_EQ(factory.GetNumStrokes(), 0u);
    EXPECT_FALSE(factory.InStroke());
    EXPECT_EQ(factory.GetCurrentStroke(), nullptr);
    // Ending without a stroke under way keeps nothing either.
    EXPECT_EQ(factory.EndStroke(), StrokeFactory::RejectedStroke);
    EXPECT_FALSE(factory.IsFieldCacheValid());

    // Begin and end times are clock readings, seconds since the clock was
    // (re)started; the stroke is simplified.
    factory.now = 110.0;
    factory.BeginNewStroke();
    messages.clear();
    for (const Vector2f& p : SampleMouse(Arc(Vector2f(400, 300), 100, 0, PI))) factory.AddStrokeVertex(p);
    const unsigned drawn = factory.GetCurrentStroke()->GetNumVertices();
    factory.now = 111.5;
    EXPECT_EQ(factory.EndStroke(), StrokeFactory::NormalStroke);
    ASSERT_EQ(factory.GetNumStrokes(), 1u);
    EXPECT_EQ(Count("Simplifying: " + std::to_string(drawn) + " verts before\n"), 1);
    EXPECT_LT(factory.GetStroke(0)->GetNumVertices(), drawn);
    EXPECT_DOUBLE_EQ(factory.GetTimedStroke(0)->beginTime, 10.0);
    EXPECT_DOUBLE_EQ(factory.GetTimedStroke(0)->endTime, 11.5);

    // Beginning a new stroke ends the one under way.
    factory.BeginNewStroke();
    for (const Vector2f& p : Short(100, 100)) factory.AddStrokeVertex(p);
    factory.BeginNewStroke();
    EXPECT_EQ(factory.GetNumStrokes(), 2u);
    EXPECT_TRUE(factory.InStroke());
    factory.EndStroke();

    // Bad indices answer null.
    EXPECT_EQ(factory.GetStroke(2), nullptr);
    EXPECT_EQ(factory.GetStroke(~0u), nullptr);
    EXPECT_EQ(factory.GetTimedStroke(7), nullptr);

    // Removing the newest stroke; removing the last one clears.
    factory.RemoveLastStroke();
    EXPECT_EQ(factory.GetNumStrokes(), 1u);
    EXPECT_FALSE(factory.IsFieldCacheValid());
    factory.RemoveLastStroke();
    EXPECT_EQ(factory.GetNumStrokes(), 0u);
    EXPECT_TRUE(factory.IsFieldCacheValid());
    factory.RemoveLastStroke();
    EXPECT_EQ(factory.GetNumStrokes(), 0u);

    // A stroke under way when the factory goes is released with it (checked
    // by the sanitizer build).
    factory.BeginNewStroke();
    factory.AddStrokeVertex(1, 1);
}

TEST_F(StrokeFactoryTest, QuickStrokesTurnTheSetSketchy)
{
    TestFactory factory;
    factory.DrawTimed(Short(100, 100), 0.0);
    factory.DrawTimed(Short(200, 100), 0.2);
    EXPECT_FALSE(factory.IsSketchyStrokeSet());  // fewer than three strokes
    factory.DrawTimed(Short(300, 100), 0.4);
    EXPECT_TRUE(factory.IsSketchyStrokeSet());  // mean pause 0.3 s
    EXPECT_FALSE(factory.IsSketchyStrokes());
    EXPECT_EQ(Count("SketcyStroke!\n"), 0);

    factory.now += 0.2;
    factory.BeginNewStroke();
    EXPECT_EQ(Count("SketcyStroke!\n"), 1);
    EXPECT_TRUE(factory.IsSketchyStrokes());
    for (unsigned s = 0; s < factory.GetNumStrokes(); ++s)
        for (unsigned i = 0; i < factory.GetStroke(s)->GetNumVertices(); ++i)
            EXPECT_FLOAT_EQ(factory.GetStroke(s)->GetSmoothingParam(i), StrokeFactory::SMOOTHING_SKETCHY);
    factory.AddStrokeVertex(50, 50);
    EXPECT_FLOAT_EQ(factory.GetCurrentStroke()->GetSmoothingParam(0), StrokeFactory::SMOOTHING_SKETCHY);
    factory.AddStrokeVertex(60, 60);
    factory.EndStroke();
    // Judged once: no second message.
    factory.DrawTimed(Short(400, 100), 0.1);
    factory.BeginNewStroke();
    EXPECT_EQ(Count("SketcyStroke!\n"), 1);
    factory.EndStroke();

    factory.ClearStrokes();
    EXPECT_FALSE(factory.IsSketchyStrokes());
}

TEST_F(StrokeFactoryTest, SlowStrokesStayNormal)
{
    TestFactory factory;
    factory.DrawTimed(Short(100, 100), 0.0);
    factory.DrawTimed(Short(200, 100), 0.3);
    factory.DrawTimed(Short(300, 100), 0.8);  // mean pause 0.55 s
    EXPECT_FALSE(factory.IsSketchyStrokeSet());
    factory.DrawTimed(Short(400, 100), 2.0);
    EXPECT_FALSE(factory.IsSketchyStrokes());
    EXPECT_EQ(Count("SketcyStroke!\n"), 0);
    EXPECT_FLOAT_EQ(factory.GetStroke(0)->GetSmoothingParam(0), StrokeFactory::SMOOTHING_NORMAL);
}

TEST_F(StrokeFactoryTest, SmoothingGesture)
{
    TestFactory factory;
    factory.DrawTimed(SampleMouse(Line(Vector2f(100, 300), Vector2f(700, 300))), 0.0);
    factory.GetCurrentPolyLine(0.0001);
    ASSERT_TRUE(factory.IsFieldCacheValid());

    // Repeated smoothing saturates at 0.5, and only under the box.
    for (int i = 0; i < 8; ++i) factory.SmoothStrokes(Box(400, 300, 100, 50));
    EXPECT_FALSE(factory.IsFieldCacheValid());
    const Stroke* stroke = factory.GetStroke(0);
    int raised = 0;
    for (unsigned i = 0; i < stroke->GetNumVertices(); ++i) {
        const bool under = std::fabs(stroke->GetVertex(i).X() - 400.0f) <= 100.0f;
        EXPECT_FLOAT_EQ(stroke->GetSmoothingParam(i), under ? 0.5f : StrokeFactory::SMOOTHING_NORMAL) << i;
        raised += under;
    }
    EXPECT_GT(raised, 0);

    // The gesture stroke itself is taken out and its box smooths.
    const std::vector<Vector2f> loops = SampleMouse(Spiral(Vector2f(200, 300), 20, 60, 3.0f));
    EXPECT_EQ(factory.DrawTimed(loops, 1.0), StrokeFactory::MultipleLoopsStroke);
    ASSERT_EQ(factory.GetNumStrokes(), 2u);
    const Stroke* gesture = factory.GetStroke(1);
    factory.SmoothStrokes(true);
    ASSERT_EQ(factory.GetNumStrokes(), 1u);
    EXPECT_NE(factory.GetStroke(0), gesture);
    for (unsigned i = 0; i < stroke->GetNumVertices(); ++i) {
        const float x = stroke->GetVertex(i).X();
        if (std::fabs(x - 200.0f) < 40.0f) {
            EXPECT_FLOAT_EQ(stroke->GetSmoothingParam(i), 0.11f) << x;
        } else if (x > 280.0f && x < 290.0f) {
            EXPECT_FLOAT_EQ(stroke->GetSmoothingParam(i), 0.01f) << x;
        }
    }

    // Nothing to take out: nothing happens.
    StrokeFactory empty;
    empty.SmoothStrokes(true);
    empty.EraseStrokes(true);
    EXPECT_EQ(empty.GetNumStrokes(), 0u);
}

TEST_F(StrokeFactoryTest, EraseGesture)
{
    TestFactory factory;
    factory.DrawTimed(SampleMouse(Line(Vector2f(100, 300), Vector2f(700, 300))), 0.0, 1.0);
    factory.DrawTimed(SampleMouse(Line(Vector2f(100, 500), Vector2f(300, 550))), 0.2, 0.5);
    factory.DrawTimed(Short(600, 50), 0.2);
    factory.DrawTimed(Short(650, 50), 0.1);
    factory.BeginNewStroke();  // judged sketchy
    factory.EndStroke();
    ASSERT_TRUE(factory.IsSketchyStrokes());
    const double begin0 = factory.GetTimedStroke(0)->beginTime, end0 = factory.GetTimedStroke(0)->endTime;

    // A scribble across the middle of the first stroke.
    const std::vector<Vector2f> scribble = SampleMouse(ZigZag(Vector2f(380, 265), 50, 8, 9));
    ASSERT_EQ(factory.DrawTimed(scribble, 0.5), StrokeFactory::SharpScribbleStroke);
    ASSERT_EQ(factory.GetNumStrokes(), 5u);
    Wml::Box2<float> gestureBox = factory.GetStroke(4)->GetBoundingBox();
    factory.EraseStrokes(true);

    // The line is cut in two, the others survive; the gesture is gone.
    ASSERT_EQ(factory.GetNumStrokes(), 5u);
    EXPECT_FALSE(factory.IsSketchyStrokes());
    EXPECT_FALSE(factory.IsFieldCacheValid());
    EXPECT_EQ(factory.GetLastEraseBox().Center(), gestureBox.Center());
    const Stroke* left = factory.GetStroke(0);
    const Stroke* right = factory.GetStroke(1);
    EXPECT_LT(left->GetLastVertex()->X(), 400.0f);
    EXPECT_GT(right->GetVertex(0).X(), 400.0f);
    EXPECT_LE(std::fabs(Wml::SqrDistance(*left->GetLastVertex(), gestureBox)), 1e-3f);
    EXPECT_LE(std::fabs(Wml::SqrDistance(right->GetVertex(0), gestureBox)), 1e-3f);
    EXPECT_FLOAT_EQ(left->GetSmoothingParam(left->GetNumVertices() - 1), Stroke::CUT_SMOOTHING);
    EXPECT_FLOAT_EQ(right->GetSmoothingParam(0), Stroke::CUT_SMOOTHING);
    // Both pieces keep their source's times.
    for (unsigned i : {0u, 1u}) {
        EXPECT_DOUBLE_EQ(factory.GetTimedStroke(i)->beginTime, begin0);
        EXPECT_DOUBLE_EQ(factory.GetTimedStroke(i)->endTime, end0);
    }
    EXPECT_NEAR(factory.GetStroke(2)->GetVertex(0).Y(), 500.0f, 1.0f);

    // A box over everything leaves no stroke, and no curve.
    factory.EraseStrokes(Box(400, 300, 1000, 1000));
    EXPECT_EQ(factory.GetNumStrokes(), 0u);
    EXPECT_TRUE(factory.GetCurrentPolyLine(0.0001).IsEmpty());
}

TEST_F(StrokeFactoryTest, OverlappingStrokesFuseIntoOneClosedCurve)
{
    TestFactory factory;
    const Vector2f centre(400, 300);
    const float radius = 120.0f;
    factory.DrawTimed(SampleMouse(Arc(centre, radius, 0.0f, 1.15f * PI), 4.0f, 0.35f, 3), 0.0);
    factory.DrawTimed(SampleMouse(Arc(centre, radius, 0.9f * PI, 2.1f * PI), 4.0f, 0.35f, 4), 1.0);
    ASSERT_EQ(factory.GetNumStrokes(), 2u);
    EXPECT_FALSE(factory.IsFieldCacheValid());

    const Wml::LinearComplex2<float>& curve = factory.GetCurrentPolyLine(0.0001);
    EXPECT_TRUE(factory.IsFieldCacheValid());
    ASSERT_GT(curve.GetNumVertices(), 20u);
    EXPECT_TRUE(curve.IsClosed());
    EXPECT_TRUE(curve.IsSimple());
    std::vector<Wml::Polygon2<float>> loops;
    EXPECT_EQ(curve.GetLoops(loops), 1u);
    float mean = 0, worst = 0;
    CircleDeviation(curve, centre, radius, mean, worst);
    EXPECT_LT(mean, 0.02f * radius);
    EXPECT_LT(worst, 0.1f * radius);

    // The field is positive inside the counter-clockwise strokes.
    vynsketch::SketchField& field = factory.GetCurrentSketchField(0.0001);
    EXPECT_GT(field.Value(centre.X(), centre.Y()), 0.0f);
    EXPECT_LT(field.Value(centre.X() + 2 * radius, centre.Y()), 0.0f);

    // The value points are three per vertex of both strokes.
    PointSet points(0.0f, 1.0f, -1.0f, 10.0f);
    factory.GetValuePoints(points);
    EXPECT_EQ(points.GetNumPoints(),
              3u * (factory.GetStroke(0)->GetNumVertices() + factory.GetStroke(1)->GetNumVertices()));

    // The cached curve is handed out again until the strokes change.
    const Wml::Vector2<float> first = curve.GetVertex(0);
    EXPECT_EQ(&factory.GetCurrentPolyLine(0.0001), &curve);
    EXPECT_EQ(curve.GetVertex(0), first);

    // Nearest curve point.
    Vector2f nearest;
    ASSERT_TRUE(factory.FindMinDistPoint(centre + Vector2f(300, 0), nearest));
    EXPECT_NEAR((nearest - centre).Length(), radius, 0.1f * radius);
    EXPECT_GT(nearest.X(), centre.X() + 0.9f * radius);
    EXPECT_FALSE(factory.FindMinDistPoint(Vector2f(NaN, 0), nearest));
}

TEST_F(StrokeFactoryTest, OverSketchingInEitherDirectionKeepsTheCurve)
{
    // Passes over one circle drawn clockwise and counter-clockwise in every
    // mix: the inside stays inside, the curve stays on the circle. A lone
    // stroke has its inside on the side it encloses.
    const Vector2f centre(400, 300);
    const float radius = 120.0f;
    struct Pass {
        float from, to, dr;
    };
    const std::vector<std::vector<Pass>> sketches = {
        {{2.05f * PI, 0.0f, 0}},                               // one clockwise circle
        {{0.0f, 1.15f * PI, 0}, {2.1f * PI, 0.9f * PI, 0}},    // second half drawn backwards
        {{1.15f * PI, 0.0f, 0}, {0.9f * PI, 2.1f * PI, 0}},    // first half drawn backwards
        {{0.0f, 2.05f * PI, 0}, {2.0f * PI, -0.05f * PI, 3}},  // full over-sketch, the other way
        {{2.05f * PI, 0.0f, 0}, {0.3f * PI, 1.0f * PI, -2}},   // clockwise circle, a counter-clockwise patch
        {{0.0f, 0.8f * PI, 0}, {1.5f * PI, 0.7f * PI, 2}, {1.4f * PI, 2.1f * PI, 0}},  // three pieces
    };
    for (size_t k = 0; k < sketches.size(); ++k) {
        SCOPED_TRACE("sketch " + std::to_string(k));
        TestFactory factory;
        unsigned seed = 40;
        for (const Pass& pass : sketches[k])
            factory.DrawTimed(
                SampleMouse(Arc(centre, radius + pass.dr, pass.from, pass.to), 4.0f, 0.35f, ++seed), 1.0);
        const Wml::LinearComplex2<float>& curve = factory.GetCurrentPolyLine(0.0001);
        std::vector<Wml::Polygon2<float>> loops;
        EXPECT_EQ(curve.GetLoops(loops), 1u);
        EXPECT_TRUE(curve.IsClosed());
        float mean = 0, worst = 0;
        CircleDeviation(curve, centre, radius, mean, worst);
        EXPECT_LT(mean, 0.03f * radius);
        EXPECT_LT(worst, 0.1f * radius);
        vynsketch::SketchField& field = factory.GetCurrentSketchField(0.0001);
        EXPECT_GT(field.Value(centre.X(), centre.Y()), 0.0f);
        EXPECT_LT(field.Value(centre.X() + 2 * radius, centre.Y()), 0.0f);
    }
}

TEST_F(StrokeFactoryTest, HeavyOverSketchingIsThinnedNotLost)
{
    // Many strokes round the same circle: more vertices than one fit takes.
    TestFactory factory;
    const Vector2f centre(400, 300);
    const float radius = 150.0f;
    size_t vertices = 0;
    for (unsigned s = 0; s < 10; ++s) {
        factory.DrawTimed(SampleMouse(Arc(centre, radius + float(s % 3) - 1.0f, 0.3f * float(s),
                                          0.3f * float(s) + 2.1f * PI),
                                      3.0f, 0.35f, 20 + s),
                          1.0);
        vertices += factory.GetStroke(factory.GetNumStrokes() - 1)->GetNumVertices();
    }
    ASSERT_GT(3 * vertices, size_t(StrokeFactory::MAX_FIT_POINTS));
    PointSet points(0.0f, 1.0f, -1.0f, 10.0f);
    factory.GetValuePoints(points);
    EXPECT_LE(points.GetNumPoints(), size_t(StrokeFactory::MAX_FIT_POINTS));
    EXPECT_GT(points.GetNumPoints(), size_t(StrokeFactory::MAX_FIT_POINTS) / 3);

    const Wml::LinearComplex2<float>& curve = factory.GetCurrentPolyLine(0.0001);
    ASSERT_GT(curve.GetNumVertices(), 20u);
    EXPECT_TRUE(curve.IsClosed());
    float mean = 0, worst = 0;
    CircleDeviation(curve, centre, radius, mean, worst);
    EXPECT_LT(mean, 0.02f * radius);
}

TEST_F(StrokeFactoryTest, CurveFollowsTheStrokes)
{
    TestFactory factory;
    const Vector2f centre(400, 300);
    factory.DrawTimed(SampleMouse(Arc(centre, 100.0f, 0.0f, 2.0f * PI)), 0.0);
    const Wml::LinearComplex2<float>& circle = factory.GetCurrentPolyLine(0.0001);
    ASSERT_FALSE(circle.IsEmpty());
    EXPECT_TRUE(circle.IsClosed());

    // Asking for the field alone must not leave the curve stale.
    factory.DrawTimed(SampleMouse(Arc(Vector2f(150, 150), 60.0f, 0.0f, 2.0f * PI)), 1.0);
    factory.GetCurrentSketchField(0.0001);
    const Wml::LinearComplex2<float>& two = factory.GetCurrentPolyLine(0.0001);
    std::vector<Wml::Polygon2<float>> loops;
    EXPECT_EQ(two.GetLoops(loops), 2u);
    Vector2f nearest;
    ASSERT_TRUE(factory.FindMinDistPoint(Vector2f(150, 150), nearest));
    EXPECT_NEAR((nearest - Vector2f(150, 150)).Length(), 60.0f, 6.0f);

    // Undo the second circle: back to one loop.
    factory.RemoveLastStroke();
    EXPECT_FALSE(factory.FindMinDistPoint(Vector2f(150, 150), nearest));  // out of date
    loops.clear();
    EXPECT_EQ(factory.GetCurrentPolyLine(0.0001).GetLoops(loops), 1u);
    ASSERT_TRUE(factory.FindMinDistPoint(Vector2f(150, 150), nearest));
    EXPECT_NEAR((nearest - centre).Length(), 100.0f, 10.0f);

    // Clearing empties the curve at once; the field keeps its last fit.
    factory.ClearStrokes();
    EXPECT_TRUE(factory.IsFieldCacheValid());
    EXPECT_TRUE(factory.GetCurrentPolyLine(0.0001).IsEmpty());
    EXPECT_TRUE(factory.GetCurrentSketchField(0.0001).HasFit());
    EXPECT_FALSE(factory.FindMinDistPoint(centre, nearest));

    // Without a drawing area there is nothing to contour in.
    StrokeFactory unplaced;
    unplaced.BeginNewStroke();
    for (const Vector2f& p : SampleMouse(Arc(centre, 100.0f, 0.0f, 2.0f * PI))) unplaced.AddStrokeVertex(p);
    unplaced.EndStroke();
    EXPECT_TRUE(unplaced.GetCurrentPolyLine(0.0001).IsEmpty());
    EXPECT_TRUE(unplaced.GetCurrentSketchField(0.0001).HasFit());
}

TEST_F(StrokeFactoryTest, HostileInputNeverCrashes)
{
    TestFactory factory;
    factory.BeginNewStroke();
    for (float v : {1e30f, -1e30f, 3e38f, 1e-30f, 0.0f, 1e30f}) factory.AddStrokeVertex(v, -v);
    EXPECT_NE(factory.EndStroke(), StrokeFactory::RejectedStroke);
    factory.DrawTimed(SampleMouse(Arc(Vector2f(400, 300), 100, 0, 2 * PI)), 1.0);
    factory.GetCurrentPolyLine(0.0001);
    Vector2f nearest;
    factory.FindMinDistPoint(Vector2f(1e30f, 0), nearest);
    factory.SmoothStrokes(Box(NaN, NaN, 5, 5));
    factory.EraseStrokes(Box(400, 300, std::numeric_limits<float>::infinity(), 1));
    factory.EraseStrokes(Box(NaN, 0, 1, 1));
    factory.GetCurrentPolyLine(0.0001);
    factory.ClearStrokes();

    // A zero-sized drawing area keeps no contour bounds but accepts strokes.
    const unsigned int empty[4] = {0, 0, 0, 0};
    factory.SetDrawingAreaSize(empty);
    EXPECT_EQ(factory.GetMinVertexSpacingSqr(), 0.0f);
    factory.DrawTimed({Vector2f(1, 1), Vector2f(1, 1), Vector2f(2, 2)}, 1.0);
    ASSERT_EQ(factory.GetNumStrokes(), 1u);
    EXPECT_EQ(factory.GetStroke(0)->GetNumVertices(), 2u);  // the repeated point was dropped
}

TEST_F(StrokeFactoryTest, SmoothingActsAlikeAtAnyViewSize)
{
    for (float scale : {1.0f, 2.0f}) {
        SCOPED_TRACE("view scale " + std::to_string(scale));
        const Vector2f centre(400 * scale, 300 * scale);
        const float radius = 150 * scale;

        // Cleanly drawn outlines keep their shape at the default value.
        {
            TestFactory factory;
            SetScaledArea(factory, scale);
            factory.DrawTimed(SampleTimed(Arc(centre, radius, 0.0f, 2.08f * PI), 160, 0.5f, 3), 1.0);
            std::vector<Vector2f> circle, ellipse;
            for (int i = 0; i < 720; ++i) {
                const Vector2f d(std::cos(i * PI / 360), std::sin(i * PI / 360));
                circle.push_back(centre + d * radius);
                ellipse.push_back(centre + Vector2f(d.X() * 1.6f * radius, d.Y() * 0.7f * radius));
            }
            EXPECT_LT(WorstDistance(factory.GetCurrentPolyLine(0.0001), circle), 3.0f);
            factory.ClearStrokes();
            const Path oval = [&](float t) {
                const float a = 2.08f * PI * t;
                return centre + Vector2f(1.6f * radius * std::cos(a), 0.7f * radius * std::sin(a));
            };
            factory.DrawTimed(SampleTimed(oval, 200, 0.5f, 4), 1.0);
            EXPECT_LT(WorstDistance(factory.GetCurrentPolyLine(0.0001), ellipse), 3.0f);
        }

        // A wobbly outline: circling over part of it smooths what lies under
        // the circling's box; four gestures at least halve the roughness
        // there and leave the rest of the outline alone.
        for (bool pointerNoise : {false, true}) {
            SCOPED_TRACE(pointerNoise ? "pointer drift" : "wobble");
            const std::vector<Vector2f> outline = pointerNoise
                                                      ? WobblyOutline(centre, radius, 0.0f, 3.0f * scale, 11)
                                                      : WobblyOutline(centre, radius, 4.5f * scale, 0.0f, 12);
            TestFactory untouched, smoothed;
            SetScaledArea(untouched, scale);
            SetScaledArea(smoothed, scale);
            untouched.DrawTimed(outline, 1.0);
            smoothed.DrawTimed(outline, 1.0);
            const std::vector<Vector2f> circling = SampleTimed(
                HandCircling(centre + Vector2f(radius, 0), 45 * scale, 55 * scale, 3.0f, 0.9f, 0.3f, false),
                120, 0.5f, 5);
            Wml::Box2<float> box;
            for (int gesture = 0; gesture < 4; ++gesture) {
                ASSERT_EQ(smoothed.DrawTimed(circling, 1.0), StrokeFactory::MultipleLoopsStroke);
                box = smoothed.GetStroke(smoothed.GetNumStrokes() - 1)->GetBoundingBox();
                smoothed.SmoothStrokes(true);
            }
            ASSERT_EQ(smoothed.GetNumStrokes(), 1u);

            const float before = Roughness(untouched.GetCurrentPolyLine(0.0001), centre, box);
            const float after = Roughness(smoothed.GetCurrentPolyLine(0.0001), centre, box);
            ASSERT_GT(before, 0.5f * scale);  // visibly rough to begin with
            EXPECT_LT(after, 0.5f * before) << before << " -> " << after;

            const Wml::Box2<float> far(centre - Vector2f(radius, 0), Vector2f(1, 0), Vector2f(0, 1),
                                       50 * scale, 50 * scale);
            EXPECT_GT(Roughness(smoothed.GetCurrentPolyLine(0.0001), centre, far),
                      0.8f * Roughness(untouched.GetCurrentPolyLine(0.0001), centre, far));
        }
    }
}

TEST_F(StrokeFactoryTest, SketchyStrokesAreSmoother)
{
    // The same wobbly outline once at the normal and once at the sketchy
    // smoothing value.
    const Vector2f centre(400, 300);
    const Wml::Box2<float> box(centre + Vector2f(150, 0), Vector2f(1, 0), Vector2f(0, 1), 50, 50);
    TestFactory normal, sketchy;
    normal.DrawTimed(WobblyOutline(centre, 150, 0.0f, 3.0f, 11), 1.0);
    sketchy.DrawTimed(WobblyOutline(centre, 150, 0.0f, 3.0f, 11), 1.0);
    sketchy.GetStroke(0)->SetSmoothingParam(StrokeFactory::SMOOTHING_SKETCHY);
    const float rough = Roughness(normal.GetCurrentPolyLine(0.0001), centre, box);
    EXPECT_LT(Roughness(sketchy.GetCurrentPolyLine(0.0001), centre, box), 0.75f * rough);
}

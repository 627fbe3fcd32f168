// Every kind of field answers Value, Gradient and Color from several threads
// at once exactly as it does from one, including the very first evaluations
// after construction or an edit (when lazily built state is still stale).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "ConcurrentEvaluation.h"
#include "implicit/Falloff.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/fields2d/PolygonField2D.h"
#include "implicit/operators/BartheSharpDifference.h"
#include "implicit/operators/BartheSharpIntersection.h"
#include "implicit/operators/BartheSharpUnion.h"
#include "implicit/operators/BartheSmoothDifference.h"
#include "implicit/operators/BezierCurve.h"
#include "implicit/operators/HollowOperator.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/MinMaxIntersection.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/MirrorOperator.h"
#include "implicit/operators/QuillonUnion.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/operators/SumBlend.h"
#include "implicit/primitives/CurveSet.h"
#include "implicit/primitives/Cylinder.h"
#include "implicit/primitives/FastQuadricPointSet.h"
#include "implicit/primitives/LazyBuild.h"
#include "implicit/primitives/Point.h"
#include "implicit/primitives/PolyLinePrimitive.h"
#include "implicit/sweeps/CubicBezierSweep.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "implicit/sweeps/DiscreteRevolution.h"
#include "implicit/sweeps/InterpolatingLinearSweep.h"
#include "implicit/sweeps/MultiSweep.h"
#include "implicit/sweeps/QuadraticBezierSweep.h"
#include "implicit/warps/BarrWarp.h"
#include "implicit/warps/LinearSweepWarp.h"
#include "implicit/warps/VariationalWarp.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

/// Owns one field together with its children and templates.
struct Scene {
    std::vector<std::unique_ptr<ScalarField>> parts;
    std::vector<std::unique_ptr<ScalarField2D>> templates;
    ScalarField* field = nullptr;

    template <class T, class... Args>
    T* Add(Args&&... args)
    {
        parts.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return static_cast<T*>(parts.back().get());
    }
    template <class T, class... Args>
    T* AddTemplate(Args&&... args)
    {
        templates.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return static_cast<T*>(templates.back().get());
    }
};

Wml::Frame3<float> TiltedFrame()
{
    Wml::Frame3<float> f(Vector3f(0.1f, -0.2f, 0.15f));
    f.Rotate(Wml::Matrix3<float>(Vector3f(1.0f, 2.0f, 0.5f) / Vector3f(1.0f, 2.0f, 0.5f).Length(), 0.7f),
             true);
    f.SetScale(Vector3f(1.1f, 0.9f, 1.05f));
    return f;
}

/// A bent tube, evaluated once and then given one more vertex, so that its
/// segment table is stale when the threads start.
PolyLinePrimitive* EditedPolyLine(Scene& s, bool closed = false)
{
    auto* line = s.Add<PolyLinePrimitive>(closed ? PolyLinePrimitive::CLOSED : PolyLinePrimitive::OPEN);
    for (int i = 0; i < 12; ++i) {
        const float a = 0.45f * float(i);
        line->AppendVertex(Vector3f(0.6f * std::cos(a), 0.6f * std::sin(a), 0.05f * float(i)));
    }
    line->SetRadius(0.15f);
    line->SetTaper(0.7f);
    line->SetFrame(TiltedFrame());
    line->Value(0.0f, 0.0f, 0.0f);
    line->AppendVertex(Vector3f(0.1f, -0.3f, 0.7f));
    return line;
}

/// A sphere of oriented points, evaluated once and then given one more
/// point, so that its fits and grids are stale when the threads start.
FastQuadricPointSet* EditedPointSet(Scene& s, bool fixedRadius = false)
{
    auto* set = s.Add<FastQuadricPointSet>();
    const float golden = 3.14159265f * (3.0f - std::sqrt(5.0f));
    const int count = 160;
    for (int i = 0; i < count; ++i) {
        const float y = 1.0f - 2.0f * (float(i) + 0.5f) / float(count);
        const float r = std::sqrt(1.0f - y * y);
        const Vector3f n(r * std::cos(golden * float(i)), y, r * std::sin(golden * float(i)));
        set->AddPoint(Vector3f(0.2f, 0.0f, -0.1f) + n * 0.5f, n);
    }
    if (fixedRadius) set->SetRadius(0.3f);
    set->Value(0.2f, 0.0f, -0.1f);
    set->AddPoint(Vector3f(0.2f, 0.5f, -0.1f), Vector3f(0.0f, 1.0f, 0.0f));
    return set;
}

/// A sampled disc whose 0.5 contour is the circle of radius r around (cx, cy).
DiscreteScalarField2D* Disc(Scene& s, float r, float cx = 0.0f, float cy = 0.0f)
{
    const unsigned n = 64;
    const float h = 2.5f * r;
    auto* disc = s.AddTemplate<DiscreteScalarField2D>(
        n, n, Wml::AxisAlignedBox2<float>(cx - h, cx + h, cy - h, cy + h));
    for (unsigned j = 0; j < n; ++j)
        for (unsigned i = 0; i < n; ++i) {
            const Wml::Vector2<float> p = disc->GetSamplePosition(i, j) - Wml::Vector2<float>(cx, cy);
            disc->SetValue(i, j, Falloff(p.Length() * FALLOFF_SURFACE_RADIUS / r));
        }
    return disc;
}

/// An L-shaped outline, read through the virtual template interface.
PolygonField2D* LShape(Scene& s)
{
    const Wml::Polygon2<float> outline(std::vector<Wml::Vector2<float>>{
        {-0.4f, -0.4f}, {0.4f, -0.4f}, {0.4f, -0.1f}, {-0.1f, -0.1f}, {-0.1f, 0.4f}, {-0.4f, 0.4f}});
    return s.AddTemplate<PolygonField2D>(outline, 0.15f);
}

Point* Ball(Scene& s, const Vector3f& centre, float size = 0.6f)
{
    return s.Add<Point>(centre, size);
}

/// op over an edited tube and a ball that overlaps it.
template <class Op, class... Args>
void OverTubeAndBall(Scene& s, Args&&... args)
{
    auto* op = s.Add<Op>(std::forward<Args>(args)...);
    op->AddChild(EditedPolyLine(s));
    op->AddChild(Ball(s, Vector3f(0.4f, 0.3f, 0.2f)));
    s.field = op;
}

DiscreteLinearSweep* LinearSweep(Scene& s, CapStyle cap, ScalarField2D* profile)
{
    auto* sweep = s.Add<DiscreteLinearSweep>(profile, TiltedFrame(), 0.4f);
    sweep->SetCapStyle(cap);
    sweep->ComputeEndcapParams();
    return sweep;
}

struct Case {
    const char* name;
    std::function<void(Scene&)> build;
};

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        // ---- primitives ----------------------------------------------------
        {"point", [](Scene& s) { s.field = Ball(s, Vector3f(0.1f, 0.2f, 0.3f)); }},
        {"cylinder", [](Scene& s) { s.field = s.Add<Cylinder>(0.2f, 0.8f, TiltedFrame()); }},
        {"open polyline, edited", [](Scene& s) { s.field = EditedPolyLine(s); }},
        {"closed polyline, edited", [](Scene& s) { s.field = EditedPolyLine(s, true); }},
        {"curve set, never evaluated",
         [](Scene& s) {
             auto* set = s.Add<CurveSet>();
             set->AddCurve({Vector3f(-0.6f, 0, 0), Vector3f(0, 0.1f, 0), Vector3f(0.6f, 0, 0.1f)}, 0.15f);
             set->AddCurve({Vector3f(0, -0.6f, 0.1f), Vector3f(0, 0, 0.1f), Vector3f(0.1f, 0.6f, 0.1f)},
                           0.2f);
             set->SetFrame(TiltedFrame());
             s.field = set;
         }},
        {"point set, edited", [](Scene& s) { s.field = EditedPointSet(s); }},
        {"point set with a fixed radius, edited", [](Scene& s) { s.field = EditedPointSet(s, true); }},
        {"Bezier curve, exact",
         [](Scene& s) {
             auto* curve = s.Add<BezierCurve>();
             curve->SetRadius(0.1f);
             curve->SetFrame(TiltedFrame());
             s.field = curve;
         }},
        {"Bezier curve, approximated",
         [](Scene& s) {
             auto* curve = s.Add<BezierCurve>();
             curve->SetRadius(0.1f);
             curve->SetEvaluationMode(1);
             curve->SetApproximationLevel(4);
             s.field = curve;
         }},
        // ---- sweeps --------------------------------------------------------
        {"linear sweep, flat cap",
         [](Scene& s) { s.field = LinearSweep(s, CapStyle::FlatRound, Disc(s, 0.3f)); }},
        {"linear sweep, blobby cap",
         [](Scene& s) { s.field = LinearSweep(s, CapStyle::Blobby, Disc(s, 0.3f)); }},
        {"linear sweep of a polygon, sharp cap",
         [](Scene& s) { s.field = LinearSweep(s, CapStyle::FlatSharp, LShape(s)); }},
        {"revolution",
         [](Scene& s) { s.field = s.Add<DiscreteRevolution>(Disc(s, 0.15f, 0.4f, 0.1f), TiltedFrame()); }},
        {"revolution of a polygon, averaged",
         [](Scene& s) {
             auto* rev = s.Add<DiscreteRevolution>(LShape(s), TiltedFrame());
             rev->SetEvaluationMode(DiscreteRevolution::Average);
             s.field = rev;
         }},
        {"interpolating linear sweep",
         [](Scene& s) {
             auto* sweep = s.Add<InterpolatingLinearSweep>();
             sweep->AddSlice(Disc(s, 0.3f), -0.4f);
             sweep->AddSlice(LShape(s), 0.1f, 0.05f, 0.0f);
             sweep->AddSlice(Disc(s, 0.15f), 0.5f, -0.1f, 0.1f);
             sweep->SetBlendMode(InterpolatingLinearSweep::Cubic);
             sweep->SetCapStyle(static_cast<int>(CapStyle::Blobby));
             sweep->ComputeEndcapParams();
             sweep->SetFrame(TiltedFrame());
             s.field = sweep;
         }},
        {"quadratic Bezier sweep",
         [](Scene& s) {
             const Vector3f points[3] = {Vector3f(0, 0, -0.5f), Vector3f(0.5f, 0.2f, 0),
                                         Vector3f(0, 0.1f, 0.5f)};
             auto* sweep = s.Add<QuadraticBezierSweep>(points);
             sweep->SetSweepTemplate(Disc(s, 0.2f));
             s.field = sweep;
         }},
        {"cubic Bezier sweep, polyline mode, blobby cap",
         [](Scene& s) {
             const Vector3f points[4] = {Vector3f(-0.5f, 0, 0), Vector3f(-0.2f, 0.5f, 0),
                                         Vector3f(0.2f, -0.5f, 0.1f), Vector3f(0.5f, 0, 0.2f)};
             auto* sweep = s.Add<CubicBezierSweep>(points);
             sweep->SetSweepTemplate(LShape(s));
             sweep->SetRadius(0.6f);
             sweep->SetEvaluationMode(CurveSweep::PolylineApproximation);
             sweep->SetCapStyle(static_cast<int>(CapStyle::Blobby));
             sweep->ComputeEndcapParams();
             s.field = sweep;
         }},
        {"multi sweep",
         [](Scene& s) {
             auto* multi = s.Add<MultiSweep>();
             multi->AddChild(LinearSweep(s, CapStyle::Blobby, Disc(s, 0.3f)));
             multi->AddChild(s.Add<DiscreteRevolution>(Disc(s, 0.15f, 0.4f, 0.1f), Wml::Frame3<float>()));
             multi->SetBlendPower(3.0f);
             s.field = multi;
         }},
        // ---- blends and set operations over an edited tube and a ball -------
        {"sum blend", [](Scene& s) { OverTubeAndBall<SumBlend>(s); }},
        {"Ricci blend", [](Scene& s) { OverTubeAndBall<RicciBlend>(s, 3.5f); }},
        {"min/max union", [](Scene& s) { OverTubeAndBall<MinMaxUnion>(s); }},
        {"min/max intersection", [](Scene& s) { OverTubeAndBall<MinMaxIntersection>(s); }},
        {"min/max difference", [](Scene& s) { OverTubeAndBall<MinMaxDifference>(s); }},
        {"quillon union", [](Scene& s) { OverTubeAndBall<QuillonUnion>(s); }},
        {"sharp union", [](Scene& s) { OverTubeAndBall<BartheSharpUnion>(s); }},
        {"sharp intersection", [](Scene& s) { OverTubeAndBall<BartheSharpIntersection>(s); }},
        {"sharp difference", [](Scene& s) { OverTubeAndBall<BartheSharpDifference>(s); }},
        {"smooth difference", [](Scene& s) { OverTubeAndBall<BartheSmoothDifference>(s, 0.7f); }},
        {"hollow edited point set",
         [](Scene& s) {
             auto* hollow = s.Add<HollowOperator>(0.08f);
             hollow->AddChild(EditedPointSet(s));
             s.field = hollow;
         }},
        {"mirrored edited tube",
         [](Scene& s) {
             auto* mirror = s.Add<MirrorOperator>();
             mirror->SetFrame(Wml::Frame3<float>(Vector3f(0.2f, 0.0f, 0.0f)));
             mirror->SetSmoothWidth(0.3f);
             mirror->AddChild(EditedPolyLine(s));
             s.field = mirror;
         }},
        // ---- warps of an edited tube ----------------------------------------
        {"twist",
         [](Scene& s) {
             auto* warp = s.Add<BarrWarp>(BarrWarp::TWIST);
             warp->SetTwistRate(1.5f);
             warp->AddChild(EditedPolyLine(s));
             s.field = warp;
         }},
        {"taper",
         [](Scene& s) {
             auto* warp = s.Add<BarrWarp>(BarrWarp::TAPER);
             warp->SetTaperRange(-0.5f, 0.8f);
             warp->SetTaperScales(1.0f, 0.4f);
             warp->AddChild(EditedPolyLine(s));
             s.field = warp;
         }},
        {"bend",
         [](Scene& s) {
             auto* warp = s.Add<BarrWarp>(BarrWarp::BEND);
             warp->SetBendRange(-0.5f, 0.8f);
             warp->SetBendCurvature(0.8f);
             warp->AddChild(EditedPolyLine(s));
             s.field = warp;
         }},
        {"linear sweep warp",
         [](Scene& s) {
             auto* warp = s.Add<LinearSweepWarp>();
             warp->SetWarpBallRadius(1.2f);
             warp->SetPath({{-0.5f, 0.0f}, {0.0f, 0.2f}, {0.5f, -0.1f}});
             warp->AddChild(EditedPolyLine(s));
             s.field = warp;
         }},
        {"variational warp",
         [](Scene& s) {
             auto* warp = s.Add<VariationalWarp>();
             warp->SetWarpRadius(1.2f);
             WarpPointSet points;
             for (int k = 0; k < 3; ++k)
                 for (int j = 0; j < 3; ++j)
                     for (int i = 0; i < 3; ++i) {
                         const Vector3f p(-0.4f + 0.4f * float(i), -0.4f + 0.4f * float(j),
                                          -0.4f + 0.4f * float(k));
                         points.AddPoint(p, i == 2 && j == 1 ? p + Vector3f(0.15f, 0.05f, 0.0f) : p);
                     }
             warp->SetWarpPointSet(points);
             warp->AddChild(EditedPolyLine(s));
             s.field = warp;
         }},
    };
    return cases;
}

constexpr unsigned THREADS = 4;
constexpr unsigned POINTS = 2000;

}  // namespace

TEST(ConcurrentEvaluation, EveryFieldAnswersFromSeveralThreadsAsFromOne)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        // The reference: an identical field, asked by this thread alone.
        Scene reference;
        c.build(reference);
        ASSERT_NE(reference.field, nullptr);
        Wml::AxisAlignedBox3<float> box;
        reference.field->FieldBounds(box);
        ASSERT_FALSE(box.IsEmpty());
        const std::vector<Vector3f> points = concurrent::ProbePoints(box, POINTS);
        const std::vector<concurrent::Answer> expected = concurrent::AskAll(*reference.field, points);
        size_t inside = 0;
        for (const concurrent::Answer& a : expected) inside += a.value > 0.5f;
        EXPECT_GT(inside, 0u) << "the probes miss the shape";

        // A fresh field whose first evaluations come from every thread at once.
        Scene shared;
        c.build(shared);
        const auto answers = concurrent::AskConcurrently(*shared.field, points, THREADS);
        for (unsigned t = 0; t < THREADS; ++t) {
            std::string first;
            EXPECT_EQ(concurrent::CountDifferences(expected, answers[t], points, first), 0u)
                << "thread " << t << ", first " << first;
        }
    }
}

TEST(ConcurrentEvaluation, LazyBuildRunsOnceAfterEachInvalidateHoweverManyThreadsAsk)
{
    LazyBuild built;
    std::atomic<int> builds{0};
    std::atomic<int> sawUnbuilt{0};
    std::vector<int> table;  // what the build fills; read by every thread after Ensure
    auto build = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // let the others pile up
        table.assign(1000, builds.fetch_add(1) + 1);
    };
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t)
            threads.emplace_back([&] {
                built.Ensure(build);
                for (int v : table)
                    if (v != round) ++sawUnbuilt;
            });
        for (std::thread& thread : threads) thread.join();
        EXPECT_EQ(builds.load(), round);
        EXPECT_EQ(sawUnbuilt.load(), 0);
        EXPECT_TRUE(built.IsBuilt());

        // A copy keeps the state; the original is then edited.
        LazyBuild copy(built);
        EXPECT_TRUE(copy.IsBuilt());
        built.Invalidate();
        EXPECT_FALSE(built.IsBuilt());
        EXPECT_TRUE(copy.IsBuilt());
    }
}

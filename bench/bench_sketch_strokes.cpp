// The sketch's fit and contour after a change: three overlapping strokes of
// about 100 simplified vertices each, refitted and contoured from scratch.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "sketch/PointSet.h"
#include "sketch/SketchField.h"
#include "sketch/Stroke.h"
#include "sketch/StrokeFactory.h"
#include "wml/DebugOutput.h"

namespace {

using vynsketch::StrokeFactory;
using Wml::Vector2f;

constexpr float PI = 3.14159265358979f;

// A wavy arc sampled like mouse input: 3 px apart with a little jitter.
std::vector<Vector2f> WavyArc(Vector2f centre, float radius, float from, float to, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> jitter(-0.35f, 0.35f);
    std::vector<Vector2f> points;
    const int steps = 4000;
    Vector2f last;
    for (int i = 0; i <= steps; ++i) {
        const float a = from + (to - from) * i / steps;
        const float r = radius * (1.0f + 0.07f * std::sin(36.0f * a));
        const Vector2f p = centre + Vector2f(std::cos(a), std::sin(a)) * r;
        if (i == 0 || (p - last).Length() >= 3.0f) {
            points.push_back(p + Vector2f(jitter(rng), jitter(rng)));
            last = p;
        }
    }
    return points;
}

// Three strokes that together close a wavy outline.
void DrawSketch(StrokeFactory& factory)
{
    const unsigned int area[4] = {0, 0, 800, 600};
    factory.SetDrawingAreaSize(area);
    double now = 0.0;
    factory.SetTimeSource([&now]() { return now; });
    const Vector2f centre(400, 300);
    const float arcs[3][2] = {{0.0f, 1.0f * PI}, {0.66f * PI, 1.66f * PI}, {1.33f * PI, 2.33f * PI}};
    for (int s = 0; s < 3; ++s) {
        now += 2.0;  // slow strokes: not sketchy
        factory.BeginNewStroke();
        for (const Vector2f& p : WavyArc(centre, 220.0f, arcs[s][0], arcs[s][1], 11 + s))
            factory.AddStrokeVertex(p);
        factory.EndStroke();
    }
    factory.SetTimeSource({});
}

// Marks the cache out of date without changing any stroke.
void Invalidate(StrokeFactory& factory)
{
    factory.SmoothStrokes(Wml::Box2<float>(Vector2f(-1e4f, -1e4f), Vector2f(1, 0), Vector2f(0, 1), 1, 1));
}

void AddCounters(benchmark::State& state, StrokeFactory& factory)
{
    unsigned vertices = 0;
    for (unsigned i = 0; i < factory.GetNumStrokes(); ++i) vertices += factory.GetStroke(i)->GetNumVertices();
    state.counters["stroke_vertices"] = vertices;
    state.counters["contour_vertices"] = factory.GetCurrentPolyLine(0.0001).GetNumVertices();
}

void BM_SketchFitAndContour(benchmark::State& state)
{
    Wml::ScopedDebugOutputSink quiet([](const char*) {});
    StrokeFactory factory;
    DrawSketch(factory);
    for (auto _ : state) {
        Invalidate(factory);
        benchmark::DoNotOptimize(factory.GetCurrentPolyLine(0.0001).GetNumVertices());
    }
    AddCounters(state, factory);
}
BENCHMARK(BM_SketchFitAndContour)->Unit(benchmark::kMillisecond);

void BM_SketchFitOnly(benchmark::State& state)
{
    Wml::ScopedDebugOutputSink quiet([](const char*) {});
    StrokeFactory factory;
    DrawSketch(factory);
    for (auto _ : state) {
        Invalidate(factory);
        benchmark::DoNotOptimize(factory.GetCurrentSketchField(0.0001).HasFit());
    }
    AddCounters(state, factory);
}
BENCHMARK(BM_SketchFitOnly)->Unit(benchmark::kMillisecond);

// The fit alone on the sketch's value points, with the smoothing values read
// in pixels (arg 0) or in the factory's view-relative unit (arg 1): what the
// unit costs or saves in the solve.
class OpenFactory : public StrokeFactory {
public:
    using StrokeFactory::GetValuePoints;
    using StrokeFactory::OrientStrokes;
};

void BM_SketchFitSmoothingUnit(benchmark::State& state)
{
    Wml::ScopedDebugOutputSink quiet([](const char*) {});
    OpenFactory factory;
    DrawSketch(factory);
    vynsketch::PointSet points(0.0f, 1.0f, -1.0f, 10.0f);
    factory.GetValuePoints(points);
    const double unit = state.range(0) ? factory.GetSmoothingUnit() : 1.0;
    vynsketch::SketchField field;
    for (auto _ : state) benchmark::DoNotOptimize(field.GenerateSketchField(points, false, 0.0001, unit));
    state.counters["points"] = points.GetNumPoints();
}
BENCHMARK(BM_SketchFitSmoothingUnit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Turning every stroke's normals to one inside side, done before each fit.
void BM_OrientStrokes(benchmark::State& state)
{
    Wml::ScopedDebugOutputSink quiet([](const char*) {});
    OpenFactory factory;
    DrawSketch(factory);
    for (auto _ : state) {
        factory.OrientStrokes();
        benchmark::DoNotOptimize(factory.GetStroke(0)->GetNormals().data());
    }
}
BENCHMARK(BM_OrientStrokes)->Unit(benchmark::kMicrosecond);

// Stroke intake alone: vertices, simplification and classification.
void BM_StrokeIntake(benchmark::State& state)
{
    Wml::ScopedDebugOutputSink quiet([](const char*) {});
    const std::vector<Vector2f> points = WavyArc(Vector2f(400, 300), 180.0f, 0.0f, 2.0f * PI, 5);
    StrokeFactory factory;
    const unsigned int area[4] = {0, 0, 800, 600};
    factory.SetDrawingAreaSize(area);
    for (auto _ : state) {
        factory.BeginNewStroke();
        for (const Vector2f& p : points) factory.AddStrokeVertex(p);
        benchmark::DoNotOptimize(factory.EndStroke());
        factory.ClearStrokes();
    }
    state.counters["input_points"] = static_cast<double>(points.size());
}
BENCHMARK(BM_StrokeIntake)->Unit(benchmark::kMicrosecond);

}  // namespace

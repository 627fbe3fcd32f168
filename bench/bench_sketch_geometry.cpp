// The sketch library's geometry: outline templates from a thin-plate fit and
// nearest-curve-point queries through the curve tree against a plain scan.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "sketch/CurveBVTree.h"
#include "sketch/PointSet.h"
#include "sketch/PolyLine.h"
#include "sketch/SketchField.h"
#include "wml/Distance.h"
#include "wml/Segment2.h"

namespace {

// A closed wobbly outline of count vertices around (cx, cy), in pixels.
vynsketch::PolyLine MakeOutline(unsigned count, float cx = 256.0f, float cy = 256.0f, float r = 160.0f)
{
    vynsketch::PolyLine line;
    const double pi = 3.14159265358979323846;
    for (unsigned i = 0; i < count; ++i) {
        const double a = 2.0 * pi * i / count;
        const double radius = r * (1.0 + 0.15 * std::sin(3.0 * a) + 0.06 * std::cos(7.0 * a));
        line.AddVertex(
            Wml::Vector2<float>(float(cx + radius * std::cos(a)), float(cy + radius * std::sin(a))));
        if (i > 0) line.AddEdge(vynsketch::PolyLine::Edge(i - 1, i));
    }
    line.AddEdge(vynsketch::PolyLine::Edge(count - 1, 0));
    return line;
}

void BM_VariationalField(benchmark::State& state)
{
    const vynsketch::PolyLine outline = MakeOutline(150);
    const unsigned resolution = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<vynimplicit::DiscreteScalarField2D> field(
            outline.MakeImplicitFieldVariational(nullptr, resolution, true, 0.01f, nullptr, nullptr));
        if (!field) state.SkipWithError("fit failed");
        benchmark::DoNotOptimize(field.get());
    }
}
BENCHMARK(BM_VariationalField)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

// The reference the builder is measured against: the same fit, every sample
// evaluated exactly on one thread.
void BM_VariationalFieldDense(benchmark::State& state)
{
    const unsigned n = static_cast<unsigned>(state.range(0));
    vynsketch::PolyLine curve = MakeOutline(150);
    float size, ox, oy;
    curve.ToUnitSquare(size, ox, oy, nullptr);
    curve.Translate(1.0f, 1.0f);
    std::vector<double> row(n);
    std::vector<float> out(size_t(n) * n);
    for (auto _ : state) {
        vynsketch::PointSet points(0.454202f, 0.464202f, 0.444202f, 0.01f);
        curve.GenPointSet(points);
        curve.AddCircleConstraint(points, Wml::Vector2<float>(1.5f, 1.5f), 2.0f, 2.0f);
        vynsketch::SketchField fit;
        if (!fit.GenerateSketchField(points, true, 0.0001)) state.SkipWithError("fit failed");
        const double step = 3.0 / (n - 1);
        for (unsigned i = 0; i < n; ++i) {
            fit.SampleRow(0.0, i * step, row.data(), n, float(step));
            for (unsigned j = 0; j < n; ++j) {
                const double g = std::max(row[j], 0.0), w = std::max(0.0, 1.0 - g * g);
                out[size_t(i) * n + j] = float(w * w * w);
            }
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_VariationalFieldDense)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

// 10 000 edges: a long wiggly curve folded into a 1000 x 1000 square.
vynsketch::PolyLine MakeLongCurve()
{
    return MakeOutline(10000, 500.0f, 500.0f, 400.0f);
}

std::vector<Wml::Vector2<float>> QueryPoints(unsigned count)
{
    std::mt19937 random(42);
    std::uniform_real_distribution<float> coord(0.0f, 1000.0f);
    std::vector<Wml::Vector2<float>> points(count);
    for (Wml::Vector2<float>& p : points) p = Wml::Vector2<float>(coord(random), coord(random));
    return points;
}

void BM_CurveTreeQuery(benchmark::State& state)
{
    vynsketch::PolyLine curve = MakeLongCurve();
    vynsketch::CurveBVTree tree;
    tree.Create(&curve);
    const std::vector<Wml::Vector2<float>> points = QueryPoints(1024);
    size_t k = 0;
    for (auto _ : state) {
        Wml::Vector2<float> nearest;
        benchmark::DoNotOptimize(tree.DistanceSqr(points[k++ & 1023], &nearest, FLT_MAX));
    }
}
BENCHMARK(BM_CurveTreeQuery);

void BM_CurveLinearScan(benchmark::State& state)
{
    const vynsketch::PolyLine curve = MakeLongCurve();
    const std::vector<Wml::Vector2<float>> points = QueryPoints(1024);
    size_t k = 0;
    for (auto _ : state) {
        const Wml::Vector2<float>& p = points[k++ & 1023];
        float best = FLT_MAX;
        for (const vynsketch::PolyLine::Edge& e : curve.GetEdges()) {
            const auto segment =
                Wml::Segment2<float>::FromEndPoints(curve.GetVertex(e.v1), curve.GetVertex(e.v2));
            best = std::min(best, Wml::SqrDistance(p, segment));
        }
        benchmark::DoNotOptimize(best);
    }
}
BENCHMARK(BM_CurveLinearScan);

void BM_CurveTreeBuild(benchmark::State& state)
{
    vynsketch::PolyLine curve = MakeLongCurve();
    for (auto _ : state) {
        vynsketch::CurveBVTree tree;
        benchmark::DoNotOptimize(tree.Create(&curve));
    }
}
BENCHMARK(BM_CurveTreeBuild)->Unit(benchmark::kMillisecond);

}  // namespace

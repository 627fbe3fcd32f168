// Evaluation speed of the primitive fields: Value and Gradient at random
// points inside each field's bounds (items/s = evaluations per second).

#include <benchmark/benchmark.h>

#include "FieldBench.h"

#include <cmath>
#include <random>
#include <vector>

#include "implicit/primitives/CurveSet.h"
#include "implicit/primitives/Cylinder.h"
#include "implicit/primitives/FastQuadricPointSet.h"
#include "implicit/primitives/Point.h"
#include "implicit/primitives/PolyLinePrimitive.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

using fieldbench::RunGradient;
using fieldbench::RunValue;

Wml::Frame3<float> Tilted()
{
    Wml::Matrix3<float> rot;
    rot.FromAxisAngle(Vector3f(1, 2, 3) / std::sqrt(14.0f), 0.7f);
    Wml::Frame3<float> frame(Vector3f(1, -2, 0.5f));
    frame.Rotate(rot, true);
    return frame;
}

// A sketched stroke: a wandering line of short segments.
std::vector<Vector3f> Stroke(unsigned seed, int count, float step)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> gauss;
    std::vector<Vector3f> points;
    Vector3f p(0, 0, 0), d(1, 0, 0);
    for (int i = 0; i < count; ++i) {
        points.push_back(p);
        d = d + Vector3f(gauss(rng), gauss(rng), gauss(rng)) * 0.2f;
        d.Normalize();
        p = p + d * step;
    }
    return points;
}

Point& BenchPoint()
{
    static Point point = [] {
        Point p(Vector3f::ZERO, 1.0f);
        p.SetFrame(Tilted());
        return p;
    }();
    return point;
}

Cylinder& BenchCylinder()
{
    static Cylinder cylinder(0.3f, 2.0f, Tilted());
    return cylinder;
}

PolyLinePrimitive& BenchPolyLine()
{
    static PolyLinePrimitive line = [] {
        PolyLinePrimitive l;
        for (const Vector3f& p : Stroke(1, 100, 0.05f)) l.AppendVertex(p);
        l.SetRadius(0.15f);
        l.SetTaper(0.5f);
        return l;
    }();
    return line;
}

CurveSet& BenchCurveSet()
{
    static CurveSet set = [] {
        CurveSet s;
        for (unsigned c = 0; c < 5; ++c) {
            std::vector<Vector3f> points = Stroke(10 + c, 50, 0.05f);
            for (auto& p : points) p = p + Vector3f(0, 0.3f * c, 0);
            s.AddCurve(points, 0.12f);
        }
        return s;
    }();
    return set;
}

FastQuadricPointSet& BenchPointSet()
{
    static FastQuadricPointSet set = [] {
        FastQuadricPointSet s;
        const int count = 5000;
        const float golden = 3.14159265f * (3.0f - std::sqrt(5.0f));
        for (int i = 0; i < count; ++i) {
            const float y = 1.0f - 2.0f * (i + 0.5f) / count, r = std::sqrt(1.0f - y * y);
            const Vector3f n(r * std::cos(golden * i), y, r * std::sin(golden * i));
            s.AddPoint(n, n);
        }
        s.Value(0, 0, 0);  // builds the fits and grids outside the timing
        return s;
    }();
    return set;
}

void BM_Primitive_Point_Value(benchmark::State& s)
{
    RunValue(s, BenchPoint());
}
void BM_Primitive_Point_Gradient(benchmark::State& s)
{
    RunGradient(s, BenchPoint());
}
void BM_Primitive_Cylinder_Value(benchmark::State& s)
{
    RunValue(s, BenchCylinder());
}
void BM_Primitive_Cylinder_Gradient(benchmark::State& s)
{
    RunGradient(s, BenchCylinder());
}
void BM_Primitive_PolyLine_Value(benchmark::State& s)
{
    RunValue(s, BenchPolyLine());
}
void BM_Primitive_PolyLine_Gradient(benchmark::State& s)
{
    RunGradient(s, BenchPolyLine());
}
void BM_Primitive_CurveSet_Value(benchmark::State& s)
{
    RunValue(s, BenchCurveSet());
}
void BM_Primitive_CurveSet_Gradient(benchmark::State& s)
{
    RunGradient(s, BenchCurveSet());
}
void BM_Primitive_FastQuadricPointSet_Value(benchmark::State& s)
{
    RunValue(s, BenchPointSet());
}
void BM_Primitive_FastQuadricPointSet_Gradient(benchmark::State& s)
{
    RunGradient(s, BenchPointSet());
}

}  // namespace

BENCHMARK(BM_Primitive_Point_Value);
BENCHMARK(BM_Primitive_Point_Gradient);
BENCHMARK(BM_Primitive_Cylinder_Value);
BENCHMARK(BM_Primitive_Cylinder_Gradient);
BENCHMARK(BM_Primitive_PolyLine_Value);
BENCHMARK(BM_Primitive_PolyLine_Gradient);
BENCHMARK(BM_Primitive_CurveSet_Value);
BENCHMARK(BM_Primitive_CurveSet_Gradient);
BENCHMARK(BM_Primitive_FastQuadricPointSet_Value);
BENCHMARK(BM_Primitive_FastQuadricPointSet_Gradient);

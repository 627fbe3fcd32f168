// Evaluation speed of the sampled templates and the sweep fields, on a
// 128 x 128 disc template and points spread around each field's bounds
// (so the cheap rejects count as they do during polygonization).

#include <benchmark/benchmark.h>

#include "FieldBench.h"

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "implicit/Falloff.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/sweeps/CubicBezierSweep.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "implicit/sweeps/DiscreteRevolution.h"
#include "implicit/sweeps/InterpolatingLinearSweep.h"
#include "implicit/sweeps/MultiSweep.h"
#include "implicit/sweeps/QuadraticBezierSweep.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

using fieldbench::RunGradient;
using fieldbench::RunValue;

DiscreteScalarField2D& DiscTemplate(float r, float cx = 0.0f)
{
    static std::vector<std::unique_ptr<DiscreteScalarField2D>> keep;
    const float h = 2.5f * r;
    auto field =
        std::make_unique<DiscreteScalarField2D>(128, 128, Wml::AxisAlignedBox2<float>(cx - h, cx + h, -h, h));
    for (unsigned j = 0; j < 128; ++j)
        for (unsigned i = 0; i < 128; ++i) {
            const Wml::Vector2<float> p = field->GetSamplePosition(i, j) - Wml::Vector2<float>(cx, 0.0f);
            field->SetValue(i, j, Falloff(p.Length() * FALLOFF_SURFACE_RADIUS / r));
        }
    keep.push_back(std::move(field));
    return *keep.back();
}

DiscreteLinearSweep& LinearSweep(int capStyle)
{
    static DiscreteLinearSweep flat(&DiscTemplate(0.5f), Wml::Frame3<float>(), 0.4f);
    static DiscreteLinearSweep blobby(&DiscTemplate(0.5f), Wml::Frame3<float>(), 0.0005f);
    blobby.SetCapStyle(CapStyle::Blobby);
    blobby.SetFalloffLength(0.4f);
    return capStyle == 1 ? blobby : flat;
}

DiscreteRevolution& Revolution()
{
    static DiscreteRevolution torus(&DiscTemplate(0.3f, 1.0f), Wml::Frame3<float>());
    return torus;
}

CurveSweep& Curve(bool cubic, int mode)
{
    static const Vector3f c[4] = {Vector3f(0, 0, 0), Vector3f(0.6f, 0.1f, 0.3f), Vector3f(0.5f, 0.8f, 0.7f),
                                  Vector3f(-0.2f, 0.6f, 1.0f)};
    static const Vector3f q[3] = {Vector3f(0, 0, 0), Vector3f(0.7f, 0.2f, 0.4f), Vector3f(0.3f, 0.9f, 0.8f)};
    static CubicBezierSweep cubicSweep(c);
    static QuadraticBezierSweep quadraticSweep(q);
    CurveSweep& sweep = cubic ? static_cast<CurveSweep&>(cubicSweep) : quadraticSweep;
    sweep.SetSweepTemplate(&DiscTemplate(0.1f));
    sweep.SetEvaluationMode(mode);
    return sweep;
}

InterpolatingLinearSweep& Interpolating()
{
    static InterpolatingLinearSweep sweep;
    if (sweep.GetNumSlices() == 0) {
        sweep.AddSlice(&DiscTemplate(0.3f), 0.0f);
        sweep.AddSlice(&DiscTemplate(0.5f), 0.5f, 0.1f, 0.0f);
        sweep.AddSlice(&DiscTemplate(0.2f), 1.0f);
    }
    return sweep;
}

MultiSweep& Stack()
{
    static DiscreteLinearSweep a(&DiscTemplate(0.5f), Wml::Frame3<float>(Vector3f(0, 0, -0.3f)), 0.3f);
    static DiscreteLinearSweep b(&DiscTemplate(0.3f), Wml::Frame3<float>(Vector3f(0, 0, 0.3f)), 0.3f);
    static MultiSweep stack;
    if (stack.GetNumChildren() == 0) {
        stack.AddChild(&a);
        stack.AddChild(&b);
    }
    return stack;
}

void BM_Sweeps_Template2D_Value(benchmark::State& state)
{
    DiscreteScalarField2D& disc = DiscTemplate(0.5f);
    disc.SetInterpolation(state.range(0) ? DiscreteScalarField2D::Interpolation::CatmullRom
                                         : DiscreteScalarField2D::Interpolation::Bilinear);
    std::mt19937 rng(2);
    std::vector<Wml::Vector2<float>> points(4096);
    for (auto& p : points)
        p = Wml::Vector2<float>(std::uniform_real_distribution<float>(-1.2f, 1.2f)(rng),
                                std::uniform_real_distribution<float>(-1.2f, 1.2f)(rng));
    size_t i = 0;
    for (auto _ : state) {
        const auto& p = points[i++ & 4095];
        benchmark::DoNotOptimize(disc.Value(p.X(), p.Y()));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Sweeps_Template2D_Value)->Arg(0)->Arg(1);

void BM_Sweeps_LinearFlat_Value(benchmark::State& s)
{
    RunValue(s, LinearSweep(0), 0.1f);
}
void BM_Sweeps_LinearFlat_Gradient(benchmark::State& s)
{
    RunGradient(s, LinearSweep(0), 0.1f);
}
void BM_Sweeps_LinearBlobby_Value(benchmark::State& s)
{
    RunValue(s, LinearSweep(1), 0.1f);
}
void BM_Sweeps_LinearBlobby_Gradient(benchmark::State& s)
{
    RunGradient(s, LinearSweep(1), 0.1f);
}
void BM_Sweeps_Revolution_Value(benchmark::State& s)
{
    RunValue(s, Revolution(), 0.1f);
}
void BM_Sweeps_Revolution_Gradient(benchmark::State& s)
{
    RunGradient(s, Revolution(), 0.1f);
}
void BM_Sweeps_CubicBezier_Value(benchmark::State& s)
{
    RunValue(s, Curve(true, int(s.range(0))), 0.1f);
}
void BM_Sweeps_CubicBezier_Gradient(benchmark::State& s)
{
    RunGradient(s, Curve(true, int(s.range(0))), 0.1f);
}
void BM_Sweeps_QuadraticBezier_Value(benchmark::State& s)
{
    RunValue(s, Curve(false, int(s.range(0))), 0.1f);
}
void BM_Sweeps_QuadraticBezier_Gradient(benchmark::State& s)
{
    RunGradient(s, Curve(false, int(s.range(0))), 0.1f);
}
void BM_Sweeps_Interpolating_Value(benchmark::State& s)
{
    RunValue(s, Interpolating(), 0.1f);
}
void BM_Sweeps_Interpolating_Gradient(benchmark::State& s)
{
    RunGradient(s, Interpolating(), 0.1f);
}
void BM_Sweeps_MultiSweep_Value(benchmark::State& s)
{
    RunValue(s, Stack(), 0.1f);
}
void BM_Sweeps_MultiSweep_Gradient(benchmark::State& s)
{
    RunGradient(s, Stack(), 0.1f);
}

BENCHMARK(BM_Sweeps_LinearFlat_Value);
BENCHMARK(BM_Sweeps_LinearFlat_Gradient);
BENCHMARK(BM_Sweeps_LinearBlobby_Value);
BENCHMARK(BM_Sweeps_LinearBlobby_Gradient);
BENCHMARK(BM_Sweeps_Revolution_Value);
BENCHMARK(BM_Sweeps_Revolution_Gradient);
// Argument: evaluation mode (0 exact closest point, 1 polyline).
BENCHMARK(BM_Sweeps_CubicBezier_Value)->Arg(0)->Arg(1);
BENCHMARK(BM_Sweeps_CubicBezier_Gradient)->Arg(0)->Arg(1);
BENCHMARK(BM_Sweeps_QuadraticBezier_Value)->Arg(0)->Arg(1);
BENCHMARK(BM_Sweeps_QuadraticBezier_Gradient)->Arg(0)->Arg(1);
BENCHMARK(BM_Sweeps_Interpolating_Value);
BENCHMARK(BM_Sweeps_Interpolating_Gradient);
BENCHMARK(BM_Sweeps_MultiSweep_Value);
BENCHMARK(BM_Sweeps_MultiSweep_Gradient);

}  // namespace

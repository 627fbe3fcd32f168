// Evaluation speed of the space warps over a soft ball, and the refit cost of
// the variational warp.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "implicit/Falloff.h"
#include "implicit/warps/BarrWarp.h"
#include "implicit/warps/LinearSweepWarp.h"
#include "implicit/warps/VariationalWarp.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

class WarpBenchBall : public ScalarField {
public:
    float Value(float x, float y, float z) override { return FalloffSquared(x * x + y * y + z * z); }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        const float r2 = x * x + y * y + z * z;
        const float d = 2.0f * FalloffSquaredDerivative(r2);
        gx = d * x, gy = d * y, gz = d * z;
        if (value) *value = FalloffSquared(r2);
    }
    void FieldBounds(Wml::AxisAlignedBox3f& box) override
    {
        box = Wml::AxisAlignedBox3f(-1, 1, -1, 1, -1, 1);
    }
};

const std::vector<Vector3f>& Points()
{
    static const std::vector<Vector3f> points = [] {
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> u(-1.2f, 1.2f);
        std::vector<Vector3f> p(4096);
        for (auto& v : p) v = Vector3f(u(rng), u(rng), u(rng));
        return p;
    }();
    return points;
}

WarpPointSet RandomPoints(unsigned count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-0.6f, 0.6f), d(-0.1f, 0.1f);
    WarpPointSet set;
    if (count == 27) {
        for (int k = 0; k < 27; ++k) {
            const Vector3f p(-0.5f + 0.5f * (k % 3), -0.5f + 0.5f * (k / 3 % 3), -0.5f + 0.5f * (k / 9));
            set.AddPoint(p, p + Vector3f(d(rng), d(rng), d(rng)));
        }
        return set;
    }
    for (unsigned i = 0; i < count; ++i) {
        const Vector3f p(u(rng), u(rng), u(rng));
        set.AddPoint(p, p + Vector3f(d(rng), d(rng), d(rng)));
    }
    return set;
}

template <class Warp>
void RunValue(benchmark::State& state, Warp& warp)
{
    const auto& p = Points();
    size_t i = 0;
    for (auto _ : state) {
        const Vector3f& q = p[i++ & 4095];
        benchmark::DoNotOptimize(warp.Value(q.X(), q.Y(), q.Z()));
    }
    state.SetItemsProcessed(state.iterations());
}

template <class Warp>
void RunGradient(benchmark::State& state, Warp& warp)
{
    const auto& p = Points();
    size_t i = 0;
    float gx, gy, gz, v;
    for (auto _ : state) {
        const Vector3f& q = p[i++ & 4095];
        warp.Gradient(q.X(), q.Y(), q.Z(), gx, gy, gz, &v);
        benchmark::DoNotOptimize(gx + gy + gz + v);
    }
    state.SetItemsProcessed(state.iterations());
}

struct BarrSetup {
    WarpBenchBall ball;
    BarrWarp warp;
    explicit BarrSetup(int mode) : warp(mode)
    {
        warp.AddChild(&ball);
        warp.SetTwistRate(1.5f);
        warp.SetTaperScales(1.0f, 0.4f);
        warp.SetBendCurvature(0.8f);
    }
};

struct VariationalSetup {
    WarpBenchBall ball;
    VariationalWarp warp;
    VariationalSetup()
    {
        warp.AddChild(&ball);
        warp.SetWarpPointSet(RandomPoints(27, 5));
    }
};

struct SweepSetup {
    WarpBenchBall ball;
    LinearSweepWarp warp;
    SweepSetup()
    {
        warp.AddChild(&ball);
        warp.SetWarpBallRadius(1.5f);
        warp.SetPath({{0, 0.2f}, {0.5f, 0.6f}, {1, 0.4f}});
    }
};

void BM_Warp_Twist_Value(benchmark::State& s)
{
    BarrSetup b(BarrWarp::TWIST);
    RunValue(s, b.warp);
}
void BM_Warp_Twist_Gradient(benchmark::State& s)
{
    BarrSetup b(BarrWarp::TWIST);
    RunGradient(s, b.warp);
}
void BM_Warp_Taper_Value(benchmark::State& s)
{
    BarrSetup b(BarrWarp::TAPER);
    RunValue(s, b.warp);
}
void BM_Warp_Taper_Gradient(benchmark::State& s)
{
    BarrSetup b(BarrWarp::TAPER);
    RunGradient(s, b.warp);
}
void BM_Warp_Bend_Value(benchmark::State& s)
{
    BarrSetup b(BarrWarp::BEND);
    RunValue(s, b.warp);
}
void BM_Warp_Bend_Gradient(benchmark::State& s)
{
    BarrSetup b(BarrWarp::BEND);
    RunGradient(s, b.warp);
}
void BM_Warp_Variational27_Value(benchmark::State& s)
{
    VariationalSetup v;
    RunValue(s, v.warp);
}
void BM_Warp_Variational27_Gradient(benchmark::State& s)
{
    VariationalSetup v;
    RunGradient(s, v.warp);
}
void BM_Warp_LinearSweep_Value(benchmark::State& s)
{
    SweepSetup w;
    RunValue(s, w.warp);
}
void BM_Warp_LinearSweep_Gradient(benchmark::State& s)
{
    SweepSetup w;
    RunGradient(s, w.warp);
}

void BM_Warp_Variational_Refit(benchmark::State& state)
{
    VariationalWarp warp;
    warp.SetWarpRadius(1.5f);
    warp.SetWarpPointSet(RandomPoints(unsigned(state.range(0)), 9));
    for (auto _ : state) {
        warp.WarpPointSetChanged();
        benchmark::DoNotOptimize(warp.GetMaxDisplacement());
    }
}

}  // namespace

BENCHMARK(BM_Warp_Twist_Value);
BENCHMARK(BM_Warp_Twist_Gradient);
BENCHMARK(BM_Warp_Taper_Value);
BENCHMARK(BM_Warp_Taper_Gradient);
BENCHMARK(BM_Warp_Bend_Value);
BENCHMARK(BM_Warp_Bend_Gradient);
BENCHMARK(BM_Warp_Variational27_Value);
BENCHMARK(BM_Warp_Variational27_Gradient);
BENCHMARK(BM_Warp_LinearSweep_Value);
BENCHMARK(BM_Warp_LinearSweep_Gradient);
BENCHMARK(BM_Warp_Variational_Refit)->Arg(27)->Arg(400)->Unit(benchmark::kMillisecond);

// Template generation from a 200-vertex outline, as the sketch interface does
// it on every inflation or sweep.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "implicit/fields2d/DiscreteFieldGenerator2D.h"
#include "implicit/fields2d/PolygonField2D.h"

namespace {

Wml::LinearComplex2<float> Flower()
{
    Wml::LinearComplex2<float> lc;
    const unsigned n = 200;
    for (unsigned i = 0; i < n; ++i) {
        const float a = 6.2831853f * float(i) / float(n);
        const float r = 100.0f * (1.0f + 0.25f * std::sin(5.0f * a));
        lc.AddVertex(Wml::Vector2<float>(r * std::cos(a), r * std::sin(a)));
    }
    for (unsigned i = 0; i < n; ++i) lc.AddEdge(i, (i + 1) % n);
    return lc;
}

void BM_MakeField(benchmark::State& state)
{
    const auto lc = Flower();
    vynimplicit::DiscreteFieldGenerator2D gen(lc);
    Wml::AxisAlignedBox2<float> box;
    for (auto _ : state) {
        std::unique_ptr<vynimplicit::DiscreteScalarField2D> f(
            gen.MakeField(unsigned(state.range(0)), box, 0.35f));
        benchmark::DoNotOptimize(f.get());
    }
}
BENCHMARK(BM_MakeField)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

void BM_MakeDynFieldVariational(benchmark::State& state)
{
    const auto lc = Flower();
    vynimplicit::DiscreteFieldGenerator2D gen(lc);
    for (auto _ : state) {
        std::unique_ptr<vynimplicit::DynDiscreteScalarField2D> f(
            gen.MakeDynFieldVariational(unsigned(state.range(0)), true, 0.01f, nullptr));
        benchmark::DoNotOptimize(f.get());
    }
}
BENCHMARK(BM_MakeDynFieldVariational)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

// An outline of n vertices: a wavy circle (short edges), or a star whose
// every edge runs from near the centre to the rim (long edges).
Wml::Polygon2<float> ProfileOutline(bool star, unsigned n)
{
    std::vector<Wml::Vector2<float>> v;
    for (unsigned i = 0; i < n; ++i) {
        const float a = 6.2831853f * float(i) / float(n);
        const float r = star ? ((i % 2) ? 0.05f : 1.0f) : 1.0f + 0.3f * std::sin(7.0f * a);
        v.emplace_back(r * std::cos(a), r * std::sin(a));
    }
    return Wml::Polygon2<float>(v);
}

// Building the polygon field's edge grid: args are star (0 or 1), vertex
// count and the band in 1e-4 units (0 for the default band).
void BM_PolygonFieldRebuild(benchmark::State& state)
{
    const Wml::Polygon2<float> outline = ProfileOutline(state.range(0) != 0, unsigned(state.range(1)));
    const float band = float(state.range(2)) * 1e-4f;
    for (auto _ : state) {
        vynimplicit::PolygonField2D field;
        benchmark::DoNotOptimize(field.SetPolygon(outline, band));
    }
}
BENCHMARK(BM_PolygonFieldRebuild)
    ->Args({0, 24000, 1})
    ->Args({1, 24000, 1})
    ->Args({0, 24000, 0})
    ->Args({1, 24000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

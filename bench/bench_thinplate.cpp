#include "wml/IntelThinPlateSpline2d.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

struct SketchField {
    std::vector<double> x, y, value;
};

// A sketch-like field in a 512-pixel square: a wobbly closed outline at 0.5,
// the interior at 1 and the exterior at 0, a third of the points each.
SketchField MakeSketchField(unsigned count)
{
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double pi = 3.14159265358979323846;
    const double centre = 256.0;
    auto radius = [](double angle) {
        return 160.0 + 25.0 * std::sin(3.0 * angle) + 10.0 * std::cos(7.0 * angle);
    };

    SketchField field;
    for (unsigned i = 0; i < count; ++i) {
        const double angle = 2.0 * pi * unit(random);
        const double outline = radius(angle);
        double r = outline;
        double value = 0.5;
        if (i % 3 == 1) {
            r = outline * (0.85 - 0.8 * unit(random));
            value = 1.0;
        } else if (i % 3 == 2) {
            r = outline * (1.15 + 0.4 * unit(random));
            value = 0.0;
        }
        field.x.push_back(centre + r * std::cos(angle));
        field.y.push_back(centre + r * std::sin(angle));
        field.value.push_back(value);
    }
    return field;
}

Wml::IntelThinPlateSpline2d FitField(const SketchField& field, double smoothing)
{
    return Wml::IntelThinPlateSpline2d(static_cast<unsigned>(field.x.size()), field.x.data(), field.y.data(),
                                       field.value.data(), smoothing);
}

constexpr unsigned GridSize = 256;
constexpr double GridStep = 512.0 / GridSize;

void BM_ThinPlateFit(benchmark::State& state)
{
    const SketchField field = MakeSketchField(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        Wml::IntelThinPlateSpline2d spline = FitField(field, 1.0);
        benchmark::DoNotOptimize(spline);
        if (!spline.IsValid()) state.SkipWithError("fit failed");
    }
}
BENCHMARK(BM_ThinPlateFit)->Arg(100)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond);

void BM_ThinPlateSampleGridRows(benchmark::State& state)
{
    const Wml::IntelThinPlateSpline2d spline =
        FitField(MakeSketchField(static_cast<unsigned>(state.range(0))), 1.0);
    std::vector<double> grid(GridSize * GridSize);
    for (auto _ : state) {
        for (unsigned row = 0; row < GridSize; ++row)
            spline.SampleRow(0.0, row * GridStep, &grid[row * GridSize], GridSize, GridStep);
        benchmark::DoNotOptimize(grid.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * GridSize * GridSize);
}
BENCHMARK(BM_ThinPlateSampleGridRows)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_ThinPlateSampleGridValue(benchmark::State& state)
{
    const Wml::IntelThinPlateSpline2d spline =
        FitField(MakeSketchField(static_cast<unsigned>(state.range(0))), 1.0);
    std::vector<double> grid(GridSize * GridSize);
    for (auto _ : state) {
        for (unsigned row = 0; row < GridSize; ++row)
            for (unsigned col = 0; col < GridSize; ++col)
                grid[row * GridSize + col] = spline.Value(col * GridStep, row * GridStep);
        benchmark::DoNotOptimize(grid.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * GridSize * GridSize);
}
BENCHMARK(BM_ThinPlateSampleGridValue)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace

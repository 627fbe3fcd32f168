#pragma once
// Shared loops of the field benchmarks: Value and Gradient evaluations per
// second at a fixed set of random points over a field's bounds.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "implicit/ScalarField.h"

namespace fieldbench {

constexpr size_t POINT_COUNT = 4096;  // a power of two, cycled through

/// Fixed random points over the field's bounds grown by padFraction of their
/// size on every side, so every run sees the same mix of inside, outside and
/// blend-region points.
inline std::vector<Wml::Vector3<float>> SamplePoints(vynimplicit::ScalarField& field,
                                                     float padFraction = 0.0f)
{
    Wml::AxisAlignedBox3<float> box;
    field.FieldBounds(box);
    std::mt19937 rng(1);
    std::vector<Wml::Vector3<float>> points(POINT_COUNT);
    for (Wml::Vector3<float>& p : points)
        for (int a = 0; a < 3; ++a) {
            const float pad = padFraction * (box.Max(a) - box.Min(a));
            p[a] = std::uniform_real_distribution<float>(box.Min(a) - pad, box.Max(a) + pad)(rng);
        }
    return points;
}

inline void RunValue(benchmark::State& state, vynimplicit::ScalarField& field, float padFraction = 0.0f)
{
    const std::vector<Wml::Vector3<float>> points = SamplePoints(field, padFraction);
    size_t i = 0;
    for (auto _ : state) {
        const Wml::Vector3<float>& p = points[i++ & (POINT_COUNT - 1)];
        benchmark::DoNotOptimize(field.Value(p.X(), p.Y(), p.Z()));
    }
    state.SetItemsProcessed(state.iterations());
}

inline void RunGradient(benchmark::State& state, vynimplicit::ScalarField& field, float padFraction = 0.0f)
{
    const std::vector<Wml::Vector3<float>> points = SamplePoints(field, padFraction);
    size_t i = 0;
    for (auto _ : state) {
        const Wml::Vector3<float>& p = points[i++ & (POINT_COUNT - 1)];
        float gx, gy, gz, v;
        field.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
        benchmark::DoNotOptimize(gx);
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace fieldbench

// A Ricci blend of fifty soft balls evaluated directly and through a warm
// sampling grid (both interpolation modes, value and gradient, and the
// gradient interpolated from node gradients). Read the
// grid rows as ratios to the direct rows. "Scattered" queries jump between
// blocks at random; "Coherent" ones walk along lattice rows as a polygonizer does.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/primitives/Point.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

struct GridScene {
    std::vector<std::unique_ptr<Point>> points;
    RicciBlend blend{2.0f};
    AdaptiveUniformGrid3D grid;
    std::vector<Vector3f> scattered, coherent;

    GridScene()
    {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> position(-2.0f, 2.0f), radius(0.6f, 1.0f);
        for (int i = 0; i < 50; ++i) {
            points.push_back(std::make_unique<Point>(Vector3f(position(rng), position(rng), position(rng)),
                                                     1.0f / radius(rng)));
            blend.AddChild(points.back().get(), -1);
        }
        Wml::AxisAlignedBox3<float> box;
        blend.FieldBounds(box);
        grid.SetVoxelSize(box, 128, false);
        for (int i = 0; i < 4096; ++i) {
            Vector3f p;
            for (int a = 0; a < 3; ++a)
                p[a] = std::uniform_real_distribution<float>(box.Min(a), box.Max(a))(rng);
            scattered.push_back(p);
        }
        // Rows of 64 steps of a third of a voxel, 64 rows.
        const float step = grid.GetVoxelSize() / 3.0f;
        for (int row = 0; row < 64; ++row)
            for (int s = 0; s < 64; ++s)
                coherent.push_back(
                    Vector3f(-1.0f + s * step, -1.0f + 0.05f * (row % 8), -0.5f + 0.05f * (row / 8)));
        // Warm both modes over both sets.
        for (const auto* set : {&scattered, &coherent})
            for (const Vector3f& p : *set) {
                grid.SampleTriLinear(p, &blend);
                grid.SampleTriQuadratic(p, &blend);
                Vector3f g;
                grid.SampleGradientNodal(p, &blend, g);
            }
    }
};

GridScene& Scene()
{
    static GridScene scene;
    return scene;
}

enum Kind {
    DirectValue,
    DirectGradient,
    LinearValue,
    LinearGradient,
    QuadraticValue,
    QuadraticGradient,
    NodalGradient
};

template <Kind kind>
void BM_Grid(benchmark::State& state)
{
    GridScene& scene = Scene();
    const std::vector<Vector3f>& points = state.range(0) ? scene.coherent : scene.scattered;
    size_t i = 0;
    Vector3f g;
    float v = 0.0f;
    for (auto _ : state) {
        const Vector3f& p = points[i++ & 4095];
        switch (kind) {
            case DirectValue:
                v = scene.blend.Value(p.X(), p.Y(), p.Z());
                break;
            case DirectGradient:
                scene.blend.Gradient(p.X(), p.Y(), p.Z(), g.X(), g.Y(), g.Z(), &v);
                break;
            case LinearValue:
                v = scene.grid.SampleTriLinear(p, &scene.blend);
                break;
            case LinearGradient:
                scene.grid.SampleGradientTriLinear(p, &scene.blend, g, &v);
                break;
            case QuadraticValue:
                v = scene.grid.SampleTriQuadratic(p, &scene.blend);
                break;
            case QuadraticGradient:
                scene.grid.SampleGradientTriQuadratic(p, &scene.blend, g, &v);
                break;
            case NodalGradient:
                scene.grid.SampleGradientNodal(p, &scene.blend, g, &v);
                break;
        }
        benchmark::DoNotOptimize(v);
        benchmark::DoNotOptimize(g);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(state.range(0) ? "coherent" : "scattered");
}

BENCHMARK_TEMPLATE(BM_Grid, DirectValue)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_Grid, DirectGradient)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_Grid, LinearValue)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_Grid, LinearGradient)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_Grid, QuadraticValue)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_Grid, QuadraticGradient)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_Grid, NodalGradient)->Arg(0)->Arg(1);

}  // namespace

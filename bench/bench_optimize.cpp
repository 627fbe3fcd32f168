// Mesh refinement speed: one step of each flow, one subdivision and the
// normal pass, on an icosphere of 20 480 triangles laid onto a Ricci blend of
// sixteen soft balls. items_per_second is optimizer steps per second.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "implicit/mesh/VFTriangleMesh.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/optimize/IterativeMeshOptimizer.h"
#include "implicit/optimize/MeshNormals.h"
#include "implicit/optimize/OhtakeMeshOptimizer.h"
#include "implicit/primitives/Point.h"
#include "tests/support/MeshShapes.h"

using namespace vynimplicit;
typedef Wml::Vector3<float> Vec3;

namespace {

/// Sixteen balls on a 4 x 4 grid blended into one lumpy slab, and a sphere
/// mesh already laid onto its surface, built once.
struct Scene {
    std::vector<std::unique_ptr<Point>> balls;
    RicciBlend blend{2.0f};
    vynmesh::VFTriangleMesh mesh;

    Scene()
    {
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                float z = 0.1f * static_cast<float>((i + j) % 2);
                balls.push_back(std::make_unique<Point>(Vec3(0.3f * (i - 1.5f), 0.3f * (j - 1.5f), z), 1.0f));
                blend.AddChild(balls.back().get());
            }
        meshtest::MakeIcosphere(mesh, 5, 0.9f);
        OhtakeMeshOptimizer opt(mesh, 1.0f);
        opt.Optimize_ZFlow(20, &blend);
    }
};

Scene& SharedScene()
{
    static Scene scene;
    return scene;
}

template <typename Step>
void RunFlow(benchmark::State& state, Step step)
{
    Scene& scene = SharedScene();
    vynmesh::VFTriangleMesh mesh = scene.mesh;
    OhtakeMeshOptimizer opt(mesh, 0.5f);
    for (auto _ : state) step(opt, &scene.blend);
    state.SetItemsProcessed(state.iterations());
    state.counters["triangles"] = mesh.GetNumTriangles();
}

void BM_RFlow(benchmark::State& s)
{
    RunFlow(s, [](OhtakeMeshOptimizer& o, ScalarField* f) { o.Optimize_RFlow(1, f, false); });
}
void BM_RFlowProjected(benchmark::State& s)
{
    RunFlow(s, [](OhtakeMeshOptimizer& o, ScalarField* f) { o.Optimize_RFlow(1, f, true); });
}
void BM_ZFlow(benchmark::State& s)
{
    RunFlow(s, [](OhtakeMeshOptimizer& o, ScalarField* f) { o.Optimize_ZFlow(1, f); });
}
void BM_NFlow(benchmark::State& s)
{
    RunFlow(s, [](OhtakeMeshOptimizer& o, ScalarField* f) { o.Optimize_NFlow(1, f); });
}
void BM_RZNFlow(benchmark::State& s)
{
    RunFlow(s, [](OhtakeMeshOptimizer& o, ScalarField* f) { o.Optimize_RZNFlow(1, f); });
}
void BM_ZNFlow(benchmark::State& s)
{
    RunFlow(s, [](OhtakeMeshOptimizer& o, ScalarField* f) { o.Optimize_ZNFlow(1, f); });
}
void BM_RNFlow(benchmark::State& s)
{
    RunFlow(s, [](OhtakeMeshOptimizer& o, ScalarField* f) { o.Optimize_RNFlow(1, f); });
}

void BM_ReComputeNormals(benchmark::State& state)
{
    Scene& scene = SharedScene();
    vynmesh::VFTriangleMesh mesh = scene.mesh;
    for (auto _ : state) ReComputeNormals(mesh, &scene.blend);
    state.SetItemsProcessed(state.iterations());
}

// One split of the 20 480-triangle mesh into 81 920; the copy is untimed.
void BM_Subdivide(benchmark::State& state)
{
    Scene& scene = SharedScene();
    for (auto _ : state) {
        state.PauseTiming();
        vynmesh::VFTriangleMesh mesh = scene.mesh;
        state.ResumeTiming();
        IterativeMeshOptimizer opt(mesh, 0.5f);
        opt.InitializeOptimize();
        benchmark::DoNotOptimize(opt.DoOptimize(&scene.blend));
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_RFlow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RFlowProjected)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZFlow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NFlow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RZNFlow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZNFlow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RNFlow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReComputeNormals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Subdivide)->Unit(benchmark::kMillisecond);

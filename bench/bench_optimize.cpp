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

using namespace vynimplicit;
typedef Wml::Vector3<float> Vec3;

namespace {

void BuildIcosphere(vynmesh::VFTriangleMesh& mesh, int levels, float radius)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<Vec3> p = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                           {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    std::vector<unsigned> f = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                               4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                               6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (auto& v : p) v.Normalize();
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<unsigned, unsigned>, unsigned> mid;
        auto midpoint = [&](unsigned a, unsigned b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            Vec3 m = p[a] + p[b];
            m.Normalize();
            p.push_back(m);
            return mid[key] = static_cast<unsigned>(p.size() - 1);
        };
        std::vector<unsigned> g;
        for (size_t i = 0; i < f.size(); i += 3) {
            unsigned a = f[i], b = f[i + 1], c = f[i + 2];
            unsigned ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            g.insert(g.end(), {a, ab, ca, ab, b, bc, ca, bc, c, ab, bc, ca});
        }
        f.swap(g);
    }
    mesh.Clear();
    for (const auto& v : p) mesh.AppendVertex(v * radius);
    for (size_t i = 0; i < f.size(); i += 3) mesh.AppendTriangle(f[i], f[i + 1], f[i + 2]);
}

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
        BuildIcosphere(mesh, 5, 0.9f);
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

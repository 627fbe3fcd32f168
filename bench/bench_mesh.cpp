// The mesh BV tree: build time and query cost against a brute-force scan of
// every triangle. Read the tree rows as ratios to the brute rows.

#include <benchmark/benchmark.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "implicit/mesh/IMeshBVTree.h"
#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/TriangleMesh.h"

using namespace vynmesh;
using Wml::Vector3f;

namespace {

// A UV sphere with about 2 * rings * rings triangles.
void MakeUVSphere(TriangleMesh& m, int rings)
{
    m.Clear();
    const int segs = 2 * rings;
    const float pi = 3.14159265f;
    m.AppendVertex(Vector3f(0, 0, 1));
    for (int i = 1; i < rings; ++i)
        for (int j = 0; j < segs; ++j) {
            float th = pi * i / rings, ph = 2 * pi * j / segs;
            m.AppendVertex(Vector3f(std::sin(th) * std::cos(ph), std::sin(th) * std::sin(ph), std::cos(th)));
        }
    const unsigned south = m.AppendVertex(Vector3f(0, 0, -1));
    auto id = [&](int i, int j) { return unsigned(1 + (i - 1) * segs + (j % segs)); };
    for (int j = 0; j < segs; ++j) m.AppendTriangle(0, id(1, j), id(1, j + 1));
    for (int i = 1; i + 1 < rings; ++i)
        for (int j = 0; j < segs; ++j) {
            m.AppendTriangle(id(i, j), id(i + 1, j), id(i + 1, j + 1));
            m.AppendTriangle(id(i, j), id(i + 1, j + 1), id(i, j + 1));
        }
    for (int j = 0; j < segs; ++j) m.AppendTriangle(south, id(rings - 1, j + 1), id(rings - 1, j));
}

std::vector<Vector3f> RandomPoints(int n)
{
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> u(-2.0f, 2.0f);
    std::vector<Vector3f> pts(n);
    for (auto& p : pts) p = Vector3f(u(rng), u(rng), u(rng));
    return pts;
}

void BM_BVTreeBuild(benchmark::State& state)
{
    TriangleMesh m;
    MakeUVSphere(m, int(state.range(0)));
    IMeshBVTree tree(&m);
    for (auto _ : state) {
        tree.Build();
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = m.GetNumTriangles();
}
BENCHMARK(BM_BVTreeBuild)->Arg(32)->Arg(128);

void BM_BVTreeRay(benchmark::State& state)
{
    TriangleMesh m;
    MakeUVSphere(m, int(state.range(0)));
    IMeshBVTree tree(&m);
    tree.Build();
    const std::vector<Vector3f> pts = RandomPoints(256);
    size_t i = 0;
    for (auto _ : state) {
        const Vector3f& o = pts[i++ % pts.size()];
        float t;
        IMesh::TriangleID tri;
        benchmark::DoNotOptimize(tree.FindRayIntersection(Wml::Ray3<float>(o * 2.0f, -o), t, tri));
    }
}
BENCHMARK(BM_BVTreeRay)->Arg(32)->Arg(128);

void BM_BVTreeNearest(benchmark::State& state)
{
    TriangleMesh m;
    MakeUVSphere(m, int(state.range(0)));
    IMeshBVTree tree(&m);
    tree.Build();
    const std::vector<Vector3f> pts = RandomPoints(256);
    size_t i = 0;
    for (auto _ : state) {
        Vector3f q;
        IMesh::TriangleID tri;
        benchmark::DoNotOptimize(tree.FindNearestPoint(pts[i++ % pts.size()], q, tri));
    }
}
BENCHMARK(BM_BVTreeNearest)->Arg(32)->Arg(128);

void BM_BruteNearest(benchmark::State& state)
{
    TriangleMesh m;
    MakeUVSphere(m, int(state.range(0)));
    const std::vector<Vector3f> pts = RandomPoints(256);
    const std::vector<unsigned>& idx = m.GetIndices();
    size_t i = 0;
    for (auto _ : state) {
        const Vector3f& p = pts[i++ % pts.size()];
        float best = FLT_MAX;
        for (size_t k = 0; k < idx.size(); k += 3) {
            Vector3f q = IMeshBVTree::ClosestPointOnTriangle(
                p, m.GetPosition(idx[k]), m.GetPosition(idx[k + 1]), m.GetPosition(idx[k + 2]));
            best = std::min(best, (q - p).SquaredLength());
        }
        benchmark::DoNotOptimize(best);
    }
}
BENCHMARK(BM_BruteNearest)->Arg(32)->Arg(128);

void BM_IsClosedManifold(benchmark::State& state)
{
    TriangleMesh m;
    MakeUVSphere(m, int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(IMeshUtil::IsClosedManifold(m));
}
BENCHMARK(BM_IsClosedManifold)->Arg(128);

}  // namespace

// Contour lines on a torus of about 80 000 triangles: the curvature estimate
// (once per mesh change) against the per-frame work when only the camera
// moves (suggestive contours, and the silhouette finder as the reference).

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "implicit/mesh/BruteForceSilhouetteFinder.h"
#include "implicit/mesh/SurfaceAnalyzer.h"
#include "implicit/mesh/TriangleMesh.h"

using namespace vynmesh;
using Wml::Vector3f;

namespace {

void MakeTorus(TriangleMesh& m, int nu, int nv)
{
    const float pi = 3.14159265f;
    m.Clear();
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            const float u = 2 * pi * i / nu, v = 2 * pi * j / nv, r = 1.0f + 0.4f * std::cos(v);
            m.AppendVertex(Vector3f(r * std::cos(u), r * std::sin(u), 0.4f * std::sin(v)));
        }
    auto id = [&](int i, int j) { return unsigned((i % nu) * nv + j % nv); };
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            m.AppendTriangle(id(i, j), id(i + 1, j), id(i + 1, j + 1));
            m.AppendTriangle(id(i, j), id(i + 1, j + 1), id(i, j + 1));
        }
}

const TriangleMesh& Torus()
{
    static TriangleMesh mesh;
    if (!mesh.GetNumTriangles()) MakeTorus(mesh, 400, 100);
    return mesh;
}

// A camera circling the torus, one step per frame.
Vector3f Eye(int frame)
{
    const float a = 0.01f * frame;
    return Vector3f(4 * std::cos(a), 4 * std::sin(a), 2.5f);
}

void BM_AnalyzerCurvatureAfterMeshChange(benchmark::State& state)
{
    SurfaceAnalyzer analyzer;
    analyzer.SetMesh(&Torus());
    for (auto _ : state) {
        analyzer.MeshChanged();
        benchmark::DoNotOptimize(analyzer.GetK1().data());
    }
    state.counters["triangles"] = Torus().GetNumTriangles();
}
BENCHMARK(BM_AnalyzerCurvatureAfterMeshChange)->Unit(benchmark::kMillisecond);

void BM_AnalyzerSuggestiveContoursPerFrame(benchmark::State& state)
{
    SurfaceAnalyzer analyzer;
    analyzer.SetMesh(&Torus());
    analyzer.GetK1();  // curvature cached, as between mesh changes
    std::vector<Vector3f> segments;
    int frame = 0;
    for (auto _ : state) {
        analyzer.SuggestiveContours(Eye(frame++), 0.0f, 0.0f, segments);
        benchmark::DoNotOptimize(segments.data());
    }
    state.counters["segments"] = double(segments.size() / 2);
}
BENCHMARK(BM_AnalyzerSuggestiveContoursPerFrame)->Unit(benchmark::kMillisecond);

void BM_SilhouettePerFrame(benchmark::State& state)
{
    BruteForceSilhouetteFinder finder;
    finder.SetMesh(&Torus());
    std::vector<Vector3f> segments;
    finder.Find(Eye(0), segments);  // edge table built, as between mesh changes
    int frame = 0;
    for (auto _ : state) {
        finder.Find(Eye(frame++), segments);
        benchmark::DoNotOptimize(segments.data());
    }
    state.counters["segments"] = double(segments.size() / 2);
}
BENCHMARK(BM_SilhouettePerFrame)->Unit(benchmark::kMillisecond);

}  // namespace

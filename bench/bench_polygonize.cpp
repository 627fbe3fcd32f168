// Polygonizer speed: full runs of a blended scene at three cell sizes, a
// bounded update after moving one point, and the extractor's own rate on a
// field that costs almost nothing.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include "implicit/Falloff.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
#include "implicit/polygonizer/WorkerPool.h"
#include "implicit/primitives/Point.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"

using namespace vynimplicit;
using Vec3 = Wml::Vector3<float>;
using Box = Wml::AxisAlignedBox3<float>;

namespace {

/// 16 points on a 4 x 4 grid 0.6 apart and a blobby sweep of a disc,
/// Ricci-blended with power 6. Points of size 1 (support radius 1) melt into
/// one slab; size 2 gives separate beads whose support box is a few percent
/// of the scene's volume.
struct BlendScene {
    std::vector<std::unique_ptr<Point>> points;
    DiscreteScalarField2D disc{128, 128, Wml::AxisAlignedBox2<float>(-1.0f, 1.0f, -1.0f, 1.0f)};
    DiscreteLinearSweep sweep;
    RicciBlend blend{6.0f};

    explicit BlendScene(float pointSize = 1.0f)
    {
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i) {
                points.push_back(std::make_unique<Point>(
                    Vec3(0.6f * (float(i) - 1.5f), 0.6f * (float(j) - 1.5f), 0), pointSize));
                blend.AddChild(points.back().get());
            }
        for (unsigned j = 0; j < 128; ++j)
            for (unsigned i = 0; i < 128; ++i)
                disc.SetValue(i, j,
                              Falloff(disc.GetSamplePosition(i, j).Length() * FALLOFF_SURFACE_RADIUS / 0.4f));
        sweep.SetSweepTemplate(&disc);
        sweep.SetFrame(Wml::Frame3<float>(Vec3(0, 0, 0.7f)));
        sweep.SetHalfLength(0.4f);
        sweep.SetCapStyle(CapStyle::Blobby);
        sweep.SetFalloffLength(0.3f);
        blend.AddChild(&sweep);
    }
};

/// A ball of radius 0.5 in closed form: almost free to evaluate.
class CheapSphere : public ScalarField {
public:
    float Value(float x, float y, float z) override { return Formula(x, y, z); }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        const float k = FALLOFF_SURFACE_RADIUS * FALLOFF_SURFACE_RADIUS / 0.25f;
        float r2 = (x * x + y * y + z * z) * k;
        float s = r2 >= 1.0f ? 0.0f : -6.0f * k * (1 - r2) * (1 - r2);
        gx = s * x;
        gy = s * y;
        gz = s * z;
        if (value) *value = Formula(x, y, z);
    }
    void FieldBounds(Box& box) override
    {
        const float e = 0.5f / FALLOFF_SURFACE_RADIUS;
        box = Box(-e, e, -e, e, -e, e);
    }
    void GetSeedPoints(std::vector<Vec3>& points) override { points.push_back(Vec3(0.5f, 0, 0)); }

private:
    static float Formula(float x, float y, float z)
    {
        float r2 = (x * x + y * y + z * z) * (FALLOFF_SURFACE_RADIUS * FALLOFF_SURFACE_RADIUS / 0.25f);
        return r2 >= 1.0f ? 0.0f : (1 - r2) * (1 - r2) * (1 - r2);
    }
};

/// 50 balls of random sizes in a 4 x 4 x 4 box, Ricci-blended (power 2),
/// evaluated directly: the field of the side-by-side measurements.
struct BallsScene {
    std::vector<std::unique_ptr<Point>> points;
    RicciBlend blend{2.0f};

    BallsScene()
    {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> position(-2.0f, 2.0f), radius(0.6f, 1.0f);
        for (int i = 0; i < 50; ++i) {
            points.push_back(std::make_unique<Point>(Vec3(position(rng), position(rng), position(rng)),
                                                     1.0f / radius(rng)));
            blend.AddChild(points.back().get());
        }
    }
};

/// Points the polygonizer at a field and a mesh, on a lattice of cells along
/// the longest side, with the given threads.
template <class Polygonizer>
void SetUp(Polygonizer& poly, ScalarField& field, vynmesh::TriangleMesh& mesh, unsigned cells,
           unsigned threads)
{
    poly.SetScalarField(&field);
    poly.SetOutputMesh(&mesh);
    poly.SetGridCells(cells);
    poly.SetThreadCount(threads);
}

/// Passes a field through, counting calls (one thread only).
class CountingField : public ScalarField {
public:
    explicit CountingField(ScalarField& field) : m_field(field) {}
    unsigned long long values = 0, gradients = 0;
    float Value(float x, float y, float z) override
    {
        ++values;
        return m_field.Value(x, y, z);
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        ++gradients;
        m_field.Gradient(x, y, z, gx, gy, gz, value);
    }
    void FieldBounds(Box& box) override { m_field.FieldBounds(box); }
    void GetSeedPoints(std::vector<Vec3>& points) override { m_field.GetSeedPoints(points); }

private:
    ScalarField& m_field;
};

/// Processor time of this thread: the figures should not count time the
/// thread spent waiting for a core.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

/// Seconds per call of Value and of Gradient of field at the given points.
void FieldCallCost(ScalarField& field, const std::vector<Vec3>& points, int rounds, double& valueSeconds,
                   double& gradientSeconds)
{
    float sink = 0;
    const double t0 = ThreadSeconds();
    for (int r = 0; r < rounds; ++r)
        for (const Vec3& p : points) sink += field.Value(p);
    const double t1 = ThreadSeconds();
    for (int r = 0; r < rounds; ++r)
        for (const Vec3& p : points) sink += field.Gradient(p).X();
    const double t2 = ThreadSeconds();
    benchmark::DoNotOptimize(sink);
    const double calls = double(rounds) * double(points.size());
    valueSeconds = (t1 - t0) / calls;
    gradientSeconds = (t2 - t1) / calls;
}

/// 4096 points spread over the field's box.
std::vector<Vec3> PointsInBox(ScalarField& field)
{
    Box box;
    field.FieldBounds(box);
    std::vector<Vec3> points;
    for (int n = 0; n < 4096; ++n) {
        const float u = float((n * 37) % 4096) / 4096.0f, v = float((n * 101) % 4096) / 4096.0f,
                    w = float((n * 173) % 4096) / 4096.0f;
        points.push_back(Vec3(box.Min(0) + u * box.Extent(0), box.Min(1) + v * box.Extent(1),
                              box.Min(2) + w * box.Extent(2)));
    }
    return points;
}

/// Times the polygonizer's runs (processor time of this thread, one thread
/// of the polygonizer) on a counting field, and reports triangles per second
/// as measured and with the field's own time (calls times the cost of a
/// call) taken out.
void MeasureExtraction(benchmark::State& state, GG4CSGPolygonizer3D& poly, const vynmesh::TriangleMesh& mesh,
                       CountingField& field, double valueSeconds, double gradientSeconds)
{
    poly.SetThreadCount(1);
    double triangles = 0, seconds = 0;
    field.values = field.gradients = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        poly.Polygonize();
        seconds += ThreadSeconds() - t0;
        triangles += double(mesh.GetNumTriangles());
    }
    const double fieldSeconds =
        double(field.values) * valueSeconds + double(field.gradients) * gradientSeconds;
    state.counters["triangles_per_second"] = benchmark::Counter(triangles, benchmark::Counter::kIsRate);
    state.counters["field_share"] = fieldSeconds / std::max(1e-12, seconds);
    state.counters["net_triangles_per_second"] = triangles / std::max(1e-12, seconds - fieldSeconds);
}

void BM_PolygonizeBlendFull(benchmark::State& state)
{
    BlendScene scene;
    vynmesh::VFTriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&scene.blend);
    poly.SetOutputMesh(&mesh);
    Box bounds;
    scene.blend.FieldBounds(bounds);
    poly.SetCellSize(bounds, float(state.range(0)) / 1000.0f);
    poly.SetThreadCount(1);
    for (auto _ : state) {
        poly.Polygonize();
        benchmark::DoNotOptimize(mesh.GetNumTriangles());
    }
    state.counters["triangles"] = double(mesh.GetNumTriangles());
    state.counters["evals_per_triangle"] =
        double(poly.GetNumFieldEvaluations()) / std::max(1.0, double(mesh.GetNumTriangles()));
}
BENCHMARK(BM_PolygonizeBlendFull)->Arg(100)->Arg(50)->Arg(25)->Unit(benchmark::kMillisecond);

// One point moves back and forth; each iteration is one bounded update.
// Arguments: cell size and point size in thousandths. Counters: the dirty
// box's share of the field's box, and the update's field evaluations and
// processor time as fractions of a full run of the same polygonizer.
void BM_PolygonizeBlendBoundedUpdate(benchmark::State& state)
{
    BlendScene scene(float(state.range(1)) / 1000.0f);
    vynmesh::VFTriangleMesh mesh;
    DynamicGG4Polygonizer3D poly;
    poly.SetScalarField(&scene.blend);
    poly.SetOutputMesh(&mesh);
    poly.SetCellSize(float(state.range(0)) / 1000.0f);
    poly.SetThreadCount(1);
    double fullSeconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        const double t0 = ThreadSeconds();
        poly.Polygonize(true);
        fullSeconds = std::min(fullSeconds, ThreadSeconds() - t0);
    }
    const double fullEvaluations = double(poly.GetNumFieldEvaluations());
    Box fieldBox;
    scene.blend.FieldBounds(fieldBox);
    const double fieldVolume = double(fieldBox.Extent(0)) * fieldBox.Extent(1) * fieldBox.Extent(2);
    Point& moving = *scene.points[5];
    const Vec3 home = moving.GetCenter();
    bool away = false;
    double updateEvaluations = 0, updateSeconds = 0, dirtyShare = 0, updates = 0;
    for (auto _ : state) {
        Box dirty;
        moving.FieldBounds(dirty);
        moving.SetCenter(away ? home : home + Vec3(0.05f, 0.04f, 0.06f));
        away = !away;
        Box after;
        moving.FieldBounds(after);
        dirty.Merge(after);
        scene.blend.FieldBounds(fieldBox);
        const double t0 = ThreadSeconds();
        poly.UpdatePolygonize(dirty, fieldBox);
        updateSeconds += ThreadSeconds() - t0;
        updateEvaluations += double(poly.GetNumFieldEvaluations());
        dirtyShare += double(dirty.Extent(0)) * dirty.Extent(1) * dirty.Extent(2) / fieldVolume;
        ++updates;
    }
    updates = std::max(1.0, updates);
    state.counters["triangles"] = double(mesh.GetNumTriangles());
    state.counters["dirty_share"] = dirtyShare / updates;
    state.counters["evaluations_to_full"] = updateEvaluations / updates / std::max(1.0, fullEvaluations);
    state.counters["time_to_full"] = updateSeconds / updates / fullSeconds;
}
BENCHMARK(BM_PolygonizeBlendBoundedUpdate)
    ->Args({50, 1000})
    ->Args({50, 2000})
    ->Args({25, 2000})
    ->Unit(benchmark::kMillisecond);

// The extractor's own speed: the field costs next to nothing here, and its
// measured share (calls times the cost of one call) is also taken out.
void BM_ExtractorCheapSphere(benchmark::State& state)
{
    CheapSphere sphere;
    CountingField field(sphere);
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&field);
    poly.SetOutputMesh(&mesh);
    Box bounds;
    sphere.FieldBounds(bounds);
    poly.SetCellSize(bounds, float(state.range(0)) / 1000.0f);
    double valueSeconds = 0, gradientSeconds = 0;
    FieldCallCost(field, PointsInBox(field), 200, valueSeconds, gradientSeconds);
    MeasureExtraction(state, poly, mesh, field, valueSeconds, gradientSeconds);
}
BENCHMARK(BM_ExtractorCheapSphere)->Arg(20)->Arg(10)->Unit(benchmark::kMillisecond);

// A full run on the 50-ball blend, cells along the longest side, on one
// thread or two (wall time: the threads' sum would hide the gain).
// Arguments: cells, threads.
void BM_PolygonizeBallsThreads(benchmark::State& state)
{
    BallsScene scene;
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    SetUp(poly, scene.blend, mesh, unsigned(state.range(0)), unsigned(state.range(1)));
    for (auto _ : state) {
        poly.Polygonize();
        benchmark::DoNotOptimize(mesh.GetNumTriangles());
    }
    state.counters["triangles"] = double(mesh.GetNumTriangles());
    state.counters["evals_per_triangle"] =
        double(poly.GetNumFieldEvaluations()) / std::max(1.0, double(mesh.GetNumTriangles()));
    state.counters["threads"] =
        double(std::min(unsigned(state.range(1)), WorkerPool::Shared().GetMaxThreads()));
}
BENCHMARK(BM_PolygonizeBallsThreads)
    ->ArgsProduct({{64, 128, 256}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// A bounded update on the 50-ball blend after one ball moved, on one thread
// or two. Arguments: cells along the longest side, threads.
void BM_PolygonizeBallsUpdateThreads(benchmark::State& state)
{
    BallsScene scene;
    vynmesh::TriangleMesh mesh;
    DynamicGG4Polygonizer3D poly;
    SetUp(poly, scene.blend, mesh, unsigned(state.range(0)), unsigned(state.range(1)));
    poly.Polygonize(true);
    Point& moving = *scene.points[7];
    const Vec3 home = moving.GetCenter();
    bool away = false;
    for (auto _ : state) {
        Box dirty, after, fieldBox;
        moving.FieldBounds(dirty);
        moving.SetCenter(away ? home : home + Vec3(0.05f, 0.04f, 0.06f));
        away = !away;
        moving.FieldBounds(after);
        dirty.Merge(after);
        scene.blend.FieldBounds(fieldBox);
        poly.UpdatePolygonize(dirty, fieldBox);
    }
    state.counters["triangles"] = double(mesh.GetNumTriangles());
}
BENCHMARK(BM_PolygonizeBallsUpdateThreads)
    ->ArgsProduct({{128}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Extraction on the 50-ball blend with the field's time taken out: calls
// counted, the cost of a call measured on its own. One thread.
void BM_ExtractorBalls(benchmark::State& state)
{
    BallsScene scene;
    CountingField field(scene.blend);
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    SetUp(poly, field, mesh, unsigned(state.range(0)), 1);
    // The cost of a call where the polygonizer asks: at the vertices of a mesh.
    poly.Polygonize();
    std::vector<Vec3> near;
    for (unsigned v = 0; v < mesh.GetNumVertices(); v += 7) near.push_back(mesh.GetPosition(v));
    double valueSeconds = 0, gradientSeconds = 0;
    FieldCallCost(field, near, 20, valueSeconds, gradientSeconds);
    MeasureExtraction(state, poly, mesh, field, valueSeconds, gradientSeconds);
}
BENCHMARK(BM_ExtractorBalls)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace

// The polygonizer at speed: edge vertices placed in few evaluations as
// accurately as bisection placed them, and runs split over several threads
// giving the very mesh a single thread gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "implicit/mesh/TriangleMesh.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
#include "implicit/polygonizer/WorkerPool.h"
#include "implicit/primitives/Point.h"

using namespace vynimplicit;
using Vec3 = Wml::Vector3<float>;
using Box = Wml::AxisAlignedBox3<float>;

namespace {

/// Balls of random sizes blended (Ricci power 2), optionally with a second
/// blend cut out of the first (a difference has kinks along the cut).
struct Scene {
    std::vector<std::unique_ptr<Point>> balls;
    RicciBlend blend{2.0f}, cutter{2.0f};
    MinMaxDifference difference;
    ScalarField* field = &blend;

    Scene(int count, unsigned seed, bool cut)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> position(-1.5f, 1.5f), size(1.0f, 1.7f);
        for (int n = 0; n < count; ++n) {
            balls.push_back(
                std::make_unique<Point>(Vec3(position(rng), position(rng), position(rng)), size(rng)));
            blend.AddChild(balls.back().get());
        }
        if (cut) {
            for (int n = 0; n < 6; ++n) {
                balls.push_back(std::make_unique<Point>(Vec3(position(rng), position(rng), 1.0f), 1.2f));
                cutter.AddChild(balls.back().get());
            }
            difference.AddChild(&blend);
            difference.AddChild(&cutter);
            field = &difference;
        }
    }
};

struct EdgeErrors {
    double worst = 0, mean = 0, worstByBisection = 0, meanByBisection = 0;
    size_t count = 0;
};

/// Every edge vertex of the lattice against the crossing of its edge found
/// by 30 bisections, and against where 8 bisections and a final linear
/// interpolation (the former placement) put it; in cells along the edge.
EdgeErrors MeasureEdgeVertices(const PolygonizerLattice& lattice, ScalarField& field)
{
    EdgeErrors out;
    const float h = lattice.GetCellSize(), iso = lattice.GetIsoValue();
    const Vec3 origin = lattice.GetOrigin();
    for (uint32_t v = 0; v < lattice.GetVertexCapacity(); ++v) {
        if (lattice.IsInteriorVertex(v)) continue;
        const Vec3 p = lattice.GetVertex(v).position;
        // The edge's axis is the coordinate that is off the lattice lines.
        int axis = 0;
        float node[3], off[3];
        for (int a = 0; a < 3; ++a) {
            const float u = (p[a] - origin[a]) / h;
            node[a] = std::floor(u + 1e-4f);
            off[a] = u - node[a];
            if (off[a] > off[axis]) axis = a;
        }
        Vec3 start(origin[0] + node[0] * h, origin[1] + node[1] * h, origin[2] + node[2] * h);
        for (int a = 0; a < 3; ++a)
            if (a != axis) start[a] = p[a];
        Vec3 along(0, 0, 0);
        along[axis] = h;
        auto f = [&](double t) { return field.Value(start + along * float(t)); };
        const double f0 = f(0), f1 = f(1);
        if ((f0 > iso) == (f1 > iso)) continue;  // not a lattice edge vertex
        const double t = (p[axis] - start[axis]) / h;
        // Bisection from a bracket [lo, hi] of the edge.
        auto bisect = [&](int steps, double& lo, double& hi, double& vlo, double& vhi) {
            vlo = f(lo), vhi = f(hi);
            for (int s = 0; s < steps; ++s) {
                const double m = 0.5 * (lo + hi), vm = f(m);
                if ((vm > iso) == (vlo > iso))
                    lo = m, vlo = vm;
                else
                    hi = m, vhi = vm;
            }
        };
        double lo = 0, hi = 1, vlo, vhi;
        bisect(30, lo, hi, vlo, vhi);
        const double exact = 0.5 * (lo + hi);
        lo = 0, hi = 1;
        bisect(8, lo, hi, vlo, vhi);
        const double former = lo + (hi - lo) * (iso - vlo) / (vhi - vlo);
        const double formerError = std::fabs(former - exact);
        // An edge may be crossed more than once: the vertex must lie at one
        // of its crossings, not necessarily the one bisection finds.
        double error = std::fabs(t - exact);
        const double reach = 1.0 / 256.0;
        for (double other : {std::max(0.0, t - reach), std::min(1.0, t + reach)}) {
            double nlo = std::min(t, other), nhi = std::max(t, other);
            if ((f(nlo) > iso) == (f(nhi) > iso)) continue;
            bisect(30, nlo, nhi, vlo, vhi);
            error = std::min(error, std::fabs(t - 0.5 * (nlo + nhi)));
        }
        out.worst = std::max(out.worst, error);
        out.worstByBisection = std::max(out.worstByBisection, formerError);
        out.mean += error;
        out.meanByBisection += formerError;
        ++out.count;
    }
    out.mean /= double(std::max<size_t>(1, out.count));
    out.meanByBisection /= double(std::max<size_t>(1, out.count));
    return out;
}

TEST(PolygonizerEdgeVertices, AsAccurateAsEightBisectionsInFewerEvaluations)
{
    struct Case {
        int balls;
        bool cut;
        unsigned cells;
    };
    for (const Case& c : {Case{50, false, 64}, Case{50, false, 128}, Case{20, true, 64}}) {
        SCOPED_TRACE(testing::Message() << c.balls << " balls, cut " << c.cut << ", " << c.cells << " cells");
        Scene scene(c.balls, 7, c.cut);
        vynmesh::TriangleMesh mesh;
        // The incremental polygonizer keeps its lattice's vertices after a run.
        DynamicGG4Polygonizer3D poly;
        poly.SetScalarField(scene.field);
        poly.SetOutputMesh(&mesh);
        poly.SetGridCells(c.cells);
        ASSERT_TRUE(poly.Polygonize(true));
        ASSERT_GT(mesh.GetNumTriangles(), 1000u);
        const double perTriangle = double(poly.GetNumFieldEvaluations()) / double(mesh.GetNumTriangles());
        const EdgeErrors e = MeasureEdgeVertices(poly.GetLattice(), *scene.field);
        SCOPED_TRACE(testing::Message() << perTriangle << " evaluations per triangle; worst and mean error "
                                        << e.worst << ", " << e.mean << " (by bisection "
                                        << e.worstByBisection << ", " << e.meanByBisection << ")");
        EXPECT_GT(e.count, mesh.GetNumTriangles() / 3);
        EXPECT_LE(perTriangle, 3.5);
        // No vertex farther from its crossing than bisection's worst; on
        // average within float noise of it (both are about 1e-6 cells).
        EXPECT_LE(e.worst, std::max(e.worstByBisection, 1e-6));
        EXPECT_LE(e.mean, 1.5 * e.meanByBisection + 1e-7);
    }
}

}  // namespace

namespace {

void ExpectSameMesh(const vynmesh::TriangleMesh& a, const vynmesh::TriangleMesh& b)
{
    ASSERT_EQ(a.GetNumVertices(), b.GetNumVertices());
    ASSERT_EQ(a.GetNumTriangles(), b.GetNumTriangles());
    size_t differ = 0;
    for (unsigned v = 0; v < a.GetNumVertices(); ++v)
        differ += a.GetPosition(v) != b.GetPosition(v) || a.GetNormal(v) != b.GetNormal(v);
    for (unsigned t = 0; t < a.GetNumTriangles(); ++t) {
        unsigned x[3], y[3];
        a.GetTriangle(t, x);
        b.GetTriangle(t, y);
        differ += x[0] != y[0] || x[1] != y[1] || x[2] != y[2];
    }
    EXPECT_EQ(differ, 0u);
}

TEST(PolygonizerThreads, EveryThreadCountGivesTheSameMesh)
{
    for (bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "blend with a cut" : "blend");
        Scene scene(40, 11, cut);
        // A full run of each polygonizer, the sharp-feature mode, and a
        // bounded update after one ball moved.
        auto run = [&](unsigned threads, vynmesh::TriangleMesh& full, vynmesh::TriangleMesh& sharp,
                       vynmesh::TriangleMesh& updated) {
            Point& moving = *scene.balls[3];
            const Vec3 home = moving.GetCenter();
            GG4CSGPolygonizer3D poly;
            poly.SetScalarField(scene.field);
            poly.SetOutputMesh(&full);
            poly.SetGridCells(96);
            poly.SetThreadCount(threads);
            EXPECT_TRUE(poly.Polygonize());
            poly.SetExtended(true);
            poly.SetOutputMesh(&sharp);
            EXPECT_TRUE(poly.Polygonize());
            DynamicGG4Polygonizer3D dynamic;
            dynamic.SetScalarField(scene.field);
            dynamic.SetOutputMesh(&updated);
            dynamic.SetCellSize(0.05f);
            dynamic.SetThreadCount(threads);
            EXPECT_TRUE(dynamic.Polygonize(true));
            Box dirty, fieldBox;
            moving.FieldBounds(dirty);
            moving.SetCenter(home + Vec3(0.1f, -0.05f, 0.07f));
            Box after;
            moving.FieldBounds(after);
            dirty.Merge(after);
            scene.field->FieldBounds(fieldBox);
            EXPECT_TRUE(dynamic.UpdatePolygonize(dirty, fieldBox));
            moving.SetCenter(home);
        };
        vynmesh::TriangleMesh full1, sharp1, updated1;
        run(1, full1, sharp1, updated1);
        ASSERT_GT(full1.GetNumTriangles(), 10000u);
        for (unsigned threads : {2u, 4u, 0u}) {
            SCOPED_TRACE(testing::Message() << threads << " threads");
            vynmesh::TriangleMesh full, sharp, updated;
            run(threads, full, sharp, updated);
            ExpectSameMesh(full1, full);
            ExpectSameMesh(sharp1, sharp);
            ExpectSameMesh(updated1, updated);
        }
    }
}

TEST(WorkerPool, RunsEveryTaskOnceAndSurvivesNestingAndFaults)
{
    WorkerPool pool(3);
    for (size_t count : {0u, 1u, 7u, 1000u}) {
        std::vector<std::atomic<int>> hits(count);
        pool.Run(count, 4, [&](size_t t) { hits[t].fetch_add(1); });
        for (size_t t = 0; t < count; ++t) EXPECT_EQ(hits[t].load(), 1) << t << " of " << count;
    }
    // A task that asks the pool again runs its inner tasks itself.
    std::atomic<int> inner{0};
    pool.Run(8, 4, [&](size_t) { pool.Run(10, 4, [&](size_t) { inner.fetch_add(1); }); });
    EXPECT_EQ(inner.load(), 80);
    // Two callers at once: one gets the pool, the other works alone.
    std::atomic<int> both{0};
    std::thread other([&] { pool.Run(500, 4, [&](size_t) { both.fetch_add(1); }); });
    pool.Run(500, 4, [&](size_t) { both.fetch_add(1); });
    other.join();
    EXPECT_EQ(both.load(), 1000);
    // A failing task: the others still finish and the fault reaches the caller.
    EXPECT_THROW(pool.Run(100, 4,
                          [&](size_t t) {
                              if (t == 17) throw std::runtime_error("task failed");
                          }),
                 std::runtime_error);
    std::atomic<int> after{0};
    pool.Run(50, 4, [&](size_t) { after.fetch_add(1); });
    EXPECT_EQ(after.load(), 50);
}

}  // namespace

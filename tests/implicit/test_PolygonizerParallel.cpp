// The polygonizer at speed: edge vertices placed in few evaluations as
// accurately as bisection placed them, and runs split over several threads
// giving the very mesh a single thread gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "implicit/mesh/TriangleMesh.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
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
            balls.push_back(std::make_unique<Point>(Vec3(position(rng), position(rng), position(rng)), size(rng)));
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
                                        << e.worst << ", " << e.mean << " (by bisection " << e.worstByBisection
                                        << ", " << e.meanByBisection << ")");
        EXPECT_GT(e.count, mesh.GetNumTriangles() / 3);
        EXPECT_LE(perTriangle, 3.5);
        // No vertex farther from its crossing than bisection's worst; on
        // average within float noise of it.
        EXPECT_LE(e.worst, std::max(e.worstByBisection, 1e-6));
        EXPECT_LE(e.mean, 1.25 * e.meanByBisection + 1e-7);
    }
}

}  // namespace

// The polygonizers: topology and accuracy of the extracted meshes, lattice
// set-up in both modes, continuation and its fallback, sharp features, and
// bounded updates matching a full run.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <vector>

#include "implicit/Falloff.h"
#include "implicit/mesh/TriangleMesh.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
#include "implicit/primitives/Point.h"

using namespace vynimplicit;
using Vec3 = Wml::Vector3<float>;
using Box = Wml::AxisAlignedBox3<float>;

namespace {

const float SURFACE_R = 0.454202f;  // where (1 - r^2)^3 = 0.5

float Soft(float r)
{
    return r >= 1.0f ? 0.0f : (1 - r * r) * (1 - r * r) * (1 - r * r);
}
float SoftSlope(float r)
{
    return r >= 1.0f ? 0.0f : -6.0f * r * (1 - r * r) * (1 - r * r);
}

/// Soft ring around the z axis (tube falloff radius tube, ring radius ring).
class TorusField : public ScalarField {
public:
    float ring = 0.6f, tube = 0.5f;
    float Value(float x, float y, float z) override { return Soft(Distance(x, y, z) / tube); }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        float rho = std::sqrt(x * x + y * y), d = Distance(x, y, z);
        float s = d > 0 ? SoftSlope(d / tube) / (tube * d) : 0.0f;
        float cx = rho > 0 ? x * ring / rho : 0, cy = rho > 0 ? y * ring / rho : 0;
        gx = s * (x - cx);
        gy = s * (y - cy);
        gz = s * z;
        if (value) *value = Soft(d / tube);
    }
    void FieldBounds(Box& box) override
    {
        float e = ring + tube;
        box = Box(-e, e, -e, e, -tube, tube);
    }
    void GetSeedPoints(std::vector<Vec3>& points) override
    {
        points.push_back(Vec3(ring + tube * SURFACE_R, 0, 0));
    }
    float Distance(float x, float y, float z) const
    {
        float rho = std::sqrt(x * x + y * y) - ring;
        return std::sqrt(rho * rho + z * z);
    }
};

/// Axis-aligned cube of half side a with flat faces and sharp edges:
/// 0.5 - (max-norm distance - a), clamped.
class CubeField : public ScalarField {
public:
    float a = 0.5f;
    float Value(float x, float y, float z) override
    {
        float d = std::max({std::fabs(x), std::fabs(y), std::fabs(z)}) - a;
        return std::max(0.0f, std::min(1.0f, 0.5f - d));
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        float p[3] = {x, y, z}, g[3] = {0, 0, 0};
        int m = 0;
        for (int i = 1; i < 3; ++i)
            if (std::fabs(p[i]) > std::fabs(p[m])) m = i;
        float v = Value(x, y, z);
        if (v > 0 && v < 1) g[m] = p[m] > 0 ? -1.0f : 1.0f;
        gx = g[0];
        gy = g[1];
        gz = g[2];
        if (value) *value = v;
    }
    void FieldBounds(Box& box) override
    {
        float e = a + 0.5f;
        box = Box(-e, e, -e, e, -e, e);
    }
    void GetSeedPoints(std::vector<Vec3>& points) override { points.push_back(Vec3(a, 0.01f, 0.02f)); }
    /// Distance from p to the cube's surface.
    float SurfaceDistance(const Vec3& p) const
    {
        float out = 0, in = 1e9f;
        for (int i = 0; i < 3; ++i) {
            float d = std::fabs(p[i]) - a;
            out += d > 0 ? d * d : 0;
            in = std::min(in, -d);
        }
        return out > 0 ? std::sqrt(out) : in;
    }
};

/// Wraps a field, counting calls and remembering where it was asked (from
/// any of the polygonizer's threads).
class CountingField : public ScalarField {
public:
    explicit CountingField(ScalarField* f) : inner(f) {}
    ScalarField* inner;
    long calls = 0;
    Box asked;
    bool withholdSeeds = false;
    float Value(float x, float y, float z) override
    {
        Note(x, y, z);
        return inner->Value(x, y, z);
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        Note(x, y, z);
        inner->Gradient(x, y, z, gx, gy, gz, value);
    }
    void FieldBounds(Box& box) override { inner->FieldBounds(box); }
    void GetSeedPoints(std::vector<Vec3>& points) override
    {
        if (!withholdSeeds) inner->GetSeedPoints(points);
    }
    void Note(float x, float y, float z)
    {
        std::lock_guard<std::mutex> lock(noting);
        ++calls;
        asked.Merge(Vec3(x, y, z));
    }
    std::mutex noting;
};

struct Topology {
    bool closedManifold = true;  // every edge in exactly two triangles, opposite directions
    int euler = 0;
    bool allVerticesUsed = true;
};

Topology Examine(const vynmesh::TriangleMesh& mesh)
{
    Topology t;
    std::map<std::pair<unsigned, unsigned>, int> directed;
    std::vector<bool> used(mesh.GetNumVertices(), false);
    for (unsigned f = 0; f < mesh.GetNumTriangles(); ++f) {
        unsigned v[3];
        mesh.GetTriangle(f, v);
        for (int c = 0; c < 3; ++c) {
            used[v[c]] = true;
            ++directed[{v[c], v[(c + 1) % 3]}];
        }
    }
    size_t undirected = 0;
    for (auto& e : directed) {
        auto rev = directed.find({e.first.second, e.first.first});
        if (e.second != 1 || rev == directed.end() || rev->second != 1) t.closedManifold = false;
        if (e.first.first < e.first.second) ++undirected;
    }
    for (bool u : used) t.allVerticesUsed = t.allVerticesUsed && u;
    t.euler = int(mesh.GetNumVertices()) - int(undirected) + int(mesh.GetNumTriangles());
    return t;
}

/// Signed volume enclosed by the mesh: positive for outward winding.
double SignedVolume(const vynmesh::TriangleMesh& mesh)
{
    double vol = 0;
    for (unsigned f = 0; f < mesh.GetNumTriangles(); ++f) {
        unsigned v[3];
        mesh.GetTriangle(f, v);
        Vec3 a = mesh.GetPosition(v[0]), b = mesh.GetPosition(v[1]), c = mesh.GetPosition(v[2]);
        vol += double(a.Dot(b.Cross(c))) / 6.0;
    }
    return vol;
}

Vec3 Centroid(const vynmesh::TriangleMesh& mesh, unsigned f)
{
    unsigned v[3];
    mesh.GetTriangle(f, v);
    return (mesh.GetPosition(v[0]) + mesh.GetPosition(v[1]) + mesh.GetPosition(v[2])) / 3.0f;
}

float TriangleArea(const vynmesh::TriangleMesh& mesh, unsigned f)
{
    unsigned v[3];
    mesh.GetTriangle(f, v);
    Vec3 a = mesh.GetPosition(v[0]), b = mesh.GetPosition(v[1]), c = mesh.GetPosition(v[2]);
    return 0.5f * (b - a).Cross(c - a).Length();
}

Vec3 FaceNormal(const vynmesh::TriangleMesh& mesh, unsigned f)
{
    unsigned v[3];
    mesh.GetTriangle(f, v);
    Vec3 n = (mesh.GetPosition(v[1]) - mesh.GetPosition(v[0]))
                 .Cross(mesh.GetPosition(v[2]) - mesh.GetPosition(v[0]));
    n.Normalize();
    return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// Lattice set-up
// ---------------------------------------------------------------------------

TEST(PolygonizerLattice, CellSizeModeAlignsToMinCorner)
{
    PolygonizerLattice lattice;
    ASSERT_TRUE(lattice.SetCellSize(Box(-1, 1, 0, 0.5f, 2, 2.25f), 0.1f));
    EXPECT_FLOAT_EQ(lattice.GetCellSize(), 0.1f);
    EXPECT_EQ(lattice.GetOrigin(), Vec3(-1, 0, 2));
    EXPECT_EQ(lattice.GetCellCount(0), 20);
    EXPECT_EQ(lattice.GetCellCount(1), 5);
    EXPECT_EQ(lattice.GetCellCount(2), 3);  // a partial cell still counts
}

TEST(PolygonizerLattice, CellCountModeDividesLongestSide)
{
    PolygonizerLattice lattice;
    ASSERT_TRUE(lattice.SetCellCount(Box(0, 2, 0, 1, 0, 0.5f), 40));
    EXPECT_FLOAT_EQ(lattice.GetCellSize(), 0.05f);
    EXPECT_EQ(lattice.GetCellCount(0), 40);
    EXPECT_EQ(lattice.GetCellCount(1), 20);
    EXPECT_EQ(lattice.GetCellCount(2), 10);
}

TEST(PolygonizerLattice, HostileSetUpIsRefusedOrBounded)
{
    PolygonizerLattice lattice;
    EXPECT_FALSE(lattice.SetCellSize(Box(), 0.1f));
    EXPECT_FALSE(lattice.SetCellSize(Box(0, NAN, 0, 1, 0, 1), 0.1f));
    EXPECT_FALSE(lattice.SetCellSize(Box(0, 1, 0, 1, 0, 1), NAN));
    ASSERT_TRUE(lattice.SetCellSize(Box(0, 1000, 0, 1, 0, 1), 1e-9f));
    EXPECT_LE(lattice.GetCellCount(0), PolygonizerLattice::MAX_CELLS_PER_AXIS);
    ASSERT_TRUE(lattice.SetCellCount(Box(0, 1, 0, 1, 0, 1), 4000000000u));
    EXPECT_LE(lattice.GetCellCount(0), PolygonizerLattice::MAX_CELLS_PER_AXIS);
}

// ---------------------------------------------------------------------------
// Continuation polygonizer: topology and accuracy
// ---------------------------------------------------------------------------

TEST(GG4CSGPolygonizer, SphereIsClosedGenusZeroOnTheSurface)
{
    Point ball(Vec3(0.1f, -0.05f, 0.02f), 1.0f);
    vynmesh::VFTriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&ball);
    poly.SetOutputMesh(&mesh);
    Box bounds;
    ball.FieldBounds(bounds);
    const float cell = 0.07f;
    poly.SetCellSize(bounds, cell);
    ASSERT_TRUE(poly.Polygonize());
    ASSERT_GT(mesh.GetNumTriangles(), 100u);
    Topology t = Examine(mesh);
    EXPECT_TRUE(t.closedManifold);
    EXPECT_TRUE(t.allVerticesUsed);
    EXPECT_EQ(t.euler, 2);
    EXPECT_GT(SignedVolume(mesh), 0.0);
    const float tol = cell / 256.0f + 1e-5f;  // 8 bisections
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
        Vec3 d = mesh.GetPosition(v) - ball.GetCenter();
        EXPECT_NEAR(d.Length(), SURFACE_R, tol);
        d.Normalize();
        EXPECT_GT(mesh.GetNormal(v).Dot(d), 0.99f);
    }
    for (unsigned f = 0; f < mesh.GetNumTriangles(); ++f)
        EXPECT_GT(FaceNormal(mesh, f).Dot(Centroid(mesh, f) - ball.GetCenter()), 0.0f);
    EXPECT_GT(poly.GetNumFieldEvaluations(), 0u);
}

TEST(GG4CSGPolygonizer, FewerBisectionsLooserButStillClosed)
{
    Point ball(Vec3(0, 0, 0), 1.0f);
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&ball);
    poly.SetOutputMesh(&mesh);
    poly.SetGridCells(12);
    poly.SetEdgeBisections(0);
    ASSERT_TRUE(poly.Polygonize());
    unsigned long long cheap = poly.GetNumFieldEvaluations();
    EXPECT_TRUE(Examine(mesh).closedManifold);
    poly.SetEdgeBisections(8);
    ASSERT_TRUE(poly.Polygonize());
    EXPECT_GT(poly.GetNumFieldEvaluations(), cheap);
}

TEST(GG4CSGPolygonizer, TorusHasEulerCharacteristicZero)
{
    TorusField torus;
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&torus);
    poly.SetOutputMesh(&mesh);
    Box bounds;
    torus.FieldBounds(bounds);
    poly.SetCellSize(bounds, 0.04f);
    ASSERT_TRUE(poly.Polygonize());
    Topology t = Examine(mesh);
    EXPECT_TRUE(t.closedManifold);
    EXPECT_EQ(t.euler, 0);
    EXPECT_GT(SignedVolume(mesh), 0.0);
}

TEST(GG4CSGPolygonizer, ProgressRisesToOneAndLeavesTheMeshAsItWas)
{
    TorusField torus;
    Box bounds;
    torus.FieldBounds(bounds);
    vynmesh::TriangleMesh quiet, told;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&torus);
    poly.SetCellSize(bounds, 0.03f);
    poly.SetOutputMesh(&quiet);
    ASSERT_TRUE(poly.Polygonize());
    std::vector<float> shares;
    poly.SetProgress([&shares](float done) { shares.push_back(done); });
    poly.SetOutputMesh(&told);
    ASSERT_TRUE(poly.Polygonize());
    ASSERT_GT(shares.size(), 10u);
    EXPECT_EQ(shares.front(), 0.0f);
    EXPECT_EQ(shares.back(), 1.0f);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    // Reporting splits the work into runs of cells; the mesh is the same.
    EXPECT_EQ(told.GetIndices(), quiet.GetIndices());
    EXPECT_EQ(told.GetPositions(), quiet.GetPositions());
}

TEST(GG4CSGPolygonizer, FindsDisjointPiecesWithAndWithoutSeeds)
{
    Point a(Vec3(-1, 0, 0), 1.0f), b(Vec3(1.2f, 0.3f, 0), 1.0f);
    MinMaxUnion both;
    both.AddChild(&a);
    both.AddChild(&b);
    CountingField counted(&both);
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&counted);
    poly.SetOutputMesh(&mesh);
    poly.SetGridCells(60);
    ASSERT_TRUE(poly.Polygonize());
    Topology t = Examine(mesh);
    EXPECT_TRUE(t.closedManifold);
    EXPECT_EQ(t.euler, 4);  // two spheres
    unsigned withSeeds = mesh.GetNumTriangles();

    // The coarse scan alone still finds both.
    counted.withholdSeeds = true;
    ASSERT_TRUE(poly.Polygonize());
    EXPECT_EQ(mesh.GetNumTriangles(), withSeeds);
    EXPECT_EQ(Examine(mesh).euler, 4);
}

TEST(GG4CSGPolygonizer, CsgDifferenceIsClosed)
{
    Point a(Vec3(0, 0, 0), 1.0f), b(Vec3(0.35f, 0.1f, 0), 1.2f);
    MinMaxDifference diff;
    diff.AddChild(&a);
    diff.AddChild(&b);
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&diff);
    poly.SetOutputMesh(&mesh);
    poly.SetGridCells(40);
    ASSERT_TRUE(poly.Polygonize());
    ASSERT_GT(mesh.GetNumTriangles(), 0u);
    Topology t = Examine(mesh);
    EXPECT_TRUE(t.closedManifold);
    EXPECT_EQ(t.euler, 2);
    EXPECT_GT(SignedVolume(mesh), 0.0);
}

TEST(GG4CSGPolygonizer, NothingToDoLeavesEmptyMesh)
{
    GG4CSGPolygonizer3D poly;
    vynmesh::TriangleMesh mesh;
    EXPECT_FALSE(poly.Polygonize());  // no mesh
    poly.SetOutputMesh(&mesh);
    EXPECT_FALSE(poly.Polygonize());  // no field
    Point far(Vec3(0, 0, 0), 1.0f);
    poly.SetScalarField(&far);
    poly.SetIsoValue(2.0f);  // no surface at all
    poly.SetGridCells(8);
    EXPECT_TRUE(poly.Polygonize());
    EXPECT_EQ(mesh.GetNumTriangles(), 0u);
}

// ---------------------------------------------------------------------------
// Extended mode: sharp features
// ---------------------------------------------------------------------------

namespace {
struct CubeError {
    float distance = 0;     // worst distance of triangle centroids from the cube
    float normalError = 0;  // mean 1 - cos between triangle normals and the nearest face normal
    Topology topology;
};

CubeError PolygonizeCube(bool extended)
{
    CubeField cube;
    vynmesh::TriangleMesh mesh;
    GG4CSGPolygonizer3D poly;
    poly.SetScalarField(&cube);
    poly.SetOutputMesh(&mesh);
    Box bounds;
    cube.FieldBounds(bounds);
    poly.SetCellSize(bounds, 0.07f);  // faces fall between lattice planes
    poly.SetExtended(extended);
    poly.Polygonize();
    CubeError e;
    e.topology = Examine(mesh);
    float totalArea = 0;
    for (unsigned f = 0; f < mesh.GetNumTriangles(); ++f) {
        Vec3 c = Centroid(mesh, f);
        e.distance = std::max(e.distance, std::fabs(cube.SurfaceDistance(c)));
        // Normal error against the closest of the six face normals, weighted by area.
        Vec3 n = FaceNormal(mesh, f);
        float best = std::max({n[0], -n[0], n[1], -n[1], n[2], -n[2]});
        float area = TriangleArea(mesh, f);
        e.normalError += area * (1.0f - best);
        totalArea += area;
    }
    if (totalArea > 0) e.normalError /= totalArea;
    return e;
}
}  // namespace

TEST(GG4CSGPolygonizer, ExtendedModeKeepsCubeEdgesSharp)
{
    CubeError plain = PolygonizeCube(false), sharp = PolygonizeCube(true);
    EXPECT_TRUE(plain.topology.closedManifold);
    EXPECT_TRUE(sharp.topology.closedManifold);
    EXPECT_EQ(sharp.topology.euler, 2);
    EXPECT_LT(sharp.distance, 0.5f * plain.distance);
    EXPECT_LT(sharp.normalError, 0.5f * plain.normalError);
}

TEST(GG4CSGPolygonizer, ExtendedModeKeepsCsgResultsClosed)
{
    // Creases where the difference cuts the ball, and two balls meeting at a
    // circle of creases under a union.
    Point a(Vec3(0, 0, 0), 1.0f), b(Vec3(0.35f, 0.1f, 0), 1.2f), c(Vec3(0.5f, 0, 0.05f), 1.0f);
    MinMaxDifference diff;
    diff.AddChild(&a);
    diff.AddChild(&b);
    MinMaxUnion uni;
    uni.AddChild(&a);
    uni.AddChild(&c);
    for (ScalarField* field : {static_cast<ScalarField*>(&diff), static_cast<ScalarField*>(&uni)})
        for (unsigned cells : {17u, 30u, 41u}) {
            vynmesh::VFTriangleMesh mesh;
            GG4CSGPolygonizer3D poly;
            poly.SetScalarField(field);
            poly.SetOutputMesh(&mesh);
            poly.SetGridCells(cells);
            poly.SetExtended(true);
            ASSERT_TRUE(poly.Polygonize());
            Topology t = Examine(mesh);
            EXPECT_TRUE(t.closedManifold) << cells;
            EXPECT_EQ(t.euler, 2) << cells;
            EXPECT_GT(SignedVolume(mesh), 0.0);
        }
}

// ---------------------------------------------------------------------------
// Bounded polygonizer: full runs and local updates
// ---------------------------------------------------------------------------

namespace {

using PositionTriangle = std::array<float, 9>;

/// Triangles as position triples, each rotated to start at its smallest
/// vertex (keeping the winding), sorted: independent of vertex numbering.
std::vector<PositionTriangle> TriangleSet(const vynmesh::TriangleMesh& mesh)
{
    std::vector<PositionTriangle> out;
    for (unsigned f = 0; f < mesh.GetNumTriangles(); ++f) {
        unsigned v[3];
        mesh.GetTriangle(f, v);
        std::array<std::array<float, 3>, 3> p;
        for (int c = 0; c < 3; ++c)
            for (int a = 0; a < 3; ++a) p[c][a] = mesh.GetPosition(v[c])[a];
        int first = int(std::min_element(p.begin(), p.end()) - p.begin());
        PositionTriangle t;
        for (int c = 0; c < 3; ++c)
            for (int a = 0; a < 3; ++a) t[c * 3 + a] = p[(first + c) % 3][a];
        out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
}

void ExpectSameTriangles(const vynmesh::TriangleMesh& a, const vynmesh::TriangleMesh& b)
{
    std::vector<PositionTriangle> ta = TriangleSet(a), tb = TriangleSet(b);
    ASSERT_EQ(ta.size(), tb.size());
    for (size_t t = 0; t < ta.size(); ++t)
        for (int x = 0; x < 9; ++x) ASSERT_NEAR(ta[t][x], tb[t][x], 1e-5f) << "triangle " << t;
}

Box Grown(Box b, float by)
{
    for (int a = 0; a < 3; ++a) {
        b.Min(a) -= by;
        b.Max(a) += by;
    }
    return b;
}

bool Contains(const Box& outer, const Box& inner)
{
    for (int a = 0; a < 3; ++a)
        if (inner.Min(a) < outer.Min(a) || inner.Max(a) > outer.Max(a)) return false;
    return true;
}

/// A large ball with a small bump on its surface that the tests move.
struct BumpScene {
    Point body{Vec3(0, 0, 0), 0.5f};
    Point bump{Vec3(0.85f, 0.1f, 0), 2.0f};
    MinMaxUnion field;
    CountingField counted{&field};
    BumpScene()
    {
        field.AddChild(&body);
        field.AddChild(&bump);
    }
    Box BumpBounds()
    {
        Box b;
        bump.FieldBounds(b);
        return b;
    }
};

}  // namespace

TEST(DynamicGG4Polygonizer, FullRunMatchesContinuationPolygonizer)
{
    BumpScene scene;
    vynmesh::TriangleMesh dynamicMesh, plainMesh;
    DynamicGG4Polygonizer3D dynamic;
    dynamic.SetScalarField(&scene.field);
    dynamic.SetOutputMesh(&dynamicMesh);
    dynamic.SetCellSize(0.08f);
    ASSERT_TRUE(dynamic.Polygonize(true));
    GG4CSGPolygonizer3D plain;
    plain.SetScalarField(&scene.field);
    plain.SetOutputMesh(&plainMesh);
    Box bounds;
    scene.field.FieldBounds(bounds);
    plain.SetCellSize(bounds, 0.08f);
    ASSERT_TRUE(plain.Polygonize());
    Topology t = Examine(dynamicMesh);
    EXPECT_TRUE(t.closedManifold);
    EXPECT_EQ(t.euler, 2);
    ExpectSameTriangles(dynamicMesh, plainMesh);
}

TEST(DynamicGG4Polygonizer, UpdateEqualsFullRunAndStaysLocal)
{
    BumpScene scene;
    vynmesh::VFTriangleMesh mesh, reference;
    DynamicGG4Polygonizer3D dynamic;
    dynamic.SetScalarField(&scene.counted);
    dynamic.SetOutputMesh(&mesh);
    dynamic.SetCellSize(0.06f);
    ASSERT_TRUE(dynamic.Polygonize(true));
    unsigned long long fullCost = dynamic.GetNumFieldEvaluations();
    Box bounds;
    scene.field.FieldBounds(bounds);

    for (int move = 0; move < 3; ++move) {
        Box dirty = scene.BumpBounds();
        scene.bump.SetCenter(scene.bump.GetCenter() + Vec3(0.03f, 0.07f, -0.05f));
        dirty.Merge(scene.BumpBounds());
        Box fieldBox;
        scene.field.FieldBounds(fieldBox);
        ASSERT_TRUE(Contains(bounds, fieldBox));  // the lattice stays

        scene.counted.calls = 0;
        scene.counted.asked = Box();
        ASSERT_TRUE(dynamic.UpdatePolygonize(dirty, fieldBox));
        EXPECT_GT(scene.counted.calls, 0);
        EXPECT_LT(dynamic.GetNumFieldEvaluations(), fullCost);
        const float cell = dynamic.GetLattice().GetCellSize();
        // The block has one cell of margin; the coarse scan rounds it out to its stride.
        EXPECT_TRUE(Contains(Grown(dirty, (float(dynamic.GetLattice().GetScanStride()) + 2.01f) * cell),
                             scene.counted.asked));

        DynamicGG4Polygonizer3D fresh;
        fresh.SetScalarField(&scene.field);
        fresh.SetOutputMesh(&reference);
        fresh.SetCellSize(0.06f);
        ASSERT_TRUE(fresh.Polygonize(true));
        ASSERT_EQ(fresh.GetLattice().GetOrigin(), dynamic.GetLattice().GetOrigin());
        ExpectSameTriangles(mesh, reference);
        Topology t = Examine(mesh);
        EXPECT_TRUE(t.closedManifold);
        EXPECT_TRUE(t.allVerticesUsed);
        EXPECT_EQ(t.euler, 2);
    }
}

TEST(DynamicGG4Polygonizer, ManyUpdatesStillEqualAFullRun)
{
    // Enough updates that the dropped triangles outweigh the kept ones and
    // the store is compacted, with cells crossing brick boundaries.
    BumpScene scene;
    vynmesh::VFTriangleMesh mesh, reference;
    DynamicGG4Polygonizer3D dynamic;
    dynamic.SetScalarField(&scene.field);
    dynamic.SetOutputMesh(&mesh);
    dynamic.SetCellSize(0.05f);
    ASSERT_TRUE(dynamic.Polygonize(true));
    const Vec3 home = scene.bump.GetCenter();
    for (int move = 0; move < 12; ++move) {
        Box dirty = scene.BumpBounds();
        scene.bump.SetCenter(home +
                             Vec3(0.02f * float(move % 4), -0.03f * float(move % 3), 0.01f * float(move)));
        dirty.Merge(scene.BumpBounds());
        Box fieldBox;
        scene.field.FieldBounds(fieldBox);
        ASSERT_TRUE(dynamic.UpdatePolygonize(dirty, fieldBox));
    }
    DynamicGG4Polygonizer3D fresh;
    fresh.SetScalarField(&scene.field);
    fresh.SetOutputMesh(&reference);
    fresh.SetCellSize(0.05f);
    ASSERT_TRUE(fresh.Polygonize(true));
    ExpectSameTriangles(mesh, reference);
    Topology t = Examine(mesh);
    EXPECT_TRUE(t.closedManifold);
    EXPECT_TRUE(t.allVerticesUsed);
    EXPECT_EQ(t.euler, 2);
}

TEST(DynamicGG4Polygonizer, RemovedPieceDisappearsOnUpdate)
{
    // The bump is pulled off the body: an update must both drop the old cells
    // and add a separate sphere.
    BumpScene scene;
    vynmesh::TriangleMesh mesh, reference;
    DynamicGG4Polygonizer3D dynamic;
    dynamic.SetScalarField(&scene.field);
    dynamic.SetOutputMesh(&mesh);
    dynamic.SetGridCells(40);
    ASSERT_TRUE(dynamic.Polygonize(true));
    Box dirty = scene.BumpBounds();
    scene.bump.SetCenter(Vec3(0, 0, 1.4f));  // stays inside the body's bounds
    dirty.Merge(scene.BumpBounds());
    Box fieldBox;
    scene.field.FieldBounds(fieldBox);
    ASSERT_TRUE(dynamic.UpdatePolygonize(dirty, fieldBox));
    EXPECT_EQ(Examine(mesh).euler, 4);
    EXPECT_TRUE(Examine(mesh).closedManifold);

    DynamicGG4Polygonizer3D fresh;
    fresh.SetScalarField(&scene.field);
    fresh.SetOutputMesh(&reference);
    fresh.SetGridCells(40);
    ASSERT_TRUE(fresh.Polygonize(true));
    ExpectSameTriangles(mesh, reference);
}

TEST(DynamicGG4Polygonizer, HostileOrEmptyUpdates)
{
    BumpScene scene;
    vynmesh::TriangleMesh mesh;
    DynamicGG4Polygonizer3D dynamic;
    EXPECT_FALSE(dynamic.UpdatePolygonize(Box(0, 1, 0, 1, 0, 1), Box(0, 1, 0, 1, 0, 1)));
    dynamic.SetScalarField(&scene.counted);
    dynamic.SetOutputMesh(&mesh);
    dynamic.SetGridCells(24);
    ASSERT_TRUE(dynamic.Polygonize(false));  // nothing kept yet: a full run
    const unsigned triangles = mesh.GetNumTriangles();
    ASSERT_GT(triangles, 0u);
    Box fieldBox;
    scene.field.FieldBounds(fieldBox);

    scene.counted.calls = 0;
    ASSERT_TRUE(dynamic.UpdatePolygonize(Box(), fieldBox));  // nothing changed
    EXPECT_EQ(scene.counted.calls, 0);
    EXPECT_EQ(mesh.GetNumTriangles(), triangles);
    ASSERT_TRUE(dynamic.UpdatePolygonize(Box(50, 51, 50, 51, 50, 51), fieldBox));  // off the lattice
    EXPECT_EQ(scene.counted.calls, 0);
    EXPECT_EQ(mesh.GetNumTriangles(), triangles);

    ASSERT_TRUE(dynamic.UpdatePolygonize(Box(-NAN, NAN, 0, 1, 0, 1), fieldBox));
    EXPECT_EQ(mesh.GetNumTriangles(), triangles);
    // A field that outgrew the lattice gets a new one.
    ASSERT_TRUE(dynamic.UpdatePolygonize(fieldBox, Grown(fieldBox, 3.0f)));
    EXPECT_EQ(mesh.GetNumTriangles(), triangles);
    EXPECT_TRUE(Examine(mesh).closedManifold);
}

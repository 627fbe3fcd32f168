// Triangle meshes: building and refusing bad input, vertex-face adjacency,
// topology checks, the mesh utilities, the BV tree against brute force, and
// the renderer's flat-shading buffers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include "implicit/mesh/IMeshBVTree.h"
#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/MeshRenderer.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "tests/support/MeshShapes.h"

using namespace vynmesh;
using meshtest::MakeCube;
using meshtest::MakeSphere;
using meshtest::MakeTetrahedron;
using Wml::Vector3f;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

// Adjacency recomputed from the index array, to check the incremental one.
void ExpectAdjacencyMatchesIndices(const VFTriangleMesh& m)
{
    for (IMesh::VertexID v = 0; v < m.GetNumVertices(); ++v) {
        std::vector<IMesh::TriangleID> expected, got;
        for (IMesh::TriangleID t = 0; t < m.GetNumTriangles(); ++t) {
            IMesh::VertexID tri[3];
            m.GetTriangle(t, tri);
            if (tri[0] == v || tri[1] == v || tri[2] == v) expected.push_back(t);
        }
        m.GetVertexTriangles(v, got);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected) << "vertex " << v;
    }
}

}  // namespace

// ---------------------------------------------------------------- building

TEST(TriangleMeshBuild, RefusesBadTrianglesWithoutChangingTheMesh)
{
    TriangleMesh m;
    MakeTetrahedron(m);
    EXPECT_EQ(m.AppendTriangle(0, 1, 4), IMesh::InvalidID);
    EXPECT_EQ(m.AppendTriangle(0, 0, 1), IMesh::InvalidID);
    EXPECT_EQ(m.AppendTriangle(IMesh::InvalidID, 1, 2), IMesh::InvalidID);
    EXPECT_EQ(m.GetNumTriangles(), 4u);
    m.SetTriangle(0, 1, 1, 2);
    m.SetTriangle(9, 0, 1, 2);
    IMesh::VertexID tri[3];
    m.GetTriangle(0, tri);
    EXPECT_EQ(tri[0], 0u);
    EXPECT_EQ(tri[1], 1u);
    EXPECT_EQ(tri[2], 2u);
}

TEST(TriangleMeshBuild, UnknownIdsReadAsZeroAndWritesAreIgnored)
{
    TriangleMesh m;
    MakeTetrahedron(m);
    IMesh::VertexID tri[3];
    m.GetTriangle(4, tri);
    EXPECT_EQ(tri[0], IMesh::InvalidID);
    EXPECT_EQ(tri[2], IMesh::InvalidID);
    Vector3f p(5, 5, 5), n(5, 5, 5);
    m.GetVertex(100, p, &n);
    EXPECT_EQ(p, Vector3f::ZERO);
    EXPECT_EQ(n, Vector3f::ZERO);
    m.SetVertex(100, Vector3f(1, 2, 3));
    m.SetColor(100, Wml::ColorRGBA::BLACK);
    EXPECT_FALSE(m.HasColors());
    EXPECT_FALSE(m.RemoveTriangle(4));
}

TEST(TriangleMeshBuild, ColoursAndTexCoordsCoverEveryVertexOnceSet)
{
    TriangleMesh m;
    MakeTetrahedron(m);
    m.SetColor(2, Wml::ColorRGBA(1, 0, 0, 1));
    m.SetTexCoord(1, Wml::Vector2<float>(0.5f, 0.25f));
    IMesh::VertexID v = m.AppendVertex(Vector3f(0, 0, 0));
    ASSERT_EQ(m.GetColors().size(), m.GetNumVertices());
    ASSERT_EQ(m.GetTexCoords().size(), m.GetNumVertices());
    EXPECT_EQ(m.GetColor(2), Wml::ColorRGBA(1, 0, 0, 1));
    EXPECT_EQ(m.GetColor(v), Wml::ColorRGBA::WHITE);
    EXPECT_EQ(m.GetTexCoord(1)[0], 0.5f);
    EXPECT_EQ(m.GetTexCoord(v)[1], 0.0f);
    m.Clear();
    EXPECT_FALSE(m.HasColors());
    EXPECT_FALSE(m.HasTexCoords());
}

// ---------------------------------------------------------------- adjacency and topology

TEST(MeshTopology, TetrahedronCubeAndSphereAreClosedWithEulerTwo)
{
    VFTriangleMesh tet, cube, sphere;
    MakeTetrahedron(tet);
    MakeCube(cube);
    MakeSphere(sphere, 3);
    for (const VFTriangleMesh* m : {&tet, &cube, &sphere}) {
        EXPECT_TRUE(IMeshUtil::IsClosedManifold(*m));
        EXPECT_EQ(IMeshUtil::EulerCharacteristic(*m), 2);
        for (IMesh::VertexID v = 0; v < m->GetNumVertices(); ++v) EXPECT_FALSE(m->IsBoundaryVertex(v));
    }
    std::vector<IMesh::VertexID> ring;
    for (IMesh::VertexID v = 0; v < 4; ++v) {
        tet.GetVertexNeighbours(v, ring);
        EXPECT_EQ(ring.size(), 3u);
    }
}

TEST(MeshTopology, RemovingATriangleOpensExactlyItsCorners)
{
    VFTriangleMesh cube;
    MakeCube(cube);
    IMesh::VertexID hole[3];
    cube.GetTriangle(3, hole);
    ASSERT_TRUE(cube.RemoveTriangle(3));
    EXPECT_EQ(cube.GetNumTriangles(), 11u);
    EXPECT_FALSE(IMeshUtil::IsClosedManifold(cube));
    EXPECT_EQ(IMeshUtil::EulerCharacteristic(cube), 1);
    for (IMesh::VertexID v = 0; v < cube.GetNumVertices(); ++v) {
        bool corner = v == hole[0] || v == hole[1] || v == hole[2];
        EXPECT_EQ(cube.IsBoundaryVertex(v), corner) << "vertex " << v;
    }
    ExpectAdjacencyMatchesIndices(cube);
}

TEST(MeshTopology, AdjacencyFollowsSetTriangleRemoveAndCopy)
{
    VFTriangleMesh m;
    MakeSphere(m, 2);
    std::mt19937 rng(7);
    for (int i = 0; i < 40; ++i) m.RemoveTriangle(rng() % m.GetNumTriangles());
    m.SetTriangle(0, 1, 2, 3);
    ExpectAdjacencyMatchesIndices(m);
    TriangleMesh plain;
    MakeCube(plain);
    VFTriangleMesh fromPlain(plain);
    ExpectAdjacencyMatchesIndices(fromPlain);
    std::vector<IMesh::VertexID> ring;
    fromPlain.GetVertexNeighbours(0, ring);
    std::sort(ring.begin(), ring.end());
    // Corner 0 of the cube meets 1, 2, 4 along edges and 3, 5, 6 along face diagonals.
    EXPECT_EQ(ring, (std::vector<IMesh::VertexID>{1, 2, 3, 4, 5, 6}));
}

TEST(MeshTopology, AdjacencyIsRightAfterClearAndASmallerRefill)
{
    // Clear keeps the per-vertex lists for reuse; none of the old triangles
    // may show through when the mesh is filled again.
    VFTriangleMesh m;
    MakeSphere(m, 3);
    const unsigned bigVertices = m.GetNumVertices();
    m.Clear();
    EXPECT_EQ(m.GetNumVertices(), 0u);
    std::vector<IMesh::TriangleID> around;
    m.GetVertexTriangles(0, around);
    EXPECT_TRUE(around.empty());
    MakeCube(m);
    ASSERT_LT(m.GetNumVertices(), bigVertices);
    ExpectAdjacencyMatchesIndices(m);
    for (IMesh::VertexID v = 0; v < m.GetNumVertices(); ++v) EXPECT_FALSE(m.IsBoundaryVertex(v));
    m.GetVertexTriangles(m.GetNumVertices() + 5, around);  // a spare list past the vertex count
    EXPECT_TRUE(around.empty());
}

TEST(MeshTopology, DetectsFlippedAndPinchedSurfaces)
{
    TriangleMesh flipped;
    MakeCube(flipped);
    flipped.SetTriangle(0, 0, 3, 2);  // reversed winding of one face
    EXPECT_FALSE(IMeshUtil::IsClosedManifold(flipped));
    EXPECT_EQ(IMeshUtil::EulerCharacteristic(flipped), 2);

    // Two tetrahedra sharing one vertex: every edge paired, vertex 0 pinched.
    TriangleMesh pinched;
    MakeTetrahedron(pinched);
    for (int i = 1; i < 4; ++i) pinched.AppendVertex(pinched.GetPosition(i) * -1.0f);
    pinched.AppendTriangle(0, 5, 4);
    pinched.AppendTriangle(0, 4, 6);
    pinched.AppendTriangle(0, 6, 5);
    pinched.AppendTriangle(4, 5, 6);
    EXPECT_FALSE(IMeshUtil::IsClosedManifold(pinched));

    TriangleMesh withLooseVertex;
    MakeTetrahedron(withLooseVertex);
    withLooseVertex.AppendVertex(Vector3f(3, 3, 3));
    EXPECT_FALSE(IMeshUtil::IsClosedManifold(withLooseVertex));
    EXPECT_FALSE(IMeshUtil::IsClosedManifold(TriangleMesh()));
}

// ---------------------------------------------------------------- utilities

TEST(MeshUtil, CopyWithMapKeepsGeometryAttributesAndAdjacency)
{
    TriangleMesh src;
    MakeSphere(src, 2);
    src.SetColor(5, Wml::ColorRGBA(0, 1, 0, 1));
    VFTriangleMesh dst;
    MakeCube(dst);  // replaced, not appended to
    std::vector<IMesh::VertexID> map;
    IMeshUtil::Copy(src, dst, &map);
    ASSERT_EQ(map.size(), src.GetNumVertices());
    EXPECT_EQ(dst.GetNumVertices(), src.GetNumVertices());
    EXPECT_EQ(dst.GetNumTriangles(), src.GetNumTriangles());
    for (IMesh::VertexID v = 0; v < map.size(); ++v) {
        EXPECT_EQ(dst.GetPosition(map[v]), src.GetPosition(v));
        EXPECT_EQ(dst.GetNormal(map[v]), src.GetNormal(v));
    }
    EXPECT_EQ(dst.GetColor(map[5]), Wml::ColorRGBA(0, 1, 0, 1));
    EXPECT_TRUE(IMeshUtil::IsClosedManifold(dst));
    ExpectAdjacencyMatchesIndices(dst);
}

TEST(MeshUtil, ScaleMultipliesPositionsAndRefusesBadFactors)
{
    TriangleMesh m;
    MakeCube(m);
    const Wml::AxisAlignedBox3<float> before = IMeshUtil::BoundingBox(m);
    EXPECT_EQ(before.MinCorner(), Vector3f(0, 0, 0));
    EXPECT_EQ(before.MaxCorner(), Vector3f(1, 1, 1));
    ASSERT_TRUE(IMeshUtil::Scale(m, 2.5f));
    const Wml::AxisAlignedBox3<float> after = IMeshUtil::BoundingBox(m);
    EXPECT_EQ(after.MaxCorner(), Vector3f(2.5f, 2.5f, 2.5f));
    for (float bad : {0.0f, -1.0f, NaN, std::numeric_limits<float>::infinity()}) {
        EXPECT_FALSE(IMeshUtil::Scale(m, bad));
        EXPECT_EQ(IMeshUtil::BoundingBox(m).MaxCorner(), after.MaxCorner());
    }
    EXPECT_TRUE(IMeshUtil::BoundingBox(TriangleMesh()).IsEmpty());
}

TEST(MeshUtil, NormalsPointOutwardOnASphere)
{
    TriangleMesh m;
    MakeSphere(m, 3);
    for (IMesh::TriangleID t = 0; t < m.GetNumTriangles(); ++t) {
        const Vector3f n = IMeshUtil::ComputeFaceNormal(m, t);
        EXPECT_NEAR(n.Length(), 1.0f, 1e-5f);
        EXPECT_GT(n.Dot(m.GetPosition(m.GetIndices()[3 * t])), 0.9f);
    }
    for (IMesh::VertexID v = 0; v < m.GetNumVertices(); ++v) m.SetNormal(v, Vector3f::ZERO);
    IMeshUtil::ComputeVertexNormals(m);
    for (IMesh::VertexID v = 0; v < m.GetNumVertices(); ++v)
        EXPECT_GT(m.GetNormal(v).Dot(m.GetPosition(v)), 0.99f);
    EXPECT_EQ(IMeshUtil::ComputeFaceNormal(Vector3f(0, 0, 0), Vector3f(1, 1, 1), Vector3f(2, 2, 2)),
              Vector3f::ZERO);
    EXPECT_EQ(IMeshUtil::ComputeFaceNormal(m, IMesh::InvalidID), Vector3f::ZERO);
}

// ---------------------------------------------------------------- BV tree

namespace {

struct BruteHit {
    bool hit = false;
    float t = FLT_MAX;
};

BruteHit BruteRay(const IMesh& m, const Wml::Ray3<float>& ray)
{
    BruteHit best;
    for (IMesh::TriangleID t = 0; t < m.GetNumTriangles(); ++t) {
        IMesh::VertexID v[3];
        m.GetTriangle(t, v);
        Vector3f p[3];
        for (int k = 0; k < 3; ++k) m.GetVertex(v[k], p[k]);
        float tt;
        if (IMeshBVTree::IntersectTriangle(ray, p[0], p[1], p[2], tt) && tt < best.t) {
            best.hit = true;
            best.t = tt;
        }
    }
    return best;
}

float BruteNearestSqr(const IMesh& m, const Vector3f& q)
{
    float best = FLT_MAX;
    for (IMesh::TriangleID t = 0; t < m.GetNumTriangles(); ++t) {
        IMesh::VertexID v[3];
        m.GetTriangle(t, v);
        Vector3f p[3];
        for (int k = 0; k < 3; ++k) m.GetVertex(v[k], p[k]);
        best = std::min(best, (IMeshBVTree::ClosestPointOnTriangle(q, p[0], p[1], p[2]) - q).SquaredLength());
    }
    return best;
}

// A lumpy closed surface: a sphere with radial bumps, so that triangles are
// uneven and some rays graze.
void MakeLumpySphere(TriangleMesh& m)
{
    MakeSphere(m, 4);
    for (IMesh::VertexID v = 0; v < m.GetNumVertices(); ++v) {
        Vector3f p = m.GetPosition(v);
        m.SetVertex(v, p * (1.0f + 0.2f * std::sin(5 * p[0]) * std::cos(3 * p[1] + p[2])));
    }
}

}  // namespace

TEST(MeshBVTree, RayHitsAgreeWithBruteForce)
{
    TriangleMesh m;
    MakeLumpySphere(m);
    IMeshBVTree tree(&m);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    int hits = 0;
    for (int i = 0; i < 2000; ++i) {
        Vector3f origin(3 * u(rng), 3 * u(rng), 3 * u(rng));
        Vector3f target(0.8f * u(rng), 0.8f * u(rng), 0.8f * u(rng));
        // Some rays start inside, some point away, some have unnormalized directions.
        Wml::Ray3<float> ray(origin,
                             (i % 5 == 0) ? origin - target : (target - origin) * (0.5f + u(rng) * u(rng)));
        const BruteHit brute = BruteRay(m, ray);
        float t = -1;
        IMesh::TriangleID tri = IMesh::InvalidID;
        Vector3f hit;
        const bool found = tree.FindRayIntersection(ray, t, tri, &hit);
        ASSERT_EQ(found, brute.hit) << "ray " << i;
        if (!found) continue;
        ++hits;
        EXPECT_NEAR(t, brute.t, 1e-5f * (1 + brute.t));
        EXPECT_LT(tri, m.GetNumTriangles());
        EXPECT_NEAR((hit - ray.PointAt(t)).Length(), 0.0f, 1e-5f);
    }
    EXPECT_GT(hits, 1000);
}

TEST(MeshBVTree, NearestPointsAgreeWithBruteForce)
{
    TriangleMesh m;
    MakeLumpySphere(m);
    IMeshBVTree tree(&m);
    std::mt19937 rng(12);
    std::uniform_real_distribution<float> u(-2.0f, 2.0f);
    for (int i = 0; i < 2000; ++i) {
        Vector3f q(u(rng), u(rng), u(rng));
        Vector3f nearest;
        IMesh::TriangleID tri = IMesh::InvalidID;
        ASSERT_TRUE(tree.FindNearestPoint(q, nearest, tri));
        const float brute = BruteNearestSqr(m, q);
        EXPECT_NEAR((nearest - q).SquaredLength(), brute, 1e-5f * (1 + brute));
        // The answer lies on the triangle it names.
        IMesh::VertexID v[3];
        m.GetTriangle(tri, v);
        const Vector3f onTri = IMeshBVTree::ClosestPointOnTriangle(nearest, m.GetPosition(v[0]),
                                                                   m.GetPosition(v[1]), m.GetPosition(v[2]));
        EXPECT_LT((onTri - nearest).Length(), 1e-4f);
    }
}

TEST(MeshBVTree, MaxDistanceLimitsTheSearch)
{
    TriangleMesh m;
    MakeSphere(m, 2);
    IMeshBVTree tree(&m);
    Vector3f nearest(7, 7, 7);
    IMesh::TriangleID tri = 42;
    EXPECT_FALSE(tree.FindNearestPoint(Vector3f(3, 0, 0), nearest, tri, 3.9f));
    EXPECT_EQ(nearest, Vector3f(7, 7, 7));
    EXPECT_EQ(tri, 42u);
    ASSERT_TRUE(tree.FindNearestPoint(Vector3f(3, 0, 0), nearest, tri, 4.1f));
    EXPECT_NEAR(nearest[0], 1.0f, 1e-5f);
}

TEST(MeshBVTree, RebuildsWhenTheMeshGrowsOrIsCleared)
{
    TriangleMesh m;
    MakeTetrahedron(m);
    IMeshBVTree tree(&m);
    Wml::Ray3<float> ray(Vector3f(10, 0.1f, 0.2f), Vector3f(-1, 0, 0));
    float t;
    IMesh::TriangleID tri;
    ASSERT_TRUE(tree.FindRayIntersection(ray, t, tri));
    const float tTet = t;
    // A new triangle in front of the tetrahedron is seen without a Clear().
    IMesh::VertexID a = m.AppendVertex(Vector3f(5, -1, -1));
    IMesh::VertexID b = m.AppendVertex(Vector3f(5, 2, -1));
    IMesh::VertexID c = m.AppendVertex(Vector3f(5, -1, 2));
    IMesh::TriangleID wall = m.AppendTriangle(a, b, c);
    ASSERT_TRUE(tree.FindRayIntersection(ray, t, tri));
    EXPECT_EQ(tri, wall);
    EXPECT_NEAR(t, 5.0f, 1e-5f);
    // Moving it away keeps the counts: a Clear() makes the tree notice.
    for (IMesh::VertexID v : {a, b, c}) m.SetVertex(v, m.GetPosition(v) + Vector3f(-20, 0, 0));
    tree.Clear();
    ASSERT_TRUE(tree.FindRayIntersection(ray, t, tri));
    EXPECT_NEAR(t, tTet, 1e-5f);
}

TEST(MeshBVTree, RefusesEmptyMeshesAndNonFiniteQueries)
{
    IMeshBVTree none;
    float t;
    IMesh::TriangleID tri;
    Vector3f p;
    EXPECT_FALSE(none.FindRayIntersection(Wml::Ray3<float>(), t, tri));
    EXPECT_FALSE(none.FindNearestPoint(Vector3f::ZERO, p, tri));
    TriangleMesh empty;
    IMeshBVTree emptyTree(&empty);
    EXPECT_FALSE(emptyTree.FindNearestPoint(Vector3f::ZERO, p, tri));
    TriangleMesh m;
    MakeSphere(m, 1);
    IMeshBVTree tree(&m);
    EXPECT_FALSE(tree.FindRayIntersection(Wml::Ray3<float>(Vector3f(NaN, 0, 0), Vector3f(1, 0, 0)), t, tri));
    EXPECT_FALSE(tree.FindRayIntersection(Wml::Ray3<float>(Vector3f(5, 0, 0), Vector3f::ZERO), t, tri));
    EXPECT_FALSE(tree.FindNearestPoint(Vector3f(0, NaN, 0), p, tri));
    // A vertex moved to NaN drops its triangles instead of poisoning the tree.
    m.SetVertex(0, Vector3f(NaN, NaN, NaN));
    tree.Clear();
    EXPECT_TRUE(tree.FindNearestPoint(Vector3f(0, 0, -3), p, tri));
    EXPECT_TRUE(std::isfinite(p[2]));
}

// ---------------------------------------------------------------- renderer buffers

TEST(MeshRendererBuffers, FlatShadingUnsharesCornersWithFaceNormals)
{
    TriangleMesh m;
    MakeCube(m);
    m.SetTexCoord(0, Wml::Vector2<float>(1, 1));
    MeshRenderer r;
    r.BuildFlatBuffers(m, true);
    ASSERT_EQ(r.FlatPositions().size(), 12u * 9);
    ASSERT_EQ(r.FlatNormals().size(), 12u * 9);
    ASSERT_EQ(r.FlatTexCoords().size(), 12u * 6);
    for (IMesh::TriangleID t = 0; t < 12; ++t) {
        const Vector3f n = IMeshUtil::ComputeFaceNormal(m, t);
        for (int k = 0; k < 3; ++k) {
            const float* fn = &r.FlatNormals()[9 * t + 3 * k];
            EXPECT_EQ(Vector3f(fn), n);
            EXPECT_EQ(Vector3f(&r.FlatPositions()[9 * t + 3 * k]), m.GetPosition(m.GetIndices()[3 * t + k]));
        }
    }
    r.BuildFlatBuffers(m, false);
    EXPECT_TRUE(r.FlatTexCoords().empty());
}

TEST(MeshRendererBuffers, NormalLinesHaveTheChosenLength)
{
    TriangleMesh m;
    MakeSphere(m, 1);
    MeshRenderer r;
    r.SetNormalLength(0.25f);
    r.BuildNormalLines(m, true);
    ASSERT_EQ(r.NormalLines().size(), m.GetNumVertices() * 6u);
    r.BuildNormalLines(m, false);
    ASSERT_EQ(r.NormalLines().size(), m.GetNumTriangles() * 6u);
    for (size_t i = 0; i < r.NormalLines().size(); i += 6) {
        const Vector3f a(&r.NormalLines()[i]), b(&r.NormalLines()[i + 3]);
        EXPECT_NEAR((b - a).Length(), 0.25f, 1e-5f);
        EXPECT_GT(b.Length(), a.Length());  // outward
    }
}

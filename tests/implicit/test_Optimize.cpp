// Mesh refinement against a field: each flow must improve what it is for
// without tearing the mesh, subdivision must keep a closed mesh closed, and
// degenerate meshes must come out finite.

#include <gtest/gtest.h>

#include "tests/support/MeshShapes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "implicit/mesh/VFTriangleMesh.h"
#include "implicit/optimize/IterativeMeshOptimizer.h"
#include "implicit/optimize/MeshNormals.h"
#include "implicit/optimize/OhtakeMeshOptimizer.h"
#include "implicit/primitives/Point.h"

using vynimplicit::IterativeMeshOptimizer;
using vynimplicit::OhtakeMeshOptimizer;
using vynmesh::VFTriangleMesh;
typedef Wml::Vector3<float> Vec3;

namespace {

const float kBallRadius = 0.454202f;  // surface of a unit Point

// Unit sphere: an octahedron split `levels` times, midpoints pushed out.
// Normals are cleared so that tests of recomputed normals start from nothing.
void BuildSphere(VFTriangleMesh& mesh, int levels)
{
    meshtest::MakeSphere(mesh, levels);
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) mesh.SetNormal(v, Vec3::ZERO);
}

void ScaleMesh(VFTriangleMesh& mesh, float s)
{
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) mesh.SetVertex(v, mesh.GetPosition(v) * s);
}

// Mean (or largest) |f - 0.5| over the vertices.
float Residual(const VFTriangleMesh& mesh, vynimplicit::ScalarField& field, bool largest = false)
{
    double sum = 0.0, worst = 0.0;
    for (const auto& p : mesh.GetPositions()) {
        double r = std::fabs(field.Value(p) - 0.5f);
        sum += r;
        worst = std::max(worst, r);
    }
    return static_cast<float>(largest ? worst : sum / std::max(1u, mesh.GetNumVertices()));
}

Vec3 Corner(const VFTriangleMesh& mesh, unsigned t, int i)
{
    return mesh.GetPosition(mesh.GetIndices()[3 * t + i]);
}

float SmallestAngle(const VFTriangleMesh& mesh)
{
    float smallest = 180.0f;
    for (unsigned t = 0; t < mesh.GetNumTriangles(); ++t) {
        for (int i = 0; i < 3; ++i) {
            Vec3 a = Corner(mesh, t, (i + 1) % 3) - Corner(mesh, t, i);
            Vec3 b = Corner(mesh, t, (i + 2) % 3) - Corner(mesh, t, i);
            float c = a.Dot(b) / (a.Length() * b.Length());
            smallest = std::min(smallest, std::acos(std::max(-1.0f, std::min(1.0f, c))) * 57.29578f);
        }
    }
    return smallest;
}

bool AllFinite(const VFTriangleMesh& mesh)
{
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
        const Vec3& p = mesh.GetPosition(v);
        const Vec3& n = mesh.GetNormal(v);
        for (int i = 0; i < 3; ++i)
            if (!std::isfinite(p[i]) || !std::isfinite(n[i])) return false;
    }
    return true;
}

// Euler characteristic of a closed, consistently wound mesh (every directed
// edge used once and its reverse once); -1000 when the mesh is not one.
int ClosedEuler(const VFTriangleMesh& mesh)
{
    std::map<std::pair<unsigned, unsigned>, int> directed;
    const auto& idx = mesh.GetIndices();
    for (size_t i = 0; i < idx.size(); i += 3)
        for (int k = 0; k < 3; ++k) ++directed[{idx[i + k], idx[i + (k + 1) % 3]}];
    for (const auto& e : directed) {
        auto back = directed.find({e.first.second, e.first.first});
        if (e.second != 1 || back == directed.end() || back->second != 1) return -1000;
    }
    return static_cast<int>(mesh.GetNumVertices() + mesh.GetNumTriangles() - directed.size() / 2);
}

// A cube of half-size h: value 1 - d / (2h) with d the max-norm, so the
// surface (0.5) is the cube and its edges are true creases.
class BoxField : public vynimplicit::ScalarField {
public:
    explicit BoxField(float h) : m_h(h) {}
    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override
    {
        float d = std::max(std::fabs(x), std::max(std::fabs(y), std::fabs(z)));
        return std::max(0.0f, std::min(1.0f, 1.0f - d / (2.0f * m_h)));
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        float v = Value(x, y, z);
        if (value) *value = v;
        gx = gy = gz = 0.0f;
        if (v <= 0.0f || v >= 1.0f) return;
        float a[3] = {std::fabs(x), std::fabs(y), std::fabs(z)};
        float s[3] = {x, y, z};
        int k = (a[0] >= a[1] && a[0] >= a[2]) ? 0 : (a[1] >= a[2] ? 1 : 2);
        float g = (s[k] > 0 ? -1.0f : 1.0f) / (2.0f * m_h);
        (k == 0 ? gx : k == 1 ? gy : gz) = g;
    }
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override
    {
        box = Wml::AxisAlignedBox3<float>(-2 * m_h, 2 * m_h, -2 * m_h, 2 * m_h, -2 * m_h, 2 * m_h);
    }

private:
    float m_h;
};

// Area-weighted mean angle (degrees) between face normals and the field's
// outward normal at the face centroid.
float NormalError(const VFTriangleMesh& mesh, vynimplicit::ScalarField& field)
{
    double sum = 0.0, area = 0.0;
    for (unsigned t = 0; t < mesh.GetNumTriangles(); ++t) {
        Vec3 a = Corner(mesh, t, 0), b = Corner(mesh, t, 1), c = Corner(mesh, t, 2);
        Vec3 n = (b - a).Cross(c - a);
        float A = 0.5f * n.Length();
        n.Normalize();
        Vec3 m = -field.Gradient((a + b + c) / 3.0f);
        m.Normalize();
        sum += A * std::acos(std::max(-1.0f, std::min(1.0f, n.Dot(m)))) * 57.29578;
        area += A;
    }
    return static_cast<float>(sum / area);
}

class OptimizeTest : public ::testing::Test {
protected:
    vynimplicit::Point ball;
    VFTriangleMesh mesh;
};

}  // namespace

// ---------------------------------------------------------------------------
// Flows

TEST_F(OptimizeTest, ZFlowPullsPerturbedSphereOntoSurface)
{
    BuildSphere(mesh, 3);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(0.85f, 1.15f);
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v)
        mesh.SetVertex(v, mesh.GetPosition(v) * (kBallRadius * noise(rng)));
    const std::vector<unsigned> before = mesh.GetIndices();
    const float residual = Residual(mesh, ball);

    // The combined flows that include Z converge too, just less far.
    VFTriangleMesh rzn = mesh, zn = mesh;
    OhtakeMeshOptimizer(mesh, 0.5f).Optimize_ZFlow(10, &ball);
    OhtakeMeshOptimizer(rzn, 0.5f).Optimize_RZNFlow(10, &ball);
    OhtakeMeshOptimizer(zn, 0.5f).Optimize_ZNFlow(10, &ball);
    EXPECT_LT(Residual(mesh, ball), 0.01f * residual);
    EXPECT_LT(Residual(rzn, ball), 0.1f * residual);
    EXPECT_LT(Residual(zn, ball), 0.1f * residual);
    EXPECT_EQ(before, mesh.GetIndices());
    EXPECT_EQ(2, ClosedEuler(rzn));
}

TEST_F(OptimizeTest, RFlowImprovesBadlyShapedSphereAndStaysOnIt)
{
    BuildSphere(mesh, 3);
    // Crowd the vertices towards one pole: slivers near the equator.
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
        Vec3 p = mesh.GetPosition(v) + Vec3(0.2f, 0.1f, 0.9f);
        p.Normalize();
        mesh.SetVertex(v, p * kBallRadius);
    }
    const float angle = SmallestAngle(mesh);

    OhtakeMeshOptimizer(mesh, 0.5f).Optimize_RFlow(30, &ball, true);
    EXPECT_GT(SmallestAngle(mesh), angle + 10.0f);
    EXPECT_LT(Residual(mesh, ball, true), 1e-3f);
    EXPECT_EQ(2, ClosedEuler(mesh));

    // Without projection the moves stay in the tangent plane: a sphere barely shrinks.
    VFTriangleMesh round;
    BuildSphere(round, 3);
    ScaleMesh(round, kBallRadius);
    OhtakeMeshOptimizer(round, 0.5f).Optimize_RFlow(10, &ball, false);
    EXPECT_LT(Residual(round, ball, true), 0.01f);
}

TEST_F(OptimizeTest, RFlowKeepsOpenRimInPlace)
{
    BuildSphere(mesh, 2);
    VFTriangleMesh cap;  // the upper part only
    for (const auto& p : mesh.GetPositions()) cap.AppendVertex(p * kBallRadius);
    const auto& idx = mesh.GetIndices();
    for (size_t i = 0; i < idx.size(); i += 3)
        if (mesh.GetPosition(idx[i]).Z() + mesh.GetPosition(idx[i + 1]).Z() +
                mesh.GetPosition(idx[i + 2]).Z() >
            0.6f)
            cap.AppendTriangle(idx[i], idx[i + 1], idx[i + 2]);
    const std::vector<Vec3> before = cap.GetPositions();

    OhtakeMeshOptimizer(cap, 0.5f).Optimize_RFlow(10, &ball, false);
    int rim = 0, moved = 0;
    for (unsigned v = 0; v < cap.GetNumVertices(); ++v) {
        if (cap.IsBoundaryVertex(v)) {
            ++rim;
            EXPECT_EQ(before[v], cap.GetPosition(v));
        } else if (before[v] != cap.GetPosition(v)) {
            ++moved;
        }
    }
    EXPECT_GT(rim, 0);
    EXPECT_GT(moved, 0);
}

TEST_F(OptimizeTest, NFlowSharpensCubeCreases)
{
    const float h = 0.5f;
    BoxField box(h);
    BuildSphere(mesh, 3);
    // A rounded cube: halfway between the sphere and its radial image on the cube.
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
        Vec3 p = mesh.GetPosition(v);
        float d = std::max(std::fabs(p.X()), std::max(std::fabs(p.Y()), std::fabs(p.Z())));
        mesh.SetVertex(v, p * (0.5f * h + 0.5f * h / d));
    }
    const float before = NormalError(mesh, box);

    OhtakeMeshOptimizer(mesh, 0.5f).Optimize_NFlow(20, &box);
    EXPECT_LT(NormalError(mesh, box), 0.25f * before);
    EXPECT_LT(Residual(mesh, box), 0.02f);
}

// ---------------------------------------------------------------------------
// Subdivision

TEST_F(OptimizeTest, SubdivisionQuadruplesAndStaysClosedOnSurface)
{
    BuildSphere(mesh, 1);
    ScaleMesh(mesh, kBallRadius);
    const unsigned v0 = mesh.GetNumVertices(), t0 = mesh.GetNumTriangles();
    std::vector<float> progress;

    IterativeMeshOptimizer opt(mesh, 0.5f);
    opt.InitializeOptimize();
    ASSERT_TRUE(opt.DoOptimize(&ball, [&](float f) {
        progress.push_back(f);
        return true;
    }));
    EXPECT_EQ(4 * t0, mesh.GetNumTriangles());
    EXPECT_EQ(v0 + 3 * t0 / 2, mesh.GetNumVertices());
    EXPECT_EQ(2, ClosedEuler(mesh));
    EXPECT_LT(Residual(mesh, ball, true), 1e-4f);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_FLOAT_EQ(1.0f, progress.back());

    // Again after rotating every triangle's corners: the edge table must be redone.
    for (unsigned t = 0; t < mesh.GetNumTriangles(); ++t) {
        unsigned v[3];
        mesh.GetTriangle(t, v);
        mesh.SetTriangle(t, v[1], v[2], v[0]);
    }
    ASSERT_TRUE(opt.DoOptimize(&ball));
    EXPECT_EQ(16 * t0, mesh.GetNumTriangles());
    EXPECT_EQ(2, ClosedEuler(mesh));
}

TEST_F(OptimizeTest, CancelledSubdivisionLeavesMeshUntouched)
{
    BuildSphere(mesh, 1);
    const VFTriangleMesh before = mesh;
    IterativeMeshOptimizer opt(mesh, 0.5f);
    int calls = 0;
    EXPECT_FALSE(opt.DoOptimize(&ball, [&](float) { return ++calls < 3; }));
    EXPECT_EQ(before.GetPositions(), mesh.GetPositions());
    EXPECT_EQ(before.GetIndices(), mesh.GetIndices());
}

// ---------------------------------------------------------------------------
// Normals and degenerate input

TEST_F(OptimizeTest, ReComputeNormalsGivesUnitOutwardNormals)
{
    BuildSphere(mesh, 2);
    for (float scale : {kBallRadius, 5.0f}) {  // at 5 the gradient vanishes: face normals
        ScaleMesh(mesh, scale);
        vynimplicit::ReComputeNormals(mesh, &ball);
        for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
            Vec3 p = mesh.GetPosition(v);
            p.Normalize();
            EXPECT_NEAR(1.0f, mesh.GetNormal(v).Length(), 1e-4f);
            EXPECT_GT(mesh.GetNormal(v).Dot(p), 0.95f);
        }
        ScaleMesh(mesh, 1.0f / scale);
    }
}

TEST_F(OptimizeTest, DegenerateMeshesStayFinite)
{
    auto runAll = [&](VFTriangleMesh& m, vynimplicit::ScalarField* field) {
        OhtakeMeshOptimizer opt(m, 0.5f);
        opt.Optimize_RZNFlow(3, field);
        opt.Optimize_ZNFlow(3, field);
        opt.Optimize_RNFlow(3, field);
        opt.Optimize_RFlow(3, field, true);
        opt.Optimize_ZFlow(3, field);
        opt.Optimize_NFlow(3, field);
        EXPECT_TRUE(IterativeMeshOptimizer(m, 0.5f).DoOptimize(field));
        vynimplicit::ReComputeNormals(m, field);
        EXPECT_TRUE(AllFinite(m));
    };
    VFTriangleMesh empty;
    runAll(empty, &ball);

    // Isolated vertices, one at the ball's centre where the gradient vanishes.
    VFTriangleMesh isolated;
    isolated.AppendVertex(Vec3(0.1f, 0, 0));
    isolated.AppendVertex(Vec3(0, 0, 0));
    runAll(isolated, &ball);
    EXPECT_EQ(Vec3(0.1f, 0, 0), isolated.GetPosition(0));
    EXPECT_EQ(Vec3::ZERO, isolated.GetNormal(1));

    // Zero-area triangles: coincident and collinear corners.
    VFTriangleMesh flat;
    for (int i = 0; i < 3; ++i) flat.AppendVertex(Vec3(0.3f, 0.1f, 0));
    for (float x : {0.0f, 0.2f, 0.4f}) flat.AppendVertex(Vec3(x, 0, 0));
    flat.AppendTriangle(0, 1, 2);
    flat.AppendTriangle(3, 4, 5);
    runAll(flat, &ball);
    runAll(flat, nullptr);

    // A vertex far outside the field (no gradient) is not flung further out;
    // a non-finite one is left out without spreading.
    VFTriangleMesh far;
    BuildSphere(far, 1);
    ScaleMesh(far, kBallRadius);
    far.SetVertex(0, Vec3(50, 50, 50));
    runAll(far, &ball);
    EXPECT_LE(far.GetPosition(0).Length(), Vec3(50, 50, 50).Length());
    BuildSphere(far, 1);
    far.SetVertex(0, Vec3(NAN, 0, 0));
    OhtakeMeshOptimizer(far, 0.5f).Optimize_RZNFlow(5, &ball);
    for (unsigned v = 1; v < far.GetNumVertices(); ++v)
        EXPECT_TRUE(std::isfinite(far.GetPosition(v).Length()));
}

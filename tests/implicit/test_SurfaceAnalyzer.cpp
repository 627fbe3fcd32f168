// Surface analysis: curvature estimates on shapes whose curvature is known,
// and suggestive contours, which a sphere never has and a torus does.

#include <gtest/gtest.h>

#include <cmath>

#include "implicit/mesh/SurfaceAnalyzer.h"
#include "tests/support/MeshShapes.h"

using namespace vynmesh;
using Wml::Vector3f;

namespace {

const float kPi = 3.14159265f;

// Torus around the z axis, u around the ring, v around the tube; outward winding.
void MakeTorus(TriangleMesh& m, float major, float minor, int nu, int nv)
{
    m.Clear();
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            const float u = 2 * kPi * i / nu, v = 2 * kPi * j / nv;
            const float r = major + minor * std::cos(v);
            m.AppendVertex(Vector3f(r * std::cos(u), r * std::sin(u), minor * std::sin(v)));
        }
    auto id = [&](int i, int j) { return unsigned(((i + nu) % nu) * nv + (j + nv) % nv); };
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            m.AppendTriangle(id(i, j), id(i + 1, j), id(i + 1, j + 1));
            m.AppendTriangle(id(i, j), id(i + 1, j + 1), id(i, j + 1));
        }
}

// Open cylinder of radius r along z, rows from z = 0 to height.
void MakeCylinder(TriangleMesh& m, float r, float height, int around, int rows)
{
    m.Clear();
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i < around; ++i) {
            const float a = 2 * kPi * (i + 0.5f * (j % 2)) / around;
            m.AppendVertex(Vector3f(r * std::cos(a), r * std::sin(a), height * j / rows));
        }
    auto id = [&](int i, int j) { return unsigned(j * around + (i + around) % around); };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < around; ++i) {
            m.AppendTriangle(id(i, j), id(i + 1, j), id(i + 1, j + 1));
            m.AppendTriangle(id(i, j), id(i + 1, j + 1), id(i, j + 1));
        }
}

}  // namespace

// ---- curvature -------------------------------------------------------------

TEST(SurfaceAnalyzer, SphereBendsEqualEverywhereByOneOverRadius)
{
    for (float radius : {0.5f, 2.0f}) {
        SCOPED_TRACE(radius);
        TriangleMesh mesh;
        meshtest::MakeIcosphere(mesh, 3, radius);
        SurfaceAnalyzer analyzer;
        analyzer.SetMesh(&mesh);
        const std::vector<float>&k1 = analyzer.GetK1(), &k2 = analyzer.GetK2();
        ASSERT_EQ(mesh.GetNumVertices(), k1.size());
        for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
            EXPECT_NEAR(1.0f / radius, k1[v], 0.05f / radius) << v;
            EXPECT_NEAR(1.0f / radius, k2[v], 0.05f / radius) << v;
            // Outward normals.
            EXPECT_GT(analyzer.GetNormals()[v].Dot(mesh.GetPosition(v)), 0.0f);
        }
    }
}

TEST(SurfaceAnalyzer, CylinderBendsAroundAndIsStraightAlong)
{
    const float r = 0.8f;
    TriangleMesh mesh;
    MakeCylinder(mesh, r, 2.0f, 48, 30);
    SurfaceAnalyzer analyzer;
    analyzer.SetMesh(&mesh);
    int checked = 0;
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
        const float z = mesh.GetPosition(v).Z();
        if (z < 0.2f || z > 1.8f) continue;  // the open rims have one-sided estimates
        ++checked;
        EXPECT_NEAR(1.0f / r, analyzer.GetK1()[v], 0.06f) << v;
        EXPECT_NEAR(0.0f, analyzer.GetK2()[v], 0.06f) << v;
        // The straight direction runs along the axis.
        EXPECT_GT(std::fabs(analyzer.GetDir2()[v].Z()), 0.95f) << v;
    }
    EXPECT_GT(checked, 500);
}

TEST(SurfaceAnalyzer, ChangedMeshIsAnalysedAgain)
{
    TriangleMesh mesh;
    meshtest::MakeIcosphere(mesh, 2, 1.0f);
    SurfaceAnalyzer analyzer;
    analyzer.SetMesh(&mesh);
    EXPECT_NEAR(1.0f, analyzer.GetK1()[0], 0.1f);
    meshtest::MakeIcosphere(mesh, 2, 4.0f);
    EXPECT_NEAR(1.0f, analyzer.GetK1()[0], 0.1f);  // cached until told
    analyzer.MeshChanged();
    EXPECT_NEAR(0.25f, analyzer.GetK1()[0], 0.03f);

    TriangleMesh empty;
    analyzer.SetMesh(&empty);
    std::vector<Vector3f> segments(2);
    analyzer.SuggestiveContours(Vector3f(0, 0, 5), 0.0f, 0.0f, segments);
    EXPECT_TRUE(segments.empty());
}

// ---- view-dependent lines --------------------------------------------------

TEST(SurfaceAnalyzer, SphereHasNoSuggestiveContoursTorusHas)
{
    const Vector3f eyes[] = {Vector3f(0, 0, 5), Vector3f(3, -2, 4), Vector3f(0, 6, 1)};
    TriangleMesh sphere, torus;
    meshtest::MakeIcosphere(sphere, 3, 1.0f);
    MakeTorus(torus, 1.0f, 0.4f, 96, 48);
    SurfaceAnalyzer onSphere, onTorus;
    onSphere.SetMesh(&sphere);
    onTorus.SetMesh(&torus);
    for (const Vector3f& eye : eyes) {
        SCOPED_TRACE(eye.Z());
        std::vector<Vector3f> segments;
        onSphere.SuggestiveContours(eye, 0.0f, 0.0f, segments);
        EXPECT_TRUE(segments.empty()) << segments.size();

        onTorus.SuggestiveContours(eye, 0.0f, 0.0f, segments);
        if (eye.X() == 0 && eye.Y() == 0) {
            // From the axis the radial direction always runs around the tube.
            EXPECT_TRUE(segments.empty()) << segments.size();
            continue;
        }
        ASSERT_FALSE(segments.empty());
        ASSERT_EQ(0u, segments.size() % 2);
        std::vector<float> kr;
        onTorus.RadialCurvature(eye, kr);
        for (const Vector3f& p : segments) {
            // On the surface, in the saddle-shaped inner half, facing the eye.
            const float ring = std::sqrt(p.X() * p.X() + p.Y() * p.Y());
            EXPECT_NEAR(0.4f, std::sqrt((ring - 1) * (ring - 1) + p.Z() * p.Z()), 0.01f);
            EXPECT_LT(ring, 1.05f);
        }
        // A lower bound above every derivative keeps nothing; a band keeps a subset.
        std::vector<Vector3f> none, band;
        onTorus.SuggestiveContours(eye, 1e9f, 2e9f, none);
        EXPECT_TRUE(none.empty());
        onTorus.SuggestiveContours(eye, 0.0f, 50.0f, band);
        EXPECT_LE(band.size(), segments.size());
    }
}

TEST(SurfaceAnalyzer, RadialCurvatureOfACylinderFollowsTheViewDirection)
{
    // Seen from far along y the radial direction goes around (1/r); seen
    // from far along the axis it runs along the straight lines (0).
    TriangleMesh mesh;
    MakeCylinder(mesh, 1.0f, 2.0f, 64, 30);
    SurfaceAnalyzer analyzer;
    analyzer.SetMesh(&mesh);
    std::vector<float> side, above;
    analyzer.RadialCurvature(Vector3f(0, 1e4f, 1), side);
    analyzer.RadialCurvature(Vector3f(0, 0, 1e4f), above);
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
        const Vector3f p = mesh.GetPosition(v);
        if (p.Z() < 0.2f || p.Z() > 1.8f || p.Y() < 0.5f || p.Y() > 0.95f)
            continue;  // facing the eye head-on the radial direction turns along the axis
        EXPECT_NEAR(1.0f, side[v], 0.08f) << v;
        EXPECT_NEAR(0.0f, above[v], 0.08f) << v;
    }
}

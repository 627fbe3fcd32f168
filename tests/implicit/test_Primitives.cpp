// The primitive fields: where their surfaces lie for given parameters, how
// frames move them, and that bad input is clamped or refused.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "implicit/Falloff.h"
#include "implicit/primitives/CurveSet.h"
#include "implicit/primitives/Cylinder.h"
#include "implicit/primitives/FastQuadricPointSet.h"
#include "implicit/primitives/Point.h"
#include "implicit/primitives/PolyLinePrimitive.h"
#include "tests/support/FieldChecks.h"

using namespace vynimplicit;
using Wml::Frame3f;
using Wml::Vector3f;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

/// Distance from start along unit dir where the value falls through 0.5
/// (start must be inside). Negative when no crossing within maxT.
float SurfaceDistance(ScalarField& f, const Vector3f& start, const Vector3f& dir, float maxT)
{
    const int steps = 400;
    float t0 = 0.0f;
    for (int i = 1; i <= steps; ++i) {
        const float t1 = maxT * i / steps;
        if (f.Value(start + dir * t1) < 0.5f) {
            float a = t0, b = t1;
            for (int k = 0; k < 40; ++k) {
                const float m = 0.5f * (a + b);
                (f.Value(start + dir * m) >= 0.5f ? a : b) = m;
            }
            return 0.5f * (a + b);
        }
        t0 = t1;
    }
    return -1.0f;
}

Frame3f TiltedFrame(const Vector3f& origin, const Vector3f& scale)
{
    Wml::Matrix3<float> rot;
    rot.FromAxisAngle(Vector3f(1, 2, 3) / std::sqrt(14.0f), 0.7f);
    Frame3f frame(origin);
    frame.Rotate(rot, true);
    frame.SetScale(scale);
    return frame;
}

bool Finite(const Vector3f& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

/// Points spread evenly over a sphere (golden-angle spiral).
void SampleSphere(FastQuadricPointSet& set, const Vector3f& centre, float radius, int count)
{
    const float golden = 3.14159265f * (3.0f - std::sqrt(5.0f));
    for (int i = 0; i < count; ++i) {
        const float y = 1.0f - 2.0f * (i + 0.5f) / count;
        const float r = std::sqrt(1.0f - y * y);
        const Vector3f n(r * std::cos(golden * i), y, r * std::sin(golden * i));
        set.AddPoint(centre + n * radius, n);
    }
}

}  // namespace

// ---- Point ----------------------------------------------------------------

TEST(PointPrimitive, SurfaceRadiusFollowsSize)
{
    Point unit;
    EXPECT_EQ(unit.GetSize(), 1.0f);
    EXPECT_NEAR(SurfaceDistance(unit, Vector3f::ZERO, Vector3f::UNIT_X, 2.0f), 0.454202f, 1e-4f);
    EXPECT_NEAR(unit.Value(Vector3f(0, 0.454202f, 0)), 0.5f, 1e-5f);
    EXPECT_EQ(unit.Value(Vector3f(0, 0, 1.0f)), 0.0f);

    Point half(Vector3f(1, 2, 3), 0.5f);
    EXPECT_NEAR(SurfaceDistance(half, Vector3f(1, 2, 3), Vector3f(0, 0, -1), 4.0f), 0.908404f, 2e-4f);
    Wml::AxisAlignedBox3<float> box;
    half.FieldBounds(box);
    EXPECT_NEAR(box.Min(0), -1.0f, 1e-5f);
    EXPECT_NEAR(box.Max(2), 5.0f, 1e-5f);
    half.SurfaceBounds(0.5f, box);
    EXPECT_NEAR(box.Max(1), 2.0f + 0.908404f, 1e-3f);

    fieldchecks::ExpectFieldConventions(unit, "Point");
    fieldchecks::ExpectSeedsNearSurface(half, "Point size 0.5");

    // The gradient points inwards, towards the centre.
    const Vector3f g = half.Gradient(Vector3f(1.5f, 2, 3));
    EXPECT_LT(g.X(), 0.0f);
    EXPECT_NEAR(g.Y(), 0.0f, 1e-6f);
}

TEST(PointPrimitive, FrameMovesAndStretches)
{
    Point p;
    const Vector3f origin(2, -1, 0.5f);
    const Frame3f frame = TiltedFrame(origin, Vector3f(2, 1, 0.5f));
    ASSERT_TRUE(p.SetFrame(frame));
    EXPECT_EQ(p.GetCenter(), origin);
    // Along each local axis the surface lies at 0.454202 times that axis' scale.
    for (int axis = 0; axis < 3; ++axis) {
        const float expected = 0.454202f * frame.Scale()[axis];
        EXPECT_NEAR(SurfaceDistance(p, origin, frame.GetAxis(axis), 3.0f), expected, 1e-3f) << axis;
    }
    fieldchecks::ExpectFieldConventions(p, "Point in a tilted scaled frame");
    fieldchecks::ExpectSeedsNearSurface(p, "Point in a tilted scaled frame");

    ASSERT_TRUE(p.SetCenter(Vector3f(0, 0, 0)));
    EXPECT_NEAR(SurfaceDistance(p, Vector3f::ZERO, frame.GetAxis(0), 3.0f), 0.908404f, 1e-3f);
}

TEST(PointPrimitive, BadInputIsClampedOrRefused)
{
    Point p(Vector3f(NaN, 0, 0), NaN);
    EXPECT_EQ(p.GetCenter(), Vector3f::ZERO);
    EXPECT_EQ(p.GetSize(), 1.0f);
    EXPECT_FALSE(p.SetSize(NaN));
    EXPECT_TRUE(p.SetSize(0.0f));
    EXPECT_EQ(p.GetSize(), Point::MIN_SIZE);
    EXPECT_TRUE(p.SetSize(-3.0f));
    EXPECT_EQ(p.GetSize(), Point::MIN_SIZE);
    EXPECT_TRUE(std::isfinite(p.Value(1e5f, 0, 0)));
    p.SetSize(1.0f);

    Frame3f flat;
    flat.SetScale(Vector3f(1, 0, 1));
    EXPECT_FALSE(p.SetFrame(flat));
    Frame3f broken(Vector3f(NaN, 0, 0));
    EXPECT_FALSE(p.SetFrame(broken));
    EXPECT_FALSE(p.SetCenter(Vector3f(0, std::numeric_limits<float>::infinity(), 0)));
    EXPECT_EQ(p.GetFrame(), Frame3f());
    EXPECT_FALSE(std::isnan(p.Value(NaN, 0, 0)));
    float gx, gy, gz, v;
    p.Gradient(NaN, NaN, NaN, gx, gy, gz, &v);
    EXPECT_FALSE(std::isnan(v) || std::isnan(gx) || std::isnan(gy) || std::isnan(gz));
}

// ---- Cylinder -------------------------------------------------------------

TEST(CylinderPrimitive, SurfaceAtRadiusWithRoundedEnds)
{
    for (float r : {0.1f, 0.25f, 1.5f}) {
        Cylinder c(r, 4.0f);
        const Vector3f mid(0, 0, 2);
        EXPECT_NEAR(SurfaceDistance(c, mid, Vector3f::UNIT_X, 5.0f), r, 1e-3f * (1 + r)) << r;
        EXPECT_NEAR(SurfaceDistance(c, Vector3f(0, 0, 0.5f), Vector3f(0.6f, 0.8f, 0), 5.0f), r,
                    1e-3f * (1 + r));
        // Hemispherical ends of the same radius beyond the segment.
        EXPECT_NEAR(SurfaceDistance(c, Vector3f(0, 0, 4), Vector3f::UNIT_Z, 5.0f), r, 1e-3f * (1 + r));
        EXPECT_NEAR(SurfaceDistance(c, Vector3f::ZERO, -Vector3f::UNIT_Z, 5.0f), r, 1e-3f * (1 + r));
    }
    Cylinder c(0.5f, 3.0f);
    fieldchecks::ExpectFieldConventions(c, "Cylinder");
    fieldchecks::ExpectSeedsNearSurface(c, "Cylinder");

    ASSERT_TRUE(c.SetLength(0.0f));
    EXPECT_NEAR(SurfaceDistance(c, Vector3f::ZERO, Vector3f(0, 0.6f, 0.8f), 2.0f), 0.5f, 1e-3f);
    fieldchecks::ExpectFieldConventions(c, "Cylinder of length 0");
}

TEST(CylinderPrimitive, FrameAndBounds)
{
    Cylinder c(0.3f, 2.0f);
    const Vector3f origin(1, 2, 3);
    Frame3f frame = TiltedFrame(origin, Vector3f(1, 1, 1));
    ASSERT_TRUE(c.SetFrame(frame));
    const Vector3f axis = frame.GetAxis(2), side = frame.GetAxis(0);
    EXPECT_NEAR(SurfaceDistance(c, origin + axis * 1.0f, side, 2.0f), 0.3f, 1e-3f);
    EXPECT_NEAR(SurfaceDistance(c, origin + axis * 2.0f, axis, 2.0f), 0.3f, 1e-3f);
    // The bounds hold the whole support and are tight along the axis.
    Wml::AxisAlignedBox3<float> box;
    c.FieldBounds(box);
    const float R = 0.3f / FALLOFF_SURFACE_RADIUS;
    for (const Vector3f& end : {origin, origin + axis * 2.0f})
        for (int i = 0; i < 3; ++i) {
            EXPECT_LE(box.Min(i), end[i] - R * 0.999f);
            EXPECT_GE(box.Max(i), end[i] + R * 0.999f);
        }
    fieldchecks::ExpectFieldConventions(c, "Cylinder in a tilted frame");

    frame.SetScale(Vector3f(1, 2, 0.5f));
    ASSERT_TRUE(c.SetFrame(frame));
    // A scaled frame stretches the cross-section and the length.
    EXPECT_NEAR(SurfaceDistance(c, origin + axis * 0.5f, frame.GetAxis(1), 2.0f), 0.6f, 2e-3f);
    EXPECT_NEAR(SurfaceDistance(c, origin + axis * 0.5f, axis, 2.0f), 0.5f + 0.15f, 2e-3f);
    fieldchecks::ExpectFieldConventions(c, "Cylinder in a scaled frame");
    fieldchecks::ExpectSeedsNearSurface(c, "Cylinder in a scaled frame");
}

TEST(CylinderPrimitive, BadInputIsClampedOrRefused)
{
    Cylinder c(NaN, NaN);
    EXPECT_EQ(c.GetRadius(), 0.25f);
    EXPECT_EQ(c.GetLength(), 1.0f);
    EXPECT_FALSE(c.SetRadius(NaN));
    EXPECT_FALSE(c.SetLength(NaN));
    EXPECT_TRUE(c.SetRadius(0.0f));
    EXPECT_EQ(c.GetRadius(), Cylinder::MIN_RADIUS);
    EXPECT_TRUE(c.SetLength(-2.0f));
    EXPECT_EQ(c.GetLength(), 0.0f);
    EXPECT_TRUE(std::isfinite(c.Value(0, 0, 0)));
    EXPECT_EQ(c.Value(0, 0, 0), 1.0f);
    Frame3f degenerate(Vector3f::ZERO, Vector3f::UNIT_X, Vector3f::UNIT_X, Vector3f::UNIT_Z);
    EXPECT_FALSE(c.SetFrame(degenerate));
}

// ---- PolyLinePrimitive ------------------------------------------------------

TEST(PolyLinePrimitive, EmptyAndSingleVertex)
{
    PolyLinePrimitive line;
    EXPECT_FALSE(line.IsClosed());
    EXPECT_TRUE(PolyLinePrimitive(PolyLinePrimitive::CLOSED).IsClosed());
    Wml::AxisAlignedBox3<float> box;
    line.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(line.Value(0, 0, 0), 0.0f);
    float gx, gy, gz, v = -1;
    line.Gradient(0, 0, 0, gx, gy, gz, &v);
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(gx, 0.0f);
    std::vector<Vector3f> seeds;
    line.GetSeedPoints(seeds);
    EXPECT_TRUE(seeds.empty());

    // One vertex (or repeated copies of it) is a ball of the radius.
    line.SetRadius(0.4f);
    ASSERT_TRUE(line.AppendVertex(Vector3f(1, 1, 1)));
    EXPECT_NEAR(SurfaceDistance(line, Vector3f(1, 1, 1), Vector3f(0, 0.6f, -0.8f), 2.0f), 0.4f, 1e-3f);
    line.AppendVertex(Vector3f(1, 1, 1));
    EXPECT_NEAR(SurfaceDistance(line, Vector3f(1, 1, 1), Vector3f(0, 0.6f, -0.8f), 2.0f), 0.4f, 1e-3f);
    fieldchecks::ExpectFieldConventions(line, "PolyLine with one vertex");
    fieldchecks::ExpectSeedsNearSurface(line, "PolyLine with one vertex");
}

TEST(PolyLinePrimitive, VertexAccessAndBadInput)
{
    PolyLinePrimitive line(1);
    EXPECT_FALSE(line.AppendVertex(Vector3f(NaN, 0, 0)));
    EXPECT_EQ(line.GetNumVertices(), 0u);
    line.AppendVertex(Vector3f(0, 0, 0));
    line.AppendVertex(Vector3f(1, 0, 0));
    EXPECT_TRUE(line.SetVertex(1, Vector3f(2, 0, 0)));
    EXPECT_FALSE(line.SetVertex(2, Vector3f(3, 0, 0)));
    EXPECT_FALSE(line.SetVertex(0, Vector3f(0, NaN, 0)));
    EXPECT_FALSE(line.AppendVertex(Vector3f(0, 0, -3e38f)));
    EXPECT_EQ(line.GetVertex(1), Vector3f(2, 0, 0));
    EXPECT_EQ(line.GetVertex(7), Vector3f::ZERO);
    EXPECT_EQ(line.GetVertices().size(), 2u);

    EXPECT_FALSE(line.SetRadius(NaN));
    EXPECT_TRUE(line.SetRadius(0.0f));
    EXPECT_EQ(line.GetRadius(), PolyLinePrimitive::MIN_RADIUS);
    EXPECT_TRUE(line.SetTaper(1000.0f));
    EXPECT_EQ(line.GetTaper(), PolyLinePrimitive::MAX_TAPER);
    EXPECT_TRUE(line.SetTaper(0.0f));
    EXPECT_EQ(line.GetTaper(), PolyLinePrimitive::MIN_TAPER);
    EXPECT_FALSE(line.SetTaper(NaN));
    EXPECT_FALSE(std::isnan(line.Value(1, 0, 0)));
    EXPECT_FALSE(std::isnan(line.Value(NaN, 0, 0)));
    EXPECT_EQ(line.GetVertexRadius(9), 0.0f);

    line.ClearVertices();
    EXPECT_EQ(line.GetNumVertices(), 0u);
    EXPECT_EQ(line.Value(1, 0, 0), 0.0f);
}

TEST(PolyLinePrimitive, RadiusHoldsAlongStraightRunsOfManyVertices)
{
    // A straight line cut into many short segments must keep its radius: the
    // smooth combination may not bulge or pinch at the joints.
    PolyLinePrimitive line;
    line.SetRadius(0.15f);
    for (int i = 0; i <= 100; ++i) line.AppendVertex(Vector3f(0.02f * i, 0, 0));
    float lo = 1e9f, hi = -1e9f;
    for (int i = 10; i <= 90; ++i) {
        const float d =
            SurfaceDistance(line, Vector3f(0.02f * i + 0.0037f * (i % 5), 0, 0), Vector3f::UNIT_Y, 1.0f);
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    EXPECT_NEAR(lo, 0.15f, 0.15f * 0.01f);
    EXPECT_NEAR(hi, 0.15f, 0.15f * 0.01f);
    // Rounded ends: the surface passes one radius beyond each end vertex.
    EXPECT_NEAR(SurfaceDistance(line, Vector3f(2, 0, 0), Vector3f::UNIT_X, 1.0f), 0.15f, 2e-3f);
    fieldchecks::ExpectFieldConventions(line, "PolyLine of 100 collinear segments");

    line.SetRadius(0.3f);
    EXPECT_NEAR(SurfaceDistance(line, Vector3f(1.01f, 0, 0), Vector3f::UNIT_Z, 1.0f), 0.3f, 3e-3f);
}

TEST(PolyLinePrimitive, TaperChangesTheRadiusLinearly)
{
    PolyLinePrimitive line;
    line.SetRadius(0.5f);
    line.SetTaper(2.0f);
    line.AppendVertex(Vector3f(0, 0, 0));
    line.AppendVertex(Vector3f(4, 0, 0));
    line.AppendVertex(Vector3f(10, 0, 0));
    EXPECT_NEAR(line.GetVertexRadius(0), 0.5f, 1e-6f);
    EXPECT_NEAR(line.GetVertexRadius(1), 0.7f, 1e-6f);
    EXPECT_NEAR(line.GetVertexRadius(2), 1.0f, 1e-6f);
    for (float s : {1.0f, 4.0f, 5.0f, 7.5f, 9.0f}) {
        const float expected = 0.5f * (1.0f + s / 10.0f);
        EXPECT_NEAR(SurfaceDistance(line, Vector3f(s, 0, 0), Vector3f::UNIT_Y, 3.0f), expected,
                    0.01f * expected)
            << s;
    }
    EXPECT_NEAR(SurfaceDistance(line, Vector3f(10, 0, 0), Vector3f::UNIT_X, 3.0f), 1.0f, 0.01f);
    fieldchecks::ExpectFieldConventions(line, "Tapered PolyLine");

    // A strong taper that makes the last ball swallow its neighbours.
    line.SetTaper(40.0f);
    fieldchecks::ExpectFieldConventions(line, "Strongly tapered PolyLine");
    fieldchecks::ExpectSeedsNearSurface(line, "Strongly tapered PolyLine");
    line.SetTaper(0.01f);
    fieldchecks::ExpectFieldConventions(line, "PolyLine tapering to a point");
}

TEST(PolyLinePrimitive, BendsAndLoopsHaveContinuousGradients)
{
    // Sharp bends, a hairpin and a loop are where a plain nearest-segment
    // field would crease; the sampled gradients must all agree.
    PolyLinePrimitive bent;
    bent.SetRadius(0.3f);
    for (const Vector3f& v : {Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(1, 1, 0),
                              Vector3f(1.2f, 1, 0.6f), Vector3f(0.2f, 1.1f, 0.6f)})
        bent.AppendVertex(v);
    fieldchecks::Options options;
    options.samples = 6000;
    fieldchecks::ExpectFieldConventions(bent, "Bent PolyLine", options);
    fieldchecks::ExpectSeedsNearSurface(bent, "Bent PolyLine");
    bent.SetTaper(3.0f);
    fieldchecks::ExpectFieldConventions(bent, "Bent tapered PolyLine", options);

    // The inner side of a right-angle bend keeps its radius away from the corner.
    PolyLinePrimitive corner;
    corner.SetRadius(0.25f);
    corner.AppendVertex(Vector3f(-2, 0, 0));
    corner.AppendVertex(Vector3f(0, 0, 0));
    corner.AppendVertex(Vector3f(0, 2, 0));
    EXPECT_NEAR(SurfaceDistance(corner, Vector3f(-1, 0, 0), Vector3f::UNIT_Y, 1.0f), 0.25f, 2e-3f);
    EXPECT_NEAR(SurfaceDistance(corner, Vector3f(0, 1, 0), -Vector3f::UNIT_X, 1.0f), 0.25f, 2e-3f);
    // Outer corner: the ball around the joint.
    const Vector3f out = Vector3f(1, -1, 0) / std::sqrt(2.0f);
    EXPECT_NEAR(SurfaceDistance(corner, Vector3f::ZERO, out, 1.0f), 0.25f, 2e-3f);

    PolyLinePrimitive loop(PolyLinePrimitive::CLOSED);
    loop.SetRadius(0.2f);
    for (int i = 0; i < 7; ++i) {
        const float a = 2.0f * 3.14159265f * i / 7.0f;
        loop.AppendVertex(Vector3f(std::cos(a), std::sin(a), 0.1f * (i % 2)));
    }
    fieldchecks::ExpectFieldConventions(loop, "Closed PolyLine", options);
    fieldchecks::ExpectSeedsNearSurface(loop, "Closed PolyLine");
    // The closing edge is part of the tube.
    const Vector3f lastEdgeMid = (loop.GetVertex(6) + loop.GetVertex(0)) * 0.5f;
    EXPECT_GT(loop.Value(lastEdgeMid), 0.9f);
    loop.SetClosed(false);
    EXPECT_LT(loop.Value(lastEdgeMid), 0.5f);
}

TEST(PolyLinePrimitive, FrameMovesTheTube)
{
    PolyLinePrimitive line;
    line.SetRadius(0.2f);
    line.AppendVertex(Vector3f(0, 0, 0));
    line.AppendVertex(Vector3f(0, 0, 2));
    const Vector3f origin(-3, 1, 2);
    const Frame3f frame = TiltedFrame(origin, Vector3f(1.5f, 1.5f, 1.5f));
    ASSERT_TRUE(line.SetFrame(frame));
    const Vector3f axis = frame.GetAxis(2);
    EXPECT_NEAR(SurfaceDistance(line, origin + axis * 1.5f, frame.GetAxis(1), 2.0f), 0.3f, 2e-3f);
    EXPECT_NEAR(SurfaceDistance(line, origin + axis * 3.0f, axis, 2.0f), 0.3f, 2e-3f);
    fieldchecks::ExpectFieldConventions(line, "PolyLine in a frame");
    fieldchecks::ExpectSeedsNearSurface(line, "PolyLine in a frame");
    Frame3f flat;
    flat.SetScale(Vector3f(0, 1, 1));
    EXPECT_FALSE(line.SetFrame(flat));
    EXPECT_EQ(line.GetFrame(), frame);
}

// ---- CurveSet ---------------------------------------------------------------

TEST(CurveSetPrimitive, CurvesBlendIntoOneShape)
{
    CurveSet set;
    Wml::AxisAlignedBox3<float> box;
    set.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(set.Value(0, 0, 0), 0.0f);

    EXPECT_FALSE(set.AddCurve({}, 0.2f));
    EXPECT_FALSE(set.AddCurve({Vector3f(NaN, 0, 0)}, 0.2f));
    EXPECT_FALSE(set.AddCurve({Vector3f(0, 0, 0)}, NaN));
    ASSERT_TRUE(set.AddCurve({Vector3f(-2, 0, 0), Vector3f(2, 0, 0)}, 0.2f));
    ASSERT_TRUE(set.AddCurve({Vector3f(0, -2, 0.1f), Vector3f(0, 0, 0.1f), Vector3f(0, 2, 0.1f)}, 0.35f));
    EXPECT_EQ(set.GetNumCurves(), 2u);
    EXPECT_EQ(set.GetCurve(1).size(), 3u);
    EXPECT_TRUE(set.GetCurve(5).empty());
    EXPECT_EQ(set.GetCurveRadius(0), 0.2f);
    EXPECT_EQ(set.GetCurveRadius(1), 0.35f);
    EXPECT_EQ(set.GetCurveRadius(2), 0.0f);

    // Far from the crossing each curve has its own radius.
    EXPECT_NEAR(SurfaceDistance(set, Vector3f(1.5f, 0, 0), Vector3f::UNIT_Z, 1.0f), 0.2f, 2e-3f);
    EXPECT_NEAR(SurfaceDistance(set, Vector3f(0, 1.5f, 0.1f), Vector3f::UNIT_X, 1.0f), 0.35f, 2e-3f);
    // At the crossing the fields add up: the surface swells into a fillet.
    PolyLinePrimitive alone;
    alone.SetRadius(0.35f);
    alone.AppendVertex(Vector3f(0, -2, 0.1f));
    alone.AppendVertex(Vector3f(0, 2, 0.1f));
    const Vector3f nearCrossing(0.45f, 0.3f, 0.1f);
    EXPECT_GT(set.Value(nearCrossing), alone.Value(nearCrossing));
    EXPECT_LE(set.Value(0, 0, 0.05f), 1.0f);

    fieldchecks::ExpectFieldConventions(set, "CurveSet");
    fieldchecks::ExpectSeedsNearSurface(set, "CurveSet");

    // The set cannot be moved.
    EXPECT_FALSE(set.SetFrame(Frame3f(Vector3f(1, 2, 3))));
    EXPECT_EQ(set.GetFrame(), Frame3f());

    // Surface bounds hold the blended level set.
    set.SurfaceBounds(0.5f, box);
    for (const Vector3f& p : {Vector3f(0, 0, 0.1f), Vector3f(1.9f, 0, 0), Vector3f(0, -2.1f, 0.1f)})
        EXPECT_TRUE(box.Contains(p));
    set.ClearCurves();
    EXPECT_EQ(set.GetNumCurves(), 0u);
    EXPECT_EQ(set.Value(0, 0, 0), 0.0f);
}

// ---- FastQuadricPointSet ------------------------------------------------------

TEST(FastQuadricPointSet, ReproducesASampledSphere)
{
    FastQuadricPointSet set;
    const Vector3f centre(0.5f, -1, 2);
    SampleSphere(set, centre, 1.0f, 1500);
    EXPECT_EQ(set.GetNumPoints(), 1500u);
    EXPECT_TRUE(set.IsRadiusAutomatic());
    // About three times the spacing of 1500 points on a unit sphere.
    EXPECT_GT(set.GetRadius(), 0.12f);
    EXPECT_LT(set.GetRadius(), 0.4f);

    // The surface crosses every ray from the centre at radius 1.
    std::mt19937 rng(3);
    std::normal_distribution<float> gauss;
    float worst = 0.0f;
    for (int i = 0; i < 60; ++i) {
        Vector3f dir(gauss(rng), gauss(rng), gauss(rng));
        dir.Normalize();
        worst = std::max(worst, std::fabs(SurfaceDistance(set, centre, dir, 2.0f) - 1.0f));
    }
    EXPECT_LT(worst, 0.01f);
    // Solid all the way in (no hollow shell), empty outside.
    for (float r : {0.0f, 0.3f, 0.6f, 0.8f}) EXPECT_GT(set.Value(centre + Vector3f(0, r, 0)), 0.9f) << r;
    EXPECT_EQ(set.Value(centre + Vector3f(0, 0, 1.5f)), 0.0f);
    // The normal derived from the gradient matches the sphere's.
    const Vector3f g = set.Gradient(centre + Vector3f(0.6f, 0.8f, 0));
    EXPECT_LT(g.Dot(Vector3f(0.6f, 0.8f, 0)) / g.Length(), -0.99f);

    fieldchecks::Options options;
    options.samples = 1500;
    fieldchecks::ExpectFieldConventions(set, "FastQuadricPointSet sphere", options);
    fieldchecks::ExpectSeedsNearSurface(set, "FastQuadricPointSet sphere");
    std::vector<Vector3f> seeds;
    set.GetSeedPoints(seeds);
    EXPECT_EQ(seeds.size(), 1u);
}

TEST(FastQuadricPointSet, SeparatePiecesAndOpenPatches)
{
    FastQuadricPointSet set;
    SampleSphere(set, Vector3f(-2, 0, 0), 0.7f, 600);
    SampleSphere(set, Vector3f(2, 0, 0), 0.7f, 600);
    std::vector<Vector3f> seeds;
    set.GetSeedPoints(seeds);
    ASSERT_EQ(seeds.size(), 2u);
    EXPECT_NE(seeds[0].X() < 0, seeds[1].X() < 0);
    EXPECT_GT(set.Value(-2, 0, 0), 0.9f);
    EXPECT_GT(set.Value(2, 0, 0), 0.9f);
    EXPECT_EQ(set.Value(0, 0, 0), 0.0f);
    fieldchecks::ExpectSeedsNearSurface(set, "Two point-set spheres");

    // A flat open patch: a thin slab around it, no interior, nothing far away.
    FastQuadricPointSet patch;
    for (int i = -10; i <= 10; ++i)
        for (int j = -10; j <= 10; ++j) patch.AddPoint(Vector3f(0.1f * i, 0.1f * j, 0), Vector3f(0, 0, 1));
    EXPECT_NEAR(patch.Value(0.05f, 0.02f, 0), 0.5f, 0.02f);
    EXPECT_GT(patch.Value(0, 0, -0.1f), 0.5f);
    EXPECT_LT(patch.Value(0, 0, 0.1f), 0.5f);
    EXPECT_EQ(patch.Value(0, 0, -2), 0.0f);
    fieldchecks::ExpectFieldConventions(patch, "FastQuadricPointSet patch");
}

TEST(FastQuadricPointSet, FramesMoveThePointsExactly)
{
    FastQuadricPointSet set;
    SampleSphere(set, Vector3f::ZERO, 1.0f, 500);
    std::vector<Vector3f> before, normals;
    for (unsigned i = 0; i < set.GetNumPoints(); ++i) {
        before.push_back(set.GetPoint(i));
        normals.push_back(set.GetNormal(i));
    }
    const Frame3f frame = TiltedFrame(Vector3f(3, -2, 1), Vector3f(2, 0.5f, 1.5f));
    ASSERT_TRUE(set.ApplyFrame(frame));
    for (unsigned i = 0; i < set.GetNumPoints(); i += 37) {
        const Vector3f p = set.GetPoint(i), n = set.GetNormal(i);
        EXPECT_NEAR((p - frame.ToWorldPoint(before[i])).Length(), 0.0f, 1e-5f);
        EXPECT_NEAR(n.Length(), 1.0f, 1e-5f);
        // The moved normal stays perpendicular to moved tangent directions.
        Vector3f t, u;
        Vector3f::GenerateOrthonormalBasis(t, u, normals[i]);
        EXPECT_NEAR(n.Dot(frame.ToWorldVectorScaled(t)), 0.0f, 1e-5f);
    }
    ASSERT_TRUE(set.ApplyFrameInverse(frame));
    float worstPoint = 0.0f, worstNormal = 0.0f;
    for (unsigned i = 0; i < set.GetNumPoints(); ++i) {
        worstPoint = std::max(worstPoint, (set.GetPoint(i) - before[i]).Length());
        worstNormal = std::max(worstNormal, (set.GetNormal(i) - normals[i]).Length());
    }
    EXPECT_LT(worstPoint, 2e-6f);
    EXPECT_LT(worstNormal, 2e-6f);

    // Moving to the same frame twice leaves the points where one move put them.
    const Frame3f moved(Vector3f(0, 0, 5));
    ASSERT_TRUE(set.SetFrame(moved));
    const Vector3f once = set.GetPoint(3);
    ASSERT_TRUE(set.SetFrame(moved));
    EXPECT_NEAR((set.GetPoint(3) - once).Length(), 0.0f, 1e-6f);
    EXPECT_EQ(set.GetFrame(), moved);
    EXPECT_GT(set.Value(0, 0, 5), 0.9f);
    EXPECT_EQ(set.Value(0, 0, 0), 0.0f);
    EXPECT_NEAR(SurfaceDistance(set, Vector3f(0, 0, 5), Vector3f::UNIT_X, 2.0f), 1.0f, 0.01f);

    // A fixed radius follows the frame's scale.
    set.SetRadius(0.3f);
    Frame3f doubled;
    doubled.SetScale(Vector3f(2, 2, 2));
    ASSERT_TRUE(set.ApplyFrame(doubled));
    EXPECT_NEAR(set.GetRadius(), 0.6f, 1e-5f);
    ASSERT_TRUE(set.ApplyFrameInverse(doubled));
    EXPECT_NEAR(set.GetRadius(), 0.3f, 1e-6f);
}

TEST(FastQuadricPointSet, BadInputIsClampedOrRefused)
{
    FastQuadricPointSet set;
    Wml::AxisAlignedBox3<float> box;
    set.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(set.Value(0, 0, 0), 0.0f);
    std::vector<Vector3f> seeds;
    set.GetSeedPoints(seeds);
    EXPECT_TRUE(seeds.empty());

    EXPECT_FALSE(set.AddPoint(Vector3f(NaN, 0, 0), Vector3f::UNIT_Z));
    EXPECT_FALSE(set.AddPoint(Vector3f::ZERO, Vector3f::ZERO));
    EXPECT_FALSE(set.AddPoint(Vector3f::ZERO, Vector3f(0, NaN, 1)));
    EXPECT_EQ(set.GetNumPoints(), 0u);
    EXPECT_EQ(set.GetPoint(0), Vector3f::ZERO);
    EXPECT_EQ(set.GetNormal(0), Vector3f::ZERO);

    EXPECT_FALSE(set.SetRadius(NaN));
    EXPECT_TRUE(set.IsRadiusAutomatic());
    EXPECT_TRUE(set.SetRadius(-1.0f));
    EXPECT_EQ(set.GetRadius(), FastQuadricPointSet::MIN_RADIUS);
    set.SetRadiusAutomatic();
    EXPECT_TRUE(set.IsRadiusAutomatic());

    // A lone point, and many copies of one point, give a small finite blob.
    ASSERT_TRUE(set.AddPoint(Vector3f(1, 1, 1), Vector3f(0, 0, 3)));
    EXPECT_EQ(set.GetNormal(0), Vector3f::UNIT_Z);
    EXPECT_NEAR(set.Value(1, 1, 1), 0.5f, 1e-5f);
    fieldchecks::ExpectSeedsNearSurface(set, "Lone point");
    for (int i = 0; i < 5; ++i) set.AddPoint(Vector3f(1, 1, 1), Vector3f(0, 0, 1));
    fieldchecks::ExpectFieldConventions(set, "Repeated point");
    EXPECT_FALSE(std::isnan(set.Value(NaN, 1, 1)));

    Frame3f flat;
    flat.SetScale(Vector3f(1, 1, 0));
    EXPECT_FALSE(set.ApplyFrame(flat));
    EXPECT_FALSE(set.ApplyFrameInverse(flat));
    EXPECT_FALSE(set.SetFrame(flat));
    EXPECT_EQ(set.GetPoint(0), Vector3f(1, 1, 1));
    EXPECT_TRUE(Finite(set.GetNormal(0)));
    // Coordinates the grids cannot cover are refused, also through a frame.
    EXPECT_FALSE(set.AddPoint(Vector3f(3e38f, 0, 0), Vector3f::UNIT_Z));
    Frame3f far(Vector3f(0, 0, 2e18f));
    EXPECT_FALSE(set.ApplyFrame(far));
    EXPECT_FALSE(set.SetFrame(far));
    EXPECT_EQ(set.GetPoint(0), Vector3f(1, 1, 1));
    EXPECT_EQ(set.GetFrame(), Frame3f());

    set.Clear();
    EXPECT_EQ(set.GetNumPoints(), 0u);
    EXPECT_EQ(set.Value(1, 1, 1), 0.0f);
}

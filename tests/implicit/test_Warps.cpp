// Space warps: twist, taper and bend, the variational warp and its point set,
// the displacement map, and the linear sweep warp, over small analytic
// children defined here.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "implicit/Falloff.h"
#include "implicit/warps/BarrWarp.h"
#include "implicit/warps/LinearSweepWarp.h"
#include "implicit/warps/VariationalWarp.h"
#include "implicit/warps/WarpPointSet.h"
#include "tests/support/FieldChecks.h"
#include "tests/support/FifoTestSupport.h"
#include "tests/support/TempFolder.h"
#include "wml/PGMImage.h"

using namespace vynimplicit;
using Wml::AxisAlignedBox3f;
using Wml::Vector3f;

namespace {

constexpr float PI = 3.14159265f;

/// Soft falloff of the distance to a box of half sizes h centred at c (a
/// ball when h is zero, a capsule when one size is non-zero).
class RoundedBox : public ScalarField {
public:
    RoundedBox(const Vector3f& c, const Vector3f& h, float R) : m_c(c), m_h(h), m_R(R) {}
    using ScalarField::Value;
    float Value(float x, float y, float z) override
    {
        float g[3];
        return Eval(x, y, z, g);
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        float g[3];
        const float v = Eval(x, y, z, g);
        gx = g[0], gy = g[1], gz = g[2];
        if (value) *value = v;
    }
    void FieldBounds(AxisAlignedBox3f& box) override
    {
        box = AxisAlignedBox3f(m_c - m_h - Vector3f(m_R, m_R, m_R), m_c + m_h + Vector3f(m_R, m_R, m_R));
    }
    void GetSeedPoints(std::vector<Vector3f>& points) override
    {
        points.push_back(m_c + Vector3f(m_h.X() + m_R * FALLOFF_SURFACE_RADIUS, 0, 0));
    }

private:
    float Eval(float x, float y, float z, float g[3]) const
    {
        const float p[3] = {x - m_c.X(), y - m_c.Y(), z - m_c.Z()};
        float d[3], d2 = 0;
        for (int i = 0; i < 3; ++i) {
            d[i] = std::max(std::fabs(p[i]) - m_h[i], 0.0f) * (p[i] < 0 ? -1.0f : 1.0f);
            d2 += d[i] * d[i];
        }
        const float t = d2 / (m_R * m_R);
        const float dw = FalloffSquaredDerivative(t) * 2.0f / (m_R * m_R);
        for (int i = 0; i < 3; ++i) g[i] = dw * d[i];
        return FalloffSquared(t);
    }
    Vector3f m_c, m_h;
    float m_R;
};

/// Where the field crosses 0.5 going from `from` along `dir` (bisection).
float SurfaceDistance(ScalarField& f, const Vector3f& from, const Vector3f& dir, float maxDistance)
{
    float a = 0, b = maxDistance;
    for (int i = 0; i < 40; ++i) {
        const float m = 0.5f * (a + b);
        (f.Value(from + dir * m) > 0.5f ? a : b) = m;
    }
    return 0.5f * (a + b);
}

/// First point from `from` along `dir` where the field rises above 0.5,
/// marched in small steps then bisected; returns the distance.
float FirstCrossing(ScalarField& f, const Vector3f& from, const Vector3f& dir, float maxDistance)
{
    float a = 0;
    while (a < maxDistance && f.Value(from + dir * (a + 0.005f)) <= 0.5f) a += 0.005f;
    float b = a + 0.005f;
    for (int i = 0; i < 30; ++i) {
        const float m = 0.5f * (a + b);
        (f.Value(from + dir * m) > 0.5f ? b : a) = m;
    }
    return 0.5f * (a + b);
}

/// Every value and gradient finite and in range at random points.
void ExpectFinite(ScalarField& f, const AxisAlignedBox3f& around, const char* name)
{
    std::mt19937 rng(3);
    for (int i = 0; i < 500; ++i) {
        const Vector3f p = fieldchecks::RandomPoint(around, rng);
        float gx, gy, gz, v;
        f.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
        ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << name;
        ASSERT_TRUE(std::isfinite(gx) && std::isfinite(gy) && std::isfinite(gz)) << name;
    }
    AxisAlignedBox3f box;
    f.FieldBounds(box);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(box.Min(i)) && std::isfinite(box.Max(i))) << name;
}

/// Bounds that clip the support show up just outside them: samples the
/// shell of the box 5% of its size thick, where the conventions' uniform
/// samples are too sparse to land.
void ExpectNothingJustOutsideBounds(ScalarField& f, const char* name)
{
    AxisAlignedBox3f box;
    f.FieldBounds(box);
    ASSERT_FALSE(box.IsEmpty()) << name;
    std::mt19937 rng(6);
    std::uniform_real_distribution<float> unit(0, 1);
    int outside = 0;
    for (int i = 0; i < 200000; ++i) {
        Vector3f p;
        for (int k = 0; k < 3; ++k) p[k] = box.Min(k) + unit(rng) * box.Extent(k);
        // Push one coordinate across a face into the shell.
        const int axis = i % 3;
        const float depth = 0.05f * box.Extent(axis) * unit(rng) + 1e-6f;
        p[axis] = (i / 3) % 2 ? box.Max(axis) + depth : box.Min(axis) - depth;
        if (f.Value(p) != 0.0f) ++outside;
    }
    EXPECT_EQ(outside, 0) << name << ": support found outside FieldBounds";
}

Wml::Frame3f TiltedFrame()
{
    Wml::Frame3f frame(Vector3f(0.3f, -0.2f, 0.1f));
    frame.Rotate(Wml::Matrix3f(Vector3f(1, 1, 0) / std::sqrt(2.0f), 0.4f), true);
    return frame;
}

WarpPointSet GridPoints()
{
    WarpPointSet set;
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i) {
                const Vector3f p(-0.5f + 0.5f * i, -0.5f + 0.5f * j, -0.5f + 0.5f * k);
                set.AddPoint(p, p);
            }
    return set;
}

const AxisAlignedBox3f AROUND(-3, 3, -3, 3, -3, 3);

}  // namespace

TEST(BarrWarp, IdentityParametersGiveTheChildExactly)
{
    RoundedBox child(Vector3f(0.1f, 0, 0.2f), Vector3f(0.6f, 0.2f, 0.4f), 0.5f);
    BarrWarp twist(BarrWarp::TWIST), taper(BarrWarp::TAPER), bend(BarrWarp::BEND);
    ASSERT_TRUE(taper.SetTaperRange(-2.0f, 3.0f));
    ASSERT_TRUE(bend.SetBendRange(-0.5f, 2.0f));
    for (BarrWarp* w : {&twist, &taper, &bend}) {
        ASSERT_TRUE(w->SetFrame(TiltedFrame()));
        w->AddChild(&child);
        EXPECT_TRUE(w->IsIdentity());
        AxisAlignedBox3f a, b;
        w->FieldBounds(a);
        child.FieldBounds(b);
        EXPECT_EQ(a, b);
        std::mt19937 rng(1);
        for (int i = 0; i < 300; ++i) {
            const Vector3f p = fieldchecks::RandomPoint(b, rng);
            EXPECT_EQ(w->Value(p), child.Value(p));
        }
    }
    // Parameters that only look like change: an empty bend range at the centre.
    ASSERT_TRUE(bend.SetBendCurvature(2.0f));
    EXPECT_FALSE(bend.IsIdentity());
    ASSERT_TRUE(bend.SetBendRange(0.0f, 0.0f));
    EXPECT_TRUE(bend.IsIdentity());
}

TEST(BarrWarp, FieldConventions)
{
    RoundedBox child(Vector3f(0.1f, 0.05f, 0.3f), Vector3f(0.7f, 0.15f, 0.8f), 0.4f);
    BarrWarp twist(BarrWarp::TWIST), taper(BarrWarp::TAPER), bend(BarrWarp::BEND), tiltedBend(BarrWarp::BEND);
    twist.SetTwistRate(1.7f);
    taper.SetTaperRange(-1.0f, 1.0f);
    taper.SetTaperScales(1.4f, 0.3f);
    bend.SetBendCurvature(-0.8f);
    bend.SetBendRange(-0.6f, 0.9f);
    tiltedBend.SetFrame(TiltedFrame());
    tiltedBend.SetBendCurvature(1.1f);
    tiltedBend.SetBendCentre(0.2f);
    const char* names[] = {"twist", "taper", "bend", "tilted bend"};
    int i = 0;
    for (BarrWarp* w : {&twist, &taper, &bend, &tiltedBend}) {
        w->AddChild(&child);
        fieldchecks::ExpectFieldConventions(*w, names[i]);
        fieldchecks::ExpectSeedsNearSurface(*w, names[i]);
        ++i;
    }
    // A bend whose whole child lies beyond the range is a rigid motion; the
    // bound must still follow it.
    BarrWarp rigid(BarrWarp::BEND);
    rigid.SetBendCurvature(1.5f);
    rigid.SetBendRange(-1.0f, -0.5f);
    RoundedBox high(Vector3f(0, 0, 1.0f), Vector3f(0.1f, 0.1f, 0.4f), 0.3f);
    rigid.AddChild(&high);
    fieldchecks::ExpectFieldConventions(rigid, "rigid bend");
    // Strong bends (a whole turn and more) and far-off children.
    RoundedBox capsule(Vector3f(-0.5f, 0, 0), Vector3f(0, 0, 1.5f), 0.5f);
    BarrWarp curl(BarrWarp::BEND);
    curl.SetBendCurvature(3.0f);
    curl.SetBendRange(-1.5f, 1.5f);
    curl.AddChild(&capsule);
    ExpectNothingJustOutsideBounds(curl, "curl");
    for (BarrWarp* w : {&twist, &taper, &bend, &tiltedBend, &rigid})
        ExpectNothingJustOutsideBounds(*w, "barr");
    // Twisting a box stays inside the cylinder its corners sweep.
    AxisAlignedBox3f box;
    twist.FieldBounds(box);
    const float reach = std::hypot(0.1f + 0.7f + 0.4f, 0.05f + 0.15f + 0.4f);
    EXPECT_LE(box.Max(0), reach + 1e-4f);
    EXPECT_GE(box.Min(1), -reach - 1e-4f);
}

TEST(BarrWarp, TwistTurnsTheCrossSection)
{
    // A slab long in x: at height z the twist turns it by rate * z.
    RoundedBox child(Vector3f::ZERO, Vector3f(1.0f, 0.1f, 2.0f), 0.3f);
    BarrWarp twist(BarrWarp::TWIST);
    twist.AddChild(&child);
    twist.SetTwistRate(PI / 2);
    for (float z : {-1.0f, 0.5f, 1.0f}) {
        const float angle = PI / 2 * z;
        const float c = std::cos(angle), s = std::sin(angle);
        for (float x : {-0.9f, -0.3f, 0.4f, 1.1f})
            for (float y : {-0.15f, 0.0f, 0.12f})
                EXPECT_NEAR(twist.Value(c * x - s * y, s * x + c * y, z), child.Value(x, y, z), 1e-5f);
    }
    // A quarter turn at z = 1: the long axis now points along +y.
    EXPECT_GT(twist.Value(0, 0.9f, 1.0f), 0.9f);
    EXPECT_LT(twist.Value(0.9f, 0, 1.0f), 0.5f);
    // The frame carries the axis: twisting about a shifted axis turns about it.
    Wml::Frame3f frame(Vector3f(2.0f, 0, 0));
    twist.SetFrame(frame);
    RoundedBox shifted(Vector3f(2.0f, 0, 0), Vector3f(1.0f, 0.1f, 2.0f), 0.3f);
    twist.RemoveChild(&child);
    twist.AddChild(&shifted);
    EXPECT_NEAR(twist.Value(2.0f, 0.9f, 1.0f), shifted.Value(2.9f, 0, 1.0f), 1e-5f);
}

TEST(BarrWarp, TaperScalesTheCrossSection)
{
    RoundedBox child(Vector3f::ZERO, Vector3f(0.5f, 0.3f, 1.0f), 0.3f);
    BarrWarp taper(BarrWarp::TAPER);
    taper.AddChild(&child);
    taper.SetTaperRange(-1.0f, 1.0f);
    taper.SetTaperScales(1.0f, 0.5f);
    for (float z : {-1.0f, 0.0f, 1.0f}) {
        const float s = taper.TaperScale(z);
        EXPECT_NEAR(s, 0.75f - 0.25f * z, 1e-6f);
        for (float x : {0.0f, 0.4f, 0.6f})
            EXPECT_NEAR(taper.Value(s * x, s * -0.2f, z), child.Value(x, -0.2f, z), 1e-5f);
    }
    // The surface along x at the top lies at half the child's distance.
    const float top = SurfaceDistance(taper, Vector3f(0, 0, 1.0f), Vector3f::UNIT_X, 3.0f);
    const float base = SurfaceDistance(child, Vector3f(0, 0, 1.0f), Vector3f::UNIT_X, 3.0f);
    EXPECT_NEAR(top, 0.5f * base, 1e-4f);
    // A taper down to nothing is held at the smallest scale, never a division by 0.
    taper.SetTaperScales(1.0f, -3.0f);
    EXPECT_EQ(taper.GetTaperEndScale(), 0.0f);
    EXPECT_GE(taper.TaperScale(5.0f), BarrWarp::MIN_TAPER_SCALE);
    // (A ball child: the box's plateau edge is only C^1, which finite
    // differences misread once the taper squeezes it twentyfold.)
    RoundedBox ball(Vector3f(0, 0, 0.5f), Vector3f::ZERO, 0.8f);
    taper.RemoveChild(&child);
    taper.AddChild(&ball);
    fieldchecks::ExpectFieldConventions(taper, "taper to a point");
}

TEST(BarrWarp, BendCarriesTheAxisAlongAnArc)
{
    // A capsule along z bent with curvature 2 about the height 0.
    RoundedBox capsule(Vector3f::ZERO, Vector3f(0, 0, 2.0f), 0.3f);
    BarrWarp bend(BarrWarp::BEND);
    bend.AddChild(&capsule);
    bend.SetBendCurvature(2.0f);
    bend.SetBendRange(-1.0f, 1.0f);
    const float k = 2.0f;
    for (float s : {-0.6f, 0.3f, 0.7f}) {
        const Vector3f onArc((1 - std::cos(k * s)) / k, 0, std::sin(k * s) / k);
        EXPECT_NEAR(bend.Value(onArc), 1.0f, 1e-4f) << s;
    }
    EXPECT_LT(bend.Value(0, 0, 0.7f), 0.5f);  // the straight axis has left
    // Past the range the capsule goes straight on along the end tangent.
    const Vector3f end((1 - std::cos(k)) / k, 0, std::sin(k) / k), tangent(std::sin(k), 0, std::cos(k));
    EXPECT_NEAR(bend.Value(end + tangent * 0.8f), 1.0f, 1e-4f);
    // A negative curvature bends the other way.
    bend.SetBendCurvature(-2.0f);
    EXPECT_NEAR(bend.Value(-(1 - std::cos(1.2f)) / k, 0, std::sin(1.2f) / k), 1.0f, 1e-4f);
}

TEST(BarrWarp, RefusesAndClampsBadParameters)
{
    const float nan = std::nanf("");
    BarrWarp w(7);
    EXPECT_EQ(w.GetMode(), BarrWarp::TWIST);
    EXPECT_FALSE(w.SetMode(3));
    EXPECT_FALSE(w.SetMode(-1));
    EXPECT_TRUE(w.SetMode(BarrWarp::BEND));
    EXPECT_FALSE(w.SetTwistRate(nan));
    EXPECT_FALSE(w.SetBendCurvature(INFINITY));
    EXPECT_FALSE(w.SetBendCentre(nan));
    EXPECT_FALSE(w.SetBendRange(0, nan));
    EXPECT_FALSE(w.SetTaperScales(nan, 1));
    EXPECT_FALSE(w.SetTaperRange(1.0f, 1.0f));
    EXPECT_EQ(w.GetTaperStart(), 0.0f);
    EXPECT_TRUE(w.SetBendRange(2.0f, -1.0f));
    EXPECT_EQ(w.GetBendMin(), -1.0f);
    EXPECT_EQ(w.GetBendMax(), 2.0f);
    EXPECT_TRUE(w.SetBendCurvature(1e9f));
    EXPECT_EQ(w.GetBendCurvature(), BarrWarp::MAX_RATE);
    Wml::Frame3f flat;
    flat.SetScale(Vector3f(1, 0, 1));
    EXPECT_FALSE(w.SetFrame(flat));
    EXPECT_EQ(w.GetFrame(), Wml::Frame3f());

    // No child: zero everywhere, empty bounds.
    AxisAlignedBox3f box;
    w.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(w.Value(0, 0, 0), 0.0f);

    // Extreme parameters and points still give finite values.
    RoundedBox child(Vector3f(0.2f, 0, 0), Vector3f(0.5f, 0.5f, 1.0f), 0.5f);
    w.AddChild(&child);
    ExpectFinite(w, AROUND, "strong bend");
    EXPECT_EQ(w.Value(nan, 0, 0), 0.0f);
    float gx, gy, gz, v;
    w.Gradient(0, INFINITY, 0, gx, gy, gz, &v);
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(gx, 0.0f);
    w.SetMode(BarrWarp::TWIST);
    w.SetTwistRate(1e9f);
    ExpectFinite(w, AROUND, "fast twist");
}

TEST(WarpPointSet, EditingAndRangeChecks)
{
    WarpPointSet set;
    EXPECT_TRUE(set.IsIdentity());
    EXPECT_TRUE(set.AddPoint(Vector3f(1, 2, 3), Vector3f(1, 2, 3)));
    EXPECT_TRUE(set.IsIdentity());
    EXPECT_TRUE(set.AddPoint(Vector3f(0, 0, 0), Vector3f(0, 1, 0)));
    EXPECT_FALSE(set.IsIdentity());
    EXPECT_FALSE(set.AddPoint(Vector3f(std::nanf(""), 0, 0), Vector3f::ZERO));
    EXPECT_EQ(set.GetNumPoints(), 2u);

    EXPECT_TRUE(set.SetPoint(0, Vector3f(4, 4, 4), Vector3f(5, 5, 5)));
    EXPECT_FALSE(set.SetPoint(2, Vector3f::ZERO, Vector3f::ZERO));
    EXPECT_FALSE(set.SetPoint(0, Vector3f::ZERO, Vector3f(INFINITY, 0, 0)));
    Vector3f from, to;
    ASSERT_TRUE(set.GetPoint(0, from, to));
    EXPECT_EQ(from, Vector3f(4, 4, 4));
    EXPECT_EQ(to, Vector3f(5, 5, 5));
    EXPECT_FALSE(set.GetPoint(9, from, to));
    EXPECT_EQ(set.GetTo(1), Vector3f(0, 1, 0));
    EXPECT_EQ(set.GetFrom(9), Vector3f::ZERO);

    WarpPointSet copy = set;
    EXPECT_TRUE(set.RemovePoint(0));
    EXPECT_FALSE(set.RemovePoint(5));
    EXPECT_EQ(set.GetNumPoints(), 1u);
    EXPECT_EQ(copy.GetNumPoints(), 2u);
    set.Clear();
    EXPECT_EQ(set.GetNumPoints(), 0u);
}

TEST(VariationalWarp, TargetsOnTheirSourcesChangeNothing)
{
    RoundedBox child(Vector3f::ZERO, Vector3f(0.3f, 0.1f, 0.2f), 0.6f);
    VariationalWarp warp;
    warp.AddChild(&child);
    warp.SetWarpPointSet(GridPoints());
    EXPECT_TRUE(warp.IsIdentity());
    std::mt19937 rng(2);
    for (int i = 0; i < 300; ++i) {
        const Vector3f p = fieldchecks::RandomPoint(AxisAlignedBox3f(-1, 1, -1, 1, -1, 1), rng);
        EXPECT_EQ(warp.Value(p), child.Value(p));
    }
    AxisAlignedBox3f a, b;
    warp.FieldBounds(a);
    child.FieldBounds(b);
    EXPECT_EQ(a, b);
}

TEST(VariationalWarp, MovingAPointDragsTheSurfaceInsideTheBallOnly)
{
    // A ball whose surface runs near the grid point (0.5, 0, 0).
    RoundedBox child(Vector3f::ZERO, Vector3f::ZERO, 0.5f / FALLOFF_SURFACE_RADIUS);
    VariationalWarp warp;
    warp.AddChild(&child);
    warp.SetWarpRadius(1.5f);
    warp.SetWarpPointSet(GridPoints());
    const unsigned moved = 14;  // (0.5, 0, 0)
    ASSERT_EQ(warp.GetWarpPointSet().GetFrom(moved), Vector3f(0.5f, 0, 0));
    warp.GetWarpPointSet().SetPoint(moved, Vector3f(0.5f, 0, 0), Vector3f(0.8f, 0, 0));
    EXPECT_TRUE(warp.IsIdentity());  // not refitted yet
    warp.WarpPointSetChanged();
    ASSERT_FALSE(warp.IsIdentity());

    // The source shows at its target, and the surface there moved out.
    EXPECT_NEAR(warp.Value(0.8f, 0, 0), child.Value(0.5f, 0, 0), 0.01f);
    EXPECT_NEAR(SurfaceDistance(warp, Vector3f::ZERO, Vector3f::UNIT_X, 1.4f), 0.8f, 0.02f);
    // The pinned points on the far side hold the surface where it was.
    EXPECT_NEAR(SurfaceDistance(warp, Vector3f::ZERO, -Vector3f::UNIT_X, 1.4f), 0.5f, 0.02f);
    // Nothing moves outside the ball.
    std::mt19937 rng(4);
    for (int i = 0; i < 300; ++i) {
        const Vector3f p = fieldchecks::RandomPoint(AROUND, rng);
        if ((p - warp.GetWarpCenter()).Length() < 1.5f) continue;
        EXPECT_EQ(warp.Displacement(p, nullptr), Vector3f::ZERO);
        EXPECT_EQ(warp.Value(p), child.Value(p));
    }
    fieldchecks::ExpectFieldConventions(warp, "variational warp");
    fieldchecks::ExpectSeedsNearSurface(warp, "variational warp");
    ExpectNothingJustOutsideBounds(warp, "variational warp");

    // The interpolant follows the ball when it moves; more smoothing moves less.
    warp.SetSmoothing(5.0f);
    EXPECT_LT(SurfaceDistance(warp, Vector3f::ZERO, Vector3f::UNIT_X, 1.4f), 0.78f);
    warp.SetWarpCenter(Vector3f(10, 0, 0));
    EXPECT_EQ(warp.Value(0.7f, 0, 0), child.Value(0.7f, 0, 0));
}

TEST(VariationalWarp, DegenerateSetsAndParametersNeverGiveNaN)
{
    RoundedBox child(Vector3f(0.1f, 0, 0), Vector3f(0.3f, 0.2f, 0.1f), 0.5f);
    VariationalWarp warp;
    warp.AddChild(&child);
    const float nan = std::nanf("");
    EXPECT_FALSE(warp.SetSmoothing(nan));
    EXPECT_FALSE(warp.SetWarpRadius(nan));
    EXPECT_FALSE(warp.SetWarpCenter(Vector3f(0, nan, 0)));
    EXPECT_TRUE(warp.SetWarpRadius(-4.0f));
    EXPECT_EQ(warp.GetWarpRadius(), VariationalWarp::MIN_RADIUS);
    EXPECT_TRUE(warp.SetSmoothing(0.0f));
    EXPECT_EQ(warp.GetSmoothing(), VariationalWarp::MIN_SMOOTHING);
    warp.SetWarpRadius(1.0f);

    // A single moved point translates its neighbourhood.
    WarpPointSet one;
    one.AddPoint(Vector3f(0.1f, 0, 0), Vector3f(0.1f, 0.2f, 0));
    warp.SetWarpPointSet(one);
    EXPECT_NEAR(warp.Value(0.1f, 0.2f, 0), child.Value(0.1f, 0, 0), 1e-3f);
    ExpectFinite(warp, AROUND, "one point");

    // The same target asked to come from two places: merged, not singular.
    WarpPointSet clash = GridPoints();
    clash.AddPoint(Vector3f(0.2f, 0, 0), Vector3f(0.3f, 0.3f, 0));
    clash.AddPoint(Vector3f(0.4f, 0, 0), Vector3f(0.3f, 0.3f, 0));
    warp.SetWarpPointSet(clash);
    EXPECT_NEAR(warp.Value(0.3f, 0.3f, 0), child.Value(0.3f, 0, 0), 0.02f);
    ExpectFinite(warp, AROUND, "clashing targets");

    // Coplanar and collinear targets: no full affine part to fit.
    WarpPointSet plane, line;
    for (int i = 0; i < 9; ++i) {
        const Vector3f p(-0.4f + 0.4f * (i % 3), -0.4f + 0.4f * (i / 3), 0);
        plane.AddPoint(p, i == 4 ? p + Vector3f(0.1f, 0.1f, 0) : p);
        const Vector3f q(-0.4f + 0.1f * i, 0, 0);
        line.AddPoint(q, i == 4 ? q + Vector3f(0, 0, 0.2f) : q);
    }
    warp.SetWarpPointSet(plane);
    EXPECT_NEAR(warp.Value(0.1f, 0.1f, 0), child.Value(0, 0, 0), 1e-3f);
    ExpectFinite(warp, AROUND, "coplanar");
    warp.SetWarpPointSet(line);
    EXPECT_NEAR(warp.Value(0, 0, 0.2f), child.Value(0, 0, 0), 1e-3f);
    ExpectFinite(warp, AROUND, "collinear");

    // A target outside the ball cannot be reached: the warp ignores it.
    WarpPointSet outside;
    outside.AddPoint(Vector3f(0, 0, 0), Vector3f(3, 0, 0));
    warp.SetWarpPointSet(outside);
    EXPECT_TRUE(warp.IsIdentity());
    warp.SetWarpPointSet(WarpPointSet());
    EXPECT_TRUE(warp.IsIdentity());
    EXPECT_EQ(warp.Value(0.2f, 0, 0), child.Value(0.2f, 0, 0));
}

TEST(VariationalWarp, DisplacementMapFromAnImage)
{
    const kftest::TempFolder folder("warps");
    const std::filesystem::path& dir = folder.Path();
    // Black on the left, white on the right.
    Wml::PGMImage image(64, 32);
    for (unsigned r = 0; r < 32; ++r)
        for (unsigned c = 0; c < 64; ++c) image(c, r) = (unsigned char)(255 * c / 63);
    const std::string good = (dir / "ramp.pgm").string(), bad = (dir / "bad.pgm").string();
    ASSERT_TRUE(image.Write(good.c_str()));
    std::ofstream(bad) << "P5\n64 32\n255\nshort";

    // A slab whose top is near z = 0.
    RoundedBox slab(Vector3f(0, 0, -0.3f), Vector3f(1.0f, 1.0f, 0.1f), 0.44f);
    VariationalWarp warp;
    warp.AddChild(&slab);
    warp.SetWarpRadius(2.0f);
    ASSERT_TRUE(warp.LoadDisplacementMap(good.c_str(), 0.5f));
    const WarpPointSet& points = warp.GetWarpPointSet();
    ASSERT_GT(points.GetNumPoints(), 100u);
    EXPECT_LE(points.GetNumPoints(), VariationalWarp::MAX_MAP_POINTS);
    for (unsigned i = 0; i < points.GetNumPoints(); ++i) {
        const Vector3f from = points.GetFrom(i), lift = points.GetTo(i) - from;
        EXPECT_LE(std::fabs(from.X()), 1.0f);  // the longer side spans 2 * 0.5 * R
        EXPECT_LE(std::fabs(from.Y()), 0.5f);  // aspect kept
        // Grey level 255 lifts by 0.5 * R; the ramp makes that 0.5 * (x + 1).
        EXPECT_NEAR(lift.Z(), 0.5f * (from.X() + 1.0f), 0.02f);
        EXPECT_EQ(lift.X(), 0.0f);
    }
    // The slab's top, which runs through the points, follows the lifts.
    const float top = 3.0f - FirstCrossing(slab, Vector3f(0, 0, 3.0f), -Vector3f::UNIT_Z, 4.0f);
    for (float x : {-0.9f, -0.4f, 0.2f, 0.7f}) {
        const float warped = 3.0f - FirstCrossing(warp, Vector3f(x, 0, 3.0f), -Vector3f::UNIT_Z, 4.0f);
        EXPECT_NEAR(warped, top + 0.5f * (x + 1), 0.03f) << x;
    }
    fieldchecks::ExpectFieldConventions(warp, "displacement map");

    // Unreadable files and bad factors leave the warp as it was.
    const unsigned before = points.GetNumPoints();
    EXPECT_FALSE(warp.LoadDisplacementMap(bad.c_str(), 0.5f));
    EXPECT_FALSE(warp.LoadDisplacementMap((dir / "missing.pgm").string().c_str(), 0.5f));
    EXPECT_FALSE(warp.LoadDisplacementMap(good.c_str(), std::nanf("")));
    EXPECT_FALSE(warp.LoadDisplacementMap(good.c_str(), 0.0f));
    EXPECT_FALSE(warp.LoadDisplacementMap(nullptr, 0.5f));
    EXPECT_EQ(warp.GetWarpPointSet().GetNumPoints(), before);
}

TEST(VariationalWarp, DisplacementMapsOfAnyShapeStayWithinThePointLimit)
{
    // Every warp point costs the cubic fit dearly: however wide, tall or
    // large the image, the map samples at most MAX_MAP_POINTS / 2 pixels,
    // and at least a fair share of them when the image has that many.
    struct Size {
        unsigned w, h;
    };
    const Size sizes[] = {{4000, 1},    {1, 4000}, {4000, 3}, {3, 4000}, {16384, 2},
                          {3000, 2000}, {64, 32},  {1, 1},    {7, 5}};
    VariationalWarp warp;
    warp.SetWarpRadius(2.0f);
    for (const Size& size : sizes) {
        const Wml::PGMImage image(size.w, size.h, 200);
        WarpPointSet points;
        ASSERT_TRUE(warp.BuildDisplacementMap(image, 0.5f, points)) << size.w << "x" << size.h;
        EXPECT_LE(points.GetNumPoints(), VariationalWarp::MAX_MAP_POINTS) << size.w << "x" << size.h;
        const unsigned pixels = size.w * size.h;
        EXPECT_GE(points.GetNumPoints(), std::min(2 * pixels, VariationalWarp::MAX_MAP_POINTS / 4))
            << size.w << "x" << size.h;
    }

    // The same through a file; a pipe named as the file is refused unopened.
    const kftest::TempFolder folder("warps");
    const std::filesystem::path& dir = folder.Path();
    const std::string wide = (dir / "wide.pgm").string();
    ASSERT_TRUE(Wml::PGMImage(4000, 2, 128).Write(wide.c_str()));
    ASSERT_TRUE(warp.LoadDisplacementMap(wide.c_str(), 0.5f));
    EXPECT_LE(warp.GetWarpPointSet().GetNumPoints(), VariationalWarp::MAX_MAP_POINTS);
    const unsigned before = warp.GetWarpPointSet().GetNumPoints();
    {
        FeedingFifo fifo((dir / "pipe.pgm").string(), "P2 2 1 255 1 2\n");
        ASSERT_TRUE(fifo.Made());
        EXPECT_FALSE(warp.LoadDisplacementMap(fifo.Path().c_str(), 0.5f));
        EXPECT_FALSE(fifo.WasOpened());
    }
    EXPECT_EQ(warp.GetWarpPointSet().GetNumPoints(), before);
}

TEST(LinearSweepWarp, PathOffsetsSpaceInsideTheBall)
{
    // A capsule along x, offset by the test path inside a large ball.
    RoundedBox capsule(Vector3f(0.5f, 0, 0), Vector3f(1.5f, 0, 0), 0.25f);
    LinearSweepWarp warp;
    warp.AddChild(&capsule);
    warp.SetWarpBallRadius(20.0f);
    EXPECT_TRUE(warp.IsIdentity());
    EXPECT_EQ(warp.Value(0.3f, 0.05f, 0), capsule.Value(0.3f, 0.05f, 0));

    const std::vector<Wml::Vector2f> path = {{1, 0.4f}, {0, 0.2f}, {0.5f, 0.6f}};
    ASSERT_TRUE(warp.SetPath(path));
    ASSERT_EQ(warp.GetPath().size(), 3u);
    EXPECT_EQ(warp.GetPath()[0], Wml::Vector2f(0, 0.2f));  // sorted along x
    for (const auto& p : warp.GetPath()) EXPECT_FLOAT_EQ(warp.PathOffset(p.X()), p.Y());
    // C^1: the slope agrees on both sides of each knot and past the ends.
    for (float a : {0.0f, 0.5f, 1.0f}) {
        float left, right;
        warp.PathOffset(a - 1e-4f, &left);
        warp.PathOffset(a + 1e-4f, &right);
        EXPECT_NEAR(left, right, 2e-3f) << a;
        EXPECT_NEAR((warp.PathOffset(a + 1e-3f) - warp.PathOffset(a - 1e-3f)) / 2e-3f, right, 1e-2f);
    }
    // The capsule's axis follows the path, scaled by the ball weight.
    for (float a : {0.0f, 0.25f, 0.5f, 1.0f}) {
        const float t = a * a / 400.0f, w = (1 - t) * (1 - t);
        const float shift = w * warp.PathOffset(a);
        EXPECT_NEAR(warp.Value(a, shift, 0), 1.0f, 2e-3f) << a;
    }
    fieldchecks::ExpectFieldConventions(warp, "linear sweep warp");
    fieldchecks::ExpectSeedsNearSurface(warp, "linear sweep warp");

    // A small ball: nothing moves outside it, and the warp fades at its rim.
    warp.SetWarpBallCenter(Vector3f(0.5f, 0, 0));
    warp.SetWarpBallRadius(0.6f);
    EXPECT_EQ(warp.Value(1.2f, 0.05f, 0), capsule.Value(1.2f, 0.05f, 0));
    Vector3f q;
    warp.WarpPoint(Vector3f(-0.2f, 0.3f, 0), q, nullptr);
    EXPECT_EQ(q, Vector3f(-0.2f, 0.3f, 0));
    fieldchecks::ExpectFieldConventions(warp, "linear sweep warp, small ball");
    ExpectNothingJustOutsideBounds(warp, "linear sweep warp, small ball");

    // In a turned frame the offset runs along the frame's y axis.
    Wml::Frame3f frame;
    frame.Rotate(Wml::Matrix3f(Vector3f::UNIT_X, PI / 2), true);  // local y = world z
    ASSERT_TRUE(warp.SetFrame(frame));
    warp.SetWarpBallRadius(20.0f);
    EXPECT_NEAR(warp.Value(0.5f, 0, 0.6f * (1 - 0.25f / 400) * (1 - 0.25f / 400)), 1.0f, 2e-3f);
    fieldchecks::ExpectFieldConventions(warp, "linear sweep warp, turned");
}

TEST(LinearSweepWarp, ZeroPathsAndBadInput)
{
    RoundedBox child(Vector3f::ZERO, Vector3f(0.4f, 0.1f, 0.1f), 0.3f);
    LinearSweepWarp warp;
    warp.AddChild(&child);
    ASSERT_TRUE(warp.SetPath({{0, 0}, {0.5f, 0}, {1, 0}}));
    EXPECT_TRUE(warp.IsIdentity());
    AxisAlignedBox3f a, b;
    warp.FieldBounds(a);
    child.FieldBounds(b);
    EXPECT_EQ(a, b);
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        const Vector3f p = fieldchecks::RandomPoint(b, rng);
        EXPECT_EQ(warp.Value(p), child.Value(p));
    }

    const float nan = std::nanf("");
    EXPECT_FALSE(warp.SetPath({{0, 1}, {nan, 0}}));
    EXPECT_EQ(warp.GetPath().size(), 3u);
    EXPECT_FALSE(warp.SetWarpBallRadius(nan));
    EXPECT_FALSE(warp.SetWarpBallCenter(Vector3f(INFINITY, 0, 0)));
    EXPECT_TRUE(warp.SetWarpBallRadius(0.0f));
    EXPECT_EQ(warp.GetWarpBallRadius(), LinearSweepWarp::MIN_RADIUS);
    Wml::Frame3f flat;
    flat.SetScale(Vector3f(0, 1, 1));
    EXPECT_FALSE(warp.SetFrame(flat));

    // Duplicate positions collapse; a single point is a constant offset.
    ASSERT_TRUE(warp.SetPath({{0.2f, 0.3f}, {0.2f, 0.9f}}));
    EXPECT_EQ(warp.GetPath().size(), 1u);
    EXPECT_EQ(warp.PathOffset(-5.0f), 0.3f);
    warp.SetWarpBallRadius(2.0f);
    ExpectFinite(warp, AROUND, "constant offset");
    EXPECT_EQ(warp.Value(0, nan, 0), 0.0f);
}

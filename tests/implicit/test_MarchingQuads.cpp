// Seeded marching-squares contouring on fields with known contours: loop
// topology and accuracy, what seeds reach, the saddle rule, hostile input.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "implicit/Falloff.h"
#include "implicit/ScalarField2D.h"
#include "implicit/fields2d/MarchingQuads.h"
#include "wml/Polygon2.h"

using namespace vynimplicit;
using Wml::Vector2f;
using Complex = Wml::LinearComplex2<float>;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

class FunctionField : public ScalarField2D {
public:
    explicit FunctionField(std::function<float(float, float)> f) : f(std::move(f)) {}
    float Value(float x, float y) override { return ++evaluations, f(x, y); }
    std::string GetTypeName() const override { return "FunctionField"; }
    std::function<float(float, float)> f;
    long evaluations = 0;
};

/// Sketch-style: 0.5 (1 - |p - c|^2 / r^2), zero on the circle.
std::function<float(float, float)> Disc(float cx, float cy, float r)
{
    return [=](float x, float y) {
        return 0.5f * (1.0f - ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (r * r));
    };
}

Wml::AxisAlignedBox2<float> Square(float half)
{
    return Wml::AxisAlignedBox2<float>(-half, half, -half, half);
}

float MaxRadiusError(const Complex& c, float cx, float cy, float r)
{
    float worst = 0.0f;
    for (const auto& p : c.GetVertices())
        worst = std::max(worst, std::fabs(std::hypot(p[0] - cx, p[1] - cy) - r));
    return worst;
}

/// Closed cycles of degree-2 vertices, one vertex per position.
void ExpectSharedClosedCycles(const Complex& c)
{
    EXPECT_TRUE(c.IsClosed() && c.IsSimple());
    EXPECT_EQ(c.GetNumVertices(), c.GetNumEdges());
    std::vector<std::pair<float, float>> pos;
    for (const auto& p : c.GetVertices()) pos.emplace_back(p[0], p[1]);
    std::sort(pos.begin(), pos.end());
    EXPECT_EQ(std::adjacent_find(pos.begin(), pos.end()), pos.end()) << "duplicate vertex";
}

MarchingQuads& Prepare(MarchingQuads& mq, ScalarField2D& field, float half, std::vector<Vector2f> seeds)
{
    mq.SetBounds(Square(half));
    mq.SetField(&field);
    mq.SetSeedPoints(seeds);
    return mq;
}

}  // namespace

TEST(MarchingQuads, LoopsAreClosedAccurateAndCounterClockwise)
{
    FunctionField field(Disc(0.2f, -0.1f, 1.0f));
    MarchingQuads mq;
    Complex out;
    out.AddVertex(Vector2f(5, 5));  // stale content must go
    mq.SetOutput(&out);
    Prepare(mq, field, 2.0f, {Vector2f(1.2f, -0.1f)});
    EXPECT_EQ(mq.Run(), 1u);
    EXPECT_EQ(mq.GetNumClosedLoops(), 1u);
    ExpectSharedClosedCycles(out);
    EXPECT_GT(out.GetNumVertices(), 150u);  // ~157 cells around, 0.04 each
    EXPECT_LT(out.GetNumVertices(), 260u);
    EXPECT_LT(MaxRadiusError(out, 0.2f, -0.1f, 1.0f), 1e-4f);
    std::vector<Wml::Polygon2<float>> loops;
    ASSERT_EQ(out.GetLoops(loops), 1u);
    EXPECT_FALSE(loops[0].IsClockwise());  // inside on the left
    EXPECT_NEAR(loops[0].Area(), float(M_PI), 0.01f);

    // Bisection steps make the vertices more accurate than interpolation alone.
    ASSERT_TRUE(mq.SetRefinementSteps(0));
    mq.Run();
    const float linearError = MaxRadiusError(out, 0.2f, -0.1f, 1.0f);
    EXPECT_LT(linearError, 0.002f);
    ASSERT_TRUE(mq.SetRefinementSteps(6));
    mq.Run();
    EXPECT_LT(MaxRadiusError(out, 0.2f, -0.1f, 1.0f), linearError);

    // A template at 0.5 on wide bounds (120 x 30 square cells); at level 0
    // the same field has no crossing at all.
    FunctionField tmpl([](float x, float y) { return FalloffSquared((x * x + y * y) * 0.573f); });  // r = 0.6
    mq.SetField(&tmpl);
    mq.SetBounds(Wml::AxisAlignedBox2<float>(-3.0f, 3.0f, -0.75f, 0.75f));
    mq.SetCellResolution(120);
    mq.SetSeedPoints({Vector2f(0, 0)});
    ASSERT_TRUE(mq.SetIsoValue(0.5f));
    EXPECT_EQ(mq.Run(), 1u);
    ExpectSharedClosedCycles(out);
    EXPECT_LT(MaxRadiusError(out, 0, 0, 0.6f), 1e-3f);
    ASSERT_TRUE(mq.SetIsoValue(0.0f));
    EXPECT_EQ(mq.Run(), 0u);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(MarchingQuads, SeedsSelectWhichContoursAreTracedAndEvaluated)
{
    auto a = Disc(-1.0f, 0.0f, 0.5f), b = Disc(1.2f, 0.3f, 0.4f);
    FunctionField field([&](float x, float y) { return std::max(a(x, y), b(x, y)); });
    MarchingQuads mq;
    Complex out;
    EXPECT_EQ(Prepare(mq, field, 2.0f, {Vector2f(-1.0f, 0.55f), Vector2f(1.2f, 0.3f)}).Run(out), 2u);
    ExpectSharedClosedCycles(out);

    mq.SetSeedPoints({});
    EXPECT_EQ(mq.Run(out), 0u);
    mq.SetScanAll(true);
    EXPECT_EQ(mq.Run(out), 2u);

    // Only cells near the seed and its contour are evaluated: the lattice
    // has 40401 nodes, a full scan gives the same contour.
    FunctionField small(Disc(0.5f, 0.5f, 0.2f));
    MarchingQuads lazy;
    Complex seeded;
    Prepare(lazy, small, 2.0f, {Vector2f(0.5f, 0.72f)}).SetCellResolution(200);
    ASSERT_EQ(lazy.Run(seeded), 1u);
    EXPECT_LT(small.evaluations, 2000);
    EXPECT_EQ(uint64_t(small.evaluations), lazy.GetNumEvaluations());
    lazy.SetScanAll(true);
    ASSERT_EQ(lazy.Run(out), 1u);
    EXPECT_GT(lazy.GetNumEvaluations(), 40000u);
    EXPECT_EQ(seeded.GetNumEdges(), out.GetNumEdges());
}

TEST(MarchingQuads, WalkReachesDistantContoursWithinItsLimit)
{
    // Cells of 0.04: the centre lies 25 cells inside, the corner 43 outside.
    FunctionField field(Disc(0, 0, 1));
    Complex out;
    for (Vector2f seed :
         {Vector2f(0, 0), Vector2f(1.95f, 1.9f), Vector2f(-1.99f, 0.05f), Vector2f(-1.2f, -100.0f)}) {
        MarchingQuads mq, shortWalk(10);
        EXPECT_EQ(Prepare(mq, field, 2.0f, {Vector2f(NaN, 0), seed}).Run(out), 1u)
            << seed[0] << ", " << seed[1];
        ExpectSharedClosedCycles(out);
        EXPECT_EQ(Prepare(shortWalk, field, 2.0f, {seed}).Run(out), 0u) << seed[0] << ", " << seed[1];
    }
}

TEST(MarchingQuads, RerunSeesTheChangedFieldAndLattice)
{
    float r = 1.0f;
    FunctionField field([&](float x, float y) { return Disc(0, 0, r)(x, y); });
    MarchingQuads mq;
    Complex out;
    ASSERT_EQ(Prepare(mq, field, 2.0f, {Vector2f(0, 0)}).Run(out), 1u);
    r = 0.5f;
    ASSERT_EQ(mq.Run(out), 1u);
    EXPECT_LT(MaxRadiusError(out, 0, 0, 0.5f), 1e-3f);
    ASSERT_TRUE(mq.SetBounds(Wml::AxisAlignedBox2<float>(-0.7f, 0.9f, -0.6f, 3.0f)));
    ASSERT_TRUE(mq.SetCellResolution(37));
    ASSERT_EQ(mq.Run(out), 1u);
    ExpectSharedClosedCycles(out);
    EXPECT_LT(MaxRadiusError(out, 0, 0, 0.5f), 2e-3f);
}

TEST(MarchingQuads, ContoursLeavingTheBoundsAreOpenChains)
{
    FunctionField field([](float x, float y) { return x - 0.3f * y - 0.1f; });
    MarchingQuads mq;
    Complex out;
    Prepare(mq, field, 1.0f, {Vector2f(0.8f, 0.0f)}).SetCellResolution(20);
    EXPECT_EQ(mq.Run(out), 1u);
    EXPECT_EQ(mq.GetNumOpenChains(), 1u);
    EXPECT_TRUE(out.IsSimple());
    EXPECT_EQ(out.GetNumEdges() + 1, out.GetNumVertices());
    unsigned ends = 0;
    for (unsigned v = 0; v < out.GetNumVertices(); ++v) {
        const Vector2f p = out.GetVertex(v);
        // Exact but for the margin that keeps vertices off lattice nodes.
        EXPECT_NEAR(p[0] - 0.3f * p[1] - 0.1f, 0.0f, 0.1f / 1024 + 1e-6f);
        if (out.GetDegree(v) != 1) continue;
        ++ends;
        EXPECT_NEAR(std::fabs(p[1]), 1.0f, 1e-5f);
    }
    EXPECT_EQ(ends, 2u);
    for (const auto& e : out.GetEdges())  // inside (x larger) on the left
        EXPECT_LT(out.GetVertex(e.v[1])[1], out.GetVertex(e.v[0])[1]);
}

TEST(MarchingQuads, SaddleCellsFollowTheCentreValue)
{
    // (x - 0.05)(y - 0.05) = -c: a saddle at the centre of cell (10, 10).
    // c > 0 puts the centre inside and the branches in quadrants II and IV,
    // c < 0 in I and III; the wrong pairing would join two quadrants.
    for (float c : {0.001f, -0.001f}) {
        FunctionField field([c](float x, float y) { return (x - 0.05f) * (y - 0.05f) + c; });
        MarchingQuads mq;
        Complex out;
        Prepare(mq, field, 1.0f, {}).SetCellResolution(20);
        mq.SetScanAll(true);
        EXPECT_EQ(mq.Run(out), 2u);
        EXPECT_EQ(mq.GetNumOpenChains(), 2u);
        auto quadrant = [&](unsigned v) {
            return (out.GetVertex(v)[0] > 0.05f ? 1 : 0) + (out.GetVertex(v)[1] > 0.05f ? 2 : 0);
        };
        for (unsigned v = 0; v < out.GetNumVertices(); ++v)
            EXPECT_EQ(quadrant(v) == 1 || quadrant(v) == 2, c > 0) << quadrant(v);
        for (const auto& e : out.GetEdges()) EXPECT_EQ(quadrant(e.v[0]), quadrant(e.v[1]));
    }
}

TEST(MarchingQuads, HostileSettingsAndFieldValues)
{
    MarchingQuads mq;
    ASSERT_TRUE(mq.SetBounds(Square(2.0f)));
    EXPECT_FALSE(mq.SetBounds(Wml::AxisAlignedBox2<float>()));
    EXPECT_FALSE(mq.SetBounds(Wml::AxisAlignedBox2<float>(0, NaN, 0, 1)));
    EXPECT_FALSE(mq.SetBounds(Wml::AxisAlignedBox2<float>(0, 1, 2, 2)));
    EXPECT_FALSE(mq.SetBounds(Wml::AxisAlignedBox2<float>(-3e38f, 3e38f, 0, 1)));
    EXPECT_EQ(mq.GetBounds().Max(0), 2.0f);
    EXPECT_FALSE(mq.SetCellResolution(0));
    EXPECT_FALSE(mq.SetCellResolution(~0u));
    EXPECT_EQ(mq.GetCellResolution(), 100u);
    EXPECT_FALSE(mq.SetIsoValue(NaN));
    EXPECT_FALSE(mq.SetRefinementSteps(1000));
    Complex out;
    out.AddVertex(Vector2f(1, 1));
    EXPECT_EQ(mq.Run(out), 0u);  // no field: output still cleared
    EXPECT_TRUE(out.IsEmpty());

    mq.SetSeedPoints({Vector2f(0, 0), Vector2f(1.5f, 1.5f), Vector2f(INFINITY, 0.3f)});
    for (float constant : {0.25f, NaN}) {
        FunctionField flat([=](float, float) { return constant; });
        mq.SetField(&flat);
        EXPECT_EQ(mq.Run(out), 0u);
        EXPECT_TRUE(out.IsEmpty());
    }
    // An unlimited walk circling a minimum above the level still ends.
    FunctionField bowl([](float x, float y) { return 1.0f + x * x + y * y; });
    mq.SetField(&bowl);
    mq.SetMaxSeedCells(~0u);
    EXPECT_EQ(mq.Run(out), 0u);

    // NaN counts as outside: the right half-disc, every vertex finite.
    FunctionField halfNaN([](float x, float y) { return x < 0.0f ? NaN : 0.5f * (1.0f - x * x - y * y); });
    mq.SetField(&halfNaN);
    mq.SetSeedPoints({Vector2f(0.5f, 0.0f)});
    for (bool scanAll : {false, true}) {
        mq.SetScanAll(scanAll);
        EXPECT_EQ(mq.Run(out), 1u);
        ExpectSharedClosedCycles(out);
        for (const auto& p : out.GetVertices()) EXPECT_TRUE(std::isfinite(p[1]) && p[0] > -0.05f);
    }
}

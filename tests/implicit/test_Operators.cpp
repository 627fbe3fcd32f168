// Blends, CSG operators, hollow, mirror and the Bezier tube, checked over
// analytic balls.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "implicit/Falloff.h"
#include "implicit/operators/BartheSharpDifference.h"
#include "implicit/operators/BartheSharpIntersection.h"
#include "implicit/operators/BartheSharpUnion.h"
#include "implicit/operators/BartheSmoothDifference.h"
#include "implicit/operators/BezierCurve.h"
#include "implicit/operators/BlendFunctions.h"
#include "implicit/operators/HollowOperator.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/MinMaxIntersection.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/MirrorOperator.h"
#include "implicit/operators/QuillonUnion.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/operators/SumBlend.h"
#include "tests/support/FieldChecks.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

/// Soft ball of support radius R with an analytic gradient and a colour.
class Ball : public ScalarField {
public:
    Ball(const Vector3f& c, float R, float red = 0.7f) : m_c(c), m_R(R), m_red(red) {}
    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override
    {
        return FalloffSquared((Vector3f(x, y, z) - m_c).SquaredLength() / (m_R * m_R));
    }
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override
    {
        const Vector3f d = Vector3f(x, y, z) - m_c;
        const float r2 = d.SquaredLength() / (m_R * m_R);
        const Vector3f g = d * (2.0f / (m_R * m_R) * FalloffSquaredDerivative(r2));
        gx = g.X();
        gy = g.Y();
        gz = g.Z();
        if (value) *value = FalloffSquared(r2);
    }
    void Color(float, float, float, float& r, float& g, float& b) override
    {
        r = m_red;
        g = b = 0.0f;
    }
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override
    {
        box = Wml::AxisAlignedBox3<float>(m_c.X() - m_R, m_c.X() + m_R, m_c.Y() - m_R, m_c.Y() + m_R,
                                          m_c.Z() - m_R, m_c.Z() + m_R);
    }
    void GetSeedPoints(std::vector<Vector3f>& points) override
    {
        points.push_back(m_c + Vector3f(SurfaceRadius(), 0, 0));
    }
    float SurfaceRadius() const { return m_R * FALLOFF_SURFACE_RADIUS; }
    const Vector3f& Centre() const { return m_c; }

private:
    Vector3f m_c;
    float m_R;
    float m_red;
};

/// A ball that offers no seed points of its own, as fields may.
class SeedlessBall : public Ball {
public:
    using Ball::Ball;
    void GetSeedPoints(std::vector<Vector3f>&) override {}
};

bool Inside(ScalarField& f, const Vector3f& p)
{
    return f.Value(p) > 0.5f;
}

/// Random points in the box [-lo, hi]^3.
std::vector<Vector3f> RandomPoints(int count, float lo, float hi, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(lo, hi);
    std::vector<Vector3f> points;
    for (int i = 0; i < count; ++i) points.emplace_back(u(rng), u(rng), u(rng));
    return points;
}

/// Every operator with a name, built fresh.
struct OperatorCase {
    std::string name;
    std::function<std::unique_ptr<CompositionOperator>()> make;
    float allowedMismatch;  // creases of the sharp operators
};

std::vector<OperatorCase> AllOperators()
{
    return {
        {"SumBlend", [] { return std::make_unique<SumBlend>(); }, 0.0f},
        {"RicciBlend", [] { return std::make_unique<RicciBlend>(4.0f); }, 0.0f},
        {"QuillonUnion", [] { return std::make_unique<QuillonUnion>(); }, 0.0f},
        {"MinMaxUnion", [] { return std::make_unique<MinMaxUnion>(); }, 0.01f},
        {"MinMaxIntersection", [] { return std::make_unique<MinMaxIntersection>(); }, 0.01f},
        {"MinMaxDifference", [] { return std::make_unique<MinMaxDifference>(); }, 0.01f},
        {"BartheSharpUnion", [] { return std::make_unique<BartheSharpUnion>(); }, 0.01f},
        {"BartheSharpIntersection", [] { return std::make_unique<BartheSharpIntersection>(); }, 0.01f},
        {"BartheSharpDifference", [] { return std::make_unique<BartheSharpDifference>(); }, 0.01f},
        {"BartheSmoothDifference", [] { return std::make_unique<BartheSmoothDifference>(0.4f); }, 0.0f},
        {"HollowOperator", [] { return std::make_unique<HollowOperator>(0.15f); }, 0.0f},
        // The mirror joins its children by max before reflecting.
        {"MirrorOperator", [] { return std::make_unique<MirrorOperator>(); }, 0.01f},
    };
}

}  // namespace

// ---- the blend functions in the (a, b) plane --------------------------------

TEST(OperatorBlendFunctions, IdentitiesRangeAndDerivatives)
{
    const blend::BartheBlendParams sharp = blend::SharpBartheParams();
    const blend::BartheBlendParams smooth = blend::SmoothBartheParamsFromAngle(10.0f);
    using Fn = std::function<float(float, float, float&, float&)>;
    const std::vector<std::pair<std::string, Fn>> unions = {
        {"sharp",
         [&](float a, float b, float& da, float& db) { return blend::BartheUnion(a, b, sharp, da, db); }},
        {"smooth",
         [&](float a, float b, float& da, float& db) { return blend::BartheUnion(a, b, smooth, da, db); }},
        {"quillon", [](float a, float b, float& da, float& db) { return blend::QuillonUnion(a, b, da, db); }},
    };
    for (const auto& [name, u] : unions) {
        float da, db;
        for (float a = 0.0f; a <= 1.0f; a += 0.05f) {
            EXPECT_NEAR(u(a, 0.0f, da, db), a, 1e-6f) << name << ": a zero child must change nothing";
            EXPECT_NEAR(u(0.0f, a, da, db), a, 1e-6f) << name;
            EXPECT_NEAR(u(a, 1.0f, da, db), 1.0f, 1e-6f) << name;
        }
        for (float a = 0.0f; a <= 1.0f; a += 0.01f)
            for (float b = 0.0f; b <= 1.0f; b += 0.01f) {
                const float v = u(a, b, da, db);
                ASSERT_GE(v, std::max(a, b) - 1e-6f) << name;
                ASSERT_LE(v, 1.0f) << name;
                // Partial derivatives against differences, away from the
                // corner (0.5, 0.5) where the exact crease is not differentiable.
                if (std::fabs(a - 0.5f) + std::fabs(b - 0.5f) < 0.05f || std::fabs(a - b) < 1e-3f) continue;
                const float h = 1e-3f;
                float t0, t1;
                const float ea = (u(a + h, b, t0, t1) - u(a - h, b, t0, t1)) / (2 * h);
                const float eb = (u(a, b + h, t0, t1) - u(a, b - h, t0, t1)) / (2 * h);
                ASSERT_NEAR(da, ea, 0.05f) << name << " at " << a << ", " << b;
                ASSERT_NEAR(db, eb, 0.05f) << name << " at " << a << ", " << b;
            }
    }
    // The sharp union's 0.5 level is exactly that of max.
    float da, db;
    for (float a = 0.0f; a <= 1.0f; a += 0.01f)
        for (float b = 0.0f; b <= 1.0f; b += 0.01f) {
            if (std::fabs(std::max(a, b) - 0.5f) < 1e-6f) continue;
            EXPECT_EQ(blend::BartheUnion(a, b, sharp, da, db) > 0.5f, std::max(a, b) > 0.5f)
                << a << ", " << b;
            EXPECT_EQ(blend::BartheIntersection(a, b, sharp, da, db) > 0.5f, std::min(a, b) > 0.5f);
        }
    EXPECT_NEAR(blend::BartheUnion(0.5f, 0.3f, sharp, da, db), 0.5f, 1e-6f);
    // The smooth union rounds the seam: above max on the diagonal.
    EXPECT_GT(blend::BartheUnion(0.45f, 0.45f, smooth, da, db), 0.47f);
    EXPECT_GT(blend::QuillonUnion(0.45f, 0.45f, da, db), 0.5f);
    // The angle runs from wide blends to plain max.
    EXPECT_FLOAT_EQ(blend::SmoothBartheParamsFromAngle(45.0f).slope, 0.0f);
    EXPECT_NEAR(blend::SmoothBartheParamsFromAngle(0.0f).slope, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(blend::SmoothBartheParamsFromAngle(NaN).slope, 0.0f);

    // Power mean: equal arguments give that value, huge powers give max.
    EXPECT_NEAR(blend::PowerMean(0.3f, 0.3f, 7.0f, da, db), 0.3f, 1e-6f);
    EXPECT_NEAR(blend::PowerMean(0.2f, 0.6f, 1.0f, da, db), 0.4f, 1e-6f);
    EXPECT_NEAR(blend::PowerMean(0.2f, 0.6f, 1001.0f, da, db), 0.6f, 1e-3f);
    EXPECT_EQ(blend::PowerMean(0.0f, 0.0f, 3.0f, da, db), 0.0f);
    EXPECT_TRUE(std::isfinite(da) && std::isfinite(db));

    // The smooth clamp: identity to 0.75, flat from 1.25, continuous slope.
    float d;
    EXPECT_FLOAT_EQ(blend::SmoothUnitClamp(0.6f, d), 0.6f);
    EXPECT_FLOAT_EQ(blend::SmoothUnitClamp(3.0f, d), 1.0f);
    EXPECT_EQ(d, 0.0f);
    float dl, dr;
    blend::SmoothUnitClamp(0.75f - 1e-4f, dl);
    blend::SmoothUnitClamp(0.75f + 1e-4f, dr);
    EXPECT_NEAR(dl, dr, 1e-3f);
    blend::SmoothUnitClamp(1.25f - 1e-4f, dl);
    EXPECT_NEAR(dl, 0.0f, 1e-3f);
    EXPECT_EQ(blend::UnitValue(NaN), 0.0f);
    EXPECT_EQ(blend::UnitValue(1.5f), 1.0f);
}

// ---- conventions of every operator ------------------------------------------

TEST(OperatorConventions, EveryOperatorOverOverlappingBalls)
{
    Ball a(Vector3f(-0.35f, 0.0f, 0.0f), 1.0f), b(Vector3f(0.35f, 0.1f, 0.0f), 0.9f),
        c(Vector3f(0.0f, 0.4f, 0.2f), 0.7f);
    for (const OperatorCase& oc : AllOperators()) {
        SCOPED_TRACE(oc.name);
        auto op = oc.make();
        op->AddChild(&a);
        op->AddChild(&b);
        op->AddChild(&c);
        fieldchecks::Options options;
        options.allowedGradientMismatch = oc.allowedMismatch;
        fieldchecks::ExpectFieldConventions(*op, oc.name, options);
        fieldchecks::ExpectSeedsNearSurface(*op, oc.name);
    }
}

TEST(OperatorConventions, NoChildrenAndOneChild)
{
    Ball a(Vector3f(0.2f, 0.0f, -0.1f), 1.0f);
    for (const OperatorCase& oc : AllOperators()) {
        SCOPED_TRACE(oc.name);
        auto op = oc.make();
        Wml::AxisAlignedBox3<float> box;
        op->FieldBounds(box);
        EXPECT_TRUE(box.IsEmpty());
        std::vector<Vector3f> seeds;
        op->GetSeedPoints(seeds);
        EXPECT_TRUE(seeds.empty());
        float gx = 1, gy = 1, gz = 1, v = 1;
        op->Gradient(0.2f, 0.0f, -0.1f, gx, gy, gz, &v);
        EXPECT_EQ(op->Value(0.2f, 0.0f, -0.1f), 0.0f);
        EXPECT_EQ(v, 0.0f);
        EXPECT_EQ(gx * gx + gy * gy + gz * gz, 0.0f);

        ASSERT_TRUE(op->AddChild(&a));
        op->FieldBounds(box);
        Wml::AxisAlignedBox3<float> childBox;
        a.FieldBounds(childBox);
        if (oc.name != "MirrorOperator") {
            EXPECT_TRUE(box == childBox);
        }
        if (oc.name == "HollowOperator" || oc.name == "MirrorOperator") continue;
        // Every other operator over one child is that child (below the
        // blends' clamp, which starts at 0.75).
        for (const Vector3f& p : RandomPoints(300, -1.2f, 1.2f, 3)) {
            const float f = a.Value(p);
            if (f > 0.75f) continue;
            ASSERT_NEAR(op->Value(p), f, 1e-5f);
        }
    }
}

// ---- set operations -----------------------------------------------------------

TEST(CsgOperators, InsideOutsideFollowTheSetOperations)
{
    Ball a(Vector3f(-0.25f, 0.0f, 0.0f), 1.0f), b(Vector3f(0.25f, 0.0f, 0.0f), 1.0f);
    MinMaxUnion mmU;
    MinMaxIntersection mmI;
    MinMaxDifference mmD;
    BartheSharpUnion bU;
    BartheSharpIntersection bI;
    BartheSharpDifference bD;
    for (CompositionOperator* op : std::vector<CompositionOperator*>{&mmU, &mmI, &mmD, &bU, &bI, &bD}) {
        op->AddChild(&a);
        op->AddChild(&b);
    }
    int checked = 0;
    for (const Vector3f& p : RandomPoints(4000, -0.8f, 0.8f, 11)) {
        const float fa = a.Value(p), fb = b.Value(p);
        // Points right on a child's surface are classified by rounding.
        if (std::fabs(fa - 0.5f) < 1e-4f || std::fabs(fb - 0.5f) < 1e-4f) continue;
        const bool inA = fa > 0.5f, inB = fb > 0.5f;
        ++checked;
        EXPECT_EQ(Inside(mmU, p), inA || inB);
        EXPECT_EQ(Inside(bU, p), inA || inB);
        EXPECT_EQ(Inside(mmI, p), inA && inB);
        EXPECT_EQ(Inside(bI, p), inA && inB);
        EXPECT_EQ(Inside(mmD, p), inA && !inB);
        EXPECT_EQ(Inside(bD, p), inA && !inB);
    }
    EXPECT_GT(checked, 3000);

    // Intersections are empty where the children's boxes do not meet, and a
    // difference never reaches past its first child.
    Ball far(Vector3f(5, 0, 0), 1.0f);
    MinMaxIntersection apart;
    apart.AddChild(&a);
    apart.AddChild(&far);
    Wml::AxisAlignedBox3<float> box;
    apart.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(apart.Value(-0.25f, 0, 0), 0.0f);
    mmD.FieldBounds(box);
    Wml::AxisAlignedBox3<float> aBox;
    a.FieldBounds(aBox);
    EXPECT_TRUE(box == aBox);
    bI.FieldBounds(box);
    EXPECT_NEAR(box.Min(0), -0.75f, 1e-6f);
    EXPECT_NEAR(box.Max(0), 0.75f, 1e-6f);

    // The carved surface takes the colour of the child that carved it.
    Ball red(Vector3f(-0.25f, 0, 0), 1.0f, 1.0f), dark(Vector3f(0.25f, 0, 0), 1.0f, 0.2f);
    MinMaxDifference carve;
    carve.AddChild(&red);
    carve.AddChild(&dark);
    float r, g, bl;
    carve.Color(0.25f - dark.SurfaceRadius(), 0, 0, r, g, bl);
    EXPECT_FLOAT_EQ(r, 0.2f);
}

TEST(CsgOperators, DifferenceOfSeveralAndSeedsOnTheCarvedSurface)
{
    // A minus B minus C, where B swallows A's seed: the seeds must still land
    // on what is left.
    Ball a(Vector3f(0, 0, 0), 1.0f), b(Vector3f(0.6f, 0, 0), 0.8f), c(Vector3f(-0.6f, 0, 0), 0.5f);
    for (CompositionOperator* op : std::vector<CompositionOperator*>{
             new MinMaxDifference, new BartheSharpDifference, new BartheSmoothDifference}) {
        std::unique_ptr<CompositionOperator> owner(op);
        op->AddChild(&a);
        op->AddChild(&b);
        op->AddChild(&c);
        EXPECT_FALSE(Inside(*op, a.Centre() + Vector3f(0.4f, 0, 0)));    // inside B
        EXPECT_FALSE(Inside(*op, a.Centre() + Vector3f(-0.42f, 0, 0)));  // inside C
        EXPECT_TRUE(Inside(*op, Vector3f(0, 0.3f, 0)));
        fieldchecks::ExpectSeedsNearSurface(*op, "difference");
    }
    // Children without seeds of their own: the operator still finds its surface.
    SeedlessBall s1(Vector3f(0.2f, 0.1f, 0), 1.0f), s2(Vector3f(-0.3f, 0, 0.1f), 0.8f);
    BartheSharpIntersection both;
    both.AddChild(&s1);
    both.AddChild(&s2);
    fieldchecks::ExpectSeedsNearSurface(both, "seedless intersection");
}

// ---- the sharp Barthe operators against min/max ---------------------------------

TEST(BartheSharpOperators, SameSurfaceAsMinMaxButSmoothAwayFromIt)
{
    Ball a(Vector3f(-0.3f, 0, 0), 1.0f), b(Vector3f(0.3f, 0, 0), 1.0f);
    MinMaxUnion mm;
    BartheSharpUnion barthe;
    MinMaxIntersection mmI;
    BartheSharpIntersection bartheI;
    for (CompositionOperator* op : std::vector<CompositionOperator*>{&mm, &barthe, &mmI, &bartheI}) {
        op->AddChild(&a);
        op->AddChild(&b);
    }
    // Points near the crease circle (x = 0, y^2 + z^2 = rs^2 - 0.09), where a
    // blend would show first.
    const float rs = a.SurfaceRadius();
    const float ring = std::sqrt(rs * rs - 0.09f);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> jitter(-0.03f, 0.03f), angle(0.0f, 6.2831853f);
    for (int i = 0; i < 2000; ++i) {
        const float t = angle(rng);
        const Vector3f p(jitter(rng), (ring + jitter(rng)) * std::cos(t), (ring + jitter(rng)) * std::sin(t));
        if (std::fabs(mm.Value(p) - 0.5f) < 1e-5f || std::fabs(mmI.Value(p) - 0.5f) < 1e-5f) continue;
        ASSERT_EQ(Inside(barthe, p), Inside(mm, p));
        ASSERT_EQ(Inside(bartheI, p), Inside(mmI, p));
    }

    // Off the surface, on the bisecting plane where max switches children:
    // max has a kink there, the Barthe union does not.
    auto mismatch = [](ScalarField& f, const Vector3f& p) {
        const float h = 1e-3f;
        const Vector3f g = f.Gradient(p);
        const float dx = (f.Value(p + Vector3f(h, 0, 0)) - f.Value(p - Vector3f(h, 0, 0))) / (2 * h);
        return std::fabs(g.X() - dx);
    };
    int kinksMinMax = 0, kinksBarthe = 0;
    for (int i = 0; i < 200; ++i) {
        const float t = angle(rng);
        // Deep inside (value well above 0.5) and well outside (well below).
        for (float radius : {0.1f, 0.55f}) {
            const Vector3f p(2e-4f, radius * std::cos(t), radius * std::sin(t));
            ASSERT_GT(std::fabs(barthe.Value(p) - 0.5f), 0.05f);
            if (mismatch(mm, p) > 0.05f) ++kinksMinMax;
            if (mismatch(barthe, p) > 0.05f) ++kinksBarthe;
        }
    }
    EXPECT_GT(kinksMinMax, 300);
    EXPECT_EQ(kinksBarthe, 0);
}

// ---- blends -------------------------------------------------------------------

TEST(Blends, SumRicciAndQuillon)
{
    Ball a(Vector3f(-0.5f, 0, 0), 1.0f), b(Vector3f(0.5f, 0, 0), 1.0f);
    SumBlend sum;
    RicciBlend ricci1(1.0f), ricciMax(10000.0f);
    QuillonUnion quillon;
    MinMaxUnion mm;
    for (CompositionOperator* op :
         std::vector<CompositionOperator*>{&sum, &ricci1, &ricciMax, &quillon, &mm}) {
        op->AddChild(&a);
        op->AddChild(&b);
    }
    for (const Vector3f& p : RandomPoints(2000, -1.5f, 1.5f, 21)) {
        const float fa = a.Value(p), fb = b.Value(p);
        float d;
        const float clampedSum = blend::SmoothUnitClamp(fa + fb, d);
        ASSERT_NEAR(sum.Value(p), clampedSum, 1e-5f);
        ASSERT_NEAR(ricci1.Value(p), clampedSum, 1e-4f);
        // A huge power is the max (through the same clamp).
        ASSERT_NEAR(ricciMax.Value(p), blend::SmoothUnitClamp(std::max(fa, fb), d), 1e-3f);
        // Quillon never loses material and equals max where one child is absent.
        ASSERT_GE(quillon.Value(p), mm.Value(p) - 1e-6f);
        if (fb == 0.0f) {
            ASSERT_EQ(quillon.Value(p), fa);
        }
    }
    // Between the balls, where each alone is just outside, the blends join
    // them; the union by max does not.
    const Vector3f mid(0, 0, 0);
    ASSERT_LT(a.Value(mid), 0.5f);
    EXPECT_TRUE(Inside(sum, mid));
    EXPECT_TRUE(Inside(quillon, mid));
    EXPECT_FALSE(Inside(mm, mid));
    // The clamp holds the sum at 1 deep in a pile of children.
    SumBlend pile;
    Ball c1(Vector3f(0, 0, 0), 1), c2(Vector3f(0.01f, 0, 0), 1), c3(Vector3f(0, 0.01f, 0), 1);
    pile.AddChild(&c1);
    pile.AddChild(&c2);
    pile.AddChild(&c3);
    EXPECT_EQ(pile.Value(0, 0, 0), 1.0f);
    EXPECT_EQ(pile.Gradient(Vector3f(0, 0, 0)).SquaredLength(), 0.0f);
}

TEST(Blends, RicciPowerRangeAndExtremes)
{
    RicciBlend ricci;
    EXPECT_FLOAT_EQ(ricci.GetPower(), 2.0f);
    EXPECT_TRUE(ricci.SetPower(0.1f));
    EXPECT_FLOAT_EQ(ricci.GetPower(), RicciBlend::MIN_POWER);
    EXPECT_TRUE(ricci.SetPower(1e9f));
    EXPECT_FLOAT_EQ(ricci.GetPower(), RicciBlend::MAX_POWER);
    EXPECT_TRUE(ricci.SetPower(6.0f));
    EXPECT_FALSE(ricci.SetPower(NaN));
    EXPECT_FLOAT_EQ(ricci.GetPower(), 6.0f);
    EXPECT_FLOAT_EQ(RicciBlend(NaN).GetPower(), 2.0f);

    // Fifty small balls: the extremes of the power stay finite and in range,
    // with gradients matching differences.
    std::vector<std::unique_ptr<Ball>> balls;
    for (int i = 0; i < 50; ++i)
        balls.push_back(
            std::make_unique<Ball>(Vector3f(0.1f * (i % 7), 0.1f * (i / 7), 0.05f * (i % 3)), 0.3f));
    for (float power : {0.5f, 1.0f, 10000.0f}) {
        RicciBlend blend(power);
        for (auto& b : balls) blend.AddChild(b.get());
        fieldchecks::Options options;
        options.samples = 600;
        options.gradientTolerance = 0.05f;
        // Very large powers switch children within a step's width.
        options.allowedGradientMismatch = power > 100.0f ? 0.02f : 0.0f;
        fieldchecks::ExpectFieldConventions(blend, "ricci " + std::to_string(power), options);
    }
}

TEST(RicciBlendTest, WholePowersMatchTheGeneralFormula)
{
    // Whole powers take a faster path; it must agree with the power mean
    // and be continuous with the neighbouring fractional powers.
    Ball a(Vector3f(0, 0, 0), 1.0f), b(Vector3f(0.5f, 0.1f, 0), 0.8f), c(Vector3f(-0.3f, 0.4f, 0.2f), 0.6f);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-0.8f, 0.8f);
    for (float k : {1.0f, 2.0f, 3.0f, 6.0f, 17.0f, 64.0f}) {
        RicciBlend whole(k), above(k * 1.00001f);
        for (RicciBlend* blend : {&whole, &above})
            for (Ball* ball : {&a, &b, &c}) blend->AddChild(ball);
        for (int n = 0; n < 200; ++n) {
            const float x = u(rng), y = u(rng), z = u(rng);
            double sum = 0;
            for (Ball* ball : {&a, &b, &c}) sum += std::pow(double(ball->Value(x, y, z)), double(k));
            const double expected = std::pow(sum, 1.0 / double(k));
            const float v = whole.Value(x, y, z);
            // Above 0.75 the blend's smooth clamp takes over.
            if (expected < 0.75) {
                EXPECT_NEAR(v, expected, 2e-5) << "power " << k;
            }
            EXPECT_NEAR(v, above.Value(x, y, z), 1e-4) << "power " << k;
            float gx, gy, gz, value;
            whole.Gradient(x, y, z, gx, gy, gz, &value);
            EXPECT_FLOAT_EQ(value, v);
        }
    }
}

// ---- hollow ---------------------------------------------------------------------

TEST(HollowOperatorTest, ShellWallsSitAtTheThickness)
{
    Ball ball(Vector3f(0, 0, 0), 2.0f);
    for (float t : {0.02f, 0.1f, 0.3f}) {
        HollowOperator hollow(t);
        hollow.AddChild(&ball);
        // Walk out from the centre and record the child's value at both walls.
        std::vector<float> crossings;
        bool inside = Inside(hollow, Vector3f(0, 0, 0));
        EXPECT_FALSE(inside) << "the centre is hollow";
        for (float x = 0.0f; x < 2.0f; x += 1e-4f) {
            const bool now = Inside(hollow, Vector3f(x, 0, 0));
            if (now != inside) crossings.push_back(ball.Value(x, 0, 0));
            inside = now;
        }
        ASSERT_EQ(crossings.size(), 2u) << t;
        EXPECT_NEAR(crossings[0], 0.5f + t, 2e-3f);
        EXPECT_NEAR(crossings[1], 0.5f - t, 2e-3f);
        // Zero wherever the child is zero.
        EXPECT_EQ(hollow.Value(2.5f, 0, 0), 0.0f);
        fieldchecks::ExpectFieldConventions(hollow, "hollow");
        // Seeds on both walls.
        std::vector<Vector3f> seeds;
        hollow.GetSeedPoints(seeds);
        bool outer = false, innerWall = false;
        for (const Vector3f& s : seeds) {
            EXPECT_NEAR(hollow.Value(s), 0.5f, 1e-3f);
            (ball.Value(s) > 0.5f ? innerWall : outer) = true;
        }
        EXPECT_TRUE(outer && innerWall);
    }
}

TEST(HollowOperatorTest, ThicknessRangeAndSolidLimit)
{
    HollowOperator hollow;
    EXPECT_TRUE(hollow.SetThickness(0.0f));
    EXPECT_FLOAT_EQ(hollow.GetThickness(), HollowOperator::MIN_THICKNESS);
    EXPECT_TRUE(hollow.SetThickness(5.0f));
    EXPECT_FLOAT_EQ(hollow.GetThickness(), HollowOperator::MAX_THICKNESS);
    EXPECT_FALSE(hollow.SetThickness(NaN));
    EXPECT_FLOAT_EQ(hollow.GetThickness(), HollowOperator::MAX_THICKNESS);

    Ball ball(Vector3f(0, 0, 0), 1.0f);
    hollow.AddChild(&ball);
    // Thick enough: a solid again, the outer wall kept inside the support.
    EXPECT_TRUE(Inside(hollow, Vector3f(0, 0, 0)));
    EXPECT_TRUE(Inside(hollow, Vector3f(0.5f, 0, 0)));
    EXPECT_FALSE(Inside(hollow, Vector3f(0.99f, 0, 0)));
    // Past the point where the cavity closes, the centre is inside; just
    // below it, a small cavity remains.
    hollow.SetThickness(0.49f);
    EXPECT_TRUE(Inside(hollow, Vector3f(0, 0, 0)));
    hollow.SetThickness(0.45f);
    EXPECT_FALSE(Inside(hollow, Vector3f(0, 0, 0)));
    // The thinnest shell evaluates without NaN.
    hollow.SetThickness(HollowOperator::MIN_THICKNESS);
    for (const Vector3f& p : RandomPoints(500, -1.1f, 1.1f, 8)) {
        float v;
        const Vector3f g = hollow.Gradient(p, &v);
        ASSERT_TRUE(std::isfinite(v) && std::isfinite(g.X()) && std::isfinite(g.Y()) && std::isfinite(g.Z()));
        ASSERT_LE(v, 1.0f);
    }
}

// ---- mirror ----------------------------------------------------------------------

TEST(MirrorOperatorTest, SymmetricAboutATiltedPlane)
{
    // A ball that crosses the plane off-centre and a second one on the kept side.
    Ball a(Vector3f(0.3f, 0.2f, 0.1f), 1.0f, 1.0f), b(Vector3f(1.0f, 0.8f, -0.3f), 0.6f, 0.3f);
    MirrorOperator mirror;
    mirror.AddChild(&a);
    mirror.AddChild(&b);
    Wml::Matrix3<float> turn;
    turn.FromAxisAngle(Vector3f(1, 1, 0) / std::sqrt(2.0f), 0.7f);
    Wml::Frame3<float> frame(Vector3f(0.2f, -0.1f, 0.05f));
    frame.Rotate(turn, true);
    ASSERT_TRUE(mirror.SetFrame(frame));
    ASSERT_TRUE(mirror.SetSmoothWidth(0.3f));

    for (bool side : {true, false}) {
        mirror.SetSide(side);
        for (const Vector3f& p : RandomPoints(1000, -2.0f, 2.0f, 17)) {
            const Vector3f q = mirror.MirrorPoint(p, true);
            ASSERT_NEAR(mirror.Value(p), mirror.Value(q), 1e-4f);
            // Reflecting twice is the identity; the source point is on the kept side.
            ASSERT_LT((mirror.MirrorPoint(q, true) - p).Length(), 1e-4f);
            const float s = mirror.GetNormal().Dot(mirror.MirrorPoint(p, false) - frame.Origin());
            ASSERT_TRUE(side ? s >= -1e-5f : s <= 1e-5f);
            // Far from the plane the value is the source's.
            const Vector3f source = mirror.MirrorPoint(p, false);
            if (std::fabs(s) > 0.3f) {
                ASSERT_NEAR(mirror.Value(p), std::max(a.Value(source), b.Value(source)), 1e-5f);
            }
        }
        fieldchecks::ExpectFieldConventions(mirror, side ? "mirror +" : "mirror -");
        fieldchecks::ExpectSeedsNearSurface(mirror, "mirror");
    }
    // The colour is the source's: keep the side holding b, look at its image.
    mirror.SetSide(mirror.GetNormal().Dot(b.Centre() - frame.Origin()) >= 0.0f);
    float r, g, bl;
    const Vector3f image = mirror.MirrorPoint(b.Centre(), true);
    mirror.Color(image.X(), image.Y(), image.Z(), r, g, bl);
    EXPECT_FLOAT_EQ(r, 0.3f);
}

TEST(MirrorOperatorTest, SideBoundsAndParameters)
{
    Ball ball(Vector3f(0, 0, 1.0f), 1.0f);  // entirely above z = 0
    MirrorOperator mirror;
    mirror.AddChild(&ball);
    // Keeping +z copies the ball below the plane.
    EXPECT_TRUE(Inside(mirror, Vector3f(0, 0, -1.0f)));
    EXPECT_NEAR(mirror.Value(0, 0, -1.0f), 1.0f, 1e-6f);
    Wml::AxisAlignedBox3<float> box;
    mirror.FieldBounds(box);
    EXPECT_NEAR(box.Min(2), -2.0f, 1e-5f);
    EXPECT_NEAR(box.Max(2), 2.0f, 1e-5f);
    // Keeping -z: the (empty) lower half is the source, so the ball goes.
    mirror.SetSide(false);
    EXPECT_FALSE(mirror.GetSide());
    EXPECT_EQ(mirror.Value(0, 0, 1.0f), 0.0f);
    EXPECT_EQ(mirror.MirrorPoint(Vector3f(0, 0, -1), false), Vector3f(0, 0, -1));
    EXPECT_EQ(mirror.MirrorPoint(Vector3f(0, 0, 1), false), Vector3f(0, 0, -1));

    // No bulge on the plane: a ball centred on it keeps its radius there.
    Ball centred(Vector3f(0, 0, 0), 1.0f);
    MirrorOperator flat;
    flat.AddChild(&centred);
    flat.SetSmoothWidth(0.5f);
    EXPECT_NEAR(flat.Value(centred.SurfaceRadius(), 0, 0), 0.5f, 1e-5f);

    EXPECT_FALSE(flat.SetSmoothWidth(NaN));
    EXPECT_FLOAT_EQ(flat.GetSmoothWidth(), 0.5f);
    EXPECT_TRUE(flat.SetSmoothWidth(-3.0f));
    EXPECT_EQ(flat.GetSmoothWidth(), 0.0f);
    EXPECT_TRUE(flat.SetBlendPower(5000.0f));
    EXPECT_FLOAT_EQ(flat.GetBlendPower(), MirrorOperator::MAX_BLEND_POWER);
    EXPECT_FALSE(flat.SetBlendPower(NaN));
    // A zero normal is refused and the plane stays.
    Wml::Frame3<float> bad(Vector3f(1, 2, 3), Vector3f(1, 0, 0), Vector3f(0, 1, 0), Vector3f(0, 0, 0));
    EXPECT_FALSE(flat.SetFrame(bad));
    EXPECT_EQ(flat.GetNormal(), Vector3f(0, 0, 1));
    EXPECT_TRUE(std::isfinite(flat.Value(NaN, 0, 0)));
}

// ---- Bezier tube ----------------------------------------------------------------

TEST(BezierCurveTest, SurfaceAtTheRadiusAndModesAgree)
{
    BezierCurve curve;
    EXPECT_EQ(curve.GetNumControlPoints(), 4u);
    ASSERT_TRUE(curve.SetRadius(0.08f));
    // Beside the curve, along a normal, the surface is at the radius.
    for (float t = 0.05f; t < 1.0f; t += 0.1f) {
        const Vector3f c = curve.GetLocalPosition(t);
        const Vector3f tangent = curve.GetLocalPosition(t + 1e-3f) - curve.GetLocalPosition(t - 1e-3f);
        Vector3f normal = Vector3f(0, 0, 1).Cross(tangent);
        normal.Normalize();
        EXPECT_NEAR(curve.Value(c + normal * 0.08f), 0.5f, 2e-3f) << t;
        EXPECT_NEAR(curve.Value(c + Vector3f(0, 0, 0.08f)), 0.5f, 2e-3f) << t;
        EXPECT_NEAR(curve.Value(c), 1.0f, 1e-4f);
    }
    // The far ends are round caps.
    EXPECT_NEAR(curve.Value(-0.08f, 0, 0), 0.5f, 2e-3f);

    // The segment approximation converges to the exact tube.
    BezierCurve approx;
    approx.SetRadius(0.08f);
    approx.SetEvaluationMode(1);
    approx.SetApproximationLevel(8);
    float worst = 0.0f;
    for (const Vector3f& p : RandomPoints(3000, -0.3f, 1.3f, 4)) {
        const Vector3f q(p.X(), 0.7f * p.Y() - 0.3f, 0.2f * p.Z() - 0.1f);
        worst = std::max(worst, std::fabs(approx.Value(q) - curve.Value(q)));
    }
    EXPECT_LT(worst, 0.01f);
    // A coarse approximation differs visibly (the test above is not vacuous).
    approx.SetApproximationLevel(1);
    EXPECT_GT(std::fabs(approx.Value(curve.GetPosition(0.25f)) - 1.0f), 0.05f);

    for (int mode : {0, 1}) {
        BezierCurve placed;
        placed.SetEvaluationMode(mode);
        placed.SetApproximationLevel(3);
        placed.SetBlendAngle(20.0f);
        Wml::Frame3<float> frame(Vector3f(1, -2, 0.5f));
        Wml::Matrix3<float> turn;
        turn.FromAxisAngle(Vector3f(0, 0.6f, 0.8f), 1.1f);
        frame.Rotate(turn, true);
        frame.SetScale(Vector3f(1.5f, 0.8f, 1.2f));
        ASSERT_TRUE(placed.SetFrame(frame));
        fieldchecks::Options options;
        options.allowedGradientMismatch = 0.002f;
        fieldchecks::ExpectFieldConventions(placed, "bezier mode " + std::to_string(mode), options);
        fieldchecks::ExpectSeedsNearSurface(placed, "bezier");
    }
}

TEST(BezierCurveTest, ControlPointsFrameAndParameters)
{
    BezierCurve curve;
    // A straight degree-1 curve is a capsule: radius from the segment.
    ASSERT_TRUE(curve.SetControlPoints({Vector3f(0, 0, 0), Vector3f(2, 0, 0)}));
    curve.SetRadius(0.2f);
    EXPECT_NEAR(curve.Value(1.0f, 0.2f, 0), 0.5f, 1e-4f);
    EXPECT_NEAR(curve.Value(2.2f, 0, 0), 0.5f, 1e-4f);
    curve.SetEvaluationMode(1);
    EXPECT_NEAR(curve.Value(1.3f, 0, 0.2f), 0.5f, 1e-4f);  // pieces in line: no bulge
    curve.SetEvaluationMode(0);

    // Bad input is refused and leaves the curve as it was.
    EXPECT_FALSE(curve.SetControlPoints({Vector3f(0, 0, 0)}));
    EXPECT_FALSE(curve.SetControlPoints(std::vector<Vector3f>(BezierCurve::MAX_CONTROL_POINTS + 1)));
    EXPECT_FALSE(curve.SetControlPoints({Vector3f(0, 0, 0), Vector3f(NaN, 0, 0)}));
    EXPECT_FALSE(curve.SetControlPoint(2, Vector3f(1, 1, 1)));
    EXPECT_FALSE(curve.SetControlPoint(0, Vector3f(0, NaN, 0)));
    EXPECT_EQ(curve.GetNumControlPoints(), 2u);
    EXPECT_EQ(curve.GetControlPoint(7), Vector3f(0, 0, 0));

    // Dragging a control point moves the tube and clears the status.
    curve.SetStatus(true);
    ASSERT_TRUE(curve.SetControlPoint(1, Vector3f(0, 2, 0)));
    EXPECT_FALSE(curve.GetStatus());
    EXPECT_NEAR(curve.Value(0, 1.0f, 0), 1.0f, 1e-5f);
    EXPECT_EQ(curve.Value(2.0f, 0, 0), 0.0f);

    // Placement: control points stay local, positions come out in world.
    Wml::Frame3<float> frame(Vector3f(5, 0, 0));
    frame.SetScale(Vector3f(2, 2, 2));
    ASSERT_TRUE(curve.SetFrame(frame));
    EXPECT_LT((curve.GetPosition(1.0f) - Vector3f(5, 4, 0)).Length(), 1e-5f);
    EXPECT_LT((curve.GetWorldControlPoint(1) - Vector3f(5, 4, 0)).Length(), 1e-5f);
    ASSERT_TRUE(curve.SetWorldControlPoint(1, Vector3f(5, 6, 0)));
    EXPECT_LT((curve.GetControlPoint(1) - Vector3f(0, 3, 0)).Length(), 1e-5f);
    EXPECT_NEAR(curve.Value(5, 3, 0.4f), 0.5f, 1e-4f);  // radius scaled with the frame
    EXPECT_LT((curve.GetPosition(NaN) - Vector3f(5, 0, 0)).Length(), 1e-5f);
    Wml::Frame3<float> flat;
    flat.SetScale(Vector3f(1, 0, 1));
    EXPECT_FALSE(curve.SetFrame(flat));
    EXPECT_EQ(curve.GetFrame().Origin(), Vector3f(5, 0, 0));
    Wml::AxisAlignedBox3<float> box;
    curve.FieldBounds(box);
    EXPECT_TRUE(box.Contains(curve.GetPosition(0.5f)));

    // Parameter ranges.
    EXPECT_FALSE(curve.SetRadius(NaN));
    EXPECT_TRUE(curve.SetRadius(0.0f));
    EXPECT_FLOAT_EQ(curve.GetRadius(), BezierCurve::MIN_RADIUS);
    EXPECT_TRUE(curve.SetBlendAngle(90.0f));
    EXPECT_FLOAT_EQ(curve.GetBlendAngle(), BezierCurve::MAX_BLEND_ANGLE);
    EXPECT_FALSE(curve.SetBlendAngle(NaN));
    curve.SetBlendAngle(10.0f);
    const float slope = curve.GetBartheUnionParams().slope;
    EXPECT_NEAR(slope, std::tan(35.0f * 3.14159265f / 180.0f), 1e-5f);
    curve.SetApproximationLevel(40);
    EXPECT_EQ(curve.GetApproximationLevel(), BezierCurve::MAX_APPROXIMATION_LEVEL);
    curve.SetApproximationLevel(-2);
    EXPECT_EQ(curve.GetApproximationLevel(), BezierCurve::MIN_APPROXIMATION_LEVEL);
    curve.SetEvaluationMode(7);
    EXPECT_EQ(curve.GetEvaluationMode(), 1);
    EXPECT_EQ(curve.Value(NaN, 0, 0), 0.0f);
}

TEST(BezierCurveTest, JointsOfACoarseApproximationAreRounded)
{
    // A right-angle polyline of two pieces: the union fills the inner corner
    // a little, more for smaller blend angles, and never removes material.
    BezierCurve sharp, round;
    for (BezierCurve* c : {&sharp, &round}) {
        c->SetControlPoints({Vector3f(0, 0, 0), Vector3f(1, 1, 0), Vector3f(2, 0, 0)});
        c->SetRadius(0.15f);
        c->SetEvaluationMode(1);
        c->SetApproximationLevel(1);
    }
    sharp.SetBlendAngle(44.9f);
    round.SetBlendAngle(5.0f);
    const Vector3f inner = sharp.GetPosition(0.5f) - Vector3f(0, 0.2f, 0);
    EXPECT_GT(round.Value(inner), sharp.Value(inner) + 0.01f);
    for (const Vector3f& p : RandomPoints(1000, -0.5f, 2.5f, 9))
        ASSERT_GE(round.Value(p), sharp.Value(p) - 1e-6f);
}

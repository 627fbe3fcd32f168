// Sampled 2D templates and the fields that sweep them: linear (flat and
// blobby caps), revolution, Bezier curve sweeps, slice interpolation and the
// multi-sweep union. Templates are built in code with known outlines.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "implicit/Falloff.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "implicit/sweeps/CubicBezierSweep.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "implicit/sweeps/DiscreteRevolution.h"
#include "implicit/sweeps/InterpolatingLinearSweep.h"
#include "implicit/sweeps/MultiSweep.h"
#include "implicit/sweeps/QuadraticBezierSweep.h"
#include "implicit/sweeps/SweepEndcap.h"
#include "tests/support/FieldChecks.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

/// Disc template whose 0.5 contour is the circle of radius r around (cx, cy).
DiscreteScalarField2D MakeDisc(float r, float cx = 0.0f, float cy = 0.0f, unsigned n = 128)
{
    const float h = 2.5f * r;  // the falloff ends at r / 0.454 = 2.2 r
    DiscreteScalarField2D field(n, n, Wml::AxisAlignedBox2<float>(cx - h, cx + h, cy - h, cy + h));
    for (unsigned j = 0; j < n; ++j)
        for (unsigned i = 0; i < n; ++i) {
            const Wml::Vector2<float> p = field.GetSamplePosition(i, j) - Wml::Vector2<float>(cx, cy);
            field.SetValue(i, j, Falloff(p.Length() * FALLOFF_SURFACE_RADIUS / r));
        }
    return field;
}

/// Rounded square of half side a (the 0.5 contour is |x|^8 + |y|^8 = a^8).
DiscreteScalarField2D MakeSquare(float a, unsigned n = 128)
{
    const float h = 2.5f * a;
    DiscreteScalarField2D field(n, n, Wml::AxisAlignedBox2<float>(-h, h, -h, h));
    for (unsigned j = 0; j < n; ++j)
        for (unsigned i = 0; i < n; ++i) {
            const Wml::Vector2<float> p = field.GetSamplePosition(i, j);
            const float norm =
                std::pow(std::pow(std::fabs(p.X()), 8.0f) + std::pow(std::fabs(p.Y()), 8.0f), 0.125f);
            field.SetValue(i, j, Falloff(norm * FALLOFF_SURFACE_RADIUS / a));
        }
    return field;
}

/// The disc as a formula, read through the virtual interface (central
/// differences for its gradient).
class FormulaDisc : public ScalarField2D {
public:
    explicit FormulaDisc(float r) : m_r(r)
    {
        SetBounds(Wml::AxisAlignedBox2<float>(-2.5f * r, 2.5f * r, -2.5f * r, 2.5f * r));
    }
    float Value(float x, float y) override
    {
        return Falloff(std::hypot(x, y) * FALLOFF_SURFACE_RADIUS / m_r);
    }
    std::string GetTypeName() const override { return "FormulaDisc"; }

private:
    float m_r;
};

/// A template that breaks every rule: NaN, values above 1, non-zero outside
/// its bounds.
class HostileTemplate : public ScalarField2D {
public:
    HostileTemplate() { SetBounds(Wml::AxisAlignedBox2<float>(-1, 1, -1, 1)); }
    float Value(float x, float y) override { return x > 0.5f ? NaN : 3.0f * (1.0f - 0.2f * y); }
    std::string GetTypeName() const override { return "HostileTemplate"; }
};

/// A rotated, moved and unevenly scaled placement.
Wml::Frame3<float> TiltedFrame()
{
    Wml::Frame3<float> f(Vector3f(0.3f, -0.2f, 0.5f));
    f.Rotate(Wml::Matrix3<float>(Vector3f(1.0f, 2.0f, 0.5f) / Vector3f(1.0f, 2.0f, 0.5f).Length(), 0.7f),
             true);
    f.SetScale(Vector3f(1.2f, 0.9f, 1.1f));
    return f;
}

/// Distance along +dir from origin where the field crosses 0.5 (bisection
/// between inside at lo and outside at hi).
float Crossing(ScalarField& field, const Vector3f& origin, const Vector3f& dir, float lo, float hi)
{
    for (int i = 0; i < 40; ++i) {
        const float mid = 0.5f * (lo + hi);
        if (field.Value(origin + dir * mid) > 0.5f)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5f * (lo + hi);
}

/// Gradient against central differences at points in the ball (centre, r):
/// random points around a whole field rarely land in small regions such as
/// the ends of a curved sweep.
void ExpectGradientNear(ScalarField& field, const Vector3f& centre, float r, const std::string& name)
{
    std::mt19937 rng(13);
    std::uniform_real_distribution<float> u(-r, r);
    const float h = 1e-3f;
    int inside = 0;
    for (int k = 0; k < 400; ++k) {
        const Vector3f p = centre + Vector3f(u(rng), u(rng), u(rng));
        float v;
        const Vector3f g = field.Gradient(p, &v);
        if (v > 0.0f) ++inside;
        const Vector3f d((field.Value(p + Vector3f(h, 0, 0)) - field.Value(p - Vector3f(h, 0, 0))) / (2 * h),
                         (field.Value(p + Vector3f(0, h, 0)) - field.Value(p - Vector3f(0, h, 0))) / (2 * h),
                         (field.Value(p + Vector3f(0, 0, h)) - field.Value(p - Vector3f(0, 0, h))) / (2 * h));
        EXPECT_LE((g - d).Length(), 2e-2f * std::max(1.0f, g.Length()))
            << name << " at " << p.X() << " " << p.Y() << " " << p.Z();
    }
    EXPECT_GT(inside, 40) << name;
}

void ExpectAllConventions(ScalarField& field, const std::string& name, float allowedMismatch = 0.0f)
{
    fieldchecks::Options options;
    options.allowedGradientMismatch = allowedMismatch;
    fieldchecks::ExpectFieldConventions(field, name, options);
    fieldchecks::ExpectSeedsNearSurface(field, name);
}

}  // namespace

// ---- DiscreteScalarField2D ------------------------------------------------

TEST(DiscreteScalarField2D, StorageRefusesBadSizesIndicesAndValues)
{
    DiscreteScalarField2D f;
    EXPECT_FALSE(f.Resize(0, 0));
    EXPECT_FALSE(f.Resize(1, 5));
    EXPECT_FALSE(f.Resize(DiscreteScalarField2D::MAX_SIZE + 1, 4));
    EXPECT_EQ(f.GetWidth(), 0u);
    EXPECT_EQ(f.GetData(), nullptr);
    EXPECT_EQ(f.Value(0.0f, 0.0f), 0.0f);

    ASSERT_TRUE(f.Resize(3, 4));
    EXPECT_EQ(f.GetWidth(), 3u);
    EXPECT_EQ(f.GetHeight(), 4u);
    EXPECT_TRUE(f.SetValue(2, 3, 1.7f));
    EXPECT_EQ(f.GetValue(2, 3), 1.0f);
    EXPECT_TRUE(f.SetValue(1, 0, -2.0f));
    EXPECT_EQ(f.GetValue(1, 0), 0.0f);
    EXPECT_FALSE(f.SetValue(3, 0, 0.5f));
    EXPECT_FALSE(f.SetValue(0, 0, NaN));
    EXPECT_EQ(f.GetValue(7, 7), 0.0f);
    // Row-major: row j, column i.
    EXPECT_TRUE(f.SetValue(1, 2, 0.25f));
    EXPECT_EQ(f.GetData()[2 * 3 + 1], 0.25f);

    // Not placed yet: nothing anywhere.
    Wml::AxisAlignedBox2<float> box;
    f.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    f.SetBounds(Wml::AxisAlignedBox2<float>(0, NaN, 0, 1));
    f.SetBounds(Wml::AxisAlignedBox2<float>(0, 0, 0, 1));
    EXPECT_FALSE(f.IsReady());
    f.SetBounds(Wml::AxisAlignedBox2<float>(0, 2, 0, 3));
    EXPECT_TRUE(f.IsReady());
    f.SetBounds(Wml::AxisAlignedBox2<float>(5, 4, 0, 3));  // inverted: refused
    f.FieldBounds(box);
    EXPECT_EQ(box, Wml::AxisAlignedBox2<float>(0, 2, 0, 3));
    EXPECT_EQ(f.GetTypeName(), "DiscreteScalarField2D");

    // Poisoned samples written through GetData never leak NaN.
    f.GetData()[0] = NaN;
    float gx, gy;
    const float v = f.EvaluateWithGradient(0.1f, 0.1f, gx, gy);
    EXPECT_FALSE(std::isnan(v) || std::isnan(gx) || std::isnan(gy));

    // Copies own their samples.
    DiscreteScalarField2D copy = f;
    copy.SetValue(1, 2, 0.75f);
    EXPECT_EQ(f.GetValue(1, 2), 0.25f);
}

TEST(DiscreteScalarField2D, BothInterpolationsReproduceLinearDataAndVanishOutside)
{
    const Wml::AxisAlignedBox2<float> bounds(-1.0f, 2.0f, 0.0f, 3.0f);
    DiscreteScalarField2D f(9, 7, bounds);
    auto linear = [](float x, float y) { return 0.3f + 0.07f * x + 0.11f * y; };
    for (unsigned j = 0; j < 7; ++j)
        for (unsigned i = 0; i < 9; ++i) {
            const Wml::Vector2<float> p = f.GetSamplePosition(i, j);
            f.SetValue(i, j, linear(p.X(), p.Y()));
        }
    EXPECT_EQ(f.GetSamplePosition(0, 0), bounds.MinCorner());
    EXPECT_EQ(f.GetSamplePosition(8, 6), bounds.MaxCorner());

    std::mt19937 rng(3);
    std::uniform_real_distribution<float> ux(-1.0f, 2.0f), uy(0.0f, 3.0f);
    for (auto mode :
         {DiscreteScalarField2D::Interpolation::Bilinear, DiscreteScalarField2D::Interpolation::CatmullRom}) {
        f.SetInterpolation(mode);
        for (int k = 0; k < 500; ++k) {
            const float x = ux(rng), y = uy(rng);
            float gx, gy;
            EXPECT_NEAR(f.Value(x, y), linear(x, y), 1e-5f);
            EXPECT_NEAR(f.EvaluateWithGradient(x, y, gx, gy), linear(x, y), 1e-5f);
            EXPECT_NEAR(gx, 0.07f, 1e-4f);
            EXPECT_NEAR(gy, 0.11f, 1e-4f);
        }
        // Exactly on the far corner, and just outside every side.
        EXPECT_NEAR(f.Value(2.0f, 3.0f), linear(2.0f, 3.0f), 1e-5f);
        EXPECT_EQ(f.Value(-1.001f, 1.0f), 0.0f);
        EXPECT_EQ(f.Value(2.001f, 1.0f), 0.0f);
        EXPECT_EQ(f.Value(0.5f, -0.001f), 0.0f);
        EXPECT_EQ(f.Value(0.5f, 3.001f), 0.0f);
        EXPECT_EQ(f.Value(NaN, 1.0f), 0.0f);
    }
}

TEST(DiscreteScalarField2D, CatmullRomPassesThroughSamplesWithContinuousGradient)
{
    DiscreteScalarField2D disc = MakeDisc(0.5f, 0.0f, 0.0f, 32);
    for (unsigned j = 0; j < 32; j += 5)
        for (unsigned i = 0; i < 32; i += 3) {
            const Wml::Vector2<float> p = disc.GetSamplePosition(i, j);
            EXPECT_NEAR(disc.Value(p.X(), p.Y()), disc.GetValue(i, j), 1e-5f);
        }
    // Analytic gradient against differences taken across cell edges too.
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-1.2f, 1.2f);
    const float h = 1e-3f;
    float worst = 0.0f;
    for (int k = 0; k < 2000; ++k) {
        const float x = u(rng), y = u(rng);
        float gx, gy;
        disc.Gradient(x, y, gx, gy);
        const float dx = (disc.Value(x + h, y) - disc.Value(x - h, y)) / (2 * h);
        const float dy = (disc.Value(x, y + h) - disc.Value(x, y - h)) / (2 * h);
        worst = std::max(worst, std::hypot(gx - dx, gy - dy));
    }
    EXPECT_LT(worst, 2e-2f);
    // The 0.5 contour is the circle it was built from.
    EXPECT_GT(disc.Value(0.49f, 0.0f), 0.5f);
    EXPECT_LT(disc.Value(0.0f, 0.51f), 0.5f);
}

// ---- End caps ---------------------------------------------------------------

TEST(SweepEndcap, FlatStylesKeepFacesExactAndRoundOnlyTheRim)
{
    SweepEndcap cap;
    const float H = 1.0f;
    for (int style : {0, 2}) {
        ASSERT_TRUE(cap.SetStyle(style));
        // Side face (axial value 1) and end face (profile value 1) are exact.
        EXPECT_NEAR(cap.Value(0.5f, -0.9f, H), 0.5f, 1e-6f);
        EXPECT_NEAR(cap.Value(1.0f, 0.0f, H), 0.5f, 1e-5f);
        EXPECT_EQ(cap.Value(1.0f, cap.Reach(H), H), 0.0f);
        EXPECT_GT(cap.Value(1.0f, cap.Reach(H) * 0.99f, H), 0.0f);
    }
    EXPECT_FALSE(cap.SetStyle(3));
    EXPECT_FALSE(cap.SetStyle(-1));

    // The rounded blend never exceeds the intersection and rounds more with
    // a larger angle.
    cap.SetStyle(0);
    float previous = 1.0f;
    for (float angle : {5.0f, 20.0f, 44.9f}) {
        cap.SetBlendAngle(angle);
        float dt, da;
        const float rim = cap.Intersect(0.6f, 0.6f, dt, da);
        EXPECT_LT(rim, 0.6f);
        EXPECT_LT(rim, previous);
        previous = rim;
        for (float t = 0.05f; t < 1.0f; t += 0.1f)
            for (float a = 0.05f; a < 1.0f; a += 0.1f)
                EXPECT_LE(cap.Intersect(t, a, dt, da), std::min(t, a) + 1e-6f);
    }
    cap.SetBlendAngle(90.0f);
    EXPECT_FLOAT_EQ(cap.GetBlendAngle(), SweepEndcap::MAX_BLEND_ANGLE);
    cap.SetBlendAngle(NaN);
    EXPECT_FLOAT_EQ(cap.GetBlendAngle(), SweepEndcap::MAX_BLEND_ANGLE);

    // Thin bodies shorten the falloff so the end faces stay at +-H.
    cap.SetStyle(CapStyle::FlatSharp);
    cap.SetFalloffLength(2.0f);
    EXPECT_NEAR(cap.Value(1.0f, 0.0f, 0.05f), 0.5f, 1e-5f);
    EXPECT_NEAR(cap.Value(1.0f, -0.05f, 0.05f), 1.0f, 1e-5f);
}

TEST(SweepEndcap, DerivativesMatchDifferencesForEveryStyle)
{
    SweepEndcap cap;
    cap.SetFalloffLength(0.4f);
    const float H = 0.3f, h = 1e-3f;
    for (int style : {0, 1, 2}) {
        cap.SetStyle(style);
        int samples = 0, mismatches = 0;
        for (float t = 0.03f; t < 1.0f; t += 0.07f)
            for (float e = -0.5f; e < 1.0f; e += 0.037f, ++samples) {
                float dt, de;
                const float v = cap.Value(t, e, H, dt, de);
                EXPECT_GE(v, 0.0f);
                EXPECT_LE(v, 1.0f);
                const float nt = (cap.Value(t + h, e, H) - cap.Value(t - h, e, H)) / (2 * h);
                const float ne = (cap.Value(t, e + h, H) - cap.Value(t, e - h, H)) / (2 * h);
                if (std::fabs(dt - nt) > 1e-2f || std::fabs(de - ne) > 2e-2f) ++mismatches;
            }
        // Only FlatSharp's crease where t = a may disagree.
        EXPECT_LE(mismatches, style == 2 ? samples / 20 : 0) << "style " << style;
    }
}

// ---- DiscreteLinearSweep ------------------------------------------------------

TEST(DiscreteLinearSweep, EveryCapStyleKeepsTheFieldConventions)
{
    DiscreteScalarField2D disc = MakeDisc(0.5f);
    DiscreteScalarField2D square = MakeSquare(0.4f);
    for (int style : {0, 1, 2}) {
        DiscreteLinearSweep sweep(&disc, TiltedFrame(), style == 1 ? 0.0005f : 0.4f);
        ASSERT_TRUE(sweep.SetCapStyle(style));
        sweep.SetFalloffLength(0.3f);
        ExpectAllConventions(sweep, "disc sweep, cap " + std::to_string(style), style == 2 ? 0.02f : 0.0f);
        sweep.SetSweepTemplate(&square);
        sweep.SetCropScalingFactors(1.5f, 0.8f);
        ExpectAllConventions(sweep, "square sweep, cap " + std::to_string(style), style == 2 ? 0.02f : 0.0f);
    }
}

TEST(DiscreteLinearSweep, FlatSweepOfDiscIsPuck)
{
    const float R = 0.5f, H = 0.4f;
    DiscreteScalarField2D disc = MakeDisc(R);
    for (int style : {0, 2}) {
        DiscreteLinearSweep sweep(&disc, Wml::Frame3<float>(), H);
        sweep.SetCapStyle(style);
        sweep.SetFalloffLength(0.2f);
        // The side at the disc radius, the end faces at +-H on the axis.
        EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0), Vector3f(1, 0, 0), 0.0f, 2.0f), R, 0.01f);
        EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0.3f), Vector3f(0, -1, 0), 0.0f, 2.0f), R, 0.01f);
        EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0), Vector3f(0, 0, 1), 0.0f, 2.0f), H, 0.005f);
        EXPECT_NEAR(Crossing(sweep, Vector3f(0.2f, 0, 0), Vector3f(0, 0, -1), 0.0f, 2.0f), H, 0.005f);
        Wml::AxisAlignedBox3<float> box;
        sweep.FieldBounds(box);
        EXPECT_GE(box.Max(2), H);
        EXPECT_GE(box.Max(0), R);
    }
    // The rim: sharp style keeps the corner, the rounded style cuts it off.
    DiscreteLinearSweep sharp(&disc, Wml::Frame3<float>(), H), round(&disc, Wml::Frame3<float>(), H);
    sharp.SetCapStyle(CapStyle::FlatSharp);
    round.SetCapStyle(CapStyle::FlatRound);
    round.SetEndcapBlendAngle(40.0f);
    const Vector3f corner(R * 0.97f, 0.0f, H * 0.97f);
    EXPECT_GT(sharp.Value(corner), 0.5f);
    EXPECT_LT(round.Value(corner), 0.5f);
    const Vector3f diagonal = Vector3f(R, 0.0f, H) / Vector3f(R, 0.0f, H).Length();
    const float sharpRim = Crossing(sharp, Vector3f(0, 0, 0), diagonal, 0.0f, 2.0f);
    const float roundRim = Crossing(round, Vector3f(0, 0, 0), diagonal, 0.0f, 2.0f);
    round.SetEndcapBlendAngle(10.0f);
    const float gentleRim = Crossing(round, Vector3f(0, 0, 0), diagonal, 0.0f, 2.0f);
    EXPECT_LT(roundRim, gentleRim - 0.003f);
    EXPECT_LT(gentleRim, sharpRim);
}

TEST(DiscreteLinearSweep, BlobbySweepIsThickestInTheMiddle)
{
    const float R = 0.5f, L = 0.4f, H = 0.0005f;
    DiscreteScalarField2D disc = MakeDisc(R);
    DiscreteLinearSweep sweep(&disc, Wml::Frame3<float>(), H);
    sweep.SetCapStyle(CapStyle::Blobby);
    sweep.SetFalloffLength(L);
    float previous = 1e9f;
    for (float r : {0.0f, 0.2f, 0.35f, 0.45f, 0.49f}) {
        const float thickness = Crossing(sweep, Vector3f(r, 0, 0), Vector3f(0, 0, 1), 0.0f, 2.0f);
        EXPECT_LT(thickness, previous) << r;
        previous = thickness;
        // Symmetric about the template plane.
        EXPECT_NEAR(Crossing(sweep, Vector3f(r, 0, 0), Vector3f(0, 0, -1), 0.0f, 2.0f), thickness, 1e-4f);
    }
    EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0), Vector3f(0, 0, 1), 0.0f, 2.0f), H + L, 0.01f);
    EXPECT_LT(previous, 0.25f * L);
    // The outline itself is where the pillow meets the template plane.
    EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0), Vector3f(0, 1, 0), 0.0f, 2.0f), R, 0.01f);
}

TEST(DiscreteLinearSweep, RadiusAndCropFactorsScaleTheTemplate)
{
    DiscreteScalarField2D disc = MakeDisc(0.5f);
    DiscreteLinearSweep sweep(&disc, Wml::Frame3<float>(), 1.0f);
    sweep.SetRadius(2.0f);
    EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0), Vector3f(0, 1, 0), 0.0f, 4.0f), 1.0f, 0.02f);
    ASSERT_TRUE(sweep.SetCropScalingFactors(1.5f, 0.5f));
    EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0), Vector3f(1, 0, 0), 0.0f, 4.0f), 1.5f, 0.03f);
    EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0), Vector3f(0, 1, 0), 0.0f, 4.0f), 0.5f, 0.01f);
    Wml::AxisAlignedBox3<float> box;
    sweep.FieldBounds(box);
    EXPECT_NEAR(box.Max(0), 2.0f * 1.5f * 1.25f, 1e-4f);
    EXPECT_FALSE(sweep.SetCropScalingFactors(0.0f, 1.0f));
    EXPECT_FALSE(sweep.SetCropScalingFactors(1.0f, NaN));
    float sx, sy;
    sweep.GetCropScalingFactors(sx, sy);
    EXPECT_EQ(sx, 1.5f);
    EXPECT_EQ(sy, 0.5f);
}

TEST(DiscreteLinearSweep, AnyTemplateTypeIsReadSafely)
{
    FormulaDisc formula(0.5f);
    DiscreteScalarField2D sampled = MakeDisc(0.5f);
    DiscreteLinearSweep a(&formula, TiltedFrame(), 0.3f), b(&sampled, TiltedFrame(), 0.3f);
    ExpectAllConventions(a, "formula template");
    Wml::AxisAlignedBox3<float> box;
    a.FieldBounds(box);
    std::mt19937 rng(4);
    for (int k = 0; k < 500; ++k) {
        const Vector3f p = fieldchecks::RandomPoint(box, rng);
        EXPECT_NEAR(a.Value(p), b.Value(p), 2e-3f);
    }

    HostileTemplate hostile;
    DiscreteLinearSweep c(&hostile, Wml::Frame3<float>(), 0.3f);
    c.FieldBounds(box);
    for (int k = 0; k < 500; ++k) {
        const Vector3f p = fieldchecks::RandomPoint(box, rng);
        float gx, gy, gz, v;
        c.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
        EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
        EXPECT_FALSE(std::isnan(gx) || std::isnan(gy) || std::isnan(gz));
        if (!box.Contains(p)) {
            EXPECT_EQ(v, 0.0f);
        }
    }
}

TEST(DiscreteLinearSweep, DegenerateInputIsRefusedOrHarmless)
{
    DiscreteLinearSweep sweep;
    Wml::AxisAlignedBox3<float> box;
    std::vector<Vector3f> seeds;
    sweep.FieldBounds(box);
    sweep.GetSeedPoints(seeds);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_TRUE(seeds.empty());
    EXPECT_EQ(sweep.Value(0, 0, 0), 0.0f);

    DiscreteScalarField2D unsized;  // Resize never succeeded
    EXPECT_FALSE(unsized.Resize(0, 0));
    sweep.SetSweepTemplate(&unsized);
    sweep.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(sweep.Value(0, 0, 0), 0.0f);

    DiscreteScalarField2D disc = MakeDisc(0.5f);
    sweep.SetSweepTemplate(&disc);
    sweep.SetHalfLength(NaN);
    sweep.SetRadius(NaN);
    sweep.SetFalloffLength(NaN);
    sweep.SetEndcapBlendAngle(NaN);
    EXPECT_EQ(sweep.GetHalfLength(), 0.5f);
    EXPECT_EQ(sweep.GetRadius(), 1.0f);
    EXPECT_EQ(sweep.GetFalloffLength(), 0.25f);
    EXPECT_EQ(sweep.GetEndcapBlendAngle(), 30.0f);
    sweep.SetHalfLength(-1.0f);
    sweep.SetRadius(0.0f);
    EXPECT_EQ(sweep.GetHalfLength(), DiscreteLinearSweep::MIN_HALF_LENGTH);
    EXPECT_EQ(sweep.GetRadius(), DiscreteLinearSweep::MIN_RADIUS);
    EXPECT_FALSE(sweep.SetCapStyle(3));
    EXPECT_EQ(sweep.GetCapStyle(), 0);

    Wml::Frame3<float> flat;
    flat.SetScale(Vector3f(1.0f, 0.0f, 1.0f));
    EXPECT_FALSE(sweep.SetFrame(flat));
    EXPECT_EQ(sweep.GetFrame(), Wml::Frame3<float>());

    float gx, gy, gz, v = -1.0f;
    sweep.Gradient(NaN, 0, 0, gx, gy, gz, &v);
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(gx, 0.0f);
    EXPECT_EQ(sweep.Value(0, NaN, 0), 0.0f);
}

// ---- DiscreteRevolution -----------------------------------------------------

TEST(DiscreteRevolution, DiscOffsetFromTheAxisMakesTorus)
{
    const float c = 1.0f, r = 0.3f;
    DiscreteScalarField2D disc = MakeDisc(r, c, 0.0f);
    DiscreteRevolution torus(&disc, Wml::Frame3<float>());
    for (float angle = 0.0f; angle < 6.2f; angle += 0.9f) {
        const Vector3f radial(std::cos(angle), 0.0f, std::sin(angle));
        EXPECT_NEAR(Crossing(torus, radial * c, radial, 0.0f, 1.0f), r, 0.01f);
        EXPECT_NEAR(Crossing(torus, radial * c, -radial, 0.0f, 0.99f), r, 0.01f);
        EXPECT_NEAR(Crossing(torus, radial * c, Vector3f(0, 1, 0), 0.0f, 1.0f), r, 0.01f);
    }
    EXPECT_EQ(torus.Value(0, 0, 0), 0.0f);  // the hole
    torus.SetRadius(2.0f);                  // scales tube and ring together
    EXPECT_NEAR(Crossing(torus, Vector3f(0, 0, 2 * c), Vector3f(0, 0, 1), 0.0f, 2.0f), 2 * r, 0.02f);
    ExpectAllConventions(torus, "torus");
}

TEST(DiscreteRevolution, EvaluationModesChooseTheRevolvedHalf)
{
    DiscreteScalarField2D centred = MakeDisc(0.5f);
    DiscreteScalarField2D left = MakeDisc(0.25f, -0.8f, 0.1f);
    DiscreteRevolution rev(&centred, TiltedFrame());
    EXPECT_FALSE(rev.SetEvaluationMode(4));
    EXPECT_FALSE(rev.SetEvaluationMode(-1));
    for (int mode : {0, 1, 2, 3}) {
        ASSERT_TRUE(rev.SetEvaluationMode(mode));
        rev.SetSweepTemplate(&centred);
        // A centred disc turns into a ball whatever half is used.
        const Vector3f centre = TiltedFrame().Origin();
        const Vector3f dir = TiltedFrame().GetAxis(2);
        EXPECT_NEAR(Crossing(rev, centre, dir, 0.0f, 2.0f), 0.5f * 1.1f, 0.01f) << mode;
        ExpectAllConventions(rev, "ball, mode " + std::to_string(mode));
    }
    // A disc left of the axis exists only for the modes that read that half.
    rev.SetFrame(Wml::Frame3<float>());
    rev.SetSweepTemplate(&left);
    Wml::AxisAlignedBox3<float> box;
    rev.SetEvaluationMode(DiscreteRevolution::RightHalf);
    rev.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(rev.Value(0.8f, 0.1f, 0.0f), 0.0f);
    for (int mode : {0, 2}) {
        rev.SetEvaluationMode(mode);
        EXPECT_GT(rev.Value(0.0f, 0.1f, 0.8f), 0.9f) << mode;
        ExpectAllConventions(rev, "left torus, mode " + std::to_string(mode));
    }
    rev.SetEvaluationMode(DiscreteRevolution::Average);
    EXPECT_NEAR(rev.Value(0.8f, 0.1f, 0.0f), 0.5f, 1e-3f);  // half of the full value

    // Union of two different halves: creases only where they cross.
    DiscreteScalarField2D twoSided(128, 128, Wml::AxisAlignedBox2<float>(-1.5f, 1.5f, -1.5f, 1.5f));
    for (unsigned j = 0; j < 128; ++j)
        for (unsigned i = 0; i < 128; ++i) {
            const Wml::Vector2<float> p = twoSided.GetSamplePosition(i, j);
            const float a =
                Falloff((p - Wml::Vector2<float>(0.5f, 0.0f)).Length() * FALLOFF_SURFACE_RADIUS / 0.3f);
            const float b =
                Falloff((p - Wml::Vector2<float>(-0.4f, 0.3f)).Length() * FALLOFF_SURFACE_RADIUS / 0.2f);
            twoSided.SetValue(i, j, std::max(a, b));
        }
    rev.SetSweepTemplate(&twoSided);
    rev.SetEvaluationMode(DiscreteRevolution::Union);
    ExpectAllConventions(rev, "two-sided union", 0.02f);
    rev.SetEvaluationMode(DiscreteRevolution::Average);
    ExpectAllConventions(rev, "two-sided average");
}

// ---- Curve sweeps -----------------------------------------------------------

TEST(CurveSweep, StraightBezierEqualsLinearSweep)
{
    const float H = 0.6f;
    DiscreteScalarField2D square = MakeSquare(0.3f);
    DiscreteLinearSweep linear(&square, TiltedFrame(), H);
    linear.SetFalloffLength(0.2f);
    const Vector3f cubicPoints[4] = {Vector3f(0, 0, -H), Vector3f(0, 0, -H / 3), Vector3f(0, 0, H / 3),
                                     Vector3f(0, 0, H)};
    const Vector3f quadPoints[3] = {Vector3f(0, 0, -H), Vector3f(0, 0, 0), Vector3f(0, 0, H)};
    CubicBezierSweep cubic(cubicPoints);
    QuadraticBezierSweep quadratic(quadPoints);
    for (CurveSweep* curve : {static_cast<CurveSweep*>(&cubic), static_cast<CurveSweep*>(&quadratic)}) {
        curve->SetSweepTemplate(&square);
        curve->SetFrame(TiltedFrame());
        curve->SetFalloffLength(0.2f);
        EXPECT_NEAR(curve->GetLength(), 2 * H, 1e-4f);
        for (int style : {0, 1, 2})
            for (int mode : {0, 1}) {
                linear.SetCapStyle(style);
                curve->SetCapStyle(style);
                curve->SetEvaluationMode(mode);
                Wml::AxisAlignedBox3<float> box;
                linear.FieldBounds(box);
                std::mt19937 rng(11);
                float worst = 0.0f;
                for (int k = 0; k < 1500; ++k) {
                    const Vector3f p = fieldchecks::RandomPoint(box, rng);
                    worst = std::max(worst, std::fabs(curve->Value(p) - linear.Value(p)));
                }
                EXPECT_LT(worst, 2e-3f) << "style " << style << " mode " << mode;
            }
    }
}

TEST(CurveSweep, CurvedSweepsKeepTheFieldConventions)
{
    DiscreteScalarField2D disc = MakeDisc(0.08f);
    DiscreteScalarField2D square = MakeSquare(0.07f);
    const Vector3f cubicPoints[4] = {Vector3f(0, 0, 0), Vector3f(0.6f, 0.1f, 0.3f),
                                     Vector3f(0.5f, 0.8f, 0.7f), Vector3f(-0.2f, 0.6f, 1.0f)};
    const Vector3f quadPoints[3] = {Vector3f(0, 0, 0), Vector3f(0.7f, 0.2f, 0.4f),
                                    Vector3f(0.3f, 0.9f, 0.8f)};
    CubicBezierSweep cubic(cubicPoints);
    QuadraticBezierSweep quadratic(quadPoints);
    for (CurveSweep* curve : {static_cast<CurveSweep*>(&cubic), static_cast<CurveSweep*>(&quadratic)}) {
        curve->SetFrame(TiltedFrame());
        curve->SetFalloffLength(0.15f);
        curve->SetStartRotation(30.0f);
        for (int style : {0, 1, 2})
            for (int mode : {0, 1}) {
                curve->SetCapStyle(style);
                curve->SetEvaluationMode(mode);
                curve->SetSweepTemplate(style == 1 ? &disc : &square);
                const std::string name = std::to_string(curve->GetNumControlPoints()) + " points, cap " +
                                         std::to_string(style) + ", mode " + std::to_string(mode);
                // Sharp rims and the polyline's bends leave a few creases.
                ExpectAllConventions(*curve, name, style == 2 || mode == 1 ? 0.02f : 0.0f);
            }
        // Near the ends the axial distance runs along the arc.
        curve->SetCapStyle(0);
        curve->SetEvaluationMode(0);
        curve->SetSweepTemplate(&disc);
        ExpectGradientNear(*curve, curve->GetPosition(0.03f), 0.12f, "start");
        ExpectGradientNear(*curve, curve->GetPosition(0.97f), 0.12f, "end");
    }
}

TEST(CurveSweep, ControlPointsPositionsAndStartRotation)
{
    CubicBezierSweep cubic;
    QuadraticBezierSweep quadratic;
    EXPECT_EQ(cubic.GetNumControlPoints(), 4u);
    EXPECT_EQ(quadratic.GetNumControlPoints(), 3u);
    EXPECT_FALSE(quadratic.SetControlPoint(3, Vector3f(1, 1, 1)));
    EXPECT_FALSE(cubic.SetControlPoint(1, Vector3f(NaN, 0, 0)));
    EXPECT_EQ(quadratic.GetControlPoint(3), Vector3f::ZERO);
    EXPECT_TRUE(cubic.SetControlPoint(3, Vector3f(1, 0, 1)));
    EXPECT_EQ(cubic.GetControlPoint(3), Vector3f(1, 0, 1));

    Wml::Frame3<float> moved(Vector3f(5, 0, 0));
    cubic.SetFrame(moved);
    EXPECT_LT((cubic.GetPosition(0.0f) - Vector3f(5, 0, 0)).Length(), 1e-6f);
    EXPECT_LT((cubic.GetPosition(1.0f) - Vector3f(6, 0, 1)).Length(), 1e-5f);
    EXPECT_LT((cubic.GetPosition(7.0f) - Vector3f(6, 0, 1)).Length(), 1e-5f);
    EXPECT_LT((cubic.GetPosition(NaN) - Vector3f(5, 0, 0)).Length(), 1e-6f);

    // An ellipse wide along x; rolling the start by 90 degrees turns it.
    DiscreteScalarField2D ellipse(96, 96, Wml::AxisAlignedBox2<float>(-1, 1, -1, 1));
    for (unsigned j = 0; j < 96; ++j)
        for (unsigned i = 0; i < 96; ++i) {
            const Wml::Vector2<float> p = ellipse.GetSamplePosition(i, j);
            ellipse.SetValue(i, j, Falloff(std::hypot(p.X() / 0.4f, p.Y() / 0.2f) * FALLOFF_SURFACE_RADIUS));
        }
    QuadraticBezierSweep straight;  // along +z from 0 to 1
    straight.SetSweepTemplate(&ellipse);
    const Vector3f mid(0, 0, 0.5f);
    EXPECT_NEAR(Crossing(straight, mid, Vector3f(1, 0, 0), 0.0f, 1.0f), 0.4f, 0.01f);
    straight.SetStartRotation(450.0f);
    EXPECT_FLOAT_EQ(straight.GetStartRotation(), 90.0f);
    EXPECT_NEAR(Crossing(straight, mid, Vector3f(1, 0, 0), 0.0f, 1.0f), 0.2f, 0.01f);
    EXPECT_NEAR(Crossing(straight, mid, Vector3f(0, 1, 0), 0.0f, 1.0f), 0.4f, 0.01f);
    straight.SetStartRotation(NaN);
    EXPECT_FLOAT_EQ(straight.GetStartRotation(), 90.0f);
    EXPECT_FALSE(straight.SetEvaluationMode(2));

    // No template, or a curve collapsed to a point: nothing, and no NaN.
    QuadraticBezierSweep empty;
    Wml::AxisAlignedBox3<float> box;
    empty.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(empty.Value(0, 0, 0.5f), 0.0f);
    for (unsigned i = 0; i < 3; ++i) straight.SetControlPoint(i, Vector3f(0, 0, 0));
    for (float x : {0.0f, 0.05f, 0.3f}) {
        float gx, gy, gz, v;
        straight.Gradient(x, 0.01f, 0.02f, gx, gy, gz, &v);
        EXPECT_FALSE(std::isnan(v) || std::isnan(gx) || std::isnan(gy) || std::isnan(gz));
        EXPECT_LE(v, 1.0f);
    }
}

// ---- Interpolating sweep ------------------------------------------------------

TEST(InterpolatingLinearSweep, MorphsBetweenSlices)
{
    const float r1 = 0.2f, r2 = 0.5f;
    DiscreteScalarField2D small = MakeDisc(r1), large = MakeDisc(r2);
    // The morph runs from z = 0 to 1; the outer slices keep the ends away.
    InterpolatingLinearSweep sweep;
    ASSERT_TRUE(sweep.AddSlice(&large, 2.0f));
    ASSERT_TRUE(sweep.AddSlice(&small, 0.0f));
    ASSERT_TRUE(sweep.AddSlice(&large, 1.0f));
    ASSERT_TRUE(sweep.AddSlice(&small, -1.0f));
    EXPECT_FLOAT_EQ(sweep.GetLength(), 3.0f);
    for (int mode : {0, 1, 2}) {
        ASSERT_TRUE(sweep.SetBlendMode(mode));
        // The slices' own outlines at their planes, something in between mid-way.
        EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 0.0f), Vector3f(1, 0, 0), 0.0f, 1.0f), r1, 0.01f);
        EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 1.0f), Vector3f(1, 0, 0), 0.0f, 1.0f), r2, 0.01f);
        const float mid = Crossing(sweep, Vector3f(0, 0, 0.5f), Vector3f(0, 1, 0), 0.0f, 1.0f);
        EXPECT_GT(mid, r1 + 0.05f) << mode;
        EXPECT_LT(mid, r2 - 0.05f) << mode;
        // Wider and wider going up.
        EXPECT_LT(Crossing(sweep, Vector3f(0, 0, 0.25f), Vector3f(1, 0, 0), 0.0f, 1.0f), mid);
        EXPECT_GT(Crossing(sweep, Vector3f(0, 0, 0.75f), Vector3f(1, 0, 0), 0.0f, 1.0f), mid);
    }

    // Offsets slide the cross-section: two equal discs, the upper one moved.
    DiscreteScalarField2D disc = MakeDisc(0.3f);
    InterpolatingLinearSweep shifted;
    shifted.AddSlice(&disc, -0.5f, 0.0f, 0.0f);
    shifted.AddSlice(&disc, 0.5f, 0.6f, 0.0f);
    const float right = Crossing(shifted, Vector3f(0.3f, 0, 0), Vector3f(1, 0, 0), 0.0f, 1.0f);
    const float leftSide = Crossing(shifted, Vector3f(0.3f, 0, 0), Vector3f(-1, 0, 0), 0.0f, 1.0f);
    EXPECT_NEAR(right, 0.3f, 0.01f);
    EXPECT_NEAR(leftSide, 0.3f, 0.01f);
}

TEST(InterpolatingLinearSweep, SlicesLengthAndRefusals)
{
    DiscreteScalarField2D a = MakeDisc(0.3f), b = MakeDisc(0.4f);
    InterpolatingLinearSweep sweep;
    Wml::AxisAlignedBox3<float> box;
    sweep.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(sweep.Value(0, 0, 0), 0.0f);
    EXPECT_FALSE(sweep.AddSlice(nullptr, 0.0f));
    EXPECT_FALSE(sweep.AddSlice(&a, NaN));

    // A single slice is extruded about z = 0 over the sweep's length.
    ASSERT_TRUE(sweep.AddSlice(&a, 3.0f, 0.1f, 0.2f));
    sweep.SetLength(0.8f);
    EXPECT_NEAR(Crossing(sweep, Vector3f(0.1f, 0.2f, 0), Vector3f(0, 0, 1), 0.0f, 2.0f), 0.4f, 0.005f);

    ASSERT_TRUE(sweep.AddSlice(&b, 1.0f));
    ASSERT_TRUE(sweep.AddSlice(&a, 2.0f, -0.1f, 0.0f));
    EXPECT_FLOAT_EQ(sweep.GetLength(), 2.0f);
    sweep.SetLength(4.0f);  // positions scale about the middle, 2
    EXPECT_FLOAT_EQ(sweep.GetSlicePosition(0), 4.0f);
    EXPECT_FLOAT_EQ(sweep.GetSlicePosition(1), 0.0f);
    EXPECT_FLOAT_EQ(sweep.GetSlicePosition(2), 2.0f);
    float x, y;
    EXPECT_TRUE(sweep.GetSliceOffset(0, x, y));
    EXPECT_EQ(x, 0.1f);
    EXPECT_EQ(y, 0.2f);
    EXPECT_FALSE(sweep.GetSliceOffset(9, x, y));
    EXPECT_FALSE(sweep.SetSlicePosition(9, 0, 0, 0));
    EXPECT_FALSE(sweep.SetSlicePosition(0, 1.0f, NaN, 0));
    EXPECT_TRUE(sweep.SetSlicePosition(1, 5.0f, 0.0f, 0.0f));  // now the top slice
    EXPECT_FLOAT_EQ(sweep.GetLength(), 3.0f);
    sweep.FieldBounds(box);
    EXPECT_LE(box.Min(2), 2.0f);
    EXPECT_GE(box.Max(2), 5.0f);
    EXPECT_NEAR(Crossing(sweep, Vector3f(0, 0, 4.9f), Vector3f(0, 0, 1), 0.0f, 1.0f), 0.1f, 0.005f);

    Wml::Polygon2<float> square;
    for (auto v : {Wml::Vector2<float>(0, 0), Wml::Vector2<float>(1, 0), Wml::Vector2<float>(1, 1)})
        square.AddVertex(v);
    EXPECT_TRUE(sweep.SetSlicePolygons(2, {square}));
    EXPECT_EQ(sweep.GetSlicePolygons(2).size(), 1u);
    EXPECT_TRUE(sweep.GetSlicePolygons(0).empty());
    EXPECT_TRUE(sweep.GetSlicePolygons(7).empty());
    EXPECT_FALSE(sweep.SetBlendMode(3));
    EXPECT_FALSE(sweep.SetSliceTemplate(0, nullptr));
    sweep.SetLength(NaN);
    EXPECT_FLOAT_EQ(sweep.GetLength(), 3.0f);
    EXPECT_TRUE(sweep.RemoveSlice(1));
    EXPECT_FALSE(sweep.RemoveSlice(5));
    EXPECT_EQ(sweep.GetNumSlices(), 2u);
}

TEST(InterpolatingLinearSweep, EveryBlendModeKeepsTheFieldConventions)
{
    DiscreteScalarField2D a = MakeDisc(0.3f), b = MakeSquare(0.35f), c = MakeDisc(0.2f, 0.1f, 0.0f);
    InterpolatingLinearSweep sweep;
    sweep.SetFrame(TiltedFrame());
    sweep.AddSlice(&a, 0.0f);
    sweep.AddSlice(&b, 0.5f, 0.1f, -0.05f);
    sweep.AddSlice(&c, 1.2f, -0.1f, 0.1f);
    sweep.SetFalloffLength(0.2f);
    for (int mode : {0, 1, 2})
        for (int style : {0, 1}) {
            sweep.SetBlendMode(mode);
            sweep.SetCapStyle(style);
            // Linear blending creases at the slice planes.
            ExpectAllConventions(sweep, "blend " + std::to_string(mode) + ", cap " + std::to_string(style),
                                 mode == 0 ? 0.02f : 0.0f);
        }
}

// ---- MultiSweep -----------------------------------------------------------------

TEST(MultiSweep, JoinsStackedSweepsWithoutSeam)
{
    DiscreteScalarField2D lower = MakeDisc(0.5f), upper = MakeDisc(0.3f);
    // Two pucks sharing the face z = 0.
    DiscreteLinearSweep a(&lower, Wml::Frame3<float>(Vector3f(0, 0, -0.3f)), 0.3f);
    DiscreteLinearSweep b(&upper, Wml::Frame3<float>(Vector3f(0, 0, 0.3f)), 0.3f);
    MultiSweep stack;
    EXPECT_EQ(stack.Value(0, 0, 0), 0.0f);
    ASSERT_TRUE(stack.AddChild(&a));
    ASSERT_TRUE(stack.AddChild(&b));

    EXPECT_NEAR(a.Value(0, 0, 0), 0.5f, 1e-3f);
    EXPECT_GT(stack.Value(0, 0, 0), 0.55f);                                      // the shared face is solid
    EXPECT_NEAR(stack.Value(0.35f, 0, -0.4f), a.Value(0.35f, 0, -0.4f), 1e-6f);  // away from the joint
    EXPECT_GT(stack.Value(0.35f, 0, 0.05f), b.Value(0.35f, 0, 0.05f));           // a fillet at the step
    Wml::AxisAlignedBox3<float> box, ba, bb;
    stack.FieldBounds(box);
    a.FieldBounds(ba);
    b.FieldBounds(bb);
    EXPECT_EQ(box.Min(2), ba.Min(2));
    EXPECT_EQ(box.Max(2), bb.Max(2));
    ExpectAllConventions(stack, "stack");

    stack.SetBlendPower(NaN);
    EXPECT_EQ(stack.GetBlendPower(), 4.0f);
    stack.SetBlendPower(1000.0f);
    EXPECT_EQ(stack.GetBlendPower(), MultiSweep::MAX_POWER);
    EXPECT_LT(stack.Value(0, 0, 0), 0.51f);  // nearly a plain union
    // Deep inside, overlapping children saturate at 1 without overshoot.
    MultiSweep twice;
    DiscreteLinearSweep a2 = a;
    twice.AddChild(&a);
    twice.AddChild(&a2);
    EXPECT_NEAR(twice.Value(0, 0, -0.3f), 1.0f, 1e-3f);
    ExpectAllConventions(twice, "overlap");
    ExpectGradientNear(twice, Vector3f(0, 0, -0.3f), 0.4f, "overlap core");
}

// Seeds of a sampled template are kept between calls: they must follow the
// samples when those are changed in place, as a sketch edit does.
TEST(DiscreteLinearSweep, KeptSeedsFollowTheTemplatesSamples)
{
    DiscreteScalarField2D disc = MakeDisc(0.3f, -0.4f, 0.0f);
    DynDiscreteScalarField2D sketched;
    static_cast<DiscreteScalarField2D&>(sketched) = disc;
    for (DiscreteScalarField2D* profile : {&disc, static_cast<DiscreteScalarField2D*>(&sketched)}) {
        SCOPED_TRACE(profile->GetTypeName());
        DiscreteLinearSweep sweep(profile, Wml::Frame3<float>(), 0.4f);
        auto seedsAt = [&](float radius) {
            std::vector<Wml::Vector3<float>> seeds;
            sweep.GetSeedPoints(seeds);
            EXPECT_FALSE(seeds.empty());
            for (const Wml::Vector3<float>& s : seeds) {
                EXPECT_NEAR(std::hypot(s.X() + 0.4f, s.Y()), radius, 0.02f);
                EXPECT_NEAR(sweep.Value(s), 0.5f, 0.02f);
            }
            return seeds;
        };
        const std::vector<Wml::Vector3<float>> before = seedsAt(0.3f);
        // The samples rewritten in place: a smaller disc.
        const size_t n = size_t(profile->GetWidth()) * profile->GetHeight();
        const std::vector<float> original(profile->GetData(), profile->GetData() + n);
        for (unsigned j = 0; j < profile->GetHeight(); ++j)
            for (unsigned i = 0; i < profile->GetWidth(); ++i) {
                const Wml::Vector2<float> p =
                    profile->GetSamplePosition(i, j) - Wml::Vector2<float>(-0.4f, 0.0f);
                profile->GetData()[size_t(j) * profile->GetWidth() + i] =
                    Falloff(p.Length() * FALLOFF_SURFACE_RADIUS / 0.2f);
            }
        seedsAt(0.2f);
        std::copy(original.begin(), original.end(), profile->GetData());
        EXPECT_EQ(seedsAt(0.3f), before);
    }
}

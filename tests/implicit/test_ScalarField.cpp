// The operations every field inherits: intersection, convergence to the
// surface, higher derivatives and curvature, checked on an analytic ball.

#include <gtest/gtest.h>

#include "implicit/CompositionOperator.h"
#include "implicit/Falloff.h"
#include "tests/support/FieldChecks.h"

using namespace vynimplicit;
using Wml::Vector3f;

namespace {

/// Soft ball of support radius R at c; uses the base class's numeric gradient.
class Ball : public ScalarField {
public:
    Ball(const Vector3f& c, float R) : m_c(c), m_R(R) {}
    float Value(float x, float y, float z) override
    {
        return Falloff((Vector3f(x, y, z) - m_c).Length() / m_R);
    }
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override
    {
        box = Wml::AxisAlignedBox3<float>(m_c.X() - m_R, m_c.X() + m_R, m_c.Y() - m_R, m_c.Y() + m_R,
                                          m_c.Z() - m_R, m_c.Z() + m_R);
    }
    void GetSeedPoints(std::vector<Vector3f>& points) override
    {
        points.push_back(m_c + Vector3f(m_R * FALLOFF_SURFACE_RADIUS, 0, 0));
    }
    float SurfaceRadius() const { return m_R * FALLOFF_SURFACE_RADIUS; }

private:
    Vector3f m_c;
    float m_R;
};

/// Sum of children, enough to test the child list of the base operator.
class Sum : public CompositionOperator {
public:
    float Value(float x, float y, float z) override
    {
        float s = 0;
        for (ScalarField* c : m_children) s += c->Value(x, y, z);
        return std::min(s, 1.0f);
    }
};

}  // namespace

TEST(Falloff, ShapeAndInverse)
{
    EXPECT_FLOAT_EQ(Falloff(0.0f), 1.0f);
    EXPECT_NEAR(Falloff(FALLOFF_SURFACE_RADIUS), 0.5f, 1e-6f);
    EXPECT_EQ(Falloff(1.0f), 0.0f);
    EXPECT_EQ(Falloff(3.0f), 0.0f);
    for (float r = 0.05f; r < 1.0f; r += 0.1f) {
        EXPECT_NEAR(FalloffInverse(Falloff(r)), r, 1e-4f);
        const float h = 1e-3f;
        EXPECT_NEAR(FalloffDerivative(r), (Falloff(r + h) - Falloff(r - h)) / (2 * h), 1e-4f);
        EXPECT_NEAR(FalloffSquaredDerivative(r * r) * 2 * r, FalloffDerivative(r), 1e-5f);
    }
    EXPECT_EQ(FalloffInverse(0.0f), 1.0f);
    EXPECT_EQ(FalloffInverse(1.0f), 0.0f);
}

TEST(ScalarField, BaseConventionsOnABall)
{
    Ball ball(Vector3f(0.3f, -0.2f, 1.0f), 2.0f);
    fieldchecks::ExpectFieldConventions(ball, "ball");
    fieldchecks::ExpectSeedsNearSurface(ball, "ball");
}

TEST(ScalarField, FindIntersectionHitsTheSurface)
{
    Ball ball(Vector3f(0, 0, 0), 2.0f);
    const float rs = ball.SurfaceRadius();
    Vector3f hit;
    // From outside, along -x towards the centre.
    ASSERT_TRUE(ball.FindIntersection(Vector3f(5, 0, 0), Vector3f(-3, 0, 0), hit, nullptr, 0.0f, 0.5f, 10));
    EXPECT_NEAR(hit.X(), rs, 1e-3f);
    EXPECT_NEAR(std::fabs(hit.Y()) + std::fabs(hit.Z()), 0.0f, 1e-5f);
    // Oblique ray with an explicit box and step.
    Wml::AxisAlignedBox3<float> box(-3, 3, -3, 3, -3, 3);
    ASSERT_TRUE(ball.FindIntersection(Vector3f(-4, 0.3f, -4), Vector3f(1, 0, 1), hit, &box, 0.01f, 0.5f, 12));
    EXPECT_NEAR(hit.Length(), rs, 1e-3f);
    EXPECT_LT(hit.X(), 0.0f);
    // Higher iso value: a smaller sphere.
    ASSERT_TRUE(ball.FindIntersection(Vector3f(0, 5, 0), Vector3f(0, -1, 0), hit, nullptr, 0.0f, 0.9f, 12));
    EXPECT_NEAR(hit.Y(), 2.0f * FalloffInverse(0.9f), 1e-3f);
    // Misses: pointing away, passing beside, zero direction, NaN start.
    Vector3f untouched(7, 7, 7);
    hit = untouched;
    EXPECT_FALSE(ball.FindIntersection(Vector3f(5, 0, 0), Vector3f(1, 0, 0), hit, nullptr, 0, 0.5f, 10));
    EXPECT_FALSE(ball.FindIntersection(Vector3f(5, 1.5f, 0), Vector3f(-1, 0, 0), hit, nullptr, 0, 0.5f, 10));
    EXPECT_FALSE(ball.FindIntersection(Vector3f(5, 0, 0), Vector3f(0, 0, 0), hit, nullptr, 0, 0.5f, 10));
    EXPECT_FALSE(ball.FindIntersection(Vector3f(NAN, 0, 0), Vector3f(1, 0, 0), hit, nullptr, 0, 0.5f, 10));
    EXPECT_EQ(hit, untouched);
    // Starting inside answers the start point.
    ASSERT_TRUE(ball.FindIntersection(Vector3f(0.1f, 0, 0), Vector3f(1, 0, 0), hit, nullptr, 0, 0.5f, 10));
    EXPECT_NEAR((hit - Vector3f(0.1f, 0, 0)).Length(), 0.0f, 1e-6f);
}

TEST(ScalarField, ConvergenceAndCurvature)
{
    Ball ball(Vector3f(1, 2, 3), 1.5f);
    const float rs = ball.SurfaceRadius();
    Vector3f p(1.4f, 2.1f, 3.2f);
    ASSERT_TRUE(ball.IsoValueConverge(p, 0.5f, 20, 1e-5f));
    EXPECT_NEAR((p - Vector3f(1, 2, 3)).Length(), rs, 1e-3f);
    // At the centre the gradient vanishes: no direction to move in.
    Vector3f centre(1, 2, 3);
    EXPECT_FALSE(ball.IsoValueConverge(centre, 0.5f, 20, 1e-5f));
    EXPECT_EQ(centre, Vector3f(1, 2, 3));

    float k1, k2;
    Vector3f d1, d2;
    ASSERT_TRUE(ball.PrincipalCurvatures(1 + rs, 2, 3, k1, k2, &d1, &d2));
    EXPECT_NEAR(k1, 1.0f / rs, 0.05f / rs);
    EXPECT_NEAR(k2, 1.0f / rs, 0.05f / rs);
    EXPECT_NEAR(d1.Dot(Vector3f::UNIT_X), 0.0f, 1e-3f);  // tangent to the sphere
    EXPECT_NEAR(d1.Dot(d2), 0.0f, 1e-3f);
    EXPECT_FALSE(ball.PrincipalCurvatures(1, 2, 3, k1, k2, nullptr, nullptr));
    EXPECT_EQ(k1, 0.0f);

    // Hessian of w(|p|/R) on the x axis: radial entry w''/R^2, tangential w'/(R r).
    Wml::Matrix3<float> h;
    const float r = 0.6f;
    ball.SecondDerivatives(1 + r, 2, 3, h);
    const float R = 1.5f, s = r / R, eps = 1e-3f;
    const float w2 = (Falloff(s + eps) - 2 * Falloff(s) + Falloff(s - eps)) / (eps * eps) / (R * R);
    EXPECT_NEAR(h(0, 0), w2, 0.05f * std::fabs(w2) + 0.02f);
    const float tangential = FalloffDerivative(s) / (R * r);
    EXPECT_NEAR(h(1, 1), tangential, 0.03f * std::fabs(tangential));
    EXPECT_NEAR(h(0, 1), 0.0f, 0.02f);
    float third[10];
    ball.ThirdDerivatives(1 + r, 2, 3, third);
    for (float t : third) EXPECT_TRUE(std::isfinite(t));
}

TEST(CompositionOperator, ChildListBoundsAndSeeds)
{
    Ball a(Vector3f(0, 0, 0), 1), b(Vector3f(3, 0, 0), 1), c(Vector3f(0, 5, 0), 1);
    Sum sum;
    Wml::AxisAlignedBox3<float> box;
    sum.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_TRUE(sum.AddChild(&a, -1));
    EXPECT_TRUE(sum.AddChild(&b, -1));
    EXPECT_TRUE(sum.AddChild(&c, 0));    // inserted first
    EXPECT_FALSE(sum.AddChild(&b, -1));  // already a child
    EXPECT_FALSE(sum.AddChild(nullptr, -1));
    ASSERT_EQ(sum.GetNumChildren(), 3u);
    EXPECT_EQ(sum.GetChild(0), &c);
    EXPECT_EQ(sum.GetChild(2), &b);
    EXPECT_EQ(sum.GetChild(3), nullptr);
    sum.FieldBounds(box);
    EXPECT_EQ(box, Wml::AxisAlignedBox3<float>(-1, 4, -1, 6, -1, 1));
    std::vector<Vector3f> seeds;
    sum.GetSeedPoints(seeds);
    EXPECT_EQ(seeds.size(), 3u);
    EXPECT_TRUE(sum.RemoveChild(&c));
    EXPECT_FALSE(sum.RemoveChild(&c));
    EXPECT_EQ(sum.GetChild(0), &a);
    sum.ClearChildren();
    EXPECT_EQ(sum.GetNumChildren(), 0u);
}

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "wml/Frame3.h"

using Wml::Frame3;
using Wml::Matrix3;
using Wml::Vector3;

namespace {

template <class Real>
::testing::AssertionResult Near(const Vector3<Real>& a, const Vector3<Real>& b, double tol)
{
    for (int i = 0; i < 3; ++i)
        if (!(std::fabs(double(a[i]) - double(b[i])) <= tol))
            return ::testing::AssertionFailure() << "(" << a[0] << ", " << a[1] << ", " << a[2] << ") vs ("
                                                 << b[0] << ", " << b[1] << ", " << b[2] << ")";
    return ::testing::AssertionSuccess();
}

template <class Real>
bool AllFinite(const Vector3<Real>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

template <class Real>
void ExpectOrthonormalRightHanded(const Frame3<Real>& f, double tol)
{
    EXPECT_NEAR(f.X().Length(), 1.0, tol);
    EXPECT_NEAR(f.Y().Length(), 1.0, tol);
    EXPECT_NEAR(f.Z().Length(), 1.0, tol);
    EXPECT_NEAR(f.X().Dot(f.Y()), 0.0, tol);
    EXPECT_NEAR(f.X().Dot(f.Z()), 0.0, tol);
    EXPECT_NEAR(f.Y().Dot(f.Z()), 0.0, tol);
    EXPECT_TRUE(Near(f.X().Cross(f.Y()), f.Z(), tol));
}

template <class Real>
struct Random {
    std::mt19937 gen{12345};
    Real Uniform(Real lo, Real hi) { return std::uniform_real_distribution<Real>(lo, hi)(gen); }
    Vector3<Real> Point(Real r) { return Vector3<Real>(Uniform(-r, r), Uniform(-r, r), Uniform(-r, r)); }
    Matrix3<Real> Rotation()
    {
        Matrix3<Real> m;
        const Real pi = Wml::Math<Real>::PI;
        m.FromEulerAnglesXYZ(Uniform(-pi, pi), Uniform(-pi, pi), Uniform(-pi, pi));
        return m;
    }
    Frame3<Real> Frame(bool withScale)
    {
        Frame3<Real> f(Point(Real(10)), Rotation());
        if (withScale) f.SetScale(Vector3<Real>(Uniform(0.2f, 3), Uniform(0.2f, 3), Uniform(0.2f, 3)));
        return f;
    }
};

}  // namespace

TEST(Frame3, RowsOfTheRotationAreTheAxes)
{
    Frame3<float> def;
    EXPECT_EQ(def.Origin(), Vector3<float>::ZERO);
    EXPECT_EQ(def.Scale(), Vector3<float>(1, 1, 1));
    EXPECT_EQ(def.GetRotation(), Matrix3<float>::IDENTITY);
    EXPECT_TRUE(def.IsValid());

    // A frame turned 90 degrees about Z: x -> +Y, y -> -X.
    Vector3<float> o(1, 2, 3), x(0, 1, 0), y(-1, 0, 0), z(0, 0, 1);
    Frame3<float> f(o, x, y, z);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.GetRotation().GetRow(i), f.GetAxis(i));
    EXPECT_EQ(f.Y(), y);
    EXPECT_EQ(f.GetLocalToWorldRotation().GetColumn(0), x);
    EXPECT_EQ(f.GetLocalToWorldRotation().GetColumn(1), y);

    // A rectangle with half-extents (2, 0.5): its corner is o + 2 row0 + 0.5 row1.
    f.SetScale(Vector3<float>(2, 0.5f, 1));
    EXPECT_TRUE(Near(f.ToWorldPoint(Vector3<float>(1, 1, 0)), o + x * 2.0f + y * 0.5f, 1e-6));
    EXPECT_TRUE(Near(f.ToLocalPoint(o + x * 2.0f), Vector3<float>(1, 0, 0), 1e-6));
    // The rotation maps world directions onto local ones; the inverse back.
    EXPECT_TRUE(Near(f.GetRotation() * x, Vector3<float>(1, 0, 0), 1e-6));
    EXPECT_TRUE(Near(f.GetInverseRotation() * Vector3<float>(1, 0, 0), x, 1e-6));
    EXPECT_TRUE(Near(f.GetLocalToWorldRotation() * Vector3<float>(0, 1, 0), y, 1e-6));
    EXPECT_TRUE(Near(f.GetWorldToLocalRotation() * y, Vector3<float>(0, 1, 0), 1e-6));

    // Out-of-range axis indices are clamped rather than read out of bounds.
    EXPECT_EQ(f.GetAxis(-3), x);
    EXPECT_EQ(f.GetAxis(7), z);

    Frame3<float> n = Frame3<float>::FromOriginAndNormal(o, Vector3<float>(0, 0, -4));
    EXPECT_EQ(n.Origin(), o);
    EXPECT_TRUE(Near(n.Z(), Vector3<float>(0, 0, -1), 1e-6));
    ExpectOrthonormalRightHanded(n, 1e-6);
}

TEST(Frame3, WorldLocalRoundTrips)
{
    Random<float> rnd;
    for (int k = 0; k < 200; ++k) {
        Frame3<float> f = rnd.Frame(true);
        Vector3<float> q = rnd.Point(5), p = rnd.Point(20), v = rnd.Point(3);
        EXPECT_TRUE(Near(f.ToLocalPoint(f.ToWorldPoint(q)), q, 2e-4));
        EXPECT_TRUE(Near(f.ToWorldPoint(f.ToLocalPoint(p)), p, 2e-4));
        EXPECT_TRUE(Near(f.ToLocalVector(f.ToWorldVector(v)), v, 1e-5));
        EXPECT_TRUE(Near(f.ToLocalVectorScaled(f.ToWorldVectorScaled(v)), v, 1e-4));
        // Rotation-only vectors keep their length; points follow the axes.
        EXPECT_NEAR(f.ToWorldVector(v).Length(), v.Length(), 1e-5);
        Vector3<float> s = f.Scale();
        Vector3<float> expected =
            f.Origin() + f.X() * (s[0] * q[0]) + f.Y() * (s[1] * q[1]) + f.Z() * (s[2] * q[2]);
        EXPECT_TRUE(Near(f.ToWorldPoint(q), expected, 1e-4));
        EXPECT_TRUE(Near(f.ToWorldPoint(q) - f.Origin(), f.ToWorldVectorScaled(q), 1e-4));
    }

    Random<double> rd;
    for (int k = 0; k < 50; ++k) {
        Frame3<double> f = rd.Frame(true);
        Vector3<double> q = rd.Point(5);
        EXPECT_TRUE(Near(f.ToLocalPoint(f.ToWorldPoint(q)), q, 1e-12));
    }

    // Sheared axes (before ReNormalize) still round-trip exactly.
    Frame3<double> sheared(Vector3<double>(1, 0, 0), Vector3<double>(1, 0.3, 0), Vector3<double>(0.2, 1, 0.1),
                           Vector3<double>(0, 0.4, 2));
    sheared.SetScale(Vector3<double>(2, 3, 0.5));
    Vector3<double> q(0.3, -1.2, 4);
    EXPECT_TRUE(Near(sheared.ToLocalPoint(sheared.ToWorldPoint(q)), q, 1e-12));
    EXPECT_TRUE(Near(sheared.ToLocalVector(sheared.ToWorldVector(q)), q, 1e-12));

    // A flattened axis cannot be recovered: 0 there, no NaN, and the point
    // maps back to its projection onto the flat plane.
    Frame3<float> flat(Vector3<float>(1, 1, 1));
    flat.SetScale(Vector3<float>(2, 0, 1));
    Vector3<float> local = flat.ToLocalPoint(Vector3<float>(3, 5, 2));
    EXPECT_TRUE(Near(local, Vector3<float>(1, 0, 1), 1e-6));
    EXPECT_TRUE(Near(flat.ToWorldPoint(local), Vector3<float>(3, 1, 2), 1e-6));
    EXPECT_TRUE(AllFinite(flat.ToLocalVectorScaled(Vector3<float>(0, 1, 0))));
}

TEST(Frame3, RotateRelativeAndAbsolute)
{
    Random<float> rnd;
    for (int k = 0; k < 50; ++k) {
        Frame3<float> f = rnd.Frame(true);
        Frame3<float> before = f;
        Matrix3<float> m = rnd.Rotation();
        f.Rotate(m, true);
        // Each axis is turned by m in world space; origin and scale stay.
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(Near(f.GetAxis(i), m * before.GetAxis(i), 1e-5));
        EXPECT_EQ(f.Origin(), before.Origin());
        EXPECT_EQ(f.Scale(), before.Scale());
        // So every placed point turns about the origin.
        Vector3<float> q = rnd.Point(2);
        EXPECT_TRUE(
            Near(f.ToWorldPoint(q), m * (before.ToWorldPoint(q) - before.Origin()) + before.Origin(), 1e-4));

        // Two relative turns compose as m2 * m1.
        Matrix3<float> m2 = rnd.Rotation();
        Frame3<float> seq = before, once = before;
        seq.Rotate(m, true);
        seq.Rotate(m2, true);
        once.Rotate(m2 * m, true);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(Near(seq.GetAxis(i), once.GetAxis(i), 1e-5));

        // Absolute: the given matrix becomes the rotation, whatever was there.
        Frame3<float> abs = before;
        abs.Rotate(m, false);
        EXPECT_EQ(abs.GetRotation(), m);
        Frame3<float> set = before;
        set.SetRotation(m, true);
        EXPECT_EQ(set.GetRotation(), m);
        EXPECT_TRUE(Near(set.GetInverseRotation() * Vector3<float>(0, 1, 0), m.GetRow(1), 1e-5));
        set.SetRotation(m, false);
        EXPECT_TRUE(Near(set.GetInverseRotation() * Vector3<float>(0, 0, 1), m.GetRow(2), 1e-5));

        // Turning about a centre moves the origin around it as well.
        Vector3<float> c = rnd.Point(5);
        Frame3<float> about = before;
        about.RotateAbout(m, c);
        EXPECT_TRUE(Near(about.ToWorldPoint(q), m * (before.ToWorldPoint(q) - c) + c, 1e-4));
    }

    // A concrete case to pin the sense: a quarter turn about Z takes x to y.
    Frame3<float> f;
    f.Rotate(Matrix3<float>(Vector3<float>::UNIT_Z, Wml::Mathf::HALF_PI), true);
    EXPECT_TRUE(Near(f.X(), Vector3<float>(0, 1, 0), 1e-6));
    EXPECT_TRUE(Near(f.Y(), Vector3<float>(-1, 0, 0), 1e-6));
    EXPECT_TRUE(Near(f.ToWorldPoint(Vector3<float>(1, 0, 0)), Vector3<float>(0, 1, 0), 1e-6));
}

TEST(Frame3, AlignmentMatrixMapsOneFrameOntoTheOther)
{
    Random<float> rnd;
    for (int k = 0; k < 100; ++k) {
        Frame3<float> a = rnd.Frame(true), b = rnd.Frame(true);
        Matrix3<float> m;
        a.ComputeAlignmentMatrix(b, m);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(Near(m * a.GetAxis(i), b.GetAxis(i), 1e-5));
        EXPECT_NEAR(m.Determinant(), 1.0, 1e-5);
        EXPECT_TRUE(Near(m.Transpose() * (m * Vector3<float>(1, 2, 3)), Vector3<float>(1, 2, 3), 1e-4));
        Frame3<float> turned = a;
        turned.Rotate(m, true);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(Near(turned.GetAxis(i), b.GetAxis(i), 1e-5));

        // An absolute rotation expressed as a relative one.
        Matrix3<float> wanted = rnd.Rotation();
        Frame3<float> goal = a;
        goal.SetRotation(wanted, true);
        a.ComputeAlignmentMatrix(goal, m);
        Frame3<float> c = a;
        c.Rotate(m, true);
        for (int r = 0; r < 3; ++r) EXPECT_TRUE(Near(c.GetRotation().GetRow(r), wanted.GetRow(r), 1e-5));
    }
    // Same frame: identity.
    Frame3<float> f = rnd.Frame(false);
    Matrix3<float> m;
    f.ComputeAlignmentMatrix(f, m);
    for (int r = 0; r < 3; ++r) EXPECT_TRUE(Near(m.GetRow(r), Matrix3<float>::IDENTITY.GetRow(r), 1e-5));
}

TEST(Frame3, ReNormalize)
{
    Random<float> rnd;
    for (int k = 0; k < 100; ++k) {
        Frame3<float> f = rnd.Frame(true);
        Frame3<float> original = f;
        f.SetAxes(f.X() + rnd.Point(0.01f), f.Y() * 1.02f + rnd.Point(0.01f), f.Z() + rnd.Point(0.01f));
        EXPECT_TRUE(f.ReNormalize());
        ExpectOrthonormalRightHanded(f, 1e-5);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(Near(f.GetAxis(i), original.GetAxis(i), 0.05));
        EXPECT_EQ(f.Origin(), original.Origin());
        EXPECT_EQ(f.Scale(), original.Scale());
        EXPECT_TRUE(Near(f.GetInverseRotation() * Vector3<float>(1, 0, 0), f.X(), 1e-5));
    }

    // The camera-facing construction: z toward the viewer, x from up x z.
    Vector3<float> z(0.3f, -0.2f, 0.9f);
    z.Normalize();
    Vector3<float> x = Vector3<float>(0, 1, 0).UnitCross(z);
    Vector3<float> y = z.UnitCross(x);
    Frame3<float> facing;
    facing.SetFrame(Vector3<float>(1, 2, 3), x, y, z);
    facing.ReNormalize();
    EXPECT_TRUE(Near(facing.Z(), z, 1e-6));
    EXPECT_TRUE(Near(facing.X(), x, 1e-6));

    // Left-handed input comes back right-handed, x and y kept.
    Frame3<float> left(Vector3<float>::ZERO, Vector3<float>(1, 0, 0), Vector3<float>(0, 1, 0),
                       Vector3<float>(0, 0, -1));
    EXPECT_TRUE(left.ReNormalize());
    EXPECT_TRUE(Near(left.Z(), Vector3<float>(0, 0, 1), 1e-6));

    // A missing x axis is rebuilt from y and z.
    Frame3<float> noX(Vector3<float>::ZERO, Vector3<float>::ZERO, Vector3<float>(0, 2, 0),
                      Vector3<float>(0, 0, 3));
    EXPECT_TRUE(noX.ReNormalize());
    EXPECT_TRUE(Near(noX.X(), Vector3<float>(1, 0, 0), 1e-6));
    ExpectOrthonormalRightHanded(noX, 1e-6);

    // y parallel to x: y comes from z.
    Frame3<float> parallel(Vector3<float>::ZERO, Vector3<float>(1, 0, 0), Vector3<float>(3, 0, 0),
                           Vector3<float>(0, 0, 1));
    EXPECT_TRUE(parallel.ReNormalize());
    EXPECT_TRUE(Near(parallel.Y(), Vector3<float>(0, 1, 0), 1e-6));

    // Only z usable.
    Frame3<float> onlyZ(Vector3<float>::ZERO, Vector3<float>::ZERO, Vector3<float>::ZERO,
                        Vector3<float>(0, 5, 0));
    EXPECT_TRUE(onlyZ.ReNormalize());
    EXPECT_TRUE(Near(onlyZ.Z(), Vector3<float>(0, 1, 0), 1e-6));
    ExpectOrthonormalRightHanded(onlyZ, 1e-6);

    // Nothing usable, NaN included: world axes and false, never NaN.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Frame3<float> broken(Vector3<float>::ZERO, Vector3<float>(nan, 0, 0), Vector3<float>::ZERO,
                         Vector3<float>::ZERO);
    EXPECT_FALSE(broken.IsValid());
    EXPECT_FALSE(broken.ReNormalize());
    EXPECT_EQ(broken.GetRotation(), Matrix3<float>::IDENTITY);
    EXPECT_TRUE(broken.IsValid());
}

TEST(Frame3, AlignZAxis)
{
    Random<float> rnd;
    for (int k = 0; k < 100; ++k) {
        Frame3<float> f = rnd.Frame(true);
        Frame3<float> before = f;
        Vector3<float> v = rnd.Point(3);
        Vector3<float> unit = v;
        if (unit.Normalize() < 0.1f) continue;
        EXPECT_TRUE(f.AlignZAxis(v));
        EXPECT_TRUE(Near(f.Z(), unit, 1e-5));
        ExpectOrthonormalRightHanded(f, 1e-5);
        EXPECT_EQ(f.Origin(), before.Origin());
        // Minimal: the turn is exactly the angle between old z and v.
        Matrix3<float> m;
        before.ComputeAlignmentMatrix(f, m);
        Vector3<float> axis;
        float angle;
        m.ToAxisAngle(axis, angle);
        EXPECT_NEAR(angle, Wml::Mathf::ACos(before.Z().Dot(unit)), 2e-3);
        if (angle > 1e-2f) {
            EXPECT_NEAR(axis.Dot(before.Z()), 0.0, 1e-3);
        }
    }

    // Opposite direction: half turn about the frame's own x axis.
    Frame3<float> f(Vector3<float>(1, 1, 1), rnd.Rotation());
    Frame3<float> before = f;
    EXPECT_TRUE(f.AlignZAxis(-before.Z() * 2.0f));
    EXPECT_TRUE(Near(f.Z(), -before.Z(), 1e-5));
    EXPECT_TRUE(Near(f.X(), before.X(), 1e-5));
    EXPECT_TRUE(Near(f.Y(), -before.Y(), 1e-5));

    // Nearly opposite still lands on v.
    Frame3<float> g;
    Vector3<float> almost(1e-4f, 0, -1);
    EXPECT_TRUE(g.AlignZAxis(almost));
    almost.Normalize();
    EXPECT_TRUE(Near(g.Z(), almost, 1e-6));
    ExpectOrthonormalRightHanded(g, 1e-6);

    // Already aligned, zero and NaN directions change nothing.
    Frame3<float> h(Vector3<float>(0, 0, 0), rnd.Rotation());
    Frame3<float> copy = h;
    EXPECT_TRUE(h.AlignZAxis(h.Z() * 3.0f));
    EXPECT_TRUE(Near(h.X(), copy.X(), 1e-6));
    EXPECT_FALSE(h.AlignZAxis(Vector3<float>::ZERO));
    EXPECT_FALSE(h.AlignZAxis(Vector3<float>(std::numeric_limits<float>::quiet_NaN(), 0, 1)));
    EXPECT_TRUE(Near(h.Z(), copy.Z(), 1e-6));
    EXPECT_TRUE(h.IsValid());
}

TEST(Frame3, GLMatrixAndNormals)
{
    Random<float> rnd;
    for (int k = 0; k < 50; ++k) {
        Frame3<float> f = rnd.Frame(true);
        float m[16];
        double md[16];
        f.GetGLMatrix(m);
        f.GetGLMatrix(md);
        EXPECT_EQ(m[3], 0.0f);
        EXPECT_EQ(m[7], 0.0f);
        EXPECT_EQ(m[11], 0.0f);
        EXPECT_EQ(m[15], 1.0f);
        Vector3<float> q = rnd.Point(4);
        Vector3<float> p(m[0] * q[0] + m[4] * q[1] + m[8] * q[2] + m[12],
                         m[1] * q[0] + m[5] * q[1] + m[9] * q[2] + m[13],
                         m[2] * q[0] + m[6] * q[1] + m[10] * q[2] + m[14]);
        EXPECT_TRUE(Near(p, f.ToWorldPoint(q), 1e-4));
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(md[i], m[i], 1e-5);

        // Normals stay perpendicular to transformed tangents and keep their side.
        Vector3<float> n = rnd.Point(1), t;
        if (n.Normalize() < 0.1f) continue;
        Vector3<float> u, w;
        Vector3<float>::GenerateOrthonormalBasis(u, w, n);
        Vector3<float> wn = f.ToWorldNormal(n);
        EXPECT_NEAR(wn.Length(), 1.0, 1e-5);
        EXPECT_NEAR(wn.Dot(f.ToWorldVectorScaled(u)), 0.0, 1e-4);
        EXPECT_NEAR(wn.Dot(f.ToWorldVectorScaled(w)), 0.0, 1e-4);
        EXPECT_GT(wn.Dot(f.ToWorldVectorScaled(n)), 0.0f);
    }

    // A mirrored axis keeps the normal on the outside.
    Frame3<float> mirror;
    mirror.SetScale(Vector3<float>(-1, 1, 1));
    EXPECT_TRUE(Near(mirror.ToWorldNormal(Vector3<float>(1, 0, 0)), Vector3<float>(-1, 0, 0), 1e-6));
    // A flattened frame gives finite normals: the flat plane's normal or zero.
    Frame3<float> flat;
    flat.SetScale(Vector3<float>(1, 1, 0));
    EXPECT_TRUE(Near(flat.ToWorldNormal(Vector3<float>(0.6f, 0, 0.8f)), Vector3<float>(0, 0, 1), 1e-6));
    flat.SetScale(Vector3<float>(1, 0, 0));
    EXPECT_EQ(flat.ToWorldNormal(Vector3<float>(1, 0, 0)), Vector3<float>::ZERO);
}

TEST(Frame3, ValidityAndEquality)
{
    Frame3<float> a(Vector3<float>(1, 2, 3));
    Frame3<float> b = a;
    EXPECT_TRUE(a == b);
    b.Scale()[1] = 2.0f;
    EXPECT_TRUE(a != b);

    EXPECT_TRUE(a.IsValid());
    Frame3<float> zeroScale = a;
    zeroScale.SetScale(Vector3<float>(1, 0, 1));
    EXPECT_FALSE(zeroScale.IsValid());
    Frame3<float> nanOrigin = a;
    nanOrigin.SetOrigin(Vector3<float>(std::numeric_limits<float>::infinity(), 0, 0));
    EXPECT_FALSE(nanOrigin.IsValid());
    Frame3<float> flat(Vector3<float>::ZERO, Vector3<float>(1, 0, 0), Vector3<float>(0, 1, 0),
                       Vector3<float>(1, 1, 0));
    EXPECT_FALSE(flat.IsValid());
    // Singular axes: the inverse falls back to a finite matrix.
    Vector3<float> local = flat.ToLocalPoint(Vector3<float>(1, 2, 3));
    EXPECT_TRUE(AllFinite(local));
}

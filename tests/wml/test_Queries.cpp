// Distance, intersection and containment queries, and quaternions. Most
// checks compare against brute force: dense sampling gives an upper bound on
// a minimum distance and, with the sample spacing, a lower bound too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "wml/Box2.h"
#include "wml/Containment.h"
#include "wml/Distance.h"
#include "wml/Intersection.h"
#include "wml/Quaternion.h"

using namespace Wml;

namespace {

template <class Real>
struct Rng {
    std::mt19937 gen{12345u};
    Real Uniform(Real lo, Real hi) { return std::uniform_real_distribution<double>(lo, hi)(gen); }
    Vector2<Real> V2(Real r = 5) { return Vector2<Real>(Uniform(-r, r), Uniform(-r, r)); }
    Vector3<Real> V3(Real r = 5) { return Vector3<Real>(Uniform(-r, r), Uniform(-r, r), Uniform(-r, r)); }
    Box2<Real> RandomBox()
    {
        Real a = Uniform(0, Real(6.283));
        Vector2<Real> a0(std::cos(a), std::sin(a));
        return Box2<Real>(V2(3), a0, Vector2<Real>(-a0.Y(), a0.X()), Uniform(0, 3), Uniform(0, 2));
    }
};

// Minimum of f over n + 1 evenly spaced t in [lo, hi].
template <class Real, class F>
Real SampleMin(Real lo, Real hi, int n, F f)
{
    Real best = std::numeric_limits<Real>::max();
    for (int i = 0; i <= n; ++i) best = std::min(best, f(lo + (hi - lo) * Real(i) / Real(n)));
    return best;
}

// Checks sqrt(sq) against a sampled minimum distance with spacing error gap.
#define EXPECT_NEAR_SAMPLED(sq, sampled, gap, tol)        \
    do {                                                  \
        double got_ = std::sqrt(double(sq));              \
        EXPECT_LE(got_, double(sampled) + (tol));         \
        EXPECT_GE(got_, double(sampled) - (gap) - (tol)); \
    } while (0)

template <class Real>
void CheckDistancesAgainstSampling(Real tol)
{
    Rng<Real> rng;
    const int n = 400;
    for (int iter = 0; iter < 150; ++iter) {
        // Every tenth segment collapses to a point.
        bool point = iter % 10 == 0;
        Vector2<Real> p2 = rng.V2(8);
        Segment2<Real> s2(rng.V2(), point ? Vector2<Real>::ZERO : rng.V2());
        Real t = -1;
        Real d = SqrDistance(p2, s2, &t);
        ASSERT_TRUE(t >= 0 && t <= 1);
        EXPECT_NEAR(d, (p2 - s2.PointAt(t)).SquaredLength(), tol * (1 + d));
        Real ref = SampleMin<Real>(0, 1, n, [&](Real u) { return (p2 - s2.PointAt(u)).Length(); });
        EXPECT_NEAR_SAMPLED(d, ref, 0.5 * s2.Direction().Length() / n, tol);

        Vector3<Real> p3 = rng.V3(8);
        Segment3<Real> s3(rng.V3(), point ? Vector3<Real>::ZERO : rng.V3());
        d = SqrDistance(p3, s3, &t);
        ASSERT_TRUE(t >= 0 && t <= 1);
        ref = SampleMin<Real>(0, 1, n, [&](Real u) { return (p3 - s3.PointAt(u)).Length(); });
        EXPECT_NEAR_SAMPLED(d, ref, 0.5 * s3.Direction().Length() / n, tol);

        Ray3<Real> ray(rng.V3(), point ? Vector3<Real>::ZERO : rng.V3());
        d = SqrDistance(p3, ray, &t);
        ASSERT_GE(t, 0);
        EXPECT_NEAR(d, (p3 - ray.PointAt(t)).SquaredLength(), tol * (1 + d));
        Real dl = ray.Direction().Length();
        Real reach = dl > 0 ? 2 * (p3 - ray.Origin()).Length() / dl + 1 : 0;
        ref = SampleMin<Real>(0, reach, 4 * n, [&](Real u) { return (p3 - ray.PointAt(u)).Length(); });
        EXPECT_NEAR_SAMPLED(d, ref, 0.5 * reach * dl / (4 * n), tol);

        // Solid oriented box: sample a grid over it; points inside read 0.
        Box2<Real> box = rng.RandomBox();
        ref = std::numeric_limits<Real>::max();
        const int g = 120;
        for (int i = 0; i <= g; ++i)
            for (int j = 0; j <= g; ++j) {
                Vector2<Real> q = box.Center() + box.Axis(0) * (box.Extent(0) * Real(2 * i - g) / g) +
                                  box.Axis(1) * (box.Extent(1) * Real(2 * j - g) / g);
                ref = std::min(ref, (p2 - q).Length());
            }
        Real gap = std::sqrt(box.Extent(0) * box.Extent(0) + box.Extent(1) * box.Extent(1)) / g;
        EXPECT_NEAR_SAMPLED(SqrDistance(p2, box), ref, gap, tol);
        Vector2<Real> inside = box.Center() + box.Axis(0) * (box.Extent(0) * rng.Uniform(-1, 1)) +
                               box.Axis(1) * (box.Extent(1) * rng.Uniform(-1, 1) * Real(0.99));
        EXPECT_LE(SqrDistance(inside, box), tol);

        // Axis-aligned boxes, 2D and 3D.
        Vector3<Real> lo = rng.V3(3), size(rng.Uniform(0, 3), rng.Uniform(0, 3), rng.Uniform(0, 3));
        AxisAlignedBox3<Real> ab(lo, lo + size);
        AxisAlignedBox2<Real> ab2(lo.X(), lo.X() + size.X(), lo.Y(), lo.Y() + size.Y());
        Real ref2 = std::numeric_limits<Real>::max(), ref3 = ref2;
        const int h = 30;
        for (int i = 0; i <= h; ++i)
            for (int j = 0; j <= h; ++j) {
                Vector2<Real> q2(lo.X() + size.X() * i / h, lo.Y() + size.Y() * j / h);
                ref2 = std::min(ref2, (p2 - q2).Length());
                for (int k = 0; k <= h; ++k) {
                    Vector3<Real> q3 =
                        lo + Vector3<Real>(size.X() * i / h, size.Y() * j / h, size.Z() * k / h);
                    ref3 = std::min(ref3, (p3 - q3).Length());
                }
            }
        EXPECT_NEAR_SAMPLED(SqrDistance(p2, ab2), ref2, 0.5 * Vector2<Real>(size.X(), size.Y()).Length() / h,
                            tol);
        EXPECT_NEAR_SAMPLED(SqrDistance(p3, ab), ref3, 0.5 * size.Length() / h, tol);
        EXPECT_EQ(SqrDistance(lo + size * Real(0.5), ab), 0);
    }
    EXPECT_EQ(SqrDistance(Vector2<Real>(1, 1), AxisAlignedBox2<Real>()), Math<Real>::MAX_REAL);
    EXPECT_EQ(SqrDistance(Vector3<Real>(1, 1, 1), AxisAlignedBox3<Real>()), Math<Real>::MAX_REAL);
    // Results never silently look valid for NaN input.
    Real nan = std::numeric_limits<Real>::quiet_NaN();
    EXPECT_TRUE(std::isnan(SqrDistance(Vector2<Real>(nan, 0), Box2<Real>())));
    EXPECT_TRUE(std::isnan(SqrDistance(Vector2<Real>(0, 0), Segment2<Real>(Vector2<Real>(nan, 0), {1, 1}))));
    Segment3<Real> ok({0, 0, 0}, {1, 0, 0}), bad({0, 1, 0}, {nan, 0, 0});
    EXPECT_TRUE(std::isnan(SqrDistance(ok, bad)));
    EXPECT_TRUE(std::isnan(SqrDistance(bad, ok)));
}

template <class Real>
void CheckSegmentSegmentDistance(Real tol)
{
    Rng<Real> rng;
    const int n = 300;
    for (int iter = 0; iter < 120; ++iter) {
        Segment3<Real> a(rng.V3(), rng.V3()), b(rng.V3(), rng.V3());
        if (iter % 6 == 1) b.Direction() = a.Direction() * rng.Uniform(-2, 2);  // parallel
        if (iter % 6 == 2) b.Direction() = a.Direction() + rng.V3(Real(1e-3));  // nearly parallel
        if (iter % 6 == 3) a.Direction() = Vector3<Real>::ZERO;
        if (iter % 6 == 4) b.Origin() = a.PointAt(Real(0.5)) - b.Direction() * Real(0.3);  // touching
        Real ta = -1, tb = -1;
        Real d = SqrDistance(a, b, &ta, &tb);
        ASSERT_TRUE(ta >= 0 && ta <= 1 && tb >= 0 && tb <= 1);
        EXPECT_NEAR(d, (a.PointAt(ta) - b.PointAt(tb)).SquaredLength(), tol * (1 + d));
        Real ref = SampleMin<Real>(0, 1, n, [&](Real u) {
            return SampleMin<Real>(0, 1, n, [&](Real v) { return (a.PointAt(u) - b.PointAt(v)).Length(); });
        });
        EXPECT_NEAR_SAMPLED(d, ref, 0.5 * (a.Direction().Length() + b.Direction().Length()) / n, tol);
        // Symmetric in its arguments.
        EXPECT_NEAR(d, SqrDistance(b, a), tol * (1 + d));

        // The same segments flattened to 2D.
        Segment2<Real> a2({a.Origin().X(), a.Origin().Y()}, {a.Direction().X(), a.Direction().Y()});
        Segment2<Real> b2({b.Origin().X(), b.Origin().Y()}, {b.Direction().X(), b.Direction().Y()});
        d = SqrDistance(a2, b2, &ta, &tb);
        ASSERT_TRUE(ta >= 0 && ta <= 1 && tb >= 0 && tb <= 1);
        EXPECT_NEAR(d, (a2.PointAt(ta) - b2.PointAt(tb)).SquaredLength(), tol * (1 + d));
        ref = SampleMin<Real>(0, 1, n, [&](Real u) {
            return SampleMin<Real>(0, 1, n, [&](Real v) { return (a2.PointAt(u) - b2.PointAt(v)).Length(); });
        });
        EXPECT_NEAR_SAMPLED(d, ref, 0.5 * (a2.Direction().Length() + b2.Direction().Length()) / n, tol);
    }
    // A proper 2D crossing is exactly zero, with the crossing parameters.
    Real ta, tb;
    Segment2<Real> h({-1, 0}, {4, 0}), v({0.5, -2}, {0, 4});
    EXPECT_EQ(SqrDistance(h, v, &ta, &tb), 0);
    EXPECT_NEAR(ta, 0.375, tol);
    EXPECT_NEAR(tb, 0.5, tol);
    // Skew 3D lines: closest pair in the interiors.
    Segment3<Real> x({-1, 0, 0}, {2, 0, 0}), y({0, -1, 1}, {0, 2, 0});
    EXPECT_NEAR(SqrDistance(x, y, &ta, &tb), 1, tol);
    EXPECT_NEAR(ta, 0.5, tol);
    EXPECT_NEAR(tb, 0.5, tol);
    // Two points.
    EXPECT_NEAR(SqrDistance(Segment3<Real>({1, 2, 3}, {0, 0, 0}), Segment3<Real>({1, 2, 5}, {0, 0, 0})), 4,
                tol);
}

}  // namespace

TEST(Queries, DistancesMatchSampling)
{
    CheckDistancesAgainstSampling<double>(1e-9);
    CheckDistancesAgainstSampling<float>(2e-4f);
}

TEST(Queries, SegmentSegmentDistance)
{
    CheckSegmentSegmentDistance<double>(1e-9);
    CheckSegmentSegmentDistance<float>(2e-4f);
}

namespace {

double RotationAngleBetween(const Quaterniond& p, const Quaterniond& q)
{
    Vector3d axis;
    double angle;
    (p.Conjugate() * q).ToAxisAngle(axis, angle);
    return angle;
}

void ExpectMatrixNear(const Matrix3d& a, const Matrix3d& b, double tol)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(a(r, c), b(r, c), tol) << r << "," << c;
}

}  // namespace

TEST(Queries, Quaternion)
{
    Rng<double> rng;
    for (int iter = 0; iter < 200; ++iter) {
        Vector3d axis = rng.V3(1);
        axis.Normalize();
        // Cover the trace <= 0 branches with angles near pi.
        double angle = iter % 4 == 0 ? Mathd::PI - rng.Uniform(0, 1e-3) : rng.Uniform(0, Mathd::PI);
        Quaterniond q(axis, angle);
        Matrix3d m(axis, angle);
        ExpectMatrixNear(q.ToRotationMatrix(), m, 1e-12);

        Quaterniond back(m);
        EXPECT_NEAR(std::fabs(back.Dot(q)), 1, 1e-12);  // q and -q are the same rotation
        Vector3d axisBack;
        double angleBack;
        back.ToAxisAngle(axisBack, angleBack);
        EXPECT_NEAR(angleBack, angle, 1e-7);
        if (angle > 1e-6) {
            EXPECT_NEAR(axisBack.Dot(axis), 1, 1e-7);
        }

        Vector3d v = rng.V3();
        Vector3d rv = q.Rotate(v), mv = m * v;
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(rv[i], mv[i], 1e-12);

        // p * q rotates by q first.
        Quaterniond p(rng.V3(1), rng.Uniform(-3, 3));
        ExpectMatrixNear((p * q).ToRotationMatrix(), p.ToRotationMatrix() * m, 1e-12);
        Quaterniond scaled = q * 3.0;
        Quaterniond one = scaled * scaled.Inverse();
        EXPECT_NEAR(one.W(), 1, 1e-12);
        EXPECT_NEAR(Vector3d(one.X(), one.Y(), one.Z()).Length(), 0, 1e-12);
        EXPECT_NEAR(scaled.Normalize(), 3, 1e-12);
        EXPECT_NEAR(scaled.Length(), 1, 1e-12);

        // Slerp: end points, halfway angle, shortest arc.
        Quaterniond s0 = Slerp(0.0, p, q), s1 = Slerp(1.0, p, q), sh = Slerp(0.5, p, q);
        EXPECT_NEAR(std::fabs(s0.Dot(p)), 1, 1e-12);
        EXPECT_NEAR(std::fabs(s1.Dot(q)), 1, 1e-12);
        double whole = RotationAngleBetween(p, q);
        EXPECT_NEAR(RotationAngleBetween(p, sh), 0.5 * whole, 1e-9);
        EXPECT_NEAR(RotationAngleBetween(sh, q), 0.5 * whole, 1e-9);
        EXPECT_NEAR(sh.Length(), 1, 1e-12);
        Quaterniond shFlipped = Slerp(0.5, p, -q);
        EXPECT_NEAR(std::fabs(shFlipped.Dot(sh)), 1, 1e-12);
        double third = RotationAngleBetween(p, Slerp(1.0 / 3.0, p, q));
        EXPECT_NEAR(third, whole / 3.0, 1e-9);
    }
    // Nearly equal inputs take the linear path and stay unit length.
    Quaterniond a(Vector3d(0, 0, 1), 0.3), b(Vector3d(0, 0, 1), 0.3 + 1e-9);
    Quaterniond mid = Slerp(0.5, a, b);
    EXPECT_NEAR(mid.Length(), 1, 1e-12);
    EXPECT_NEAR(RotationAngleBetween(a, mid), 0.5e-9, 1e-12);
    Quaternionf fa(Vector3f(1, 0, 0), 1.0f);
    Quaternionf fmid = Slerp(0.5f, fa, fa);
    EXPECT_NEAR(fmid.Dot(fa), 1, 1e-6f);

    // Degenerate input gives the identity or zero, never NaN.
    Quaterniond z = Quaterniond::ZERO;
    EXPECT_EQ(z.Normalize(), 0);
    EXPECT_EQ(z, Quaterniond::IDENTITY);
    EXPECT_EQ(Quaterniond::ZERO.Inverse(), Quaterniond::ZERO);
    EXPECT_EQ(Quaterniond(Vector3d::ZERO, 1.0), Quaterniond::IDENTITY);
    Vector3d ax;
    double an;
    Quaterniond::IDENTITY.ToAxisAngle(ax, an);
    EXPECT_EQ(an, 0);
    EXPECT_EQ(ax, Vector3d::UNIT_X);
    // Half turn about y from the matrix (trace = -1).
    Quaterniond half(Matrix3d(-1, 0, 0, 0, 1, 0, 0, 0, -1));
    EXPECT_NEAR(std::fabs(half.Y()), 1, 1e-12);
}

namespace {

// Clipped parameter range of a segment inside a box, by dense sampling.
bool SampledClip(const Segment2d& s, const Box2d& box, int n, double& lo, double& hi)
{
    lo = 2;
    hi = -1;
    for (int i = 0; i <= n; ++i) {
        double t = double(i) / n;
        if (Contained(box, s.PointAt(t))) {
            lo = std::min(lo, t);
            hi = std::max(hi, t);
        }
    }
    return hi >= lo;
}

// Contacts with rotated boxes, where every coordinate is rounded: a segment
// through a corner, perpendicular to the diagonal, touches at one point; a
// box edge taken as a segment lies along the side; slightly outside misses.
template <class Real>
void CheckCornerAndSideContacts()
{
    Rng<Real> rng;
    Vector2<Real> pts[2];
    int q;
    for (int iter = 0; iter < 50; ++iter) {
        Box2<Real> box = rng.RandomBox();
        box.Extent(0) = rng.Uniform(Real(0.5), 3);
        box.Extent(1) = rng.Uniform(Real(0.5), 3);
        Vector2<Real> v[4];
        box.ComputeVertices(v);
        EXPECT_GT((v[1] - v[0]).Kross(v[2] - v[1]), 0);  // counter-clockwise
        for (int c = 0; c < 4; ++c) {
            Vector2<Real> out = (v[c] - box.Center()).Perp();
            ASSERT_TRUE(FindIntersection(Segment2<Real>::FromEndPoints(v[c] - out, v[c] + out), box, q, pts));
            EXPECT_EQ(q, 1);
            EXPECT_NEAR((pts[0] - v[c]).Length(), 0, Real(1e-4));
            Vector2<Real> away = (v[c] - box.Center()) * Real(0.01);
            EXPECT_FALSE(FindIntersection(Segment2<Real>::FromEndPoints(v[c] - out + away, v[c] + out + away),
                                          box, q, pts));

            ASSERT_TRUE(FindIntersection(Segment2<Real>::FromEndPoints(v[c], v[(c + 1) % 4]), box, q, pts));
            EXPECT_EQ(q, 2);
            EXPECT_NEAR((pts[0] - v[c]).Length(), 0, Real(1e-4));
            EXPECT_NEAR((pts[1] - v[(c + 1) % 4]).Length(), 0, Real(1e-4));
        }
    }
}

}  // namespace

TEST(Queries, SegmentBoxIntersection)
{
    Box2d square(Vector2d(0, 0), Vector2d::UNIT_X, Vector2d::UNIT_Y, 1, 1);
    Vector2d pts[2];
    int q = -1;

    auto run = [&](Vector2d a, Vector2d b) {
        q = -1;
        bool hit = FindIntersection(Segment2d::FromEndPoints(a, b), square, q, pts);
        EXPECT_EQ(hit, q > 0);
        return q;
    };
    auto expectPoint = [](const Vector2d& p, double x, double y) {
        EXPECT_NEAR(p.X(), x, 1e-12);
        EXPECT_NEAR(p.Y(), y, 1e-12);
    };
    // Crossing: enters and leaves, in the segment's direction.
    ASSERT_EQ(run({-3, 0.5}, {3, 0.5}), 2);
    expectPoint(pts[0], -1, 0.5);
    expectPoint(pts[1], 1, 0.5);
    // Entirely inside: the segment's own ends.
    ASSERT_EQ(run({-0.5, 0.2}, {0.3, -0.7}), 2);
    expectPoint(pts[0], -0.5, 0.2);
    expectPoint(pts[1], 0.3, -0.7);
    // One end inside.
    ASSERT_EQ(run({0, 0}, {0, 5}), 2);
    expectPoint(pts[1], 0, 1);
    // Lying along an edge: the shared piece.
    ASSERT_EQ(run({-3, 1}, {0, 1}), 2);
    expectPoint(pts[0], -1, 1);
    expectPoint(pts[1], 0, 1);
    // Touching a corner, and an end resting on a side: one point.
    ASSERT_EQ(run({0, 2}, {2, 0}), 1);
    expectPoint(pts[0], 1, 1);
    ASSERT_EQ(run({0.2, 3}, {0.2, 1}), 1);
    expectPoint(pts[0], 0.2, 1);
    // Missing, also just past a corner and parallel outside.
    EXPECT_EQ(run({0, 2.01}, {2.01, 0}), 0);
    EXPECT_EQ(run({-3, 1.5}, {3, 1.5}), 0);
    EXPECT_EQ(run({2, 2}, {5, -1}), 0);
    // Zero-length segments.
    ASSERT_EQ(run({0.5, 0.5}, {0.5, 0.5}), 1);
    expectPoint(pts[0], 0.5, 0.5);
    EXPECT_EQ(run({1.5, 0.5}, {1.5, 0.5}), 0);
    EXPECT_EQ(run({std::nan(""), 0}, {0, 0}), 0);

    CheckCornerAndSideContacts<double>();
    CheckCornerAndSideContacts<float>();

    Rng<double> rng;
    // Random segments against random boxes, checked by sampling.
    const int n = 4000;
    for (int iter = 0; iter < 300; ++iter) {
        Box2d box = rng.RandomBox();
        Segment2d s(rng.V2(), rng.V2(4));
        double lo, hi;
        bool sampled = SampledClip(s, box, n, lo, hi);
        bool hit = FindIntersection(s, box, q, pts);
        double len = s.Direction().Length();
        if (sampled) {
            ASSERT_TRUE(hit);
            ASSERT_EQ(q, 2);
            EXPECT_NEAR((pts[0] - s.PointAt(lo)).Length(), 0, len / n + 1e-9);
            EXPECT_NEAR((pts[1] - s.PointAt(hi)).Length(), 0, len / n + 1e-9);
        }
        if (hit) {
            // Reported points lie on the segment and in the box.
            for (int i = 0; i < q; ++i) {
                EXPECT_NEAR(SqrDistance(pts[i], s), 0, 1e-18);
                EXPECT_LE(SqrDistance(pts[i], box), 1e-18);
            }
        }
    }
}

TEST(Queries, SegmentSegmentIntersection)
{
    Vector2d p;
    double ta = -1, tb = -1;
    auto seg = [](double x0, double y0, double x1, double y1) {
        return Segment2d::FromEndPoints(Vector2d(x0, y0), Vector2d(x1, y1));
    };
    // Crossing.
    ASSERT_TRUE(FindIntersection(seg(0, 0, 2, 2), seg(0, 2, 2, 0), p, &ta, &tb));
    EXPECT_NEAR(p.X(), 1, 1e-12);
    EXPECT_NEAR(p.Y(), 1, 1e-12);
    EXPECT_NEAR(ta, 0.5, 1e-12);
    EXPECT_NEAR(tb, 0.5, 1e-12);
    // Lines cross, segments do not.
    EXPECT_FALSE(FindIntersection(seg(0, 0, 2, 2), seg(3, 0, 2.1, 0.9), p));
    // Parallel, apart.
    EXPECT_FALSE(FindIntersection(seg(0, 0, 2, 0), seg(0, 1, 2, 1), p));
    // Touching: T junction and end to end.
    ASSERT_TRUE(FindIntersection(seg(0, 0, 4, 0), seg(1, 3, 1, 0), p, &ta, &tb));
    EXPECT_EQ(p, Vector2d(1, 0));
    EXPECT_NEAR(ta, 0.25, 1e-12);
    EXPECT_EQ(tb, 1);
    ASSERT_TRUE(FindIntersection(seg(0, 0, 1, 1), seg(1, 1, 3, 0), p, &ta, &tb));
    EXPECT_EQ(p, Vector2d(1, 1));
    EXPECT_EQ(ta, 1);
    EXPECT_EQ(tb, 0);
    // Collinear overlap: the start of the shared piece along a.
    ASSERT_TRUE(FindIntersection(seg(0, 0, 4, 0), seg(5, 0, 2, 0), p, &ta, &tb));
    EXPECT_EQ(p, Vector2d(2, 0));
    EXPECT_NEAR(ta, 0.5, 1e-12);
    EXPECT_NEAR(tb, 1, 1e-12);
    ASSERT_TRUE(FindIntersection(seg(0, 0, 4, 0), seg(3, 0, 1, 0), p, &ta, &tb));
    EXPECT_EQ(p, Vector2d(1, 0));
    EXPECT_NEAR(ta, 0.25, 1e-12);
    EXPECT_EQ(tb, 1);
    ASSERT_TRUE(FindIntersection(seg(1, 0, 3, 0), seg(0, 0, 4, 0), p, &ta, &tb));
    EXPECT_EQ(p, Vector2d(1, 0));
    EXPECT_EQ(ta, 0);
    EXPECT_NEAR(tb, 0.25, 1e-12);
    // Collinear, apart.
    EXPECT_FALSE(FindIntersection(seg(0, 0, 1, 0), seg(2, 0, 3, 0), p));
    // Points.
    EXPECT_TRUE(FindIntersection(seg(1, 1, 1, 1), seg(0, 0, 2, 2), p));
    EXPECT_EQ(p, Vector2d(1, 1));
    EXPECT_FALSE(FindIntersection(seg(1, 1.1, 1, 1.1), seg(0, 0, 2, 2), p));
    EXPECT_TRUE(FindIntersection(seg(1, 1, 1, 1), seg(1, 1, 1, 1), p));
    EXPECT_FALSE(FindIntersection(seg(std::nan(""), 0, 1, 1), seg(0, 1, 1, 0), p));

    // Random pairs agree with the distance query.
    Rng<double> rng;
    for (int iter = 0; iter < 500; ++iter) {
        Segment2d a(rng.V2(), rng.V2()), b(rng.V2(), rng.V2());
        bool hit = FindIntersection(a, b, p, &ta, &tb);
        EXPECT_EQ(hit, SqrDistance(a, b) <= 1e-20);
        if (hit) {
            EXPECT_NEAR((a.PointAt(ta) - p).Length(), 0, 1e-9);
            EXPECT_NEAR((b.PointAt(tb) - p).Length(), 0, 1e-9);
        }
    }
}

TEST(Queries, RayPlaneIntersection)
{
    Rng<double> rng;
    double t;
    Vector3d p;
    for (int iter = 0; iter < 200; ++iter) {
        Plane3d plane(rng.V3(2), rng.V3());  // non-unit normal through a point
        Ray3d ray(rng.V3(), rng.V3());
        double side = plane.SignedDistance(ray.Origin());
        double approach = plane.Normal().Dot(ray.Direction());
        bool hit = FindIntersection(ray, plane, t, p);
        EXPECT_EQ(hit, side * approach < 0);  // heading towards the plane
        if (hit) {
            EXPECT_GE(t, 0);
            EXPECT_NEAR(plane.SignedDistance(p), 0, 1e-9 * plane.Normal().Length());
            EXPECT_NEAR((ray.PointAt(t) - p).Length(), 0, 1e-12);
        }
    }
    Plane3d floor(Vector3d::UNIT_Z, 1.0);
    ASSERT_TRUE(FindIntersection(Ray3d({0, 0, 5}, {0, 0, -2}), floor, t, p));
    EXPECT_DOUBLE_EQ(t, 2);
    EXPECT_EQ(p, Vector3d(0, 0, 1));
    ASSERT_TRUE(FindIntersection(Ray3d({3, 4, 1}, {0, 1, -1}), floor, t, p));  // starts on it
    EXPECT_EQ(t, 0);
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, 5}, {0, 0, 1}), floor, t, p));  // behind
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, 5}, {1, 0, 0}), floor, t, p));  // parallel
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, 1}, {1, 0, 0}), floor, t, p));  // inside the plane
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, 5}, {0, 0, 0}), floor, t, p));
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, 5}, {0, 0, -1}), Plane3d(Vector3d::ZERO, 1.0), t, p));
    Ray3f fray(Vector3f(0, 0, 5), Vector3f(0, 0, -1));
    float ft;
    Vector3f fp;
    ASSERT_TRUE(FindIntersection(fray, Plane3f(Vector3f::UNIT_Z, 1.0f), ft, fp));
    EXPECT_FLOAT_EQ(ft, 4);
}

TEST(Queries, RayBoxIntersection)
{
    AxisAlignedBox3d box(-1, 1, -2, 2, 0, 3);
    double t0, t1;
    ASSERT_TRUE(FindIntersection(Ray3d({-5, 0, 1}, {1, 0, 0}), box, t0, t1));
    EXPECT_DOUBLE_EQ(t0, 4);
    EXPECT_DOUBLE_EQ(t1, 6);
    // Starting inside: enters at 0.
    ASSERT_TRUE(FindIntersection(Ray3d({0, 0, 1}, {0, 0, 2}), box, t0, t1));
    EXPECT_EQ(t0, 0);
    EXPECT_DOUBLE_EQ(t1, 1);
    // Axis-parallel rays outside a slab miss.
    EXPECT_FALSE(FindIntersection(Ray3d({-5, 2.5, 1}, {1, 0, 0}), box, t0, t1));
    EXPECT_FALSE(FindIntersection(Ray3d({5, 0, 1}, {1, 0, 0}), box, t0, t1));  // box behind
    // Grazing a face counts.
    ASSERT_TRUE(FindIntersection(Ray3d({-5, 2, 1}, {1, 0, 0}), box, t0, t1));
    EXPECT_DOUBLE_EQ(t0, 4);
    // Zero direction: inside never leaves, outside misses.
    ASSERT_TRUE(FindIntersection(Ray3d({0, 0, 1}, {0, 0, 0}), box, t0, t1));
    EXPECT_EQ(t0, 0);
    EXPECT_EQ(t1, Mathd::MAX_REAL);
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, -1}, {0, 0, 0}), box, t0, t1));
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, 1}, {1, 0, 0}), AxisAlignedBox3d(), t0, t1));
    EXPECT_FALSE(FindIntersection(Ray3d({0, 0, 1}, {std::nan(""), 0, 0}), box, t0, t1));

    // Random rays, some axis-parallel, checked by sampling along the ray.
    Rng<double> rng;
    const int n = 3000;
    for (int iter = 0; iter < 300; ++iter) {
        Vector3d lo = rng.V3(3);
        AxisAlignedBox3d b(lo, lo + Vector3d(rng.Uniform(0.1, 3), rng.Uniform(0.1, 3), rng.Uniform(0.1, 3)));
        Ray3d ray(rng.V3(), rng.V3());
        for (int i = 0; i < 3; ++i)
            if (iter % 4 == i) ray.Direction()[i] = 0;
        double reach = 20 / std::max(ray.Direction().Length(), 1e-3);
        double first = -1, last = -1;
        for (int i = 0; i <= n; ++i) {
            double t = reach * i / n;
            if (b.Contains(ray.PointAt(t))) {
                if (first < 0) first = t;
                last = t;
            }
        }
        bool hit = FindIntersection(ray, b, t0, t1);
        if (first >= 0) {
            ASSERT_TRUE(hit);
            EXPECT_NEAR(t0, first, reach / n + 1e-12);
            EXPECT_NEAR(t1, last, reach / n + 1e-12);
        }
        if (hit) {
            EXPECT_LE(t0, t1);
            EXPECT_GE(t0, 0);
            EXPECT_LE(SqrDistance(ray.PointAt(0.5 * (t0 + t1)), b), 1e-18);
            EXPECT_LE(SqrDistance(ray.PointAt(t0), b), 1e-18);
            if (t0 > 0) {
                EXPECT_GT(SqrDistance(ray.PointAt(t0 * 0.99), b), 0);
            }
        }
    }
}

namespace {

// Smallest area over rectangles with a side along some point pair: the
// minimum-area rectangle has a side along a hull edge, which is such a pair.
double BruteMinArea(const std::vector<Vector2d>& pts)
{
    double best = std::numeric_limits<double>::max();
    for (size_t i = 0; i < pts.size(); ++i)
        for (size_t j = i + 1; j < pts.size(); ++j) {
            Vector2d u = pts[j] - pts[i];
            if (u.Normalize() == 0) continue;
            Vector2d v(-u.Y(), u.X());
            double lo0 = 1e300, hi0 = -1e300, lo1 = 1e300, hi1 = -1e300;
            for (const Vector2d& p : pts) {
                lo0 = std::min(lo0, p.Dot(u));
                hi0 = std::max(hi0, p.Dot(u));
                lo1 = std::min(lo1, p.Dot(v));
                hi1 = std::max(hi1, p.Dot(v));
            }
            best = std::min(best, (hi0 - lo0) * (hi1 - lo1));
        }
    return best;
}

template <class Real>
void ExpectValidBox(const Box2<Real>& box, Real tol)
{
    EXPECT_NEAR(box.Axis(0).Length(), 1, tol);
    EXPECT_NEAR(box.Axis(0).Kross(box.Axis(1)), 1, tol);  // right-handed
    EXPECT_GE(box.Extent(0), 0);
    EXPECT_GE(box.Extent(1), 0);
}

}  // namespace

TEST(Queries, ContOrientedBox)
{
    Rng<double> rng;
    for (int iter = 0; iter < 100; ++iter) {
        int count = 3 + iter % 40;
        std::vector<Vector2d> pts;
        // Stretched, rotated clouds so that the best box is not axis-aligned.
        double a = rng.Uniform(0, 3.14), sx = rng.Uniform(0.1, 5), sy = rng.Uniform(0.1, 5);
        Vector2d off = rng.V2(100);
        for (int i = 0; i < count; ++i) {
            double x = rng.Uniform(-1, 1) * sx, y = rng.Uniform(-1, 1) * sy;
            pts.emplace_back(off +
                             Vector2d(x * std::cos(a) - y * std::sin(a), x * std::sin(a) + y * std::cos(a)));
        }
        if (iter % 5 == 0) pts.push_back(pts[0]);  // duplicates
        Box2d box = ContOrientedBox(int(pts.size()), pts.data());
        ExpectValidBox(box, 1e-12);
        for (const Vector2d& p : pts) {
            EXPECT_TRUE(Contained(box, p));
            EXPECT_EQ(SqrDistance(p, box), 0);
        }
        AxisAlignedBox2d aligned = ContAlignedBox(int(pts.size()), pts.data());
        for (const Vector2d& p : pts) EXPECT_TRUE(aligned.Contains(p));
        EXPECT_LE(box.Area(), aligned.Area() * (1 + 1e-12));
        EXPECT_NEAR(box.Area(), BruteMinArea(pts), 1e-9 * (1 + box.Area()));

        // Float version: every point contained, bit for bit.
        std::vector<Vector2f> fpts;
        for (const Vector2d& p : pts) fpts.emplace_back(p);
        Box2f fbox = ContOrientedBox(int(fpts.size()), fpts.data());
        ExpectValidBox(fbox, 1e-5f);
        for (const Vector2f& p : fpts) EXPECT_TRUE(Contained(fbox, p));
        EXPECT_NEAR(fbox.Area(), box.Area(), 1e-3 * (1 + box.Area()));
    }

    // A rotated rectangle's corners and inner points give that rectangle.
    Box2d truth(Vector2d(3, -2), Vector2d(0.6, 0.8), Vector2d(-0.8, 0.6), 4, 1.5);
    std::vector<Vector2d> pts(4);
    truth.ComputeVertices(pts.data());
    for (int i = 0; i < 20; ++i)
        pts.push_back(truth.Center() + truth.Axis(0) * rng.Uniform(-4, 4) +
                      truth.Axis(1) * rng.Uniform(-1.5, 1.5));
    Box2d box = ContOrientedBox(int(pts.size()), pts.data());
    EXPECT_NEAR(box.Area(), truth.Area(), 1e-9);
    EXPECT_NEAR((box.Center() - truth.Center()).Length(), 0, 1e-9);
    EXPECT_NEAR(std::max(box.Extent(0), box.Extent(1)), 4, 1e-9);

    // Collinear points: along their line, no width.
    std::vector<Vector2d> line;
    for (int i = 0; i < 10; ++i) line.emplace_back(1 + i % 4, 2 * (1 + i % 4));
    box = ContOrientedBox(int(line.size()), line.data());
    ExpectValidBox(box, 1e-12);
    EXPECT_NEAR(std::fabs(box.Axis(0).Dot(Vector2d(1, 2))), std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(box.Extent(1), 0, 1e-12);
    EXPECT_NEAR(box.Extent(0), 1.5 * std::sqrt(5.0), 1e-12);
    for (const Vector2d& p : line) EXPECT_TRUE(Contained(box, p));

    // One point (repeated), and none.
    std::vector<Vector2d> single(3, Vector2d(7, -3));
    box = ContOrientedBox(3, single.data());
    EXPECT_EQ(box.Center(), Vector2d(7, -3));
    EXPECT_EQ(box.Extent(0), 0);
    EXPECT_EQ(box.Extent(1), 0);
    box = ContOrientedBox<double>(0, nullptr);
    EXPECT_EQ(box.Center(), Vector2d::ZERO);
    EXPECT_EQ(box.Area(), 0);
    EXPECT_TRUE(ContAlignedBox<double>(0, static_cast<const Vector2d*>(nullptr)).IsEmpty());

    // Masked-out and NaN points are ignored.
    std::vector<Vector2d> cloud = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {100, 100}, {std::nan(""), 0}};
    bool valid[] = {true, true, true, true, false, true};
    box = ContOrientedBox(int(cloud.size()), cloud.data(), valid);
    EXPECT_NEAR(box.Area(), 1, 1e-12);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Contained(box, cloud[i]));
    EXPECT_FALSE(Contained(box, cloud[4]));
    EXPECT_GT(SqrDistance(cloud[4], box), 0);
    AxisAlignedBox2d masked = ContAlignedBox(int(cloud.size()), cloud.data(), valid);
    EXPECT_EQ(masked, AxisAlignedBox2d(0, 1, 0, 1));
    bool none[] = {false, false, false, false, false, false};
    EXPECT_EQ(ContOrientedBox(int(cloud.size()), cloud.data(), none).Area(), 0);

    std::vector<Vector3d> p3 = {{1, 2, 3}, {-1, 5, 0}, {0, 0, 9}};
    bool valid3[] = {true, true, false};
    EXPECT_EQ(ContAlignedBox(3, p3.data(), valid3), AxisAlignedBox3d(-1, 1, 2, 5, 0, 3));
    EXPECT_TRUE(ContAlignedBox(3, p3.data(), none).IsEmpty());
}

#include "wml/Distance.h"

#include <cmath>
#include <limits>

namespace Wml {

namespace {

// Closest point of origin + t * direction to p, with t clamped to [lo, hi]
// (hi may be +infinity for rays). The closest point is always formed as
// origin + direction * t so that NaN anywhere in the input reaches the result.
template <class Real, class Vec>
Real PointToLinear(const Vec& p, const Vec& origin, const Vec& direction, Real hi, Real* t)
{
    Real dd = direction.SquaredLength();
    Real param = Real(0);
    if (dd > Real(0)) {
        Real proj = (p - origin).Dot(direction);
        if (proj > Real(0)) {
            // Compare before dividing: proj / dd may overflow for tiny directions.
            param = (proj >= hi * dd) ? hi : proj / dd;
        }
    }
    if (t) *t = param;
    return (p - (origin + direction * param)).SquaredLength();
}

template <class Real>
Real Clamp01(Real v)
{
    return v < Real(0) ? Real(0) : (v > Real(1) ? Real(1) : v);
}

}  // namespace

template <class Real>
Real SqrDistance(const Vector2<Real>& p, const Segment2<Real>& seg, QueryParam<Real>* t)
{
    return PointToLinear<Real>(p, seg.Origin(), seg.Direction(), Real(1), t);
}

template <class Real>
Real SqrDistance(const Vector3<Real>& p, const Segment3<Real>& seg, QueryParam<Real>* t)
{
    return PointToLinear<Real>(p, seg.Origin(), seg.Direction(), Real(1), t);
}

template <class Real>
Real SqrDistance(const Vector3<Real>& p, const Ray3<Real>& ray, QueryParam<Real>* t)
{
    return PointToLinear<Real>(p, ray.Origin(), ray.Direction(), std::numeric_limits<Real>::infinity(), t);
}

template <class Real>
Real SqrDistance(const Vector2<Real>& p, const Box2<Real>& box)
{
    Real sq = Real(0);
    for (int i = 0; i < 2; ++i) {
        // Box2::Coordinate is the same arithmetic Contained() uses, so both
        // agree on boundary points.
        Real c = box.Coordinate(i, p);
        if (std::isnan(c)) return c;
        Real e = box.Extent(i);
        if (c < -e) {
            Real d = c + e;
            sq += d * d;
        } else if (c > e) {
            Real d = c - e;
            sq += d * d;
        }
    }
    return sq;
}

namespace {

template <class Real, class Vec, class Box>
Real PointToAlignedBox(const Vec& p, const Box& box, int dim)
{
    if (box.IsEmpty()) return Math<Real>::MAX_REAL;
    Real sq = Real(0);
    for (int i = 0; i < dim; ++i) {
        if (std::isnan(p[i])) return p[i];
        if (p[i] < box.Min(i)) {
            Real d = box.Min(i) - p[i];
            sq += d * d;
        } else if (p[i] > box.Max(i)) {
            Real d = p[i] - box.Max(i);
            sq += d * d;
        }
    }
    return sq;
}

}  // namespace

template <class Real>
Real SqrDistance(const Vector2<Real>& p, const AxisAlignedBox2<Real>& box)
{
    return PointToAlignedBox<Real>(p, box, 2);
}

template <class Real>
Real SqrDistance(const Vector3<Real>& p, const AxisAlignedBox3<Real>& box)
{
    return PointToAlignedBox<Real>(p, box, 3);
}

namespace {

// Best of the four "end point of one segment to the other segment" pairs.
// For segments that do not cross, a closest pair always includes an end
// point, in 2D and 3D alike. Ties keep the earlier candidate; a NaN
// candidate wins, so NaN input is not hidden behind a finite pair.
template <class Real, class Seg>
Real EndPointCandidates(const Seg& a, const Seg& b, Real& sa, Real& sb)
{
    Real t;
    Real best = SqrDistance(a.Origin(), b, &t);
    sa = Real(0);
    sb = t;
    Real d = SqrDistance(a.End(), b, &t);
    if (d < best || std::isnan(d)) {
        best = d;
        sa = Real(1);
        sb = t;
    }
    d = SqrDistance(b.Origin(), a, &t);
    if (d < best || std::isnan(d)) {
        best = d;
        sa = t;
        sb = Real(0);
    }
    d = SqrDistance(b.End(), a, &t);
    if (d < best || std::isnan(d)) {
        best = d;
        sa = t;
        sb = Real(1);
    }
    return best;
}

}  // namespace

template <class Real>
Real SqrDistance(const Segment2<Real>& a, const Segment2<Real>& b, QueryParam<Real>* ta, QueryParam<Real>* tb)
{
    const Vector2<Real>& da = a.Direction();
    const Vector2<Real>& db = b.Direction();
    // Orientation of each end against the other segment's line. Strictly
    // opposite signs on both sides is a proper crossing; the parameters are
    // then ratios of those signed areas, which lie in (0, 1) by construction
    // and need no division by a near-zero determinant.
    Real o1 = da.Kross(b.Origin() - a.Origin());
    Real o2 = da.Kross(b.End() - a.Origin());
    Real o3 = db.Kross(a.Origin() - b.Origin());
    Real o4 = db.Kross(a.End() - b.Origin());
    if (((o1 < Real(0) && o2 > Real(0)) || (o1 > Real(0) && o2 < Real(0))) &&
        ((o3 < Real(0) && o4 > Real(0)) || (o3 > Real(0) && o4 < Real(0)))) {
        if (ta) *ta = o3 / (o3 - o4);
        if (tb) *tb = o1 / (o1 - o2);
        return Real(0);
    }
    Real sa, sb;
    Real best = EndPointCandidates(a, b, sa, sb);
    if (ta) *ta = sa;
    if (tb) *tb = sb;
    return best;
}

template <class Real>
Real SqrDistance(const Segment3<Real>& a, const Segment3<Real>& b, QueryParam<Real>* ta, QueryParam<Real>* tb)
{
    Real sa, sb;
    Real best = EndPointCandidates(a, b, sa, sb);

    // Interior candidate from the normal equations of the two lines. When
    // the lines are nearly parallel the solve is inaccurate, but every
    // candidate is measured as a real pair of points, so a poor one can only
    // lose to the end point candidates, never report a too-small distance.
    const Vector3<Real>& d1 = a.Direction();
    const Vector3<Real>& d2 = b.Direction();
    Vector3<Real> r = a.Origin() - b.Origin();
    Real aa = d1.Dot(d1), bb = d1.Dot(d2), ee = d2.Dot(d2);
    Real cc = d1.Dot(r), ff = d2.Dot(r);
    Real denom = aa * ee - bb * bb;
    if (aa > Real(0) && ee > Real(0) && denom > Real(0)) {
        Real s = Clamp01((bb * ff - cc * ee) / denom);
        Real t = Clamp01((bb * s + ff) / ee);
        s = Clamp01((bb * t - cc) / aa);
        Real d = (a.PointAt(s) - b.PointAt(t)).SquaredLength();
        if (d < best) {
            best = d;
            sa = s;
            sb = t;
        }
    }
    if (ta) *ta = sa;
    if (tb) *tb = sb;
    return best;
}

#define WML_INSTANTIATE_DISTANCE(Real)                                                               \
    template Real SqrDistance<Real>(const Vector2<Real>&, const Segment2<Real>&, QueryParam<Real>*); \
    template Real SqrDistance<Real>(const Vector3<Real>&, const Segment3<Real>&, QueryParam<Real>*); \
    template Real SqrDistance<Real>(const Vector3<Real>&, const Ray3<Real>&, QueryParam<Real>*);     \
    template Real SqrDistance<Real>(const Vector2<Real>&, const Box2<Real>&);                        \
    template Real SqrDistance<Real>(const Vector2<Real>&, const AxisAlignedBox2<Real>&);             \
    template Real SqrDistance<Real>(const Vector3<Real>&, const AxisAlignedBox3<Real>&);             \
    template Real SqrDistance<Real>(const Segment2<Real>&, const Segment2<Real>&, QueryParam<Real>*, \
                                    QueryParam<Real>*);                                              \
    template Real SqrDistance<Real>(const Segment3<Real>&, const Segment3<Real>&, QueryParam<Real>*, \
                                    QueryParam<Real>*);

WML_INSTANTIATE_DISTANCE(float)
WML_INSTANTIATE_DISTANCE(double)

#undef WML_INSTANTIATE_DISTANCE

}  // namespace Wml

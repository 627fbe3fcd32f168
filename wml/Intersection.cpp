#include "wml/Intersection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Wml {

namespace {

template <class Real>
bool Finite(const Vector2<Real>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]);
}

template <class Real>
bool Finite(const Vector3<Real>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// Narrows [t0, t1] to the part where q * t <= r. Returns false once the
// interval is empty.
template <class Real>
bool ClipHalfLine(Real q, Real r, Real& t0, Real& t1)
{
    if (q > Real(0)) {
        Real t = r / q;
        if (t < t1) t1 = t;
    } else if (q < Real(0)) {
        Real t = r / q;
        if (t > t0) t0 = t;
    } else if (r < Real(0)) {
        return false;  // parallel to the side and outside it
    }
    return t0 <= t1;
}

}  // namespace

template <class Real>
bool FindIntersection(const Segment2<Real>& seg, const Box2<Real>& box, int& quantity,
                      Vector2<Real> points[2])
{
    quantity = 0;
    const Vector2<Real>& d = seg.Direction();
    if (!Finite(seg.Origin()) || !Finite(d) || !Finite(box.Center()) || !Finite(box.Axis(0)) ||
        !Finite(box.Axis(1)) || !std::isfinite(box.Extent(0)) || !std::isfinite(box.Extent(1)))
        return false;

    // Rounding in box coordinates can make a segment that touches a corner
    // or runs along a side miss by a few ulps, and for a segment along a
    // side the slab crossing parameter is a ratio of two rounding errors.
    // Clipping against the box grown by 'slack' (rounding level) makes both
    // cases come out whole. Pieces shorter than 'tol' count as a point; tol
    // must stay well above slack, or the short chord that a corner-touching
    // segment cuts from the grown box would give two points.
    Real scale = std::max(std::max(d.Length(), (seg.Origin() - box.Center()).Length()),
                          std::max(box.Extent(0), box.Extent(1)));
    Real slack = Real(16) * std::numeric_limits<Real>::epsilon() * scale;
    Real tol = std::max(Math<Real>::ZERO_TOLERANCE * scale, Real(64) * slack);

    // In box coordinates the box is |x_i| <= e_i; clip t in [0, 1] against
    // both sides of each slab.
    Real t0 = Real(0), t1 = Real(1);
    for (int i = 0; i < 2; ++i) {
        Real p = box.Coordinate(i, seg.Origin());
        Real q = d.Dot(box.Axis(i));
        Real e = box.Extent(i) + slack;
        if (!ClipHalfLine(q, e - p, t0, t1) || !ClipHalfLine(-q, e + p, t0, t1)) return false;
    }

    Vector2<Real> p0 = seg.PointAt(t0), p1 = seg.PointAt(t1);
    if ((p1 - p0).SquaredLength() <= tol * tol) {
        quantity = 1;
        points[0] = seg.PointAt(Real(0.5) * (t0 + t1));
    } else {
        quantity = 2;
        points[0] = p0;
        points[1] = p1;
    }
    return true;
}

template <class Real>
bool FindIntersection(const Segment2<Real>& a, const Segment2<Real>& b, Vector2<Real>& point,
                      QueryParam<Real>* ta, QueryParam<Real>* tb)
{
    // Touching is decided on distances between rounded points; for float,
    // 1e-6 would be only a few ulps, so never go below 64 of them.
    Real rel = std::max(Math<Real>::ZERO_TOLERANCE, Real(64) * std::numeric_limits<Real>::epsilon());
    Real tol = rel * std::max(a.Direction().Length(), b.Direction().Length());
    Real tol2 = tol * tol;

    Real sa, sb;
    Real d = SqrDistance(a, b, &sa, &sb);
    if (!(d <= tol2)) return false;  // also rejects NaN
    Vector2<Real> best = a.PointAt(sa);

    // Touching end points: prefer the one met first along a, which for
    // collinear overlap is where the shared piece begins. The end point
    // itself is reported, being exact where a.PointAt(t) would be rounded.
    Real t;
    bool bestIsEnd = false;
    auto consider = [&](const Vector2<Real>& p, Real pa, Real pb) {
        if (pa < sa || (pa == sa && !bestIsEnd)) {
            sa = pa;
            sb = pb;
            best = p;
            bestIsEnd = true;
        }
    };
    if (SqrDistance(a.Origin(), b, &t) <= tol2) consider(a.Origin(), Real(0), t);
    if (SqrDistance(b.Origin(), a, &t) <= tol2) consider(b.Origin(), t, Real(0));
    if (SqrDistance(b.End(), a, &t) <= tol2) consider(b.End(), t, Real(1));
    if (SqrDistance(a.End(), b, &t) <= tol2) consider(a.End(), Real(1), t);

    point = best;
    if (ta) *ta = sa;
    if (tb) *tb = sb;
    return true;
}

template <class Real>
bool FindIntersection(const Ray3<Real>& ray, const Plane3<Real>& plane, Real& t, Vector3<Real>& point)
{
    const Vector3<Real>& n = plane.Normal();
    const Vector3<Real>& d = ray.Direction();
    Real denom = n.Dot(d);
    // Relative test: the cosine between normal and direction; zero vectors
    // and NaN fail it too.
    if (!(std::fabs(denom) > Math<Real>::ZERO_TOLERANCE * n.Length() * d.Length())) return false;
    Real param = (plane.Constant() - n.Dot(ray.Origin())) / denom;
    if (!(param >= Real(0)) || !std::isfinite(param)) return false;
    t = param;
    point = ray.PointAt(param);
    return true;
}

template <class Real>
bool FindIntersection(const Ray3<Real>& ray, const AxisAlignedBox3<Real>& box, Real& tEnter, Real& tExit)
{
    const Vector3<Real>& o = ray.Origin();
    const Vector3<Real>& d = ray.Direction();
    if (box.IsEmpty() || !Finite(o) || !Finite(d)) return false;
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(box.Min(i)) || !std::isfinite(box.Max(i))) return false;

    Real t0 = Real(0), t1 = std::numeric_limits<Real>::infinity();
    for (int i = 0; i < 3; ++i) {
        if (d[i] == Real(0)) {
            // Parallel to this slab: inside it for every t, or never.
            if (o[i] < box.Min(i) || o[i] > box.Max(i)) return false;
            continue;
        }
        // Divide rather than multiply by 1/d: a denormal d gives +-inf
        // here, where 0 * inf would give NaN.
        Real ta = (box.Min(i) - o[i]) / d[i];
        Real tb = (box.Max(i) - o[i]) / d[i];
        if (ta > tb) std::swap(ta, tb);
        if (ta > t0) t0 = ta;
        if (tb < t1) t1 = tb;
        if (t0 > t1) return false;
    }
    tEnter = t0;
    tExit = std::min(t1, Math<Real>::MAX_REAL);
    return true;
}

#define WML_INSTANTIATE_INTERSECTION(Real)                                                                  \
    template bool FindIntersection<Real>(const Segment2<Real>&, const Box2<Real>&, int&, Vector2<Real>[2]); \
    template bool FindIntersection<Real>(const Segment2<Real>&, const Segment2<Real>&, Vector2<Real>&,      \
                                         QueryParam<Real>*, QueryParam<Real>*);                             \
    template bool FindIntersection<Real>(const Ray3<Real>&, const Plane3<Real>&, Real&, Vector3<Real>&);    \
    template bool FindIntersection<Real>(const Ray3<Real>&, const AxisAlignedBox3<Real>&, Real&, Real&);

WML_INSTANTIATE_INTERSECTION(float)
WML_INSTANTIATE_INTERSECTION(double)

#undef WML_INSTANTIATE_INTERSECTION

}  // namespace Wml

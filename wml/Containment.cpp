#include "wml/Containment.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Wml {

namespace {

template <class Real>
bool Usable(const Vector2<Real>& p)
{
    return std::isfinite(p[0]) && std::isfinite(p[1]);
}

template <class Real>
bool Usable(const Vector3<Real>& p)
{
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// Unit vector along v. Vector2::Normalize zeroes anything shorter than an
// absolute tolerance, which would lose the direction of a tiny but valid
// point cloud, so scale by the largest component first.
template <class Real>
Vector2<Real> UnitOf(const Vector2<Real>& v)
{
    Real m = std::max(std::fabs(v[0]), std::fabs(v[1]));
    if (!(m > Real(0))) return Vector2<Real>::UNIT_X;
    Vector2<Real> s = v / m;
    return s / s.Length();
}

// Counter-clockwise turned copy: (x, y) -> (-y, x).
template <class Real>
Vector2<Real> TurnLeft(const Vector2<Real>& v)
{
    return Vector2<Real>(-v[1], v[0]);
}

template <class Real>
Real Cross(const Vector2<Real>& o, const Vector2<Real>& a, const Vector2<Real>& b)
{
    return (a - o).Kross(b - o);
}

// Convex hull of sorted, distinct points (monotone chain). Counter-clockwise,
// without collinear vertices; two points for a collinear set.
template <class Real>
std::vector<Vector2<Real>> ConvexHull(const std::vector<Vector2<Real>>& pts)
{
    const size_t n = pts.size();
    if (n < 3) return pts;
    std::vector<Vector2<Real>> hull(2 * n);
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], pts[i]) <= Real(0)) --k;
        hull[k++] = pts[i];
    }
    for (size_t i = n - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], pts[i]) <= Real(0)) --k;
        hull[k++] = pts[i];
    }
    hull.resize(k - 1);  // the last point repeats the first
    return hull;
}

// Direction of one side of the minimum-area rectangle around a convex
// counter-clockwise polygon of at least three vertices. Such a rectangle
// always has a side along a polygon edge; the calipers visit every edge
// while three pointers track the farthest vertex along the edge, the
// farthest from it and the farthest against it. Each pointer only moves
// forward, so the sweep is linear.
template <class Real>
Vector2<Real> MinAreaDirection(const std::vector<Vector2<Real>>& hull)
{
    const size_t h = hull.size();
    auto next = [h](size_t i) { return (i + 1) % h; };

    Vector2<Real> u = UnitOf(hull[1] - hull[0]);
    Vector2<Real> v = TurnLeft(u);
    size_t iMaxU = 0, iMaxV = 0, iMinU = 0;
    for (size_t i = 1; i < h; ++i) {
        if (hull[i].Dot(u) > hull[iMaxU].Dot(u)) iMaxU = i;
        if (hull[i].Dot(v) > hull[iMaxV].Dot(v)) iMaxV = i;
        if (hull[i].Dot(u) < hull[iMinU].Dot(u)) iMinU = i;
    }

    Vector2<Real> bestDir = u;
    Real bestArea = Math<Real>::MAX_REAL;
    bool haveBest = false;
    for (size_t e = 0; e < h; ++e) {
        u = UnitOf(hull[next(e)] - hull[e]);
        v = TurnLeft(u);
        // The step counts only guard against rounding making a pointer spin.
        for (size_t s = 0; s < h && (hull[next(iMaxU)] - hull[iMaxU]).Dot(u) > Real(0); ++s)
            iMaxU = next(iMaxU);
        for (size_t s = 0; s < h && (hull[next(iMaxV)] - hull[iMaxV]).Dot(v) > Real(0); ++s)
            iMaxV = next(iMaxV);
        for (size_t s = 0; s < h && (hull[next(iMinU)] - hull[iMinU]).Dot(u) < Real(0); ++s)
            iMinU = next(iMinU);
        Real width = (hull[iMaxU] - hull[iMinU]).Dot(u);
        Real height = (hull[iMaxV] - hull[e]).Dot(v);
        Real area = width * height;
        if (!haveBest || area < bestArea) {
            haveBest = true;
            bestArea = area;
            bestDir = u;
        }
    }
    return bestDir;
}

}  // namespace

template <class Real>
bool Contained(const Box2<Real>& box, const Vector2<Real>& p)
{
    return std::fabs(box.Coordinate(0, p)) <= box.Extent(0) &&
           std::fabs(box.Coordinate(1, p)) <= box.Extent(1);
}

template <class Real>
Box2<Real> ContOrientedBox(int quantity, const Vector2<Real>* points, const bool* valid)
{
    std::vector<Vector2<Real>> used;
    if (points && quantity > 0) {
        used.reserve(static_cast<size_t>(quantity));
        for (int i = 0; i < quantity; ++i)
            if ((!valid || valid[i]) && Usable(points[i])) used.push_back(points[i]);
    }
    if (used.empty()) return Box2<Real>();

    // Work relative to the middle of the cloud: hull orientation tests and
    // projections lose less precision on small coordinates.
    AxisAlignedBox2<Real> aligned;
    for (const Vector2<Real>& p : used) aligned.Merge(p);
    const Vector2<Real> shift = aligned.Center();
    std::vector<Vector2<Real>> local;
    local.reserve(used.size());
    for (const Vector2<Real>& p : used) local.push_back(p - shift);
    std::sort(local.begin(), local.end());
    local.erase(std::unique(local.begin(), local.end()), local.end());

    Vector2<Real> axis0 = Vector2<Real>::UNIT_X;
    if (local.size() >= 2) {
        std::vector<Vector2<Real>> hull = ConvexHull(local);
        axis0 = hull.size() >= 3 ? MinAreaDirection(hull) : UnitOf(hull[1] - hull[0]);
    }
    const Vector2<Real> axis1 = TurnLeft(axis0);

    Real lo0 = Math<Real>::MAX_REAL, hi0 = -Math<Real>::MAX_REAL;
    Real lo1 = Math<Real>::MAX_REAL, hi1 = -Math<Real>::MAX_REAL;
    for (const Vector2<Real>& p : local) {
        Real c0 = p.Dot(axis0), c1 = p.Dot(axis1);
        lo0 = std::min(lo0, c0);
        hi0 = std::max(hi0, c0);
        lo1 = std::min(lo1, c1);
        hi1 = std::max(hi1, c1);
    }
    Vector2<Real> center = shift + axis0 * (Real(0.5) * (lo0 + hi0)) + axis1 * (Real(0.5) * (lo1 + hi1));
    Box2<Real> box(center, axis0, axis1, Real(0.5) * (hi0 - lo0), Real(0.5) * (hi1 - lo1));

    // The center and the projections above are rounded; measure every input
    // point the way Contained() does and let the extents cover what it sees.
    for (const Vector2<Real>& p : used) {
        for (int i = 0; i < 2; ++i) {
            Real c = std::fabs(box.Coordinate(i, p));
            if (c > box.Extent(i)) box.Extent(i) = c;
        }
    }
    return box;
}

namespace {

template <class Box, class Vec>
Box AlignedBoxOf(int quantity, const Vec* points, const bool* valid)
{
    Box box;
    if (!points) return box;
    for (int i = 0; i < quantity; ++i)
        if ((!valid || valid[i]) && Usable(points[i])) box.Merge(points[i]);
    return box;
}

}  // namespace

template <class Real>
AxisAlignedBox2<Real> ContAlignedBox(int quantity, const Vector2<Real>* points, const bool* valid)
{
    return AlignedBoxOf<AxisAlignedBox2<Real>>(quantity, points, valid);
}

template <class Real>
AxisAlignedBox3<Real> ContAlignedBox(int quantity, const Vector3<Real>* points, const bool* valid)
{
    return AlignedBoxOf<AxisAlignedBox3<Real>>(quantity, points, valid);
}

#define WML_INSTANTIATE_CONTAINMENT(Real)                                                        \
    template Box2<Real> ContOrientedBox<Real>(int, const Vector2<Real>*, const bool*);           \
    template AxisAlignedBox2<Real> ContAlignedBox<Real>(int, const Vector2<Real>*, const bool*); \
    template AxisAlignedBox3<Real> ContAlignedBox<Real>(int, const Vector3<Real>*, const bool*); \
    template bool Contained<Real>(const Box2<Real>&, const Vector2<Real>&);

WML_INSTANTIATE_CONTAINMENT(float)
WML_INSTANTIATE_CONTAINMENT(double)

#undef WML_INSTANTIATE_CONTAINMENT

}  // namespace Wml

#include "interact/ConstraintShape.h"

#include <cmath>
#include <limits>

#include "interact/ToolViewData.h"
#include "wml/Distance.h"
#include "wml/Intersection.h"
#include "wml/Segment3.h"

namespace vynui {

using Vec3 = Wml::Vector3<float>;

namespace {

bool Finite(const Vec3& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

// Ray against one triangle, both faces; t along the (unit or not) direction.
bool RayTriangle(const Wml::Ray3<float>& ray, const ShapeTriangle& tri, float& t)
{
    const double eps = 1e-12;
    double o[3] = {ray.Origin().X(), ray.Origin().Y(), ray.Origin().Z()};
    double d[3] = {ray.Direction().X(), ray.Direction().Y(), ray.Direction().Z()};
    double a[3] = {tri.a.X(), tri.a.Y(), tri.a.Z()};
    double e1[3] = {tri.b.X() - a[0], tri.b.Y() - a[1], tri.b.Z() - a[2]};
    double e2[3] = {tri.c.X() - a[0], tri.c.Y() - a[1], tri.c.Z() - a[2]};
    double p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2], d[0] * e2[1] - d[1] * e2[0]};
    double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
    if (std::fabs(det) < eps) return false;
    double inv = 1.0 / det;
    double s[3] = {o[0] - a[0], o[1] - a[1], o[2] - a[2]};
    double u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) * inv;
    if (u < 0.0 || u > 1.0) return false;
    double q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2], s[0] * e1[1] - s[1] * e1[0]};
    double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) * inv;
    if (v < 0.0 || u + v > 1.0) return false;
    double tt = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) * inv;
    if (!(tt >= 0.0) || !std::isfinite(tt)) return false;
    t = float(tt);
    return true;
}

double Cross2(double ax, double ay, double bx, double by)
{
    return ax * by - ay * bx;
}

bool InsideTriangle2(const double p[2], const double a[2], const double b[2], const double c[2])
{
    double d1 = Cross2(b[0] - a[0], b[1] - a[1], p[0] - a[0], p[1] - a[1]);
    double d2 = Cross2(c[0] - b[0], c[1] - b[1], p[0] - b[0], p[1] - b[1]);
    double d3 = Cross2(a[0] - c[0], a[1] - c[1], p[0] - c[0], p[1] - c[1]);
    bool hasNeg = d1 < 0 || d2 < 0 || d3<0, hasPos = d1> 0 || d2 > 0 || d3 > 0;
    return !(hasNeg && hasPos);
}

// Parameter on segment p + t r where it crosses q + u s, t and u in [0, 1].
bool SegmentsCross(const double p[2], const double r[2], const double q[2], const double s[2], double& t)
{
    double den = Cross2(r[0], r[1], s[0], s[1]);
    if (std::fabs(den) < 1e-12) return false;
    double qp[2] = {q[0] - p[0], q[1] - p[1]};
    double tt = Cross2(qp[0], qp[1], s[0], s[1]) / den;
    double uu = Cross2(qp[0], qp[1], r[0], r[1]) / den;
    if (tt < 0.0 || tt > 1.0 || uu < 0.0 || uu > 1.0) return false;
    t = tt;
    return true;
}

}  // namespace

void ConstraintShape::AddTriangle(const Vec3& a, const Vec3& b, const Vec3& c, int part)
{
    ShapeTriangle t;
    t.a = a;
    t.b = b;
    t.c = c;
    t.part = part;
    m_triangles.push_back(t);
}

void ConstraintShape::AddQuad(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3, int part)
{
    AddTriangle(p0, p1, p2, part);
    AddTriangle(p0, p2, p3, part);
}

void ConstraintShape::AddDisc(const Vec3& centre, const Vec3& u, const Vec3& v, float radius, int segments,
                              int part)
{
    if (segments < 3) segments = 3;
    std::vector<Vec3> rim;
    rim.reserve(segments);
    for (int i = 0; i < segments; ++i) {
        float a = 2.0f * float(M_PI) * float(i) / float(segments);
        rim.push_back(centre + u * (radius * std::cos(a)) + v * (radius * std::sin(a)));
    }
    for (int i = 0; i < segments; ++i) AddTriangle(centre, rim[i], rim[(i + 1) % segments], part);
    m_outlines.push_back(rim);
}

bool ConstraintShape::IntersectRay(const Wml::Ray3<float>& ray, ShapeRayHit& hit) const
{
    if (!Finite(ray.Origin()) || !Finite(ray.Direction())) return false;
    bool found = false;
    float best = std::numeric_limits<float>::max();
    for (const ShapeTriangle& tri : m_triangles) {
        float t;
        if (!RayTriangle(ray, tri, t)) continue;
        Vec3 p = ray.PointAt(t);
        float distance = (p - ray.Origin()).Length();
        if (distance < best) {
            best = distance;
            hit.point = p;
            hit.distance = distance;
            hit.part = tri.part;
            found = true;
        }
    }
    return found;
}

float ConstraintShape::DistanceToRay(const Wml::Ray3<float>& ray, ShapeRayHit& nearest) const
{
    float best = std::numeric_limits<float>::infinity();
    Vec3 dir = ray.Direction();
    if (dir.Normalize() <= 0.0f || !Finite(ray.Origin())) return best;
    // The ray as a long segment: far beyond anything a view shows.
    Wml::Segment3<float> raySegment(ray.Origin(), dir * 1.0e5f);
    for (const ShapeTriangle& tri : m_triangles) {
        const Vec3* corners[3] = {&tri.a, &tri.b, &tri.c};
        for (int i = 0; i < 3; ++i) {
            Wml::Segment3<float> edge(*corners[i], *corners[(i + 1) % 3] - *corners[i]);
            float tr = 0.0f, te = 0.0f;
            float d2 = Wml::SqrDistance(raySegment, edge, &tr, &te);
            if (std::isfinite(d2) && d2 < best * best) {
                best = std::sqrt(d2);
                nearest.point = raySegment.Origin() + raySegment.Direction() * tr;
                nearest.distance = (nearest.point - ray.Origin()).Length();
                nearest.part = tri.part;
            }
        }
    }
    return best;
}

bool ConstraintShape::CrossesScreenSegment(const ToolViewData& view, const Wml::Segment2<float>& segment,
                                           Vec3& point) const
{
    const double p[2] = {segment.Origin().X(), segment.Origin().Y()};
    const double r[2] = {segment.Direction().X(), segment.Direction().Y()};
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(r[0]) || !std::isfinite(r[1]))
        return false;
    bool found = false;
    float bestEye = std::numeric_limits<float>::max();
    for (const ShapeTriangle& tri : m_triangles) {
        const Vec3* corners[3] = {&tri.a, &tri.b, &tri.c};
        double s[3][2];
        bool visible = true;
        for (int i = 0; i < 3 && visible; ++i) {
            float x, y, depth;
            visible = view.Project(*corners[i], x, y, depth);
            s[i][0] = x;
            s[i][1] = y;
        }
        if (!visible) continue;
        // Screen points of the segment that lie on this triangle: the ends
        // inside it and where the segment crosses its edges.
        std::vector<double> ts;
        const double end[2] = {p[0] + r[0], p[1] + r[1]};
        if (InsideTriangle2(p, s[0], s[1], s[2])) ts.push_back(0.0);
        if (InsideTriangle2(end, s[0], s[1], s[2])) ts.push_back(1.0);
        for (int i = 0; i < 3; ++i) {
            const double e[2] = {s[(i + 1) % 3][0] - s[i][0], s[(i + 1) % 3][1] - s[i][1]};
            double t;
            if (SegmentsCross(p, r, s[i], e, t)) ts.push_back(t);
        }
        if (ts.empty()) continue;
        Vec3 normal = (tri.b - tri.a).Cross(tri.c - tri.a);
        for (double t : ts) {
            float sx = float(p[0] + r[0] * t), sy = float(p[1] + r[1] * t);
            Wml::Ray3<float> ray = view.GetPickRay(sx, sy);
            Vec3 onShape;
            if (!IntersectRayPlane(ray, tri.a, normal, onShape)) {
                // Seen edge on: the nearest corner stands in for the point.
                onShape = tri.a;
            }
            float eye = (onShape - view.cameraPosition).Length();
            if (eye < bestEye) {
                bestEye = eye;
                point = onShape;
                found = true;
            }
        }
    }
    return found;
}

bool ClosestLineParameterToRay(const Vec3& origin, const Vec3& axis, const Wml::Ray3<float>& ray, float& s)
{
    if (!Finite(origin) || !Finite(axis) || !Finite(ray.Origin()) || !Finite(ray.Direction())) return false;
    const double a = axis.Dot(axis), b = axis.Dot(ray.Direction()), c = ray.Direction().Dot(ray.Direction());
    const Vec3 w = origin - ray.Origin();
    const double d = axis.Dot(w), e = ray.Direction().Dot(w);
    const double den = a * c - b * b;
    if (!(a > 0.0) || !(c > 0.0) || den <= 1e-9 * a * c) return false;
    double t = (a * e - b * d) / den;  // ray parameter
    double ss;
    if (t < 0.0)
        ss = -d / a;  // the ray's nearest point is its origin
    else
        ss = (b * e - c * d) / den;
    if (!std::isfinite(ss)) return false;
    s = float(ss);
    return true;
}

bool IntersectRayPlane(const Wml::Ray3<float>& ray, const Vec3& origin, const Vec3& normal, Vec3& point)
{
    Wml::Plane3<float> plane(normal, origin);
    float t;
    return Wml::FindIntersection(ray, plane, t, point) && Finite(point);
}

Vec3 FacingSideVector(const Vec3& origin, const Vec3& axis, const ToolViewData& view)
{
    Vec3 toEye = view.cameraPosition - origin;
    Vec3 side = axis.Cross(toEye);
    if (side.Normalize() > 1e-6f && Finite(side)) return side;
    side = axis.Cross(view.viewDirection);
    if (side.Normalize() > 1e-6f && Finite(side)) return side;
    Vec3 u, v, w = axis;
    if (w.Normalize() <= 0.0f) return Vec3(1.0f, 0.0f, 0.0f);
    Vec3::GenerateOrthonormalBasis(u, v, w);
    return u;
}

}  // namespace vynui

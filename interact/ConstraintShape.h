#pragma once
// The drawn shape of a handle: filled triangles, each tagged with the part
// of the handle it belongs to, and the closed outlines drawn over them.
// Drawing, ray picking and screen-segment crossing all use the same shape,
// so a handle is picked exactly where it is seen.

#include <vector>

#include "wml/Ray3.h"
#include "wml/Segment2.h"
#include "wml/Vector3.h"

namespace vynui {

struct ToolViewData;

struct ShapeTriangle {
    Wml::Vector3<float> a, b, c;
    int part = 0;
};

/// The nearest place where a ray meets a shape.
struct ShapeRayHit {
    Wml::Vector3<float> point;
    /// From the ray origin to point, in world units.
    float distance = 0.0f;
    int part = 0;
};

class ConstraintShape {
public:
    void AddTriangle(const Wml::Vector3<float>& a, const Wml::Vector3<float>& b, const Wml::Vector3<float>& c,
                     int part);
    /// Two triangles p0 p1 p2 and p0 p2 p3.
    void AddQuad(const Wml::Vector3<float>& p0, const Wml::Vector3<float>& p1, const Wml::Vector3<float>& p2,
                 const Wml::Vector3<float>& p3, int part);
    /// A fan of segments triangles around centre in the plane of the unit
    /// vectors u, v; its rim is added as an outline.
    void AddDisc(const Wml::Vector3<float>& centre, const Wml::Vector3<float>& u,
                 const Wml::Vector3<float>& v, float radius, int segments, int part);
    void AddOutline(const std::vector<Wml::Vector3<float>>& loop) { m_outlines.push_back(loop); }

    const std::vector<ShapeTriangle>& GetTriangles() const { return m_triangles; }
    const std::vector<std::vector<Wml::Vector3<float>>>& GetOutlines() const { return m_outlines; }
    bool IsEmpty() const { return m_triangles.empty(); }

    /// The nearest triangle the ray meets (both faces count).
    bool IntersectRay(const Wml::Ray3<float>& ray, ShapeRayHit& hit) const;
    /// The smallest distance between the ray and the edges of the triangles,
    /// with the ray point where it is reached; +inf for an empty shape.
    float DistanceToRay(const Wml::Ray3<float>& ray, ShapeRayHit& nearest) const;
    /// Whether the window segment (pixels, y from the bottom) crosses the
    /// projected shape; point is the crossing nearest to the eye, in world
    /// coordinates on the shape.
    bool CrossesScreenSegment(const ToolViewData& view, const Wml::Segment2<float>& segment,
                              Wml::Vector3<float>& point) const;

private:
    std::vector<ShapeTriangle> m_triangles;
    std::vector<std::vector<Wml::Vector3<float>>> m_outlines;
};

/// Closest approach of the line origin + s axis to a ray: s of the line
/// point. False when the two are parallel (no unique answer) or the input is
/// not finite.
bool ClosestLineParameterToRay(const Wml::Vector3<float>& origin, const Wml::Vector3<float>& axis,
                               const Wml::Ray3<float>& ray, float& s);

/// Where the ray meets the plane through origin with the given normal.
bool IntersectRayPlane(const Wml::Ray3<float>& ray, const Wml::Vector3<float>& origin,
                       const Wml::Vector3<float>& normal, Wml::Vector3<float>& point);

/// A unit vector perpendicular to axis lying in the plane that contains the
/// axis and faces the eye (so a flat strip along the axis is seen broad
/// side on). Falls back on the view direction, then any perpendicular.
Wml::Vector3<float> FacingSideVector(const Wml::Vector3<float>& origin, const Wml::Vector3<float>& axis,
                                     const ToolViewData& view);

}  // namespace vynui

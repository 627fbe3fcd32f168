#pragma once
// Intersection queries. Each returns true when the objects meet and fills
// the output arguments only then (unless stated otherwise). Boxes are solid
// and closed: touching the boundary counts as meeting. Instantiated for float
// and double in Intersection.cpp.

#include "wml/AxisAlignedBox3.h"
#include "wml/Box2.h"
#include "wml/Distance.h"
#include "wml/Plane3.h"
#include "wml/Ray3.h"
#include "wml/Segment2.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace Wml {

/// Part of a segment inside a solid oriented box (unit axes, non-negative
/// extents), found by clipping the segment against the box's slabs in box
/// coordinates.
///
/// - quantity 2: points[0], points[1] are the ends of the clipped piece, in
///   the segment's direction. A segment entirely inside gives its own two
///   ends; one crossing the box gives where it enters and leaves; one lying
///   along an edge gives the shared piece.
/// - quantity 1: the clipped piece is a single point (touching a corner, an
///   end resting on a side, or a zero-length segment inside the box).
///   points[0] is that point.
/// - quantity 0: no common point (also for NaN or infinite input).
///
/// With scale = max(segment length, |origin - center|, extents), the box is
/// grown by 16 machine epsilons times scale before clipping, so that a
/// segment along a side or through a corner is not lost to rounding (its
/// points may then lie that far outside). A clipped piece shorter than tol
/// counts as one point, tol = 1e-6 * scale for double and about
/// 1.2e-4 * scale for float (1024 machine epsilons).
///
/// Returns quantity > 0. points[] is left alone past quantity.
template <class Real>
bool FindIntersection(const Segment2<Real>& seg, const Box2<Real>& box, int& quantity,
                      Vector2<Real> points[2]);

/// Common point of two 2D segments. True when they cross, or touch within
/// a tolerance (an end on the other segment, two ends meeting, collinear
/// overlap). The tolerance is 1e-6 times the longer segment's length for
/// double, 64 machine epsilons (about 7.6e-6) times it for float; two
/// zero-length segments must be equal. Zero-length segments act as points.
///
/// Collinear overlapping segments share a whole piece; the reported point is
/// where that piece starts when walking along a from its origin (smallest
/// *ta), which is an end point of a or of b. In the touching cases point is
/// that end point itself; for a proper crossing it is a's point at *ta.
/// *ta, *tb (if given) are the parameters in [0, 1] on a and b. Outputs are
/// set only when true is returned.
template <class Real>
bool FindIntersection(const Segment2<Real>& a, const Segment2<Real>& b, Vector2<Real>& point,
                      QueryParam<Real>* ta = nullptr, QueryParam<Real>* tb = nullptr);

/// Where the ray origin + t * direction (t >= 0) meets the plane. False when
/// the ray is parallel to the plane (the angle between direction and plane is
/// below about 1e-6 radians; this includes a ray lying in the plane), when
/// the plane is behind the origin, for a zero direction or normal, and for
/// NaN input. A ray starting on the plane gives t = 0.
template <class Real>
bool FindIntersection(const Ray3<Real>& ray, const Plane3<Real>& plane, Real& t, Vector3<Real>& point);

/// Parameter interval [tEnter, tExit] of the ray inside the solid
/// axis-aligned box (slab method). A ray starting inside gives tEnter = 0.
/// Zero direction components are fine: the ray must then lie within that
/// slab. A ray that never leaves (zero direction, origin inside) gives
/// tExit = Math<Real>::MAX_REAL, and so does an exit beyond it. Grazing the
/// boundary counts as a hit with tEnter == tExit. False for an empty box, a
/// box behind the origin, a miss, and NaN or infinite input.
template <class Real>
bool FindIntersection(const Ray3<Real>& ray, const AxisAlignedBox3<Real>& box, Real& tEnter, Real& tExit);

}  // namespace Wml

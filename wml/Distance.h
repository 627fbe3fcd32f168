#pragma once
// Squared distances between points, segments, rays and boxes. Every query
// returns the squared Euclidean distance between the closest pair of points
// and, where asked through the optional pointers, the parameters of that
// pair. Instantiated for float and double in Distance.cpp.
//
// Degenerate input is accepted: a zero-direction segment or ray is the single
// point at its origin. NaN coordinates give NaN, as no distance exists then.

#include "wml/AxisAlignedBox2.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Box2.h"
#include "wml/Ray3.h"
#include "wml/Segment2.h"
#include "wml/Segment3.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace Wml {

/// Identity on types. Output pointers are declared through it so that Real
/// is deduced from the geometry alone and nullptr can be passed literally.
template <class T>
struct QueryIdentity {
    typedef T Type;
};
template <class T>
using QueryParam = typename QueryIdentity<T>::Type;

/// Point to segment in 2D. *t (if given) receives the segment parameter in
/// [0, 1] of the closest point; a zero-length segment gives t = 0.
template <class Real>
Real SqrDistance(const Vector2<Real>& p, const Segment2<Real>& seg, QueryParam<Real>* t = nullptr);

/// Point to segment in 3D; as the 2D overload.
template <class Real>
Real SqrDistance(const Vector3<Real>& p, const Segment3<Real>& seg, QueryParam<Real>* t = nullptr);

/// Point to ray in 3D. *t (if given) receives the ray parameter (>= 0) of
/// the closest point; a zero-direction ray gives t = 0.
template <class Real>
Real SqrDistance(const Vector3<Real>& p, const Ray3<Real>& ray, QueryParam<Real>* t = nullptr);

/// Point to the solid oriented box (unit axes, non-negative extents).
/// Exactly 0 for a point inside or on the boundary, and for every point that
/// Contained(box, p) accepts, so "SqrDistance(p, box) <= 0" is the inside
/// test.
template <class Real>
Real SqrDistance(const Vector2<Real>& p, const Box2<Real>& box);

/// Point to the solid axis-aligned box: 0 inside or on the boundary. An
/// empty box has no points; Math<Real>::MAX_REAL is returned for it.
template <class Real>
Real SqrDistance(const Vector2<Real>& p, const AxisAlignedBox2<Real>& box);

/// Point to the solid axis-aligned box in 3D; as the 2D overload.
template <class Real>
Real SqrDistance(const Vector3<Real>& p, const AxisAlignedBox3<Real>& box);

/// Segment to segment in 2D: exactly 0 when the segments cross properly,
/// otherwise the smallest endpoint-to-segment distance (which is also 0,
/// up to rounding, when an end touches the other segment or collinear
/// segments overlap). *ta, *tb (if given) receive the parameters in [0, 1] of
/// a closest pair; for overlapping parallel segments any one of the equally
/// close pairs is reported.
template <class Real>
Real SqrDistance(const Segment2<Real>& a, const Segment2<Real>& b, QueryParam<Real>* ta = nullptr,
                 QueryParam<Real>* tb = nullptr);

/// Segment to segment in 3D. *ta, *tb (if given) receive the parameters in
/// [0, 1] of a closest pair; parallel segments have many, and one of them is
/// reported. Zero-length segments are handled as points.
template <class Real>
Real SqrDistance(const Segment3<Real>& a, const Segment3<Real>& b, QueryParam<Real>* ta = nullptr,
                 QueryParam<Real>* tb = nullptr);

}  // namespace Wml

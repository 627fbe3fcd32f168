#pragma once
// Bounding boxes of point sets, and point-in-box tests. Instantiated for
// float and double in Containment.cpp.
//
// Every builder takes an optional mask: when valid is given, only points i
// with valid[i] true are used. Points with a NaN or infinite coordinate are
// skipped as well, since no finite box can hold them.

#include "wml/AxisAlignedBox2.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Box2.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace Wml {

/// Minimum-area oriented rectangle holding the points (convex hull, then
/// rotating calipers over the hull edges; O(n log n)).
///
/// Axis(1) is Axis(0) turned 90 degrees counter-clockwise, so the axes are
/// right-handed and ComputeVertices runs counter-clockwise. Which axis is the
/// longer one is not fixed: compare the extents.
///
/// Every used point p passes Contained(box, p), and SqrDistance(p, box) is
/// exactly 0 for it: the extents are grown, if rounding asks for it, until
/// that holds bit for bit.
///
/// Degenerate input: no usable point (quantity <= 0, null points, everything
/// masked out) gives the default Box2, at the origin along x and y with zero
/// extents. One distinct point gives a box there along x and y with zero
/// extents. Collinear points give Axis(0) along their line and
/// Extent(1) == 0.
template <class Real>
Box2<Real> ContOrientedBox(int quantity, const Vector2<Real>* points, const bool* valid = nullptr);

/// Smallest axis-aligned box holding the points; the empty box (see
/// AxisAlignedBox2) when no point is usable.
template <class Real>
AxisAlignedBox2<Real> ContAlignedBox(int quantity, const Vector2<Real>* points, const bool* valid = nullptr);

/// Smallest axis-aligned box holding the 3D points; the empty box when no
/// point is usable.
template <class Real>
AxisAlignedBox3<Real> ContAlignedBox(int quantity, const Vector3<Real>* points, const bool* valid = nullptr);

/// True when p lies in the closed oriented box: |(p - center) . axis(i)| <=
/// extent(i) for both axes, with no tolerance. False for NaN.
template <class Real>
bool Contained(const Box2<Real>& box, const Vector2<Real>& p);

}  // namespace Wml

#pragma once
// Oriented 2D box: a center, two orthonormal axes and a half extent along
// each axis. Points inside satisfy |(p - center) . axis[i]| <= extent[i].

#include "wml/Vector2.h"

namespace Wml {

template <class Real>
class Box2 {
public:
    /// Box at the origin aligned with x and y, with zero extents.
    Box2()
        : m_center(Vector2<Real>::ZERO),
          m_axis{Vector2<Real>::UNIT_X, Vector2<Real>::UNIT_Y},
          m_extent{Real(0), Real(0)}
    {
    }
    /// Box from its center, two unit perpendicular axes and the half extents
    /// along them (extents are expected to be non-negative).
    Box2(const Vector2<Real>& center, const Vector2<Real>& axis0, const Vector2<Real>& axis1, Real extent0,
         Real extent1)
        : m_center(center), m_axis{axis0, axis1}, m_extent{extent0, extent1}
    {
    }

    Vector2<Real>& Center() { return m_center; }
    const Vector2<Real>& Center() const { return m_center; }
    /// Unit axis i (0 or 1).
    Vector2<Real>& Axis(int i) { return m_axis[i]; }
    const Vector2<Real>& Axis(int i) const { return m_axis[i]; }
    Vector2<Real>* Axes() { return m_axis; }
    const Vector2<Real>* Axes() const { return m_axis; }
    /// Half the box size along axis i.
    Real& Extent(int i) { return m_extent[i]; }
    Real Extent(int i) const { return m_extent[i]; }
    Real* Extents() { return m_extent; }
    const Real* Extents() const { return m_extent; }

    /// Signed coordinate of p along axis i, measured from the center.
    /// Every containment and distance query on the box goes through this, so
    /// that they agree with each other to the last bit.
    Real Coordinate(int i, const Vector2<Real>& p) const { return (p - m_center).Dot(m_axis[i]); }

    /// Width times height.
    Real Area() const { return Real(4) * m_extent[0] * m_extent[1]; }

    /// The four corners: center - e0*a0 - e1*a1, then + -, + +, - +. With a
    /// right-handed axis pair (axis0.Kross(axis1) > 0) that order runs
    /// counter-clockwise.
    void ComputeVertices(Vector2<Real> v[4]) const
    {
        Vector2<Real> e0 = m_axis[0] * m_extent[0];
        Vector2<Real> e1 = m_axis[1] * m_extent[1];
        v[0] = m_center - e0 - e1;
        v[1] = m_center + e0 - e1;
        v[2] = m_center + e0 + e1;
        v[3] = m_center - e0 + e1;
    }

private:
    Vector2<Real> m_center;
    Vector2<Real> m_axis[2];
    Real m_extent[2];
};

typedef Box2<float> Box2f;
typedef Box2<double> Box2d;

}  // namespace Wml

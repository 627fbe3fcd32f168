#pragma once
// Segment origin + t * direction, t in [0, 1]: the direction is the whole
// segment, so origin + direction is the far end. A zero direction is a
// one-point segment, which every query accepts.

#include "wml/Vector3.h"

namespace Wml {

template <class Real>
class Segment3 {
public:
    /// The one-point segment at the origin.
    Segment3() : m_origin(Vector3<Real>::ZERO), m_direction(Vector3<Real>::ZERO) {}
    Segment3(const Vector3<Real>& origin, const Vector3<Real>& direction)
        : m_origin(origin), m_direction(direction)
    {
    }

    /// The segment from p0 to p1.
    static Segment3 FromEndPoints(const Vector3<Real>& p0, const Vector3<Real>& p1)
    {
        return Segment3(p0, p1 - p0);
    }

    Vector3<Real>& Origin() { return m_origin; }
    const Vector3<Real>& Origin() const { return m_origin; }
    Vector3<Real>& Direction() { return m_direction; }
    const Vector3<Real>& Direction() const { return m_direction; }

    /// origin + direction.
    Vector3<Real> End() const { return m_origin + m_direction; }
    /// origin + t * direction.
    Vector3<Real> PointAt(Real t) const { return m_origin + m_direction * t; }

private:
    Vector3<Real> m_origin;
    Vector3<Real> m_direction;
};

typedef Segment3<float> Segment3f;
typedef Segment3<double> Segment3d;

}  // namespace Wml

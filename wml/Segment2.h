#pragma once
// Segment origin + t * direction, t in [0, 1]: the direction is the whole
// segment, so origin + direction is the far end. A zero direction is a
// one-point segment, which every query accepts.

#include "wml/Vector2.h"

namespace Wml {

template <class Real>
class Segment2 {
public:
    /// The one-point segment at the origin.
    Segment2() : m_origin(Vector2<Real>::ZERO), m_direction(Vector2<Real>::ZERO) {}
    Segment2(const Vector2<Real>& origin, const Vector2<Real>& direction)
        : m_origin(origin), m_direction(direction)
    {
    }

    /// The segment from p0 to p1.
    static Segment2 FromEndPoints(const Vector2<Real>& p0, const Vector2<Real>& p1)
    {
        return Segment2(p0, p1 - p0);
    }

    Vector2<Real>& Origin() { return m_origin; }
    const Vector2<Real>& Origin() const { return m_origin; }
    Vector2<Real>& Direction() { return m_direction; }
    const Vector2<Real>& Direction() const { return m_direction; }

    /// origin + direction.
    Vector2<Real> End() const { return m_origin + m_direction; }
    /// origin + t * direction.
    Vector2<Real> PointAt(Real t) const { return m_origin + m_direction * t; }

private:
    Vector2<Real> m_origin;
    Vector2<Real> m_direction;
};

typedef Segment2<float> Segment2f;
typedef Segment2<double> Segment2d;

}  // namespace Wml

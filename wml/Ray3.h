#pragma once
// Ray origin + t * direction for t >= 0. The direction need not be unit
// length; ray parameters are measured in multiples of it.

#include "wml/Vector3.h"

namespace Wml {

template <class Real>
class Ray3 {
public:
    /// Ray from the origin along +z.
    Ray3() : m_origin(Vector3<Real>::ZERO), m_direction(Vector3<Real>::UNIT_Z) {}
    Ray3(const Vector3<Real>& origin, const Vector3<Real>& direction)
        : m_origin(origin), m_direction(direction)
    {
    }

    Vector3<Real>& Origin() { return m_origin; }
    const Vector3<Real>& Origin() const { return m_origin; }
    Vector3<Real>& Direction() { return m_direction; }
    const Vector3<Real>& Direction() const { return m_direction; }

    /// origin + t * direction.
    Vector3<Real> PointAt(Real t) const { return m_origin + m_direction * t; }

private:
    Vector3<Real> m_origin;
    Vector3<Real> m_direction;
};

typedef Ray3<float> Ray3f;
typedef Ray3<double> Ray3d;

}  // namespace Wml

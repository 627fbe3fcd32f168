#pragma once
// Plane of the points x with normal . x = constant.

#include "wml/Vector3.h"

namespace Wml {

template <class Real>
class Plane3 {
public:
    /// The plane z = 0.
    Plane3() : m_normal(Vector3<Real>::UNIT_Z), m_constant(Real(0)) {}
    /// Plane normal . x = constant. The normal should be unit length for
    /// SignedDistance to be a distance; intersection queries accept any
    /// non-zero normal.
    Plane3(const Vector3<Real>& normal, Real constant) : m_normal(normal), m_constant(constant) {}
    /// Plane with the given normal through point.
    Plane3(const Vector3<Real>& normal, const Vector3<Real>& point)
        : m_normal(normal), m_constant(normal.Dot(point))
    {
    }

    Vector3<Real>& Normal() { return m_normal; }
    const Vector3<Real>& Normal() const { return m_normal; }
    Real& Constant() { return m_constant; }
    Real Constant() const { return m_constant; }

    /// normal . p - constant: the signed distance when the normal is unit,
    /// positive on the side the normal points to.
    Real SignedDistance(const Vector3<Real>& p) const { return m_normal.Dot(p) - m_constant; }

private:
    Vector3<Real> m_normal;
    Real m_constant;
};

typedef Plane3<float> Plane3f;
typedef Plane3<double> Plane3d;

}  // namespace Wml

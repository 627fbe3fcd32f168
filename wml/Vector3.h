#pragma once
// 3D vector value type.

#include "wml/WmlMath.h"

namespace Wml {

template <class Real>
class Vector3 {
public:
    Vector3() : m_v{Real(0), Real(0), Real(0)} {}
    Vector3(Real x, Real y, Real z) : m_v{x, y, z} {}
    explicit Vector3(const Real* xyz) : m_v{xyz[0], xyz[1], xyz[2]} {}
    template <class Other>
    explicit Vector3(const Vector3<Other>& o) : m_v{Real(o.X()), Real(o.Y()), Real(o.Z())}
    {
    }

    Real& operator[](int i) { return m_v[i]; }
    const Real& operator[](int i) const { return m_v[i]; }
    operator Real*() { return m_v; }
    operator const Real*() const { return m_v; }
    Real& X() { return m_v[0]; }
    Real X() const { return m_v[0]; }
    Real& Y() { return m_v[1]; }
    Real Y() const { return m_v[1]; }
    Real& Z() { return m_v[2]; }
    Real Z() const { return m_v[2]; }

    bool operator==(const Vector3& o) const
    {
        return m_v[0] == o.m_v[0] && m_v[1] == o.m_v[1] && m_v[2] == o.m_v[2];
    }
    bool operator!=(const Vector3& o) const { return !(*this == o); }
    /// Lexicographic order (x, y, z), for ordered containers.
    bool operator<(const Vector3& o) const
    {
        for (int i = 0; i < 3; ++i) {
            if (m_v[i] < o.m_v[i]) return true;
            if (o.m_v[i] < m_v[i]) return false;
        }
        return false;
    }

    Vector3 operator+(const Vector3& o) const
    {
        return Vector3(m_v[0] + o.m_v[0], m_v[1] + o.m_v[1], m_v[2] + o.m_v[2]);
    }
    Vector3 operator-(const Vector3& o) const
    {
        return Vector3(m_v[0] - o.m_v[0], m_v[1] - o.m_v[1], m_v[2] - o.m_v[2]);
    }
    Vector3 operator*(Real s) const { return Vector3(s * m_v[0], s * m_v[1], s * m_v[2]); }
    Vector3 operator/(Real s) const { return Vector3(m_v[0] / s, m_v[1] / s, m_v[2] / s); }
    Vector3 operator-() const { return Vector3(-m_v[0], -m_v[1], -m_v[2]); }
    Vector3& operator+=(const Vector3& o)
    {
        m_v[0] += o.m_v[0];
        m_v[1] += o.m_v[1];
        m_v[2] += o.m_v[2];
        return *this;
    }
    Vector3& operator-=(const Vector3& o)
    {
        m_v[0] -= o.m_v[0];
        m_v[1] -= o.m_v[1];
        m_v[2] -= o.m_v[2];
        return *this;
    }
    Vector3& operator*=(Real s)
    {
        m_v[0] *= s;
        m_v[1] *= s;
        m_v[2] *= s;
        return *this;
    }
    Vector3& operator/=(Real s)
    {
        m_v[0] /= s;
        m_v[1] /= s;
        m_v[2] /= s;
        return *this;
    }

    Real Length() const { return std::sqrt(SquaredLength()); }
    Real SquaredLength() const { return m_v[0] * m_v[0] + m_v[1] * m_v[1] + m_v[2] * m_v[2]; }
    Real Dot(const Vector3& o) const { return m_v[0] * o.m_v[0] + m_v[1] * o.m_v[1] + m_v[2] * o.m_v[2]; }
    Vector3 Cross(const Vector3& o) const
    {
        return Vector3(m_v[1] * o.m_v[2] - m_v[2] * o.m_v[1], m_v[2] * o.m_v[0] - m_v[0] * o.m_v[2],
                       m_v[0] * o.m_v[1] - m_v[1] * o.m_v[0]);
    }
    Vector3 UnitCross(const Vector3& o) const
    {
        Vector3 c = Cross(o);
        c.Normalize();
        return c;
    }
    /// Makes the vector unit length and returns its former length; a vector
    /// shorter than the zero tolerance becomes zero (never NaN).
    Real Normalize()
    {
        Real len = Length();
        if (len > Math<Real>::ZERO_TOLERANCE) {
            Real inv = Real(1) / len;
            m_v[0] *= inv;
            m_v[1] *= inv;
            m_v[2] *= inv;
        } else {
            len = Real(0);
            m_v[0] = m_v[1] = m_v[2] = Real(0);
        }
        return len;
    }
    /// Component-wise product.
    Vector3 Scale(const Vector3& o) const
    {
        return Vector3(m_v[0] * o.m_v[0], m_v[1] * o.m_v[1], m_v[2] * o.m_v[2]);
    }
    /// Two unit vectors u, v such that (u, v, w) is right-handed and
    /// orthonormal; w must be unit length.
    static void GenerateOrthonormalBasis(Vector3& u, Vector3& v, const Vector3& w)
    {
        if (std::fabs(w.m_v[0]) >= std::fabs(w.m_v[1])) {
            Real inv = Real(1) / std::sqrt(w.m_v[0] * w.m_v[0] + w.m_v[2] * w.m_v[2]);
            u = Vector3(-w.m_v[2] * inv, Real(0), w.m_v[0] * inv);
        } else {
            Real inv = Real(1) / std::sqrt(w.m_v[1] * w.m_v[1] + w.m_v[2] * w.m_v[2]);
            u = Vector3(Real(0), w.m_v[2] * inv, -w.m_v[1] * inv);
        }
        v = w.Cross(u);
    }

    static const Vector3 ZERO;
    static const Vector3 UNIT_X;
    static const Vector3 UNIT_Y;
    static const Vector3 UNIT_Z;

private:
    Real m_v[3];
};

template <class Real>
const Vector3<Real> Vector3<Real>::ZERO(Real(0), Real(0), Real(0));
template <class Real>
const Vector3<Real> Vector3<Real>::UNIT_X(Real(1), Real(0), Real(0));
template <class Real>
const Vector3<Real> Vector3<Real>::UNIT_Y(Real(0), Real(1), Real(0));
template <class Real>
const Vector3<Real> Vector3<Real>::UNIT_Z(Real(0), Real(0), Real(1));

template <class Real>
inline Vector3<Real> operator*(Real s, const Vector3<Real>& v)
{
    return v * s;
}

typedef Vector3<float> Vector3f;
typedef Vector3<double> Vector3d;

}  // namespace Wml

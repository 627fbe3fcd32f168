#pragma once
// 2D vector value type.

#include "wml/WmlMath.h"

namespace Wml {

template <class Real>
class Vector2 {
public:
    Vector2() : m_v{Real(0), Real(0)} {}
    Vector2(Real x, Real y) : m_v{x, y} {}
    explicit Vector2(const Real* xy) : m_v{xy[0], xy[1]} {}
    template <class Other>
    explicit Vector2(const Vector2<Other>& o) : m_v{Real(o.X()), Real(o.Y())}
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

    bool operator==(const Vector2& o) const { return m_v[0] == o.m_v[0] && m_v[1] == o.m_v[1]; }
    bool operator!=(const Vector2& o) const { return !(*this == o); }
    /// Lexicographic order (x, then y), for ordered containers.
    bool operator<(const Vector2& o) const
    {
        return m_v[0] < o.m_v[0] || (m_v[0] == o.m_v[0] && m_v[1] < o.m_v[1]);
    }

    Vector2 operator+(const Vector2& o) const { return Vector2(m_v[0] + o.m_v[0], m_v[1] + o.m_v[1]); }
    Vector2 operator-(const Vector2& o) const { return Vector2(m_v[0] - o.m_v[0], m_v[1] - o.m_v[1]); }
    Vector2 operator*(Real s) const { return Vector2(s * m_v[0], s * m_v[1]); }
    Vector2 operator/(Real s) const { return Vector2(m_v[0] / s, m_v[1] / s); }
    Vector2 operator-() const { return Vector2(-m_v[0], -m_v[1]); }
    Vector2& operator+=(const Vector2& o)
    {
        m_v[0] += o.m_v[0];
        m_v[1] += o.m_v[1];
        return *this;
    }
    Vector2& operator-=(const Vector2& o)
    {
        m_v[0] -= o.m_v[0];
        m_v[1] -= o.m_v[1];
        return *this;
    }
    Vector2& operator*=(Real s)
    {
        m_v[0] *= s;
        m_v[1] *= s;
        return *this;
    }
    Vector2& operator/=(Real s)
    {
        m_v[0] /= s;
        m_v[1] /= s;
        return *this;
    }

    Real Length() const { return std::sqrt(SquaredLength()); }
    Real SquaredLength() const { return m_v[0] * m_v[0] + m_v[1] * m_v[1]; }
    Real Dot(const Vector2& o) const { return m_v[0] * o.m_v[0] + m_v[1] * o.m_v[1]; }
    /// Makes the vector unit length and returns its former length; a vector
    /// shorter than the zero tolerance becomes zero (never NaN).
    Real Normalize()
    {
        Real len = Length();
        if (len > Math<Real>::ZERO_TOLERANCE) {
            Real inv = Real(1) / len;
            m_v[0] *= inv;
            m_v[1] *= inv;
        } else {
            len = Real(0);
            m_v[0] = m_v[1] = Real(0);
        }
        return len;
    }
    /// (y, -x): the vector turned clockwise by 90 degrees.
    Vector2 Perp() const { return Vector2(m_v[1], -m_v[0]); }
    /// Unit-length Perp().
    Vector2 UnitPerp() const
    {
        Vector2 p = Perp();
        p.Normalize();
        return p;
    }
    /// z of the 3D cross product: x0*y1 - y0*x1.
    Real Kross(const Vector2& o) const { return m_v[0] * o.m_v[1] - m_v[1] * o.m_v[0]; }

    static const Vector2 ZERO;
    static const Vector2 UNIT_X;
    static const Vector2 UNIT_Y;

private:
    Real m_v[2];
};

template <class Real>
const Vector2<Real> Vector2<Real>::ZERO(Real(0), Real(0));
template <class Real>
const Vector2<Real> Vector2<Real>::UNIT_X(Real(1), Real(0));
template <class Real>
const Vector2<Real> Vector2<Real>::UNIT_Y(Real(0), Real(1));

template <class Real>
inline Vector2<Real> operator*(Real s, const Vector2<Real>& v)
{
    return v * s;
}

typedef Vector2<float> Vector2f;
typedef Vector2<double> Vector2d;

}  // namespace Wml

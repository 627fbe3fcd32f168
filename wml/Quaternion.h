#pragma once
// Quaternion w + x i + y j + z k. Unit quaternions stand for rotations: q
// turns v into q v q*, and the product p * q rotates by q first, then by p,
// matching the matrix product R(p) * R(q) with column vectors.

#include <algorithm>
#include <cmath>

#include "wml/Matrix3.h"
#include "wml/Vector3.h"

namespace Wml {

template <class Real>
class Quaternion {
public:
    /// The identity rotation.
    Quaternion() : m_q{Real(1), Real(0), Real(0), Real(0)} {}
    Quaternion(Real w, Real x, Real y, Real z) : m_q{w, x, y, z} {}
    /// Same as FromRotationMatrix(rot).
    explicit Quaternion(const Matrix3<Real>& rot) { FromRotationMatrix(rot); }
    /// Same as FromAxisAngle(axis, angle).
    Quaternion(const Vector3<Real>& axis, Real angle) { FromAxisAngle(axis, angle); }

    /// Component i: 0 is w, 1 to 3 are x, y, z.
    Real& operator[](int i) { return m_q[i]; }
    Real operator[](int i) const { return m_q[i]; }
    Real& W() { return m_q[0]; }
    Real W() const { return m_q[0]; }
    Real& X() { return m_q[1]; }
    Real X() const { return m_q[1]; }
    Real& Y() { return m_q[2]; }
    Real Y() const { return m_q[2]; }
    Real& Z() { return m_q[3]; }
    Real Z() const { return m_q[3]; }

    bool operator==(const Quaternion& o) const
    {
        return m_q[0] == o.m_q[0] && m_q[1] == o.m_q[1] && m_q[2] == o.m_q[2] && m_q[3] == o.m_q[3];
    }
    bool operator!=(const Quaternion& o) const { return !(*this == o); }

    Quaternion operator+(const Quaternion& o) const
    {
        return Quaternion(m_q[0] + o.m_q[0], m_q[1] + o.m_q[1], m_q[2] + o.m_q[2], m_q[3] + o.m_q[3]);
    }
    Quaternion operator-(const Quaternion& o) const
    {
        return Quaternion(m_q[0] - o.m_q[0], m_q[1] - o.m_q[1], m_q[2] - o.m_q[2], m_q[3] - o.m_q[3]);
    }
    Quaternion operator-() const { return Quaternion(-m_q[0], -m_q[1], -m_q[2], -m_q[3]); }
    Quaternion operator*(Real s) const { return Quaternion(s * m_q[0], s * m_q[1], s * m_q[2], s * m_q[3]); }
    /// Hamilton product: rotation by o followed by rotation by this.
    Quaternion operator*(const Quaternion& o) const
    {
        const Real w0 = m_q[0], x0 = m_q[1], y0 = m_q[2], z0 = m_q[3];
        const Real w1 = o.m_q[0], x1 = o.m_q[1], y1 = o.m_q[2], z1 = o.m_q[3];
        return Quaternion(w0 * w1 - x0 * x1 - y0 * y1 - z0 * z1, w0 * x1 + x0 * w1 + y0 * z1 - z0 * y1,
                          w0 * y1 + y0 * w1 + z0 * x1 - x0 * z1, w0 * z1 + z0 * w1 + x0 * y1 - y0 * x1);
    }
    Quaternion& operator+=(const Quaternion& o) { return *this = *this + o; }
    Quaternion& operator-=(const Quaternion& o) { return *this = *this - o; }
    Quaternion& operator*=(Real s) { return *this = *this * s; }
    Quaternion& operator*=(const Quaternion& o) { return *this = *this * o; }

    /// Four-dimensional dot product; for unit quaternions the cosine of half
    /// the angle between the two rotations (up to sign).
    Real Dot(const Quaternion& o) const
    {
        return m_q[0] * o.m_q[0] + m_q[1] * o.m_q[1] + m_q[2] * o.m_q[2] + m_q[3] * o.m_q[3];
    }
    Real SquaredLength() const { return Dot(*this); }
    Real Length() const { return std::sqrt(SquaredLength()); }

    /// Scales to unit length and returns the former length. A quaternion
    /// shorter than the zero tolerance has no direction to keep: it becomes
    /// the identity rotation and 0 is returned.
    Real Normalize()
    {
        Real len = Length();
        if (len > Math<Real>::ZERO_TOLERANCE) {
            Real inv = Real(1) / len;
            for (Real& c : m_q) c *= inv;
            return len;
        }
        *this = IDENTITY;
        return Real(0);
    }

    /// (w, -x, -y, -z): the inverse rotation for a unit quaternion.
    Quaternion Conjugate() const { return Quaternion(m_q[0], -m_q[1], -m_q[2], -m_q[3]); }
    /// Multiplicative inverse, conjugate / squared length. The zero
    /// quaternion has none; ZERO is returned for it.
    Quaternion Inverse() const
    {
        Real sq = SquaredLength();
        if (sq <= Real(0)) return ZERO;
        return Conjugate() * (Real(1) / sq);
    }

    /// Rotation by angle (radians, right-handed) about axis. The axis is
    /// normalised here; a zero (or NaN) axis gives the identity.
    void FromAxisAngle(const Vector3<Real>& axis, Real angle)
    {
        Vector3<Real> unit = axis;
        if (!(unit.Normalize() > Real(0)) || !std::isfinite(angle)) {
            *this = IDENTITY;
            return;
        }
        Real half = Real(0.5) * angle;
        Real s = std::sin(half);
        m_q[0] = std::cos(half);
        m_q[1] = s * unit[0];
        m_q[2] = s * unit[1];
        m_q[3] = s * unit[2];
    }

    /// Unit axis and angle in [0, pi] of the rotation; q and -q give the same
    /// answer. A rotation by (nearly) nothing gives the x axis and angle 0.
    /// The quaternion need not be unit length.
    void ToAxisAngle(Vector3<Real>& axis, Real& angle) const
    {
        Vector3<Real> v(m_q[1], m_q[2], m_q[3]);
        Real s = v.Length();
        Real w = m_q[0];
        if (w < Real(0)) {
            w = -w;
            v = -v;
        }
        // atan2 stays accurate at both small and large angles, unlike acos(w).
        angle = Real(2) * std::atan2(s, w);
        if (!(s > Real(0)) || !(angle > Real(0))) {
            axis = Vector3<Real>::UNIT_X;
            angle = Real(0);
            return;
        }
        axis = v / s;
    }

    /// The rotation matrix of a unit quaternion (columns are the rotated
    /// coordinate axes).
    void ToRotationMatrix(Matrix3<Real>& rot) const
    {
        const Real w = m_q[0], x = m_q[1], y = m_q[2], z = m_q[3];
        const Real tx = x + x, ty = y + y, tz = z + z;
        const Real twx = tx * w, twy = ty * w, twz = tz * w;
        const Real txx = tx * x, txy = ty * x, txz = tz * x;
        const Real tyy = ty * y, tyz = tz * y, tzz = tz * z;
        rot(0, 0) = Real(1) - (tyy + tzz);
        rot(0, 1) = txy - twz;
        rot(0, 2) = txz + twy;
        rot(1, 0) = txy + twz;
        rot(1, 1) = Real(1) - (txx + tzz);
        rot(1, 2) = tyz - twx;
        rot(2, 0) = txz - twy;
        rot(2, 1) = tyz + twx;
        rot(2, 2) = Real(1) - (txx + tyy);
    }
    Matrix3<Real> ToRotationMatrix() const
    {
        Matrix3<Real> rot;
        ToRotationMatrix(rot);
        return rot;
    }

    /// Unit quaternion of a rotation matrix. The matrix is trusted to be a
    /// rotation; the branch on the largest diagonal term keeps the square
    /// root away from zero for every rotation angle.
    void FromRotationMatrix(const Matrix3<Real>& rot)
    {
        Real trace = rot(0, 0) + rot(1, 1) + rot(2, 2);
        if (trace > Real(0)) {
            Real root = std::sqrt(trace + Real(1));
            m_q[0] = Real(0.5) * root;
            root = Real(0.5) / root;
            m_q[1] = (rot(2, 1) - rot(1, 2)) * root;
            m_q[2] = (rot(0, 2) - rot(2, 0)) * root;
            m_q[3] = (rot(1, 0) - rot(0, 1)) * root;
        } else {
            int i = 0;
            if (rot(1, 1) > rot(0, 0)) i = 1;
            if (rot(2, 2) > rot(i, i)) i = 2;
            int j = (i + 1) % 3, k = (i + 2) % 3;
            Real root = std::sqrt(std::max(Real(0), rot(i, i) - rot(j, j) - rot(k, k) + Real(1)));
            if (!(root > Real(0))) {
                *this = IDENTITY;  // not a rotation (e.g. zero matrix)
                return;
            }
            m_q[1 + i] = Real(0.5) * root;
            root = Real(0.5) / root;
            m_q[0] = (rot(k, j) - rot(j, k)) * root;
            m_q[1 + j] = (rot(j, i) + rot(i, j)) * root;
            m_q[1 + k] = (rot(k, i) + rot(i, k)) * root;
        }
        Normalize();
    }

    /// v rotated by this unit quaternion (q v q*), without building a matrix.
    Vector3<Real> Rotate(const Vector3<Real>& v) const
    {
        Vector3<Real> u(m_q[1], m_q[2], m_q[3]);
        Vector3<Real> t = u.Cross(v) * Real(2);
        return v + t * m_q[0] + u.Cross(t);
    }

    /// Sets this to the spherical interpolation from p (t = 0) to q (t = 1)
    /// along the shorter arc: q is negated when p . q < 0, so the result at
    /// t = 1 may be -q, which is the same rotation. Nearly equal inputs use a
    /// normalised linear blend, where the sine ratio would lose precision.
    /// t outside [0, 1] extrapolates. Returns *this.
    Quaternion& Slerp(Real t, const Quaternion& p, const Quaternion& q)
    {
        Real cs = p.Dot(q);
        Quaternion qq = q;
        if (cs < Real(0)) {
            cs = -cs;
            qq = -q;
        }
        if (cs < Real(1) - Real(1e-6)) {
            Real angle = Math<Real>::ACos(cs);
            Real invSin = Real(1) / std::sin(angle);
            Real c0 = std::sin((Real(1) - t) * angle) * invSin;
            Real c1 = std::sin(t * angle) * invSin;
            *this = p * c0 + qq * c1;
        } else {
            *this = p * (Real(1) - t) + qq * t;
            Normalize();
        }
        return *this;
    }

    static const Quaternion IDENTITY;
    static const Quaternion ZERO;

private:
    Real m_q[4];  // w, x, y, z
};

template <class Real>
const Quaternion<Real> Quaternion<Real>::IDENTITY(Real(1), Real(0), Real(0), Real(0));
template <class Real>
const Quaternion<Real> Quaternion<Real>::ZERO(Real(0), Real(0), Real(0), Real(0));

template <class Real>
inline Quaternion<Real> operator*(Real s, const Quaternion<Real>& q)
{
    return q * s;
}

/// Value form of Quaternion::Slerp: the shorter-arc interpolation from p
/// (t = 0) to q (t = 1).
template <class Real>
inline Quaternion<Real> Slerp(Real t, const Quaternion<Real>& p, const Quaternion<Real>& q)
{
    Quaternion<Real> r;
    r.Slerp(t, p, q);
    return r;
}

typedef Quaternion<float> Quaternionf;
typedef Quaternion<double> Quaterniond;

}  // namespace Wml

#pragma once
// 3x3 matrix, stored row-major. Vectors are columns: M * v rotates v; v * M
// is the row-vector product (equal to transpose(M) * v).

#include <algorithm>
#include <limits>

#include "wml/Vector3.h"

namespace Wml {

template <class Real>
class Matrix3 {
public:
    /// The identity.
    Matrix3() { MakeIdentity(); }
    Matrix3(Real m00, Real m01, Real m02, Real m10, Real m11, Real m12, Real m20, Real m21, Real m22)
        : m_m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}}
    {
    }
    /// From three vectors, taken as columns when columns is true, else as rows.
    Matrix3(const Vector3<Real>& a, const Vector3<Real>& b, const Vector3<Real>& c, bool columns)
    {
        for (int i = 0; i < 3; ++i) {
            if (columns) {
                m_m[i][0] = a[i];
                m_m[i][1] = b[i];
                m_m[i][2] = c[i];
            } else {
                m_m[0][i] = a[i];
                m_m[1][i] = b[i];
                m_m[2][i] = c[i];
            }
        }
    }
    /// Rotation by angle (radians) about a unit axis, right-handed.
    Matrix3(const Vector3<Real>& axis, Real angle) { FromAxisAngle(axis, angle); }

    Real& operator()(int row, int col) { return m_m[row][col]; }
    Real operator()(int row, int col) const { return m_m[row][col]; }
    Real* operator[](int row) { return m_m[row]; }
    const Real* operator[](int row) const { return m_m[row]; }
    /// Row-major storage of nine values.
    const Real* Data() const { return &m_m[0][0]; }

    Vector3<Real> GetRow(int r) const { return Vector3<Real>(m_m[r][0], m_m[r][1], m_m[r][2]); }
    Vector3<Real> GetColumn(int c) const { return Vector3<Real>(m_m[0][c], m_m[1][c], m_m[2][c]); }
    void SetRow(int r, const Vector3<Real>& v)
    {
        m_m[r][0] = v[0];
        m_m[r][1] = v[1];
        m_m[r][2] = v[2];
    }
    void SetColumn(int c, const Vector3<Real>& v)
    {
        m_m[0][c] = v[0];
        m_m[1][c] = v[1];
        m_m[2][c] = v[2];
    }

    void MakeIdentity()
    {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m_m[r][c] = (r == c) ? Real(1) : Real(0);
    }
    void MakeZero()
    {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m_m[r][c] = Real(0);
    }

    bool operator==(const Matrix3& o) const
    {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if (m_m[r][c] != o.m_m[r][c]) return false;
        return true;
    }
    bool operator!=(const Matrix3& o) const { return !(*this == o); }

    Matrix3 operator+(const Matrix3& o) const
    {
        Matrix3 s;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) s.m_m[r][c] = m_m[r][c] + o.m_m[r][c];
        return s;
    }
    Matrix3 operator-(const Matrix3& o) const
    {
        Matrix3 s;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) s.m_m[r][c] = m_m[r][c] - o.m_m[r][c];
        return s;
    }
    Matrix3 operator*(Real k) const
    {
        Matrix3 s;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) s.m_m[r][c] = k * m_m[r][c];
        return s;
    }
    Matrix3 operator*(const Matrix3& o) const
    {
        Matrix3 p;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                p.m_m[r][c] = m_m[r][0] * o.m_m[0][c] + m_m[r][1] * o.m_m[1][c] + m_m[r][2] * o.m_m[2][c];
        return p;
    }
    Matrix3& operator*=(const Matrix3& o) { return *this = *this * o; }
    Vector3<Real> operator*(const Vector3<Real>& v) const
    {
        return Vector3<Real>(m_m[0][0] * v[0] + m_m[0][1] * v[1] + m_m[0][2] * v[2],
                             m_m[1][0] * v[0] + m_m[1][1] * v[1] + m_m[1][2] * v[2],
                             m_m[2][0] * v[0] + m_m[2][1] * v[1] + m_m[2][2] * v[2]);
    }

    Matrix3 Transpose() const
    {
        return Matrix3(m_m[0][0], m_m[1][0], m_m[2][0], m_m[0][1], m_m[1][1], m_m[2][1], m_m[0][2], m_m[1][2],
                       m_m[2][2]);
    }
    /// transpose(this) * o.
    Matrix3 TransposeTimes(const Matrix3& o) const { return Transpose() * o; }
    Real Determinant() const
    {
        return m_m[0][0] * (m_m[1][1] * m_m[2][2] - m_m[1][2] * m_m[2][1]) -
               m_m[0][1] * (m_m[1][0] * m_m[2][2] - m_m[1][2] * m_m[2][0]) +
               m_m[0][2] * (m_m[1][0] * m_m[2][1] - m_m[1][1] * m_m[2][0]);
    }
    /// The inverse, or the zero matrix when the matrix is singular.
    Matrix3 Inverse() const
    {
        Matrix3 inv(
            m_m[1][1] * m_m[2][2] - m_m[1][2] * m_m[2][1], m_m[0][2] * m_m[2][1] - m_m[0][1] * m_m[2][2],
            m_m[0][1] * m_m[1][2] - m_m[0][2] * m_m[1][1], m_m[1][2] * m_m[2][0] - m_m[1][0] * m_m[2][2],
            m_m[0][0] * m_m[2][2] - m_m[0][2] * m_m[2][0], m_m[0][2] * m_m[1][0] - m_m[0][0] * m_m[1][2],
            m_m[1][0] * m_m[2][1] - m_m[1][1] * m_m[2][0], m_m[0][1] * m_m[2][0] - m_m[0][0] * m_m[2][1],
            m_m[0][0] * m_m[1][1] - m_m[0][1] * m_m[1][0]);
        Real det = m_m[0][0] * inv.m_m[0][0] + m_m[0][1] * inv.m_m[1][0] + m_m[0][2] * inv.m_m[2][0];
        if (std::fabs(det) <= std::numeric_limits<Real>::min()) {
            inv.MakeZero();
            return inv;
        }
        return inv * (Real(1) / det);
    }

    /// Rotation by angle (radians) about a unit axis (Rodrigues).
    void FromAxisAngle(const Vector3<Real>& axis, Real angle)
    {
        Real c = std::cos(angle), s = std::sin(angle), t = Real(1) - c;
        Real x = axis[0], y = axis[1], z = axis[2];
        m_m[0][0] = t * x * x + c;
        m_m[0][1] = t * x * y - s * z;
        m_m[0][2] = t * x * z + s * y;
        m_m[1][0] = t * x * y + s * z;
        m_m[1][1] = t * y * y + c;
        m_m[1][2] = t * y * z - s * x;
        m_m[2][0] = t * x * z - s * y;
        m_m[2][1] = t * y * z + s * x;
        m_m[2][2] = t * z * z + c;
    }
    /// Axis and angle in [0, pi] of a rotation matrix. The identity gives
    /// the x axis and angle 0.
    void ToAxisAngle(Vector3<Real>& axis, Real& angle) const
    {
        Real trace = m_m[0][0] + m_m[1][1] + m_m[2][2];
        angle = Math<Real>::ACos(Real(0.5) * (trace - Real(1)));
        if (angle <= Real(1e-6)) {
            axis = Vector3<Real>::UNIT_X;
            angle = Real(0);
            return;
        }
        if (angle < Math<Real>::PI - Real(1e-3)) {
            axis = Vector3<Real>(m_m[2][1] - m_m[1][2], m_m[0][2] - m_m[2][0], m_m[1][0] - m_m[0][1]);
            axis.Normalize();
            return;
        }
        // Near pi the skew part vanishes; read the axis off the symmetric part.
        int i = 0;
        if (m_m[1][1] > m_m[i][i]) i = 1;
        if (m_m[2][2] > m_m[i][i]) i = 2;
        int j = (i + 1) % 3, k = (i + 2) % 3;
        Real v[3];
        v[i] = Real(0.5) * std::sqrt(std::max(Real(0), m_m[i][i] - m_m[j][j] - m_m[k][k] + Real(1)));
        Real half = Real(0.5) / v[i];
        v[j] = half * m_m[i][j];
        v[k] = half * m_m[i][k];
        axis = Vector3<Real>(v[0], v[1], v[2]);
        // Keep the sign consistent with the (small) skew part.
        Vector3<Real> skew(m_m[2][1] - m_m[1][2], m_m[0][2] - m_m[2][0], m_m[1][0] - m_m[0][1]);
        if (skew.Dot(axis) < Real(0)) axis = -axis;
        axis.Normalize();
    }

    /// R = Rx(xAngle) * Ry(yAngle) * Rz(zAngle), angles in radians.
    void FromEulerAnglesXYZ(Real xAngle, Real yAngle, Real zAngle)
    {
        Matrix3 rx(Vector3<Real>::UNIT_X, xAngle), ry(Vector3<Real>::UNIT_Y, yAngle),
            rz(Vector3<Real>::UNIT_Z, zAngle);
        *this = rx * (ry * rz);
    }
    /// Inverse of FromEulerAnglesXYZ. Returns false at gimbal lock
    /// (y = +-pi/2), where the z angle is set to 0 and x takes the whole turn.
    bool ToEulerAnglesXYZ(Real& xAngle, Real& yAngle, Real& zAngle) const
    {
        Real sy = m_m[0][2];
        if (sy < Real(1) - Real(1e-6)) {
            if (sy > Real(-1) + Real(1e-6)) {
                yAngle = std::asin(sy);
                xAngle = std::atan2(-m_m[1][2], m_m[2][2]);
                zAngle = std::atan2(-m_m[0][1], m_m[0][0]);
                return true;
            }
            yAngle = -Math<Real>::HALF_PI;
            xAngle = -std::atan2(m_m[1][0], m_m[1][1]);
            zAngle = Real(0);
            return false;
        }
        yAngle = Math<Real>::HALF_PI;
        xAngle = std::atan2(m_m[1][0], m_m[1][1]);
        zAngle = Real(0);
        return false;
    }

    /// Gram-Schmidt on the columns, making the matrix a rotation again after
    /// accumulated rounding.
    void Orthonormalize()
    {
        Vector3<Real> c0 = GetColumn(0), c1 = GetColumn(1), c2;
        c0.Normalize();
        c1 = c1 - c0 * c0.Dot(c1);
        c1.Normalize();
        c2 = c0.Cross(c1);
        SetColumn(0, c0);
        SetColumn(1, c1);
        SetColumn(2, c2);
    }

    static const Matrix3 ZERO;
    static const Matrix3 IDENTITY;

private:
    Real m_m[3][3];
};

template <class Real>
const Matrix3<Real> Matrix3<Real>::ZERO(Real(0), Real(0), Real(0), Real(0), Real(0), Real(0), Real(0),
                                        Real(0), Real(0));
template <class Real>
const Matrix3<Real> Matrix3<Real>::IDENTITY(Real(1), Real(0), Real(0), Real(0), Real(1), Real(0), Real(0),
                                            Real(0), Real(1));

/// Row-vector product v * M = transpose(M) * v.
template <class Real>
inline Vector3<Real> operator*(const Vector3<Real>& v, const Matrix3<Real>& m)
{
    return Vector3<Real>(v[0] * m(0, 0) + v[1] * m(1, 0) + v[2] * m(2, 0),
                         v[0] * m(0, 1) + v[1] * m(1, 1) + v[2] * m(2, 1),
                         v[0] * m(0, 2) + v[1] * m(1, 2) + v[2] * m(2, 2));
}

template <class Real>
inline Matrix3<Real> operator*(Real k, const Matrix3<Real>& m)
{
    return m * k;
}

typedef Matrix3<float> Matrix3f;
typedef Matrix3<double> Matrix3d;

}  // namespace Wml

#include "wml/Frame3.h"

#include <cmath>
#include <limits>

namespace Wml {

namespace {

template <class Real>
bool IsFinite(const Vector3<Real>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

template <class Real>
bool IsFinite(const Matrix3<Real>& m)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (!std::isfinite(m(r, c))) return false;
    return true;
}

// Unit copy of v in double, or false when v is zero or not finite.
template <class Real>
bool UnitDouble(const Vector3<Real>& v, Vector3<double>& out)
{
    if (!IsFinite(v)) return false;
    out = Vector3<double>(v);
    double len = out.Length();
    if (!(len > 1e-30)) return false;
    out /= len;
    return true;
}

// Same, but usable only when clearly longer than rounding noise; used when
// rebuilding axes, where a near-zero vector has no trustworthy direction.
bool UnitRobust(const Vector3<double>& v, Vector3<double>& out)
{
    if (!IsFinite(v)) return false;
    double len = v.Length();
    if (!(len > 1e-9)) return false;
    out = v / len;
    return true;
}

// Division that answers 0 for a zero (or subnormal) divisor: the coordinate
// along a flattened axis cannot be recovered, and 0 is the projection onto
// the flattened plane.
template <class Real>
Real SafeDivide(Real a, Real b)
{
    return std::fabs(b) < std::numeric_limits<Real>::min() ? Real(0) : a / b;
}

}  // namespace

template <class Real>
Frame3<Real>::Frame3()
    : m_origin(Vector3<Real>::ZERO),
      m_scale(Real(1), Real(1), Real(1)),
      m_rotation(Matrix3<Real>::IDENTITY),
      m_inverse(Matrix3<Real>::IDENTITY)
{
}

template <class Real>
Frame3<Real>::Frame3(const Vector3<Real>& origin)
    : m_origin(origin),
      m_scale(Real(1), Real(1), Real(1)),
      m_rotation(Matrix3<Real>::IDENTITY),
      m_inverse(Matrix3<Real>::IDENTITY)
{
}

template <class Real>
Frame3<Real>::Frame3(const Vector3<Real>& origin, const Vector3<Real>& xAxis, const Vector3<Real>& yAxis,
                     const Vector3<Real>& zAxis)
    : m_origin(origin), m_scale(Real(1), Real(1), Real(1))
{
    SetAxes(xAxis, yAxis, zAxis);
}

template <class Real>
Frame3<Real>::Frame3(const Vector3<Real>& origin, const Matrix3<Real>& rotation)
    : m_origin(origin), m_scale(Real(1), Real(1), Real(1))
{
    SetRotation(rotation, true);
}

template <class Real>
Frame3<Real> Frame3<Real>::FromOriginAndNormal(const Vector3<Real>& origin, const Vector3<Real>& normal)
{
    Frame3 frame(origin);
    frame.AlignZAxis(normal);
    return frame;
}

template <class Real>
Vector3<Real> Frame3<Real>::GetAxis(int i) const
{
    if (i < 0) i = 0;
    if (i > 2) i = 2;
    return m_rotation.GetRow(i);
}

template <class Real>
void Frame3<Real>::SetFrame(const Vector3<Real>& origin, const Vector3<Real>& xAxis,
                            const Vector3<Real>& yAxis, const Vector3<Real>& zAxis)
{
    m_origin = origin;
    SetAxes(xAxis, yAxis, zAxis);
}

template <class Real>
void Frame3<Real>::SetAxes(const Vector3<Real>& xAxis, const Vector3<Real>& yAxis, const Vector3<Real>& zAxis)
{
    m_rotation = Matrix3<Real>(xAxis, yAxis, zAxis, false);
    UpdateInverse();
}

template <class Real>
void Frame3<Real>::SetRotation(const Matrix3<Real>& m, bool bUpdateInverse)
{
    m_rotation = m;
    if (bUpdateInverse)
        UpdateInverse();
    else
        m_inverse = m_rotation.Transpose();
}

template <class Real>
void Frame3<Real>::Rotate(const Matrix3<Real>& m, bool relative)
{
    if (!relative) {
        SetRotation(m, true);
        return;
    }
    // Row i of R is axis_i^T; (m axis_i)^T = axis_i^T m^T.
    m_rotation = m_rotation * m.Transpose();
    UpdateInverse();
}

template <class Real>
void Frame3<Real>::RotateAbout(const Matrix3<Real>& m, const Vector3<Real>& centre)
{
    Rotate(m, true);
    m_origin = m * (m_origin - centre) + centre;
}

template <class Real>
bool Frame3<Real>::ReNormalize()
{
    // Work in double: float frames that drifted are common, and the rebuilt
    // axes should be as exact as float storage allows.
    Vector3<double> a[3];
    for (int i = 0; i < 3; ++i) {
        Vector3<Real> row = m_rotation.GetRow(i);
        a[i] = IsFinite(row) ? Vector3<double>(row) : Vector3<double>::ZERO;
    }

    Vector3<double> x, y, u, v;
    if (!UnitRobust(a[0], x) && !UnitRobust(a[1].Cross(a[2]), x)) {
        // At most one usable direction among y and z: build around it.
        if (UnitRobust(a[1], y)) {
            // (u, v, y) right-handed, so (v, y, u) is too.
            Vector3<double>::GenerateOrthonormalBasis(u, v, y);
            x = v;
        } else if (UnitRobust(a[2], v)) {
            Vector3<double> w;
            Vector3<double>::GenerateOrthonormalBasis(x, w, v);
        } else {
            m_rotation = Matrix3<Real>::IDENTITY;
            m_inverse = Matrix3<Real>::IDENTITY;
            return false;
        }
    }
    if (!UnitRobust(a[1] - x * x.Dot(a[1]), y) && !UnitRobust(a[2].Cross(x), y)) {
        // (u, v, x) right-handed, so (x, u, v) is too.
        Vector3<double>::GenerateOrthonormalBasis(u, v, x);
        y = u;
    }
    Vector3<double> z = x.Cross(y);
    z.Normalize();

    m_rotation = Matrix3<Real>(Vector3<Real>(x), Vector3<Real>(y), Vector3<Real>(z), false);
    m_inverse = m_rotation.Transpose();
    return true;
}

template <class Real>
void Frame3<Real>::ComputeAlignmentMatrix(const Frame3& target, Matrix3<Real>& m) const
{
    // m A = B with A, B the axes as columns: A = R^T, B = Rt^T, and
    // A^-1 = (R^-1)^T, so m = Rt^T (R^-1)^T = (R^-1 Rt)^T.
    m = (m_inverse * target.m_rotation).Transpose();
}

template <class Real>
bool Frame3<Real>::AlignZAxis(const Vector3<Real>& v)
{
    Vector3<double> target;
    if (!UnitDouble(v, target)) return false;

    Vector3<double> z;
    if (!UnitDouble(Z(), z)) {
        // No usable z axis to turn from: make the frame sane first.
        ReNormalize();
        UnitDouble(Z(), z);
    }

    Vector3<double> axis = z.Cross(target);
    double s = axis.Length();
    double c = z.Dot(target);
    Matrix3<double> rot;
    if (s < 1e-12) {
        if (c > 0.0) return true;
        // Opposite: any half turn about a direction perpendicular to z is
        // minimal; the frame's own x axis keeps x unchanged.
        Vector3<double> x(X());
        x = x - z * z.Dot(x);
        if (!UnitRobust(x, axis)) {
            Vector3<double> w;
            Vector3<double>::GenerateOrthonormalBasis(axis, w, z);
        }
        rot.FromAxisAngle(axis, Math<double>::PI);
    } else {
        rot.FromAxisAngle(axis / s, std::atan2(s, c));
    }

    Matrix3<Real> m;
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col) m(r, col) = Real(rot(r, col));
    Rotate(m, true);
    return true;
}

template <class Real>
Vector3<Real> Frame3<Real>::ToWorldPoint(const Vector3<Real>& local) const
{
    // Row-vector product: q * R = R^T q.
    return local.Scale(m_scale) * m_rotation + m_origin;
}

template <class Real>
Vector3<Real> Frame3<Real>::ToLocalPoint(const Vector3<Real>& world) const
{
    return ToLocalVectorScaled(world - m_origin);
}

template <class Real>
Vector3<Real> Frame3<Real>::ToWorldVector(const Vector3<Real>& local) const
{
    return local * m_rotation;
}

template <class Real>
Vector3<Real> Frame3<Real>::ToLocalVector(const Vector3<Real>& world) const
{
    // (R^T)^-1 w = (R^-1)^T w.
    return world * m_inverse;
}

template <class Real>
Vector3<Real> Frame3<Real>::ToWorldVectorScaled(const Vector3<Real>& local) const
{
    return local.Scale(m_scale) * m_rotation;
}

template <class Real>
Vector3<Real> Frame3<Real>::ToLocalVectorScaled(const Vector3<Real>& world) const
{
    Vector3<Real> v = world * m_inverse;
    return Vector3<Real>(SafeDivide(v[0], m_scale[0]), SafeDivide(v[1], m_scale[1]),
                         SafeDivide(v[2], m_scale[2]));
}

template <class Real>
Vector3<Real> Frame3<Real>::ToWorldNormal(const Vector3<Real>& localNormal) const
{
    // The placement's linear part is A = R^T S; normals go by A^-T = R^-1 S^-1.
    // S^-1 is replaced by its cofactor diag(sy sz, sx sz, sx sy) (= det S S^-1,
    // with the sign of det S taken back out) so that zero scales flatten
    // normals instead of dividing by zero.
    const Vector3<Real>& s = m_scale;
    Vector3<Real> cof(s[1] * s[2], s[0] * s[2], s[0] * s[1]);
    if (s[0] * s[1] * s[2] < Real(0)) cof = -cof;
    Vector3<Real> n = m_inverse * localNormal.Scale(cof);
    Vector3<double> unit;
    if (!UnitDouble(n, unit)) return Vector3<Real>::ZERO;
    return Vector3<Real>(unit);
}

template <class Real>
bool Frame3<Real>::operator==(const Frame3& o) const
{
    return m_origin == o.m_origin && m_scale == o.m_scale && m_rotation == o.m_rotation;
}

template <class Real>
bool Frame3<Real>::IsValid() const
{
    if (!IsFinite(m_origin) || !IsFinite(m_scale) || !IsFinite(m_rotation) || !IsFinite(m_inverse))
        return false;
    for (int i = 0; i < 3; ++i)
        if (!(std::fabs(m_scale[i]) > Math<Real>::ZERO_TOLERANCE)) return false;
    // Degenerate axes: the determinant is small compared with the axis lengths.
    Real lengths = X().Length() * Y().Length() * Z().Length();
    return std::fabs(m_rotation.Determinant()) > Math<Real>::ZERO_TOLERANCE * lengths && lengths > Real(0);
}

template <class Real>
void Frame3<Real>::GetGLMatrix(float m[16]) const
{
    for (int c = 0; c < 3; ++c) {
        Vector3<Real> axis = m_rotation.GetRow(c) * m_scale[c];
        m[4 * c + 0] = float(axis[0]);
        m[4 * c + 1] = float(axis[1]);
        m[4 * c + 2] = float(axis[2]);
        m[4 * c + 3] = 0.0f;
    }
    m[12] = float(m_origin[0]);
    m[13] = float(m_origin[1]);
    m[14] = float(m_origin[2]);
    m[15] = 1.0f;
}

template <class Real>
void Frame3<Real>::GetGLMatrix(double m[16]) const
{
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) m[4 * c + r] = double(m_rotation(c, r)) * double(m_scale[c]);
        m[4 * c + 3] = 0.0;
    }
    m[12] = double(m_origin[0]);
    m[13] = double(m_origin[1]);
    m[14] = double(m_origin[2]);
    m[15] = 1.0;
}

template <class Real>
void Frame3<Real>::UpdateInverse()
{
    // Singular or broken axes fall back to the transpose: world -> local then
    // projects onto whatever axes remain instead of producing NaN.
    Real lengths = X().Length() * Y().Length() * Z().Length();
    Real det = m_rotation.Determinant();
    if (IsFinite(m_rotation) && lengths > Real(0) &&
        std::fabs(det) > std::numeric_limits<Real>::epsilon() * lengths) {
        m_inverse = m_rotation.Inverse();
        if (IsFinite(m_inverse)) return;
    }
    m_inverse = m_rotation.Transpose();
}

template class Frame3<float>;
template class Frame3<double>;

}  // namespace Wml

#pragma once
// A placement in space: origin, three axes and a per-axis scale.
//
// Convention (used by every caller in the program):
//
//  * The stored rotation matrix R has the frame's axes as its ROWS:
//        row 0 = x axis, row 1 = y axis, row 2 = z axis (world coordinates).
//    So R maps world directions to local ones, and R^T (columns = axes) maps
//    local directions to world ones.
//  * Local coordinates q and world points p are related by
//        p = R^T (s * q) + o          (local -> world, s the scale vector,
//                                      * the component-wise product)
//        q = (R (p - o)) / s          (world -> local)
//    i.e. p = o + s.x q.x X() + s.y q.y Y() + s.z q.z Z().
//  * Rotate(m, true) turns the frame's axes by the world rotation m about the
//    frame's own origin: each new axis is m * old axis; the origin stays.
//
// Callers that think of "the frame's rotation" as the local -> world map
// (p = M q + o) should use GetLocalToWorldRotation(), never GetRotation().
//
// The axes are normally orthonormal and right-handed. SetFrame/SetAxes and
// SetRotation store what they are given, so a sheared frame is possible until
// ReNormalize() is called; the point and vector maps stay exact inverses of
// each other for any non-singular set of axes.

#include "wml/Matrix3.h"
#include "wml/Vector3.h"

namespace Wml {

template <class Real>
class Frame3 {
public:
    /// Origin at zero, axes along world x, y, z, scale (1, 1, 1).
    Frame3();
    /// Axes along world x, y, z, unit scale, the given origin.
    explicit Frame3(const Vector3<Real>& origin);
    /// The given origin and axes (stored as given, see SetFrame), unit scale.
    Frame3(const Vector3<Real>& origin, const Vector3<Real>& xAxis, const Vector3<Real>& yAxis,
           const Vector3<Real>& zAxis);
    /// The given origin and rotation (rows = axes), unit scale.
    Frame3(const Vector3<Real>& origin, const Matrix3<Real>& rotation);

    /// A frame at origin whose z axis points along normal, turned from the
    /// world axes by the smallest rotation (so the result is deterministic).
    /// A zero or non-finite normal leaves the world axes.
    static Frame3 FromOriginAndNormal(const Vector3<Real>& origin, const Vector3<Real>& normal);

    /// The origin in world coordinates (writable in place).
    const Vector3<Real>& Origin() const { return m_origin; }
    Vector3<Real>& Origin() { return m_origin; }
    void SetOrigin(const Vector3<Real>& origin) { m_origin = origin; }

    /// Per-axis scale applied to local coordinates before they are placed.
    const Vector3<Real>& Scale() const { return m_scale; }
    Vector3<Real>& Scale() { return m_scale; }
    void SetScale(const Vector3<Real>& scale) { m_scale = scale; }

    /// The rotation R, rows = x, y, z axes (maps world vectors to local).
    const Matrix3<Real>& GetRotation() const { return m_rotation; }
    /// The inverse of R; for an orthonormal frame this is R^T, the matrix
    /// whose columns are the axes (maps local vectors to world).
    const Matrix3<Real>& GetInverseRotation() const { return m_inverse; }
    /// The local -> world direction map M = R^T (columns = axes), so that a
    /// local point q (unscaled) is placed at M q + o.
    Matrix3<Real> GetLocalToWorldRotation() const { return m_rotation.Transpose(); }
    /// The world -> local direction map, exact inverse of
    /// GetLocalToWorldRotation() (equals R for an orthonormal frame).
    Matrix3<Real> GetWorldToLocalRotation() const { return m_inverse.Transpose(); }

    /// Axis i (0 = x, 1 = y, 2 = z) in world coordinates; i is clamped to
    /// [0, 2].
    Vector3<Real> GetAxis(int i) const;
    Vector3<Real> X() const { return m_rotation.GetRow(0); }
    Vector3<Real> Y() const { return m_rotation.GetRow(1); }
    Vector3<Real> Z() const { return m_rotation.GetRow(2); }

    /// Sets the origin and the axes. The axes are stored as given (call
    /// ReNormalize() to make them orthonormal); the scale is unchanged.
    void SetFrame(const Vector3<Real>& origin, const Vector3<Real>& xAxis, const Vector3<Real>& yAxis,
                  const Vector3<Real>& zAxis);
    /// Sets the axes only, as SetFrame does.
    void SetAxes(const Vector3<Real>& xAxis, const Vector3<Real>& yAxis, const Vector3<Real>& zAxis);

    /// Replaces R by m (rows = new axes). With bUpdateInverse the inverse is
    /// computed exactly (m may be any non-singular matrix); without it the
    /// inverse is taken as the transpose, which the caller vouches for by
    /// passing an orthonormal m. A singular m gets the transpose as well, so
    /// the inverse never holds NaN.
    void SetRotation(const Matrix3<Real>& m, bool bUpdateInverse = true);

    /// relative = true: turns the axes by the world rotation m about the
    /// frame's origin (new axis_i = m * axis_i, i.e. R := R m^T); the origin
    /// and the scale are unchanged. Applying m1 then m2 equals applying
    /// m2 * m1. relative = false: the same as SetRotation(m).
    void Rotate(const Matrix3<Real>& m, bool relative);

    /// Turns the whole frame by the world rotation m about centre: the axes
    /// as Rotate(m, true) and the origin o := m (o - centre) + centre.
    void RotateAbout(const Matrix3<Real>& m, const Vector3<Real>& centre);

    /// Makes the axes orthonormal and right-handed, keeping the x axis
    /// direction, then the y axis as far as possible (z := x cross y), and
    /// recomputes the inverse. Degenerate axes are rebuilt from the usable
    /// ones; when none is usable the world axes are taken and false returned.
    bool ReNormalize();

    /// The world rotation m with m * axis_i(this) = axis_i(target) for all
    /// three axes, so that Rotate(m, true) turns this frame's axes into
    /// target's. For orthonormal frames m is a rotation (target's R^T * R).
    /// Origins and scales play no part.
    void ComputeAlignmentMatrix(const Frame3& target, Matrix3<Real>& m) const;

    /// Turns the frame by the smallest rotation about its origin that makes
    /// the z axis point along v. When v is opposite to z the frame turns half
    /// way round its own x axis. A zero or non-finite v changes nothing and
    /// answers false.
    bool AlignZAxis(const Vector3<Real>& v);

    /// Local point -> world point, scale included: R^T (s * q) + o.
    Vector3<Real> ToWorldPoint(const Vector3<Real>& local) const;
    /// World point -> local point, inverse of ToWorldPoint. A coordinate whose
    /// scale is zero cannot be recovered and comes out as 0.
    Vector3<Real> ToLocalPoint(const Vector3<Real>& world) const;
    /// Local direction -> world direction by the axes only (no scale).
    Vector3<Real> ToWorldVector(const Vector3<Real>& local) const;
    /// World direction -> local direction by the axes only (no scale).
    Vector3<Real> ToLocalVector(const Vector3<Real>& world) const;
    /// Local direction -> world direction with the scale: R^T (s * v).
    Vector3<Real> ToWorldVectorScaled(const Vector3<Real>& local) const;
    /// Inverse of ToWorldVectorScaled; zero-scale coordinates come out as 0.
    Vector3<Real> ToLocalVectorScaled(const Vector3<Real>& world) const;
    /// Local surface normal -> unit world normal under the scaled placement
    /// (inverse transpose). A normal flattened away by zero scales (or a zero
    /// input) gives the zero vector.
    Vector3<Real> ToWorldNormal(const Vector3<Real>& localNormal) const;

    /// Exact comparison of origin, scale and rotation.
    bool operator==(const Frame3& o) const;
    bool operator!=(const Frame3& o) const { return !(*this == o); }

    /// True when every number is finite, no scale component is zero and the
    /// axes are not degenerate (|det R| above a small tolerance).
    bool IsValid() const;

    /// Column-major 4x4 local -> world matrix including the scale, for
    /// glMultMatrix: columns s.x X(), s.y Y(), s.z Z(), origin.
    void GetGLMatrix(float m[16]) const;
    void GetGLMatrix(double m[16]) const;

private:
    void UpdateInverse();

    Vector3<Real> m_origin;
    Vector3<Real> m_scale;
    Matrix3<Real> m_rotation;  // rows = axes
    Matrix3<Real> m_inverse;   // m_rotation^-1
};

typedef Frame3<float> Frame3f;
typedef Frame3<double> Frame3d;

}  // namespace Wml

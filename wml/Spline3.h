#pragma once
// B-spline curve in space: the path of curve sweeps and the form in which
// such paths are stored in scene files.

#include <vector>

#include "wml/BSplineCurve2.h"
#include "wml/Vector3.h"

namespace Wml {

/**
 * \brief B-spline curve in 3D given by control points, degree, open/closed
 * flag and knot vector.
 *
 * By default the knots are uniform: clamped for open curves (the curve runs
 * from the first to the last control point) and periodic for closed ones
 * (control points wrap; the curve joins itself smoothly). Explicit knots can
 * be given so that a stored curve is restored exactly; their rules are those
 * of BSplineBasis: size numControlPoints + degree + 1 when open,
 * numControlPoints + 2 degree + 1 when closed (periodic spacing), finite,
 * non-decreasing, no value repeated more than degree + 1 times.
 *
 * The parameter t runs over [0, 1] across the whole knot domain; open curves
 * clamp it, closed curves wrap it; NaN counts as 0. Derivatives are with
 * respect to t.
 *
 * An invalid spline (empty, or built from bad input through the
 * constructor) answers every query without failing: positions are the first
 * control point (zero when there is none or it is not finite), derivatives,
 * tangents and length are zero.
 *
 * Every query is const and reads only data fixed when the curve is set, so
 * several threads may evaluate one spline at once.
 */
template <class Real>
class Spline3 {
public:
    /// Invalid empty spline.
    Spline3() = default;

    /**
     * \brief Uniform-knot spline of \p degree over \p controlPoints.
     * Invalid (IsValid() false) when the degree is outside
     * [1, BSplineBasis::MAX_DEGREE], there are fewer than degree + 1 control
     * points (fewer than three when closed) or a control point is not
     * finite; the given control points are kept all the same.
     */
    explicit Spline3(const std::vector<Vector3<Real>>& controlPoints, int degree = 3, bool closed = false);

    /**
     * \brief Replaces the whole curve. Empty \p knots selects the uniform
     * knots. Returns false and leaves the spline unchanged when the input
     * would not make a valid curve (see the class rules).
     */
    bool Set(const std::vector<Vector3<Real>>& controlPoints, int degree, bool closed,
             const std::vector<Real>& knots = std::vector<Real>());

    /// Moves control point \p i, keeping degree and knots; false (unchanged)
    /// for an index out of range or a non-finite point.
    bool SetControlPoint(unsigned i, const Vector3<Real>& p);

    bool IsValid() const { return m_basis.IsValid(); }
    bool IsClosed() const { return m_closed; }
    int GetDegree() const { return m_degree; }
    unsigned GetNumControlPoints() const { return static_cast<unsigned>(m_controlPoints.size()); }
    const std::vector<Vector3<Real>>& GetControlPoints() const { return m_controlPoints; }

    /// Control point \p i; the zero vector for an index out of range.
    const Vector3<Real>& GetControlPoint(unsigned i) const;

    /// Knot vector in use; empty for an invalid spline.
    const std::vector<Real>& GetKnots() const { return m_basis.GetKnots(); }

    Vector3<Real> GetPosition(Real t) const;
    Vector3<Real> GetFirstDerivative(Real t) const;
    Vector3<Real> GetSecondDerivative(Real t) const;

    /**
     * \brief Unit tangent at t. Where the first derivative vanishes (repeated
     * control points) the direction the curve leaves in is used instead; the
     * zero vector only when the curve does not move at all around t.
     */
    Vector3<Real> GetTangent(Real t) const;

    /// Arc length of the whole curve.
    Real GetLength() const;

    /// Arc length between t0 and t1 (clamped to [0, 1]; no wrapping).
    Real GetLength(Real t0, Real t1) const;

    /**
     * \brief Rotation-minimising frame at t: unit tangent, normal and
     * binormal = tangent x normal (right-handed, orthonormal).
     *
     * The frame at t = 0 takes as normal the coordinate axis least aligned
     * with the start tangent, made perpendicular to it; it is then carried
     * along the curve by parallel transport (no twist about the tangent).
     * On a closed curve the twist left over after one turn is spread evenly
     * along the arc length, so the frame at t = 1 equals the one at t = 0.
     *
     * Returns false, with the axes (Z, X, Y), for an invalid spline or one
     * that does not move.
     */
    bool GetFrame(Real t, Vector3<Real>& tangent, Vector3<Real>& normal, Vector3<Real>& binormal) const;

private:
    void Rebuild();
    void BuildFrames();
    Vector3<Real> Combine(Real t, int order) const
    {
        return m_basis.Combine(m_controlPoints, m_degree, t, order, Fallback());
    }
    Vector3<Real> Fallback() const;

    std::vector<Vector3<Real>> m_controlPoints;
    int m_degree = 3;
    bool m_closed = false;
    BSplineBasis<Real> m_basis;

    // Transported frames at t = k / (count - 1), with the chord length along
    // the samples, built whenever the curve changes.
    std::vector<Vector3<Real>> m_framePositions;
    std::vector<Vector3<Real>> m_frameTangents;
    std::vector<Vector3<Real>> m_frameNormals;
    std::vector<Real> m_frameLengths;
    Real m_closingTwist = Real(0);
    // Size of the control polygon, the yardstick for "the curve does not move".
    Real m_extent = Real(0);
};

typedef Spline3<float> Spline3f;
typedef Spline3<double> Spline3d;

extern template class Spline3<float>;
extern template class Spline3<double>;

}  // namespace Wml

#pragma once
// Planar B-spline curves, and the knot-vector basis they share with the 3D
// spline.

#include <vector>

#include "wml/Vector2.h"

namespace Wml {

/**
 * \brief B-spline basis functions over a knot vector, for a curve of a given
 * degree and number of control points, open or closed.
 *
 * Curves are evaluated through a normalised parameter t in [0, 1] that spans
 * the valid knot domain [knots[degree], knots[numBasis]]. Closed (periodic)
 * curves use numControlPoints + degree basis functions whose control points
 * wrap around (basis j uses control point j mod numControlPoints).
 *
 * Knot vector sizes: numControlPoints + degree + 1 when open,
 * numControlPoints + 2 degree + 1 when closed.
 */
template <class Real>
class BSplineBasis {
public:
    static constexpr int MAX_DEGREE = 7;
    /// Highest derivative order Evaluate() computes.
    static constexpr int MAX_ORDER = 2;

    /// Basis values for one parameter: weights[k][j] is the k-th derivative
    /// (with respect to t) of the basis function of control point
    /// (first + j) mod numControlPoints.
    struct Weights {
        unsigned first = 0;
        Real weights[MAX_ORDER + 1][MAX_DEGREE + 1];
    };

    /// Invalid basis (no curve).
    BSplineBasis() = default;

    /**
     * \brief Uniform knots: clamped at both ends when open (the curve starts
     * and ends at its end control points), evenly spaced when closed.
     * Fails (false, and the basis becomes invalid) when the degree is outside
     * [1, MAX_DEGREE], when there are fewer than degree + 1 control points,
     * or, for a closed curve, fewer than three.
     */
    bool Create(unsigned numControlPoints, int degree, bool closed);

    /**
     * \brief Explicit knots. Besides the checks of the uniform Create, fails
     * (false, basis invalid) unless the knots are finite, non-decreasing,
     * of the size given above, no value repeats more than degree + 1 times,
     * and the domain is not empty. Closed knots must also be periodic: the
     * spacing repeats every numControlPoints intervals (to a relative 1e-5).
     */
    bool Create(unsigned numControlPoints, int degree, bool closed, const std::vector<Real>& knots);

    /// Checks explicit knots as Create() would, without changing anything.
    static bool ValidateKnots(unsigned numControlPoints, int degree, bool closed,
                              const std::vector<Real>& knots);

    /// Fills \p knots with the uniform vector Create() uses; empty when the
    /// counts are invalid.
    static void MakeUniformKnots(unsigned numControlPoints, int degree, bool closed,
                                 std::vector<Real>& knots);

    bool IsValid() const { return m_valid; }
    int GetDegree() const { return m_degree; }
    bool IsClosed() const { return m_closed; }
    unsigned GetNumControlPoints() const { return m_numControlPoints; }
    const std::vector<Real>& GetKnots() const { return m_knots; }

    /// Puts t into the domain: clamped to [0, 1] for open curves, wrapped
    /// into [0, 1) for closed ones; NaN or infinity becomes 0.
    Real NormaliseParameter(Real t) const;

    /**
     * \brief Basis values and their derivatives (up to \p order, at most
     * MAX_ORDER) with respect to t at parameter t (normalised first).
     * Derivatives above the degree are zero. An invalid basis gives
     * first = 0 and all weights zero.
     */
    void Evaluate(Real t, int order, Weights& out) const;

    /**
     * \brief The curve point (order 0) or derivative (order 1, 2) at t over
     * the given control points (2D or 3D). An invalid basis gives the
     * fallback for order 0 and the zero vector for derivatives.
     */
    template <class Point>
    Point Combine(const std::vector<Point>& controlPoints, int degree, Real t, int order,
                  const Point& fallback) const
    {
        if (!IsValid()) return order == 0 ? fallback : Point();
        Weights w;
        Evaluate(t, order, w);
        const size_t n = controlPoints.size();
        // Derivative weights sum to zero; measuring from a control point keeps
        // the curve's offset from the origin out of the rounding (a still curve
        // has exactly zero speed).
        const Point origin = controlPoints[w.first % n];
        Point sum;
        for (int j = 0; j <= degree; ++j)
            sum += (controlPoints[(w.first + j) % n] - origin) * w.weights[order][j];
        return order == 0 ? origin + sum : sum;
    }

    /**
     * \brief Integrates \p speed(t) over [t0, t1] (both clamped to [0, 1],
     * swapped if reversed) by Gauss-Legendre quadrature on every knot span,
     * where the curve is polynomial. Zero for an invalid basis.
     */
    template <class SpeedFunction>
    Real Integrate(Real t0, Real t1, SpeedFunction speed) const;

    /// The distinct knot values inside the domain, as t parameters, from 0 to 1.
    void GetBreakpoints(std::vector<Real>& ts) const;

private:
    // Span index s with knots[s] <= u < knots[s + 1], kept inside the domain.
    int FindSpan(Real u) const;
    unsigned NumBasis() const { return m_numControlPoints + (m_closed ? unsigned(m_degree) : 0u); }

    std::vector<Real> m_knots;
    unsigned m_numControlPoints = 0;
    int m_degree = 0;
    bool m_closed = false;
    bool m_valid = false;
};

template <class Real>
template <class SpeedFunction>
Real BSplineBasis<Real>::Integrate(Real t0, Real t1, SpeedFunction speed) const
{
    if (!m_valid || !(t0 == t0) || !(t1 == t1)) return Real(0);
    if (t1 < t0) {
        Real s = t0;
        t0 = t1;
        t1 = s;
    }
    t0 = t0 < Real(0) ? Real(0) : (t0 > Real(1) ? Real(1) : t0);
    t1 = t1 < Real(0) ? Real(0) : (t1 > Real(1) ? Real(1) : t1);

    // Five-point Gauss-Legendre on quarter spans: exact for the polynomial
    // pieces of low degree and accurate for the square root in the speed.
    static const double nodes[5] = {-0.9061798459386640, -0.5384693101056831, 0.0, 0.5384693101056831,
                                    0.9061798459386640};
    static const double weights[5] = {0.2369268850561891, 0.4786286704993665, 0.5688888888888889,
                                      0.4786286704993665, 0.2369268850561891};
    std::vector<Real> breaks;
    GetBreakpoints(breaks);
    double total = 0.0;
    for (size_t s = 0; s + 1 < breaks.size(); ++s) {
        double a = breaks[s] > t0 ? breaks[s] : t0;
        double b = breaks[s + 1] < t1 ? breaks[s + 1] : t1;
        if (!(b > a)) continue;
        const int pieces = 4;
        double h = (b - a) / pieces;
        for (int p = 0; p < pieces; ++p) {
            double mid = a + (p + 0.5) * h;
            for (int k = 0; k < 5; ++k)
                total += 0.5 * h * weights[k] * double(speed(Real(mid + 0.5 * h * nodes[k])));
        }
    }
    return Real(total);
}

/**
 * \brief Uniform B-spline curve in the plane over a list of control points.
 *
 * Open curves have clamped knots and pass through their first and last
 * control points; closed curves are periodic, wrap their control points and
 * join smoothly (C^(degree-1)) at t = 0 = 1. The parameter t runs over
 * [0, 1] for the whole curve (uniform in knot space, not in arc length);
 * open curves clamp t, closed curves wrap it. Derivatives are with respect
 * to t.
 *
 * An invalid curve (see IsValid()) never fails loudly: positions are the
 * first control point (zero when there is none or it is not finite),
 * derivatives and length are zero.
 */
template <class Real>
class BSplineCurve2 {
public:
    /// Invalid empty curve.
    BSplineCurve2() = default;

    /**
     * \brief Curve of \p degree over \p controlPoints.
     * The curve is invalid when the degree is outside [1, MAX_DEGREE], when
     * there are fewer than degree + 1 control points (fewer than three for
     * a closed curve) or when a control point is not finite; the control
     * points are kept all the same.
     */
    explicit BSplineCurve2(const std::vector<Vector2<Real>>& controlPoints, int degree = 3,
                           bool closed = false);

    bool IsValid() const { return m_basis.IsValid(); }
    bool IsClosed() const { return m_closed; }
    int GetDegree() const { return m_degree; }
    unsigned GetNumControlPoints() const { return static_cast<unsigned>(m_controlPoints.size()); }
    const std::vector<Vector2<Real>>& GetControlPoints() const { return m_controlPoints; }

    /// Control point \p i; the zero vector for an index out of range.
    const Vector2<Real>& GetControlPoint(unsigned i) const;

    /// Moves control point \p i; false (unchanged) for an index out of range
    /// or a non-finite point. May make an invalid curve valid.
    bool SetControlPoint(unsigned i, const Vector2<Real>& p);

    /// Knots in use (see BSplineBasis); empty for an invalid curve.
    const std::vector<Real>& GetKnots() const { return m_basis.GetKnots(); }

    Vector2<Real> GetPosition(Real t) const;
    Vector2<Real> GetFirstDerivative(Real t) const;
    Vector2<Real> GetSecondDerivative(Real t) const;

    /// Arc length of the whole curve.
    Real GetLength() const;

    /// Arc length between t0 and t1 (clamped to [0, 1]; no wrapping).
    Real GetLength(Real t0, Real t1) const;

private:
    void Rebuild();
    Vector2<Real> Combine(Real t, int order) const
    {
        return m_basis.Combine(m_controlPoints, m_degree, t, order, Fallback());
    }
    Vector2<Real> Fallback() const;

    std::vector<Vector2<Real>> m_controlPoints;
    int m_degree = 3;
    bool m_closed = false;
    BSplineBasis<Real> m_basis;
};

typedef BSplineCurve2<float> BSplineCurve2f;
typedef BSplineCurve2<double> BSplineCurve2d;

extern template class BSplineBasis<float>;
extern template class BSplineBasis<double>;
extern template class BSplineCurve2<float>;
extern template class BSplineCurve2<double>;

}  // namespace Wml

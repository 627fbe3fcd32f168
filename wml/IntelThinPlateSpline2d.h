#ifndef WML_INTELTHINPLATESPLINE2D_H
#define WML_INTELTHINPLATESPLINE2D_H

#include <vector>

namespace Wml {

/**
 * \brief Regularised thin-plate spline over the plane.
 *
 * f(x, y) = a0 + a1 x + a2 y + sum_i w_i phi(|p - p_i|), phi(r) = r^2 log r,
 * fitted so that  (K + diag(lambda_i)) w + P a = v  and  P^T w = 0.
 * lambda_i = 0 interpolates point i; a larger lambda_i lets the surface
 * pass further from it in exchange for less bending. This is the minimiser
 * of  sum_i (v_i - f(p_i))^2 / lambda_i + E(f) / (8 pi)  with E the bending
 * energy, so smoothing is expressed in the caller's coordinate units.
 *
 * Coordinates are centred and scaled internally for conditioning; the
 * smoothing is rescaled to match, so the fitted function is the one defined
 * in the caller's coordinates.
 *
 * Duplicate points (equal to within 1e-9 of the point set's half-extent) are
 * merged into one centre before fitting. The merged value is the average of
 * their values weighted by 1/lambda_i and the merged smoothing is
 * 1/sum(1/lambda_i); this is exactly the fit the unmerged points would give
 * when all their lambdas are positive. Duplicates with zero smoothing are
 * averaged (the limit as lambda -> 0), and among duplicates only those with
 * zero smoothing count when some have it.
 *
 * The fit fails (IsValid() false, every evaluation 0) for: fewer than 3
 * distinct points, all points on one line, a NaN or infinite coordinate,
 * value or smoothing, a negative smoothing, more than MaxPoints points, or a
 * system too ill-conditioned to solve to a millionth of the largest value
 * (typically distinct points a few millionths of the extent apart with
 * conflicting values and no smoothing, or smoothing values that differ by
 * ~1e15 between points).
 */
class IntelThinPlateSpline2d {
public:
    /// Largest accepted point count (the dense system grows as count^2).
    static constexpr unsigned MaxPoints = 4096;

    /// Invalid spline that evaluates to 0 everywhere.
    IntelThinPlateSpline2d();

    /// Fit with one smoothing value per point; a null \p smoothing means 0.
    IntelThinPlateSpline2d(unsigned count, const double* x, const double* y, const double* value,
                           const double* smoothing);

    /// Fit with the same smoothing for every point.
    IntelThinPlateSpline2d(unsigned count, const double* x, const double* y, const double* value,
                           double smoothing);

    /// True when the fit succeeded.
    bool IsValid() const { return m_bValid != 0; }

    /// f(x, y); 0 for an invalid spline.
    double Value(double x, double y) const;

    /// Analytic gradient of f; (0, 0) for an invalid spline.
    void Gradient(double x, double y, double& gx, double& gy) const;

    /**
     * \brief Values at (x0 + k dx, y) for k < count, written to out[k].
     * Gives the same values as Value() (up to rounding) but is much faster
     * for grid sampling. Fills zeros for an invalid spline.
     */
    void SampleRow(double x0, double y, double* out, unsigned count, double dx) const;

    /**
     * \brief Bending energy of the fitted surface, the integral over the
     * plane of f_xx^2 + 2 f_xy^2 + f_yy^2, equal to 8 pi w^T K w.
     * 0 for an invalid spline or an affine fit.
     */
    double BendingEnergy() const { return m_bendingEnergy; }

    /// Number of centres after merging duplicates; 0 when invalid.
    unsigned GetCentreCount() const { return static_cast<unsigned>(m_weight.size()); }

private:
    void Fit(unsigned count, const double* x, const double* y, const double* value, const double* smoothing,
             double uniformSmoothing);
    void Invalidate();

    // Callers test this flag directly through the object's address, so it
    // must stay the first member (checked by a static_assert in the .cpp).
    int m_bValid;

    // Caller coordinates map to internal ones as u = (x - m_centreX) * m_invScale.
    double m_centreX;
    double m_centreY;
    double m_invScale;

    // Affine part in internal coordinates: a0 + a1 u + a2 v.
    double m_affine[3];
    double m_bendingEnergy;

    // Centres in internal coordinates and their weights.
    std::vector<double> m_centreU;
    std::vector<double> m_centreV;
    std::vector<double> m_weight;
};

}  // namespace Wml

#endif

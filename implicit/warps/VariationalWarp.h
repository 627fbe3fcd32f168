#pragma once
// A free-form warp: warp points drag space inside a ball, interpolated by a
// radial basis function.

#include <vector>

#include "implicit/warps/SpaceWarp.h"
#include "implicit/warps/WarpPointSet.h"

namespace Wml {
class PGMImage;
}

namespace vynimplicit {

/// Displaces space inside a warp ball so that each warp point's source
/// appears at its target. value(p) = child(p - E(p)) with
///
///     E(p) = w(p) D(p),  w(p) = (1 - |p - c|^2 / R^2)^2 inside the ball, 0 outside,
///     D(p) = sum_i a_i |p - t_i|^3 + affine(p),
///
/// a triharmonic interpolant centred on the targets t_i. D is fitted so that
/// E(t_i) = t_i - s_i, i.e. the child's point s_i shows at t_i (backward
/// warping: the field is read where a target came from). The fit solves
/// [Phi + smoothing I, P; P^T, 0] in coordinates scaled by the radius, so a
/// larger smoothing trades exactness for a calmer warp the same way at any
/// size. E is C^1 and exactly 0 outside the ball.
///
/// Degenerate sets are handled in the fit, never by NaN: targets closer than
/// 1e-6 R are merged (their displacements averaged); the affine part only
/// spans the directions the targets spread along (coplanar or collinear sets
/// get a planar or linear part); targets outside the ball are ignored (the
/// warp cannot move anything there); a target near the rim, where w is small,
/// is fitted with w taken as at least 0.1; and a solve that still fails falls
/// back to a least-squares affine displacement, then to none. When every
/// target equals its source the warp is exactly the child.
///
/// Changing the points through GetWarpPointSet() takes effect at the next
/// WarpPointSetChanged(); every other setter refits at once.
class VariationalWarp : public SpaceWarp {
public:
    static constexpr float MIN_RADIUS = 1e-4f, MAX_RADIUS = 1e4f;
    static constexpr float MIN_SMOOTHING = 1e-4f, MAX_SMOOTHING = 5.0f;
    /// Most warp points a displacement map produces.
    static constexpr unsigned int MAX_MAP_POINTS = 400;

    /// Ball at the origin of radius 1, smoothing MIN_SMOOTHING, no points.
    VariationalWarp();

    const Wml::Vector3f& GetWarpCenter() const { return m_center; }
    /// Moves the warp ball and refits; false (unchanged) for non-finite input.
    bool SetWarpCenter(const Wml::Vector3f& center);
    float GetWarpRadius() const { return m_radius; }
    /// Radius clamped to [MIN_RADIUS, MAX_RADIUS], then refits; false
    /// (unchanged) for NaN or infinity.
    bool SetWarpRadius(float radius);
    float GetSmoothing() const { return m_smoothing; }
    /// Regularisation clamped to [MIN_SMOOTHING, MAX_SMOOTHING], then refits;
    /// false (unchanged) for NaN or infinity.
    bool SetSmoothing(float smoothing);

    /// The warp points; call WarpPointSetChanged() after changing them.
    WarpPointSet& GetWarpPointSet() { return m_points; }
    const WarpPointSet& GetWarpPointSet() const { return m_points; }
    /// Replaces the warp points and refits.
    void SetWarpPointSet(const WarpPointSet& points);
    /// Refits the interpolant to the current warp points.
    void WarpPointSetChanged();

    /// Turns a grey image into warp points: the image is laid on the plane
    /// z = centre.z, centred on the ball, its longer side spanning
    /// 2 * boundsFactor * radius; at most MAX_MAP_POINTS / 2 pixels on a
    /// regular grid become points lifted along +z by grey / 255 *
    /// boundsFactor * radius. Each pixel gives two points: one on the plane
    /// and one a quarter of boundsFactor * radius below it, lifted alike, so
    /// the warp moves whole columns of space (a height map) instead of
    /// shearing. boundsFactor above 1 is clamped to 1. False (points
    /// untouched) for an empty image or a boundsFactor that is not positive
    /// and finite.
    bool BuildDisplacementMap(const Wml::PGMImage& image, float boundsFactor, WarpPointSet& points) const;
    /// Reads a PGM file and makes it the warp point set (see
    /// BuildDisplacementMap). False, with the warp unchanged, when the file
    /// cannot be read or the factor is refused.
    bool LoadDisplacementMap(const char* pgmPath, float boundsFactor);

    /// True when the fitted displacement is zero everywhere.
    bool IsIdentity() const { return !m_active; }
    /// E(p), the displacement subtracted from p; its Jacobian dE/dp too when
    /// jacobian is not null.
    Wml::Vector3f Displacement(const Wml::Vector3f& p, Wml::Matrix3f* jacobian) const;
    /// A bound on |E| over the ball, from the fitted coefficients.
    float GetMaxDisplacement() const { return m_maxDisplacement; }

    // Keep the Vector3 helpers of ScalarField visible next to the overrides.
    using SpaceWarp::Gradient;
    using SpaceWarp::Value;
    float Value(float x, float y, float z) final;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) final;
    /// The child's bounds, grown inside the ball by the largest displacement.
    void FieldBounds(Wml::AxisAlignedBox3f& box) override;
    void WarpPoint(const Wml::Vector3f& p, Wml::Vector3f& q, Wml::Matrix3f* jacobian) override;

private:
    // Kept in double: the weights of a near-interpolating fit are large and
    // cancel, and float sums of them are noisy enough to spoil gradients.
    struct Centre {
        double x, y, z;     // target, world coordinates
        double wx, wy, wz;  // weight, scaled for world distances
    };

    void Fit();
    // D(p) from the fitted coefficients (no ball weight); dD/dp when dd not null.
    void EvaluateInterpolant(float px, float py, float pz, float d[3], float (*dd)[3]) const;

    Wml::Vector3f m_center;
    float m_radius = 1.0f;
    float m_smoothing = MIN_SMOOTHING;
    WarpPointSet m_points;

    bool m_active = false;
    std::vector<Centre> m_centres;
    double m_affine[3][3] = {};  // D's linear part in p - centre
    double m_offset[3] = {};     // D's constant part
    float m_maxDisplacement = 0.0f;
};

}  // namespace vynimplicit

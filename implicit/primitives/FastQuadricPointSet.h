#pragma once
// A surface through oriented points: local quadric fits blended by a
// partition of unity, with the enclosed volume filled.

#include <cstdint>
#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/primitives/LazyBuild.h"
#include "wml/Frame3.h"

namespace vynimplicit {

/// A field whose 0.5 level passes through a set of points with outward
/// normals, all in world coordinates.
///
/// Fit. Every point i gets a local quadric: in its tangent frame (t1, t2, n)
/// the height z = (a u^2 + 2 b u v + c v^2) / 2 is fitted by weighted least
/// squares to the positions and normal slopes of the points within the
/// support radius sigma, with a little ridge regularization; the principal
/// curvatures are clamped to 2 / sigma so that noise cannot fold the fit.
///
/// Field. With phi_i = (1 - |x - p_i|^2 / sigma^2)^3 and the quadric offset
/// d_i(x) = n.(x - p_i) - z(u, v), the signed distance estimate is the
/// partition of unity d = sum phi_i d_i / sum phi_i (positive outside). It is
/// mapped to v_core = 0.5 - T(d / band) / 2 with band = sigma / 2 and the C2
/// saturating T(s) = (15 s - 10 s^3 + 3 s^5) / 8 (|s| < 1; sign s beyond),
/// and faded by the coverage C = smoothstep5(min(W^(1/4), 1)), W = sum phi_i,
/// which is 1 wherever the points are dense and 0 beyond their support (the
/// root spreads the fade evenly in space).
///
/// Interior. Far inside a closed point set no point is within sigma, so the
/// local field alone would leave a hollow shell. A voxel grid (cells about
/// sigma / 8) marks the cells near the points, flood-fills the outside from
/// the grid's border and takes the cells left over as the interior; its
/// cubic B-spline I(x) is 0 within about 0.2 sigma of every point and
/// reaches 1 deeper in. The value is 1 - (1 - C v_core)(1 - I): equal to the
/// local field near the points, 1 in the enclosed volume, C2 everywhere. An
/// open or leaky set gets no interior.
///
/// The structures (sorted samples, fits, neighbour grid, interior grid) are
/// rebuilt lazily on the first evaluation after a change, once, whichever
/// thread gets there first.
class FastQuadricPointSet : public ScalarField {
public:
    static constexpr float MIN_RADIUS = 1e-5f;
    static constexpr float MAX_RADIUS = 1e5f;
    /// Points must stay within +-MAX_COORDINATE on every axis.
    static constexpr float MAX_COORDINATE = 1e18f;

    FastQuadricPointSet() = default;

    /// Adds a point with its outward normal (normalized here). Refused (false)
    /// when a coordinate is not finite or beyond MAX_COORDINATE, or the normal
    /// is zero.
    bool AddPoint(const Wml::Vector3<float>& point, const Wml::Vector3<float>& normal);
    unsigned int GetNumPoints() const { return static_cast<unsigned int>(m_points.size()); }
    /// Point i, or the zero vector when i is out of range.
    Wml::Vector3<float> GetPoint(unsigned int i) const;
    /// Unit normal of point i, or the zero vector when i is out of range.
    Wml::Vector3<float> GetNormal(unsigned int i) const;
    /// Removes every point (the radius setting stays).
    void Clear();

    /// The support radius sigma in use: the fixed one, or when automatic 3 x
    /// the mean distance from a point to its nearest neighbour (a quarter of
    /// the largest extent when that is 0, 1 for a lone point).
    float GetRadius() const;
    /// Fixes sigma, clamped to [MIN_RADIUS, MAX_RADIUS] (zero and negative
    /// radii give MIN_RADIUS). A NaN is refused (false, nothing changes).
    bool SetRadius(float radius);
    /// Goes back to the automatic radius.
    void SetRadiusAutomatic();
    bool IsRadiusAutomatic() const { return m_autoRadius; }

    /// Moves every point from the frame's local coordinates into world
    /// coordinates (ToWorldPoint), normals by the inverse transpose; a fixed
    /// radius is scaled by the cube root of the frame's volume scale. Refused
    /// (false, nothing changes) for an unusable frame (Frame3::IsValid false)
    /// or when a moved point would leave the MAX_COORDINATE range.
    bool ApplyFrame(const Wml::Frame3<float>& frame);
    /// Exactly undoes ApplyFrame(frame) (to float precision); refused like it.
    bool ApplyFrameInverse(const Wml::Frame3<float>& frame);
    /// The placement the points were last moved to through SetFrame (the
    /// identity at first).
    const Wml::Frame3<float>& GetFrame() const { return m_frame; }
    /// Moves the points from the current placement to frame:
    /// ApplyFrameInverse(GetFrame()), then ApplyFrame(frame). Refused (false,
    /// the points stay) when either step is.
    bool SetFrame(const Wml::Frame3<float>& frame);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// A fixed stone colour.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The points' box grown by sigma; empty without points.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// One point of the set for each group of points linked by steps shorter
    /// than sigma (the points lie on the surface).
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    struct Sample {
        float p[3], n[3], t1[3], t2[3];
        float a, b, c;  // height-field curvature coefficients (1 / length)
    };

    void Invalidate() { m_built.Invalidate(); }
    void EnsureBuilt() const;
    struct QuadricSystem;

    void Build() const;
    void SortSamples(const Wml::AxisAlignedBox3<float>& box) const;
    void FitQuadrics() const;
    // Adds the neighbours of sample i to its fit and joins their seed groups.
    void AccumulateNeighbours(int i, QuadricSystem& system, std::vector<int>& parent) const;
    void BuildInterior() const;
    template <bool WithGradient>
    float Evaluate(float x, float y, float z, float g[3]) const;
    template <bool WithGradient>
    float Interior(const float x[3], float g[3]) const;

    std::vector<Wml::Vector3<float>> m_points;
    std::vector<Wml::Vector3<float>> m_normals;
    bool m_autoRadius = true;
    float m_fixedRadius = 1.0f;
    Wml::Frame3<float> m_frame;

    // Evaluation cache, rebuilt lazily.
    mutable LazyBuild m_built;
    mutable float m_sigma = 1.0f;
    mutable std::vector<Sample> m_samples;  // sorted by neighbour-grid cell
    mutable float m_gridOrigin[3] = {0, 0, 0};
    mutable float m_gridCell = 1.0f;
    mutable int m_gridDims[3] = {0, 0, 0};
    mutable std::vector<std::uint32_t> m_cellStart;  // per cell, plus one
    mutable float m_fillOrigin[3] = {0, 0, 0};
    mutable float m_fillCell = 1.0f;
    mutable int m_fillDims[3] = {0, 0, 0};
    mutable std::vector<std::uint8_t> m_inside;   // interior cells
    mutable std::vector<std::uint8_t> m_stencil;  // 0: no, 1: some, 2: all of the 4^3 cells from here inside
    mutable Wml::AxisAlignedBox3<float> m_bounds;
    mutable std::vector<Wml::Vector3<float>> m_seeds;
};

}  // namespace vynimplicit

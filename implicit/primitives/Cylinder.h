#pragma once
// A soft cylinder with rounded ends: the falloff of the distance to a segment
// of its frame's z axis.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/primitives/Placement.h"

namespace vynimplicit {

/// A cylinder along the local z axis from z = 0 to z = length. The field is
/// the soft falloff of the distance to that axis segment, with support radius
/// radius / 0.454202, so the surface lies at exactly radius from the axis over
/// the whole length and the ends are hemispheres of the same radius around
/// the segment's end points (a capsule: smooth everywhere, no crease at the
/// rims). A length of 0 gives a ball.
class Cylinder : public ScalarField {
public:
    static constexpr float MIN_RADIUS = 1e-5f;
    static constexpr float MAX_RADIUS = 1e5f;
    static constexpr float MAX_LENGTH = 1e6f;

    /// Surface radius and length are clamped as their setters do; NaN gives
    /// the defaults (0.25 and 1), an unusable frame the identity.
    explicit Cylinder(float radius = 0.25f, float length = 1.0f,
                      const Wml::Frame3<float>& frame = Wml::Frame3<float>());

    /// Distance of the surface from the axis.
    float GetRadius() const { return m_radius; }
    /// Clamps to [MIN_RADIUS, MAX_RADIUS] (zero and negative radii give
    /// MIN_RADIUS); a NaN is refused (false, nothing changes).
    bool SetRadius(float radius);
    float GetLength() const { return m_length; }
    /// Clamps to [0, MAX_LENGTH] (negative lengths give 0, a ball); a NaN is
    /// refused (false, nothing changes).
    bool SetLength(float length);

    const Wml::Frame3<float>& GetFrame() const { return m_placement.GetFrame(); }
    /// Replaces the placement; an unusable frame (non-finite numbers, a zero
    /// scale, degenerate axes) is refused: false, nothing changes.
    bool SetFrame(const Wml::Frame3<float>& frame) { return m_placement.SetFrame(frame); }

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// A fixed cool grey.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The world box of the support (exact for any frame).
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The box of the level set at isoValue (FieldBounds for isoValue <= 0).
    void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box) override;
    /// One surface point beside the middle of the axis.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    void BoundsAtRadius(float supportFraction, Wml::AxisAlignedBox3<float>& box) const;

    Placement m_placement;
    float m_radius = 0.25f;
    float m_length = 1.0f;
    float m_invSupport2 = 1.0f;  // 1 / R^2 with R the support radius
};

}  // namespace vynimplicit

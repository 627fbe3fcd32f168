#pragma once
// Mirror: makes a shape symmetric about a plane by replacing one half of it
// with the reflection of the other half.

#include "implicit/CompositionOperator.h"
#include "wml/Frame3.h"

namespace vynimplicit {

/// The children, joined by max, form the source field f. The mirror plane
/// passes through the frame's origin with the frame's z axis as normal n.
/// The kept half-space (see SetSide) is the source; the other half shows its
/// reflection. For a point p at signed distance s = n.(p - o), with p_k the
/// one of {p, M(p)} on the kept side and p_o the other (M the reflection):
///     a = f(p_k),  b = f(p_o),
///     v = a + mu(s) (PM(a, b) - a),   mu = (1 - s^2/w^2)^2 for |s| < w, else 0,
///     PM = ((a^q + b^q) / 2)^(1/q),   q = 1 + blend power.
/// v(p) = v(M(p)) exactly (up to rounding). Far from the plane the field is
/// the source folded over; within the transition width w it moves towards
/// the power mean of the source and its reflection, which equals a on the
/// plane (no bulge) and is even in s, so the field is C^1 across the plane.
/// Blend power 0 averages the two (smoothest); large powers take their max.
/// w = 0 is the plain fold, with a crease where the source meets the plane
/// at an angle. Without children the value is 0 and the bounds are empty.
class MirrorOperator : public CompositionOperator {
public:
    static constexpr float MAX_SMOOTH_WIDTH = 1000.0f;
    static constexpr float MAX_BLEND_POWER = 1000.0f;

    /// Plane z = 0 through the world origin, the +z side kept, transition
    /// width 0.25, blend power 1.
    MirrorOperator();

    const Wml::Frame3<float>& GetFrame() const { return m_frame; }
    /// The plane passes through frame's origin with normal = frame's z axis
    /// (normalized; the scale plays no part). A frame whose origin or z axis
    /// is not finite, or whose z axis is zero, is refused (nothing changes)
    /// and false returned.
    bool SetFrame(const Wml::Frame3<float>& frame);

    /// true: the half-space the plane normal points into (n.(p - o) >= 0) is
    /// the source; false: the other half.
    bool GetSide() const { return m_side; }
    void SetSide(bool side) { m_side = side; }

    float GetSmoothWidth() const { return m_width; }
    /// Clamped into [0, MAX_SMOOTH_WIDTH]; NaN is refused and false returned.
    bool SetSmoothWidth(float width);

    float GetBlendPower() const { return m_power; }
    /// Clamped into [0, MAX_BLEND_POWER]; NaN is refused and false returned.
    bool SetBlendPower(float power);

    /// The plane's unit normal (the frame's z axis).
    const Wml::Vector3<float>& GetNormal() const { return m_normal; }

    /// Reflection of p through the plane. toOtherSide = true reflects every
    /// point; false reflects only points of the non-kept half, so the answer
    /// is the source point whose field value p shows.
    Wml::Vector3<float> MirrorPoint(const Wml::Vector3<float>& p, bool toOtherSide) const;

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The children's bounds together with their reflection (the box of the
    /// eight reflected corners); empty without children.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The children's seeds on the kept side and their reflections, carried
    /// onto the mirrored surface.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
    /// The colour of the source point.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;

private:
    /// max over the children at p: value, and gradient when g is not null.
    float Source(const Wml::Vector3<float>& p, Wml::Vector3<float>* g);
    /// Value at p, with the gradient when g is not null.
    float Evaluate(const Wml::Vector3<float>& p, Wml::Vector3<float>* g);

    Wml::Frame3<float> m_frame;
    Wml::Vector3<float> m_origin;
    Wml::Vector3<float> m_normal;
    bool m_side = true;
    float m_width = 0.25f;
    float m_power = 1.0f;
};

}  // namespace vynimplicit

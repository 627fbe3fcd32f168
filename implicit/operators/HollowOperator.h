#pragma once
// Hollow: keeps a shell around the surface of its child.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Keeps the shell where the first child's value f is within the thickness t
/// of the surface level: the result's 0.5 level is f = 0.5 - t (outer wall)
/// and f = 0.5 + t (inner wall). Further children are ignored.
///
/// With x = 2 min(f, 1 - f) in [0, 1] (1 on the child's surface, 0 where the
/// child is 0 or 1) the value is
///     h = 1 - c (1 - x^p)^2,   p = ln(1 - 1/sqrt 2) / ln(x0),  x0 = 1 - 2t,
/// which is 0 where f = 0, 1 on the child's surface with zero slope there (so
/// the two halves join smoothly) and exactly 0.5 at x = x0, i.e. f = 0.5 +- t.
/// c = 1 on the outer side (f < 0.5), so the value is 0 wherever the child
/// is 0 and the child's bounds remain valid.
///
/// Limits: x0 is kept at or above 0.15 (t_eff <= 0.425), which keeps p above
/// 0.64, so the gradient stays finite and continuous where the child fades
/// out (this needs p > 1/3) and at the child's maximum (p > 1/2). Past t = 0.425 the outer wall stays at f =
/// 0.075 and, on the inner side, c falls linearly from 1 to 0 at t = 0.5: the cavity shrinks continuously and
/// disappears at t = 0.4875; from t = 0.5 on the shape is solid. Without children the value is 0 and the
/// bounds are empty.
class HollowOperator : public CompositionOperator {
public:
    static constexpr float MIN_THICKNESS = 1e-7f;
    static constexpr float MAX_THICKNESS = 1.0f;

    /// thickness is clamped into [MIN_THICKNESS, MAX_THICKNESS]; NaN gives 0.1.
    explicit HollowOperator(float thickness = 0.1f);

    float GetThickness() const { return m_thickness; }
    /// Clamps into [MIN_THICKNESS, MAX_THICKNESS]. A NaN is refused (the
    /// thickness stays) and false returned.
    bool SetThickness(float thickness);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The first child's bounds (empty without children).
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// Points on both walls, found by walking from the child's seeds along
    /// its gradient inwards and outwards.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
    /// The first child's colour (grey without children).
    void Color(float x, float y, float z, float& r, float& g, float& b) override;

private:
    /// h(f) and dh/df.
    float Map(float f, float& derivative) const;

    float m_thickness = 0.1f;
    float m_exponent = 1.0f;     // p
    float m_innerFactor = 1.0f;  // c on the inner side
};

}  // namespace vynimplicit

#pragma once
// A difference whose carved edge is rounded by an amount the user controls.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Folds blend::BartheDifference(a, b) = 1 - U(1 - a, b) over the children
/// (the first child minus the others), where U is the smooth Barthe union
///     U = max + (k - |d|)^2 / (4k) for |d| < k,  k = slope s (2 - s) / 2,
///     slope = 1 - sharpness
/// (see BlendFunctions.h). Sharpness 1 is the plain min(f1, 1 - f2) with a
/// sharp edge; lower values round the edge more, down to 0.2. The rim of the
/// hole is carved slightly deeper than the sharp difference; away from the
/// subtracted children the first child is unchanged. 0 without children;
/// bounds are the first child's bounds.
class BartheSmoothDifference : public CompositionOperator {
public:
    static constexpr float MIN_SHARPNESS = 0.2f;
    static constexpr float MAX_SHARPNESS = 1.0f;

    /// sharpness is clamped into [MIN_SHARPNESS, MAX_SHARPNESS]; NaN gives 0.5.
    explicit BartheSmoothDifference(float sharpness = 0.5f);

    float GetSharpness() const { return m_sharpness; }
    /// Clamps into [MIN_SHARPNESS, MAX_SHARPNESS]. A NaN is refused (the
    /// sharpness stays) and false returned.
    bool SetSharpness(float sharpness);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The first child's bounds (empty without children).
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The colour of the child whose term is selected: the first child, or
    /// the subtracted child that carves the surface at the point.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The children's seeds carried onto this operator's surface; when none
    /// gets there, the crossings found by probing through the bounds.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    float m_sharpness = 0.5f;
    float m_slope = 0.5f;  // 1 - sharpness
};

}  // namespace vynimplicit

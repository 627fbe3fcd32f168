#pragma once
// Union whose 0.5 iso-surface is exactly that of max (creases stay sharp)
// while the field is C^1 away from the crease.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Folds blend::BartheUnion with blend::SharpBartheParams() over the children:
/// in the (a, b) plane, v = max(a, b) + (k - |a - b|)^2 / (4k) where |a - b| < k,
/// k = 0.5 s (2 - s) |1 - s|, s = a + b (see BlendFunctions.h). The blend width
/// vanishes on the 0.5 level, so the surface is the exact union; it grows
/// with the distance from that level, so iso-surfaces inside and outside
/// are rounded and the gradient is continuous except on the crease itself.
/// A child that is 0 changes nothing. 0 without children; bounds are the
/// union of the children's bounds.
class BartheSharpUnion : public CompositionOperator {
public:
    BartheSharpUnion() = default;

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The children's seeds carried onto this operator's surface; when none
    /// gets there, the crossings found by probing through the bounds.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
};

}  // namespace vynimplicit

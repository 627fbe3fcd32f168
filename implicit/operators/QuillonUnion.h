#pragma once
// A smooth union that keeps the shape of max everywhere except along the seam
// where two surfaces meet, which it fills with a fillet.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Folds blend::QuillonUnion over the children: in the (a, b) plane
///     v = max(a, b) + (k - |a - b|)^2 / (4k)   where |a - b| < k, else max(a, b),
///     k = 0.5 (s (2 - s))^2,  s = a + b.
/// The blend width k is largest at the seam level s = 1 (both children at
/// their surface) and falls off quadratically towards s = 0 and s = 2, so far
/// from the seam the union is max; on the seam itself the surface moves out to
/// where both children are about 0.388. C^1 everywhere except where both
/// children are 0. A child that is 0 changes nothing; values stay in [0, 1].
/// 0 without children; bounds are the union of the children's bounds.
class QuillonUnion : public CompositionOperator {
public:
    QuillonUnion() = default;

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The children's seeds carried onto the blended surface.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
};

}  // namespace vynimplicit

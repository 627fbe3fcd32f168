#pragma once
// Union by the maximum of the children: the exact set union, with a crease
// where two surfaces meet.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Value = max(f1, ..., fn); the gradient is that of the child holding the
/// maximum (the earlier child on a tie). 0 without children; bounds are the
/// union of the children's bounds.
class MinMaxUnion : public CompositionOperator {
public:
    MinMaxUnion() = default;

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The children's seeds carried onto this operator's surface; when none
    /// gets there, the crossings found by probing through the bounds.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
};

}  // namespace vynimplicit

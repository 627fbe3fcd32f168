#pragma once
// Sum blend: the children's values added up, so that nearby shapes melt into
// each other.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Value = C(f1 + ... + fn), where C is a smooth clamp into [0, 1]: the sum
/// itself up to 0.75, the parabola s - (s - 0.75)^2 between 0.75 and 1.25 and
/// 1 beyond. The clamp only acts above the surface (the 0.5 level is that of
/// the plain sum) and keeps the gradient continuous. Without children the
/// value is 0. Bounds are the union of the children's bounds.
class SumBlend : public CompositionOperator {
public:
    SumBlend() = default;

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The children's seeds carried onto the blended surface.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
};

}  // namespace vynimplicit

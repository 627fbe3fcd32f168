#pragma once
// Difference by min(f1, 1 - f2): the first child minus all the others.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Value = min(f1, 1 - max(f2, ..., fn)), folded as min(min(f1, 1 - f2), 1 - f3)...
/// The gradient is that of the selected term (grad f1 or -grad fi). 0 without
/// children; with one child it is that child.
class MinMaxDifference : public CompositionOperator {
public:
    MinMaxDifference() = default;

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The first child's bounds (empty without children): only what is inside
    /// the first child survives.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The colour of the child whose term is selected: the first child, or
    /// the subtracted child that carves the surface at the point.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The children's seeds carried onto this operator's surface; when none
    /// gets there, the crossings found by probing through the bounds.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
};

}  // namespace vynimplicit

#pragma once
// Difference whose 0.5 iso-surface is exactly that of min(f1, 1 - f2), C^1
// away from the crease.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Folds blend::BartheDifference(a, b) = I(a, 1 - b) (I the sharp Barthe
/// intersection) over the children: the first child minus the others. Where
/// a subtracted child is 0 the first child is unchanged. 0 without children.
class BartheSharpDifference : public CompositionOperator {
public:
    BartheSharpDifference() = default;

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

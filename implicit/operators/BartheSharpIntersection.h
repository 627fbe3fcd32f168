#pragma once
// Intersection whose 0.5 iso-surface is exactly that of min, C^1 away from
// the crease.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Folds blend::BartheIntersection(a, b) = 1 - U(1 - a, 1 - b) with the sharp
/// union U of BartheSharpUnion. The 0.5 surface is the exact intersection;
/// the value is 0 wherever a child is 0 and equals a where b is 1. 0 without
/// children.
class BartheSharpIntersection : public CompositionOperator {
public:
    BartheSharpIntersection() = default;

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The intersection of the children's bounds (empty without children or
    /// when two of them do not meet).
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The colour of the weakest child, whose surface shows at the point.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The children's seeds carried onto this operator's surface; when none
    /// gets there, the crossings found by probing through the bounds.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
};

}  // namespace vynimplicit

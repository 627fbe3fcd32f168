#pragma once
// Intersection by the minimum of the children: the exact set intersection.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Value = min(f1, ..., fn); the gradient is that of the child holding the
/// minimum (the earlier child on a tie). 0 without children.
class MinMaxIntersection : public CompositionOperator {
public:
    MinMaxIntersection() = default;

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

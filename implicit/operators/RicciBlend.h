#pragma once
// Ricci blend: a power sum of the children that runs from the sum blend
// (power 1) to the union max (large powers).

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/// Value = C((f1^k + ... + fn^k)^(1/k)) with the same smooth clamp C as
/// SumBlend (identity up to 0.75, C^1, 1 from 1.25 on), which only matters
/// where several children overlap strongly. The power sum is computed relative
/// to the largest child value, so 0^k and overflow cannot occur for any k in
/// the allowed range. Without children the value is 0; bounds are the union
/// of the children's bounds.
class RicciBlend : public CompositionOperator {
public:
    static constexpr float MIN_POWER = 0.5f;
    static constexpr float MAX_POWER = 10000.0f;

    /// power is clamped into [MIN_POWER, MAX_POWER]; NaN gives the default 2.
    explicit RicciBlend(float power = 2.0f);

    float GetPower() const { return m_power; }
    /// Clamps into [MIN_POWER, MAX_POWER]. A NaN is refused (the power stays)
    /// and false returned.
    bool SetPower(float power);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The children's seeds carried onto the blended surface.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    float m_power = 2.0f;
    int m_integerPower = 2;  // m_power when it is a whole number up to 64, else 0
};

}  // namespace vynimplicit

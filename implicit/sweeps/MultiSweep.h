#pragma once
// A stack of sweeps (typically one per pair of consecutive outlines of a
// contour stack) fused into one solid.

#include "implicit/CompositionOperator.h"

namespace vynimplicit {

/**
 * \brief Smooth union of sweep children.
 *
 * Value = C(R) with the Ricci union R = (sum f_i^p)^(1/p) of the children's
 * values and C a C1 clamp: C(R) = R up to 0.9, rolls off quadratically and
 * stays 1 from 1.1 on. Far from the joints only one child is non-zero and
 * the child shows through unchanged (below 0.9); where neighbouring sweeps
 * meet, e.g. on the shared end face of two stacked slices where each is 0.5,
 * the union rises above 0.5 (2^(1/p) / 2), so the joint is solid and its
 * rim gets a fillet instead of a seam. Higher powers make the union tighter.
 * Without children the value is 0 and the bounds are empty; the bounds are
 * the union of the children's, the seeds all of theirs.
 */
class MultiSweep : public CompositionOperator {
public:
    static constexpr float MIN_POWER = 1.0f;
    static constexpr float MAX_POWER = 64.0f;

    /// Blend power 4.
    MultiSweep() = default;

    float GetBlendPower() const { return m_power; }
    /// Clamped to [MIN_POWER, MAX_POWER]; NaN is ignored.
    void SetBlendPower(float power);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;

private:
    float m_power = 4.0f;
};

}  // namespace vynimplicit

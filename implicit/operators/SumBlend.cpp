#include "implicit/operators/SumBlend.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

float SumBlend::Value(float x, float y, float z)
{
    float sum = 0.0f;
    for (ScalarField* child : m_children) {
        sum += blend::UnitValue(child->Value(x, y, z));
        // Past 1.25 the clamp is flat: the rest cannot change the answer.
        if (sum >= 1.25f) return 1.0f;
    }
    float derivative;
    return blend::SmoothUnitClamp(sum, derivative);
}

void SumBlend::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    float sum = 0.0f, sx = 0.0f, sy = 0.0f, sz = 0.0f;
    fold::Sample s;
    for (ScalarField* child : m_children) {
        fold::EvaluateChild(child, x, y, z, s);
        if (!(s.v > 0.0f)) continue;
        sum += s.v;
        if (sum >= 1.25f) {
            // Flat part of the clamp: value 1, gradient 0 whatever follows.
            gx = gy = gz = 0.0f;
            if (value) *value = 1.0f;
            return;
        }
        sx += s.gx;
        sy += s.gy;
        sz += s.gz;
    }
    float derivative;
    const float v = blend::SmoothUnitClamp(sum, derivative);
    gx = derivative * sx;
    gy = derivative * sy;
    gz = derivative * sz;
    if (value) *value = v;
}

void SumBlend::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

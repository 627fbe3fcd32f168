#include "implicit/operators/MinMaxUnion.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// max(a, b); the earlier child wins a tie.
struct Combine {
    float operator()(float a, float b, float& da, float& db) const
    {
        da = a >= b ? 1.0f : 0.0f;
        db = 1.0f - da;
        return a >= b ? a : b;
    }
};

}  // namespace

float MinMaxUnion::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Union>(m_children, x, y, z, Combine());
}

void MinMaxUnion::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float v = fold::Gradient<fold::Kind::Union>(m_children, x, y, z, gx, gy, gz, Combine());
    if (value) *value = v;
}

void MinMaxUnion::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

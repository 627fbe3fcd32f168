#include "implicit/operators/BartheSharpUnion.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// The sharp parameters never change: one constant for every evaluation.
const blend::BartheBlendParams SHARP = blend::SharpBartheParams();

struct UnionCombine {
    float operator()(float a, float b, float& da, float& db) const
    {
        return blend::BartheUnion(a, b, SHARP, da, db);
    }
};

}  // namespace

float BartheSharpUnion::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Union>(m_children, x, y, z, UnionCombine());
}

void BartheSharpUnion::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float v = fold::Gradient<fold::Kind::Union>(m_children, x, y, z, gx, gy, gz, UnionCombine());
    if (value) *value = v;
}

void BartheSharpUnion::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

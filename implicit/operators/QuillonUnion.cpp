#include "implicit/operators/QuillonUnion.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

struct Combine {
    float operator()(float a, float b, float& da, float& db) const
    {
        return blend::QuillonUnion(a, b, da, db);
    }
};

}  // namespace

float QuillonUnion::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Union>(m_children, x, y, z, Combine());
}

void QuillonUnion::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float v = fold::Gradient<fold::Kind::Union>(m_children, x, y, z, gx, gy, gz, Combine());
    if (value) *value = v;
}

void QuillonUnion::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

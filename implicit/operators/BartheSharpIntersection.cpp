#include "implicit/operators/BartheSharpIntersection.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// The sharp parameters never change: one constant for every evaluation.
const blend::BartheBlendParams SHARP = blend::SharpBartheParams();

struct IntersectionCombine {
    float operator()(float a, float b, float& da, float& db) const
    {
        return blend::BartheIntersection(a, b, SHARP, da, db);
    }
};

}  // namespace

float BartheSharpIntersection::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Intersection>(m_children, x, y, z, IntersectionCombine());
}

void BartheSharpIntersection::Gradient(float x, float y, float z, float& gx, float& gy, float& gz,
                                       float* value)
{
    const float v =
        fold::Gradient<fold::Kind::Intersection>(m_children, x, y, z, gx, gy, gz, IntersectionCombine());
    if (value) *value = v;
}

void BartheSharpIntersection::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    fold::IntersectionBounds(m_children, box);
}

void BartheSharpIntersection::Color(float x, float y, float z, float& r, float& g, float& b)
{
    fold::SelectedColor<fold::Kind::Intersection>(*this, m_children, x, y, z, r, g, b);
}

void BartheSharpIntersection::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

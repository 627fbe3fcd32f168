#include "implicit/operators/BartheSharpDifference.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// The sharp parameters never change: one constant for every evaluation.
const blend::BartheBlendParams SHARP = blend::SharpBartheParams();

struct DifferenceCombine {
    float operator()(float a, float b, float& da, float& db) const
    {
        return blend::BartheDifference(a, b, SHARP, da, db);
    }
};

}  // namespace

float BartheSharpDifference::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Difference>(m_children, x, y, z, DifferenceCombine());
}

void BartheSharpDifference::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float v =
        fold::Gradient<fold::Kind::Difference>(m_children, x, y, z, gx, gy, gz, DifferenceCombine());
    if (value) *value = v;
}

void BartheSharpDifference::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    if (m_children.empty())
        box.MakeEmpty();
    else
        m_children[0]->FieldBounds(box);
}

void BartheSharpDifference::Color(float x, float y, float z, float& r, float& g, float& b)
{
    fold::SelectedColor<fold::Kind::Difference>(*this, m_children, x, y, z, r, g, b);
}

void BartheSharpDifference::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

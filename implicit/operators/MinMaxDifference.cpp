#include "implicit/operators/MinMaxDifference.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// min(a, 1 - b).
struct Combine {
    float operator()(float a, float b, float& da, float& db) const
    {
        const float c = 1.0f - b;
        da = a <= c ? 1.0f : 0.0f;
        db = da - 1.0f;
        return a <= c ? a : c;
    }
};

}  // namespace

float MinMaxDifference::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Difference>(m_children, x, y, z, Combine());
}

void MinMaxDifference::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float v = fold::Gradient<fold::Kind::Difference>(m_children, x, y, z, gx, gy, gz, Combine());
    if (value) *value = v;
}

void MinMaxDifference::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    if (m_children.empty())
        box.MakeEmpty();
    else
        m_children[0]->FieldBounds(box);
}

void MinMaxDifference::Color(float x, float y, float z, float& r, float& g, float& b)
{
    fold::SelectedColor<fold::Kind::Difference>(*this, m_children, x, y, z, r, g, b);
}

void MinMaxDifference::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

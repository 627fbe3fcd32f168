#include "implicit/operators/BartheSmoothDifference.h"

#include <algorithm>
#include <cmath>

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

struct Combine {
    blend::BartheBlendParams params;
    float operator()(float a, float b, float& da, float& db) const
    {
        return blend::BartheDifference(a, b, params, da, db);
    }
};

}  // namespace

BartheSmoothDifference::BartheSmoothDifference(float sharpness)
{
    if (!SetSharpness(sharpness)) SetSharpness(0.5f);
}

bool BartheSmoothDifference::SetSharpness(float sharpness)
{
    if (std::isnan(sharpness)) return false;
    m_sharpness = std::clamp(sharpness, MIN_SHARPNESS, MAX_SHARPNESS);
    m_slope = 1.0f - m_sharpness;
    return true;
}

float BartheSmoothDifference::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Difference>(m_children, x, y, z, Combine{{m_slope, false}});
}

void BartheSmoothDifference::Gradient(float x, float y, float z, float& gx, float& gy, float& gz,
                                      float* value)
{
    const float v =
        fold::Gradient<fold::Kind::Difference>(m_children, x, y, z, gx, gy, gz, Combine{{m_slope, false}});
    if (value) *value = v;
}

void BartheSmoothDifference::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    if (m_children.empty())
        box.MakeEmpty();
    else
        m_children[0]->FieldBounds(box);
}

void BartheSmoothDifference::Color(float x, float y, float z, float& r, float& g, float& b)
{
    fold::SelectedColor<fold::Kind::Difference>(*this, m_children, x, y, z, r, g, b);
}

void BartheSmoothDifference::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

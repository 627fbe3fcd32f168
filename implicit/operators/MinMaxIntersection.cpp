#include "implicit/operators/MinMaxIntersection.h"

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// min(a, b); the earlier child wins a tie.
struct Combine {
    float operator()(float a, float b, float& da, float& db) const
    {
        da = a <= b ? 1.0f : 0.0f;
        db = 1.0f - da;
        return a <= b ? a : b;
    }
};

}  // namespace

float MinMaxIntersection::Value(float x, float y, float z)
{
    return fold::Value<fold::Kind::Intersection>(m_children, x, y, z, Combine());
}

void MinMaxIntersection::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float v = fold::Gradient<fold::Kind::Intersection>(m_children, x, y, z, gx, gy, gz, Combine());
    if (value) *value = v;
}

void MinMaxIntersection::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    fold::IntersectionBounds(m_children, box);
}

void MinMaxIntersection::Color(float x, float y, float z, float& r, float& g, float& b)
{
    fold::SelectedColor<fold::Kind::Intersection>(*this, m_children, x, y, z, r, g, b);
}

void MinMaxIntersection::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

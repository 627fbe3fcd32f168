#include "implicit/operators/HollowOperator.h"

#include <algorithm>
#include <cmath>

#include "implicit/operators/BlendFunctions.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// x0 floor and the thickness where it is reached.
constexpr float MIN_LEVEL = 0.15f;
constexpr float LIMIT_THICKNESS = 0.5f * (1.0f - MIN_LEVEL);

}  // namespace

HollowOperator::HollowOperator(float thickness)
{
    if (!SetThickness(thickness)) SetThickness(0.1f);
}

bool HollowOperator::SetThickness(float thickness)
{
    if (std::isnan(thickness)) return false;
    m_thickness = std::clamp(thickness, MIN_THICKNESS, MAX_THICKNESS);
    const float t = std::min(m_thickness, LIMIT_THICKNESS);
    // ln(1 - 2t) through log1p: for t near 1e-7 the plain log loses all digits.
    const double lnLevel = std::log1p(-2.0 * double(t));
    const double lnHalf = std::log(1.0 - 1.0 / std::sqrt(2.0));  // x0^p = 1 - 1/sqrt 2
    m_exponent = float(lnHalf / lnLevel);
    m_innerFactor = std::clamp(1.0f - (m_thickness - LIMIT_THICKNESS) / (0.5f - LIMIT_THICKNESS), 0.0f, 1.0f);
    return true;
}

float HollowOperator::Map(float f, float& derivative) const
{
    const bool outer = f <= 0.5f;
    const float x = outer ? 2.0f * f : 2.0f * (1.0f - f);
    const float c = outer ? 1.0f : m_innerFactor;
    if (!(x > 0.0f)) {
        derivative = 0.0f;
        return 1.0f - c;
    }
    const float xp = std::pow(x, m_exponent);
    const float e = 1.0f - xp;
    // dh/dx = 2 c (1 - x^p) p x^(p-1); dx/df = +-2.
    const float dhdx = 2.0f * c * e * m_exponent * (xp / x);
    derivative = outer ? 2.0f * dhdx : -2.0f * dhdx;
    return std::clamp(1.0f - c * e * e, 0.0f, 1.0f);
}

float HollowOperator::Value(float x, float y, float z)
{
    if (m_children.empty()) return 0.0f;
    const float f = blend::UnitValue(m_children[0]->Value(x, y, z));
    if (!(f > 0.0f)) return 0.0f;
    float derivative;
    return Map(f, derivative);
}

void HollowOperator::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    float v = 0.0f;
    gx = gy = gz = 0.0f;
    if (!m_children.empty()) {
        float f = 0.0f;
        m_children[0]->Gradient(x, y, z, gx, gy, gz, &f);
        f = blend::UnitValue(f);
        float derivative = 0.0f;
        if (f > 0.0f) v = Map(f, derivative);
        gx *= derivative;
        gy *= derivative;
        gz *= derivative;
    }
    if (value) *value = v;
}

void HollowOperator::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    if (m_children.empty())
        box.MakeEmpty();
    else
        m_children[0]->FieldBounds(box);
}

void HollowOperator::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    if (m_children.empty()) return;
    ScalarField* child = m_children[0];
    std::vector<Wml::Vector3<float>> childSeeds;
    child->GetSeedPoints(childSeeds);
    Wml::AxisAlignedBox3<float> box;
    FieldBounds(box);
    if (box.IsEmpty()) return;
    const float length = (box.MaxCorner() - box.MinCorner()).Length();
    const size_t before = points.size();
    for (Wml::Vector3<float> s : childSeeds) {
        // A point on the child's surface sits in the middle of the shell; the
        // walls lie along the child's gradient on either side. Tighten the
        // child's seed first so that it is inside even a thin shell.
        child->IsoValueConverge(s, 0.5f, 20, 1e-6f);
        Wml::Vector3<float> g = child->Gradient(s);
        if (g.Normalize() <= 0.0f) continue;
        Wml::Vector3<float> hit;
        if (seeds::MarchToSurface(*this, s, g, length, hit)) points.push_back(hit);
        if (seeds::MarchToSurface(*this, s, -g, length, hit)) points.push_back(hit);
    }
    if (points.size() == before) seeds::AppendSurfaceSeeds(*this, childSeeds, points);
}

void HollowOperator::Color(float x, float y, float z, float& r, float& g, float& b)
{
    if (m_children.empty())
        ScalarField::Color(x, y, z, r, g, b);
    else
        m_children[0]->Color(x, y, z, r, g, b);
}

}  // namespace vynimplicit

#include "implicit/primitives/CurveSet.h"

#include <cmath>

namespace vynimplicit {

namespace {

// Smooth saturation of the sum: identity up to 0.75, 1 from 1.25 on, C1.
constexpr float SATURATION_START = 0.75f;
constexpr float SATURATION_END = 1.25f;

inline float Saturate(float s, float& slope)
{
    if (s <= SATURATION_START) {
        slope = 1.0f;
        return s;
    }
    if (s >= SATURATION_END) {
        slope = 0.0f;
        return 1.0f;
    }
    const float t = s - SATURATION_START;
    slope = 1.0f - 2.0f * t;
    return s - t * t;
}

}  // namespace

bool CurveSet::AddCurve(const std::vector<Wml::Vector3<float>>& points, float radius)
{
    if (std::isnan(radius)) return false;
    PolyLinePrimitive curve(PolyLinePrimitive::OPEN);
    for (const auto& p : points) curve.AppendVertex(p);  // refuses non-finite points
    if (curve.GetNumVertices() == 0) return false;
    curve.SetRadius(radius);
    m_curves.push_back(std::move(curve));
    return true;
}

const std::vector<Wml::Vector3<float>>& CurveSet::GetCurve(unsigned int i) const
{
    static const std::vector<Wml::Vector3<float>> none;
    return i < m_curves.size() ? m_curves[i].GetVertices() : none;
}

float CurveSet::GetCurveRadius(unsigned int i) const
{
    return i < m_curves.size() ? m_curves[i].GetRadius() : 0.0f;
}

void CurveSet::ClearCurves()
{
    m_curves.clear();
}

const Wml::Frame3<float>& CurveSet::GetFrame() const
{
    static const Wml::Frame3<float> identity;
    return identity;
}

bool CurveSet::SetFrame(const Wml::Frame3<float>&)
{
    return false;
}

float CurveSet::Value(float x, float y, float z)
{
    const float q[3] = {x, y, z};
    float sum = 0.0f;
    for (PolyLinePrimitive& c : m_curves) sum += c.EvaluateLocal(q, nullptr);
    float slope;
    return Saturate(sum, slope);
}

void CurveSet::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float q[3] = {x, y, z};
    float sum = 0.0f, g[3] = {0.0f, 0.0f, 0.0f};
    for (PolyLinePrimitive& c : m_curves) {
        float gc[3];
        const float v = c.EvaluateLocal(q, gc);
        if (v <= 0.0f) continue;
        sum += v;
        g[0] += gc[0];
        g[1] += gc[1];
        g[2] += gc[2];
    }
    float slope;
    const float v = Saturate(sum, slope);
    gx = slope * g[0];
    gy = slope * g[1];
    gz = slope * g[2];
    if (value) *value = v;
}

void CurveSet::Color(float, float, float, float& r, float& g, float& b)
{
    r = 0.78f;
    g = 0.60f;
    b = 0.50f;
}

void CurveSet::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box = Wml::AxisAlignedBox3<float>();
    Wml::AxisAlignedBox3<float> b;
    for (PolyLinePrimitive& c : m_curves) {
        c.FieldBounds(b);
        box.Merge(b);
    }
}

void CurveSet::SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box)
{
    // A point outside every curve's own level set can still reach isoValue
    // through the sum, up to as many times over as there are curves.
    const float own = m_curves.empty() ? isoValue : isoValue / static_cast<float>(m_curves.size());
    box = Wml::AxisAlignedBox3<float>();
    Wml::AxisAlignedBox3<float> b;
    for (PolyLinePrimitive& c : m_curves) {
        c.SurfaceBounds(own, b);
        box.Merge(b);
    }
}

void CurveSet::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    for (PolyLinePrimitive& c : m_curves) c.GetSeedPoints(points);
}

}  // namespace vynimplicit

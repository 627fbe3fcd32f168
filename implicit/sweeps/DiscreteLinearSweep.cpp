#include "implicit/sweeps/DiscreteLinearSweep.h"

#include <cmath>

namespace vynimplicit {

namespace {

float ClampSize(float v, float lo, float hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

DiscreteLinearSweep::DiscreteLinearSweep(ScalarField2D* sweepTemplate, const Wml::Frame3<float>& frame,
                                         float halfLength)
{
    m_template.Set(sweepTemplate);
    m_frame.Set(frame);
    SetHalfLength(halfLength);
}

void DiscreteLinearSweep::SetHalfLength(float halfLength)
{
    if (std::isnan(halfLength)) return;
    m_halfLength = ClampSize(halfLength, MIN_HALF_LENGTH, MAX_SIZE);
}

void DiscreteLinearSweep::SetRadius(float radius)
{
    if (std::isnan(radius)) return;
    m_radius = ClampSize(radius, MIN_RADIUS, MAX_SIZE);
    UpdateScale();
}

bool DiscreteLinearSweep::SetCropScalingFactors(float sx, float sy)
{
    if (!(std::isfinite(sx) && std::isfinite(sy) && sx > 0.0f && sy > 0.0f)) return false;
    m_cropX = ClampSize(sx, 1e-6f, MAX_SIZE);
    m_cropY = ClampSize(sy, 1e-6f, MAX_SIZE);
    UpdateScale();
    return true;
}

void DiscreteLinearSweep::UpdateScale()
{
    m_invScaleU = 1.0f / (m_radius * m_cropX);
    m_invScaleV = 1.0f / (m_radius * m_cropY);
}

float DiscreteLinearSweep::Value(float x, float y, float z)
{
    if (!m_template.IsSet()) return 0.0f;
    float q[3];
    m_frame.ToLocal(x, y, z, q);
    // Cheap reject along the axis before touching the template.
    const float e = std::fabs(q[2]) - m_halfLength;
    if (!(e < m_endcap.Reach(m_halfLength))) return 0.0f;
    const float t = m_template.Value(q[0] * m_invScaleU, q[1] * m_invScaleV);
    if (!(t > 0.0f)) return 0.0f;
    return m_endcap.Value(t, e, m_halfLength);
}

void DiscreteLinearSweep::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    gx = gy = gz = 0.0f;
    if (value) *value = 0.0f;
    if (!m_template.IsSet()) return;
    float q[3];
    m_frame.ToLocal(x, y, z, q);
    const float e = std::fabs(q[2]) - m_halfLength;
    if (!(e < m_endcap.Reach(m_halfLength))) return;
    float tu, tv;
    const float t = m_template.ValueGradient(q[0] * m_invScaleU, q[1] * m_invScaleV, tu, tv);
    if (!(t > 0.0f)) return;
    float dt, de;
    const float f = m_endcap.Value(t, e, m_halfLength, dt, de);
    const float g[3] = {dt * tu * m_invScaleU, dt * tv * m_invScaleV, q[2] >= 0.0f ? de : -de};
    m_frame.GradientToWorld(g, gx, gy, gz);
    if (value) *value = f;
}

void DiscreteLinearSweep::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box = Wml::AxisAlignedBox3<float>();
    const Wml::AxisAlignedBox2<float> t = m_template.Bounds();
    if (t.IsEmpty()) return;
    const float su = m_radius * m_cropX, sv = m_radius * m_cropY;
    const float zExtent = m_halfLength + m_endcap.Reach(m_halfLength);
    const Wml::AxisAlignedBox3<float> local(t.Min(0) * su, t.Max(0) * su, t.Min(1) * sv, t.Max(1) * sv,
                                            -zExtent, zExtent);
    box = m_frame.LocalBoxToWorld(local);
}

void DiscreteLinearSweep::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    if (!m_template.IsSet()) return;
    std::vector<Wml::Vector2<float>> seeds;
    m_template.FindSeeds(seeds);
    const float su = m_radius * m_cropX, sv = m_radius * m_cropY;
    // The outline at z = 0 lies on the surface (or, for deep rim rounding,
    // right next to it).
    for (const auto& s : seeds)
        points.push_back(m_frame.ToWorldPoint(Wml::Vector3<float>(s.X() * su, s.Y() * sv, 0.0f)));
}

}  // namespace vynimplicit

#include "implicit/sweeps/DiscreteRevolution.h"

#include <algorithm>
#include <cmath>

namespace vynimplicit {

DiscreteRevolution::DiscreteRevolution(ScalarField2D* profile, const Wml::Frame3<float>& frame)
{
    m_template.Set(profile);
    m_frame.Set(frame);
}

void DiscreteRevolution::SetRadius(float radius)
{
    if (std::isnan(radius)) return;
    m_radius = std::clamp(radius, MIN_RADIUS, MAX_RADIUS);
}

bool DiscreteRevolution::SetEvaluationMode(int mode)
{
    if (mode < Union || mode > Average) return false;
    m_mode = mode;
    return true;
}

float DiscreteRevolution::ProfileReach(const Wml::AxisAlignedBox2<float>& t) const
{
    if (t.IsEmpty()) return -1.0f;
    switch (m_mode) {
        case RightHalf:
            return t.Max(0);
        case LeftHalf:
            return -t.Min(0);
        default:
            return std::max(t.Max(0), -t.Min(0));
    }
}

float DiscreteRevolution::Profile(float u, float v) const
{
    switch (m_mode) {
        case RightHalf:
            return m_template.Value(u, v);
        case LeftHalf:
            return m_template.Value(-u, v);
        case Average:
            return 0.5f * (m_template.Value(u, v) + m_template.Value(-u, v));
        default:
            return std::max(m_template.Value(u, v), m_template.Value(-u, v));
    }
}

float DiscreteRevolution::Profile(float u, float v, float& gu, float& gv) const
{
    switch (m_mode) {
        case RightHalf:
            return m_template.ValueGradient(u, v, gu, gv);
        case LeftHalf: {
            const float f = m_template.ValueGradient(-u, v, gu, gv);
            gu = -gu;
            return f;
        }
        default:
            break;
    }
    float gu1, gv1, gu2, gv2;
    const float f1 = m_template.ValueGradient(u, v, gu1, gv1);
    const float f2 = m_template.ValueGradient(-u, v, gu2, gv2);
    if (m_mode == Average) {
        gu = 0.5f * (gu1 - gu2);
        gv = 0.5f * (gv1 + gv2);
        return 0.5f * (f1 + f2);
    }
    if (f1 >= f2) {
        gu = gu1;
        gv = gv1;
        return f1;
    }
    gu = -gu2;
    gv = gv2;
    return f2;
}

float DiscreteRevolution::Value(float x, float y, float z)
{
    if (!m_template.IsSet()) return 0.0f;
    const Wml::AxisAlignedBox2<float> t = m_template.Bounds();
    const float reach = ProfileReach(t) * m_radius;
    if (!(reach > 0.0f)) return 0.0f;
    float q[3];
    m_frame.ToLocal(x, y, z, q);
    const float v = q[1] / m_radius;
    const float r2 = q[0] * q[0] + q[2] * q[2];
    // Cheap rejects: outside the profile's height range or radius.
    if (!(v >= t.Min(1) && v <= t.Max(1) && r2 <= reach * reach)) return 0.0f;
    return Profile(std::sqrt(r2) / m_radius, v);
}

void DiscreteRevolution::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    gx = gy = gz = 0.0f;
    if (value) *value = 0.0f;
    if (!m_template.IsSet()) return;
    const Wml::AxisAlignedBox2<float> t = m_template.Bounds();
    const float reach = ProfileReach(t) * m_radius;
    if (!(reach > 0.0f)) return;
    float q[3];
    m_frame.ToLocal(x, y, z, q);
    const float v = q[1] / m_radius;
    const float r2 = q[0] * q[0] + q[2] * q[2];
    if (!(v >= t.Min(1) && v <= t.Max(1) && r2 <= reach * reach)) return;
    const float r = std::sqrt(r2);
    float gu, gv;
    const float f = Profile(r / m_radius, v, gu, gv);
    // d/dx of u = x / (r radius); on the axis itself the radial part is
    // dropped (it vanishes there for smooth profiles).
    const float radial = r > 1e-12f ? gu / (r * m_radius) : 0.0f;
    const float g[3] = {radial * q[0], gv / m_radius, radial * q[2]};
    m_frame.GradientToWorld(g, gx, gy, gz);
    if (value) *value = f;
}

void DiscreteRevolution::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box = Wml::AxisAlignedBox3<float>();
    const Wml::AxisAlignedBox2<float> t = m_template.Bounds();
    const float reach = ProfileReach(t) * m_radius;
    if (!(reach > 0.0f)) return;
    const Wml::AxisAlignedBox3<float> local(-reach, reach, t.Min(1) * m_radius, t.Max(1) * m_radius, -reach,
                                            reach);
    box = m_frame.LocalBoxToWorld(local);
}

void DiscreteRevolution::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    const Wml::AxisAlignedBox2<float> t = m_template.Bounds();
    const float reach = ProfileReach(t);
    if (!m_template.IsSet() || !(reach > 0.0f)) return;
    // Search the half plane u >= 0 of the mode's own profile: every region
    // there revolves into one connected piece.
    std::vector<Wml::Vector2<float>> seeds;
    FindContourSeeds([this](float u, float v) { return Profile(u, v); },
                     Wml::AxisAlignedBox2<float>(0.0f, reach, t.Min(1), t.Max(1)),
                     m_template.SeedResolution(), seeds);
    for (const auto& s : seeds)
        points.push_back(m_frame.ToWorldPoint(Wml::Vector3<float>(s.X() * m_radius, s.Y() * m_radius, 0.0f)));
}

}  // namespace vynimplicit

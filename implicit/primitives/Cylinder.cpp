#include "implicit/primitives/Cylinder.h"

#include <algorithm>
#include <cmath>

#include "implicit/Falloff.h"

namespace vynimplicit {

Cylinder::Cylinder(float radius, float length, const Wml::Frame3<float>& frame)
{
    if (!SetRadius(radius)) SetRadius(0.25f);
    if (!SetLength(length)) SetLength(1.0f);
    SetFrame(frame);
}

bool Cylinder::SetRadius(float radius)
{
    if (std::isnan(radius)) return false;
    m_radius = std::clamp(radius, MIN_RADIUS, MAX_RADIUS);
    const float support = m_radius / FALLOFF_SURFACE_RADIUS;
    m_invSupport2 = 1.0f / (support * support);
    return true;
}

bool Cylinder::SetLength(float length)
{
    if (std::isnan(length)) return false;
    m_length = std::clamp(length, 0.0f, MAX_LENGTH);
    return true;
}

float Cylinder::Value(float x, float y, float z)
{
    float q[3];
    m_placement.ToLocal(x, y, z, q);
    // Squared distance to the segment [0, length] of the z axis.
    const float dz = q[2] < 0.0f ? q[2] : (q[2] > m_length ? q[2] - m_length : 0.0f);
    const float r2 = (q[0] * q[0] + q[1] * q[1] + dz * dz) * m_invSupport2;
    // Written so that a NaN point answers 0.
    return r2 < 1.0f ? FalloffSquared(r2) : 0.0f;
}

void Cylinder::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    float q[3];
    m_placement.ToLocal(x, y, z, q);
    const float dz = q[2] < 0.0f ? q[2] : (q[2] > m_length ? q[2] - m_length : 0.0f);
    const float r2 = (q[0] * q[0] + q[1] * q[1] + dz * dz) * m_invSupport2;
    if (!(r2 < 1.0f)) {
        gx = gy = gz = 0.0f;
        if (value) *value = 0.0f;
        return;
    }
    const float t = 1.0f - r2;
    // The squared distance to a segment is C1: its gradient is twice the
    // offset from the nearest point, whose z part is dz.
    const float k = -6.0f * t * t * m_invSupport2;
    const float g[3] = {k * q[0], k * q[1], k * dz};
    m_placement.GradientToWorld(g, gx, gy, gz);
    if (value) *value = t * t * t;
}

void Cylinder::Color(float, float, float, float& r, float& g, float& b)
{
    r = 0.62f;
    g = 0.70f;
    b = 0.80f;
}

void Cylinder::BoundsAtRadius(float supportFraction, Wml::AxisAlignedBox3<float>& box) const
{
    // The support is the set of balls along the segment: its image is the
    // box of the two end ellipsoids.
    const float r = supportFraction * m_radius / FALLOFF_SURFACE_RADIUS;
    box = Wml::AxisAlignedBox3<float>();
    m_placement.MergeBall(box, Wml::Vector3<float>::ZERO, r);
    m_placement.MergeBall(box, Wml::Vector3<float>(0.0f, 0.0f, m_length), r);
}

void Cylinder::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    BoundsAtRadius(1.0f, box);
}

void Cylinder::SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box)
{
    BoundsAtRadius(FalloffInverse(isoValue), box);
}

void Cylinder::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    points.push_back(m_placement.ToWorld(Wml::Vector3<float>(m_radius, 0.0f, 0.5f * m_length)));
}

}  // namespace vynimplicit

#include "implicit/primitives/Point.h"

#include <algorithm>
#include <cmath>

#include "implicit/Falloff.h"

namespace vynimplicit {

namespace {

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

Point::Point(const Wml::Vector3<float>& centre, float size)
{
    SetCenter(centre);
    SetSize(size);
}

bool Point::SetSize(float size)
{
    if (std::isnan(size)) return false;
    // +inf clamps like any large size; -inf like any negative one.
    m_size = std::clamp(size, MIN_SIZE, MAX_SIZE);
    return true;
}

bool Point::SetCenter(const Wml::Vector3<float>& centre)
{
    if (!Finite(centre)) return false;
    Wml::Frame3<float> frame = m_placement.GetFrame();
    frame.SetOrigin(centre);
    return m_placement.SetFrame(frame);
}

float Point::Value(float x, float y, float z)
{
    float q[3];
    m_placement.ToLocal(x, y, z, q);
    const float s2 = m_size * m_size;
    const float r2 = (q[0] * q[0] + q[1] * q[1] + q[2] * q[2]) * s2;
    // Written so that a NaN point answers 0.
    return r2 < 1.0f ? FalloffSquared(r2) : 0.0f;
}

void Point::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    float q[3];
    m_placement.ToLocal(x, y, z, q);
    const float s2 = m_size * m_size;
    const float r2 = (q[0] * q[0] + q[1] * q[1] + q[2] * q[2]) * s2;
    if (!(r2 < 1.0f)) {
        gx = gy = gz = 0.0f;
        if (value) *value = 0.0f;
        return;
    }
    const float t = 1.0f - r2;
    // d/dq (1 - r^2)^3 = -3 (1 - r^2)^2 * 2 q size^2
    const float k = -6.0f * t * t * s2;
    const float g[3] = {k * q[0], k * q[1], k * q[2]};
    m_placement.GradientToWorld(g, gx, gy, gz);
    if (value) *value = t * t * t;
}

void Point::Color(float, float, float, float& r, float& g, float& b)
{
    r = 0.80f;
    g = 0.72f;
    b = 0.62f;
}

void Point::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box = Wml::AxisAlignedBox3<float>();
    m_placement.MergeBall(box, Wml::Vector3<float>::ZERO, 1.0f / m_size);
}

void Point::SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box)
{
    box = Wml::AxisAlignedBox3<float>();
    m_placement.MergeBall(box, Wml::Vector3<float>::ZERO, FalloffInverse(isoValue) / m_size);
}

void Point::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    points.push_back(m_placement.ToWorld(Wml::Vector3<float>(FALLOFF_SURFACE_RADIUS / m_size, 0.0f, 0.0f)));
}

}  // namespace vynimplicit

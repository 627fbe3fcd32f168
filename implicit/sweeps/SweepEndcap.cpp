#include "implicit/sweeps/SweepEndcap.h"

#include <cmath>

namespace vynimplicit {

bool SweepEndcap::SetStyle(int style)
{
    if (style < 0 || style > 2) return false;
    m_style = static_cast<CapStyle>(style);
    return true;
}

void SweepEndcap::SetFalloffLength(float length)
{
    if (std::isnan(length)) return;
    m_falloffLength = length < MIN_FALLOFF_LENGTH
                          ? MIN_FALLOFF_LENGTH
                          : (length > MAX_FALLOFF_LENGTH ? MAX_FALLOFF_LENGTH : length);
}

void SweepEndcap::SetBlendAngle(float degrees)
{
    if (std::isnan(degrees)) return;
    m_blendAngle =
        degrees < MIN_BLEND_ANGLE ? MIN_BLEND_ANGLE : (degrees > MAX_BLEND_ANGLE ? MAX_BLEND_ANGLE : degrees);
    ComputeParams();
}

void SweepEndcap::ComputeParams()
{
    const float radians = m_blendAngle * 3.14159265358979f / 180.0f;
    m_k = std::tan(radians) / 3.0f;
    m_invK = 1.0f / m_k;
}

float SweepEndcap::Reach(float halfBody) const
{
    if (m_style == CapStyle::Blobby) return m_falloffLength / FALLOFF_SURFACE_RADIUS;
    return EffectiveFalloff(halfBody) * (1.0f - FALLOFF_SURFACE_RADIUS);
}

float SweepEndcap::Intersect(float t, float a, float& dt, float& da) const
{
    if (m_style == CapStyle::FlatSharp) {
        if (t <= a) {
            dt = 1.0f;
            da = 0.0f;
            return t;
        }
        dt = 0.0f;
        da = 1.0f;
        return a;
    }
    const float sum = t + a;
    if (!(sum > 0.0f)) {
        dt = da = 0.0f;
        return 0.0f;
    }
    const float s = (a - t) / sum;
    if (s >= m_k) {
        dt = 1.0f;
        da = 0.0f;
        return t;
    }
    if (s <= -m_k) {
        dt = 0.0f;
        da = 1.0f;
        return a;
    }
    // Inside the blend sector: value (sum / 2) m(s) with m = 1 - k P(s / k),
    // P(x) = (3 + 6x^2 - x^4) / 8 the C2 rounding of |x|; ds/dt = -2a / sum^2,
    // ds/da = 2t / sum^2.
    const float x = s * m_invK, x2 = x * x;
    const float m = 1.0f - m_k * (3.0f + x2 * (6.0f - x2)) * 0.125f;
    const float slope = -x * (12.0f - 4.0f * x2) * 0.125f;  // dm/ds
    const float q = slope / sum;
    dt = 0.5f * m - q * a;
    da = 0.5f * m + q * t;
    return 0.5f * sum * m;
}

float SweepEndcap::Value(float t, float e, float halfBody, float& dt, float& de) const
{
    if (m_style == CapStyle::Blobby) {
        const float h = m_falloffLength / FALLOFF_SURFACE_RADIUS;
        if (!(e > 0.0f)) {
            dt = 1.0f;
            de = 0.0f;
            return t;
        }
        const float invH2 = 1.0f / (h * h);
        const float r2 = e * e * invH2;
        const float w = FalloffSquared(r2);
        dt = w;
        de = t * FalloffSquaredDerivative(r2) * 2.0f * e * invH2;
        return t * w;
    }
    const float l = EffectiveFalloff(halfBody);
    const float x = e + l * FALLOFF_SURFACE_RADIUS;
    float a = 1.0f, daDe = 0.0f;
    if (x > 0.0f) {
        const float invL2 = 1.0f / (l * l);
        const float r2 = x * x * invL2;
        a = FalloffSquared(r2);
        daDe = FalloffSquaredDerivative(r2) * 2.0f * x * invL2;
    } else if (!(x <= 0.0f)) {
        // NaN distance: nothing there.
        dt = de = 0.0f;
        return 0.0f;
    }
    float dA;
    const float v = Intersect(t, a, dt, dA);
    de = dA * daDe;
    return v;
}

}  // namespace vynimplicit

#include "implicit/operators/RicciBlend.h"

#include <algorithm>
#include <cmath>

#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

RicciBlend::RicciBlend(float power)
{
    if (!SetPower(power)) m_power = 2.0f;
}

bool RicciBlend::SetPower(float power)
{
    if (std::isnan(power)) return false;
    m_power = std::clamp(power, MIN_POWER, MAX_POWER);
    m_integerPower = m_power == std::floor(m_power) && m_power <= 64.0f ? int(m_power) : 0;
    return true;
}

namespace {
// x^k for x in [0, 1]. Whole powers, the usual case, by repeated squaring:
// several times faster than pow.
inline float Raise(float x, float k, int whole)
{
    if (whole <= 0) return std::pow(x, k);
    float result = 1.0f;
    for (float base = x; whole; whole >>= 1, base *= base)
        if (whole & 1) result *= base;
    return result;
}
}  // namespace

// The sum is kept as m^k * R with m the largest value seen so far and R >= 1,
// so every power taken is of a ratio in [0, 1]. When a larger value arrives
// R is rescaled by (m_old / m_new)^k. The gradient sum G = sum (f_i/m)^(k-1)
// grad f_i is rescaled alongside by (m_old / m_new)^(k-1). At the end
// v = m R^(1/k) and grad v = G R^(1/k - 1).

float RicciBlend::Value(float x, float y, float z)
{
    const float k = m_power;
    float m = 0.0f, r = 0.0f;
    for (ScalarField* child : m_children) {
        const float f = blend::UnitValue(child->Value(x, y, z));
        if (!(f > 0.0f)) continue;
        if (f > m) {
            r = m > 0.0f ? r * Raise(m / f, k, m_integerPower) + 1.0f : 1.0f;
            m = f;
        } else {
            r += Raise(f / m, k, m_integerPower);
        }
    }
    if (!(m > 0.0f)) return 0.0f;
    float derivative;
    return blend::SmoothUnitClamp(m * std::pow(r, 1.0f / k), derivative);
}

void RicciBlend::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float k = m_power;
    float m = 0.0f, r = 0.0f, sx = 0.0f, sy = 0.0f, sz = 0.0f;
    fold::Sample s;
    for (ScalarField* child : m_children) {
        fold::EvaluateChild(child, x, y, z, s);
        const float f = s.v;
        if (!(f > 0.0f)) continue;
        if (f > m) {
            if (m > 0.0f) {
                const float ratio = m / f;
                const float rk = Raise(ratio, k, m_integerPower);
                const float rk1 = rk / ratio;
                r = r * rk + 1.0f;
                sx = sx * rk1 + s.gx;
                sy = sy * rk1 + s.gy;
                sz = sz * rk1 + s.gz;
            } else {
                r = 1.0f;
                sx = s.gx;
                sy = s.gy;
                sz = s.gz;
            }
            m = f;
        } else {
            const float ratio = f / m;
            const float rk = Raise(ratio, k, m_integerPower);
            const float rk1 = rk / ratio;
            r += rk;
            sx += rk1 * s.gx;
            sy += rk1 * s.gy;
            sz += rk1 * s.gz;
        }
    }
    if (!(m > 0.0f)) {
        gx = gy = gz = 0.0f;
        if (value) *value = 0.0f;
        return;
    }
    const float root = std::pow(r, 1.0f / k);
    float derivative;
    const float v = blend::SmoothUnitClamp(m * root, derivative);
    const float scale = derivative * root / r;
    gx = scale * sx;
    gy = scale * sy;
    gz = scale * sz;
    if (value) *value = v;
}

void RicciBlend::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> candidates;
    CompositionOperator::GetSeedPoints(candidates);
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

}  // namespace vynimplicit

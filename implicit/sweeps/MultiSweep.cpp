#include "implicit/sweeps/MultiSweep.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace vynimplicit {

namespace {

constexpr float CLAMP_WIDTH = 0.1f;

// C1 clamp to 1: identity below 1 - w, quadratic roll-off, 1 above 1 + w.
inline float SoftClamp(float r, float& slope)
{
    if (r <= 1.0f - CLAMP_WIDTH) {
        slope = 1.0f;
        return r;
    }
    if (r >= 1.0f + CLAMP_WIDTH) {
        slope = 0.0f;
        return 1.0f;
    }
    const float d = r - (1.0f - CLAMP_WIDTH);
    slope = 1.0f - d / (2.0f * CLAMP_WIDTH);
    return r - d * d / (4.0f * CLAMP_WIDTH);
}

}  // namespace

void MultiSweep::SetBlendPower(float power)
{
    if (std::isnan(power)) return;
    m_power = std::clamp(power, MIN_POWER, MAX_POWER);
}

float MultiSweep::Value(float x, float y, float z)
{
    float sum = 0.0f, single = 0.0f;
    int active = 0;
    for (ScalarField* child : m_children) {
        const float f = child->Value(x, y, z);
        if (!(f > 0.0f)) continue;
        ++active;
        single = f;
        sum += std::pow(f, m_power);
    }
    if (active == 0) return 0.0f;
    // One child alone is its own union: skip the powers' round trip.
    const float r = active == 1 ? single : std::pow(sum, 1.0f / m_power);
    float slope;
    return SoftClamp(r, slope);
}

void MultiSweep::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    gx = gy = gz = 0.0f;
    if (value) *value = 0.0f;
    // Children's values and gradients, kept on the stack for small stacks.
    constexpr unsigned LOCAL = 16;
    float localF[LOCAL], localG[LOCAL][3];
    std::vector<float> heapF;
    std::vector<std::array<float, 3>> heapG;
    const unsigned n = GetNumChildren();
    if (n > LOCAL) {
        heapF.resize(n);
        heapG.resize(n);
    }
    float sum = 0.0f, single = 0.0f;
    int active = 0;
    for (unsigned i = 0; i < n; ++i) {
        float f = 0.0f, g[3];
        m_children[i]->Gradient(x, y, z, g[0], g[1], g[2], &f);
        if (!(f > 0.0f)) f = 0.0f;
        float* store = n > LOCAL ? heapG[i].data() : localG[i];
        for (int a = 0; a < 3; ++a) store[a] = g[a];
        (n > LOCAL ? heapF[i] : localF[i]) = f;
        if (f > 0.0f) {
            ++active;
            single = f;
            sum += std::pow(f, m_power);
        }
    }
    if (active == 0) return;
    const float r = active == 1 ? single : std::pow(sum, 1.0f / m_power);
    float slope;
    const float v = SoftClamp(r, slope);
    if (value) *value = v;
    if (slope == 0.0f || !(r > 0.0f)) return;
    // dR/df_i = (f_i / R)^(p - 1).
    for (unsigned i = 0; i < n; ++i) {
        const float f = n > LOCAL ? heapF[i] : localF[i];
        if (f <= 0.0f) continue;
        const float* g = n > LOCAL ? heapG[i].data() : localG[i];
        const float k = slope * std::pow(f / r, m_power - 1.0f);
        gx += k * g[0];
        gy += k * g[1];
        gz += k * g[2];
    }
}

}  // namespace vynimplicit

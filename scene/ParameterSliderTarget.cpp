#include "scene/ParameterSliderTarget.h"

#include <algorithm>
#include <cmath>

#include "scene/IParameter.h"

namespace vynui {

namespace {

bool ValidRange(float minimum, float maximum)
{
    return std::isfinite(minimum) && std::isfinite(maximum) && minimum <= maximum;
}

/// Where x lies in [lo, hi], clamped to [0, 1]; 0 for an empty range.
float Normalised(float x, float lo, float hi)
{
    if (!(hi > lo)) return 0.0f;
    return std::clamp((x - lo) / (hi - lo), 0.0f, 1.0f);
}

}  // namespace

void ParameterSliderTarget::Bind(IParameter* parameter, float minimum, float maximum)
{
    m_parameter = parameter;
    SetValueRange(minimum, maximum);
}

bool ParameterSliderTarget::SetValueRange(float minimum, float maximum)
{
    if (!ValidRange(minimum, maximum)) return false;
    m_valueMin = minimum;
    m_valueMax = maximum;
    return true;
}

bool ParameterSliderTarget::SetSliderRange(float minimum, float maximum)
{
    if (!ValidRange(minimum, maximum)) return false;
    m_sliderMin = minimum;
    m_sliderMax = maximum;
    return true;
}

bool ParameterSliderTarget::SetMapping(int mode)
{
    if (mode != IDENTITY && mode != LINEAR && mode != EASED) return false;
    m_mapping = mode;
    return true;
}

float ParameterSliderTarget::ValueFromFraction(float fraction) const
{
    if (std::isnan(fraction)) return m_valueMin;
    float value = fraction;
    if (m_mapping != IDENTITY) {
        const float f = Normalised(fraction, m_sliderMin, m_sliderMax);
        float t = f;
        if (m_mapping == EASED) {
            const float h = std::max(0.0f, 1.0f - f * f);
            t = 1.0f - h * h * h;
        }
        value = m_valueMin + t * (m_valueMax - m_valueMin);
    }
    return std::clamp(value, m_valueMin, m_valueMax);
}

float ParameterSliderTarget::FractionFromValue(float value) const
{
    if (std::isnan(value)) return m_sliderMin;
    float fraction = value;
    if (m_mapping != IDENTITY) {
        const float t = Normalised(value, m_valueMin, m_valueMax);
        float f = t;
        if (m_mapping == EASED) {
            // The inverse of t = 1 - (1 - f^2)^3.
            const float root = 1.0f - std::cbrt(1.0f - t);
            f = root > 0.0f ? std::sqrt(root) : 0.0f;
        }
        fraction = m_sliderMin + f * (m_sliderMax - m_sliderMin);
    }
    return std::clamp(fraction, m_sliderMin, m_sliderMax);
}

float ParameterSliderTarget::GetFraction() const
{
    return FractionFromValue(m_parameter ? m_parameter->GetFloatValue() : m_valueMin);
}

bool ParameterSliderTarget::SetFraction(float fraction)
{
    if (!m_parameter || std::isnan(fraction)) return false;
    m_parameter->SetFloatValue(ValueFromFraction(fraction));
    return true;
}

}  // namespace vynui

#include "scene/GenericFloatParameter.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui {

GenericFloatParameter::GenericFloatParameter(const std::string& name, bool excluded)
    : GenericFloatParameter(name, FLT_MIN, FLT_MAX, excluded)
{
}

GenericFloatParameter::GenericFloatParameter(const std::string& name, float min, float max, bool excluded)
    : GenericParameter(name, PARAMETER_FLOAT, excluded), m_min(min), m_max(max)
{
}

void GenericFloatParameter::SetFloatValue(float value)
{
    // NaN would slip through a subclass's IsValid that only tests one bound.
    if (!std::isfinite(value) || !IsValid(value)) return;
    ApplyValue(value);
    m_value = ReadValue();
}

void GenericFloatParameter::GetValueAsText(std::string& out)
{
    out = Format("%f", static_cast<double>(GetFloatValue()));
}

void GenericFloatParameter::SetValueFromText(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (v == 0.0 && end == begin) return;
    // Converting a double beyond the float range is undefined.
    if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(FLT_MAX)) return;
    SetFloatValue(static_cast<float>(v));
}

void GenericFloatParameter::StoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (record) record->SetValue(GetName(), GetFloatValue());
}

void GenericFloatParameter::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return;
    float v = 0.0f;
    if (record->GetValue(GetName(), v, GetFloatValue())) SetFloatValue(v);
}

bool GenericFloatParameter::Store(Wml::SerializerRecord* record)
{
    if (record) record->SetValue(GetName(), GetFloatValue());
    return true;
}

bool GenericFloatParameter::Restore(Wml::SerializerRecord* record)
{
    if (!record) return true;
    float v = 0.0f;
    if (record->GetValue(GetName(), v, GetFloatValue())) SetFloatValue(v);
    return true;
}

float GenericFloatParameter::GetMinimum()
{
    float min = 0.0f, max = 0.0f;
    GetRange(min, max);
    return min;
}

float GenericFloatParameter::GetMaximum()
{
    float min = 0.0f, max = 0.0f;
    GetRange(min, max);
    return max;
}

bool GenericFloatParameter::IsValid(float value)
{
    float min = 0.0f, max = 0.0f;
    GetRange(min, max);
    return min <= value && value <= max;
}

void GenericFloatParameter::GetRange(float& min, float& max)
{
    min = m_min;
    max = m_max;
}

}  // namespace vynui

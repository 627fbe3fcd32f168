#include "scene/GenericIntegerParameter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui {

GenericIntegerParameter::GenericIntegerParameter(const std::string& name, bool excluded)
    : GenericIntegerParameter(name, INT_MIN, INT_MAX, excluded)
{
}

GenericIntegerParameter::GenericIntegerParameter(const std::string& name, int min, int max, bool excluded)
    : GenericParameter(name, PARAMETER_INTEGER, excluded), m_min(min), m_max(max)
{
}

void GenericIntegerParameter::SetIntValue(int value)
{
    if (!IsValid(value)) return;
    ApplyValue(value);
    m_value = ReadValue();
}

void GenericIntegerParameter::GetValueAsText(std::string& out)
{
    out = Format("%d", GetIntValue());
}

void GenericIntegerParameter::SetValueFromText(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(begin, &end, 10);
    if (v == 0 && end == begin) return;
    // strtol saturates; a clamped or truncated number is not what was typed.
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return;
    SetIntValue(static_cast<int>(v));
}

void GenericIntegerParameter::StoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (record) record->SetValue(GetName(), GetIntValue());
}

void GenericIntegerParameter::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return;
    int v = 0;
    if (record->GetValue(GetName(), v, GetIntValue())) SetIntValue(v);
}

bool GenericIntegerParameter::Store(Wml::SerializerRecord* record)
{
    if (record) record->SetValue(GetName(), GetIntValue());
    return true;
}

bool GenericIntegerParameter::Restore(Wml::SerializerRecord* record)
{
    if (!record) return true;
    int v = 0;
    if (record->GetValue(GetName(), v, GetIntValue())) SetIntValue(v);
    return true;
}

bool GenericIntegerParameter::IsValid(int value)
{
    int min = 0, max = 0;
    GetRange(min, max);
    return min <= value && value <= max;
}

void GenericIntegerParameter::GetRange(int& min, int& max)
{
    min = m_min;
    max = m_max;
}

}  // namespace vynui

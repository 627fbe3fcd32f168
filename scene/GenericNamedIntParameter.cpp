#include "scene/GenericNamedIntParameter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui {

GenericNamedIntParameter::GenericNamedIntParameter(const std::string& name, bool excluded)
    : GenericParameter(name, PARAMETER_NAMED_INTEGER, excluded)
{
}

void GenericNamedIntParameter::SetIntValue(int value)
{
    if (!IsValid(value)) return;
    ApplyValue(value);
    m_value = ReadValue();
}

void GenericNamedIntParameter::GetValueAsText(std::string& out)
{
    auto it = m_valueToName.find(m_value);
    out = it == m_valueToName.end() ? std::string("ERROR!") : it->second;
}

void GenericNamedIntParameter::SetValueFromText(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(begin, &end, 10);
    if (v == 0 && end == begin) {
        auto it = m_nameToValue.find(text);
        if (it != m_nameToValue.end()) SetIntValue(it->second);
        return;
    }
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return;
    SetIntValue(static_cast<int>(v));
}

void GenericNamedIntParameter::StoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (record) record->SetValue(GetName(), GetIntValue());
}

void GenericNamedIntParameter::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return;
    int v = 0;
    if (record->GetValue(GetName(), v, GetIntValue())) SetIntValue(v);
}

bool GenericNamedIntParameter::Store(Wml::SerializerRecord* record)
{
    if (record) record->SetValue(GetName(), GetIntValue());
    return true;
}

bool GenericNamedIntParameter::Restore(Wml::SerializerRecord* record)
{
    if (!record) return true;
    int v = 0;
    if (record->GetValue(GetName(), v, GetIntValue())) SetIntValue(v);
    return true;
}

bool GenericNamedIntParameter::IsValid(int value)
{
    return m_valueToName.count(value) != 0;
}

void GenericNamedIntParameter::AddValueName(int value, const std::string& name)
{
    auto old = m_valueToName.find(value);
    if (old != m_valueToName.end()) m_nameToValue.erase(old->second);
    m_valueToName[value] = name;
    m_nameToValue[name] = value;
}

}  // namespace vynui

#include "scene/GenericStringParameter.h"

#include <vector>

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui {

GenericStringParameter::GenericStringParameter(const std::string& name, bool excluded)
    : GenericParameter(name, PARAMETER_STRING, excluded)
{
}

void GenericStringParameter::SetStringValue(const std::string& value)
{
    if (!IsValid(value)) return;
    ApplyValue(value);
    m_value = ReadValue();
}

void GenericStringParameter::StoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return;
    Refresh();
    record->SetValue(GetName(), m_value);
}

bool GenericStringParameter::Store(Wml::SerializerRecord* record)
{
    if (!record) return true;
    Refresh();
    record->SetValue(GetName(), m_value);
    return true;
}

bool GenericStringParameter::Restore(Wml::SerializerRecord* record)
{
    if (!record) return true;
    unsigned int length = 0;
    if (!record->GetStringValue(GetName(), nullptr, length) || length == 0) return true;
    std::vector<char> buffer(length, '\0');
    if (!record->GetStringValue(GetName(), buffer.data(), length)) return true;
    buffer.back() = '\0';
    SetStringValue(std::string(buffer.data()));
    return true;
}

bool GenericStringParameter::IsValid(const std::string&)
{
    return true;
}

}  // namespace vynui

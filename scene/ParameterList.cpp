#include "scene/ParameterList.h"

#include <algorithm>

namespace vynui {

void ParameterList::StoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return;
    for (IParameter* p : m_parameters) p->StoreOld(record);
}

void ParameterList::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return;
    for (IParameter* p : m_parameters) p->RestoreOld(record);
}

bool ParameterList::Store(Wml::SerializerRecord* record)
{
    if (!record) return false;
    for (IParameter* p : m_parameters) p->Store(record);
    return true;
}

bool ParameterList::Restore(Wml::SerializerRecord* record)
{
    if (!record) return false;
    for (IParameter* p : m_parameters) p->Restore(record);
    return true;
}

void ParameterList::CopyValuesFrom(const ParameterList& other)
{
    if (&other == this) return;
    for (IParameter* p : m_parameters) {
        for (IParameter* q : other.m_parameters) {
            if (q->GetType() != p->GetType() || q->GetName() != p->GetName()) continue;
            std::string text;
            q->GetValueAsText(text);
            p->SetValueFromText(text);
            break;
        }
    }
}

void ParameterList::Add(IParameter* parameter)
{
    if (parameter) m_parameters.push_back(parameter);
}

bool ParameterList::Remove(IParameter* parameter)
{
    auto it = std::find(m_parameters.begin(), m_parameters.end(), parameter);
    if (it == m_parameters.end()) return false;
    m_parameters.erase(it);
    return true;
}

IParameter* ParameterList::Get(std::size_t index) const
{
    return index < m_parameters.size() ? m_parameters[index] : nullptr;
}

IParameter* ParameterList::Find(const std::string& name) const
{
    for (IParameter* p : m_parameters)
        if (p->GetName() == name) return p;
    return nullptr;
}

}  // namespace vynui

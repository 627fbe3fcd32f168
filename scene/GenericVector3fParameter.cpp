#include "scene/GenericVector3fParameter.h"

#include <cmath>
#include <cstdio>

#include "wml/Serializer.h"

namespace vynui {

namespace {

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

GenericVector3fParameter::GenericVector3fParameter(const std::string& name, bool excluded)
    : GenericParameter(name, PARAMETER_VECTOR3F, excluded)
{
}

void GenericVector3fParameter::Refresh()
{
    m_value = ReadValue();
    // Adding zero turns -0 into 0, which would otherwise show as "-0.0000".
    m_text = Format("%.4f %.4f %.4f", static_cast<double>(m_value.X()) + 0.0,
                    static_cast<double>(m_value.Y()) + 0.0, static_cast<double>(m_value.Z()) + 0.0);
}

void GenericVector3fParameter::GetVectorValue(std::string& out)
{
    Refresh();
    out = m_text;
}

void GenericVector3fParameter::GetValueAsText(std::string& out)
{
    Refresh();
    out = m_text;
}

void GenericVector3fParameter::SetValueFromText(const std::string& text)
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    if (std::sscanf(text.c_str(), "%f %f %f", &x, &y, &z) < 3) return;
    ApplyAndRefresh(Wml::Vector3<float>(x, y, z));
}

void GenericVector3fParameter::ApplyAndRefresh(const Wml::Vector3<float>& value)
{
    if (!IsFinite(value)) return;
    ApplyValue(value);
    Refresh();
}

bool GenericVector3fParameter::Store(Wml::SerializerRecord* record)
{
    if (!record) return true;
    Refresh();
    record->SetValue(GetName(), m_value);
    return true;
}

bool GenericVector3fParameter::Restore(Wml::SerializerRecord* record)
{
    if (!record) return true;
    Wml::Vector3<float> v;
    if (record->GetValue(GetName(), v, Wml::Vector3<float>::ZERO)) ApplyAndRefresh(v);
    return true;
}

}  // namespace vynui

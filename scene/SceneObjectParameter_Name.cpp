#include "scene/SceneObjectParameter_Name.h"

#include "scene/SceneObject.h"

SceneObjectParameter_Name::SceneObjectParameter_Name(vynui::SceneObject* object)
    : vynui::GenericStringParameter("Name"), m_object(object)
{
}

void SceneObjectParameter_Name::ApplyValue(const std::string& value)
{
    if (!m_object) return;
    m_object->SetName(value);
    m_object->Notify(nullptr);
}

std::string SceneObjectParameter_Name::ReadValue()
{
    return m_object ? m_object->GetName() : std::string();
}

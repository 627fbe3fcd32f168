#include "scene/BasicParameterOrigin.h"

#include "scene/SceneObject.h"

namespace vynui {

BasicParameterOrigin::BasicParameterOrigin(SceneObject* target, const std::string& name)
    : GenericVector3fParameter(name), m_target(target)
{
}

void BasicParameterOrigin::ApplyValue(const Wml::Vector3<float>& value)
{
    if (!m_target) return;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    m_target->Translate(value, false);
}

Wml::Vector3<float> BasicParameterOrigin::ReadValue()
{
    if (!m_target) return Wml::Vector3<float>::ZERO;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    return m_target->GetFrame().Origin();
}

}  // namespace vynui

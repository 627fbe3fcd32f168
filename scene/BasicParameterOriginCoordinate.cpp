#include "scene/BasicParameterOriginCoordinate.h"

#include <cmath>

#include "scene/SceneObject.h"

namespace vynui {

BasicParameterOriginCoordinate::BasicParameterOriginCoordinate(const std::string& name, SceneObject* target,
                                                               int axis, bool excluded)
    : GenericFloatParameter(name, -100000.0f, 100000.0f, excluded), m_target(target), m_axis(axis)
{
}

void BasicParameterOriginCoordinate::ApplyValue(float value)
{
    // Also reached directly (animation, undo): a frame never takes NaN.
    if (!m_target || m_axis < 0 || m_axis > 2 || !std::isfinite(value)) return;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    Wml::Vector3<float> origin = m_target->GetFrame().Origin();
    origin[m_axis] = value;
    m_target->Translate(origin, false);
}

float BasicParameterOriginCoordinate::ReadValue()
{
    if (!m_target || m_axis < 0 || m_axis > 2) return 0.0f;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    return m_target->GetFrame().Origin()[m_axis];
}

}  // namespace vynui

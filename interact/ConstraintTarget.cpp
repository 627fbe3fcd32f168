#include "interact/ConstraintTarget.h"

#include <algorithm>

#include "interact/Constraint.h"

namespace vynui {

ConstraintTarget::ConstraintTarget(SceneObject* object) : m_object(object)
{
    if (m_object) m_object->AddListener(this);
}

ConstraintTarget::~ConstraintTarget()
{
    if (m_object) m_object->RemoveListener(this);
    for (Constraint* constraint : m_constraints) constraint->DetachTarget();
}

void ConstraintTarget::OnObjectChanged(SceneObject* object)
{
    if (!IsFor(object)) return;
    // A handle may be removed while others follow; walk a copy.
    std::vector<Constraint*> constraints = m_constraints;
    for (Constraint* constraint : constraints)
        if (std::find(m_constraints.begin(), m_constraints.end(), constraint) != m_constraints.end())
            constraint->OnTargetChanged(this);
}

void ConstraintTarget::Translate(const Wml::Vector3<float>& delta)
{
    if (m_object) m_object->Translate(delta, true);
}

void ConstraintTarget::Rotate(const Wml::Matrix3<float>& m)
{
    if (m_object) m_object->Rotate(m, true);
}

void ConstraintTarget::Scale(float sx, float sy, float sz, bool relative, bool uniform)
{
    if (m_object) m_object->Scale(sx, sy, sz, relative, uniform);
}

Wml::Frame3<float> ConstraintTarget::GetFrame()
{
    return m_object ? m_object->GetFrame() : Wml::Frame3<float>();
}

void ConstraintTarget::AddConstraint(Constraint* constraint)
{
    if (constraint &&
        std::find(m_constraints.begin(), m_constraints.end(), constraint) == m_constraints.end())
        m_constraints.push_back(constraint);
}

void ConstraintTarget::RemoveConstraint(Constraint* constraint)
{
    m_constraints.erase(std::remove(m_constraints.begin(), m_constraints.end(), constraint),
                        m_constraints.end());
}

void ConstraintTarget::OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent*)
{
    OnObjectChanged(object);
}

}  // namespace vynui

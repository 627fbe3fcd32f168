#include "blobtree_ui/operators/OperatorFloatParameter.h"

#include <cmath>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"

namespace vynui_bt {

OperatorFloatParameter::OperatorFloatParameter(const std::string& name, BlobTreeNodeSceneObject* object,
                                               float minimum, float maximum, bool excluded)
    : vynui::GenericFloatParameter(name, excluded), m_object(object), m_minimum(minimum), m_maximum(maximum)
{
}

void OperatorFloatParameter::GetRange(float& min, float& max)
{
    min = m_minimum;
    max = m_maximum;
}

void OperatorFloatParameter::ApplyValue(float value)
{
    if (!m_object || !std::isfinite(value)) return;
    ModelLock lock = m_object->LockModel();
    // The listeners learn of the change while the lock is still held, so no
    // other thread sees the node between the write and the notification.
    if (WriteNode(value)) m_object->Notify(nullptr);
}

float OperatorFloatParameter::ReadValue()
{
    if (!m_object) return 0.0f;
    ModelLock lock = m_object->LockModel();
    return ReadNode();
}

}  // namespace vynui_bt

#include "blobtree_ui/leaves/CylinderSceneObjectParameters.h"

#include "blobtree/nodes/CylinderNode.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"

namespace vynui_bt {

CylinderParameter_Length::CylinderParameter_Length(CylinderSceneObject* object)
    : LeafFloatParameter(object, "Length", 0.001f, 10000.0f)
{
    InitCache();
}

void CylinderParameter_Length::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WritePlain(m_object, [&] { m_object->GetCylinderNode()->GetCylinder()->SetLength(value); });
}

float CylinderParameter_Length::ReadValue()
{
    return ReadLocked(m_object, [&] { return m_object->GetCylinderNode()->GetCylinder()->GetLength(); });
}

CylinderParameter_Radius::CylinderParameter_Radius(CylinderSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.001f, 10000.0f)
{
    InitCache();
}

void CylinderParameter_Radius::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WritePlain(m_object, [&] { m_object->GetCylinderNode()->GetCylinder()->SetRadius(value); });
}

float CylinderParameter_Radius::ReadValue()
{
    return ReadLocked(m_object, [&] { return m_object->GetCylinderNode()->GetCylinder()->GetRadius(); });
}

}  // namespace vynui_bt

#include "blobtree_ui/leaves/PointSceneObjectParameters.h"

#include <cmath>

#include "blobtree/nodes/PointNode.h"
#include "blobtree_ui/leaves/PointSceneObject.h"

namespace vynui_bt {

PointParameter_Size::PointParameter_Size(PointSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.001f, 10000.0f)
{
    InitCache();
}

void PointParameter_Size::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteThroughNode(m_object, [&] { m_object->GetPointNode()->SetSize(value); });
}

float PointParameter_Size::ReadValue()
{
    return ReadLocked(m_object, [&] { return m_object->GetPointNode()->GetSize(); });
}

}  // namespace vynui_bt

#include "blobtree_ui/leaves/PolyLineSceneObjectParameters.h"

#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree_ui/leaves/PolyLineSceneObject.h"

namespace vynui_bt {

PolyLineParameter_Radius::PolyLineParameter_Radius(PolyLineSceneObject* object)
    : LeafFloatParameter(object, "Radius", 0.001f, 10000.0f)
{
    InitCache();
}

void PolyLineParameter_Radius::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    WriteThroughNode(m_object, [&] { m_object->GetPolyLineNode()->SetRadius(value); });
}

float PolyLineParameter_Radius::ReadValue()
{
    return ReadLocked(m_object, [&] { return m_object->GetPolyLineNode()->GetRadius(); });
}

PolyLineParameter_Taper::PolyLineParameter_Taper(PolyLineSceneObject* object)
    : LeafFloatParameter(object, "Taper", 0.001f, 100.0f)
{
    InitCache();
}

void PolyLineParameter_Taper::ApplyValue(float value)
{
    if (!std::isfinite(value)) return;
    // The node tells the tree; the object's listeners hear nothing of it.
    WriteThroughNode(
        m_object, [&] { m_object->GetPolyLineNode()->SetTaper(value); }, LeafNotify::Nobody);
}

float PolyLineParameter_Taper::ReadValue()
{
    return ReadLocked(m_object, [&] { return m_object->GetPolyLineNode()->GetTaper(); });
}

}  // namespace vynui_bt

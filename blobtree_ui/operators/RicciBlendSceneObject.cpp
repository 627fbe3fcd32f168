#include "blobtree_ui/operators/RicciBlendSceneObject.h"

#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/RicciBlendSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

RicciBlendSceneObject::RicciBlendSceneObject(vynbt::RicciBlendNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::RicciBlend,
                                 ShapeTypeTable::RecordName(ShapeCode::RicciBlend))
{
}

const char* RicciBlendSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::RicciBlend);
}

void RicciBlendSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
    AddParameter(new RicciBlendParameter_Power(this));
}

vynbt::RicciBlendNode* RicciBlendSceneObject::GetRicciBlendNode() const
{
    return static_cast<vynbt::RicciBlendNode*>(GetNode());
}

// ---- parameters

RicciBlendParameter_Power::RicciBlendParameter_Power(RicciBlendSceneObject* object)
    : OperatorFloatParameter("Blend Power", object, 0.5f, 10000.0f), m_owner(object)
{
}

float RicciBlendParameter_Power::ReadNode()
{
    return m_owner->GetRicciBlendNode()->GetPower();
}

bool RicciBlendParameter_Power::WriteNode(float value)
{
    return m_owner->GetRicciBlendNode()->SetPower(value);
}

}  // namespace vynui_bt

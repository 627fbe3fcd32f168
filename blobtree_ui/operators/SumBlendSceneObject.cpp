#include "blobtree_ui/operators/SumBlendSceneObject.h"

#include "blobtree/nodes/SumBlendNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

SumBlendSceneObject::SumBlendSceneObject(vynbt::SumBlendNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "SumBlend")
{
}

const char* SumBlendSceneObject::GetTypeName()
{
    return "SumBlend";
}

void SumBlendSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, true));
}

}  // namespace vynui_bt

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
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

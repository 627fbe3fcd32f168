#include "blobtree_ui/operators/MinMaxUnionSceneObject.h"

#include "blobtree/nodes/MinMaxUnionNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

MinMaxUnionSceneObject::MinMaxUnionSceneObject(vynbt::MinMaxUnionNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "MinMaxUnion")
{
}

const char* MinMaxUnionSceneObject::GetTypeName()
{
    return "MinMaxUnion";
}

void MinMaxUnionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

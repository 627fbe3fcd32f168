#include "blobtree_ui/operators/MinMaxDifferenceSceneObject.h"

#include "blobtree/nodes/MinMaxDifferenceNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

MinMaxDifferenceSceneObject::MinMaxDifferenceSceneObject(vynbt::MinMaxDifferenceNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "MinMaxDifference")
{
}

const char* MinMaxDifferenceSceneObject::GetTypeName()
{
    return "MinMaxDifference";
}

void MinMaxDifferenceSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

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
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, true));
}

}  // namespace vynui_bt

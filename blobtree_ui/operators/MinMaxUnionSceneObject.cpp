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
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, true));
}

}  // namespace vynui_bt

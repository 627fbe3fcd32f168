#include "blobtree_ui/operators/BartheSharpUnionSceneObject.h"

#include "blobtree/nodes/BartheSharpUnionNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSharpUnionSceneObject::BartheSharpUnionSceneObject(vynbt::BartheSharpUnionNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "BartheSharpUnion")
{
}

const char* BartheSharpUnionSceneObject::GetTypeName()
{
    return "BartheSharpUnion";
}

void BartheSharpUnionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, true));
}

}  // namespace vynui_bt

#include "blobtree_ui/operators/BartheSharpDifferenceSceneObject.h"

#include "blobtree/nodes/BartheSharpDifferenceNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSharpDifferenceSceneObject::BartheSharpDifferenceSceneObject(vynbt::BartheSharpDifferenceNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "BartheSharpDifference")
{
}

const char* BartheSharpDifferenceSceneObject::GetTypeName()
{
    return "BartheSharpDifference";
}

void BartheSharpDifferenceSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, true));
}

}  // namespace vynui_bt

#include "blobtree_ui/operators/BartheSharpIntersectionSceneObject.h"

#include "blobtree/nodes/BartheSharpIntersectionNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSharpIntersectionSceneObject::BartheSharpIntersectionSceneObject(
    vynbt::BartheSharpIntersectionNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "BartheSharpIntersection")
{
}

const char* BartheSharpIntersectionSceneObject::GetTypeName()
{
    return "BartheSharpIntersection";
}

void BartheSharpIntersectionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, true));
}

}  // namespace vynui_bt

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
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

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
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

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
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

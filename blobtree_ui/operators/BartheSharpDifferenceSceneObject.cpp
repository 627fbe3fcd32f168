#include "blobtree_ui/operators/BartheSharpDifferenceSceneObject.h"

#include "blobtree/nodes/BartheSharpDifferenceNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSharpDifferenceSceneObject::BartheSharpDifferenceSceneObject(vynbt::BartheSharpDifferenceNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::BartheSharpDifference,
                                 ShapeTypeTable::RecordName(ShapeCode::BartheSharpDifference))
{
}

const char* BartheSharpDifferenceSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::BartheSharpDifference);
}

void BartheSharpDifferenceSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

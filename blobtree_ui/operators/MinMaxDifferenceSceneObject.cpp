#include "blobtree_ui/operators/MinMaxDifferenceSceneObject.h"

#include "blobtree/nodes/MinMaxDifferenceNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

MinMaxDifferenceSceneObject::MinMaxDifferenceSceneObject(vynbt::MinMaxDifferenceNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::MinMaxDifference,
                                 ShapeTypeTable::RecordName(ShapeCode::MinMaxDifference))
{
}

const char* MinMaxDifferenceSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::MinMaxDifference);
}

void MinMaxDifferenceSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

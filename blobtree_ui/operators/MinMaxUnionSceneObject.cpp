#include "blobtree_ui/operators/MinMaxUnionSceneObject.h"

#include "blobtree/nodes/MinMaxUnionNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

MinMaxUnionSceneObject::MinMaxUnionSceneObject(vynbt::MinMaxUnionNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::MinMaxUnion,
                                 ShapeTypeTable::RecordName(ShapeCode::MinMaxUnion))
{
}

const char* MinMaxUnionSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::MinMaxUnion);
}

void MinMaxUnionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

#include "blobtree_ui/operators/MinMaxIntersectionSceneObject.h"

#include "blobtree/nodes/MinMaxIntersectionNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

MinMaxIntersectionSceneObject::MinMaxIntersectionSceneObject(vynbt::MinMaxIntersectionNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::MinMaxIntersection,
                                 ShapeTypeTable::RecordName(ShapeCode::MinMaxIntersection))
{
}

const char* MinMaxIntersectionSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::MinMaxIntersection);
}

void MinMaxIntersectionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

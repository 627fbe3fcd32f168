#include "blobtree_ui/operators/BartheSharpIntersectionSceneObject.h"

#include "blobtree/nodes/BartheSharpIntersectionNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSharpIntersectionSceneObject::BartheSharpIntersectionSceneObject(
    vynbt::BartheSharpIntersectionNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::BartheSharpIntersection,
                                 ShapeTypeTable::RecordName(ShapeCode::BartheSharpIntersection))
{
}

const char* BartheSharpIntersectionSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::BartheSharpIntersection);
}

void BartheSharpIntersectionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

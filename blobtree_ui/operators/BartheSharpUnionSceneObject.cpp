#include "blobtree_ui/operators/BartheSharpUnionSceneObject.h"

#include "blobtree/nodes/BartheSharpUnionNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSharpUnionSceneObject::BartheSharpUnionSceneObject(vynbt::BartheSharpUnionNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::BartheSharpUnion,
                                 ShapeTypeTable::RecordName(ShapeCode::BartheSharpUnion))
{
}

const char* BartheSharpUnionSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::BartheSharpUnion);
}

void BartheSharpUnionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

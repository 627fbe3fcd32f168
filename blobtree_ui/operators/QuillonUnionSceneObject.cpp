#include "blobtree_ui/operators/QuillonUnionSceneObject.h"

#include "blobtree/nodes/QuillonUnionNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

QuillonUnionSceneObject::QuillonUnionSceneObject(vynbt::QuillonUnionNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::QuillonUnion,
                                 ShapeTypeTable::RecordName(ShapeCode::QuillonUnion))
{
}

const char* QuillonUnionSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::QuillonUnion);
}

void QuillonUnionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

#include "blobtree_ui/operators/QuillonUnionSceneObject.h"

#include "blobtree/nodes/QuillonUnionNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

QuillonUnionSceneObject::QuillonUnionSceneObject(vynbt::QuillonUnionNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "QuillonUnion")
{
}

const char* QuillonUnionSceneObject::GetTypeName()
{
    return "QuillonUnion";
}

void QuillonUnionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt

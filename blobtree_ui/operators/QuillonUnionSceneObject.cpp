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
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, true));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, true));
}

}  // namespace vynui_bt

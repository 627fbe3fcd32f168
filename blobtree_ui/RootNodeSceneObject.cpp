#include "blobtree_ui/RootNodeSceneObject.h"

#include "blobtree/RootNode.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/ShapeTypeTable.h"

namespace vynui_bt {

RootNodeSceneObject::RootNodeSceneObject(vynbt::RootNode* root)
    : CompositionNodeSceneObject(root, ShapeCode::Root, "RootNode")
{
}

RootNodeSceneObject::~RootNodeSceneObject()
{
    if (GetTree() && GetTree()->GetFactory()) GetTree()->GetFactory()->ForgetRoot(this);
}

const char* RootNodeSceneObject::GetTypeName()
{
    return "RootNode";
}

vynbt::RootNode* RootNodeSceneObject::GetRootNode() const
{
    return static_cast<vynbt::RootNode*>(GetNode());
}

}  // namespace vynui_bt

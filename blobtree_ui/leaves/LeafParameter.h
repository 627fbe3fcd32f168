#pragma once
// What the leaf objects that own fields their node reads share: taking the
// node out of the tree before those fields go. The leaves' parameters are
// NodeParameter subclasses (blobtree_ui/NodeParameter.h).

#include "blobtree/BlobTreeNode.h"
#include "blobtree/CompositionNode.h"

namespace vynui_bt {

/// Takes node out of its parent node (which reports the node's bounds while
/// its fields are still in place). Owners of fields the node reads call this
/// before they delete them.
inline void DetachFromParentNode(vynbt::BlobTreeNode* node)
{
    vynbt::BlobTreeNode* parent = node ? node->GetParent() : nullptr;
    if (parent && parent->IsCompositionNode())
        static_cast<vynbt::CompositionNode*>(parent)->RemoveChild(node);
}

}  // namespace vynui_bt

#pragma once
// Observer of a tree: told, with a box, about every change below its root.

#include "wml/AxisAlignedBox3.h"

namespace vynbt {

class BlobTreeNode;

class RootNodeListener {
public:
    /// node is the node that changed in the first place (usually a leaf);
    /// region is the world box whose field may differ from before.
    virtual void OnChildModified(BlobTreeNode* node, const Wml::AxisAlignedBox3<float>& region) = 0;

protected:
    // Listeners are never deleted through this interface (the root does not own them).
    ~RootNodeListener() = default;
};

}  // namespace vynbt

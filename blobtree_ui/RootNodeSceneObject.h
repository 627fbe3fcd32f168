#pragma once
// The scene object of a model's root node (type code 0).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class RootNode;
}

namespace vynui_bt {

class RootNodeSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns root and its union.
    explicit RootNodeSceneObject(vynbt::RootNode* root);
    /// Tells the model's factory that its root is gone.
    ~RootNodeSceneObject() override;
    /// "RootNode".
    const char* GetTypeName() override;
    vynbt::RootNode* GetRootNode() const;
};

}  // namespace vynui_bt

#pragma once
// Scene object of a HollowNode (type code 50, type name "Hollow"): a shell
// around the first child's surface. Parameters after the composition list:
// "Thickness".

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class HollowNode;
}

namespace vynui_bt {

class HollowSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit HollowSceneObject(vynbt::HollowNode* node);

    /// "Hollow".
    const char* GetTypeName() override;
    void InitializeParameters() override;

    vynbt::HollowNode* GetHollowNode() const;
};

}  // namespace vynui_bt

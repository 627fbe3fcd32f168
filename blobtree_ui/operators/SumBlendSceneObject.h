#pragma once
// Scene object of a SumBlendNode (type code 9, type name "SumBlend"):
// A group whose children's fields are added up.
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class SumBlendNode;
}

namespace vynui_bt {

class SumBlendSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit SumBlendSceneObject(vynbt::SumBlendNode* node);

    /// "SumBlend".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt

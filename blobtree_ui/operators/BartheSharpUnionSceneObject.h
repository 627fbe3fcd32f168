#pragma once
// Scene object of a BartheSharpUnionNode (type code 15, type name "BartheSharpUnion"):
// Smooth-field union of the children with a sharp crease.
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class BartheSharpUnionNode;
}

namespace vynui_bt {

class BartheSharpUnionSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit BartheSharpUnionSceneObject(vynbt::BartheSharpUnionNode* node);

    /// "BartheSharpUnion".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt

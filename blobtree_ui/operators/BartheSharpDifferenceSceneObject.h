#pragma once
// Scene object of a BartheSharpDifferenceNode (type code 44, type name "BartheSharpDifference"):
// Smooth-field difference (first child minus the others) with a sharp crease.
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class BartheSharpDifferenceNode;
}

namespace vynui_bt {

class BartheSharpDifferenceSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit BartheSharpDifferenceSceneObject(vynbt::BartheSharpDifferenceNode* node);

    /// "BartheSharpDifference".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt

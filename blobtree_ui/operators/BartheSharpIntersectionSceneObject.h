#pragma once
// Scene object of a BartheSharpIntersectionNode (type code 16, type name "BartheSharpIntersection"):
// Smooth-field intersection of the children with a sharp crease.
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class BartheSharpIntersectionNode;
}

namespace vynui_bt {

class BartheSharpIntersectionSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit BartheSharpIntersectionSceneObject(vynbt::BartheSharpIntersectionNode* node);

    /// "BartheSharpIntersection".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt

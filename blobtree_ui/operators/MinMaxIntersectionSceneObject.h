#pragma once
// Scene object of a MinMaxIntersectionNode (type code 12, type name "MinMaxIntersection"):
// Intersection of the children (the smallest field value).
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class MinMaxIntersectionNode;
}

namespace vynui_bt {

class MinMaxIntersectionSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit MinMaxIntersectionSceneObject(vynbt::MinMaxIntersectionNode* node);

    /// "MinMaxIntersection".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt

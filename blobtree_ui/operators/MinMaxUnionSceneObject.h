#pragma once
// Scene object of a MinMaxUnionNode (type code 10, type name "MinMaxUnion"):
// Union of the children (the largest field value).
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class MinMaxUnionNode;
}

namespace vynui_bt {

class MinMaxUnionSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit MinMaxUnionSceneObject(vynbt::MinMaxUnionNode* node);

    /// "MinMaxUnion".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt

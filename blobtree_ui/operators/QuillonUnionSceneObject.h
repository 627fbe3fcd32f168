#pragma once
// Scene object of a QuillonUnionNode (type code 14, type name "QuillonUnion"):
// Union of the children with a soft blend where they meet.
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class QuillonUnionNode;
}

namespace vynui_bt {

class QuillonUnionSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit QuillonUnionSceneObject(vynbt::QuillonUnionNode* node);

    /// "QuillonUnion".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt

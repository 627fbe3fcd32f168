#pragma once
// A group joined by the union that fills the seams with a fillet.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/QuillonUnion.h"

namespace vynbt {

class QuillonUnionNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit QuillonUnionNode(vynimplicit::QuillonUnion* op) : CompositionNode(NodeType::QuillonUnion, op) {}
    QuillonUnionNode(const QuillonUnionNode&) = default;
    QuillonUnionNode& operator=(const QuillonUnionNode&) = default;

    vynimplicit::QuillonUnion* GetQuillonUnion() const
    {
        return static_cast<vynimplicit::QuillonUnion*>(GetScalarField());
    }
};

}  // namespace vynbt

#pragma once
// A union with a sharp crease and a smooth field away from it.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/BartheSharpUnion.h"

namespace vynbt {

class BartheSharpUnionNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit BartheSharpUnionNode(vynimplicit::BartheSharpUnion* op)
        : CompositionNode(NodeType::BartheSharpUnion, op)
    {
    }
    BartheSharpUnionNode(const BartheSharpUnionNode&) = default;
    BartheSharpUnionNode& operator=(const BartheSharpUnionNode&) = default;

    vynimplicit::BartheSharpUnion* GetBartheSharpUnion() const
    {
        return static_cast<vynimplicit::BartheSharpUnion*>(GetScalarField());
    }
};

}  // namespace vynbt

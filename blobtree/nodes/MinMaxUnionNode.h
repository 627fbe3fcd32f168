#pragma once
// A group joined by the exact union (max).

#include "blobtree/CompositionNode.h"
#include "implicit/operators/MinMaxUnion.h"

namespace vynbt {

class MinMaxUnionNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit MinMaxUnionNode(vynimplicit::MinMaxUnion* op) : CompositionNode(NodeType::MinMaxUnion, op) {}
    MinMaxUnionNode(const MinMaxUnionNode&) = default;
    MinMaxUnionNode& operator=(const MinMaxUnionNode&) = default;

    vynimplicit::MinMaxUnion* GetMinMaxUnion() const
    {
        return static_cast<vynimplicit::MinMaxUnion*>(GetScalarField());
    }
};

}  // namespace vynbt

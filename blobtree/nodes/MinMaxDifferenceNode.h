#pragma once
// The first child minus the others, by min(f1, 1 - f2).

#include "blobtree/CompositionNode.h"
#include "implicit/operators/MinMaxDifference.h"

namespace vynbt {

class MinMaxDifferenceNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit MinMaxDifferenceNode(vynimplicit::MinMaxDifference* op)
        : CompositionNode(NodeType::MinMaxDifference, op)
    {
    }
    MinMaxDifferenceNode(const MinMaxDifferenceNode&) = default;
    MinMaxDifferenceNode& operator=(const MinMaxDifferenceNode&) = default;

    vynimplicit::MinMaxDifference* GetMinMaxDifference() const
    {
        return static_cast<vynimplicit::MinMaxDifference*>(GetScalarField());
    }
};

}  // namespace vynbt

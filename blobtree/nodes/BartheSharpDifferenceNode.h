#pragma once
// A difference with a sharp crease and a smooth field away from it.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/BartheSharpDifference.h"

namespace vynbt {

class BartheSharpDifferenceNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit BartheSharpDifferenceNode(vynimplicit::BartheSharpDifference* op)
        : CompositionNode(NodeType::BartheSharpDifference, op)
    {
    }
    BartheSharpDifferenceNode(const BartheSharpDifferenceNode&) = default;
    BartheSharpDifferenceNode& operator=(const BartheSharpDifferenceNode&) = default;

    vynimplicit::BartheSharpDifference* GetBartheSharpDifference() const
    {
        return static_cast<vynimplicit::BartheSharpDifference*>(GetScalarField());
    }
};

}  // namespace vynbt

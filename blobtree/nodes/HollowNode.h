#pragma once
// Keeps a shell of its first child around the child's surface.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/HollowOperator.h"

namespace vynbt {

class HollowNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit HollowNode(vynimplicit::HollowOperator* op) : CompositionNode(NodeType::Hollow, op) {}
    HollowNode(const HollowNode&) = default;
    HollowNode& operator=(const HollowNode&) = default;

    vynimplicit::HollowOperator* GetHollowOperator() const
    {
        return static_cast<vynimplicit::HollowOperator*>(GetScalarField());
    }

    float GetThickness() const;
    /// Writes the shell thickness (the operator clamps it) and drops the
    /// node's cache. A NaN is refused: false, nothing changes.
    bool SetThickness(float thickness);
};

}  // namespace vynbt

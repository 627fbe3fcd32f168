#pragma once
// Stacked sweeps fused into one solid.

#include "blobtree/CompositionNode.h"
#include "implicit/sweeps/MultiSweep.h"

namespace vynbt {

class MultiSweepNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit MultiSweepNode(vynimplicit::MultiSweep* op) : CompositionNode(NodeType::MultiSweep, op) {}
    MultiSweepNode(const MultiSweepNode&) = default;
    MultiSweepNode& operator=(const MultiSweepNode&) = default;

    vynimplicit::MultiSweep* GetMultiSweep() const
    {
        return static_cast<vynimplicit::MultiSweep*>(GetScalarField());
    }
};

}  // namespace vynbt

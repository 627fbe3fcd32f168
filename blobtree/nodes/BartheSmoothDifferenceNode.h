#pragma once
// The first child minus the others, with a carved edge rounded by the sharpness.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/BartheSmoothDifference.h"

namespace vynbt {

class BartheSmoothDifferenceNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit BartheSmoothDifferenceNode(vynimplicit::BartheSmoothDifference* op)
        : CompositionNode(NodeType::BartheSmoothDifference, op)
    {
    }
    BartheSmoothDifferenceNode(const BartheSmoothDifferenceNode&) = default;
    BartheSmoothDifferenceNode& operator=(const BartheSmoothDifferenceNode&) = default;

    vynimplicit::BartheSmoothDifference* GetBartheSmoothDifference() const
    {
        return static_cast<vynimplicit::BartheSmoothDifference*>(GetScalarField());
    }

    float GetSharpness() const;
    /// Writes the sharpness (the operator clamps it) and drops the node's
    /// cache. A NaN is refused: false, nothing changes.
    bool SetSharpness(float sharpness);
};

}  // namespace vynbt

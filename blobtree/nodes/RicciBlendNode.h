#pragma once
// A group blended by a power sum of its children: power 1 is the sum blend,
// large powers approach the union.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/RicciBlend.h"

namespace vynbt {

class RicciBlendNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit RicciBlendNode(vynimplicit::RicciBlend* op) : CompositionNode(NodeType::RicciBlend, op) {}
    RicciBlendNode(const RicciBlendNode&) = default;
    RicciBlendNode& operator=(const RicciBlendNode&) = default;

    vynimplicit::RicciBlend* GetRicciBlend() const
    {
        return static_cast<vynimplicit::RicciBlend*>(GetScalarField());
    }

    float GetPower() const;
    /// Writes the power (the operator clamps it) and drops the node's cache.
    /// A NaN is refused: false, nothing changes.
    bool SetPower(float power);
};

}  // namespace vynbt

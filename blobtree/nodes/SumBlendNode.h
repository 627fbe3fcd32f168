#pragma once
// A group whose children are added up (sum blend).

#include "blobtree/CompositionNode.h"
#include "implicit/operators/SumBlend.h"

namespace vynbt {

class SumBlendNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit SumBlendNode(vynimplicit::SumBlend* op) : CompositionNode(NodeType::SumBlend, op) {}
    SumBlendNode(const SumBlendNode&) = default;
    SumBlendNode& operator=(const SumBlendNode&) = default;

    vynimplicit::SumBlend* GetSumBlend() const
    {
        return static_cast<vynimplicit::SumBlend*>(GetScalarField());
    }
};

}  // namespace vynbt

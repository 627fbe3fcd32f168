#pragma once
// A sum blend kept as a kind of its own, for subtrees that are sampled as one
// opaque cached field.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/SumBlend.h"

namespace vynbt {

class BlackBoxCachingNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit BlackBoxCachingNode(vynimplicit::SumBlend* op) : CompositionNode(NodeType::BlackBoxCaching, op)
    {
    }
    BlackBoxCachingNode(const BlackBoxCachingNode&) = default;
    BlackBoxCachingNode& operator=(const BlackBoxCachingNode&) = default;

    vynimplicit::SumBlend* GetSumBlend() const
    {
        return static_cast<vynimplicit::SumBlend*>(GetScalarField());
    }
};

}  // namespace vynbt

#pragma once
// An intersection with a sharp crease and a smooth field away from it.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/BartheSharpIntersection.h"

namespace vynbt {

class BartheSharpIntersectionNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit BartheSharpIntersectionNode(vynimplicit::BartheSharpIntersection* op)
        : CompositionNode(NodeType::BartheSharpIntersection, op)
    {
    }
    BartheSharpIntersectionNode(const BartheSharpIntersectionNode&) = default;
    BartheSharpIntersectionNode& operator=(const BartheSharpIntersectionNode&) = default;

    vynimplicit::BartheSharpIntersection* GetBartheSharpIntersection() const
    {
        return static_cast<vynimplicit::BartheSharpIntersection*>(GetScalarField());
    }
};

}  // namespace vynbt

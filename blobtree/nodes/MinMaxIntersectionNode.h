#pragma once
// A group cut down to what all children share (min).

#include "blobtree/CompositionNode.h"
#include "implicit/operators/MinMaxIntersection.h"

namespace vynbt {

class MinMaxIntersectionNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit MinMaxIntersectionNode(vynimplicit::MinMaxIntersection* op)
        : CompositionNode(NodeType::MinMaxIntersection, op)
    {
    }
    MinMaxIntersectionNode(const MinMaxIntersectionNode&) = default;
    MinMaxIntersectionNode& operator=(const MinMaxIntersectionNode&) = default;

    vynimplicit::MinMaxIntersection* GetMinMaxIntersection() const
    {
        return static_cast<vynimplicit::MinMaxIntersection*>(GetScalarField());
    }
};

}  // namespace vynbt

#pragma once
// A part: a union of children that is picked as a whole, so selecting any of
// its shapes selects the part.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/MinMaxUnion.h"

namespace vynbt {

class CacheNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit CacheNode(vynimplicit::MinMaxUnion* op) : CompositionNode(NodeType::Cache, op) {}
    CacheNode(const CacheNode&) = default;
    CacheNode& operator=(const CacheNode&) = default;

    vynimplicit::MinMaxUnion* GetUnion() const
    {
        return static_cast<vynimplicit::MinMaxUnion*>(GetScalarField());
    }

    /// Picks the part itself, as a leaf would: value = Value(p), node = this.
    void SelectClosestPrimitive(const Wml::Vector3<float>& p, BlobTreeNode** node, float& value) override
    {
        value = Value(p);
        if (node) *node = this;
    }
};

}  // namespace vynbt

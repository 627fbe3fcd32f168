#pragma once
// Twist, taper or bend of the first child. Its parameters are changed on the
// operator by the caller, followed by OnNodeModified().

#include "blobtree/CompositionNode.h"
#include "implicit/warps/BarrWarp.h"

namespace vynbt {

class BarrWarpNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit BarrWarpNode(vynimplicit::BarrWarp* op) : CompositionNode(NodeType::BarrWarp, op) {}
    BarrWarpNode(const BarrWarpNode&) = default;
    BarrWarpNode& operator=(const BarrWarpNode&) = default;

    vynimplicit::BarrWarp* GetBarrWarp() const
    {
        return static_cast<vynimplicit::BarrWarp*>(GetScalarField());
    }

    /// After the caller changed the operator's settings: recomputes the
    /// bounds, drops the cache and reports before together with the new bounds.
    void OnOperatorChanged(const Wml::AxisAlignedBox3<float>& before) { ReportOperatorChange(before); }
};

}  // namespace vynbt

#pragma once
// Bends its first child along a 2D path inside a warp ball.

#include "blobtree/CompositionNode.h"
#include "implicit/warps/LinearSweepWarp.h"

namespace vynbt {

class LinearSweepWarpNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit LinearSweepWarpNode(vynimplicit::LinearSweepWarp* op)
        : CompositionNode(NodeType::LinearSweepWarp, op)
    {
    }
    LinearSweepWarpNode(const LinearSweepWarpNode&) = default;
    LinearSweepWarpNode& operator=(const LinearSweepWarpNode&) = default;

    vynimplicit::LinearSweepWarp* GetLinearSweepWarp() const
    {
        return static_cast<vynimplicit::LinearSweepWarp*>(GetScalarField());
    }

    float GetWarpRadius() const;
    Wml::Vector3<float> GetWarpCenter() const;
    void GetWarpBounds(Wml::Vector3<float>& centre, float& radius) const;
    /// Moves and resizes the warp ball (the operator clamps the radius), drops
    /// the cache and reports the bounds before and after. Non-finite input is
    /// refused: false, nothing changes.
    bool SetWarpBounds(const Wml::Vector3<float>& centre, float radius);

    /// This warp has no smoothing: always 0.
    float GetSmoothing() const { return 0.0f; }
    /// Ignored.
    void SetSmoothing(float) {}
};

}  // namespace vynbt

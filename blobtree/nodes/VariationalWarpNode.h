#pragma once
// A free-form warp of its first child: warp points drag space inside a ball.

#include "blobtree/CompositionNode.h"
#include "implicit/warps/VariationalWarp.h"
#include "implicit/warps/WarpPointSet.h"

namespace vynbt {

class VariationalWarpNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit VariationalWarpNode(vynimplicit::VariationalWarp* op)
        : CompositionNode(NodeType::VariationalWarp, op)
    {
    }
    VariationalWarpNode(const VariationalWarpNode&) = default;
    VariationalWarpNode& operator=(const VariationalWarpNode&) = default;

    vynimplicit::VariationalWarp* GetVariationalWarp() const
    {
        return static_cast<vynimplicit::VariationalWarp*>(GetScalarField());
    }

    float GetWarpRadius() const;
    Wml::Vector3<float> GetWarpCenter() const;
    void GetWarpBounds(Wml::Vector3<float>& centre, float& radius) const;
    /// Moves and resizes the warp ball (the operator clamps the radius), drops
    /// the cache and reports the bounds before and after. Non-finite input is
    /// refused: false, nothing changes.
    bool SetWarpBounds(const Wml::Vector3<float>& centre, float radius);

    float GetSmoothing() const;
    /// The operator clamps the smoothing; NaN or infinity is refused (false).
    bool SetSmoothing(float smoothing);

    /// The operator's own set: changes made through it take effect with the
    /// next SetWarpPointSetPoint, SetWarpPointSet or other setter.
    vynimplicit::WarpPointSet& GetWarpPointSet();
    void GetWarpPointSet(vynimplicit::WarpPointSet& points) const;
    /// Replaces the set, refits and reports.
    void SetWarpPointSet(const vynimplicit::WarpPointSet& points);
    /// Replaces point i, refits and reports; false (nothing changes) when i is
    /// out of range or a point is not finite.
    bool SetWarpPointSetPoint(unsigned int i, const Wml::Vector3<float>& from, const Wml::Vector3<float>& to);
};

}  // namespace vynbt

#pragma once
// Scene object of a LinearSweepWarpNode (type code 43, type name
// "LinearSweepWarp"). Parameters after the composition list: "X", "Y", "Z",
// "Warp Radius", "Warp Smoothing" (always 0: this warp has no smoothing).
// It draws no segments to its children.

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class LinearSweepWarpNode;
}

namespace vynui_bt {

class LinearSweepWarpSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit LinearSweepWarpSceneObject(vynbt::LinearSweepWarpNode* node);

    /// "LinearSweepWarp".
    const char* GetTypeName() override;
    void InitializeParameters() override;
    /// Only the handles (no child segments).
    void Render(bool selected) override;

    vynbt::LinearSweepWarpNode* GetLinearSweepWarpNode() const;
};

}  // namespace vynui_bt

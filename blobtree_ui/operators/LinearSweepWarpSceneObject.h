#pragma once
// Scene object of a LinearSweepWarpNode (type code 43, type name
// "LinearSweepWarp"). Parameters after the composition list: "X", "Y", "Z",
// "Warp Radius", "Warp Smoothing" (always 0: this warp has no smoothing).
// It draws no segments to its children.
//
// Records: the composition data plus the warp's path ("WarpPath", the (a, b)
// pairs), the frame holding it ("WarpFrame") and the warp ball's centre
// ("WarpCenter"; its radius is "Warp Radius"). Absent keys keep the warp's
// current values.

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

    /// The composition record plus path, frame and ball centre.
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The composition data, then the path, frame and centre that are
    /// present. False when one of them cannot be read or the warp refuses it
    /// (non-finite numbers, too many path points, an unusable frame); what
    /// was refused keeps its current value.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    vynbt::LinearSweepWarpNode* GetLinearSweepWarpNode() const;
};

}  // namespace vynui_bt

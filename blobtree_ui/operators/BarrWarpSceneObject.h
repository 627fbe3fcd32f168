#pragma once
// Scene object of a BarrWarpNode: a twist, taper or bend of its first child.
// No parameters beyond the composition list; its frame is always the one at
// the zero vector (the deformation's own frame is not a placement of the group).
//
// Records: the composition data plus the deformation's settings, whatever the
// mode, so that a warp changed through its operator survives a save:
// "WarpFrame", "TwistRate", "TaperRange" and "TaperScales" (start, end),
// "BendCurvature", "BendCentre", "BendRange" (min, max). Absent keys keep
// the operator's current values.

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class BarrWarpNode;
}

namespace vynui_bt {

class BarrWarpSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator. The type code follows the operator's mode
    /// (47 twist, 48 taper, 49 bend).
    explicit BarrWarpSceneObject(vynbt::BarrWarpNode* node);

    /// "BarrWarp".
    const char* GetTypeName() override;
    /// A frame at the zero vector.
    Wml::Frame3<float> GetFrame() override;

    /// The composition record plus the deformation's settings.
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The composition data, then the settings that are present. False when a
    /// present setting is of the wrong kind or refused by the operator (NaN,
    /// an unusable frame, an empty taper range); the others are still taken.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    vynbt::BarrWarpNode* GetBarrWarpNode() const;

protected:
    BarrWarpSceneObject(vynbt::BarrWarpNode* node, int typeCode, const char* nameBase);
};

}  // namespace vynui_bt

#pragma once
// Scene object of a MirrorNode (type code 51, type name "Mirror"): its
// children made symmetric about a plane. The object's frame is the mirror
// plane. Parameters after the composition list: "Side", "Transition Width",
// "Blend Power". The plane is always drawn as a translucent quad.

#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "wml/AxisAlignedBox3.h"

namespace vynbt {
class MirrorNode;
}

namespace vynui_bt {

class MirrorSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit MirrorSceneObject(vynbt::MirrorNode* node);

    /// "Mirror".
    const char* GetTypeName() override;
    void InitializeParameters() override;
    /// The plane quad (alpha 0.2 selected, 0.1 otherwise; a red outline of
    /// width 3 when selected), then the composition drawing.
    void Render(bool selected) override;

    vynbt::MirrorNode* GetMirrorNode() const;

    /// Half-extents of the plane quad along the plane frame's first two axes:
    /// the largest |(corner - origin) . axis| over the eight corners of
    /// bounds, 1 when that is below 0.1. Empty or non-finite bounds give 1.
    static void ComputePlaneHalfExtents(const Wml::Frame3<float>& plane,
                                        const Wml::AxisAlignedBox3<float>& bounds, float& halfX,
                                        float& halfY);
    /// The quad's corners, counter-clockwise from origin - x - y, for the
    /// current plane and the node's field bounds (read under the lock).
    void GetPlaneQuad(Wml::Vector3<float> corners[4]);
};

}  // namespace vynui_bt

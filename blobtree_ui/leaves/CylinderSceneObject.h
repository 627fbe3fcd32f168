#pragma once
// The scene object of a capsule-ended cylinder (factory code 4, "Cylinder").

#include "blobtree_ui/BlobTreeNodeSceneObject.h"

namespace vynbt {
class CylinderNode;
}

namespace vynui_bt {

class CylinderSceneObject : public BlobTreeNodeSceneObject {
public:
    /// Takes ownership of node and its cylinder.
    explicit CylinderSceneObject(vynbt::CylinderNode* node);

    vynbt::CylinderNode* GetCylinderNode() const;

    /// "Cylinder".
    const char* GetTypeName() override;
    /// The base list, then X, Y, Z, "Length", "Radius".
    void InitializeParameters() override;
    /// A red (selected) or blue unit segment along the frame's z axis, then
    /// the base drawing.
    void Render(bool selected) override;
};

/// The segment the axis drawings show: from the frame's origin one unit
/// along its z axis.
void GetAxisSegment(const Wml::Frame3<float>& frame, Wml::Vector3<float>& from, Wml::Vector3<float>& to);
/// Draws that segment as a GL line in the current colour.
void DrawAxisSegment(const Wml::Frame3<float>& frame);

}  // namespace vynui_bt

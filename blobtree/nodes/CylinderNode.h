#pragma once
// A leaf over a capsule-ended cylinder, placed by the cylinder's frame.
// The shape parameters (radius, length, template ...) are changed on the wrapped
// object by the caller, bracketed by ChildModifiedHack_BeforeChange/AfterChange.

#include "blobtree/BlobTreeNode.h"
#include "implicit/primitives/Cylinder.h"

namespace vynbt {

class CylinderNode : public BlobTreeNode {
public:
    /// The cylinder is not owned.
    explicit CylinderNode(vynimplicit::Cylinder* field) : BlobTreeNode(NodeType::Cylinder, field) {}
    CylinderNode(const CylinderNode&) = default;
    CylinderNode& operator=(const CylinderNode&) = default;

    vynimplicit::Cylinder* GetCylinder() const
    {
        return static_cast<vynimplicit::Cylinder*>(GetScalarField());
    }

    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the primitive and reports the old and new bounds; an unusable
    /// frame is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;
};

}  // namespace vynbt

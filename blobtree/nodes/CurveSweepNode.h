#pragma once
// A leaf over a profile swept along a curve, placed by the sweep's frame.
// The shape parameters (radius, length, template ...) are changed on the wrapped
// object by the caller, bracketed by ChildModifiedHack_BeforeChange/AfterChange.

#include "blobtree/BlobTreeNode.h"
#include "implicit/sweeps/CurveSweep.h"

namespace vynbt {

class CurveSweepNode : public BlobTreeNode {
public:
    /// The sweep is not owned.
    explicit CurveSweepNode(vynimplicit::CurveSweep* field) : BlobTreeNode(NodeType::CurveSweep, field) {}
    CurveSweepNode(const CurveSweepNode&) = default;
    CurveSweepNode& operator=(const CurveSweepNode&) = default;

    vynimplicit::CurveSweep* GetSweep() const
    {
        return static_cast<vynimplicit::CurveSweep*>(GetScalarField());
    }

    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the primitive and reports the old and new bounds; an unusable
    /// frame is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;
};

}  // namespace vynbt

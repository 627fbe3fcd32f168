#pragma once
// A leaf over a capped linear sweep of a 2D template (extrusions and blobby
// inflations of sketched outlines).

#include "blobtree/BlobTreeNode.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"

namespace vynbt {

class CappedLinearSweepNode : public BlobTreeNode {
public:
    /// The sweep is not owned.
    explicit CappedLinearSweepNode(vynimplicit::DiscreteLinearSweep* sweep)
        : BlobTreeNode(NodeType::CappedLinearSweep, sweep)
    {
    }
    CappedLinearSweepNode(const CappedLinearSweepNode&) = default;
    CappedLinearSweepNode& operator=(const CappedLinearSweepNode&) = default;

    vynimplicit::DiscreteLinearSweep* GetSweep() const
    {
        return static_cast<vynimplicit::DiscreteLinearSweep*>(GetScalarField());
    }

    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the sweep and reports the old and new bounds; an unusable frame
    /// is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;

    vynimplicit::ScalarField2D* GetSweepTemplate() const;
    /// The template is not owned; null removes it (the field becomes empty).
    void SetSweepTemplate(vynimplicit::ScalarField2D* sweepTemplate);
};

}  // namespace vynbt

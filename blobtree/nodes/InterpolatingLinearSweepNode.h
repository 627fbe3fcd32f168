#pragma once
// A leaf over a straight sweep that morphs through several cross-sections.

#include "blobtree/BlobTreeNode.h"
#include "implicit/sweeps/InterpolatingLinearSweep.h"

namespace vynbt {

class InterpolatingLinearSweepNode : public BlobTreeNode {
public:
    /// The sweep is not owned.
    explicit InterpolatingLinearSweepNode(vynimplicit::InterpolatingLinearSweep* sweep)
        : BlobTreeNode(NodeType::InterpolatingLinearSweep, sweep)
    {
    }
    InterpolatingLinearSweepNode(const InterpolatingLinearSweepNode&) = default;
    InterpolatingLinearSweepNode& operator=(const InterpolatingLinearSweepNode&) = default;

    vynimplicit::InterpolatingLinearSweep* GetSweep() const
    {
        return static_cast<vynimplicit::InterpolatingLinearSweep*>(GetScalarField());
    }

    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the sweep and reports the old and new bounds; an unusable frame
    /// is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;

    /// Position of slice along the sweep's z axis (0 when out of range).
    float GetSlicePosition(unsigned int slice) const;
    /// Offset of slice in its plane; false (0, 0) when out of range.
    bool GetSliceOffset(unsigned int slice, float& x, float& y) const;
    /// Moves a slice and reports the change; false (nothing reported) for an
    /// index out of range or non-finite numbers.
    bool SetSlicePosition(unsigned int slice, float position, float x, float y);

    vynimplicit::InterpolatingLinearSweep::BlendMode GetBlendMode() const;
    /// False (nothing reported) for a value outside the enumeration.
    bool SetBlendMode(vynimplicit::InterpolatingLinearSweep::BlendMode mode);
};

}  // namespace vynbt

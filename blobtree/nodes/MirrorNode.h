#pragma once
// Makes its children symmetric about a plane. The node's frame is the mirror
// plane (through the frame's origin, normal along its z axis), so moving or
// turning the group moves the plane with the children.

#include "blobtree/CompositionNode.h"
#include "implicit/operators/MirrorOperator.h"

namespace vynbt {

class MirrorNode : public CompositionNode {
public:
    /// The operator is not owned.
    explicit MirrorNode(vynimplicit::MirrorOperator* op);
    MirrorNode(const MirrorNode&) = default;
    MirrorNode& operator=(const MirrorNode&) = default;

    vynimplicit::MirrorOperator* GetMirrorOperator() const
    {
        return static_cast<vynimplicit::MirrorOperator*>(GetScalarField());
    }

    /// The mirror plane's frame.
    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Replaces the plane, drops the node's cache and reports the bounds before
    /// and after (the reflected half moves with the plane). A frame the
    /// operator refuses changes nothing.
    void SetFrame(const Wml::Frame3<float>& frame) override;
    /// Turns the plane about its origin together with the node's cache, so the
    /// children (turned about the plane's origin by the caller) keep their
    /// mirror image.
    void Rotate(const Wml::Matrix3<float>& m, bool relative) override;
    /// Reports region and then its mirror image (the box of the eight
    /// reflected corners), each through the composition protocol.
    void OnChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region) override;

    bool GetSide() const;
    void SetSide(bool side);
    float GetSmoothWidth() const;
    /// The operator clamps the width; a NaN is refused (false, nothing changes).
    bool SetSmoothWidth(float width);
    float GetBlendPower() const;
    /// The operator clamps the power; a NaN is refused (false, nothing changes).
    bool SetBlendPower(float power);

    /// The box of the eight corners of region reflected through the plane
    /// (empty for an empty region).
    Wml::AxisAlignedBox3<float> MirrorRegion(const Wml::AxisAlignedBox3<float>& region) const;

protected:
    /// bounds = the operator's bounds; child centre = the mean of every
    /// child's frame origin and its reflection (a point on the plane).
    void CalculateChildData() override;
};

}  // namespace vynbt

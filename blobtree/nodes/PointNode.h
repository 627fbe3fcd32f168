#pragma once
// A leaf over a soft ball, sized by its support radius.

#include "blobtree/BlobTreeNode.h"
#include "implicit/primitives/Point.h"

namespace vynbt {

class PointNode : public BlobTreeNode {
public:
    /// The point is not owned.
    explicit PointNode(vynimplicit::Point* point) : BlobTreeNode(NodeType::Point, point) {}
    PointNode(const PointNode&) = default;
    PointNode& operator=(const PointNode&) = default;

    vynimplicit::Point* GetPoint() const { return static_cast<vynimplicit::Point*>(GetScalarField()); }

    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the ball and reports the old and new bounds; an unusable frame
    /// is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;

    /// The support radius: the reciprocal of the point's own size.
    float GetSize() const;
    /// Stores 1 / size in the point (clamped there) and reports the change.
    /// A size that is not a positive finite number is refused: false, nothing
    /// changes and nothing is reported.
    bool SetSize(float size);
};

}  // namespace vynbt

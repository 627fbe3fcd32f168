#pragma once
// A leaf over a tube around a 3D polyline, with radius and taper.

#include "blobtree/BlobTreeNode.h"
#include "implicit/primitives/PolyLinePrimitive.h"

namespace vynbt {

class PolyLineNode : public BlobTreeNode {
public:
    /// The polyline is not owned.
    explicit PolyLineNode(vynimplicit::PolyLinePrimitive* polyLine)
        : BlobTreeNode(NodeType::PolyLine, polyLine)
    {
    }
    PolyLineNode(const PolyLineNode&) = default;
    PolyLineNode& operator=(const PolyLineNode&) = default;

    vynimplicit::PolyLinePrimitive* GetPolyLine() const
    {
        return static_cast<vynimplicit::PolyLinePrimitive*>(GetScalarField());
    }

    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the tube and reports the old and new bounds; an unusable frame
    /// is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;

    float GetRadius() const;
    /// The polyline clamps the radius; a NaN is refused (false, nothing reported).
    bool SetRadius(float radius);
    float GetTaper() const;
    /// The polyline clamps the taper; a NaN is refused (false, nothing reported).
    bool SetTaper(float taper);
};

}  // namespace vynbt

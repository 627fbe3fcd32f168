#pragma once
// A leaf over a set of tubes around world-space curves. A curve set cannot be
// moved: its frame is always at the zero vector and SetFrame does nothing, so
// Translate, Rotate and Scale leave it where it is.

#include "blobtree/BlobTreeNode.h"
#include "implicit/primitives/CurveSet.h"

namespace vynbt {

class CurveSetNode : public BlobTreeNode {
public:
    /// The curve set is not owned.
    explicit CurveSetNode(vynimplicit::CurveSet* curves) : BlobTreeNode(NodeType::CurveSet, curves) {}
    CurveSetNode(const CurveSetNode&) = default;
    CurveSetNode& operator=(const CurveSetNode&) = default;

    vynimplicit::CurveSet* GetCurveSet() const
    {
        return static_cast<vynimplicit::CurveSet*>(GetScalarField());
    }

    /// A frame at the zero vector with the world axes.
    void GetFrame(Wml::Frame3<float>& frame) override
    {
        frame = Wml::Frame3<float>(Wml::Vector3<float>::ZERO);
    }
    /// Ignored.
    void SetFrame(const Wml::Frame3<float>&) override {}
};

}  // namespace vynbt

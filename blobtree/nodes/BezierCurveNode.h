#pragma once
// A leaf over a tube around a Bezier curve.

#include "blobtree/BlobTreeNode.h"
#include "implicit/operators/BezierCurve.h"

namespace vynbt {

class BezierCurveNode : public BlobTreeNode {
public:
    /// The curve is not owned.
    explicit BezierCurveNode(vynimplicit::BezierCurve* curve) : BlobTreeNode(NodeType::BezierCurve, curve) {}
    BezierCurveNode(const BezierCurveNode&) = default;
    BezierCurveNode& operator=(const BezierCurveNode&) = default;

    vynimplicit::BezierCurve* GetCurve() const
    {
        return static_cast<vynimplicit::BezierCurve*>(GetScalarField());
    }

    /// The curve's frame; its control points are local to it.
    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the curve and reports the old and new bounds; an unusable frame
    /// is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;

    float GetRadius() const;
    /// Writes the tube radius and clears the curve's status flag. Reports
    /// nothing: callers bracket it with ChildModifiedHack_BeforeChange and
    /// ChildModifiedHack_AfterChange. False for a NaN (nothing changes).
    bool SetRadius(float radius);
};

}  // namespace vynbt

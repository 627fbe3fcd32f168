#pragma once
// A leaf over a surface fitted to oriented points. The points live in world
// coordinates inside the point set, so the node keeps its own placement and
// moves the points in place whenever the placement changes.

#include "blobtree/BlobTreeNode.h"
#include "implicit/primitives/FastQuadricPointSet.h"

namespace vynbt {

class FastQuadricPointSetNode : public BlobTreeNode {
public:
    /// The point set is not owned. The placement starts with the world axes at
    /// the centre of the point set's bounds (the zero vector when it is empty).
    explicit FastQuadricPointSetNode(vynimplicit::FastQuadricPointSet* pointSet);
    FastQuadricPointSetNode(const FastQuadricPointSetNode&) = default;
    FastQuadricPointSetNode& operator=(const FastQuadricPointSetNode&) = default;

    vynimplicit::FastQuadricPointSet* GetPointSet() const
    {
        return static_cast<vynimplicit::FastQuadricPointSet*>(GetScalarField());
    }

    /// The stored placement.
    void GetFrame(Wml::Frame3<float>& frame) override { frame = m_frame; }
    /// Takes the points back through the inverse of the stored placement, places
    /// them with frame, stores it and reports the old and new bounds. A frame
    /// the point set refuses (unusable, or moving points out of range) leaves
    /// points and placement as they were and reports nothing.
    void SetFrame(const Wml::Frame3<float>& frame) override;

private:
    Wml::Frame3<float> m_frame;
};

}  // namespace vynbt

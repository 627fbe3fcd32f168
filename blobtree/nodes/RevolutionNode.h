#pragma once
// A leaf over a surface of revolution, placed by the revolution's frame.
// The shape parameters (radius, length, template ...) are changed on the wrapped
// object by the caller, bracketed by ChildModifiedHack_BeforeChange/AfterChange.

#include "blobtree/BlobTreeNode.h"
#include "implicit/sweeps/DiscreteRevolution.h"

namespace vynbt {

class RevolutionNode : public BlobTreeNode {
public:
    /// The revolution is not owned.
    explicit RevolutionNode(vynimplicit::DiscreteRevolution* field)
        : BlobTreeNode(NodeType::Revolution, field)
    {
    }
    RevolutionNode(const RevolutionNode&) = default;
    RevolutionNode& operator=(const RevolutionNode&) = default;

    vynimplicit::DiscreteRevolution* GetRevolution() const
    {
        return static_cast<vynimplicit::DiscreteRevolution*>(GetScalarField());
    }

    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Places the primitive and reports the old and new bounds; an unusable
    /// frame is refused and nothing is reported.
    void SetFrame(const Wml::Frame3<float>& frame) override;
};

}  // namespace vynbt

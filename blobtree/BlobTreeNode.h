#pragma once
// A node of the implicit-model tree. Every node is itself a scalar field, so a
// node (or a whole subtree) can be handed to a polygonizer, an operator or a
// cache as a plain field. A leaf wraps one primitive of the implicit library;
// composition nodes (CompositionNode.h) wrap an operator and hold child nodes.
//
// Ownership: a node never owns its wrapped field, its parent or its children.
// Changes travel upward as boxes through OnChildModified, ending at the root,
// which tells its listeners (RootNode.h).

#include <cstdint>
#include <vector>

#include "implicit/ScalarField.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Frame3.h"
#include "wml/Matrix3.h"
#include "wml/Vector3.h"

namespace vynbt {

class CompositionNode;

class BlobTreeNode : public vynimplicit::ScalarField {
public:
    /// The node kind, fixed at construction. Values 2 and 24 are unused.
    enum class NodeType : std::int32_t {
        Root = 0,
        Point = 1,
        CappedLinearSweep = 3,
        Revolution = 4,
        FastQuadricPointSet = 5,
        Cylinder = 6,
        CurveSweep = 7,
        BezierCurve = 8,
        InterpolatingLinearSweep = 9,
        PolyLine = 10,
        SumBlend = 11,
        MinMaxUnion = 12,
        MinMaxIntersection = 13,
        MinMaxDifference = 14,
        RicciBlend = 15,
        QuillonUnion = 16,
        BartheSharpUnion = 17,
        BartheSharpIntersection = 18,
        BartheSharpDifference = 19,
        BartheSmoothDifference = 20,
        MultiSweep = 21,
        VariationalWarp = 22,
        LinearSweepWarp = 23,
        BlackBoxCaching = 25,
        CurveSet = 26,
        BarrWarp = 27,
        Hollow = 28,
        Mirror = 29,
        Cache = 30,
    };

    /// A detached node around field (not owned; may be null, which evaluates to 0).
    BlobTreeNode(NodeType type, vynimplicit::ScalarField* field);
    /// Copies type, field and parent (both shared, not duplicated).
    BlobTreeNode(const BlobTreeNode& other);
    BlobTreeNode& operator=(const BlobTreeNode& other);

    // ---- the field interface, answered by the wrapped field ---------------

    using vynimplicit::ScalarField::Gradient;
    using vynimplicit::ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box) override;
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

    // ---- the node's own virtual operations --------------------------------

    /// Clears the parent links of nodes that still point here, and leaves
    /// this node's parent, so no pointer to a destroyed node survives.
    virtual ~BlobTreeNode();

    virtual bool IsCompositionNode() const;
    /// The node's placement; the base answers a frame at the zero vector.
    virtual void GetFrame(Wml::Frame3<float>& frame);
    /// Replaces the placement; the base does nothing. Concrete leaves apply
    /// it to their primitive and report the change upward.
    virtual void SetFrame(const Wml::Frame3<float>& frame);
    /// Moves the origin by v (relative) or to v, through GetFrame/SetFrame.
    virtual void Translate(const Wml::Vector3<float>& v, bool relative);
    /// Turns the axes by m (relative) or sets them to m, through GetFrame/SetFrame.
    virtual void Rotate(const Wml::Matrix3<float>& m, bool relative);
    /// Multiplies (relative) or replaces the frame's scale vector; leaves
    /// ignore uniform.
    virtual void Scale(float sx, float sy, float sz, bool relative, bool uniform);
    /// Picking: value = Value(p), node = this.
    virtual void SelectClosestPrimitive(const Wml::Vector3<float>& p, BlobTreeNode** node, float& value);
    /// A child reports a changed region. A leaf has no children and ignores it.
    virtual void OnChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region);
    /// Reports the node's whole FieldBounds to the parent.
    virtual void OnNodeModified();
    /// Brackets a change made directly to the wrapped object: before receives
    /// the current bounds, AfterChange reports the union of before and the new
    /// bounds to the parent.
    virtual void ChildModifiedHack_BeforeChange(Wml::AxisAlignedBox3<float>& before);
    virtual void ChildModifiedHack_AfterChange(const Wml::AxisAlignedBox3<float>& before);

    // ---- accessors --------------------------------------------------------

    NodeType GetType() const { return m_type; }
    vynimplicit::ScalarField* GetScalarField() const { return m_field; }
    BlobTreeNode* GetParent() const { return m_parent; }
    void SetParent(BlobTreeNode* parent);

protected:
    void SetScalarField(vynimplicit::ScalarField* field) { m_field = field; }
    /// The protocol of leaf setters: call after changing the wrapped object,
    /// with the bounds taken before; reports before + after when attached.
    void ReportChange(const Wml::AxisAlignedBox3<float>& before);
    /// The whole protocol around change(), which answers whether the wrapped
    /// object took the change. False without a wrapped object or when refused.
    template <class Change>
    bool ChangeReported(Change&& change)
    {
        if (!m_field) return false;
        Wml::AxisAlignedBox3<float> before;
        m_field->FieldBounds(before);
        if (!change()) return false;
        ReportChange(before);
        return true;
    }

private:
    friend class CompositionNode;
    void AddReferrer(BlobTreeNode* node);
    void RemoveReferrer(BlobTreeNode* node);

    NodeType m_type;
    vynimplicit::ScalarField* m_field;
    BlobTreeNode* m_parent = nullptr;
    // Nodes whose parent link points here (children, and former children whose
    // link was kept); cleared on destruction so those links never dangle.
    std::vector<BlobTreeNode*> m_referrers;
};

/// Union of two boxes (an empty box adds nothing).
Wml::AxisAlignedBox3<float> UnionOfBoxes(const Wml::AxisAlignedBox3<float>& a,
                                         const Wml::AxisAlignedBox3<float>& b);

}  // namespace vynbt

#include "blobtree/BlobTreeNode.h"

#include <algorithm>

#include "blobtree/CompositionNode.h"

namespace vynbt {

Wml::AxisAlignedBox3<float> UnionOfBoxes(const Wml::AxisAlignedBox3<float>& a,
                                         const Wml::AxisAlignedBox3<float>& b)
{
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    Wml::AxisAlignedBox3<float> box = a;
    box.Merge(b);
    return box;
}

BlobTreeNode::BlobTreeNode(NodeType type, vynimplicit::ScalarField* field) : m_type(type), m_field(field) {}

BlobTreeNode::BlobTreeNode(const BlobTreeNode& other)
    : vynimplicit::ScalarField(other), m_type(other.m_type), m_field(other.m_field)
{
    SetParent(other.m_parent);
}

BlobTreeNode& BlobTreeNode::operator=(const BlobTreeNode& other)
{
    if (this == &other) return *this;
    vynimplicit::ScalarField::operator=(other);
    m_type = other.m_type;
    m_field = other.m_field;
    SetParent(other.m_parent);
    return *this;
}

BlobTreeNode::~BlobTreeNode()
{
    for (BlobTreeNode* node : m_referrers) node->m_parent = nullptr;
    m_referrers.clear();
    if (m_parent) {
        BlobTreeNode* parent = m_parent;
        parent->RemoveReferrer(this);
        m_parent = nullptr;
        // Destroyed without being detached first: leave the parent consistent.
        if (parent->IsCompositionNode()) static_cast<CompositionNode*>(parent)->DetachDestroyedChild(this);
    }
}

void BlobTreeNode::SetParent(BlobTreeNode* parent)
{
    if (parent == m_parent) return;
    if (m_parent) m_parent->RemoveReferrer(this);
    m_parent = parent;
    if (m_parent) m_parent->AddReferrer(this);
}

void BlobTreeNode::AddReferrer(BlobTreeNode* node)
{
    m_referrers.push_back(node);
}

void BlobTreeNode::RemoveReferrer(BlobTreeNode* node)
{
    auto it = std::find(m_referrers.begin(), m_referrers.end(), node);
    if (it != m_referrers.end()) m_referrers.erase(it);
}

float BlobTreeNode::Value(float x, float y, float z)
{
    return m_field ? m_field->Value(x, y, z) : 0.0f;
}

void BlobTreeNode::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    if (m_field) {
        m_field->Gradient(x, y, z, gx, gy, gz, value);
        return;
    }
    gx = gy = gz = 0.0f;
    if (value) *value = 0.0f;
}

void BlobTreeNode::Color(float x, float y, float z, float& r, float& g, float& b)
{
    if (m_field)
        m_field->Color(x, y, z, r, g, b);
    else
        vynimplicit::ScalarField::Color(x, y, z, r, g, b);
}

void BlobTreeNode::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    if (m_field)
        m_field->FieldBounds(box);
    else
        box.MakeEmpty();
}

void BlobTreeNode::SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box)
{
    if (m_field)
        m_field->SurfaceBounds(isoValue, box);
    else
        box.MakeEmpty();
}

void BlobTreeNode::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    if (m_field) m_field->GetSeedPoints(points);
}

bool BlobTreeNode::IsCompositionNode() const
{
    return false;
}

void BlobTreeNode::GetFrame(Wml::Frame3<float>& frame)
{
    frame = Wml::Frame3<float>(Wml::Vector3<float>::ZERO);
}

void BlobTreeNode::SetFrame(const Wml::Frame3<float>&) {}

void BlobTreeNode::Translate(const Wml::Vector3<float>& v, bool relative)
{
    Wml::Frame3<float> frame;
    GetFrame(frame);
    if (relative)
        frame.Origin() += v;
    else
        frame.SetOrigin(v);
    SetFrame(frame);
}

void BlobTreeNode::Rotate(const Wml::Matrix3<float>& m, bool relative)
{
    Wml::Frame3<float> frame;
    GetFrame(frame);
    if (relative)
        frame.Rotate(m, true);
    else
        frame.SetRotation(m, true);
    SetFrame(frame);
}

void BlobTreeNode::Scale(float sx, float sy, float sz, bool relative, bool)
{
    Wml::Frame3<float> frame;
    GetFrame(frame);
    Wml::Vector3<float>& s = frame.Scale();
    if (relative)
        s = Wml::Vector3<float>(s.X() * sx, s.Y() * sy, s.Z() * sz);
    else
        s = Wml::Vector3<float>(sx, sy, sz);
    SetFrame(frame);
}

void BlobTreeNode::SelectClosestPrimitive(const Wml::Vector3<float>& p, BlobTreeNode** node, float& value)
{
    value = Value(p);
    if (node) *node = this;
}

void BlobTreeNode::OnChildModified(BlobTreeNode*, const Wml::AxisAlignedBox3<float>&) {}

void BlobTreeNode::OnNodeModified()
{
    if (!m_parent) return;
    Wml::AxisAlignedBox3<float> bounds;
    FieldBounds(bounds);
    m_parent->OnChildModified(this, bounds);
}

void BlobTreeNode::ChildModifiedHack_BeforeChange(Wml::AxisAlignedBox3<float>& before)
{
    if (m_field)
        m_field->FieldBounds(before);
    else
        before.MakeEmpty();
}

void BlobTreeNode::ChildModifiedHack_AfterChange(const Wml::AxisAlignedBox3<float>& before)
{
    ReportChange(before);
}

void BlobTreeNode::ReportChange(const Wml::AxisAlignedBox3<float>& before)
{
    if (!m_parent) return;
    Wml::AxisAlignedBox3<float> after;
    if (m_field)
        m_field->FieldBounds(after);
    else
        after.MakeEmpty();
    m_parent->OnChildModified(this, UnionOfBoxes(before, after));
}

}  // namespace vynbt

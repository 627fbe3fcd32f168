#include "blobtree/RootNode.h"

#include <vector>

#include "implicit/operators/MinMaxUnion.h"

namespace vynbt {

RootNode::RootNode(vynimplicit::MinMaxUnion* unionOp) : CompositionNode(NodeType::Root, unionOp)
{
    EnableCaching(false);
}

RootNode::RootNode(const RootNode& other)
    : CompositionNode(other),
      m_cuttingPlaneEnabled(other.m_cuttingPlaneEnabled),
      m_cuttingPlane(other.m_cuttingPlane)
{
}

RootNode& RootNode::operator=(const RootNode& other)
{
    if (this == &other) return *this;
    CompositionNode::operator=(other);
    m_cuttingPlaneEnabled = other.m_cuttingPlaneEnabled;
    m_cuttingPlane = other.m_cuttingPlane;
    return *this;
}

RootNode::~RootNode()
{
    m_listeners.clear();
}

vynimplicit::MinMaxUnion* RootNode::GetUnion() const
{
    return dynamic_cast<vynimplicit::MinMaxUnion*>(GetScalarField());
}

bool RootNode::CapByPlane(float x, float y, float z, float& value) const
{
    if (!m_cuttingPlaneEnabled) return false;
    const Wml::Vector3<float> n = m_cuttingPlane.Z();
    const Wml::Vector3<float> p(x, y, z);
    const float d = n.Dot(p - m_cuttingPlane.Origin());
    if (!(d > 0.0f)) return false;
    // A soft wall just in front of the plane: 0.7975^3 (about 0.507) on the
    // plane itself, 0 from 0.55 in front of it.
    const float s = d + 0.45f;
    const float t = 1.0f - s * s;
    if (t <= 0.0f) {
        value = 0.0f;
    } else {
        const float cap = t * t * t;
        value = value < cap ? value : cap;
    }
    return true;
}

float RootNode::Value(float x, float y, float z)
{
    float v = CompositionNode::Value(x, y, z);
    CapByPlane(x, y, z, v);
    return v;
}

void RootNode::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    float v = 0.0f;
    CompositionNode::Gradient(x, y, z, gx, gy, gz, &v);
    if (CapByPlane(x, y, z, v)) {
        const Wml::Vector3<float> n = m_cuttingPlane.Z();
        gx = -n.X();
        gy = -n.Y();
        gz = -n.Z();
    }
    if (value) *value = v;
}

bool RootNode::GetCuttingPlane(Wml::Frame3<float>& frame) const
{
    frame = m_cuttingPlane;
    return m_cuttingPlaneEnabled;
}

void RootNode::SelectClosestPrimitive(const Wml::Vector3<float>& p, BlobTreeNode** node, float& value)
{
    value = 0.0f;
    BlobTreeNode* found = nullptr;
    CompositionNode::SelectClosestPrimitive(p, &found, value);
    if (node) *node = found;
}

void RootNode::OnChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region)
{
    if (IsInTransform()) return;
    CalculateChildData();
    GetCache()->SetBounds(&Bounds());
    NotifyChildModified(child, region);
}

void RootNode::AddListener(RootNodeListener* listener)
{
    if (listener) m_listeners.insert(listener);
}

void RootNode::RemoveListener(RootNodeListener* listener)
{
    m_listeners.erase(listener);
}

void RootNode::NotifyChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region)
{
    // A listener may add or remove listeners from its callback; walk a copy and
    // skip any that left in the meantime.
    const std::vector<RootNodeListener*> round(m_listeners.begin(), m_listeners.end());
    for (RootNodeListener* listener : round)
        if (m_listeners.count(listener)) listener->OnChildModified(child, region);
}

}  // namespace vynbt

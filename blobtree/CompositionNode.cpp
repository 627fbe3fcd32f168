#include "blobtree/CompositionNode.h"

#include <algorithm>
#include <cmath>

#include "blobtree/CachedEvaluationWrapper.h"
#include "blobtree/cache/FieldCache.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "implicit/CompositionOperator.h"

namespace vynbt {

CompositionNode::CompositionNode(NodeType type, vynimplicit::ScalarField* field)
    : BlobTreeNode(type, field), m_wrapper(std::make_unique<CachedEvaluationWrapper>(this))
{
    m_cachingEnabled = true;
    CreateOwnCache(nullptr);
    m_inTransform = false;
    CalculateChildData();
}

CompositionNode::CompositionNode(const CompositionNode& other)
    : BlobTreeNode(other),
      m_children(other.m_children),
      m_cachingEnabled(other.m_cachingEnabled),
      m_inTransform(false),
      m_childCenter(other.m_childCenter),
      m_bounds(other.m_bounds),
      m_wrapper(std::make_unique<CachedEvaluationWrapper>(this))
{
    CreateOwnCache(other.m_cache);
}

CompositionNode& CompositionNode::operator=(const CompositionNode& other)
{
    if (this == &other) return *this;
    BlobTreeNode::operator=(other);
    m_children = other.m_children;
    m_cachingEnabled = other.m_cachingEnabled;
    m_inTransform = false;
    m_childCenter = other.m_childCenter;
    m_bounds = other.m_bounds;
    FieldCacheManager::Get()->FreeCache(m_cache);
    m_cache = nullptr;
    CreateOwnCache(other.m_cache);
    return *this;
}

CompositionNode::~CompositionNode()
{
    FieldCacheManager::Get()->FreeCache(m_cache);
    m_cache = nullptr;
}

void CompositionNode::CreateOwnCache(const FieldCache* like)
{
    FieldCacheManager* manager = FieldCacheManager::Get();
    const FieldCache::CacheType type =
        like ? static_cast<FieldCache::CacheType>(like->GetCacheType()) : FieldCache::AdaptiveUniformGrid;
    m_cache = manager->CreateCache(m_wrapper.get(), type);
    if (!m_cache) m_cache = manager->CreateCache(m_wrapper.get(), FieldCache::AdaptiveUniformGrid);
    if (like) {
        m_cache->SetFrame(like->GetFrame());
        m_cache->SetValueSampleMode(like->GetValueSampleMode());
        m_cache->SetGradientSampleMode(like->GetGradientSampleMode());
        m_cache->SetBounds(&m_bounds);
    }
}

vynimplicit::CompositionOperator* CompositionNode::GetOperator() const
{
    return dynamic_cast<vynimplicit::CompositionOperator*>(GetScalarField());
}

void CompositionNode::ReportOperatorChange(const Wml::AxisAlignedBox3<float>& before)
{
    CalculateChildData();
    if (m_cache) {
        m_cache->SetBounds(&m_bounds);
        m_cache->InvalidateAll();
    }
    if (BlobTreeNode* parent = GetParent()) parent->OnChildModified(this, UnionOfBoxes(before, m_bounds));
}

bool CompositionNode::UsesCache() const
{
    return m_cachingEnabled && GetParent() && m_cache && FieldCacheManager::IsCachingOn();
}

// ---- evaluation ------------------------------------------------------------

float CompositionNode::Value(float x, float y, float z)
{
    if (UsesCache()) {
        if (!Wml::Contained(m_bounds, Wml::Vector3<float>(x, y, z))) return 0.0f;
        return m_cache->Value(x, y, z);
    }
    return BlobTreeNode::Value(x, y, z);
}

void CompositionNode::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    if (UsesCache()) {
        if (!Wml::Contained(m_bounds, Wml::Vector3<float>(x, y, z))) {
            gx = gy = gz = 0.0f;
            if (value) *value = 0.0f;
            return;
        }
        m_cache->Gradient(x, y, z, gx, gy, gz, value);
        return;
    }
    BlobTreeNode::Gradient(x, y, z, gx, gy, gz, value);
}

float CompositionNode::CacheValue(float x, float y, float z)
{
    return BlobTreeNode::Value(x, y, z);
}

void CompositionNode::CacheGradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    BlobTreeNode::Gradient(x, y, z, gx, gy, gz, value);
}

void CompositionNode::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box = m_bounds;
}

bool CompositionNode::IsCompositionNode() const
{
    return true;
}

void CompositionNode::GetFrame(Wml::Frame3<float>& frame)
{
    frame = Wml::Frame3<float>(m_childCenter);
    if (m_cache) frame.SetRotation(m_cache->GetFrame().GetRotation(), true);
}

void CompositionNode::SetFrame(const Wml::Frame3<float>&) {}

void CompositionNode::CalculateChildData()
{
    BlobTreeNode::FieldBounds(m_bounds);
    Wml::Vector3<float> sum = Wml::Vector3<float>::ZERO;
    for (BlobTreeNode* child : m_children) {
        Wml::Frame3<float> frame;
        child->GetFrame(frame);
        sum += frame.Origin();
    }
    m_childCenter = m_children.empty() ? Wml::Vector3<float>::ZERO : sum / float(m_children.size());
}

// ---- change propagation ----------------------------------------------------

void CompositionNode::OnChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region)
{
    if (m_inTransform) return;
    CalculateChildData();
    m_cache->SetBounds(&m_bounds);
    if (BlobTreeNode* parent = GetParent()) {
        m_cache->InvalidateRegion(region);
        parent->OnChildModified(child, region);
    }
}

void CompositionNode::OnNodeModified()
{
    m_cache->InvalidateAll();
    if (BlobTreeNode* parent = GetParent()) parent->OnChildModified(this, m_bounds);
}

// ---- children --------------------------------------------------------------

bool CompositionNode::SubtreeContains(const BlobTreeNode* node) const
{
    if (node == this) return true;
    for (BlobTreeNode* child : m_children) {
        if (child == node) return true;
        if (child->IsCompositionNode() && static_cast<const CompositionNode*>(child)->SubtreeContains(node))
            return true;
    }
    return false;
}

void CompositionNode::AddChild(BlobTreeNode* child, int position)
{
    if (!child || child == this) return;
    if (std::find(m_children.begin(), m_children.end(), child) != m_children.end()) return;
    // A node that holds this one below it would make the tree a cycle.
    if (child->IsCompositionNode() && static_cast<CompositionNode*>(child)->SubtreeContains(this)) return;

    if (position < 0 || position > int(m_children.size())) position = -1;
    if (position == -1)
        m_children.push_back(child);
    else
        m_children.insert(m_children.begin() + position, child);
    if (vynimplicit::CompositionOperator* op = GetOperator()) op->AddChild(child, position);
    child->SetParent(this);
    CalculateChildData();
    m_cache->SetBounds(&m_bounds);
    Wml::AxisAlignedBox3<float> childBounds;
    child->FieldBounds(childBounds);
    OnChildModified(child, childBounds);
}

void CompositionNode::RemoveChild(BlobTreeNode* child)
{
    if (!child) return;
    if (vynimplicit::CompositionOperator* op = GetOperator()) op->RemoveChild(child);
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it != m_children.end()) m_children.erase(it);
    CalculateChildData();
    m_cache->SetBounds(&m_bounds);
    Wml::AxisAlignedBox3<float> childBounds;
    child->FieldBounds(childBounds);
    OnChildModified(child, childBounds);
}

void CompositionNode::ClearChildren()
{
    const Wml::AxisAlignedBox3<float> old = m_bounds;
    if (vynimplicit::CompositionOperator* op = GetOperator()) op->ClearChildren();
    m_children.clear();
    CalculateChildData();
    m_cache->SetBounds(&old);
    m_cache->InvalidateAll();
    if (BlobTreeNode* parent = GetParent()) parent->OnChildModified(this, old);
}

void CompositionNode::DetachDestroyedChild(BlobTreeNode* child)
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) return;
    m_children.erase(it);
    if (vynimplicit::CompositionOperator* op = GetOperator()) op->RemoveChild(child);
    CalculateChildData();
    m_cache->SetBounds(&m_bounds);
    m_cache->InvalidateAll();
}

// ---- transforms ------------------------------------------------------------

void CompositionNode::Translate(const Wml::Vector3<float>& v, bool relative)
{
    m_inTransform = true;
    Wml::Frame3<float> frame;
    GetFrame(frame);
    // The children have already been moved by the caller; an absolute move
    // shifts the cache by what the node's own frame moves, never onto v itself.
    const Wml::Vector3<float> shift = relative ? v : v - frame.Origin();
    if (relative)
        frame.Origin() += v;
    else
        frame.SetOrigin(v);
    SetFrame(frame);

    Wml::Frame3<float> cacheFrame = m_cache->GetFrame();
    cacheFrame.Origin() += shift;
    m_cache->SetFrame(cacheFrame);
    m_inTransform = false;
    CalculateChildData();
    if (BlobTreeNode* parent = GetParent()) parent->OnChildModified(this, m_bounds);
}

void CompositionNode::Rotate(const Wml::Matrix3<float>& m, bool relative)
{
    m_inTransform = true;
    Wml::Frame3<float> cacheFrame = m_cache->GetFrame();
    Wml::Matrix3<float> turn = m;
    if (!relative) {
        // The turn that takes the cache's current axes onto the axes m asks for.
        Wml::Frame3<float> target = cacheFrame;
        target.SetRotation(m, true);
        cacheFrame.ComputeAlignmentMatrix(target, turn);
    }
    cacheFrame.RotateAbout(turn, m_childCenter);
    m_cache->SetFrame(cacheFrame);
    m_inTransform = false;
    CalculateChildData();
    if (BlobTreeNode* parent = GetParent()) parent->OnChildModified(this, m_bounds);
}

bool CompositionNode::AcceptsScale(BlobTreeNode* node, const Wml::Vector3<float>& c,
                                   const Wml::Vector3<float>& s)
{
    // Every node below a scaled group ends at c + (x - c) * s, whatever the
    // nesting; a leaf's frame also has its scale multiplied. The frame's own
    // validity rule is the one leaves refuse a frame by.
    Wml::Frame3<float> frame;
    node->GetFrame(frame);
    const Wml::Vector3<float> o = frame.Origin() - c;
    frame.Origin() = c + Wml::Vector3<float>(o.X() * s.X(), o.Y() * s.Y(), o.Z() * s.Z());
    if (node->IsCompositionNode()) {
        for (BlobTreeNode* child : static_cast<CompositionNode*>(node)->m_children)
            if (!AcceptsScale(child, c, s)) return false;
    } else {
        const Wml::Vector3<float> scale = frame.Scale();
        frame.Scale() = Wml::Vector3<float>(scale.X() * s.X(), scale.Y() * s.Y(), scale.Z() * s.Z());
    }
    return frame.IsValid();
}

void CompositionNode::Scale(float sx, float sy, float sz, bool relative, bool uniform)
{
    if (!relative || !uniform) return;
    const Wml::Vector3<float> s(sx, sy, sz);
    const Wml::Vector3<float> c = m_childCenter;
    // All or nothing: a child whose frame refused the factor halfway would be
    // left on the centre with its old size.
    for (BlobTreeNode* child : m_children)
        if (!AcceptsScale(child, c, s)) return;

    const Wml::AxisAlignedBox3<float> old = m_bounds;
    ScaleChildrenAbout(c, s);
    if (BlobTreeNode* parent = GetParent()) parent->OnChildModified(this, UnionOfBoxes(old, m_bounds));
}

void CompositionNode::ScaleChildrenAbout(const Wml::Vector3<float>& c, const Wml::Vector3<float>& s)
{
    m_inTransform = true;
    // A copy: a child's report may not change the sequence, but stay safe.
    const std::vector<BlobTreeNode*> children = m_children;
    for (BlobTreeNode* child : children) {
        Wml::Frame3<float> frame;
        child->GetFrame(frame);
        const Wml::Vector3<float> o = frame.Origin() - c;
        const Wml::Vector3<float> scaled(o.X() * s.X(), o.Y() * s.Y(), o.Z() * s.Z());
        if (child->IsCompositionNode()) {
            // Nested content scales about the same centre, not its own: a
            // group's frame origin need not be its child centre (a mirror's
            // plane), and scaling about either would slide the content.
            static_cast<CompositionNode*>(child)->ScaleChildrenAbout(c, s);
            // Then the group's own frame (the plane) follows.
            child->Translate(scaled - o, true);
        } else {
            child->Translate(-o, true);
            child->Scale(s.X(), s.Y(), s.Z(), true, true);
            child->Translate(scaled, true);
        }
    }
    m_inTransform = false;
    CalculateChildData();
    m_cache->SetBounds(&m_bounds);
    // The children's reports were muted while they moved: nothing cached here
    // can be trusted, and the parent must redo the region the group left too.
    m_cache->InvalidateAll();
}

// ---- picking ---------------------------------------------------------------

void CompositionNode::SelectClosestPrimitive(const Wml::Vector3<float>& p, BlobTreeNode** node, float& value)
{
    for (BlobTreeNode* child : m_children) {
        BlobTreeNode* found = nullptr;
        float v = 0.0f;
        child->SelectClosestPrimitive(p, &found, v);
        if (std::fabs(v - 0.5f) < std::fabs(value - 0.5f)) {
            value = v;
            if (node) *node = found;
        }
    }
}

}  // namespace vynbt

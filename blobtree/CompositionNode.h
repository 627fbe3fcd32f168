#pragma once
// An inner node: wraps one composition operator of the implicit library and
// registers its child nodes as the operator's children. A composition node
// with a parent answers Value and Gradient from its field cache (returning 0
// outside its bounds), which is invalidated only where a child changed.
// Value and Gradient may run from several threads at once; edits of the tree
// (and so the invalidations they cause) only while no evaluation runs.

#include <memory>
#include <vector>

#include "blobtree/BlobTreeNode.h"
#include "blobtree/cache/FieldCache.h"

namespace vynimplicit {
class CompositionOperator;
}

namespace vynbt {

class CachedEvaluationWrapper;

class CompositionNode : public BlobTreeNode {
public:
    /// field should be a vynimplicit::CompositionOperator (not owned). The
    /// node gets its own evaluation wrapper and an adaptive-grid cache.
    CompositionNode(NodeType type, vynimplicit::ScalarField* field);
    /// Shares the operator and the children; the copy gets its own wrapper and
    /// its own cache of the same type, frame, sample modes and bounds (sharing
    /// them would free the cache twice and sample through the original node).
    CompositionNode(const CompositionNode& other);
    CompositionNode& operator=(const CompositionNode& other);
    /// Returns the cache to the manager. Destroys neither children nor operator.
    ~CompositionNode() override;

    using BlobTreeNode::Gradient;
    using BlobTreeNode::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The bounds stored by CalculateChildData (not a fresh query).
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;

    bool IsCompositionNode() const override;
    /// A frame at the child centre, turned as the node's cache has been turned.
    void GetFrame(Wml::Frame3<float>& frame) override;
    /// Does nothing: a group is placed by its children.
    void SetFrame(const Wml::Frame3<float>& frame) override;
    /// Moves the cache's frame with the group; the caller moves the children first.
    void Translate(const Wml::Vector3<float>& v, bool relative) override;
    /// Turns the cache's frame about the child centre; the caller turns the
    /// children first. An absolute rotation is converted to a relative one.
    void Rotate(const Wml::Matrix3<float>& m, bool relative) override;
    /// Scales every node below about the child centre; only relative uniform
    /// scaling acts. A factor that would give any frame below an unusable
    /// placement (zero, NaN, infinite, too small) changes nothing.
    void Scale(float sx, float sy, float sz, bool relative, bool uniform) override;
    void SelectClosestPrimitive(const Wml::Vector3<float>& p, BlobTreeNode** node, float& value) override;
    void OnChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region) override;
    /// The operator's own parameters changed: drops the whole cache and
    /// reports the node's bounds.
    void OnNodeModified() override;

    /// The operator evaluated directly, never through the cache.
    virtual float CacheValue(float x, float y, float z);
    virtual void CacheGradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value);

    unsigned int GetNumChildren() const { return static_cast<unsigned int>(m_children.size()); }
    /// The child at index i, or null when i is out of range.
    BlobTreeNode* GetChild(unsigned int i) const { return i < m_children.size() ? m_children[i] : nullptr; }
    /// Inserts child at position (-1, or past the end, appends; other negative
    /// positions append too). A null child, one already present, this node or
    /// a node whose subtree contains this node is refused.
    void AddChild(BlobTreeNode* child, int position = -1);
    void RemoveChild(BlobTreeNode* child);
    void ClearChildren();
    void EnableCaching(bool enable) { m_cachingEnabled = enable; }
    bool IsCachingEnabled() const { return m_cachingEnabled; }
    FieldCache* GetCache() const { return m_cache; }
    /// Mean of the children's frame origins (zero without children).
    const Wml::Vector3<float>& GetChildCenter() const { return m_childCenter; }
    /// The wrapped field as an operator; null when it is not one.
    vynimplicit::CompositionOperator* GetOperator() const;

protected:
    /// bounds = the operator's FieldBounds; child centre = mean of the
    /// children's frame origins.
    virtual void CalculateChildData();

    /// True while this node's own Translate, Rotate or Scale runs.
    bool IsInTransform() const { return m_inTransform; }
    /// Read-write access for subclasses that extend CalculateChildData.
    Wml::AxisAlignedBox3<float>& Bounds() { return m_bounds; }
    Wml::Vector3<float>& ChildCenter() { return m_childCenter; }
    /// True when Value and Gradient answer from the cache right now.
    bool UsesCache() const;
    /// An operator change that may move the node's bounds (a warp ball, a
    /// mirror plane): recompute them, drop the cache and report the bounds
    /// before the change together with the new ones, so the region the shape
    /// left is redone as well as the one it reaches now.
    void ReportOperatorChange(const Wml::AxisAlignedBox3<float>& before);

private:
    friend class BlobTreeNode;
    void CreateOwnCache(const FieldCache* like);
    bool SubtreeContains(const BlobTreeNode* node) const;
    /// A child destroyed while still attached leaves the sequence and the operator.
    void DetachDestroyedChild(BlobTreeNode* child);
    /// Scales every node below about c (muted), then refreshes this node's
    /// data and empties its cache.
    void ScaleChildrenAbout(const Wml::Vector3<float>& c, const Wml::Vector3<float>& s);
    /// True when node and everything below it accept being scaled by s about c.
    static bool AcceptsScale(BlobTreeNode* node, const Wml::Vector3<float>& c, const Wml::Vector3<float>& s);

    std::vector<BlobTreeNode*> m_children;
    bool m_cachingEnabled = true;
    FieldCache* m_cache = nullptr;
    bool m_inTransform = false;
    Wml::Vector3<float> m_childCenter = Wml::Vector3<float>::ZERO;
    Wml::AxisAlignedBox3<float> m_bounds;
    std::unique_ptr<CachedEvaluationWrapper> m_wrapper;
};

}  // namespace vynbt

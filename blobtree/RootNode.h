#pragma once
// The root of a tree: a composition node over a max union that never caches,
// with an optional cutting plane and the listeners told about every change.

#include <set>

#include "blobtree/CompositionNode.h"
#include "blobtree/RootNodeListener.h"

namespace vynimplicit {
class MinMaxUnion;
}

namespace vynbt {

class RootNode : public CompositionNode {
public:
    /// A root over unionOp (not owned), caching disabled, no cutting plane.
    explicit RootNode(vynimplicit::MinMaxUnion* unionOp);
    /// Copies the plane; the copy starts without listeners (they register
    /// with, and will unregister from, the root they know).
    RootNode(const RootNode& other);
    RootNode& operator=(const RootNode& other);
    /// Forgets the listeners without telling them.
    ~RootNode() override;

    using CompositionNode::Gradient;
    using CompositionNode::Value;
    /// The union's value, capped in front of the cutting plane when it is enabled.
    float Value(float x, float y, float z) override;
    /// In front of an enabled plane the value is capped and the gradient is
    /// the negated plane normal.
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// The leaf whose value is nearest 0.5 while strictly between 0 and 1;
    /// null and 0 when there is none.
    void SelectClosestPrimitive(const Wml::Vector3<float>& p, BlobTreeNode** node, float& value) override;
    /// Refreshes the bounds and tells every listener.
    void OnChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region) override;

    /// Stores the plane frame (plane through its origin, normal its Z axis).
    /// Invalidates nothing and tells no one.
    void SetCuttingPlane(const Wml::Frame3<float>& frame) { m_cuttingPlane = frame; }
    void EnableCuttingPlane(bool enable) { m_cuttingPlaneEnabled = enable; }
    /// Copies the frame; answers whether the plane is enabled.
    bool GetCuttingPlane(Wml::Frame3<float>& frame) const;

    /// Adds a listener (not owned); a listener is held at most once.
    void AddListener(RootNodeListener* listener);
    void RemoveListener(RootNodeListener* listener);
    unsigned int GetNumListeners() const { return static_cast<unsigned int>(m_listeners.size()); }

    vynimplicit::MinMaxUnion* GetUnion() const;

protected:
    /// Calls every listener in ascending pointer order. A listener removed by
    /// an earlier one during the round is not called.
    void NotifyChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region);

private:
    /// The plane's cap on a value at p; false (value unchanged) behind the plane.
    bool CapByPlane(float x, float y, float z, float& value) const;

    bool m_cuttingPlaneEnabled = false;
    Wml::Frame3<float> m_cuttingPlane;
    std::set<RootNodeListener*> m_listeners;
};

}  // namespace vynbt

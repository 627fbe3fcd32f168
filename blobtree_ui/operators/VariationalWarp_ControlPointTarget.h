#pragma once
// Handle on the target end of one warp point of a variational warp. Dragging
// it moves only the target; the source stays where it is.
//
// The handle reads and moves the point under the model's lock of the scene
// object that owns it. A handle whose point no longer exists (the set was
// replaced by a smaller one) sits at the origin, cannot be picked, draws
// nothing and ignores moves until the owner refreshes its handles.

#include "scene/GenericPointSceneObject.h"

namespace vynbt {
class VariationalWarpNode;
}

namespace vynui_bt {

class BlobTreeNodeSceneObject;

class VariationalWarp_ControlPointTarget : public vynui::GenericPointSceneObject,
                                           public vynui::GenericPointSceneObjectTarget {
public:
    VariationalWarp_ControlPointTarget(BlobTreeNodeSceneObject* owner, vynbt::VariationalWarpNode* node,
                                       unsigned int index);

    /// Target end of warp point index (the zero vector when it does not exist).
    Wml::Vector3<float> GetPosition() override;
    /// SetWarpPointSetPoint(index, current source, p), p = position or
    /// current target + position when relative.
    void SetPosition(const Wml::Vector3<float>& position, bool relative) override;

    /// Null while the point does not exist; otherwise as a generic point.
    vynui::SceneObject* Pick(const Wml::Ray3<float>& ray, float& t) override;
    /// A blue point at the target and a white line to the source.
    void Render(bool selected) override;
    const char* GetTypeName() override { return "VariationalWarpControlPoint"; }

    unsigned int GetIndex() const { return m_index; }
    /// Source and target of the point under the lock; false when it does not exist.
    bool GetSegment(Wml::Vector3<float>& from, Wml::Vector3<float>& to);

    /// Makes owner's handles one warp handle per point of node, in point
    /// order: missing handles are appended, surplus ones removed from the
    /// end and deleted. The owner must hold nothing but warp handles.
    static void SyncHandles(BlobTreeNodeSceneObject* owner, vynbt::VariationalWarpNode* node);
    /// Removes and deletes every handle of owner.
    static void DeleteHandles(BlobTreeNodeSceneObject* owner);

private:
    BlobTreeNodeSceneObject* m_owner;
    vynbt::VariationalWarpNode* m_node;
    unsigned int m_index;
};

}  // namespace vynui_bt

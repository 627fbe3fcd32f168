#pragma once
// The tool whose handles the constraint manager builds: any number of
// handles of the five kinds, each moving its own ConstraintTarget. Owns its
// handles. Keeps the handle history (saved handle sets, newest last) and
// the list of tool targets under manipulation.

#include <cstddef>
#include <vector>

#include "interact/Constraint.h"
#include "interact/ConstraintDescription.h"
#include "interact/ITool3D.h"

namespace vynui {

class ConstraintTarget;
class SceneObject;

/// The handle a pick ray chose.
struct ConstraintPick {
    Constraint* handle = nullptr;
    /// Part of its shape (vector handles: 1 is the aiming ring).
    int part = 0;
    /// From the ray origin to the hit point.
    float distance = 0.0f;
    Wml::Vector3<float> point;
};

class DynamicTool3D : public ITool3D {
public:
    static constexpr const char* NAME = "DynamicTool3D";
    /// Picks farther than this from every handle's shape choose nothing.
    static constexpr float PICK_ACCEPTANCE = 0.03f;

    DynamicTool3D();
    /// Deletes the handles.
    ~DynamicTool3D() override;

    // ---- handles

    /// Takes ownership. False (not taken) for null or a handle already held.
    bool AddHandle(Constraint* handle);
    /// Takes the handle out of the sets without deleting it (the caller owns
    /// it again). False when it is not held.
    bool RemoveHandle(Constraint* handle);
    /// Takes the handle out and deletes it. False when it is not held.
    bool DeleteHandle(Constraint* handle);
    bool HasHandle(const Constraint* handle) const;
    /// Deletes the handles (the pinned ones too unless keepPinned).
    void ClearHandles(bool keepPinned);
    /// Every handle, in the order added.
    const std::vector<Constraint*>& GetHandles() const { return m_handles; }
    /// The handles of one kind (ConstraintKind), in the order added; empty
    /// for an unknown kind.
    const std::vector<Constraint*>& GetHandles(int kind) const;
    Constraint* GetPickedHandle() const { return m_picked; }

    /// The handle the ray picks in the view last given: among the handles
    /// whose shape the ray passes within PICK_ACCEPTANCE of (hit shapes
    /// count 0), the nearest along the ray; the first added on ties. Does
    /// not change the picked handle.
    bool PickHandle(const Wml::Ray3<float>& ray, ConstraintPick& pick) const;
    /// The handle crossed by the window segment whose crossing lies nearest
    /// the eye, with that crossing; null when none is crossed.
    Constraint* CrossTestHandles(const Wml::Segment2<float>& segment, Wml::Vector3<float>& point) const;

    // ---- tool targets (each change is told to the tool's listeners)

    void AddToolTarget(SceneObject* object);
    void RemoveToolTarget(SceneObject* object);
    void ClearToolTargets();
    const std::vector<SceneObject*>& GetToolTargets() const { return m_toolTargets; }

    // ---- history

    /// One description per handle, kind by kind: vector, plane, rotation,
    /// uniform scale, axis scale.
    std::vector<ConstraintDescription> DescribeHandles() const;
    /// Appends DescribeHandles() to the history; false (nothing saved) when
    /// there are no handles.
    bool SaveHandleSet();
    std::size_t GetHistorySize() const { return m_history.size(); }
    const std::vector<std::vector<ConstraintDescription>>& GetHistory() const { return m_history; }
    /// Restores set n counted from the newest (0 = newest) for target: the
    /// unpinned handles are cleared and each description is made again with
    /// its origin (and its full frame's) at the target's current origin.
    /// False, nothing changed, when n is out of range or target is null.
    bool RestoreHandleSet(std::size_t n, ConstraintTarget* target);

    // ---- ITool3D

    void Draw(const ToolViewData& view) override;
    /// Picks a handle (PickHandle) and makes it the picked one; a miss
    /// clears the picked handle.
    bool Pick(const Wml::Ray3<float>& ray, float& distance) override;
    /// Begins or continues the picked handle's drag and applies its result
    /// to the handle's target (translate, rotate, scale by factors), or in
    /// the handle-moving modes moves the handle itself.
    void Drag(const Wml::Ray3<float>& ray, int mode) override;

private:
    std::vector<Constraint*>* KindSet(int kind);
    void SetPicked(Constraint* handle);

    std::vector<Constraint*> m_handles;
    std::vector<Constraint*> m_byKind[5];
    Constraint* m_picked = nullptr;
    bool m_dragging = false;
    std::vector<SceneObject*> m_toolTargets;
    std::vector<std::vector<ConstraintDescription>> m_history;
};

}  // namespace vynui

#pragma once
// Base of the gizmo tools: three handles along the target's own x, y and z
// axes, kept on the tool's frame. The handles have no ConstraintTarget; the
// tool applies their drags to its own target.

#include "interact/Constraint.h"
#include "interact/ITool3D.h"

namespace vynui {

class LocalAxesTool3D : public ITool3D {
public:
    ~LocalAxesTool3D() override;

    /// Re-places the handles on the new frame.
    void UpdateFrame() override;
    void Draw(const ToolViewData& view) override;
    /// The nearest handle whose shape the ray hits.
    bool Pick(const Wml::Ray3<float>& ray, float& distance) override;
    /// Begins the picked handle's drag, or applies one step of it to the
    /// target (ApplyStep). The handle-moving modes do nothing: the gizmo
    /// always stands on the target's axes.
    void Drag(const Wml::Ray3<float>& ray, int mode) override;

    /// The handle along axis i (0 x, 1 y, 2 z).
    Constraint* GetHandle(int i) const { return (i >= 0 && i < 3) ? m_handles[i] : nullptr; }
    /// Index of the picked handle, or -1.
    int GetPickedAxis() const { return m_picked; }

protected:
    LocalAxesTool3D(const std::string& name);
    /// Called by the subclass constructor with its three handles (owned).
    void SetHandles(Constraint* x, Constraint* y, Constraint* z);
    /// One drag step of handle on the target; false when nothing changed.
    virtual bool ApplyStep(Constraint* handle, const Wml::Ray3<float>& ray) = 0;

private:
    Constraint* m_handles[3] = {nullptr, nullptr, nullptr};
    int m_picked = -1;
    bool m_dragging = false;
};

}  // namespace vynui

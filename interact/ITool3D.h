#pragma once
// Base of the 3D tools: something drawn around a target that turns pointer
// drags (as pick rays) into moves of that target.

#include <set>
#include <string>
#include <vector>

#include "interact/ToolViewData.h"
#include "wml/Frame3.h"
#include "wml/Ray3.h"

namespace vynui {

class ISurfaceRayIntersector;
class ITool3DListener;
class ITool3DTarget;
class SceneObject;

/// Modes of ITool3D::Drag. The handle-moving modes move the tool's picked
/// handle itself and leave the targets alone.
enum ToolDragMode {
    TOOL_DRAG_BEGIN = 0,
    TOOL_DRAG_CONTINUE = 1,
    TOOL_MOVE_HANDLE_BEGIN = 2,
    TOOL_MOVE_HANDLE_CONTINUE = 3,
};

inline bool IsDragBegin(int mode)
{
    return mode == TOOL_DRAG_BEGIN || mode == TOOL_MOVE_HANDLE_BEGIN;
}
inline bool IsHandleMoveMode(int mode)
{
    return mode == TOOL_MOVE_HANDLE_BEGIN || mode == TOOL_MOVE_HANDLE_CONTINUE;
}

class ITool3D {
public:
    explicit ITool3D(const std::string& name);
    virtual ~ITool3D();
    ITool3D(const ITool3D&) = delete;
    ITool3D& operator=(const ITool3D&) = delete;

    const std::string& GetName() const { return m_name; }
    ITool3DTarget* GetTarget() const { return m_target; }
    /// A copy of the target's frame, taken by UpdateFrame.
    const Wml::Frame3<float>& GetFrame() const { return m_frame; }

    void AddListener(ITool3DListener* listener);
    void RemoveListener(ITool3DListener* listener);

    /// Draws with GL; view is also kept for picking (SetViewData).
    virtual void Draw(const ToolViewData& view) = 0;
    /// Whether the ray hits the tool; distance from the ray origin to the
    /// hit point. Uses the view data last given.
    virtual bool Pick(const Wml::Ray3<float>& ray, float& distance) = 0;
    /// One drag step with the pointer's ray (ToolDragMode).
    virtual void Drag(const Wml::Ray3<float>& ray, int mode) = 0;
    /// Copies the target's frame (keeps the old one without a target or
    /// when the target's frame is not finite).
    virtual void UpdateFrame();
    /// Stores the target (not owned), then UpdateFrame().
    virtual void SetTarget(ITool3DTarget* target);

    /// Whether the tool can act on this list of objects: base, a non-empty
    /// list whose every object SupportsTool(name).
    virtual bool SupportsTargets(const std::vector<SceneObject*>& targets);
    /// How large one world unit looks on screen at the tool's frame; the
    /// view scale is its inverse. Base: one quarter of the viewport height
    /// per world length of ToolViewData::WorldLengthOfQuarterView, so the
    /// view scale is that world length and a handle of nominal size 1 spans
    /// a quarter of the view wherever the tool stands. 0 when not measurable.
    virtual float GetSizeMeasure(const ToolViewData& view) const;

    void SetViewData(const ToolViewData& view) { m_view = view; }
    const ToolViewData& GetViewData() const { return m_view; }

    /// Not owned; may be null.
    void SetSurfaceIntersector(ISurfaceRayIntersector* intersector) { m_intersector = intersector; }
    ISurfaceRayIntersector* GetSurfaceIntersector() const { return m_intersector; }

protected:
    /// Tells every listener (OnToolChanged).
    void NotifyListeners();

    Wml::Frame3<float> m_frame;
    ToolViewData m_view;

private:
    std::string m_name;
    ITool3DTarget* m_target = nullptr;
    std::set<ITool3DListener*> m_listeners;
    ISurfaceRayIntersector* m_intersector = nullptr;
};

}  // namespace vynui

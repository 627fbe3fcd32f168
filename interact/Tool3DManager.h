#pragma once
// Owns the 3D tools, keeps the tool targets (the selection handed over by
// the scene's object registry) in a ToolTargetGroup, and feeds the active
// tool the presses and drags that move the targets.
//
// Input: a left press over the active, shown tool captures the stream (2);
// each drag step then continues the tool's drag (0) and tells the
// tool-action listeners; the release ends the capture (3). Everything else,
// and everything without a camera, answers 1.
//
// Pick rays come from the view data captured when the tool was last drawn
// (or, before any drawing, from the camera), so they match what is shown.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "interact/ITool3D.h"
#include "interact/ITool3DListener.h"
#include "interact/InputEvent.h"
#include "interact/ToolTargetGroup.h"
#include "interact/ToolViewData.h"
#include "scene/ToolTargetReceiver.h"

namespace Wml {
class ExtendedWmlCamera;
}

namespace vynui {

class ISurfaceRayIntersector;
class IToolActionEventListener;

class Tool3DManager : public IInputEventListener, public ITool3DListener, public ToolTargetReceiver {
public:
    Tool3DManager();
    /// Deletes the tools.
    ~Tool3DManager() override;
    Tool3DManager(const Tool3DManager&) = delete;
    Tool3DManager& operator=(const Tool3DManager&) = delete;

    /// Not owned; may be null (then no event is handled).
    void SetCamera(Wml::ExtendedWmlCamera* camera);
    Wml::ExtendedWmlCamera* GetCamera() const { return m_camera; }

    // ---- tools

    /// Takes ownership and becomes the tool's listener; the first tool
    /// added becomes active. False (not taken) for null or a name in use.
    bool AddTool(ITool3D* tool);
    /// The dynamic tool, the local translation and rotation tools and the
    /// three surface-patch tools.
    void AddStandardTools();
    ITool3D* FindTool(const std::string& name) const;
    /// In name order.
    std::vector<std::string> GetToolNames() const;
    ITool3D* GetActiveTool() const { return m_active; }
    /// Makes the named tool active and gives it the targets; false for an
    /// unknown name.
    bool SetActiveTool(const std::string& name);

    /// Stores the flag; when the active tool does not support the current
    /// targets, the tools after it in name order (then from the first) are
    /// tried and the first that supports them becomes active, or the first
    /// tool when none does.
    void Show(bool show);
    bool IsShown() const { return m_shown; }
    /// "Cycle Tool": the next tool in name order (wrapping round) that
    /// supports the targets becomes active. False when none does.
    bool CycleTool();

    bool IsDragging() const { return m_dragging; }
    /// Drags move the picked handle instead of the targets.
    void SetHandleMoveMode(bool moveHandles) { m_moveHandles = moveHandles; }
    bool IsHandleMoveMode() const { return m_moveHandles; }

    void AddToolActionListener(IToolActionEventListener* listener);
    void RemoveToolActionListener(IToolActionEventListener* listener);

    /// Handed to every tool, now and when added. Not owned.
    void SetSurfaceIntersector(ISurfaceRayIntersector* intersector);
    ISurfaceRayIntersector* GetSurfaceIntersector() const { return m_intersector; }

    ToolTargetGroup& GetTargetGroup() { return m_group; }

    // ---- view data

    /// Takes the view, sets its view scale to 1 / the active tool's size
    /// measure at its frame (kept at the last value when not measurable)
    /// and gives it to the active tool.
    void PrepareView(const ToolViewData& view);
    /// PrepareView with the camera's view data (no GL); false without a
    /// camera.
    bool UpdateViewFromCamera();
    const ToolViewData& GetViewData() const { return m_view; }
    bool HasViewData() const { return m_hasView; }
    /// The pick ray through window point (x, y) (pixel centres at +0.5).
    Wml::Ray3<float> GetPickRay(float x, float y) const { return m_view.GetPickRay(x, y); }

    /// GL: with an active, shown tool, captures the view data from GL (the
    /// screen axes measured at the depth of the camera's target), falling
    /// back on the camera when GL gives no usable matrices, prepares it and
    /// lets the tool draw.
    void Draw();

    // ---- IInputEventListener
    int OnInputEvent(const InputEvent& event) override;

    // ---- ITool3DListener: the active tool is re-targeted.
    void OnToolChanged(ITool3D* tool) override;

    // ---- ToolTargetReceiver
    void SetTargets(const std::vector<SceneObject*>& targets) override;
    /// The active tool targets the single target directly, otherwise the
    /// group, and takes its frame.
    void Refresh() override;

private:
    void Activate(ITool3D* tool);
    /// Tools in name order, starting after `after` and wrapping round; the
    /// first that supports the targets, or null.
    ITool3D* NextSupporting(const ITool3D* after) const;
    Wml::Ray3<float> RayAt(const InputEvent& event);

    Wml::ExtendedWmlCamera* m_camera = nullptr;
    std::map<std::string, ITool3D*> m_tools;
    ITool3D* m_active = nullptr;
    bool m_shown = true;
    bool m_dragging = false;
    bool m_moveHandles = false;
    ToolTargetGroup m_group;
    std::set<IToolActionEventListener*> m_actionListeners;
    ISurfaceRayIntersector* m_intersector = nullptr;
    ToolViewData m_view;
    bool m_hasView = false;
    Wml::Ray3<float> m_dragStart;
};

}  // namespace vynui

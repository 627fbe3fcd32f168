#pragma once
// Edits the handles of the dynamic tool: builds the default handles for the
// selected object, makes, turns, pins and re-aims handles by gesture, keeps
// the links (an object following a pivot or a place on a surface) and
// restores earlier handle sets from the tool's history.
//
// Ownership: the manager owns the ConstraintTarget adapters it makes (one for
// the selected object, one per object that became the manipulation target;
// an adapter is dropped once no handle uses it any more) and the surface
// anchors under the pivots it creates. A pivot it creates is owned by the
// manager until it is handed to the scene (IConstraintSceneHost::AddToScene);
// a pivot removed by a scribble is taken back from the scene and deleted
// here. The tools, the camera, the host and the scene objects are not owned.
// The scene must call ForgetObject before it deletes an object the manager
// may know (the adapters listen to their objects).
//
// Links are dropped when the selection changes and when a line makes a new
// link; other gestures keep them, so an object linked to a pivot goes on
// following while the pivot gets its handles.
//
// The direct handle edit by a line: with a suggested axis (left by a crossing
// gesture) and a selected object, a line that starts near the axis origin on
// screen and runs along the suggested direction (|cos| of the angle at least
// 0.9) makes a vector handle along the suggested axis at the manipulation
// frame, re-aiming the unpinned line-made vector handle there if one exists;
// the suggested axis is then used up. Any other line goes on to the next
// steps.

#include <cstddef>
#include <memory>
#include <vector>

#include "interact/ConstraintDescription.h"
#include "interact/ConstraintLinkSet.h"
#include "interact/HUDEventHandler.h"
#include "interact/HUDSliderWidget.h"
#include "interact/IGestureEventListener.h"
#include "interact/ISketchInterfaceComponent.h"
#include "interact/InputEvent.h"
#include "scene/IChangeListener.h"
#include "wml/Frame3.h"
#include "wml/Ray3.h"

namespace Wml {
class ExtendedWmlCamera;
}

namespace vynui {

class Constraint;
class ConstraintTarget;
class DynamicTool3D;
class HUDButton;
class PivotSO;
class SceneObject;
class SurfaceAnchor;
class Tool3DManager;
class VectorConstraint;

/// What the constraint manager needs of the scene it works in.
class IConstraintSceneHost {
public:
    virtual ~IConstraintSceneHost() = default;
    /// The object (a registered one) becomes the only selected object; the
    /// scene then tells its change listeners (selection picked).
    virtual void SelectAlone(SceneObject* object) = 0;
    /// Takes ownership of object and adds it to the scene unselected.
    virtual void AddToScene(SceneObject* object) = 0;
    /// Takes object out of the scene; the caller owns it again (and deletes it).
    virtual void RemoveFromScene(SceneObject* object) = 0;
    /// A line drawn while the sketch holds strokes belongs to the sketch.
    virtual bool SketchHasStrokes() = 0;
    virtual void RequestRedraw() = 0;
    /// The camera (with its viewport) of the view; null when there is none.
    virtual Wml::ExtendedWmlCamera* GetCamera() = 0;
};

class ConstraintManager;

/// The manipulation-history button: a press restores the newest set; dragging
/// down walks back through older ones (12 sets per HUD unit); dragging above
/// the press point clears the unpinned handles and the tool targets.
class ConstraintHistoryButtonHandler : public HUDButtonEventHandler,
                                       public HUDSliderWidget::IHUDSliderTarget {
public:
    explicit ConstraintHistoryButtonHandler(ConstraintManager* manager) : m_manager(manager) {}

    void OnPress(const Wml::Vector2<float>& point) override;
    void OnDrag(const Wml::Vector2<float>& delta) override;
    void OnRelease(const Wml::Vector2<float>& point) override;

    bool IsShown(HUDSliderWidget* widget) override;
    /// index / (n - 1), 0 with fewer than two sets.
    float GetFraction(HUDSliderWidget* widget) override;

    bool IsActive() const { return m_active; }
    int GetIndex() const { return m_index; }
    std::size_t GetSetCount() const { return m_count; }

private:
    ConstraintManager* m_manager;
    bool m_active = false;
    std::size_t m_count = 0;
    int m_index = 0;
    Wml::Vector2<float> m_press{0.0f, 0.0f};
    Wml::Vector2<float> m_current{0.0f, 0.0f};
};

class ConstraintManager : public IInputEventListener,
                          public IGestureEventListener,
                          public IChangeListener,
                          public ISketchInterfaceComponent {
public:
    /// Either may be null and be given later.
    explicit ConstraintManager(IConstraintSceneHost* host = nullptr, Tool3DManager* tools = nullptr);
    ~ConstraintManager() override;
    ConstraintManager(const ConstraintManager&) = delete;
    ConstraintManager& operator=(const ConstraintManager&) = delete;

    void SetHost(IConstraintSceneHost* host) { m_host = host; }
    IConstraintSceneHost* GetHost() const { return m_host; }
    /// Finds "DynamicTool3D" among its tools (null: no tool).
    void SetToolManager(Tool3DManager* tools);
    DynamicTool3D* GetTool() const { return m_tool; }

    // ---- state
    SceneObject* GetSelectedObject() const { return m_selected; }
    /// The adapter handles are made for (the manipulation target), or null.
    ConstraintTarget* GetCurrentTarget() const { return m_current; }
    const Wml::Frame3<float>& GetManipulationFrame() const { return m_manipFrame; }
    ConstraintLinkSet& GetLinks() { return m_links; }
    const std::vector<ConstraintDescription>& GetCandidateAxes() const { return m_candidates; }
    /// Each suggested axis is a description (origin, axis) with the
    /// manipulation frame it was suggested in.
    const std::vector<ConstraintDescription>& GetSuggestedAxes() const { return m_suggested; }
    VectorConstraint* GetCapturedHandle() const { return m_captured; }

    // ---- actions
    /// The default handles: a plane handle of mode 4 on the manipulation
    /// frame and a ring about its z axis, after saving the set. False without
    /// a tool or a target.
    bool BuildDefaultHandles();
    /// Restores saved set n (0 = newest) for the current target.
    bool RestoreHistory(std::size_t n);
    bool IsRecording() const { return m_recording; }
    void SetRecording(bool recording) { m_recording = recording; }
    /// Clears the unpinned handles and the tool targets.
    void ClearUnpinnedAndToolTargets();
    /// Call before deleting object: drops its links, its handles (pinned
    /// too), its adapter, and forgets it as selected object or tool target.
    void ForgetObject(SceneObject* object);

    /// "ScreenManipButton" (icon "screenManip.png"): activating it builds
    /// the default handles. Owned by the manager.
    HUDButton* GetScreenManipButton() const { return m_screenManipButton; }
    /// With a current target, offers the screen-manipulation button among
    /// the sketch's suggestions.
    void AddSuggestions(HUDToolbar* toolbar) override;
    /// "ConstraintHistory" (icon "manipHistory.png") with its slider. Owned.
    HUDButton* GetHistoryButton() const { return m_historyButton; }
    ConstraintHistoryButtonHandler& GetHistoryHandler() { return m_historyHandler; }

    /// GL: the link arrows, the suggested axes, and the candidate axes while
    /// a vector handle is being re-aimed.
    void Draw();

    // ---- IInputEventListener
    int OnInputEvent(const InputEvent& event) override;

    // ---- IGestureEventListener
    bool OnTap(const Wml::Vector2<float>& point) override;
    bool OnLine(const GestureSegment& segment) override;
    bool OnHairpin(const GestureSegment& segment) override;
    bool OnCorner(const GestureTriple& triple) override;
    bool OnScribble(const Wml::Box2<float>& box) override;
    bool OnCrossing(const GestureTriple& triple) override;

    // ---- IChangeListener
    void OnSelectionChanged(const OrderedObjectSet& selection) override;
    void OnSelectionPicked(const OrderedObjectSet& selection) override;
    void OnObjectsModified(const OrderedObjectSet& selection) override;

private:
    class ScreenManipHandler;

    Wml::ExtendedWmlCamera* Camera() const;
    bool Ready() const;
    /// Makes the tool's view current when it has never been drawn.
    void EnsureView();
    Wml::Ray3<float> RayThrough(const Wml::Vector2<float>& point) const;
    void Redraw();
    void SaveHistory();
    void SelectionChanged(const OrderedObjectSet& selection);
    /// The adapter for object, made when missing.
    ConstraintTarget* TargetFor(SceneObject* object);
    void SetCurrentTarget(SceneObject* object);
    /// Deletes adapters no handle uses, except the current one.
    void DropUnusedTargets();
    /// The nearest tool target the ray picks.
    SceneObject* PickToolTarget(const Wml::Ray3<float>& ray, float* t = nullptr) const;

    bool DirectEdit(const GestureSegment& segment);
    bool ToggleScaleHandles(const GestureSegment& segment);
    bool MakeLink(const GestureSegment& segment);
    bool Relink(const GestureSegment& segment);
    bool AimHandles(const GestureSegment& segment);
    void RebuildCandidates();
    bool ApplyCrossedLink(const Wml::Vector2<float>& p0, const Wml::Vector2<float>& p1);
    void TurnRing(Constraint* ring, const Wml::Vector3<float>& crossing);
    void ReaimCaptured(const InputEvent& event);
    /// Links object to the selected object as a re-link does.
    void LinkToSelection(SceneObject* object);

    IConstraintSceneHost* m_host = nullptr;
    Tool3DManager* m_tools = nullptr;
    DynamicTool3D* m_tool = nullptr;

    SceneObject* m_selected = nullptr;
    ConstraintTarget* m_current = nullptr;
    std::vector<ConstraintTarget*> m_targets;  // owned
    Wml::Frame3<float> m_manipFrame;
    ConstraintLinkSet m_links;
    SceneObject* m_relinked = nullptr;  // the object the last re-link tied
    std::vector<ConstraintDescription> m_candidates;
    std::vector<ConstraintDescription> m_suggested;
    VectorConstraint* m_captured = nullptr;
    bool m_recording = true;
    bool m_addingToScene = false;

    std::vector<std::pair<PivotSO*, SurfaceAnchor*>> m_anchors;  // anchors owned

    std::unique_ptr<ScreenManipHandler> m_screenManipHandler;
    HUDButton* m_screenManipButton = nullptr;
    ConstraintHistoryButtonHandler m_historyHandler;
    HUDButton* m_historyButton = nullptr;
    HUDSliderWidget* m_historySlider = nullptr;
};

/// The process-wide manager, made on first use.
ConstraintManager& GetConstraintManager();

}  // namespace vynui

#pragma once
// The sketch interface: strokes from the gesture engine go into a stroke
// factory, the sketch is projected onto the scene, the operations that fit
// are offered on the suggestion toolbar, and a chosen operation turns the
// current outline into a shape through the scene manager.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "interact/IGestureEventListener.h"
#include "interact/ISketchInterfaceComponent.h"
#include "scene/CommandTarget.h"
#include "scene/IChangeListener.h"
#include "sketch/StrokeFactory.h"
#include "wml/AxisAlignedBox2.h"
#include "wml/Frame3.h"
#include "wml/LinearComplex2.h"
#include "wml/Ray3.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace Wml {
class ExtendedWmlCamera;
}

namespace vynui_bt {
class BlobTreeNodeSceneObject;
}

namespace vynui {

class CSceneManager;
class CSurfaceManager;
class HUDButton;
class HUDToolbar;
class SceneObject;

/// One stroke vertex cast into the scene.
struct SketchSample {
    int strokeIndex = -1;  ///< -1 for samples of the polyline
    Wml::Vector2<float> screenPoint = Wml::Vector2<float>(0.0f, 0.0f);
    Wml::Vector3<float> surfacePoint = Wml::Vector3<float>::ZERO;
    Wml::Vector3<float> surfaceNormal = Wml::Vector3<float>::ZERO;
    /// The BlobTree scene object hit, or the top surface node when casting
    /// against a detail surface; null on a miss.
    void* object = nullptr;
};

/// The sketch as projected onto the scene.
struct SketchContext {
    struct Range {
        unsigned first = 0;
        unsigned count = 0;
    };
    std::vector<SketchSample> strokeSamples;
    std::vector<SketchSample> polylineSamples;
    Wml::LinearComplex2<float> polyline;
    std::vector<Range> strokeRanges;
    /// True when the objects were hit on a detail surface (surface nodes).
    bool onDetailSurface = false;

    void Clear()
    {
        strokeSamples.clear();
        polylineSamples.clear();
        polyline.Clear();
        strokeRanges.clear();
        onDetailSurface = false;
    }
};

class SketchObserver {
public:
    virtual ~SketchObserver() = default;
    virtual void OnSketchChanged() = 0;
};

class SketchOptionsDialogListener {
public:
    virtual ~SketchOptionsDialogListener() = default;
    virtual SceneObject* RunOperation(int code) = 0;
};

/// The "Sketch Options" dialog without its window: the operation list, and
/// the parameter slider with its label.
class CSketchOptionsDialog {
public:
    static constexpr const char* NO_OPTION = "No Option";
    static constexpr int SLIDER_RANGE = 1000;

    explicit CSketchOptionsDialog(SketchOptionsDialogListener* listener);

    const std::vector<std::string>& GetItems() const { return m_items; }
    /// Runs the operation whose text is text; null (nothing run) otherwise.
    SceneObject* OnItemDoubleClicked(const std::string& text);

    void SetParameterSlider(float minimum, float maximum, float value, const std::string& label);
    const std::string& GetSliderLabel() const { return m_label; }
    bool IsSliderEnabled() const { return m_sliderEnabled; }
    int GetSliderPosition() const { return m_position; }

private:
    SketchOptionsDialogListener* m_listener;
    std::vector<std::string> m_items;
    std::string m_label = NO_OPTION;
    bool m_sliderEnabled = false;
    int m_position = 500;
};

class CSketchManager : public CommandTarget,
                       public SketchOptionsDialogListener,
                       public IGestureEventListener,
                       public IChangeListener,
                       public ISketchInterfaceComponent {
public:
    enum Operation {
        LinearSweep = 0,
        BlobbySweep = 1,
        BezierSweep = 2,
        Revolution = 3,
        BlendSweepToSurface = 4,
        BlendRevolutionToSurface = 5,
        CutFromSurface = 6,
        PointsLine = 7,
        SurfacePointsLine = 8,
        ResizeSweep = 9,
        JoinUnion = 10,
        JoinBlend = 11,
        NumOperations = 12
    };
    /// Dialog text of an operation code; empty when it has none.
    static std::string OperationText(int code);

    enum ButtonIndex {
        ClearSketchButton = 0,
        BlobbySweepButton,
        LinearSweepButton,
        BlendBlobbySweepButton,
        CutSurfaceButton,
        RevolutionButton,
        SurfacePointsLineButton,
        ResizeSweepButton,
        JoinUnionButton,
        JoinBlendButton,
        NumButtons
    };

    CSketchManager(CSceneManager* scene, CSurfaceManager* surfaces, Wml::ExtendedWmlCamera* camera);
    ~CSketchManager() override;
    CSketchManager(const CSketchManager&) = delete;
    CSketchManager& operator=(const CSketchManager&) = delete;

    // commands
    bool OnCommand(const std::string& menuText) override;
    bool OnUpdateCommand(const std::string& menuText, CommandState& state) override;

    // gestures
    bool OnStroke(const GestureStroke& stroke) override;
    bool OnLine(const GestureSegment& segment) override;
    bool OnScribble(const Wml::Box2<float>& box) override;
    bool OnCircle(const Wml::Box2<float>& box) override;

    // scene changes
    void OnCuttingPlaneSet(const Wml::Frame3<float>& frame) override;
    void OnCuttingPlaneCleared() override;
    bool IsCuttingPlaneActive() const { return m_cuttingPlaneActive; }

    // suggestions
    bool IsExclusive() override { return false; }
    void AddSuggestions(HUDToolbar* toolbar) override;
    void AddComponent(ISketchInterfaceComponent* component);
    void RemoveComponent(ISketchInterfaceComponent* component);
    void UpdateSuggestions();
    HUDToolbar* GetToolbar() const { return m_toolbar.get(); }
    HUDButton* GetButton(int index) const;
    bool GetSuggest() const { return m_suggest; }
    void SetSuggest(bool on);

    /// While set the view leaves out the scene manager's object layer, so
    /// only the surfaces (and the sketch) are drawn.
    void SetSurfaceOnly(bool on) { m_surfaceOnly = on; }
    bool GetSurfaceOnly() const { return m_surfaceOnly; }

    SceneObject* RunOperation(int code) override;
    SceneObject* GetLastCreatedObject() const { return m_lastCreated; }
    int GetLastOperation() const { return m_lastOperation; }
    void SetResizePoints(const Wml::Vector3<float>& a, const Wml::Vector3<float>& b);

    void ReplayLastStroke();
    void PopStroke();
    /// Undo of the sketch: takes the newest stroke out and keeps it for
    /// RedoStroke. False when there is no stroke.
    bool UndoStroke();
    /// Puts back the stroke UndoStroke took last, while the sketch is as
    /// UndoStroke left it. False when there is none to put back.
    bool RedoStroke();
    bool CanRedoStroke() const { return !m_undoneStrokes.empty(); }
    /// Forgets the strokes kept for RedoStroke.
    void DropUndoneStrokes();
    void ClearSketch();

    void AddObserver(SketchObserver* observer) { m_observers.insert(observer); }
    void RemoveObserver(SketchObserver* observer) { m_observers.erase(observer); }

    /// The view's viewport {x, y, width, height}.
    void SetDrawingAreaSize(const unsigned int area[4]);

    /// The sketch overlay; needs a current GL context.
    void Draw();

    vynsketch::StrokeFactory& GetStrokeFactory() { return *m_factory; }
    CSketchOptionsDialog& GetOptionsDialog() { return *m_dialog; }
    const SketchContext& GetContext() const { return m_context; }
    bool HasClosedPolyLine() const;
    Wml::AxisAlignedBox2<float> GetStrokeBox(unsigned stroke) const;
    unsigned GetNumStrokeSamples() const { return unsigned(m_context.strokeSamples.size()); }
    void* GetFirstHitObject() const;
    void* GetLastHitObject() const;
    /// Hit (true) / miss (false) of the first stroke sample and every change after.
    std::vector<bool> RunPattern() const;
    bool AllHit() const;

    /// Places the outline's screen box in 3D; false when the camera cannot.
    bool Compute3DFrame(const Wml::AxisAlignedBox2<float>& box, Wml::Frame3<float>& frame, float& halfWidth,
                        float& halfHeight, bool attach, void* requiredHit);
    bool IsCuttingPlaneGesture() const;

private:
    class ButtonHandler;

    void Intake(const std::vector<Wml::Vector2<float>>& points);
    void Project();
    void CastSample(SketchSample& sample);
    bool PlaneOrSuggestions();
    void CuttingPlaneAction();
    void NotifyObservers();
    vynui_bt::BlobTreeNodeSceneObject* HitNode(void* object) const;
    bool AnyBlobTreeObject() const;
    Wml::Ray3<float> PickRay(const Wml::Vector2<float>& point) const;

    SceneObject* RunTemplateOperation(int code);
    SceneObject* RunJoin(bool blend);
    SceneObject* RunSurfacePoints();
    SceneObject* RunResize();

    CSceneManager* m_scene;
    CSurfaceManager* m_surfaces;
    Wml::ExtendedWmlCamera* m_camera;
    std::unique_ptr<vynsketch::StrokeFactory> m_factory;
    // Strokes UndoStroke took out, newest last; owned. Any other change of
    // the sketch drops them.
    std::vector<vynsketch::StrokeFactory::TimedStroke> m_undoneStrokes;
    bool m_inSketchStroke = false;
    bool m_cuttingPlaneActive = false;
    std::vector<Wml::Vector2<float>> m_lastStroke;
    Wml::Vector3<float> m_resizePoints[2] = {Wml::Vector3<float>::ZERO, Wml::Vector3<float>::ZERO};
    SceneObject* m_lastCreated = nullptr;
    int m_lastOperation = -1;
    SketchContext m_context;
    std::set<SketchObserver*> m_observers;
    std::vector<ISketchInterfaceComponent*> m_components;
    std::unique_ptr<CSketchOptionsDialog> m_dialog;
    std::vector<std::unique_ptr<HUDButton>> m_buttons;
    std::unique_ptr<HUDToolbar> m_toolbar;
    std::vector<std::unique_ptr<ButtonHandler>> m_handlers;
    bool m_suggest = true;
    bool m_surfaceOnly = false;
    bool m_drawnOnce = false;
};

/// The process-wide manager, made on first use with the current scene
/// manager, the process-wide surface manager and the given camera.
CSketchManager* GetSketchManager(Wml::ExtendedWmlCamera* camera = nullptr);

}  // namespace vynui

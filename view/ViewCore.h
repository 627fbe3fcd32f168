#pragma once
// Everything the 3D view does apart from the window toolkit's plumbing. It
// makes and wires the managers in the program's order (who gets the first
// refusal of input and gestures, who hears of scene changes), turns mouse,
// key, focus, resize and timer calls into input events and camera moves,
// routes menu commands (sketch, scene, rendering, surface and animation
// managers first, then its own), and runs the drawing pass in order with
// animation playback. The Qt view only forwards its events here and paints
// through Render(); a test or a replay script drives the same entry points.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "interact/ITool3D.h"
#include "interact/InputEvent.h"
#include "interact/ViewController.h"
#include "interact/ViewInputAdapter.h"
#include "scene/CommandTarget.h"
#include "scene/IChangeListener.h"
#include "surface/RenderingManager.h"
#include "view/CameraInterpolator.h"
#include "view/DocumentState.h"
#include "view/UndoHistory.h"
#include "wml/ExtendedWmlCamera.h"

namespace vynui_tex {
class CDecalManager;
class CMeshEditManager;
class CTextureManager;
}  // namespace vynui_tex

namespace vynui {

class CAnimationManager;
class CAnimationPlayer;
class CHUDManager;
class CInputEventStream;
class ConstraintManager;
class CSceneManager;
class CSketchManager;
class CSurfaceManager;
struct SceneFileContext;
class GestureEngine;
class MeshExport;
class ParameterEditor;
class ShadingOverlay;
class SurfaceIntersector;
class Tool3DManager;
class UserInterface;

class CViewCore : public IChangeListener, public IViewListener, public IRenderingListener {
public:
    /// Where the shared managers come from: the process-wide ones (the
    /// program, one view), or fresh ones owned by this view (tests, several
    /// views in one process). Fresh views start no background workers.
    enum class Managers { ProcessWide, Own };

    /// Builds and wires everything that needs no GL context, in the order the
    /// view construction and initial update define.
    explicit CViewCore(Managers managers = Managers::ProcessWide);
    ~CViewCore() override;
    CViewCore(const CViewCore&) = delete;
    CViewCore& operator=(const CViewCore&) = delete;

    // ---- hooks to the window (all optional)

    /// Not owned. Prompts, status line and title go through it.
    void SetUserInterface(UserInterface* ui);
    UserInterface* GetUserInterface() const { return m_ui; }
    /// Asks the window to paint again (Qt: update()).
    void SetRepaintRequest(std::function<void()> request) { m_repaint = std::move(request); }
    /// Tells the window which frame title to show ("Model View : W x H").
    void SetFrameTitleSink(std::function<void(const std::string&)> sink) { m_frameTitle = std::move(sink); }
    /// Asks the window for one of its own things by name: a dialog's form
    /// ("Polygonizer Control", "Lighting Control", "Point Set Control",
    /// "Refine Mesh", "Caching Control", "Set World Dimensions", "About",
    /// "Gestures and Keys"),
    /// or a window action ("Field Image", "Refresh Field Image", "RayTrace",
    /// "Render RayTrace", "Resize Frame").
    void SetWindowRequest(std::function<void(const std::string&)> request) { m_window = std::move(request); }
    /// Called after every drawn frame (the parameter panel refreshes).
    void SetFrameDrawnHook(std::function<void()> hook) { m_frameDrawn = std::move(hook); }
    /// Told the path of every scene file saved whole or read (recent files).
    void SetFileUsedSink(std::function<void(const std::string&)> sink) { m_fileUsed = std::move(sink); }
    /// The window says whether its "Field Image" window is open (check mark).
    void SetFieldImageOpen(bool open) { m_fieldImageOpen = open; }
    /// The listeners the window adds to the scene's change listeners between
    /// the view itself and the rendering manager (the two docked panels).
    void AddPanelListener(IChangeListener* panel);

    // ---- GL life (context current)

    /// What needs a context: GL state, then the background workers.
    void InitGL();
    /// Frees GL objects before the context goes away.
    void ReleaseGL();
    /// Zero sizes change nothing.
    void Resize(int width, int height);
    /// The drawing pass: renderer, object layer, sketch, tools, HUD, then
    /// animation playback and the frame-rate text.
    void Render();

    // ---- input (y counted from the top, in pixels)

    /// Answer: the window should grab (press) or let go (release) the mouse.
    bool MousePress(ViewInputAdapter::Button button, int x, int yDown, bool alt);
    bool MouseRelease(ViewInputAdapter::Button button, int x, int yDown);
    void MouseMove(int x, int yDown);
    /// A character key (the keys of view/ViewKeys.h, else an input event).
    void Character(int key);
    /// Space and Escape and the Alt key; autoRepeat as the window reports it.
    void SpecialKeyDown(int key, bool autoRepeat);
    void SpecialKeyUp(int key, bool autoRepeat);
    void FocusIn(bool altHeld);
    void FocusOut();
    enum SpecialKey { KEY_SPACE = 1, KEY_ESCAPE = 2, KEY_ALT = 3 };

    // ---- timers

    /// The 25 ms timer: time listeners in order until one reports a change.
    void OnTimer(std::int64_t counter);
    void OnTimer();
    /// The 10 ms camera-transition timer; false once the transition ended.
    bool OnCameraTimer();
    bool IsCameraMoving() const { return m_interpolator.IsRunning(); }

    // ---- commands

    /// The first of sketch, scene, rendering, surface, animation managers,
    /// then the view, that takes the command. False when nobody does.
    bool RouteCommand(const std::string& menuText);
    /// Enabled and checked state for a menu entry; false when nobody knows it
    /// (the window then shows it disabled).
    bool UpdateCommand(const std::string& menuText, CommandState& state);
    /// Reads a scene file (current or older format) into the scene, as
    /// "Open..." does once the path is chosen (recent files, dropped files).
    bool OpenPath(const std::string& path);
    /// When the scene holds unsaved changes, asks to save them first (Save,
    /// Discard, Cancel); Save writes to the scene's file, or asks for one
    /// when it has none. True when the caller may go on: nothing unsaved,
    /// saved, or discarded; false on Cancel or a failed save.
    bool OfferToSaveChanges();
    /// The whole scene as scene-file text, as Save writes it (camera and
    /// texture records too, unlike the undo steps of SceneSnapshot.h).
    bool SnapshotWholeScene(std::string& text);
    /// Adds a scene from scene-file text (a recovered autosave): it counts as
    /// unsaved and has no file. False, with the scene untouched, when the
    /// text is no scene.
    bool RestoreScene(const std::string& text);
    /// A file dropped on the window: a scene opens as with OpenPath, a mesh
    /// is imported as "Import Mesh" imports it, any other file is refused
    /// with a message (DroppedFiles.h). True when the scene grew.
    bool OpenDroppedFile(const std::string& path);
    /// Undo / redo: while the sketch has strokes (or strokes to put back)
    /// they go first, then the scene's steps. False when there was nothing.
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    /// Records the scene as an undo step when it changed since the last one
    /// and no mouse button is held; every user action ends with it.
    void CheckpointUndo();
    UndoHistory& GetUndoHistory() { return m_history; }
    /// The commands the view handles itself.
    static const std::vector<std::string>& ViewCommandNames();
    /// Shown disabled: no handler (edit menu), or the surface-detail layer
    /// that is not built.
    static bool IsDisabledCommand(const std::string& menuText);

    // ---- parts, for the window and tests

    CSceneManager* GetSceneManager() const { return m_scene; }
    CSketchManager* GetSketchManager() const { return m_sketch; }
    CSurfaceManager* GetSurfaceManager() const { return m_surfaces; }
    /// The status line after a frame: its rate, and a warning while the
    /// model's surface misses a part (a run stopped at the cell limit).
    std::string FrameStatus() const;
    CRenderingManager& GetRenderingManager() { return *m_rendering; }
    CHUDManager& GetHUDManager() { return *m_hud; }
    CAnimationManager& GetAnimationManager() { return *m_animation; }
    CAnimationPlayer& GetAnimationPlayer() { return *m_player; }
    Tool3DManager& GetToolManager() { return *m_tools; }
    GestureEngine& GetGestureEngine() { return *m_gestures; }
    ConstraintManager& GetConstraintManager() { return *m_constraints; }
    ParameterEditor& GetParameterEditor() { return *m_parameters; }
    /// Mesh export and its "Set World Dimensions" dialog model.
    MeshExport& GetMeshExport() { return *m_export; }
    vynui_tex::CTextureManager& GetTextureManager() { return *m_textures; }
    CInputEventStream& GetInputStream() { return *m_stream; }
    ViewInputAdapter& GetInputAdapter() { return m_input; }
    ViewController& GetViewController() { return m_viewController; }
    Wml::ExtendedWmlCamera& GetCamera() { return m_camera; }
    ShadingOverlay& GetShadingOverlay() { return *m_overlay; }
    /// Unsaved changes and the scene's file.
    DocumentState& GetDocument() { return m_document; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsHUDVisible() const { return m_hudVisible; }
    /// The last frame-rate text ("%.2f FPS").
    const std::string& GetFPSText() const { return m_fpsText; }
    /// The view key: input streams and per-view scene managers use it.
    const void* Key() const { return this; }

    // ---- listener roles
    void OnViewChanged(ViewController& controller) override;
    void OnRenderingChanged() override;
    void OnRedrawRequested() override;

private:
    void BuildManagers(Managers managers);
    void Wire();
    void Unwire();
    void RequestRepaint();
    bool OnViewCommand(const std::string& menuText);
    bool OnUpdateViewCommand(const std::string& menuText, CommandState& state);
    std::vector<CommandTarget*> CommandChain() const;
    void ToggleFastPrimitiveMode();
    void ToggleCaching();
    void StartCameraTransition();
    void StepAnimation();
    void ShowStatus(const std::string& text);
    void AskWindow(const std::string& what);
    SceneFileContext FileContext();
    /// The title and its unsaved-changes mark, to the window.
    void ShowDocumentState();
    /// Reads path as "Open..." does; the document follows.
    bool OpenAndTrack(const std::string& path);

    // Owned when the view made them (Managers::Own), else process-wide.
    std::unique_ptr<CSceneManager> m_ownScene;
    std::unique_ptr<CSurfaceManager> m_ownSurfaces;
    std::unique_ptr<ConstraintManager> m_ownConstraints;
    std::unique_ptr<CSketchManager> m_ownSketch;
    std::unique_ptr<ParameterEditor> m_ownParameters;
    std::unique_ptr<SurfaceIntersector> m_ownIntersector;
    bool m_processWide = true;

    Wml::ExtendedWmlCamera m_camera;
    ViewController m_viewController;
    CInputEventStream* m_stream = nullptr;
    ViewInputAdapter m_input;
    CameraInterpolator m_interpolator;
    std::unique_ptr<ShadingOverlay> m_overlay;

    CSceneManager* m_scene = nullptr;
    CSketchManager* m_sketch = nullptr;
    CSurfaceManager* m_surfaces = nullptr;
    ConstraintManager* m_constraints = nullptr;
    ParameterEditor* m_parameters = nullptr;
    std::unique_ptr<CRenderingManager> m_rendering;
    std::unique_ptr<vynui_tex::CTextureManager> m_textures;
    std::unique_ptr<vynui_tex::CMeshEditManager> m_meshEdit;
    std::unique_ptr<vynui_tex::CDecalManager> m_decals;
    std::unique_ptr<CHUDManager> m_hud;
    std::unique_ptr<CAnimationManager> m_animation;
    std::unique_ptr<CAnimationPlayer> m_player;
    std::unique_ptr<Tool3DManager> m_tools;
    std::unique_ptr<GestureEngine> m_gestures;
    std::unique_ptr<MeshExport> m_export;
    std::vector<IChangeListener*> m_panels;
    DocumentState m_document;

    // Last change listener: once the handles' manager has taken a new
    // selection, the suggestion bar offers what fits it (the default handles).
    struct SuggestionRefresher : IChangeListener {
        CSketchManager* sketch = nullptr;
        void OnSelectionChanged(const OrderedObjectSet& selection) override;
        void OnSelectionPicked(const OrderedObjectSet& selection) override;
    } m_suggestionRefresher;

    // Hears every scene change; the next checkpoint records a step.
    struct UndoWatcher : IChangeListener {
        bool touched = false;
        bool muted = false;
        void Touch() { touched = touched || !muted; }
        void OnSceneChanged() override { Touch(); }
        void OnObjectsModified(const OrderedObjectSet&) override { Touch(); }
        void OnTreeChanged() override { Touch(); }
        void OnCuttingPlaneSet(const Wml::Frame3<float>&) override { Touch(); }
        void OnCuttingPlaneCleared() override { Touch(); }
    } m_undoWatcher;
    UndoHistory m_history;
    int m_buttonsHeld = 0;
    void RestoreUndoStep(const std::string& text);

    UserInterface* m_ui = nullptr;
    std::function<void()> m_repaint;
    std::function<void(const std::string&)> m_frameTitle;
    std::function<void(const std::string&)> m_window;
    std::function<void()> m_frameDrawn;
    std::function<void(const std::string&)> m_fileUsed;

    int m_width = 0;
    int m_height = 0;
    bool m_hudVisible = true;
    bool m_spaceHeld = false;
    bool m_glReady = false;
    bool m_workersStarted = false;
    bool m_fieldImageOpen = false;
    std::string m_fpsText;
    std::vector<unsigned char> m_framePixels;
};

}  // namespace vynui

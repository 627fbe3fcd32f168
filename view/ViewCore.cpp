#include "view/ViewCore.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "animation/AnimationManager.h"
#include "animation/AnimationPlayer.h"
#include "animation/FrameImage.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "detail/DecalManager.h"
#include "detail/MeshEditManager.h"
#include "detail/TextureManager.h"
#include "interact/ConstraintManager.h"
#include "interact/DrawingScale.h"
#include "interact/GestureEngine.h"
#include "interact/HUDManager.h"
#include "interact/InputEventStream.h"
#include "interact/Tool3DManager.h"
#include "persist/MeshExport.h"
#include "persist/SaveLoadManager.h"
#include "persist/SceneFileCommands.h"
#include "scene/ParameterEditor.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "scene/UserInterface.h"
#include "sketch_ui/SketchManager.h"
#include "surface/BackgroundProcessManager.h"
#include "surface/IsoSurfaceMesh.h"
#include "surface/ShadingOverlay.h"
#include "surface/SurfaceIntersector.h"
#include "surface/SurfaceManager.h"
#include "view/DroppedFiles.h"
#include "view/SceneSnapshot.h"
#include "wml/DebugOutput.h"

namespace vynui {

namespace {

const char* const kNewSceneQuestion =
    "Creating a new scene will discard all existing objects. Is this what you want to do?";
const char* const kSaveChangesTitle = "Unsaved Changes";
const char* const kRayTraceQuestion =
    "Do you really want to raytrace? It will take a long time, and the results are not very nice...";

bool IsOneOf(const std::string& text, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (text == name) return true;
    return false;
}

}  // namespace

// ---- construction and wiring

CViewCore::CViewCore(Managers managers)
    : m_camera(1.0f, 1.0f),
      m_viewController(&m_camera),
      m_stream(CInputEventStream::GetStream(this)),
      m_input(m_stream, &m_viewController)
{
    m_overlay = std::make_unique<ShadingOverlay>();
    // This view is the current one for input streams and per-view scenes.
    CInputEventStream::SetCurrentView(this);
    SetCurrentSceneView(this);

    // The camera at (0, 0, 5) looking at the origin, before anything needs it.
    m_camera.SetFrameLookAt(Wml::Vector3<float>(0.0f, 0.0f, 5.0f), Wml::Vector3<float>(-1.0f, 0.0f, 0.0f),
                            Wml::Vector3<float>(0.0f, 1.0f, 0.0f), Wml::Vector3<float>(0.0f, 0.0f, 0.0f));
    BuildManagers(managers);
    Wire();
    std::string scene;
    vynui::SnapshotScene(m_scene, scene);
    m_history.Reset(scene);
}

void CViewCore::BuildManagers(Managers managers)
{
    m_processWide = managers == Managers::ProcessWide;
    if (m_processWide) {
        m_scene = vynui::GetSceneManager();
        m_surfaces = vynui::GetSurfaceManager();
        m_sketch = vynui::GetSketchManager(&m_camera);
        m_constraints = &vynui::GetConstraintManager();
        m_parameters = &vynui::GetParameterEditor();
    } else {
        m_ownScene = std::make_unique<CSceneManager>();
        m_ownSurfaces = std::make_unique<CSurfaceManager>();
        m_ownConstraints = std::make_unique<ConstraintManager>();
        m_ownSketch = std::make_unique<CSketchManager>(m_ownScene.get(), m_ownSurfaces.get(), &m_camera);
        m_ownParameters =
            std::make_unique<ParameterEditor>(nullptr, m_ownSurfaces.get(), m_ownConstraints.get());
        m_ownIntersector = std::make_unique<SurfaceIntersector>();
        m_ownIntersector->SetSurfaceManager(m_ownSurfaces.get());
        m_scene = m_ownScene.get();
        m_surfaces = m_ownSurfaces.get();
        m_sketch = m_ownSketch.get();
        m_constraints = m_ownConstraints.get();
        m_parameters = m_ownParameters.get();
    }

    m_textures = std::make_unique<vynui_tex::CTextureManager>();
    m_meshEdit = std::make_unique<vynui_tex::CMeshEditManager>();
    m_decals = std::make_unique<vynui_tex::CDecalManager>();
    m_rendering = std::make_unique<CRenderingManager>(m_surfaces);
    m_rendering->SetTextureManager(m_textures.get());
    m_hud = std::make_unique<CHUDManager>();
    m_animation = std::make_unique<CAnimationManager>(m_scene);
    m_player = std::make_unique<CAnimationPlayer>(m_animation.get());
    m_tools = std::make_unique<Tool3DManager>();
    m_tools->AddStandardTools();
    m_tools->SetActiveTool("DynamicTool3D");
    m_gestures = std::make_unique<GestureEngine>();
    m_export = std::make_unique<MeshExport>(m_surfaces, &m_viewController, nullptr);
}

void CViewCore::Wire()
{
    m_viewController.AddViewListener(this);
    m_tools->SetCamera(&m_camera);

    // The scene gets its tools, its intersector and its handles' manager.
    m_scene->SetToolManager(m_tools.get(), m_processWide ? GetSurfaceIntersector() : m_ownIntersector.get());
    m_tools->AddToolActionListener(m_scene);
    m_scene->SetConstraintManager(m_constraints);
    m_constraints->SetHost(m_scene);
    m_constraints->SetToolManager(m_tools.get());

    // Change listeners of the scene, in the program's order.
    m_scene->AddChangeListener(this);
    for (IChangeListener* panel : m_panels) m_scene->AddChangeListener(panel);
    m_scene->AddChangeListener(m_rendering.get());
    m_scene->AddChangeListener(m_textures.get());
    m_scene->AddChangeListener(m_sketch);
    m_scene->AddChangeListener(m_surfaces);
    m_parameters->SetSurfaceManager(m_surfaces);
    m_parameters->SetConstraintManager(m_constraints);
    m_parameters->AttachToScene(m_scene);
    m_scene->AddChangeListener(m_constraints);
    m_suggestionRefresher.sketch = m_sketch;
    m_scene->AddChangeListener(&m_suggestionRefresher);
    m_scene->AddChangeListener(&m_document);
    m_document.SetStateSink([this] { ShowDocumentState(); });
    m_scene->AddChangeListener(&m_undoWatcher);

    // The renderer and the HUD.
    m_rendering->AddRenderingListener(this);
    m_rendering->SetCamera(&m_camera);
    m_rendering->SetSceneObjects(m_scene->GetObjectManager());
    m_rendering->SetSurfaceOnlyHook([this](bool on) { m_sketch->SetSurfaceOnly(on); });
    m_rendering->SetShowDialogRequest([this](const std::string& name) { AskWindow(name); });
    m_surfaces->SetShowDialogRequest([this] { AskWindow("Polygonizer Control"); });
    m_export->SetShowDialogRequest([this] { AskWindow("Set World Dimensions"); });
    m_hud->SetViewController(&m_viewController);
    m_hud->SetRedrawRequest([this] { RequestRepaint(); });

    // Surfaces: their listeners, then the surface of the scene's model.
    m_surfaces->AddListener(m_rendering.get());
    m_surfaces->AddListener(m_textures.get());
    m_surfaces->AddListener(m_decals.get());
    m_surfaces->AddSceneSurface(m_scene->GetModel());

    // Input listeners: first refusal goes to the HUD, then handles, tools,
    // gestures and the texture painter.
    m_stream->AddListener(m_hud.get());
    m_stream->AddListener(m_constraints);
    m_stream->AddListener(m_tools.get());
    m_stream->AddListener(m_gestures.get());
    m_stream->AddListener(m_textures.get());
    // Gesture listeners in their order.
    m_gestures->AddGestureListener(m_hud.get());
    m_gestures->AddGestureListener(m_constraints);
    m_gestures->AddGestureListener(m_textures.get());
    m_gestures->AddGestureListener(m_meshEdit.get());
    m_gestures->AddGestureListener(m_scene);
    m_gestures->AddGestureListener(m_sketch);
    // HUD toolbars and the sketch's interface components.
    m_hud->AddToolbar(m_sketch->GetToolbar());
    m_hud->AddToolbar(&m_parameters->GetSelectionToolbar());
    m_hud->AddToolbar(&m_parameters->GetGlobalToolbar());
    m_sketch->AddComponent(m_constraints);
}

void CViewCore::Unwire()
{
    m_gestures->RemoveGestureListener(m_sketch);
    m_gestures->RemoveGestureListener(m_scene);
    m_gestures->RemoveGestureListener(m_meshEdit.get());
    m_gestures->RemoveGestureListener(m_textures.get());
    m_gestures->RemoveGestureListener(m_constraints);
    m_gestures->RemoveGestureListener(m_hud.get());
    m_stream->RemoveListener(m_textures.get());
    m_stream->RemoveListener(m_gestures.get());
    m_stream->RemoveListener(m_tools.get());
    m_stream->RemoveListener(m_constraints);
    m_stream->RemoveListener(m_hud.get());
    m_sketch->RemoveComponent(m_constraints);
    m_hud->RemoveToolbar(m_sketch->GetToolbar());
    m_hud->RemoveToolbar(&m_parameters->GetSelectionToolbar());
    m_hud->RemoveToolbar(&m_parameters->GetGlobalToolbar());
    m_hud->SetViewController(nullptr);

    m_surfaces->RemoveSceneSurface(m_scene->GetModel());
    m_surfaces->RemoveListener(m_decals.get());
    m_surfaces->RemoveListener(m_textures.get());
    m_surfaces->RemoveListener(m_rendering.get());
    m_surfaces->SetShowDialogRequest(nullptr);

    m_parameters->DetachFromScene();
    m_document.SetStateSink(nullptr);
    m_scene->RemoveChangeListener(&m_document);
    m_scene->RemoveChangeListener(&m_undoWatcher);
    m_scene->RemoveChangeListener(&m_suggestionRefresher);
    m_scene->RemoveChangeListener(m_constraints);
    m_scene->RemoveChangeListener(m_surfaces);
    m_scene->RemoveChangeListener(m_sketch);
    m_scene->RemoveChangeListener(m_textures.get());
    m_scene->RemoveChangeListener(m_rendering.get());
    for (IChangeListener* panel : m_panels) m_scene->RemoveChangeListener(panel);
    m_scene->RemoveChangeListener(this);
    m_tools->RemoveToolActionListener(m_scene);
    // The scene outlives this view when it is process-wide: it must not keep
    // pointers into it.
    m_scene->SetToolManager(nullptr, nullptr);
    m_constraints->SetToolManager(nullptr);
    m_rendering->SetSurfaceOnlyHook(nullptr);
    m_rendering->RemoveRenderingListener(this);
    m_viewController.RemoveViewListener(this);
}

CViewCore::~CViewCore()
{
    if (m_workersStarted) StopBackgroundThreads();
    Unwire();
    m_scene->SetUserInterface(nullptr);
    CInputEventStream::ReleaseStream(this);
    if (CInputEventStream::GetCurrentView() == this) CInputEventStream::SetCurrentView(nullptr);
    if (GetCurrentSceneView() == this) SetCurrentSceneView(nullptr);
    // Own managers go in reverse order of their making: the sketch and the
    // editor refer to the scene and surfaces, the scene to the handles.
    m_ownParameters.reset();
    m_ownSketch.reset();
    m_ownScene.reset();
    m_ownConstraints.reset();
    m_ownSurfaces.reset();
}

void CViewCore::SuggestionRefresher::OnSelectionChanged(const OrderedObjectSet&)
{
    if (sketch) sketch->UpdateSuggestions();
}

void CViewCore::SuggestionRefresher::OnSelectionPicked(const OrderedObjectSet&)
{
    if (sketch) sketch->UpdateSuggestions();
}

void CViewCore::AddPanelListener(IChangeListener* panel)
{
    if (!panel) return;
    m_panels.push_back(panel);
    m_scene->AddChangeListener(panel);
}

void CViewCore::SetUserInterface(UserInterface* ui)
{
    m_ui = ui;
    m_scene->SetUserInterface(ui);
    m_animation->SetUserInterface(ui);
    m_player->SetUserInterface(ui);
    m_export->SetUserInterface(ui);
    if (ui) {
        m_rendering->SetColourPicker([ui](RGBf& colour) {
            Wml::ColorRGBA c(colour.r, colour.g, colour.b, 1.0f);
            if (!ui->ChooseColour(c)) return false;
            colour = {c.R(), c.G(), c.B()};
            return true;
        });
        m_rendering->SetValuePrompt([ui](const std::string& label, float lo, float hi, float& value) {
            ValueRequest request;
            request.label = label;
            request.minimum = lo;
            request.maximum = hi;
            request.current = value;
            return ui->AskValue(request, value);
        });
    } else {
        m_rendering->SetColourPicker(nullptr);
        m_rendering->SetValuePrompt(nullptr);
    }
    ShowDocumentState();
}

void CViewCore::ShowDocumentState()
{
    if (!m_ui) return;
    m_ui->SetWindowTitle(m_document.WindowTitle());
    m_ui->SetWindowModified(m_document.IsModified());
}

void CViewCore::RequestRepaint()
{
    if (m_repaint) m_repaint();
}

void CViewCore::AskWindow(const std::string& what)
{
    if (m_window) m_window(what);
}

void CViewCore::ShowStatus(const std::string& text)
{
    if (m_ui) m_ui->SetStatusText(text);
}

void CViewCore::OnViewChanged(ViewController&)
{
    RequestRepaint();
}

void CViewCore::OnRenderingChanged()
{
    RequestRepaint();
}

void CViewCore::OnRedrawRequested()
{
    RequestRepaint();
}

// ---- GL life

void CViewCore::InitGL()
{
    glEnable(GL_DEPTH_TEST);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    m_glReady = true;
    // Workers only for the program's own managers: they refine the
    // process-wide surfaces.
    if (m_processWide && !m_workersStarted) {
        StartBackgroundThreads(m_stream);
        m_workersStarted = true;
    }
    m_meshEdit->SetMeshEditing(false);
}

void CViewCore::ReleaseGL()
{
    m_rendering->ReleaseGL();
    m_glReady = false;
}

void CViewCore::Resize(int width, int height)
{
    if (width <= 0 || height <= 0) return;
    m_width = width;
    m_height = height;
    m_camera.SetViewport(width, height);
    m_camera.SetFrustum(30.0f, float(width) / float(height), 0.1f, 100.0f);
    m_input.SetWindowHeight(height);
    m_viewController.Update();
    const unsigned int area[4] = {0, 0, unsigned(width), unsigned(height)};
    m_sketch->SetDrawingAreaSize(area);
    char title[64];
    std::snprintf(title, sizeof title, "Model View : %d x %d", width, height);
    if (m_frameTitle) m_frameTitle(title);
    m_overlay->Resize(width, height);
    RequestRepaint();
}

void CViewCore::Render()
{
    const auto start = std::chrono::steady_clock::now();
    // The window may have drawn elsewhere at another size (an offscreen
    // screenshot): the whole frame is this view's.
    if (m_width > 0 && m_height > 0) glViewport(0, 0, m_width, m_height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    m_rendering->Render();
    if (!m_sketch->GetSurfaceOnly()) m_scene->GetObjectManager()->RenderAll();
    m_meshEdit->Draw();
    m_sketch->Draw();

    // Handles and tools over everything drawn so far.
    glClear(GL_DEPTH_BUFFER_BIT);
    m_constraints->Draw();
    glEnable(GL_NORMALIZE);
    m_tools->Draw();
    m_gestures->DrawCurrentStroke(m_width, m_height);
    if (m_hudVisible) m_hud->Draw();

    StepAnimation();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char fps[64];
    std::snprintf(fps, sizeof fps, "%.2f FPS", seconds > 0.0 ? 1.0 / seconds : 0.0);
    m_fpsText = fps;
    if (!m_player->IsPlaying()) ShowStatus(FrameStatus());
    if (m_frameDrawn) m_frameDrawn();
}

std::string CViewCore::FrameStatus() const
{
    const IsoSurfaceMesh* surface = m_surfaces->GetSurface(m_scene->GetModel());
    if (!surface || !surface->IsIncomplete()) return m_fpsText;
    return m_fpsText +
           "   Part of the surface is missing: at this cell size it needs more cells than one run may visit. "
           "A coarser mesh (the - key) shows all of it.";
}

void CViewCore::StepAnimation()
{
    if (!m_player->IsPlaying()) return;
    FrameImage image;
    if (m_player->WantsPixels() && m_width > 0 && m_height > 0) {
        m_framePixels.resize(std::size_t(m_width) * std::size_t(m_height) * 4u);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, m_framePixels.data());
        image.data = m_framePixels.data();
        image.size = m_framePixels.size();
        image.width = m_width;
        image.height = m_height;
        image.channels = 4;
    }
    if (m_player->StepFrame(image.data ? &image : nullptr)) RequestRepaint();
}

// ---- input

bool CViewCore::MousePress(ViewInputAdapter::Button button, int x, int yDown, bool alt)
{
    m_input.SetCameraMode(alt);
    ++m_buttonsHeld;
    const bool grab = m_input.MousePress(button, x, yDown);
    RequestRepaint();
    return grab;
}

bool CViewCore::MouseRelease(ViewInputAdapter::Button button, int x, int yDown)
{
    const bool release = m_input.MouseRelease(button, x, yDown);
    m_buttonsHeld = std::max(0, m_buttonsHeld - 1);
    // A drag is one step, recorded when it ends.
    CheckpointUndo();
    RequestRepaint();
    return release;
}

void CViewCore::MouseMove(int x, int yDown)
{
    if (m_input.MouseMove(x, yDown)) RequestRepaint();
}

void CViewCore::SpecialKeyDown(int key, bool autoRepeat)
{
    switch (key) {
        case KEY_ESCAPE:
            m_player->Stop();
            break;
        case KEY_SPACE:
            // Held Space shows the fast primitives; auto-repeat changes nothing.
            if (!autoRepeat && !m_spaceHeld) {
                m_spaceHeld = true;
                ToggleFastPrimitiveMode();
            }
            break;
        case KEY_ALT:
            m_input.SetCameraMode(true);
            return;
        default:
            return;
    }
    RequestRepaint();
}

void CViewCore::SpecialKeyUp(int key, bool autoRepeat)
{
    if (key == KEY_ALT) {
        m_input.SetCameraMode(false);
        return;
    }
    if (key == KEY_SPACE && !autoRepeat && m_spaceHeld) {
        m_spaceHeld = false;
        ToggleFastPrimitiveMode();
        RequestRepaint();
    }
}

void CViewCore::Character(int key)
{
    switch (key) {
        case '+':
            m_surfaces->ScaleCellSizeDown(0.9f, true);
            break;
        case '-':
            m_surfaces->ScaleCellSizeUp(1.1f, true);
            break;
        case '1':
        case '2':
        case '3':
            m_textures->SetMode(key - '1');
            break;
        case 'a':
        case 'p':
            m_textures->OnKey(key);
            break;
        case 'b':
            SetHUDScaleFactor(GetHUDScaleFactor() == 1.0f ? 2.0f : 1.0f);
            m_input.Key(key);
            break;
        case 'c':
            ToggleCaching();
            m_input.Key(key);
            break;
        case 'd':
            m_sketch->ReplayLastStroke();
            break;
        case 'e':
            StartCameraTransition();
            break;
        case 'i':
            m_rendering->NotifyListeners();
            break;
        case 'r':
            AskWindow("Refresh Field Image");
            break;
        case 's':
            AskWindow("Resize Frame");
            break;
        case 't':
            m_tools->CycleTool();
            break;
        case 'z':
            if (m_ui && m_ui->AskQuestion(kRayTraceQuestion, "Are you sure?", false) == Answer::Yes)
                AskWindow("Render RayTrace");
            break;
        case '=':
        case '\\':
        case 'u':
            break;
        default:
            m_input.Key(key);
            break;
    }
    CheckpointUndo();
    RequestRepaint();
}

void CViewCore::FocusIn(bool altHeld)
{
    CInputEventStream::SetCurrentView(this);
    SetCurrentSceneView(this);
    m_input.SetCameraMode(altHeld);
}

void CViewCore::FocusOut()
{
    m_input.FocusLost();
    // Buttons released elsewhere are never reported.
    m_buttonsHeld = 0;
    RequestRepaint();
}

void CViewCore::ToggleFastPrimitiveMode()
{
    RenderingSettings& settings = m_rendering->GetSettings();
    settings.fastPrimitiveMode = !settings.fastPrimitiveMode;
    m_rendering->NotifyListeners();
}

void CViewCore::ToggleCaching()
{
    vynbt::FieldCacheManager* caches = vynbt::FieldCacheManager::Get();
    caches->EnableCaching(!caches->IsCachingEnabled());
    DebugOutput("Caching is %d\n", caches->IsCachingEnabled() ? 1 : 0);
    m_rendering->NotifyListeners();
}

void CViewCore::StartCameraTransition()
{
    const float d = m_camera.GetTargetDistance();
    const Wml::Vector3<float> displacement =
        Wml::Vector3<float>(1.0f, 1.0f, 0.0f) * (-2.0f * d / std::sqrt(2.0f));
    const Wml::Vector3<float> point = m_camera.GetLocation() + Wml::Vector3<float>(0.5f, 0.0f, 0.0f);
    m_interpolator.Start(&m_camera, displacement, point, 20);
}

// ---- timers

void CViewCore::OnTimer(std::int64_t counter)
{
    // Time listeners in order; the first that changed something repaints.
    if (m_hud->OnTimeEvent(counter) || m_stream->OnTimeEvent(counter)) RequestRepaint();
    // Edits made in the dock and the dialogs reach the scene without input.
    CheckpointUndo();
}

void CViewCore::OnTimer()
{
    OnTimer(m_stream->Counter());
}

bool CViewCore::OnCameraTimer()
{
    const bool running = m_interpolator.Step();
    m_viewController.Update();
    RequestRepaint();
    return running;
}

// ---- commands

std::vector<CommandTarget*> CViewCore::CommandChain() const
{
    return {m_sketch, m_scene, m_rendering.get(), m_surfaces, m_animation.get()};
}

bool CViewCore::RouteCommand(const std::string& menuText)
{
    if (IsDisabledCommand(menuText)) return false;
    if (menuText == "Undo" || menuText == "Redo") {
        const bool done = menuText == "Undo" ? Undo() : Redo();
        if (done) RequestRepaint();
        return done;
    }
    for (CommandTarget* target : CommandChain())
        if (target->OnCommand(menuText)) {
            CheckpointUndo();
            RequestRepaint();
            return true;
        }
    const bool handled = OnViewCommand(menuText);
    CheckpointUndo();
    if (handled) RequestRepaint();
    return handled;
}

// ---- undo

void CViewCore::CheckpointUndo()
{
    // Playback sets keyed values every frame: what it leaves is one step
    // once it stops.
    if (!m_undoWatcher.touched || m_buttonsHeld > 0 || m_player->IsPlaying()) return;
    m_undoWatcher.touched = false;
    std::string scene;
    if (vynui::SnapshotScene(m_scene, scene)) m_history.Record(scene);
}

bool CViewCore::CanUndo() const
{
    return m_sketch->GetStrokeFactory().GetNumStrokes() > 0 || m_undoWatcher.touched || m_history.CanUndo();
}

bool CViewCore::CanRedo() const
{
    return m_sketch->CanRedoStroke() || (!m_undoWatcher.touched && m_history.CanRedo());
}

bool CViewCore::Undo()
{
    if (m_buttonsHeld > 0) return false;
    // While sketching, a stroke at a time.
    if (m_sketch->UndoStroke()) return true;
    CheckpointUndo();
    if (!m_history.CanUndo()) return false;
    // Strokes put aside belong to a later point than the step undone.
    m_sketch->DropUndoneStrokes();
    RestoreUndoStep(m_history.Undo());
    return true;
}

bool CViewCore::Redo()
{
    if (m_buttonsHeld > 0) return false;
    if (m_sketch->RedoStroke()) return true;
    CheckpointUndo();
    if (!m_history.CanRedo()) return false;
    RestoreUndoStep(m_history.Redo());
    return true;
}

void CViewCore::RestoreUndoStep(const std::string& text)
{
    m_undoWatcher.muted = true;
    const SceneRestore how = RestoreSceneText(m_scene, text);
    m_undoWatcher.muted = false;
    m_undoWatcher.touched = false;
    if (how == SceneRestore::Failed) {
        DebugOutput("Undo: the scene step could not be read back\n");
        return;
    }
    // The scene read back says the same with its own object IDs; later
    // comparisons are against it.
    std::string scene;
    if (vynui::SnapshotScene(m_scene, scene)) m_history.ReplaceCurrent(scene);
}

bool CViewCore::UpdateCommand(const std::string& menuText, CommandState& state)
{
    state = CommandState();
    if (IsDisabledCommand(menuText)) {
        state.enabled = false;
        return true;
    }
    if (menuText == "Undo" || menuText == "Redo") {
        state.enabled = menuText == "Undo" ? CanUndo() : CanRedo();
        return true;
    }
    for (CommandTarget* target : CommandChain())
        if (target->OnUpdateCommand(menuText, state)) return true;
    return OnUpdateViewCommand(menuText, state);
}

bool CViewCore::IsDisabledCommand(const std::string& menuText)
{
    // Cut, copy and paste have no handler; the surface-detail layer (texture
    // painting, decals, surface edits) is not built.
    return IsOneOf(menuText, {"Cut", "Copy", "Paste", "BlobTree Editor", "Suggest Surface Edits",
                              "Suggest Texture Decals", "Bake Patches", "Show Texture Patches",
                              "Refresh Texture Images", "Export Texture", "Move Selection To Top",
                              "Move Selection Up", "Move Selection Down", "Move Selection To Bottom"});
}

const std::vector<std::string>& CViewCore::ViewCommandNames()
{
    static const std::vector<std::string> names = {
        "New",
        "Open...",
        "Save",
        "Save As...",
        "Export Selection",
        "New Scene",
        "OBJ Format",
        "STL Format",
        "COLLADA Format",
        "Trivane Format",
        "Set World Dimensions",
        "Refine Mesh",
        "Quick Refine",
        "Subdivde the mesh",
        "Cycle Tool",
        "Toggle Caching",
        "Caching Control",
        "Sketch Options...",
        "Perspective Camera",
        "Left",
        "Right",
        "Top",
        "Bottom",
        "Front",
        "Back",
        "ThreeQuarter",
        "Show Surface Only",
        "Show HUD",
        "Fast Primitive Mode",
        "Field Image",
        "RayTrace",
        "Play",
        "Stop",
        "Rewind",
        "Play One Frame",
        "Save Frames",
        "Gestures and Keys",
        "About Kilnform...",
    };
    return names;
}

SceneFileContext CViewCore::FileContext()
{
    SceneFileContext context;
    context.ui = m_ui;
    context.files = GetSaveLoadManager();
    context.scene = m_scene;
    context.view = &m_viewController;
    context.textures = m_textures.get();
    context.fileUsed = m_fileUsed;
    return context;
}

bool CViewCore::OpenPath(const std::string& path)
{
    const bool read = OpenAndTrack(path);
    CheckpointUndo();
    RequestRepaint();
    return read;
}

bool CViewCore::OpenAndTrack(const std::string& path)
{
    // Reading adds to the scene: only into an empty one is the result what
    // the file holds. The older format is never written back to its file.
    const bool wasEmpty = m_scene->GetObjectManager()->GetObjects().Size() <= 2;
    const std::string before = m_document.GetPath();
    if (!OpenSceneFile(FileContext(), path)) {
        // Whatever a failed read left in the scene was marked as it was made.
        ShowDocumentState();
        return false;
    }
    const bool current = path.find(".kfn") == std::string::npos;
    if (wasEmpty)
        m_document.MarkClean(current ? path : std::string());
    else
        m_document.MarkModified(current ? path : before);
    ShowDocumentState();
    return true;
}

bool CViewCore::OfferToSaveChanges()
{
    if (!m_document.IsModified()) return true;
    if (!m_ui) return false;
    const std::string& path = m_document.GetPath();
    const std::string name = path.empty() ? "the scene" : std::filesystem::path(path).filename().string();
    const std::string question = "Do you want to save the changes to " + name + "?";
    switch (m_ui->AskToSaveChanges(question, kSaveChangesTitle)) {
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
            return false;
        case SaveChoice::Save:
            break;
    }
    std::string saved = path;
    const bool written =
        path.empty() ? SaveSceneCommand(FileContext(), &saved) : SaveSceneFile(FileContext(), path);
    if (written) m_document.MarkClean(saved);
    return written;
}

bool CViewCore::SnapshotWholeScene(std::string& text)
{
    CSaveLoadManager* files = GetSaveLoadManager();
    files->SetSceneManager(m_scene);
    files->SetViewController(&m_viewController);
    files->SetTextureManager(m_textures.get());
    return files->SaveSceneToText(text);
}

bool CViewCore::RestoreScene(const std::string& text)
{
    CSaveLoadManager* files = GetSaveLoadManager();
    files->SetSceneManager(m_scene);
    files->SetViewController(&m_viewController);
    files->SetTextureManager(m_textures.get());
    if (!files->LoadSceneFromText(text)) return false;
    m_document.MarkModified(std::string());
    ShowDocumentState();
    RequestRepaint();
    return true;
}

bool CViewCore::OpenDroppedFile(const std::string& path)
{
    switch (DecideDrop(path)) {
        case DropAction::OpenScene:
            // As File > Open: unsaved changes are offered for saving first.
            return OfferToSaveChanges() && OpenPath(path);
        case DropAction::ImportMesh: {
            const bool added = m_scene->ImportMeshFile(path);
            CheckpointUndo();
            RequestRepaint();
            return added;
        }
        case DropAction::Refuse:
            break;
    }
    if (m_ui) m_ui->ShowMessage(RefusedDropText(path), kRefusedDropTitle);
    return false;
}

bool CViewCore::OnViewCommand(const std::string& menuText)
{
    if (menuText == "New") return true;
    if (menuText == "Save" || menuText == "Save As...") {
        std::string saved;
        if (SaveSceneCommand(FileContext(), &saved)) m_document.MarkClean(saved);
        return true;
    }
    if (menuText == "Export Selection") {
        ExportSelectionCommand(FileContext());
        return true;
    }
    if (menuText == "Open...") {
        if (!OfferToSaveChanges()) return true;
        std::string path;
        if (ChooseSceneFileToOpen(FileContext(), path)) OpenAndTrack(path);
        return true;
    }
    if (menuText == "New Scene") {
        // Unsaved changes get the one question; a saved scene the warning.
        const bool goOn = m_document.IsModified() ? OfferToSaveChanges()
                                                  : m_ui && m_ui->AskQuestion(kNewSceneQuestion, "Warning!",
                                                                              false) == Answer::Yes;
        if (goOn) {
            m_scene->NewScene();
            m_document.MarkClean(std::string());
        }
        return true;
    }
    if (m_export->OnCommand(menuText)) return true;
    if (menuText == "Refine Mesh" || menuText == "Caching Control") {
        AskWindow(menuText);
        return true;
    }
    if (menuText == "Quick Refine") {
        m_surfaces->QuickRefine();
        return true;
    }
    if (menuText == "Subdivde the mesh") {
        m_surfaces->SubdivideMesh();
        return true;
    }
    if (menuText == "Cycle Tool") {
        m_tools->CycleTool();
        return true;
    }
    if (menuText == "Toggle Caching") {
        ToggleCaching();
        return true;
    }
    if (menuText == "Perspective Camera") {
        m_viewController.TogglePerspective();
        return true;
    }
    if (ViewController::IsCanonicalView(menuText)) return m_viewController.SetCanonicalView(menuText);
    if (menuText == "Show Surface Only") {
        m_sketch->SetSurfaceOnly(!m_sketch->GetSurfaceOnly());
        return true;
    }
    if (menuText == "Show HUD") {
        m_hudVisible = !m_hudVisible;
        return true;
    }
    if (menuText == "Fast Primitive Mode") {
        ToggleFastPrimitiveMode();
        return true;
    }
    if (menuText == "Sketch Options...") {
        AskWindow("Sketch Options");
        return true;
    }
    if (menuText == "Field Image" || menuText == "RayTrace") {
        AskWindow(menuText);
        return true;
    }
    if (menuText == "Gestures and Keys") {
        AskWindow(menuText);
        return true;
    }
    if (menuText == "About Kilnform...") {
        AskWindow("About");
        return true;
    }
    return m_player->OnCommand(menuText);
}

bool CViewCore::OnUpdateViewCommand(const std::string& menuText, CommandState& state)
{
    if (m_export->OnUpdateCommand(menuText, state)) return true;
    if (m_player->OnUpdateCommand(menuText, state)) return true;
    const std::vector<std::string>& names = ViewCommandNames();
    if (std::find(names.begin(), names.end(), menuText) == names.end()) return false;
    state.enabled = true;
    if (menuText == "Perspective Camera")
        state.checked = m_camera.IsPerspective();
    else if (menuText == "Show Surface Only")
        state.checked = m_sketch->GetSurfaceOnly();
    else if (menuText == "Show HUD")
        state.checked = m_hudVisible;
    else if (menuText == "Fast Primitive Mode")
        state.checked = m_rendering->GetSettings().fastPrimitiveMode;
    else if (menuText == "Toggle Caching")
        state.checked = vynbt::FieldCacheManager::Get()->IsCachingEnabled();
    else if (menuText == "Field Image")
        state.checked = m_fieldImageOpen;
    return true;
}

}  // namespace vynui

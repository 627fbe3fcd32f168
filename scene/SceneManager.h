#pragma once
// The controller of one scene: it owns the model (one implicit-model tree
// with its factory and root) and the registry of scene objects with the
// selection. Every structural edit of the tree goes through it, under the
// model's lock, and ends with the same notifications to the change listeners
// (scene changed, tree changed, selection changed). It turns taps and
// scribbles into selection and deletion and handles the commands of the
// "Shapes" menu and of the scene's context menu. There is no undo history.
//
// Prompts go through the UserInterface the view gives the manager; without
// one the commands that need a file do nothing.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "interact/ConstraintManager.h"
#include "interact/IGestureEventListener.h"
#include "interact/IToolActionEventListener.h"
#include "scene/CommandTarget.h"
#include "scene/IChangeListener.h"
#include "scene/SceneObject.h"
#include "wml/Frame3.h"
#include "wml/Ray3.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace vynimplicit {
class ScalarField2D;
}

namespace vynui_bt {
class BlobTreeNodeSceneObject;
class BlobTreeSceneObject;
class RootNodeSceneObject;
class ThreadSafeScalarField;
}  // namespace vynui_bt

namespace vynui {

class BillboardSO;
class ISurfaceRayIntersector;
class SceneObjectManager;
class Tool3DManager;
class UserInterface;

class CSceneManager : public CommandTarget,
                      public IToolActionEventListener,
                      public IGestureEventListener,
                      public SceneObjectListener,
                      public IConstraintSceneHost {
public:
    /// Drops the cached mesh of a scene object that is being deleted.
    using MeshDropper = std::function<void(SceneObject*)>;
    /// Reads a mesh file into a new scene object (owned by the caller), or
    /// null when the file cannot be read.
    /// Answers the new object, or null with a reason in error.
    using MeshImporter = std::function<SceneObject*(const std::string& path, std::string& error)>;
    /// Told the sweep a sketch edit made, so its parameters stay at hand.
    using ExtraObjectSink = std::function<void(SceneObject*)>;

    /// Builds the registry, the model with its factory and root (both
    /// registered unselected), and the thread-safe field over the root.
    CSceneManager();
    ~CSceneManager() override;
    CSceneManager(const CSceneManager&) = delete;
    CSceneManager& operator=(const CSceneManager&) = delete;

    // ---- set-up

    /// Stores the tool manager (not owned) and hands it the process-wide
    /// surface intersector.
    void SetToolManager(Tool3DManager* tools);
    /// The same with a given intersector (may be null).
    void SetToolManager(Tool3DManager* tools, ISurfaceRayIntersector* intersector);
    Tool3DManager* GetToolManager() const { return m_tools; }
    /// Not owned; null: commands that ask for files do nothing.
    void SetUserInterface(UserInterface* ui) { m_ui = ui; }
    UserInterface* GetUserInterface() const { return m_ui; }
    /// The constraint manager told about objects before they are deleted;
    /// null uses the process-wide one.
    void SetConstraintManager(ConstraintManager* constraints) { m_constraints = constraints; }
    void SetMeshDropper(MeshDropper dropper) { m_meshDropper = std::move(dropper); }
    void SetMeshImporter(MeshImporter importer) { m_meshImporter = std::move(importer); }
    /// The import of "Import Mesh" for a path already chosen (a dropped
    /// file): the same warning, then the mesh read and added, selected, or
    /// "Error loading file!" with the reason. True when added.
    bool ImportMeshFile(const std::string& path);
    /// The program's own: removed objects leave the process-wide mesh cache,
    /// "Import Mesh" makes imported mesh objects. Set by the constructor.
    void UseStandardMeshHandling();
    void SetExtraObjectSink(ExtraObjectSink sink) { m_extraObjectSink = std::move(sink); }
    /// Whether the sketch holds strokes (asked by the constraint manager).
    void SetSketchQuery(std::function<bool()> query) { m_sketchQuery = std::move(query); }

    /// Each listener is held once (not owned).
    void AddChangeListener(IChangeListener* listener);
    void RemoveChangeListener(IChangeListener* listener);
    SceneObjectManager* GetObjectManager() const { return m_objects; }
    vynui_bt::BlobTreeSceneObject* GetModel() const { return m_model; }
    vynui_bt::RootNodeSceneObject* GetRootSceneObject() const;
    vynui_bt::ThreadSafeScalarField* GetField() const { return m_field; }
    bool GetAutoCleanup() const { return m_autoCleanup; }
    void SetAutoCleanup(bool on) { m_autoCleanup = on; }

    // ---- broadcasts (in listener-set order)

    void NotifySceneChanged();
    void NotifySelectionChanged();
    void NotifySelectionPicked();
    void NotifyObjectsModified();
    void NotifyTreeChanged();
    void NotifyRedraw();
    void NotifyCuttingPlaneSet(const Wml::Frame3<float>& frame);
    void NotifyCuttingPlaneCleared();

    // ---- selection

    void AddSceneObject(SceneObject* object, bool select);
    void AddAndSelect(SceneObject* object) { AddSceneObject(object, true); }
    /// Unregisters object (and its sub-tree); the object is not deleted.
    void RemoveSceneObject(SceneObject* object);
    void SelectObject(SceneObject* object, bool exclusive);
    void DeselectObject(SceneObject* object);
    /// Keeps the dynamic tool shown when it is the active one.
    void ClearSelection();
    void SetSelection(const std::vector<SceneObject*>& objects);

    // ---- tree edits (each holds the model's lock)

    /// A new object of the type code under parent (when null: the first
    /// selected object if it is an operator, else the root). Null for an
    /// unknown code.
    vynui_bt::BlobTreeNodeSceneObject* AddNode(int code, vynui_bt::BlobTreeNodeSceneObject* parent,
                                               bool select);
    /// Puts the first selected node into a new operator of the code (hollow
    /// 50, mirror 51, part 52) at the end of its parent; with nothing
    /// selected the operator is made empty under the root.
    vynui_bt::BlobTreeNodeSceneObject* WrapSelection(int code);
    /// A Ricci blend (smooth) or a sharp union of a and b under a's parent.
    vynui_bt::BlobTreeNodeSceneObject* Blend(vynui_bt::BlobTreeNodeSceneObject* a,
                                             vynui_bt::BlobTreeNodeSceneObject* b, bool smooth);
    /// Deletes the first selected node and its sub-tree; the root is refused.
    void RemoveSelected();
    /// Deletes object and its sub-tree. False when it has no parent or
    /// cannot be detached.
    bool RemoveNode(vynui_bt::BlobTreeNodeSceneObject* object, bool notify);
    void RemoveBillboard(BillboardSO* billboard);
    /// Deletes the operators a cleanup took out of the tree (registered,
    /// without a parent), as the destructor does: a scene emptied to be read
    /// again keeps nothing a file could hold.
    void DeleteDetachedNodes();
    void MoveNode(vynui_bt::BlobTreeNodeSceneObject* object, vynui_bt::BlobTreeNodeSceneObject* newParent);
    void AttachNode(vynui_bt::BlobTreeNodeSceneObject* parent, vynui_bt::BlobTreeNodeSceneObject* child,
                    int index);
    bool DetachNode(vynui_bt::BlobTreeNodeSceneObject* object,
                    vynui_bt::BlobTreeNodeSceneObject** parent = nullptr, int* index = nullptr);
    void ClearNodeChildren(vynui_bt::BlobTreeNodeSceneObject* object);
    /// Flag 2: an operator left without children leaves the tree. Flag 1: an
    /// operator whose only child is an operator is replaced by that child.
    void CleanUp(vynui_bt::BlobTreeNodeSceneObject* object, int flags);
    /// Removes every node under the root; other objects (billboards) stay.
    void NewScene();
    void SetCuttingPlane(const Wml::Frame3<float>& frame);
    void ClearCuttingPlane();
    /// Scales every selected object by -1 along one axis (0 x, 1 y, 2 z).
    void Flip(int axis);

    // ---- shape builders for the sketch interface (profiles are shared)

    using Profile = std::shared_ptr<vynimplicit::ScalarField2D>;
    vynui_bt::BlobTreeNodeSceneObject* AddLinearSweep(Profile profile, const Wml::Frame3<float>& frame,
                                                      bool blobbyCaps, float length, float falloff);
    vynui_bt::BlobTreeNodeSceneObject* AddCurveSweep(Profile profile, bool sharpCaps, float radius);
    vynui_bt::BlobTreeNodeSceneObject* AddRevolution(Profile profile, const Wml::Frame3<float>& frame);
    vynui_bt::BlobTreeNodeSceneObject* AddPolyLine(const std::vector<Wml::Vector3<float>>& points,
                                                   float radius);
    /// The blend that now holds target and a new sweep; null when target
    /// cannot be detached.
    vynui_bt::BlobTreeNodeSceneObject* BlendWithSweep(vynui_bt::BlobTreeNodeSceneObject* target,
                                                      Profile profile, const Wml::Frame3<float>& frame,
                                                      bool blobbyCaps, float length, float falloff);
    /// The sweep cut out of target (under a smooth difference); null when
    /// target cannot be detached.
    vynui_bt::BlobTreeNodeSceneObject* CutWithSweep(vynui_bt::BlobTreeNodeSceneObject* target,
                                                    Profile profile, const Wml::Frame3<float>& frame);
    /// Sets "Length" and "Falloff Length" of a selected capped linear sweep.
    void AdjustSweepLengths(float length);
    /// A revolution blended into everything under the root; null for a model
    /// that is not this manager's.
    vynui_bt::BlobTreeNodeSceneObject* AddBlendedRevolution(vynui_bt::BlobTreeSceneObject* model,
                                                            Profile profile, const Wml::Frame3<float>& frame);

    // ---- file-driven commands (they ask through the user interface)

    /// The profile the person picks (".poly2d" polygon or ".mdvalue2d"
    /// field); null when cancelled or unreadable (the message is shown).
    Profile LoadProfileField();

    // ---- CommandTarget
    bool OnCommand(const std::string& menuText) override;
    bool OnUpdateCommand(const std::string& menuText, CommandState& state) override;
    /// Every menu text OnCommand handles.
    static const std::vector<std::string>& CommandNames();

    // ---- listener roles
    void OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent* event) override;
    void OnToolAction(ITool3D* tool) override;
    bool OnTap(const Wml::Vector2<float>& point) override;
    bool OnLine(const GestureSegment& segment) override;
    bool OnScribble(const Wml::Box2<float>& box) override;

    // ---- IConstraintSceneHost
    void SelectAlone(SceneObject* object) override;
    void AddToScene(SceneObject* object) override;
    void RemoveFromScene(SceneObject* object) override;
    bool SketchHasStrokes() override;
    void RequestRedraw() override;
    Wml::ExtendedWmlCamera* GetCamera() override;

    /// The registered node object whose node the ray meets first, or null.
    vynui_bt::BlobTreeNodeSceneObject* PickNode(const Wml::Ray3<float>& ray);
    /// The pick ray through window point (x, y), y counted from the top;
    /// false without a camera.
    bool PickRayAt(const Wml::Vector2<float>& point, Wml::Ray3<float>& ray) const;

private:
    void StandardEnding();
    void ShowTool(bool show);
    bool DynamicToolActive() const;
    void UpdateToolTargets();
    void ClearToolTargets();
    /// Adds a node object as the result of an edit: listener, selection,
    /// targets, tool shown, standard ending.
    void FinishAdd(vynui_bt::BlobTreeNodeSceneObject* object, bool select);
    /// The selected operator, else the root.
    vynui_bt::BlobTreeNodeSceneObject* DefaultParent();
    /// Tells the constraint manager and the mesh cache that object and
    /// everything under it is about to be deleted.
    void ForgetTree(SceneObject* object, bool dropMeshes = true);
    ConstraintManager& Constraints();
    void ShowError(const std::string& text);
    void DeleteOwned(SceneObject* object);

    bool AddProfiledShape(int code, bool smallBounds);
    bool AddInterpolatingSweep();
    bool AddVariationalWarp();
    bool AddDisplacementMap();
    bool AddLinearSweepWarp();
    bool AddBillboard();
    bool ImportMesh();
    bool AddImportedMesh(const std::string& path);
    bool PickContourStack();

    Tool3DManager* m_tools = nullptr;
    SceneObjectManager* m_objects = nullptr;
    bool m_autoCleanup = true;
    vynui_bt::BlobTreeSceneObject* m_model = nullptr;
    vynui_bt::ThreadSafeScalarField* m_field = nullptr;
    std::set<IChangeListener*> m_listeners;

    UserInterface* m_ui = nullptr;
    ConstraintManager* m_constraints = nullptr;
    MeshDropper m_meshDropper;
    MeshImporter m_meshImporter;
    ExtraObjectSink m_extraObjectSink;
    std::function<bool()> m_sketchQuery;
    /// Objects this manager made or was handed outside the tree (billboards,
    /// pivots, imported meshes); deleted with the manager.
    std::vector<SceneObject*> m_owned;
};

/// The scene manager of the current view, made on first request.
CSceneManager* GetSceneManager();
/// Makes view the current view (any non-null key; a view passes itself).
void SetCurrentSceneView(const void* view);
const void* GetCurrentSceneView();
/// Deletes the scene manager of view (when its view goes away).
void ReleaseSceneManager(const void* view);

}  // namespace vynui

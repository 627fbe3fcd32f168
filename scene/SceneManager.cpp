#include "scene/SceneManager.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "blobtree/CompositionNode.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree/nodes/LinearSweepWarpNode.h"
#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree/nodes/RevolutionNode.h"
#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/ThreadSafeScalarField.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"
#include "blobtree_ui/operators/LinearSweepWarpSceneObject.h"
#include "blobtree_ui/operators/VariationalDisplacementMapSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObject.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/fields2d/PolygonField2D.h"
#include "implicit/primitives/PolyLinePrimitive.h"
#include "implicit/sweeps/CurveSweep.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "implicit/warps/LinearSweepWarp.h"
#include "implicit/warps/VariationalWarp.h"
#include "interact/ITool3D.h"
#include "interact/Tool3DManager.h"
#include "scene/BillboardSO.h"
#include "scene/IParameter.h"
#include "scene/SceneObjectManager.h"
#include "scene/UserInterface.h"
#include "wml/DebugOutput.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/PGMImage.h"
#include "wml/Polygon2.h"

namespace vynui {

using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::CompositionNodeSceneObject;
using vynui_bt::ModelLock;
using vynui_bt::ShapeCode;

namespace {

BlobTreeNodeSceneObject* AsNode(SceneObject* object)
{
    return dynamic_cast<BlobTreeNodeSceneObject*>(object);
}

CompositionNodeSceneObject* AsComposition(SceneObject* object)
{
    return dynamic_cast<CompositionNodeSceneObject*>(object);
}

/// The node object above object; the root's scene-object parent is the
/// model, which is no node, so the root has none.
BlobTreeNodeSceneObject* NodeParent(SceneObject* object)
{
    return object ? AsNode(object->GetParent()) : nullptr;
}

vynbt::CompositionNode* CompositionNodeOf(BlobTreeNodeSceneObject* object)
{
    if (!object || !object->GetNode() || !object->GetNode()->IsCompositionNode()) return nullptr;
    return static_cast<vynbt::CompositionNode*>(object->GetNode());
}

/// Sets a float parameter by name through its text form, as the panels do.
void SetFloatParameter(SceneObject* object, const char* name, float value)
{
    IParameter* parameter = object->GetParameterList()->Find(name);
    if (!parameter) return;
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    parameter->SetValueFromText(text);
}

void SetRicciPower(BlobTreeNodeSceneObject* blend)
{
    if (blend && blend->GetNode() && blend->GetNode()->GetType() == vynbt::BlobTreeNode::NodeType::RicciBlend)
        static_cast<vynbt::RicciBlendNode*>(blend->GetNode())->SetPower(6.0f);
}

/// Cap mode, half-length, falloff, frame and template of a capped sweep.
void SetUpLinearSweep(BlobTreeNodeSceneObject* object, const CSceneManager::Profile& profile,
                      const Wml::Frame3<float>& frame, int capStyle, float length, float falloff)
{
    auto* sweepObject = dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(object);
    if (!sweepObject) return;
    vynbt::CappedLinearSweepNode* node = sweepObject->GetSweepNode();
    vynimplicit::DiscreteLinearSweep* sweep = node->GetSweep();
    sweep->SetCapStyle(capStyle);
    sweep->SetHalfLength(length > 0.0f ? length * 0.5f : 0.1f);
    if (std::isfinite(falloff)) sweep->SetFalloffLength(falloff);
    node->SetFrame(frame);
    if (profile) sweepObject->SetSharedProfile(profile);
}

}  // namespace

// ---------------------------------------------------------------- lifetime

CSceneManager::CSceneManager()
{
    m_objects = new SceneObjectManager();
    m_autoCleanup = true;
    m_model = new vynui_bt::BlobTreeSceneObject();
    m_model->SetFactory(new vynui_bt::BlobTreeFactory(m_model));
    vynui_bt::RootNodeSceneObject* root = m_model->GetRootSceneObject();
    m_objects->AddObject(m_model, false);
    m_objects->AddObject(root, false);
    m_model->AddListener(this);
    root->AddListener(this);
    m_field = new vynui_bt::ThreadSafeScalarField(m_model, root->GetRootNode());
    UseStandardMeshHandling();
    NotifySceneChanged();
}

CSceneManager::~CSceneManager()
{
    m_listeners.clear();
    if (m_tools) m_tools->SetTargets(std::vector<SceneObject*>());
    delete m_field;
    for (SceneObject* object : m_owned) {
        Constraints().ForgetObject(object);
        m_objects->RemoveObject(object);
        delete object;
    }
    m_owned.clear();
    vynui_bt::RootNodeSceneObject* root = m_model->GetRootSceneObject();
    if (root) {
        ForgetTree(root, true);
        m_objects->RemoveObjectTree(root);
        delete root;
    }
    // Operators that a cleanup took out of the tree stay registered until now.
    std::vector<SceneObject*> detached;
    for (SceneObject* object : m_objects->GetObjects())
        if (object != m_model && !object->GetParent() &&
            dynamic_cast<vynui_bt::BlobTreeNodeSceneObject*>(object))
            detached.push_back(object);
    for (SceneObject* object : detached) {
        ForgetTree(object, true);
        m_objects->RemoveObjectTree(object);
        delete object;
    }
    Constraints().ForgetObject(m_model);
    m_objects->RemoveObject(m_model);
    delete m_model;
    delete m_objects;
}

void CSceneManager::SetToolManager(Tool3DManager* tools, ISurfaceRayIntersector* intersector)
{
    m_tools = tools;
    if (m_tools) m_tools->SetSurfaceIntersector(intersector);
}

void CSceneManager::AddChangeListener(IChangeListener* listener)
{
    if (listener) m_listeners.insert(listener);
}

void CSceneManager::RemoveChangeListener(IChangeListener* listener)
{
    m_listeners.erase(listener);
}

vynui_bt::RootNodeSceneObject* CSceneManager::GetRootSceneObject() const
{
    return m_model->GetRootSceneObject();
}

ConstraintManager& CSceneManager::Constraints()
{
    return m_constraints ? *m_constraints : GetConstraintManager();
}

// ---------------------------------------------------------------- broadcasts

namespace {

// A listener may add or remove listeners while it is told; the round works on
// a copy and skips those that left.
template <class Tell>
void Broadcast(const std::set<IChangeListener*>& listeners, Tell tell)
{
    const std::set<IChangeListener*> round = listeners;
    for (IChangeListener* listener : round)
        if (listeners.count(listener)) tell(listener);
}

}  // namespace

void CSceneManager::NotifySceneChanged()
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnSceneChanged(); });
}

void CSceneManager::NotifySelectionChanged()
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnSelectionChanged(m_objects->GetSelection()); });
}

void CSceneManager::NotifySelectionPicked()
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnSelectionPicked(m_objects->GetSelection()); });
}

void CSceneManager::NotifyObjectsModified()
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnObjectsModified(m_objects->GetSelection()); });
}

void CSceneManager::NotifyTreeChanged()
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnTreeChanged(); });
}

void CSceneManager::NotifyRedraw()
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnRedrawRequested(); });
}

void CSceneManager::NotifyCuttingPlaneSet(const Wml::Frame3<float>& frame)
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnCuttingPlaneSet(frame); });
}

void CSceneManager::NotifyCuttingPlaneCleared()
{
    Broadcast(m_listeners, [&](IChangeListener* l) { l->OnCuttingPlaneCleared(); });
}

void CSceneManager::StandardEnding()
{
    NotifySceneChanged();
    NotifyTreeChanged();
    NotifySelectionChanged();
}

// ---------------------------------------------------------------- tool state

void CSceneManager::ShowTool(bool show)
{
    if (m_tools) m_tools->Show(show);
}

bool CSceneManager::DynamicToolActive() const
{
    return m_tools && m_tools->GetActiveTool() && m_tools->GetActiveTool()->GetName() == "DynamicTool3D";
}

void CSceneManager::UpdateToolTargets()
{
    m_objects->UpdateToolTargets(m_tools);
}

void CSceneManager::ClearToolTargets()
{
    if (m_tools) m_tools->SetTargets(std::vector<SceneObject*>());
}

// ---------------------------------------------------------------- selection

void CSceneManager::AddSceneObject(SceneObject* object, bool select)
{
    if (!object) return;
    if (select) m_objects->ClearSelection();
    m_objects->AddObject(object, select);
    UpdateToolTargets();
    ShowTool(true);
    NotifySceneChanged();
    NotifySelectionChanged();
}

void CSceneManager::RemoveSceneObject(SceneObject* object)
{
    if (!object) return;
    m_objects->ClearSelection();
    m_objects->RemoveObjectTree(object);
    ClearToolTargets();
    NotifySceneChanged();
    NotifySelectionChanged();
}

void CSceneManager::SelectObject(SceneObject* object, bool exclusive)
{
    if (exclusive) m_objects->ClearSelection();
    m_objects->Select(object);
    UpdateToolTargets();
    ShowTool(true);
    NotifySelectionChanged();
}

void CSceneManager::DeselectObject(SceneObject* object)
{
    if (!object || !m_objects->IsSelected(object)) return;
    m_objects->Deselect(object);
    UpdateToolTargets();
    if (!DynamicToolActive()) ShowTool(false);
    NotifySelectionChanged();
}

void CSceneManager::ClearSelection()
{
    m_objects->ClearSelection();
    UpdateToolTargets();
    if (!DynamicToolActive()) ShowTool(false);
    NotifySelectionChanged();
}

void CSceneManager::SetSelection(const std::vector<SceneObject*>& objects)
{
    m_objects->ClearSelection();
    for (SceneObject* object : objects) m_objects->Select(object);
    UpdateToolTargets();
    ShowTool(!objects.empty());
    NotifySelectionChanged();
}

// ---------------------------------------------------------------- tree edits

BlobTreeNodeSceneObject* CSceneManager::DefaultParent()
{
    const OrderedObjectSet& selection = m_objects->GetSelection();
    if (!selection.Empty()) {
        CompositionNodeSceneObject* group = AsComposition(selection.Items().front());
        if (group && group->GetTree() == m_model) return group;
    }
    return GetRootSceneObject();
}

void CSceneManager::FinishAdd(BlobTreeNodeSceneObject* object, bool select)
{
    object->AddListener(this);
    m_objects->ClearSelection();
    m_objects->AddObject(object, select);
    UpdateToolTargets();
    ShowTool(select);
    StandardEnding();
}

BlobTreeNodeSceneObject* CSceneManager::AddNode(int code, BlobTreeNodeSceneObject* parent, bool select)
{
    ModelLock lock(m_model->GetLock());
    if (!parent && !m_objects->GetSelection().Empty()) {
        CompositionNodeSceneObject* group = AsComposition(m_objects->GetSelection().Items().front());
        if (group && group->GetTree() == m_model) parent = group;
    }
    BlobTreeNodeSceneObject* object = m_model->GetFactory()->CreateAndAttach(parent, code, -1);
    if (!object) return nullptr;
    FinishAdd(object, select);
    return object;
}

BlobTreeNodeSceneObject* CSceneManager::WrapSelection(int code)
{
    ModelLock lock(m_model->GetLock());
    const OrderedObjectSet& selection = m_objects->GetSelection();
    if (selection.Empty()) return AddNode(code, nullptr, true);

    BlobTreeNodeSceneObject* object = AsNode(selection.Items().front());
    if (!object) return nullptr;
    if (!NodeParent(object)) {
        if (code == ShapeCode::Hollow)
            DebugOutput("Ignoring attempt to hollow root node...\n");
        else if (code == ShapeCode::Mirror)
            DebugOutput("Ignoring attempt to Mirror root node...\n");
        else if (code == ShapeCode::Group)
            DebugOutput("Ignoring attempt to make part at root node...\n");
        return nullptr;
    }
    BlobTreeNodeSceneObject* oldParent = nullptr;
    if (!DetachNode(object, &oldParent)) return nullptr;
    BlobTreeNodeSceneObject* wrapper = m_model->GetFactory()->CreateAndAttach(oldParent, code, -1);
    if (!wrapper) {
        // Unknown code: put the node back where it can be found.
        AttachNode(oldParent, object, -1);
        StandardEnding();
        return nullptr;
    }
    wrapper->AddListener(this);
    AttachNode(wrapper, object, -1);
    m_objects->ClearSelection();
    m_objects->AddObject(wrapper, true);
    UpdateToolTargets();
    ShowTool(true);
    StandardEnding();
    return wrapper;
}

BlobTreeNodeSceneObject* CSceneManager::Blend(BlobTreeNodeSceneObject* a, BlobTreeNodeSceneObject* b,
                                              bool smooth)
{
    ModelLock lock(m_model->GetLock());
    if (!a || !b || a == b) return nullptr;
    // Both must come off operators, or neither is touched: detaching one and
    // then failing on the other would lose the first from the tree.
    if (!AsComposition(a->GetParent()) || !AsComposition(b->GetParent())) return nullptr;
    BlobTreeNodeSceneObject* parent = nullptr;
    if (!DetachNode(a, &parent)) return nullptr;
    if (!DetachNode(b)) {
        AttachNode(parent, a, -1);
        return nullptr;
    }
    BlobTreeNodeSceneObject* blend = m_model->GetFactory()->CreateAndAttach(
        parent, smooth ? ShapeCode::RicciBlend : ShapeCode::BartheSharpUnion, -1);
    if (smooth) SetRicciPower(blend);
    AttachNode(blend, a, -1);
    AttachNode(blend, b, -1);
    FinishAdd(blend, true);
    return blend;
}

void CSceneManager::ForgetTree(SceneObject* object, bool dropMeshes)
{
    if (!object) return;
    for (SceneObject* child : object->GetChildren()) ForgetTree(child, dropMeshes);
    for (SceneObject* handle : object->GetHandles()) Constraints().ForgetObject(handle);
    Constraints().ForgetObject(object);
    if (dropMeshes && m_meshDropper) m_meshDropper(object);
}

void CSceneManager::RemoveSelected()
{
    ModelLock lock(m_model->GetLock());
    const OrderedObjectSet& selection = m_objects->GetSelection();
    if (selection.Empty()) return;
    BlobTreeNodeSceneObject* object = AsNode(selection.Items().front());
    if (!object) return;
    if (!NodeParent(object)) {
        DebugOutput("Ignoring attempt to remove root node...\n");
        return;
    }
    BlobTreeNodeSceneObject* parent = nullptr;
    if (!DetachNode(object, &parent)) return;
    m_objects->ClearSelection();
    m_objects->RemoveObjectTree(object);
    ClearToolTargets();
    ForgetTree(object);
    delete object;
    UpdateToolTargets();
    ShowTool(false);
    if (parent) CleanUp(parent, 3);
    StandardEnding();
}

bool CSceneManager::RemoveNode(BlobTreeNodeSceneObject* object, bool notify)
{
    ModelLock lock(m_model->GetLock());
    if (!NodeParent(object)) return false;
    const std::vector<SceneObject*> children = object->GetChildren();
    for (SceneObject* child : children)
        if (BlobTreeNodeSceneObject* node = AsNode(child)) RemoveNode(node, true);
    if (!DetachNode(object)) return false;
    m_objects->ClearSelection();
    m_objects->RemoveObjectTree(object);
    ClearToolTargets();
    ForgetTree(object);
    delete object;
    if (notify) {
        ClearToolTargets();
        UpdateToolTargets();
        ShowTool(false);
        StandardEnding();
    }
    return true;
}

void CSceneManager::DeleteOwned(SceneObject* object)
{
    auto it = std::find(m_owned.begin(), m_owned.end(), object);
    if (it == m_owned.end()) return;
    m_owned.erase(it);
    Constraints().ForgetObject(object);
    delete object;
}

void CSceneManager::RemoveBillboard(BillboardSO* billboard)
{
    if (!billboard) return;
    DeselectObject(billboard);
    m_objects->RemoveObject(billboard);
    ClearToolTargets();
    UpdateToolTargets();
    DeleteOwned(billboard);
    NotifySceneChanged();
    NotifySelectionChanged();
}

void CSceneManager::DeleteDetachedNodes()
{
    ModelLock lock(m_model->GetLock());
    std::vector<SceneObject*> detached;
    for (SceneObject* object : m_objects->GetObjects())
        if (object != m_model && object != GetRootSceneObject() && !object->GetParent() && AsNode(object))
            detached.push_back(object);
    if (detached.empty()) return;
    for (SceneObject* object : detached) m_objects->Deselect(object);
    ClearToolTargets();
    UpdateToolTargets();
    for (SceneObject* object : detached) {
        ForgetTree(object, true);
        m_objects->RemoveObjectTree(object);
        delete object;
    }
    NotifySceneChanged();
    NotifySelectionChanged();
}

void CSceneManager::MoveNode(BlobTreeNodeSceneObject* object, BlobTreeNodeSceneObject* newParent)
{
    ModelLock lock(m_model->GetLock());
    if (!object || !newParent || newParent == object || !CompositionNodeOf(newParent)) return;
    // A node cannot go under its own sub-tree: the tree would lose it.
    for (SceneObject* up = newParent; up; up = up->GetParent())
        if (up == object) return;
    BlobTreeNodeSceneObject* oldParent = nullptr;
    if (!DetachNode(object, &oldParent)) return;
    AttachNode(newParent, object, -1);
    if (oldParent) CleanUp(oldParent, 2);
    NotifySceneChanged();
    NotifyTreeChanged();
}

void CSceneManager::AttachNode(BlobTreeNodeSceneObject* parent, BlobTreeNodeSceneObject* child, int index)
{
    ModelLock lock(m_model->GetLock());
    vynbt::CompositionNode* node = CompositionNodeOf(parent);
    if (!node || !child || child == parent) return;
    node->AddChild(child->GetNode(), index);
    parent->InsertChild(child, index);
}

bool CSceneManager::DetachNode(BlobTreeNodeSceneObject* object, BlobTreeNodeSceneObject** parentOut,
                               int* indexOut)
{
    ModelLock lock(m_model->GetLock());
    if (!object) return false;
    CompositionNodeSceneObject* parent = AsComposition(object->GetParent());
    if (!parent) return false;
    if (indexOut) {
        const std::vector<SceneObject*>& siblings = parent->GetChildren();
        auto it = std::find(siblings.begin(), siblings.end(), object);
        *indexOut = it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
    }
    parent->RemoveChild(object);
    if (vynbt::CompositionNode* node = parent->GetCompositionNode()) node->RemoveChild(object->GetNode());
    // The child list no longer holds the object: its parent link must not
    // claim otherwise, or a later delete would reach into the old parent.
    object->SetParent(nullptr);
    if (parentOut) *parentOut = parent;
    return true;
}

void CSceneManager::ClearNodeChildren(BlobTreeNodeSceneObject* object)
{
    ModelLock lock(m_model->GetLock());
    vynbt::CompositionNode* node = CompositionNodeOf(object);
    if (!node) return;
    node->ClearChildren();
    for (SceneObject* child : object->GetChildren()) child->SetParent(nullptr);
    object->ClearChildren();
}

void CSceneManager::CleanUp(BlobTreeNodeSceneObject* object, int flags)
{
    if (!m_autoCleanup || !object) return;
    ModelLock lock(m_model->GetLock());
    const std::vector<SceneObject*> children = object->GetChildren();
    for (SceneObject* child : children)
        if (BlobTreeNodeSceneObject* node = AsNode(child)) CleanUp(node, flags);
    CompositionNodeSceneObject* group = AsComposition(object);
    if (!group || group->GetTree() != m_model) return;
    bool detached = false;
    if ((flags & 2) && group->GetChildren().empty()) detached = DetachNode(group);
    if (!detached && (flags & 1) && group->GetChildren().size() == 1) {
        CompositionNodeSceneObject* only = AsComposition(group->GetChildren().front());
        BlobTreeNodeSceneObject* formerParent = nullptr;
        if (only && DetachNode(group, &formerParent)) {
            DetachNode(only);
            AttachNode(formerParent, only, -1);
        }
    }
}

void CSceneManager::NewScene()
{
    ModelLock lock(m_model->GetLock());
    m_objects->ClearSelection();
    ClearToolTargets();
    UpdateToolTargets();
    ShowTool(false);
    vynui_bt::RootNodeSceneObject* root = GetRootSceneObject();
    const std::vector<SceneObject*> children = root->GetChildren();
    for (SceneObject* child : children)
        if (BlobTreeNodeSceneObject* node = AsNode(child)) RemoveNode(node, false);
    StandardEnding();
}

void CSceneManager::SetCuttingPlane(const Wml::Frame3<float>& frame)
{
    ModelLock lock(m_model->GetLock());
    vynbt::RootNode* root = GetRootSceneObject()->GetRootNode();
    root->SetCuttingPlane(frame);
    root->EnableCuttingPlane(true);
    NotifyCuttingPlaneSet(frame);
    NotifyObjectsModified();
}

void CSceneManager::ClearCuttingPlane()
{
    ModelLock lock(m_model->GetLock());
    GetRootSceneObject()->GetRootNode()->EnableCuttingPlane(false);
    NotifyCuttingPlaneCleared();
    NotifyObjectsModified();
}

void CSceneManager::Flip(int axis)
{
    ModelLock lock(m_model->GetLock());
    const std::vector<SceneObject*> selected = m_objects->GetSelection().Items();
    for (SceneObject* object : selected)
        object->Scale(axis == 0 ? -1.0f : 1.0f, axis == 1 ? -1.0f : 1.0f, axis == 2 ? -1.0f : 1.0f, true,
                      false);
}

// ---------------------------------------------------------------- shape builders

BlobTreeNodeSceneObject* CSceneManager::AddLinearSweep(Profile profile, const Wml::Frame3<float>& frame,
                                                       bool blobbyCaps, float length, float falloff)
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object =
        m_model->GetFactory()->CreateAndAttach(nullptr, ShapeCode::CappedLinearSweep, -1);
    if (!object) return nullptr;
    SetUpLinearSweep(object, profile, frame, blobbyCaps ? 1 : 2, length, falloff);
    FinishAdd(object, true);
    return object;
}

BlobTreeNodeSceneObject* CSceneManager::AddCurveSweep(Profile profile, bool sharpCaps, float radius)
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object =
        m_model->GetFactory()->CreateAndAttach(nullptr, ShapeCode::CubicCurveSweep, -1);
    auto* sweepObject = dynamic_cast<vynui_bt::CurveSweepSceneObject*>(object);
    if (!sweepObject) return object;
    vynimplicit::CurveSweep* sweep = sweepObject->GetSweepNode()->GetSweep();
    if (sharpCaps) sweep->SetCapStyle(2);
    if (std::isfinite(radius)) sweep->SetRadius(radius);
    if (profile) sweepObject->SetSharedProfile(profile);
    sweepObject->GetNode()->OnNodeModified();
    for (SceneObject* child : sweepObject->GetChildren()) m_objects->AddObject(child, false);
    FinishAdd(object, true);
    return object;
}

BlobTreeNodeSceneObject* CSceneManager::AddRevolution(Profile profile, const Wml::Frame3<float>& frame)
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object =
        m_model->GetFactory()->CreateAndAttach(nullptr, ShapeCode::Revolution, -1);
    auto* revolution = dynamic_cast<vynui_bt::RevolutionSceneObject*>(object);
    if (!revolution) return object;
    revolution->GetNode()->SetFrame(frame);
    if (profile) revolution->SetSharedProfile(profile);
    FinishAdd(object, true);
    return object;
}

BlobTreeNodeSceneObject* CSceneManager::AddPolyLine(const std::vector<Wml::Vector3<float>>& points,
                                                    float radius)
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object =
        m_model->GetFactory()->CreateAndAttach(nullptr, ShapeCode::PolyLine, -1);
    if (!object) return nullptr;
    auto* node = static_cast<vynbt::PolyLineNode*>(object->GetNode());
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    for (const Wml::Vector3<float>& p : points) node->GetPolyLine()->AppendVertex(p);
    node->ChildModifiedHack_AfterChange(before);
    node->SetRadius(radius);
    FinishAdd(object, true);
    return object;
}

BlobTreeNodeSceneObject* CSceneManager::BlendWithSweep(BlobTreeNodeSceneObject* target, Profile profile,
                                                       const Wml::Frame3<float>& frame, bool blobbyCaps,
                                                       float length, float falloff)
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* parent = nullptr;
    int index = -1;
    if (!DetachNode(target, &parent, &index)) return nullptr;
    vynui_bt::BlobTreeFactory* factory = m_model->GetFactory();
    BlobTreeNodeSceneObject* blend = factory->CreateAndAttach(parent, ShapeCode::RicciBlend, index);
    SetRicciPower(blend);
    AttachNode(blend, target, -1);
    BlobTreeNodeSceneObject* sweep = factory->CreateAndAttach(blend, ShapeCode::CappedLinearSweep, -1);
    SetUpLinearSweep(sweep, profile, frame, blobbyCaps ? 1 : 0, length, falloff);
    sweep->GetNode()->OnNodeModified();
    blend->AddListener(this);
    sweep->AddListener(this);
    m_objects->ClearSelection();
    m_objects->AddObject(blend, false);
    m_objects->AddObject(sweep, true);
    if (m_extraObjectSink) m_extraObjectSink(sweep);
    UpdateToolTargets();
    ShowTool(true);
    StandardEnding();
    vynbt::FieldCacheManager::Get()->OptimizeCacheTree(GetRootSceneObject()->GetRootNode());
    return blend;
}

BlobTreeNodeSceneObject* CSceneManager::CutWithSweep(BlobTreeNodeSceneObject* target, Profile profile,
                                                     const Wml::Frame3<float>& frame)
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* parent = nullptr;
    int index = -1;
    if (!target || !target->GetNode() || !DetachNode(target, &parent, &index)) return nullptr;
    vynui_bt::BlobTreeFactory* factory = m_model->GetFactory();
    BlobTreeNodeSceneObject* difference =
        factory->CreateAndAttach(parent, ShapeCode::BartheSmoothDifference, index);
    AttachNode(difference, target, -1);
    BlobTreeNodeSceneObject* sweep = factory->CreateAndAttach(difference, ShapeCode::CappedLinearSweep, -1);

    // The cut reaches through the target along the world axis nearest the
    // sweep's direction.
    Wml::AxisAlignedBox3<float> bounds;
    target->GetNode()->FieldBounds(bounds);
    const Wml::Vector3<float> z = frame.GetAxis(2);
    const float ax = std::fabs(z.X()), ay = std::fabs(z.Y()), az = std::fabs(z.Z());
    const int axis = (az >= ax && az >= ay) ? 2 : (ax > ay ? 0 : 1);
    const float extent = bounds.Max(axis) - bounds.Min(axis);
    const float halfLength = (std::isfinite(extent) && extent > 0.0f) ? extent * 0.5f : 0.1f;

    SetUpLinearSweep(sweep, profile, frame, 2, 2.0f * halfLength, 0.0f);
    if (auto* sweepObject = dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(sweep)) {
        vynimplicit::DiscreteLinearSweep* field = sweepObject->GetSweepNode()->GetSweep();
        field->SetFalloffLength(0.1f * field->GetRadius());
        field->SetHalfLength(halfLength);
    }
    sweep->GetNode()->OnNodeModified();
    difference->AddListener(this);
    sweep->AddListener(this);
    m_objects->ClearSelection();
    m_objects->AddObject(sweep, false);
    m_objects->AddObject(difference, true);
    if (m_extraObjectSink) m_extraObjectSink(sweep);
    UpdateToolTargets();
    ShowTool(true);
    StandardEnding();
    vynbt::FieldCacheManager::Get()->OptimizeCacheTree(GetRootSceneObject()->GetRootNode());
    return sweep;
}

void CSceneManager::AdjustSweepLengths(float length)
{
    ModelLock lock(m_model->GetLock());
    if (!std::isfinite(length)) return;
    for (SceneObject* object : m_objects->GetSelection()) {
        if (!dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(object)) continue;
        const float b = length * 2.2222223f * 0.5f;
        const float a = length - 2.0f * b * 0.45f;
        SetFloatParameter(object, "Falloff Length", b);
        SetFloatParameter(object, "Length", a);
        break;
    }
}

BlobTreeNodeSceneObject* CSceneManager::AddBlendedRevolution(vynui_bt::BlobTreeSceneObject* model,
                                                             Profile profile, const Wml::Frame3<float>& frame)
{
    if (model != m_model) return nullptr;
    ModelLock lock(m_model->GetLock());
    vynui_bt::RootNodeSceneObject* root = GetRootSceneObject();
    vynui_bt::BlobTreeFactory* factory = m_model->GetFactory();
    BlobTreeNodeSceneObject* blend = nullptr;
    if (!root->GetChildren().empty()) {
        BlobTreeNodeSceneObject* first = AsNode(root->GetChildren().front());
        if (first && first->GetNode() &&
            first->GetNode()->GetType() == vynbt::BlobTreeNode::NodeType::RicciBlend)
            blend = first;
    }
    if (!blend) {
        std::vector<BlobTreeNodeSceneObject*> former;
        for (SceneObject* child : root->GetChildren())
            if (BlobTreeNodeSceneObject* node = AsNode(child)) former.push_back(node);
        ClearNodeChildren(root);
        blend = factory->CreateAndAttach(root, ShapeCode::RicciBlend, -1);
        SetRicciPower(blend);
        if (former.size() == 1) {
            AttachNode(blend, former.front(), -1);
        } else if (former.size() > 1) {
            BlobTreeNodeSceneObject* sum = factory->CreateAndAttach(blend, ShapeCode::SumBlend, -1);
            sum->AddListener(this);
            m_objects->AddObject(sum, false);
            for (BlobTreeNodeSceneObject* node : former) AttachNode(sum, node, -1);
        }
    }
    BlobTreeNodeSceneObject* revolution = factory->CreateAndAttach(blend, ShapeCode::Revolution, -1);
    revolution->AddListener(this);
    m_objects->AddObject(revolution, false);
    revolution->GetNode()->SetFrame(frame);
    if (profile)
        if (auto* r = dynamic_cast<vynui_bt::RevolutionSceneObject*>(revolution))
            r->SetSharedProfile(profile);
    revolution->GetNode()->OnNodeModified();
    FinishAdd(blend, true);
    return blend;
}

// ---------------------------------------------------------------- gestures

bool CSceneManager::PickRayAt(const Wml::Vector2<float>& point, Wml::Ray3<float>& ray) const
{
    Wml::ExtendedWmlCamera* camera = m_tools ? m_tools->GetCamera() : nullptr;
    if (!camera || !std::isfinite(point.X()) || !std::isfinite(point.Y())) return false;
    const int width = camera->GetViewportWidth();
    const int height = camera->GetViewportHeight();
    // Far-off points are kept in int range; such a ray simply meets nothing.
    const float limit = 1.0e8f;
    const int x = static_cast<int>(std::max(-limit, std::min(limit, point.X())));
    const int y = static_cast<int>(std::max(-limit, std::min(limit, point.Y())));
    // Gesture points already count y from the bottom, as pick rays do.
    ray = camera->GetPickRay(x, y, width, height);
    return true;
}

BlobTreeNodeSceneObject* CSceneManager::PickNode(const Wml::Ray3<float>& ray)
{
    ModelLock lock(m_model->GetLock());
    vynbt::RootNode* root = GetRootSceneObject()->GetRootNode();
    Wml::Vector3<float> hit;
    if (!root->FindIntersection(ray.Origin(), ray.Direction(), hit, nullptr, 0.0f, 0.5f, 10)) return nullptr;
    vynbt::BlobTreeNode* node = nullptr;
    float value = 0.0f;
    root->SelectClosestPrimitive(hit, &node, value);
    if (!node) return nullptr;
    for (SceneObject* object : m_objects->GetObjects()) {
        BlobTreeNodeSceneObject* candidate = AsNode(object);
        if (candidate && candidate->GetNode() == node) return candidate;
    }
    return nullptr;
}

bool CSceneManager::OnTap(const Wml::Vector2<float>& point)
{
    ModelLock lock(m_model->GetLock());
    Wml::Ray3<float> ray;
    if (!PickRayAt(point, ray)) return true;

    SceneObject* owner = nullptr;
    SceneObject* handle = nullptr;
    float nearest = 0.0f;
    for (SceneObject* object : m_objects->GetSelection()) {
        for (SceneObject* h : object->GetHandles()) {
            float t = 0.0f;
            if (h->Pick(ray, t) && (!handle || t < nearest)) {
                owner = object;
                handle = h;
                nearest = t;
            }
        }
    }
    if (handle) {
        m_objects->SelectSubObject(owner, handle, true);
        UpdateToolTargets();
        NotifySelectionPicked();
        ShowTool(true);
        return true;
    }
    if (BlobTreeNodeSceneObject* node = PickNode(ray)) {
        m_objects->ClearSelection();
        m_objects->Select(node);
        UpdateToolTargets();
        NotifySelectionPicked();
        ShowTool(true);
        return true;
    }
    if (m_objects->SelectAt(ray, false)) {
        UpdateToolTargets();
        NotifySelectionPicked();
        ShowTool(true);
        return true;
    }
    m_objects->ClearSelection();
    UpdateToolTargets();
    NotifySelectionPicked();
    if (!DynamicToolActive()) ShowTool(false);
    return true;
}

bool CSceneManager::OnLine(const GestureSegment& /*segment*/)
{
    ModelLock lock(m_model->GetLock());
    return false;
}

bool CSceneManager::OnScribble(const Wml::Box2<float>& box)
{
    ModelLock lock(m_model->GetLock());
    const OrderedObjectSet& selection = m_objects->GetSelection();
    if (selection.Empty()) return false;
    SceneObject* first = selection.Items().front();
    if (first == GetRootSceneObject()) return false;
    Wml::Ray3<float> ray;
    if (!PickRayAt(box.Center(), ray)) return false;
    if (BlobTreeNodeSceneObject* node = AsNode(first)) {
        Wml::Vector3<float> hit;
        if (node->GetNode() &&
            node->GetNode()->FindIntersection(ray.Origin(), ray.Direction(), hit, nullptr, 0.0f, 0.5f, 10))
            return RemoveNode(node, true);
        return false;
    }
    if (auto* billboard = dynamic_cast<BillboardSO*>(first)) {
        float t = 0.0f;
        if (billboard->Pick(ray, t)) {
            RemoveBillboard(billboard);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- listener roles

void CSceneManager::OnSceneObjectChanged(SceneObject* /*object*/, const SceneObjectEvent* /*event*/)
{
    NotifyObjectsModified();
}

void CSceneManager::OnToolAction(ITool3D* /*tool*/)
{
    NotifyObjectsModified();
}

// ---------------------------------------------------------------- constraint host

void CSceneManager::SelectAlone(SceneObject* object)
{
    if (!object || !m_objects->IsRegistered(object)) return;
    m_objects->ClearSelection();
    m_objects->Select(object);
    UpdateToolTargets();
    ShowTool(true);
    NotifySelectionPicked();
}

void CSceneManager::AddToScene(SceneObject* object)
{
    if (!object) return;
    if (std::find(m_owned.begin(), m_owned.end(), object) == m_owned.end()) m_owned.push_back(object);
    m_objects->AddObject(object, false);
    NotifySceneChanged();
}

void CSceneManager::RemoveFromScene(SceneObject* object)
{
    if (!object) return;
    const bool wasSelected = m_objects->IsSelected(object);
    m_objects->RemoveObject(object);
    m_owned.erase(std::remove(m_owned.begin(), m_owned.end(), object), m_owned.end());
    if (wasSelected) UpdateToolTargets();
    NotifySceneChanged();
    if (wasSelected) NotifySelectionChanged();
}

bool CSceneManager::SketchHasStrokes()
{
    return m_sketchQuery ? m_sketchQuery() : false;
}

void CSceneManager::RequestRedraw()
{
    NotifyRedraw();
}

Wml::ExtendedWmlCamera* CSceneManager::GetCamera()
{
    return m_tools ? m_tools->GetCamera() : nullptr;
}

// ---------------------------------------------------------------- per view

namespace {

struct SceneManagers {
    const void* current = nullptr;
    std::map<const void*, CSceneManager*> byView;
};

SceneManagers& Managers()
{
    static SceneManagers managers;
    return managers;
}

}  // namespace

CSceneManager* GetSceneManager()
{
    SceneManagers& managers = Managers();
    CSceneManager*& manager = managers.byView[managers.current];
    if (!manager) manager = new CSceneManager();
    return manager;
}

void SetCurrentSceneView(const void* view)
{
    Managers().current = view;
}

const void* GetCurrentSceneView()
{
    return Managers().current;
}

void ReleaseSceneManager(const void* view)
{
    SceneManagers& managers = Managers();
    auto it = managers.byView.find(view);
    if (it == managers.byView.end()) return;
    delete it->second;
    managers.byView.erase(it);
}

}  // namespace vynui

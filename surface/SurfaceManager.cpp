#include "surface/SurfaceManager.h"

#include <algorithm>
#include <cmath>

#include "blobtree/BlobTreeNode.h"
#include "blobtree/RootNode.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/optimize/IterativeMeshOptimizer.h"
#include "implicit/optimize/MeshNormals.h"
#include "implicit/optimize/OhtakeMeshOptimizer.h"
#include "surface/IsoSurfaceMesh.h"
#include "surface/PolygonizerControlDialogModel.h"

namespace vynui {

namespace {

vynbt::RootNode* RootOf(vynui_bt::BlobTreeSceneObject* object)
{
    if (!object) return nullptr;
    vynui_bt::RootNodeSceneObject* root = object->GetRootSceneObject();
    return root ? root->GetRootNode() : nullptr;
}

}  // namespace

CSurfaceManager::CSurfaceManager() : m_dialog(new PolygonizerControlDialogModel()) {}

CSurfaceManager::~CSurfaceManager()
{
    for (auto& entry : m_sceneToSurface) delete entry.second;
}

bool CSurfaceManager::OnCommand(const std::string& menuText)
{
    if (menuText == "Polygonizer Control") {
        m_dialog->Load(*this);
        if (m_showDialog) m_showDialog();
        return true;
    }
    if (menuText == "Finer Mesh") {
        ScaleCellSizeDown(0.9f, true);
        return true;
    }
    if (menuText == "Coarser Mesh") {
        ScaleCellSizeUp(1.1f, true);
        return true;
    }
    return false;
}

bool CSurfaceManager::OnUpdateCommand(const std::string& menuText, CommandState& state)
{
    if (menuText == "Polygonizer Control" || menuText == "Finer Mesh" || menuText == "Coarser Mesh") {
        state.enabled = true;
        state.checked = false;
        return true;
    }
    return false;
}

void CSurfaceManager::AddSceneSurface(vynui_bt::BlobTreeSceneObject* object)
{
    boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
    if (!object || m_sceneToSurface.count(object)) return;
    vynbt::RootNode* root = RootOf(object);
    if (!root) return;
    auto* surface = new IsoSurfaceMesh(root, &m_settings);
    m_sceneToSurface[object] = surface;
    m_surfaceToScene[surface] = object;
    root->AddListener(this);
    surface->SetValidator(this);
    surface->SetBounded(m_algorithm == BoundedMarchingCubes);
    m_chainTops.push_back(surface);
    surface->AddListener(this);
}

int CSurfaceManager::FindChainOf(IsoSurfaceMesh* surface) const
{
    for (size_t i = 0; i < m_chainTops.size(); ++i) {
        // Walk down from the top; a chain is short.
        for (SurfaceTreeNode* node = m_chainTops[i]; node; node = node->GetChild())
            if (node == surface) return static_cast<int>(i);
    }
    return -1;
}

bool CSurfaceManager::RemoveSceneSurface(vynui_bt::BlobTreeSceneObject* object)
{
    boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
    auto found = m_sceneToSurface.find(object);
    if (found == m_sceneToSurface.end()) return false;
    IsoSurfaceMesh* surface = found->second;
    if (surface->GetRoot()) surface->GetRoot()->RemoveListener(this);
    const int chain = FindChainOf(surface);
    if (chain >= 0) {
        for (SurfaceTreeNode* node = m_chainTops[chain]; node && node != surface; node = node->GetChild()) {
            node->RemoveListener(this);
            node->SetValidator(nullptr);
        }
        m_chainTops.erase(m_chainTops.begin() + chain);
    }
    m_sceneToSurface.erase(found);
    m_surfaceToScene.erase(surface);
    surface->RemoveListener(this);
    surface->SetValidator(nullptr);
    // Listeners drop what they hold of the surfaces before it goes.
    NotifySurfacesReset();
    delete surface;
    return true;
}

IsoSurfaceMesh* CSurfaceManager::GetSurface(vynui_bt::BlobTreeSceneObject* object) const
{
    auto found = m_sceneToSurface.find(object);
    return found == m_sceneToSurface.end() ? nullptr : found->second;
}

vynui_bt::BlobTreeSceneObject* CSurfaceManager::GetSceneObject(IsoSurfaceMesh* surface) const
{
    auto found = m_surfaceToScene.find(surface);
    return found == m_surfaceToScene.end() ? nullptr : found->second;
}

SurfaceTreeNode* CSurfaceManager::GetChainTop(unsigned int chain) const
{
    return chain < m_chainTops.size() ? m_chainTops[chain] : nullptr;
}

bool CSurfaceManager::PushNode(unsigned int chain, SurfaceTreeNode* node)
{
    if (chain >= m_chainTops.size() || !node || node == m_chainTops[chain]) return false;
    node->SetChild(m_chainTops[chain]);
    m_chainTops[chain] = node;
    node->AddListener(this);
    node->SetValidator(this);
    node->SetDerived(true);
    NotifySurfaceChanged(&m_chainTops[chain], node);
    return true;
}

bool CSurfaceManager::InsertNode(unsigned int chain, SurfaceTreeNode* node)
{
    if (chain >= m_chainTops.size() || !node) return false;
    node->SetDerived(true);
    node->AddListener(this);
    node->SetValidator(this);
    if (!node->GetParent()) m_chainTops[chain] = node;
    return true;
}

bool CSurfaceManager::ReplaceNode(unsigned int chain, SurfaceTreeNode* oldNode, SurfaceTreeNode* newNode)
{
    if (chain >= m_chainTops.size() || !oldNode || !newNode || oldNode == newNode) return false;
    if (m_chainTops[chain] == oldNode) m_chainTops[chain] = newNode;
    SurfaceTreeNode* parent = oldNode->GetParent();
    SurfaceTreeNode* child = oldNode->GetChild();
    oldNode->SetChild(nullptr);
    oldNode->RemoveListener(this);
    oldNode->SetValidator(nullptr);
    oldNode->SetParent(nullptr);
    if (parent) parent->SetChild(newNode);
    newNode->SetChild(child);
    newNode->AddListener(this);
    newNode->SetValidator(this);
    NotifySurfaceChanged(&m_chainTops[chain], newNode);
    return true;
}

bool CSurfaceManager::RemoveNode(unsigned int chain, SurfaceTreeNode* node)
{
    if (chain >= m_chainTops.size() || !node) return false;
    SurfaceTreeNode* child = node->GetChild();
    if (!child) return false;
    if (m_chainTops[chain] == node) m_chainTops[chain] = child;
    SurfaceTreeNode* parent = node->GetParent();
    node->SetChild(nullptr);
    node->RemoveListener(this);
    node->SetValidator(nullptr);
    node->SetParent(nullptr);
    if (parent) {
        parent->SetChild(child);
        NotifySurfaceChanged(&m_chainTops[chain], parent);
    } else {
        child->SetParent(nullptr);
    }
    return true;
}

void CSurfaceManager::RepolygonizeAll()
{
    boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
    // A listener told about one surface may drop another.
    std::vector<IsoSurfaceMesh*> surfaces;
    for (auto& entry : m_sceneToSurface) surfaces.push_back(entry.second);
    for (IsoSurfaceMesh* surface : surfaces) {
        if (!m_surfaceToScene.count(surface)) continue;
        surface->Invalidate(false);
        NotifySurfaceChanged(nullptr, surface);
    }
}

void CSurfaceManager::RefineSurface(const RefinementRequest& request)
{
    boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
    IsoSurfaceMesh* surface = GetSurface(request.sceneObject);
    if (!surface || surface->IsBounded() || !surface->GetRoot()) return;
    vynbt::RootNode* root = surface->GetRoot();
    vynmesh::VFTriangleMesh& mesh = surface->GetResultMesh();
    {
        vynimplicit::OhtakeMeshOptimizer optimizer(mesh, 0.5f);
        if (request.subdivideOnce) {
            vynimplicit::IterativeMeshOptimizer subdivider(mesh, 0.5f);
            subdivider.InitializeOptimize();
            subdivider.DoOptimize(root, &vynimplicit::IterativeMeshOptimizer::DefaultIterationCallback);
        }
        if (request.rznSteps) optimizer.Optimize_RZNFlow(request.rznSteps, root);
        if (request.znSteps) optimizer.Optimize_ZNFlow(request.znSteps, root);
        if (request.rnSteps) optimizer.Optimize_RNFlow(request.rnSteps, root);
        if (request.rSteps) optimizer.Optimize_RFlow(request.rSteps, root, false);
        if (request.zSteps) optimizer.Optimize_ZFlow(request.zSteps, root);
        if (request.nSteps) optimizer.Optimize_NFlow(request.nSteps, root);
        vynimplicit::ReComputeNormals(mesh, root);
    }
    // The vertices moved: picking must not use the old tree.
    surface->GetOwnBVTree()->Clear();
    if (!request.silent) surface->Invalidate(true);
}

void CSurfaceManager::RefineAllSurfaces(unsigned int rzn, unsigned int zn, unsigned int rn, unsigned int r,
                                        unsigned int z, unsigned int n, bool subdivideOnce)
{
    boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
    std::vector<vynui_bt::BlobTreeSceneObject*> objects;
    for (auto& entry : m_sceneToSurface) objects.push_back(entry.first);
    for (vynui_bt::BlobTreeSceneObject* object : objects) {
        RefinementRequest request;
        request.sceneObject = object;
        request.rznSteps = rzn;
        request.znSteps = zn;
        request.rnSteps = rn;
        request.rSteps = r;
        request.zSteps = z;
        request.nSteps = n;
        request.subdivideOnce = subdivideOnce;
        request.silent = false;
        RefineSurface(request);
    }
}

void CSurfaceManager::ScaleCellSizeDown(float amount, bool multiply)
{
    {
        boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
        const float size = multiply ? m_settings.cellSize * amount : m_settings.cellSize - amount;
        if (!std::isfinite(size)) return;
        m_settings.cellSize = std::max(size, PolygonizerSettings::MIN_CELL_SIZE);
    }
    RepolygonizeAll();
}

void CSurfaceManager::ScaleCellSizeUp(float amount, bool multiply)
{
    {
        boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
        const float size = multiply ? m_settings.cellSize * amount : m_settings.cellSize + amount;
        if (!std::isfinite(size)) return;
        m_settings.cellSize = std::max(size, PolygonizerSettings::MIN_CELL_SIZE);
    }
    RepolygonizeAll();
}

void CSurfaceManager::SetAlgorithm(PolygonizerAlgorithm algorithm)
{
    {
        boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
        m_algorithm = algorithm;
        switch (algorithm) {
            case ExtendedMarchingCubes:
                m_settings.extendedMarchingCubes = true;
                for (auto& entry : m_sceneToSurface) entry.second->SetBounded(false);
                break;
            case MarchingCubes:
                m_settings.extendedMarchingCubes = false;
                for (auto& entry : m_sceneToSurface) entry.second->SetBounded(false);
                break;
            case BoundedMarchingCubes:
                m_settings.extendedMarchingCubes = false;
                for (auto& entry : m_sceneToSurface) entry.second->SetBounded(true);
                break;
            case MarchingTriangles:
            default:
                break;
        }
    }
    RepolygonizeAll();
}

void CSurfaceManager::OnSelectionChanged(const OrderedObjectSet& /*selection*/)
{
    NotifySurfacesReset();
}

void CSurfaceManager::OnSelectionPicked(const OrderedObjectSet& /*selection*/)
{
    NotifySurfacesReset();
}

void CSurfaceManager::OnCuttingPlaneSet(const Wml::Frame3<float>& /*frame*/)
{
    MarkAllChanged();
}

void CSurfaceManager::OnCuttingPlaneCleared()
{
    MarkAllChanged();
}

void CSurfaceManager::MarkAllChanged()
{
    std::vector<IsoSurfaceMesh*> surfaces;
    for (auto& entry : m_sceneToSurface) surfaces.push_back(entry.second);
    for (IsoSurfaceMesh* surface : surfaces) {
        if (!m_surfaceToScene.count(surface)) continue;
        Wml::AxisAlignedBox3<float> bounds;
        surface->GetRoot()->FieldBounds(bounds);
        MarkChanged(surface, bounds);
    }
}

void CSurfaceManager::OnChildModified(vynbt::BlobTreeNode* node, const Wml::AxisAlignedBox3<float>& region)
{
    if (!node) return;
    vynbt::BlobTreeNode* top = node;
    while (top->GetParent()) top = top->GetParent();
    for (auto& entry : m_sceneToSurface) {
        IsoSurfaceMesh* surface = entry.second;
        if (static_cast<vynbt::BlobTreeNode*>(surface->GetRoot()) == top) {
            MarkChanged(surface, region);
            return;
        }
    }
}

void CSurfaceManager::MarkChanged(IsoSurfaceMesh* surface, const Wml::AxisAlignedBox3<float>& region)
{
    surface->AddDirtyBox(region);
    surface->Invalidate(false);
    NotifySurfaceChanged(nullptr, surface);
}

void CSurfaceManager::OnNodeChanged(SurfaceTreeNode* node, bool /*valid*/)
{
    NotifySurfaceChanged(nullptr, node);
}

void CSurfaceManager::Validate(SurfaceTreeNode* node)
{
    if (!node) return;
    boost::recursive_mutex::scoped_lock lock(m_surfaceLock);
    const bool wasValid = node->IsValid();
    node->Update();
    if (wasValid || !m_alwaysQuickRefine) return;
    auto* surface = dynamic_cast<IsoSurfaceMesh*>(node);
    vynui_bt::BlobTreeSceneObject* object = surface ? GetSceneObject(surface) : nullptr;
    if (!object) return;
    RefinementRequest request;
    request.sceneObject = object;
    request.rSteps = 5;
    request.zSteps = 3;
    request.silent = true;
    RefineSurface(request);
}

void CSurfaceManager::NotifySurfaceChanged(SurfaceTreeNode** slot, SurfaceTreeNode* node)
{
    std::vector<ISurfaceManagerListener*> listeners(m_listeners.begin(), m_listeners.end());
    for (ISurfaceManagerListener* listener : listeners)
        if (m_listeners.count(listener)) listener->OnSurfaceChanged(slot, node);
}

void CSurfaceManager::NotifySurfacesReset()
{
    std::vector<ISurfaceManagerListener*> listeners(m_listeners.begin(), m_listeners.end());
    for (ISurfaceManagerListener* listener : listeners)
        if (m_listeners.count(listener)) listener->OnSurfacesReset();
}

CSurfaceManager* GetSurfaceManager()
{
    // Lives until the process ends, like the view's other managers.
    static CSurfaceManager* manager = new CSurfaceManager();
    return manager;
}

}  // namespace vynui

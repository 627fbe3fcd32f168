#pragma once
// Owns one polygonized surface per model, keeps the polygonizer settings,
// marks surfaces dirty when their tree changes and re-polygonizes lazily,
// when somebody reads a mesh. Also runs mesh refinement on request.
//
// Locks: the surface lock guards polygonization and refinement. Change
// notices from the tree arrive while the model's lock is held, so they never
// take the surface lock (the surface lock always comes first).

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <boost/thread/recursive_mutex.hpp>

#include "blobtree/RootNodeListener.h"
#include "scene/CommandTarget.h"
#include "scene/IChangeListener.h"
#include "surface/ISurfaceManagerListener.h"
#include "surface/PolygonizerSettings.h"
#include "surface/SurfaceTreeNode.h"

namespace vynui_bt {
class BlobTreeSceneObject;
}

namespace vynui {

class IsoSurfaceMesh;
class PolygonizerControlDialogModel;

class CSurfaceManager : public CommandTarget,
                        public IChangeListener,
                        public vynbt::RootNodeListener,
                        public SurfaceTreeNodeListener,
                        public SurfaceTreeNodeValidator {
public:
    CSurfaceManager();
    /// Deletes the surfaces it made; models still registered must have been
    /// dropped with RemoveSceneSurface first (their roots are not told).
    ~CSurfaceManager() override;
    CSurfaceManager(const CSurfaceManager&) = delete;
    CSurfaceManager& operator=(const CSurfaceManager&) = delete;

    boost::recursive_mutex& GetSurfaceLock() const { return m_surfaceLock; }

    // ---- commands: "Polygonizer Control", "Finer Mesh", "Coarser Mesh" ----
    bool OnCommand(const std::string& menuText) override;
    bool OnUpdateCommand(const std::string& menuText, CommandState& state) override;
    /// The settings dialog's model (loaded from the manager when shown).
    PolygonizerControlDialogModel& GetPolygonizerDialog() { return *m_dialog; }
    /// Called after "Polygonizer Control" loaded the dialog model; the
    /// program binds it to show its form.
    void SetShowDialogRequest(std::function<void()> request) { m_showDialog = std::move(request); }

    // ---- listeners ----
    void AddListener(ISurfaceManagerListener* listener) { m_listeners.insert(listener); }
    void RemoveListener(ISurfaceManagerListener* listener) { m_listeners.erase(listener); }

    // ---- surfaces and chains ----
    /// A new chain whose bottom polygonizes the model's root; nothing when the
    /// model already has a surface or has no root.
    void AddSceneSurface(vynui_bt::BlobTreeSceneObject* object);
    /// Drops the model's chain and deletes its surface (nodes stacked above
    /// are detached, not deleted). Call while the model's root still exists.
    /// False when the model has no surface.
    bool RemoveSceneSurface(vynui_bt::BlobTreeSceneObject* object);
    IsoSurfaceMesh* GetSurface(vynui_bt::BlobTreeSceneObject* object) const;
    vynui_bt::BlobTreeSceneObject* GetSceneObject(IsoSurfaceMesh* surface) const;
    unsigned int GetNumChains() const { return static_cast<unsigned int>(m_chainTops.size()); }
    /// Null for an index without a chain.
    SurfaceTreeNode* GetChainTop(unsigned int chain) const;
    /// The node becomes the new top of the chain. False for a bad chain or node.
    bool PushNode(unsigned int chain, SurfaceTreeNode* node);
    /// The node joins the chain; it becomes the top only when it has no parent.
    bool InsertNode(unsigned int chain, SurfaceTreeNode* node);
    bool ReplaceNode(unsigned int chain, SurfaceTreeNode* oldNode, SurfaceTreeNode* newNode);
    /// Takes a derived node out of the chain; the node is left invalid,
    /// detached and without validator. False (nothing done) for a node
    /// without a child: the bottom of a chain is never removed.
    bool RemoveNode(unsigned int chain, SurfaceTreeNode* node);

    // ---- polygonization and refinement ----
    void RepolygonizeAll();
    void RefineSurface(const RefinementRequest& request);
    void RefineAllSurfaces(unsigned int rzn, unsigned int zn, unsigned int rn, unsigned int r, unsigned int z,
                           unsigned int n, bool subdivideOnce);
    /// 5 R-flow and 3 Z-flow steps on every surface.
    void QuickRefine() { RefineAllSurfaces(0, 0, 0, 5, 3, 0, false); }
    /// Subdivides every surface once.
    void SubdivideMesh() { RefineAllSurfaces(0, 0, 0, 0, 0, 0, true); }
    /// Cell size times amount (multiply) or minus amount, floored at 0.001;
    /// a non-finite result is ignored. Re-polygonizes.
    void ScaleCellSizeDown(float amount, bool multiply);
    void ScaleCellSizeUp(float amount, bool multiply);

    // ---- settings ----
    PolygonizerSettings& GetSettings() { return m_settings; }
    PolygonizerAlgorithm GetAlgorithm() const { return m_algorithm; }
    /// Makes algorithm current, sets the extended flag and the surfaces'
    /// bounded mode it implies ("Marching Triangles" keeps both), then
    /// re-polygonizes every surface.
    void SetAlgorithm(PolygonizerAlgorithm algorithm);
    bool GetAlwaysQuickRefine() const { return m_alwaysQuickRefine; }
    void SetAlwaysQuickRefine(bool on) { m_alwaysQuickRefine = on; }
    bool GetSelectionColouring() const { return m_selectionColouring; }
    void SetSelectionColouring(bool on) { m_selectionColouring = on; }

    // ---- IChangeListener ----
    void OnSelectionChanged(const OrderedObjectSet& selection) override;
    void OnSelectionPicked(const OrderedObjectSet& selection) override;
    /// The root's plane tells no one; the whole surface is redone.
    void OnCuttingPlaneSet(const Wml::Frame3<float>& frame) override;
    void OnCuttingPlaneCleared() override;

    // ---- RootNodeListener ----
    void OnChildModified(vynbt::BlobTreeNode* node, const Wml::AxisAlignedBox3<float>& region) override;

    // ---- SurfaceTreeNodeListener / SurfaceTreeNodeValidator ----
    void OnNodeChanged(SurfaceTreeNode* node, bool valid) override;
    void Validate(SurfaceTreeNode* node) override;

private:
    void NotifySurfaceChanged(SurfaceTreeNode** slot, SurfaceTreeNode* node);
    void NotifySurfacesReset();
    /// Marks a surface's region changed without taking the surface lock.
    void MarkChanged(IsoSurfaceMesh* surface, const Wml::AxisAlignedBox3<float>& region);
    void MarkAllChanged();
    int FindChainOf(IsoSurfaceMesh* surface) const;

    mutable boost::recursive_mutex m_surfaceLock;
    std::set<ISurfaceManagerListener*> m_listeners;
    std::unique_ptr<PolygonizerControlDialogModel> m_dialog;
    std::function<void()> m_showDialog;
    PolygonizerAlgorithm m_algorithm = MarchingCubes;
    PolygonizerSettings m_settings;
    bool m_alwaysQuickRefine = false;
    bool m_selectionColouring = true;
    std::map<vynui_bt::BlobTreeSceneObject*, IsoSurfaceMesh*> m_sceneToSurface;
    std::map<IsoSurfaceMesh*, vynui_bt::BlobTreeSceneObject*> m_surfaceToScene;
    std::vector<SurfaceTreeNode*> m_chainTops;
};

/// The process-wide manager, made on first use.
CSurfaceManager* GetSurfaceManager();

}  // namespace vynui

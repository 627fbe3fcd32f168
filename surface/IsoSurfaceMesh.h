#pragma once
// The bottom node of a surface chain: the iso-surface of one tree root,
// polygonized with the CSG polygonizer (the whole surface each time) or, in
// bounded mode, with the incremental one (only the region that changed).

#include <atomic>
#include <functional>
#include <mutex>

#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
#include "surface/PolygonizerSettings.h"
#include "surface/SurfaceTreeNode.h"
#include "wml/AxisAlignedBox3.h"

namespace vynbt {
class RootNode;
}

namespace vynui {

class IsoSurfaceMesh : public SurfaceTreeNode {
public:
    /// Neither is owned. settings may be null: the node then keeps defaults
    /// of its own.
    IsoSurfaceMesh(vynbt::RootNode* root, PolygonizerSettings* settings);
    ~IsoSurfaceMesh() override;

    const char* GetTypeName() const override { return "IsoSurfaceMeshType"; }
    const char* GetClassName() const override { return "IsoSurfaceMesh"; }

    const vynmesh::VFTriangleMesh* GetOwnMesh() override { return &m_result; }
    const vynmesh::VFTriangleMesh* GetSourceMesh() override { return &m_result; }
    vynmesh::IMeshBVTree* GetOwnBVTree() override { return &m_bvTree; }
    bool IsExcludedElement(unsigned int index) override { return index == vynmesh::IMesh::InvalidID; }

    /// Walks p onto the 0.5 level of the root (40 damped gradient steps).
    void ProjectToSurface(const Wml::Vector3<float>& p, Wml::Vector3<float>& position,
                          Wml::Vector3<float>& normal, unsigned int& triangle) override;
    /// p relative to the minimum corner of the root's field bounds.
    bool ToAnchorCoordinate(const Wml::Vector3<float>& p, AnchorCoordinate& coordinate) override;
    bool FromAnchorCoordinate(const AnchorCoordinate* coordinate, Wml::Vector3<float>& position,
                              Wml::Vector3<float>& normal) override;
    /// Polygonizes when invalid; see the class comment.
    void Update() override;
    bool IntersectRay(const Wml::Vector3<float>& p0, const Wml::Vector3<float>& p1, Wml::Vector3<float>& hit,
                      Wml::Vector3<float>& normal, unsigned int& triangle) override;

    vynbt::RootNode* GetRoot() const { return m_root; }
    bool IsBounded() const { return m_bounded; }
    /// Switching bounded mode on rebuilds the whole surface at the next run
    /// (the incremental polygonizer's cells may be older than the mesh).
    void SetBounded(bool bounded)
    {
        if (bounded && !m_bounded) m_forceFull = true;
        m_bounded = bounded;
    }
    /// Adds a changed region for the next bounded run.
    void AddDirtyBox(const Wml::AxisAlignedBox3<float>& box);
    Wml::AxisAlignedBox3<float> GetDirtyBox() const;
    /// The mesh the polygonizers write (not validated).
    vynmesh::VFTriangleMesh& GetResultMesh() { return m_result; }
    /// Told the share done (0 to 1) during whole-surface runs; bounded runs
    /// do not report. Empty for none.
    void SetProgress(std::function<void(float)> progress) { m_csg.SetProgress(std::move(progress)); }
    PolygonizerSettings& GetSettings() { return *m_settings; }

    /// Whether the mesh lacks part of the surface: a run stopped at the
    /// settings' cell limit (a larger cell size needs fewer cells).
    bool IsIncomplete() const { return m_incomplete.load(std::memory_order_acquire); }

    /// What the last Update did, for callers that report or test it.
    enum class LastRun { None, Full, Partial, Csg };
    LastRun GetLastRun() const { return m_lastRun; }
    /// The dirty box handed to the last partial run.
    const Wml::AxisAlignedBox3<float>& GetLastUpdateBox() const { return m_lastUpdateBox; }

private:
    void PolygonizeCSG(PolygonizerSettings& settings);
    void PolygonizeBounded(PolygonizerSettings& settings, const Wml::AxisAlignedBox3<float>& dirty);

    vynbt::RootNode* m_root;
    PolygonizerSettings m_ownSettings;
    PolygonizerSettings* m_settings;
    bool m_bounded = false;
    bool m_forceFull = false;
    // Tree edits may report changes from another thread than the one that
    // polygonizes; the box alone is guarded (a leaf lock, nothing is called
    // while it is held).
    mutable std::mutex m_dirtyMutex;
    Wml::AxisAlignedBox3<float> m_dirtyBox;
    vynmesh::VFTriangleMesh m_result;
    vynimplicit::GG4CSGPolygonizer3D m_csg;
    vynimplicit::DynamicGG4Polygonizer3D m_dynamic;
    // What the incremental polygonizer was last given (it does not say).
    vynmesh::TriangleMesh* m_dynamicMesh = nullptr;
    unsigned int m_dynamicGridCells = 0;
    bool m_dynamicCountMode = false;
    vynmesh::IMeshBVTree m_bvTree;
    LastRun m_lastRun = LastRun::None;
    // Read from other threads than the one that polygonizes.
    std::atomic<bool> m_incomplete{false};
    Wml::AxisAlignedBox3<float> m_lastUpdateBox;
};

}  // namespace vynui

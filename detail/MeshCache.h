#pragma once
// Each shape's own polygonized mesh, kept between frames for the selection
// overlay and fast primitive mode.
//
// Meshes are in world coordinates: a node's field already carries its frame,
// and an imported mesh is copied through its frame. A mesh is made on the
// first GetMesh, marked stale when the object or one of its descendants
// reports a change, and remade on the next GetMesh. Structural edits of the
// tree are not reported by the objects: whoever makes them calls Invalidate.
//
// Objects do not tell their listeners when they are destroyed, so whoever
// removes an object calls DropMesh before deleting it. Entries remember the
// object IDs they were made for, so an object made later at the address of
// one that was never dropped gets a mesh of its own. Used from the user
// interface thread only; polygonization holds the model's lock.

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "implicit/mesh/VFTriangleMesh.h"
#include "scene/SceneObject.h"

namespace vynui {

class MeshCache : public SceneObjectListener {
public:
    MeshCache() = default;
    /// Stops listening to every object it still watches; those objects must
    /// still exist.
    ~MeshCache() override;
    MeshCache(const MeshCache&) = delete;
    MeshCache& operator=(const MeshCache&) = delete;

    /// The cached mesh of a shape (a tree node object or an imported mesh),
    /// made or remade when missing or stale. Null for other objects and for
    /// null. The pointer stays valid until the object's mesh is dropped; its
    /// contents change when the mesh is remade. A shape whose field has no
    /// usable bounds answers an empty mesh.
    const vynmesh::VFTriangleMesh* GetMesh(SceneObject* object);
    /// The meshes that show a shape on the selection surface: for an operator
    /// those of the primitive shapes below it (operators skipped), for any
    /// other shape its own. Appended to out; empty meshes are left out.
    void GetShapeMeshes(SceneObject* object, std::vector<const vynmesh::VFTriangleMesh*>& out);
    /// True when the object has a mesh that needs no remaking.
    bool HasCurrentMesh(SceneObject* object) const;
    /// Forgets the mesh of the object and of every object below it (a removed
    /// object takes its sub-tree with it) and stops listening to them. Meshes
    /// of objects above it that watched it become stale.
    void DropMesh(SceneObject* object);
    /// Marks the object's mesh, and those of the objects that contain it,
    /// stale.
    void Invalidate(SceneObject* object);
    /// Marks every mesh stale.
    void InvalidateAll();
    /// Drops every mesh and stops listening.
    void Clear();

    /// Edge length of a polygonizer cell in world units (initially 0.1, never
    /// below 0.001). A non-finite or non-positive value is refused (false).
    /// A change marks every mesh stale.
    bool SetCellSize(float size);
    float GetCellSize() const { return m_cellSize; }

    size_t GetNumMeshes() const { return m_entries.size(); }
    /// Meshes made or remade so far.
    unsigned long long GetBuildCount() const { return m_builds; }

    // SceneObjectListener
    void OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent* event) override;

private:
    // An object and the ID it had when it was entered.
    struct Known {
        SceneObject* object;
        unsigned int id;
    };
    struct Entry {
        std::unique_ptr<vynmesh::VFTriangleMesh> mesh;
        bool current = false;
        unsigned int objectID = 0;
        // The object itself and its descendants when the mesh was made.
        std::vector<Known> watched;
    };
    struct Watchers {
        unsigned int id = 0;
        // The objects whose mesh depends on the watched one.
        std::set<SceneObject*> owners;
    };

    bool Build(SceneObject* object, Entry& entry);
    void Watch(SceneObject* owner, Entry& entry, const std::vector<SceneObject*>& objects);
    void Unwatch(SceneObject* owner, Entry& entry);
    void MarkStale(SceneObject* changed);
    // Forgets an entry left by an object that was deleted without DropMesh,
    // without calling into the objects it watched.
    void ForgetDeadEntry(SceneObject* owner, Entry& entry);

    std::map<SceneObject*, Entry> m_entries;
    std::map<SceneObject*, Watchers> m_dependents;
    float m_cellSize = 0.1f;
    unsigned long long m_builds = 0;
};

/// The process-wide cache, made on first use and kept until the process ends.
MeshCache* GetMeshCache();

}  // namespace vynui

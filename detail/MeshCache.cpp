#include "detail/MeshCache.h"

#include <cmath>

#include "blobtree/BlobTreeNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "detail/MeshSceneObject.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
#include "wml/DebugOutput.h"

namespace vynui {

namespace {

const float kIsoValue = 0.5f;
const unsigned kEdgeBisections = 8;
const float kMinCellSize = 0.001f;

// The object and everything below it, each once, parents first.
std::vector<SceneObject*> SubTree(SceneObject* object)
{
    std::vector<SceneObject*> out;
    std::set<SceneObject*> seen;
    std::vector<SceneObject*> open{object};
    while (!open.empty()) {
        SceneObject* o = open.back();
        open.pop_back();
        if (!o || !seen.insert(o).second) continue;
        out.push_back(o);
        const std::vector<SceneObject*>& children = o->GetChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it) open.push_back(*it);
    }
    return out;
}

}  // namespace

MeshCache::~MeshCache()
{
    Clear();
}

const vynmesh::VFTriangleMesh* MeshCache::GetMesh(SceneObject* object)
{
    if (!object) return nullptr;
    const bool isNode = dynamic_cast<vynui_bt::BlobTreeNodeSceneObject*>(object) != nullptr;
    const bool isMesh = dynamic_cast<MeshSceneObject*>(object) != nullptr;
    if (!isNode && !isMesh) return nullptr;

    auto known = m_entries.find(object);
    if (known != m_entries.end() && known->second.objectID != object->GetObjectID()) {
        ForgetDeadEntry(object, known->second);
        m_entries.erase(known);
    }
    Entry& entry = m_entries[object];
    entry.objectID = object->GetObjectID();
    if (!entry.mesh) entry.mesh.reset(new vynmesh::VFTriangleMesh());
    if (!entry.current) {
        if (!Build(object, entry)) entry.mesh->Clear();
        entry.current = true;
        ++m_builds;
    }
    return entry.mesh.get();
}

void MeshCache::GetShapeMeshes(SceneObject* object, std::vector<const vynmesh::VFTriangleMesh*>& out)
{
    auto isOperator = [](SceneObject* o) {
        return dynamic_cast<vynui_bt::CompositionNodeSceneObject*>(o) != nullptr;
    };
    std::vector<SceneObject*> shapes;
    if (object && isOperator(object)) {
        for (SceneObject* o : SubTree(object))
            if (!isOperator(o)) shapes.push_back(o);
    } else if (object) {
        shapes.push_back(object);
    }
    for (SceneObject* o : shapes) {
        const vynmesh::VFTriangleMesh* mesh = GetMesh(o);
        if (mesh && mesh->GetNumTriangles() > 0) out.push_back(mesh);
    }
}

bool MeshCache::HasCurrentMesh(SceneObject* object) const
{
    auto it = m_entries.find(object);
    return it != m_entries.end() && it->second.current && object->GetObjectID() == it->second.objectID;
}

bool MeshCache::Build(SceneObject* object, Entry& entry)
{
    Unwatch(object, entry);

    if (auto* mesh = dynamic_cast<MeshSceneObject*>(object)) {
        Watch(object, entry, {object});
        mesh->GetWorldMesh(*entry.mesh);
        return true;
    }

    auto* shape = dynamic_cast<vynui_bt::BlobTreeNodeSceneObject*>(object);
    Watch(object, entry, SubTree(object));
    if (!shape->GetNode()) return false;

    vynui_bt::ModelLock lock = shape->LockModel();
    vynbt::BlobTreeNode* node = shape->GetNode();
    Wml::AxisAlignedBox3<float> bounds;
    node->FieldBounds(bounds);
    if (bounds.IsEmpty()) return false;

    vynimplicit::GG4CSGPolygonizer3D polygonizer;
    polygonizer.SetIsoValue(kIsoValue);
    polygonizer.SetEdgeBisections(kEdgeBisections);
    polygonizer.SetCellSize(bounds, m_cellSize);
    polygonizer.SetScalarField(node);
    polygonizer.SetOutputMesh(entry.mesh.get());
    if (!polygonizer.Polygonize()) {
        DebugOutput("MeshCache: no mesh for %s\n", object->GetName().c_str());
        return false;
    }
    return true;
}

void MeshCache::Watch(SceneObject* owner, Entry& entry, const std::vector<SceneObject*>& objects)
{
    for (SceneObject* o : objects) {
        const unsigned int id = o->GetObjectID();
        entry.watched.push_back(Known{o, id});
        Watchers& w = m_dependents[o];
        if (w.id != id) {
            // Left by an object deleted without DropMesh: what depended on it
            // is wrong now, and the new object does not know this cache.
            for (SceneObject* other : w.owners) {
                auto e = m_entries.find(other);
                if (e != m_entries.end()) e->second.current = false;
            }
            w.owners.clear();
            w.id = id;
        }
        if (w.owners.empty()) o->AddListener(this);
        w.owners.insert(owner);
    }
}

void MeshCache::Unwatch(SceneObject* owner, Entry& entry)
{
    for (const Known& k : entry.watched) {
        auto it = m_dependents.find(k.object);
        if (it == m_dependents.end() || it->second.id != k.id) continue;
        it->second.owners.erase(owner);
        if (it->second.owners.empty()) {
            k.object->RemoveListener(this);
            m_dependents.erase(it);
        }
    }
    entry.watched.clear();
}

void MeshCache::ForgetDeadEntry(SceneObject* owner, Entry& entry)
{
    for (const Known& k : entry.watched) {
        auto it = m_dependents.find(k.object);
        if (it == m_dependents.end() || it->second.id != k.id) continue;
        it->second.owners.erase(owner);
        if (it->second.owners.empty()) m_dependents.erase(it);
    }
    entry.watched.clear();
}

void MeshCache::MarkStale(SceneObject* changed)
{
    auto it = m_dependents.find(changed);
    if (it == m_dependents.end()) return;
    for (SceneObject* owner : it->second.owners) {
        auto e = m_entries.find(owner);
        if (e != m_entries.end()) e->second.current = false;
    }
}

void MeshCache::DropMesh(SceneObject* object)
{
    if (!object) return;
    for (SceneObject* o : SubTree(object)) {
        // Meshes that contained the object are now wrong as well.
        MarkStale(o);
        auto e = m_entries.find(o);
        if (e != m_entries.end()) {
            if (e->second.objectID == o->GetObjectID())
                Unwatch(o, e->second);
            else
                ForgetDeadEntry(o, e->second);
            m_entries.erase(e);
        }
        // Stale owners still list the object; take it out of their lists so
        // nothing calls it after it is gone.
        auto d = m_dependents.find(o);
        if (d != m_dependents.end()) {
            for (SceneObject* owner : d->second.owners) {
                auto oe = m_entries.find(owner);
                if (oe == m_entries.end()) continue;
                std::vector<Known>& w = oe->second.watched;
                for (auto wi = w.begin(); wi != w.end();) wi = (wi->object == o) ? w.erase(wi) : wi + 1;
            }
            o->RemoveListener(this);
            m_dependents.erase(d);
        }
    }
}

void MeshCache::Invalidate(SceneObject* object)
{
    if (!object) return;
    MarkStale(object);
    std::set<SceneObject*> seen;
    for (SceneObject* p = object; p && seen.insert(p).second; p = p->GetParent()) {
        auto e = m_entries.find(p);
        if (e != m_entries.end()) e->second.current = false;
    }
}

void MeshCache::InvalidateAll()
{
    for (auto& e : m_entries) e.second.current = false;
}

void MeshCache::Clear()
{
    for (auto& d : m_dependents) d.first->RemoveListener(this);
    m_dependents.clear();
    m_entries.clear();
}

bool MeshCache::SetCellSize(float size)
{
    if (!std::isfinite(size) || size <= 0.0f) return false;
    if (size < kMinCellSize) size = kMinCellSize;
    if (size != m_cellSize) {
        m_cellSize = size;
        InvalidateAll();
    }
    return true;
}

void MeshCache::OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent*)
{
    MarkStale(object);
}

MeshCache* GetMeshCache()
{
    // Kept to the end of the process: objects still listened to at exit are
    // never called again.
    static MeshCache* cache = new MeshCache();
    return cache;
}

}  // namespace vynui

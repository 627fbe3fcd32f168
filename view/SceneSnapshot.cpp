#include "view/SceneSnapshot.h"

#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "blobtree/RootNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "detail/MeshSceneObject.h"
#include "persist/SaveLoadManager.h"
#include "scene/BillboardSO.h"
#include "scene/FileVersion.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "wml/Serializer.h"

namespace vynui {

namespace {

// The process-wide file manager works for whichever view asks; it is pointed
// at this scene alone (no camera, no textures) and then back.
class FilesForScene {
public:
    explicit FilesForScene(CSceneManager* scene)
        : m_files(GetSaveLoadManager()),
          m_scene(m_files->GetSceneManager()),
          m_view(m_files->GetViewController()),
          m_textures(m_files->GetTextureManager()),
          m_version(GetFileVersion())
    {
        m_files->SetSceneManager(scene);
        m_files->SetViewController(nullptr);
        m_files->SetTextureManager(nullptr);
    }
    ~FilesForScene()
    {
        m_files->SetSceneManager(m_scene);
        m_files->SetViewController(m_view);
        m_files->SetTextureManager(m_textures);
        // An undo step is no file the user read.
        SetFileVersion(m_version);
    }
    FilesForScene(const FilesForScene&) = delete;
    FilesForScene& operator=(const FilesForScene&) = delete;
    CSaveLoadManager* operator->() const { return m_files; }

private:
    CSaveLoadManager* m_files;
    CSceneManager* m_scene;
    ViewController* m_view;
    vynui_tex::CTextureManager* m_textures;
    FileVersion m_version;
};

bool SameValue(const Wml::SerializerValue& a, const Wml::SerializerValue& b)
{
    auto sameFloat = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    if (a.kind != b.kind || a.u != b.u || a.i != b.i || !sameFloat(a.f, b.f) || a.s != b.s ||
        a.uints != b.uints || a.floats.size() != b.floats.size())
        return false;
    for (std::size_t k = 0; k < a.floats.size(); ++k)
        if (!sameFloat(a.floats[k], b.floats[k])) return false;
    return true;
}

const Wml::SerializerValue* FieldOf(const Wml::SerializerRecord& record, const std::string& key)
{
    for (const auto& field : record.GetFields())
        if (field.first == key) return &field.second;
    return nullptr;
}

std::set<std::string> KeysOf(const Wml::SerializerRecord& a, const Wml::SerializerRecord& b)
{
    std::set<std::string> keys;
    for (const auto& field : a.GetFields()) keys.insert(field.first);
    for (const auto& field : b.GetFields()) keys.insert(field.first);
    return keys;
}

// One object whose stored values differ: the keys to set from the record.
struct Change {
    SceneObject* object;
    Wml::SerializerRecord* record;
    std::vector<std::string> keys;
};

struct Plan {
    std::vector<Change> changes;
    bool planeChanged = false;
    Wml::SerializerRecord* rootRecord = nullptr;
};

// Whether live and target hold the same objects and tree, and what differs.
// Records pair by position (both are saved in registration order); object
// IDs pair the same way, so a scene re-read since (new IDs) still matches.
bool PlanInPlace(CSceneManager* scene, Wml::Serializer& live, Wml::Serializer& target, Plan& plan)
{
    const unsigned int n = live.GetNumRecords();
    if (n != target.GetNumRecords()) return false;
    std::map<unsigned int, unsigned int> ids;  // target ID -> live ID
    for (unsigned int i = 0; i < n; ++i) {
        const Wml::SerializerRecord* l = live.GetRecord(i);
        const Wml::SerializerRecord* t = target.GetRecord(i);
        if (l->GetTypeName() != t->GetTypeName()) return false;
        unsigned int lid = 0, tid = 0;
        const bool hl = l->GetValue("ObjectID", lid, 0u);
        const bool ht = t->GetValue("ObjectID", tid, 0u);
        if (hl != ht) return false;
        if (hl) ids[tid] = lid;
    }
    std::map<unsigned int, SceneObject*> objects;
    for (SceneObject* object : scene->GetObjectManager()->GetObjects())
        objects[object->GetObjectID()] = object;

    for (unsigned int i = 0; i < n; ++i) {
        Wml::SerializerRecord* l = live.GetRecord(i);
        Wml::SerializerRecord* t = target.GetRecord(i);
        const bool isRoot = t->GetTypeName() == "RootNode";
        if (isRoot) plan.rootRecord = t;
        unsigned int lid = 0;
        SceneObject* object = nullptr;
        if (l->GetValue("ObjectID", lid, 0u)) {
            auto found = objects.find(lid);
            object = found == objects.end() ? nullptr : found->second;
        }
        Change change{object, t, {}};
        for (const std::string& key : KeysOf(*l, *t)) {
            const Wml::SerializerValue* a = FieldOf(*l, key);
            const Wml::SerializerValue* b = FieldOf(*t, key);
            if (a && b && SameValue(*a, *b)) continue;
            if (key == "ObjectID") continue;
            if (key == "Children") {
                if (!a || !b || a->kind != Wml::SerializerValue::UIntArray || b->kind != a->kind ||
                    a->uints.size() != b->uints.size())
                    return false;
                for (std::size_t k = 0; k < b->uints.size(); ++k) {
                    auto mapped = ids.find(b->uints[k]);
                    if (mapped == ids.end() || mapped->second != a->uints[k]) return false;
                }
                continue;
            }
            // An operator's position is the centre of its children's
            // origins, cached when a child reports a change: it follows the
            // children and is no value of its own to set.
            if (t->HasKey("Children") && (key == "Position" || key == "X" || key == "Y" || key == "Z"))
                continue;
            if (isRoot && key == "CuttingPlane") {
                plan.planeChanged = true;
                continue;
            }
            // Anything but a value of one of the object's own parameters
            // (a profile field, a point list, another record) needs a rebuild.
            if (!object || !a || !b || !object->GetParameterList()->Find(key)) return false;
            change.keys.push_back(key);
        }
        if (!change.keys.empty()) plan.changes.push_back(change);
    }
    return true;
}

void ApplyInPlace(CSceneManager* scene, const Plan& plan)
{
    {
        vynui_bt::ModelLock lock(scene->GetModel()->GetLock());
        // Stored values are in this version's terms.
        const FileVersion version = GetFileVersion();
        SetFileVersion(FileVersion::Current());
        for (const Change& change : plan.changes) {
            // Keys in the object's parameter order: a frame before the
            // coordinates that repeat it.
            for (IParameter* parameter : change.object->GetParameterList()->GetParameters()) {
                const std::string& name = parameter->GetName();
                bool listed = false;
                for (const std::string& key : change.keys) listed = listed || key == name;
                if (!listed) continue;
                if (name == "Name") {
                    std::string stored;
                    if (change.record->GetValue("Name", stored, std::string()))
                        change.object->TakeStoredName(stored);
                    continue;
                }
                parameter->Restore(change.record);
            }
            for (IParameter* parameter : change.object->GetParameterList()->GetParameters())
                parameter->Refresh();
        }
        SetFileVersion(version);
    }
    if (plan.planeChanged) {
        Wml::Frame3<float> plane;
        if (plan.rootRecord && vynui_bt::RootNodeSceneObject::StoredCuttingPlane(*plan.rootRecord, plane))
            scene->SetCuttingPlane(plane);
        else
            scene->ClearCuttingPlane();
    }
    scene->NotifyObjectsModified();
}

void EmptyScene(CSceneManager* scene)
{
    scene->NewScene();
    scene->DeleteDetachedNodes();
    // What the scene file holds beside the shapes goes too, or the load
    // would add a second copy.
    const std::vector<SceneObject*> objects = scene->GetObjectManager()->GetObjects().Items();
    for (SceneObject* object : objects) {
        if (auto* billboard = dynamic_cast<BillboardSO*>(object)) {
            scene->RemoveBillboard(billboard);
        } else if (auto* mesh = dynamic_cast<MeshSceneObject*>(object)) {
            scene->RemoveFromScene(mesh);
            delete mesh;
        }
    }
    Wml::Frame3<float> plane;
    if (scene->GetRootSceneObject()->GetRootNode()->GetCuttingPlane(plane)) scene->ClearCuttingPlane();
}

// Reading makes every shape under the root and then moves it where a
// "Children" list puts it; an operator no list names was out of the tree
// (a cleanup took it out) and goes out again.
void DetachUnlisted(CSceneManager* scene, const Wml::Serializer& text, const CSaveLoadManager& files)
{
    std::set<unsigned int> listed;
    std::vector<unsigned int> objects;
    for (unsigned int i = 0; i < text.GetNumRecords(); ++i) {
        const Wml::SerializerRecord* record = text.GetRecord(i);
        if (const Wml::SerializerValue* children = FieldOf(*record, "Children"))
            listed.insert(children->uints.begin(), children->uints.end());
        unsigned int id = 0;
        if (record->GetValue("ObjectID", id, 0u)) objects.push_back(id);
    }
    bool detached = false;
    for (unsigned int id : objects) {
        if (listed.count(id)) continue;
        auto* node = dynamic_cast<vynui_bt::BlobTreeNodeSceneObject*>(files.LookupObject(id));
        if (node && node->GetParent() == scene->GetRootSceneObject())
            detached = scene->DetachNode(node) || detached;
    }
    if (detached) {
        scene->NotifySceneChanged();
        scene->NotifyTreeChanged();
    }
}

}  // namespace

bool SnapshotScene(CSceneManager* scene, std::string& text)
{
    if (!scene) return false;
    FilesForScene files(scene);
    return files->SaveSceneToText(text);
}

SceneRestore RestoreSceneText(CSceneManager* scene, const std::string& text)
{
    if (!scene) return SceneRestore::Failed;
    Wml::Serializer target;
    if (!target.ReadFromText(text)) return SceneRestore::Failed;
    std::string liveText;
    Wml::Serializer live;
    Plan plan;
    if (SnapshotScene(scene, liveText) && live.ReadFromText(liveText) &&
        PlanInPlace(scene, live, target, plan)) {
        ApplyInPlace(scene, plan);
        return SceneRestore::InPlace;
    }
    EmptyScene(scene);
    FilesForScene files(scene);
    if (!files->LoadSceneFromText(text)) return SceneRestore::Failed;
    DetachUnlisted(scene, target, *files.operator->());
    // Reading leaves the root's own values (its frame) as they were.
    Plan rest;
    if (SnapshotScene(scene, liveText) && live.ReadFromText(liveText) &&
        PlanInPlace(scene, live, target, rest))
        ApplyInPlace(scene, rest);
    return SceneRestore::Rebuilt;
}

}  // namespace vynui

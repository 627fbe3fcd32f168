#include "persist/SaveLoadManager.h"

#include <algorithm>
#include <iterator>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/ProfileFieldRecords.h"
#include "detail/MeshSceneObject.h"
#include "detail/TextureManager.h"
#include "interact/SurfaceAnchor.h"
#include "interact/ViewController.h"
#include "scene/BillboardSO.h"
#include "scene/FileVersion.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "wml/DebugOutput.h"
#include "wml/DeprecatedSerializer.h"

namespace vynui {

using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::CompositionNodeSceneObject;

const char* const CSaveLoadManager::kFileType = "KilnformSceneFile";

namespace {

const char* const kFormatRecord = "FormatVersion";
const char* const kViewRecord = "ViewController";
const char* const kTextureRecord = "TextureManager";
const char* const kRootRecord = "RootNode";
// Older-format records with fixed IDs and types.
const unsigned int kOldTreeListID = 1, kOldTreeListType = 20481;
const unsigned int kOldTexManID = 2, kOldTexManType = 20482;
const unsigned int kOldViewID = 3, kOldViewType = 20483;
const unsigned int kNoAnchor = 0xFFFFFFFFu;

/// The operators and primitives the older format can hold.
bool IsOldNodeCode(int code)
{
    static const int codes[] = {1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 15, 16, 44, 45};
    return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

/// A string field read length first, as the format record is read.
template <class Record>
bool ReadString(const Record& record, const char* key, std::string& out)
{
    unsigned int length = 0;
    if (!record.GetStringValue(key, nullptr, length) || length == 0) return false;
    std::vector<char> buffer(length, '\0');
    if (!record.GetStringValue(key, buffer.data(), length)) return false;
    out.assign(buffer.data());
    return true;
}

/// A whole vector of unsigned values; false when the key is absent or holds
/// another kind.
template <class Record>
bool ReadIDs(const Record& record, const char* key, std::vector<unsigned int>& ids)
{
    unsigned int count = 0;
    std::vector<unsigned int> none;
    if (!record.GetValue(key, none, count)) return false;
    ids.assign(count, 0u);
    return record.GetValue(key, ids, count);
}

/// Operators between object and the root, the root counted.
int DepthOf(vynui::SceneObject* object)
{
    int depth = 0;
    for (SceneObject* up = object; up && dynamic_cast<BlobTreeNodeSceneObject*>(up); up = up->GetParent())
        ++depth;
    return depth;
}

/// Restores the auto-cleanup flag however the load ends.
class AutoCleanupSuspension {
public:
    explicit AutoCleanupSuspension(CSceneManager* scene) : m_scene(scene), m_saved(scene->GetAutoCleanup())
    {
        m_scene->SetAutoCleanup(false);
    }
    ~AutoCleanupSuspension() { m_scene->SetAutoCleanup(m_saved); }
    AutoCleanupSuspension(const AutoCleanupSuspension&) = delete;
    AutoCleanupSuspension& operator=(const AutoCleanupSuspension&) = delete;

private:
    CSceneManager* m_scene;
    bool m_saved;
};

}  // namespace

// ---------------------------------------------------------------- lifetime

CSaveLoadManager::CSaveLoadManager() = default;
CSaveLoadManager::~CSaveLoadManager() = default;

CSaveLoadManager* GetSaveLoadManager()
{
    static CSaveLoadManager* manager = new CSaveLoadManager();
    return manager;
}

// ---------------------------------------------------------------- saving

std::vector<SceneObject*> CSaveLoadManager::SceneObjectsToSave() const
{
    // Operators an automatic cleanup took out of the tree stay registered;
    // written out they would come back under the root when the file is read.
    const SceneObject* root = m_scene->GetRootSceneObject();
    std::vector<SceneObject*> objects;
    for (SceneObject* object : m_scene->GetObjectManager()->GetObjects().Items()) {
        const bool detached = object != root && !object->GetParent() &&
                              dynamic_cast<BlobTreeNodeSceneObject*>(object) != nullptr;
        if (!detached) objects.push_back(object);
    }
    return objects;
}

bool CSaveLoadManager::SaveScene(const std::string& path)
{
    if (!m_scene) {
        m_lastError = "no scene to save";
        return false;
    }
    return WriteObjects(SceneObjectsToSave(), path, true);
}

bool CSaveLoadManager::SaveSelection(const std::string& path)
{
    if (!m_scene) {
        m_lastError = "no scene to save";
        return false;
    }
    return WriteObjects(m_scene->GetObjectManager()->GetSelection().Items(), path, false);
}

bool CSaveLoadManager::SaveSceneToText(std::string& text)
{
    if (!m_scene) {
        m_lastError = "no scene to save";
        return false;
    }
    Wml::Serializer serializer;
    FillRecords(serializer, SceneObjectsToSave(), true);
    if (!serializer.WriteToText(text)) {
        m_lastError = serializer.GetLastError();
        return false;
    }
    m_lastError.clear();
    return true;
}

bool CSaveLoadManager::WriteObjects(const std::vector<SceneObject*>& objects, const std::string& path,
                                    bool viewRecords)
{
    Wml::Serializer serializer;
    serializer.SetFilename(path.c_str());
    FillRecords(serializer, objects, viewRecords);
    if (!serializer.Write(path.c_str())) {
        m_lastError = serializer.GetLastError();
        return false;
    }
    m_lastError.clear();
    return true;
}

void CSaveLoadManager::FillRecords(Wml::Serializer& serializer, const std::vector<SceneObject*>& objects,
                                   bool viewRecords)
{
    Wml::SerializerRecord* format = serializer.CreateRecord(kFormatRecord);
    format->SetValue("FileType", std::string(kFileType));
    format->SetValue("VersionNumber", FileVersion::Current().ToString());
    // A copy: storing must not see the registry change under it.
    const std::vector<SceneObject*> items = objects;
    for (SceneObject* object : items) {
        Wml::SerializerRecord* record = serializer.CreateRecord(object->GetTypeName());
        if (!object->Store(&serializer, record))
            DebugOutput("SaveLoadManager: %s %s stored incompletely\n", object->GetTypeName(),
                        object->GetName().c_str());
    }
    if (viewRecords) {
        if (m_view) m_view->Store(*serializer.CreateRecord(kViewRecord));
        if (m_textures) m_textures->Store(&serializer, serializer.CreateRecord(kTextureRecord));
    }
}

// ---------------------------------------------------------------- loading

void CSaveLoadManager::BeginLoad()
{
    m_objectIDs.clear();
    m_anchorIDs.clear();
    m_decalIDs.clear();
    m_surfaceNodeIDs.clear();
    m_madeObjects.clear();
    m_madeDuringLoad.clear();
    m_heights.clear();
    m_links.clear();
    m_surfaceDecalRecords.clear();
}

bool CSaveLoadManager::LoadScene(const std::string& path)
{
    if (!m_scene) {
        m_lastError = "no scene to load into";
        return false;
    }
    // Parsed in full before anything changes: a file that does not parse
    // leaves the scene, the tables and the file version as they were.
    Wml::Serializer serializer;
    if (!serializer.Read(path.c_str())) {
        m_lastError = serializer.GetLastError();
        return false;
    }
    RestoreScene(serializer);
    return true;
}

bool CSaveLoadManager::LoadSceneFromText(const std::string& text)
{
    if (!m_scene) {
        m_lastError = "no scene to load into";
        return false;
    }
    Wml::Serializer serializer;
    if (!serializer.ReadFromText(text)) {
        m_lastError = serializer.GetLastError();
        return false;
    }
    RestoreScene(serializer);
    return true;
}

void CSaveLoadManager::RestoreScene(Wml::Serializer& serializer)
{
    m_lastError.clear();
    AutoCleanupSuspension suspension(m_scene);
    BeginLoad();
    serializer.AddReader(this);
    SetFileVersion(FileVersion(0, 0, 0));
    for (m_pass = 0; m_pass <= 5; ++m_pass) {
        serializer.RestoreRecords();
        if (m_pass == 4) LinkRequestedChildren();
    }
    m_pass = -1;
    m_madeDuringLoad.clear();
    m_heights.clear();
}

bool CSaveLoadManager::ReadRecord(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!serializer || !record || !m_scene) return false;
    switch (m_pass) {
        case 0:
            return record->GetTypeName() == kFormatRecord ? ReadFormatVersion(record) : true;
        case 1:
            return ReadFieldOrAnchor(serializer, record);
        case 2:
            return ReadDecalOrSurfaceNode(record);
        case 3:
            return ReadSceneObject(serializer, record);
        case 4:
            return ReadLinks(record);
        case 5:
            return ReadViewRecords(serializer, record);
        default:
            return true;
    }
}

bool CSaveLoadManager::ReadFormatVersion(Wml::SerializerRecord* record)
{
    std::string fileType, number;
    if (!ReadString(*record, "FileType", fileType) || fileType != kFileType) return false;
    if (!ReadString(*record, "VersionNumber", number)) return false;
    FileVersion version;
    if (!version.Parse(number)) {
        DebugOutput("SaveLoadManager: unreadable version number \"%s\"\n", number.c_str());
        return false;
    }
    SetFileVersion(version);
    return true;
}

bool CSaveLoadManager::ReadFieldOrAnchor(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    const std::string& type = record->GetTypeName();
    if (vynui_bt::IsProfileFieldType(type)) {
        // Read once per serializer and shared by every object that names it.
        vynui_bt::SharedField2D field = vynui_bt::RestoreField2D(serializer, record->GetID());
        if (!field) {
            DebugOutput("SaveLoadManager: %s %u could not be read\n", type.c_str(), record->GetID());
            return false;
        }
        serializer->AddItem(record->GetID(), field.get());
        return true;
    }
    if (type != "SurfaceAnchor") return true;
    std::unique_ptr<SurfaceAnchor> anchor(new SurfaceAnchor());
    if (!anchor->Restore(serializer, record)) {
        DebugOutput("SaveLoadManager: SurfaceAnchor %u could not be read\n", record->GetID());
        return false;
    }
    unsigned int fileID = 0;
    const bool haveID = record->GetValue("ID", fileID, 0u);
    serializer->AddItem(record->GetID(), anchor.get());
    if (haveID) m_anchorIDs[fileID] = anchor->GetID();
    m_anchors.push_back(std::move(anchor));
    return true;
}

bool CSaveLoadManager::ReadDecalOrSurfaceNode(Wml::SerializerRecord* record)
{
    if (record->GetTypeName() != "Decal") return true;
    // The anchor a decal sits on is checked so a broken file shows where it
    // breaks; no decal kinds are made yet, so the decal itself is skipped.
    unsigned int fileID = 0;
    record->GetValue("ID", fileID, 0u);
    unsigned int anchorID = kNoAnchor;
    if (!record->GetValue("AnchorID", anchorID, kNoAnchor)) {
        DebugOutput("SaveLoadManager: Could not read anchor ID for decal %d\n", static_cast<int>(fileID));
        return false;
    }
    if (!LookupAnchor(anchorID)) {
        DebugOutput("SaveLoadManager: Could not find anchor %d\n", static_cast<int>(anchorID));
        return false;
    }
    DebugOutput("SaveLoadManager: Decal %d skipped: no decal kinds are known\n", static_cast<int>(fileID));
    return true;
}

void CSaveLoadManager::MapObject(Wml::Serializer* serializer, Wml::SerializerRecord* record,
                                 SceneObject* object)
{
    serializer->AddItem(record->GetID(), object);
    m_madeObjects.insert(object->GetObjectID());
    m_madeDuringLoad[object->GetObjectID()] = object;
    unsigned int fileID = 0;
    // Without "ObjectID" the object stays, but nothing can name it.
    if (record->GetValue("ObjectID", fileID, 0u)) m_objectIDs[fileID] = object->GetObjectID();
}

// A scene read back (a reopened file, an undo step) gets its names back
// once the objects that held them are gone; a name still in use stays with
// its holder and the new object keeps the next free one.
void CSaveLoadManager::TakeStoredName(const Wml::SerializerRecord& record, SceneObject* object)
{
    std::string name;
    if (record.GetValue("Name", name, std::string()) && !name.empty()) object->TakeStoredName(name);
}

bool CSaveLoadManager::ReadSceneObject(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    const std::string& type = record->GetTypeName();
    // "CurveSweep" names both curve sweeps: the record tells them apart.
    const int code = vynui_bt::ShapeTypeTable::TypeCodeForRecord(*record);
    if (code > 0) {
        // Unselected and under the root: the links of pass 4 put it in place.
        m_scene->ClearSelection();
        BlobTreeNodeSceneObject* object = m_scene->AddNode(code, m_scene->GetRootSceneObject(), false);
        if (!object) return false;
        if (!object->Restore(serializer, record))
            DebugOutput("SaveLoadManager: %s %u restored incompletely\n", type.c_str(), record->GetID());
        TakeStoredName(*record, object);
        MapObject(serializer, record, object);
        return true;
    }
    SceneObject* other = nullptr;
    if (type == "Billboard")
        other = new BillboardSO();
    else if (type == "MeshSceneObject")
        other = new MeshSceneObject();
    if (other) {
        other->InitializeParameters();
        // A missing image or mesh file keeps its path, so saving again loses nothing.
        if (!other->Restore(serializer, record))
            DebugOutput("SaveLoadManager: %s %u restored incompletely\n", type.c_str(), record->GetID());
        TakeStoredName(*record, other);
        m_scene->AddToScene(other);
        MapObject(serializer, record, other);
        return true;
    }
    if (type == "SurfaceDecal") {
        m_surfaceDecalRecords.push_back(record->GetID());
        return true;
    }
    const bool hasDecal = record->HasKey("DecalID");
    if (type == "TextureDecal" || (hasDecal && record->HasKey("SurfaceNodeID"))) {
        unsigned int decalID = 0;
        if (!record->GetValue("DecalID", decalID, 0u)) {
            DebugOutput("SaveLoadManager: DecalSO %d missing DecalID field\n",
                        static_cast<int>(record->GetID()));
            return false;
        }
        if (!record->HasKey("ObjectID")) {
            DebugOutput("SaveLoadManager: DecalSO missing ObjectID field!\n");
            return false;
        }
        if (!LookupDecal(decalID)) {
            DebugOutput("SaveLoadManager: Could not find decal %d\n", static_cast<int>(decalID));
            return false;
        }
        unsigned int nodeID = 0;
        if (type != "TextureDecal" &&
            !LookupSurfaceNode(record->GetValue("SurfaceNodeID", nodeID, 0u) ? nodeID : 0)) {
            DebugOutput("SaveLoadManager: Could not find surface tree node %d\n", static_cast<int>(nodeID));
            return false;
        }
        DebugOutput("SaveLoadManager: How did we get here??\n");
        return false;
    }
    return true;
}

bool CSaveLoadManager::LinkChild(BlobTreeNodeSceneObject* parent, BlobTreeNodeSceneObject* child,
                                 const Wml::SerializerRecord* record)
{
    const char* why = nullptr;
    for (SceneObject* up = parent; up && !why; up = up->GetParent())
        if (up == child) why = "it lies under the child";
    auto height = [this](SceneObject* object) {
        auto it = m_heights.find(object);
        return it == m_heights.end() ? 1 : it->second;
    };
    if (!why && DepthOf(parent) + height(child) > kMaxTreeDepth) why = "the tree would nest too deep";
    if (why) {
        DebugOutput("SaveLoadManager: %s %u cannot hold object %u: %s\n", record->GetTypeName().c_str(),
                    record->GetID(), child->GetObjectID(), why);
        return false;
    }
    m_scene->MoveNode(child, parent);
    // Heights only grow here, so the bound stays at or above the true height
    // even when a hostile file moves a child away again; it is kept without
    // walking the child's sub-tree.
    int below = height(child);
    for (SceneObject* up = parent; up && dynamic_cast<BlobTreeNodeSceneObject*>(up); up = up->GetParent()) {
        int& bound = m_heights[up];
        if (bound > below) break;
        bound = ++below;
    }
    return true;
}

bool CSaveLoadManager::ReadLinks(Wml::SerializerRecord* record)
{
    if (record->HasKey("ID") && record->HasKey("ParentID") && record->HasKey("ChildID")) {
        unsigned int parentID = 0, childID = 0;
        record->GetValue("ParentID", parentID, 0u);
        record->GetValue("ChildID", childID, 0u);
        for (unsigned int id : {parentID, childID})
            if (!LookupSurfaceNode(id)) {
                DebugOutput("SaveLoadManager: Could not find surface tree node %d\n", static_cast<int>(id));
                return false;
            }
        return true;
    }
    if (record->GetTypeName() == kRootRecord) {
        Wml::Frame3<float> plane;
        if (vynui_bt::RootNodeSceneObject::StoredCuttingPlane(*record, plane))
            m_scene->SetCuttingPlane(plane);
    }
    if (!record->HasKey("Children")) return true;
    std::vector<unsigned int> children;
    unsigned int fileID = 0;
    const bool haveChildren = ReadIDs(*record, "Children", children);
    const bool haveObjectID = record->GetValue("ObjectID", fileID, 0u);
    if (!haveChildren || !haveObjectID) {
        DebugOutput("SaveLoadManager: could not link the children of %s record %u\n",
                    record->GetTypeName().c_str(), record->GetID());
        return false;
    }
    if (children.empty()) return true;
    SceneObject* parentObject = LookupObject(fileID);
    if (!parentObject && record->GetTypeName() == kRootRecord) parentObject = m_scene->GetRootSceneObject();
    auto* parent = dynamic_cast<BlobTreeNodeSceneObject*>(parentObject);
    if (!parent) return true;
    const char* why = dynamic_cast<CompositionNodeSceneObject*>(parent) ? nullptr : "it is no operator";
    for (unsigned int childID : children) {
        auto* child = dynamic_cast<BlobTreeNodeSceneObject*>(LookupObject(childID));
        if (!child) continue;
        if (why || child == parent) {
            DebugOutput("SaveLoadManager: %s %u cannot hold object %u: %s\n", record->GetTypeName().c_str(),
                        record->GetID(), child->GetObjectID(), why ? why : "it would hold itself");
            continue;
        }
        m_links.push_back({record, parent, child});
    }
    return !why;
}

void CSaveLoadManager::LinkRequestedChildren()
{
    // Each child moves once, for the last list that names it: moving again
    // would end in the same place (at the end of that list's operator, in
    // list order) but re-links the child's whole sub-tree every time, which
    // a file naming one large group many times turns into a hang.
    std::map<BlobTreeNodeSceneObject*, std::size_t> last;
    for (std::size_t i = 0; i < m_links.size(); ++i) last[m_links[i].child] = i;
    for (std::size_t i = 0; i < m_links.size(); ++i)
        if (last[m_links[i].child] == i) LinkChild(m_links[i].parent, m_links[i].child, m_links[i].record);
    m_links.clear();
}

bool CSaveLoadManager::ReadViewRecords(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    const std::string& type = record->GetTypeName();
    if (type == kViewRecord && m_view) {
        if (m_view->Restore(*record)) return true;
        DebugOutput("SaveLoadManager: ViewController record %u refused\n", record->GetID());
        return false;
    }
    if (type == kTextureRecord && m_textures) {
        if (m_textures->Restore(serializer, record)) return true;
        DebugOutput("SaveLoadManager: TextureManager record %u refused\n", record->GetID());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- lookups

SceneObject* CSaveLoadManager::FindMadeObject(unsigned int newID) const
{
    if (!m_madeObjects.count(newID)) return nullptr;
    auto during = m_madeDuringLoad.find(newID);
    if (during != m_madeDuringLoad.end()) return during->second;
    if (!m_scene) return nullptr;
    for (SceneObject* object : m_scene->GetObjectManager()->GetObjects())
        if (object->GetObjectID() == newID) return object;
    return nullptr;
}

SceneObject* CSaveLoadManager::LookupObject(unsigned int fileID) const
{
    auto it = m_objectIDs.find(fileID);
    return it == m_objectIDs.end() ? nullptr : FindMadeObject(it->second);
}

SurfaceAnchor* CSaveLoadManager::LookupAnchor(unsigned int fileID) const
{
    auto it = m_anchorIDs.find(fileID);
    if (it == m_anchorIDs.end()) return nullptr;
    for (const std::unique_ptr<SurfaceAnchor>& anchor : m_anchors)
        if (anchor->GetID() == it->second) return anchor.get();
    return nullptr;
}

NamedType* CSaveLoadManager::LookupDecal(unsigned int) const
{
    return nullptr;
}

NamedType* CSaveLoadManager::LookupSurfaceNode(unsigned int) const
{
    return nullptr;
}

// ---------------------------------------------------------------- older format

bool CSaveLoadManager::LoadOldScene(WmlDeprecated::Serializer* serializer)
{
    if (!m_scene || !serializer) return false;
    AutoCleanupSuspension suspension(m_scene);
    COldSceneLoader loader(serializer, m_scene, m_textures, m_view);
    return loader.LoadOldScene();
}

COldSceneLoader::COldSceneLoader(WmlDeprecated::Serializer* serializer, CSceneManager* scene,
                                 vynui_tex::CTextureManager* textures, ViewController* view)
    : m_serializer(serializer), m_scene(scene), m_textures(textures), m_view(view)
{
}

bool COldSceneLoader::LoadOldScene()
{
    if (!m_serializer || !m_scene) return false;
    WmlDeprecated::SerializerRecord* list = m_serializer->FindRecord(kOldTreeListID);
    if (!list || list->GetType() != kOldTreeListType) {
        DebugOutput("SaveLoadManager: the file has no tree list\n");
        return false;
    }
    std::vector<unsigned int> top;
    if (list->HasKey("TreeListSize") && !ReadIDs(*list, "TreeList", top)) {
        DebugOutput("SaveLoadManager: unreadable tree list\n");
        return false;
    }
    m_scene->ClearSelection();
    for (unsigned int id : top) {
        WmlDeprecated::SerializerRecord* record = m_serializer->FindRecord(id);
        if (!record) continue;
        if (!LoadOldNode(record, nullptr)) {
            DebugOutput("SaveLoadManager: top-level node record %u could not be read\n", id);
            return false;
        }
    }

    // Records 2 and 3 are the links only when they have the links' types;
    // otherwise those IDs went to other records.
    WmlDeprecated::SerializerRecord* texMan = m_serializer->FindRecord(kOldTexManID);
    if (texMan && texMan->GetType() == kOldTexManType) {
        unsigned int id = 0;
        WmlDeprecated::SerializerRecord* target = nullptr;
        if (!texMan->GetValue("TexManRecordID", id, 0u) || !(target = m_serializer->FindRecord(id)))
            return false;
        if (m_textures && !m_textures->RestoreOld(target))
            DebugOutput("SaveLoadManager: texture manager record %u refused\n", id);
    }

    WmlDeprecated::SerializerRecord* view = m_serializer->FindRecord(kOldViewID);
    if (!view || view->GetType() != kOldViewType) return true;
    unsigned int id = 0;
    WmlDeprecated::SerializerRecord* target = nullptr;
    if (!view->GetValue("ViewRecordID", id, 0u) || !(target = m_serializer->FindRecord(id))) return false;
    if (m_view && !m_view->Restore(target->Values()))
        DebugOutput("SaveLoadManager: view record %u refused\n", id);
    return true;
}

BlobTreeNodeSceneObject* COldSceneLoader::LoadOldNode(WmlDeprecated::SerializerRecord* record,
                                                      BlobTreeNodeSceneObject* parent)
{
    if (!record || !m_scene) return nullptr;
    if (!m_read.insert(record->GetID()).second) {
        DebugOutput("SaveLoadManager: node record %u is listed more than once\n", record->GetID());
        return nullptr;
    }
    if (DepthOf(parent ? parent : m_scene->GetRootSceneObject()) + 1 > CSaveLoadManager::kMaxTreeDepth) {
        DebugOutput("SaveLoadManager: node record %u nests too deep\n", record->GetID());
        return nullptr;
    }
    const long long code = static_cast<long long>(record->GetType()) - 1000;
    BlobTreeNodeSceneObject* object = nullptr;
    if (code == 0) {
        object = m_scene->GetRootSceneObject();
        object->RestoreOld(m_serializer, record);
    } else if (IsOldNodeCode(static_cast<int>(code))) {
        object =
            m_scene->AddNode(static_cast<int>(code), parent ? parent : m_scene->GetRootSceneObject(), false);
        if (!object) return nullptr;
        if (!object->RestoreOld(m_serializer, record))
            DebugOutput("SaveLoadManager: node record %u restored incompletely\n", record->GetID());
    } else {
        DebugOutput("SaveLoadManager: node record %u has type %u, which the older format cannot hold\n",
                    record->GetID(), record->GetType());
        return nullptr;
    }
    m_serializer->AddItem(record->GetID(), object);
    if (record->HasKey("NumChildren")) {
        std::vector<unsigned int> children;
        if (!ReadIDs(*record, "ChildrenIDs", children))
            DebugOutput("SaveLoadManager: node record %u has unreadable children\n", record->GetID());
        // A leaf's children would land under the root: only operators hold them.
        BlobTreeNodeSceneObject* holder =
            dynamic_cast<CompositionNodeSceneObject*>(object) ? object : m_scene->GetRootSceneObject();
        for (unsigned int id : children)
            if (WmlDeprecated::SerializerRecord* child = m_serializer->FindRecord(id))
                LoadOldNode(child, holder);
    }
    return object;
}

}  // namespace vynui

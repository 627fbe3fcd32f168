#pragma once
// Scene files: the whole scene or the selection written as one record file,
// and a scene read back into a scene manager in six passes over the records,
// so that objects referring to each other by ID are re-linked whatever their
// order in the file. The older binary format (".kfn") is read by a small
// loader made for one load.
//
// Loading never clears the scene: what a file holds is added to it. A file
// that cannot be read or parsed changes nothing. A file that parses but holds
// bad records (unknown types, fields of the wrong kind, links that would make
// a cycle or a tree deeper than kMaxTreeDepth) loads what is sound and skips
// the rest with a line on the debug output.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "wml/Serializer.h"

namespace WmlDeprecated {
class Serializer;
class SerializerRecord;
}  // namespace WmlDeprecated

namespace vynui_bt {
class BlobTreeNodeSceneObject;
}
namespace vynui_tex {
class CTextureManager;
}

namespace vynui {

class CSceneManager;
class NamedType;
class SceneObject;
class SurfaceAnchor;
class ViewController;

class CSaveLoadManager : public Wml::SerializerRecordReader {
public:
    /// "FileType" of the format record.
    static const char* const kFileType;
    /// Deepest nesting of operators a load builds. Trees are walked
    /// recursively everywhere (fields, drawing, deletion); a file nesting
    /// deeper than any model a person builds is cut there.
    static constexpr int kMaxTreeDepth = 200;

    CSaveLoadManager();
    ~CSaveLoadManager() override;
    CSaveLoadManager(const CSaveLoadManager&) = delete;
    CSaveLoadManager& operator=(const CSaveLoadManager&) = delete;

    // ---- set by the view before each save or load (none owned)

    /// The scene that is saved and that loads add to. Without one every
    /// save and load answers false.
    void SetSceneManager(CSceneManager* scene) { m_scene = scene; }
    CSceneManager* GetSceneManager() const { return m_scene; }
    /// Its "ViewController" record is written and read only when set.
    void SetViewController(ViewController* view) { m_view = view; }
    ViewController* GetViewController() const { return m_view; }
    /// Its "TextureManager" record is written and read only when set.
    void SetTextureManager(vynui_tex::CTextureManager* textures) { m_textures = textures; }
    vynui_tex::CTextureManager* GetTextureManager() const { return m_textures; }

    // ---- saving (the file is replaced only by a complete new one)

    /// "FormatVersion", every registered object in registration order, then
    /// "ViewController" and "TextureManager". False when the file cannot be
    /// written (an existing file is left as it was).
    bool SaveScene(const std::string& path);
    /// "FormatVersion" and the selected objects in selection order.
    bool SaveSelection(const std::string& path);
    /// What SaveScene writes, as text in memory.
    bool SaveSceneToText(std::string& text);

    // ---- loading

    /// Adds the scene of a current-format file. False, with the scene
    /// untouched, when the file cannot be read or is no record file;
    /// otherwise true, even when some records were skipped. The scene
    /// manager's auto-cleanup is off for the length of the load.
    bool LoadScene(const std::string& path);
    /// LoadScene from text in the file format (as SaveSceneToText makes it).
    bool LoadSceneFromText(const std::string& text);
    /// Adds the scene of an older-format file already read into serializer.
    /// False when its tree list is missing, a top-level node cannot be made
    /// or a texture or view record it names is missing; what was made
    /// before stays in the scene.
    bool LoadOldScene(WmlDeprecated::Serializer* serializer);

    /// The reader the serializer calls for every record in every pass.
    bool ReadRecord(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The pass being read (0 to 5), or -1 outside a load.
    int GetPass() const { return m_pass; }
    /// Why the last save or load failed (the serializer's message).
    const std::string& GetLastError() const { return m_lastError; }

    // ---- what the last load made, by the IDs its file used

    /// The object made from the record with that "ObjectID", when it is
    /// still in the scene; null otherwise.
    SceneObject* LookupObject(unsigned int fileID) const;
    SurfaceAnchor* LookupAnchor(unsigned int fileID) const;
    /// No decal or surface-node kinds are read yet: always null.
    NamedType* LookupDecal(unsigned int fileID) const;
    NamedType* LookupSurfaceNode(unsigned int fileID) const;
    /// Record IDs of the "SurfaceDecal" records of the last load, for the
    /// texture manager.
    const std::vector<unsigned int>& GetSurfaceDecalRecords() const { return m_surfaceDecalRecords; }

private:
    /// Every registered object but the operators a cleanup took out of the tree.
    std::vector<SceneObject*> SceneObjectsToSave() const;
    bool WriteObjects(const std::vector<SceneObject*>& objects, const std::string& path, bool viewRecords);
    void FillRecords(Wml::Serializer& serializer, const std::vector<SceneObject*>& objects, bool viewRecords);
    /// The six passes over a parsed file.
    void RestoreScene(Wml::Serializer& serializer);
    void BeginLoad();

    bool ReadFormatVersion(Wml::SerializerRecord* record);
    bool ReadFieldOrAnchor(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    bool ReadDecalOrSurfaceNode(Wml::SerializerRecord* record);
    bool ReadSceneObject(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    bool ReadLinks(Wml::SerializerRecord* record);
    bool ReadViewRecords(Wml::Serializer* serializer, Wml::SerializerRecord* record);

    static void TakeStoredName(const Wml::SerializerRecord& record, SceneObject* object);
    /// Registers a made object with the serializer and the ID table.
    void MapObject(Wml::Serializer* serializer, Wml::SerializerRecord* record, SceneObject* object);
    /// The moves pass 4 asked for, made once its records are all read.
    void LinkRequestedChildren();
    /// Moves child under parent unless that would make a cycle or nest too
    /// deep; false (with a debug line) when refused.
    bool LinkChild(vynui_bt::BlobTreeNodeSceneObject* parent, vynui_bt::BlobTreeNodeSceneObject* child,
                   const Wml::SerializerRecord* record);
    SceneObject* FindMadeObject(unsigned int newID) const;

    CSceneManager* m_scene = nullptr;
    ViewController* m_view = nullptr;
    vynui_tex::CTextureManager* m_textures = nullptr;
    int m_pass = -1;
    std::string m_lastError;

    // File ID -> new ID, filled by one load (a file's IDs mean nothing to
    // another file, so each load starts afresh).
    std::map<unsigned int, unsigned int> m_objectIDs;
    std::map<unsigned int, unsigned int> m_anchorIDs;
    std::map<unsigned int, unsigned int> m_decalIDs;
    std::map<unsigned int, unsigned int> m_surfaceNodeIDs;
    // New IDs of the objects the last load made. Looked up by ID through the
    // scene's registry, so an object removed since is never reached.
    std::set<unsigned int> m_madeObjects;
    // Only during a load: the objects it made, by new ID.
    std::map<unsigned int, SceneObject*> m_madeDuringLoad;
    // Only during a load: an upper bound on the levels of the node tree
    // under each object it linked (absent: 1).
    std::map<SceneObject*, int> m_heights;
    // Only during a load: the "Children" links of pass 4, in file order.
    struct LinkRequest {
        const Wml::SerializerRecord* record;
        vynui_bt::BlobTreeNodeSceneObject* parent;
        vynui_bt::BlobTreeNodeSceneObject* child;
    };
    std::vector<LinkRequest> m_links;
    // Anchors read from files; they live as long as the manager.
    std::vector<std::unique_ptr<SurfaceAnchor>> m_anchors;
    std::vector<unsigned int> m_surfaceDecalRecords;
};

/// The process-wide manager, made on first use.
CSaveLoadManager* GetSaveLoadManager();

/// Reads one older-format file into a scene: made for one load.
class COldSceneLoader {
public:
    /// None owned; texture manager and view controller may be null (their
    /// records are then checked but not read).
    COldSceneLoader(WmlDeprecated::Serializer* serializer, CSceneManager* scene,
                    vynui_tex::CTextureManager* textures, ViewController* view);

    /// Record 1's tree list, then the texture manager's (record 2) and the
    /// view's (record 3) records when present.
    bool LoadOldScene();
    /// Makes the node of record (type 1000 + factory code) under parent
    /// (null: the root) and its children, depth first. Code 0 restores the
    /// root itself. Null for codes the older format cannot hold, for a
    /// record already read in this load and beyond kMaxTreeDepth.
    vynui_bt::BlobTreeNodeSceneObject* LoadOldNode(WmlDeprecated::SerializerRecord* record,
                                                   vynui_bt::BlobTreeNodeSceneObject* parent);

private:
    WmlDeprecated::Serializer* m_serializer;
    CSceneManager* m_scene;
    vynui_tex::CTextureManager* m_textures;
    ViewController* m_view;
    // Records read in this load: each makes at most one object, so a record
    // listed twice or in a cycle cannot multiply the tree.
    std::set<unsigned int> m_read;
};

}  // namespace vynui

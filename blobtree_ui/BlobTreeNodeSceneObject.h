#pragma once
// Base of the scene object that presents one node of an implicit-model tree.
//
// Ownership: the object owns its node and the node's wrapped field; the
// destructor detaches the node from its parent node, then deletes the field,
// then the node.
//
// Locking: every read or change of the node goes through the model's
// recursive lock (the lock of the BlobTreeSceneObject the object belongs to).
// Use LockModel() for a scoped hold; before the factory has set the model the
// object's own lock stands in, so the calls stay safe on a detached object.

#include <boost/thread/locks.hpp>
#include <boost/thread/recursive_mutex.hpp>

#include "scene/SceneObject.h"

namespace vynbt {
class BlobTreeNode;
}
namespace WmlDeprecated {
class Serializer;
class SerializerRecord;
}  // namespace WmlDeprecated

namespace vynui_bt {

class BlobTreeSceneObject;

/// A scoped hold of a model's lock (movable, recursive).
using ModelLock = boost::unique_lock<boost::recursive_mutex>;

class BlobTreeNodeSceneObject : public vynui::SceneObject {
public:
    /// Takes ownership of node (and of its wrapped field). When nameBase is
    /// given the object is renamed MakeUniqueName(nameBase); concrete classes
    /// pass their type name.
    BlobTreeNodeSceneObject(vynbt::BlobTreeNode* node, int typeCode, const char* nameBase = nullptr);
    /// Leaves its parent scene object's child list, detaches the node from its
    /// parent node, deletes the wrapped field, then the node.
    ~BlobTreeNodeSceneObject() override;

    // ---- frame, tools, kind, parameters, records and moves of a scene object

    /// A frame at the zero vector filled by the node's GetFrame, under the lock.
    Wml::Frame3<float> GetFrame() override;
    /// True for "Translation3D", "Rotation3D" and "DynamicTool3D".
    bool SupportsTool(const std::string& toolName) override;
    /// "BlobTreeNodeSO".
    const char* GetTypeName() override;
    /// "Position", "Orientation", "Scale", then the base list ("Name").
    void InitializeParameters() override;
    /// Adds "X", "Y" and "Z": the frame origin's coordinates, one parameter
    /// each (with the exclusion flag when excluded).
    void AddOriginCoordinateParameters(bool excluded = false);
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The node's Translate / Rotate / Scale under the lock; the node reports
    /// the changed region up the tree.
    void DoTranslate(const Wml::Vector3<float>& v, bool relative) override;
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override;
    void DoScale(float sx, float sy, float sz, bool relative, bool uniform) override;

    // ---- older record format

    /// The parameters, then "NodeFrame" (a frame at the zero vector when
    /// absent) through ApplyStoredFrame. The type code stays the one the
    /// object was made with; "NodeType" (or else the record's type) is taken
    /// only when that code does not describe the object and the stored one
    /// does. A missing or mismatching "NodeType" is traced, not refused.
    virtual bool RestoreOld(WmlDeprecated::SerializerRecord* record);
    /// A new record of type 1000 + type code with "NodeType", the parameters
    /// and "NodeFrame". Null when the serializer is null or full.
    virtual WmlDeprecated::SerializerRecord* StoreOld(WmlDeprecated::Serializer* serializer);
    /// Moves the origin to the frame's origin, then turns by its rotation
    /// (taken local-to-world).
    virtual void ApplyStoredFrame(const Wml::Frame3<float>& frame);
    /// The older-format restore with the serializer at hand, for types whose
    /// data refers to other records (profile fields). Base: RestoreOld(record).
    virtual bool RestoreOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record);

    // ---- accessors

    vynbt::BlobTreeNode* GetNode() const { return m_node; }
    int GetTypeCode() const { return m_typeCode; }
    void SetTypeCode(int code) { m_typeCode = code; }
    /// True when code is one this object can carry: the root's for a root,
    /// else a type whose node type is the node's and whose record name is the
    /// object's type name (any such type for a bare base object).
    bool FitsTypeCode(int code);
    BlobTreeSceneObject* GetTree() const { return m_tree; }
    void SetTree(BlobTreeSceneObject* tree) { m_tree = tree; }

    /// The model's lock, or the object's own lock while no model is set.
    boost::recursive_mutex& GetModelMutex() const;
    /// Holds the model's lock until the returned guard goes out of scope.
    ModelLock LockModel() const { return ModelLock(GetModelMutex()); }

private:
    int m_typeCode;
    vynbt::BlobTreeNode* m_node;
    BlobTreeSceneObject* m_tree = nullptr;
};

}  // namespace vynui_bt

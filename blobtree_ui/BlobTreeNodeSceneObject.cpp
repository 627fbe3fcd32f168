#include "blobtree_ui/BlobTreeNodeSceneObject.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "blobtree/BlobTreeNode.h"
#include "blobtree/CompositionNode.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOrientation.h"
#include "scene/BasicParameterOrigin.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "scene/BasicParameterScale.h"
#include "scene/NameRegistry.h"
#include "wml/DebugOutput.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/FrameRecords.h"

namespace vynui_bt {

namespace {
// Older-format node records carry the factory code shifted by this amount.
const unsigned int kOldRecordTypeBase = 1000;
}  // namespace

BlobTreeNodeSceneObject::BlobTreeNodeSceneObject(vynbt::BlobTreeNode* node, int typeCode,
                                                 const char* nameBase)
    : m_typeCode(typeCode), m_node(node)
{
    if (nameBase) SetName(vynui::MakeUniqueName(nameBase));
}

BlobTreeNodeSceneObject::~BlobTreeNodeSceneObject()
{
    ModelLock lock = LockModel();
    vynui::SceneObject* parent = GetParent();
    // The root's scene parent is the model itself; other objects hang under
    // the object of their parent node while that node is attached (a node's
    // parent link is cleared when the parent node goes, so it never dangles).
    const bool parentAlive = parent && ((m_tree && parent == m_tree) || (m_node && m_node->GetParent()));
    if (parentAlive) {
        const std::vector<vynui::SceneObject*>& siblings = parent->GetChildren();
        if (std::find(siblings.begin(), siblings.end(), this) != siblings.end()) parent->RemoveChild(this);
    }
    if (!m_node) return;
    // Detach before the field goes: the parent asks the child for its bounds.
    if (vynbt::BlobTreeNode* parentNode = m_node->GetParent()) {
        if (parentNode->IsCompositionNode())
            static_cast<vynbt::CompositionNode*>(parentNode)->RemoveChild(m_node);
    }
    vynimplicit::ScalarField* field = m_node->GetScalarField();
    delete field;
    delete m_node;
    m_node = nullptr;
}

boost::recursive_mutex& BlobTreeNodeSceneObject::GetModelMutex() const
{
    return m_tree ? m_tree->GetLock() : GetLock();
}

Wml::Frame3<float> BlobTreeNodeSceneObject::GetFrame()
{
    Wml::Frame3<float> frame(Wml::Vector3<float>::ZERO);
    ModelLock lock = LockModel();
    if (m_node) m_node->GetFrame(frame);
    return frame;
}

bool BlobTreeNodeSceneObject::SupportsTool(const std::string& toolName)
{
    return toolName == "Translation3D" || toolName == "Rotation3D" || toolName == "DynamicTool3D";
}

const char* BlobTreeNodeSceneObject::GetTypeName()
{
    return "BlobTreeNodeSO";
}

void BlobTreeNodeSceneObject::InitializeParameters()
{
    AddParameter(new vynui::BasicParameterOrigin(this, "Position"));
    AddParameter(new vynui::BasicParameterOrientation(this, "Orientation"));
    AddParameter(new vynui::BasicParameterScale(this, "Scale"));
    vynui::SceneObject::InitializeParameters();
}

void BlobTreeNodeSceneObject::AddOriginCoordinateParameters(bool excluded)
{
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0, excluded));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1, excluded));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2, excluded));
}

bool BlobTreeNodeSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    ModelLock lock = LockModel();
    return vynui::SceneObject::Store(serializer, record);
}

bool BlobTreeNodeSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    ModelLock lock = LockModel();
    return vynui::SceneObject::Restore(serializer, record);
}

void BlobTreeNodeSceneObject::DoTranslate(const Wml::Vector3<float>& v, bool relative)
{
    ModelLock lock = LockModel();
    if (m_node) m_node->Translate(v, relative);
}

void BlobTreeNodeSceneObject::DoRotate(const Wml::Matrix3<float>& m, bool relative)
{
    ModelLock lock = LockModel();
    if (m_node) m_node->Rotate(m, relative);
}

void BlobTreeNodeSceneObject::DoScale(float sx, float sy, float sz, bool relative, bool uniform)
{
    ModelLock lock = LockModel();
    if (m_node) m_node->Scale(sx, sy, sz, relative, uniform);
}

WmlDeprecated::SerializerRecord* BlobTreeNodeSceneObject::StoreOld(WmlDeprecated::Serializer* serializer)
{
    if (!serializer) return nullptr;
    ModelLock lock = LockModel();
    WmlDeprecated::SerializerRecord* record =
        serializer->CreateRecord(kOldRecordTypeBase + static_cast<unsigned int>(m_typeCode));
    if (!record) return nullptr;
    record->SetValue("NodeType", m_typeCode);
    GetParameterList()->StoreOld(record);
    record->SetValue("NodeFrame", GetFrame());
    return record;
}

bool BlobTreeNodeSceneObject::FitsTypeCode(int code)
{
    if (!m_node) return false;
    if (code == ShapeCode::Root) return m_node->GetType() == vynbt::BlobTreeNode::NodeType::Root;
    const ShapeType* type = ShapeTypeTable::FindByCode(code);
    if (!type || type->nodeType != m_node->GetType()) return false;
    // The concrete classes answer their row's name; a bare base object (no
    // name of its own in the table) is judged by its node alone.
    const char* name = GetTypeName();
    return std::strcmp(name, type->recordName) == 0 || !ShapeTypeTable::FindByRecordName(name);
}

bool BlobTreeNodeSceneObject::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return false;
    ModelLock lock = LockModel();
    // The object was made for its code, and a later save writes that code
    // back: a stored "NodeType" that is missing, of another kind, no type's
    // code or another type's code must not replace it. Only when the object's
    // own code is not one that describes it does the record say which it is.
    int stored = 0;
    const bool hasStored = record->GetValue("NodeType", stored, 0);
    if (!FitsTypeCode(m_typeCode)) {
        // The record's own type is 1000 + the code it was written for.
        const unsigned int recordType = record->GetType();
        const bool typed = recordType >= kOldRecordTypeBase &&
                           recordType - kOldRecordTypeBase <= unsigned(std::numeric_limits<int>::max());
        const int fromRecordType = typed ? int(recordType - kOldRecordTypeBase) : -1;
        if (hasStored && FitsTypeCode(stored))
            m_typeCode = stored;
        else if (FitsTypeCode(fromRecordType))
            m_typeCode = fromRecordType;
    }
    if (!hasStored || stored != m_typeCode)
        DebugOutput("BlobTreeNodeSceneObject: record %u: \"NodeType\" %s; type code %d\n", record->GetID(),
                    hasStored ? "names another type" : "missing or not an integer", m_typeCode);
    GetParameterList()->RestoreOld(record);
    if (!record->HasKey("NodeFrame")) {
        ApplyStoredFrame(Wml::Frame3<float>(Wml::Vector3<float>::ZERO));
        return true;
    }
    // A frame that would not place anything (NaN, zero axes) is not applied:
    // the object keeps its placement rather than taking a broken one.
    Wml::Frame3<float> frame(Wml::Vector3<float>::ZERO);
    if (!Wml::RestoreFrame(record->Values(), "NodeFrame", frame)) return false;
    ApplyStoredFrame(frame);
    return true;
}

bool BlobTreeNodeSceneObject::RestoreOld(WmlDeprecated::Serializer*, WmlDeprecated::SerializerRecord* record)
{
    return RestoreOld(record);
}

void BlobTreeNodeSceneObject::ApplyStoredFrame(const Wml::Frame3<float>& frame)
{
    // The stored axes are rows; turning the world axes by the local-to-world
    // map puts them there.
    Translate(frame.Origin(), false);
    Rotate(frame.GetLocalToWorldRotation(), true);
}

}  // namespace vynui_bt

#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"

#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObjectParameters.h"
#include "blobtree_ui/leaves/LeafParameter.h"
#include "blobtree_ui/leaves/ProfileFieldRecords.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

const char* const FIELD_KEY = "FieldID";
const char* const OLD_FIELD_KEY = "2DFieldID";

}  // namespace

CappedLinearSweepSceneObject::CappedLinearSweepSceneObject(vynbt::CappedLinearSweepNode* node)
    : BlobTreeNodeSceneObject(node, 2, "CappedLinearSweep")
{
}

CappedLinearSweepSceneObject::~CappedLinearSweepSceneObject()
{
    ModelLock lock = LockModel();
    if (m_ownedProfile) DetachFromParentNode(GetNode());
    // The sweep must not point at the profile once it is gone; the node is
    // being torn down, so the tree is not told.
    if (m_ownedProfile && GetSweepNode()->GetSweep()->GetSweepTemplate() == m_ownedProfile.get())
        GetSweepNode()->GetSweep()->SetSweepTemplate(nullptr);
}

vynbt::CappedLinearSweepNode* CappedLinearSweepSceneObject::GetSweepNode() const
{
    return static_cast<vynbt::CappedLinearSweepNode*>(GetNode());
}

const char* CappedLinearSweepSceneObject::GetTypeName()
{
    return "CappedLinearSweep";
}

void CappedLinearSweepSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2));
    AddParameter(new LinearSweepParameter_FalloffLength(this));
    AddParameter(new LinearSweepParameter_Length(this));
    AddParameter(new LinearSweepParameter_Radius(this));
    AddParameter(new LinearSweepParameter_CapStyle(this));
    AddParameter(new LinearSweepParameter_EndcapBlendAngle(this));
}

void CappedLinearSweepSceneObject::Render(bool selected)
{
    if (selected) BlobTreeNodeSceneObject::Render(selected);
}

void CappedLinearSweepSceneObject::SetProfile(vynimplicit::ScalarField2D* profile, bool owned)
{
    ModelLock lock = LockModel();
    GetSweepNode()->SetSweepTemplate(profile);
    if (m_ownedProfile.get() != profile)
        m_ownedProfile.reset(owned ? profile : nullptr);
    else if (!owned)
        m_ownedProfile.release();
}

vynimplicit::ScalarField2D* CappedLinearSweepSceneObject::GetProfile() const
{
    ModelLock lock = LockModel();
    return GetSweepNode()->GetSweepTemplate();
}

bool CappedLinearSweepSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    vynimplicit::ScalarField2D* profile = GetSweepNode()->GetSweepTemplate();
    return !profile || StoreProfileField(serializer, record, FIELD_KEY, profile);
}

bool CappedLinearSweepSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    std::unique_ptr<vynimplicit::ScalarField2D> profile = RestoreProfileField(serializer, record, FIELD_KEY);
    const bool haveProfile = profile != nullptr;
    if (haveProfile) SetProfile(profile.release(), true);
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    return haveProfile && baseOk;
}

bool CappedLinearSweepSceneObject::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    return RestoreOld(nullptr, record);
}

bool CappedLinearSweepSceneObject::RestoreOld(WmlDeprecated::Serializer* serializer,
                                              WmlDeprecated::SerializerRecord* record)
{
    if (!record) return false;
    std::unique_ptr<vynimplicit::ScalarField2D> profile =
        RestoreProfileFieldOld(serializer, record, OLD_FIELD_KEY);
    const bool haveProfile = profile != nullptr;
    if (haveProfile) SetProfile(profile.release(), true);
    const bool baseOk = BlobTreeNodeSceneObject::RestoreOld(record);
    return haveProfile && baseOk;
}

WmlDeprecated::SerializerRecord* CappedLinearSweepSceneObject::StoreOld(WmlDeprecated::Serializer* serializer)
{
    WmlDeprecated::SerializerRecord* record = BlobTreeNodeSceneObject::StoreOld(serializer);
    if (!record) return nullptr;
    ModelLock lock = LockModel();
    vynimplicit::ScalarField2D* profile = GetSweepNode()->GetSweepTemplate();
    if (profile) StoreProfileFieldOld(serializer, record, OLD_FIELD_KEY, profile);
    return record;
}

}  // namespace vynui_bt

#include "blobtree_ui/leaves/ProfiledLeafSceneObject.h"

#include "blobtree_ui/leaves/LeafParameter.h"
#include "blobtree_ui/leaves/ProfileFieldRecords.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

const char* const FIELD_KEY = "FieldID";
const char* const OLD_FIELD_KEY = "2DFieldID";

}  // namespace

ProfiledLeafSceneObject::ProfiledLeafSceneObject(vynbt::BlobTreeNode* node, int typeCode, const char* nameBase)
    : BlobTreeNodeSceneObject(node, typeCode, nameBase)
{
}

void ProfiledLeafSceneObject::SetProfile(vynimplicit::ScalarField2D* profile, bool owned)
{
    ModelLock lock = LockModel();
    InstallTemplate(profile);
    if (m_ownedProfile.get() != profile)
        m_ownedProfile.reset(owned ? profile : nullptr);
    else if (!owned)
        m_ownedProfile.release();
}

vynimplicit::ScalarField2D* ProfiledLeafSceneObject::GetProfile() const
{
    ModelLock lock = LockModel();
    return CurrentTemplate();
}

void ProfiledLeafSceneObject::ReleaseProfile()
{
    ModelLock lock = LockModel();
    if (!m_ownedProfile) return;
    // The node is being torn down: it leaves its parent first so that
    // clearing the template reports nothing.
    DetachFromParentNode(GetNode());
    if (CurrentTemplate() == m_ownedProfile.get()) InstallTemplate(nullptr);
    m_ownedProfile.reset();
}

bool ProfiledLeafSceneObject::StoreProfile(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    ModelLock lock = LockModel();
    vynimplicit::ScalarField2D* profile = CurrentTemplate();
    return !profile || StoreProfileField(serializer, record, FIELD_KEY, profile);
}

bool ProfiledLeafSceneObject::RestoreProfile(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    std::unique_ptr<vynimplicit::ScalarField2D> profile = RestoreProfileField(serializer, record, FIELD_KEY);
    if (!profile) return false;
    SetProfile(profile.release(), true);
    return true;
}

void ProfiledLeafSceneObject::StoreProfileOld(WmlDeprecated::Serializer* serializer,
                                              WmlDeprecated::SerializerRecord* record)
{
    ModelLock lock = LockModel();
    if (vynimplicit::ScalarField2D* profile = CurrentTemplate())
        StoreProfileFieldOld(serializer, record, OLD_FIELD_KEY, profile);
}

bool ProfiledLeafSceneObject::RestoreProfileOld(WmlDeprecated::Serializer* serializer,
                                                WmlDeprecated::SerializerRecord* record)
{
    std::unique_ptr<vynimplicit::ScalarField2D> profile = RestoreProfileFieldOld(serializer, record, OLD_FIELD_KEY);
    if (!profile) return false;
    SetProfile(profile.release(), true);
    return true;
}

}  // namespace vynui_bt

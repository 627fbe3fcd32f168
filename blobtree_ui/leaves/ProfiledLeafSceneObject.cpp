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

ProfiledLeafSceneObject::ProfiledLeafSceneObject(vynbt::BlobTreeNode* node, int typeCode,
                                                 const char* nameBase)
    : BlobTreeNodeSceneObject(node, typeCode, nameBase)
{
}

void ProfiledLeafSceneObject::SetProfile(vynimplicit::ScalarField2D* profile, bool owned)
{
    ModelLock lock = LockModel();
    InstallTemplate(profile);
    if (profile != m_ownedProfile.get()) m_ownedProfile = owned && profile ? SharedField2D(profile) : nullptr;
}

void ProfiledLeafSceneObject::SetSharedProfile(std::shared_ptr<vynimplicit::ScalarField2D> profile)
{
    ModelLock lock = LockModel();
    // The new template goes in before the old one may be deleted.
    InstallTemplate(profile.get());
    m_ownedProfile = std::move(profile);
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
    if (!NeedsStoredProfile() && record && !record->HasKey(FIELD_KEY)) return true;
    SharedField2D profile = RestoreProfileField(serializer, record, FIELD_KEY);
    if (!profile) return false;
    SetSharedProfile(std::move(profile));
    return true;
}

bool ProfiledLeafSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    return BlobTreeNodeSceneObject::Store(serializer, record) && StoreProfile(serializer, record);
}

bool ProfiledLeafSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    const bool haveProfile = RestoreProfile(serializer, record);
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    return haveProfile && baseOk;
}

bool ProfiledLeafSceneObject::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    return RestoreOld(nullptr, record);
}

bool ProfiledLeafSceneObject::RestoreOld(WmlDeprecated::Serializer* serializer,
                                         WmlDeprecated::SerializerRecord* record)
{
    if (!record) return false;
    const bool wanted = NeedsStoredProfile() || record->HasKey(OLD_FIELD_KEY);
    SharedField2D profile = wanted ? RestoreProfileFieldOld(serializer, record, OLD_FIELD_KEY) : nullptr;
    const bool haveProfile = profile != nullptr;
    if (haveProfile) SetSharedProfile(std::move(profile));
    const bool baseOk = BlobTreeNodeSceneObject::RestoreOld(record);
    return (haveProfile || !wanted) && baseOk;
}

WmlDeprecated::SerializerRecord* ProfiledLeafSceneObject::StoreOld(WmlDeprecated::Serializer* serializer)
{
    WmlDeprecated::SerializerRecord* record = BlobTreeNodeSceneObject::StoreOld(serializer);
    if (!record) return nullptr;
    ModelLock lock = LockModel();
    if (vynimplicit::ScalarField2D* profile = CurrentTemplate())
        StoreProfileFieldOld(serializer, record, OLD_FIELD_KEY, profile);
    return record;
}

}  // namespace vynui_bt

#pragma once
// Base of the leaf scene objects whose primitive sweeps a 2D profile field
// (capped linear sweep, revolution, curve sweep): installing the profile,
// owning one restored from a file, and its records ("FieldID" in the current
// format, "2DFieldID" in the older one).

#include <memory>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"

namespace vynimplicit {
class ScalarField2D;
}

namespace vynui_bt {

class ProfiledLeafSceneObject : public BlobTreeNodeSceneObject {
public:
    /// Installs profile as the primitive's template, under the lock, and
    /// reports the change. With owned the object deletes it later; a profile
    /// it owned before is deleted now.
    void SetProfile(vynimplicit::ScalarField2D* profile, bool owned);
    vynimplicit::ScalarField2D* GetProfile() const;

protected:
    ProfiledLeafSceneObject(vynbt::BlobTreeNode* node, int typeCode, const char* nameBase);

    /// The primitive's template, read under the lock.
    virtual vynimplicit::ScalarField2D* CurrentTemplate() const = 0;
    /// Sets the primitive's template under the lock, reporting the change to
    /// the parent node the way the primitive's node reports its changes.
    virtual void InstallTemplate(vynimplicit::ScalarField2D* profile) = 0;

    /// For the destructors of derived classes (the hooks above are gone by
    /// the time this base is destroyed): an owned profile is taken out of
    /// the primitive after the node left its parent, so nothing is reported.
    void ReleaseProfile();

    /// "FieldID" = the profile's own record, when there is a profile.
    bool StoreProfile(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    /// Installs (and owns) the profile "FieldID" refers to; false when the
    /// key is missing or names no readable 2D field.
    bool RestoreProfile(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    /// The older format's "2DFieldID".
    void StoreProfileOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record);
    bool RestoreProfileOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record);

private:
    std::unique_ptr<vynimplicit::ScalarField2D> m_ownedProfile;
};

}  // namespace vynui_bt

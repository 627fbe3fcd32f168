#pragma once
// Base of the leaf scene objects whose primitive sweeps a 2D profile field
// (capped linear sweep, revolution, curve sweep): installing the profile,
// owning one restored from a file, and its records ("FieldID" in the current
// format, "2DFieldID" in the older one).
//
// Ownership: a profile given with owned = false stays its caller's. One
// given with owned = true, and one restored from a file, is owned by the
// object; a restored one is shared with every other object (and slice) that
// refers to the same field record of the file, and is deleted when the last
// of them lets it go.

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
    /// it owned before is let go now. A profile the object already owns
    /// stays owned.
    void SetProfile(vynimplicit::ScalarField2D* profile, bool owned);
    /// Installs a profile that the object shares with others.
    void SetSharedProfile(std::shared_ptr<vynimplicit::ScalarField2D> profile);
    vynimplicit::ScalarField2D* GetProfile() const;

    /// The base record plus "FieldID" when there is a profile.
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// Installs the profile "FieldID" refers to, then the base data. False
    /// when "FieldID" is missing (see NeedsStoredProfile) or names no readable
    /// 2D field; the base data is restored either way and the object stays
    /// usable.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    using BlobTreeNodeSceneObject::RestoreOld;
    /// Older format without access to the file: the base data only, false
    /// when a profile is wanted (it cannot be read from here).
    bool RestoreOld(WmlDeprecated::SerializerRecord* record) override;
    /// Older format: installs the profile of "2DFieldID", then the base data.
    /// False when the profile is missing or unreadable.
    bool RestoreOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record) override;
    /// The base record plus "2DFieldID" when there is a profile.
    WmlDeprecated::SerializerRecord* StoreOld(WmlDeprecated::Serializer* serializer) override;

protected:
    ProfiledLeafSceneObject(vynbt::BlobTreeNode* node, int typeCode, const char* nameBase);

    /// The primitive's template, read under the lock.
    virtual vynimplicit::ScalarField2D* CurrentTemplate() const = 0;
    /// Sets the primitive's template under the lock, reporting the change to
    /// the parent node the way the primitive's node reports its changes.
    virtual void InstallTemplate(vynimplicit::ScalarField2D* profile) = 0;
    /// Whether a record without a profile is incomplete. False for primitives
    /// that come with a profile of their own: then only a profile the record
    /// names must be readable.
    virtual bool NeedsStoredProfile() const { return true; }

    /// For the destructors of derived classes (the hooks above are gone by
    /// the time this base is destroyed): an owned profile is taken out of
    /// the primitive after the node left its parent, so nothing is reported.
    void ReleaseProfile();

    /// "FieldID" = the profile's own record, when there is a profile.
    bool StoreProfile(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    /// Installs (and shares) the profile "FieldID" refers to; false when the
    /// key is missing (see NeedsStoredProfile) or names no readable 2D field.
    bool RestoreProfile(Wml::Serializer* serializer, Wml::SerializerRecord* record);

private:
    std::shared_ptr<vynimplicit::ScalarField2D> m_ownedProfile;
};

}  // namespace vynui_bt

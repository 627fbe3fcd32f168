#include "blobtree_ui/leaves/ProfileFieldRecords.h"

#include <map>

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

// What one serializer has read and written of 2D fields. The written fields
// are keyed by address: they are alive for the whole of a save.
struct Field2DRecords {
    std::map<unsigned int, SharedField2D> restored;  // null: the record was refused
    std::map<const vynimplicit::ScalarField2D*, unsigned int> stored;
};

template <class Serializer, class Restore>
SharedField2D RestoreOnce(Serializer* serializer, unsigned int id, Restore restore)
{
    if (!serializer) return nullptr;
    auto& restored = serializer->Attachments().template Get<Field2DRecords>().restored;
    auto known = restored.find(id);
    if (known != restored.end()) return known->second;
    SharedField2D field(restore());
    restored[id] = field;
    return field;
}

template <class Serializer, class Store>
unsigned int StoreOnce(Serializer* serializer, vynimplicit::ScalarField2D* field, Store store)
{
    if (!serializer || !field) return 0;
    auto& stored = serializer->Attachments().template Get<Field2DRecords>().stored;
    auto known = stored.find(field);
    if (known != stored.end()) return known->second;
    const unsigned int id = store();
    if (id != 0) stored[field] = id;
    return id;
}

}  // namespace

bool IsProfileFieldType(const std::string& typeName)
{
    // The scene file restores only these two kinds of 2D field.
    return typeName == "DiscreteScalarField2D" || typeName == "DynDiscreteScalarField2D";
}

unsigned int StoreField2D(Wml::Serializer* serializer, vynimplicit::ScalarField2D* field)
{
    return StoreOnce(serializer, field, [&]() -> unsigned int {
        Wml::SerializerRecord* fieldRecord = serializer->CreateRecord(field->GetTypeName());
        return fieldRecord && field->Store(fieldRecord) ? fieldRecord->GetID() : 0u;
    });
}

SharedField2D RestoreField2D(Wml::Serializer* serializer, unsigned int id)
{
    return RestoreOnce(serializer, id, [&]() -> vynimplicit::ScalarField2D* {
        Wml::SerializerRecord* fieldRecord = serializer->FindRecord(id);
        // The ID must name a field record: an ID pointing at any other record
        // (a hostile or damaged file) is refused rather than misread.
        if (!fieldRecord || !IsProfileFieldType(fieldRecord->GetTypeName())) return nullptr;
        std::unique_ptr<vynimplicit::ScalarField2D> field(
            vynimplicit::ScalarField2D::CreateByTypeName(fieldRecord->GetTypeName()));
        return field && field->Restore(fieldRecord) ? field.release() : nullptr;
    });
}

unsigned int StoreField2DOld(WmlDeprecated::Serializer* serializer, vynimplicit::ScalarField2D* field)
{
    return StoreOnce(serializer, field, [&] {
        unsigned int id = 0;
        return field->Serialize_Old(serializer, id) ? id : 0u;
    });
}

SharedField2D RestoreField2DOld(WmlDeprecated::Serializer* serializer, unsigned int id)
{
    return RestoreOnce(serializer, id,
                       [&] { return vynimplicit::ScalarField2D::RestoreField_Old(serializer, id); });
}

bool StoreProfileField(Wml::Serializer* serializer, Wml::SerializerRecord* record, const char* key,
                       vynimplicit::ScalarField2D* field)
{
    if (!record) return false;
    const unsigned int id = StoreField2D(serializer, field);
    if (id == 0) return false;
    record->SetValue(key, id);
    return true;
}

SharedField2D RestoreProfileField(Wml::Serializer* serializer, const Wml::SerializerRecord* record,
                                  const char* key)
{
    unsigned int id = 0;
    if (!record || !record->GetValue(key, id, 0u)) return nullptr;
    return RestoreField2D(serializer, id);
}

bool StoreProfileFieldOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record,
                          const char* key, vynimplicit::ScalarField2D* field)
{
    if (!record) return false;
    const unsigned int id = StoreField2DOld(serializer, field);
    if (id == 0) return false;
    record->SetValue(key, id);
    return true;
}

SharedField2D RestoreProfileFieldOld(WmlDeprecated::Serializer* serializer,
                                     const WmlDeprecated::SerializerRecord* record, const char* key)
{
    unsigned int id = 0;
    if (!record || !record->GetValue(key, id, 0u)) return nullptr;
    return RestoreField2DOld(serializer, id);
}

}  // namespace vynui_bt

#include "blobtree_ui/leaves/ProfileFieldRecords.h"

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

bool IsProfileFieldType(const std::string& typeName)
{
    // The scene file restores only these two kinds of 2D field.
    return typeName == "DiscreteScalarField2D" || typeName == "DynDiscreteScalarField2D";
}

bool StoreProfileField(Wml::Serializer* serializer, Wml::SerializerRecord* record, const char* key,
                       vynimplicit::ScalarField2D* field)
{
    if (!serializer || !record || !field) return false;
    Wml::SerializerRecord* fieldRecord = serializer->CreateRecord(field->GetTypeName());
    if (!fieldRecord || !field->Store(fieldRecord)) return false;
    record->SetValue(key, fieldRecord->GetID());
    return true;
}

std::unique_ptr<vynimplicit::ScalarField2D> RestoreProfileField(Wml::Serializer* serializer,
                                                                const Wml::SerializerRecord* record,
                                                                const char* key)
{
    if (!serializer || !record) return nullptr;
    unsigned int id = 0;
    if (!record->GetValue(key, id, 0u)) return nullptr;
    const Wml::SerializerRecord* fieldRecord = serializer->FindRecord(id);
    // The ID must name a field record: an ID pointing at any other record
    // (a hostile or damaged file) is refused rather than misread.
    if (!fieldRecord || !IsProfileFieldType(fieldRecord->GetTypeName())) return nullptr;
    std::unique_ptr<vynimplicit::ScalarField2D> field(
        vynimplicit::ScalarField2D::CreateByTypeName(fieldRecord->GetTypeName()));
    if (!field || !field->Restore(const_cast<Wml::SerializerRecord*>(fieldRecord))) return nullptr;
    return field;
}

bool StoreProfileFieldOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record,
                          const char* key, vynimplicit::ScalarField2D* field)
{
    if (!serializer || !record || !field) return false;
    unsigned int id = 0;
    if (!field->Serialize_Old(serializer, id)) return false;
    record->SetValue(key, id);
    return true;
}

std::unique_ptr<vynimplicit::ScalarField2D> RestoreProfileFieldOld(
    WmlDeprecated::Serializer* serializer, const WmlDeprecated::SerializerRecord* record, const char* key)
{
    if (!serializer || !record) return nullptr;
    unsigned int id = 0;
    if (!record->GetValue(key, id, 0u)) return nullptr;
    return std::unique_ptr<vynimplicit::ScalarField2D>(
        vynimplicit::ScalarField2D::RestoreField_Old(serializer, id));
}

}  // namespace vynui_bt

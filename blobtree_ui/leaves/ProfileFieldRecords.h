#pragma once
// Records of the 2D profile fields that sweeps and revolutions refer to by
// record ID: "FieldID" in the current format (the field's own record, typed by
// its type name), "2DFieldID" in the older one.
//
// Restoring always makes a new field that the caller owns, read from the
// field's record, so the object never shares a field with the file loader.

#include <memory>

#include "implicit/ScalarField2D.h"

namespace Wml {
class Serializer;
class SerializerRecord;
}  // namespace Wml
namespace WmlDeprecated {
class Serializer;
class SerializerRecord;
}  // namespace WmlDeprecated

namespace vynui_bt {

/// Writes field as a record of its own and sets key = that record's ID on
/// record. False (nothing written) for a null field or serializer.
bool StoreProfileField(Wml::Serializer* serializer, Wml::SerializerRecord* record, const char* key,
                       vynimplicit::ScalarField2D* field);

/// The field whose record ID record holds under key: a new field of the
/// referenced record's type, restored from it. Null when the key is absent,
/// no such record exists, the record is not a 2D field or does not restore.
std::unique_ptr<vynimplicit::ScalarField2D> RestoreProfileField(Wml::Serializer* serializer,
                                                                const Wml::SerializerRecord* record,
                                                                const char* key);

/// Older format: writes field with Serialize_Old and sets key = its record ID.
bool StoreProfileFieldOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record,
                          const char* key, vynimplicit::ScalarField2D* field);

/// Older format: ScalarField2D::RestoreField_Old of the record ID under key.
std::unique_ptr<vynimplicit::ScalarField2D> RestoreProfileFieldOld(
    WmlDeprecated::Serializer* serializer, const WmlDeprecated::SerializerRecord* record, const char* key);

/// Only the types the scene file knows as 2D fields are read back.
bool IsProfileFieldType(const std::string& typeName);

}  // namespace vynui_bt

#pragma once
// Records of the 2D fields that sweeps and revolutions refer to by record ID:
// "FieldID" in the current format (the field's own record, typed by its type
// name), "2DFieldID" in the older one; the interpolating sweep's slices refer
// to theirs the same way.
//
// Within one serializer a field is read once and written once: every record
// that refers to the same field record gets the same restored field, shared
// by the objects that use it (and kept by the serializer until it is cleared
// or gone), and a field that several objects or slices use is written as one
// record. So a file that refers to one large field a thousand times holds it
// once in memory, and saving it again keeps it at one record.

#include <memory>
#include <string>

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

using SharedField2D = std::shared_ptr<vynimplicit::ScalarField2D>;

/// Writes field as a record of its own and answers the record's ID; a field
/// this serializer has already written is not written again (the first
/// record's ID is answered). 0, writing nothing, for a null field or
/// serializer or when the field cannot store itself.
unsigned int StoreField2D(Wml::Serializer* serializer, vynimplicit::ScalarField2D* field);

/// The field restored from record id: read on the first request through this
/// serializer, the same field for every later one. Null when no such record
/// exists, it is not a 2D field, or it does not restore (a refused record is
/// not read again).
SharedField2D RestoreField2D(Wml::Serializer* serializer, unsigned int id);

/// Older format: written once per field with Serialize_Old, restored once per
/// record with ScalarField2D::RestoreField_Old, shared as above.
unsigned int StoreField2DOld(WmlDeprecated::Serializer* serializer, vynimplicit::ScalarField2D* field);
SharedField2D RestoreField2DOld(WmlDeprecated::Serializer* serializer, unsigned int id);

/// StoreField2D, then key = the record's ID on record. False (nothing set)
/// when nothing could be written.
bool StoreProfileField(Wml::Serializer* serializer, Wml::SerializerRecord* record, const char* key,
                       vynimplicit::ScalarField2D* field);
/// RestoreField2D of the ID under key; null when the key is absent.
SharedField2D RestoreProfileField(Wml::Serializer* serializer, const Wml::SerializerRecord* record,
                                  const char* key);
/// The older format's pair.
bool StoreProfileFieldOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record,
                          const char* key, vynimplicit::ScalarField2D* field);
SharedField2D RestoreProfileFieldOld(WmlDeprecated::Serializer* serializer,
                                     const WmlDeprecated::SerializerRecord* record, const char* key);

/// Only the types the scene file knows as 2D fields are read back.
bool IsProfileFieldType(const std::string& typeName);

}  // namespace vynui_bt

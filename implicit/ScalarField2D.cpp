#include "implicit/ScalarField2D.h"

#include <algorithm>
#include <cmath>

#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "implicit/fields2d/PolygonField2D.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynimplicit {

void ScalarField2D::Gradient(float x, float y, float& gx, float& gy)
{
    // Step relative to the field's extent, so templates of any size difference well.
    float h = 1e-3f;
    if (!m_bounds.IsEmpty()) h = 1e-4f * std::max(m_bounds.Extent(0), m_bounds.Extent(1));
    if (!(h > 0.0f)) h = 1e-3f;
    gx = (Value(x + h, y) - Value(x - h, y)) / (2.0f * h);
    gy = (Value(x, y + h) - Value(x, y - h)) / (2.0f * h);
}

void ScalarField2D::FieldBounds(Wml::AxisAlignedBox2<float>& box)
{
    box = m_bounds;
}

void ScalarField2D::SetBounds(const Wml::AxisAlignedBox2<float>& box)
{
    m_bounds = box;
}

// ---- records ---------------------------------------------------------------
// Every 2D field record starts with the field's bounds: "BoundsMin" and
// "BoundsMax" (2D vectors); an empty box is written as it is held.
//
// Older-format records carry a numeric type (OLD_TYPES below) and, so that a
// reader does not depend on the numbers alone, the type name under
// "TypeName". Their fields are those the field's Store writes.

namespace {

struct OldType {
    const char* name;
    unsigned int type;
};

// Well clear of the node records (1000 + factory code) and the file's
// bookkeeping records (20481 and up).
const OldType OLD_TYPES[] = {
    {"DiscreteScalarField2D", 3001},
    {"DynDiscreteScalarField2D", 3002},
    {"PolygonField2D", 3003},
};

bool ReadBounds(const Wml::SerializerRecord& record, Wml::AxisAlignedBox2<float>& box)
{
    Wml::Vector2<float> lo, hi;
    if (!record.GetValue("BoundsMin", lo, lo) || !record.GetValue("BoundsMax", hi, hi)) return false;
    if (!std::isfinite(lo.X()) || !std::isfinite(lo.Y()) || !std::isfinite(hi.X()) || !std::isfinite(hi.Y()))
        return false;
    box = Wml::AxisAlignedBox2<float>(lo.X(), hi.X(), lo.Y(), hi.Y());
    return true;
}

}  // namespace

bool ScalarField2D::Store(Wml::SerializerRecord* record)
{
    if (!record) return false;
    record->SetValue("BoundsMin", Wml::Vector2<float>(m_bounds.Min(0), m_bounds.Min(1)));
    record->SetValue("BoundsMax", Wml::Vector2<float>(m_bounds.Max(0), m_bounds.Max(1)));
    return true;
}

bool ScalarField2D::Restore(Wml::SerializerRecord* record)
{
    Wml::AxisAlignedBox2<float> box;
    if (!record || !ReadBounds(*record, box)) return false;
    SetBounds(box);
    return true;
}

bool ScalarField2D::Serialize_Old(WmlDeprecated::SerializerRecord* record)
{
    if (!record || !Store(&record->Values())) return false;
    record->SetValue("TypeName", GetTypeName());
    return true;
}

bool ScalarField2D::Serialize_Old(WmlDeprecated::Serializer* serializer, unsigned int& recordID)
{
    if (!serializer) return false;
    const std::string name = GetTypeName();
    unsigned int type = 0;
    for (const OldType& t : OLD_TYPES)
        if (name == t.name) type = t.type;
    if (type == 0) return false;
    WmlDeprecated::SerializerRecord* record = serializer->CreateRecord(type);
    if (!record) return false;
    // A record that could not be filled stays behind empty; readers refuse it.
    if (!Serialize_Old(record)) return false;
    recordID = record->GetID();
    return true;
}

ScalarField2D* ScalarField2D::CreateByTypeName(const std::string& typeName)
{
    if (typeName == "DiscreteScalarField2D") return new DiscreteScalarField2D();
    if (typeName == "DynDiscreteScalarField2D") return new DynDiscreteScalarField2D();
    if (typeName == "PolygonField2D") return new PolygonField2D();
    return nullptr;
}

ScalarField2D* ScalarField2D::RestoreField_Old(WmlDeprecated::Serializer* serializer, unsigned int recordID)
{
    if (!serializer) return nullptr;
    WmlDeprecated::SerializerRecord* record = serializer->FindRecord(recordID);
    if (!record) return nullptr;
    std::string name;
    for (const OldType& t : OLD_TYPES)
        if (record->GetType() == t.type) name = t.name;
    std::string stored;
    // The name, when present, must agree with the numeric type.
    if (record->GetValue("TypeName", stored, std::string()) && stored != name) return nullptr;
    ScalarField2D* field = CreateByTypeName(name);
    if (!field) return nullptr;
    if (!field->Restore(&record->Values())) {
        delete field;
        return nullptr;
    }
    return field;
}

}  // namespace vynimplicit

#include "implicit/ScalarField2D.h"

#include <algorithm>
#include <cmath>

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

void ScalarField2D::FieldBounds(Wml::AxisAlignedBox2<float>& box) { box = m_bounds; }

void ScalarField2D::SetBounds(const Wml::AxisAlignedBox2<float>& box) { m_bounds = box; }

}  // namespace vynimplicit

// ---- records ---------------------------------------------------------------
// Every 2D field record starts with the field's bounds: "BoundsMin" and
// "BoundsMax" (2D vectors); an empty box is written as it is held.

#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"
#include "implicit/sweeps/DiscreteScalarField2D.h"

namespace vynimplicit {

namespace {

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
    return record && Store(&record->Values());
}

bool ScalarField2D::Serialize_Old(WmlDeprecated::Serializer*, unsigned int&)
{
    // Only concrete fields know their record type in the older format.
    return false;
}

ScalarField2D* ScalarField2D::CreateByTypeName(const std::string& typeName)
{
    if (typeName == "DiscreteScalarField2D") return new DiscreteScalarField2D();
    return nullptr;
}

ScalarField2D* ScalarField2D::RestoreField_Old(WmlDeprecated::Serializer*, unsigned int)
{
    return nullptr;
}

}  // namespace vynimplicit

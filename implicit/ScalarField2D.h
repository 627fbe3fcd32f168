#pragma once
// A field in the plane: the 2D templates that sweeps and revolutions extrude or
// spin. Same convention as the 3D fields: values in [0, 1], the outline is the
// 0.5 contour, values above 0.5 inside, 0 outside FieldBounds. Each concrete
// field stores itself in a record of its own type name (current format) or of
// its numeric type (older format).

#include <string>

#include "wml/AxisAlignedBox2.h"

namespace Wml {
class SerializerRecord;
}
namespace WmlDeprecated {
class Serializer;
class SerializerRecord;
}  // namespace WmlDeprecated

namespace vynimplicit {

class ScalarField2D {
public:
    ScalarField2D() = default;
    ScalarField2D(const ScalarField2D&) = default;
    ScalarField2D& operator=(const ScalarField2D&) = default;
    virtual ~ScalarField2D() = default;

    virtual float Value(float x, float y) = 0;
    /// Gradient (towards larger values). The base takes central differences.
    virtual void Gradient(float x, float y, float& gx, float& gy);
    /// A box outside of which the value is 0; the base answers the bounds
    /// given to SetBounds.
    virtual void FieldBounds(Wml::AxisAlignedBox2<float>& box);
    /// Sets the region the field covers (sampled fields map their samples onto it).
    virtual void SetBounds(const Wml::AxisAlignedBox2<float>& box);
    /// Writes the field as a new record of the older format; recordID
    /// receives its ID. False when the field cannot be written.
    virtual bool Serialize_Old(WmlDeprecated::Serializer* serializer, unsigned int& recordID);
    /// Writes the field's data into an existing record of the older format.
    virtual bool Serialize_Old(WmlDeprecated::SerializerRecord* record);
    /// Writes the field's data into a record (the caller created it with
    /// GetTypeName() as its type).
    virtual bool Store(Wml::SerializerRecord* record);
    /// Replaces the field's data by the record's; false, with the field
    /// unchanged, when the record is missing data or holds invalid data.
    virtual bool Restore(Wml::SerializerRecord* record);
    /// The type name used in scene files.
    virtual std::string GetTypeName() const = 0;

    /// A new, empty field of the named type ("DiscreteScalarField2D",
    /// "DynDiscreteScalarField2D", "PolygonField2D"), or null for other names.
    /// The caller owns it.
    static ScalarField2D* CreateByTypeName(const std::string& typeName);
    /// A new field restored from the older-format record with that ID, or
    /// null when there is none or it cannot be read. The caller owns it.
    static ScalarField2D* RestoreField_Old(WmlDeprecated::Serializer* serializer, unsigned int recordID);

protected:
    Wml::AxisAlignedBox2<float> m_bounds;  // empty until set
};

}  // namespace vynimplicit

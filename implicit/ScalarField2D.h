#pragma once
// A field in the plane: the 2D templates that sweeps and revolutions extrude or
// spin. Same convention as the 3D fields: values in [0, 1], the outline is the
// 0.5 contour, values above 0.5 inside, 0 outside FieldBounds. The record and
// file formats of the concrete fields are added with the persistence layer.

#include <string>

#include "wml/AxisAlignedBox2.h"

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
    /// The type name used in scene files.
    virtual std::string GetTypeName() const = 0;

protected:
    Wml::AxisAlignedBox2<float> m_bounds;  // empty until set
};

}  // namespace vynimplicit

#pragma once
// The field a grid cache samples: grid-local points q are placed in the world
// as p = R q + o by the cache's frame, and the source is evaluated there.

#include "implicit/ScalarField.h"
#include "wml/Frame3.h"

namespace vynbt {

class FieldWithFrame : public vynimplicit::ScalarField {
public:
    explicit FieldWithFrame(vynimplicit::ScalarField* source = nullptr) : m_source(source) {}

    void SetSource(vynimplicit::ScalarField* source) { m_source = source; }
    vynimplicit::ScalarField* GetSource() const { return m_source; }
    void SetFrame(const Wml::Frame3<float>& frame);
    const Wml::Frame3<float>& GetFrame() const { return m_frame; }

    /// Grid-local point -> world point (rotation and origin; the scale is not used).
    Wml::Vector3<float> ToWorld(const Wml::Vector3<float>& q) const;
    /// World point -> grid-local point, inverse of ToWorld. Inline: every
    /// cached evaluation goes through it, and most frames are not turned.
    Wml::Vector3<float> ToLocal(const Wml::Vector3<float>& p) const
    {
        const Wml::Vector3<float> d = p - m_origin;
        if (m_unturned) return d;
        return m_toLocal[0] * d.X() + m_toLocal[1] * d.Y() + m_toLocal[2] * d.Z();
    }

    /// True when the frame's axes are the world's (local directions are world ones).
    bool IsUnturned() const { return m_unturned; }

    using vynimplicit::ScalarField::Gradient;
    using vynimplicit::ScalarField::Value;
    /// The source's value at the placed point (0 without a source).
    float Value(float x, float y, float z) override;
    // The grid reads Value only. The rest answer consistently in grid-local
    // terms so that an unexpected caller gets sane numbers rather than a crash.
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The box around the source's bounds expressed in grid-local coordinates.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;

private:
    vynimplicit::ScalarField* m_source;
    Wml::Frame3<float> m_frame;
    // ToLocal's copy of the frame: the images of the world axes and the origin.
    Wml::Vector3<float> m_toLocal[3] = {Wml::Vector3<float>::UNIT_X, Wml::Vector3<float>::UNIT_Y,
                                        Wml::Vector3<float>::UNIT_Z};
    Wml::Vector3<float> m_origin = Wml::Vector3<float>::ZERO;
    bool m_unturned = true;
};

}  // namespace vynbt

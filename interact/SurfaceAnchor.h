#pragma once
// A place on a surface: a frame whose origin is the surface point and whose
// z axis is the surface normal there. Pivots sit on anchors, and a link can
// lead to one; the scene file keeps anchors as records of their own.

#include "scene/NamedType.h"
#include "wml/Frame3.h"
#include "wml/Matrix3.h"
#include "wml/Ray3.h"
#include "wml/Vector3.h"

namespace vynimplicit {
class ScalarField;
}  // namespace vynimplicit

namespace vynui {

class SurfaceAnchor : public NamedType {
public:
    /// At the world origin, z axis up.
    SurfaceAnchor();
    /// At frame; an unusable frame (see SetFrame) leaves the default.
    explicit SurfaceAnchor(const Wml::Frame3<float>& frame);

    /// The frame at a surface point with its z axis along the normal (turned
    /// from the world axes by the smallest rotation). False, frame untouched,
    /// when the point is not finite or the normal is zero or not finite.
    static bool FrameAtSurfacePoint(const Wml::Vector3<float>& point, const Wml::Vector3<float>& normal,
                                    Wml::Frame3<float>& frame);

    /// Where ray first meets the iso-surface 0.5 of field: the frame at the
    /// hit point whose z axis is the negated, normalized gradient there (the
    /// outward normal, as fields fall off outward). False, frame untouched,
    /// when the ray misses or the gradient vanishes. The caller holds
    /// whatever lock guards the field.
    static bool FrameAtFieldHit(vynimplicit::ScalarField& field, const Wml::Ray3<float>& ray,
                                Wml::Frame3<float>& frame);

    const char* GetCategoryName() const override { return "SurfaceAnchorType"; }
    const char* GetTypeName() const override { return "SurfaceAnchor"; }

    const Wml::Frame3<float>& GetFrame() const { return m_frame; }
    /// Takes frame when it is usable: finite, non-zero scale, axes
    /// orthonormal to within 1e-3 (then cleaned up to exactly so). Otherwise
    /// answers false and keeps the old frame.
    bool SetFrame(const Wml::Frame3<float>& frame);
    Wml::Vector3<float> GetPoint() const { return m_frame.Origin(); }
    Wml::Vector3<float> GetNormal() const { return m_frame.Z(); }

    /// Moves the frame by delta. Non-finite deltas are refused.
    bool Translate(const Wml::Vector3<float>& delta);
    /// relative: turns the axes by the world rotation m about the origin;
    /// otherwise m (rows = axes) becomes the rotation. Refused (false) when
    /// the result would not be a usable frame.
    bool Rotate(const Wml::Matrix3<float>& m, bool relative);

    /// The identity ("ID", "Name") and "AnchorFrame".
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// Reads "AnchorFrame" first: when it is missing or unusable the answer
    /// is false and the anchor (frame and name) is left as it was. Then the
    /// name, as every named type reads it.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

private:
    Wml::Frame3<float> m_frame;
};

}  // namespace vynui

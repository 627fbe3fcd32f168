#pragma once
// Rotate about an axis: a band around the handle's z axis at the ring
// radius. The drag follows the pointer round the ring.

#include "interact/Constraint.h"

namespace vynui {

class AxisRotationConstraint : public Constraint {
public:
    /// radius: the ring radius in view-scale units (RotationRadiusForMode).
    AxisRotationConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode,
                           float radius);
    AxisRotationConstraint(ConstraintTarget* target, const Wml::Vector3<float>& origin,
                           const Wml::Vector3<float>& axis, int frameMode, float radius);

    int GetKind() const override { return AXIS_ROTATION_CONSTRAINT; }
    /// Lit grey band, both faces.
    void Draw(const ToolViewData& view) override;
    /// Remembers the ring's world radius in this view and the starting
    /// ring point.
    bool BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view) override;
    /// The pointer is projected onto the ring; when the new ring point lies
    /// more than π × 0.1 round from the previous one it is refined along
    /// the ring's tangent at the previous point; the angle between the two
    /// is signed by dot(previous × new, axis) and set to 0 above π / 4.
    bool DragRotation(const Wml::Ray3<float>& ray, Wml::Matrix3<float>& rotation) override;
    /// Turns the handle's own frame.
    bool DragHandle(const Wml::Ray3<float>& ray) override;
    /// 32 quads between radius ± 0.045 × view scale about the axis, with
    /// radius = ring radius × view scale.
    ConstraintShape BuildShape(const ToolViewData& view) const override;
    /// With v = |view direction · axis|: 0 below 0.2, (v - 0.2) / 0.5 below
    /// 0.7, else 1.
    float GetVisibility(const ToolViewData& view) const override;
    /// A ring faded out entirely is not drawn, so it is not picked either.
    bool IsPickable(const ToolViewData& view) const override;
    ConstraintDescription Describe() const override;

    float GetRadius() const { return m_radius; }
    void SetRadius(float radius);
    /// The point of the drawn ring (in view) nearest to point.
    Wml::Vector3<float> NearestRingPoint(const Wml::Vector3<float>& point, const ToolViewData& view) const;

private:
    /// Where the ray meets the ring's plane (or, seen edge on, the ray
    /// point nearest the centre dropped into the plane); false when that
    /// is the centre itself.
    bool PlanePoint(const Wml::Ray3<float>& ray, Wml::Vector3<float>& point) const;

    float m_radius;
    bool m_dragging = false;
    float m_dragRadius = 1.0f;
    Wml::Vector3<float> m_previous;
};

}  // namespace vynui

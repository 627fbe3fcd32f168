#pragma once
// Translate in a plane: an L-shaped patch in the handle's x-y plane (the
// z axis is the plane normal). The drag moves the target by the
// difference between successive points where the pointer's ray meets the
// plane.

#include "interact/Constraint.h"

namespace vynui {

class PlaneTranslateConstraint : public Constraint {
public:
    PlaneTranslateConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode);
    /// The plane through origin with the given normal.
    PlaneTranslateConstraint(ConstraintTarget* target, const Wml::Vector3<float>& origin,
                             const Wml::Vector3<float>& normal, int frameMode);

    int GetKind() const override { return PLANE_TRANSLATE_CONSTRAINT; }
    bool BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view) override;
    bool DragVector(const Wml::Ray3<float>& ray, Wml::Vector3<float>& delta) override;
    bool DragHandle(const Wml::Ray3<float>& ray) override;
    /// With c = HUD scale factor × 0.14 × 0.5 × view scale: the square of
    /// side 2.25 c at the origin less its c × c corner at the origin.
    ConstraintShape BuildShape(const ToolViewData& view) const override;
    /// A plane patch is seen best face on and vanishes edge on, so the
    /// fading rule is applied to how far the view direction leaves the
    /// plane: x = |view direction · normal|, 0 below 0.003,
    /// (x - 0.003) / 0.032 below 0.035, else 1.
    float GetVisibility(const ToolViewData& view) const override;
    /// Needs visibility 0.2.
    bool IsPickable(const ToolViewData& view) const override;
    /// Keeps the whole frame.
    ConstraintDescription Describe() const override;

private:
    bool m_dragging = false;
    Wml::Vector3<float> m_previous;
};

}  // namespace vynui

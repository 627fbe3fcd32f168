#pragma once
// Scale uniformly: a disc facing the eye at the handle's origin. Dragging
// right or up grows the target, left or down shrinks it.

#include "interact/Constraint.h"

namespace vynui {

class UniformScaleConstraint : public Constraint {
public:
    UniformScaleConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode);
    UniformScaleConstraint(ConstraintTarget* target, const Wml::Vector3<float>& origin,
                           const Wml::Vector3<float>& axis, int frameMode);

    int GetKind() const override { return UNIFORM_SCALE_CONSTRAINT; }
    /// The drag plane is the disc's: through the origin, facing the eye of
    /// this view; its x and y are the screen's right and up.
    bool BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view) override;
    /// step = Δx + Δy of the point where the ray meets the drag plane since
    /// the last step (in the screen's x and y); each size component c
    /// becomes c + step and the factors are (c + step) / c. A step that would
    /// bring a size to 0.001 or below is refused.
    bool DragScale(const Wml::Ray3<float>& ray, Wml::Vector3<float>& factors) override;
    /// Moves the handle in its drag plane.
    bool DragHandle(const Wml::Ray3<float>& ray) override;
    /// A disc of radius 0.2 × HandleSize facing the eye.
    ConstraintShape BuildShape(const ToolViewData& view) const override;
    /// Always fully visible: the disc faces the eye.
    float GetVisibility(const ToolViewData& view) const override;

    const Wml::Vector3<float>& GetSize() const { return m_size; }

private:
    bool PlanePoint(const Wml::Ray3<float>& ray, Wml::Vector3<float>& point) const;

    bool m_dragging = false;
    Wml::Vector3<float> m_previous;
    Wml::Vector3<float> m_planeNormal = Wml::Vector3<float>(0.0f, 0.0f, 1.0f);
    Wml::Vector3<float> m_planeX = Wml::Vector3<float>(1.0f, 0.0f, 0.0f);
    Wml::Vector3<float> m_planeY = Wml::Vector3<float>(0.0f, 1.0f, 0.0f);
    Wml::Vector3<float> m_size = Wml::Vector3<float>(1.0f, 1.0f, 1.0f);
};

}  // namespace vynui

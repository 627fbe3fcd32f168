#pragma once
// Scale along an axis: drawn like a vector handle with a block head. The
// drag scales the target along the one of its own axes that is most
// aligned with the handle's axis.

#include "interact/Constraint.h"

namespace vynui {

class AxisScaleConstraint : public Constraint {
public:
    AxisScaleConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode);
    AxisScaleConstraint(ConstraintTarget* target, const Wml::Vector3<float>& origin,
                        const Wml::Vector3<float>& axis, int frameMode);

    int GetKind() const override { return AXIS_SCALE_CONSTRAINT; }
    bool BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view) override;
    /// The step (signed movement of the axis point closest to the ray) goes
    /// into the component of the target axis most aligned with the handle;
    /// each size component c becomes c + delta and the factors are
    /// (c + delta) / c. A step that would bring a size to 0.001 or below is
    /// refused.
    bool DragAxisScale(const Wml::Ray3<float>& ray, Wml::Vector3<float>& factors) override;
    bool DragHandle(const Wml::Ray3<float>& ray) override;
    ConstraintShape BuildShape(const ToolViewData& view) const override;
    bool IsPickable(const ToolViewData& view) const override;

    /// The handle's size vector, (1, 1, 1) at construction.
    const Wml::Vector3<float>& GetSize() const { return m_size; }

    /// 0, 1 or 2: the axis of frame most aligned with direction (x when
    /// |d·x| exceeds both others, else y when |d·y| does, else z).
    static int MostAlignedAxis(const Wml::Frame3<float>& frame, const Wml::Vector3<float>& direction);

private:
    bool Step(const Wml::Ray3<float>& ray, float& step);

    bool m_dragging = false;
    Wml::Vector3<float> m_previous;
    Wml::Vector3<float> m_size = Wml::Vector3<float>(1.0f, 1.0f, 1.0f);
};

}  // namespace vynui

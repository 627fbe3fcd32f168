#pragma once
// Translate along an axis: an arrow from the handle's origin along its z
// axis. A handle made by a line gesture and not pinned also shows its
// aiming ring beyond the head (part 1 of its shape), by which the
// constraint manager turns it to another axis.

#include "interact/Constraint.h"

namespace vynui {

class VectorConstraint : public Constraint {
public:
    VectorConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode);
    /// At origin along axis (a zero axis leaves the world z axis).
    VectorConstraint(ConstraintTarget* target, const Wml::Vector3<float>& origin,
                     const Wml::Vector3<float>& axis, int frameMode);

    int GetKind() const override { return VECTOR_CONSTRAINT; }
    bool BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view) override;
    /// step × axis, the step being how far the point of the axis line
    /// closest to the ray moved since the last step (signed along the axis).
    bool DragVector(const Wml::Ray3<float>& ray, Wml::Vector3<float>& delta) override;
    bool DragHandle(const Wml::Ray3<float>& ray) override;
    ConstraintShape BuildShape(const ToolViewData& view) const override;
    /// Needs visibility 0.2.
    bool IsPickable(const ToolViewData& view) const override;

    /// Made by a line gesture: shows the aiming ring while unpinned.
    bool IsMadeByLine() const { return m_madeByLine; }
    void SetMadeByLine(bool madeByLine) { m_madeByLine = madeByLine; }
    bool ShowsAimingRing() const { return m_madeByLine && !IsPinned(); }

    /// Re-aims the handle: origin and axis, frame mode and colour. False,
    /// unchanged, for an unusable origin or axis.
    bool Reaim(const Wml::Vector3<float>& origin, const Wml::Vector3<float>& axis, int frameMode,
               const Wml::ColorRGBA& color);

    /// The shaft of a handle of length s (from 0.105 s to s, half-width
    /// 0.08 s) along axis from origin, spread along side; shared with the
    /// axis-scale handle.
    static void AddShaft(ConstraintShape& shape, const Wml::Vector3<float>& origin,
                         const Wml::Vector3<float>& axis, const Wml::Vector3<float>& side, float s);

private:
    bool AxisPoint(const Wml::Ray3<float>& ray, Wml::Vector3<float>& point) const;

    bool m_madeByLine = false;
    bool m_dragging = false;
    Wml::Vector3<float> m_previous;
};

}  // namespace vynui

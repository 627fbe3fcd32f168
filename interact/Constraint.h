#pragma once
// Base of the handles drawn around a selected object. Each handle restricts
// a pointer drag to one kind of change of its target (translate along an
// axis or in a plane, rotate about an axis, scale uniformly or along an
// axis). A handle computes the change; the tool applies it.
//
// A handle stands in its world frame, whose z axis is the handle's axis or
// plane normal. It keeps that frame relative to its target so that it
// follows the target: frame modes 1 and 3 follow the target's rotation as
// well as its position, the others its position only.

#include "interact/ConstraintDescription.h"
#include "interact/ConstraintShape.h"
#include "wml/ColorRGBA.h"
#include "wml/Frame3.h"
#include "wml/Matrix3.h"
#include "wml/Ray3.h"
#include "wml/Segment2.h"
#include "wml/Vector3.h"

namespace vynui {

class ConstraintTarget;
struct ToolViewData;

/// What a handle reports for a pick ray.
struct ConstraintHit {
    /// On the shape, or (for a near miss) the ray point closest to it.
    Wml::Vector3<float> point;
    /// From the ray origin to point.
    float distance = 0.0f;
    /// How far the ray passes from the drawn shape: 0 once the shape is hit.
    float missDistance = 0.0f;
    /// The part of the shape (vector handles: 0 shaft and head, 1 aiming ring).
    int part = 0;
};

class Constraint {
public:
    /// Registers with target (may be null: the handle then computes drags
    /// for a tool that applies them itself). The frame's z axis is the
    /// handle's axis; the colour comes from the frame mode.
    Constraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode);
    /// Deregisters from its target.
    virtual ~Constraint();
    Constraint(const Constraint&) = delete;
    Constraint& operator=(const Constraint&) = delete;

    /// The target moved: world frame := target frame × relative frame (see
    /// the class comment). Ignored for another target or a non-finite frame.
    virtual void OnTargetChanged(ConstraintTarget* target);
    /// ConstraintKind code.
    virtual int GetKind() const = 0;
    /// GL only; draws BuildShape(view) faded by GetVisibility(view).
    virtual void Draw(const ToolViewData& view);
    /// True with a report when the ray hits the drawn shape (miss distance
    /// 0) or passes near it (the miss distance). False when the handle is
    /// not pickable in this view.
    virtual bool HitTest(const Wml::Ray3<float>& ray, const ToolViewData& view, ConstraintHit& hit) const;
    /// Starts a drag at the ray. False when the ray gives no starting point.
    virtual bool BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view);
    /// One drag step; false (and no output) when the kind does not drag
    /// this way or the ray gives no new point.
    virtual bool DragVector(const Wml::Ray3<float>& ray, Wml::Vector3<float>& delta);
    virtual bool DragRotation(const Wml::Ray3<float>& ray, Wml::Matrix3<float>& rotation);
    /// Per-axis scale factors for the target.
    virtual bool DragScale(const Wml::Ray3<float>& ray, Wml::Vector3<float>& factors);
    virtual bool DragAxisScale(const Wml::Ray3<float>& ray, Wml::Vector3<float>& factors);
    /// Whether the window segment crosses the drawn shape; point is the
    /// crossing nearest to the eye. Invisible handles are never crossed.
    virtual bool CrossTest(const Wml::Segment2<float>& segment, const ToolViewData& view,
                           Wml::Vector3<float>& point) const;
    /// Places the handle (the relative frame is recomputed from the target).
    virtual void SetFrame(const Wml::Frame3<float>& frame);

    /// The handle-moving drag: one step moves the handle itself as the
    /// drag would move the target. False when nothing moved.
    virtual bool DragHandle(const Wml::Ray3<float>& ray) = 0;
    /// The drawn shape in this view (part numbers as for HitTest).
    virtual ConstraintShape BuildShape(const ToolViewData& view) const = 0;
    /// 0 (invisible) to 1. Base: fades as the z axis points at the viewer,
    /// x = 1 - |view direction · z|: 0 below 0.003, (x - 0.003) / 0.032
    /// below 0.035, else 1.
    virtual float GetVisibility(const ToolViewData& view) const;
    /// Vector and plane handles need visibility 0.2; base: any visibility.
    virtual bool IsPickable(const ToolViewData& view) const;
    /// What the handle is, for the history and for re-creating it.
    virtual ConstraintDescription Describe() const;

    ConstraintTarget* GetTarget() const { return m_target; }
    /// Called by the target when it goes away.
    void DetachTarget() { m_target = nullptr; }

    const Wml::Frame3<float>& GetWorldFrame() const { return m_frame; }
    const Wml::Frame3<float>& GetRelativeFrame() const { return m_relative; }
    Wml::Vector3<float> GetOrigin() const { return m_frame.Origin(); }
    Wml::Vector3<float> GetAxis() const { return m_frame.Z(); }
    /// Puts the handle at origin with its z axis along axis (the frame turned
    /// from the world axes by the smallest rotation). False, unchanged, for a
    /// zero or non-finite axis or origin.
    bool Aim(const Wml::Vector3<float>& origin, const Wml::Vector3<float>& axis);

    int GetFrameMode() const { return m_frameMode; }
    /// The relative frame is recomputed, as the mode changes how it follows.
    void SetFrameMode(int frameMode);
    bool IsPinned() const { return m_pinned; }
    void SetPinned(bool pinned) { m_pinned = pinned; }
    const Wml::ColorRGBA& GetColor() const { return m_color; }
    void SetColor(const Wml::ColorRGBA& color) { m_color = color; }
    /// Drawn highlighted (the tool's picked handle).
    bool IsHighlighted() const { return m_highlighted; }
    void SetHighlighted(bool highlighted) { m_highlighted = highlighted; }

    /// Visibility rule on a direction: x = 1 - |dot(view, direction)|.
    static float AxisVisibility(const Wml::Vector3<float>& viewDirection,
                                const Wml::Vector3<float>& direction);
    /// HUD scale factor × 0.5 × view scale: the length of a vector handle.
    static float HandleSize(const ToolViewData& view);

protected:
    /// The colour the shape is filled with (red when pinned, black for a
    /// highlighted mode-0 handle, else the handle's colour).
    Wml::ColorRGBA FillColor() const;
    /// Base drawing of a flat shape: filled, then outlined.
    void DrawFlatShape(const ConstraintShape& shape, float visibility) const;
    /// Moves the handle by delta (keeping its axes).
    void MoveBy(const Wml::Vector3<float>& delta);
    /// The target's frame, or the world frame without a target.
    Wml::Frame3<float> TargetFrame() const;

    Wml::Frame3<float> m_frame;

private:
    void UpdateRelativeFrame();
    bool FollowsRotation() const;

    ConstraintTarget* m_target;
    Wml::Frame3<float> m_relative;
    int m_frameMode;
    bool m_pinned = false;
    bool m_highlighted = false;
    Wml::ColorRGBA m_color;
};

}  // namespace vynui

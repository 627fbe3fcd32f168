#pragma once
// Arrows the constraint manager draws over the scene: one per link, from the
// linked object towards the frame it follows (filled white), and one per
// suggested axis (filled red). The geometry is computed here by plain
// functions; DrawArrow only draws it.
//
// An arrow lies in the plane that contains it and faces the eye. With
// k = HUD scale factor x view scale and w = 0.015 k, the shaft is a strip of
// half-width w from the start to length L, and the head a triangle of
// half-width 2.25 w from L - 0.001 k to L - 0.001 k + 2.25 w.

#include "wml/ColorRGBA.h"
#include "wml/Vector3.h"

namespace vynui {

struct ConstraintLink;

/// Suggested axes have no end point of their own; their arrows are this
/// many k long, about as long as a vector handle.
constexpr float SUGGESTED_AXIS_ARROW_LENGTH = 0.6f;

struct ArrowGeometry {
    /// False when there is nothing to draw (zero length, arrow pointing at
    /// the eye, bad input); the points are then meaningless.
    bool valid = false;
    /// Shaft corners: start - w side, start + w side, end + w side, end - w side.
    Wml::Vector3<float> shaft[4];
    /// Head: base - 2.25 w side, base + 2.25 w side, tip.
    Wml::Vector3<float> head[3];
    /// The outline around shaft and head, in drawing order.
    Wml::Vector3<float> outline[7];
    /// From the handle visibility rule applied to the arrow's direction.
    float visibility = 0.0f;
};

/// An arrow from start along direction (made unit) with shaft length L.
ArrowGeometry ComputeArrow(const Wml::Vector3<float>& start, const Wml::Vector3<float>& direction,
                           float length, const Wml::Vector3<float>& eye,
                           const Wml::Vector3<float>& viewDirection, float k);

/// The arrow of a link: from the linked object's origin towards the origin
/// of the link's frame; L is the distance between them, less (the pivot's
/// size + 2.25 w) when the link leads to a pivot, so the head stops at the
/// marker. Invalid when the link has no linked object or L is not positive.
ArrowGeometry ComputeLinkArrow(const ConstraintLink& link, const Wml::Vector3<float>& eye,
                               const Wml::Vector3<float>& viewDirection, float k);

/// The arrow of a suggested axis: from origin along direction,
/// SUGGESTED_AXIS_ARROW_LENGTH x k long.
ArrowGeometry ComputeSuggestedAxisArrow(const Wml::Vector3<float>& origin,
                                        const Wml::Vector3<float>& direction, const Wml::Vector3<float>& eye,
                                        const Wml::Vector3<float>& viewDirection, float k);

/// Fills the arrow with fill (its alpha times the visibility) and outlines
/// it in black with lineWidth, lighting off. Needs a current GL context.
void DrawArrow(const ArrowGeometry& arrow, const Wml::ColorRGBA& fill, float lineWidth);

}  // namespace vynui

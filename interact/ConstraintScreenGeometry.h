#pragma once
// Screen-space tests the constraint gestures use. Screen points are window
// coordinates of the camera's viewport with y counted from the bottom, as
// ExtendedWmlCamera::Project gives them.

#include "wml/AxisAlignedBox3.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace Wml {
class ExtendedWmlCamera;
}  // namespace Wml

namespace vynui {

struct ConstraintLink;

/// Largest |cos| of the angle between a gesture leg and a link arrow for the
/// leg to count as crossing the link.
constexpr float LINK_CROSSING_MAX_ABS_COS = 0.2f;

/// The window position of a world point. False for a point on or behind the
/// eye plane, or when the result is not finite.
bool ProjectToScreen(const Wml::ExtendedWmlCamera& camera, const Wml::Vector3<float>& world,
                     Wml::Vector2<float>& screen);

/// Whether segments a0-a1 and b0-b1 meet (touching counts) and the |cos| of
/// the angle between them is at most maxAbsCos. A one-point segment never
/// crosses.
bool SegmentsCrossSteeply(const Wml::Vector2<float>& a0, const Wml::Vector2<float>& a1,
                          const Wml::Vector2<float>& b0, const Wml::Vector2<float>& b1,
                          float maxAbsCos = LINK_CROSSING_MAX_ABS_COS);

/// A link's screen segment: from the projected origin of the linked object
/// to the projected origin of the link's frame. False when either end
/// cannot be projected or the link has no linked object.
bool LinkScreenSegment(const ConstraintLink& link, const Wml::ExtendedWmlCamera& camera,
                       Wml::Vector2<float>& from, Wml::Vector2<float>& to);

/// The screen circle of a bounding box: centre = the projected box centre,
/// radius = the largest distance from it to a projected corner, so the
/// circle holds the whole projected box. False for an empty or non-finite
/// box or when the centre or a corner lies behind the eye.
bool ProjectedBoundsCircle(const Wml::AxisAlignedBox3<float>& box, const Wml::ExtendedWmlCamera& camera,
                           Wml::Vector2<float>& centre, float& radius);

/// Whether segment p0-p1 has a point in the closed disc (centre, radius).
bool SegmentMeetsCircle(const Wml::Vector2<float>& p0, const Wml::Vector2<float>& p1,
                        const Wml::Vector2<float>& centre, float radius);

/// How visible a handle or arrow along direction is: with
/// x = 1 - |viewDirection . direction| (both made unit), 0 when x < 0.003,
/// (x - 0.003) / 0.032 when x < 0.035, else 1. A zero or non-finite
/// vector gives 0.
float AxisVisibility(const Wml::Vector3<float>& viewDirection, const Wml::Vector3<float>& direction);

}  // namespace vynui

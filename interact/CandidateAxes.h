#pragma once
// The axes a line gesture can aim a handle along, and the matching of a
// screen direction against them.

#include <vector>

#include "interact/ConstraintDescription.h"
#include "wml/Frame3.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace Wml {
class ExtendedWmlCamera;
}  // namespace Wml

namespace vynui {

class SceneObject;

/// Slack by which a later candidate must beat an object-axis candidate when
/// the mode filter is on: the object's own axes win near-ties.
constexpr float CANDIDATE_OBJECT_AXIS_PREFERENCE = 0.01f;
/// View limits of the two uses: aiming a new handle by a line, and re-aiming
/// a captured vector handle.
constexpr float CANDIDATE_LINE_VIEW_LIMIT = 0.9f;
constexpr float CANDIDATE_REAIM_VIEW_LIMIT = 0.965f;

/// The candidates, each a vector-handle description at origin, in this
/// order: the object frame's x, -x, y, -y, z, -z (frame mode 1); the world
/// +X, -X, +Y, -Y, +Z, -Z (mode 0); and, when anchorFrame is given, its x,
/// -x, y, -y, z, -z (mode 2). Axes are made unit; a degenerate frame axis is
/// left out. Each carries its mode's colour and ring radius.
std::vector<ConstraintDescription> BuildCandidateAxes(const Wml::Frame3<float>& objectFrame,
                                                      const Wml::Frame3<float>* anchorFrame,
                                                      const Wml::Vector3<float>& origin);

/// The same for a selected object: its frame, and its anchor's frame when
/// it is a pivot sitting on one. origin is the current target's frame
/// origin. A null object gives the world axes only.
std::vector<ConstraintDescription> BuildCandidateAxes(SceneObject* selected,
                                                      const Wml::Vector3<float>& origin);

/// The score of one candidate for the unit screen direction d (window
/// coordinates, y up): 0 when modeFilter is on and the candidate's frame
/// mode is not 0, 1 or 2, or when |view direction . axis| > viewLimit, or
/// when the axis cannot be projected; otherwise d . the unit screen
/// direction from the projected origin to the projected origin + 0.1 axis.
float ScoreCandidateAxis(const ConstraintDescription& candidate, const Wml::Vector2<float>& d,
                         float viewLimit, bool modeFilter, const Wml::ExtendedWmlCamera& camera);

/// The index of the best candidate for the screen direction d (made unit
/// here), or -1 when no score is positive or d is zero. The best has the
/// highest score, the earlier winning exact ties; with modeFilter on, a
/// later candidate higher by less than CANDIDATE_OBJECT_AXIS_PREFERENCE
/// replaces the best only when the best is not of frame mode 1.
int MatchCandidateAxis(const std::vector<ConstraintDescription>& candidates, const Wml::Vector2<float>& d,
                       float viewLimit, bool modeFilter, const Wml::ExtendedWmlCamera& camera);

/// Whether a candidate is drawn while a vector handle is being re-aimed:
/// |viewDirection . axis| at most CANDIDATE_REAIM_VIEW_LIMIT.
bool IsCandidateAxisShown(const ConstraintDescription& candidate, const Wml::Vector3<float>& viewDirection);

/// Draws each shown candidate as a line of length 1 from its origin along
/// its axis, in its colour, lighting off, with lineWidth (twice the global
/// line width). Needs a current GL context.
void DrawCandidateAxes(const std::vector<ConstraintDescription>& candidates,
                       const Wml::Vector3<float>& viewDirection, float lineWidth);

}  // namespace vynui

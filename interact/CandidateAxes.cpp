#include "interact/CandidateAxes.h"

#include <GL/gl.h>

#include <cmath>

#include "interact/ConstraintScreenGeometry.h"
#include "interact/PivotSO.h"
#include "interact/SurfaceAnchor.h"
#include "wml/ExtendedWmlCamera.h"

namespace vynui {

namespace {

// Length along the axis of the probe point whose projection gives the
// axis's screen direction.
const float PROBE_LENGTH = 0.1f;

void AddAxisPair(std::vector<ConstraintDescription>& out, Wml::Vector3<float> axis, int frameMode,
                 const Wml::Vector3<float>& origin)
{
    if (!(axis.Normalize() > 0.0f) || !std::isfinite(axis.X()) || !std::isfinite(axis.Y()) ||
        !std::isfinite(axis.Z()))
        return;
    for (float sign : {1.0f, -1.0f}) {
        ConstraintDescription d;
        d.frameMode = frameMode;
        d.kind = VECTOR_CONSTRAINT;
        d.origin = origin;
        d.axis = axis * sign;
        d.radius = RotationRadiusForMode(frameMode);
        d.color = FrameModeColor(frameMode);
        out.push_back(d);
    }
}

void AddFrameAxes(std::vector<ConstraintDescription>& out, const Wml::Frame3<float>& frame, int frameMode,
                  const Wml::Vector3<float>& origin)
{
    AddAxisPair(out, frame.X(), frameMode, origin);
    AddAxisPair(out, frame.Y(), frameMode, origin);
    AddAxisPair(out, frame.Z(), frameMode, origin);
}

}  // namespace

std::vector<ConstraintDescription> BuildCandidateAxes(const Wml::Frame3<float>& objectFrame,
                                                      const Wml::Frame3<float>* anchorFrame,
                                                      const Wml::Vector3<float>& origin)
{
    std::vector<ConstraintDescription> out;
    AddFrameAxes(out, objectFrame, FRAME_MODE_OBJECT, origin);
    AddFrameAxes(out, Wml::Frame3<float>(), FRAME_MODE_WORLD, origin);
    if (anchorFrame) AddFrameAxes(out, *anchorFrame, FRAME_MODE_ANCHOR, origin);
    return out;
}

std::vector<ConstraintDescription> BuildCandidateAxes(SceneObject* selected,
                                                      const Wml::Vector3<float>& origin)
{
    if (!selected) {
        std::vector<ConstraintDescription> out;
        AddFrameAxes(out, Wml::Frame3<float>(), FRAME_MODE_WORLD, origin);
        return out;
    }
    const SurfaceAnchor* anchor = nullptr;
    if (selected->IsPivot())
        if (auto* pivot = dynamic_cast<PivotSO*>(selected)) anchor = pivot->GetAnchor();
    Wml::Frame3<float> anchorFrame;
    if (anchor) anchorFrame = anchor->GetFrame();
    return BuildCandidateAxes(selected->GetFrame(), anchor ? &anchorFrame : nullptr, origin);
}

float ScoreCandidateAxis(const ConstraintDescription& candidate, const Wml::Vector2<float>& d,
                         float viewLimit, bool modeFilter, const Wml::ExtendedWmlCamera& camera)
{
    if (modeFilter && candidate.frameMode != FRAME_MODE_WORLD && candidate.frameMode != FRAME_MODE_OBJECT &&
        candidate.frameMode != FRAME_MODE_ANCHOR)
        return 0.0f;
    const float facing = std::fabs(camera.GetDirection().Dot(candidate.axis));
    if (!(facing <= viewLimit)) return 0.0f;
    Wml::Vector2<float> from, to;
    if (!ProjectToScreen(camera, candidate.origin, from) ||
        !ProjectToScreen(camera, candidate.origin + candidate.axis * PROBE_LENGTH, to))
        return 0.0f;
    Wml::Vector2<float> onScreen = to - from;
    if (!(onScreen.Normalize() > 0.0f)) return 0.0f;
    const float score = d.Dot(onScreen);
    return std::isfinite(score) ? score : 0.0f;
}

int MatchCandidateAxis(const std::vector<ConstraintDescription>& candidates, const Wml::Vector2<float>& d,
                       float viewLimit, bool modeFilter, const Wml::ExtendedWmlCamera& camera)
{
    Wml::Vector2<float> unit = d;
    if (!std::isfinite(unit.X()) || !std::isfinite(unit.Y()) || !(unit.Normalize() > 0.0f)) return -1;
    int best = -1;
    float bestScore = 0.0f;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const float score = ScoreCandidateAxis(candidates[i], unit, viewLimit, modeFilter, camera);
        if (!(score > bestScore)) continue;
        if (best >= 0 && modeFilter && score - bestScore < CANDIDATE_OBJECT_AXIS_PREFERENCE &&
            candidates[static_cast<size_t>(best)].frameMode == FRAME_MODE_OBJECT)
            continue;
        best = static_cast<int>(i);
        bestScore = score;
    }
    return best;
}

bool IsCandidateAxisShown(const ConstraintDescription& candidate, const Wml::Vector3<float>& viewDirection)
{
    return std::fabs(viewDirection.Dot(candidate.axis)) <= CANDIDATE_REAIM_VIEW_LIMIT;
}

void DrawCandidateAxes(const std::vector<ConstraintDescription>& candidates,
                       const Wml::Vector3<float>& viewDirection, float lineWidth)
{
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(lineWidth);
    glBegin(GL_LINES);
    for (const ConstraintDescription& c : candidates) {
        if (!IsCandidateAxisShown(c, viewDirection)) continue;
        const Wml::Vector3<float> end = c.origin + c.axis;
        glColor4f(c.color.R(), c.color.G(), c.color.B(), c.color.A());
        glVertex3f(c.origin.X(), c.origin.Y(), c.origin.Z());
        glVertex3f(end.X(), end.Y(), end.Z());
    }
    glEnd();
    glPopAttrib();
}

}  // namespace vynui

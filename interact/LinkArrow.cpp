#include "interact/LinkArrow.h"

#include <GL/gl.h>

#include <cmath>

#include "interact/ConstraintLink.h"
#include "interact/ConstraintScreenGeometry.h"
#include "interact/PivotSO.h"

namespace vynui {

namespace {

const float SHAFT_HALF_WIDTH = 0.015f;  // times k
const float HEAD_WIDTH_RATIO = 2.25f;   // head half-width and length, times w
const float HEAD_OVERLAP = 0.001f;      // times k; closes the seam between shaft and head

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

void Vertex(const Wml::Vector3<float>& p)
{
    glVertex3f(p.X(), p.Y(), p.Z());
}

}  // namespace

ArrowGeometry ComputeArrow(const Wml::Vector3<float>& start, const Wml::Vector3<float>& direction,
                           float length, const Wml::Vector3<float>& eye,
                           const Wml::Vector3<float>& viewDirection, float k)
{
    ArrowGeometry arrow;
    if (!IsFinite(start) || !IsFinite(direction) || !IsFinite(eye) || !std::isfinite(length) ||
        !std::isfinite(k) || !(length > 0.0f) || !(k > 0.0f))
        return arrow;
    Wml::Vector3<float> dir = direction;
    if (!(dir.Normalize() > 0.0f)) return arrow;
    // The side lies in the arrow's plane, across the arrow and across the
    // line of sight, so the arrow shows its full width.
    Wml::Vector3<float> side = dir.Cross(eye - start);
    if (!(side.Normalize() > 0.0f) || !IsFinite(side)) return arrow;

    const float w = SHAFT_HALF_WIDTH * k;
    const float headHalf = HEAD_WIDTH_RATIO * w;
    const float headStart = length - HEAD_OVERLAP * k;
    const Wml::Vector3<float> end = start + dir * length;
    const Wml::Vector3<float> base = start + dir * headStart;
    const Wml::Vector3<float> tip = start + dir * (headStart + headHalf);

    arrow.shaft[0] = start - side * w;
    arrow.shaft[1] = start + side * w;
    arrow.shaft[2] = end + side * w;
    arrow.shaft[3] = end - side * w;
    arrow.head[0] = base - side * headHalf;
    arrow.head[1] = base + side * headHalf;
    arrow.head[2] = tip;
    arrow.outline[0] = start - side * w;
    arrow.outline[1] = base - side * w;
    arrow.outline[2] = arrow.head[0];
    arrow.outline[3] = tip;
    arrow.outline[4] = arrow.head[1];
    arrow.outline[5] = base + side * w;
    arrow.outline[6] = start + side * w;
    arrow.visibility = AxisVisibility(viewDirection, dir);
    arrow.valid = true;
    return arrow;
}

ArrowGeometry ComputeLinkArrow(const ConstraintLink& link, const Wml::Vector3<float>& eye,
                               const Wml::Vector3<float>& viewDirection, float k)
{
    if (!link.linked) return ArrowGeometry();
    const Wml::Vector3<float> start = link.linked->GetFrame().Origin();
    const Wml::Vector3<float> toFrame = link.GetFrame().Origin() - start;
    float length = toFrame.Length();
    if (link.LeadsToPivot())
        if (auto* pivot = dynamic_cast<PivotSO*>(link.target))
            length -= pivot->GetSize() + HEAD_WIDTH_RATIO * SHAFT_HALF_WIDTH * k;
    return ComputeArrow(start, toFrame, length, eye, viewDirection, k);
}

ArrowGeometry ComputeSuggestedAxisArrow(const Wml::Vector3<float>& origin,
                                        const Wml::Vector3<float>& direction, const Wml::Vector3<float>& eye,
                                        const Wml::Vector3<float>& viewDirection, float k)
{
    return ComputeArrow(origin, direction, SUGGESTED_AXIS_ARROW_LENGTH * k, eye, viewDirection, k);
}

void DrawArrow(const ArrowGeometry& arrow, const Wml::ColorRGBA& fill, float lineWidth)
{
    if (!arrow.valid || !(arrow.visibility > 0.0f)) return;
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(fill.R(), fill.G(), fill.B(), fill.A() * arrow.visibility);
    glBegin(GL_QUADS);
    for (const auto& p : arrow.shaft) Vertex(p);
    glEnd();
    glBegin(GL_TRIANGLES);
    for (const auto& p : arrow.head) Vertex(p);
    glEnd();
    glLineWidth(lineWidth);
    glColor4f(0.0f, 0.0f, 0.0f, arrow.visibility);
    glBegin(GL_LINE_LOOP);
    for (const auto& p : arrow.outline) Vertex(p);
    glEnd();
    glPopAttrib();
}

}  // namespace vynui

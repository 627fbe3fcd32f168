#pragma once
// The look every button icon shares: a light rounded plate with a soft
// border, a dark glyph and one warm accent colour, drawn on a 64 x 64 canvas
// with a transparent background. Glyph strokes stay at least 3 px wide so
// that they still read when the HUD shows the icon at half size.

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>

namespace icongen {

/// Side of every icon, in pixels.
constexpr int kIconSide = 64;

QColor GlyphColor();
QColor AccentColor();
/// The accent, lighter (faces turned to the light) or darker (outlines, shade).
QColor AccentLight();
QColor AccentDark();
/// Neutral grey of the existing scene surfaces that some glyphs act on.
QColor SurfaceColor();

/// Round-capped, round-joined pens of the glyph and the accent.
QPen GlyphPen(qreal width = 4.0);
QPen AccentPen(qreal width = 4.0);

/// The plate behind every button glyph.
void DrawPlate(QPainter& p);

/// A filled triangular arrow head whose tip is at tip, pointing along the
/// direction from -> tip.
void DrawArrowHead(QPainter& p, QPointF from, QPointF tip, qreal size, const QColor& color);
/// A shaft from a to b with a head at b (and at a when both is true); the
/// shaft stops short of the heads so that their tips stay sharp.
void DrawArrow(QPainter& p, QPointF a, QPointF b, qreal width, qreal headSize, const QColor& color,
               bool both = false);

/// Fills path with the accent, shaded like a lit rounded solid (light from
/// the upper left), and outlines it with the glyph colour.
void FillSolid(QPainter& p, const QPainterPath& path, qreal outline = 3.0);

/// The union of path swept along offset in small steps: the outline of a
/// straight extrusion of a flat profile seen at an angle.
QPainterPath Extrude(const QPainterPath& profile, QPointF offset);

}  // namespace icongen

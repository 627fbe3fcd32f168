#include "Icons.h"

#include <QLinearGradient>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "IconStyle.h"

namespace icongen {
namespace {

constexpr qreal kPi = 3.14159265358979323846;

QPen DashedGlyphPen(qreal width, int alpha = 255)
{
    QColor color = GlyphColor();
    color.setAlpha(alpha);
    QPen pen(color, width, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
    pen.setDashPattern({2.0, 1.6});
    return pen;
}

QPainterPath Circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// A horizontal shading for solids of revolution: dark rims, a light band
// left of the middle.
QLinearGradient LatheShade(qreal left, qreal right)
{
    QLinearGradient shade(left, 0, right, 0);
    shade.setColorAt(0.0, AccentDark());
    shade.setColorAt(0.35, AccentLight());
    shade.setColorAt(0.7, AccentColor());
    shade.setColorAt(1.0, AccentDark());
    return shade;
}

void FillSurface(QPainter& p, const QPainterPath& path)
{
    const QRectF box = path.boundingRect();
    QLinearGradient shade(0, box.top(), 0, box.bottom());
    shade.setColorAt(0.0, SurfaceColor().lighter(118));
    shade.setColorAt(1.0, SurfaceColor().darker(118));
    p.setBrush(shade);
    p.setPen(GlyphPen(2.5));
    p.drawPath(path);
}

// ----------------------------------------------------------------------------
// The view toolbar and the close button.

void DrawCloseX(QPainter& p)
{
    DrawPlate(p);
    p.setPen(GlyphPen(7.0));
    p.drawLine(QPointF(21, 21), QPointF(43, 43));
    p.drawLine(QPointF(43, 21), QPointF(21, 43));
}

void DrawZoom(QPainter& p)
{
    DrawPlate(p);
    const QPointF lens(27, 27);
    const qreal r = 14;
    p.setPen(GlyphPen(9.0));
    p.drawLine(lens + QPointF(r, r) * 0.72, QPointF(50, 50));
    QColor glass = AccentLight();
    glass.setAlpha(110);
    p.setBrush(glass);
    p.setPen(GlyphPen(5.0));
    p.drawEllipse(lens, r, r);
    p.setPen(QPen(AccentDark(), 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(lens - QPointF(7, 0), lens + QPointF(7, 0));
    p.drawLine(lens - QPointF(0, 7), lens + QPointF(0, 7));
}

void DrawPan(QPainter& p)
{
    DrawPlate(p);
    const QPointF c(32, 32);
    for (QPointF tip : {QPointF(32, 10), QPointF(32, 54), QPointF(10, 32), QPointF(54, 32)}) {
        DrawArrow(p, c, tip, 4.5, 11, GlyphColor());
    }
    p.setPen(GlyphPen(2.0));
    p.setBrush(AccentColor());
    p.drawEllipse(c, 5, 5);
}

// ----------------------------------------------------------------------------
// The sketch suggestions.

void DrawCancel(QPainter& p)
{
    DrawPlate(p);
    // The sketch stroke being thrown away...
    QPainterPath stroke;
    stroke.moveTo(11, 42);
    stroke.cubicTo(16, 16, 27, 52, 35, 28);
    stroke.cubicTo(39, 17, 48, 20, 53, 30);
    p.setPen(GlyphPen(3.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stroke);
    // ...crossed out.
    p.setPen(QPen(QColor(255, 255, 255, 220), 10.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 22), QPointF(42, 42));
    p.drawLine(QPointF(42, 22), QPointF(22, 42));
    p.setPen(QPen(AccentColor(), 6.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 22), QPointF(42, 42));
    p.drawLine(QPointF(42, 22), QPointF(22, 42));
}

// A heart: a sketched outline rather than a primitive shape.
QPainterPath SketchProfile(QPointF at, qreal scale)
{
    QPainterPath profile;
    profile.moveTo(0, -6);
    profile.cubicTo(3, -13, 13, -12, 12.5, -3);
    profile.cubicTo(12, 4, 4, 8, 0, 12.5);
    profile.cubicTo(-4, 8, -12, 4, -12.5, -3);
    profile.cubicTo(-13, -12, -3, -13, 0, -6);
    profile.closeSubpath();
    return QTransform::fromTranslate(at.x(), at.y()).scale(scale, scale).map(profile);
}

// A straight extrusion of profile by offset: shaded sides, the hidden back
// edges dashed, the front face lit.
void DrawPrism(QPainter& p, const QPainterPath& profile, QPointF offset)
{
    const QPainterPath swept = Extrude(profile, offset);
    QLinearGradient side(swept.boundingRect().topLeft(), swept.boundingRect().bottomRight());
    side.setColorAt(0.0, AccentColor());
    side.setColorAt(1.0, AccentDark());
    p.setBrush(side);
    p.setPen(Qt::NoPen);
    p.drawPath(swept);

    // The hidden back edges, under the silhouette where they run along it.
    p.setBrush(Qt::NoBrush);
    QPen hidden(AccentLight(), 1.8, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
    hidden.setDashPattern({2.0, 1.6});
    p.setPen(hidden);
    p.drawPath(QTransform::fromTranslate(offset.x(), offset.y()).map(profile));
    p.setPen(GlyphPen(3.0));
    p.drawPath(swept);

    FillSolid(p, profile, 3.0);
}

void DrawLinearSweep(QPainter& p)
{
    DrawPlate(p);
    DrawPrism(p, SketchProfile(QPointF(24, 40), 1.0), QPointF(15, -15));
}

QPainterPath PuffyBlob()
{
    QPainterPath blob;
    blob.moveTo(13, 36);
    blob.cubicTo(9, 21, 26, 11, 35, 18);
    blob.cubicTo(44, 10, 57, 22, 50, 34);
    blob.cubicTo(57, 46, 41, 57, 31, 50);
    blob.cubicTo(20, 56, 10, 47, 13, 36);
    return blob;
}

void DrawHighlight(QPainter& p, QPointF centre, qreal rx, qreal ry)
{
    QRadialGradient glow(centre, std::max(rx, ry));
    glow.setColorAt(0.0, QColor(255, 255, 255, 230));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, rx, ry);
}

void DrawBlobbySweep(QPainter& p)
{
    DrawPlate(p);
    FillSolid(p, PuffyBlob(), 3.0);
    DrawHighlight(p, QPointF(24, 26), 8, 5.5);
}

void DrawRevolution(QPainter& p)
{
    DrawPlate(p);
    // The turn about the axis circles the widest part; its far half passes
    // behind the vase.
    const QRectF turn(6, 33, 52, 12);
    p.setBrush(Qt::NoBrush);
    p.setPen(GlyphPen(2.5));
    p.drawArc(turn, 0, 180 * 16);

    // The profile turned about the axis: a vase.
    QPainterPath vase;
    vase.moveTo(23, 12);
    vase.lineTo(41, 12);
    vase.cubicTo(38, 15, 36, 19, 40, 24);
    vase.cubicTo(48, 30, 52, 42, 42, 52);
    vase.lineTo(22, 52);
    vase.cubicTo(12, 42, 16, 30, 24, 24);
    vase.cubicTo(28, 19, 26, 15, 23, 12);
    vase.closeSubpath();
    p.setBrush(LatheShade(13, 51));
    p.setPen(GlyphPen(3.0));
    p.drawPath(vase);
    p.setBrush(AccentDark());
    p.setPen(GlyphPen(2.0));
    p.drawEllipse(QPointF(32, 12), 9, 2.8);

    p.setPen(DashedGlyphPen(2.0));
    p.drawLine(QPointF(32, 4), QPointF(32, 60));

    const qreal start = 185, sweep = 140;
    QPainterPath arc;
    arc.arcMoveTo(turn, start);
    arc.arcTo(turn, start, sweep);
    p.setBrush(Qt::NoBrush);
    p.setPen(GlyphPen(3.0));
    p.drawPath(arc);
    const qreal end = (start + sweep) * kPi / 180;
    const QPointF tip(turn.center().x() + std::cos(end) * turn.width() / 2,
                      turn.center().y() - std::sin(end) * turn.height() / 2);
    // The direction of travel at the end of the arc (angles grow
    // counter-clockwise, y grows downwards).
    const QPointF tangent(-std::sin(end) * turn.width() / 2, -std::cos(end) * turn.height() / 2);
    DrawArrowHead(p, tip - tangent * 0.2, tip + tangent * 0.15, 10, GlyphColor());
}

void DrawBlendBlobbySweep(QPainter& p)
{
    DrawPlate(p);
    QPainterPath ground;
    ground.addRect(QRectF(7, 42, 50, 12));
    FillSurface(p, ground);

    // The blob melts into the surface through a smooth fillet.
    QPainterPath blob;
    blob.addEllipse(QPointF(32, 26), 14, 12);
    QPainterPath fillet;
    fillet.moveTo(10, 42);
    fillet.cubicTo(19, 42, 22, 37, 22, 31);
    fillet.lineTo(42, 31);
    fillet.cubicTo(42, 37, 45, 42, 54, 42);
    fillet.closeSubpath();
    FillSolid(p, blob.united(fillet).simplified(), 3.0);
    DrawHighlight(p, QPointF(27, 21), 6, 4);
}

void DrawCutSurface(QPainter& p)
{
    DrawPlate(p);
    // A block of the existing surface, seen from above.
    const QPolygonF top({QPointF(6, 29), QPointF(36, 17), QPointF(58, 28), QPointF(28, 40)});
    const QPolygonF left({QPointF(6, 29), QPointF(28, 40), QPointF(28, 52), QPointF(6, 41)});
    const QPolygonF right({QPointF(28, 40), QPointF(58, 28), QPointF(58, 40), QPointF(28, 52)});
    p.setPen(GlyphPen(2.5));
    p.setBrush(SurfaceColor().lighter(125));
    p.drawPolygon(top);
    p.setBrush(SurfaceColor());
    p.drawPolygon(left);
    p.setBrush(SurfaceColor().darker(125));
    p.drawPolygon(right);

    // The hole the sketched outline cuts, and the outline itself.
    const QPointF centre(32, 28.5);
    p.setBrush(GlyphColor());
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre, 11, 5);
    p.setBrush(AccentDark());
    p.drawChord(QRectF(centre.x() - 11, centre.y() - 5, 22, 10), 200 * 16, 140 * 16);
    QPen cut(AccentColor(), 3.0, Qt::CustomDashLine, Qt::RoundCap);
    cut.setDashPattern({1.6, 1.4});
    p.setPen(cut);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 14.5, 7);
}

void DrawSurfacePointsLine(QPainter& p)
{
    DrawPlate(p);
    QPainterPath hill;
    hill.moveTo(6, 52);
    hill.cubicTo(12, 20, 52, 20, 58, 52);
    hill.closeSubpath();
    FillSurface(p, hill);

    QPainterPath line;
    line.moveTo(15, 45);
    line.cubicTo(22, 27, 40, 26, 50, 42);
    p.setBrush(Qt::NoBrush);
    p.setPen(GlyphPen(2.5));
    p.drawPath(line);
    p.setPen(GlyphPen(1.8));
    p.setBrush(AccentColor());
    for (qreal t : {0.0, 0.25, 0.5, 0.75, 1.0}) p.drawEllipse(line.pointAtPercent(t), 4, 4);
}

void DrawSweepResize(QPainter& p)
{
    DrawPlate(p);
    // The grown outline, then the shape inside it, then the pull.
    QPen outline = DashedGlyphPen(2.0, 170);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(8, 8, 48, 48), 6, 6);
    DrawPrism(p, SketchProfile(QPointF(21, 43), 0.7), QPointF(8, -8));
    DrawArrow(p, QPointF(36, 28), QPointF(52, 12), 4.0, 10, GlyphColor());
}

// Two balls that the join connects, with centres a and b and radius r.
const QPointF kJoinA(17, 40), kJoinB(47, 24);
constexpr qreal kJoinRadius = 11.5;

void DrawJoinUnion(QPainter& p)
{
    DrawPlate(p);
    // A straight rod meets each ball at a hard crease.
    const QLineF axis(kJoinA, kJoinB);
    QPainterPath rod;
    rod.addRect(QRectF(0, -4.5, axis.length(), 9));
    rod = QTransform::fromTranslate(kJoinA.x(), kJoinA.y()).rotate(-axis.angle()).map(rod);
    const QPainterPath shape = Circle(kJoinA, kJoinRadius).united(Circle(kJoinB, kJoinRadius)).united(rod);
    FillSolid(p, shape.simplified(), 3.0);
}

void DrawJoinBlend(QPainter& p)
{
    DrawPlate(p);
    // A waist that leaves each ball along its own curvature.
    const QLineF axis(kJoinA, kJoinB);
    const QPointF u = (kJoinB - kJoinA) / axis.length();
    const QPointF n(-u.y(), u.x());
    const qreal c = std::cos(kPi / 3), s = std::sin(kPi / 3);
    const QPointF mid = (kJoinA + kJoinB) / 2;
    QPainterPath neck;
    neck.moveTo(kJoinA + (u * c + n * s) * kJoinRadius);
    neck.quadTo(mid + n * 4.0, kJoinB + (-u * c + n * s) * kJoinRadius);
    neck.lineTo(kJoinB + (-u * c - n * s) * kJoinRadius);
    neck.quadTo(mid - n * 4.0, kJoinA + (u * c - n * s) * kJoinRadius);
    neck.closeSubpath();
    const QPainterPath shape = Circle(kJoinA, kJoinRadius).united(Circle(kJoinB, kJoinRadius)).united(neck);
    FillSolid(p, shape.simplified(), 3.0);
    DrawHighlight(p, QPointF(43, 20), 4.5, 3);
    DrawHighlight(p, QPointF(13, 36), 4.5, 3);
}

// ----------------------------------------------------------------------------
// The parameter buttons.

void DrawSweepLength(QPainter& p)
{
    DrawPlate(p);
    QPainterPath profile;
    profile.addEllipse(QPointF(16, 30), 7, 13);
    DrawPrism(p, profile, QPointF(30, -6));
    DrawArrow(p, QPointF(9, 52), QPointF(55, 52), 3.5, 9, GlyphColor(), true);
}

void DrawFalloffWidth(QPainter& p)
{
    DrawPlate(p);
    const QPointF centre(28, 32);
    const qreal core = 9, reach = 22;
    QRadialGradient halo(centre, reach);
    QColor warm = AccentColor();
    halo.setColorAt(core / reach, warm);
    warm.setAlpha(0);
    halo.setColorAt(1.0, warm);
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, reach, reach);
    p.setBrush(Qt::NoBrush);
    p.setPen(DashedGlyphPen(1.6, 170));
    p.drawEllipse(centre, reach, reach);
    FillSolid(p, Circle(centre, core), 3.0);
    DrawArrow(p, centre + QPointF(core + 1.5, 0), centre + QPointF(reach + 1, 0), 3.0, 7.5, GlyphColor());
}

// The side view of a sweep whose two end caps are drawn in the full accent.
void DrawCapProfile(QPainter& p, const QPainterPath& body, qreal capStart, qreal capEnd,
                    Qt::PenJoinStyle join)
{
    DrawPlate(p);
    const QRectF box = body.boundingRect();
    QLinearGradient shade(0, box.top(), 0, box.bottom());
    shade.setColorAt(0.0, AccentLight());
    shade.setColorAt(1.0, AccentColor());
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(body);

    QPainterPath caps;
    caps.addRect(QRectF(0, 0, capStart, kIconSide));
    caps.addRect(QRectF(capEnd, 0, kIconSide - capEnd, kIconSide));
    QLinearGradient capShade(0, box.top(), 0, box.bottom());
    capShade.setColorAt(0.0, AccentColor());
    capShade.setColorAt(1.0, AccentDark());
    p.setBrush(capShade);
    p.drawPath(body.intersected(caps));

    p.setPen(DashedGlyphPen(1.6, 160));
    p.drawLine(QPointF(capStart, box.top() + 2), QPointF(capStart, box.bottom() - 2));
    p.drawLine(QPointF(capEnd, box.top() + 2), QPointF(capEnd, box.bottom() - 2));

    QPen outline = GlyphPen(3.0);
    outline.setJoinStyle(join);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
}

void DrawEndCapBlobby(QPainter& p)
{
    // Inflated: the caps bulge over the whole end and the sides swell.
    QPainterPath body;
    body.moveTo(19, 20);
    body.cubicTo(27, 16, 37, 16, 45, 20);
    body.cubicTo(61, 25, 61, 39, 45, 44);
    body.cubicTo(37, 48, 27, 48, 19, 44);
    body.cubicTo(3, 39, 3, 25, 19, 20);
    body.closeSubpath();
    DrawCapProfile(p, body, 18, 46, Qt::RoundJoin);
}

void DrawEndCapRounded(QPainter& p)
{
    QPainterPath body;
    body.addRoundedRect(QRectF(8, 20, 48, 24), 8, 8);
    DrawCapProfile(p, body, 18, 46, Qt::RoundJoin);
}

void DrawEndCapSharp(QPainter& p)
{
    QPainterPath body;
    body.addRect(QRectF(8, 20, 48, 24));
    DrawCapProfile(p, body, 18, 46, Qt::MiterJoin);
}

void DrawBlendPower(QPainter& p)
{
    DrawPlate(p);
    // The blend's level curve in one quadrant, (x^k + y^k)^(1/k) = 1: from
    // a straight chamfer at k = 1 towards a hard corner as k grows.
    const QPointF origin(14, 50);
    const qreal side = 35;
    struct Curve {
        qreal power;
        QColor color;
        qreal width;
    };
    const Curve curves[] = {{1.0, AccentLight(), 3.5}, {2.0, AccentColor(), 3.5}, {6.0, AccentDark(), 4.0}};
    QPainterPath strongest;
    for (const Curve& curve : curves) {
        QPainterPath level;
        const int steps = 48;
        for (int i = 0; i <= steps; ++i) {
            const qreal t = (kPi / 2) * i / steps;
            // Superellipse parametrisation: exact on the curve for every k.
            const qreal x = std::pow(std::cos(t), 2.0 / curve.power);
            const qreal y = std::pow(std::sin(t), 2.0 / curve.power);
            const QPointF at = origin + QPointF(x * side, -y * side);
            if (i == 0) {
                level.moveTo(at);
            } else {
                level.lineTo(at);
            }
        }
        if (curve.power > 5) {
            strongest = level;
            strongest.lineTo(origin);
            strongest.closeSubpath();
            QColor fill = AccentLight();
            fill.setAlpha(90);
            p.setPen(Qt::NoPen);
            p.setBrush(fill);
            p.drawPath(strongest);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(curve.color, curve.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(level);
    }
    p.setPen(GlyphPen(3.5));
    p.drawPolyline(QPolygonF({QPointF(14, 10), origin, QPointF(54, 50)}));
}

void DrawSphereRadius(QPainter& p)
{
    DrawPlate(p);
    const QPointF centre(30, 33);
    const qreal r = 21;
    FillSolid(p, Circle(centre, r), 3.0);
    DrawHighlight(p, centre + QPointF(-8, -9), 6, 4);
    const qreal a = -25 * kPi / 180;
    const QPointF rim = centre + QPointF(std::cos(a), std::sin(a)) * r;
    DrawArrow(p, centre, rim, 3.5, 9, GlyphColor());
    p.setPen(Qt::NoPen);
    p.setBrush(GlyphColor());
    p.drawEllipse(centre, 3.5, 3.5);
}

// A bump rising from a flat surface line at y = base, between x0 and x1,
// with its top at y = top; steepness in (0, 1) pulls the flanks in.
QPainterPath Bump(qreal x0, qreal x1, qreal base, qreal top, qreal steepness)
{
    const qreal mid = (x0 + x1) / 2, half = (x1 - x0) / 2;
    const qreal pull = half * steepness;
    QPainterPath bump;
    bump.moveTo(x0, base);
    bump.cubicTo(x0 + pull, base, mid - pull, top, mid, top);
    bump.cubicTo(mid + pull, top, x1 - pull, base, x1, base);
    return bump;
}

void DrawBumpSurface(QPainter& p, const QPainterPath& bump, qreal base)
{
    QPainterPath ground;
    ground.addRect(QRectF(7, base, 50, 54 - base));
    FillSurface(p, ground);
    QPainterPath raised = bump;
    raised.closeSubpath();
    FillSolid(p, raised, 0);
    p.setBrush(Qt::NoBrush);
    p.setPen(GlyphPen(3.0));
    QPainterPath profile;
    profile.moveTo(7, base);
    profile.connectPath(bump);
    profile.lineTo(57, base);
    p.drawPath(profile);
}

void DrawBumpHeight(QPainter& p)
{
    DrawPlate(p);
    const qreal base = 46, top = 16;
    DrawBumpSurface(p, Bump(10, 42, base, top, 0.5), base);
    p.setPen(DashedGlyphPen(1.6, 170));
    p.drawLine(QPointF(29, top), QPointF(54, top));
    DrawArrow(p, QPointF(50, base - 1), QPointF(50, top + 0.5), 3.5, 8.5, GlyphColor(), true);
}

void DrawBumpHardness(QPainter& p)
{
    DrawPlate(p);
    const qreal base = 46, top = 17;
    DrawBumpSurface(p, Bump(19, 45, base, top, 0.25), base);
    // The soft bump of the same height, for comparison.
    p.setBrush(Qt::NoBrush);
    p.setPen(DashedGlyphPen(2.0, 190));
    p.drawPath(Bump(7, 57, base, top, 0.75));
}

void DrawTaper(QPainter& p)
{
    DrawPlate(p);
    // The untapered cylinder, dashed.
    p.setPen(DashedGlyphPen(1.6, 160));
    p.drawLine(QPointF(13, 47), QPointF(13, 14));
    p.drawLine(QPointF(51, 47), QPointF(51, 14));

    QPainterPath cone;
    cone.moveTo(13, 47);
    cone.lineTo(25, 15);
    cone.lineTo(39, 15);
    cone.lineTo(51, 47);
    cone.arcTo(QRectF(13, 42, 38, 10), 0, -180);
    cone.closeSubpath();
    p.setBrush(LatheShade(13, 51));
    p.setPen(GlyphPen(3.0));
    p.drawPath(cone);
    p.setBrush(AccentLight());
    p.setPen(GlyphPen(2.5));
    p.drawEllipse(QPointF(32, 15), 7, 2.5);

    DrawArrow(p, QPointF(8, 23), QPointF(20, 23), 3.0, 7.5, GlyphColor());
    DrawArrow(p, QPointF(56, 23), QPointF(44, 23), 3.0, 7.5, GlyphColor());
}

void DrawSmoothDiffSharpness(QPainter& p)
{
    DrawPlate(p);
    // A ball bitten out of a block; the rim is smoothed on the left and
    // left sharp on the right.
    const QPointF ball(32, 24);
    const qreal r = 13;
    const QRectF ballBox(ball.x() - r, ball.y() - r, 2 * r, 2 * r);
    const qreal a = 210 * kPi / 180;
    const QPointF onBall(ball.x() + std::cos(a) * r, ball.y() - std::sin(a) * r);
    QPainterPath block;
    block.moveTo(8, 24);
    block.lineTo(12, 24);
    block.cubicTo(17, 24, 19, 27, onBall.x(), onBall.y());
    block.arcTo(ballBox, 210, 150);
    block.lineTo(56, 24);
    block.lineTo(56, 52);
    block.lineTo(8, 52);
    block.closeSubpath();
    QPainterPath solid = block;
    FillSolid(p, solid, 0);
    p.setBrush(Qt::NoBrush);
    p.setPen(DashedGlyphPen(1.6, 170));
    p.drawArc(ballBox, 0, 180 * 16);
    QPen outline = GlyphPen(3.0);
    outline.setJoinStyle(Qt::MiterJoin);
    p.setPen(outline);
    p.drawPath(block);
}

void DrawMeshResolution(QPainter& p)
{
    DrawPlate(p);
    // One patch meshed coarse on the left, fine on the right.
    const QRectF patch(9, 12, 46, 40);
    const qreal split = 27;
    QLinearGradient shade(patch.topLeft(), patch.bottomRight());
    shade.setColorAt(0.0, AccentLight());
    shade.setColorAt(1.0, AccentColor());
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRect(patch);

    auto mesh = [&](qreal x0, qreal x1, int columns, int rows, qreal width) {
        p.setPen(QPen(GlyphColor(), width, Qt::SolidLine, Qt::RoundCap));
        const qreal dx = (x1 - x0) / columns, dy = patch.height() / rows;
        for (int i = 0; i <= columns; ++i)
            p.drawLine(QPointF(x0 + i * dx, patch.top()), QPointF(x0 + i * dx, patch.bottom()));
        for (int j = 0; j <= rows; ++j)
            p.drawLine(QPointF(x0, patch.top() + j * dy), QPointF(x1, patch.top() + j * dy));
        for (int i = 0; i < columns; ++i) {
            for (int j = 0; j < rows; ++j) {
                p.drawLine(QPointF(x0 + i * dx, patch.top() + (j + 1) * dy),
                           QPointF(x0 + (i + 1) * dx, patch.top() + j * dy));
            }
        }
    };
    mesh(patch.left(), split, 1, 2, 2.2);
    mesh(split, patch.right(), 4, 6, 1.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(GlyphPen(3.0));
    p.drawRect(patch);
}

void DrawManipHistory(QPainter& p)
{
    DrawPlate(p);
    // Turning back: a counter-clockwise arrow around a clock face.
    const QPointF centre(32, 33);
    const qreal r = 19;
    const QRectF ring(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    const qreal start = 40, sweep = 285;
    QPainterPath arc;
    arc.arcMoveTo(ring, start);
    arc.arcTo(ring, start, sweep);
    p.setBrush(Qt::NoBrush);
    p.setPen(GlyphPen(4.5));
    p.drawPath(arc);
    const qreal end = (start + sweep) * kPi / 180;
    const QPointF tip(centre.x() + std::cos(end) * r, centre.y() - std::sin(end) * r);
    const QPointF along(-std::sin(end), -std::cos(end));
    DrawArrowHead(p, tip - along * 4, tip + along * 5, 12, GlyphColor());

    p.setPen(QPen(AccentDark(), 4.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(0, -11));
    p.drawLine(centre, centre + QPointF(8, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(GlyphColor());
    p.drawEllipse(centre, 3, 3);
}

// ----------------------------------------------------------------------------
// The handle tools.

void DrawScreenManip(QPainter& p)
{
    DrawPlate(p);
    // Move in the screen plane and turn about its normal.
    const QPointF c(32, 32);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(AccentColor(), 5.0));
    p.drawEllipse(c, 22, 22);
    p.setPen(QPen(AccentDark(), 1.5));
    p.drawEllipse(c, 24.5, 24.5);
    p.drawEllipse(c, 19.5, 19.5);
    for (QPointF tip : {QPointF(32, 15), QPointF(32, 49), QPointF(15, 32), QPointF(49, 32)}) {
        DrawArrow(p, c, tip, 3.5, 8.5, GlyphColor());
    }
    p.setPen(Qt::NoPen);
    p.setBrush(GlyphColor());
    p.drawEllipse(c, 3.5, 3.5);
}

// ----------------------------------------------------------------------------
// Textures.

// A black dot whose alpha is full in the middle and falls smoothly to zero
// before the edge: the point renderer keeps what passes its alpha test, and
// repeats the texture, so the border must stay empty.
void DrawStipple(QPainter& p)
{
    QImage dot(kIconSide, kIconSide, QImage::Format_ARGB32);
    const qreal centre = kIconSide / 2.0, solid = 14, edge = 30;
    for (int y = 0; y < kIconSide; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(dot.scanLine(y));
        for (int x = 0; x < kIconSide; ++x) {
            const qreal d = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            const qreal t = std::clamp((edge - d) / (edge - solid), 0.0, 1.0);
            const int alpha = static_cast<int>(std::lround(255 * t * t * (3 - 2 * t)));
            row[x] = qRgba(0, 0, 0, alpha);
        }
    }
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, dot);
}

#define KILNFORM_ICON(fileName, function) {fileName, function},
const IconEntry kIcons[] = {
#include "IconList.def"
};
#undef KILNFORM_ICON

}  // namespace

const IconEntry* IconTable()
{
    return kIcons;
}
std::size_t IconCount()
{
    return std::size(kIcons);
}

QImage RenderIcon(const IconEntry& icon)
{
    QImage image(kIconSide, kIconSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        icon.draw(p);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace icongen

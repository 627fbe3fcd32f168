#include "IconStyle.h"

#include <QLineF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>

namespace icongen {

QColor GlyphColor()
{
    return QColor(0x2a, 0x30, 0x3a);
}
QColor AccentColor()
{
    return QColor(0xee, 0x84, 0x22);
}
QColor AccentLight()
{
    return QColor(0xfb, 0xc1, 0x7a);
}
QColor AccentDark()
{
    return QColor(0xa8, 0x52, 0x0c);
}
QColor SurfaceColor()
{
    return QColor(0xa9, 0xb1, 0xbc);
}

static QPen RoundPen(const QColor& color, qreal width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPen GlyphPen(qreal width)
{
    return RoundPen(GlyphColor(), width);
}
QPen AccentPen(qreal width)
{
    return RoundPen(AccentColor(), width);
}

void DrawPlate(QPainter& p)
{
    const QRectF plate(2.5, 2.5, kIconSide - 5.0, kIconSide - 5.0);
    // A soft shadow ring first, so the plate lifts off any background.
    p.setPen(QPen(QColor(0, 0, 0, 40), 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(plate.adjusted(0.5, 1.0, 0.5, 1.0), 12, 12);

    QLinearGradient face(0, plate.top(), 0, plate.bottom());
    face.setColorAt(0.0, QColor(0xfd, 0xfd, 0xfe, 240));
    face.setColorAt(1.0, QColor(0xdc, 0xe1, 0xe8, 240));
    p.setBrush(face);
    p.setPen(QPen(QColor(0x7d, 0x87, 0x94), 1.6));
    p.drawRoundedRect(plate, 12, 12);
}

void DrawArrowHead(QPainter& p, QPointF from, QPointF tip, qreal size, const QColor& color)
{
    QLineF axis(tip, from);
    if (axis.length() <= 0) return;
    const QPointF u = (from - tip) / axis.length();  // back along the shaft
    const QPointF n(-u.y(), u.x());
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + u * size + n * (size * 0.62));
    head.lineTo(tip + u * (size * 0.78));
    head.lineTo(tip + u * size - n * (size * 0.62));
    head.closeSubpath();
    p.setPen(QPen(color, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(color);
    p.drawPath(head);
}

void DrawArrow(QPainter& p, QPointF a, QPointF b, qreal width, qreal headSize, const QColor& color, bool both)
{
    const qreal length = QLineF(a, b).length();
    if (length <= 0) return;
    const QPointF u = (b - a) / length;
    const QPointF start = both ? a + u * (headSize * 0.7) : a;
    const QPointF end = b - u * (headSize * 0.7);
    p.setPen(RoundPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawLine(start, end);
    DrawArrowHead(p, a, b, headSize, color);
    if (both) DrawArrowHead(p, b, a, headSize, color);
}

void FillSolid(QPainter& p, const QPainterPath& path, qreal outline)
{
    const QRectF box = path.boundingRect();
    const qreal radius = std::max(box.width(), box.height()) * 0.75;
    QRadialGradient shade(box.center(), radius,
                          box.topLeft() + QPointF(box.width() * 0.3, box.height() * 0.28));
    shade.setColorAt(0.0, AccentLight());
    shade.setColorAt(0.55, AccentColor());
    shade.setColorAt(1.0, AccentDark());
    p.setBrush(shade);
    p.setPen(outline > 0 ? GlyphPen(outline) : QPen(Qt::NoPen));
    p.drawPath(path);
}

QPainterPath Extrude(const QPainterPath& profile, QPointF offset)
{
    QPainterPath swept = profile;
    const int steps = 24;
    for (int i = 1; i <= steps; ++i) {
        swept = swept.united(
            QTransform::fromTranslate(offset.x() * i / steps, offset.y() * i / steps).map(profile));
    }
    return swept.simplified();
}

}  // namespace icongen

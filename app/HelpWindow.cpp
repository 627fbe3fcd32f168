#include "app/HelpWindow.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/FormSupport.h"
#include "view/HelpContent.h"

using kilnform_forms::Q;

namespace {

constexpr int kPictureSide = 120;

QPointF At(const Wml::Vector2<float>& unit, qreal side)
{
    return QPointF(unit.X() * side, unit.Y() * side);
}

void DrawBackdrop(QPainter& p, const vynui::HelpGesture& g, qreal side)
{
    using B = vynui::HelpGesture::Backdrop;
    const QPointF c = At(g.backdropCentre, side);
    const qreal s = g.backdropSize * side;
    p.save();
    switch (g.backdrop) {
        case B::None:
            break;
        case B::Button: {
            // A HUD button: a square icon with a soft shape on it.
            const QRectF box(c.x() - s / 2, c.y() - s / 2, s, s);
            p.setPen(QPen(QColor(150, 150, 175), 1.5));
            p.setBrush(QColor(228, 230, 245));
            p.drawRoundedRect(box, s * 0.12, s * 0.12);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(190, 200, 230));
            p.drawEllipse(box.adjusted(s * 0.22, s * 0.3, -s * 0.22, -s * 0.25));
            break;
        }
        case B::Shape: {
            QRadialGradient shade(c - QPointF(s * 0.15, s * 0.12), s * 0.6);
            shade.setColorAt(0.0, QColor(236, 240, 250));
            shade.setColorAt(1.0, QColor(196, 206, 228));
            p.setPen(QPen(QColor(170, 180, 205), 1.0));
            p.setBrush(shade);
            p.drawEllipse(c, s / 2, s * 0.36);
            break;
        }
        case B::Handle: {
            // An arrow handle pointing up, in the colour of a shape's own axis.
            const qreal w = s * 0.07, head = s * 0.17;
            QPainterPath arrow;
            arrow.moveTo(c.x() - w, c.y() + s / 2);
            arrow.lineTo(c.x() - w, c.y() - s / 2 + head);
            arrow.lineTo(c.x() - 2.4 * w, c.y() - s / 2 + head);
            arrow.lineTo(c.x(), c.y() - s / 2);
            arrow.lineTo(c.x() + 2.4 * w, c.y() - s / 2 + head);
            arrow.lineTo(c.x() + w, c.y() - s / 2 + head);
            arrow.lineTo(c.x() + w, c.y() + s / 2);
            arrow.closeSubpath();
            p.setPen(QPen(QColor(120, 140, 120), 1.0));
            p.setBrush(QColor(190, 240, 190));
            p.drawPath(arrow);
            break;
        }
        case B::Strokes: {
            // Two sketch strokes, drawn as the view shows them.
            p.setPen(QPen(QColor(80, 80, 255, 90), side * 0.04, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            for (int k = 0; k < 2; ++k) {
                QPainterPath wave;
                const qreal y = c.y() + (k == 0 ? -0.12 : 0.12) * s;
                wave.moveTo(c.x() - s / 2, y);
                wave.cubicTo(c.x() - s / 6, y - 0.25 * s, c.x() + s / 6, y + 0.25 * s, c.x() + s / 2, y);
                p.drawPath(wave);
            }
            break;
        }
    }
    p.restore();
}

void DrawStroke(QPainter& p, const vynui::HelpGesture& g, qreal side)
{
    const QColor ink(20, 40, 170);
    const std::vector<Wml::Vector2<float>>& stroke = g.stroke;
    if (stroke.empty()) return;
    const QPointF start = At(stroke.front(), side);
    const qreal dot = side * 0.035;
    if (stroke.size() == 1) {
        // A click: the dot and a ring around it.
        p.setPen(QPen(ink, side * 0.02));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(start, side * 0.1, side * 0.1);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(start, dot, dot);
        return;
    }
    QPainterPath path(start);
    for (std::size_t i = 1; i < stroke.size(); ++i) path.lineTo(At(stroke[i], side));
    p.setPen(QPen(ink, side * 0.022, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 150, 60));
    p.drawEllipse(start, dot, dot);

    // The arrow head follows the last few hundredths of the stroke.
    const QPointF end = At(stroke.back(), side);
    QPointF from = end;
    for (std::size_t i = stroke.size() - 1; i-- > 0;) {
        from = At(stroke[i], side);
        if (std::hypot(end.x() - from.x(), end.y() - from.y()) > side * 0.05) break;
    }
    QPointF d = end - from;
    const qreal length = std::hypot(d.x(), d.y());
    if (length <= 0.0) return;
    d /= length;
    const QPointF n(-d.y(), d.x());
    const qreal head = side * 0.09;
    const QPointF tip = end + d * (head * 0.35);
    QPolygonF triangle;
    triangle << tip << tip - d * head + n * (head * 0.5) << tip - d * head - n * (head * 0.5);
    p.setBrush(ink);
    p.drawPolygon(triangle);
}

}  // namespace

QImage CHelpWindow::DrawGesture(const vynui::HelpGesture& gesture, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A margin so that dots and arrow heads at the box's edge stay inside.
    const qreal margin = side * 0.08;
    p.translate(margin, margin);
    const qreal inner = side - 2.0 * margin;
    DrawBackdrop(p, gesture, inner);
    DrawStroke(p, gesture, inner);
    p.resetTransform();
    p.setPen(QPen(QColor(200, 200, 200), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, side - 1.0, side - 1.0));
    return image;
}

CHelpWindow::CHelpWindow(vynui::CViewCore& /*core*/, QWidget* parent)
    : QDialog(parent), m_keys(new QTableWidget(this))
{
    setWindowTitle(vynui::kGesturesAndKeysTitle);
    setModal(false);

    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);

    auto* gesturesTitle = new QLabel(
        "<b>Gestures</b> &mdash; drawn with the left mouse button in the 3D view. "
        "The green dot is where the stroke starts.");
    gesturesTitle->setWordWrap(true);
    pageLayout->addWidget(gesturesTitle);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    const auto& gestures = vynui::HelpGestures();
    for (std::size_t i = 0; i < gestures.size(); ++i) {
        const vynui::HelpGesture& g = gestures[i];
        const int row = int(i / 2), column = int(i % 2) * 2;
        auto* picture = new QLabel;
        picture->setPixmap(QPixmap::fromImage(DrawGesture(g, kPictureSide)));
        picture->setObjectName(Q("picture " + g.name));
        picture->setAlignment(Qt::AlignTop);
        auto* text = new QLabel(Q("<b>" + g.name + "</b><br>" + g.text));
        text->setObjectName(Q("text " + g.name));
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        text->setMinimumWidth(220);
        grid->addWidget(picture, row, column);
        grid->addWidget(text, row, column + 1);
        m_gestures << Q(g.name);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    pageLayout->addLayout(grid);

    auto* keysTitle = new QLabel("<b>Keys</b> of the 3D view (click into the view first).");
    pageLayout->addWidget(keysTitle);
    const auto& keys = vynui::HelpKeys();
    m_keys->setColumnCount(2);
    m_keys->setRowCount(int(keys.size()));
    m_keys->setHorizontalHeaderLabels({"Key", "What it does"});
    m_keys->verticalHeader()->hide();
    m_keys->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_keys->setSelectionMode(QAbstractItemView::NoSelection);
    // One line a key: the page is wide enough for the longest.
    m_keys->setWordWrap(false);
    for (int row = 0; row < int(keys.size()); ++row) {
        m_keys->setItem(row, 0, new QTableWidgetItem(Q(keys[row].label)));
        m_keys->setItem(row, 1, new QTableWidgetItem(Q(keys[row].effect)));
    }
    m_keys->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_keys->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_keys->horizontalHeader()->setStretchLastSection(true);
    // The page scrolls as a whole: the table shows every row.
    m_keys->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_keys->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FitKeyRows();
    pageLayout->addWidget(m_keys);
    pageLayout->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    // Only the height scrolls: the pictures and their words stay side by side.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(page->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() +
                            2 * scroll->frameWidth());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
    resize(800, 600);
}

void CHelpWindow::FitKeyRows()
{
    m_keys->resizeRowsToContents();
    m_keys->setMinimumWidth(m_keys->horizontalHeader()->length() + 2 * m_keys->frameWidth());
    int height = m_keys->horizontalHeader()->height() + 2 * m_keys->frameWidth();
    for (int row = 0; row < m_keys->rowCount(); ++row) height += m_keys->rowHeight(row);
    m_keys->setFixedHeight(height);
}

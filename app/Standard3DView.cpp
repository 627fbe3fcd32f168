#include "app/Standard3DView.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <GL/gl.h>

#include "interact/InputEventStream.h"

namespace {

bool ToButton(Qt::MouseButton qt, vynui::ViewInputAdapter::Button& button)
{
    switch (qt) {
        case Qt::LeftButton:
            button = vynui::ViewInputAdapter::LEFT;
            return true;
        case Qt::MiddleButton:
            button = vynui::ViewInputAdapter::MIDDLE;
            return true;
        case Qt::RightButton:
            button = vynui::ViewInputAdapter::RIGHT;
            return true;
        default:
            return false;
    }
}

}  // namespace

CStandard3DView::CStandard3DView(QWidget* parent)
    : CGLView(parent),
      m_camera(1.0f, 1.0f),
      m_viewController(&m_camera),
      m_stream(vynui::CInputEventStream::GetStream(this)),
      m_input(m_stream, &m_viewController)
{
    setMinimumSize(64, 64);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    vynui::CInputEventStream::SetCurrentView(this);

    // Start from a three-quarter view so that all three axes are seen at a slant.
    const Wml::Vector3f location(2.2f, 1.8f, 3.0f), target(0.0f, 0.3f, 0.0f);
    Wml::Vector3f direction = target - location;
    direction.Normalize();
    const Wml::Vector3f left = Wml::Vector3f::UNIT_Y.UnitCross(direction);
    m_camera.SetFrameLookAt(location, left, direction.UnitCross(left), target);
    m_viewController.AddViewListener(this);

    m_hud = std::make_unique<vynui::CHUDManager>();
    m_hud->SetViewController(&m_viewController);
    m_hud->SetRedrawRequest([this] { update(); });

    // Who gets first refusal: the HUD, then the gesture engine.
    m_stream->AddListener(m_hud.get());
    m_stream->AddListener(&m_gestures);
    m_gestures.AddGestureListener(m_hud.get());

    connect(&m_timer, &QTimer::timeout, this, &CStandard3DView::OnTimer);
    m_timer.start(25);
}

CStandard3DView::~CStandard3DView()
{
    m_timer.stop();
    m_viewController.RemoveViewListener(this);
    m_hud->SetViewController(nullptr);
    vynui::CInputEventStream::ReleaseStream(this);
    if (vynui::CInputEventStream::GetCurrentView() == this) vynui::CInputEventStream::SetCurrentView(nullptr);
}

void CStandard3DView::OnViewChanged(vynui::ViewController&)
{
    update();
}

void CStandard3DView::InitGL()
{
    CGLView::InitGL();
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

void CStandard3DView::Resize(int width, int height)
{
    if (width <= 0 || height <= 0) return;
    CGLView::Resize(width, height);
    m_camera.SetViewport(width, height);
    m_camera.SetFrustum(30.0f, float(width) / float(height), 0.1f, 100.0f);
    m_input.SetWindowHeight(height);
    m_viewController.Update();  // the HUD re-anchors its toolbars
}

void CStandard3DView::RenderScene()
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    m_camera.Update();
    DrawAxes();

    glClear(GL_DEPTH_BUFFER_BIT);
    m_gestures.DrawCurrentStroke(m_camera.GetViewportWidth(), m_camera.GetViewportHeight());
    m_hud->Draw();
}

void CStandard3DView::OnTimer()
{
    const std::int64_t counter = m_stream->Counter();
    // Time listeners in order; the first that changed something repaints.
    if (m_hud->OnTimeEvent(counter) || m_stream->OnTimeEvent(counter)) update();
}

int CStandard3DView::ToPixels(qreal v) const
{
    return int(v * devicePixelRatioF());
}

void CStandard3DView::mousePressEvent(QMouseEvent* event)
{
    vynui::ViewInputAdapter::Button button;
    if (!ToButton(event->button(), button)) return;
    m_input.SetCameraMode(event->modifiers() & Qt::AltModifier);
    m_input.MousePress(button, ToPixels(event->position().x()), ToPixels(event->position().y()));
    update();
}

void CStandard3DView::mouseReleaseEvent(QMouseEvent* event)
{
    vynui::ViewInputAdapter::Button button;
    if (!ToButton(event->button(), button)) return;
    m_input.MouseRelease(button, ToPixels(event->position().x()), ToPixels(event->position().y()));
    update();
}

void CStandard3DView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_input.MouseMove(ToPixels(event->position().x()), ToPixels(event->position().y()))) update();
}

void CStandard3DView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Alt) {
        m_input.SetCameraMode(true);
        return;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() < 128) m_input.Key(text[0].toLatin1());
    update();
}

void CStandard3DView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Alt) m_input.SetCameraMode(false);
}

void CStandard3DView::focusInEvent(QFocusEvent* event)
{
    vynui::CInputEventStream::SetCurrentView(this);
    m_input.SetCameraMode(QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier);
    CGLView::focusInEvent(event);
}

void CStandard3DView::focusOutEvent(QFocusEvent* event)
{
    m_input.FocusLost();
    update();
    CGLView::focusOutEvent(event);
}

void CStandard3DView::DrawAxes() const
{
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glEnd();
    glPopAttrib();
}

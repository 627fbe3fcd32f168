#include "app/Standard3DView.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>

#include "app/DialogForms.h"
#include "view/ViewCore.h"

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
    : CGLView(parent), m_core(std::make_unique<vynui::CViewCore>())
{
    setMinimumSize(64, 64);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    m_core->SetRepaintRequest([this] { update(); });

    connect(&m_timer, &QTimer::timeout, this, [this] { m_core->OnTimer(); });
    m_timer.start(25);
    connect(&m_cameraTimer, &QTimer::timeout, this, [this] {
        if (!m_core->OnCameraTimer()) m_cameraTimer.stop();
    });
}

CStandard3DView::~CStandard3DView()
{
    m_timer.stop();
    m_cameraTimer.stop();
    // Dialogs and windows that work on this view's core go before it does.
    CloseWindowsOf(*m_core);
    // GL objects go while their context still exists; the context's own
    // farewell comes after the core is gone and must not reach it.
    if (context()) {
        disconnect(context(), nullptr, this, nullptr);
        makeCurrent();
        m_core->ReleaseGL();
        doneCurrent();
    }
}

void CStandard3DView::SetUserInterface(vynui::UserInterface* ui)
{
    m_core->SetUserInterface(ui);
}

void CStandard3DView::InitGL()
{
    CGLView::InitGL();
    m_core->InitGL();
    // The context can go away with the window (reparenting): free its objects then.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        m_core->ReleaseGL();
        doneCurrent();
    });
}

void CStandard3DView::Resize(int width, int height)
{
    m_core->Resize(width, height);
}

void CStandard3DView::RenderScene()
{
    m_core->Render();
}

void CStandard3DView::FollowCameraMove()
{
    if (m_core->IsCameraMoving() && !m_cameraTimer.isActive()) m_cameraTimer.start(10);
}

int CStandard3DView::ToPixels(qreal v) const
{
    return int(v * devicePixelRatioF());
}

void CStandard3DView::mousePressEvent(QMouseEvent* event)
{
    vynui::ViewInputAdapter::Button button;
    if (!ToButton(event->button(), button)) return;
    m_core->MousePress(button, ToPixels(event->position().x()), ToPixels(event->position().y()),
                       event->modifiers() & Qt::AltModifier);
}

void CStandard3DView::mouseReleaseEvent(QMouseEvent* event)
{
    vynui::ViewInputAdapter::Button button;
    if (!ToButton(event->button(), button)) return;
    m_core->MouseRelease(button, ToPixels(event->position().x()), ToPixels(event->position().y()));
}

void CStandard3DView::mouseMoveEvent(QMouseEvent* event)
{
    m_core->MouseMove(ToPixels(event->position().x()), ToPixels(event->position().y()));
}

void CStandard3DView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Alt:
            m_core->SpecialKeyDown(vynui::CViewCore::KEY_ALT, event->isAutoRepeat());
            return;
        case Qt::Key_Space:
            m_core->SpecialKeyDown(vynui::CViewCore::KEY_SPACE, event->isAutoRepeat());
            return;
        case Qt::Key_Escape:
            m_core->SpecialKeyDown(vynui::CViewCore::KEY_ESCAPE, event->isAutoRepeat());
            return;
        default:
            break;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() < 128 && text[0].unicode() >= 32) {
        m_core->Character(text[0].toLatin1());
        FollowCameraMove();
    }
}

void CStandard3DView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Alt)
        m_core->SpecialKeyUp(vynui::CViewCore::KEY_ALT, event->isAutoRepeat());
    else if (event->key() == Qt::Key_Space)
        m_core->SpecialKeyUp(vynui::CViewCore::KEY_SPACE, event->isAutoRepeat());
}

void CStandard3DView::focusInEvent(QFocusEvent* event)
{
    m_core->FocusIn(QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier);
    CGLView::focusInEvent(event);
}

void CStandard3DView::focusOutEvent(QFocusEvent* event)
{
    m_core->FocusOut();
    CGLView::focusOutEvent(event);
}

#include "interact/ViewInputAdapter.h"

#include "interact/InputEventStream.h"
#include "interact/ViewController.h"

namespace vynui {

ViewInputAdapter::ViewInputAdapter(CInputEventStream* stream, ViewController* controller)
    : m_stream(stream), m_controller(controller)
{
}

bool ViewInputAdapter::MousePress(Button button, int x, int yDown)
{
    // One button at a time: a second button during a drag is ignored.
    for (int other = LEFT; other <= RIGHT; ++other)
        if (other != button && m_held[other]) return false;
    if (m_held[button]) return false;
    m_held[button] = true;
    m_lastX = x;
    m_lastYDown = yDown;
    if (button == LEFT && !m_cameraMode)
        m_stream->LeftDown(x, FlipY(yDown));
    else if (button == RIGHT)
        m_stream->RightDown(x, FlipY(yDown));
    return true;
}

bool ViewInputAdapter::MouseRelease(Button button, int x, int yDown)
{
    if (!m_held[button]) return false;
    m_held[button] = false;
    m_lastX = x;
    m_lastYDown = yDown;
    // The release goes out in camera mode too, so nothing stays half pressed.
    if (button == LEFT)
        m_stream->LeftUp(x, FlipY(yDown));
    else if (button == RIGHT)
        m_stream->RightUp(x, FlipY(yDown));
    return true;
}

bool ViewInputAdapter::MouseMove(int x, int yDown)
{
    const int dx = x - m_lastX;
    const int dyDown = yDown - m_lastYDown;
    m_lastX = x;
    m_lastYDown = yDown;

    if (m_cameraMode) {
        if (!m_controller || (dx == 0 && dyDown == 0)) return false;
        if (m_held[LEFT])
            m_controller->CameraModeTumble(dx, -dyDown);
        else if (m_held[MIDDLE])
            m_controller->CameraModePan(dx, dyDown);
        else if (m_held[RIGHT])
            m_controller->CameraModeDolly(dx, -dyDown);
        else
            return false;
        return true;
    }
    if (m_held[LEFT])
        m_stream->LeftDrag(x, FlipY(yDown));
    else if (m_held[RIGHT])
        m_stream->RightDrag(x, FlipY(yDown));
    else
        return false;
    return true;
}

void ViewInputAdapter::FocusLost()
{
    if (m_held[LEFT]) MouseRelease(LEFT, m_lastX, m_lastYDown);
    if (m_held[RIGHT]) MouseRelease(RIGHT, m_lastX, m_lastYDown);
    m_held[MIDDLE] = false;
}

void ViewInputAdapter::Key(int key)
{
    m_stream->KeyEvent(key);
}

}  // namespace vynui

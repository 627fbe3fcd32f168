#pragma once
// Turns a view's raw mouse, key and focus calls into input-stream events and
// camera moves: the button guards (one button at a time), camera mode (the
// Alt key) whose drags move the camera instead of drawing, and the release of
// held buttons when the view loses the focus. The window toolkit only
// forwards its events here, with y counted downward as windows do.

namespace vynui {

class CInputEventStream;
class ViewController;

class ViewInputAdapter {
public:
    enum Button { LEFT, MIDDLE, RIGHT };

    /// Neither is owned; the controller may be null (camera mode then does nothing).
    ViewInputAdapter(CInputEventStream* stream, ViewController* controller);

    void SetViewController(ViewController* controller) { m_controller = controller; }
    /// Window height in pixels, for turning window y into y from the bottom.
    void SetWindowHeight(int height) { m_height = height > 0 ? height : 1; }
    int GetWindowHeight() const { return m_height; }

    /// yDown: window y counted from the top. Each answers true when the
    /// window should grab the mouse (press) or let it go (release).
    bool MousePress(Button button, int x, int yDown);
    bool MouseRelease(Button button, int x, int yDown);
    /// Answers true when the view must repaint (a stroke grew or the camera moved).
    bool MouseMove(int x, int yDown);
    /// Releases held buttons at the last mouse position.
    void FocusLost();

    /// The Alt key's state; read afresh when the view gets the focus.
    void SetCameraMode(bool on) { m_cameraMode = on; }
    bool IsCameraMode() const { return m_cameraMode; }

    bool IsHeld(Button button) const { return m_held[button]; }
    bool AnyHeld() const { return m_held[LEFT] || m_held[MIDDLE] || m_held[RIGHT]; }

    void Key(int key);

private:
    int FlipY(int yDown) const { return m_height - yDown - 1; }

    CInputEventStream* m_stream;
    ViewController* m_controller;
    int m_height = 1;
    bool m_held[3] = {false, false, false};
    bool m_cameraMode = false;
    int m_lastX = 0;
    int m_lastYDown = 0;
};

}  // namespace vynui

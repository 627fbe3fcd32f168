#pragma once
// The 3D view of the scene. It only adapts Qt's events, timers and painting to
// the view core, which owns and wires the managers and runs the drawing pass.

#include <QTimer>
#include <memory>

#include "app/GLView.h"

namespace vynui {
class CViewCore;
class UserInterface;
}  // namespace vynui

class CStandard3DView : public CGLView {
    Q_OBJECT
public:
    explicit CStandard3DView(QWidget* parent = nullptr);
    ~CStandard3DView() override;

    vynui::CViewCore& GetCore() { return *m_core; }
    /// Not owned; the main window's prompts.
    void SetUserInterface(vynui::UserInterface* ui);

protected:
    void InitGL() override;
    void Resize(int width, int height) override;
    void RenderScene() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void FollowCameraMove();
    // Pixels of the framebuffer for a point in widget coordinates.
    int ToPixels(qreal v) const;

    std::unique_ptr<vynui::CViewCore> m_core;
    QTimer m_timer;
    QTimer m_cameraTimer;
};

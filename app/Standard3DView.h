#pragma once
// The 3D view of the scene. It only adapts Qt's events, timer and painting to
// the interaction layer: the input stream with its listeners (HUD, gestures),
// the view controller and the HUD drawn over the scene.

#include <QTimer>
#include <memory>

#include "app/GLView.h"
#include "interact/GestureEngine.h"
#include "interact/HUDManager.h"
#include "interact/ViewController.h"
#include "interact/ViewInputAdapter.h"
#include "wml/ExtendedWmlCamera.h"

namespace vynui {
class CInputEventStream;
}

class CStandard3DView : public CGLView, public vynui::IViewListener {
    Q_OBJECT
public:
    explicit CStandard3DView(QWidget* parent = nullptr);
    ~CStandard3DView() override;

    void OnViewChanged(vynui::ViewController& controller) override;

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
    void DrawAxes() const;
    void OnTimer();
    // Pixels of the framebuffer for a point in widget coordinates.
    int ToPixels(qreal v) const;

    Wml::ExtendedWmlCamera m_camera;
    vynui::ViewController m_viewController;
    vynui::CInputEventStream* m_stream;
    vynui::ViewInputAdapter m_input;
    std::unique_ptr<vynui::CHUDManager> m_hud;
    vynui::GestureEngine m_gestures;
    QTimer m_timer;
};

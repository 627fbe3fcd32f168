#pragma once
// The "RayTrace" window: shows the ray-traced picture of the scene's field
// as it is traced, in slices from a timer so the program stays responsive.

#include <QWidget>

#include "view/RayTracer.h"

class QLabel;
class QTimer;

namespace vynui {
class CViewCore;
}

class CRayTraceWindow : public QWidget {
public:
    CRayTraceWindow(vynui::CViewCore& core, QWidget* parent = nullptr);
    ~CRayTraceWindow() override;

    /// Traces the scene's field with the view's camera, replacing the last
    /// picture; a trace still running is dropped.
    void Render();
    /// Traces everything left now (tests, scripts).
    void FinishNow();

    vynui::RayTracer& Tracer() { return m_tracer; }
    QLabel* ImageLabel() const { return m_image; }

private:
    void Tick();
    void ShowImage();

    vynui::CViewCore& m_core;
    vynui::RayTracer m_tracer;
    QLabel* m_image;
    QTimer* m_timer;
    int m_ticks = 0;
};

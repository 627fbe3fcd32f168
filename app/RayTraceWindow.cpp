#include "app/RayTraceWindow.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "blobtree_ui/ThreadSafeScalarField.h"
#include "scene/SceneManager.h"
#include "view/ViewCore.h"

CRayTraceWindow::CRayTraceWindow(vynui::CViewCore& core, QWidget* parent)
    : QWidget(parent), m_core(core), m_image(new QLabel(this)), m_timer(new QTimer(this))
{
    setWindowTitle("RayTrace");
    m_image->setAlignment(Qt::AlignCenter);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_image);
    scroll->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, [this] { Tick(); });
    resize(400, 320);
}

CRayTraceWindow::~CRayTraceWindow()
{
    m_timer->stop();
    m_tracer.Cancel();
}

void CRayTraceWindow::Render()
{
    m_tracer.Cancel();
    vynui_bt::ThreadSafeScalarField* field = m_core.GetSceneManager()->GetField();
    if (!field || !m_tracer.Start(field, m_core.GetCamera())) return;
    m_ticks = 0;
    setWindowTitle("RayTrace");
    ShowImage();
    m_timer->start();
}

void CRayTraceWindow::FinishNow()
{
    m_tracer.Finish();
    Tick();
}

void CRayTraceWindow::Tick()
{
    // A short slice per turn of the event loop keeps the windows live.
    const bool more = m_tracer.Step(std::chrono::milliseconds(30));
    if (!more) m_timer->stop();
    if (!more || ++m_ticks % 10 == 0) ShowImage();
    if (more)
        setWindowTitle(QString("RayTrace - %1%").arg(int(100.0 * m_tracer.GetProgress())));
    else
        setWindowTitle("RayTrace");
}

void CRayTraceWindow::ShowImage()
{
    const int w = m_tracer.GetWidth(), h = m_tracer.GetHeight();
    if (w <= 0 || h <= 0) return;
    // The tracer's rows run bottom first.
    const QImage image =
        QImage(m_tracer.GetRGB().data(), w, h, 3 * w, QImage::Format_RGB888).mirrored(false, true);
    m_image->setPixmap(QPixmap::fromImage(image));
    m_image->adjustSize();
}

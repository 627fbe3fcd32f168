#include "app/MainFrame.h"

#include <QMdiArea>
#include <QStatusBar>

#include "app/ChildFrame.h"

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this))
{
    setWindowTitle("Kilnform B5");
    setCentralWidget(m_mdiArea);
    statusBar()->showMessage("Ready");
    resize(1024, 768);
}

CChildFrame* CMainFrame::CreateNewChild()
{
    auto* child = new CChildFrame;
    m_mdiArea->addSubWindow(child);
    child->showMaximized();
    return child;
}

CChildFrame* CMainFrame::ActiveChild() const
{
    // Without a window manager nothing may be active yet: fall back to the first window.
    QMdiSubWindow* sub = m_mdiArea->activeSubWindow();
    if (!sub) sub = m_mdiArea->currentSubWindow();
    if (!sub && !m_mdiArea->subWindowList().isEmpty()) sub = m_mdiArea->subWindowList().front();
    return qobject_cast<CChildFrame*>(sub);
}

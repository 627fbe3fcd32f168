#include "app/MainFrame.h"

#include <QMdiArea>
#include <QStatusBar>

#include "app/ChildFrame.h"
#include "app/Standard3DView.h"

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_mdiArea(new QMdiArea(this)), m_ui(std::make_unique<CQtUserInterface>(this))
{
    setWindowTitle("Kilnform B5");
    setCentralWidget(m_mdiArea);
    statusBar()->showMessage("Ready");
    resize(1024, 768);
}

CChildFrame* CMainFrame::CreateNewChild()
{
    auto* child = new CChildFrame;
    child->GetView()->SetUserInterface(m_ui.get());
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

CMainFrame::~CMainFrame()
{
    // The views are Qt children and go after this body: they must not keep
    // the prompts that go with it.
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(sub)) child->GetView()->SetUserInterface(nullptr);
}

#include "app/MainFrame.h"

#include <QMdiArea>
#include <QPointer>
#include <QStatusBar>

#include "app/BlobTreeEditorDock.h"
#include "app/ChildFrame.h"
#include "app/ParametersDock.h"
#include "app/Standard3DView.h"
#include "view/ViewCore.h"

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_mdiArea(new QMdiArea(this)), m_ui(std::make_unique<CQtUserInterface>(this))
{
    setWindowTitle("Kilnform B5");
    setCentralWidget(m_mdiArea);
    statusBar()->showMessage("Ready");
    resize(1024, 768);
    CreateDocks();
}

CChildFrame* CMainFrame::CreateNewChild()
{
    auto* child = new CChildFrame;
    child->GetView()->SetUserInterface(m_ui.get());
    m_mdiArea->addSubWindow(child);
    AttachDocks(child);
    child->showMaximized();
    return child;
}

void CMainFrame::CreateDocks()
{
    m_parametersDock = new CParametersDock(this);
    m_blobTreeDock = new CBlobTreeEditorDock(this);
    addDockWidget(Qt::RightDockWidgetArea, m_parametersDock);
    addDockWidget(Qt::RightDockWidgetArea, m_blobTreeDock);
    splitDockWidget(m_parametersDock, m_blobTreeDock, Qt::Vertical);
    m_parametersDock->GetModel().SetUserInterface(m_ui.get());
    // Edits apply only while a 3D view is the active document window.
    m_parametersDock->SetMainViewQuery([this] { return ActiveChild() != nullptr; });
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* sub) { ShowSceneOf(qobject_cast<CChildFrame*>(sub)); });
}

void CMainFrame::AttachDocks(CChildFrame* child)
{
    vynui::CViewCore& core = child->GetView()->GetCore();
    core.AddPanelListener(&m_parametersDock->GetModel());
    core.AddPanelListener(&m_blobTreeDock->GetModel());
    QPointer<CParametersDock> parameters(m_parametersDock);
    QPointer<CBlobTreeEditorDock> tree(m_blobTreeDock);
    core.SetFrameDrawnHook([parameters] {
        if (parameters) parameters->RefreshValues();
    });
    // The view's scene may go with the view: the panels must let go of it.
    connect(child, &QObject::destroyed, this, [parameters, tree, scene = core.GetSceneManager()] {
        if (parameters && parameters->GetModel().GetSceneManager() == scene)
            parameters->GetModel().SetSceneManager(nullptr);
        if (tree && tree->GetModel().GetSceneManager() == scene) tree->GetModel().SetSceneManager(nullptr);
    });
    ShowSceneOf(child);
}

void CMainFrame::ShowSceneOf(CChildFrame* child)
{
    if (!child) return;
    vynui::CSceneManager* scene = child->GetView()->GetCore().GetSceneManager();
    if (m_parametersDock->GetModel().GetSceneManager() != scene) m_parametersDock->GetModel().SetSceneManager(scene);
    if (m_blobTreeDock->GetModel().GetSceneManager() != scene) m_blobTreeDock->GetModel().SetSceneManager(scene);
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

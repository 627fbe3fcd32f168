#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

#include "app/BlobTreeEditorDock.h"
#include "app/ChildFrame.h"
#include "app/DialogForms.h"
#include "app/MolderyApp.h"
#include "app/ParametersDock.h"
#include "app/Standard3DView.h"
#include "interact/ResourceRoot.h"
#include "scene/UserInterface.h"
#include "view/MenuTable.h"
#include "view/ViewCore.h"
#include "wml/DebugOutput.h"

namespace {

const char* const kTitle = "Kilnform B5";
// Tool bar buttons follow the view this often; menus update as they open.
const int kToolbarUpdateMs = 250;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// A drag is welcome when it carries at least one local file.
bool HasLocalFile(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return true;
    return false;
}

std::string CommandOf(const QAction* action)
{
    return action->data().toString().toStdString();
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_mdiArea(new QMdiArea(this)), m_ui(std::make_unique<CQtUserInterface>(this))
{
    setWindowTitle(kTitle);
    setCentralWidget(m_mdiArea);
    m_recent.Assign(CMolderyApp::LoadRecentFiles());
    CreateMenus();
    CreateToolbars();
    CreateDockPanels();
    statusBar()->showMessage("Ready");
    resize(1024, 768);
    setAcceptDrops(true);

    SetOpenPathHook([](vynui::CViewCore& core, const std::string& path) { return core.OpenPath(path); });
    connect(&m_updateTimer, &QTimer::timeout, this, &CMainFrame::UpdateActions);
    m_updateTimer.start(kToolbarUpdateMs);
    // A view of its own window takes over the menus' state at once.
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateActions);
}

CMainFrame::~CMainFrame()
{
    m_updateTimer.stop();
    // The area outlives this part of the window and still reports its
    // windows closing: nothing here may hear it.
    disconnect(m_mdiArea, nullptr, this, nullptr);
    // The views are Qt children and go after this body: they must not keep
    // the prompts that go with it.
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(sub)) {
            child->GetView()->SetUserInterface(nullptr);
            child->GetView()->GetCore().SetWindowRequest(nullptr);
        }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(sub))
            if (!child->GetView()->GetCore().OfferToSaveChanges()) {
                event->ignore();
                return;
            }
    QMainWindow::closeEvent(event);
}

CChildFrame* CMainFrame::CreateNewChild()
{
    auto* child = new CChildFrame;
    CStandard3DView* view = child->GetView();
    view->SetUserInterface(m_ui.get());
    vynui::CViewCore* requester = &view->GetCore();
    requester->SetWindowRequest(
        [this, requester](const std::string& what) { OnWindowRequest(what, *requester); });
    view->GetCore().SetFileUsedSink([this](const std::string& path) { AddRecentFile(path); });
    m_mdiArea->addSubWindow(child);
    AttachDocks(child);
    child->showMaximized();
    // Once per view, as each view starts up.
    if (!HasDeveloperMenus()) PruneDeveloperMenus();
    UpdateActions();
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
    if (m_parametersDock->GetModel().GetSceneManager() != scene)
        m_parametersDock->GetModel().SetSceneManager(scene);
    if (m_blobTreeDock->GetModel().GetSceneManager() != scene)
        m_blobTreeDock->GetModel().SetSceneManager(scene);
}

CChildFrame* CMainFrame::ActiveChild() const
{
    // Without a window manager nothing may be active yet: fall back to the first window.
    QMdiSubWindow* sub = m_mdiArea->activeSubWindow();
    if (!sub) sub = m_mdiArea->currentSubWindow();
    if (!sub && !m_mdiArea->subWindowList().isEmpty()) sub = m_mdiArea->subWindowList().front();
    return qobject_cast<CChildFrame*>(sub);
}

vynui::CViewCore* CMainFrame::ActiveCore() const
{
    CChildFrame* child = ActiveChild();
    return child && child->GetView() ? &child->GetView()->GetCore() : nullptr;
}

// ---- menus and tool bars

QMenu* CMainFrame::MenuAt(const std::string& path)
{
    auto found = m_menus.find(path);
    if (found != m_menus.end()) return found->second;
    const std::size_t slash = path.rfind('/');
    QMenu* menu = nullptr;
    if (slash == std::string::npos) {
        menu = menuBar()->addMenu(Q(path));
    } else {
        menu = MenuAt(path.substr(0, slash))->addMenu(Q(path.substr(slash + 1)));
    }
    menu->setObjectName(Q(path));
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    m_menus[path] = menu;
    return menu;
}

QAction* CMainFrame::MakeCommandAction(const std::string& text, const std::string& command,
                                       const std::string& shortcut, bool checkable)
{
    auto* action = new QAction(Q(text.substr(0, text.find('\t'))), this);
    action->setData(Q(command));
    action->setCheckable(checkable);
    if (!shortcut.empty()) action->setShortcut(QKeySequence(Q(shortcut)));
    // Redo answers the other common chord as well.
    if (command == "Redo") action->setShortcuts({action->shortcut(), QKeySequence("Ctrl+Shift+Z")});
    action->setIconText(Q(vynui::ToolbarTextOf(command)));
    action->setToolTip(Q(command));
    const std::string icon = vynui::ToolbarIconOf(command);
    if (!icon.empty()) {
        const QString file = Q(vynui::GetIconPath(icon));
        if (QFileInfo::exists(file)) action->setIcon(QIcon(file));
    }
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    m_actions[command] = action;
    return action;
}

void CMainFrame::CreateMenus()
{
    using Kind = vynui::MenuEntry::Kind;
    for (const vynui::MenuEntry& entry : vynui::MenuTable()) {
        QMenu* menu = MenuAt(entry.path);
        switch (entry.kind) {
            case Kind::Separator:
                menu->addSeparator();
                break;
            case Kind::Command:
                menu->addAction(
                    MakeCommandAction(entry.text, entry.command, entry.shortcut, entry.checkable));
                break;
            case Kind::WindowCommand: {
                // The window's own: only "Exit" so far.
                auto* action = new QAction(Q(entry.text), this);
                if (entry.command == "Exit") connect(action, &QAction::triggered, this, &QWidget::close);
                menu->addAction(action);
                break;
            }
            case Kind::RecentFiles:
                for (std::size_t i = 0; i < vynui::RecentFileList::kSize; ++i) {
                    auto* action = new QAction(this);
                    connect(action, &QAction::triggered, this, [this, i] {
                        // A copy: opening reorders the list.
                        if (i < m_recent.Entries().size()) OpenPath(std::string(m_recent.Entries()[i]));
                    });
                    menu->addAction(action);
                    m_recentActions.push_back(action);
                }
                break;
        }
    }
    RefreshRecentActions();
}

void CMainFrame::CreateToolbars()
{
    for (const vynui::ToolbarTable& table : vynui::ToolbarTables()) {
        // Text buttons are wide: the animation and texture bars share a
        // second row rather than hide behind the first bar's overflow.
        if (m_toolbars.size() == 1) addToolBarBreak();
        QToolBar* bar = addToolBar(Q(table.name));
        bar->setObjectName(Q(table.name + "Toolbar"));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bar->setIconSize(QSize(24, 24));
        for (const std::string& command : table.commands) {
            if (command.empty()) {
                bar->addSeparator();
                continue;
            }
            // The menu's action when there is one, so both show one state.
            QAction* action = CommandAction(command);
            if (!action) action = MakeCommandAction(command, command, std::string(), false);
            bar->addAction(action);
        }
        m_toolbars[table.name] = bar;
    }
}

void CMainFrame::CreateDockPanels()
{
    // The right edge belongs to the panels from the top of the frame down,
    // the "Parameters" panel first, the "BlobTree Editor" right below it.
    setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    CreateDocks();
}

QAction* CMainFrame::CommandAction(const std::string& command) const
{
    auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

QMenu* CMainFrame::TopMenu(const std::string& title) const
{
    auto found = m_menus.find(title);
    return found == m_menus.end() ? nullptr : found->second;
}

QToolBar* CMainFrame::Toolbar(const std::string& name) const
{
    auto found = m_toolbars.find(name);
    return found == m_toolbars.end() ? nullptr : found->second;
}

void CMainFrame::UpdateAction(QAction* action, vynui::CViewCore* core)
{
    vynui::CommandState state;
    // Nobody answering means nobody would act: never a dead button.
    const bool known = core && core->UpdateCommand(CommandOf(action), state);
    action->setEnabled(known && state.enabled);
    if (action->isCheckable()) action->setChecked(known && state.checked);
}

void CMainFrame::UpdateActions()
{
    vynui::CViewCore* core = ActiveCore();
    for (auto& entry : m_actions) UpdateAction(entry.second, core);
}

void CMainFrame::UpdateMenu(QMenu* menu)
{
    vynui::CViewCore* core = ActiveCore();
    for (QAction* action : menu->actions())
        if (!action->menu() && !action->data().isNull()) UpdateAction(action, core);
}

bool CMainFrame::RunCommand(const std::string& command)
{
    vynui::CViewCore* core = ActiveCore();
    const bool handled = core && core->RouteCommand(command);
    if (!handled) statusBar()->showMessage(Q("\"" + command + "\" is not available here"), 3000);
    // Qt flipped the check mark of a checkable action itself; the view says
    // what it really is, for this and every other button it may have moved.
    UpdateActions();
    return handled;
}

// ---- developer menus

bool CMainFrame::HasDeveloperMenus()
{
    static const bool developer = vynui::HasDeveloperMarker("devbuild.txt");
    return developer;
}

void CMainFrame::PruneDeveloperMenus()
{
    QMenu* shapes = TopMenu(vynui::DeveloperMenuTitle());
    if (!shapes) return;
    const std::vector<std::string> commands = vynui::DeveloperCommands();
    const std::vector<std::string> demos = vynui::DemonstrationSubmenus();
    std::vector<QMenu*> pending = {shapes};
    while (!pending.empty()) {
        QMenu* menu = pending.back();
        pending.pop_back();
        for (QAction* action : menu->actions()) {
            if (QMenu* sub = action->menu()) {
                const std::string title = vynui::CommandTextOf(sub->title().toStdString());
                if (std::find(demos.begin(), demos.end(), title) == demos.end()) {
                    pending.push_back(sub);
                    continue;
                }
                // The whole demonstration submenu goes, with its commands.
                for (QAction* inner : sub->actions()) m_actions.erase(CommandOf(inner));
                for (auto it = m_menus.begin(); it != m_menus.end();)
                    it = it->second == sub ? m_menus.erase(it) : std::next(it);
                menu->removeAction(action);
                sub->deleteLater();
                continue;
            }
            const std::string command = CommandOf(action);
            if (std::find(commands.begin(), commands.end(), command) == commands.end()) continue;
            m_actions.erase(command);
            delete action;
        }
    }
}

// ---- recent files

void CMainFrame::RefreshRecentActions()
{
    for (std::size_t i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        const bool used = i < m_recent.Entries().size();
        action->setVisible(used);
        action->setText(used ? Q(m_recent.MenuText(i)) : QString());
        action->setStatusTip(used ? Q(m_recent.Entries()[i]) : QString());
    }
}

void CMainFrame::AddRecentFile(const std::string& path)
{
    m_recent.Add(path);
    CMolderyApp::SaveRecentFiles(m_recent.Entries());
    RefreshRecentActions();
}

bool CMainFrame::OpenPath(const std::string& path)
{
    vynui::CViewCore* core = ActiveCore();
    if (!core || !m_openPath) {
        statusBar()->showMessage("Opening files is not available", 3000);
        return false;
    }
    // Cancelling the unsaved-changes question opens nothing and keeps the list.
    if (!core->OfferToSaveChanges()) return false;
    const bool opened = m_openPath(*core, path);
    if (opened)
        m_recent.Add(path);
    else
        m_recent.Remove(path);
    CMolderyApp::SaveRecentFiles(m_recent.Entries());
    RefreshRecentActions();
    UpdateActions();
    return opened;
}

// ---- windows the view asks for

void CMainFrame::OnWindowRequest(const std::string& what, vynui::CViewCore& core)
{
    // The view that asked answers, even while another window (the field
    // image) is the active one.
    if (what == "About") {
        ShowAbout(&core);
        return;
    }
    if (what == "Resize Frame") {
        // A 640 x 480 view for captures, whatever the docks and bars take.
        SizeViewTo(640, 480);
        return;
    }
    // A replayed script cannot answer a modal form: it would wait forever.
    if (m_scripted &&
        (what == "Refine Mesh" || what == "Caching Control" || what == "Set World Dimensions")) {
        DebugOutput("CMainFrame: the form \"%s\" is not shown while a script runs\n", what.c_str());
        return;
    }
    if (ShowWindowRequest(what, core, this)) return;
    DebugOutput("CMainFrame: no window for the request \"%s\"\n", what.c_str());
}

void CMainFrame::SizeViewTo(int width, int height)
{
    CChildFrame* child = ActiveChild();
    CStandard3DView* view = child ? child->GetView() : nullptr;
    if (!view) return;
    // The frame around the view keeps its size; the window grows by the difference.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QSize difference = QSize(width, height) - view->size();
        if (difference.isNull()) break;
        resize(size() + difference);
        QCoreApplication::processEvents();
    }
}

void CMainFrame::ShowAbout(vynui::CViewCore* core)
{
    // Through the view's prompts, so that a replayed script is answered
    // instead of waiting on a box nobody closes.
    if (!core) core = ActiveCore();
    vynui::UserInterface* ui = core && core->GetUserInterface() ? core->GetUserInterface() : m_ui.get();
    ui->ShowMessage(kTitle, "About Kilnform");
}

bool CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls)
{
    vynui::CViewCore* core = ActiveCore();
    if (!core) return false;
    bool any = false;
    for (const QUrl& url : urls)
        if (url.isLocalFile()) any = core->OpenDroppedFile(url.toLocalFile().toStdString()) || any;
    return any;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (HasLocalFile(event->mimeData()) && ActiveCore()) event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event)
{
    if (HasLocalFile(event->mimeData()) && ActiveCore()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    if (!HasLocalFile(event->mimeData())) return;
    event->acceptProposedAction();
    // The files are opened after the drop has finished: what they ask
    // (message boxes) must not run inside the drag's own event loop.
    const QList<QUrl> urls = event->mimeData()->urls();
    QTimer::singleShot(0, this, [this, urls] { OpenDroppedFiles(urls); });
}

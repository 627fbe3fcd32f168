#pragma once
// Main window: the MDI area holding the document windows, the menus and tool
// bars built from the command tables, the status bar and the recent files.
// Every menu or tool bar action hands its command text to the active view's
// router; its enabled and checked state comes from the same view.

#include <QList>
#include <QMainWindow>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/QtUserInterface.h"
#include "view/RecentFileList.h"

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMdiArea;
class CBlobTreeEditorDock;
class QMenu;
class QToolBar;
class CChildFrame;
class CParametersDock;

namespace vynui {
class CViewCore;
}

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    /// Opens a new document window with a 3D view, maximized.
    CChildFrame* CreateNewChild();
    CChildFrame* ActiveChild() const;
    /// The core of the active view; null without one.
    vynui::CViewCore* ActiveCore() const;
    /// Resizes the window so that the active 3D view gets this size.
    void SizeViewTo(int width, int height);

    // ---- menus and tool bars

    /// The action of a routed command (menu and tool bar share it); null
    /// when no menu holds the command.
    QAction* CommandAction(const std::string& command) const;
    /// A top-level menu by its title ("Shapes"); null when there is none.
    QMenu* TopMenu(const std::string& title) const;
    QToolBar* Toolbar(const std::string& name) const;
    /// Enables and checks every routed action as the active view answers;
    /// commands nobody answers are disabled.
    void UpdateActions();
    /// Routes one command to the active view; false when nobody took it.
    bool RunCommand(const std::string& command);

    /// Removes the developer commands and the demonstration submenus from
    /// the "Shapes" menu; what is gone already is skipped.
    void PruneDeveloperMenus();
    /// "devbuild.txt" in the working folder holds the developer code; read once.
    static bool HasDeveloperMenus();

    // ---- recent files

    /// A file that was opened or saved goes to the top of the File menu's
    /// list and into the settings.
    void AddRecentFile(const std::string& path);
    const vynui::RecentFileList& GetRecentFiles() const { return m_recent; }
    /// How a file is opened into a view; whoever owns opening files sets it.
    /// It answers false when the file could not be read.
    using OpenPathHook = std::function<bool(vynui::CViewCore& view, const std::string& path)>;
    void SetOpenPathHook(OpenPathHook hook) { m_openPath = std::move(hook); }
    /// While a script runs, modal forms are not shown (nobody could close them).
    void SetScripted(bool scripted) { m_scripted = scripted; }
    /// Opens path in the active view through the hook: on success the file
    /// moves to the top of the list, on failure it leaves the list. False
    /// without a view or a hook (the list is kept then).
    bool OpenPath(const std::string& path);

    // ---- windows the view asks for

    /// A window the view's core asks for by name ("About"); names this
    /// window has nothing for are reported on the debug output.
    void OnWindowRequest(const std::string& what, vynui::CViewCore& core);
    /// The modal About box: "Kilnform B5" and OK, shown through the active
    /// view's prompts.
    void ShowAbout(vynui::CViewCore* core = nullptr);

    /// Local files dropped on the window go, in order, to the active view,
    /// which decides what each one is (scene, mesh or refused).
    bool OpenDroppedFiles(const QList<QUrl>& urls);

    CParametersDock* GetParametersDock() const { return m_parametersDock; }
    CBlobTreeEditorDock* GetBlobTreeEditorDock() const { return m_blobTreeDock; }

protected:
    /// Every view's unsaved changes are offered for saving first; Cancel (or
    /// a failed save) keeps the window open.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// The "Parameters" and "BlobTree Editor" panels, docked at the right.
    void CreateDocks();
    /// Registers the panels with a new view and hands them its scene.
    void AttachDocks(CChildFrame* child);
    /// The panels show the scene of the active view.
    void ShowSceneOf(CChildFrame* child);
    void CreateMenus();
    void CreateToolbars();
    /// Where the docked panels are created, right of the view.
    void CreateDockPanels();
    QMenu* MenuAt(const std::string& path);
    QAction* MakeCommandAction(const std::string& text, const std::string& command,
                               const std::string& shortcut, bool checkable);
    void UpdateAction(QAction* action, vynui::CViewCore* core);
    void UpdateMenu(QMenu* menu);
    void RefreshRecentActions();

    QMdiArea* m_mdiArea;  // owned by Qt's parent chain
    bool m_scripted = false;
    CParametersDock* m_parametersDock = nullptr;
    CBlobTreeEditorDock* m_blobTreeDock = nullptr;
    std::unique_ptr<CQtUserInterface> m_ui;
    std::map<std::string, QMenu*> m_menus;        // by path; owned by Qt's parent chain
    std::map<std::string, QAction*> m_actions;    // by command; owned by this window
    std::map<std::string, QToolBar*> m_toolbars;  // by name; owned by this window
    std::vector<QAction*> m_recentActions;
    vynui::RecentFileList m_recent;
    OpenPathHook m_openPath;
    QTimer m_updateTimer;
};

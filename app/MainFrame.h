#pragma once
// Main window: the MDI area holding the document windows.

#include <QMainWindow>
#include <memory>

#include "app/QtUserInterface.h"

class QMdiArea;
class CBlobTreeEditorDock;
class CChildFrame;
class CParametersDock;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    /// Opens a new document window with a 3D view, maximized.
    CChildFrame* CreateNewChild();
    CChildFrame* ActiveChild() const;

    CParametersDock* GetParametersDock() const { return m_parametersDock; }
    CBlobTreeEditorDock* GetBlobTreeEditorDock() const { return m_blobTreeDock; }

private:
    /// The "Parameters" and "BlobTree Editor" panels, docked at the right.
    void CreateDocks();
    /// Registers the panels with a new view and hands them its scene.
    void AttachDocks(CChildFrame* child);
    /// The panels show the scene of the active view.
    void ShowSceneOf(CChildFrame* child);

    QMdiArea* m_mdiArea;  // owned by Qt's parent chain
    CParametersDock* m_parametersDock = nullptr;
    CBlobTreeEditorDock* m_blobTreeDock = nullptr;
    std::unique_ptr<CQtUserInterface> m_ui;
};

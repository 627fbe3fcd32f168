#pragma once
// Main window: the MDI area holding the document windows.

#include <QMainWindow>
#include <memory>

#include "app/QtUserInterface.h"

class QMdiArea;
class CChildFrame;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    /// Opens a new document window with a 3D view, maximized.
    CChildFrame* CreateNewChild();
    CChildFrame* ActiveChild() const;

private:
    QMdiArea* m_mdiArea;  // owned by Qt's parent chain
    std::unique_ptr<CQtUserInterface> m_ui;
};

#pragma once
// MDI child window framing a 3D view; always shown maximized.

#include <QMdiSubWindow>

class CStandard3DView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(QWidget* parent = nullptr);

    CStandard3DView* GetView() const { return m_view; }

private:
    CStandard3DView* m_view;  // owned by Qt's parent chain
};

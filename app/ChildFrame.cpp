#include "app/ChildFrame.h"

#include "app/Standard3DView.h"

CChildFrame::CChildFrame(QWidget* parent) : QMdiSubWindow(parent), m_view(new CStandard3DView(this))
{
    setWidget(m_view);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Kilnform1");
}

#include "app/ChildFrame.h"

#include "app/Standard3DView.h"
#include "view/ViewCore.h"

CChildFrame::CChildFrame(QWidget* parent) : QMdiSubWindow(parent), m_view(new CStandard3DView(this))
{
    setWidget(m_view);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Kilnform1");
    m_view->GetCore().SetFrameTitleSink(
        [this](const std::string& title) { setWindowTitle(QString::fromStdString(title)); });
}

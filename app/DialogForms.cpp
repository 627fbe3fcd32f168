#include "app/DialogForms.h"

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <utility>

#include "app/CachingControlDialog.h"
#include "app/FieldImageWindow.h"
#include "app/HelpWindow.h"
#include "app/LightingControlDialog.h"
#include "app/PointSetConfigurationDialog.h"
#include "app/PolygonizerControlDialog.h"
#include "app/RayTraceWindow.h"
#include "app/RefineMeshDialog.h"
#include "app/SketchOptionsDialog.h"
#include "app/WorldDimensionsDialog.h"
#include "view/ViewCore.h"

namespace {

using Key = std::pair<const vynui::CViewCore*, std::string>;

// Windows die with their parents or when closed; QPointer notices both.
std::map<Key, QPointer<QWidget>>& OpenWindows()
{
    static std::map<Key, QPointer<QWidget>> windows;
    return windows;
}

QWidget* Find(const vynui::CViewCore& core, const std::string& name)
{
    auto it = OpenWindows().find(Key(&core, name));
    return it == OpenWindows().end() ? nullptr : it->second.data();
}

/// Shows a secondary window as a window of its own beside the main window:
/// as an MDI child it would displace the 3D view and, being the active child,
/// leave the view's commands disabled. It is deleted when closed.
void ShowSecondary(QWidget* window, QWidget* parent)
{
    window->setParent(parent, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

template <class Form>
void ShowModeless(const std::string& name, vynui::CViewCore& core, QWidget* parent)
{
    auto* form = static_cast<Form*>(Find(core, name));
    if (form) {
        form->LoadFromModel();
    } else {
        form = new Form(core, parent);
        OpenWindows()[Key(&core, name)] = form;
    }
    form->show();
    form->raise();
    form->activateWindow();
}

template <class Form>
void RunModal(vynui::CViewCore& core, QWidget* parent)
{
    Form form(core, parent);
    form.exec();
}

CFieldImageWindow* OpenFieldImage(vynui::CViewCore& core, QWidget* parent)
{
    if (auto* open = FindFieldImageWindow(core)) return open;
    auto* window = new CFieldImageWindow(core);
    window->SetClosedHook([&core] { core.SetFieldImageOpen(false); });
    OpenWindows()[Key(&core, "Field Image")] = window;
    core.SetFieldImageOpen(true);
    window->Refresh();
    ShowSecondary(window, parent);
    return window;
}

CRayTraceWindow* OpenRayTrace(vynui::CViewCore& core, QWidget* parent)
{
    if (auto* open = FindRayTraceWindow(core)) return open;
    auto* window = new CRayTraceWindow(core);
    OpenWindows()[Key(&core, "RayTrace")] = window;
    ShowSecondary(window, parent);
    return window;
}

}  // namespace

CFieldImageWindow* FindFieldImageWindow(const vynui::CViewCore& core)
{
    return static_cast<CFieldImageWindow*>(Find(core, "Field Image"));
}

CRayTraceWindow* FindRayTraceWindow(const vynui::CViewCore& core)
{
    return static_cast<CRayTraceWindow*>(Find(core, "RayTrace"));
}

QWidget* FindModelessForm(const vynui::CViewCore& core, const std::string& name)
{
    return Find(core, name);
}

bool ShowWindowRequest(const std::string& name, vynui::CViewCore& core, QWidget* parent)
{
    if (name == "Polygonizer Control")
        ShowModeless<CPolygonizerControlDialog>(name, core, parent);
    else if (name == "Lighting Control")
        ShowModeless<CLightingControlDialog>(name, core, parent);
    else if (name == "Point Set Control")
        ShowModeless<CPointSetConfigurationDialog>(name, core, parent);
    else if (name == "Sketch Options")
        ShowModeless<CSketchOptionsDialog>(name, core, parent);
    else if (name == "Gestures and Keys")
        ShowModeless<CHelpWindow>(name, core, parent);
    else if (name == "Refine Mesh")
        RunModal<CRefineMeshDialog>(core, parent);
    else if (name == "Caching Control")
        RunModal<CCachingControlDialog>(core, parent);
    else if (name == "Set World Dimensions")
        RunModal<CWorldDimensionsDialog>(core, parent);
    else if (name == "Field Image") {
        if (CFieldImageWindow* open = FindFieldImageWindow(core))
            open->close();
        else
            OpenFieldImage(core, parent);
    } else if (name == "Refresh Field Image") {
        if (CFieldImageWindow* open = FindFieldImageWindow(core)) open->Refresh();
    } else if (name == "RayTrace")
        OpenRayTrace(core, parent);
    else if (name == "Render RayTrace")
        OpenRayTrace(core, parent)->Render();
    else
        return false;
    return true;
}

void CloseWindowsOf(const vynui::CViewCore& core)
{
    auto& windows = OpenWindows();
    for (auto it = windows.begin(); it != windows.end();) {
        if (it->first.first != &core) {
            ++it;
            continue;
        }
        delete it->second.data();
        it = windows.erase(it);
    }
}

#pragma once
// The window side of the view's requests for its dialogs and secondary
// windows: the program binds CViewCore::SetWindowRequest to
// ShowWindowRequest.
//
// Modeless ("Polygonizer Control", "Lighting Control", "Point Set Control",
// "Sketch Options", "Gestures and Keys"): one form per view, shown again (reloaded from its
// model) on every request. Modal ("Refine Mesh", "Caching Control", "Set
// World Dimensions"): run until OK or Cancel. "Field Image" opens or closes
// the field image window, "Refresh Field Image" samples it again when open;
// "RayTrace" opens the ray-trace window, "Render RayTrace" opens it when
// needed and traces with the view's camera. The secondary windows are
// windows of their own beside the main window.

#include <string>

class QWidget;
class CFieldImageWindow;
class CRayTraceWindow;

namespace vynui {
class CViewCore;
}

/// Handles one request; false for a name it does not know.
bool ShowWindowRequest(const std::string& name, vynui::CViewCore& core, QWidget* parent);

/// The open field image and ray-trace windows of core (null when closed).
CFieldImageWindow* FindFieldImageWindow(const vynui::CViewCore& core);
CRayTraceWindow* FindRayTraceWindow(const vynui::CViewCore& core);
/// The open modeless form of that name for core (null when never shown).
QWidget* FindModelessForm(const vynui::CViewCore& core, const std::string& name);
/// Deletes every dialog and window working on core; the view calls it before
/// its core goes.
void CloseWindowsOf(const vynui::CViewCore& core);

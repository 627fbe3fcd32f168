#pragma once
// Receivers of what happens to HUD items. Items hold them in one set and
// find the kind they talk to by dynamic type, ignoring the others.

#include "wml/Vector2.h"

namespace vynui {

class HUDEventHandler {
public:
    virtual ~HUDEventHandler() = default;
};

/// What a button reports. Every operation does nothing by default.
class HUDButtonEventHandler : public HUDEventHandler {
public:
    /// A tap or a crossing stroke hit the button.
    virtual void OnActivate() {}
    /// The button took a press at point (HUD space).
    virtual void OnPress(const Wml::Vector2<float>& /*point*/) {}
    /// The pointer moved by delta while the button is pressed.
    virtual void OnDrag(const Wml::Vector2<float>& /*delta*/) {}
    /// The press ended; point is the last pointer position seen.
    virtual void OnRelease(const Wml::Vector2<float>& /*point*/) {}
};

/// What a toolbar reports.
class IHUDToolbarEventHandler : public HUDEventHandler {
public:
    virtual void OnToolbarMoved() = 0;
    virtual void OnToolbarClosed() = 0;
};

/// Told by pop-up toolbars when they appear and go away, so the view
/// repaints.
class IHUDPopUpToolbarEventHandler {
public:
    virtual ~IHUDPopUpToolbarEventHandler() = default;
    virtual void OnPopUpToolbarShown() = 0;
    virtual void OnPopUpToolbarHidden() = 0;
};

}  // namespace vynui

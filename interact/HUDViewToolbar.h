#pragma once
// The buttons of the HUD's view toolbar, which steer the camera through the
// view controller: zoom (a rate slider), pan and snap-tumble (drags), and the
// handler that tells the controller when the toolbar moves.

#include "interact/HUDAutoSliderButton.h"
#include "interact/HUDButton.h"
#include "interact/HUDEventHandler.h"
#include "interact/HUDIcon.h"
#include "wml/ColorRGBA.h"
#include "wml/Vector3.h"

namespace Wml {
class ExtendedWmlCamera;
}

namespace vynui {

class ViewController;

/// Held above or below its centre, zooms in or out at a speed set by the distance.
class ZoomSliderButton : public HUDAutoSliderButton {
public:
    ZoomSliderButton();
    void SetViewController(ViewController* controller) { m_controller = controller; }
    /// gain in [-1, 1]: dolly by 0.125 * gain.
    void OnValueChanged(float gain) override;

private:
    ViewController* m_controller = nullptr;
};

/// Dragging pans the camera with the hand.
class PanButton : public HUDButton, public HUDButtonEventHandler {
public:
    PanButton();
    void SetViewController(ViewController* controller) { m_controller = controller; }
    void OnDrag(const Wml::Vector2<float>& delta) override;
    /// The lateral and vertical pan for a drag step d (HUD units).
    static Wml::Vector2<float> PanAmounts(const Wml::Vector2<float>& d);

private:
    ViewController* m_controller = nullptr;
};

/// A small lit cube turned as the camera is turned.
class SnapRotateIcon : public HUDProceduralIcon {
public:
    static const Wml::ColorRGBA SNAP_OFF_COLOR;
    static const Wml::ColorRGBA SNAP_ON_COLOR;

    void SetCamera(const Wml::ExtendedWmlCamera* camera) { m_camera = camera; }
    const Wml::ColorRGBA& GetColor() const { return m_color; }
    void SetColor(const Wml::ColorRGBA& color) { m_color = color; }

    /// Corner i (bits: x, y, z of the unit cube's +-1 corners) in eye
    /// coordinates of the icon's own perspective, before the cube is pushed
    /// back to its viewing distance: the camera's rotation applied to it.
    Wml::Vector3<float> GetEyeCorner(int i) const;

    void DrawContents(const Wml::AxisAlignedBox2<float>& box) override;

private:
    const Wml::ExtendedWmlCamera* m_camera = nullptr;
    Wml::ColorRGBA m_color = SNAP_OFF_COLOR;
};

/// Dragging tumbles the camera; a click toggles snapping to the canonical steps.
class SnapRotateButton : public HUDButton, public HUDButtonEventHandler {
public:
    SnapRotateButton();
    void SetViewController(ViewController* controller);
    void OnActivate() override;
    void OnDrag(const Wml::Vector2<float>& delta) override;

    bool IsSnapping() const { return m_snap; }
    void SetSnapping(bool snap);
    SnapRotateIcon* GetRotateIcon() const { return dynamic_cast<SnapRotateIcon*>(m_icon); }
    /// The tumble angles for a drag step d (HUD units).
    static Wml::Vector2<float> TumbleAmounts(const Wml::Vector2<float>& d);

private:
    ViewController* m_controller = nullptr;
    bool m_snap = false;
};

/// Tells the view controller (and so the view) when the toolbar moves or closes.
class HUDViewToolbarListener : public IHUDToolbarEventHandler {
public:
    explicit HUDViewToolbarListener(ViewController* controller) : m_controller(controller) {}
    void OnToolbarMoved() override;
    void OnToolbarClosed() override;
    ViewController* GetViewController() const { return m_controller; }

private:
    ViewController* m_controller;
};

}  // namespace vynui

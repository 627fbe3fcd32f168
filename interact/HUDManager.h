#pragma once
// The HUD of a view: owns the list of toolbars shown over the scene and the
// built-in view toolbar, draws them after the scene, and sees mouse events
// and gestures before anything else in the view does.
//
// Toolbars are drawn in the order they were added, so a later one lies on
// top; presses and strokes are offered in the reverse order, so the toolbar
// on top gets them first.

#include <cstdint>
#include <functional>
#include <vector>

#include "interact/HUDEventHandler.h"
#include "interact/HUDToolbar.h"
#include "interact/IGestureEventListener.h"
#include "interact/InputEvent.h"
#include "interact/ViewController.h"

namespace vynui {

class HUDItem;
class HUDViewToolbarListener;
class PanButton;
class SnapRotateButton;
class ZoomSliderButton;

class CHUDManager : public IInputEventListener,
                    public IGestureEventListener,
                    public IViewListener,
                    public ITimeEventListener,
                    public IHUDPopUpToolbarEventHandler {
public:
    /// Press-to-release moves within this many pixels make a click.
    static constexpr int CLICK_DISTANCE = 10;

    /// Builds the view toolbar (icons are read now, from the resource root).
    CHUDManager();
    ~CHUDManager() override;
    CHUDManager(const CHUDManager&) = delete;
    CHUDManager& operator=(const CHUDManager&) = delete;

    /// Toolbars are not owned; each is added once and must be removed
    /// before it is destroyed. The view-toolbar listener is registered on it.
    void AddToolbar(HUDToolbar* toolbar);
    /// False when the toolbar is not shown by this manager.
    bool RemoveToolbar(HUDToolbar* toolbar);
    const std::vector<HUDToolbar*>& GetToolbars() const { return m_toolbars; }
    bool HasToolbar(const HUDToolbar* toolbar) const;

    /// The controller (not owned) must outlive the manager or be replaced
    /// (null is allowed) before it goes. Re-anchors at once.
    void SetViewController(ViewController* controller);
    ViewController* GetViewController() const { return m_controller; }

    /// Called whenever the HUD changed during a drag and the view must repaint.
    void SetRedrawRequest(std::function<void()> request) { m_redrawRequest = std::move(request); }

    /// A disabled HUD handles no event and no gesture.
    void Enable() { m_enabled = true; }
    void Disable();
    bool IsEnabled() const { return m_enabled; }

    // --- input listener
    int OnInputEvent(const InputEvent& event) override;
    bool WantsRepeat() override;
    HUDItem* GetCapturedItem() const { return m_captured; }

    // --- gesture listener (window pixels in, HUD space inside)
    bool OnTap(const Wml::Vector2<float>& point) override;
    bool OnLine(const GestureSegment& segment) override;

    // --- view listener: new viewport size, re-anchor toolbars
    void OnViewChanged(ViewController& controller) override;

    // --- time listener
    /// True when the HUD changed without a redraw request reaching the view.
    /// Always false while a repeating item is held, so that the input
    /// stream's replay, asked next, keeps driving it.
    bool OnTimeEvent(std::int64_t counter) override;

    // --- pop-up toolbars appearing or going away
    void OnPopUpToolbarShown() override { RequestRedraw(); }
    void OnPopUpToolbarHidden() override { RequestRedraw(); }

    /// Draws every visible toolbar over the scene. Needs a GL context.
    void Draw();

    // --- HUD space
    /// Window pixel (y from the bottom) to HUD space.
    Wml::Vector2<float> PixelToHUD(float px, float py) const;
    /// HUD space to window pixels; the inverse of PixelToHUD.
    Wml::Vector2<float> HUDToPixel(const Wml::Vector2<float>& point) const;
    float GetAspect() const { return m_aspect; }
    int GetViewWidth() const { return m_width; }
    int GetViewHeight() const { return m_height; }
    /// Takes a new view size (ignored unless both are positive) and re-anchors.
    void SetViewSize(int width, int height);
    /// Moves the toolbars with anchors 0, 1 and 2 onto their edges.
    void Reanchor();

    HUDToolbar& GetViewToolbar() { return m_viewToolbar; }
    ZoomSliderButton* GetZoomButton() const { return m_zoomButton; }
    PanButton* GetPanButton() const { return m_panButton; }
    SnapRotateButton* GetSnapTumbleButton() const { return m_snapButton; }

private:
    void RequestRedraw();
    void ReleaseCapture();
    /// Visible toolbars, topmost first.
    std::vector<HUDToolbar*> HitOrder() const;
    bool Cross(const Wml::Vector2<float>& start, const Wml::Vector2<float>& end);

    std::vector<HUDToolbar*> m_toolbars;
    ViewController* m_controller = nullptr;
    HUDViewToolbarListener* m_viewToolbarListener = nullptr;
    HUDItem* m_captured = nullptr;
    // Where the captured press was (pixels) and whether it stayed a click.
    int m_pressX = 0, m_pressY = 0;
    bool m_click = false;
    // We answered the press with a capture and have not let the stream go yet.
    bool m_holdsStream = false;
    bool m_enabled = true;
    bool m_changed = false;
    std::function<void()> m_redrawRequest;

    int m_width = 1;
    int m_height = 1;
    float m_aspect = 1.0f;
    float m_xScale = 1.0f;  // aspect / width
    float m_yScale = 1.0f;  // 1 / height

    HUDToolbar m_viewToolbar;
    ZoomSliderButton* m_zoomButton;
    PanButton* m_panButton;
    SnapRotateButton* m_snapButton;
};

}  // namespace vynui

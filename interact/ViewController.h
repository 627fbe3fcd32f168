#pragma once
// The camera manipulations of a view (tumble, pan, dolly, the canonical
// views) and the world scale factor. Every operation ends by telling the
// view listeners, on which the view repaints and the HUD re-anchors.

#include <set>
#include <string>

namespace Wml {
class ExtendedWmlCamera;
class SerializerRecord;
}  // namespace Wml

namespace vynui {

class ViewController;

class IViewListener {
public:
    virtual ~IViewListener() = default;
    /// The camera, its viewport or the world scale changed.
    virtual void OnViewChanged(ViewController& controller) = 0;
};

class ViewController {
public:
    /// The camera is not owned and must outlive the controller.
    explicit ViewController(Wml::ExtendedWmlCamera* camera);

    Wml::ExtendedWmlCamera* GetCamera() const { return m_camera; }

    void AddViewListener(IViewListener* listener);
    void RemoveViewListener(IViewListener* listener);
    void NotifyViewChanged();

    /// Loads the camera into GL when a context is current, then notifies.
    void Update();

    /// Moves toward the target by a + b.
    void Dolly(float a, float b);
    /// a to the camera's left, b up.
    void Pan(float a, float b);
    /// Orbits by -a about the vertical and -b about the camera's left axis.
    void Tumble(float a, float b, bool snap);

    /// The canonical views by command text: "Left", "Right", "Top",
    /// "Bottom", "Front", "Back", "ThreeQuarter". They keep the target and
    /// the distance to it. False for any other text.
    bool SetCanonicalView(const std::string& name);
    static bool IsCanonicalView(const std::string& name);
    void ViewLeft() { SetCanonicalView("Left"); }
    void ViewRight() { SetCanonicalView("Right"); }
    void ViewTop() { SetCanonicalView("Top"); }
    void ViewBottom() { SetCanonicalView("Bottom"); }
    void ViewFront() { SetCanonicalView("Front"); }
    void ViewBack() { SetCanonicalView("Back"); }
    void ViewThreeQuarter() { SetCanonicalView("ThreeQuarter"); }

    /// "Perspective Camera".
    void TogglePerspective();

    float GetWorldScaleFactor() const { return m_worldScaleFactor; }
    /// Refuses (false, unchanged) values that are not finite and positive.
    bool SetWorldScaleFactor(float factor);

    /// Camera-mode drags (the Alt key held): dx, dy in pixels since the last
    /// move with dy positive upward; dyDown is the same move counted downward.
    void CameraModeTumble(int dx, int dy);
    void CameraModePan(int dx, int dyDown);
    void CameraModeDolly(int dx, int dy);

    /// The camera's own record followed by "WorldScaleFactor".
    void Store(Wml::SerializerRecord& record) const;
    /// Reads what Store wrote; false and unchanged when the camera part is
    /// refused or the scale factor is not finite and positive. A record
    /// without the scale factor keeps the current one. Updates and notifies
    /// on success.
    bool Restore(const Wml::SerializerRecord& record);

private:
    Wml::ExtendedWmlCamera* m_camera;
    float m_worldScaleFactor = 1.0f;
    std::set<IViewListener*> m_listeners;
};

}  // namespace vynui

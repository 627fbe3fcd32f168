#pragma once
// Turns left-button drags of the input stream into strokes, draws the stroke
// being made, and when the button comes up classifies it and offers the
// gesture to the gesture listeners in registration order.

#include <memory>
#include <set>
#include <vector>

#include "interact/GestureClassifier.h"
#include "interact/GestureStroke.h"
#include "interact/IGestureEventListener.h"
#include "interact/InputEvent.h"
#include "wml/Clock.h"

namespace vynui {

/// Watches strokes as they grow; may take a finished stroke for itself.
class IGestureStrokeObserver {
public:
    virtual ~IGestureStrokeObserver() = default;
    /// After every point the stroke stores.
    virtual void OnStrokePoint(const GestureStroke& stroke) = 0;
    /// When the button comes up; true takes the stroke (no gesture follows).
    /// Every observer is told, whether or not an earlier one took it.
    virtual bool OnStrokeEnd(const GestureStroke& stroke) = 0;
};

class GestureEngine : public IInputEventListener {
public:
    GestureEngine();
    ~GestureEngine() override;
    GestureEngine(const GestureEngine&) = delete;
    GestureEngine& operator=(const GestureEngine&) = delete;

    /// Listeners are not owned; each is added once and asked in the order
    /// of adding.
    void AddGestureListener(IGestureEventListener* listener);
    void RemoveGestureListener(IGestureEventListener* listener);
    /// Observers are not owned; each is added once.
    void AddStrokeObserver(IGestureStrokeObserver* observer);
    void RemoveStrokeObserver(IGestureStrokeObserver* observer);

    int OnInputEvent(const InputEvent& event) override;

    /// The stroke being drawn, null between drags.
    const GestureStroke* GetCurrentStroke() const { return m_stroke.get(); }

    /// Stroke times come from this source (tests, replays); empty restores
    /// the steady clock.
    void SetTimeSource(Wml::Clock::TimeSource source);

    /// Offers a finished stroke as if the button had just come up: its
    /// gesture first, then the plain stroke. True when a listener took it.
    /// The feature point of a corner or crossing is stored in the stroke.
    bool OfferStroke(GestureStroke& stroke);

    /// Feedback: the current stroke as a blue line strip over a window of
    /// the given size. Needs a current GL context; leaves GL state as found.
    void DrawCurrentStroke(int width, int height) const;

    /// Within this distance of the last stored point a new point only
    /// updates the last time.
    static constexpr float MIN_POINT_DISTANCE_SQR = 9.0f;

private:
    void AddPoint(int x, int y);
    void NotifyPoint();
    bool OfferGesture(const GestureClassification& gesture);
    bool OfferPlainStroke(const GestureStroke& stroke);

    std::set<IGestureEventListener*> m_listenerSet;
    std::vector<IGestureEventListener*> m_listeners;
    std::vector<IGestureStrokeObserver*> m_observers;
    std::unique_ptr<GestureStroke> m_stroke;
    Wml::Clock m_clock;
};

}  // namespace vynui

#pragma once
// The one path of a view's pointer and key input: offers each event to the
// input listeners in registration order, lets one capture the stream for a
// drag, and replays the last event on timer ticks while the capturer asks for
// auto-repeat. It also keeps the interaction-idle flag the refinement worker
// reads from its own thread.

#include <boost/thread/recursive_mutex.hpp>
#include <cstdint>
#include <functional>
#include <vector>

#include "interact/InputEvent.h"

namespace vynui {

class CInputEventStream : public ITimeEventListener {
public:
    /// Answers the current counter in nanoseconds; only differences matter.
    using CounterSource = std::function<std::int64_t()>;

    CInputEventStream();

    /// The stream of a view, made on first request. A null view means the
    /// current view (the one that last had the keyboard focus).
    static CInputEventStream* GetStream(const void* view = nullptr);
    static void SetCurrentView(const void* view);
    static const void* GetCurrentView();
    /// Forgets a view's stream (when the view goes away).
    static void ReleaseStream(const void* view);

    /// Listeners are not owned; a listener is added once.
    void AddListener(IInputEventListener* listener);
    void RemoveListener(IInputEventListener* listener);

    void LeftDown(int x, int y);
    void LeftUp(int x, int y);
    void LeftDrag(int x, int y);
    void RightDown(int x, int y);
    void RightUp(int x, int y);
    void RightDrag(int x, int y);
    void KeyEvent(int key);

    /// Neither button held. Safe from any thread.
    bool IsIdle() const;
    bool IsLeftHeld() const { return m_leftHeld; }
    bool IsRightHeld() const { return m_rightHeld; }

    IInputEventListener* GetCapturedListener() const { return m_captured; }
    bool IsRepeating() const { return m_repeat; }
    const InputEvent& GetLastEvent() const { return m_lastEvent; }

    /// Replays the last event to a capturer that wants repeat; true then.
    bool OnTimeEvent(std::int64_t counter) override;
    bool OnTimeEvent() { return OnTimeEvent(Counter()); }

    /// Replaces the counter (tests, replays); empty restores the steady clock.
    void SetCounterSource(CounterSource source);
    std::int64_t Counter() const;
    /// The steady clock in nanoseconds.
    static std::int64_t SteadyCounter();

    /// Offers an event as the view would; public for replays and tests.
    void Dispatch(const InputEvent& event, bool forcedReplay = false);

private:
    InputEvent MouseEvent(int x, int y) const;
    void SetHeld(bool left, bool right);

    std::vector<IInputEventListener*> m_listeners;
    IInputEventListener* m_captured = nullptr;
    bool m_repeat = false;
    InputEvent m_lastEvent;
    std::int64_t m_lastCounter = 0;
    bool m_leftHeld = false;
    bool m_rightHeld = false;
    bool m_idle = true;
    mutable boost::recursive_mutex m_idleLock;
    CounterSource m_counterSource;
};

}  // namespace vynui

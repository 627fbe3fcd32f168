#include "interact/InputEventStream.h"

#include <algorithm>
#include <chrono>
#include <map>

namespace vynui {

namespace {

struct StreamRegistry {
    std::map<const void*, CInputEventStream*> streams;
    const void* currentView = nullptr;
};

StreamRegistry& Registry()
{
    // Streams live as long as the process unless their view releases them.
    static StreamRegistry* registry = new StreamRegistry;
    return *registry;
}

}  // namespace

CInputEventStream::CInputEventStream() = default;

CInputEventStream* CInputEventStream::GetStream(const void* view)
{
    StreamRegistry& registry = Registry();
    const void* key = view ? view : registry.currentView;
    CInputEventStream*& stream = registry.streams[key];
    if (!stream) stream = new CInputEventStream;
    return stream;
}

void CInputEventStream::SetCurrentView(const void* view)
{
    Registry().currentView = view;
}

const void* CInputEventStream::GetCurrentView()
{
    return Registry().currentView;
}

void CInputEventStream::ReleaseStream(const void* view)
{
    StreamRegistry& registry = Registry();
    auto found = registry.streams.find(view);
    if (found == registry.streams.end()) return;
    delete found->second;
    registry.streams.erase(found);
}

void CInputEventStream::AddListener(IInputEventListener* listener)
{
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void CInputEventStream::RemoveListener(IInputEventListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
    if (m_captured == listener) {
        m_captured = nullptr;
        m_repeat = false;
    }
}

std::int64_t CInputEventStream::SteadyCounter()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void CInputEventStream::SetCounterSource(CounterSource source)
{
    m_counterSource = std::move(source);
}

std::int64_t CInputEventStream::Counter() const
{
    return m_counterSource ? m_counterSource() : SteadyCounter();
}

InputEvent CInputEventStream::MouseEvent(int x, int y) const
{
    InputEvent event;
    event.kind = InputEvent::MOUSE;
    event.x = x;
    event.y = y;
    event.time = Counter();
    return event;
}

void CInputEventStream::SetHeld(bool left, bool right)
{
    boost::recursive_mutex::scoped_lock lock(m_idleLock);
    m_leftHeld = left;
    m_rightHeld = right;
    m_idle = !left && !right;
}

bool CInputEventStream::IsIdle() const
{
    boost::recursive_mutex::scoped_lock lock(m_idleLock);
    return m_idle;
}

void CInputEventStream::LeftDown(int x, int y)
{
    SetHeld(true, m_rightHeld);
    InputEvent event = MouseEvent(x, y);
    event.leftDown = true;
    Dispatch(event);
}

void CInputEventStream::LeftUp(int x, int y)
{
    SetHeld(false, m_rightHeld);
    InputEvent event = MouseEvent(x, y);
    event.leftUp = true;
    Dispatch(event);
}

void CInputEventStream::LeftDrag(int x, int y)
{
    InputEvent event = MouseEvent(x, y);
    event.leftDown = event.leftUp = true;
    Dispatch(event);
}

void CInputEventStream::RightDown(int x, int y)
{
    SetHeld(m_leftHeld, true);
    InputEvent event = MouseEvent(x, y);
    event.rightDown = true;
    Dispatch(event);
}

void CInputEventStream::RightUp(int x, int y)
{
    SetHeld(m_leftHeld, false);
    InputEvent event = MouseEvent(x, y);
    event.rightUp = true;
    Dispatch(event);
}

void CInputEventStream::RightDrag(int x, int y)
{
    InputEvent event = MouseEvent(x, y);
    event.rightDown = event.rightUp = true;
    Dispatch(event);
}

void CInputEventStream::KeyEvent(int key)
{
    InputEvent event;
    event.kind = InputEvent::KEY;
    event.key = key;
    event.time = Counter();
    Dispatch(event);
}

void CInputEventStream::Dispatch(const InputEvent& event, bool forcedReplay)
{
    m_lastEvent = event;
    m_lastCounter = Counter();

    if (m_captured) {
        // While the capturer repeats, real drags are dropped: the timer's
        // replays of the press position drive it instead.
        bool drag = event.IsLeftDrag() || event.IsRightDrag();
        if (m_repeat && drag && !forcedReplay) return;
        IInputEventListener* captured = m_captured;
        if (captured->OnInputEvent(event) == INPUT_RELEASE_CAPTURE && m_captured == captured) {
            m_captured = nullptr;
            m_repeat = false;
        }
        return;
    }

    // A listener may add or remove listeners while handling: walk a copy.
    std::vector<IInputEventListener*> listeners = m_listeners;
    for (IInputEventListener* listener : listeners) {
        int result = listener->OnInputEvent(event);
        if (result == INPUT_CONSUMED) return;
        if (result == INPUT_CAPTURE) {
            m_captured = listener;
            m_repeat = listener->WantsRepeat();
            return;
        }
        if (result == INPUT_RELEASE_CAPTURE) {
            m_captured = nullptr;
            m_repeat = false;
            return;
        }
    }
}

bool CInputEventStream::OnTimeEvent(std::int64_t /*counter*/)
{
    if (!m_captured || !m_repeat) return false;
    Dispatch(m_lastEvent, true);
    return true;
}

}  // namespace vynui

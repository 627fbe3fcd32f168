#pragma once
// One pointer or key event of a 3D view, and the two listener interfaces the
// view's input stream talks to.

#include <climits>
#include <cstdint>

namespace vynui {

struct InputEvent {
    enum Kind { MOUSE = 0, KEY = 1, NONE = 2 };

    int kind = NONE;
    /// Window pixels, origin at the bottom-left.
    int x = INT_MAX;
    int y = INT_MAX;
    /// down alone = press, up alone = release, both = drag with that button held.
    bool leftDown = false;
    bool leftUp = false;
    bool rightDown = false;
    bool rightUp = false;
    bool middleDown = false;  // reserved
    bool middleUp = false;    // reserved
    /// Character code of a key event.
    int key = 0;
    /// Counter value (nanoseconds of the stream's clock) when the event was made.
    std::int64_t time = 0;

    bool IsMouse() const { return kind == MOUSE; }
    bool IsLeftPress() const { return kind == MOUSE && leftDown && !leftUp; }
    bool IsLeftRelease() const { return kind == MOUSE && leftUp && !leftDown; }
    bool IsLeftDrag() const { return kind == MOUSE && leftDown && leftUp; }
    bool IsRightPress() const { return kind == MOUSE && rightDown && !rightUp; }
    bool IsRightRelease() const { return kind == MOUSE && rightUp && !rightDown; }
    bool IsRightDrag() const { return kind == MOUSE && rightDown && rightUp; }
};

/// What a listener answers to an event.
enum InputResult {
    INPUT_CONSUMED = 0,         // stop here
    INPUT_NOT_HANDLED = 1,      // any value but 0, 2 and 3 passes the event on
    INPUT_CAPTURE = 2,          // consumed; the rest of the drag comes here alone
    INPUT_RELEASE_CAPTURE = 3,  // consumed; the stream is free again
};

class IInputEventListener {
public:
    virtual ~IInputEventListener() = default;
    /// One of the InputResult codes.
    virtual int OnInputEvent(const InputEvent& event) = 0;
    /// Asked right after this listener captures: true makes the stream replay
    /// the last event on every timer tick instead of delivering drags.
    virtual bool WantsRepeat() { return false; }
};

class ITimeEventListener {
public:
    virtual ~ITimeEventListener() = default;
    /// counter: the current counter value. True when something changed and
    /// the view must repaint.
    virtual bool OnTimeEvent(std::int64_t counter) = 0;
};

}  // namespace vynui

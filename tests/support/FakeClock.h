#pragma once
// A clock that moves only when a test says so, for anything that reads time
// through a Wml::Clock (stroke times, flicks, timers).

#include "wml/Clock.h"

namespace kftest {

class FakeClock {
public:
    explicit FakeClock(double start = 0.0) : m_now(start) {}
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    /// A time source reading this clock; the clock must outlive its users.
    Wml::Clock::TimeSource Source()
    {
        return [this] { return m_now; };
    }
    void Advance(double seconds) { m_now += seconds; }
    void Set(double seconds) { m_now = seconds; }
    double Now() const { return m_now; }

private:
    double m_now;
};

}  // namespace kftest

#pragma once
// Elapsed time since Start(), read from the steady clock unless a test (or a
// replay) supplies its own time source.

#include <functional>

namespace Wml {

class Clock {
public:
    /// Answers an absolute time in seconds; only differences are used.
    using TimeSource = std::function<double()>;

    /// A clock on the steady clock, started now.
    Clock();
    /// A clock on the given source (the steady clock when empty), started now.
    explicit Clock(TimeSource source);

    /// Makes the current time the new zero.
    void Start();
    /// Seconds since the last Start() (or construction).
    double CurrentTimeInSeconds() const;

    /// Replaces the time source (an empty function restores the steady
    /// clock) and restarts, since readings of two sources do not compare.
    void SetTimeSource(TimeSource source);

    /// The steady clock in seconds from an arbitrary epoch.
    static double SteadySeconds();

private:
    double Now() const;

    TimeSource m_source;
    double m_start;
};

}  // namespace Wml

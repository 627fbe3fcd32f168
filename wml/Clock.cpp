#include "wml/Clock.h"

#include <chrono>
#include <utility>

namespace Wml {

Clock::Clock() : m_start(0.0)
{
    Start();
}

Clock::Clock(TimeSource source) : m_source(std::move(source)), m_start(0.0)
{
    Start();
}

double Clock::SteadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Clock::Now() const
{
    return m_source ? m_source() : SteadySeconds();
}

void Clock::Start()
{
    m_start = Now();
}

double Clock::CurrentTimeInSeconds() const
{
    return Now() - m_start;
}

void Clock::SetTimeSource(TimeSource source)
{
    m_source = std::move(source);
    Start();
}

}  // namespace Wml

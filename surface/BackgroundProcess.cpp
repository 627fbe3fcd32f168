#include "surface/BackgroundProcess.h"

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "wml/DebugOutput.h"

namespace vynui {

CBackgroundProcess::CBackgroundProcess(std::chrono::milliseconds interval) : m_interval(interval) {}

CBackgroundProcess::~CBackgroundProcess()
{
    Stop();
}

bool CBackgroundProcess::Resume()
{
    boost::mutex::scoped_lock lock(m_threadMutex);
    if (m_thread || m_stopped) return false;
    m_thread.reset(new boost::thread([this] { Run(); }));
    m_started = true;
    return true;
}

void CBackgroundProcess::Stop()
{
    std::unique_ptr<boost::thread> thread;
    {
        boost::mutex::scoped_lock lock(m_threadMutex);
        m_stopped = true;
        thread = std::move(m_thread);
    }
    if (!thread) return;
    thread->interrupt();
    if (thread->get_id() == boost::this_thread::get_id()) {
        // Stopped from its own work step: it ends at the next sleep.
        thread->detach();
        return;
    }
    thread->join();
}

void CBackgroundProcess::OnIdle()
{
    DebugOutput("Idle in Background Process");
}

void CBackgroundProcess::Run()
{
    try {
        for (;;) {
            boost::this_thread::sleep(boost::posix_time::milliseconds(m_interval.count()));
            OnIdle();
            ++m_passes;
            boost::this_thread::interruption_point();
        }
    } catch (const boost::thread_interrupted&) {
        // Stop asked the loop to end.
    }
}

}  // namespace vynui

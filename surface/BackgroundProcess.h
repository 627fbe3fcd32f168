#pragma once
// A worker thread that is created suspended, started once (Resume) and then
// runs its work step every interval until it is stopped. Stop interrupts the
// sleep and joins, so ending the program never races a running worker.
// Workers never polygonize, refine or draw.

#include <atomic>
#include <chrono>
#include <memory>

#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

namespace vynui {

class CBackgroundProcess {
public:
    explicit CBackgroundProcess(std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
    /// Stops the thread. Derived classes stop it in their own destructor,
    /// before their members go.
    virtual ~CBackgroundProcess();
    CBackgroundProcess(const CBackgroundProcess&) = delete;
    CBackgroundProcess& operator=(const CBackgroundProcess&) = delete;

    /// Starts the thread; false when it was started before or stopped.
    bool Resume();
    /// Interrupts and joins the thread; a stopped worker never starts again.
    void Stop();
    bool IsStarted() const { return m_started; }
    bool IsStopped() const { return m_stopped; }
    /// Work steps done so far.
    unsigned long GetPasses() const { return m_passes; }
    std::chrono::milliseconds GetInterval() const { return m_interval; }
    /// Only before Resume (tests use short intervals).
    void SetInterval(std::chrono::milliseconds interval) { m_interval = interval; }

protected:
    /// One step of work, run after each sleep. The base writes a line to the
    /// debugger output.
    virtual void OnIdle();

private:
    void Run();

    std::chrono::milliseconds m_interval;
    boost::mutex m_threadMutex;
    std::unique_ptr<boost::thread> m_thread;
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<unsigned long> m_passes{0};
};

}  // namespace vynui

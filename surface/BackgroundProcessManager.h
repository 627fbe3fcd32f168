#pragma once
// The starter: once per interval it starts the workers registered with it
// that have not been started yet. Registration may happen at any time.

#include <utility>
#include <vector>

#include "surface/BackgroundProcess.h"

namespace vynui {

class CInputEventStream;
class CRefinementProcess;

class CBackgroundProcessManager : public CBackgroundProcess {
public:
    explicit CBackgroundProcessManager(std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
    ~CBackgroundProcessManager() override;

    /// Appends a suspended worker (not owned); it is started on the next pass.
    void RegisterThread(CBackgroundProcess* thread);
    /// Starts every registered worker not started yet, in registration order.
    void StartPendingThreads();
    /// Workers registered and not started yet.
    unsigned int GetNumPending() const;
    unsigned int GetNumRegistered() const;

protected:
    void OnIdle() override { StartPendingThreads(); }

private:
    mutable boost::mutex m_listMutex;
    std::vector<std::pair<CBackgroundProcess*, bool>> m_threads;
};

/// Starts the starter and the refinement worker (which samples stream's idle
/// flag; the stream is not owned and must outlive StopBackgroundThreads).
/// Does nothing when they run already.
void StartBackgroundThreads(CInputEventStream* stream);
/// Stops and joins both; also done when the program ends.
void StopBackgroundThreads();
/// The running starter and refinement worker, or null.
CBackgroundProcessManager* GetBackgroundProcessManager();
CRefinementProcess* GetRefinementProcess();

}  // namespace vynui

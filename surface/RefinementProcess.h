#pragma once
// The refinement worker: wakes every interval (100 ms) and samples whether
// the user is interacting. It only reads the flag; surface work stays on the
// user-interface thread.

#include <atomic>

#include "surface/BackgroundProcess.h"

namespace vynui {

class CInputEventStream;

class CRefinementProcess : public CBackgroundProcess {
public:
    /// The stream is not owned; null samples nothing.
    explicit CRefinementProcess(CInputEventStream* stream,
                                std::chrono::milliseconds interval = std::chrono::milliseconds(100));
    ~CRefinementProcess() override;

    /// The idle flag as last sampled (true before the first sample).
    bool WasIdle() const { return m_idle; }
    unsigned long GetSamples() const { return m_samples; }

protected:
    void OnIdle() override;

private:
    CInputEventStream* m_stream;
    std::atomic<bool> m_idle{true};
    std::atomic<unsigned long> m_samples{0};
};

}  // namespace vynui

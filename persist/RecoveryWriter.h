#pragma once
// Writes recovery files on a worker thread, so that the user-interface
// thread only takes the snapshot. Work is done in the order it was asked
// for; a write that has not started yet is replaced by a newer one of the
// same file.

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>
#include <deque>
#include <filesystem>
#include <string>

namespace vynui {

class RecoveryWriter {
public:
    RecoveryWriter();
    /// Finishes the work asked for, then ends the thread.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    /// Writes text to path atomically (see WriteFileAtomically).
    void Write(const std::filesystem::path& path, std::string text);
    /// Removes path; a write of it still waiting is dropped.
    void Remove(const std::filesystem::path& path);
    /// Waits until everything asked for is done.
    void Flush();

    /// The reason of the last failed write since the last call; empty when
    /// none failed.
    std::string TakeError();
    /// Writes done so far (tests).
    int WritesDone() const;

private:
    struct Job {
        bool remove = false;
        std::filesystem::path path;
        std::string text;
    };
    void Run();

    mutable boost::mutex m_mutex;
    boost::condition_variable m_wake;
    boost::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::string m_error;
    int m_writes = 0;
    boost::thread m_thread;  // last: starts once the members above exist
};

}  // namespace vynui

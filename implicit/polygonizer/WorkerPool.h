#pragma once
// A few threads kept alive for the polygonizers' parallel parts: placing a
// block's edge vertices and evaluating a wave of lattice nodes are batches
// of independent field evaluations, too short to pay for starting threads.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vynimplicit {

class WorkerPool {
public:
    /// The pool every polygonizer shares: one worker fewer than the machine
    /// has cores, since the thread that asks works too.
    static WorkerPool& Shared();

    explicit WorkerPool(unsigned workers);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    /// Threads one Run can use: the workers and the caller.
    unsigned GetMaxThreads() const { return unsigned(m_threads.size()) + 1; }

    /// Calls task(t) for every t in [0, count) on at most `threads` threads,
    /// the caller's included, handing tasks out in order as threads come
    /// free, and returns when all are done. The tasks must be independent.
    /// While another batch holds the pool (another polygonizer, or a task
    /// itself asking), the caller runs them all alone. The first exception a
    /// task throws is thrown again here once the others are done.
    void Run(size_t count, unsigned threads, const std::function<void(size_t)>& task);

    /// The same in two steps: the workers start on the tasks at once, the
    /// caller may do other work meanwhile (that the tasks do not touch), and
    /// Finish runs what is left on the caller and waits for the rest. With
    /// no worker to be had, every task runs in Finish.
    class Batch {
    public:
        Batch(WorkerPool& pool, size_t count, unsigned threads, std::function<void(size_t)> task);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        void Finish();

    private:
        WorkerPool& m_pool;
        std::function<void(size_t)> m_task;
        size_t m_count;
        bool m_owner = false;  // holds the pool
        bool m_finished = false;
    };

private:
    // Hands the batch's tasks to the workers (the caller holds the pool).
    void Open(const std::function<void(size_t)>* task, size_t count, unsigned helpers);
    // Runs what is left on the caller, waits for the workers; the first fault.
    std::exception_ptr Close();
    void WorkerLoop(unsigned index);
    // Takes tasks of the current job until none are left.
    void Work();

    std::vector<std::thread> m_threads;
    std::atomic<bool> m_taken{false};  // a batch holds the pool
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::atomic<unsigned long long> m_generation{0};
    bool m_stop = false;
    // The current job, valid while m_open; workers join it under m_mutex.
    bool m_open = false;
    unsigned m_helpers = 0;             // workers allowed to join
    std::atomic<unsigned> m_active{0};  // workers inside it
    const std::function<void(size_t)>* m_task = nullptr;
    size_t m_count = 0;
    std::atomic<size_t> m_next{0};
    std::exception_ptr m_error;
};

}  // namespace vynimplicit

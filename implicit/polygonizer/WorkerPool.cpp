#include "implicit/polygonizer/WorkerPool.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace vynimplicit {

namespace {

void Pause()
{
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// Waiting for the next job or for the last tasks: a few microseconds of
// pauses, then yielding the core (a thread we wait for may be waiting for
// it, when other programs keep the cores busy) for a while, then sleeping.
// A polygonization asks in quick succession.
constexpr int SPIN_PAUSES = 256;
constexpr int YIELDS = 200;

template <class Done>
void WaitAWhile(Done done)
{
    for (int s = 0; s < SPIN_PAUSES && !done(); ++s) Pause();
    for (int y = 0; y < YIELDS && !done(); ++y) std::this_thread::yield();
}

}  // namespace

WorkerPool& WorkerPool::Shared()
{
    static WorkerPool pool(std::max(1u, std::thread::hardware_concurrency()) - 1);
    return pool;
}

WorkerPool::WorkerPool(unsigned workers)
{
    m_threads.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) m_threads.emplace_back([this, w] { WorkerLoop(w); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_generation.fetch_add(1, std::memory_order_release);
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads) t.join();
}

void WorkerPool::Work()
{
    for (;;) {
        const size_t t = m_next.fetch_add(1, std::memory_order_relaxed);
        if (t >= m_count) return;
        try {
            (*m_task)(t);
        } catch (...) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_error) m_error = std::current_exception();
            m_next.store(m_count, std::memory_order_relaxed);  // the rest is not worth doing
        }
    }
}

void WorkerPool::WorkerLoop(unsigned index)
{
    unsigned long long seen = 0;
    for (;;) {
        WaitAWhile([&] { return m_generation.load(std::memory_order_acquire) != seen; });
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [&] { return m_generation.load(std::memory_order_acquire) != seen; });
        seen = m_generation.load(std::memory_order_acquire);
        if (m_stop) return;
        if (!m_open || index >= m_helpers) continue;
        m_active.fetch_add(1, std::memory_order_relaxed);
        lock.unlock();
        Work();
        lock.lock();
        if (m_active.fetch_sub(1, std::memory_order_acq_rel) == 1) m_done.notify_one();
    }
}

void WorkerPool::Run(size_t count, unsigned threads, const std::function<void(size_t)>& task)
{
    Batch batch(*this, count, threads, task);
    batch.Finish();
}

WorkerPool::Batch::Batch(WorkerPool& pool, size_t count, unsigned threads, std::function<void(size_t)> task)
    : m_pool(pool), m_task(std::move(task)), m_count(count)
{
    const unsigned helpers = std::min(threads, pool.GetMaxThreads()) - (threads > 0 ? 1 : 0);
    if (count < 2 || helpers == 0) return;
    bool expected = false;
    m_owner = pool.m_taken.compare_exchange_strong(expected, true, std::memory_order_acquire);
    if (!m_owner) return;
    pool.Open(&m_task, count, unsigned(std::min<size_t>(helpers, count - 1)));
}

WorkerPool::Batch::~Batch()
{
    try {
        Finish();
    } catch (...) {
        // Finish was skipped by a fault of the caller's own; that one counts.
    }
}

void WorkerPool::Batch::Finish()
{
    if (m_finished) return;
    m_finished = true;
    if (!m_owner) {
        for (size_t t = 0; t < m_count; ++t) m_task(t);
        return;
    }
    std::exception_ptr error = m_pool.Close();
    m_pool.m_taken.store(false, std::memory_order_release);
    if (error) std::rethrow_exception(error);
}

void WorkerPool::Open(const std::function<void(size_t)>* task, size_t count, unsigned helpers)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_task = task;
        m_count = count;
        m_next.store(0, std::memory_order_relaxed);
        m_helpers = helpers;
        m_error = nullptr;
        m_open = true;
        m_generation.fetch_add(1, std::memory_order_release);
    }
    m_wake.notify_all();
}

std::exception_ptr WorkerPool::Close()
{
    Work();
    // Workers that have not joined yet never will; those inside finish the
    // task they hold, usually within microseconds.
    std::unique_lock<std::mutex> lock(m_mutex);
    m_open = false;
    lock.unlock();
    WaitAWhile([&] { return m_active.load(std::memory_order_acquire) == 0; });
    lock.lock();
    m_done.wait(lock, [&] { return m_active.load(std::memory_order_acquire) == 0; });
    m_task = nullptr;
    std::exception_ptr error = m_error;
    m_error = nullptr;
    return error;
}

}  // namespace vynimplicit

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

// Workers spin this many pauses (tens of microseconds) for the next job
// before they sleep: a polygonization asks in quick succession.
constexpr int SPIN_PAUSES = 20000;

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
        for (int s = 0; s < SPIN_PAUSES && m_generation.load(std::memory_order_acquire) == seen; ++s) Pause();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [&] { return m_generation.load(std::memory_order_acquire) != seen; });
        seen = m_generation.load(std::memory_order_acquire);
        if (m_stop) return;
        if (!m_open || index >= m_helpers) continue;
        ++m_active;
        lock.unlock();
        Work();
        lock.lock();
        if (--m_active == 0 && !m_open) m_done.notify_one();
    }
}

void WorkerPool::Run(size_t count, unsigned threads, const std::function<void(size_t)>& task)
{
    const unsigned helpers = std::min(threads, GetMaxThreads()) - (threads > 0 ? 1 : 0);
    std::unique_lock<std::mutex> busy(m_busy, std::try_to_lock);
    if (count < 2 || helpers == 0 || !busy.owns_lock()) {
        for (size_t t = 0; t < count; ++t) task(t);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_task = &task;
        m_count = count;
        m_next.store(0, std::memory_order_relaxed);
        m_helpers = unsigned(std::min<size_t>(helpers, count - 1));
        m_error = nullptr;
        m_open = true;
        m_generation.fetch_add(1, std::memory_order_release);
    }
    m_wake.notify_all();
    Work();
    std::exception_ptr error;
    {
        // Workers that have not joined yet never will; those inside finish
        // the task they hold.
        std::unique_lock<std::mutex> lock(m_mutex);
        m_open = false;
        m_done.wait(lock, [&] { return m_active == 0; });
        m_task = nullptr;
        error = m_error;
        m_error = nullptr;
    }
    if (error) std::rethrow_exception(error);
}

}  // namespace vynimplicit

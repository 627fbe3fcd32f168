#include "surface/BackgroundProcessManager.h"

#include <memory>

#include "surface/RefinementProcess.h"

namespace vynui {

CBackgroundProcessManager::CBackgroundProcessManager(std::chrono::milliseconds interval)
    : CBackgroundProcess(interval)
{
}

CBackgroundProcessManager::~CBackgroundProcessManager()
{
    Stop();
}

void CBackgroundProcessManager::RegisterThread(CBackgroundProcess* thread)
{
    if (!thread) return;
    boost::mutex::scoped_lock lock(m_listMutex);
    m_threads.emplace_back(thread, false);
}

void CBackgroundProcessManager::StartPendingThreads()
{
    boost::mutex::scoped_lock lock(m_listMutex);
    for (auto& entry : m_threads) {
        if (!entry.second) entry.first->Resume();
        entry.second = true;
    }
}

unsigned int CBackgroundProcessManager::GetNumPending() const
{
    boost::mutex::scoped_lock lock(m_listMutex);
    unsigned int pending = 0;
    for (const auto& entry : m_threads)
        if (!entry.second) ++pending;
    return pending;
}

unsigned int CBackgroundProcessManager::GetNumRegistered() const
{
    boost::mutex::scoped_lock lock(m_listMutex);
    return static_cast<unsigned int>(m_threads.size());
}

namespace {

struct BackgroundThreads {
    std::unique_ptr<CBackgroundProcessManager> starter;
    std::unique_ptr<CRefinementProcess> refinement;

    void Stop()
    {
        // The starter first, so it starts nothing while the worker stops.
        if (starter) starter->Stop();
        if (refinement) refinement->Stop();
        starter.reset();
        refinement.reset();
    }
    ~BackgroundThreads() { Stop(); }
};

boost::mutex g_threadsMutex;

BackgroundThreads& Threads()
{
    static BackgroundThreads threads;
    return threads;
}

}  // namespace

void StartBackgroundThreads(CInputEventStream* stream)
{
    boost::mutex::scoped_lock lock(g_threadsMutex);
    BackgroundThreads& threads = Threads();
    if (threads.starter) return;
    threads.starter.reset(new CBackgroundProcessManager());
    threads.starter->Resume();
    threads.refinement.reset(new CRefinementProcess(stream));
    threads.starter->RegisterThread(threads.refinement.get());
}

void StopBackgroundThreads()
{
    boost::mutex::scoped_lock lock(g_threadsMutex);
    Threads().Stop();
}

CBackgroundProcessManager* GetBackgroundProcessManager()
{
    boost::mutex::scoped_lock lock(g_threadsMutex);
    return Threads().starter.get();
}

CRefinementProcess* GetRefinementProcess()
{
    boost::mutex::scoped_lock lock(g_threadsMutex);
    return Threads().refinement.get();
}

}  // namespace vynui

// The starter and the refinement worker: registration, starting on the next
// pass, sampling the idle flag, and stopping promptly.

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "interact/InputEventStream.h"
#include "surface/BackgroundProcessManager.h"
#include "surface/RefinementProcess.h"
#include "wml/DebugOutput.h"

using std::chrono::milliseconds;
using vynui::CBackgroundProcess;
using vynui::CBackgroundProcessManager;
using vynui::CRefinementProcess;

namespace {

/// Waits (bounded) until done() holds.
template <class F>
bool WaitFor(F done, milliseconds limit = milliseconds(3000))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(milliseconds(2));
    }
    return true;
}

}  // namespace

TEST(BackgroundWorkers, AWorkerRegisteredLateStartsOnTheNextPass)
{
    CBackgroundProcessManager starter(milliseconds(30));
    ASSERT_TRUE(starter.Resume());
    EXPECT_FALSE(starter.Resume());
    ASSERT_TRUE(WaitFor([&] { return starter.GetPasses() >= 1; }));

    CRefinementProcess worker(nullptr, milliseconds(5));
    const unsigned long passesAtRegistration = starter.GetPasses();
    starter.RegisterThread(&worker);
    EXPECT_FALSE(worker.IsStarted());
    EXPECT_EQ(starter.GetNumPending(), 1u);
    ASSERT_TRUE(WaitFor([&] { return worker.IsStarted(); }));
    EXPECT_LE(starter.GetPasses(), passesAtRegistration + 2);
    EXPECT_EQ(starter.GetNumPending(), 0u);
    EXPECT_TRUE(WaitFor([&] { return worker.GetPasses() >= 3; }));
    starter.Stop();
    worker.Stop();
}

TEST(BackgroundWorkers, EntriesStartOnceAndStoppedWorkersNeverStart)
{
    CBackgroundProcessManager starter(milliseconds(1000));
    CRefinementProcess first(nullptr, milliseconds(1000)), stopped(nullptr, milliseconds(1000));
    starter.RegisterThread(&first);
    starter.RegisterThread(&stopped);
    starter.RegisterThread(nullptr);
    EXPECT_EQ(starter.GetNumRegistered(), 2u);
    stopped.Stop();
    starter.StartPendingThreads();
    starter.StartPendingThreads();
    EXPECT_TRUE(first.IsStarted());
    EXPECT_FALSE(stopped.IsStarted());
    EXPECT_EQ(starter.GetNumPending(), 0u);
    EXPECT_FALSE(first.Resume());
}

TEST(BackgroundWorkers, StopInterruptsTheSleepAndJoins)
{
    struct Case {
        const char* name;
        std::function<CBackgroundProcess*()> make;
    };
    const Case cases[] = {
        {"starter", [] { return new CBackgroundProcessManager(milliseconds(60000)); }},
        {"refinement worker", [] { return new CRefinementProcess(nullptr, milliseconds(60000)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CBackgroundProcess> process(c.make());
        ASSERT_TRUE(process->Resume());
        std::this_thread::sleep_for(milliseconds(20));
        const auto start = std::chrono::steady_clock::now();
        process->Stop();
        // A minute-long sleep was cut short.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_TRUE(process->IsStopped());
        EXPECT_EQ(process->GetPasses(), 0u);
        EXPECT_FALSE(process->Resume());
        process->Stop();
    }
    // Destroying a running worker stops it too.
    auto* running = new CRefinementProcess(nullptr, milliseconds(60000));
    running->Resume();
    delete running;
}

TEST(BackgroundWorkers, TheRefinementWorkerSamplesTheIdleFlag)
{
    vynui::CInputEventStream stream;
    CRefinementProcess worker(&stream, milliseconds(2));
    ASSERT_TRUE(worker.Resume());
    ASSERT_TRUE(WaitFor([&] { return worker.GetSamples() >= 2; }));
    EXPECT_TRUE(worker.WasIdle());
    stream.LeftDown(10, 10);
    unsigned long after = worker.GetSamples();
    ASSERT_TRUE(WaitFor([&] { return worker.GetSamples() >= after + 2; }));
    EXPECT_FALSE(worker.WasIdle());
    stream.LeftUp(10, 10);
    after = worker.GetSamples();
    ASSERT_TRUE(WaitFor([&] { return worker.GetSamples() >= after + 2; }));
    EXPECT_TRUE(worker.WasIdle());
    worker.Stop();
}

TEST(BackgroundWorkers, TheBaseWorkWritesItsIdleLine)
{
    std::atomic<int> lines{0};
    Wml::ScopedDebugOutputSink sink([&](const char* message) {
        if (std::string(message) == "Idle in Background Process") ++lines;
    });
    struct Plain : CBackgroundProcess {
        Plain() : CBackgroundProcess(milliseconds(2)) {}
        ~Plain() override { Stop(); }
    } plain;
    plain.Resume();
    EXPECT_TRUE(WaitFor([&] { return lines >= 2; }));
    plain.Stop();
}

TEST(BackgroundWorkers, StartAndStopThePairTheViewUses)
{
    vynui::CInputEventStream stream;
    vynui::StartBackgroundThreads(&stream);
    CBackgroundProcessManager* starter = vynui::GetBackgroundProcessManager();
    CRefinementProcess* worker = vynui::GetRefinementProcess();
    ASSERT_NE(starter, nullptr);
    ASSERT_NE(worker, nullptr);
    vynui::StartBackgroundThreads(&stream);
    EXPECT_EQ(vynui::GetBackgroundProcessManager(), starter);
    EXPECT_TRUE(starter->IsStarted());
    EXPECT_EQ(starter->GetInterval(), milliseconds(1000));
    EXPECT_EQ(worker->GetInterval(), milliseconds(100));
    // The starter's first pass, about a second later, starts the worker.
    EXPECT_TRUE(WaitFor([&] { return worker->IsStarted(); }, milliseconds(5000)));
    EXPECT_TRUE(WaitFor([&] { return worker->GetSamples() >= 1; }, milliseconds(5000)));
    vynui::StopBackgroundThreads();
    EXPECT_EQ(vynui::GetBackgroundProcessManager(), nullptr);
    EXPECT_EQ(vynui::GetRefinementProcess(), nullptr);
    vynui::StopBackgroundThreads();
}

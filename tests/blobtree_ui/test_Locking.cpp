// The model's lock: every parameter write holds it while the tree and the
// object's listeners are told, and every parameter read waits for it.

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <boost/thread/thread.hpp>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "scene/IParameter.h"
#include "test_BaseFixtures.h"

using namespace kilnform_test;
using vynui_bt::BlobTreeNodeSceneObject;

namespace {

const int kAllCodes[] = {1,  2,  3,  4,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                         17, 18, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52};

/// True when another thread cannot take the mutex right now.
bool HeldByThisThread(boost::recursive_mutex& mutex)
{
    bool taken = false;
    boost::thread probe([&] {
        taken = mutex.try_lock();
        if (taken) mutex.unlock();
    });
    probe.join();
    return !taken;
}

/// Checks, at every root report and every null object event, that the model
/// is locked by the notifying thread.
struct LockChecker : vynbt::RootNodeListener, vynui::SceneObjectListener {
    boost::recursive_mutex* mutex = nullptr;
    int rootCalls = 0, objectCalls = 0, unlocked = 0;
    std::string context;
    std::vector<std::string> failures;

    void Check()
    {
        if (!HeldByThisThread(*mutex)) {
            ++unlocked;
            failures.push_back(context);
        }
    }
    void OnChildModified(vynbt::BlobTreeNode*, const Wml::AxisAlignedBox3<float>&) override
    {
        ++rootCalls;
        Check();
    }
    void OnSceneObjectChanged(vynui::SceneObject*, const vynui::SceneObjectEvent* event) override
    {
        // Move events are sent by the generic frame operations after the hook
        // has released the model; only change notices come from the writes.
        if (event) return;
        ++objectCalls;
        Check();
    }
};

}  // namespace

TEST(ModelLock, ListenerThreadWaitsUntilTheWriteReturns)
{
    TestModel model;
    BlobTreeNodeSceneObject* point = model.NewPoint(Wml::Vector3<float>(0, 0, 0));
    model.factory->AttachSceneObject(model.Root(), point, -1);

    // A root listener that hands the change to a worker, as the surface
    // manager does; the worker must not get into the model before the write
    // is over.
    struct SpawningListener : vynbt::RootNodeListener {
        boost::recursive_mutex* mutex = nullptr;
        std::atomic<bool> listenerReturned{false};
        std::atomic<bool> tried{false};
        std::atomic<bool> gotInEarly{false};
        std::atomic<bool> tryLockSucceeded{false};
        std::atomic<bool> acquired{false};
        std::unique_ptr<boost::thread> worker;
        void OnChildModified(vynbt::BlobTreeNode*, const Wml::AxisAlignedBox3<float>&) override
        {
            if (worker) return;
            worker.reset(new boost::thread([this] {
                if (mutex->try_lock()) {
                    tryLockSucceeded = true;
                    mutex->unlock();
                }
                tried = true;
                boost::recursive_mutex::scoped_lock lock(*mutex);
                // The listener runs inside the write, under the lock: the
                // worker can only get in once the listener has returned.
                if (!listenerReturned) gotInEarly = true;
                acquired = true;
            }));
            // Wait (bounded) until the worker has tried, then give it time to
            // run into the lock; a busy machine may start it late.
            for (int i = 0; i < 1000 && !tried; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            listenerReturned = true;
        }
    } listener;
    listener.mutex = &model.tree->GetLock();
    model.Root()->GetRootNode()->AddListener(&listener);

    point->GetParameterList()->Find("Position")->SetValueFromText("1 2 3");
    ASSERT_TRUE(listener.worker);
    listener.worker->join();
    EXPECT_TRUE(listener.tried);
    EXPECT_FALSE(listener.tryLockSucceeded);
    EXPECT_FALSE(listener.gotInEarly);
    EXPECT_TRUE(listener.acquired);
    EXPECT_TRUE(kftest::Near(point->GetFrame().Origin(), Wml::Vector3<float>(1, 2, 3), 1e-4f));
    model.Root()->GetRootNode()->RemoveListener(&listener);
}

TEST(ModelLock, EveryParameterWriteNotifiesUnderTheLock)
{
    TestModel model;
    LockChecker checker;
    checker.mutex = &model.tree->GetLock();
    model.Root()->GetRootNode()->AddListener(&checker);

    std::vector<BlobTreeNodeSceneObject*> objects;
    for (int code : kAllCodes) {
        BlobTreeNodeSceneObject* object = model.factory->CreateAndAttach(nullptr, code, -1);
        ASSERT_NE(object, nullptr) << code;
        // Operators get something to work on.
        if (object->GetNode()->IsCompositionNode()) model.factory->CreateAndAttach(object, 1, -1);
        object->AddListener(&checker);
        objects.push_back(object);
    }
    int writes = 0;
    for (BlobTreeNodeSceneObject* object : objects) {
        for (vynui::IParameter* parameter : object->GetParameterList()->GetParameters()) {
            const std::string name = parameter->GetName();
            if (name == "Name") continue;  // renaming is the framework's, not the model's
            checker.context = std::string(object->GetTypeName()) + " / " + name;
            if (parameter->GetType() == 5) {
                parameter->SetValueFromText(name == "Scale" ? "1 1 1" : "0.25 0.5 0");
                ++writes;
            } else if (WriteAnotherValue(parameter)) {
                ++writes;
            }
        }
    }
    for (BlobTreeNodeSceneObject* object : objects) object->RemoveListener(&checker);
    model.Root()->GetRootNode()->RemoveListener(&checker);

    EXPECT_GT(writes, 100);
    EXPECT_GT(checker.rootCalls, 50);
    EXPECT_GT(checker.objectCalls, 20);
    EXPECT_EQ(checker.unlocked, 0);
    for (const std::string& failure : checker.failures)
        ADD_FAILURE() << "notified without the lock: " << failure;
}

TEST(ModelLock, EveryParameterReadWaitsForTheLock)
{
    TestModel model;
    std::vector<BlobTreeNodeSceneObject*> objects;
    for (int code : kAllCodes) {
        BlobTreeNodeSceneObject* object = model.factory->CreateAndAttach(nullptr, code, -1);
        ASSERT_NE(object, nullptr) << code;
        objects.push_back(object);
    }
    boost::recursive_mutex& mutex = model.tree->GetLock();
    int checked = 0;
    for (BlobTreeNodeSceneObject* object : objects) {
        for (vynui::IParameter* parameter : object->GetParameterList()->GetParameters()) {
            const std::string name = parameter->GetName();
            if (name == "Name") continue;
            // A twist, taper or bend answers a fixed frame: nothing of the
            // model is read for its frame parameters.
            const int code = object->GetTypeCode();
            if (code >= 47 && code <= 49 && parameter->GetType() == 5) continue;
            std::atomic<bool> done{false};
            boost::thread reader;
            {
                boost::recursive_mutex::scoped_lock hold(mutex);
                reader = boost::thread([&] {
                    std::string text;
                    if (parameter->GetType() == 5)
                        parameter->GetVectorValue(text);
                    else if (parameter->GetType() == 1)
                        (void)parameter->GetFloatValue();
                    else
                        (void)parameter->GetIntValue();
                    done = true;
                });
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                EXPECT_FALSE(done) << object->GetTypeName() << " / " << name << " read without the lock";
            }
            reader.join();
            EXPECT_TRUE(done);
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

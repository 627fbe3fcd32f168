// The model's lock and the surface lock: readers through the thread-safe
// field never see a half-edited tree, and change notices, which arrive under
// the model's lock, never wait for the surface lock (it always comes first).

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include <boost/thread/thread.hpp>

#include "blobtree_ui/ThreadSafeScalarField.h"
#include "test_SurfaceSupport.h"

using namespace surface_test;

namespace {

/// Edits the model many times through the factory and the parameters:
/// adds, moves, resizes and removes points under a blend.
void EditManyTimes(Scene& scene, int edits, unsigned int seed, int readEvery)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(-2.0f, 2.0f);
    BlobTreeNodeSceneObject* blend = scene.model.Add(nullptr, 9);
    std::vector<BlobTreeNodeSceneObject*> points;
    for (int i = 0; i < edits; ++i) {
        const int kind = points.size() < 3 ? 0 : static_cast<int>(rng() % 4);
        if (kind == 0) {
            points.push_back(scene.model.AddPoint(blend, coordinate(rng), coordinate(rng), 0, 0.8f));
        } else if (kind == 1) {
            Model::Move(points[rng() % points.size()], coordinate(rng), coordinate(rng), coordinate(rng));
        } else if (kind == 2) {
            Model::Set(points[rng() % points.size()], "Radius", std::to_string(0.5f + 0.1f * (rng() % 8)));
        } else {
            const size_t index = rng() % points.size();
            scene.model.Remove(points[index]);
            points.erase(points.begin() + index);
        }
        if (readEvery > 0 && i % readEvery == 0) scene.Read();
    }
}

struct ReaderResult {
    long reads = 0;
    long badValues = 0;
    long badBounds = 0;
};

/// Reads values and bounds through the thread-safe field until told to stop;
/// with holdSurfaceLock each batch of reads runs inside the surface lock.
void ReadUntilStopped(vynui_bt::ThreadSafeScalarField& field, vynui::CSurfaceManager* manager,
                      std::atomic<bool>& stop, ReaderResult& result)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coordinate(-3.0f, 3.0f);
    while (!stop) {
        std::unique_ptr<boost::recursive_mutex::scoped_lock> surfaceLock;
        if (manager) surfaceLock.reset(new boost::recursive_mutex::scoped_lock(manager->GetSurfaceLock()));
        for (int i = 0; i < 20; ++i) {
            const float v = field.Value(coordinate(rng), coordinate(rng), coordinate(rng));
            if (!std::isfinite(v) || v < 0.0f || v > 1.0f) ++result.badValues;
            Wml::AxisAlignedBox3<float> box;
            field.FieldBounds(box);
            if (!box.IsEmpty()) {
                for (int a = 0; a < 3; ++a)
                    if (!std::isfinite(box.Min(a)) || !std::isfinite(box.Max(a)) || box.Min(a) > box.Max(a))
                        ++result.badBounds;
            }
            ++result.reads;
        }
    }
}

}  // namespace

TEST(SurfaceLocks, ReadersThroughTheSafeFieldNeverSeeAHalfEditedTree)
{
    struct Case {
        const char* name;
        bool holdSurfaceLock;
        int readEvery;
    };
    const Case cases[] = {{"plain reader", false, 0}, {"reader inside the surface lock", true, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        vynui_bt::ThreadSafeScalarField field(scene.model.tree, scene.model.Root());
        std::atomic<bool> stop{false};
        ReaderResult result;
        boost::thread reader(
            [&] { ReadUntilStopped(field, c.holdSurfaceLock ? &scene.manager : nullptr, stop, result); });
        EditManyTimes(scene, 3000, 11, c.readEvery);
        stop = true;
        reader.join();
        EXPECT_GT(result.reads, 0);
        EXPECT_EQ(result.badValues, 0);
        EXPECT_EQ(result.badBounds, 0);
        // The surface followed the edits all the same.
        CachingScope exact(false);
        const vynmesh::VFTriangleMesh& mesh = scene.Read();
        EXPECT_LT(MaxIsoError(mesh, *scene.model.Root()), 0.02f);
    }
}

TEST(SurfaceLocks, ChangeNoticesDoNotWaitForTheSurfaceLock)
{
    struct Case {
        const char* name;
        std::function<void(Scene&, BlobTreeNodeSceneObject*)> edit;
    };
    const Case cases[] = {
        {"move", [](Scene&, BlobTreeNodeSceneObject* p) { Model::Move(p, 0.5f, 0, 0); }},
        {"add", [](Scene& s, BlobTreeNodeSceneObject*) { s.model.AddPoint(nullptr, 2, 0, 0, 1); }},
        {"remove", [](Scene& s, BlobTreeNodeSceneObject* p) { s.model.Remove(p); }},
        {"cutting plane",
         [](Scene& s, BlobTreeNodeSceneObject*) {
             // The scene manager tells its listeners while it holds the model.
             boost::recursive_mutex::scoped_lock lock(s.model.Lock());
             s.model.Root()->EnableCuttingPlane(true);
             s.manager.OnCuttingPlaneSet(Wml::Frame3<float>());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        BlobTreeNodeSceneObject* point = scene.model.AddPoint(nullptr, 0, 0, 0, 1);
        scene.Read();
        std::atomic<bool> held{false}, release{false}, released{false};
        boost::thread holder([&] {
            boost::recursive_mutex::scoped_lock lock(scene.manager.GetSurfaceLock());
            held = true;
            // Bounded: a notice that waited for this lock gets it after 5 s.
            for (int i = 0; i < 500 && !release; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            released = true;
        });
        while (!held) std::this_thread::yield();
        c.edit(scene, point);
        const bool finishedWhileHeld = !released;
        release = true;
        holder.join();
        EXPECT_TRUE(finishedWhileHeld);
        EXPECT_FALSE(scene.Surface()->IsValid());
    }
}

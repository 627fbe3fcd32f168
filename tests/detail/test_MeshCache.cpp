// The mesh cache: meshes made on request from the shape's own field, remade
// after the shape (or a shape inside it) changes, forgotten on removal.

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "detail/MeshCache.h"
#include "detail/MeshSceneObject.h"
#include "implicit/mesh/IMeshUtil.h"
#include "scene/BillboardSO.h"
#include "tests/blobtree_ui/test_BaseFixtures.h"
#include "tests/detail/test_DetailSupport.h"
#include "tests/support/TempFolder.h"

namespace {

using kilnform_test::TestModel;
using vynui::MeshCache;
using vynui::SceneObject;
using V3 = Wml::Vector3<float>;

V3 Centre(const vynmesh::IMesh& mesh)
{
    const Wml::AxisAlignedBox3<float> box = vynmesh::IMeshUtil::BoundingBox(mesh);
    return (box.MinCorner() + box.MaxCorner()) * 0.5f;
}

bool Listens(SceneObject* object, MeshCache* cache)
{
    return object->GetListeners().count(cache) != 0;
}

TEST(MeshCache, MakesTheShapesMeshOnceAndKeepsIt)
{
    TestModel model;
    std::unique_ptr<vynui_bt::BlobTreeNodeSceneObject> point(model.NewPoint(V3(1, 2, 3)));
    MeshCache cache;
    EXPECT_FALSE(cache.HasCurrentMesh(point.get()));

    const vynmesh::VFTriangleMesh* mesh = cache.GetMesh(point.get());
    ASSERT_NE(mesh, nullptr);
    EXPECT_GT(mesh->GetNumTriangles(), 20u);
    EXPECT_TRUE(kftest::Near(Centre(*mesh), V3(1, 2, 3), 0.05f));
    EXPECT_TRUE(cache.HasCurrentMesh(point.get()));
    EXPECT_EQ(cache.GetBuildCount(), 1u);

    // Asking again costs nothing.
    EXPECT_EQ(cache.GetMesh(point.get()), mesh);
    EXPECT_EQ(cache.GetBuildCount(), 1u);
    EXPECT_EQ(cache.GetNumMeshes(), 1u);
}

TEST(MeshCache, AnswersNothingForObjectsWithoutASurface)
{
    MeshCache cache;
    vynui::BillboardSO billboard;
    EXPECT_EQ(cache.GetMesh(nullptr), nullptr);
    EXPECT_EQ(cache.GetMesh(&billboard), nullptr);
    EXPECT_EQ(cache.GetNumMeshes(), 0u);
    EXPECT_FALSE(Listens(&billboard, &cache));
}

TEST(MeshCache, EveryKindOfChangeMakesANewMesh)
{
    struct Case {
        const char* name;
        std::function<void(SceneObject*)> change;
        V3 expectedCentre;
        float expectedWidthFactor;
    };
    const Case cases[] = {
        {"translate", [](SceneObject* o) { o->Translate(V3(1.5f, 0, 0), true); }, V3(1.5f, 0, 0), 1},
        {"move to", [](SceneObject* o) { o->Translate(V3(0, -2, 1), false); }, V3(0, -2, 1), 1},
        {"rotate", [](SceneObject* o) { o->Rotate(kilnform_test::RotationZ(0.5f), true); }, V3(0, 0, 0), 1},
        {"scale", [](SceneObject* o) { o->Scale(2, 2, 2, true, true); }, V3(0, 0, 0), 2},
        {"other change", [](SceneObject* o) { o->Notify(nullptr); }, V3(0, 0, 0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModel model;
        std::unique_ptr<vynui_bt::BlobTreeNodeSceneObject> point(model.NewPoint(V3(0, 0, 0)));
        MeshCache cache;
        const vynmesh::VFTriangleMesh* mesh = cache.GetMesh(point.get());
        ASSERT_NE(mesh, nullptr);
        const float width = vynmesh::IMeshUtil::BoundingBox(*mesh).Extent(0);

        c.change(point.get());
        EXPECT_FALSE(cache.HasCurrentMesh(point.get()));
        const vynmesh::VFTriangleMesh* again = cache.GetMesh(point.get());
        EXPECT_EQ(again, mesh);  // the same storage, refilled
        EXPECT_EQ(cache.GetBuildCount(), 2u);
        EXPECT_TRUE(kftest::Near(Centre(*again), c.expectedCentre, 0.05f));
        EXPECT_NEAR(vynmesh::IMeshUtil::BoundingBox(*again).Extent(0), c.expectedWidthFactor * width,
                    0.1f * width);
    }
}

TEST(MeshCache, AShapeInsideAnOperatorChangesTheOperatorsMesh)
{
    TestModel model;
    auto* blend = model.NewBlend();
    auto* a = model.NewPoint(V3(-2, 0, 0));
    auto* b = model.NewPoint(V3(2, 0, 0));
    model.factory->AttachSceneObject(nullptr, blend, -1);  // under the root, which deletes it
    ASSERT_TRUE(model.factory->AttachSceneObject(blend, a, -1));
    ASSERT_TRUE(model.factory->AttachSceneObject(blend, b, -1));

    MeshCache cache;
    const vynmesh::VFTriangleMesh* whole = cache.GetMesh(blend);
    ASSERT_NE(whole, nullptr);
    EXPECT_TRUE(kftest::Near(Centre(*whole), V3(0, 0, 0), 0.05f));
    cache.GetMesh(a);

    b->Translate(V3(0, 3, 0), true);
    EXPECT_FALSE(cache.HasCurrentMesh(blend));
    EXPECT_TRUE(cache.HasCurrentMesh(a));  // its own field did not change
    const Wml::AxisAlignedBox3<float> box = vynmesh::IMeshUtil::BoundingBox(*cache.GetMesh(blend));
    EXPECT_GT(box.Max(1), 2.5f);

    // A change the objects do not report (a child added) is passed on by hand.
    cache.Invalidate(a);
    EXPECT_FALSE(cache.HasCurrentMesh(a));
    EXPECT_FALSE(cache.HasCurrentMesh(blend));
}

TEST(MeshCache, DroppingAnObjectForgetsItAndStopsListening)
{
    TestModel model;
    auto* blend = model.NewBlend();
    auto* a = model.NewPoint(V3(-1, 0, 0));
    auto* b = model.NewPoint(V3(1, 0, 0));
    model.factory->AttachSceneObject(nullptr, blend, -1);
    ASSERT_TRUE(model.factory->AttachSceneObject(blend, a, -1));
    ASSERT_TRUE(model.factory->AttachSceneObject(blend, b, -1));

    MeshCache cache;
    cache.GetMesh(blend);
    cache.GetMesh(a);
    cache.GetMesh(b);
    ASSERT_EQ(cache.GetNumMeshes(), 3u);

    // Removing one shape: its mesh goes, the operator's mesh is stale and no
    // longer follows the removed shape.
    cache.DropMesh(b);
    EXPECT_EQ(cache.GetNumMeshes(), 2u);
    EXPECT_FALSE(cache.HasCurrentMesh(b));
    EXPECT_FALSE(cache.HasCurrentMesh(blend));
    EXPECT_TRUE(cache.HasCurrentMesh(a));
    EXPECT_FALSE(Listens(b, &cache));
    delete b;  // the cache must not touch it again
    a->Translate(V3(0, 1, 0), true);
    cache.GetMesh(blend);
    EXPECT_TRUE(cache.HasCurrentMesh(blend));

    // Removing the operator takes the shapes below it along.
    cache.DropMesh(blend);
    EXPECT_EQ(cache.GetNumMeshes(), 0u);
    EXPECT_FALSE(Listens(blend, &cache));
    EXPECT_FALSE(Listens(a, &cache));

    // Dropping what has no mesh is harmless.
    cache.DropMesh(a);
    cache.DropMesh(nullptr);
}

TEST(MeshCache, GoingAwayStopsListening)
{
    TestModel model;
    std::unique_ptr<vynui_bt::BlobTreeNodeSceneObject> point(model.NewPoint(V3(0, 0, 0)));
    {
        MeshCache cache;
        cache.GetMesh(point.get());
        EXPECT_TRUE(Listens(point.get(), &cache));
    }
    EXPECT_TRUE(point->GetListeners().empty());
    point->Translate(V3(1, 0, 0), true);  // nobody left to call
}

TEST(MeshCache, AnObjectMadeWhereAnUndroppedOneWasGetsItsOwnMesh)
{
    // A scene torn down without dropping its meshes may leave an address to a
    // new object: the cache must not answer the old object's mesh for it.
    TestModel model;
    MeshCache cache;
    alignas(
        vynui_bt::BlobTreeNodeSceneObject) unsigned char storage[sizeof(vynui_bt::BlobTreeNodeSceneObject)];
    auto make = [&](const V3& p) {
        auto* o = new (storage) vynui_bt::BlobTreeNodeSceneObject(
            new vynbt::PointNode(new vynimplicit::Point(p, 1.0f)), 1, "TestPoint");
        o->SetTree(model.tree);
        o->InitializeParameters();
        return o;
    };
    vynui_bt::BlobTreeNodeSceneObject* first = make(V3(0, 0, 0));
    cache.GetMesh(first);
    first->~BlobTreeNodeSceneObject();

    vynui_bt::BlobTreeNodeSceneObject* second = make(V3(3, 0, 0));
    ASSERT_EQ(static_cast<void*>(first), static_cast<void*>(second));
    EXPECT_TRUE(kftest::Near(Centre(*cache.GetMesh(second)), V3(3, 0, 0), 0.05f));
    EXPECT_TRUE(Listens(second, &cache));
    second->Translate(V3(0, 2, 0), true);
    EXPECT_TRUE(kftest::Near(Centre(*cache.GetMesh(second)), V3(3, 2, 0), 0.05f));
    cache.DropMesh(second);
    second->~BlobTreeNodeSceneObject();
}

TEST(MeshCache, CellSize)
{
    TestModel model;
    std::unique_ptr<vynui_bt::BlobTreeNodeSceneObject> point(model.NewPoint(V3(0, 0, 0)));
    MeshCache cache;
    const unsigned coarse = cache.GetMesh(point.get())->GetNumTriangles();

    const float refused[] = {0.0f, -1.0f, NAN, INFINITY};
    for (float value : refused) {
        EXPECT_FALSE(cache.SetCellSize(value)) << value;
        EXPECT_FLOAT_EQ(cache.GetCellSize(), 0.1f);
    }
    EXPECT_TRUE(cache.HasCurrentMesh(point.get()));

    ASSERT_TRUE(cache.SetCellSize(0.05f));
    EXPECT_FALSE(cache.HasCurrentMesh(point.get()));
    EXPECT_GT(cache.GetMesh(point.get())->GetNumTriangles(), 2 * coarse);

    ASSERT_TRUE(cache.SetCellSize(1e-6f));
    EXPECT_FLOAT_EQ(cache.GetCellSize(), 0.001f);
}

TEST(MeshCache, ImportedMeshesAreGivenInTheWorld)
{
    kftest::TempFolder folder("meshcache");
    std::string error;
    std::unique_ptr<vynui::MeshSceneObject> mesh(
        vynui::MeshSceneObject::Import(folder.Write("cube.obj", kilnform_test::CubeOBJ()), error));
    ASSERT_NE(mesh, nullptr) << error;
    mesh->Translate(V3(3, 0, 0), true);

    MeshCache cache;
    const vynmesh::VFTriangleMesh* world = cache.GetMesh(mesh.get());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->GetNumTriangles(), 12u);
    EXPECT_TRUE(kftest::Near(Centre(*world), V3(3, 0, 0)));

    mesh->Scale(2, 1, 1, true, false);
    EXPECT_FALSE(cache.HasCurrentMesh(mesh.get()));
    const Wml::AxisAlignedBox3<float> box = vynmesh::IMeshUtil::BoundingBox(*cache.GetMesh(mesh.get()));
    EXPECT_NEAR(box.Extent(0), 2.0f, 1e-5f);
    EXPECT_NEAR(box.Extent(1), 1.0f, 1e-5f);
}

TEST(MeshCache, SelectionSurfaceShowsTheLeavesOfAnOperator)
{
    TestModel model;
    auto* outer = model.NewBlend();
    auto* inner = model.NewBlend();
    auto* a = model.NewPoint(V3(-2, 0, 0));
    auto* b = model.NewPoint(V3(2, 0, 0));
    auto* c = model.NewPoint(V3(0, 3, 0));
    model.factory->AttachSceneObject(nullptr, outer, -1);
    ASSERT_TRUE(model.factory->AttachSceneObject(outer, a, -1));
    ASSERT_TRUE(model.factory->AttachSceneObject(outer, inner, -1));
    ASSERT_TRUE(model.factory->AttachSceneObject(inner, b, -1));
    ASSERT_TRUE(model.factory->AttachSceneObject(inner, c, -1));
    auto* empty = model.NewBlend();
    model.factory->AttachSceneObject(nullptr, empty, -1);

    MeshCache cache;
    struct Case {
        const char* name;
        SceneObject* object;
        std::vector<SceneObject*> shapes;
    };
    const Case cases[] = {
        {"leaf", a, {a}},
        {"operator", outer, {a, b, c}},
        {"inner operator", inner, {b, c}},
        {"empty operator", empty, {}},
        {"nothing", nullptr, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        std::vector<const vynmesh::VFTriangleMesh*> meshes;
        cache.GetShapeMeshes(k.object, meshes);
        ASSERT_EQ(meshes.size(), k.shapes.size());
        for (size_t i = 0; i < meshes.size(); ++i) EXPECT_EQ(meshes[i], cache.GetMesh(k.shapes[i]));
    }
    EXPECT_FALSE(cache.HasCurrentMesh(outer));  // operators themselves are not polygonized for it
}

}  // namespace

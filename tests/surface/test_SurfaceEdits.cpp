// Surfaces follow the edits of their tree: after every kind of edit the next
// read gives what a fresh polygonization of the edited tree gives, several
// edits cost one polygonization, and the bounded mode redoes only the region
// that changed while it is small.

#include <functional>

#include "test_SurfaceSupport.h"

using namespace surface_test;

namespace {

/// Three points under a sum blend (whose field caches), spread along x.
struct EditedScene : Scene {
    BlobTreeNodeSceneObject* blend = nullptr;
    BlobTreeNodeSceneObject* points[3] = {nullptr, nullptr, nullptr};

    EditedScene()
    {
        blend = model.Add(nullptr, 9);
        for (int i = 0; i < 3; ++i) points[i] = model.AddPoint(blend, 3.0f * i, 0, 0, 1.0f);
    }
};

struct Edit {
    const char* name;
    std::function<void(EditedScene&)> apply;
};

const Edit kEdits[] = {
    {"add", [](EditedScene& s) { s.model.AddPoint(s.blend, 1.5f, 1.2f, 0.0f, 0.8f); }},
    {"move", [](EditedScene& s) { Model::Move(s.points[1], 3.0f, 0.4f, 0.2f); }},
    {"parameter", [](EditedScene& s) { Model::Set(s.points[2], "Radius", "1.3"); }},
    {"remove", [](EditedScene& s) { s.model.Remove(s.points[1]); }},
    {"cutting plane",
     [](EditedScene& s) {
         Wml::Frame3<float> plane(Wml::Vector3<float>(0, 0, 0.2f));
         {
             boost::recursive_mutex::scoped_lock lock(s.model.Lock());
             s.model.Root()->SetCuttingPlane(plane);
             s.model.Root()->EnableCuttingPlane(true);
         }
         // As the scene manager tells its change listeners.
         s.manager.OnCuttingPlaneSet(plane);
     }},
};

}  // namespace

TEST(SurfaceEdits, NextReadEqualsAFreshPolygonizationWithCachingOff)
{
    CachingScope caching(false);
    for (const Edit& edit : kEdits) {
        SCOPED_TRACE(edit.name);
        EditedScene scene;
        const vynmesh::VFTriangleMesh before = scene.Read();
        ASSERT_GT(before.GetNumTriangles(), 100u);
        edit.apply(scene);
        EXPECT_FALSE(scene.Surface()->IsValid());
        const vynmesh::VFTriangleMesh& mesh = scene.Read();
        vynmesh::VFTriangleMesh fresh;
        FreshPolygonization(scene.model.Root(), scene.manager.GetSettings(), fresh);
        EXPECT_TRUE(SameTriangles(mesh, fresh, 1e-5f));
        EXPECT_FALSE(SameTriangles(mesh, before, 1e-5f));
    }
}

TEST(SurfaceEdits, WithCachingOnTheMeshStaysClosedAndOnTheSurface)
{
    CachingScope caching(true);
    for (const Edit& edit : kEdits) {
        SCOPED_TRACE(edit.name);
        EditedScene scene;
        scene.Read();
        edit.apply(scene);
        const vynmesh::VFTriangleMesh& mesh = scene.Read();
        ASSERT_GT(mesh.GetNumTriangles(), 100u);
        // The cutting plane opens the solid only where it cuts; the mesh is
        // still closed (the cap lies just inside the plane).
        EXPECT_TRUE(vynmesh::IMeshUtil::IsClosedManifold(mesh));
        CachingScope exact(false);
        EXPECT_LT(MaxIsoError(mesh, *scene.model.Root()), 0.02f);
        vynmesh::VFTriangleMesh fresh;
        FreshPolygonization(scene.model.Root(), scene.manager.GetSettings(), fresh);
        const float ratio = float(mesh.GetNumTriangles()) / float(fresh.GetNumTriangles());
        EXPECT_NEAR(ratio, 1.0f, 0.05f);
    }
}

TEST(SurfaceEdits, SeveralEditsBetweenReadsPolygonizeOnce)
{
    for (bool bounded : {false, true}) {
        SCOPED_TRACE(bounded ? "bounded" : "whole");
        EditedScene scene;
        scene.Surface()->SetBounded(bounded);
        scene.Read();
        const unsigned int updates = scene.Surface()->GetUpdateCount();
        Model::Move(scene.points[0], 0.2f, 0, 0);
        Model::Set(scene.points[2], "Radius", "0.9");
        EXPECT_EQ(scene.Surface()->GetUpdateCount(), updates);
        scene.Read();
        scene.Read();
        EXPECT_EQ(scene.Surface()->GetUpdateCount(), updates + 1);
    }
}

namespace {

/// Collects the regions the root reports.
struct RegionRecorder : vynbt::RootNodeListener {
    Wml::AxisAlignedBox3<float> all;
    void OnChildModified(vynbt::BlobTreeNode*, const Wml::AxisAlignedBox3<float>& region) override
    {
        all.Merge(region);
    }
};

/// Four points along x, straight under the root.
struct RowScene : Scene {
    BlobTreeNodeSceneObject* points[4] = {nullptr, nullptr, nullptr, nullptr};
    RowScene()
    {
        manager.SetAlgorithm(vynui::BoundedMarchingCubes);
        for (int i = 0; i < 4; ++i) points[i] = model.AddPoint(nullptr, 3.0f * i, 0, 0, 1.0f);
    }
};

}  // namespace

TEST(SurfaceEdits, BoundedModeRedoesOnlyTheUnionOfSmallChanges)
{
    RowScene scene;
    ASSERT_TRUE(scene.Surface()->IsBounded());
    scene.Read();
    EXPECT_EQ(scene.Surface()->GetLastRun(), vynui::IsoSurfaceMesh::LastRun::Full);

    RegionRecorder recorder;
    scene.model.Root()->AddListener(&recorder);
    Model::Set(scene.points[0], "Radius", "1.1");
    Model::Move(scene.points[1], 3.0f, 0.1f, 0);
    scene.model.Root()->RemoveListener(&recorder);

    Wml::AxisAlignedBox3<float> field;
    scene.model.Root()->FieldBounds(field);
    ASSERT_LT(recorder.all.Volume(), 0.5f * field.Volume());
    const Wml::AxisAlignedBox3<float> dirty = scene.Surface()->GetDirtyBox();
    for (int a = 0; a < 3; ++a) {
        EXPECT_FLOAT_EQ(dirty.Min(a), recorder.all.Min(a));
        EXPECT_FLOAT_EQ(dirty.Max(a), recorder.all.Max(a));
    }

    const vynmesh::VFTriangleMesh& mesh = scene.Read();
    EXPECT_EQ(scene.Surface()->GetLastRun(), vynui::IsoSurfaceMesh::LastRun::Partial);
    for (int a = 0; a < 3; ++a) {
        EXPECT_FLOAT_EQ(scene.Surface()->GetLastUpdateBox().Min(a), recorder.all.Min(a));
        EXPECT_FLOAT_EQ(scene.Surface()->GetLastUpdateBox().Max(a), recorder.all.Max(a));
    }
    EXPECT_TRUE(scene.Surface()->GetDirtyBox().IsEmpty());
    EXPECT_TRUE(vynmesh::IMeshUtil::IsClosedManifold(mesh));
    EXPECT_LT(MaxIsoError(mesh, *scene.model.Root()), 0.01f);
    vynmesh::VFTriangleMesh fresh;
    FreshPolygonization(scene.model.Root(), scene.manager.GetSettings(), fresh);
    EXPECT_NEAR(float(mesh.GetNumTriangles()) / float(fresh.GetNumTriangles()), 1.0f, 0.03f);
}

TEST(SurfaceEdits, BoundedModeRebuildsWhenTheChangeCoversOverHalf)
{
    RowScene scene;
    scene.Read();
    // From one end of the row to the other: the union of old and new bounds
    // spans the whole field.
    Model::Move(scene.points[0], 9.0f, 2.5f, 0);
    Wml::AxisAlignedBox3<float> field;
    scene.model.Root()->FieldBounds(field);
    ASSERT_GT(scene.Surface()->GetDirtyBox().Volume(), 0.5f * field.Volume());
    const vynmesh::VFTriangleMesh& mesh = scene.Read();
    EXPECT_EQ(scene.Surface()->GetLastRun(), vynui::IsoSurfaceMesh::LastRun::Full);
    EXPECT_TRUE(vynmesh::IMeshUtil::IsClosedManifold(mesh));
    EXPECT_LT(MaxIsoError(mesh, *scene.model.Root()), 0.01f);
}

TEST(SurfaceEdits, BoundedModeRebuildsWhenASettingChanged)
{
    RowScene scene;
    scene.Read();
    Model::Set(scene.points[0], "Radius", "1.1");
    scene.manager.GetSettings().edgeBisections = 6;
    scene.Read();
    EXPECT_EQ(scene.Surface()->GetLastRun(), vynui::IsoSurfaceMesh::LastRun::Full);
    // A new cell size sets the lattice up again.
    scene.manager.OnCommand("Finer Mesh");
    scene.Read();
    EXPECT_EQ(scene.Surface()->GetLastRun(), vynui::IsoSurfaceMesh::LastRun::Full);
    EXPECT_FLOAT_EQ(scene.manager.GetSettings().previousCellSize, scene.manager.GetSettings().cellSize);
    // Nothing changed: a re-polygonization request redoes an empty region.
    scene.manager.RepolygonizeAll();
    scene.Read();
    EXPECT_EQ(scene.Surface()->GetLastRun(), vynui::IsoSurfaceMesh::LastRun::Partial);
}

TEST(SurfaceEdits, ChangesOfAnotherTreeAreIgnored)
{
    EditedScene scene;
    Model other;
    scene.Read();
    const unsigned int updates = scene.Surface()->GetUpdateCount();
    other.Root()->AddListener(&scene.manager);
    other.AddPoint(nullptr, 1, 1, 1, 1);
    other.Root()->RemoveListener(&scene.manager);
    EXPECT_TRUE(scene.Surface()->IsValid());
    scene.Read();
    EXPECT_EQ(scene.Surface()->GetUpdateCount(), updates);
}

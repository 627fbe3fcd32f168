// The surface manager's commands, settings, refinement and chains, the
// surface's point queries and records, and the settings dialogs.

#include <cmath>
#include <limits>
#include <utility>

#include "surface/MeshRefinementDialogModel.h"
#include "surface/PolygonizerControlDialogModel.h"
#include "surface/SurfaceIntersector.h"
#include "test_SurfaceSupport.h"
#include "wml/DebugOutput.h"
#include "wml/Serializer.h"

using namespace surface_test;
using vynui::IsoSurfaceMesh;
using vynui::SurfaceTreeNode;

namespace {

/// One unit sphere (a point of radius 1) at the origin.
struct SphereScene : Scene {
    BlobTreeNodeSceneObject* point = nullptr;
    SphereScene() { point = model.AddPoint(nullptr, 0, 0, 0, 1.0f); }
};

struct CountingListener : vynui::ISurfaceManagerListener {
    int resets = 0;
    std::vector<std::pair<SurfaceTreeNode**, SurfaceTreeNode*>> changes;
    void OnSurfacesReset() override { ++resets; }
    void OnSurfaceChanged(SurfaceTreeNode** slot, SurfaceTreeNode* node) override
    {
        changes.emplace_back(slot, node);
    }
};

// Where the falloff (1 - r^2)^3 is 0.5 for a unit radius.
const float kSurfaceRadius = 0.454202f;

}  // namespace

// ---- cell size ---------------------------------------------------------------

TEST(SurfaceManagerCellSize, CommandsAndScalingFloorAtOneThousandth)
{
    struct Case {
        float start;
        std::function<void(vynui::CSurfaceManager&)> change;
        float expected;
        const char* name;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {0.001f, [](vynui::CSurfaceManager& m) { m.OnCommand("Finer Mesh"); }, 0.001f, "finer at the floor"},
        {0.1f, [](vynui::CSurfaceManager& m) { m.OnCommand("Coarser Mesh"); }, 0.11f, "coarser"},
        {0.1f, [](vynui::CSurfaceManager& m) { m.OnCommand("Finer Mesh"); }, 0.09f, "finer"},
        {0.1f, [](vynui::CSurfaceManager& m) { m.ScaleCellSizeDown(0.5f, false); }, 0.001f,
         "subtract past zero"},
        {0.1f, [](vynui::CSurfaceManager& m) { m.ScaleCellSizeUp(0.05f, false); }, 0.15f, "add"},
        {0.1f, [](vynui::CSurfaceManager& m) { m.ScaleCellSizeDown(0.5f, true); }, 0.05f, "halve"},
        {0.1f, [nan](vynui::CSurfaceManager& m) { m.ScaleCellSizeUp(nan, true); }, 0.1f, "not a number"},
        {0.1f,
         [](vynui::CSurfaceManager& m) { m.ScaleCellSizeUp(std::numeric_limits<float>::infinity(), false); },
         0.1f, "infinite"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SphereScene scene;
        scene.manager.GetSettings().cellSize = c.start;
        c.change(scene.manager);
        EXPECT_NEAR(scene.manager.GetSettings().cellSize, c.expected, 1e-6f);
    }
}

TEST(SurfaceManagerCellSize, ScalingRepolygonizesAndTellsListeners)
{
    SphereScene scene;
    CountingListener listener;
    scene.manager.AddListener(&listener);
    const unsigned int coarse = scene.Read().GetNumTriangles();
    listener.changes.clear();
    scene.manager.OnCommand("Finer Mesh");
    EXPECT_FALSE(scene.Surface()->IsValid());
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(listener.changes.back().first, nullptr);
    EXPECT_EQ(listener.changes.back().second, scene.Surface());
    EXPECT_GT(scene.Read().GetNumTriangles(), coarse);
    scene.manager.RemoveListener(&listener);
}

TEST(SurfaceManagerCommands, HandlesItsCommandsOnly)
{
    vynui::CSurfaceManager manager;
    int shown = 0;
    manager.SetShowDialogRequest([&] { ++shown; });
    manager.GetSettings().edgeBisections = 12;
    EXPECT_TRUE(manager.OnCommand("Polygonizer Control"));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(manager.GetPolygonizerDialog().edgeBisectionsText, "12");
    EXPECT_FALSE(manager.OnCommand("Refine Mesh"));
    vynui::CommandState state;
    EXPECT_TRUE(manager.OnUpdateCommand("Coarser Mesh", state));
    EXPECT_TRUE(state.enabled);
    EXPECT_FALSE(manager.OnUpdateCommand("Open", state));
}

// ---- algorithms and refinement ----------------------------------------------

TEST(SurfaceManagerAlgorithms, MarchingTrianglesKeepsEachSurfacesPolygonizer)
{
    for (bool bounded : {false, true}) {
        SCOPED_TRACE(bounded ? "bounded before" : "whole before");
        SphereScene scene;
        scene.manager.SetAlgorithm(bounded ? vynui::BoundedMarchingCubes : vynui::ExtendedMarchingCubes);
        scene.Read();
        const unsigned int updates = scene.Surface()->GetUpdateCount();
        vynui::PolygonizerControlDialogModel& dialog = scene.manager.GetPolygonizerDialog();
        dialog.Load(scene.manager);
        dialog.algorithm = vynui::MarchingTriangles;
        std::string message;
        ASSERT_TRUE(dialog.Apply(scene.manager, &message)) << message;
        EXPECT_EQ(scene.manager.GetAlgorithm(), vynui::MarchingTriangles);
        EXPECT_EQ(scene.Surface()->IsBounded(), bounded);
        EXPECT_EQ(scene.manager.GetSettings().extendedMarchingCubes, !bounded);
        EXPECT_FALSE(scene.Surface()->IsValid());
        scene.Read();
        EXPECT_EQ(scene.Surface()->GetUpdateCount(), updates + 1);
        EXPECT_EQ(scene.Surface()->GetLastRun(),
                  bounded ? IsoSurfaceMesh::LastRun::Partial : IsoSurfaceMesh::LastRun::Csg);
    }
}

TEST(SurfaceManagerAlgorithms, ApplySetsTheExtendedFlagAndBoundedMode)
{
    struct Case {
        vynui::PolygonizerAlgorithm algorithm;
        bool extended, bounded;
    };
    const Case cases[] = {{vynui::ExtendedMarchingCubes, true, false},
                          {vynui::MarchingCubes, false, false},
                          {vynui::BoundedMarchingCubes, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(vynui::GetAlgorithmName(c.algorithm));
        SphereScene scene;
        scene.manager.GetSettings().extendedMarchingCubes = !c.extended;
        scene.Surface()->SetBounded(!c.bounded);
        vynui::PolygonizerControlDialogModel dialog;
        dialog.Load(scene.manager);
        dialog.algorithm = c.algorithm;
        ASSERT_TRUE(dialog.Apply(scene.manager));
        EXPECT_EQ(scene.manager.GetSettings().extendedMarchingCubes, c.extended);
        EXPECT_EQ(scene.Surface()->IsBounded(), c.bounded);
        const vynmesh::VFTriangleMesh& mesh = scene.Read();
        EXPECT_TRUE(vynmesh::IMeshUtil::IsClosedManifold(mesh));
        EXPECT_EQ(scene.Surface()->GetLastRun(),
                  c.bounded ? IsoSurfaceMesh::LastRun::Full : IsoSurfaceMesh::LastRun::Csg);
    }
}

TEST(SurfaceManagerRefinement, AlwaysQuickRefineRunsOncePerEditWithoutANotice)
{
    CachingScope caching(false);
    SphereScene scene;
    CountingListener listener;
    scene.manager.AddListener(&listener);

    // Without quick refine: the notices a plain polygonization sends.
    scene.Read();
    Model::Set(scene.point, "Radius", "1.1");
    listener.changes.clear();
    scene.Read();
    const size_t plainNotices = listener.changes.size();

    scene.manager.SetAlwaysQuickRefine(true);
    Model::Set(scene.point, "Radius", "1.2");
    const unsigned int updates = scene.Surface()->GetUpdateCount();
    listener.changes.clear();
    const vynmesh::VFTriangleMesh refined = scene.Read();
    EXPECT_EQ(scene.Surface()->GetUpdateCount(), updates + 1);
    EXPECT_EQ(listener.changes.size(), plainNotices);
    vynmesh::VFTriangleMesh fresh;
    FreshPolygonization(scene.model.Root(), scene.manager.GetSettings(), fresh);
    EXPECT_EQ(refined.GetNumTriangles(), fresh.GetNumTriangles());
    EXPECT_FALSE(SameTriangles(refined, fresh, 1e-5f)) << "the vertices were not moved";
    EXPECT_LT(MaxIsoError(refined, *scene.model.Root()), 0.02f);

    // A second read neither polygonizes nor refines.
    listener.changes.clear();
    const vynmesh::VFTriangleMesh& again = scene.Read();
    EXPECT_EQ(scene.Surface()->GetUpdateCount(), updates + 1);
    EXPECT_TRUE(SameTriangles(again, refined, 0.0f));
    EXPECT_TRUE(listener.changes.empty());
    scene.manager.RemoveListener(&listener);
}

TEST(SurfaceManagerRefinement, RefiningTellsListenersOnceAndKeepsTheSurfaceValid)
{
    SphereScene scene;
    const vynmesh::VFTriangleMesh before = scene.Read();
    CountingListener listener;
    scene.manager.AddListener(&listener);
    scene.manager.RefineAllSurfaces(0, 0, 0, 0, 0, 0, true);
    EXPECT_TRUE(scene.Surface()->IsValid());
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].second, scene.Surface());
    const vynmesh::VFTriangleMesh& after = scene.Read();
    EXPECT_EQ(after.GetNumTriangles(), 4 * before.GetNumTriangles());
    EXPECT_TRUE(vynmesh::IMeshUtil::IsClosedManifold(after));
    // Picking sees the moved vertices, not the tree of the old mesh.
    EXPECT_FALSE(scene.Surface()->GetOwnBVTree()->IsBuilt());
    scene.manager.RemoveListener(&listener);
}

TEST(SurfaceManagerRefinement, BoundedSurfacesAndUnknownObjectsAreLeftAlone)
{
    SphereScene scene;
    scene.manager.SetAlgorithm(vynui::BoundedMarchingCubes);
    const vynmesh::VFTriangleMesh before = scene.Read();
    CountingListener listener;
    scene.manager.AddListener(&listener);
    scene.manager.RefineAllSurfaces(2, 2, 2, 5, 3, 2, true);
    scene.manager.QuickRefine();
    vynui::RefinementRequest stranger;
    Model other;
    stranger.sceneObject = other.tree;
    stranger.rSteps = 5;
    scene.manager.RefineSurface(stranger);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_TRUE(SameTriangles(scene.Read(), before, 0.0f));
    scene.manager.RemoveListener(&listener);
}

TEST(SurfaceManagerRefinement, RefinementDialogResetsChecksAndRunsInOrder)
{
    SphereScene scene;
    const unsigned int triangles = scene.Read().GetNumTriangles();
    vynui::MeshRefinementDialogModel dialog;
    dialog.rText = "7";
    dialog.subdivideOnce = true;
    dialog.Reset();
    EXPECT_EQ(dialog.rText, "0");
    EXPECT_FALSE(dialog.subdivideOnce);

    const char* refused[] = {"501", "-1", "abc", "", "2.5"};
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        dialog.Reset();
        dialog.subdivideOnce = true;
        dialog.znText = text;
        std::string message;
        EXPECT_FALSE(dialog.OnOK(scene.manager, &message));
        EXPECT_EQ(message, "Please enter an integer between 0 and 500.");
        EXPECT_EQ(scene.Read().GetNumTriangles(), triangles);
    }
    dialog.Reset();
    dialog.subdivideOnce = true;
    dialog.rText = "500";
    dialog.zText = "2";
    EXPECT_TRUE(dialog.OnOK(scene.manager));
    EXPECT_EQ(scene.Read().GetNumTriangles(), 4 * triangles);
    EXPECT_LT(MaxIsoError(scene.Read(), *scene.model.Root()), 0.02f);
}

// ---- the settings dialog ----------------------------------------------------

TEST(PolygonizerDialog, OutOfRangeValuesAreRefusedAndNothingIsApplied)
{
    struct Case {
        bool control;
        const char* cells;
        const char* bisections;
        const char* iso;
        const char* message;  // null: accepted
    };
    const Case cases[] = {
        {true, "0", "8", "0.5", "Please enter an integer between 1 and 1000."},
        {true, "1001", "8", "0.5", "Please enter an integer between 1 and 1000."},
        {true, "x", "8", "0.5", "Please enter an integer between 1 and 1000."},
        {false, "0", "8", "0.5", nullptr},
        {true, "1000", "8", "0.5", nullptr},
        {false, "", "0", "0.5", "Please enter an integer between 1 and 100."},
        {false, "", "101", "0.5", "Please enter an integer between 1 and 100."},
        {false, "", "-3", "0.5", "Please enter an integer between 1 and 100."},
        {false, "", "100", "-100", nullptr},
        {false, "", "8", "100.5", "Please enter a number between -100 and 100."},
        {false, "", "8", "nan", "Please enter a number between -100 and 100."},
        {false, "", "8", "1e40", "Please enter a number between -100 and 100."},
        {false, "", "8", "0.5x", "Please enter a number between -100 and 100."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cells) + " / " + c.bisections + " / " + c.iso);
        SphereScene scene;
        scene.Read();
        const vynui::PolygonizerSettings before = scene.manager.GetSettings();
        vynui::PolygonizerControlDialogModel dialog;
        dialog.Load(scene.manager);
        dialog.gridResolutionControl = c.control;
        EXPECT_EQ(dialog.IsGridCellsEnabled(), c.control);
        dialog.gridCellsText = c.cells;
        dialog.edgeBisectionsText = c.bisections;
        dialog.isoValueText = c.iso;
        dialog.alwaysQuickRefine = true;
        dialog.algorithm = vynui::BoundedMarchingCubes;
        std::string message;
        const bool applied = dialog.Apply(scene.manager, &message);
        if (c.message) {
            EXPECT_FALSE(applied);
            EXPECT_EQ(message, c.message);
            const vynui::PolygonizerSettings& after = scene.manager.GetSettings();
            EXPECT_EQ(after.gridResolutionControl, before.gridResolutionControl);
            EXPECT_EQ(after.gridCells, before.gridCells);
            EXPECT_EQ(after.edgeBisections, before.edgeBisections);
            EXPECT_EQ(after.isoValue, before.isoValue);
            EXPECT_FALSE(scene.manager.GetAlwaysQuickRefine());
            EXPECT_EQ(scene.manager.GetAlgorithm(), vynui::MarchingCubes);
            EXPECT_TRUE(scene.Surface()->IsValid());
        } else {
            EXPECT_TRUE(applied) << message;
            EXPECT_TRUE(scene.manager.GetAlwaysQuickRefine());
            EXPECT_EQ(scene.manager.GetAlgorithm(), vynui::BoundedMarchingCubes);
            EXPECT_FALSE(scene.Surface()->IsValid());
        }
    }
}

TEST(PolygonizerDialog, ApplyCopiesTheFieldsBack)
{
    SphereScene scene;
    vynui::PolygonizerControlDialogModel dialog;
    dialog.Load(scene.manager);
    EXPECT_EQ(dialog.isoValueText, "0.5");
    EXPECT_EQ(dialog.edgeBisectionsText, "8");
    EXPECT_FALSE(dialog.gridResolutionControl);
    EXPECT_EQ(dialog.algorithm, vynui::MarchingCubes);

    // Cells are taken only while the grid control is on.
    dialog.gridCellsText = "40";
    dialog.edgeBisectionsText = "5";
    dialog.isoValueText = " 0.45 ";
    ASSERT_TRUE(dialog.Apply(scene.manager));
    EXPECT_EQ(scene.manager.GetSettings().gridCells, 0u);
    EXPECT_EQ(scene.manager.GetSettings().edgeBisections, 5u);
    EXPECT_FLOAT_EQ(scene.manager.GetSettings().isoValue, 0.45f);

    dialog.gridResolutionControl = true;
    ASSERT_TRUE(dialog.Apply(scene.manager));
    EXPECT_TRUE(scene.manager.GetSettings().gridResolutionControl);
    EXPECT_EQ(scene.manager.GetSettings().gridCells, 40u);
    const vynmesh::VFTriangleMesh& mesh = scene.Read();
    EXPECT_TRUE(vynmesh::IMeshUtil::IsClosedManifold(mesh));
    // The 0.45 level of a unit point lies outside its 0.5 level.
    Wml::Vector3<float> p;
    mesh.GetVertex(0, p);
    EXPECT_GT(p.Length(), kSurfaceRadius);
}

// ---- point queries -----------------------------------------------------------

TEST(IsoSurfaceQueries, ProjectToSurfaceLandsOnTheLevelWithTheOutwardNormal)
{
    SphereScene scene;
    IsoSurfaceMesh* surface = scene.Surface();
    const Wml::Vector3<float> starts[] = {
        Wml::Vector3<float>(0.8f, 0, 0), Wml::Vector3<float>(0.1f, 0.05f, 0),
        Wml::Vector3<float>(0, -0.3f, 0.3f), Wml::Vector3<float>(0, 0, -0.6f)};
    for (const Wml::Vector3<float>& start : starts) {
        Wml::Vector3<float> position, normal;
        unsigned int triangle = 0;
        surface->ProjectToSurface(start, position, normal, triangle);
        EXPECT_EQ(triangle, vynmesh::IMesh::InvalidID);
        EXPECT_NEAR(scene.model.Root()->Value(position.X(), position.Y(), position.Z()), 0.5f, 0.002f);
        EXPECT_NEAR(position.Length(), kSurfaceRadius, 0.005f);
        EXPECT_NEAR(normal.Length(), 1.0f, 1e-4f);
        EXPECT_GT(normal.Dot(start), 0.99f * start.Length());
    }
}

TEST(IsoSurfaceQueries, APointOnTheSurfaceIsReturnedUnchanged)
{
    SphereScene scene;
    const Wml::Vector3<float> on(kSurfaceRadius, 0, 0);
    ASSERT_LT(std::fabs(scene.model.Root()->Value(on.X(), on.Y(), on.Z()) - 0.5f), 0.001f);
    Wml::Vector3<float> position, normal;
    unsigned int triangle = 0;
    scene.Surface()->ProjectToSurface(on, position, normal, triangle);
    EXPECT_EQ(position, on);
    EXPECT_TRUE(kftest::Near(normal, Wml::Vector3<float>(1, 0, 0), 1e-3f));
}

TEST(IsoSurfaceQueries, AnchorCoordinatesRoundTripOntoTheSurface)
{
    SphereScene scene;
    IsoSurfaceMesh* surface = scene.Surface();
    vynui::AnchorCoordinate coordinate;
    const Wml::Vector3<float> p(0.2f, 0.3f, 0.1f);
    ASSERT_TRUE(surface->ToAnchorCoordinate(p, coordinate));
    EXPECT_EQ(coordinate.node, surface);
    EXPECT_FALSE(coordinate.derived);
    Wml::AxisAlignedBox3<float> bounds;
    scene.model.Root()->FieldBounds(bounds);
    EXPECT_TRUE(kftest::Near(coordinate.position, p - bounds.MinCorner(), 1e-6f));
    Wml::Vector3<float> position, normal;
    ASSERT_TRUE(surface->FromAnchorCoordinate(&coordinate, position, normal));
    EXPECT_NEAR(position.Length(), kSurfaceRadius, 0.005f);
    EXPECT_GT(normal.Dot(p), 0.0f);
    EXPECT_FALSE(surface->FromAnchorCoordinate(nullptr, position, normal));
}

TEST(IsoSurfaceQueries, RaysHitTheSurfaceAndTheIntersectorUsesTheChainTop)
{
    SphereScene scene;
    struct Case {
        Wml::Vector3<float> origin, direction;
        bool hits;
    };
    const Case cases[] = {
        {Wml::Vector3<float>(-5, 0, 0), Wml::Vector3<float>(1, 0, 0), true},
        {Wml::Vector3<float>(0, 3, 0), Wml::Vector3<float>(0, -2, 0), true},
        {Wml::Vector3<float>(-5, 2, 0), Wml::Vector3<float>(1, 0, 0), false},
        {Wml::Vector3<float>(-5, 0, 0), Wml::Vector3<float>(-1, 0, 0), false},
    };
    vynui::SurfaceIntersector intersector;
    intersector.SetTargetNode(scene.Surface());
    for (const Case& c : cases) {
        Wml::Vector3<float> hit, normal;
        unsigned int triangle = 0;
        EXPECT_EQ(scene.Surface()->IntersectRay(c.origin, c.direction, hit, normal, triangle), c.hits);
        EXPECT_EQ(triangle, vynmesh::IMesh::InvalidID);
        Wml::Vector3<float> point, n2;
        EXPECT_EQ(intersector.Intersect(Wml::Ray3<float>(c.origin, c.direction), point, n2), c.hits);
        if (!c.hits) continue;
        EXPECT_NEAR(hit.Length(), kSurfaceRadius, 0.01f);
        EXPECT_LT(normal.Dot(c.direction), 0.0f);
        EXPECT_TRUE(kftest::Near(point, hit, 1e-5f));
    }
}

// ---- chains ------------------------------------------------------------------

TEST(SurfaceChains, PushThenRemoveRestoresTheFormerTop)
{
    SphereScene scene;
    CountingListener listener;
    scene.manager.AddListener(&listener);
    SurfaceTreeNode derived;
    ASSERT_TRUE(scene.manager.PushNode(0, &derived));
    EXPECT_EQ(scene.manager.GetChainTop(0), &derived);
    EXPECT_EQ(derived.GetChild(), scene.Surface());
    EXPECT_EQ(scene.Surface()->GetParent(), &derived);
    EXPECT_TRUE(derived.IsDerived());
    EXPECT_EQ(derived.GetValidator(), &scene.manager);
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(listener.changes.back().first, &listener.changes.back().first[0]);
    EXPECT_EQ(*listener.changes.back().first, &derived);

    // The top derives its copy from the bottom.
    const vynmesh::VFTriangleMesh& copy = scene.Read();
    EXPECT_TRUE(derived.IsCopyCurrent());
    EXPECT_TRUE(SameTriangles(copy, scene.Surface()->GetResultMesh(), 0.0f));
    EXPECT_EQ(&copy, derived.GetOwnMesh());

    // An edit below makes the copy stale; the next read refreshes it.
    Model::Set(scene.point, "Radius", "1.4");
    EXPECT_FALSE(derived.IsCopyCurrent());
    const unsigned int grown = scene.Read().GetNumTriangles();
    EXPECT_GT(grown, copy.GetNumTriangles() / 2);
    EXPECT_TRUE(SameTriangles(scene.Read(), scene.Surface()->GetResultMesh(), 0.0f));

    // The bottom is never removed.
    EXPECT_FALSE(scene.manager.RemoveNode(0, scene.Surface()));
    ASSERT_TRUE(scene.manager.RemoveNode(0, &derived));
    EXPECT_EQ(scene.manager.GetChainTop(0), scene.Surface());
    EXPECT_EQ(scene.Surface()->GetParent(), nullptr);
    EXPECT_FALSE(derived.IsValid());
    EXPECT_EQ(derived.GetValidator(), nullptr);
    EXPECT_EQ(derived.GetChild(), nullptr);
    EXPECT_EQ(derived.GetParent(), nullptr);
    EXPECT_FALSE(derived.HasListener(&scene.manager));
    scene.manager.RemoveListener(&listener);
}

TEST(SurfaceChains, ReplaceAndRemoveInTheMiddleRelinkTheChain)
{
    SphereScene scene;
    SurfaceTreeNode lower, upper, replacement;
    scene.manager.PushNode(0, &lower);
    scene.manager.PushNode(0, &upper);
    scene.Read();
    ASSERT_TRUE(scene.manager.ReplaceNode(0, &lower, &replacement));
    EXPECT_EQ(upper.GetChild(), &replacement);
    EXPECT_EQ(replacement.GetParent(), &upper);
    EXPECT_EQ(replacement.GetChild(), scene.Surface());
    EXPECT_EQ(scene.Surface()->GetParent(), &replacement);
    EXPECT_EQ(lower.GetValidator(), nullptr);
    EXPECT_EQ(scene.manager.GetChainTop(0), &upper);

    CountingListener listener;
    scene.manager.AddListener(&listener);
    ASSERT_TRUE(scene.manager.RemoveNode(0, &replacement));
    EXPECT_EQ(upper.GetChild(), scene.Surface());
    EXPECT_EQ(scene.Surface()->GetParent(), &upper);
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(listener.changes.back().second, &upper);
    EXPECT_TRUE(SameTriangles(scene.Read(), scene.Surface()->GetResultMesh(), 0.0f));
    scene.manager.RemoveNode(0, &upper);
    scene.manager.RemoveListener(&listener);
}

TEST(SurfaceChains, InvalidationTravelsUpAndListenersHearTransitions)
{
    SphereScene scene;
    SurfaceTreeNode top;
    scene.manager.PushNode(0, &top);
    struct Recorder : vynui::SurfaceTreeNodeListener {
        std::vector<bool> events;
        void OnNodeChanged(SurfaceTreeNode*, bool valid) override { events.push_back(valid); }
    } recorder;
    scene.Surface()->AddListener(&recorder);
    scene.Read();
    EXPECT_EQ(recorder.events, std::vector<bool>({true}));
    scene.Surface()->Invalidate(true);
    EXPECT_TRUE(scene.Surface()->IsValid());
    EXPECT_FALSE(top.IsCopyCurrent());
    scene.Surface()->Invalidate(false);
    scene.Surface()->Invalidate(false);
    EXPECT_EQ(recorder.events, std::vector<bool>({true, true, false}));
    scene.Surface()->RemoveListener(&recorder);
    scene.manager.RemoveNode(0, &top);
}

TEST(SurfaceChains, SelectionNoticesResetListenersAndDroppedSurfacesGo)
{
    Model model;
    vynui::CSurfaceManager manager;
    CountingListener listener;
    manager.AddListener(&listener);
    manager.AddSceneSurface(model.tree);
    manager.AddSceneSurface(model.tree);
    EXPECT_EQ(manager.GetNumChains(), 1u);
    EXPECT_EQ(model.Root()->GetNumListeners(), 1u);
    manager.OnSelectionChanged(vynui::OrderedObjectSet());
    manager.OnSelectionPicked(vynui::OrderedObjectSet());
    EXPECT_EQ(listener.resets, 2);
    EXPECT_TRUE(manager.RemoveSceneSurface(model.tree));
    EXPECT_FALSE(manager.RemoveSceneSurface(model.tree));
    EXPECT_EQ(manager.GetNumChains(), 0u);
    EXPECT_EQ(manager.GetChainTop(0), nullptr);
    EXPECT_EQ(model.Root()->GetNumListeners(), 0u);
    EXPECT_EQ(listener.resets, 3);
    // Edits after the surface went reach no one.
    model.AddPoint(nullptr, 0, 0, 0, 1);
    manager.RemoveListener(&listener);
}

// ---- records -----------------------------------------------------------------

TEST(SurfaceRecords, StoreWritesLinksAndRestoreRefusesHostileFudges)
{
    SphereScene scene;
    SurfaceTreeNode top;
    scene.manager.PushNode(0, &top);
    top.SetBoundsClipFudge(1.5f);
    Wml::SerializerRecord record(1, "SurfaceTreeNode");
    ASSERT_TRUE(top.Store(nullptr, &record));
    unsigned int parent = 0, child = 0;
    EXPECT_TRUE(record.GetValue("ParentID", parent, 0u));
    EXPECT_TRUE(record.GetValue("ChildID", child, 0u));
    const unsigned int none = vynui::NamedType::UNASSIGNED_ID;
    EXPECT_EQ(parent, none);
    EXPECT_EQ(child, scene.Surface()->GetID());

    SurfaceTreeNode restored;
    ASSERT_TRUE(restored.Restore(nullptr, &record));
    EXPECT_FLOAT_EQ(restored.GetBoundsClipFudge(), 1.5f);
    EXPECT_EQ(restored.GetName(), top.GetName());

    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -1.0f, 0.0f, 1e30f};
    for (float fudge : hostile) {
        SCOPED_TRACE(fudge);
        Wml::SerializerRecord bad(2, "SurfaceTreeNode");
        bad.SetValue("Name", "Hostile");
        bad.SetValue("BoundsClipFudge", fudge);
        SurfaceTreeNode node;
        EXPECT_FALSE(node.Restore(nullptr, &bad));
        EXPECT_FLOAT_EQ(node.GetBoundsClipFudge(), 1.0f);
        EXPECT_NE(node.GetName(), "Hostile");
    }
    Wml::SerializerRecord wrongKind(3, "SurfaceTreeNode");
    wrongKind.SetValue("Name", "Text");
    wrongKind.SetValue("BoundsClipFudge", "large");
    SurfaceTreeNode node;
    EXPECT_FALSE(node.Restore(nullptr, &wrongKind));
    EXPECT_FALSE(node.Restore(nullptr, nullptr));
    scene.manager.RemoveNode(0, &top);
}

// ---- process-wide instance and diagnostics ------------------------------------

TEST(SurfaceManagerCommands, OneProcessWideManager)
{
    vynui::CSurfaceManager* manager = vynui::GetSurfaceManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(vynui::GetSurfaceManager(), manager);
    EXPECT_EQ(manager->GetAlgorithm(), vynui::MarchingCubes);
    EXPECT_FLOAT_EQ(manager->GetSettings().cellSize, 0.1f);
    EXPECT_FLOAT_EQ(manager->GetSettings().previousCellSize, -1.0f);
    EXPECT_EQ(manager->GetSettings().edgeBisections, 8u);
    EXPECT_FALSE(manager->GetAlwaysQuickRefine());
    EXPECT_TRUE(manager->GetSelectionColouring());
}

TEST(SurfaceManagerCommands, EachPolygonizationWritesItsTimingLine)
{
    std::vector<std::string> lines;
    Wml::ScopedDebugOutputSink sink([&](const char* message) { lines.push_back(message); });
    SphereScene scene;
    const vynmesh::VFTriangleMesh& mesh = scene.Read();
    scene.Read();
    ASSERT_EQ(lines.size(), 1u);
    double seconds = -1;
    int vertices = -1, triangles = -1;
    ASSERT_EQ(
        std::sscanf(lines[0].c_str(), "  Time: %lf   Verts: %d  Tris: %d\n", &seconds, &vertices, &triangles),
        3)
        << lines[0];
    EXPECT_GE(seconds, 0.0);
    EXPECT_EQ(vertices, static_cast<int>(mesh.GetNumVertices()));
    EXPECT_EQ(triangles, static_cast<int>(mesh.GetNumTriangles()));
    EXPECT_EQ(lines[0].back(), '\n');
}

TEST(SurfaceChains, AListenerMayDropASurfaceWhileSurfacesAreRedone)
{
    Model first, second;
    vynui::CSurfaceManager manager;
    manager.AddSceneSurface(first.tree);
    manager.AddSceneSurface(second.tree);
    // Drops both models' surfaces when told about the first change.
    struct Dropper : vynui::ISurfaceManagerListener {
        vynui::CSurfaceManager* manager = nullptr;
        std::vector<vynui_bt::BlobTreeSceneObject*> models;
        int changes = 0;
        void OnSurfaceChanged(SurfaceTreeNode**, SurfaceTreeNode*) override
        {
            ++changes;
            for (auto* model : models) manager->RemoveSceneSurface(model);
        }
    } dropper;
    dropper.manager = &manager;
    dropper.models = {first.tree, second.tree};
    manager.AddListener(&dropper);
    manager.RepolygonizeAll();
    EXPECT_EQ(dropper.changes, 1);
    EXPECT_EQ(manager.GetNumChains(), 0u);
    manager.RemoveListener(&dropper);
}

// The live scene end to end: edits made through the scene manager (as menus,
// gestures and handles make them) reach the surface manager, and the next
// read of the displayed surface equals a fresh polygonization of the edited
// tree, in both polygonizer modes.

#include <functional>

#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"
#include "interact/ConstraintTarget.h"
#include "scene/SceneManager.h"
#include "test_SurfaceSupport.h"

using namespace surface_test;

namespace {

struct LiveScene {
    vynui::CSceneManager scene;
    vynui::CSurfaceManager surfaces;
    BlobTreeNodeSceneObject* blend = nullptr;
    BlobTreeNodeSceneObject* points[3] = {nullptr, nullptr, nullptr};

    explicit LiveScene(vynui::PolygonizerAlgorithm algorithm)
    {
        scene.AddChangeListener(&surfaces);
        surfaces.SetAlgorithm(algorithm);
        surfaces.AddSceneSurface(scene.GetModel());
        blend = scene.AddNode(9, nullptr, false);
        for (int i = 0; i < 3; ++i) {
            points[i] = scene.AddNode(1, blend, false);
            Model::Move(points[i], 2.5f * float(i), 0.0f, 0.0f);
        }
    }
    ~LiveScene() { surfaces.RemoveSceneSurface(scene.GetModel()); }

    vynbt::RootNode* Root() { return scene.GetModel()->GetRootSceneObject()->GetRootNode(); }
    const vynmesh::VFTriangleMesh& Read() { return *surfaces.GetChainTop(0)->GetMesh(); }
};

struct SceneEdit {
    const char* name;
    std::function<void(LiveScene&)> apply;
};

const SceneEdit kSceneEdits[] = {
    {"add a point", [](LiveScene& s) { s.scene.AddNode(1, s.blend, true); }},
    {"handle drag",
     [](LiveScene& s) {
         // What a vector handle's step does to its target.
         vynui::ConstraintTarget target(s.points[1]);
         target.Translate(Wml::Vector3<float>(0.0f, 0.45f, 0.1f));
     }},
    {"parameter", [](LiveScene& s) { Model::Set(s.points[2], "Radius", "1.4"); }},
    {"remove",
     [](LiveScene& s) {
         s.scene.SelectObject(s.points[0], true);
         s.scene.RemoveSelected();
     }},
    {"hollow",
     [](LiveScene& s) {
         s.scene.SelectObject(s.points[1], true);
         s.scene.WrapSelection(50);
     }},
    {"cutting plane",
     [](LiveScene& s) { s.scene.SetCuttingPlane(Wml::Frame3<float>(Wml::Vector3<float>(0, 0, 0.3f))); }},
    {"new scene", [](LiveScene& s) { s.scene.NewScene(); }},
};

}  // namespace

TEST(SceneSurfaces, EveryEditThroughTheSceneManagerShowsInTheNextRead)
{
    CachingScope caching(false);
    for (vynui::PolygonizerAlgorithm algorithm : {vynui::MarchingCubes, vynui::BoundedMarchingCubes}) {
        for (const SceneEdit& edit : kSceneEdits) {
            SCOPED_TRACE(std::string(edit.name) +
                         (algorithm == vynui::MarchingCubes ? " (whole)" : " (bounded)"));
            LiveScene live(algorithm);
            const unsigned before = live.Read().GetNumTriangles();
            ASSERT_GT(before, 100u);
            // The bounded mode keeps the lattice it set up on the tree as it
            // was; its reference is a full run on that same lattice.
            const vynui::PolygonizerSettings& settings = live.surfaces.GetSettings();
            vynmesh::VFTriangleMesh sameLattice;
            vynimplicit::DynamicGG4Polygonizer3D reference;
            reference.SetIsoValue(settings.isoValue);
            reference.SetEdgeBisections(settings.edgeBisections);
            reference.SetCellSize(settings.cellSize);
            reference.SetScalarField(live.Root());
            reference.SetOutputMesh(&sameLattice);
            reference.Polygonize(true);

            edit.apply(live);
            const vynmesh::VFTriangleMesh& after = live.Read();
            vynmesh::VFTriangleMesh fresh;
            if (algorithm == vynui::MarchingCubes) {
                FreshPolygonization(live.Root(), settings, fresh);
                EXPECT_TRUE(SameTriangles(after, fresh, 1e-5f));
            } else {
                Wml::AxisAlignedBox3<float> field, everything(-1e3f, 1e3f, -1e3f, 1e3f, -1e3f, 1e3f);
                live.Root()->FieldBounds(field);
                reference.UpdatePolygonize(everything, field);
                EXPECT_TRUE(SameTriangles(after, sameLattice, 1e-5f));
            }
            // A second read changes nothing and costs nothing.
            const unsigned updates = live.surfaces.GetSurface(live.scene.GetModel())->GetUpdateCount();
            live.Read();
            EXPECT_EQ(live.surfaces.GetSurface(live.scene.GetModel())->GetUpdateCount(), updates);
        }
    }
}

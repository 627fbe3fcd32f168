// Imported meshes: read from OBJ files, picked, moved, and kept in scene
// files by a path relative to the scene.

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "detail/MeshSceneObject.h"
#include "tests/blobtree_ui/test_BaseFixtures.h"
#include "tests/detail/test_DetailSupport.h"
#include "tests/support/Near.h"
#include "tests/support/TempFolder.h"
#include "wml/Serializer.h"

namespace {

namespace fs = std::filesystem;
using vynui::MeshSceneObject;
using V3 = Wml::Vector3<float>;

std::unique_ptr<MeshSceneObject> ImportCube(const kftest::TempFolder& folder,
                                            const std::string& name = "cube.obj")
{
    std::string error;
    std::unique_ptr<MeshSceneObject> mesh(
        MeshSceneObject::Import(folder.Write(name, kilnform_test::CubeOBJ()), error));
    EXPECT_NE(mesh, nullptr) << error;
    EXPECT_TRUE(error.empty());
    return mesh;
}

// A ray from far along +z looking down at (x, y).
Wml::Ray3<float> DownAt(float x, float y)
{
    return Wml::Ray3<float>(V3(x, y, 10), V3(0, 0, -1));
}

TEST(MeshSceneObject, ImportsAnOBJFile)
{
    kftest::TempFolder folder("meshso");
    std::unique_ptr<MeshSceneObject> mesh = ImportCube(folder);
    ASSERT_NE(mesh, nullptr);
    EXPECT_STREQ(mesh->GetTypeName(), "MeshSceneObject");
    EXPECT_EQ(mesh->GetMesh().GetNumTriangles(), 12u);
    EXPECT_EQ(mesh->GetMeshFilePath(), folder.File("cube.obj"));
    // The file has no normals: they are made, pointing out of the cube.
    for (unsigned v = 0; v < mesh->GetMesh().GetNumVertices(); ++v) {
        const V3 n = mesh->GetMesh().GetNormal(v);
        EXPECT_NEAR(n.Length(), 1.0f, 1e-4f);
        EXPECT_GT(n.Dot(mesh->GetMesh().GetPosition(v)), 0.0f);
    }
    // Position, orientation, scale, name.
    EXPECT_EQ(mesh->GetParameterList()->GetCount(), 4u);
}

TEST(MeshSceneObject, MissingAndHostileFilesMakeNothing)
{
    kftest::TempFolder folder("meshso_bad");
    fs::create_directories(folder.Path() / "a_folder");
    struct Case {
        const char* name;
        std::string path;
    };
    const Case cases[] = {
        {"missing", folder.File("nothing_here.obj")},
        {"empty path", ""},
        {"a folder", folder.File("a_folder")},
        {"empty file", folder.Write("empty.obj", "")},
        {"no faces", folder.Write("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n")},
        {"face past the vertices", folder.Write("far.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 99\n")},
        {"not a number", folder.Write("nan.obj", "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n")},
        {"binary noise", folder.Write("noise.obj", std::string("\x01\x02\xff\xfe\x00garbage\x7f", 13))},
        {"truncated", folder.Write("cut.obj", kilnform_test::CubeOBJ().substr(0, 40))},
    };

    std::unique_ptr<MeshSceneObject> kept = ImportCube(folder);
    ASSERT_NE(kept, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_EQ(MeshSceneObject::Import(c.path, error), nullptr);
        EXPECT_FALSE(error.empty());

        // An object that already holds a mesh keeps it.
        error.clear();
        EXPECT_FALSE(kept->LoadFromFile(c.path, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(kept->GetMesh().GetNumTriangles(), 12u);
        EXPECT_EQ(kept->GetMeshFilePath(), folder.File("cube.obj"));
    }
}

TEST(MeshSceneObject, PickFollowsTheFrame)
{
    kftest::TempFolder folder("meshso_pick");
    std::unique_ptr<MeshSceneObject> mesh = ImportCube(folder);
    ASSERT_NE(mesh, nullptr);

    struct Case {
        const char* name;
        Wml::Ray3<float> ray;
        bool hit;
        float t;
    };
    auto check = [&](const Case* cases, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            SCOPED_TRACE(cases[i].name);
            float t = -1.0f;
            vynui::SceneObject* picked = mesh->Pick(cases[i].ray, t);
            EXPECT_EQ(picked, cases[i].hit ? mesh.get() : nullptr);
            if (cases[i].hit) {
                EXPECT_NEAR(t, cases[i].t, 1e-4f);
            }
        }
    };

    const Case atStart[] = {
        {"straight down", DownAt(0.2f, -0.3f), true, 9.5f},
        {"beside", DownAt(0.7f, 0), false, 0},
        {"pointing away", Wml::Ray3<float>(V3(0, 0, 10), V3(0, 0, 1)), false, 0},
        {"from inside", Wml::Ray3<float>(V3(0, 0, 0), V3(1, 0, 0)), true, 0.5f},
        {"not a ray", Wml::Ray3<float>(V3(NAN, 0, 10), V3(0, 0, -1)), false, 0},
    };
    check(atStart, sizeof atStart / sizeof atStart[0]);

    mesh->Translate(V3(2, 0, 1), true);
    mesh->Scale(2, 2, 2, true, true);
    const Case moved[] = {
        {"where it was", DownAt(0, 0), false, 0},
        {"where it is", DownAt(2.9f, 0.9f), true, 8.0f},
        {"past its side", DownAt(3.1f, 0), false, 0},
    };
    check(moved, sizeof moved / sizeof moved[0]);

    // A quarter turn about z: the long axis now lies along y.
    mesh->Scale(1, 0.25f, 1, true, false);  // extents 2 x 0.5 x 2
    mesh->Rotate(kilnform_test::RotationZ(static_cast<float>(M_PI / 2)), true);
    const Case turned[] = {
        {"along y", DownAt(2.0f, 0.9f), true, 8.0f},
        {"along x", DownAt(2.9f, 0.0f), false, 0},
    };
    check(turned, sizeof turned / sizeof turned[0]);

    // Flattened away: nothing to hit.
    mesh->Scale(0, 0, 0, false, true);
    float t = 0;
    EXPECT_EQ(mesh->Pick(DownAt(2, 0), t), nullptr);
}

TEST(MeshSceneObject, MovesLikeTheOtherObjects)
{
    kftest::TempFolder folder("meshso_move");
    std::unique_ptr<MeshSceneObject> mesh = ImportCube(folder);
    ASSERT_NE(mesh, nullptr);
    for (const char* tool : {"DynamicTool3D", "Translation3D", "Rotation3D"})
        EXPECT_TRUE(mesh->SupportsTool(tool));
    EXPECT_FALSE(mesh->SupportsTool("SurfacePatchDeformTool"));

    mesh->Translate(V3(1, 2, 3), false);
    mesh->Translate(V3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(mesh->GetFrame().Origin(), V3(2, 2, 3)));
    mesh->Scale(2, 3, 4, false, false);
    mesh->Scale(0.5f, 1, 1, true, false);
    EXPECT_TRUE(kftest::Near(mesh->GetFrame().Scale(), V3(1, 3, 4)));
    mesh->Scale(5, 1, 1, false, true);
    EXPECT_TRUE(kftest::Near(mesh->GetFrame().Scale(), V3(5, 5, 5)));
    // A flip, as the "Flip X" command makes it, mirrors the world mesh.
    mesh->Scale(1, 1, 1, false, false);
    mesh->Scale(-1, 1, 1, true, false);
    vynmesh::TriangleMesh world;
    mesh->GetWorldMesh(world);
    ASSERT_EQ(world.GetNumTriangles(), 12u);
    for (unsigned t = 0; t < world.GetNumTriangles(); ++t) {
        vynmesh::IMesh::VertexID v[3];
        world.GetTriangle(t, v);
        const V3 a = world.GetPosition(v[0]), b = world.GetPosition(v[1]), c = world.GetPosition(v[2]);
        const V3 faceNormal = (b - a).Cross(c - a);
        EXPECT_GT(faceNormal.Dot((a + b + c) / 3.0f - V3(2, 2, 3)), 0.0f)
            << "triangle " << t << " faces inwards";
    }
}

TEST(MeshSceneObject, RecordKeepsAPathRelativeToTheScene)
{
    kftest::TempFolder folder("meshso_record");
    fs::create_directories(folder.Path() / "scenes");
    fs::create_directories(folder.Path() / "meshes");
    const std::string meshPath = (folder.Path() / "meshes" / "cube.obj").string();
    const std::string scenePath = (folder.Path() / "scenes" / "scene.xml").string();
    folder.Write("meshes/cube.obj", kilnform_test::CubeOBJ());

    std::string error;
    std::unique_ptr<MeshSceneObject> mesh(MeshSceneObject::Import(meshPath, error));
    ASSERT_NE(mesh, nullptr) << error;
    mesh->Translate(V3(1, 2, 3), false);
    mesh->Rotate(kilnform_test::RotationZ(0.3f), true);
    mesh->Scale(2, 1, 0.5f, false, false);
    const Wml::Frame3<float> frame = mesh->GetFrame();
    {
        Wml::Serializer out;
        out.SetFilename(scenePath.c_str());
        Wml::SerializerRecord* record = out.CreateRecord(mesh->GetTypeName());
        ASSERT_TRUE(mesh->Store(&out, record));
        std::string stored;
        ASSERT_TRUE(record->GetValue("MeshFilePath", stored, std::string()));
        EXPECT_EQ(stored, "../meshes/cube.obj");
        ASSERT_TRUE(out.Write(scenePath.c_str()));
    }

    Wml::Serializer in;
    ASSERT_TRUE(in.Read(scenePath.c_str()));
    MeshSceneObject copy;
    copy.InitializeParameters();
    ASSERT_TRUE(copy.Restore(&in, in.GetRecord(0)));
    EXPECT_TRUE(fs::equivalent(copy.GetMeshFilePath(), meshPath));
    EXPECT_EQ(copy.GetMesh().GetNumTriangles(), 12u);
    EXPECT_TRUE(kftest::Near(copy.GetFrame().Origin(), frame.Origin()));
    EXPECT_TRUE(kftest::Near(copy.GetFrame().Scale(), frame.Scale()));
    EXPECT_TRUE(kftest::Near(copy.GetFrame().X(), frame.X()));
    EXPECT_TRUE(kftest::Near(copy.GetFrame().Y(), frame.Y()));

    // The mesh file went away: the object keeps its place and its path, and
    // says the restore was incomplete; saving again keeps the reference.
    fs::remove(meshPath);
    MeshSceneObject orphan;
    orphan.InitializeParameters();
    EXPECT_FALSE(orphan.Restore(&in, in.GetRecord(0)));
    EXPECT_EQ(orphan.GetMesh().GetNumTriangles(), 0u);
    EXPECT_TRUE(kftest::Near(orphan.GetFrame().Origin(), V3(1, 2, 3)));
    float t = 0;
    EXPECT_EQ(orphan.Pick(Wml::Ray3<float>(V3(1, 2, 10), V3(0, 0, -1)), t), nullptr);
    Wml::Serializer again;
    again.SetFilename(scenePath.c_str());
    Wml::SerializerRecord* record = again.CreateRecord("MeshSceneObject");
    ASSERT_TRUE(orphan.Store(&again, record));
    std::string stored;
    record->GetValue("MeshFilePath", stored, std::string());
    EXPECT_EQ(stored, "../meshes/cube.obj");
}

TEST(MeshSceneObject, HostileRecordsAreRefused)
{
    kftest::TempFolder folder("meshso_hostile");
    const std::string meshPath = folder.Write("cube.obj", kilnform_test::CubeOBJ());

    Wml::Frame3<float> broken;
    broken.Origin() = V3(NAN, 0, 0);
    struct Case {
        const char* name;
        std::function<void(Wml::SerializerRecord&)> fill;
        bool restored;
    };
    const Case cases[] = {
        {"no path", [](Wml::SerializerRecord&) {}, false},
        {"path of another kind", [](Wml::SerializerRecord& r) { r.SetValue("MeshFilePath", 7u); }, false},
        {"a folder", [&](Wml::SerializerRecord& r) { r.SetValue("MeshFilePath", folder.Path().string()); },
         false},
        {"broken frame, good path",
         [&](Wml::SerializerRecord& r) {
             r.SetValue("MeshFilePath", meshPath);
             r.SetValue("MeshFrame", broken);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wml::SerializerRecord record(1, "MeshSceneObject");
        c.fill(record);
        MeshSceneObject mesh;
        mesh.InitializeParameters();
        mesh.Translate(V3(4, 5, 6), false);
        EXPECT_EQ(mesh.Restore(nullptr, &record), c.restored);
        EXPECT_TRUE(kftest::Near(mesh.GetFrame().Origin(), V3(4, 5, 6)));
        EXPECT_EQ(mesh.GetMesh().GetNumTriangles(), c.restored ? 12u : 0u);
    }
}

}  // namespace

namespace {

TEST(MeshSceneObject, FarAwayCoordinatesStayDefined)
{
    kftest::TempFolder folder("meshso_far");
    const std::string path = folder.Write("far.obj",
                                          "v -3e38 0 0\nv 3e38 0 0\nv 0 3e38 0\nv 0 0 3e38\n"
                                          "f 1 2 3\nf 1 2 4\nf 2 3 4\nf 1 3 4\n");
    std::string error;
    std::unique_ptr<MeshSceneObject> mesh(MeshSceneObject::Import(path, error));
    if (!mesh) {
        EXPECT_FALSE(error.empty());
        return;
    }
    for (unsigned v = 0; v < mesh->GetMesh().GetNumVertices(); ++v) {
        const V3 n = mesh->GetMesh().GetNormal(v);
        EXPECT_TRUE(std::isfinite(n.X()) && std::isfinite(n.Y()) && std::isfinite(n.Z())) << v;
    }
    mesh->Scale(10, 10, 10, true, true);
    float t = -1;
    vynui::SceneObject* picked = mesh->Pick(DownAt(0, 0), t);
    if (picked) {
        EXPECT_TRUE(std::isfinite(t));
    }
    vynmesh::TriangleMesh world;
    mesh->GetWorldMesh(world);
    for (unsigned v = 0; v < world.GetNumVertices(); ++v) {
        const V3 n = world.GetNormal(v);
        EXPECT_TRUE(std::isfinite(n.X()) && std::isfinite(n.Y()) && std::isfinite(n.Z())) << v;
    }
}

}  // namespace

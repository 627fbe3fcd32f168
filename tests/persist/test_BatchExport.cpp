// Batch export without a window: the command line, a saved scene read,
// polygonized and written in each format, and the refusals with their exit
// codes. The program binary itself is run by the app tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/MeshFiles.h"
#include "persist/BatchExport.h"
#include "surface/PolygonizerSettings.h"
#include "tests/persist/test_PersistSupport.h"

namespace {

using vynui::BatchExport;
using vynui::BatchExportOptions;
namespace fs = std::filesystem;

/// Two blended balls saved with a world scale factor.
std::string SaveScene(persist_test::FileRig& rig, const std::string& name, float factor)
{
    rig.PointAt(Wml::Vector3<float>(0.2f, 0.1f, 0.0f));
    rig.PointAt(Wml::Vector3<float>(0.6f, 0.1f, 0.0f));
    EXPECT_TRUE(rig.view.SetWorldScaleFactor(factor));
    const std::string path = rig.folder.File(name);
    EXPECT_TRUE(rig.Save(path));
    return path;
}

struct Outcome {
    int code;
    std::string out, err;
};

Outcome Main(const std::vector<std::string>& args)
{
    std::vector<const char*> argv{"Kilnform"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out, err;
    const int code = BatchExport::Main(int(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

}  // namespace

// ---- the command line ------------------------------------------------------

TEST(BatchExport, ParsesOptionsInEitherFormAndRefusesBadOnes)
{
    BatchExportOptions options;
    std::string error;
    ASSERT_TRUE(BatchExport::Parse({"--export-mesh", "out.GLB", "--cell-size=0.05", "--algorithm",
                                    "extended-marching-cubes", "scene.xml"},
                                   options, error))
        << error;
    EXPECT_EQ(options.outPath, "out.GLB");
    EXPECT_EQ(options.scenePath, "scene.xml");
    EXPECT_FLOAT_EQ(options.cellSize, 0.05f);
    EXPECT_EQ(options.algorithm, vynui::ExtendedMarchingCubes);
    ASSERT_TRUE(BatchExport::Parse({"a.kfn", "--export-mesh=m.ply", "--algorithm=Bounded Marching Cubes"},
                                   options, error));
    EXPECT_EQ(options.algorithm, vynui::BoundedMarchingCubes);
    EXPECT_LE(options.cellSize, 0.0f) << "unset: the surface manager's default";
    EXPECT_EQ(options.threads, 0u) << "unset: every core";
    ASSERT_TRUE(BatchExport::Parse({"--export-mesh", "m.obj", "--threads", "1", "s.xml"}, options, error));
    EXPECT_EQ(options.threads, 1u);

    struct Bad {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Bad bad[] = {
        {{"--export-mesh", "m.obj", "--bogus", "s.xml"}, "--bogus"},
        {{"s.xml"}, "--export-mesh"},
        {{"--export-mesh"}, "--export-mesh"},
        {{"--export-mesh", "--cell-size", "0.1", "s.xml"}, "--export-mesh"},
        {{"--export-mesh", "m.obj"}, "scene"},
        {{"--export-mesh", "m.obj", "a.xml", "b.xml"}, "one scene"},
        {{"--export-mesh", "m.obj", "--cell-size", "fine", "s.xml"}, "fine"},
        {{"--export-mesh", "m.obj", "--cell-size", "0.1mm", "s.xml"}, "0.1mm"},
        {{"--export-mesh", "m.obj", "--cell-size", "-0.1", "s.xml"}, "-0.1"},
        {{"--export-mesh", "m.obj", "--cell-size=0", "s.xml"}, "positive"},
        {{"--export-mesh", "m.obj", "--cell-size", "nan", "s.xml"}, "nan"},
        {{"--export-mesh", "m.obj", "--cell-size", "inf", "s.xml"}, "inf"},
        {{"--export-mesh", "m.obj", "--cell-size", "s.xml"}, "--cell-size"},
        {{"--export-mesh", "m.obj", "--algorithm", "Dual Contouring", "s.xml"}, "Dual Contouring"},
        {{"--export-mesh", "m.obj", "--threads", "0", "s.xml"}, "--threads"},
        {{"--export-mesh", "m.obj", "--threads=two", "s.xml"}, "two"},
        {{"--export-mesh", "m.obj", "--threads", "99999999999999999999", "s.xml"}, "1024"},
        {{"--export-mesh", "m.fbx", "s.xml"}, "m.fbx"},
        {{"--export-mesh", "mesh", "s.xml"}, ".glb"},
    };
    for (const Bad& b : bad) {
        std::string joined;
        for (const std::string& a : b.args) joined += a + " ";
        SCOPED_TRACE(joined);
        error.clear();
        EXPECT_FALSE(BatchExport::Parse(b.args, options, error));
        EXPECT_NE(error.find(b.mentions), std::string::npos) << error;
        const Outcome run = Main(b.args);
        EXPECT_EQ(run.code, BatchExport::BAD_ARGUMENTS);
        EXPECT_NE(run.err.find("Usage: Kilnform --export-mesh OUT"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(BatchExport, HelpListsTheAlgorithmsFormatsAndExitCodes)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--export-mesh", "--help"},
          std::vector<std::string>{"--export-mesh=a.obj", "-h", "x.xml"}}) {
        const Outcome run = Main(args);
        EXPECT_EQ(run.code, BatchExport::DONE);
        EXPECT_TRUE(run.err.empty());
        for (const char* part :
             {"\"Marching Cubes\"", "\"Extended Marching Cubes\"", "\"Marching Triangles\"",
              "\"Bounded Marching Cubes\"", ".glb", ".ply", ".dae", "Exit codes"})
            EXPECT_NE(run.out.find(part), std::string::npos) << part;
    }
    const char* argv[] = {"Kilnform", "--size", "9x9", "--export-mesh=x.obj"};
    EXPECT_TRUE(BatchExport::IsBatchCommand(4, argv));
    EXPECT_FALSE(BatchExport::IsBatchCommand(3, argv));
}

// ---- running ---------------------------------------------------------------

TEST(BatchExport, ASurfaceCutShortByTheCellLimitIsWrittenWithAWarning)
{
    persist_test::FileRig rig;
    const std::string scene = SaveScene(rig, "scene.xml", 1.0f);
    for (const char* algorithm : {"Marching Cubes", "Bounded Marching Cubes"}) {
        SCOPED_TRACE(algorithm);
        size_t triangles[2] = {0, 0};
        for (unsigned long limit : {0ul, 40ul}) {
            BatchExportOptions options;
            std::string error;
            const std::string out = rig.folder.File("cut" + std::to_string(limit) + ".obj");
            ASSERT_TRUE(
                BatchExport::Parse({"--export-mesh", out, "--algorithm", algorithm, scene}, options, error));
            options.maxCells = limit;
            std::ostringstream err;
            ASSERT_EQ(BatchExport::Run(options, err), BatchExport::DONE) << err.str();
            EXPECT_EQ(err.str().find("part of it is missing") != std::string::npos, limit > 0) << err.str();
            vynmesh::TriangleMesh mesh;
            ASSERT_TRUE(vynmesh::ReadMeshFile(out.c_str(), mesh, error)) << error;
            triangles[limit > 0] = mesh.GetNumTriangles();
        }
        EXPECT_GT(triangles[1], 0u);
        EXPECT_LT(triangles[1], triangles[0] / 2);
    }
}

TEST(BatchExport, WritesTheWholeSceneInWorldUnitsInEveryFormat)
{
    persist_test::FileRig rig;
    const std::string unit = SaveScene(rig, "unit.xml", 1.0f);
    persist_test::FileRig doubled;
    const std::string twice = SaveScene(doubled, "twice.xml", 2.0f);

    const Outcome first = Main({"--export-mesh", rig.folder.File("unit.obj"), unit});
    ASSERT_EQ(first.code, BatchExport::DONE) << first.err;
    vynmesh::TriangleMesh base;
    std::string error;
    ASSERT_TRUE(vynmesh::ReadMeshFile(rig.folder.File("unit.obj").c_str(), base, error)) << error;
    ASSERT_GT(base.GetNumTriangles(), 100u);
    // One progress line rewritten in place, then the count and the file.
    EXPECT_NE(first.err.find("\rKilnform: polygonizing 100%\n"), std::string::npos) << first.err;
    EXPECT_NE(first.err.find("Kilnform: wrote " + std::to_string(base.GetNumTriangles()) +
                             " triangles to \"" + rig.folder.File("unit.obj") + "\""),
              std::string::npos)
        << first.err;
    const Wml::AxisAlignedBox3<float> box = vynmesh::IMeshUtil::BoundingBox(&base);

    for (const char* ext : {"obj", "stl", "dae", "glb", "ply"}) {
        SCOPED_TRACE(ext);
        const std::string out = doubled.folder.File(std::string("twice.") + ext);
        const Outcome run = Main({"--export-mesh", out, twice});
        ASSERT_EQ(run.code, BatchExport::DONE) << run.err;
        vynmesh::TriangleMesh read;
        ASSERT_TRUE(vynmesh::ReadMeshFile(out.c_str(), read, error)) << error;
        EXPECT_EQ(read.GetNumTriangles(), base.GetNumTriangles());
        const Wml::AxisAlignedBox3<float> scaled = vynmesh::IMeshUtil::BoundingBox(&read);
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(scaled.Min(a), 2.0f * box.Min(a), 1e-4f);
            EXPECT_NEAR(scaled.Max(a), 2.0f * box.Max(a), 1e-4f);
        }
    }

    // The polygonizer's options reach it: finer cells, more triangles.
    const Outcome fine = Main({"--export-mesh", rig.folder.File("fine.ply"), "--cell-size", "0.05", unit});
    ASSERT_EQ(fine.code, BatchExport::DONE) << fine.err;
    vynmesh::TriangleMesh finer;
    ASSERT_TRUE(vynmesh::ReadMeshFile(rig.folder.File("fine.ply").c_str(), finer, error)) << error;
    EXPECT_GT(finer.GetNumTriangles(), 3 * base.GetNumTriangles());
    for (const char* algorithm :
         {"Extended Marching Cubes", "Marching Triangles", "Bounded Marching Cubes"}) {
        SCOPED_TRACE(algorithm);
        const Outcome run = Main({"--export-mesh", rig.folder.File("a.stl"), "--algorithm", algorithm, unit});
        ASSERT_EQ(run.code, BatchExport::DONE) << run.err;
        vynmesh::TriangleMesh other;
        ASSERT_TRUE(vynmesh::ReadMeshFile(rig.folder.File("a.stl").c_str(), other, error)) << error;
        EXPECT_GT(other.GetNumTriangles(), base.GetNumTriangles() / 2);
    }
}

TEST(BatchExport, UnreadableScenesEmptyScenesAndUnwritableFilesExitWithOneAndWriteNothing)
{
    persist_test::FileRig rig;
    const std::string scene = SaveScene(rig, "scene.xml", 1.0f);
    persist_test::FileRig empty;
    const std::string nothing = empty.folder.File("empty.xml");
    ASSERT_TRUE(empty.Save(nothing));
    const std::string garbage = rig.folder.File("garbage.xml");
    std::ofstream(garbage) << "<KilnformRecords><Record id=\"1\" type=";
    const std::string out = rig.folder.File("out.obj");

    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string mentions;
    };
    const Case cases[] = {
        {"missing scene", {"--export-mesh", out, rig.folder.File("none.xml")}, rig.folder.File("none.xml")},
        {"not a scene", {"--export-mesh", out, garbage}, garbage},
        {"a folder as scene", {"--export-mesh", out, rig.folder.Path().string()}, rig.folder.Path().string()},
        {"empty scene", {"--export-mesh", out, nothing}, "holds no surface"},
        {"cells wider than the shapes",
         {"--export-mesh", out, "--cell-size", "1e30", scene},
         "smaller --cell-size"},
        {"missing folder",
         {"--export-mesh", rig.folder.File("no/out.obj"), scene},
         rig.folder.File("no/out.obj")},
        {"a folder as mesh", {"--export-mesh", rig.folder.File("dir.obj"), scene}, "is a folder"},
    };
    fs::create_directory(rig.folder.File("dir.obj"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = Main(c.args);
        EXPECT_EQ(run.code, BatchExport::FILE_ERROR);
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Usage"), std::string::npos);
        EXPECT_FALSE(fs::exists(out)) << "nothing written";
        EXPECT_FALSE(fs::exists(rig.folder.File("no")));
    }
}

// The program run as a batch exporter in a separate process, with no display
// at all: the demo scene becomes a closed mesh, and the exit codes of
// unreadable scenes, unwritable files and bad options.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "implicit/mesh/MeshFiles.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

struct Exit {
    int code;
    std::string err;
};

// No DISPLAY, no platform plugin choice: a window could not be opened.
Exit RunHeadless(const std::string& arguments, const kftest::TempFolder& folder)
{
    const std::string errFile = folder.File("stderr.txt");
    const std::string command = std::string("env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \"") +
                                KILNFORM_EXE + "\" " + arguments + " >/dev/null 2>\"" + errFile + "\"";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, kftest::ReadFile(errFile)};
}

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

}  // namespace

TEST(BatchExportProgram, WritesTheDemoSceneAsAClosedMeshWithoutADisplay)
{
    const kftest::TempFolder folder("batch_program");
    const std::string demo = (fs::path(KILNFORM_SOURCE_DIR) / "examples" / "demo.xml").string();
    const std::string out = folder.File("demo.obj");
    const Exit run = RunHeadless("--export-mesh " + Quoted(out) + " " + Quoted(demo), folder);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("Kilnform: polygonizing 100%"), std::string::npos) << run.err;

    vynmesh::TriangleMesh mesh;
    std::string error;
    ASSERT_TRUE(vynmesh::ReadOBJ(out.c_str(), mesh, error)) << error;
    ASSERT_GT(mesh.GetNumTriangles(), 500u);
    EXPECT_NE(
        run.err.find("wrote " + std::to_string(mesh.GetNumTriangles()) + " triangles to " + Quoted(out)),
        std::string::npos)
        << run.err;
    // Closed and consistently wound: every edge is used once in each direction.
    std::map<std::pair<unsigned, unsigned>, int> directed;
    const std::vector<unsigned>& idx = mesh.GetIndices();
    for (size_t t = 0; t + 2 < idx.size(); t += 3)
        for (int k = 0; k < 3; ++k) ++directed[{idx[t + k], idx[t + (k + 1) % 3]}];
    for (const auto& edge : directed) {
        ASSERT_EQ(edge.second, 1) << "edge " << edge.first.first << "-" << edge.first.second;
        ASSERT_EQ(directed.count({edge.first.second, edge.first.first}), 1u)
            << "edge " << edge.first.first << "-" << edge.first.second << " has one triangle";
    }
}

TEST(BatchExportProgram, ExitCodesForMissingScenesUnwritableFilesAndBadOptions)
{
    const kftest::TempFolder folder("batch_program");
    const std::string demo = Quoted((fs::path(KILNFORM_SOURCE_DIR) / "examples" / "demo.xml").string());
    const std::string out = Quoted(folder.File("m.obj"));
    const struct {
        const char* what;
        std::string args;
        int code;
    } rows[] = {
        {"missing scene", "--export-mesh " + out + " " + Quoted(folder.File("none.xml")), 1},
        {"unwritable path", "--export-mesh " + Quoted(folder.File("no/m.stl")) + " " + demo, 1},
        {"unknown option", "--export-mesh " + out + " --fast " + demo, 2},
        {"missing OUT", "--export-mesh", 2},
        {"non-numeric cell size", "--export-mesh " + out + " --cell-size small " + demo, 2},
        {"negative cell size", "--export-mesh " + out + " --cell-size -0.1 " + demo, 2},
        {"NaN cell size", "--export-mesh " + out + " --cell-size nan " + demo, 2},
        {"unknown algorithm", "--export-mesh " + out + " --algorithm octree " + demo, 2},
        {"unknown extension", "--export-mesh " + Quoted(folder.File("m.3ds")) + " " + demo, 2},
        {"help", "--export-mesh --help", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Exit run = RunHeadless(row.args, folder);
        EXPECT_EQ(run.code, row.code) << run.err;
        if (row.code == 2) {
            EXPECT_NE(run.err.find("Usage: Kilnform --export-mesh"), std::string::npos) << run.err;
        } else if (row.code == 1) {
            EXPECT_NE(run.err.find(folder.Path().string()), std::string::npos) << run.err;
        }
        EXPECT_FALSE(fs::exists(folder.File("m.obj")));
    }
}

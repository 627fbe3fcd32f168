// Whole sessions in the running program, driven by the replay scripts in
// tests/app/scripts: what the user sees (screenshots) and what is left on
// disk (scene and mesh files) after sketching, editing, moving and saving.

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "implicit/mesh/MeshFiles.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code = -1;
    std::string log;
};

// Runs scripts/NAME.kfs in folder, where its relative paths land.
Outcome RunScript(const std::string& name, const fs::path& folder)
{
    const fs::path script = fs::path(KILNFORM_SOURCE_DIR) / "tests" / "app" / "scripts" / (name + ".kfs");
    const fs::path log = folder / (name + ".log");
    const std::string command = "cd \"" + folder.string() + "\" && \"" + std::string(KILNFORM_EXE) +
                                "\" --replay \"" + script.string() + "\" >\"" + log.string() + "\" 2>&1";
    const int status = std::system(command.c_str());
    Outcome run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(log);
    run.log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

// The shaded shape's pixels: grey to pinkish, not the white background, and
// away from the HUD toolbars at the edges of the view.
struct ShapePixels {
    int count = 0;
    double x = 0.0, y = 0.0;  ///< centroid
};

ShapePixels FindShape(const QImage& image)
{
    ShapePixels s;
    for (int y = 50; y < image.height() - 50; ++y)
        for (int x = 130; x < image.width() - 130; ++x) {
            const QRgb p = image.pixel(x, y);
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (r < 245 && r > 60 && std::abs(g - b) < 30 && r - g < 60) {
                ++s.count;
                s.x += x;
                s.y += y;
            }
        }
    if (s.count > 0) {
        s.x /= s.count;
        s.y /= s.count;
    }
    return s;
}

}  // namespace

TEST(EndToEnd, SketchSelectEditAndMoveAShape)
{
    static const kftest::TempFolder folder("app_e2e_move");
    const Outcome run = RunScript("sketch_edit_move", folder.Path());
    ASSERT_EQ(0, run.code) << run.log;

    const QImage drawn(QString::fromStdString((folder.Path() / "drawn.png").string()));
    const QImage edited(QString::fromStdString((folder.Path() / "edited.png").string()));
    const QImage moved(QString::fromStdString((folder.Path() / "moved.png").string()));
    ASSERT_EQ(QSize(640, 480), drawn.size());
    ASSERT_EQ(QSize(640, 480), edited.size());
    ASSERT_EQ(QSize(640, 480), moved.size());

    // The outline was 220 x 150 pixels round (320, 240): a shape of about
    // that size is drawn where the stroke went.
    const ShapePixels a = FindShape(drawn);
    EXPECT_GT(a.count, 15000);
    EXPECT_LT(a.count, 40000);
    EXPECT_NEAR(320.0, a.x, 15.0);
    EXPECT_NEAR(240.0, a.y, 15.0);

    // A wider falloff makes a larger surface in the same place.
    const ShapePixels b = FindShape(edited);
    EXPECT_GT(b.count, a.count * 11 / 10);
    EXPECT_NEAR(a.x, b.x, 10.0);
    EXPECT_NEAR(a.y, b.y, 10.0);

    // The handle was dragged 100 pixels right and 50 up; the shape followed.
    const ShapePixels c = FindShape(moved);
    EXPECT_NEAR(b.x + 100.0, c.x, 15.0);
    EXPECT_NEAR(b.y - 50.0, c.y, 15.0);
    EXPECT_NEAR(double(b.count), double(c.count), b.count * 0.25);
}

TEST(EndToEnd, SavedSceneReadsBackAndTheExportedMeshIsClosed)
{
    static const kftest::TempFolder folder("app_e2e_files");
    const Outcome run = RunScript("save_open_export", folder.Path());
    ASSERT_EQ(0, run.code) << run.log;
    // New Scene asked before it discarded the shape.
    EXPECT_NE(std::string::npos, run.log.find("Creating a new scene will discard")) << run.log;

    vynmesh::TriangleMesh mesh;
    std::string error;
    ASSERT_TRUE(vynmesh::ReadOBJ((folder.Path() / "shape.obj").string().c_str(), mesh, error)) << error;
    ASSERT_GT(mesh.GetNumTriangles(), 100u);

    // Corners that share a position are one vertex, whatever the writer did
    // with its normals; then every edge has exactly two triangles.
    std::map<std::tuple<float, float, float>, unsigned> weld;
    std::vector<unsigned> id(mesh.GetNumVertices());
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
        const Wml::Vector3<float>& p = mesh.GetPosition(v);
        id[v] = weld.emplace(std::make_tuple(p.X(), p.Y(), p.Z()), unsigned(weld.size())).first->second;
    }
    std::map<std::pair<unsigned, unsigned>, int> edges;
    for (unsigned t = 0; t < mesh.GetNumTriangles(); ++t) {
        vynmesh::TriangleMesh::VertexID corner[3];
        mesh.GetTriangle(t, corner);
        for (int i = 0; i < 3; ++i) {
            unsigned u = id[corner[i]], w = id[corner[(i + 1) % 3]];
            ASSERT_NE(u, w) << "degenerate triangle " << t;
            if (u > w) std::swap(u, w);
            ++edges[{u, w}];
        }
    }
    int open = 0;
    for (const auto& edge : edges)
        if (edge.second != 2) ++open;
    EXPECT_EQ(0, open) << "of " << edges.size() << " edges";
}

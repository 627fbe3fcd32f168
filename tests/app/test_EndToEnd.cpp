// Whole sessions in the running program, driven by the replay scripts in
// tests/app/scripts: what the user sees (screenshots) and what is left on
// disk (scene and mesh files) after sketching, editing, moving and saving.

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>

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

// The drawn shape's box: the pixels that are not white background, in the
// part of the view that holds no HUD toolbar (they sit along the left, top and
// bottom edges; the suggestion stroke lies below y = 360).
const QRect kShapeArea(120, 40, 520, 320);

QRect ShapeBox(const QImage& image)
{
    QRect box;
    for (int y = kShapeArea.top(); y <= kShapeArea.bottom(); ++y)
        for (int x = kShapeArea.left(); x <= kShapeArea.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 235 || qGreen(p) < 235 || qBlue(p) < 235) box |= QRect(x, y, 1, 1);
        }
    return box;
}

// Pixels of the shape area that differ clearly between two views.
int ChangedPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = kShapeArea.top(); y <= kShapeArea.bottom(); ++y)
        for (int x = kShapeArea.left(); x <= kShapeArea.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q)) >
                40)
                ++n;
        }
    return n;
}

bool IsGrey(QRgb p)
{
    return qRed(p) < 235 && qRed(p) > 60 && std::abs(qRed(p) - qGreen(p)) < 25 &&
           std::abs(qGreen(p) - qBlue(p)) < 25;
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

    // The outline was 220 x 150 pixels round (320, 240): a lit grey shape of
    // about that size is drawn where the stroke went.
    const QRect a = ShapeBox(drawn);
    EXPECT_NEAR(220, a.width(), 25);
    EXPECT_NEAR(150, a.height(), 25);
    EXPECT_NEAR(320, a.center().x(), 10);
    EXPECT_NEAR(240, a.center().y(), 10);
    int grey = 0;
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x) grey += IsGrey(drawn.pixel(x, y));
    EXPECT_GT(grey, a.width() * a.height() / 2);

    // A wider falloff makes a thicker surface: the outline stays, the
    // shading inside it changes.
    const QRect b = ShapeBox(edited);
    EXPECT_NEAR(a.center().x(), b.center().x(), 5);
    EXPECT_NEAR(a.center().y(), b.center().y(), 5);
    EXPECT_GT(ChangedPixels(drawn, edited), 2000);

    // The handle was dragged 100 pixels right and 50 up; the shape followed.
    const QRect c = ShapeBox(moved);
    EXPECT_NEAR(b.center().x() + 100, c.center().x(), 10);
    EXPECT_NEAR(b.center().y() - 50, c.center().y(), 10);
    EXPECT_NEAR(b.width(), c.width(), 10);
    EXPECT_NEAR(b.height(), c.height(), 10);
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

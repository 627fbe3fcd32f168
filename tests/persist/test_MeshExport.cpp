// Mesh export and the world-dimensions dialog over a live scene: a scene
// manager feeding a surface manager, a view controller holding the world
// scale factor, and scripted prompts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/MeshFiles.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "interact/ViewController.h"
#include "persist/MeshExport.h"
#include "persist/WorldDimensionsDialogModel.h"
#include "scene/SceneManager.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "tests/support/ScriptedUserInterface.h"
#include "tests/support/TempFolder.h"
#include "wml/ExtendedWmlCamera.h"

namespace {

using Vec = Wml::Vector3<float>;

/// Records the save dialog's request, then answers as the scripted prompts do.
class RequestRecorder : public kftest::ScriptedUserInterface {
public:
    std::vector<vynui::FileDialogRequest> saves;
    bool ChooseFileToSave(const vynui::FileDialogRequest& request, std::string& path) override
    {
        saves.push_back(request);
        return ScriptedUserInterface::ChooseFileToSave(request, path);
    }
};

struct ExportScene {
    vynui::CSceneManager scene;
    vynui::CSurfaceManager surfaces;
    Wml::ExtendedWmlCamera camera{400.0f, 300.0f};
    vynui::ViewController view{&camera};
    RequestRecorder ui;
    vynui::MeshExport exporter{&surfaces, &view, &ui};
    kftest::TempFolder folder{"meshexport"};

    /// With shape, a ball off the origin (so scaling moves every vertex).
    explicit ExportScene(bool shape = true)
    {
        scene.AddChangeListener(&surfaces);
        surfaces.AddSceneSurface(scene.GetModel());
        if (shape) {
            vynui_bt::BlobTreeNodeSceneObject* point = scene.AddNode(1, nullptr, false);
            point->Translate(Vec(0.6f, -0.3f, 0.4f), false);
        }
    }
    ~ExportScene() { surfaces.RemoveSceneSurface(scene.GetModel()); }

    /// The mesh on screen, copied.
    vynmesh::VFTriangleMesh Displayed() { return *surfaces.GetChainTop(0)->GetMesh(); }

    bool FolderIsEmpty() const { return std::filesystem::is_empty(folder.Path()); }
};

std::vector<Vec> Positions(const vynmesh::IMesh& mesh)
{
    std::vector<Vec> out(mesh.GetNumVertices());
    for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) mesh.GetVertex(v, out[v]);
    return out;
}

bool SamePositions(const vynmesh::IMesh& a, const vynmesh::IMesh& b)
{
    if (a.GetNumVertices() != b.GetNumVertices() || a.GetNumTriangles() != b.GetNumTriangles()) return false;
    return Positions(a) == Positions(b);
}

/// Every point has a point of targets within tolerance.
::testing::AssertionResult AllNear(const std::vector<Vec>& points, const std::vector<Vec>& targets,
                                   float tolerance)
{
    for (const Vec& p : points) {
        bool found = false;
        for (const Vec& q : targets)
            if ((p - q).Length() <= tolerance) {
                found = true;
                break;
            }
        if (!found)
            return ::testing::AssertionFailure()
                   << "no match for (" << p.X() << ", " << p.Y() << ", " << p.Z() << ")";
    }
    return ::testing::AssertionSuccess();
}

/// The triangles and corner positions of a binary STL file; false when its
/// size disagrees with its triangle count.
bool ReadBinarySTL(const std::string& path, unsigned& triangles, std::vector<Vec>& corners)
{
    const std::string bytes = kftest::ReadFile(path);
    if (bytes.size() < 84) return false;
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 80, 4);
    if (bytes.size() != 84 + 50ull * count) return false;
    triangles = count;
    for (std::uint32_t t = 0; t < count; ++t)
        for (int corner = 0; corner < 3; ++corner) {
            float xyz[3];
            std::memcpy(xyz, bytes.data() + 84 + 50ull * t + 12 + 12 * corner, 12);
            corners.push_back(Vec(xyz[0], xyz[1], xyz[2]));
        }
    return true;
}

/// The count attribute of the first element that starts with tag.
long CountOf(const std::string& text, const std::string& tag)
{
    const size_t at = text.find(tag);
    if (at == std::string::npos) return -1;
    const size_t count = text.find("count=\"", at);
    if (count == std::string::npos || count > text.find('>', at)) return -1;
    return std::strtol(text.c_str() + count + 7, nullptr, 10);
}

/// The numbers of the first float array, as points.
std::vector<Vec> FirstFloatArray(const std::string& text)
{
    std::vector<Vec> out;
    const size_t at = text.find("<float_array");
    const size_t close = text.find("</float_array>", at);
    if (at == std::string::npos || close == std::string::npos) return out;
    const size_t open = text.find('>', at) + 1;
    std::istringstream numbers(text.substr(open, close - open));
    float x, y, z;
    while (numbers >> x >> y >> z) out.push_back(Vec(x, y, z));
    return out;
}

std::vector<Vec> Scaled(const std::vector<Vec>& points, float factor)
{
    std::vector<Vec> out;
    for (const Vec& p : points) out.push_back(p * factor);
    return out;
}

}  // namespace

// ---- export ---------------------------------------------------------------

TEST(MeshExport, EveryFormatWritesTheSurfaceInWorldUnitsAndLeavesTheScreenAlone)
{
    struct Row {
        const char* command;
        const char* extension;
        const char* fileName;
        const char* filter;
    };
    const Row rows[] = {
        {"OBJ Format", "obj", "mesh.obj", "OBJ Files (*.obj);;All Files (*.*)"},
        {"STL Format", "stl", "mesh.stl", "STL Files (*.stl);;All Files (*.*)"},
        {"COLLADA Format", "dae", "mesh.dae", "COLLADA Files (*.dae);;All Files (*.*)"},
        {"glTF Binary Format", "glb", "mesh.glb", "glTF Binary Files (*.glb);;All Files (*.*)"},
        {"PLY Format", "ply", "mesh.ply", "PLY Files (*.ply);;All Files (*.*)"},
    };
    ExportScene live;
    ASSERT_TRUE(live.view.SetWorldScaleFactor(2.0f));
    const vynmesh::VFTriangleMesh before = live.Displayed();
    ASSERT_GT(before.GetNumTriangles(), 100u);
    const std::vector<Vec> model = Positions(before);

    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        const std::string path = live.folder.File(std::string("out.") + row.extension);
        live.ui.AnswerFile(path);
        EXPECT_TRUE(live.exporter.OnCommand(row.command));
        ASSERT_FALSE(live.ui.saves.empty());
        const vynui::FileDialogRequest& request = live.ui.saves.back();
        EXPECT_EQ(request.defaultExtension, row.extension);
        EXPECT_EQ(request.fileName, row.fileName);
        EXPECT_EQ(request.filter, row.filter);
        EXPECT_TRUE(request.askBeforeOverwrite);
        EXPECT_TRUE(live.ui.Messages().empty());
        ASSERT_TRUE(std::filesystem::exists(path));
        EXPECT_TRUE(SamePositions(live.Displayed(), before)) << "the displayed mesh is unchanged";

        if (std::strcmp(row.extension, "obj") == 0) {
            vynmesh::TriangleMesh read;
            std::string error;
            ASSERT_TRUE(vynmesh::ReadOBJ(path.c_str(), read, error)) << error;
            EXPECT_EQ(read.GetNumTriangles(), before.GetNumTriangles());
            EXPECT_EQ(read.GetNumVertices(), before.GetNumVertices());
            // Both ways: every written vertex is a doubled model vertex and
            // every doubled model vertex was written.
            EXPECT_TRUE(AllNear(Positions(read), Scaled(model, 2.0f), 1e-4f));
            EXPECT_TRUE(AllNear(Scaled(model, 2.0f), Positions(read), 1e-4f));
        } else if (std::strcmp(row.extension, "stl") == 0) {
            unsigned triangles = 0;
            std::vector<Vec> corners;
            ASSERT_TRUE(ReadBinarySTL(path, triangles, corners));
            EXPECT_EQ(triangles, before.GetNumTriangles());
            EXPECT_TRUE(AllNear(corners, Scaled(model, 2.0f), 1e-4f));
        } else if (std::strcmp(row.extension, "dae") == 0) {
            const std::string text = kftest::ReadFile(path);
            EXPECT_EQ(CountOf(text, "<polylist"), long(before.GetNumTriangles()));
            EXPECT_EQ(CountOf(text, "<float_array"), 3 * long(before.GetNumVertices()));
            EXPECT_TRUE(AllNear(FirstFloatArray(text), Scaled(model, 2.0f), 1e-4f));
        }
    }
}

// Read back by the importer itself, not through our reader: the counts, the
// normals and a closed surface survive each format.
TEST(MeshExport, EachFormatOfAPolygonizedSceneReadsBackThroughTheImporter)
{
    struct Row {
        const char* command;
        const char* extension;
        bool sharesVertices;  // STL repeats corners per facet
        bool vertexNormals;   // STL carries facet normals only
    };
    const Row rows[] = {
        {"OBJ Format", "obj", true, true},     {"STL Format", "stl", false, false},
        {"COLLADA Format", "dae", true, true}, {"glTF Binary Format", "glb", true, true},
        {"PLY Format", "ply", true, true},
    };
    ExportScene live;
    // Two blended balls: a surface with a saddle, not just a sphere.
    vynui_bt::BlobTreeNodeSceneObject* second = live.scene.AddNode(1, nullptr, false);
    second->Translate(Vec(0.9f, -0.3f, 0.4f), false);
    const vynmesh::VFTriangleMesh shown = live.Displayed();
    ASSERT_GT(shown.GetNumTriangles(), 100u);
    const std::vector<Vec> model = Positions(shown);

    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        const std::string path = live.folder.File(std::string("back.") + row.extension);
        live.ui.AnswerFile(path);
        ASSERT_TRUE(live.exporter.OnCommand(row.command));
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, aiProcess_JoinIdenticalVertices);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        unsigned vertices = 0, faces = 0;
        std::vector<Vec> points;
        // Corners by position: the edges of a closed surface are each used twice.
        std::map<std::pair<std::vector<float>, std::vector<float>>, int> edges;
        for (unsigned mi = 0; mi < scene->mNumMeshes; ++mi) {
            const aiMesh* m = scene->mMeshes[mi];
            vertices += m->mNumVertices;
            faces += m->mNumFaces;
            ASSERT_NE(m->mNormals, nullptr) << "normals are written";
            for (unsigned v = 0; v < m->mNumVertices; ++v) {
                points.push_back(Vec(m->mVertices[v].x, m->mVertices[v].y, m->mVertices[v].z));
                EXPECT_NEAR(m->mNormals[v].Length(), 1.0f, 1e-3f);
            }
            for (unsigned f = 0; f < m->mNumFaces; ++f) {
                ASSERT_EQ(m->mFaces[f].mNumIndices, 3u);
                for (int k = 0; k < 3; ++k) {
                    const aiVector3D& a = m->mVertices[m->mFaces[f].mIndices[k]];
                    const aiVector3D& b = m->mVertices[m->mFaces[f].mIndices[(k + 1) % 3]];
                    std::vector<float> pa{a.x, a.y, a.z}, pb{b.x, b.y, b.z};
                    ++edges[pa < pb ? std::make_pair(pa, pb) : std::make_pair(pb, pa)];
                }
            }
        }
        EXPECT_EQ(faces, shown.GetNumTriangles());
        if (row.sharesVertices)
            EXPECT_EQ(vertices, shown.GetNumVertices());
        else
            EXPECT_GE(vertices, shown.GetNumVertices());
        for (const auto& edge : edges) ASSERT_EQ(edge.second, 2) << "an edge not shared by two triangles";
        EXPECT_TRUE(AllNear(points, model, 1e-4f));
        if (row.vertexNormals) {
            // The polygonizer's normals, vertex by vertex (matched by position).
            const aiMesh* m = scene->mMeshes[0];
            for (unsigned v = 0; v < m->mNumVertices; v += 17) {
                const Vec p(m->mVertices[v].x, m->mVertices[v].y, m->mVertices[v].z);
                for (unsigned w = 0; w < shown.GetNumVertices(); ++w) {
                    if ((shown.GetPosition(w) - p).Length() > 1e-5f) continue;
                    const Vec n(m->mNormals[v].x, m->mNormals[v].y, m->mNormals[v].z);
                    EXPECT_GT(n.Dot(shown.GetNormal(w)), 0.999f) << "vertex " << v;
                }
            }
        }
    }
}

TEST(MeshExport, NothingIsWrittenWhenCancelledDisabledOrEmpty)
{
    {
        SCOPED_TRACE("cancelled dialog");
        ExportScene live;
        live.ui.CancelFile();
        EXPECT_TRUE(live.exporter.OnCommand("STL Format"));
        EXPECT_EQ(live.ui.saves.size(), 1u);
        EXPECT_TRUE(live.ui.Messages().empty());
        EXPECT_TRUE(live.FolderIsEmpty());
    }
    {
        SCOPED_TRACE("Trivane");
        ExportScene live;
        live.ui.AnswerFile(live.folder.File("mesh.tri"));
        EXPECT_TRUE(live.exporter.OnCommand("Trivane Format"));
        EXPECT_TRUE(live.ui.saves.empty());
        const auto messages = live.ui.EventsOf("message");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "Disabled due to VFTriangleMesh switch");
        EXPECT_EQ(messages[0].title, "Disabled!");
        EXPECT_TRUE(live.FolderIsEmpty());
    }
    {
        SCOPED_TRACE("empty scene");
        ExportScene live(false);
        live.ui.AnswerFile(live.folder.File("mesh.obj"));
        EXPECT_TRUE(live.exporter.OnCommand("OBJ Format"));
        EXPECT_TRUE(live.ui.saves.empty()) << "no dialog for a scene without a mesh";
        EXPECT_EQ(live.ui.Messages(), std::vector<std::string>{vynui::MeshExport::NO_MESH_TEXT});
        EXPECT_TRUE(live.FolderIsEmpty());
    }
    {
        SCOPED_TRACE("other commands");
        ExportScene live(false);
        EXPECT_FALSE(live.exporter.OnCommand("Save As"));
        vynui::CommandState state;
        EXPECT_FALSE(live.exporter.OnUpdateCommand("Open...", state));
        EXPECT_TRUE(live.exporter.OnUpdateCommand("COLLADA Format", state));
        EXPECT_TRUE(state.enabled);
    }
}

TEST(MeshExport, AWriterFailureShowsItsTextTitledError)
{
    ExportScene live;
    const vynmesh::VFTriangleMesh before = live.Displayed();
    const std::string path = live.folder.File("missing/folder/mesh.obj");
    live.ui.AnswerFile(path);
    EXPECT_TRUE(live.exporter.OnCommand("OBJ Format"));
    const auto messages = live.ui.EventsOf("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Error!");
    // The writer's own text.
    std::string expected;
    vynmesh::VFTriangleMesh copy = before;
    EXPECT_FALSE(copy.WriteOBJ(path, expected));
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(messages[0].text, expected);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(SamePositions(live.Displayed(), before));
}

// ---- world dimensions -----------------------------------------------------

TEST(WorldDimensions, TheCommandLoadsTheMeshExtentsAndOkStoresTheFactorUsedByExport)
{
    ExportScene live;
    int shown = 0;
    live.exporter.SetShowDialogRequest([&shown] { ++shown; });
    ASSERT_TRUE(live.view.SetWorldScaleFactor(1.5f));
    EXPECT_TRUE(live.exporter.OnCommand("Set World Dimensions"));
    EXPECT_EQ(shown, 1);
    vynui::WorldDimensionsDialogModel& dialog = live.exporter.GetWorldDimensionsDialog();

    const vynmesh::VFTriangleMesh mesh = live.Displayed();
    const Wml::AxisAlignedBox3<float> box = vynmesh::IMeshUtil::BoundingBox(mesh);
    char text[64];
    for (int axis = 0; axis < 3; ++axis) {
        const float extent = box.Max(axis) - box.Min(axis);
        ASSERT_GT(extent, 0.5f);
        std::snprintf(text, sizeof text, "%f", extent);
        EXPECT_EQ(dialog.GetModelDimensionText(axis), text);
        std::snprintf(text, sizeof text, "%f", extent * 1.5f);
        EXPECT_EQ(dialog.GetWorldDimensionText(axis), text);
    }
    EXPECT_EQ(dialog.GetScaleFactorText(), "1.500000");

    // The factor drives the dimensions; one dimension drives the factor and
    // the other two.
    EXPECT_TRUE(dialog.SetScaleFactorText("3"));
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(dialog.GetWorldDimensions()[axis], 3 * (box.Max(axis) - box.Min(axis)), 1e-5f);
    const float extentY = box.Max(1) - box.Min(1);
    std::snprintf(text, sizeof text, "%f", 2 * extentY);
    EXPECT_TRUE(dialog.SetWorldDimensionText(1, text));
    EXPECT_NEAR(dialog.GetScaleFactor(), 2.0f, 1e-5f);
    std::snprintf(text, sizeof text, "%f", dialog.GetModelExtents()[0] * dialog.GetScaleFactor());
    EXPECT_EQ(dialog.GetWorldDimensionText(0), text);
    std::snprintf(text, sizeof text, "%f", dialog.GetModelExtents()[2] * dialog.GetScaleFactor());
    EXPECT_EQ(dialog.GetWorldDimensionText(2), text);
    EXPECT_EQ(live.view.GetWorldScaleFactor(), 1.5f) << "nothing is stored before OK";

    ASSERT_TRUE(dialog.Apply(live.view));
    EXPECT_NEAR(live.view.GetWorldScaleFactor(), 2.0f, 1e-5f);

    // The export now writes at the new factor.
    const std::string path = live.folder.File("scaled.obj");
    live.ui.AnswerFile(path);
    live.exporter.OnCommand("OBJ Format");
    vynmesh::TriangleMesh read;
    std::string error;
    ASSERT_TRUE(vynmesh::ReadOBJ(path.c_str(), read, error)) << error;
    const Wml::AxisAlignedBox3<float> written = vynmesh::IMeshUtil::BoundingBox(read);
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(written.Max(axis) - written.Min(axis), 2 * (box.Max(axis) - box.Min(axis)), 1e-3f);
}

TEST(WorldDimensions, RefusedEntriesChangeNothingAndSayWhy)
{
    // A box flat along z: no world z dimension can be asked for.
    vynui::WorldDimensionsDialogModel dialog;
    ASSERT_TRUE(dialog.Load(Wml::AxisAlignedBox3<float>(0, 2, -1, 3, 0.5f, 0.5f), 1.25f));
    EXPECT_TRUE(dialog.GetRefusal().empty());

    struct Entry {
        int field;  // -1 the factor, else the world dimension of that axis
        const char* text;
    };
    const Entry refused[] = {
        {-1, "abc"}, {-1, ""},     {-1, "2x"},    {-1, "nan"}, {-1, "inf"}, {-1, "0"},
        {-1, "-1"},  {-1, "1e39"}, {-1, "1e-50"}, {0, "abc"},  {0, "nan"},  {0, "0"},
        {1, "-4"},   {0, "1e39"},  {2, "1"},      {2, "0"},    {3, "1"},
    };
    for (const Entry& entry : refused) {
        SCOPED_TRACE(std::string(entry.text) + " in field " + std::to_string(entry.field));
        const bool taken = entry.field < 0 ? dialog.SetScaleFactorText(entry.text)
                                           : dialog.SetWorldDimensionText(entry.field, entry.text);
        EXPECT_FALSE(taken);
        EXPECT_FALSE(dialog.GetRefusal().empty());
        EXPECT_EQ(dialog.GetScaleFactorText(), "1.250000");
        EXPECT_EQ(dialog.GetWorldDimensionText(0), "2.500000");
        EXPECT_EQ(dialog.GetWorldDimensionText(1), "5.000000");
        EXPECT_EQ(dialog.GetWorldDimensionText(2), "0.000000");
    }
    // A number with spaces around it is a number; a refusal is forgotten
    // once an entry is taken.
    EXPECT_TRUE(dialog.SetWorldDimensionText(0, " 4 "));
    EXPECT_TRUE(dialog.GetRefusal().empty());
    EXPECT_EQ(dialog.GetScaleFactorText(), "2.000000");

    // Nothing to measure: refused, the previous values kept.
    EXPECT_FALSE(dialog.Load(Wml::AxisAlignedBox3<float>(), 1.0f));
    EXPECT_FALSE(dialog.GetRefusal().empty());
    EXPECT_EQ(dialog.GetModelDimensionText(0), "2.000000");

    // The command on an empty scene tells why and shows no dialog.
    ExportScene live(false);
    int shown = 0;
    live.exporter.SetShowDialogRequest([&shown] { ++shown; });
    EXPECT_TRUE(live.exporter.OnCommand("Set World Dimensions"));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(live.ui.Messages().size(), 1u);
    EXPECT_EQ(live.view.GetWorldScaleFactor(), 1.0f);
}

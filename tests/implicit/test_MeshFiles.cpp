// Mesh files: OBJ, STL and COLLADA written and read back through the
// importer, the OBJ reader, and refusal of missing folders, empty meshes and
// hostile OBJ files.

#include <gtest/gtest.h>

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/MeshFiles.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "tests/support/FifoTestSupport.h"
#include "tests/support/MeshShapes.h"
#include "tests/support/TempFolder.h"

using namespace vynmesh;
using Wml::Vector3f;
namespace fs = std::filesystem;

namespace {

typedef std::array<float, 9> Corners;

class MeshFilesTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    void WriteText(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    kftest::TempFolder folder{"meshfiles"};
    const fs::path& dir = folder.Path();
};

// Each triangle as its corners, rotated to start at the smallest corner so
// that the same winding compares equal; sorted into a soup.
std::vector<Corners> Soup(const std::vector<Corners>& tris)
{
    std::vector<Corners> out;
    for (const Corners& c : tris) {
        int start = 0;
        for (int k = 1; k < 3; ++k)
            if (std::lexicographical_compare(&c[3 * k], &c[3 * k + 3], &c[3 * start], &c[3 * start + 3]))
                start = k;
        Corners r;
        for (int k = 0; k < 3; ++k)
            std::copy(&c[3 * ((start + k) % 3)], &c[3 * ((start + k) % 3) + 3], &r[3 * k]);
        out.push_back(r);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Corners> SoupOf(const IMesh& m, float scale)
{
    std::vector<Corners> tris;
    for (IMesh::TriangleID t = 0; t < m.GetNumTriangles(); ++t) {
        IMesh::VertexID v[3];
        m.GetTriangle(t, v);
        Corners c;
        for (int k = 0; k < 3; ++k) {
            Vector3f p;
            m.GetVertex(v[k], p);
            for (int i = 0; i < 3; ++i) c[3 * k + i] = p[i] * scale;
        }
        tris.push_back(c);
    }
    return Soup(tris);
}

struct ReadBack {
    unsigned vertices = 0;
    std::vector<Corners> soup;
};

// Independent reader: the importer straight, all meshes merged.
bool ReadWithImporter(const std::string& path, ReadBack& out)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_JoinIdenticalVertices | aiProcess_Triangulate);
    if (!scene) return false;
    std::vector<Corners> tris;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* m = scene->mMeshes[i];
        out.vertices += m->mNumVertices;
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            Corners c;
            for (int k = 0; k < 3; ++k) {
                const aiVector3D& p = m->mVertices[m->mFaces[f].mIndices[k]];
                c[3 * k] = p.x;
                c[3 * k + 1] = p.y;
                c[3 * k + 2] = p.z;
            }
            tris.push_back(c);
        }
    }
    out.soup = Soup(tris);
    return true;
}

void ExpectSameSoup(const std::vector<Corners>& a, const std::vector<Corners>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        for (int k = 0; k < 9; ++k)
            ASSERT_NEAR(a[i][k], b[i][k], 1e-5f * (1 + std::fabs(a[i][k]))) << "triangle " << i;
}

}  // namespace

// ---------------------------------------------------------------- writers

TEST_F(MeshFilesTest, EachFormatReadsBackWithTheSameScaledTriangles)
{
    VFTriangleMesh m;
    meshtest::MakeSphere(m, 2, 0.75f);
    const float scale = 2.0f;
    struct Format {
        const char* name;
        bool (*write)(const char*, const IMesh&, std::string&, float);
        bool sharesVertices;
    };
    for (const Format& f : {Format{"mesh.obj", &WriteOBJ, true}, Format{"mesh.stl", &WriteSTL, false},
                            Format{"mesh.dae", &WriteCOLLADA, true}}) {
        SCOPED_TRACE(f.name);
        std::string error;
        ASSERT_TRUE(f.write(Path(f.name).c_str(), m, error, scale)) << error;
        EXPECT_TRUE(error.empty());
        ReadBack back;
        ASSERT_TRUE(ReadWithImporter(Path(f.name), back));
        EXPECT_EQ(back.soup.size(), m.GetNumTriangles());
        if (f.sharesVertices) {
            EXPECT_EQ(back.vertices, m.GetNumVertices());
        } else {
            // STL repeats corners per facet (with the facet normal): count
            // the distinct corner positions instead.
            std::vector<std::array<float, 3>> corners;
            for (const Corners& c : back.soup)
                for (int k = 0; k < 3; ++k) corners.push_back({c[3 * k], c[3 * k + 1], c[3 * k + 2]});
            std::sort(corners.begin(), corners.end());
            EXPECT_EQ(size_t(std::unique(corners.begin(), corners.end()) - corners.begin()),
                      m.GetNumVertices());
        }
        ExpectSameSoup(back.soup, SoupOf(m, scale));
    }
    // The mesh written is not changed by the scale.
    EXPECT_FLOAT_EQ(IMeshUtil::BoundingBox(m).Max(0), 0.75f);
}

TEST_F(MeshFilesTest, MissingFolderEmptyMeshAndBadScaleAreRefused)
{
    TriangleMesh m;
    meshtest::MakeTetrahedron(m);
    const std::string missing = Path("no_such_folder/mesh.obj");
    for (auto write : {&WriteOBJ, &WriteSTL, &WriteCOLLADA}) {
        std::string error;
        EXPECT_FALSE(write(missing.c_str(), m, error, 1.0f));
        EXPECT_NE(error.find("no_such_folder"), std::string::npos) << error;
        EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
        error.clear();
        EXPECT_FALSE(write(Path("empty.obj").c_str(), TriangleMesh(), error, 1.0f));
        EXPECT_FALSE(error.empty());
        error.clear();
        EXPECT_FALSE(write(Path("nan.obj").c_str(), m, error, std::nanf("")));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(write(nullptr, m, error, 1.0f));
        EXPECT_FALSE(write(dir.string().c_str(), m, error, 1.0f));
    }
    EXPECT_FALSE(fs::exists(Path("no_such_folder")));
    EXPECT_FALSE(fs::exists(Path("empty.obj")));
}

// ---------------------------------------------------------------- OBJ reader

TEST_F(MeshFilesTest, ReadOBJRoundTripKeepsAClosedSurface)
{
    TriangleMesh sphere;
    meshtest::MakeSphere(sphere, 3);
    std::string error;
    ASSERT_TRUE(WriteOBJ(Path("s.obj").c_str(), sphere, error)) << error;
    VFTriangleMesh back;
    ASSERT_TRUE(ReadOBJ(Path("s.obj").c_str(), back, error)) << error;
    EXPECT_EQ(back.GetNumVertices(), sphere.GetNumVertices());
    EXPECT_EQ(back.GetNumTriangles(), sphere.GetNumTriangles());
    EXPECT_TRUE(IMeshUtil::IsClosedManifold(back));
    EXPECT_EQ(IMeshUtil::EulerCharacteristic(back), 2);
    ExpectSameSoup(SoupOf(back, 1.0f), SoupOf(sphere, 1.0f));
    for (IMesh::VertexID v = 0; v < back.GetNumVertices(); ++v)
        EXPECT_NEAR(back.GetNormal(v).Dot(back.GetPosition(v)), 1.0f, 1e-4f);
    // The adjacency was built through the mesh's own calls.
    std::vector<IMesh::TriangleID> around;
    back.GetVertexTriangles(0, around);
    EXPECT_FALSE(around.empty());
}

TEST_F(MeshFilesTest, ReadOBJTriangulatesAndJoinsObjects)
{
    WriteText("quads.obj",
              "# two objects\no a\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n"
              "o b\nv 0 0 1\nv 1 0 1\nv 1 1 1\nf -3 -2 -1\n");
    TriangleMesh m;
    std::string error;
    ASSERT_TRUE(ReadOBJ(Path("quads.obj").c_str(), m, error)) << error;
    EXPECT_EQ(m.GetNumTriangles(), 3u);
    EXPECT_FLOAT_EQ(IMeshUtil::BoundingBox(m).Max(2), 1.0f);
}

TEST_F(MeshFilesTest, ReadOBJRefusesHostileFilesAndKeepsTheMesh)
{
    WriteText("empty.obj", "");
    WriteText("comments.obj", "# nothing here\n\n");
    WriteText("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n");
    WriteText("badindex.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 99\n");
    WriteText("nan.obj", "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    WriteText("collapsed.obj", "v 0 0 0\nv 1 0 0\nf 1 1 2\n");
    std::string garbage(4096, '\0');
    std::mt19937 rng(3);
    for (char& c : garbage) c = char(rng());
    WriteText("garbage.obj", garbage);
    FeedingFifo pipe(Path("pipe.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    ASSERT_TRUE(pipe.Made());
    for (const char* name : {"empty.obj", "comments.obj", "points.obj", "badindex.obj", "nan.obj",
                             "collapsed.obj", "garbage.obj", "missing.obj", "pipe.obj"}) {
        SCOPED_TRACE(name);
        VFTriangleMesh m;
        meshtest::MakeTetrahedron(m);
        std::string error;
        EXPECT_FALSE(ReadOBJ(Path(name).c_str(), m, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(m.GetNumVertices(), 4u);
        EXPECT_EQ(m.GetNumTriangles(), 4u);
        EXPECT_TRUE(IMeshUtil::IsClosedManifold(m));
    }
    EXPECT_FALSE(pipe.WasOpened());
    TriangleMesh m;
    std::string error;
    EXPECT_FALSE(ReadOBJ(nullptr, m, error));
    EXPECT_FALSE(ReadOBJ(dir.string().c_str(), m, error));
}

TEST_F(MeshFilesTest, ReadOBJBoundsTheCornersOfItsFaces)
{
    // Triangulating a face takes time quadratic in its corners: one huge face,
    // or many large ones, are refused with a message naming the limit, while
    // large faces within it still load.
    auto polygons = [](unsigned corners, unsigned faces) {
        std::string text;
        for (unsigned i = 0; i < corners; ++i) {
            const double a = 2.0 * 3.14159265358979 * i / corners, r = (i % 2) ? 1.0 : 0.8;
            text += "v " + std::to_string(r * std::cos(a)) + " " + std::to_string(r * std::sin(a)) + " 0\n";
        }
        for (unsigned f = 0; f < faces; ++f) {
            text += "f";
            for (unsigned i = 1; i <= corners; ++i) text += " " + std::to_string(i);
            text += "\n";
        }
        return text;
    };
    WriteText("huge.obj", polygons(30000, 1));
    WriteText("many.obj", polygons(3000, 10));
    for (const char* name : {"huge.obj", "many.obj"}) {
        SCOPED_TRACE(name);
        VFTriangleMesh m;
        meshtest::MakeTetrahedron(m);
        std::string error;
        EXPECT_FALSE(ReadOBJ(Path(name).c_str(), m, error));
        EXPECT_NE(error.find(std::to_string(kMaxFaceCorners)), std::string::npos) << error;
        EXPECT_EQ(m.GetNumTriangles(), 4u);
    }
    WriteText("large.obj", polygons(400, 3));
    TriangleMesh m;
    std::string error;
    ASSERT_TRUE(ReadOBJ(Path("large.obj").c_str(), m, error)) << error;
    EXPECT_EQ(m.GetNumTriangles(), 3u * 398u);
}

TEST_F(MeshFilesTest, ReadOBJOfEveryTruncationFailsOrGivesAValidMesh)
{
    TriangleMesh cube;
    meshtest::MakeCube(cube);
    std::string error;
    ASSERT_TRUE(WriteOBJ(Path("cube.obj").c_str(), cube, error)) << error;
    std::ifstream in(Path("cube.obj"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(text.size(), 50u);
    for (size_t len = 0; len < text.size(); len += 3) {
        WriteText("cut.obj", text.substr(0, len));
        TriangleMesh m;
        meshtest::MakeTetrahedron(m);
        if (ReadOBJ(Path("cut.obj").c_str(), m, error)) {
            ASSERT_GT(m.GetNumTriangles(), 0u);
            ASSERT_LE(m.GetNumTriangles(), 12u);
            for (unsigned idx : m.GetIndices()) ASSERT_LT(idx, m.GetNumVertices());
        } else {
            ASSERT_EQ(m.GetNumTriangles(), 4u) << "mesh changed by a failed read at length " << len;
        }
    }
}

// The mesh the importer's general path makes of a file: triangulated, equal
// corners joined, objects appended in order.
void ImportedMesh(const std::string& path, std::vector<float>& values, std::vector<unsigned>& indices)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    for (unsigned mi = 0; mi < scene->mNumMeshes; ++mi) {
        const aiMesh* m = scene->mMeshes[mi];
        const unsigned base = unsigned(values.size() / 6);
        for (unsigned v = 0; v < m->mNumVertices; ++v) {
            const aiVector3D n = m->mNormals ? m->mNormals[v] : aiVector3D(0, 0, 0);
            values.insert(values.end(),
                          {m->mVertices[v].x, m->mVertices[v].y, m->mVertices[v].z, n.x, n.y, n.z});
        }
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const aiFace& face = m->mFaces[f];
            if (face.mNumIndices != 3) continue;
            const unsigned a = base + face.mIndices[0], b = base + face.mIndices[1],
                           c = base + face.mIndices[2];
            if (a != b && b != c && a != c) indices.insert(indices.end(), {a, b, c});
        }
    }
}

TEST_F(MeshFilesTest, ReadOBJGivesTheImportersVerticesTrianglesAndNormals)
{
    // Bit for bit, order included: vertices repeated on several lines, signed
    // zeros, concave and bent quads, objects and groups that share vertices,
    // corners that differ only in normal or texture coordinate, relative and
    // forward indices, CRLF lines, materials that split objects, and files
    // the importer reads alone (polygons, lines).
    const std::string grid =
        "v 0 0 0\nv 1 0 0\nv 2 0 0.5\nv 0 1 0\nv 1 1 -0.25\nv 2 1 0\nv 0 2 0\nv 1 2 0\nv 2 2 1\n";
    const char* cases[][2] = {
        {"grid", "f 1 2 5 4\nf 2 3 6 5\nf 4 5 8 7\nf 5 6 9 8\n"},
        {"concave", "v 0 0 0\nv 4 0 0\nv 1 1 0\nv 0 4 0\nf 1 2 3 4\nf 2 3 4 1\nf 3 4 1 2\nf 4 1 2 3\n"},
        {"repeated", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 0 0\nv -0 0 0\nf 1 2 3\nf 5 3 4\nf 3 2 1\n"},
        {"groups", "f 1 2 5\ng a\nf 2 5 6\ng a\nf 2 3 6\ng b\no a\nf 4 5 8 7\no c\nf 5 6 9\ng\nf 5 9 8\n"},
        {"normals",
         "vn 0 0 1\nvn 0 0 -1\nvn 0 0 1\nvt 0 0\nvt 1 0\nf 1//1 2//1 5//2\nf 2//3 5//2 6//1\n"
         "f 4/1 5/2 8/1\nf 5/1/1 6/2/2 9/1/3 8/2/1\nf 7 8 9\n"},
        {"relative", "f -9 -8 -5\nf 5 6 10\nv 3 3 3\nf -1 -2 -3 -4\n"},
        {"crlf", "f 1 2 5 4\r\n\r\n# note\r\ns 1\r\nf\t5 6 9\t\r\n"},
        {"polygon", "f 1 2 3 6 9 8 7 4\nf 1 2 5\n"},
        {"lines", "l 1 2 3\nf 1 2 5 4\np 9\n"},
        {"materials",
         "usemtl red\nf 1 2 5 4\nusemtl blue\nf 5 6 9\nusemtl red\nf 2 3 6\nusemtl red\nf 6 9 8\n"
         "g a\nf 4 5 8\nusemtl blue\nf 1 2 4\no b\nusemtl green\nf 7 8 9\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        const std::string name = std::string(c[0]) + ".obj";
        WriteText(name, grid + c[1]);
        std::vector<float> values;
        std::vector<unsigned> indices;
        ImportedMesh(Path(name), values, indices);
        TriangleMesh m;
        std::string error;
        ASSERT_TRUE(ReadOBJ(Path(name).c_str(), m, error)) << error;
        ASSERT_EQ(m.GetNumVertices(), values.size() / 6);
        std::vector<float> got;
        for (IMesh::VertexID v = 0; v < m.GetNumVertices(); ++v) {
            Vector3f p, n;
            m.GetVertex(v, p, &n);
            got.insert(got.end(), {p[0], p[1], p[2], n[0], n[1], n[2]});
        }
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i], values[i]) << "vertex " << i / 6;
            ASSERT_EQ(std::signbit(got[i]), std::signbit(values[i])) << "vertex " << i / 6;
        }
        EXPECT_EQ(m.GetIndices(), indices);
    }
}

TEST_F(MeshFilesTest, ReadOBJOfLargeFilesTakesTrianglesAndQuadsAndRefusesTheRestNamingTheLimit)
{
    // Beyond the size limit only the plain one-pass reading is done; the
    // general path would take far more memory than the file.
    const std::string corners = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0.5 1.5 0\nv 0 1 0\n";
    WriteText("quads.obj", corners + "# " + std::string(size_t(kMaxImportedOBJBytes), 'x') +
                               "\nf 1 2 3 5\nusemtl red\nf 3 4 5\n");
    TriangleMesh m;
    std::string error;
    ASSERT_TRUE(ReadOBJ(Path("quads.obj").c_str(), m, error)) << error;
    EXPECT_EQ(m.GetNumTriangles(), 3u);
    // The polygon is met on the first face line; the rest of the file is a
    // hole of zeros past the limit.
    WriteText("polygon.obj", corners + "f 1 2 3 4 5\n");
    fs::resize_file(Path("polygon.obj"), kMaxImportedOBJBytes + 1);
    VFTriangleMesh kept;
    meshtest::MakeTetrahedron(kept);
    EXPECT_FALSE(ReadOBJ(Path("polygon.obj").c_str(), kept, error));
    EXPECT_NE(error.find(std::to_string(kMaxImportedOBJBytes >> 20) + " MB"), std::string::npos) << error;
    EXPECT_EQ(kept.GetNumTriangles(), 4u);
    // A file of vertices alone is refused as such.
    WriteText("vertices.obj", corners);
    EXPECT_FALSE(ReadOBJ(Path("vertices.obj").c_str(), kept, error));
    EXPECT_NE(error.find("no triangles"), std::string::npos) << error;
    EXPECT_EQ(kept.GetNumTriangles(), 4u);
}

// ---------------------------------------------------------------- other formats

TEST_F(MeshFilesTest, ReadMeshFileReadsEveryWrittenFormatBackAsOneJoinedMesh)
{
    VFTriangleMesh sphere;
    meshtest::MakeSphere(sphere, 2, 0.75f);
    struct Format {
        const char* name;
        bool (*write)(const char*, const IMesh&, std::string&, float);
        bool normals;  // STL's facet normals are not kept
    };
    for (const Format& f : {Format{"m.obj", &WriteOBJ, true}, Format{"m.STL", &WriteSTL, false},
                            Format{"m.dae", &WriteCOLLADA, true}, Format{"m.glb", &WriteGLB, true},
                            Format{"m.ply", &WritePLY, true}}) {
        SCOPED_TRACE(f.name);
        std::string error;
        ASSERT_TRUE(f.write(Path(f.name).c_str(), sphere, error, 1.5f)) << error;
        TriangleMesh back;
        ASSERT_TRUE(ReadMeshFile(Path(f.name).c_str(), back, error)) << error;
        // Corners joined again: the same vertices and a closed surface.
        EXPECT_EQ(back.GetNumVertices(), sphere.GetNumVertices());
        ExpectSameSoup(SoupOf(back, 1.0f), SoupOf(sphere, 1.5f));
        VFTriangleMesh joined(back);
        for (IMesh::VertexID v = 0; v < joined.GetNumVertices(); ++v)
            ASSERT_FALSE(joined.IsBoundaryVertex(v)) << "vertex " << v;
        bool anyNormal = false;
        for (const Vector3f& n : back.GetNormals()) anyNormal = anyNormal || n.SquaredLength() > 0.0f;
        EXPECT_EQ(anyNormal, f.normals);
    }
    // A glTF text file whose buffer is a file beside it.
    {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(Path("m.glb"), 0);
        ASSERT_NE(scene, nullptr);
        Assimp::Exporter exporter;
        ASSERT_EQ(exporter.Export(scene, "gltf2", Path("text.gltf")), aiReturn_SUCCESS);
        ASSERT_TRUE(fs::exists(Path("text.bin")));
        TriangleMesh back;
        std::string error;
        ASSERT_TRUE(ReadMeshFile(Path("text.gltf").c_str(), back, error)) << error;
        ExpectSameSoup(SoupOf(back, 1.0f), SoupOf(sphere, 1.5f));
        fs::remove(Path("text.bin"));
        EXPECT_FALSE(ReadMeshFile(Path("text.gltf").c_str(), back, error));
        EXPECT_NE(error.find("text.gltf"), std::string::npos) << error;
    }
    EXPECT_EQ(MeshFileType("a/b.GLTF"), "gltf");
    EXPECT_EQ(MeshFileType("a.obj.txt"), "");
    EXPECT_EQ(MeshFileType("ply"), "");
}

TEST_F(MeshFilesTest, ReadMeshFileRefusesOtherTypesAndHostileFilesAndKeepsTheMesh)
{
    TriangleMesh sphere;
    meshtest::MakeSphere(sphere, 1, 1.0f);
    std::string error;
    ASSERT_TRUE(WriteGLB(Path("s.glb").c_str(), sphere, error)) << error;
    ASSERT_TRUE(WritePLY(Path("s.ply").c_str(), sphere, error)) << error;
    ASSERT_TRUE(WriteSTL(Path("s.stl").c_str(), sphere, error)) << error;
    ASSERT_TRUE(WriteCOLLADA(Path("s.dae").c_str(), sphere, error)) << error;
    WriteText("notes.txt", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    WriteText("text.ply", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    WriteText("empty.glb", "");
    WriteText(
        "counts.ply",
        "ply\nformat ascii 1.0\nelement vertex 4000000000\nproperty float x\nproperty float y\n"
        "property float z\nelement face 4000000000\nproperty list uchar int vertex_indices\nend_header\n"
        "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    WriteText("bad.gltf",
              "{\"asset\": {\"version\": \"2.0\"}, \"buffers\": [{\"uri\": \"missing.bin\", "
              "\"byteLength\": 1000000}]}");
    for (const char* name :
         {"notes.txt", "text.ply", "empty.glb", "counts.ply", "bad.gltf", "missing.stl", "no_extension"}) {
        SCOPED_TRACE(name);
        TriangleMesh kept;
        meshtest::MakeTetrahedron(kept);
        EXPECT_FALSE(ReadMeshFile(Path(name).c_str(), kept, error));
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_EQ(kept.GetNumTriangles(), 4u);
    }
    // Every cut of a file fails or gives a sound mesh, and a failure leaves
    // the mesh alone.
    for (const char* name : {"s.glb", "s.ply", "s.stl", "s.dae"}) {
        const std::string bytes = kftest::ReadFile(Path(name));
        const std::string cut = std::string("cut.") + (name + 2);
        for (size_t len = 0; len < bytes.size(); len += 1 + len / 16) {
            WriteText(cut, bytes.substr(0, len));
            TriangleMesh m;
            meshtest::MakeTetrahedron(m);
            if (ReadMeshFile(Path(cut).c_str(), m, error)) {
                ASSERT_GT(m.GetNumTriangles(), 0u);
                for (unsigned idx : m.GetIndices()) ASSERT_LT(idx, m.GetNumVertices());
            } else {
                ASSERT_EQ(m.GetNumTriangles(), 4u) << name << " cut at " << len;
            }
        }
    }
}

#include "implicit/mesh/MeshFiles.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace vynmesh {

namespace fs = std::filesystem;

namespace {

bool CheckTarget(const char* path, std::string& error)
{
    if (!path || !*path) {
        error = "No file name was given.";
        return false;
    }
    fs::path target(path);
    fs::path folder = target.parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec)) {
        error = "Cannot write \"" + target.string() + "\": the folder \"" + folder.string() + "\" does not exist.";
        return false;
    }
    if (fs::is_directory(target, ec)) {
        error = "Cannot write \"" + target.string() + "\": it is a folder.";
        return false;
    }
    return true;
}

// Builds a one-mesh scene; the scene's destructor frees everything made here.
std::unique_ptr<aiScene> MakeScene(const IMesh& mesh, float scale, bool withNormals, std::string& error)
{
    const unsigned nv = mesh.GetNumVertices();
    std::vector<unsigned> faces;
    IMesh::VertexID tri[3];
    for (IMesh::TriangleID t = 0; t < mesh.GetNumTriangles(); ++t) {
        mesh.GetTriangle(t, tri);
        if (tri[0] < nv && tri[1] < nv && tri[2] < nv) faces.insert(faces.end(), tri, tri + 3);
    }
    if (nv == 0 || faces.empty()) {
        error = "The mesh is empty: there is nothing to write.";
        return nullptr;
    }
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode();
    scene->mRootNode->mName = aiString(std::string("mesh"));
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    scene->mRootNode->mNumMeshes = 1;
    scene->mMaterials = new aiMaterial*[1]{new aiMaterial()};
    scene->mNumMaterials = 1;
    aiString matName(std::string("default"));
    scene->mMaterials[0]->AddProperty(&matName, AI_MATKEY_NAME);

    aiMesh* m = new aiMesh();
    scene->mMeshes = new aiMesh*[1]{m};
    scene->mNumMeshes = 1;
    m->mName = aiString(std::string("mesh"));
    m->mMaterialIndex = 0;
    m->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    m->mNumVertices = nv;
    m->mVertices = new aiVector3D[nv];
    Wml::Vector3<float> p, n;
    bool anyNormal = false;
    for (IMesh::VertexID v = 0; v < nv; ++v) {
        mesh.GetVertex(v, p, &n);
        m->mVertices[v] = aiVector3D(p[0] * scale, p[1] * scale, p[2] * scale);
        if (n.SquaredLength() > 0.0f) anyNormal = true;
    }
    if (withNormals && anyNormal) {
        m->mNormals = new aiVector3D[nv];
        for (IMesh::VertexID v = 0; v < nv; ++v) {
            mesh.GetVertex(v, p, &n);
            m->mNormals[v] = aiVector3D(n[0], n[1], n[2]);
        }
    }
    m->mNumFaces = unsigned(faces.size() / 3);
    m->mFaces = new aiFace[m->mNumFaces];
    for (unsigned f = 0; f < m->mNumFaces; ++f) {
        m->mFaces[f].mNumIndices = 3;
        m->mFaces[f].mIndices = new unsigned[3]{faces[3 * f], faces[3 * f + 1], faces[3 * f + 2]};
    }
    return scene;
}

bool HasFormat(Assimp::Exporter& exporter, const char* id)
{
    for (size_t i = 0; i < exporter.GetExportFormatCount(); ++i)
        if (std::string(exporter.GetExportFormatDescription(i)->id) == id) return true;
    return false;
}

bool Export(const char* path, const IMesh& mesh, std::string& error, float scale, const char* format,
            const char* fallback, bool withNormals)
{
    error.clear();
    if (!CheckTarget(path, error)) return false;
    if (!std::isfinite(scale) || scale <= 0.0f) {
        error = "The scale factor must be a positive number.";
        return false;
    }
    std::unique_ptr<aiScene> scene = MakeScene(mesh, scale, withNormals, error);
    if (!scene) return false;
    Assimp::Exporter exporter;
    const char* id = HasFormat(exporter, format) ? format : fallback;
    if (exporter.Export(scene.get(), id, path) != aiReturn_SUCCESS) {
        error = std::string("Cannot write \"") + path + "\": " + exporter.GetErrorString();
        return false;
    }
    return true;
}

bool Finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Triangulating a face takes time quadratic in its corners: a file of huge
// faces would stall the import. Small faces cost about as much per corner as
// parsing them and are not counted.
bool CheckFaceCorners(const aiScene& scene, const std::string& name, std::string& error)
{
    const unsigned long long budget = 1ull * kMaxFaceCorners * kMaxFaceCorners;
    unsigned long long work = 0;
    for (unsigned mi = 0; mi < scene.mNumMeshes; ++mi) {
        const aiMesh* m = scene.mMeshes[mi];
        if (!m || !m->mFaces) continue;
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const unsigned corners = m->mFaces[f].mNumIndices;
            if (corners > kMaxFaceCorners) {
                error = "Cannot read \"" + name + "\": a face has " + std::to_string(corners) + " corners; at most " +
                        std::to_string(kMaxFaceCorners) + " are accepted.";
                return false;
            }
            if (corners <= kSmallFaceCorners) continue;
            work += 1ull * corners * corners;
            if (work > budget) {
                error = "Cannot read \"" + name + "\": its faces of more than " + std::to_string(kSmallFaceCorners) +
                        " corners are too large to triangulate in all (their squared corner counts may add up to "
                        "that of one face of " +
                        std::to_string(kMaxFaceCorners) + " corners).";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool WriteOBJ(const char* path, const IMesh& mesh, std::string& error, float scale)
{
    return Export(path, mesh, error, scale, "objnomtl", "obj", true);
}

bool WriteSTL(const char* path, const IMesh& mesh, std::string& error, float scale)
{
    return Export(path, mesh, error, scale, "stlb", "stl", false);
}

bool WriteCOLLADA(const char* path, const IMesh& mesh, std::string& error, float scale)
{
    return Export(path, mesh, error, scale, "collada", "collada", true);
}

bool ReadOBJ(const char* path, TriangleMesh& out, std::string& error)
{
    error.clear();
    if (!path || !*path) {
        error = "No file name was given.";
        return false;
    }
    std::error_code ec;
    const std::string name(path);
    if (!fs::is_regular_file(name, ec)) {
        error = "Cannot open \"" + name + "\": no such file.";
        return false;
    }
    const auto size = fs::file_size(name, ec);
    if (ec || size == 0) {
        error = "Cannot read \"" + name + "\": the file is empty.";
        return false;
    }
    if (size > kMaxMeshFileBytes) {
        error = "Cannot read \"" + name + "\": the file is too large.";
        return false;
    }
    std::ifstream in(name, std::ios::binary);
    std::vector<char> bytes(size);
    if (!in.read(bytes.data(), std::streamsize(size))) {
        error = "Cannot read \"" + name + "\".";
        return false;
    }
    // Parsing from memory with the OBJ hint keeps other formats' parsers
    // away from the bytes whatever the file is named. The faces are checked
    // before they are triangulated.
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFileFromMemory(bytes.data(), bytes.size(), aiProcess_ValidateDataStructure, "obj");
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        error = "Cannot read \"" + name + "\" as OBJ: " + importer.GetErrorString();
        return false;
    }
    if (!CheckFaceCorners(*scene, name, error)) return false;
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
    if (!scene) {
        error = "Cannot read \"" + name + "\" as OBJ: " + importer.GetErrorString();
        return false;
    }
    std::vector<aiVector3D> positions, normals;
    std::vector<unsigned> indices;
    for (unsigned mi = 0; mi < scene->mNumMeshes; ++mi) {
        const aiMesh* m = scene->mMeshes[mi];
        if (!m || !m->mVertices) continue;
        const unsigned base = unsigned(positions.size());
        for (unsigned v = 0; v < m->mNumVertices; ++v) {
            if (!Finite(m->mVertices[v])) {
                error = "Cannot read \"" + name + "\": a vertex position is not a number.";
                return false;
            }
            positions.push_back(m->mVertices[v]);
            normals.push_back(m->mNormals && Finite(m->mNormals[v]) ? m->mNormals[v] : aiVector3D(0, 0, 0));
        }
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const aiFace& face = m->mFaces[f];
            if (face.mNumIndices != 3) continue;  // points and lines are not surface
            for (int k = 0; k < 3; ++k) {
                if (face.mIndices[k] >= m->mNumVertices) {
                    error = "Cannot read \"" + name + "\": a face refers to a missing vertex.";
                    return false;
                }
            }
            indices.insert(indices.end(), {base + face.mIndices[0], base + face.mIndices[1], base + face.mIndices[2]});
        }
    }
    // Joined vertices can collapse a triangle; those are dropped up front so
    // a file of nothing else is refused before `out` is touched.
    std::vector<unsigned> kept;
    kept.reserve(indices.size());
    for (size_t i = 0; i < indices.size(); i += 3) {
        const unsigned a = indices[i], b = indices[i + 1], c = indices[i + 2];
        if (a != b && b != c && a != c) kept.insert(kept.end(), {a, b, c});
    }
    indices.swap(kept);
    if (indices.empty()) {
        error = "Cannot read \"" + name + "\": the file holds no triangles.";
        return false;
    }
    out.Clear();
    out.Reserve(unsigned(positions.size()), unsigned(indices.size() / 3));
    for (size_t v = 0; v < positions.size(); ++v) {
        Wml::Vector3<float> p(positions[v].x, positions[v].y, positions[v].z);
        Wml::Vector3<float> n(normals[v].x, normals[v].y, normals[v].z);
        out.AppendVertex(p, &n);
    }
    for (size_t i = 0; i < indices.size(); i += 3) out.AppendTriangle(indices[i], indices[i + 1], indices[i + 2]);
    return true;
}

}  // namespace vynmesh

#include "implicit/mesh/MeshFiles.h"

#include <assimp/fast_atof.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
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
        error = "Cannot write \"" + target.string() + "\": the folder \"" + folder.string() +
                "\" does not exist.";
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
    scene->mMaterials = new aiMaterial* [1] { new aiMaterial() };
    scene->mNumMaterials = 1;
    aiString matName(std::string("default"));
    scene->mMaterials[0]->AddProperty(&matName, AI_MATKEY_NAME);

    aiMesh* m = new aiMesh();
    scene->mMeshes = new aiMesh* [1] { m };
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

bool Finite(const aiVector3D& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

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
                error = "Cannot read \"" + name + "\": a face has " + std::to_string(corners) +
                        " corners; at most " + std::to_string(kMaxFaceCorners) + " are accepted.";
                return false;
            }
            if (corners <= kSmallFaceCorners) continue;
            work += 1ull * corners * corners;
            if (work > budget) {
                error =
                    "Cannot read \"" + name + "\": its faces of more than " +
                    std::to_string(kSmallFaceCorners) +
                    " corners are too large to triangulate in all (their squared corner counts may add up to "
                    "that of one face of " +
                    std::to_string(kMaxFaceCorners) + " corners).";
                return false;
            }
        }
    }
    return true;
}

// Appends the triangles of every mesh of an imported scene; points and lines
// are not surface.
bool CollectImported(const aiScene& scene, const std::string& name, std::vector<aiVector3D>& positions,
                     std::vector<aiVector3D>& normals, std::vector<unsigned>& indices, std::string& error)
{
    for (unsigned mi = 0; mi < scene.mNumMeshes; ++mi) {
        const aiMesh* m = scene.mMeshes[mi];
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
        if (!m->mFaces) continue;
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const aiFace& face = m->mFaces[f];
            if (face.mNumIndices != 3) continue;
            for (int k = 0; k < 3; ++k) {
                if (face.mIndices[k] >= m->mNumVertices) {
                    error = "Cannot read \"" + name + "\": a face refers to a missing vertex.";
                    return false;
                }
            }
            indices.insert(indices.end(),
                           {base + face.mIndices[0], base + face.mIndices[1], base + face.mIndices[2]});
        }
    }
    return true;
}

// The importer's general path: for OBJ files the simple reader leaves alone
// and for the other formats. With bytes, they are parsed from memory with
// the format's hint, which keeps other formats' parsers away from them
// whatever the file is named; without (a glTF text file, whose buffers are
// files beside it) the path is read. The faces are checked before they are
// triangulated. Node placements are applied to the vertices.
bool Import(const std::vector<char>* bytes, size_t size, const char* hint, const std::string& name,
            const char* formatName, std::vector<aiVector3D>& positions, std::vector<aiVector3D>& normals,
            std::vector<unsigned>& indices, std::string& error)
{
    Assimp::Importer importer;
    const std::string failed = "Cannot read \"" + name + "\" as " + formatName + ": ";
    try {
        const aiScene* scene =
            bytes ? importer.ReadFileFromMemory(bytes->data(), size, aiProcess_ValidateDataStructure, hint)
                  : importer.ReadFile(name, aiProcess_ValidateDataStructure);
        if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
            error = failed + importer.GetErrorString();
            return false;
        }
        if (!CheckFaceCorners(*scene, name, error)) return false;
        unsigned steps = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices;
        if (std::strcmp(hint, "obj") != 0) steps |= aiProcess_PreTransformVertices;
        // STL's facet normals would keep every corner apart: corners are
        // joined by position and smooth normals made afterwards instead.
        if (std::strcmp(hint, "stl") == 0) steps |= aiProcess_DropNormals;
        scene = importer.ApplyPostProcessing(steps);
        if (!scene) {
            error = failed + importer.GetErrorString();
            return false;
        }
        return CollectImported(*scene, name, positions, normals, indices, error);
    } catch (const std::exception& e) {
        // Parsers may give up by throwing, or run out of memory on hostile counts.
        error = failed + e.what();
        return false;
    }
}

// The importer's PLY reader loops forever on a cut header and reads past
// the end of a cut binary body, so a PLY file is walked here first: a
// complete header of known types, and a body that holds every element it
// announces.
class PLYCheck {
public:
    bool Run(const char* data, size_t size, std::string& problem)
    {
        m_at = data;
        m_end = data + size;
        std::string line;
        if (!Line(line) || (line != "ply" && line != "PLY"))
            return Fail("it does not start with \"ply\"", problem);
        std::string format;
        for (;;) {
            if (!Line(line)) return Fail("its header is incomplete", problem);
            std::istringstream words(line);
            std::string key;
            words >> key;
            if (key == "end_header") break;
            if (key.empty() || key == "comment" || key == "obj_info") continue;
            if (key == "format") {
                words >> format;
            } else if (key == "element") {
                Element e;
                std::string name;
                if (!(words >> name >> e.count)) return Fail("an element has no count", problem);
                // Every item takes at least one byte of the body.
                if (e.count > size) return Fail("an element count is larger than the file", problem);
                m_elements.push_back(e);
            } else if (key == "property") {
                if (m_elements.empty()) return Fail("a property belongs to no element", problem);
                Property p;
                std::string type;
                words >> type;
                if (type == "list") {
                    std::string countType;
                    words >> countType >> type;
                    p.countSize = TypeSize(countType);
                    if (!p.countSize || countType == "float" || countType == "double" ||
                        countType == "float32" || countType == "float64")
                        return Fail("a list has no whole-number count type", problem);
                }
                p.size = TypeSize(type);
                if (!p.size) return Fail("a property has an unknown type", problem);
                m_elements.back().properties.push_back(p);
            } else {
                return Fail("its header holds an unknown line", problem);
            }
        }
        for (const Element& e : m_elements)
            if (e.count > 0 && e.properties.empty()) return Fail("an element has no properties", problem);
        if (format == "ascii") return Ascii(problem);
        if (format == "binary_little_endian" || format == "binary_big_endian")
            return Binary(format == "binary_big_endian", problem);
        return Fail("its format is unknown", problem);
    }

private:
    struct Property {
        unsigned size = 0;       // bytes of a value
        unsigned countSize = 0;  // bytes of a list's count; 0 for a single value
    };
    struct Element {
        unsigned long long count = 0;
        std::vector<Property> properties;
    };

    static unsigned TypeSize(const std::string& t)
    {
        if (t == "char" || t == "uchar" || t == "int8" || t == "uint8") return 1;
        if (t == "short" || t == "ushort" || t == "int16" || t == "uint16") return 2;
        if (t == "int" || t == "uint" || t == "float" || t == "int32" || t == "uint32" || t == "float32")
            return 4;
        if (t == "double" || t == "float64") return 8;
        return 0;
    }

    static bool Fail(const char* why, std::string& problem)
    {
        problem = why;
        return false;
    }

    bool Line(std::string& line)
    {
        const char* eol = static_cast<const char*>(std::memchr(m_at, '\n', size_t(m_end - m_at)));
        if (!eol) return false;
        line.assign(m_at, eol);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        m_at = eol + 1;
        return true;
    }

    bool Binary(bool bigEndian, std::string& problem)
    {
        for (const Element& e : m_elements) {
            for (unsigned long long i = 0; i < e.count; ++i) {
                for (const Property& p : e.properties) {
                    unsigned long long items = 1;
                    if (p.countSize) {
                        if (size_t(m_end - m_at) < p.countSize) return Fail("it is cut short", problem);
                        unsigned char b[4] = {0, 0, 0, 0};
                        std::memcpy(b, m_at, p.countSize);
                        items = 0;
                        for (unsigned k = 0; k < p.countSize; ++k)
                            items |= (unsigned long long)(b[bigEndian ? p.countSize - 1 - k : k]) << (8 * k);
                        m_at += p.countSize;
                    }
                    if (items * p.size > size_t(m_end - m_at)) return Fail("it is cut short", problem);
                    m_at += items * p.size;
                }
            }
        }
        return true;
    }

    bool Word(std::string& word)
    {
        while (m_at < m_end && std::isspace((unsigned char)*m_at)) ++m_at;
        const char* start = m_at;
        while (m_at < m_end && !std::isspace((unsigned char)*m_at)) ++m_at;
        word.assign(start, m_at);
        return !word.empty();
    }

    bool Ascii(std::string& problem)
    {
        std::string word;
        for (const Element& e : m_elements) {
            for (unsigned long long i = 0; i < e.count; ++i) {
                for (const Property& p : e.properties) {
                    unsigned long long items = 1;
                    if (p.countSize) {
                        if (!Word(word)) return Fail("it is cut short", problem);
                        char* stop = nullptr;
                        items = std::strtoull(word.c_str(), &stop, 10);
                        if (*stop || word[0] == '-') return Fail("a list count is not a number", problem);
                    }
                    for (unsigned long long k = 0; k < items; ++k)
                        if (!Word(word)) return Fail("it is cut short", problem);
                }
            }
        }
        return true;
    }

    const char* m_at = nullptr;
    const char* m_end = nullptr;
    std::vector<Element> m_elements;
};

// The common OBJ file - vertices, normals, texture coordinates, triangles and
// quads, objects, groups and materials - is read here in one pass: the importer's general
// path copies every face corner into its own vertex and joins them again with a
// spatial sort, which takes several seconds and about a gigabyte for a file of
// 64 MB. The result is the same: faces are split into parts where the importer
// starts a new mesh, corners of one part with equal position, normal and
// texture coordinate become one vertex in order of first use, and quads are
// split as the importer splits them. Anything else answers false and the
// caller takes the importer's path.
class SimpleOBJ {
public:
    std::vector<aiVector3D> positions, normals;
    std::vector<unsigned> indices;
    bool noFaces = false;  // read through without finding a face

    bool Parse(char* text, size_t size)
    {
        char* const end = text + size;
        char* c = text;
        // Vertex and face lines take some 20 bytes or more.
        vs.reserve(size / 48);
        faces.reserve(size / 48);
        corners.reserve(size / 12);
        while (c < end) {
            char* eol = static_cast<char*>(std::memchr(c, '\n', size_t(end - c)));
            if (!eol) eol = end;
            *eol = '\0';  // the buffer holds one more byte than the file
            if (!Line(c, eol)) return false;
            c = eol + 1;
        }
        noFaces = faces.empty();
        if (noFaces) return false;
        return Build();
    }

private:
    struct Corner {
        int v, vt, vn;  // indices from 0; -1 when absent
    };
    std::vector<aiVector3D> vs, vts, vns;
    std::vector<Corner> corners;
    std::vector<unsigned> faces;       // first corner of each face; its size is 3 or 4
    std::vector<unsigned> partStarts;  // first face of each part
    std::unordered_set<std::string> objectNames;
    std::string activeGroup;
    // Materials only split parts: a part keeps one material.
    std::string material;  // empty: the default one
    std::unordered_map<std::string, int> materials;
    int partMaterial = -1;
    bool revisited = false;  // an object named again: its next part would go back to it

    int MaterialIndex() const { return material.empty() ? -1 : materials.at(material); }

    static bool Space(char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }

    // Splits a line into at most `max` tokens; false when it holds more.
    static int Tokens(char* c, char* end, char** tok, int max)
    {
        int n = 0;
        while (c < end) {
            while (c < end && Space(*c)) ++c;
            if (c >= end) break;
            if (n == max) return max + 1;
            tok[n++] = c;
            while (c < end && !Space(*c)) ++c;
            if (c < end) *c++ = '\0';
        }
        return n;
    }

    // Thrown by the importer's number parser instead of its own error type.
    struct NumberError : std::runtime_error {
        template <typename... T>
        explicit NumberError(T&&...) : std::runtime_error("not a number")
        {
        }
    };

    static bool Real(const char* t, float& out)
    {
        if (std::strchr(t, ',')) return false;
        try {
            const char* e = Assimp::fast_atoreal_move<float, NumberError>(t, out);
            return *e == '\0' && std::isfinite(out);
        } catch (const std::exception&) {
            return false;
        }
    }

    static bool Vector(char** tok, int n, int need, std::vector<aiVector3D>& list)
    {
        if (n != need) return false;
        float x[3] = {0.0f, 0.0f, 0.0f};
        for (int i = 0; i < n; ++i)
            if (!Real(tok[i], x[i])) return false;
        list.emplace_back(x[0], x[1], x[2]);
        return true;
    }

    // A 1-based index or one counted back from the last item read so far.
    static bool Index(const char* t, const char* e, size_t count, int& out)
    {
        if (t == e) return false;
        bool neg = *t == '-';
        if (neg) ++t;
        if (t == e || e - t > 9) return false;
        long v = 0;
        for (; t < e; ++t) {
            if (*t < '0' || *t > '9') return false;
            v = v * 10 + (*t - '0');
        }
        if (v == 0) return false;
        if (neg) {
            if (size_t(v) > count) return false;
            out = int(count - size_t(v));
        } else {
            out = int(v - 1);  // may refer to an item further down; checked at the end
        }
        return true;
    }

    bool Face(char** tok, int n)
    {
        if (n < 3 || n > 4) return false;
        if (partStarts.empty()) {
            partStarts.push_back(0);
            partMaterial = MaterialIndex();
        }
        faces.push_back(unsigned(corners.size()));
        for (int i = 0; i < n; ++i) {
            // v, v/vt, v/vt/vn or v//vn
            const char* t = tok[i];
            const char* end = t + std::strlen(t);
            const char* s1 = std::find(t, end, '/');
            const char* s2 = s1 == end ? end : std::find(s1 + 1, end, '/');
            Corner k{-1, -1, -1};
            if (!Index(t, s1, vs.size(), k.v)) return false;
            if (s1 != end) {
                if (s2 == end || s2 != s1 + 1) {
                    if (!Index(s1 + 1, s2, vts.size(), k.vt)) return false;
                }
                if (s2 != end && !Index(s2 + 1, end, vns.size(), k.vn)) return false;
            }
            corners.push_back(k);
        }
        return true;
    }

    void NewPart()
    {
        if (!partStarts.empty() && partStarts.back() == faces.size()) return;  // empty parts vanish
        partStarts.push_back(unsigned(faces.size()));
    }

    bool Line(char* c, char* end)
    {
        while (c < end && Space(*c)) ++c;
        if (c == end || *c == '#') return true;
        if (end[-1] == '\\') return false;  // continued lines
        char* tok[8];
        const int n = Tokens(c, end, tok, 7);
        if (n > 7) return false;
        const std::string key(tok[0]);
        if (key == "v") return Vector(tok + 1, n - 1, 3, vs);
        if (key == "vn") return Vector(tok + 1, n - 1, 3, vns);
        if (key == "vt") return (n == 3 || n == 4) && Vector(tok + 1, n - 1, n - 1, vts);
        if (key == "f") return Face(tok + 1, n - 1);
        if (key == "s" || key == "mtllib") return true;
        if ((key == "o" || key == "g") && n == 2) {
            const std::string name(tok[1]);
            if (key == "g" && name == activeGroup) return true;
            if (key == "o" && objectNames.count(name)) {
                revisited = true;
                return true;  // faces stay in the current part
            }
            if (key == "g") activeGroup = name;
            objectNames.insert(name);
            NewPart();
            partMaterial = MaterialIndex();
            return true;
        }
        if (key == "usemtl" && n == 2) {
            const std::string name(tok[1]);
            if (name == material) return true;
            material = name;
            const int index = materials.emplace(name, int(materials.size())).first->second;
            if (partStarts.empty()) return true;  // the first face starts a part with it
            if (partMaterial != -1 && partMaterial != index && partStarts.back() < faces.size()) {
                if (revisited) return false;
                NewPart();
            }
            partMaterial = index;
            return true;
        }
        return false;
    }

    struct ValueHash {
        size_t operator()(const aiVector3D& v) const
        {
            size_t h = 1469598103934665603ull;
            for (float x : {v.x, v.y, v.z}) {
                unsigned bits;
                x += 0.0f;  // -0 and 0 compare equal, so they hash alike
                std::memcpy(&bits, &x, sizeof bits);
                h = (h ^ bits) * 1099511628211ull;
            }
            return h;
        }
    };

    // For each item, the first item of equal value: corners are joined by
    // value, not by index, so repeated lines of one vertex make one vertex.
    static std::vector<int> FirstEqual(const std::vector<aiVector3D>& list)
    {
        // Open addressing: a table of item numbers at least twice the items.
        size_t cap = 16;
        while (cap < 2 * list.size()) cap *= 2;
        std::vector<int> table(cap, -1);
        std::vector<int> out(list.size());
        const ValueHash hash;
        for (size_t i = 0; i < list.size(); ++i) {
            size_t at = hash(list[i]) & (cap - 1);
            while (table[at] >= 0 && !(list[size_t(table[at])] == list[i])) at = (at + 1) & (cap - 1);
            if (table[at] < 0) table[at] = int(i);
            out[i] = table[at];
        }
        return out;
    }

    struct Triple {
        int v, vt, vn;
        bool operator==(const Triple& o) const { return v == o.v && vt == o.vt && vn == o.vn; }
    };
    struct TripleHash {
        size_t operator()(const Triple& t) const
        {
            return (size_t(unsigned(t.v)) * 0x9E3779B97F4A7C15ull) ^
                   (size_t(unsigned(t.vt)) * 0xC2B2AE3D27D4EB4Full) ^ size_t(unsigned(t.vn));
        }
    };

    bool Build()
    {
        for (const Corner& k : corners) {
            if (k.v < 0 || size_t(k.v) >= vs.size()) return false;
            if (k.vt >= 0 && size_t(k.vt) >= vts.size()) return false;
            if (k.vn >= 0 && size_t(k.vn) >= vns.size()) return false;
        }
        // A corner without a normal or texture coordinate has zero ones,
        // and joins corners whose are zero.
        const int noVt = int(vts.size()), noVn = int(vns.size());
        vts.emplace_back(0, 0, 0);
        vns.emplace_back(0, 0, 0);
        const std::vector<int> sameV = FirstEqual(vs), sameVt = FirstEqual(vts), sameVn = FirstEqual(vns);
        partStarts.push_back(unsigned(faces.size()));
        positions.reserve(vs.size());
        normals.reserve(vs.size());
        indices.reserve(faces.size() * 6);
        // The first vertex of this part made from each position; other
        // normals or texture coordinates at that position go through `more`.
        std::vector<unsigned> firstAt(vs.size(), 0), partOf(vs.size(), ~0u);
        std::vector<Triple> made;
        std::unordered_map<Triple, unsigned, TripleHash> more;
        unsigned local[4];
        for (unsigned p = 0; p + 1 < partStarts.size(); ++p) {
            more.clear();
            const unsigned base = unsigned(positions.size());
            made.clear();
            for (unsigned f = partStarts[p]; f < partStarts[p + 1]; ++f) {
                const unsigned first = faces[f];
                const unsigned last = f + 1 < faces.size() ? faces[f + 1] : unsigned(corners.size());
                for (unsigned i = first; i < last; ++i) {
                    const Corner& k = corners[i];
                    const Triple t{sameV[size_t(k.v)], sameVt[size_t(k.vt >= 0 ? k.vt : noVt)],
                                   sameVn[size_t(k.vn >= 0 ? k.vn : noVn)]};
                    const size_t at = size_t(t.v);
                    unsigned id;
                    if (partOf[at] != p) {
                        partOf[at] = p;
                        id = firstAt[at] = unsigned(made.size());
                    } else if (made[firstAt[at]] == t) {
                        id = firstAt[at];
                    } else {
                        id = more.emplace(t, unsigned(made.size())).first->second;
                    }
                    if (id == made.size()) {
                        made.push_back(t);
                        // A joined vertex keeps the values of its first corner, signed zeros included.
                        positions.push_back(vs[size_t(k.v)]);
                        normals.push_back(vns[size_t(k.vn >= 0 ? k.vn : noVn)]);
                    }
                    local[i - first] = base + id;
                }
                if (last - first == 3) {
                    indices.insert(indices.end(), local, local + 3);
                    continue;
                }
                // A quad has at most one concave corner; it is split from
                // there, or else from its first corner.
                unsigned start = 0;
                for (unsigned i = 0; i < 4; ++i) {
                    const aiVector3D& v = vs[size_t(corners[first + i].v)];
                    aiVector3D left = vs[size_t(corners[first + (i + 3) % 4].v)] - v;
                    aiVector3D diag = vs[size_t(corners[first + (i + 2) % 4].v)] - v;
                    aiVector3D right = vs[size_t(corners[first + (i + 1) % 4].v)] - v;
                    left.Normalize();
                    diag.Normalize();
                    right.Normalize();
                    const float angle = std::acos(left * diag) + std::acos(right * diag);
                    if (angle > AI_MATH_PI_F) {
                        start = i;
                        break;
                    }
                }
                indices.insert(indices.end(), {local[start], local[(start + 1) % 4], local[(start + 2) % 4]});
                indices.insert(indices.end(), {local[start], local[(start + 2) % 4], local[(start + 3) % 4]});
            }
        }
        return true;
    }
};

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

bool WriteGLB(const char* path, const IMesh& mesh, std::string& error, float scale)
{
    return Export(path, mesh, error, scale, "glb2", "glb", true);
}

bool WritePLY(const char* path, const IMesh& mesh, std::string& error, float scale)
{
    return Export(path, mesh, error, scale, "plyb", "ply", true);
}

namespace {

// The read triangles into out. Joined vertices can collapse a triangle;
// those are dropped up front so a file of nothing else is refused before
// `out` is touched.
bool Fill(const std::string& name, const std::vector<aiVector3D>& positions,
          const std::vector<aiVector3D>& normals, std::vector<unsigned>& indices, TriangleMesh& out,
          std::string& error)
{
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
    for (size_t i = 0; i < indices.size(); i += 3)
        out.AppendTriangle(indices[i], indices[i + 1], indices[i + 2]);
    return true;
}

}  // namespace

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
    std::vector<char> bytes;
    auto load = [&]() {
        std::ifstream in(name, std::ios::binary);
        bytes.assign(size + 1, '\0');
        return bool(in.read(bytes.data(), std::streamsize(size)));
    };
    if (!load()) {
        error = "Cannot read \"" + name + "\".";
        return false;
    }
    std::vector<aiVector3D> positions, normals;
    std::vector<unsigned> indices;
    {
        SimpleOBJ simple;
        if (simple.Parse(bytes.data(), size)) {
            positions.swap(simple.positions);
            normals.swap(simple.normals);
            indices.swap(simple.indices);
        } else if (simple.noFaces) {
            error = "Cannot read \"" + name + "\": the file holds no triangles.";
            return false;
        } else if (!load()) {  // the parser wrote into the bytes
            error = "Cannot read \"" + name + "\".";
            return false;
        }
    }
    if (indices.empty()) {
        // The importer's path takes about 20 bytes of memory per byte of file.
        if (size > kMaxImportedOBJBytes) {
            error = "Cannot read \"" + name + "\": an OBJ file of more than " +
                    std::to_string(kMaxImportedOBJBytes >> 20) +
                    " MB is read only when it holds nothing but vertices, normals, texture coordinates, "
                    "triangles, "
                    "quads, objects, groups and materials.";
            return false;
        }
        if (!Import(&bytes, size, "obj", name, "OBJ", positions, normals, indices, error)) return false;
    }
    return Fill(name, positions, normals, indices, out, error);
}

std::string MeshFileType(const std::string& path)
{
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    static const char* const kTypes[] = {"obj", "stl", "dae", "ply", "glb", "gltf"};
    for (const char* type : kTypes)
        if (ext.size() > 1 && ext.substr(1) == type) return type;
    return std::string();
}

bool ReadMeshFile(const char* path, TriangleMesh& out, std::string& error)
{
    error.clear();
    if (!path || !*path) {
        error = "No file name was given.";
        return false;
    }
    const std::string name(path);
    const std::string type = MeshFileType(name);
    if (type.empty()) {
        error = "Cannot read \"" + name + "\": meshes are read from OBJ, STL, COLLADA, PLY and glTF files.";
        return false;
    }
    if (type == "obj") return ReadOBJ(path, out, error);
    std::error_code ec;
    if (!fs::is_regular_file(name, ec)) {
        error = "Cannot open \"" + name + "\": no such file.";
        return false;
    }
    const auto size = fs::file_size(name, ec);
    if (ec || size == 0) {
        error = "Cannot read \"" + name + "\": the file is empty.";
        return false;
    }
    if (size > kMaxImportedMeshBytes) {
        error = "Cannot read \"" + name + "\": files of more than " +
                std::to_string(kMaxImportedMeshBytes >> 20) + " MB are not read in this format.";
        return false;
    }
    const char* formatName = type == "stl"   ? "STL"
                             : type == "dae" ? "COLLADA"
                             : type == "ply" ? "PLY"
                                             : "glTF";
    std::vector<aiVector3D> positions, normals;
    std::vector<unsigned> indices;
    if (type == "gltf") {
        // Its buffers may be files beside it: the importer reads the path.
        if (!Import(nullptr, 0, "gltf", name, formatName, positions, normals, indices, error)) return false;
    } else {
        std::vector<char> bytes(size + 1, '\0');
        std::ifstream in(name, std::ios::binary);
        if (!in.read(bytes.data(), std::streamsize(size))) {
            error = "Cannot read \"" + name + "\".";
            return false;
        }
        std::string problem;
        if (type == "ply" && !PLYCheck().Run(bytes.data(), size, problem)) {
            error = "Cannot read \"" + name + "\" as PLY: " + problem + ".";
            return false;
        }
        if (!Import(&bytes, size, type.c_str(), name, formatName, positions, normals, indices, error))
            return false;
    }
    return Fill(name, positions, normals, indices, out, error);
}

}  // namespace vynmesh

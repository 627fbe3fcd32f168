#pragma once
// A triangle mesh imported from a mesh file (OBJ, STL, COLLADA, PLY, glTF),
// placed in the scene by a frame.
//
// The mesh stays in its file's coordinates; the frame maps them to the world
// (p = origin + R^T (scale * q)). Scenes keep only the file's path, relative
// to the scene file when there is one, and the frame.

#include <string>

#include "implicit/mesh/IMeshBVTree.h"
#include "implicit/mesh/MeshRenderer.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "scene/SceneObject.h"

namespace vynui {

class MeshSceneObject : public SceneObject {
public:
    MeshSceneObject();
    ~MeshSceneObject() override;

    /// A new object with its parameters, holding the mesh of the file at
    /// path; null, with the reason in error, when the file is missing,
    /// unreadable, hostile or holds no triangles.
    static MeshSceneObject* Import(const std::string& path, std::string& error);

    /// Reads the mesh file at path (vynmesh::ReadMeshFile). Vertex normals are computed when the file
    /// has none. On success the listeners are told (null event); on failure
    /// the object is unchanged and error says why.
    bool LoadFromFile(const std::string& path, std::string& error);

    const std::string& GetMeshFilePath() const { return m_path; }
    /// The mesh in its own (file) coordinates.
    const vynmesh::VFTriangleMesh& GetMesh() const { return m_mesh; }
    /// The mesh carried into world coordinates by the frame.
    void GetWorldMesh(vynmesh::TriangleMesh& out);

    Wml::Frame3<float> GetFrame() override;
    /// "DynamicTool3D", "Translation3D" and "Rotation3D".
    bool SupportsTool(const std::string& toolName) override;
    const char* GetTypeName() override { return "MeshSceneObject"; }
    /// "Position", "Orientation", "Scale", then "Name".
    void InitializeParameters() override;
    /// The handles first (when selected), then the nearest triangle the ray
    /// crosses; t is the ray parameter of the hit.
    SceneObject* Pick(const Wml::Ray3<float>& ray, float& t) override;
    /// The lit mesh, tinted when selected, then the handles.
    void Render(bool selected) override;

    /// The base record, "MeshFilePath" (relative to the folder of the
    /// serializer's file name when one is set) and "MeshFrame".
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The base record, a finite "MeshFrame" when present, then the mesh from
    /// "MeshFilePath". When the mesh cannot be read the path is kept (saving
    /// again does not lose it) and the answer is false.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    void DoTranslate(const Wml::Vector3<float>& v, bool relative) override;
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override;
    /// Relative: the scale vector is multiplied by the factors; absolute: it
    /// is set. uniform uses the first value on every axis.
    void DoScale(float sx, float sy, float sz, bool relative, bool uniform) override;

private:
    Wml::Frame3<float> m_frame;
    std::string m_path;
    vynmesh::VFTriangleMesh m_mesh;
    vynmesh::IMeshBVTree m_tree;
    vynmesh::MeshRenderer m_renderer;  // keeps its buffers between frames
};

}  // namespace vynui

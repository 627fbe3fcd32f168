#pragma once
// Triangle mesh that also knows, for each vertex, the triangles around it.

#include <string>
#include <vector>

#include "implicit/mesh/TriangleMesh.h"

namespace vynmesh {

/// TriangleMesh plus vertex-to-face adjacency, kept up to date by every call
/// that adds, changes or removes a triangle.
class VFTriangleMesh : public TriangleMesh {
public:
    VFTriangleMesh() = default;
    /// Copies the arrays of a plain mesh and builds the adjacency.
    explicit VFTriangleMesh(const TriangleMesh& mesh);

    void Clear() override;
    VertexID AppendVertex(const Wml::Vector3<float>& p, const Wml::Vector3<float>* normal = nullptr) override;
    TriangleID AppendTriangle(VertexID a, VertexID b, VertexID c) override;
    void SetTriangle(TriangleID t, VertexID a, VertexID b, VertexID c) override;
    bool RemoveTriangle(TriangleID t) override;

    /// Triangles that use v (empty for an unknown id).
    void GetVertexTriangles(VertexID v, std::vector<TriangleID>& out) const;
    /// The vertices sharing an edge with v, each once (empty for an unknown id).
    void GetVertexNeighbours(VertexID v, std::vector<VertexID>& out) const;
    /// True when some edge at v is used by exactly one triangle. An isolated
    /// vertex (no triangles) is not on a boundary.
    bool IsBoundaryVertex(VertexID v) const;

    /// The mesh-file writers (MeshFiles.h) applied to this mesh.
    bool WriteOBJ(const std::string& path, std::string& error) const;
    bool WriteSTL(const std::string& path, std::string& error) const;
    bool WriteCOLLADA(const std::string& path, std::string& error) const;
    bool WriteGLB(const std::string& path, std::string& error) const;
    bool WritePLY(const std::string& path, std::string& error) const;

private:
    void Link(TriangleID t);
    void Unlink(TriangleID t);
    void RebuildAdjacency();

    // One list per vertex id; lists past the vertex count are empty spares.
    std::vector<std::vector<TriangleID>> m_vertexTriangles;
};

}  // namespace vynmesh

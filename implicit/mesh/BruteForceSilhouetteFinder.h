#pragma once
// Silhouette edges of a triangle mesh seen from an eye point, found by
// testing every edge: an edge is on the silhouette when one of its faces
// looks toward the eye and the other away, or when it is a boundary edge of
// a face that looks toward the eye.

#include <utility>
#include <vector>

#include "implicit/mesh/TriangleMesh.h"

namespace vynmesh {

class BruteForceSilhouetteFinder {
public:
    /// The mesh is not owned and must outlive its use here.
    void SetMesh(const TriangleMesh* mesh);
    /// The mesh's triangles changed: the edge table is rebuilt on the next Find.
    void MeshChanged() { m_stale = true; }
    bool IsStale() const { return m_stale; }

    /// Silhouette segments as start, end pairs of points.
    void Find(const Wml::Vector3<float>& eye, std::vector<Wml::Vector3<float>>& segments);

private:
    struct Edge {
        unsigned int a, b;    // vertex ids, a < b
        unsigned int f0, f1;  // faces; f1 is InvalidID on a boundary
    };
    void BuildEdges();

    const TriangleMesh* m_mesh = nullptr;
    bool m_stale = true;
    std::vector<Edge> m_edges;
};

}  // namespace vynmesh

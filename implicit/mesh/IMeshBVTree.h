#pragma once
// Bounding-volume tree over the triangles of a mesh, for ray picking and
// closest-point queries.

#include <cfloat>
#include <vector>

#include "implicit/mesh/TriangleMesh.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Ray3.h"

namespace vynmesh {

/// Axis-aligned box tree (median split on the longest axis of the triangle
/// centres). The tree does not own the mesh; it is built on the first query
/// after SetMesh or Clear, and again when the mesh's vertex or triangle count
/// changed. Moving vertices without changing the counts needs a Clear().
class IMeshBVTree {
public:
    typedef IMesh::VertexID VertexID;
    typedef IMesh::TriangleID TriangleID;

    IMeshBVTree() = default;
    explicit IMeshBVTree(const IMesh* mesh) : m_mesh(mesh) {}

    void SetMesh(const IMesh* mesh);
    const IMesh* GetMesh() const { return m_mesh; }

    /// Builds the tree now (it is otherwise built on demand).
    void Build();
    /// Drops the tree; the next query rebuilds it.
    void Clear();
    bool IsBuilt() const { return m_built; }

    /// First triangle hit by the ray (t >= 0, in multiples of its direction).
    /// On a hit fills t, the triangle and, when asked, the hit point.
    bool FindRayIntersection(const Wml::Ray3<float>& ray, float& t, TriangleID& tri,
                             Wml::Vector3<float>* hit = nullptr) const;

    /// Closest point of the surface to p among points within
    /// sqrt(maxDistSqr); false (outputs untouched) when there is none.
    bool FindNearestPoint(const Wml::Vector3<float>& p, Wml::Vector3<float>& nearest, TriangleID& tri,
                          float maxDistSqr = FLT_MAX) const;

    /// Closest point of triangle abc to p (exposed for testing and reuse).
    static Wml::Vector3<float> ClosestPointOnTriangle(const Wml::Vector3<float>& p,
                                                      const Wml::Vector3<float>& a,
                                                      const Wml::Vector3<float>& b,
                                                      const Wml::Vector3<float>& c);
    /// Ray parameter where the ray crosses triangle abc (either side), or
    /// false when it misses or the triangle is degenerate.
    static bool IntersectTriangle(const Wml::Ray3<float>& ray, const Wml::Vector3<float>& a,
                                  const Wml::Vector3<float>& b, const Wml::Vector3<float>& c, float& t);

private:
    struct Node {
        float lo[3], hi[3];
        unsigned first;  // leaf: first entry in m_order; inner: left child
        unsigned count;  // triangles in a leaf; 0 marks an inner node
        unsigned right;  // inner: right child
    };

    void EnsureBuilt() const;
    void BuildNow() const;
    void Corners(TriangleID t, Wml::Vector3<float> p[3]) const;

    const IMesh* m_mesh = nullptr;
    mutable bool m_built = false;
    mutable unsigned m_builtVertices = 0, m_builtTriangles = 0;
    mutable std::vector<Node> m_nodes;
    mutable std::vector<TriangleID> m_order;
};

}  // namespace vynmesh

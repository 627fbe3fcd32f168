#pragma once
// One-shot operations on meshes: copying, scaling, bounds and the topology
// checks that polygonizer output is held to.

#include <vector>

#include "implicit/mesh/TriangleMesh.h"
#include "wml/AxisAlignedBox3.h"

namespace vynmesh {

class IMeshUtil {
public:
    typedef IMesh::VertexID VertexID;
    typedef IMesh::TriangleID TriangleID;

    /// Replaces `to` with the vertices (positions, normals, and colours and
    /// texture coordinates when `from` is a TriangleMesh that has them) and
    /// valid triangles of `from`. When `map` is given, map[v] is the id in
    /// `to` of vertex v of `from`. Goes through `to`'s Append calls, so a
    /// VFTriangleMesh keeps its adjacency.
    static void Copy(const IMesh& from, TriangleMesh& to, std::vector<VertexID>* map = nullptr);
    static void Copy(const IMesh* from, TriangleMesh* to, std::vector<VertexID>* map = nullptr)
    {
        if (from && to && from != to) Copy(*from, *to, map);
    }

    /// Multiplies every position by `factor`. Refuses (false, mesh unchanged)
    /// a factor that is not finite and positive: a mirroring or collapsing
    /// scale would turn the mesh inside out.
    static bool Scale(TriangleMesh& mesh, float factor);
    static bool Scale(TriangleMesh* mesh, float factor) { return mesh && Scale(*mesh, factor); }

    /// Box of all vertices; empty for a mesh without vertices.
    static Wml::AxisAlignedBox3<float> BoundingBox(const IMesh& mesh);
    static Wml::AxisAlignedBox3<float> BoundingBox(const IMesh* mesh)
    {
        return mesh ? BoundingBox(*mesh) : Wml::AxisAlignedBox3<float>();
    }

    /// True when the mesh is a closed, consistently oriented 2-manifold:
    /// every edge is used once in each direction, the triangles around each
    /// vertex form a single fan, and every vertex is used. An empty mesh is
    /// not closed.
    static bool IsClosedManifold(const IMesh& mesh);

    /// V - E + F, counting each undirected edge once.
    static long long EulerCharacteristic(const IMesh& mesh);

    /// Unit normal of triangle t following its winding; zero for a
    /// degenerate triangle or an unknown id.
    static Wml::Vector3<float> ComputeFaceNormal(const IMesh& mesh, TriangleID t);
    static Wml::Vector3<float> ComputeFaceNormal(const Wml::Vector3<float>& a, const Wml::Vector3<float>& b,
                                                 const Wml::Vector3<float>& c);

    /// Sets every vertex normal to the area-weighted mean of its triangles'
    /// normals (zero for a vertex without triangles).
    static void ComputeVertexNormals(TriangleMesh& mesh);
};

}  // namespace vynmesh

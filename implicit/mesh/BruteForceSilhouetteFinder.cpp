#include "implicit/mesh/BruteForceSilhouetteFinder.h"

#include <algorithm>
#include <map>

namespace vynmesh {

void BruteForceSilhouetteFinder::SetMesh(const TriangleMesh* mesh)
{
    m_mesh = mesh;
    m_stale = true;
}

void BruteForceSilhouetteFinder::BuildEdges()
{
    m_edges.clear();
    m_stale = false;
    if (!m_mesh) return;
    std::map<std::pair<unsigned, unsigned>, size_t> index;
    for (unsigned int t = 0; t < m_mesh->GetNumTriangles(); ++t) {
        IMesh::VertexID v[3];
        m_mesh->GetTriangle(t, v);
        if (v[0] == IMesh::InvalidID) continue;
        for (int k = 0; k < 3; ++k) {
            const unsigned a = std::min(v[k], v[(k + 1) % 3]), b = std::max(v[k], v[(k + 1) % 3]);
            auto found = index.find({a, b});
            if (found == index.end()) {
                index[{a, b}] = m_edges.size();
                m_edges.push_back(Edge{a, b, t, IMesh::InvalidID});
            } else if (m_edges[found->second].f1 == IMesh::InvalidID) {
                m_edges[found->second].f1 = t;
            }  // a third face on one edge (non-manifold) is ignored
        }
    }
}

void BruteForceSilhouetteFinder::Find(const Wml::Vector3<float>& eye,
                                      std::vector<Wml::Vector3<float>>& segments)
{
    segments.clear();
    if (m_stale) BuildEdges();
    if (!m_mesh) return;
    // Facing of every face toward the eye, once per call.
    const unsigned int n = m_mesh->GetNumTriangles();
    std::vector<signed char> facing(n, 0);
    for (unsigned int t = 0; t < n; ++t) {
        IMesh::VertexID v[3];
        m_mesh->GetTriangle(t, v);
        if (v[0] == IMesh::InvalidID) continue;
        Wml::Vector3<float> p0, p1, p2;
        m_mesh->GetVertex(v[0], p0);
        m_mesh->GetVertex(v[1], p1);
        m_mesh->GetVertex(v[2], p2);
        const float d = (p1 - p0).Cross(p2 - p0).Dot(eye - p0);
        facing[t] = d > 0.0f ? 1 : -1;
    }
    for (const Edge& e : m_edges) {
        if (e.f0 >= n || (e.f1 != IMesh::InvalidID && e.f1 >= n))
            continue;  // the mesh shrank without MeshChanged
        const bool front0 = facing[e.f0] > 0;
        const bool silhouette = e.f1 == IMesh::InvalidID ? front0 : front0 != (facing[e.f1] > 0);
        if (!silhouette) continue;
        Wml::Vector3<float> a, b;
        m_mesh->GetVertex(e.a, a);
        m_mesh->GetVertex(e.b, b);
        segments.push_back(a);
        segments.push_back(b);
    }
}

}  // namespace vynmesh

#include "implicit/optimize/IterativeMeshOptimizer.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "implicit/optimize/FieldProjection.h"

namespace vynimplicit {

using optimize_detail::FieldNormal;
using optimize_detail::IsFinite;
using optimize_detail::ProjectToIso;
typedef Wml::Vector3<float> Vec3;

bool IterativeMeshOptimizer::DefaultIterationCallback(float)
{
    return true;
}

IterativeMeshOptimizer::IterativeMeshOptimizer(vynmesh::VFTriangleMesh& mesh, float weight)
    : m_mesh(mesh), m_weight(std::isfinite(weight) ? std::min(1.0f, std::max(0.01f, weight)) : 0.5f)
{
}

void IterativeMeshOptimizer::InitializeOptimize()
{
    const std::vector<unsigned>& idx = m_mesh.GetIndices();
    const size_t nt = idx.size() / 3;
    m_edges.clear();
    m_triangleEdges.assign(3 * nt, 0);
    std::unordered_map<unsigned long long, unsigned int> lookup;
    lookup.reserve(3 * nt);
    for (size_t t = 0; t < nt; ++t) {
        for (unsigned int i = 0; i < 3; ++i) {
            unsigned int a = idx[3 * t + i], b = idx[3 * t + (i + 1) % 3];
            if (a > b) std::swap(a, b);
            unsigned long long key = (static_cast<unsigned long long>(a) << 32) | b;
            auto it = lookup.emplace(key, static_cast<unsigned int>(m_edges.size()));
            if (it.second) m_edges.emplace_back(a, b);
            m_triangleEdges[3 * t + i] = it.first->second;
        }
    }
    m_initializedVertices = m_mesh.GetNumVertices();
    m_initializedIndices = idx;
    m_initialized = true;
}

bool IterativeMeshOptimizer::DoOptimize(ScalarField* field, const ProgressCallback& callback)
{
    if (!m_initialized || m_initializedVertices != m_mesh.GetNumVertices() ||
        m_initializedIndices != m_mesh.GetIndices()) {
        InitializeOptimize();
    }
    const unsigned int nv = m_mesh.GetNumVertices();
    const unsigned int nt = m_mesh.GetNumTriangles();
    if (nt == 0) return true;
    // Ids must fit after the split.
    if (static_cast<unsigned long long>(nv) + m_edges.size() >= vynmesh::IMesh::InvalidID ||
        4ull * nt >= vynmesh::IMesh::InvalidID) {
        return false;
    }

    // Place every midpoint first, so a cancel leaves the mesh untouched.
    std::vector<Vec3> midpoints(m_edges.size());
    std::vector<Vec3> normals(m_edges.size(), Vec3::ZERO);
    std::vector<char> hasNormal(m_edges.size(), 0);
    const size_t reportEvery = std::max<size_t>(1, m_edges.size() / 100);
    for (size_t e = 0; e < m_edges.size(); ++e) {
        if (e % reportEvery == 0 && callback &&
            !callback(static_cast<float>(e) / static_cast<float>(m_edges.size()))) {
            return false;
        }
        const Vec3& a = m_mesh.GetPosition(m_edges[e].first);
        const Vec3& b = m_mesh.GetPosition(m_edges[e].second);
        Vec3 p = (a + b) * 0.5f;
        if (field && IsFinite(p)) {
            // Never move further than the edge is long: the surface between
            // two surface points is that close.
            float maxStep = (b - a).Length();
            ProjectToIso(*field, p, ISO_VALUE, m_weight, maxStep, 40, 1e-6f);
            Vec3 n;
            if (FieldNormal(*field, p, n)) {
                normals[e] = n;
                hasNormal[e] = 1;
            }
        }
        midpoints[e] = p;
    }

    // Copy the per-triangle edges: appending changes the index array.
    std::vector<unsigned int> corners;
    corners.swap(m_initializedIndices);
    std::vector<unsigned int> triangleEdges;
    triangleEdges.swap(m_triangleEdges);
    m_initialized = false;

    const bool colors = m_mesh.HasColors(), texCoords = m_mesh.HasTexCoords();
    m_mesh.Reserve(static_cast<unsigned>(nv + midpoints.size()), 4 * nt);
    for (size_t e = 0; e < midpoints.size(); ++e) {
        const unsigned int a = m_edges[e].first, b = m_edges[e].second;
        Vec3 n = hasNormal[e] ? normals[e] : m_mesh.GetNormal(a) + m_mesh.GetNormal(b);
        if (!hasNormal[e]) n.Normalize();
        vynmesh::IMesh::VertexID id = m_mesh.AppendVertex(midpoints[e], &n);
        if (colors) {
            const Wml::ColorRGBA& ca = m_mesh.GetColor(a);
            const Wml::ColorRGBA& cb = m_mesh.GetColor(b);
            m_mesh.SetColor(id, Wml::ColorRGBA(0.5f * (ca[0] + cb[0]), 0.5f * (ca[1] + cb[1]),
                                               0.5f * (ca[2] + cb[2]), 0.5f * (ca[3] + cb[3])));
        }
        if (texCoords) {
            const Wml::Vector2<float>& ta = m_mesh.GetTexCoord(a);
            const Wml::Vector2<float>& tb = m_mesh.GetTexCoord(b);
            m_mesh.SetTexCoord(id, Wml::Vector2<float>(0.5f * (ta[0] + tb[0]), 0.5f * (ta[1] + tb[1])));
        }
    }
    for (unsigned int t = 0; t < nt; ++t) {
        const unsigned int a = corners[3 * t], b = corners[3 * t + 1], c = corners[3 * t + 2];
        const unsigned int ab = nv + triangleEdges[3 * t], bc = nv + triangleEdges[3 * t + 1],
                           ca = nv + triangleEdges[3 * t + 2];
        // Same winding as the parent: three corners and the middle one.
        m_mesh.SetTriangle(t, a, ab, ca);
        m_mesh.AppendTriangle(ab, b, bc);
        m_mesh.AppendTriangle(ca, bc, c);
        m_mesh.AppendTriangle(ab, bc, ca);
    }
    if (callback) callback(1.0f);
    return true;
}

}  // namespace vynimplicit

#include "implicit/mesh/IMeshUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vynmesh {

namespace {

uint64_t EdgeKey(uint32_t a, uint32_t b)
{
    return (uint64_t(a) << 32) | b;
}

bool ValidTriangle(const IMesh::VertexID v[3], unsigned numVertices)
{
    return v[0] < numVertices && v[1] < numVertices && v[2] < numVertices && v[0] != v[1] && v[1] != v[2] &&
           v[0] != v[2];
}

}  // namespace

void IMeshUtil::Copy(const IMesh& from, TriangleMesh& to, std::vector<VertexID>* map)
{
    if (&from == &to) {
        if (map) {
            map->resize(from.GetNumVertices());
            for (VertexID v = 0; v < map->size(); ++v) (*map)[v] = v;
        }
        return;
    }
    const unsigned nv = from.GetNumVertices();
    const unsigned nt = from.GetNumTriangles();
    const TriangleMesh* src = dynamic_cast<const TriangleMesh*>(&from);
    to.Clear();
    to.Reserve(nv, nt);
    if (map) map->assign(nv, IMesh::InvalidID);
    Wml::Vector3<float> p, n;
    for (VertexID v = 0; v < nv; ++v) {
        from.GetVertex(v, p, &n);
        VertexID id = to.AppendVertex(p, &n);
        if (map) (*map)[v] = id;
        if (src && src->HasColors()) to.SetColor(id, src->GetColor(v));
        if (src && src->HasTexCoords()) to.SetTexCoord(id, src->GetTexCoord(v));
    }
    VertexID tri[3];
    for (TriangleID t = 0; t < nt; ++t) {
        from.GetTriangle(t, tri);
        if (ValidTriangle(tri, nv)) to.AppendTriangle(tri[0], tri[1], tri[2]);
    }
}

bool IMeshUtil::Scale(TriangleMesh& mesh, float factor)
{
    if (!std::isfinite(factor) || factor <= 0.0f) return false;
    for (VertexID v = 0; v < mesh.GetNumVertices(); ++v) mesh.SetVertex(v, mesh.GetPosition(v) * factor);
    return true;
}

Wml::AxisAlignedBox3<float> IMeshUtil::BoundingBox(const IMesh& mesh)
{
    Wml::AxisAlignedBox3<float> box;
    Wml::Vector3<float> p;
    for (VertexID v = 0; v < mesh.GetNumVertices(); ++v) {
        mesh.GetVertex(v, p);
        box.Merge(p);
    }
    return box;
}

bool IMeshUtil::IsClosedManifold(const IMesh& mesh)
{
    const unsigned nv = mesh.GetNumVertices();
    const unsigned nt = mesh.GetNumTriangles();
    if (nt == 0) return false;
    std::vector<uint64_t> edges;
    edges.reserve(size_t(nt) * 3);
    std::vector<unsigned> valence(nv, 0);
    VertexID tri[3];
    for (TriangleID t = 0; t < nt; ++t) {
        mesh.GetTriangle(t, tri);
        if (!ValidTriangle(tri, nv)) return false;
        for (int k = 0; k < 3; ++k) {
            edges.push_back(EdgeKey(tri[k], tri[(k + 1) % 3]));
            ++valence[tri[k]];
        }
    }
    if (std::find(valence.begin(), valence.end(), 0u) != valence.end()) return false;
    std::sort(edges.begin(), edges.end());
    if (std::adjacent_find(edges.begin(), edges.end()) != edges.end()) return false;
    for (uint64_t e : edges) {
        uint64_t rev = EdgeKey(uint32_t(e & 0xFFFFFFFFu), uint32_t(e >> 32));
        if (!std::binary_search(edges.begin(), edges.end(), rev)) return false;
    }
    // Around vertex v each triangle (v, b, c) links b to c; with every edge
    // paired these links form cycles, and a manifold vertex has just one.
    std::vector<size_t> start(nv + 1, 0);
    for (VertexID v = 0; v < nv; ++v) start[v + 1] = start[v] + valence[v];
    std::vector<std::pair<VertexID, VertexID>> links(start[nv]);
    std::vector<size_t> fill(start.begin(), start.end() - 1);
    for (TriangleID t = 0; t < nt; ++t) {
        mesh.GetTriangle(t, tri);
        for (int k = 0; k < 3; ++k) links[fill[tri[k]]++] = {tri[(k + 1) % 3], tri[(k + 2) % 3]};
    }
    for (VertexID v = 0; v < nv; ++v) {
        auto first = links.begin() + start[v], last = links.begin() + start[v + 1];
        std::sort(first, last);
        VertexID cur = first->first;
        size_t steps = 0;
        do {
            auto it = std::lower_bound(first, last, std::make_pair(cur, VertexID(0)));
            if (it == last || it->first != cur) return false;
            cur = it->second;
            ++steps;
        } while (cur != first->first && steps <= valence[v]);
        if (steps != valence[v]) return false;
    }
    return true;
}

long long IMeshUtil::EulerCharacteristic(const IMesh& mesh)
{
    const unsigned nv = mesh.GetNumVertices();
    std::vector<uint64_t> edges;
    edges.reserve(size_t(mesh.GetNumTriangles()) * 3);
    long long faces = 0;
    VertexID tri[3];
    for (TriangleID t = 0; t < mesh.GetNumTriangles(); ++t) {
        mesh.GetTriangle(t, tri);
        if (!ValidTriangle(tri, nv)) continue;
        ++faces;
        for (int k = 0; k < 3; ++k) {
            VertexID a = tri[k], b = tri[(k + 1) % 3];
            edges.push_back(EdgeKey(std::min(a, b), std::max(a, b)));
        }
    }
    std::sort(edges.begin(), edges.end());
    long long numEdges = std::unique(edges.begin(), edges.end()) - edges.begin();
    return (long long)nv - numEdges + faces;
}

Wml::Vector3<float> IMeshUtil::ComputeFaceNormal(const Wml::Vector3<float>& a, const Wml::Vector3<float>& b,
                                                 const Wml::Vector3<float>& c)
{
    Wml::Vector3<float> n = (b - a).Cross(c - a);
    n.Normalize();
    return n;
}

Wml::Vector3<float> IMeshUtil::ComputeFaceNormal(const IMesh& mesh, TriangleID t)
{
    VertexID tri[3];
    mesh.GetTriangle(t, tri);
    if (!ValidTriangle(tri, mesh.GetNumVertices())) return Wml::Vector3<float>::ZERO;
    Wml::Vector3<float> p[3];
    for (int k = 0; k < 3; ++k) mesh.GetVertex(tri[k], p[k]);
    return ComputeFaceNormal(p[0], p[1], p[2]);
}

void IMeshUtil::ComputeVertexNormals(TriangleMesh& mesh)
{
    std::vector<Wml::Vector3<float>> sum(mesh.GetNumVertices(), Wml::Vector3<float>::ZERO);
    const std::vector<unsigned>& idx = mesh.GetIndices();
    for (size_t i = 0; i + 2 < idx.size(); i += 3) {
        const Wml::Vector3<float>& a = mesh.GetPosition(idx[i]);
        // The unnormalized cross product weights by area.
        Wml::Vector3<float> n = (mesh.GetPosition(idx[i + 1]) - a).Cross(mesh.GetPosition(idx[i + 2]) - a);
        for (int k = 0; k < 3; ++k) sum[idx[i + k]] += n;
    }
    for (VertexID v = 0; v < sum.size(); ++v) {
        sum[v].Normalize();
        mesh.SetNormal(v, sum[v]);
    }
}

}  // namespace vynmesh

#include "implicit/mesh/VFTriangleMesh.h"

#include <algorithm>

#include "implicit/mesh/MeshFiles.h"

namespace vynmesh {

VFTriangleMesh::VFTriangleMesh(const TriangleMesh& mesh) : TriangleMesh(mesh)
{
    RebuildAdjacency();
}

void VFTriangleMesh::RebuildAdjacency()
{
    for (std::vector<TriangleID>& list : m_vertexTriangles) list.clear();
    if (m_vertexTriangles.size() < m_positions.size()) m_vertexTriangles.resize(m_positions.size());
    for (TriangleID t = 0; t < GetNumTriangles(); ++t) Link(t);
}

void VFTriangleMesh::Link(TriangleID t)
{
    for (int k = 0; k < 3; ++k) m_vertexTriangles[m_indices[3 * size_t(t) + k]].push_back(t);
}

void VFTriangleMesh::Unlink(TriangleID t)
{
    for (int k = 0; k < 3; ++k) {
        std::vector<TriangleID>& list = m_vertexTriangles[m_indices[3 * size_t(t) + k]];
        auto it = std::find(list.begin(), list.end(), t);
        if (it != list.end()) {
            *it = list.back();
            list.pop_back();
        }
    }
}

void VFTriangleMesh::Clear()
{
    TriangleMesh::Clear();
    // The lists keep their storage for the next fill: a polygonizer rebuilds
    // the mesh after every edit, and one allocation per vertex adds up.
    for (std::vector<TriangleID>& list : m_vertexTriangles) list.clear();
}

IMesh::VertexID VFTriangleMesh::AppendVertex(const Wml::Vector3<float>& p, const Wml::Vector3<float>* normal)
{
    VertexID v = TriangleMesh::AppendVertex(p, normal);
    if (v != InvalidID && v >= m_vertexTriangles.size()) m_vertexTriangles.emplace_back();
    return v;
}

IMesh::TriangleID VFTriangleMesh::AppendTriangle(VertexID a, VertexID b, VertexID c)
{
    TriangleID t = TriangleMesh::AppendTriangle(a, b, c);
    if (t != InvalidID) Link(t);
    return t;
}

void VFTriangleMesh::SetTriangle(TriangleID t, VertexID a, VertexID b, VertexID c)
{
    if (!IsValidTriangle(t) || !IsValidTriple(a, b, c)) return;
    Unlink(t);
    TriangleMesh::SetTriangle(t, a, b, c);
    Link(t);
}

bool VFTriangleMesh::RemoveTriangle(TriangleID t)
{
    if (!IsValidTriangle(t)) return false;
    const TriangleID last = GetNumTriangles() - 1;
    Unlink(t);
    if (t != last) {
        // The last triangle takes slot t: rename it in its vertices' lists.
        for (int k = 0; k < 3; ++k) {
            std::vector<TriangleID>& list = m_vertexTriangles[m_indices[3 * size_t(last) + k]];
            std::replace(list.begin(), list.end(), last, t);
        }
    }
    return TriangleMesh::RemoveTriangle(t);
}

void VFTriangleMesh::GetVertexTriangles(VertexID v, std::vector<TriangleID>& out) const
{
    out.clear();
    if (IsValidVertex(v)) out = m_vertexTriangles[v];
}

void VFTriangleMesh::GetVertexNeighbours(VertexID v, std::vector<VertexID>& out) const
{
    out.clear();
    if (!IsValidVertex(v)) return;
    for (TriangleID t : m_vertexTriangles[v]) {
        for (int k = 0; k < 3; ++k) {
            VertexID w = m_indices[3 * size_t(t) + k];
            if (w != v && std::find(out.begin(), out.end(), w) == out.end()) out.push_back(w);
        }
    }
}

bool VFTriangleMesh::IsBoundaryVertex(VertexID v) const
{
    if (!IsValidVertex(v)) return false;
    // Each edge v-w of a closed fan is shared by two triangles around v.
    std::vector<VertexID> others;
    for (TriangleID t : m_vertexTriangles[v]) {
        for (int k = 0; k < 3; ++k) {
            VertexID w = m_indices[3 * size_t(t) + k];
            if (w != v) others.push_back(w);
        }
    }
    std::sort(others.begin(), others.end());
    for (size_t i = 0; i < others.size();) {
        size_t j = i;
        while (j < others.size() && others[j] == others[i]) ++j;
        if (j - i == 1) return true;
        i = j;
    }
    return false;
}

bool VFTriangleMesh::WriteOBJ(const std::string& path, std::string& error) const
{
    return vynmesh::WriteOBJ(path.c_str(), *this, error);
}

bool VFTriangleMesh::WriteSTL(const std::string& path, std::string& error) const
{
    return vynmesh::WriteSTL(path.c_str(), *this, error);
}

bool VFTriangleMesh::WriteCOLLADA(const std::string& path, std::string& error) const
{
    return vynmesh::WriteCOLLADA(path.c_str(), *this, error);
}

bool VFTriangleMesh::WriteGLB(const std::string& path, std::string& error) const
{
    return vynmesh::WriteGLB(path.c_str(), *this, error);
}

bool VFTriangleMesh::WritePLY(const std::string& path, std::string& error) const
{
    return vynmesh::WritePLY(path.c_str(), *this, error);
}

}  // namespace vynmesh

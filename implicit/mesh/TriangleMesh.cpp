#include "implicit/mesh/TriangleMesh.h"

namespace vynmesh {

namespace {
const Wml::Vector3<float> kZero3(0.0f, 0.0f, 0.0f);
const Wml::Vector2<float> kZero2(0.0f, 0.0f);
const Wml::ColorRGBA kWhite(1.0f, 1.0f, 1.0f, 1.0f);
}  // namespace

IMesh::~IMesh() = default;

void TriangleMesh::Clear()
{
    m_positions.clear();
    m_normals.clear();
    m_colors.clear();
    m_texCoords.clear();
    m_indices.clear();
}

void TriangleMesh::Reserve(unsigned vertices, unsigned triangles)
{
    m_positions.reserve(vertices);
    m_normals.reserve(vertices);
    m_indices.reserve(static_cast<size_t>(triangles) * 3);
}

IMesh::VertexID TriangleMesh::AppendVertex(const Wml::Vector3<float>& p, const Wml::Vector3<float>* normal)
{
    if (m_positions.size() >= InvalidID) return InvalidID;
    m_positions.push_back(p);
    m_normals.push_back(normal ? *normal : kZero3);
    if (!m_colors.empty()) m_colors.push_back(kWhite);
    if (!m_texCoords.empty()) m_texCoords.push_back(kZero2);
    return static_cast<VertexID>(m_positions.size() - 1);
}

IMesh::TriangleID TriangleMesh::AppendTriangle(VertexID a, VertexID b, VertexID c)
{
    if (!IsValidTriple(a, b, c) || GetNumTriangles() >= InvalidID - 1) return InvalidID;
    m_indices.push_back(a);
    m_indices.push_back(b);
    m_indices.push_back(c);
    return GetNumTriangles() - 1;
}

void TriangleMesh::SetTriangle(TriangleID t, VertexID a, VertexID b, VertexID c)
{
    if (!IsValidTriangle(t) || !IsValidTriple(a, b, c)) return;
    m_indices[3 * size_t(t)] = a;
    m_indices[3 * size_t(t) + 1] = b;
    m_indices[3 * size_t(t) + 2] = c;
}

bool TriangleMesh::RemoveTriangle(TriangleID t)
{
    if (!IsValidTriangle(t)) return false;
    const size_t last = m_indices.size() - 3;
    for (int k = 0; k < 3; ++k) m_indices[3 * size_t(t) + k] = m_indices[last + k];
    m_indices.resize(last);
    return true;
}

void TriangleMesh::SetVertex(VertexID v, const Wml::Vector3<float>& p, const Wml::Vector3<float>* normal)
{
    if (!IsValidVertex(v)) return;
    m_positions[v] = p;
    if (normal) m_normals[v] = *normal;
}

const Wml::Vector3<float>& TriangleMesh::GetPosition(VertexID v) const
{
    return IsValidVertex(v) ? m_positions[v] : kZero3;
}

const Wml::Vector3<float>& TriangleMesh::GetNormal(VertexID v) const
{
    return IsValidVertex(v) ? m_normals[v] : kZero3;
}

void TriangleMesh::SetNormal(VertexID v, const Wml::Vector3<float>& n)
{
    if (IsValidVertex(v)) m_normals[v] = n;
}

const Wml::ColorRGBA& TriangleMesh::GetColor(VertexID v) const
{
    return v < m_colors.size() ? m_colors[v] : kWhite;
}

void TriangleMesh::SetColor(VertexID v, const Wml::ColorRGBA& c)
{
    if (!IsValidVertex(v)) return;
    if (m_colors.empty()) m_colors.assign(m_positions.size(), kWhite);
    m_colors[v] = c;
}

const Wml::Vector2<float>& TriangleMesh::GetTexCoord(VertexID v) const
{
    return v < m_texCoords.size() ? m_texCoords[v] : kZero2;
}

void TriangleMesh::SetTexCoord(VertexID v, const Wml::Vector2<float>& uv)
{
    if (!IsValidVertex(v)) return;
    if (m_texCoords.empty()) m_texCoords.assign(m_positions.size(), kZero2);
    m_texCoords[v] = uv;
}

void TriangleMesh::GetVertex(VertexID v, Wml::Vector3<float>& position, Wml::Vector3<float>* normal) const
{
    position = GetPosition(v);
    if (normal) *normal = GetNormal(v);
}

void TriangleMesh::GetTriangle(TriangleID t, VertexID vertices[3]) const
{
    if (!IsValidTriangle(t)) {
        vertices[0] = vertices[1] = vertices[2] = InvalidID;
        return;
    }
    for (int k = 0; k < 3; ++k) vertices[k] = m_indices[3 * size_t(t) + k];
}

}  // namespace vynmesh

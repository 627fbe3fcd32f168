#pragma once
// Indexed triangle meshes: the read-only interface every mesh consumer codes
// against, and the plain array-backed mesh that polygonizers fill.

#include <vector>

#include "wml/ColorRGBA.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace vynmesh {

/// Read-only view of an indexed triangle mesh. Vertex and triangle ids are
/// dense: 0 .. count-1.
class IMesh {
public:
    typedef unsigned int VertexID;
    typedef unsigned int TriangleID;
    static constexpr unsigned int InvalidID = 0xFFFFFFFF;

    virtual ~IMesh();

    virtual unsigned int GetNumVertices() const = 0;
    virtual unsigned int GetNumTriangles() const = 0;
    /// Position (and normal when asked) of vertex v. An unknown id gives the
    /// origin and a zero normal.
    virtual void GetVertex(VertexID v, Wml::Vector3<float>& position,
                           Wml::Vector3<float>* normal = nullptr) const = 0;
    /// The three vertex ids of triangle t; all InvalidID for an unknown id.
    virtual void GetTriangle(TriangleID t, VertexID vertices[3]) const = 0;
};

/// Triangle mesh kept as flat arrays: positions, normals (always one per
/// vertex, zero until set), optional colours and texture coordinates (present
/// once the first one is set), and three indices per triangle.
///
/// Accessors given an unknown id never crash: readers get a zero value,
/// writers do nothing.
class TriangleMesh : public IMesh {
public:
    TriangleMesh() = default;
    TriangleMesh(const TriangleMesh&) = default;
    TriangleMesh& operator=(const TriangleMesh&) = default;
    ~TriangleMesh() override = default;

    /// Removes every vertex and triangle (and the colour / texture arrays).
    virtual void Clear();
    void Reserve(unsigned vertices, unsigned triangles);

    /// Adds a vertex; its normal is zero when none is given.
    virtual VertexID AppendVertex(const Wml::Vector3<float>& p, const Wml::Vector3<float>* normal = nullptr);
    /// Adds a triangle a-b-c (counter-clockwise seen from outside). Answers
    /// InvalidID, adding nothing, for an unknown vertex id or a repeated one.
    virtual TriangleID AppendTriangle(VertexID a, VertexID b, VertexID c);
    /// Replaces triangle t; ignored when t or a vertex id is unknown or the
    /// ids repeat.
    virtual void SetTriangle(TriangleID t, VertexID a, VertexID b, VertexID c);
    /// Removes triangle t by moving the last triangle into its slot (so the
    /// last triangle's id becomes t). False for an unknown id.
    virtual bool RemoveTriangle(TriangleID t);

    void SetVertex(VertexID v, const Wml::Vector3<float>& p, const Wml::Vector3<float>* normal = nullptr);
    const Wml::Vector3<float>& GetPosition(VertexID v) const;
    const Wml::Vector3<float>& GetNormal(VertexID v) const;
    void SetNormal(VertexID v, const Wml::Vector3<float>& n);

    bool HasColors() const { return !m_colors.empty(); }
    /// White for a mesh without colours.
    const Wml::ColorRGBA& GetColor(VertexID v) const;
    /// The first colour set gives every other vertex white.
    void SetColor(VertexID v, const Wml::ColorRGBA& c);

    bool HasTexCoords() const { return !m_texCoords.empty(); }
    const Wml::Vector2<float>& GetTexCoord(VertexID v) const;
    /// The first coordinate set gives every other vertex (0, 0).
    void SetTexCoord(VertexID v, const Wml::Vector2<float>& uv);

    const std::vector<Wml::Vector3<float>>& GetPositions() const { return m_positions; }
    const std::vector<Wml::Vector3<float>>& GetNormals() const { return m_normals; }
    const std::vector<Wml::ColorRGBA>& GetColors() const { return m_colors; }
    const std::vector<Wml::Vector2<float>>& GetTexCoords() const { return m_texCoords; }
    /// Three vertex ids per triangle.
    const std::vector<unsigned>& GetIndices() const { return m_indices; }

    bool IsValidVertex(VertexID v) const { return v < m_positions.size(); }
    bool IsValidTriangle(TriangleID t) const { return t < GetNumTriangles(); }

    unsigned int GetNumVertices() const override { return static_cast<unsigned>(m_positions.size()); }
    unsigned int GetNumTriangles() const override { return static_cast<unsigned>(m_indices.size() / 3); }
    void GetVertex(VertexID v, Wml::Vector3<float>& position,
                   Wml::Vector3<float>* normal = nullptr) const override;
    void GetTriangle(TriangleID t, VertexID vertices[3]) const override;

protected:
    bool IsValidTriple(VertexID a, VertexID b, VertexID c) const
    {
        return IsValidVertex(a) && IsValidVertex(b) && IsValidVertex(c) && a != b && b != c && a != c;
    }

    std::vector<Wml::Vector3<float>> m_positions;
    std::vector<Wml::Vector3<float>> m_normals;
    std::vector<Wml::ColorRGBA> m_colors;
    std::vector<Wml::Vector2<float>> m_texCoords;
    std::vector<unsigned> m_indices;
};

}  // namespace vynmesh

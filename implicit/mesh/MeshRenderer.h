#pragma once
// Draws a TriangleMesh with fixed-function GL vertex arrays.

#include <vector>

#include "implicit/mesh/TriangleMesh.h"

namespace vynmesh {

/// Keeps the scratch buffers that flat shading and normal display need, so
/// drawing a frame does not reallocate. The buffers are filled by plain
/// functions (testable without a GL context); only Render issues GL calls
/// and it needs a current context.
class MeshRenderer {
public:
    /// Draws the mesh's triangles: smooth uses the vertex normals, flat one
    /// normal per face; `showNormals` adds a line along each normal (vertex
    /// normals when smooth, face normals at face centres when flat);
    /// `useTexCoords` passes the mesh's texture coordinates when it has any.
    void Render(const TriangleMesh& mesh, bool smooth, bool showNormals, bool useTexCoords);

    void SetNormalLength(float length) { m_normalLength = length; }
    float GetNormalLength() const { return m_normalLength; }

    /// Unshared corners for flat shading: three positions, three copies of
    /// the face normal (and three texture coordinates when asked and
    /// present) per valid triangle, as packed floats.
    void BuildFlatBuffers(const TriangleMesh& mesh, bool useTexCoords);
    /// Line segments (start, end pairs, packed floats) for normal display.
    void BuildNormalLines(const TriangleMesh& mesh, bool smooth);

    const std::vector<float>& FlatPositions() const { return m_flatPositions; }
    const std::vector<float>& FlatNormals() const { return m_flatNormals; }
    const std::vector<float>& FlatTexCoords() const { return m_flatTexCoords; }
    const std::vector<float>& NormalLines() const { return m_normalLines; }

private:
    float m_normalLength = 0.05f;
    std::vector<float> m_flatPositions, m_flatNormals, m_flatTexCoords, m_normalLines;
};

}  // namespace vynmesh

#include "implicit/mesh/MeshRenderer.h"

#include <GL/gl.h>

#include "implicit/mesh/IMeshUtil.h"

namespace vynmesh {

static_assert(sizeof(Wml::Vector3<float>) == 3 * sizeof(float),
              "positions are passed to GL as packed floats");
static_assert(sizeof(Wml::Vector2<float>) == 2 * sizeof(float),
              "texture coordinates are passed as packed floats");

namespace {

void Push(std::vector<float>& buf, const Wml::Vector3<float>& v)
{
    buf.insert(buf.end(), {v[0], v[1], v[2]});
}

bool ValidFace(const TriangleMesh& mesh, const unsigned* f)
{
    const unsigned n = mesh.GetNumVertices();
    return f[0] < n && f[1] < n && f[2] < n;
}

}  // namespace

void MeshRenderer::BuildFlatBuffers(const TriangleMesh& mesh, bool useTexCoords)
{
    m_flatPositions.clear();
    m_flatNormals.clear();
    m_flatTexCoords.clear();
    const bool tex = useTexCoords && mesh.HasTexCoords();
    const std::vector<unsigned>& idx = mesh.GetIndices();
    m_flatPositions.reserve(idx.size() * 3);
    m_flatNormals.reserve(idx.size() * 3);
    for (size_t i = 0; i + 2 < idx.size(); i += 3) {
        if (!ValidFace(mesh, &idx[i])) continue;
        const Wml::Vector3<float> n = IMeshUtil::ComputeFaceNormal(
            mesh.GetPosition(idx[i]), mesh.GetPosition(idx[i + 1]), mesh.GetPosition(idx[i + 2]));
        for (int k = 0; k < 3; ++k) {
            Push(m_flatPositions, mesh.GetPosition(idx[i + k]));
            Push(m_flatNormals, n);
            if (tex) {
                const Wml::Vector2<float>& uv = mesh.GetTexCoord(idx[i + k]);
                m_flatTexCoords.insert(m_flatTexCoords.end(), {uv[0], uv[1]});
            }
        }
    }
}

void MeshRenderer::BuildNormalLines(const TriangleMesh& mesh, bool smooth)
{
    m_normalLines.clear();
    if (smooth) {
        for (IMesh::VertexID v = 0; v < mesh.GetNumVertices(); ++v) {
            const Wml::Vector3<float>& p = mesh.GetPosition(v);
            Push(m_normalLines, p);
            Push(m_normalLines, p + mesh.GetNormal(v) * m_normalLength);
        }
        return;
    }
    const std::vector<unsigned>& idx = mesh.GetIndices();
    for (size_t i = 0; i + 2 < idx.size(); i += 3) {
        if (!ValidFace(mesh, &idx[i])) continue;
        const Wml::Vector3<float>& a = mesh.GetPosition(idx[i]);
        const Wml::Vector3<float>& b = mesh.GetPosition(idx[i + 1]);
        const Wml::Vector3<float>& c = mesh.GetPosition(idx[i + 2]);
        const Wml::Vector3<float> centre = (a + b + c) / 3.0f;
        Push(m_normalLines, centre);
        Push(m_normalLines, centre + IMeshUtil::ComputeFaceNormal(a, b, c) * m_normalLength);
    }
}

void MeshRenderer::Render(const TriangleMesh& mesh, bool smooth, bool showNormals, bool useTexCoords)
{
    if (mesh.GetNumTriangles() == 0) return;
    const bool tex = useTexCoords && mesh.HasTexCoords();
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (tex) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (smooth) {
        // Indices were checked on the way in (AppendTriangle/SetTriangle).
        glShadeModel(GL_SMOOTH);
        glVertexPointer(3, GL_FLOAT, 0, mesh.GetPositions().data());
        glNormalPointer(GL_FLOAT, 0, mesh.GetNormals().data());
        if (tex) glTexCoordPointer(2, GL_FLOAT, 0, mesh.GetTexCoords().data());
        glDrawElements(GL_TRIANGLES, GLsizei(mesh.GetIndices().size()), GL_UNSIGNED_INT,
                       mesh.GetIndices().data());
    } else {
        BuildFlatBuffers(mesh, tex);
        glShadeModel(GL_FLAT);
        glVertexPointer(3, GL_FLOAT, 0, m_flatPositions.data());
        glNormalPointer(GL_FLOAT, 0, m_flatNormals.data());
        if (tex) glTexCoordPointer(2, GL_FLOAT, 0, m_flatTexCoords.data());
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(m_flatPositions.size() / 3));
    }
    glPopClientAttrib();

    if (showNormals) {
        BuildNormalLines(mesh, smooth);
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor3f(0.0f, 1.0f, 0.0f);
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, m_normalLines.data());
        glDrawArrays(GL_LINES, 0, GLsizei(m_normalLines.size() / 3));
        glPopClientAttrib();
        glPopAttrib();
    }
}

}  // namespace vynmesh

#include "surface/PointSetRenderer.h"

#include <algorithm>
#include <cstring>

namespace vynui {

void PointSetRenderer::SetStippleDensity(int k)
{
    // Out-of-range densities would make the point count explode or vanish.
    m_density = std::min(100, std::max(1, k));
}

void PointSetRenderer::Thresholds(float seedX, int k, std::vector<float>& out)
{
    out.clear();
    uint32_t x = 0;
    std::memcpy(&x, &seedX, sizeof(x));
    for (int n = 0; n < k * k; ++n) {
        x = 1664525u * x + 1013904223u;
        out.push_back(static_cast<float>(x % 10000u) / 10000.0f);
    }
}

void PointSetRenderer::Build(const vynmesh::TriangleMesh& mesh)
{
    m_points.clear();
    const int k = m_density;
    std::vector<float> thresholds;
    const unsigned int n = mesh.GetNumTriangles();
    m_points.reserve(static_cast<size_t>(n) * k * k);
    for (unsigned int t = 0; t < n; ++t) {
        vynmesh::IMesh::VertexID v[3];
        mesh.GetTriangle(t, v);
        if (v[0] == vynmesh::IMesh::InvalidID) continue;
        Wml::Vector3<float> p0, p1, p2;
        mesh.GetVertex(v[0], p0);
        mesh.GetVertex(v[1], p1);
        mesh.GetVertex(v[2], p2);
        Wml::Vector3<float> e1 = p1 - p0, e2 = p2 - p0;
        Wml::Vector3<float> normal = e1.Cross(e2);
        const float len = normal.Length();
        normal = len > 0.0f ? normal / len : Wml::Vector3<float>(0, 0, 0);
        Thresholds(p0.X(), k, thresholds);
        size_t next = 0;
        for (int i = 0; i < k; ++i)
            for (int j = 0; j < k; ++j) {
                StipplePoint p;
                p.position = p0 + e1 * (static_cast<float>(i) / k) + e2 * (static_cast<float>(j) / k);
                p.normal = normal;
                p.threshold = thresholds[next++];
                m_points.push_back(p);
            }
    }
}

void PointSetRenderer::CullByLight(const Wml::Vector3<float>& toLight,
                                   std::vector<const StipplePoint*>& out) const
{
    out.clear();
    for (const StipplePoint& p : m_points) {
        const float brightness = std::max(0.0f, p.normal.Dot(toLight));
        if (p.threshold >= brightness) out.push_back(&p);
    }
}

}  // namespace vynui

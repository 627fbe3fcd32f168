#include "surface/PointSetRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vynui {

void PointSetRenderer::SetStippleDensity(int k)
{
    // Out-of-range densities would make the point count explode or vanish.
    m_density = std::min(100, std::max(1, k));
}

void PointSetRenderer::SetDiscDensity(float d)
{
    if (std::isfinite(d) && d > 0.0f) m_discDensity = d;
}

void PointSetRenderer::SetDiscSize(float s)
{
    if (!std::isfinite(s) || !(s > 0.0f) || s == m_discSize) return;
    m_discSize = s;
    BuildDiscFans();
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
    BuildDiscs(mesh);
}

void PointSetRenderer::BuildDiscs(const vynmesh::TriangleMesh& mesh)
{
    m_discCentres.clear();
    m_discNormals.clear();
    const std::vector<Wml::Vector3<float>>& p = mesh.GetPositions();
    const std::vector<unsigned>& idx = mesh.GetIndices();
    const size_t n = idx.size() / 3;
    std::vector<double> area(n, 0.0);
    double total = 0.0;
    for (size_t t = 0; t < n; ++t) {
        const double a =
            0.5 * (p[idx[3 * t + 1]] - p[idx[3 * t]]).Cross(p[idx[3 * t + 2]] - p[idx[3 * t]]).Length();
        if (std::isfinite(a)) area[t] = a;  // a broken triangle gets no discs
        total += area[t];
    }
    double rate = kDiscsPerDensity * m_discDensity;
    if (!(total > 0.0)) return;
    if (total * rate > static_cast<double>(kMaxDiscs)) rate = kMaxDiscs / total;
    // Each triangle gets its share of the running total, so the count is
    // proportional to area without rounding every small triangle to zero.
    double carry = 0.0;
    for (size_t t = 0; t < n; ++t) {
        carry += area[t] * rate;
        const int count = static_cast<int>(std::floor(carry));
        if (count <= 0) continue;
        carry -= count;
        const Wml::Vector3<float>&p0 = p[idx[3 * t]], &p1 = p[idx[3 * t + 1]], &p2 = p[idx[3 * t + 2]];
        Wml::Vector3<float> normal = (p1 - p0).Cross(p2 - p0);
        normal.Normalize();
        uint32_t x = 0;
        std::memcpy(&x, &p0[0], sizeof(x));
        for (int k = 0; k < count && m_discCentres.size() < kMaxDiscs; ++k) {
            x = 1664525u * x + 1013904223u;
            float u = static_cast<float>(x >> 8) / 16777216.0f;
            x = 1664525u * x + 1013904223u;
            float v = static_cast<float>(x >> 8) / 16777216.0f;
            if (u + v > 1.0f) {
                u = 1.0f - u;
                v = 1.0f - v;
            }
            m_discCentres.push_back(p0 + (p1 - p0) * u + (p2 - p0) * v);
            m_discNormals.push_back(normal);
        }
    }
    BuildDiscFans();
}

void PointSetRenderer::BuildDiscFans()
{
    m_discVertices.clear();
    m_discIndices.clear();
    const size_t n = m_discCentres.size();
    m_discVertices.reserve(n * (kDiscSides + 1) * 3);
    m_discIndices.reserve(n * kDiscSides * 3);
    float cosines[kDiscSides], sines[kDiscSides];
    for (int k = 0; k < kDiscSides; ++k) {
        const double angle = 2.0 * 3.14159265358979 * k / kDiscSides;
        cosines[k] = static_cast<float>(std::cos(angle));
        sines[k] = static_cast<float>(std::sin(angle));
    }
    for (size_t d = 0; d < n; ++d) {
        const Wml::Vector3<float>& c = m_discCentres[d];
        const Wml::Vector3<float>& normal = m_discNormals[d];
        const Wml::Vector3<float> other =
            std::fabs(normal.X()) < 0.9f ? Wml::Vector3<float>(1, 0, 0) : Wml::Vector3<float>(0, 1, 0);
        Wml::Vector3<float> u = normal.Cross(other);
        u.Normalize();
        const Wml::Vector3<float> v = normal.Cross(u);
        const unsigned base = static_cast<unsigned>(d * (kDiscSides + 1));
        m_discVertices.insert(m_discVertices.end(), {c.X(), c.Y(), c.Z()});
        for (int k = 0; k < kDiscSides; ++k) {
            const Wml::Vector3<float> q = c + (u * cosines[k] + v * sines[k]) * m_discSize;
            m_discVertices.insert(m_discVertices.end(), {q.X(), q.Y(), q.Z()});
            m_discIndices.insert(
                m_discIndices.end(),
                {base, base + 1 + k, base + 1 + static_cast<unsigned>((k + 1) % kDiscSides)});
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

#include "implicit/mesh/SurfaceAnalyzer.h"

#include <algorithm>
#include <cmath>

namespace vynmesh {

namespace {

typedef Wml::Vector3<float> V3;

V3 Unit(const V3& v)
{
    const float len = v.Length();
    return len > 0.0f ? v / len : V3(0, 0, 0);
}

// Solves the symmetric 3 x 3 system m x = r; false when it is (nearly) singular.
bool Solve3(const double m[3][3], const double r[3], double x[3])
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    double scale = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) scale = std::max(scale, std::fabs(m[i][j]));
    if (!(std::fabs(det) > 1e-12 * scale * scale * scale)) return false;
    for (int c = 0; c < 3; ++c) {
        double a[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) a[i][j] = j == c ? r[i] : m[i][j];
        x[c] = (a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0])) /
               det;
    }
    return true;
}

}  // namespace

void SurfaceAnalyzer::SetMesh(const TriangleMesh* mesh)
{
    m_mesh = mesh;
    m_stale = true;
}

const std::vector<float>& SurfaceAnalyzer::GetK1()
{
    Update();
    return m_k1;
}
const std::vector<float>& SurfaceAnalyzer::GetK2()
{
    Update();
    return m_k2;
}
const std::vector<Wml::Vector3<float>>& SurfaceAnalyzer::GetDir1()
{
    Update();
    return m_dir1;
}
const std::vector<Wml::Vector3<float>>& SurfaceAnalyzer::GetDir2()
{
    Update();
    return m_dir2;
}
const std::vector<Wml::Vector3<float>>& SurfaceAnalyzer::GetNormals()
{
    Update();
    return m_normals;
}

// Curvature after Rusinkiewicz's per-face estimate: on every triangle the
// second fundamental form is the least-squares fit of the change of vertex
// normals along its three edges; each face's tensor is rotated into the
// tangent frame of its corners and averaged there, weighted by a third of the
// face's area, then diagonalised into principal curvatures and directions.
void SurfaceAnalyzer::Update()
{
    if (!m_stale) return;
    m_stale = false;
    const unsigned nv = m_mesh ? m_mesh->GetNumVertices() : 0;
    const unsigned nf = m_mesh ? m_mesh->GetNumTriangles() : 0;
    m_normals.assign(nv, V3(0, 0, 0));
    m_dir1.assign(nv, V3(0, 0, 0));
    m_dir2.assign(nv, V3(0, 0, 0));
    m_k1.assign(nv, 0.0f);
    m_k2.assign(nv, 0.0f);
    m_scale2 = 1.0f;
    if (!nv) return;
    const std::vector<V3>& p = m_mesh->GetPositions();
    const std::vector<unsigned>& idx = m_mesh->GetIndices();

    V3 lo = p[0], hi = p[0];
    for (const V3& q : p)
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], q[k]);
            hi[k] = std::max(hi[k], q[k]);
        }
    const float diag2 = (hi - lo).SquaredLength();
    if (diag2 > 0.0f && std::isfinite(diag2)) m_scale2 = diag2;

    // Max's weights (corner cross product over both edge lengths squared):
    // exact for vertices of a sphere, which plain area weights are not.
    for (unsigned f = 0; f < nf; ++f) {
        const unsigned* t = &idx[3 * f];
        for (int k = 0; k < 3; ++k) {
            const V3 a = p[t[(k + 1) % 3]] - p[t[k]], b = p[t[(k + 2) % 3]] - p[t[k]];
            const float l2 = a.SquaredLength() * b.SquaredLength();
            if (l2 > 0.0f) m_normals[t[k]] += a.Cross(b) / l2;
        }
    }
    for (V3& n : m_normals) n = Unit(n);

    // A tangent frame per vertex; the fit is expressed in it.
    std::vector<V3> up(nv), vp(nv);
    for (unsigned v = 0; v < nv; ++v) {
        const V3& n = m_normals[v];
        const V3 other = std::fabs(n.X()) < 0.9f ? V3(1, 0, 0) : V3(0, 1, 0);
        up[v] = Unit(n.Cross(other));
        vp[v] = n.Cross(up[v]);
    }
    std::vector<double> ku(nv, 0.0), kuv(nv, 0.0), kv(nv, 0.0), weight(nv, 0.0);
    for (unsigned f = 0; f < nf; ++f) {
        const unsigned* t = &idx[3 * f];
        V3 e[3], dn[3];
        for (int i = 0; i < 3; ++i) {
            e[i] = p[t[(i + 2) % 3]] - p[t[(i + 1) % 3]];
            dn[i] = m_normals[t[(i + 2) % 3]] - m_normals[t[(i + 1) % 3]];
        }
        const V3 cross = (p[t[1]] - p[t[0]]).Cross(p[t[2]] - p[t[0]]);
        const float area2 = cross.Length();
        if (!(area2 > 0.0f) || !std::isfinite(area2)) continue;
        const V3 fn = cross / area2;
        const V3 fu = Unit(e[0]), fv = fn.Cross(fu);
        double m[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, r[3] = {0, 0, 0}, x[3];
        for (int i = 0; i < 3; ++i) {
            const double u = e[i].Dot(fu), v = e[i].Dot(fv);
            const double du = dn[i].Dot(fu), dv = dn[i].Dot(fv);
            // Rows (u, v, 0) -> du and (0, u, v) -> dv of II * e = dn.
            m[0][0] += u * u;
            m[0][1] += u * v;
            m[1][1] += u * u + v * v;
            m[1][2] += u * v;
            m[2][2] += v * v;
            r[0] += u * du;
            r[1] += v * du + u * dv;
            r[2] += v * dv;
        }
        m[1][0] = m[0][1];
        m[2][1] = m[1][2];
        if (!Solve3(m, r, x)) continue;
        const double w = area2 / 6.0;
        for (int j = 0; j < 3; ++j) {
            const unsigned v = t[j];
            const V3& a = m_normals[v];
            const float c = a.Dot(fn);
            if (c <= -0.999f) continue;  // a corner folded back on itself says nothing
            // Turn the vertex frame about a x fn until it lies in the face plane.
            const V3 ru = up[v] - (a + fn) * (up[v].Dot(fn) / (1.0f + c));
            const V3 rv = vp[v] - (a + fn) * (vp[v].Dot(fn) / (1.0f + c));
            const double u1 = ru.Dot(fu), v1 = ru.Dot(fv), u2 = rv.Dot(fu), v2 = rv.Dot(fv);
            ku[v] += w * (x[0] * u1 * u1 + 2 * x[1] * u1 * v1 + x[2] * v1 * v1);
            kuv[v] += w * (x[0] * u1 * u2 + x[1] * (u1 * v2 + u2 * v1) + x[2] * v1 * v2);
            kv[v] += w * (x[0] * u2 * u2 + 2 * x[1] * u2 * v2 + x[2] * v2 * v2);
            weight[v] += w;
        }
    }
    for (unsigned v = 0; v < nv; ++v) {
        if (!(weight[v] > 0.0)) continue;
        const double a = ku[v] / weight[v], b = kuv[v] / weight[v], c = kv[v] / weight[v];
        const double mean = 0.5 * (a + c), d = std::sqrt(0.25 * (a - c) * (a - c) + b * b);
        const double angle = 0.5 * std::atan2(2.0 * b, a - c);
        const float cs = static_cast<float>(std::cos(angle)), sn = static_cast<float>(std::sin(angle));
        m_k1[v] = static_cast<float>(mean + d);
        m_k2[v] = static_cast<float>(mean - d);
        m_dir1[v] = up[v] * cs + vp[v] * sn;
        m_dir2[v] = vp[v] * cs - up[v] * sn;
    }
}

void SurfaceAnalyzer::RadialCurvature(const Wml::Vector3<float>& eye, std::vector<float>& out)
{
    Update();
    const unsigned nv = static_cast<unsigned>(m_k1.size());
    out.resize(nv);
    for (unsigned v = 0; v < nv; ++v) {
        const V3 view = eye - m_mesh->GetPositions()[v];
        const float a = view.Dot(m_dir1[v]), b = view.Dot(m_dir2[v]);
        const float w2 = a * a + b * b;
        // Looking straight along the normal every direction is radial: the mean.
        if (!(w2 > 1e-12f * view.SquaredLength()))
            out[v] = 0.5f * (m_k1[v] + m_k2[v]);
        else
            out[v] = (m_k1[v] * a * a + m_k2[v] * b * b) / w2;
    }
}

void SurfaceAnalyzer::SuggestiveContours(const Wml::Vector3<float>& eye, float low, float high,
                                         std::vector<Wml::Vector3<float>>& segments)
{
    segments.clear();
    std::vector<float> kr;
    RadialCurvature(eye, kr);
    if (kr.empty()) return;
    const std::vector<V3>& p = m_mesh->GetPositions();
    const std::vector<unsigned>& idx = m_mesh->GetIndices();
    const unsigned nf = static_cast<unsigned>(idx.size() / 3);
    const bool bounded = high > low;
    for (unsigned f = 0; f < nf; ++f) {
        const unsigned* t = &idx[3 * f];
        const float k[3] = {kr[t[0]], kr[t[1]], kr[t[2]]};
        const int negative = (k[0] < 0.0f) + (k[1] < 0.0f) + (k[2] < 0.0f);
        if (negative == 0 || negative == 3) continue;
        bool front = true;
        for (int i = 0; i < 3 && front; ++i) front = m_normals[t[i]].Dot(eye - p[t[i]]) > 0.0f;
        if (!front) continue;

        // The radial curvature is linear over the face; its gradient there
        // is sum k_i (n x e_i) / 2A with e_i the edge opposite corner i.
        const V3 cross = (p[t[1]] - p[t[0]]).Cross(p[t[2]] - p[t[0]]);
        const float area2 = cross.Length();
        if (!(area2 > 0.0f)) continue;
        const V3 fn = cross / area2;
        V3 grad(0, 0, 0);
        for (int i = 0; i < 3; ++i) grad += fn.Cross(p[t[(i + 2) % 3]] - p[t[(i + 1) % 3]]) * (k[i] / area2);
        const V3 centre = (p[t[0]] + p[t[1]] + p[t[2]]) / 3.0f;
        const V3 view = eye - centre;
        const V3 w = Unit(view - fn * view.Dot(fn));
        const float derivative = grad.Dot(w) * m_scale2;
        if (!(derivative >= low) || (bounded && derivative > high)) continue;

        int found = 0;
        for (int i = 0; i < 3 && found < 2; ++i) {
            const int a = i, b = (i + 1) % 3;
            if ((k[a] < 0.0f) == (k[b] < 0.0f)) continue;
            const float s = k[a] / (k[a] - k[b]);
            segments.push_back(p[t[a]] + (p[t[b]] - p[t[a]]) * s);
            ++found;
        }
    }
}

}  // namespace vynmesh

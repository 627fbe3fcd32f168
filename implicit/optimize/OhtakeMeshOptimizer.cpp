#include "implicit/optimize/OhtakeMeshOptimizer.h"

#include <algorithm>
#include <cmath>

#include "implicit/optimize/FieldProjection.h"

namespace vynimplicit {

using optimize_detail::ClampLength;
using optimize_detail::FieldNormal;
using optimize_detail::IsFinite;
using optimize_detail::NewtonStep;
using optimize_detail::ProjectToIso;
typedef Wml::Vector3<float> Vec3;

namespace {

float SanitizeWeight(float w)
{
    if (!std::isfinite(w)) return 0.5f;
    return std::min(1.0f, std::max(0.01f, w));
}

}  // namespace

OhtakeMeshOptimizer::OhtakeMeshOptimizer(vynmesh::VFTriangleMesh& mesh, float weight)
    : m_mesh(mesh), m_weight(SanitizeWeight(weight))
{
}

bool OhtakeMeshOptimizer::SetWeight(float weight)
{
    if (!std::isfinite(weight)) return false;
    m_weight = SanitizeWeight(weight);
    return true;
}

void OhtakeMeshOptimizer::Optimize_RZNFlow(unsigned int steps, ScalarField* field)
{
    Run(steps, field, FLOW_R | FLOW_Z | FLOW_N);
}

void OhtakeMeshOptimizer::Optimize_ZNFlow(unsigned int steps, ScalarField* field)
{
    Run(steps, field, FLOW_Z | FLOW_N);
}

void OhtakeMeshOptimizer::Optimize_RNFlow(unsigned int steps, ScalarField* field)
{
    Run(steps, field, FLOW_R | FLOW_N);
}

void OhtakeMeshOptimizer::Optimize_RFlow(unsigned int steps, ScalarField* field, bool projectEachStep)
{
    Run(steps, field, FLOW_R | (projectEachStep ? FLOW_PROJECT : 0));
}

void OhtakeMeshOptimizer::Optimize_ZFlow(unsigned int steps, ScalarField* field)
{
    Run(steps, field, FLOW_Z);
}

void OhtakeMeshOptimizer::Optimize_NFlow(unsigned int steps, ScalarField* field)
{
    Run(steps, field, FLOW_N);
}

void OhtakeMeshOptimizer::Run(unsigned int steps, ScalarField* field, int flows)
{
    if (steps == 0 || m_mesh.GetNumVertices() == 0) return;
    if (!field && !(flows & FLOW_R)) return;
    Prepare(field);
    if (m_triangles.empty()) return;
    for (unsigned int s = 0; s < steps; ++s) {
        if (flows & FLOW_R) StepR(field, (flows & FLOW_PROJECT) != 0);
        if (field && (flows & FLOW_Z)) StepZ(*field);
        if (field && (flows & FLOW_N)) StepN(*field);
    }
    for (unsigned int v = 0; v < m_positions.size(); ++v) {
        if (m_positions[v] != m_mesh.GetPosition(v)) m_mesh.SetVertex(v, m_positions[v]);
    }
}

void OhtakeMeshOptimizer::Prepare(ScalarField* field)
{
    const unsigned int nv = m_mesh.GetNumVertices();
    m_positions = m_mesh.GetPositions();
    m_next.assign(nv, Vec3::ZERO);
    m_fixed.assign(nv, 0);
    for (unsigned int v = 0; v < nv; ++v) {
        if (!IsFinite(m_positions[v]) || m_mesh.IsBoundaryVertex(v)) m_fixed[v] = 1;
    }

    // Keep only triangles whose corners exist and are finite.
    const std::vector<unsigned>& idx = m_mesh.GetIndices();
    m_triangles.clear();
    m_triangles.reserve(idx.size());
    double edgeSum = 0.0;
    unsigned int edgeCount = 0;
    for (size_t t = 0; t + 2 < idx.size(); t += 3) {
        unsigned a = idx[t], b = idx[t + 1], c = idx[t + 2];
        if (a >= nv || b >= nv || c >= nv) continue;
        if (!IsFinite(m_positions[a]) || !IsFinite(m_positions[b]) || !IsFinite(m_positions[c])) continue;
        m_triangles.push_back(a);
        m_triangles.push_back(b);
        m_triangles.push_back(c);
        edgeSum += (m_positions[a] - m_positions[b]).Length() + (m_positions[b] - m_positions[c]).Length() +
                   (m_positions[c] - m_positions[a]).Length();
        edgeCount += 3;
    }
    m_maxStep = edgeCount ? static_cast<float>(edgeSum / edgeCount) : 0.0f;
    if (!std::isfinite(m_maxStep)) m_maxStep = 0.0f;
    if (m_maxStep <= 0.0f && field) {
        Wml::AxisAlignedBox3<float> bounds;
        field->FieldBounds(bounds);
        Vec3 diagonal(bounds.Extent(0), bounds.Extent(1), bounds.Extent(2));
        m_maxStep = 0.01f * diagonal.Length();
    }

    m_offsets.assign(nv + 1, 0);
    for (unsigned int v : m_triangles) ++m_offsets[v + 1];
    for (unsigned int v = 0; v < nv; ++v) m_offsets[v + 1] += m_offsets[v];
    m_vertexTriangles.assign(m_triangles.size(), 0);
    std::vector<unsigned int> fill(m_offsets.begin(), m_offsets.end() - 1);
    for (unsigned int i = 0; i < m_triangles.size(); ++i) m_vertexTriangles[fill[m_triangles[i]]++] = i / 3;
}

void OhtakeMeshOptimizer::StepR(ScalarField* field, bool project)
{
    const unsigned int nv = static_cast<unsigned int>(m_positions.size());
    for (unsigned int v = 0; v < nv; ++v) {
        const Vec3& p = m_positions[v];
        m_next[v] = p;
        if (m_fixed[v] || m_offsets[v] == m_offsets[v + 1]) continue;
        Vec3 weighted = Vec3::ZERO, plain = Vec3::ZERO, faceNormal = Vec3::ZERO;
        float area = 0.0f;
        for (unsigned int k = m_offsets[v]; k < m_offsets[v + 1]; ++k) {
            unsigned int t = m_vertexTriangles[k];
            const Vec3& a = m_positions[m_triangles[3 * t]];
            const Vec3& b = m_positions[m_triangles[3 * t + 1]];
            const Vec3& c = m_positions[m_triangles[3 * t + 2]];
            Vec3 centroid = (a + b + c) * (1.0f / 3.0f);
            Vec3 cross = (b - a).Cross(c - a);
            float A = 0.5f * cross.Length();
            weighted += centroid * A;
            plain += centroid;
            area += A;
            faceNormal += cross;
        }
        unsigned int count = m_offsets[v + 1] - m_offsets[v];
        // Zero-area fans fall back to the plain centroid.
        Vec3 target = area > 1e-20f ? weighted / area : plain / static_cast<float>(count);
        Vec3 n;
        if (!(field && FieldNormal(*field, p, n))) {
            n = faceNormal;
            n.Normalize();
        }
        Vec3 d = target - p;
        d -= n * n.Dot(d);
        Vec3 q = p + ClampLength(d * m_weight, m_maxStep);
        if (IsFinite(q)) m_next[v] = q;
    }
    m_positions.swap(m_next);
    if (project && field) {
        for (unsigned int v = 0; v < nv; ++v) {
            if (m_fixed[v] || m_offsets[v] == m_offsets[v + 1]) continue;
            ProjectToIso(*field, m_positions[v], ISO_VALUE, 1.0f, m_maxStep, 4, 1e-5f);
        }
    }
}

void OhtakeMeshOptimizer::StepZ(ScalarField& field)
{
    for (unsigned int v = 0; v < m_positions.size(); ++v) {
        if (m_offsets[v] == m_offsets[v + 1] || !IsFinite(m_positions[v])) continue;
        NewtonStep(field, m_positions[v], ISO_VALUE, m_weight, m_maxStep);
    }
}

void OhtakeMeshOptimizer::StepN(ScalarField& field)
{
    const unsigned int nv = static_cast<unsigned int>(m_positions.size());
    std::vector<Vec3>& sum = m_next;
    sum.assign(nv, Vec3::ZERO);
    std::vector<float> weights(nv, 0.0f);
    for (size_t i = 0; i + 2 < m_triangles.size(); i += 3) {
        const unsigned int ids[3] = {m_triangles[i], m_triangles[i + 1], m_triangles[i + 2]};
        const Vec3& a = m_positions[ids[0]];
        const Vec3& b = m_positions[ids[1]];
        const Vec3& c = m_positions[ids[2]];
        Vec3 centroid = (a + b + c) * (1.0f / 3.0f);
        NewtonStep(field, centroid, ISO_VALUE, 1.0f, m_maxStep);
        Vec3 m;
        if (!FieldNormal(field, centroid, m)) continue;
        // Area weighting lets large faces dominate; the floor keeps slivers
        // from dividing by zero without letting them steer.
        float A = std::max(0.5f * (b - a).Cross(c - a).Length(), 1e-12f);
        for (unsigned int k = 0; k < 3; ++k) {
            const Vec3& p = m_positions[ids[k]];
            sum[ids[k]] += m * (A * m.Dot(centroid - p));
            weights[ids[k]] += A;
        }
    }
    for (unsigned int v = 0; v < nv; ++v) {
        if (!(weights[v] > 0.0f)) continue;
        Vec3 q = m_positions[v] + ClampLength(sum[v] * (m_weight / weights[v]), m_maxStep);
        if (IsFinite(q)) m_positions[v] = q;
    }
}

}  // namespace vynimplicit

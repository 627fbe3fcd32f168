#include "implicit/mesh/IMeshBVTree.h"

#include <algorithm>
#include <cmath>

namespace vynmesh {

namespace {

const unsigned kLeafSize = 4;

typedef Wml::Vector3<float> V3;

bool Finite(const V3& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

float BoxDistSqr(const float lo[3], const float hi[3], const V3& p)
{
    float d = 0.0f;
    for (int i = 0; i < 3; ++i) {
        float e = p[i] < lo[i] ? lo[i] - p[i] : (p[i] > hi[i] ? p[i] - hi[i] : 0.0f);
        d += e * e;
    }
    return d;
}

// Entry parameter of the ray into the box, or false when it misses it
// before tMax.
bool RayBox(const float lo[3], const float hi[3], const V3& o, const V3& invDir, float tMax, float& tEnter)
{
    float t0 = 0.0f, t1 = tMax;
    for (int i = 0; i < 3; ++i) {
        float a = (lo[i] - o[i]) * invDir[i];
        float b = (hi[i] - o[i]) * invDir[i];
        if (a > b) std::swap(a, b);
        // NaN from 0 * inf (ray in the slab plane) must not reject the box.
        if (!(a <= t1) && !std::isnan(a)) return false;
        if (a > t0) t0 = a;
        if (b < t1) t1 = b;
        if (t0 > t1) return false;
    }
    tEnter = t0;
    return true;
}

}  // namespace

void IMeshBVTree::SetMesh(const IMesh* mesh)
{
    m_mesh = mesh;
    Clear();
}

void IMeshBVTree::Clear()
{
    m_built = false;
    m_nodes.clear();
    m_order.clear();
}

void IMeshBVTree::Build()
{
    Clear();
    EnsureBuilt();
}

void IMeshBVTree::EnsureBuilt() const
{
    if (!m_mesh) {
        m_nodes.clear();
        m_order.clear();
        return;
    }
    if (m_built && m_builtVertices == m_mesh->GetNumVertices() &&
        m_builtTriangles == m_mesh->GetNumTriangles())
        return;
    BuildNow();
}

void IMeshBVTree::Corners(TriangleID t, V3 p[3]) const
{
    VertexID v[3];
    m_mesh->GetTriangle(t, v);
    for (int k = 0; k < 3; ++k) m_mesh->GetVertex(v[k], p[k]);
}

void IMeshBVTree::BuildNow() const
{
    m_nodes.clear();
    m_order.clear();
    m_built = true;
    m_builtVertices = m_mesh->GetNumVertices();
    m_builtTriangles = m_mesh->GetNumTriangles();

    const unsigned nv = m_builtVertices;
    std::vector<V3> centre;
    std::vector<Wml::AxisAlignedBox3<float>> boxes;
    centre.reserve(m_builtTriangles);
    boxes.reserve(m_builtTriangles);
    for (TriangleID t = 0; t < m_builtTriangles; ++t) {
        VertexID v[3];
        m_mesh->GetTriangle(t, v);
        if (v[0] >= nv || v[1] >= nv || v[2] >= nv) continue;
        V3 p[3];
        Corners(t, p);
        if (!Finite(p[0]) || !Finite(p[1]) || !Finite(p[2])) continue;
        Wml::AxisAlignedBox3<float> b;
        for (auto& q : p) b.Merge(q);
        m_order.push_back(t);
        boxes.push_back(b);
        centre.push_back((p[0] + p[1] + p[2]) / 3.0f);
    }
    if (m_order.empty()) return;
    // Work on positions into the compacted arrays, then map back to ids.
    std::vector<unsigned> items(m_order.size());
    for (unsigned i = 0; i < items.size(); ++i) items[i] = i;

    struct Task {
        unsigned node, first, count;
    };
    std::vector<Task> stack;
    m_nodes.reserve(2 * items.size() / kLeafSize + 2);
    m_nodes.push_back(Node{});
    stack.push_back({0, 0, unsigned(items.size())});
    while (!stack.empty()) {
        Task task = stack.back();
        stack.pop_back();
        Wml::AxisAlignedBox3<float> box, cbox;
        for (unsigned i = task.first; i < task.first + task.count; ++i) {
            box.Merge(boxes[items[i]]);
            cbox.Merge(centre[items[i]]);
        }
        Node& node = m_nodes[task.node];
        for (int k = 0; k < 3; ++k) {
            node.lo[k] = box.Min(k);
            node.hi[k] = box.Max(k);
        }
        int axis = 0;
        for (int k = 1; k < 3; ++k)
            if (cbox.Extent(k) > cbox.Extent(axis)) axis = k;
        if (task.count <= kLeafSize || cbox.Extent(axis) <= 0.0f) {
            node.first = task.first;
            node.count = task.count;
            node.right = 0;
            continue;
        }
        unsigned half = task.count / 2;
        auto begin = items.begin() + task.first;
        std::nth_element(begin, begin + half, begin + task.count,
                         [&](unsigned a, unsigned b) { return centre[a][axis] < centre[b][axis]; });
        unsigned left = unsigned(m_nodes.size());
        unsigned right = left + 1;
        node.first = left;
        node.count = 0;
        node.right = right;
        m_nodes.push_back(Node{});  // invalidates `node`
        m_nodes.push_back(Node{});
        stack.push_back({left, task.first, half});
        stack.push_back({right, task.first + half, task.count - half});
    }
    std::vector<TriangleID> ids(items.size());
    for (unsigned i = 0; i < items.size(); ++i) ids[i] = m_order[items[i]];
    m_order.swap(ids);
}

bool IMeshBVTree::IntersectTriangle(const Wml::Ray3<float>& ray, const V3& a, const V3& b, const V3& c,
                                    float& t)
{
    const V3 e1 = b - a, e2 = c - a;
    const V3 pv = ray.Direction().Cross(e2);
    const float det = e1.Dot(pv);
    const float scale = e1.Length() * e2.Length() * ray.Direction().Length();
    if (!(std::fabs(det) > 1e-12f * scale) || scale == 0.0f) return false;
    const float inv = 1.0f / det;
    const V3 s = ray.Origin() - a;
    const float u = s.Dot(pv) * inv;
    if (u < 0.0f || u > 1.0f) return false;
    const V3 q = s.Cross(e1);
    const float v = ray.Direction().Dot(q) * inv;
    if (v < 0.0f || u + v > 1.0f) return false;
    const float tt = e2.Dot(q) * inv;
    if (!(tt >= 0.0f)) return false;
    t = tt;
    return true;
}

V3 IMeshBVTree::ClosestPointOnTriangle(const V3& p, const V3& a, const V3& b, const V3& c)
{
    // Voronoi-region walk over vertices, edges and the face.
    const V3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = ab.Dot(ap), d2 = ac.Dot(ap);
    if (d1 <= 0.0f && d2 <= 0.0f) return a;
    const V3 bp = p - b;
    const float d3 = ab.Dot(bp), d4 = ac.Dot(bp);
    if (d3 >= 0.0f && d4 <= d3) return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f && d1 - d3 > 0.0f) return a + ab * (d1 / (d1 - d3));
    const V3 cp = p - c;
    const float d5 = ab.Dot(cp), d6 = ac.Dot(cp);
    if (d6 >= 0.0f && d5 <= d6) return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f && d2 - d6 > 0.0f) return a + ac * (d2 / (d2 - d6));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0.0f && d4 - d3 >= 0.0f && d5 - d6 >= 0.0f && (d4 - d3) + (d5 - d6) > 0.0f)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const float sum = va + vb + vc;
    if (sum > 0.0f) {
        const float denom = 1.0f / sum;
        return a + ab * (vb * denom) + ac * (vc * denom);
    }
    // Degenerate triangle: the best of its three edges.
    V3 best = a;
    float bestD = (p - a).SquaredLength();
    const V3* ends[3][2] = {{&a, &b}, {&b, &c}, {&c, &a}};
    for (auto& e : ends) {
        V3 d = *e[1] - *e[0];
        float len2 = d.SquaredLength();
        float s = len2 > 0.0f ? std::clamp((p - *e[0]).Dot(d) / len2, 0.0f, 1.0f) : 0.0f;
        V3 q = *e[0] + d * s;
        float dq = (p - q).SquaredLength();
        if (dq < bestD) {
            bestD = dq;
            best = q;
        }
    }
    return best;
}

bool IMeshBVTree::FindRayIntersection(const Wml::Ray3<float>& ray, float& t, TriangleID& tri, V3* hit) const
{
    if (!Finite(ray.Origin()) || !Finite(ray.Direction()) || ray.Direction().SquaredLength() == 0.0f)
        return false;
    EnsureBuilt();
    if (m_nodes.empty()) return false;
    const V3& d = ray.Direction();
    const V3 invDir(1.0f / d[0], 1.0f / d[1], 1.0f / d[2]);
    float best = FLT_MAX;
    TriangleID bestTri = IMesh::InvalidID;
    std::vector<unsigned> stack;
    stack.push_back(0);
    while (!stack.empty()) {
        const Node& node = m_nodes[stack.back()];
        stack.pop_back();
        float enter;
        if (!RayBox(node.lo, node.hi, ray.Origin(), invDir, best, enter)) continue;
        if (node.count > 0) {
            for (unsigned i = node.first; i < node.first + node.count; ++i) {
                V3 p[3];
                Corners(m_order[i], p);
                float tt;
                if (IntersectTriangle(ray, p[0], p[1], p[2], tt) && tt < best) {
                    best = tt;
                    bestTri = m_order[i];
                }
            }
        } else {
            // Visit the nearer child first so the far one is often pruned.
            float el = FLT_MAX, er = FLT_MAX;
            const Node& l = m_nodes[node.first];
            const Node& r = m_nodes[node.right];
            bool hl = RayBox(l.lo, l.hi, ray.Origin(), invDir, best, el);
            bool hr = RayBox(r.lo, r.hi, ray.Origin(), invDir, best, er);
            unsigned li = node.first, ri = node.right;
            if (hl && hr) {
                if (el < er) std::swap(li, ri);
                stack.push_back(li);
                stack.push_back(ri);
            } else if (hl) {
                stack.push_back(li);
            } else if (hr) {
                stack.push_back(ri);
            }
        }
    }
    if (bestTri == IMesh::InvalidID) return false;
    t = best;
    tri = bestTri;
    if (hit) *hit = ray.PointAt(best);
    return true;
}

bool IMeshBVTree::FindNearestPoint(const V3& p, V3& nearest, TriangleID& tri, float maxDistSqr) const
{
    if (!Finite(p) || std::isnan(maxDistSqr)) return false;
    EnsureBuilt();
    if (m_nodes.empty()) return false;
    float best = maxDistSqr;
    TriangleID bestTri = IMesh::InvalidID;
    V3 bestPoint;
    std::vector<unsigned> stack;
    stack.push_back(0);
    while (!stack.empty()) {
        const Node& node = m_nodes[stack.back()];
        stack.pop_back();
        if (BoxDistSqr(node.lo, node.hi, p) > best) continue;
        if (node.count > 0) {
            for (unsigned i = node.first; i < node.first + node.count; ++i) {
                V3 c[3];
                Corners(m_order[i], c);
                V3 q = ClosestPointOnTriangle(p, c[0], c[1], c[2]);
                float dq = (q - p).SquaredLength();
                if (dq <= best) {
                    best = dq;
                    bestTri = m_order[i];
                    bestPoint = q;
                }
            }
        } else {
            const Node& l = m_nodes[node.first];
            const Node& r = m_nodes[node.right];
            float dl = BoxDistSqr(l.lo, l.hi, p), dr = BoxDistSqr(r.lo, r.hi, p);
            if (dl < dr) {
                stack.push_back(node.right);
                stack.push_back(node.first);
            } else {
                stack.push_back(node.first);
                stack.push_back(node.right);
            }
        }
    }
    if (bestTri == IMesh::InvalidID) return false;
    nearest = bestPoint;
    tri = bestTri;
    return true;
}

}  // namespace vynmesh

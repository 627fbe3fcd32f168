#include "implicit/polygonizer/PolygonizerLattice.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include <Eigen/Dense>

namespace vynimplicit {

namespace {

using Vec3 = Wml::Vector3<float>;

// Corner c sits at (c & 1, c >> 1 & 1, c >> 2 & 1). Edge e runs along axis
// e / 4 from the corner whose other two coordinates are the bits of e % 4.
int EdgeStartCorner(int e)
{
    int a = e / 4, u = (a + 1) % 3, w = (a + 2) % 3, combo = e % 4;
    return ((combo & 1) << u) | (((combo >> 1) & 1) << w);
}
int EdgeEndCorner(int e)
{
    return EdgeStartCorner(e) | (1 << (e / 4));
}
int EdgeOf(int c0, int c1)
{
    int diff = c0 ^ c1, a = diff == 1 ? 0 : diff == 2 ? 1 : 2;
    int lo = std::min(c0, c1), u = (a + 1) % 3, w = (a + 2) % 3;
    return a * 4 + ((lo >> u) & 1) + 2 * ((lo >> w) & 1);
}
Vec3 CornerPos(int c)
{
    return Vec3(float(c & 1), float((c >> 1) & 1), float((c >> 2) & 1));
}
// Corners of face f (axis f / 2, side f % 2) in cyclic order.
void FaceCorners(int f, int corners[4])
{
    int a = f / 2, s = f % 2, u = (a + 1) % 3, w = (a + 2) % 3;
    const int uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int q = 0; q < 4; ++q) corners[q] = (s << a) | (uv[q][0] << u) | (uv[q][1] << w);
}

struct CaseTable {
    std::vector<std::vector<int>> loops[256];  // loops of cube edges per config
    CaseTable()
    {
        for (int config = 0; config < 256; ++config) {
            int next[12];
            std::fill(next, next + 12, -1);
            for (int f = 0; f < 6; ++f) {
                int c[4];
                FaceCorners(f, c);
                bool in[4];
                for (int q = 0; q < 4; ++q) in[q] = (config >> c[q]) & 1;
                std::vector<std::pair<int, int>> segs;  // pairs of crossed face-edge slots
                int crossed = 0;
                for (int q = 0; q < 4; ++q) crossed += in[q] != in[(q + 1) % 4];
                if (crossed == 2) {
                    int a = -1, b = -1;
                    for (int q = 0; q < 4; ++q)
                        if (in[q] != in[(q + 1) % 4]) (a < 0 ? a : b) = q;
                    segs.push_back({a, b});
                } else if (crossed == 4) {
                    // Cut off each inside corner separately.
                    for (int q = 0; q < 4; ++q)
                        if (in[q]) segs.push_back({(q + 3) % 4, q});
                }
                Vec3 n(0, 0, 0);
                n[f / 2] = (f % 2) ? 1.0f : -1.0f;
                for (auto& s : segs) {
                    int ea = EdgeOf(c[s.first], c[(s.first + 1) % 4]);
                    int eb = EdgeOf(c[s.second], c[(s.second + 1) % 4]);
                    Vec3 pa = (CornerPos(EdgeStartCorner(ea)) + CornerPos(EdgeEndCorner(ea))) * 0.5f;
                    Vec3 pb = (CornerPos(EdgeStartCorner(eb)) + CornerPos(EdgeEndCorner(eb))) * 0.5f;
                    int inside =
                        ((config >> EdgeStartCorner(ea)) & 1) ? EdgeStartCorner(ea) : EdgeEndCorner(ea);
                    // Orient so the inside corners lie to the left seen from outside the cube,
                    // which winds the fan with its normal towards lower values.
                    if ((pb - pa).Cross(n).Dot(CornerPos(inside) - pa) > 0)
                        next[ea] = eb;
                    else
                        next[eb] = ea;
                }
            }
            bool used[12] = {false};
            for (int e = 0; e < 12; ++e) {
                if (next[e] < 0 || used[e]) continue;
                std::vector<int> loop;
                for (int x = e; x >= 0 && !used[x]; x = next[x]) {
                    used[x] = true;
                    loop.push_back(x);
                }
                loops[config].push_back(loop);
            }
        }
    }
};

const CaseTable& Table()
{
    static const CaseTable table;
    return table;
}

// Faces of the cell containing a cube edge (bit per face index).
int EdgeFaces(int e)
{
    int a = e / 4, u = (a + 1) % 3, w = (a + 2) % 3, combo = e % 4;
    return (1 << (2 * u + (combo & 1))) | (1 << (2 * w + ((combo >> 1) & 1)));
}

constexpr uint64_t INTERIOR_FLAG = uint64_t(1) << 62;

}  // namespace

bool PolygonizerLattice::SetCellSize(const Wml::AxisAlignedBox3<float>& box, float size)
{
    if (box.IsEmpty() || !std::isfinite(size)) return false;
    for (int a = 0; a < 3; ++a)
        if (!std::isfinite(box.Min(a)) || !std::isfinite(box.Max(a))) return false;
    size = std::max(size, MIN_CELL_SIZE);
    float longest = std::max({box.Extent(0), box.Extent(1), box.Extent(2)});
    if (longest / size > float(MAX_CELLS_PER_AXIS)) size = longest / float(MAX_CELLS_PER_AXIS);
    m_size = size;
    m_origin = box.MinCorner();
    for (int a = 0; a < 3; ++a)
        m_count[a] = std::max(1, std::min(MAX_CELLS_PER_AXIS, int(std::ceil(box.Extent(a) / size))));
    int most = std::max({m_count[0], m_count[1], m_count[2]});
    m_stride = std::max(4, (most + 63) / 64);
    m_valid = true;
    ClearCaches();
    return true;
}

bool PolygonizerLattice::SetCellCount(const Wml::AxisAlignedBox3<float>& box, unsigned n)
{
    if (box.IsEmpty()) return false;
    n = std::max(1u, std::min(n, unsigned(MAX_CELLS_PER_AXIS)));
    float longest = std::max({box.Extent(0), box.Extent(1), box.Extent(2)});
    if (!std::isfinite(longest)) return false;
    return SetCellSize(box, std::max(longest, MIN_CELL_SIZE) / float(n));
}

void PolygonizerLattice::ClearCaches()
{
    for (int a = 0; a < 3; ++a) m_scanDims[a] = m_valid ? (m_count[a] + 1) / m_stride + 1 : 0;
    m_strideShift = -1;
    for (int b = 0; b < 31; ++b)
        if (m_stride == (1 << b)) m_strideShift = b;
    m_scanNodes.assign(size_t(m_scanDims[0]) * size_t(m_scanDims[1]) * size_t(m_scanDims[2]),
                       std::numeric_limits<float>::quiet_NaN());
    m_nodeBricks.clear();
    m_nodePool.clear();
    m_lastBrick = FlatKeyMap<uint32_t>::EMPTY;
    m_vertices.clear();
    m_edgeBricks.clear();
    m_edgeSlots.clear();
    m_edgeVertices.clear();
    m_freeEdgeVertices.clear();
    m_lastEdgeBrick = FlatKeyMap<uint32_t>::EMPTY;
}

bool PolygonizerLattice::CellInLattice(int i, int j, int k) const
{
    return m_valid && i >= -1 && j >= -1 && k >= -1 && i <= m_count[0] && j <= m_count[1] && k <= m_count[2];
}

uint64_t PolygonizerLattice::NodeKey(int i, int j, int k) const
{
    return uint64_t(i + 1) | (uint64_t(j + 1) << 16) | (uint64_t(k + 1) << 32);
}
uint64_t PolygonizerLattice::CellKey(int i, int j, int k) const
{
    return NodeKey(i, j, k);
}
void PolygonizerLattice::CellFromKey(uint64_t key, int& i, int& j, int& k) const
{
    i = int(key & 0xFFFF) - 1;
    j = int((key >> 16) & 0xFFFF) - 1;
    k = int((key >> 32) & 0xFFFF) - 1;
}

void PolygonizerLattice::CellOf(const Wml::Vector3<float>& p, int& i, int& j, int& k) const
{
    int* idx[3] = {&i, &j, &k};
    for (int a = 0; a < 3; ++a) {
        float t = (p[a] - m_origin[a]) / m_size;
        t = std::isfinite(t) ? std::max(-4.0f, std::min(t, float(m_count[a] + 4))) : -4.0f;
        *idx[a] = int(std::floor(t));
    }
}

Wml::Vector3<float> PolygonizerLattice::NodePosition(int i, int j, int k) const
{
    return Vec3(m_origin[0] + float(i) * m_size, m_origin[1] + float(j) * m_size,
                m_origin[2] + float(k) * m_size);
}

float PolygonizerLattice::Evaluate(const Wml::Vector3<float>& p)
{
    ++m_evaluations;
    float v = m_field->Value(p);
    return std::isfinite(v) ? v : 0.0f;
}

Wml::Vector3<float> PolygonizerLattice::OutwardNormal(const Wml::Vector3<float>& p)
{
    ++m_evaluations;
    Vec3 g = m_field->Gradient(p);
    Vec3 n = -g;
    if (!std::isfinite(n.SquaredLength()) || n.Normalize() <= 0.0f) return Vec3(0, 0, 0);
    return n;
}

float PolygonizerLattice::NodeValue(int i, int j, int k)
{
    // Nodes beyond the ring around the box are never inside.
    if (!m_field || i < -1 || j < -1 || k < -1 || i > m_count[0] + 1 || j > m_count[1] + 1 ||
        k > m_count[2] + 1)
        return 0.0f;
    // Strides are usually powers of two: test the low bits, not a division.
    const bool onScan = m_strideShift >= 0 ? ((i | j | k) & ((1 << m_strideShift) - 1)) == 0
                                           : i % m_stride == 0 && j % m_stride == 0 && k % m_stride == 0;
    if (!m_scanNodes.empty() && i >= 0 && j >= 0 && k >= 0 && onScan) {
        float& slot = m_scanNodes[(size_t(k / m_stride) * size_t(m_scanDims[1]) + size_t(j / m_stride)) *
                                      size_t(m_scanDims[0]) +
                                  size_t(i / m_stride)];
        if (!std::isnan(slot)) return slot;
        slot = Evaluate(NodePosition(i, j, k));
        return slot;
    }
    float& slot = NodeSlot(i, j, k);
    if (!std::isnan(slot)) return slot;
    slot = Evaluate(NodePosition(i, j, k));
    return slot;
}

float& PolygonizerLattice::NodeSlot(int i, int j, int k)
{
    const uint32_t x = uint32_t(i + 1), y = uint32_t(j + 1), z = uint32_t(k + 1);
    const uint64_t brick = uint64_t(x >> 2) | (uint64_t(y >> 2) << 16) | (uint64_t(z >> 2) << 32);
    if (brick != m_lastBrick) {
        auto found = m_nodeBricks.emplace(brick, uint32_t(m_nodePool.size()));
        if (found.second) m_nodePool.resize(m_nodePool.size() + 64, std::numeric_limits<float>::quiet_NaN());
        m_lastBrick = brick;
        m_lastBrickAt = *found.first;
    }
    return m_nodePool[m_lastBrickAt + ((x & 3) | ((y & 3) << 2) | ((z & 3) << 4))];
}

int PolygonizerLattice::CellConfig(int i, int j, int k)
{
    int config = 0;
    for (int c = 0; c < 8; ++c)
        if (NodeValue(i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1)) > m_iso) config |= 1 << c;
    return config;
}

bool PolygonizerLattice::FaceCrossed(int config, int face)
{
    int c[4];
    FaceCorners(face, c);
    int in = 0;
    for (int q = 0; q < 4; ++q) in += (config >> c[q]) & 1;
    return in != 0 && in != 4;
}

uint64_t PolygonizerLattice::EdgeVertex(int i, int j, int k, int axis)
{
    uint64_t key = (NodeKey(i, j, k) << 2) | uint64_t(axis);
    if (*EdgeSlot(key, true) != NO_VERTEX) return key;
    int d[3] = {0, 0, 0};
    d[axis] = 1;
    Vec3 p0 = NodePosition(i, j, k), p1 = NodePosition(i + d[0], j + d[1], k + d[2]);
    float v0 = NodeValue(i, j, k), v1 = NodeValue(i + d[0], j + d[1], k + d[2]);
    // Bracket [lo (outside), hi (inside)]; bisect, then interpolate in the last bracket.
    Vec3 lo = p0, hi = p1;
    float vlo = v0, vhi = v1;
    if (v0 > m_iso) {
        std::swap(lo, hi);
        std::swap(vlo, vhi);
    }
    for (unsigned s = 0; s < m_bisections; ++s) {
        Vec3 mid = (lo + hi) * 0.5f;
        float vm = Evaluate(mid);
        if (vm > m_iso) {
            hi = mid;
            vhi = vm;
        } else {
            lo = mid;
            vlo = vm;
        }
    }
    float t = vhi != vlo ? (m_iso - vlo) / (vhi - vlo) : 0.5f;
    t = std::isfinite(t) ? std::max(0.0f, std::min(1.0f, t)) : 0.5f;
    LatticeVertex v;
    v.position = lo + (hi - lo) * t;
    v.normal = OutwardNormal(v.position);
    if (v.normal.SquaredLength() == 0.0f) {
        v.normal = lo - hi;
        v.normal.Normalize();
    }
    uint32_t at;
    if (!m_freeEdgeVertices.empty()) {
        at = m_freeEdgeVertices.back();
        m_freeEdgeVertices.pop_back();
        m_edgeVertices[at] = v;
    } else {
        at = uint32_t(m_edgeVertices.size());
        m_edgeVertices.push_back(v);
    }
    *EdgeSlot(key, true) = at;
    return key;
}

uint64_t PolygonizerLattice::InteriorVertex(int i, int j, int k, int loop, const uint64_t* ring, size_t n,
                                            bool sharp)
{
    uint64_t key = INTERIOR_FLAG | (CellKey(i, j, k) << 4) | uint64_t(loop & 15);
    Vec3 mass(0, 0, 0), normal(0, 0, 0);
    for (size_t q = 0; q < n; ++q) {
        const LatticeVertex& r = VertexAt(ring[q]);
        mass += r.position;
        normal += r.normal;
    }
    mass /= float(n);
    Vec3 p = mass;
    if (sharp) {
        // Least-squares meeting point of the tangent planes, about the mass point;
        // small singular values are dropped so flat directions stay at the mass point.
        // Solved through the 3x3 normal matrix; eigenvalues are squared
        // singular values, so the cut-off is 0.1 of the largest singular value.
        Eigen::Matrix3f ata = Eigen::Matrix3f::Zero();
        Eigen::Vector3f atb = Eigen::Vector3f::Zero();
        for (size_t q = 0; q < n; ++q) {
            const LatticeVertex& v = VertexAt(ring[q]);
            Eigen::Vector3f n(v.normal[0], v.normal[1], v.normal[2]);
            ata += n * n.transpose();
            atb += n * v.normal.Dot(v.position - mass);
        }
        Eigen::SelfAdjointEigenSolver<Eigen::Matrix3f> eig(ata);
        Eigen::Vector3f ev = eig.eigenvalues();
        float largest = ev.maxCoeff();
        Eigen::Vector3f x = Eigen::Vector3f::Zero();
        for (int s = 0; s < 3; ++s)
            if (ev(s) > 0.01f * largest && ev(s) > 0.0f)
                x += eig.eigenvectors().col(s) * (eig.eigenvectors().col(s).dot(atb) / ev(s));
        p = mass + Vec3(x(0), x(1), x(2));
    } else {
        // Pull the centre onto the surface with a few Newton steps.
        for (int s = 0; s < 4; ++s) {
            ++m_evaluations;
            float value = 0.0f;
            Vec3 g = m_field->Gradient(p, &value);
            float g2 = g.SquaredLength();
            if (!(g2 > 1e-12f) || !std::isfinite(value)) break;
            p -= g * ((value - m_iso) / g2);
        }
    }
    Vec3 cmin = NodePosition(i, j, k);
    for (int a = 0; a < 3; ++a) {
        float v = std::isfinite(p[a]) ? p[a] : mass[a];
        p[a] = std::max(cmin[a], std::min(cmin[a] + m_size, v));
    }
    LatticeVertex v;
    v.position = p;
    v.normal = normal;
    if (v.normal.Normalize() <= 0.0f) v.normal = VertexAt(ring[0]).normal;
    m_vertices[key] = v;
    return key;
}

void PolygonizerLattice::PolygonizeCell(int i, int j, int k, std::vector<LatticeTriangle>& out)
{
    if (!CellInLattice(i, j, k)) return;
    PolygonizeCell(i, j, k, CellConfig(i, j, k), out);
}

void PolygonizerLattice::PolygonizeCell(int i, int j, int k, int config, std::vector<LatticeTriangle>& out)
{
    if (!CellInLattice(i, j, k)) return;
    const auto& loops = Table().loops[config & 255];
    uint64_t ring[12];  // a loop visits each cube edge at most once
    for (size_t l = 0; l < loops.size(); ++l) {
        const std::vector<int>& loop = loops[l];
        size_t n = 0;
        for (int e : loop) {
            int c = EdgeStartCorner(e);
            ring[n++] = EdgeVertex(i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1), e / 4);
        }
        if (n < 3) continue;
        bool sharp = false;
        if (m_extended) {
            float minDot = 1.0f;
            for (size_t a = 0; a < n; ++a)
                for (size_t b = a + 1; b < n; ++b)
                    minDot = std::min(minDot, VertexAt(ring[a]).normal.Dot(VertexAt(ring[b]).normal));
            sharp = minDot < 0.8f;  // about 37 degrees
        }
        // A fan from a vertex whose two faces carry no other loop vertex never
        // adds a diagonal that a neighbouring cell could add too.
        int start = -1;
        if (!sharp) {
            for (size_t s = 0; s < n && start < 0; ++s) {
                int faces = EdgeFaces(loop[s]);
                bool alone = true;
                for (size_t o = 0; o < n && alone; ++o)
                    if (o != s && o != (s + 1) % n && o != (s + n - 1) % n && (EdgeFaces(loop[o]) & faces))
                        alone = false;
                if (alone) start = int(s);
            }
        }
        if (start >= 0) {
            for (size_t t = 1; t + 1 < n; ++t)
                out.push_back({{ring[size_t(start)], ring[(size_t(start) + t) % n],
                                ring[(size_t(start) + t + 1) % n]}});
        } else {
            uint64_t centre = InteriorVertex(i, j, k, int(l), ring, n, sharp);
            if (sharp && !FanAgrees(centre, ring, n))
                centre = InteriorVertex(i, j, k, int(l), ring, n, false);
            for (size_t t = 0; t < n; ++t) out.push_back({{centre, ring[t], ring[(t + 1) % n]}});
        }
    }
}

bool PolygonizerLattice::FanAgrees(uint64_t centre, const uint64_t* ring, size_t n)
{
    // A feature point clamped into the cell can fold the fan over; every
    // triangle must face the way its outer vertices' normals do.
    const Vec3 c = VertexAt(centre).position;
    for (size_t t = 0; t < n; ++t) {
        const LatticeVertex& a = VertexAt(ring[t]);
        const LatticeVertex& b = VertexAt(ring[(t + 1) % n]);
        Vec3 n = (a.position - c).Cross(b.position - c);
        if (n.Dot(a.normal + b.normal) <= 0.0f) return false;
    }
    return true;
}

void PolygonizerLattice::FlipTowardsFeatures(std::vector<LatticeTriangle>& triangles) const
{
    // A crease runs between the feature vertices of neighbouring cells, but
    // each cell's fan crosses it with a chord a-b. Where both triangles on a
    // chord have feature vertices opposite it, the chord is swapped for the
    // segment joining them.
    auto edgeKey = [](uint64_t a, uint64_t b) { return a < b ? std::make_pair(a, b) : std::make_pair(b, a); };
    struct PairHash {
        size_t operator()(const std::pair<uint64_t, uint64_t>& p) const
        {
            return std::hash<uint64_t>()(p.first * 0x9E3779B97F4A7C15ull ^ p.second);
        }
    };
    std::unordered_map<std::pair<uint64_t, uint64_t>, std::vector<size_t>, PairHash> edges;
    for (size_t t = 0; t < triangles.size(); ++t)
        for (int c = 0; c < 3; ++c)
            edges[edgeKey(triangles[t].v[c], triangles[t].v[(c + 1) % 3])].push_back(t);
    std::vector<bool> touched(triangles.size(), false);
    for (auto& e : edges) {
        if (e.second.size() != 2 || !IsEdgeKey(e.first.first) || !IsEdgeKey(e.first.second)) continue;
        size_t t1 = e.second[0], t2 = e.second[1];
        if (touched[t1] || touched[t2]) continue;
        // Rotate t1 to (c1, a, b) and t2 to (c2, b, a).
        LatticeTriangle x = triangles[t1], y = triangles[t2];
        int r = 0;
        while (r < 3 && IsEdgeKey(x.v[r])) ++r;
        if (r == 3) continue;
        uint64_t c1 = x.v[r], a = x.v[(r + 1) % 3], b = x.v[(r + 2) % 3];
        int q = 0;
        while (q < 3 && IsEdgeKey(y.v[q])) ++q;
        if (q == 3 || y.v[(q + 1) % 3] != b || y.v[(q + 2) % 3] != a) continue;
        uint64_t c2 = y.v[q];
        if (c1 == c2 || edges.count(edgeKey(c1, c2))) continue;
        const LatticeVertex *pa = FindVertex(a), *pb = FindVertex(b), *p1 = FindVertex(c1),
                            *p2 = FindVertex(c2);
        if (!pa || !pb || !p1 || !p2) continue;
        Vec3 n1 = (pa->position - p1->position).Cross(p2->position - p1->position);
        Vec3 n2 = (pb->position - p2->position).Cross(p1->position - p2->position);
        if (n1.Dot(pa->normal) <= 0.0f || n2.Dot(pb->normal) <= 0.0f) continue;
        triangles[t1] = {{c1, a, c2}};
        triangles[t2] = {{c2, b, c1}};
        touched[t1] = touched[t2] = true;
    }
}

const LatticeVertex* PolygonizerLattice::FindVertex(uint64_t key) const
{
    if (!IsEdgeKey(key)) return m_vertices.find(key);
    const uint32_t* slot = EdgeSlot(key);
    return slot && *slot != NO_VERTEX ? &m_edgeVertices[*slot] : nullptr;
}

namespace {
uint64_t EdgeBrick(uint64_t key)
{
    const uint64_t node = key >> 2;
    return ((node & 0xFFFF) >> 1) | ((((node >> 16) & 0xFFFF) >> 1) << 16) |
           ((((node >> 32) & 0xFFFF) >> 1) << 32);
}
size_t EdgeLocal(uint64_t key)
{
    const uint64_t node = key >> 2;
    return size_t(((node & 1) | (((node >> 16) & 1) << 1) | (((node >> 32) & 1) << 2)) * 3 + (key & 3));
}
}  // namespace

uint32_t* PolygonizerLattice::EdgeSlot(uint64_t key, bool create)
{
    const uint64_t brick = EdgeBrick(key);
    if (brick != m_lastEdgeBrick) {
        size_t at;
        if (create) {
            auto found = m_edgeBricks.emplace(brick, uint32_t(m_edgeSlots.size()));
            if (found.second) m_edgeSlots.resize(m_edgeSlots.size() + 24, NO_VERTEX);
            at = *found.first;
        } else {
            const uint32_t* found = m_edgeBricks.find(brick);
            if (!found) return nullptr;
            at = *found;
        }
        m_lastEdgeBrick = brick;
        m_lastEdgeBrickAt = at;
    }
    return &m_edgeSlots[m_lastEdgeBrickAt + EdgeLocal(key)];
}

const uint32_t* PolygonizerLattice::EdgeSlot(uint64_t key) const
{
    const uint32_t* found = m_edgeBricks.find(EdgeBrick(key));
    return found ? &m_edgeSlots[*found + EdgeLocal(key)] : nullptr;
}

bool PolygonizerLattice::SeedCell(const Wml::Vector3<float>& seed, int& i, int& j, int& k)
{
    CellOf(seed, i, j, k);
    // Walk towards the surface: downhill from inside, uphill from outside.
    int maxSteps = 2 * (m_count[0] + m_count[1] + m_count[2]) + 8;
    for (int step = 0; step < maxSteps; ++step) {
        if (!InRange(i, j, k)) return false;
        int config = CellConfig(i, j, k);
        if (ConfigCrossed(config)) return true;
        Vec3 centre = NodePosition(i, j, k) + Vec3(0.5f, 0.5f, 0.5f) * m_size;
        ++m_evaluations;
        Vec3 g = m_field->Gradient(centre);
        if (config == 255) g = -g;
        int a = 0;
        for (int b = 1; b < 3; ++b)
            if (std::fabs(g[b]) > std::fabs(g[a])) a = b;
        if (!(std::fabs(g[a]) > 0.0f)) return false;
        int* idx[3] = {&i, &j, &k};
        *idx[a] += g[a] > 0 ? 1 : -1;
    }
    return false;
}

void PolygonizerLattice::ContinueFrom(uint64_t cell, std::vector<uint64_t>& stack, CellKeySet& visited,
                                      std::vector<uint64_t>& cells)
{
    if (visited.size() >= MAX_VISITED_CELLS || !visited.insert(cell)) return;
    stack.push_back(cell);
    while (!stack.empty()) {
        uint64_t key = stack.back();
        stack.pop_back();
        int i, j, k;
        CellFromKey(key, i, j, k);
        int config = CellConfig(i, j, k);
        if (!ConfigCrossed(config)) continue;
        cells.push_back(key);
        m_foundConfigs.push_back(uint8_t(config));
        for (int f = 0; f < 6; ++f) {
            if (!FaceCrossed(config, f)) continue;
            int d[3] = {0, 0, 0};
            d[f / 2] = (f % 2) ? 1 : -1;
            int ni = i + d[0], nj = j + d[1], nk = k + d[2];
            if (!InRange(ni, nj, nk)) continue;
            uint64_t nkey = CellKey(ni, nj, nk);
            if (visited.size() < MAX_VISITED_CELLS && visited.insert(nkey)) stack.push_back(nkey);
        }
    }
}

void PolygonizerLattice::FindSurfaceCells(const std::vector<Wml::Vector3<float>>& seeds,
                                          std::vector<uint64_t>& cells)
{
    cells.clear();
    m_foundConfigs.clear();
    if (!m_valid || !m_field) return;
    CellKeySet visited;
    std::vector<uint64_t> stack;
    for (const Vec3& s : seeds) {
        int i, j, k;
        if (SeedCell(s, i, j, k)) ContinueFrom(CellKey(i, j, k), stack, visited, cells);
    }
    int from[3] = {0, 0, 0}, to[3] = {m_count[0] + 1, m_count[1] + 1, m_count[2] + 1};
    Scan(from, to, stack, visited, cells);
}

bool PolygonizerLattice::InRange(int i, int j, int k) const
{
    if (!CellInLattice(i, j, k)) return false;
    return !m_limited ||
           (i >= m_lo[0] && i <= m_hi[0] && j >= m_lo[1] && j <= m_hi[1] && k >= m_lo[2] && k <= m_hi[2]);
}

void PolygonizerLattice::FindSurfaceCellsIn(const int lo[3], const int hi[3],
                                            const std::vector<Wml::Vector3<float>>& seeds,
                                            const std::vector<uint64_t>& starts, std::vector<uint64_t>& cells)
{
    cells.clear();
    m_foundConfigs.clear();
    if (!m_valid || !m_field) return;
    m_limited = true;
    int from[3], to[3];
    for (int a = 0; a < 3; ++a) {
        m_lo[a] = lo[a];
        m_hi[a] = hi[a];
        // The scan nodes a full run would use around the block.
        from[a] = std::max(0, (std::max(lo[a], 0) / m_stride) * m_stride);
        to[a] = std::min(m_count[a] + 1, ((hi[a] + 1 + m_stride - 1) / m_stride) * m_stride);
    }
    CellKeySet visited;
    std::vector<uint64_t> stack;
    for (uint64_t key : starts) {
        int i, j, k;
        CellFromKey(key, i, j, k);
        if (InRange(i, j, k)) ContinueFrom(key, stack, visited, cells);
    }
    for (const Vec3& s : seeds) {
        int i, j, k;
        CellOf(s, i, j, k);
        if (InRange(i, j, k) && SeedCell(s, i, j, k)) ContinueFrom(CellKey(i, j, k), stack, visited, cells);
    }
    Scan(from, to, stack, visited, cells);
    m_limited = false;
}

void PolygonizerLattice::Scan(const int from[3], const int to[3], std::vector<uint64_t>& stack,
                              CellKeySet& visited, std::vector<uint64_t>& cells)
{
    // Coarse scan: nodes every m_stride cells (multiples of it, so every
    // run uses the same nodes); a sign change between two neighbours of this
    // sub-lattice is narrowed to one lattice edge, whose cells start a
    // continuation. A piece that crosses no sub-lattice segment an odd number
    // of times is left to the seeds.
    const int stride = m_stride;
    for (int k = from[2]; k <= to[2]; k += stride)
        for (int j = from[1]; j <= to[1]; j += stride)
            for (int i = from[0]; i <= to[0]; i += stride) {
                int base[3] = {i, j, k};
                bool inBase = NodeValue(i, j, k) > m_iso;
                for (int a = 0; a < 3; ++a) {
                    int end[3] = {i, j, k};
                    end[a] = std::min(base[a] + stride, to[a]);
                    if (end[a] == base[a]) continue;
                    if ((NodeValue(end[0], end[1], end[2]) > m_iso) == inBase) continue;
                    int p[3] = {i, j, k};
                    while (p[a] < end[a]) {
                        int q[3] = {p[0], p[1], p[2]};
                        ++q[a];
                        if ((NodeValue(q[0], q[1], q[2]) > m_iso) != inBase) break;
                        p[a] = q[a];
                    }
                    // The four cells around edge p -> p + e_a.
                    int u = (a + 1) % 3, w = (a + 2) % 3;
                    for (int du = -1; du <= 0; ++du)
                        for (int dw = -1; dw <= 0; ++dw) {
                            int c[3] = {p[0], p[1], p[2]};
                            c[u] += du;
                            c[w] += dw;
                            if (InRange(c[0], c[1], c[2]))
                                ContinueFrom(CellKey(c[0], c[1], c[2]), stack, visited, cells);
                        }
                }
            }
}

void PolygonizerLattice::ForgetCells(const int lo[3], const int hi[3])
{
    // Walks the caches rather than the block: they hold only what lies near
    // the surface, the block may be large.
    auto nodeIn = [&](int i, int j, int k) {
        return i >= lo[0] && i <= hi[0] + 1 && j >= lo[1] && j <= hi[1] + 1 && k >= lo[2] && k <= hi[2] + 1;
    };
    std::vector<uint64_t> doomed;
    m_nodeBricks.for_each([&](uint64_t brick, uint32_t at) {
        for (int n = 0; n < 64; ++n) {
            int i = int(((brick & 0xFFFF) << 2) | uint64_t(n & 3)) - 1;
            int j = int((((brick >> 16) & 0xFFFF) << 2) | uint64_t((n >> 2) & 3)) - 1;
            int k = int((((brick >> 32) & 0xFFFF) << 2) | uint64_t((n >> 4) & 3)) - 1;
            if (nodeIn(i, j, k)) m_nodePool[at + size_t(n)] = std::numeric_limits<float>::quiet_NaN();
        }
    });
    const int s = m_stride;
    auto first = [s](int v) { return (std::max(v, 0) + s - 1) / s * s; };
    for (int k = first(lo[2]); k <= hi[2] + 1 && k / s < m_scanDims[2]; k += s)
        for (int j = first(lo[1]); j <= hi[1] + 1 && j / s < m_scanDims[1]; j += s)
            for (int i = first(lo[0]); i <= hi[0] + 1 && i / s < m_scanDims[0]; i += s)
                m_scanNodes[(size_t(k / s) * size_t(m_scanDims[1]) + size_t(j / s)) * size_t(m_scanDims[0]) +
                            size_t(i / s)] = std::numeric_limits<float>::quiet_NaN();
    doomed.clear();
    auto forgetVertex = [&](uint64_t key) {
        int p[3];
        bool forget;
        if (IsEdgeKey(key)) {
            // Keep vertices of edges that a cell outside the block also uses.
            int a = int(key & 3);
            CellFromKey(key >> 2, p[0], p[1], p[2]);
            forget = p[a] >= lo[a] && p[a] <= hi[a];
            for (int b = 0; b < 3 && forget; ++b)
                if (b != a && (p[b] - 1 < lo[b] || p[b] > hi[b])) forget = false;
        } else {
            CellFromKey((key & ~INTERIOR_FLAG) >> 4, p[0], p[1], p[2]);
            forget = p[0] >= lo[0] && p[0] <= hi[0] && p[1] >= lo[1] && p[1] <= hi[1] && p[2] >= lo[2] &&
                     p[2] <= hi[2];
        }
        return forget;
    };
    m_vertices.for_each([&](uint64_t key, const LatticeVertex&) {
        if (forgetVertex(key)) doomed.push_back(key);
    });
    for (uint64_t key : doomed) m_vertices.erase(key);
    m_edgeBricks.for_each([&](uint64_t brick, uint32_t at) {
        for (uint64_t n = 0; n < 24; ++n) {
            uint32_t& slot = m_edgeSlots[at + n];
            if (slot == NO_VERTEX) continue;
            uint64_t c = n / 3;
            uint64_t node = (((brick & 0xFFFF) << 1) | (c & 1)) |
                            (((((brick >> 16) & 0xFFFF) << 1) | ((c >> 1) & 1)) << 16) |
                            (((((brick >> 32) & 0xFFFF) << 1) | ((c >> 2) & 1)) << 32);
            if (forgetVertex((node << 2) | (n % 3))) {
                m_freeEdgeVertices.push_back(slot);
                slot = NO_VERTEX;
            }
        }
    });
}

}  // namespace vynimplicit

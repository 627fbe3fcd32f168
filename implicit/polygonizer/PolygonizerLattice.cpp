#include "implicit/polygonizer/PolygonizerLattice.h"

#include "implicit/polygonizer/WorkerPool.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

// Faces of the cell containing a cube edge (bit per face index).
int EdgeFaces(int e)
{
    int a = e / 4, u = (a + 1) % 3, w = (a + 2) % 3, combo = e % 4;
    return (1 << (2 * u + (combo & 1))) | (1 << (2 * w + ((combo >> 1) & 1)));
}

// One corner pattern's polygon loops, flattened for the per-cell loop.
struct CellCase {
    uint8_t numLoops = 0;
    uint8_t faces = 0;  // bit f: the surface crosses face f
    uint8_t loopLength[6] = {0, 0, 0, 0, 0, 0};
    // Ring position to fan from, or -1 when the loop needs a centre vertex.
    int8_t fanStart[6] = {-1, -1, -1, -1, -1, -1};
    uint8_t edges[12] = {0};  // the loops' cube edges, one loop after another
};

struct CaseTable {
    CellCase cases[256];
    // Per cube edge: the offset of its start corner and its axis.
    int edgeStart[12][3];
    int edgeAxis[12];
    CaseTable()
    {
        for (int e = 0; e < 12; ++e) {
            int c = EdgeStartCorner(e);
            edgeStart[e][0] = c & 1;
            edgeStart[e][1] = (c >> 1) & 1;
            edgeStart[e][2] = (c >> 2) & 1;
            edgeAxis[e] = e / 4;
        }
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
            CellCase& cc = cases[config];
            for (int f = 0; f < 6; ++f) {
                int c[4], in = 0;
                FaceCorners(f, c);
                for (int q = 0; q < 4; ++q) in += (config >> c[q]) & 1;
                if (in != 0 && in != 4) cc.faces |= uint8_t(1 << f);
            }
            bool used[12] = {false};
            int filled = 0;
            for (int e = 0; e < 12; ++e) {
                if (next[e] < 0 || used[e]) continue;
                std::vector<int> loop;
                for (int x = e; x >= 0 && !used[x]; x = next[x]) {
                    used[x] = true;
                    loop.push_back(x);
                }
                const int l = cc.numLoops++;
                cc.loopLength[l] = uint8_t(loop.size());
                for (int x : loop) cc.edges[filled++] = uint8_t(x);
                // A fan from a vertex whose two faces carry no other loop vertex
                // never adds a diagonal that a neighbouring cell could add too.
                const size_t n = loop.size();
                for (size_t st = 0; st < n && cc.fanStart[l] < 0; ++st) {
                    int faces = EdgeFaces(loop[st]);
                    bool alone = true;
                    for (size_t o = 0; o < n && alone; ++o)
                        if (o != st && o != (st + 1) % n && o != (st + n - 1) % n &&
                            (EdgeFaces(loop[o]) & faces))
                            alone = false;
                    if (alone) cc.fanStart[l] = int8_t(st);
                }
            }
        }
    }
};

const CaseTable& Table()
{
    static const CaseTable table;
    return table;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// A node slot whose value a wave has asked for and not yet received.
constexpr float QUEUED = -1.0f;
// Nodes evaluated per task.
constexpr size_t NODE_CHUNK = 32;
// Batches smaller than this many field evaluations stay on one thread.
constexpr size_t PARALLEL_MIN_EVALUATIONS = 48;

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
    // The scan is only a fallback for pieces no seed reaches; on fine
    // lattices its stride grows so it stays a small part of a run.
    m_stride = std::max(4, (most + 31) / 32);
    m_valid = true;
    // Stored nodes run from -1 to count + 1 on each axis.
    size_t dirSize = 1;
    for (int a = 0; a < 3; ++a) {
        m_dirDims[a] = ((m_count[a] + 2) >> BRICK_SHIFT) + 1;
        dirSize *= size_t(m_dirDims[a]);
    }
    m_brickHome.clear();
    m_directory.assign(dirSize, NONE);
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
    m_scanNodes.assign(size_t(m_scanDims[0]) * size_t(m_scanDims[1]) * size_t(m_scanDims[2]), kNaN);
    // Only the directory entries in use are reset: the directory spans the
    // whole lattice, the bricks only the surface's neighbourhood.
    for (uint32_t home : m_brickHome) m_directory[home] = NONE;
    m_brickHome.clear();
    m_nodes.clear();
    m_visited.clear();
    m_visitedCount = 0;
    m_edgeBlock.clear();
    m_edgeSlots.clear();
    m_vertices.clear();
    m_vertexKeys.clear();
    m_freeVertices.clear();
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

float PolygonizerLattice::Evaluate(const Wml::Vector3<float>& p, unsigned long long& counter) const
{
    ++counter;
    float v = m_field->Value(p);
    return std::isfinite(v) ? v : 0.0f;
}

Wml::Vector3<float> PolygonizerLattice::OutwardNormal(const Wml::Vector3<float>& p,
                                                      unsigned long long& counter) const
{
    ++counter;
    Vec3 g = m_field->Gradient(p);
    Vec3 n = -g;
    if (!std::isfinite(n.SquaredLength()) || n.Normalize() <= 0.0f) return Vec3(0, 0, 0);
    return n;
}

bool PolygonizerLattice::NodeStored(int i, int j, int k) const
{
    return m_valid && i >= -1 && j >= -1 && k >= -1 && i <= m_count[0] + 1 && j <= m_count[1] + 1 &&
           k <= m_count[2] + 1;
}

uint32_t PolygonizerLattice::AllocateBrick(size_t home)
{
    // Workers may be writing node values: the array must not move under them.
    if (m_flight && m_nodes.size() + BRICK_NODES > m_nodes.capacity()) FinishFlight();
    const uint32_t b = uint32_t(m_brickHome.size());
    m_directory[home] = b;
    m_brickHome.push_back(uint32_t(home));
    m_nodes.resize(m_nodes.size() + BRICK_NODES, kNaN);
    m_visited.resize(m_visited.size() + BRICK_NODES / 64, 0);
    m_edgeBlock.push_back(NONE);
    return b;
}

float* PolygonizerLattice::ScanSlot(int i, int j, int k)
{
    // Strides are usually powers of two: test the low bits, not a division.
    const bool onScan = m_strideShift >= 0 ? ((i | j | k) & ((1 << m_strideShift) - 1)) == 0
                                           : i % m_stride == 0 && j % m_stride == 0 && k % m_stride == 0;
    if (!onScan || i < 0 || j < 0 || k < 0 || m_scanNodes.empty()) return nullptr;
    return &m_scanNodes[(size_t(k / m_stride) * size_t(m_scanDims[1]) + size_t(j / m_stride)) *
                            size_t(m_scanDims[0]) +
                        size_t(i / m_stride)];
}

float PolygonizerLattice::FillNode(int i, int j, int k)
{
    if (float* scan = ScanSlot(i, j, k)) {
        if (std::isnan(*scan)) *scan = Evaluate(NodePosition(i, j, k));
        return *scan;
    }
    return Evaluate(NodePosition(i, j, k));
}

float PolygonizerLattice::ScanValue(int i, int j, int k)
{
    if (float* scan = ScanSlot(i, j, k)) {
        if (std::isnan(*scan)) {
            // Near the surface the node may already be known from a brick.
            const uint32_t b = NodeStored(i, j, k) ? FindBrick(i, j, k) : NONE;
            const float known =
                b != NONE ? m_nodes[size_t(b) * BRICK_NODES + size_t(NodeInBrick(i, j, k))] : kNaN;
            *scan = std::isnan(known) ? Evaluate(NodePosition(i, j, k)) : known;
        }
        return *scan;
    }
    return NodeValue(i, j, k);
}

float PolygonizerLattice::NodeValue(int i, int j, int k)
{
    // Nodes beyond the ring around the box are never inside.
    if (!m_field || !NodeStored(i, j, k)) return 0.0f;
    float& slot = m_nodes[size_t(Brick(i, j, k)) * BRICK_NODES + size_t(NodeInBrick(i, j, k))];
    if (std::isnan(slot)) slot = FillNode(i, j, k);
    return slot;
}

int PolygonizerLattice::CellConfig(int i, int j, int k)
{
    return CellConfig(i, j, k, 0, 0);
}

int PolygonizerLattice::CellConfig(int i, int j, int k, int knownMask, int knownBits)
{
    if (!m_field) return 0;
    int config = knownBits & knownMask;
    // Usually all eight corners share a brick: one lookup, fixed offsets.
    if (((i + 1) & BRICK_MASK) != BRICK_MASK && ((j + 1) & BRICK_MASK) != BRICK_MASK &&
        ((k + 1) & BRICK_MASK) != BRICK_MASK && CellInLattice(i, j, k)) {
        float* base = &m_nodes[size_t(Brick(i, j, k)) * BRICK_NODES + size_t(NodeInBrick(i, j, k))];
        static constexpr int offset[8] = {0, 1, 8, 9, 64, 65, 72, 73};
        for (int c = 0; c < 8; ++c) {
            if ((knownMask >> c) & 1) continue;
            float& v = base[offset[c]];
            if (std::isnan(v)) v = FillNode(i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1));
            config |= int(v > m_iso) << c;
        }
        return config;
    }
    for (int c = 0; c < 8; ++c)
        if (!((knownMask >> c) & 1) && NodeValue(i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1)) > m_iso)
            config |= 1 << c;
    return config;
}

bool PolygonizerLattice::FaceCrossed(int config, int face)
{
    return (Table().cases[config & 255].faces >> face) & 1;
}

uint32_t* PolygonizerLattice::EdgeSlot(int i, int j, int k, int axis, bool create)
{
    if (!NodeStored(i, j, k)) return nullptr;
    const uint32_t b = create ? Brick(i, j, k) : FindBrick(i, j, k);
    if (b == NONE) return nullptr;
    uint32_t& block = m_edgeBlock[b];
    if (block == NONE) {
        if (!create) return nullptr;
        block = uint32_t(m_edgeSlots.size());
        m_edgeSlots.resize(m_edgeSlots.size() + 3 * BRICK_NODES, NONE);
    }
    return &m_edgeSlots[size_t(block) + size_t(NodeInBrick(i, j, k)) * 3 + size_t(axis)];
}

uint32_t PolygonizerLattice::NewVertex(const LatticeVertex& v, uint64_t key)
{
    if (!m_freeVertices.empty()) {
        const uint32_t at = m_freeVertices.back();
        m_freeVertices.pop_back();
        m_vertices[at] = v;
        m_vertexKeys[at] = key;
        return at;
    }
    m_vertices.push_back(v);
    m_vertexKeys.push_back(key);
    return uint32_t(m_vertices.size() - 1);
}

unsigned PolygonizerLattice::ThreadsFor(size_t n) const
{
    if (n < PARALLEL_MIN_EVALUATIONS) return 1;
    const unsigned most = WorkerPool::Shared().GetMaxThreads();
    return m_threads == 0 ? most : std::min(m_threads, most);
}

void PolygonizerLattice::RunTasks(size_t count, size_t work,
                                  const std::function<void(size_t, unsigned long long&)>& task,
                                  const std::function<void()>& meanwhile)
{
    const unsigned threads = ThreadsFor(work);
    if (threads <= 1) {
        if (meanwhile) meanwhile();
        for (size_t t = 0; t < count; ++t) task(t, m_evaluations);
        return;
    }
    WorkerPool::Batch batch(WorkerPool::Shared(), count, threads, [&](size_t t) {
        unsigned long long evaluations = 0;
        task(t, evaluations);
        m_sharedEvaluations.fetch_add(evaluations, std::memory_order_relaxed);
    });
    if (meanwhile) meanwhile();
    batch.Finish();
}

void PolygonizerLattice::PlaceEdgeVertices(const PendingEdge* edges, int count, unsigned long long& counter)
{
    // Parameter t runs from each edge's outside end (0) to its inside end
    // (1). Each vertex is found by regula falsi with the Illinois rule (the
    // end kept twice in a row has its value halved), starting from the
    // corner values already known: on a smooth field two or three
    // evaluations reach what eight bisections did. The edges advance in
    // lockstep so the processor can overlap their independent evaluations.
    // An edge is done when its bracket is narrower than the tolerance; the
    // vertex is the estimate inside it. One slow to converge is bisected.
    Vec3 from[16], along[16];
    // fa, fb: the bracket's values as regula falsi weighs them (Illinois
    // halves one); va, vb: the values themselves, for the final estimate.
    float a[16], b[16], fa[16], fb[16], va[16], vb[16], x[16];
    int last[16], rounds[16], active[16];
    int numActive = 0;
    const float tol = std::ldexp(1.0f, -int(m_bisections));
    const float stepTol = tol * (1.0f / 16.0f);
    // Rounds of regula falsi before an edge falls back to bisection.
    constexpr int MAX_FALSI_ROUNDS = 6;
    auto estimate = [&](int e, const float* fa, const float* fb) {
        const float u = fa[e] / (fa[e] - fb[e]);
        const float t = a[e] + (b[e] - a[e]) * (std::isfinite(u) ? std::max(0.0f, std::min(1.0f, u)) : 0.5f);
        return t;
    };
    for (int e = 0; e < count; ++e) {
        const PendingEdge& p = edges[e];
        const int d[3] = {p.axis == 0, p.axis == 1, p.axis == 2};
        const bool firstInside = p.v0 > m_iso;
        from[e] =
            firstInside ? NodePosition(p.i + d[0], p.j + d[1], p.k + d[2]) : NodePosition(p.i, p.j, p.k);
        along[e] = Vec3(0, 0, 0);
        along[e][p.axis] = firstInside ? -m_size : m_size;
        a[e] = 0.0f;
        b[e] = 1.0f;
        fa[e] = (firstInside ? p.v1 : p.v0) - m_iso;  // <= 0
        fb[e] = (firstInside ? p.v0 : p.v1) - m_iso;  // > 0
        va[e] = fa[e];
        vb[e] = fb[e];
        last[e] = -1;
        rounds[e] = 0;
        x[e] = estimate(e, va, vb);
        if (m_bisections > 0) active[numActive++] = e;
    }
    while (numActive > 0) {
        float value[16];
        for (int q = 0; q < numActive; ++q) {
            const int e = active[q];
            value[q] = Evaluate(from[e] + along[e] * x[e], counter) - m_iso;
        }
        int still = 0;
        for (int q = 0; q < numActive; ++q) {
            const int e = active[q];
            const float t = x[e], f = value[q];
            if (f > 0.0f) {
                b[e] = t;
                fb[e] = vb[e] = f;
                if (last[e] == 1) fa[e] *= 0.5f;
                last[e] = 1;
            } else {
                a[e] = t;
                fa[e] = va[e] = f;
                if (last[e] == 0) fb[e] *= 0.5f;
                last[e] = 0;
            }
            const bool slow = ++rounds[e] >= MAX_FALSI_ROUNDS;
            float next = slow ? 0.5f * (a[e] + b[e]) : estimate(e, fa, fb);
            // When the estimate barely moves, check it: step a quarter of the
            // tolerance past it, which closes the bracket around it unless
            // regula falsi has stalled against a value close to the level.
            if (!slow && std::fabs(next - t) <= stepTol) {
                const float beyond = next + (next >= t ? 0.25f : -0.25f) * tol;
                next = beyond > a[e] && beyond < b[e] ? beyond : 0.5f * (next + (next >= t ? b[e] : a[e]));
            }
            // Bisection alone would be done after m_bisections rounds; floats
            // cannot halve a bracket forever.
            const bool done = b[e] - a[e] <= tol || rounds[e] >= MAX_FALSI_ROUNDS + int(m_bisections);
            x[e] = done ? estimate(e, va, vb) : next;
            if (!done) active[still++] = e;
        }
        numActive = still;
    }
    for (int e = 0; e < count; ++e) {
        LatticeVertex vertex;
        vertex.position = from[e] + along[e] * x[e];
        vertex.normal = OutwardNormal(vertex.position, counter);
        if (vertex.normal.SquaredLength() == 0.0f) {
            vertex.normal = -along[e];
            vertex.normal.Normalize();
        }
        m_vertices[edges[e].vertex] = vertex;
    }
}

uint32_t PolygonizerLattice::InteriorVertex(int i, int j, int k, int loop, const uint32_t* ring, size_t n,
                                            bool sharp)
{
    Vec3 mass(0, 0, 0), normal(0, 0, 0);
    for (size_t q = 0; q < n; ++q) {
        const LatticeVertex& r = m_vertices[ring[q]];
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
            const LatticeVertex& v = m_vertices[ring[q]];
            Eigen::Vector3f nv(v.normal[0], v.normal[1], v.normal[2]);
            ata += nv * nv.transpose();
            atb += nv * v.normal.Dot(v.position - mass);
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
    if (v.normal.Normalize() <= 0.0f) v.normal = m_vertices[ring[0]].normal;
    return NewVertex(v, INTERIOR_FLAG | (CellKey(i, j, k) << 4) | uint64_t(loop & 15));
}

void PolygonizerLattice::PolygonizeCell(int i, int j, int k, std::vector<LatticeTriangle>& out)
{
    if (!CellInLattice(i, j, k)) return;
    PolygonizeCell(i, j, k, CellConfig(i, j, k), out);
}

void PolygonizerLattice::PolygonizeCell(int i, int j, int k, int config, std::vector<LatticeTriangle>& out)
{
    const uint64_t key = CellKey(i, j, k);
    const uint8_t pattern = uint8_t(config & 255);
    if (CellInLattice(i, j, k)) PolygonizeCells(&key, &pattern, 1, out, nullptr);
}

void PolygonizerLattice::PolygonizeCells(const uint64_t* cells, const uint8_t* configs, size_t count,
                                         std::vector<LatticeTriangle>& out, std::vector<uint32_t>* ends)
{
    if (!m_field) return;
    // In blocks of cells: first every cell's vertex list, noting the edge
    // vertices still to be placed; then all of those are placed together,
    // 16 at a time, over the threads; then the triangles. While the workers
    // place one block's vertices, this thread triangulates the block before
    // and collects the block after, so the mesh does not depend on the
    // number of threads.
    const size_t blocks = (count + CELL_BLOCK - 1) / CELL_BLOCK;
    auto collect = [&](size_t block) {
        m_rings.clear();
        m_pending.clear();
        for (size_t c = block * CELL_BLOCK; c < std::min(count, (block + 1) * CELL_BLOCK); ++c)
            CollectCellVertices(cells[c], configs[c]);
    };
    auto triangulate = [&](size_t block, const std::vector<uint32_t>& rings) {
        const uint32_t* ring = rings.data();
        for (size_t c = block * CELL_BLOCK; c < std::min(count, (block + 1) * CELL_BLOCK); ++c) {
            int i, j, k;
            CellFromKey(cells[c], i, j, k);
            const CellCase& cc = Table().cases[configs[c]];
            for (int l = 0; l < cc.numLoops; ring += cc.loopLength[l], ++l)
                TriangulateLoop(i, j, k, configs[c], l, ring, out);
            if (ends) ends->push_back(uint32_t(out.size()));
        }
    };
    if (blocks > 0) collect(0);
    for (size_t block = 0; block < blocks; ++block) {
        m_placing.swap(m_pending);
        m_placingRings.swap(m_rings);
        // The workers write placed vertices while this thread adds new ones:
        // the array must not move meanwhile. A block adds at most 12 edge
        // and 4 centre vertices per cell.
        const size_t room = m_vertices.size() + 2 * 16 * CELL_BLOCK;
        if (m_vertices.capacity() < room) m_vertices.reserve(std::max(room, 2 * m_vertices.capacity()));
        const size_t pending = m_placing.size();
        RunTasks((pending + 15) / 16, pending * 4,
                 [&](size_t t, unsigned long long& counter) {
                     PlaceEdgeVertices(m_placing.data() + t * 16, int(std::min<size_t>(16, pending - t * 16)),
                                       counter);
                 },
                 [&] {
                     if (block > 0) triangulate(block - 1, m_placedRings);
                     if (block + 1 < blocks) collect(block + 1);
                 });
        m_placedRings.swap(m_placingRings);
    }
    if (blocks > 0) triangulate(blocks - 1, m_placedRings);
}

void PolygonizerLattice::CollectCellVertices(uint64_t cell, int config)
{
    int i, j, k;
    CellFromKey(cell, i, j, k);
    const CaseTable& table = Table();
    const CellCase& cc = table.cases[config & 255];
    int numEdges = 0;
    for (int l = 0; l < cc.numLoops; ++l) numEdges += cc.loopLength[l];
    // Usually the whole cell lies in one brick: its corner values and edge
    // slots are then at fixed offsets from one base.
    const bool oneBrick = ((i + 1) & BRICK_MASK) != BRICK_MASK && ((j + 1) & BRICK_MASK) != BRICK_MASK &&
                          ((k + 1) & BRICK_MASK) != BRICK_MASK;
    static constexpr int offset[8] = {0, 1, 8, 9, 64, 65, 72, 73};
    size_t nodeBase = 0, slotBase = 0;
    if (oneBrick) {
        const uint32_t b = Brick(i, j, k);
        if (m_edgeBlock[b] == NONE) {
            m_edgeBlock[b] = uint32_t(m_edgeSlots.size());
            m_edgeSlots.resize(m_edgeSlots.size() + 3 * BRICK_NODES, NONE);
        }
        const size_t local = size_t(NodeInBrick(i, j, k));
        nodeBase = size_t(b) * BRICK_NODES + local;
        slotBase = size_t(m_edgeBlock[b]) + local * 3;
    }
    // Each cube edge appears at most once among the loops.
    for (int q = 0; q < numEdges; ++q) {
        const int e = cc.edges[q];
        const int* d = table.edgeStart[e];
        const int axis = table.edgeAxis[e];
        const int c0 = d[0] | (d[1] << 1) | (d[2] << 2), c1 = c0 | (1 << axis);
        uint32_t* slot;
        float v0, v1;
        if (oneBrick) {
            slot = &m_edgeSlots[slotBase + size_t(offset[c0]) * 3 + size_t(axis)];
            v0 = m_nodes[nodeBase + size_t(offset[c0])];
            v1 = m_nodes[nodeBase + size_t(offset[c1])];
        } else {
            slot = EdgeSlot(i + d[0], j + d[1], k + d[2], axis, true);
            v0 = v1 = kNaN;
        }
        if (*slot == NONE) {
            // The vertex gets its index now and its place with the others.
            const size_t at = size_t(slot - m_edgeSlots.data());
            if (std::isnan(v0)) v0 = NodeValue(i + d[0], j + d[1], k + d[2]);
            if (std::isnan(v1)) v1 = NodeValue(i + (c1 & 1), j + ((c1 >> 1) & 1), k + ((c1 >> 2) & 1));
            const uint32_t v =
                NewVertex(LatticeVertex(), (NodeKey(i + d[0], j + d[1], k + d[2]) << 2) | uint64_t(axis));
            m_edgeSlots[at] = v;
            m_pending.push_back(PendingEdge{v, i + d[0], j + d[1], k + d[2], axis, v0, v1});
            m_rings.push_back(v);
        } else {
            m_rings.push_back(*slot);
        }
    }
}

void PolygonizerLattice::TriangulateLoop(int i, int j, int k, int config, int l, const uint32_t* ring,
                                         std::vector<LatticeTriangle>& out)
{
    const CellCase& cc = Table().cases[config & 255];
    const size_t n = cc.loopLength[l];
    if (n < 3) return;
    bool sharp = false;
    if (m_extended) {
        float minDot = 1.0f;
        for (size_t a = 0; a < n; ++a)
            for (size_t b = a + 1; b < n; ++b)
                minDot = std::min(minDot, m_vertices[ring[a]].normal.Dot(m_vertices[ring[b]].normal));
        sharp = minDot < 0.8f;  // about 37 degrees
    }
    const int start = sharp ? -1 : cc.fanStart[l];
    if (start >= 0) {
        for (size_t t = 1; t + 1 < n; ++t)
            out.push_back(
                {{ring[size_t(start)], ring[(size_t(start) + t) % n], ring[(size_t(start) + t + 1) % n]}});
        return;
    }
    uint32_t centre = InteriorVertex(i, j, k, l, ring, n, sharp);
    if (sharp && !FanAgrees(centre, ring, n)) {
        m_vertexKeys[centre] = FREE_VERTEX;
        m_freeVertices.push_back(centre);
        centre = InteriorVertex(i, j, k, l, ring, n, false);
    }
    for (size_t t = 0; t < n; ++t) out.push_back({{centre, ring[t], ring[(t + 1) % n]}});
}

bool PolygonizerLattice::FanAgrees(uint32_t centre, const uint32_t* ring, size_t n) const
{
    // A feature point clamped into the cell can fold the fan over; every
    // triangle must face the way its outer vertices' normals do.
    const Vec3 c = m_vertices[centre].position;
    for (size_t t = 0; t < n; ++t) {
        const LatticeVertex& a = m_vertices[ring[t]];
        const LatticeVertex& b = m_vertices[ring[(t + 1) % n]];
        Vec3 nrm = (a.position - c).Cross(b.position - c);
        if (nrm.Dot(a.normal + b.normal) <= 0.0f) return false;
    }
    return true;
}

void PolygonizerLattice::FlipTowardsFeatures(std::vector<LatticeTriangle>& triangles) const
{
    // A crease runs between the feature vertices of neighbouring cells, but
    // each cell's fan crosses it with a chord a-b. Where both triangles on a
    // chord have feature vertices opposite it, the chord is swapped for the
    // segment joining them.
    auto edgeKey = [](uint32_t a, uint32_t b) {
        return a < b ? (uint64_t(a) << 32 | b) : (uint64_t(b) << 32 | a);
    };
    std::unordered_map<uint64_t, std::vector<size_t>> edges;
    for (size_t t = 0; t < triangles.size(); ++t)
        for (int c = 0; c < 3; ++c)
            edges[edgeKey(triangles[t].v[c], triangles[t].v[(c + 1) % 3])].push_back(t);
    // Visit chords in a fixed order so the result does not depend on hashing.
    std::vector<uint64_t> chords;
    for (auto& e : edges)
        if (e.second.size() == 2 && !IsInteriorVertex(uint32_t(e.first >> 32)) &&
            !IsInteriorVertex(uint32_t(e.first & 0xFFFFFFFFu)))
            chords.push_back(e.first);
    std::sort(chords.begin(), chords.end());
    std::vector<bool> touched(triangles.size(), false);
    for (uint64_t chord : chords) {
        const std::vector<size_t>& users = edges[chord];
        size_t t1 = users[0], t2 = users[1];
        if (touched[t1] || touched[t2]) continue;
        // Rotate t1 to (c1, a, b) and t2 to (c2, b, a).
        LatticeTriangle x = triangles[t1], y = triangles[t2];
        int r = 0;
        while (r < 3 && !IsInteriorVertex(x.v[r])) ++r;
        if (r == 3) continue;
        uint32_t c1 = x.v[r], a = x.v[(r + 1) % 3], b = x.v[(r + 2) % 3];
        int q = 0;
        while (q < 3 && !IsInteriorVertex(y.v[q])) ++q;
        if (q == 3 || y.v[(q + 1) % 3] != b || y.v[(q + 2) % 3] != a) continue;
        uint32_t c2 = y.v[q];
        if (c1 == c2 || edges.count(edgeKey(c1, c2))) continue;
        const LatticeVertex &pa = m_vertices[a], &pb = m_vertices[b], &p1 = m_vertices[c1],
                            &p2 = m_vertices[c2];
        Vec3 n1 = (pa.position - p1.position).Cross(p2.position - p1.position);
        Vec3 n2 = (pb.position - p2.position).Cross(p1.position - p2.position);
        if (n1.Dot(pa.normal) <= 0.0f || n2.Dot(pb.normal) <= 0.0f) continue;
        triangles[t1] = {{c1, a, c2}};
        triangles[t2] = {{c2, b, c1}};
        touched[t1] = touched[t2] = true;
    }
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

bool PolygonizerLattice::Visit(int i, int j, int k)
{
    if (m_visitedCount >= m_cellLimit) {
        m_reachedCellLimit = true;
        return false;
    }
    const int local = NodeInBrick(i, j, k);
    uint64_t& word = m_visited[size_t(Brick(i, j, k)) * (BRICK_NODES / 64) + size_t(local >> 6)];
    const uint64_t bit = uint64_t(1) << (local & 63);
    if (word & bit) return false;
    word |= bit;
    ++m_visitedCount;
    return true;
}

void PolygonizerLattice::QueueCorners(int i, int j, int k, int knownMask)
{
    // Usually all eight corners share a brick: one lookup, fixed offsets.
    if (((i + 1) & BRICK_MASK) != BRICK_MASK && ((j + 1) & BRICK_MASK) != BRICK_MASK &&
        ((k + 1) & BRICK_MASK) != BRICK_MASK && CellInLattice(i, j, k)) {
        const size_t base = size_t(Brick(i, j, k)) * BRICK_NODES + size_t(NodeInBrick(i, j, k));
        static constexpr int offset[8] = {0, 1, 8, 9, 64, 65, 72, 73};
        for (int c = 0; c < 8; ++c) {
            if (((knownMask >> c) & 1) || !std::isnan(LoadNode(base + size_t(offset[c])))) continue;
            const int ni = i + (c & 1), nj = j + ((c >> 1) & 1), nk = k + ((c >> 2) & 1);
            float* scan = ScanSlot(ni, nj, nk);
            if (scan && !std::isnan(*scan)) {
                m_nodes[base + size_t(offset[c])] = *scan;
                continue;
            }
            m_nodes[base + size_t(offset[c])] = QUEUED;
            // Field by field: a whole struct built aside stalls the store.
            QueuedNode& q = m_queued.emplace_back();
            q.slot = base + size_t(offset[c]);
            q.key = NodeKey(ni, nj, nk);
            ++m_queuedUpTo;
        }
        return;
    }
    for (int c = 0; c < 8; ++c) {
        if ((knownMask >> c) & 1) continue;
        const int ni = i + (c & 1), nj = j + ((c >> 1) & 1), nk = k + ((c >> 2) & 1);
        if (!NodeStored(ni, nj, nk)) continue;  // beyond the ring: never inside
        const size_t slot = size_t(Brick(ni, nj, nk)) * BRICK_NODES + size_t(NodeInBrick(ni, nj, nk));
        if (!std::isnan(LoadNode(slot))) continue;
        float& value = m_nodes[slot];
        float* scan = ScanSlot(ni, nj, nk);
        if (scan && !std::isnan(*scan)) {
            value = *scan;
            continue;
        }
        value = QUEUED;
        QueuedNode& q = m_queued.emplace_back();
        q.slot = slot;
        q.key = NodeKey(ni, nj, nk);
        ++m_queuedUpTo;
    }
}

float PolygonizerLattice::LoadNode(size_t slot) const
{
    // A queued slot may be written by a worker meanwhile: read it atomically
    // (a plain load on common processors). Either value read is not NaN.
    float v;
    __atomic_load(&m_nodes[slot], &v, __ATOMIC_RELAXED);
    return v;
}

void PolygonizerLattice::EvaluateNodes(const QueuedNode* nodes, size_t count, unsigned long long& counter)
{
    for (const QueuedNode* n = nodes; n != nodes + count; ++n) {
        int i, j, k;
        CellFromKey(n->key, i, j, k);
        float v = Evaluate(NodePosition(i, j, k), counter);
        __atomic_store(&m_nodes[n->slot], &v, __ATOMIC_RELAXED);
        if (float* scan = ScanSlot(i, j, k)) *scan = v;
    }
}

void PolygonizerLattice::FinishFlight()
{
    if (!m_flight) return;
    m_flight->Finish();
    m_flight.reset();
    m_flightNodes.clear();
    m_doneUpTo = m_flightUpTo;
}

void PolygonizerLattice::StartFlight()
{
    FinishFlight();
    const size_t count = m_queued.size();
    if (count == 0) return;
    const unsigned threads = ThreadsFor(count);
    if (threads <= 1) {
        EvaluateNodes(m_queued.data(), count, m_evaluations);
        m_doneUpTo = m_queuedUpTo;
    } else {
        // The workers evaluate these while this thread goes on.
        m_flightNodes.swap(m_queued);
        m_flightUpTo = m_queuedUpTo;
        m_flight = std::make_unique<WorkerPool::Batch>(
            WorkerPool::Shared(), (count + NODE_CHUNK - 1) / NODE_CHUNK, threads, [this, count](size_t t) {
                unsigned long long evaluations = 0;
                EvaluateNodes(m_flightNodes.data() + t * NODE_CHUNK,
                              std::min(NODE_CHUNK, count - t * NODE_CHUNK), evaluations);
                m_sharedEvaluations.fetch_add(evaluations, std::memory_order_relaxed);
            });
    }
    m_queued.clear();
}

void PolygonizerLattice::EvaluatedUpTo(uint64_t queued)
{
    if (queued <= m_doneUpTo) return;
    if (queued > m_flightUpTo || !m_flight) StartFlight();
    FinishFlight();
}

void PolygonizerLattice::ContinueFrom(uint64_t cell, std::vector<uint64_t>& stack,
                                      std::vector<uint64_t>& cells)
{
    int ci, cj, ck;
    CellFromKey(cell, ci, cj, ck);
    if (!Visit(ci, cj, ck)) return;
    const CaseTable& table = Table();
    // Corners with bit a clear (side 0 of axis a).
    static constexpr int lowSide[3] = {0x55, 0x33, 0x0F};
    constexpr uint64_t KEY_BITS = (uint64_t(1) << 48) - 1;
    // Breadth first through a queue of cells. The corners a cell needs are
    // queued when the cell is, and handed to the workers in chunks, so they
    // are evaluated while this thread examines the cells ahead of it (one
    // front of the fill: when that is short, it waits). The order does not
    // depend on the threads.
    std::vector<uint64_t>& queue = stack;
    std::vector<uint64_t>& readyAt = m_readyAt;
    queue.clear();
    readyAt.clear();
    m_queuedUpTo = m_flightUpTo = m_doneUpTo = 0;
    auto enqueue = [&](uint64_t entry, int i, int j, int k, int known) {
        QueueCorners(i, j, k, known);
        queue.push_back(entry);
        readyAt.push_back(m_queuedUpTo);
        constexpr size_t STREAM_CHUNK = 512;
        if (m_queued.size() >= STREAM_CHUNK) StartFlight();
    };
    enqueue(cell, ci, cj, ck, 0);
    for (size_t head = 0; head < queue.size(); ++head) {
        EvaluatedUpTo(readyAt[head]);
        // An entry carries the corner signs its neighbour already knew:
        // mask in bits 48-55, signs in bits 56-63.
        const uint64_t entry = queue[head];
        const uint64_t key = entry & KEY_BITS;
        int i, j, k;
        CellFromKey(key, i, j, k);
        const int config = CellConfig(i, j, k, int((entry >> 48) & 255), int(entry >> 56));
        if (!ConfigCrossed(config)) continue;
        cells.push_back(key);
        m_foundConfigs.push_back(uint8_t(config));
        const int faces = table.cases[config].faces;
        for (int f = 0; f < 6; ++f) {
            if (!((faces >> f) & 1)) continue;
            const int a = f / 2, side = f % 2;
            int n[3] = {i, j, k};
            n[a] += side ? 1 : -1;
            if (!InRange(n[0], n[1], n[2]) || !Visit(n[0], n[1], n[2])) continue;
            // The shared face's corners: side 1 of this cell is side 0 of the next.
            const int shift = 1 << a;
            const int mask = side ? lowSide[a] : (~lowSide[a] & 255);
            const int bits = (side ? (config >> shift) : (config << shift)) & mask;
            enqueue(CellKey(n[0], n[1], n[2]) | (uint64_t(mask) << 48) | (uint64_t(bits) << 56), n[0], n[1],
                    n[2], mask);
        }
    }
    StartFlight();
    FinishFlight();
}

void PolygonizerLattice::StartSearch()
{
    m_foundConfigs.clear();
    std::fill(m_visited.begin(), m_visited.end(), 0);
    m_visitedCount = 0;
    m_reachedCellLimit = false;
}

void PolygonizerLattice::FindSurfaceCells(const std::vector<Wml::Vector3<float>>& seeds,
                                          std::vector<uint64_t>& cells)
{
    cells.clear();
    StartSearch();
    if (!m_valid || !m_field) return;
    std::vector<uint64_t> stack;
    for (const Vec3& s : seeds) {
        int i, j, k;
        if (SeedCell(s, i, j, k)) ContinueFrom(CellKey(i, j, k), stack, cells);
    }
    int from[3] = {0, 0, 0}, to[3] = {m_count[0] + 1, m_count[1] + 1, m_count[2] + 1};
    Scan(from, to, stack, cells);
}

void PolygonizerLattice::OrderByBrick(std::vector<uint64_t>& cells)
{
    // A counting sort on the brick of each cell's min corner; the flood
    // fill's order within a brick is kept.
    const size_t numBricks = m_brickHome.size();
    std::vector<uint32_t> start(numBricks + 1, 0);
    std::vector<uint32_t> brickOf(cells.size());
    for (size_t c = 0; c < cells.size(); ++c) {
        int i, j, k;
        CellFromKey(cells[c], i, j, k);
        brickOf[c] = FindBrick(i, j, k);
        ++start[brickOf[c] + 1];
    }
    for (size_t b = 0; b < numBricks; ++b) start[b + 1] += start[b];
    std::vector<uint64_t> sorted(cells.size());
    std::vector<uint8_t> configs(cells.size());
    for (size_t c = 0; c < cells.size(); ++c) {
        const uint32_t at = start[brickOf[c]]++;
        sorted[at] = cells[c];
        configs[at] = m_foundConfigs[c];
    }
    cells.swap(sorted);
    m_foundConfigs.swap(configs);
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
    StartSearch();
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
    std::vector<uint64_t> stack;
    for (uint64_t key : starts) {
        int i, j, k;
        CellFromKey(key, i, j, k);
        if (InRange(i, j, k)) ContinueFrom(key, stack, cells);
    }
    for (const Vec3& s : seeds) {
        int i, j, k;
        CellOf(s, i, j, k);
        if (InRange(i, j, k) && SeedCell(s, i, j, k)) ContinueFrom(CellKey(i, j, k), stack, cells);
    }
    Scan(from, to, stack, cells);
    m_limited = false;
}

void PolygonizerLattice::Scan(const int from[3], const int to[3], std::vector<uint64_t>& stack,
                              std::vector<uint64_t>& cells)
{
    // Coarse scan: nodes every m_stride cells (multiples of it, so every
    // run uses the same nodes); a sign change between two neighbours of this
    // sub-lattice is narrowed to one lattice edge, whose cells start a
    // continuation. A piece that crosses no sub-lattice segment an odd number
    // of times is left to the seeds.
    const int stride = m_stride;
    FillScanNodes(from, to);
    const size_t step[3] = {1, size_t(m_scanDims[0]), size_t(m_scanDims[0]) * size_t(m_scanDims[1])};
    // Scan nodes by their index in the dense scan array (nodes from/to are
    // multiples of the stride, except a last node clamped to the lattice).
    auto scanAt = [&](size_t at, int i, int j, int k) {
        float& v = m_scanNodes[at];
        if (std::isnan(v)) {
            // Near the surface the node may already be known from a brick.
            const uint32_t b = FindBrick(i, j, k);
            const float known =
                b != NONE ? m_nodes[size_t(b) * BRICK_NODES + size_t(NodeInBrick(i, j, k))] : kNaN;
            v = std::isnan(known) ? Evaluate(NodePosition(i, j, k)) : known;
        }
        return v;
    };
    for (int k = from[2]; k <= to[2]; k += stride)
        for (int j = from[1]; j <= to[1]; j += stride) {
            size_t at =
                (size_t(k / stride) * step[2] + size_t(j / stride) * step[1]) + size_t(from[0] / stride);
            for (int i = from[0]; i <= to[0]; i += stride, ++at) {
                int base[3] = {i, j, k};
                bool inBase = scanAt(at, i, j, k) > m_iso;
                for (int a = 0; a < 3; ++a) {
                    int end[3] = {i, j, k};
                    end[a] = std::min(base[a] + stride, to[a]);
                    if (end[a] == base[a]) continue;
                    const float endValue = end[a] == base[a] + stride
                                               ? scanAt(at + step[a], end[0], end[1], end[2])
                                               : NodeValue(end[0], end[1], end[2]);
                    if ((endValue > m_iso) == inBase) continue;
                    int p[3] = {i, j, k};
                    while (p[a] < end[a]) {
                        int q[3] = {p[0], p[1], p[2]};
                        ++q[a];
                        if ((ScanValue(q[0], q[1], q[2]) > m_iso) != inBase) break;
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
                                ContinueFrom(CellKey(c[0], c[1], c[2]), stack, cells);
                        }
                }
            }
        }
}

void PolygonizerLattice::FillScanNodes(const int from[3], const int to[3])
{
    // Every scan node of the range is read by the scan; the unknown ones are
    // evaluated up front, a plane of them per task.
    const int stride = m_stride;
    std::vector<int> planes;
    for (int k = from[2]; k <= to[2]; k += stride) planes.push_back(k);
    size_t perPlane = 0;
    for (int j = from[1]; j <= to[1]; j += stride)
        for (int i = from[0]; i <= to[0]; i += stride) ++perPlane;
    RunTasks(planes.size(), planes.size() * perPlane, [&](size_t t, unsigned long long& counter) {
        const int k = planes[t];
        for (int j = from[1]; j <= to[1]; j += stride)
            for (int i = from[0]; i <= to[0]; i += stride) {
                float* v = ScanSlot(i, j, k);
                if (!v || !std::isnan(*v)) continue;
                // Near the surface the node may already be known from a brick.
                const uint32_t b = FindBrick(i, j, k);
                const float known =
                    b != NONE ? m_nodes[size_t(b) * BRICK_NODES + size_t(NodeInBrick(i, j, k))] : kNaN;
                *v = std::isnan(known) ? Evaluate(NodePosition(i, j, k), counter) : known;
            }
    });
}

void PolygonizerLattice::ForgetCells(const int lo[3], const int hi[3])
{
    // Node values of the block's nodes, brick by brick through the directory.
    int nlo[3], nhi[3];
    for (int a = 0; a < 3; ++a) {
        nlo[a] = std::max(lo[a], -1);
        nhi[a] = std::min(hi[a] + 1, m_count[a] + 1);
        if (nlo[a] > nhi[a]) return;
    }
    for (int bk = (nlo[2] + 1) >> BRICK_SHIFT; bk <= (nhi[2] + 1) >> BRICK_SHIFT; ++bk)
        for (int bj = (nlo[1] + 1) >> BRICK_SHIFT; bj <= (nhi[1] + 1) >> BRICK_SHIFT; ++bj)
            for (int bi = (nlo[0] + 1) >> BRICK_SHIFT; bi <= (nhi[0] + 1) >> BRICK_SHIFT; ++bi) {
                const uint32_t b =
                    m_directory[(size_t(bk) * size_t(m_dirDims[1]) + size_t(bj)) * size_t(m_dirDims[0]) +
                                size_t(bi)];
                if (b == NONE) continue;
                float* nodes = &m_nodes[size_t(b) * BRICK_NODES];
                const int i0 = std::max(nlo[0], (bi << BRICK_SHIFT) - 1),
                          i1 = std::min(nhi[0], (bi << BRICK_SHIFT) + 6);
                const int j0 = std::max(nlo[1], (bj << BRICK_SHIFT) - 1),
                          j1 = std::min(nhi[1], (bj << BRICK_SHIFT) + 6);
                const int k0 = std::max(nlo[2], (bk << BRICK_SHIFT) - 1),
                          k1 = std::min(nhi[2], (bk << BRICK_SHIFT) + 6);
                for (int k = k0; k <= k1; ++k)
                    for (int j = j0; j <= j1; ++j)
                        for (int i = i0; i <= i1; ++i) nodes[NodeInBrick(i, j, k)] = kNaN;
            }
    const int s = m_stride;
    auto first = [s](int v) { return (std::max(v, 0) + s - 1) / s * s; };
    for (int k = first(lo[2]); k <= hi[2] + 1 && k / s < m_scanDims[2]; k += s)
        for (int j = first(lo[1]); j <= hi[1] + 1 && j / s < m_scanDims[1]; j += s)
            for (int i = first(lo[0]); i <= hi[0] + 1 && i / s < m_scanDims[0]; i += s)
                m_scanNodes[(size_t(k / s) * size_t(m_scanDims[1]) + size_t(j / s)) * size_t(m_scanDims[0]) +
                            size_t(i / s)] = kNaN;
    // Vertices: edge vertices whose four cells all lie in the block (an edge
    // that a cell outside also uses keeps its vertex), and interior vertices
    // of the block's cells.
    for (size_t v = 0; v < m_vertexKeys.size(); ++v) {
        const uint64_t key = m_vertexKeys[v];
        if (key == FREE_VERTEX) continue;
        int p[3];
        bool forget;
        if (!(key & INTERIOR_FLAG)) {
            const int a = int(key & 3);
            CellFromKey(key >> 2, p[0], p[1], p[2]);
            forget = p[a] >= lo[a] && p[a] <= hi[a];
            for (int b = 0; b < 3 && forget; ++b)
                if (b != a && (p[b] - 1 < lo[b] || p[b] > hi[b])) forget = false;
            if (forget) *EdgeSlot(p[0], p[1], p[2], a, false) = NONE;
        } else {
            CellFromKey((key & ~INTERIOR_FLAG) >> 4, p[0], p[1], p[2]);
            forget = p[0] >= lo[0] && p[0] <= hi[0] && p[1] >= lo[1] && p[1] <= hi[1] && p[2] >= lo[2] &&
                     p[2] <= hi[2];
        }
        if (forget) {
            m_vertexKeys[v] = FREE_VERTEX;
            m_freeVertices.push_back(uint32_t(v));
        }
    }
}

void AppendLatticeTriangles(const PolygonizerLattice& lattice, const LatticeTriangle* triangles, size_t count,
                            std::vector<unsigned>& ids, vynmesh::TriangleMesh& mesh)
{
    if (ids.size() < lattice.GetVertexCapacity()) ids.resize(lattice.GetVertexCapacity(), ~0u);
    for (const LatticeTriangle* end = triangles + count; triangles != end; ++triangles) {
        const LatticeTriangle& t = *triangles;
        unsigned v[3];
        for (int c = 0; c < 3; ++c) {
            unsigned& id = ids[t.v[c]];
            if (id == ~0u) {
                const LatticeVertex& lv = lattice.GetVertex(t.v[c]);
                id = mesh.AppendVertex(lv.position, &lv.normal);
            }
            v[c] = id;
        }
        mesh.AppendTriangle(v[0], v[1], v[2]);
    }
}

}  // namespace vynimplicit

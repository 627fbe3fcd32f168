#include "implicit/fields2d/MarchingQuads.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "implicit/ScalarField2D.h"

namespace vynimplicit {

namespace {

// Cell corners: 0 = (i, j), 1 = (i+1, j), 2 = (i+1, j+1), 3 = (i, j+1).
// Cell edge k joins corner k and corner k+1 (counter-clockwise):
// 0 bottom, 1 right, 2 top, 3 left.
const int CORNER_DI[4] = {0, 1, 1, 0};
const int CORNER_DJ[4] = {0, 0, 1, 1};
// The cell across each edge.
const int NEIGHBOUR_DI[4] = {0, 1, 0, -1};
const int NEIGHBOUR_DJ[4] = {-1, 0, 1, 0};
// Each cell edge as a lattice edge: its first node, relative to the cell,
// and its direction (0 horizontal, towards +x; 1 vertical, towards +y).
const unsigned EDGE_NODE_DI[4] = {0, 1, 0, 0};
const unsigned EDGE_NODE_DJ[4] = {0, 0, 1, 0};
const int EDGE_DIR[4] = {0, 1, 0, 1};

// Keeps vertices off lattice nodes, so vertices on edges that meet at a node
// whose value equals the iso value still get distinct positions.
constexpr float EDGE_MARGIN = 1.0f / 1024.0f;

struct CaseSegments {
    int count = 0;
    int from[2] = {0, 0};  // cell edge the segment starts on
    int to[2] = {0, 0};
};

// Segments per corner case (bit k = corner k inside) and saddle resolution
// (index 1: the cell centre is inside). A segment runs from the edge where a
// counter-clockwise walk round the cell leaves the inside to the edge where
// it re-enters, which keeps the inside on the segment's left.
std::array<std::array<CaseSegments, 2>, 16> BuildCaseTable()
{
    std::array<std::array<CaseSegments, 2>, 16> table{};
    for (int c = 0; c < 16; ++c) {
        for (int centreInside = 0; centreInside < 2; ++centreInside) {
            CaseSegments& s = table[c][centreInside];
            int leaving[2], entering[2], nl = 0, ne = 0;
            for (int k = 0; k < 4; ++k) {
                const bool a = (c >> k) & 1, b = (c >> ((k + 1) & 3)) & 1;
                if (a && !b) leaving[nl++] = k;
                if (!a && b) entering[ne++] = k;
            }
            if (nl == 1) {
                s.count = 1;
                s.from[0] = leaving[0];
                s.to[0] = entering[0];
            } else if (nl == 2) {
                // Saddle: an inside centre joins the two inside corners, so
                // each segment cuts off the outside corner just ahead of it.
                s.count = 2;
                for (int m = 0; m < 2; ++m) {
                    s.from[m] = leaving[m];
                    s.to[m] = centreInside ? (leaving[m] + 1) & 3 : (leaving[m] + 3) & 3;
                }
            }
        }
    }
    return table;
}

const std::array<std::array<CaseSegments, 2>, 16> CASE_TABLE = BuildCaseTable();

bool ValidBox(const Wml::AxisAlignedBox2<float>& b)
{
    for (int a = 0; a < 2; ++a) {
        if (!std::isfinite(b.Min(a)) || !std::isfinite(b.Max(a))) return false;
        const float e = b.Max(a) - b.Min(a);
        if (!(e > 0.0f) || !std::isfinite(e)) return false;
    }
    return true;
}

inline bool Inside(float v, float iso)
{
    return v >= iso;
}  // NaN is outside

}  // namespace

MarchingQuads::MarchingQuads(unsigned maxSeedCells) : m_maxSeedCells(maxSeedCells) {}

bool MarchingQuads::SetBounds(const Wml::AxisAlignedBox2<float>& bounds)
{
    if (!ValidBox(bounds)) return false;
    m_bounds = bounds;
    return true;
}

bool MarchingQuads::SetCellResolution(unsigned n)
{
    if (n < 1 || n > MAX_CELL_RESOLUTION) return false;
    m_resolution = n;
    return true;
}

bool MarchingQuads::SetIsoValue(float iso)
{
    if (!std::isfinite(iso)) return false;
    m_iso = iso;
    return true;
}

bool MarchingQuads::SetRefinementSteps(unsigned steps)
{
    if (steps > MAX_REFINEMENT_STEPS) return false;
    m_refineSteps = steps;
    return true;
}

unsigned MarchingQuads::Run()
{
    if (!m_output) {
        m_numClosed = m_numOpen = 0;
        m_numEvaluations = 0;
        return 0;
    }
    return Run(*m_output);
}

unsigned MarchingQuads::Run(Wml::LinearComplex2<float>& output)
{
    output.Clear();
    m_numClosed = m_numOpen = 0;
    m_numEvaluations = 0;
    m_edgeVertex.clear();
    if (!m_field || !PrepareLattice()) return 0;

    if (m_scanAll) {
        for (unsigned j = 0; j < m_ny; ++j)
            for (unsigned i = 0; i < m_nx; ++i) {
                if (m_cellStamp[size_t(j) * m_nx + i] == m_generation) continue;
                const int c = CellCase(i, j);
                if (c != 0 && c != 15) TraceFrom(i, j, output);
            }
    } else {
        for (const auto& seed : m_seeds) WalkFromSeed(seed, output);
    }
    CountComponents(output);
    return m_numClosed + m_numOpen;
}

bool MarchingQuads::PrepareLattice()
{
    Wml::AxisAlignedBox2<float> box = m_bounds;
    if (!ValidBox(box)) {
        // No bounds given: fall back on the field's own, for templates.
        m_field->FieldBounds(box);
        if (!ValidBox(box)) return false;
    }
    const float w = box.Max(0) - box.Min(0), h = box.Max(1) - box.Min(1);
    const float cell = std::max(w, h) / float(m_resolution);
    if (!(cell > 0.0f) || !std::isfinite(cell)) return false;
    auto cellsFor = [&](float extent) {
        // The small slack keeps rounding from adding a sliver of a cell.
        const float n = std::ceil(extent / cell - 1e-4f);
        return unsigned(std::clamp(n, 1.0f, float(m_resolution)));
    };
    m_nx = cellsFor(w);
    m_ny = cellsFor(h);
    m_cell = cell;
    m_originX = box.Min(0);
    m_originY = box.Min(1);
    if (!std::isfinite(m_originX + m_nx * cell) || !std::isfinite(m_originY + m_ny * cell)) return false;

    const size_t nodes = size_t(m_nx + 1) * (m_ny + 1), cells = size_t(m_nx) * m_ny;
    if (m_nodeStamp.size() < nodes) {
        m_nodeStamp.resize(nodes, 0);
        m_nodeValue.resize(nodes, 0.0f);
    }
    if (m_cellStamp.size() < cells) m_cellStamp.resize(cells, 0);
    if (++m_generation == 0) {
        std::fill(m_nodeStamp.begin(), m_nodeStamp.end(), 0u);
        std::fill(m_cellStamp.begin(), m_cellStamp.end(), 0u);
        m_generation = 1;
    }
    return true;
}

float MarchingQuads::Evaluate(float x, float y)
{
    ++m_numEvaluations;
    return m_field->Value(x, y);
}

float MarchingQuads::NodeValue(unsigned i, unsigned j)
{
    const size_t k = size_t(j) * (m_nx + 1) + i;
    if (m_nodeStamp[k] != m_generation) {
        m_nodeValue[k] = Evaluate(m_originX + float(i) * m_cell, m_originY + float(j) * m_cell);
        m_nodeStamp[k] = m_generation;
    }
    return m_nodeValue[k];
}

int MarchingQuads::CellCase(unsigned i, unsigned j)
{
    int c = 0;
    for (int k = 0; k < 4; ++k)
        if (Inside(NodeValue(i + CORNER_DI[k], j + CORNER_DJ[k]), m_iso)) c |= 1 << k;
    return c;
}

void MarchingQuads::WalkFromSeed(const Wml::Vector2<float>& seed, Wml::LinearComplex2<float>& out)
{
    // Continuous position in cell units; a step is at most one cell length,
    // so the next cell always shares a node with the current one and the
    // walk cannot pass from inside to outside without meeting a crossed cell.
    float u = (seed[0] - m_originX) / m_cell, v = (seed[1] - m_originY) / m_cell;
    if (!std::isfinite(u) || !std::isfinite(v)) return;
    const float maxU = float(m_nx), maxV = float(m_ny);
    u = std::clamp(u, 0.0f, maxU);
    v = std::clamp(v, 0.0f, maxV);
    float dirX = 1.0f, dirY = 0.0f;
    // A walk circling a local extremum would otherwise run as long as a
    // hostile limit lets it.
    const unsigned maxSteps = std::min(m_maxSeedCells, 2 * (m_nx + m_ny));

    for (unsigned step = 0;; ++step) {
        const unsigned ci = std::min(unsigned(u), m_nx - 1), cj = std::min(unsigned(v), m_ny - 1);
        if (m_cellStamp[size_t(cj) * m_nx + ci] == m_generation) return;  // component already traced
        const int c = CellCase(ci, cj);
        if (c != 0 && c != 15) {
            TraceFrom(ci, cj, out);
            return;
        }
        if (step >= maxSteps) return;

        // Bilinear gradient at the cell centre, from the cached corners.
        const float f0 = NodeValue(ci, cj), f1 = NodeValue(ci + 1, cj);
        const float f2 = NodeValue(ci + 1, cj + 1), f3 = NodeValue(ci, cj + 1);
        float gx = (f1 - f0) + (f2 - f3), gy = (f3 - f0) + (f2 - f1);
        float len = std::hypot(gx, gy);
        if (!(len > 0.0f) || !std::isfinite(len)) {
            // Flat at lattice scale: ask the field itself.
            ++m_numEvaluations;
            m_field->Gradient(m_originX + (ci + 0.5f) * m_cell, m_originY + (cj + 0.5f) * m_cell, gx, gy);
            len = std::hypot(gx, gy);
        }
        if (len > 0.0f && std::isfinite(len)) {
            const float s = (c == 15) ? -1.0f / len : 1.0f / len;  // downhill from inside
            dirX = gx * s;
            dirY = gy * s;
        }  // else keep going the way we were
        u += dirX;
        v += dirY;
        if (!(u >= 0.0f && u <= maxU && v >= 0.0f && v <= maxV)) return;
    }
}

void MarchingQuads::TraceFrom(unsigned ci, unsigned cj, Wml::LinearComplex2<float>& out)
{
    m_stack.clear();
    m_cellStamp[size_t(cj) * m_nx + ci] = m_generation;
    m_stack.push_back(uint64_t(cj) * m_nx + ci);
    while (!m_stack.empty()) {
        const uint64_t cellIndex = m_stack.back();
        m_stack.pop_back();
        const unsigned i = unsigned(cellIndex % m_nx), j = unsigned(cellIndex / m_nx);
        const int c = CellCase(i, j);
        int centreInside = 0;
        if (c == 5 || c == 10)
            centreInside =
                Inside(Evaluate(m_originX + (i + 0.5f) * m_cell, m_originY + (j + 0.5f) * m_cell), m_iso);
        const CaseSegments& segs = CASE_TABLE[c][centreInside];
        for (int s = 0; s < segs.count; ++s) {
            const unsigned a = EdgeVertex(i, j, segs.from[s], out);
            const unsigned b = EdgeVertex(i, j, segs.to[s], out);
            if (a != Wml::LinearComplex2<float>::INVALID_INDEX &&
                b != Wml::LinearComplex2<float>::INVALID_INDEX)
                out.AddEdge(a, b);
        }
        // Continue into every neighbour across a crossed edge.
        for (int k = 0; k < 4; ++k) {
            const bool a = (c >> k) & 1, b = (c >> ((k + 1) & 3)) & 1;
            if (a == b) continue;
            const long ni = long(i) + NEIGHBOUR_DI[k], nj = long(j) + NEIGHBOUR_DJ[k];
            if (ni < 0 || nj < 0 || ni >= long(m_nx) || nj >= long(m_ny)) continue;
            const size_t n = size_t(nj) * m_nx + size_t(ni);
            if (m_cellStamp[n] == m_generation) continue;
            m_cellStamp[n] = m_generation;
            m_stack.push_back(n);
        }
    }
}

unsigned MarchingQuads::EdgeVertex(unsigned i, unsigned j, int cellEdge, Wml::LinearComplex2<float>& out)
{
    // Lattice edge as (node, direction): horizontal edges run from (ni, nj)
    // to (ni+1, nj), vertical ones from (ni, nj) to (ni, nj+1).
    const unsigned ni = i + EDGE_NODE_DI[cellEdge], nj = j + EDGE_NODE_DJ[cellEdge];
    const int dir = EDGE_DIR[cellEdge];
    const uint64_t key = (uint64_t(nj) * (m_nx + 1) + ni) * 2 + unsigned(dir);
    auto found = m_edgeVertex.find(key);
    if (found != m_edgeVertex.end()) return found->second;

    const unsigned mi = ni + (dir == 0), mj = nj + (dir == 1);
    float fa = NodeValue(ni, nj), fb = NodeValue(mi, mj);
    float ax = m_originX + float(ni) * m_cell, ay = m_originY + float(nj) * m_cell;
    float bx = m_originX + float(mi) * m_cell, by = m_originY + float(mj) * m_cell;
    if (!Inside(fa, m_iso)) {  // measure from the inside end
        std::swap(fa, fb);
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    // Bracket [lo, hi] along a -> b with lo inside and hi outside.
    float lo = 0.0f, hi = 1.0f, flo = fa, fhi = fb;
    for (unsigned s = 0; s < m_refineSteps; ++s) {
        const float mid = 0.5f * (lo + hi);
        const float fm = Evaluate(ax + mid * (bx - ax), ay + mid * (by - ay));
        if (Inside(fm, m_iso)) {
            lo = mid;
            flo = fm;
        } else {
            hi = mid;
            fhi = fm;
        }
    }
    float t = 0.5f * (lo + hi);
    if (std::isfinite(flo) && std::isfinite(fhi) && flo > fhi)
        t = lo + (hi - lo) * (flo - m_iso) / (flo - fhi);
    t = std::clamp(t, EDGE_MARGIN, 1.0f - EDGE_MARGIN);

    const unsigned index = out.AddVertex(Wml::Vector2<float>(ax + t * (bx - ax), ay + t * (by - ay)));
    m_edgeVertex.emplace(key, index);
    return index;
}

void MarchingQuads::CountComponents(const Wml::LinearComplex2<float>& out)
{
    const unsigned n = out.GetNumVertices();
    std::vector<unsigned> parent(n), degree(n, 0);
    for (unsigned v = 0; v < n; ++v) parent[v] = v;
    auto find = [&](unsigned v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    };
    for (const auto& e : out.GetEdges()) {
        ++degree[e.v[0]];
        ++degree[e.v[1]];
        const unsigned a = find(e.v[0]), b = find(e.v[1]);
        if (a != b) parent[a] = b;
    }
    // A component is a closed loop when none of its vertices is an end.
    std::vector<char> isRoot(n, 0), open(n, 0);
    for (unsigned v = 0; v < n; ++v) {
        const unsigned r = find(v);
        isRoot[r] = 1;
        if (degree[v] != 2) open[r] = 1;
    }
    for (unsigned v = 0; v < n; ++v)
        if (isRoot[v]) (open[v] ? m_numOpen : m_numClosed)++;
}

}  // namespace vynimplicit

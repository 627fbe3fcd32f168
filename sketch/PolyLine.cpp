#include "sketch/PolyLine.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <system_error>
#include <thread>

#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "sketch/CurveBVTree.h"
#include "sketch/PointSet.h"
#include "sketch/SketchField.h"
#include "wml/BSplineCurve2.h"
#include "wml/DebugOutput.h"
#include "wml/Distance.h"
#include "wml/IntelThinPlateSpline2d.h"
#include "wml/PGMImage.h"

namespace vynsketch {

static_assert(PolyLine::MAX_FIELD_RESOLUTION == vynimplicit::DiscreteScalarField2D::MAX_SIZE,
              "the builders accept what the sampled field can hold");
static_assert(PolyLine::MAX_PGM_DIMENSION == Wml::PGMImage::MaxDimension, "one image size limit");

namespace {

// Spline value at which the soft falloff (1 - g^2)^3 is 0.5.
constexpr float FALLOFF_SURFACE_VALUE = 0.454202f;
// Connectivity problems of one outline image listed in the trace.
constexpr size_t MAX_PGM_PROBLEM_MESSAGES = 100;
// Smoothing of every outline value point.
constexpr float OUTLINE_SMOOTHING = 0.0001f;
// The outline is mapped to [1, 2]^2 inside the working square [0, 3]^2.
constexpr float WORKING_SIZE = 3.0f;
// Below this many samples a second thread costs more than it saves.
constexpr unsigned PARALLEL_SAMPLES = 64 * 64;

const Wml::Vector2<float> ZERO_VERTEX(0.0f, 0.0f);
const PolyLine::Edge NULL_EDGE(0, 0);

float Falloff(double g)
{
    const double r = std::max(g, 0.0);
    const double w = std::max(0.0, 1.0 - r * r);
    return static_cast<float>(w * w * w);
}

// Runs body(begin, end) over [0, count) split into contiguous ranges, one
// per core (the calling thread takes the last range).
template <class Body>
void ParallelRanges(unsigned count, size_t work, const Body& body)
{
    unsigned threads = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    if (work < PARALLEL_SAMPLES) threads = 1;
    threads = std::min(threads, std::max(count, 1u));
    std::vector<std::thread> workers;
    workers.reserve(threads);  // only starting a thread may throw below
    unsigned begin = 0;
    for (unsigned t = 1; t < threads; ++t) {
        const unsigned end = unsigned(size_t(count) * t / threads);
        try {
            workers.emplace_back([&body, begin, end] { body(begin, end); });
        } catch (const std::system_error&) {
            break;  // no thread to spare: this one does the rest
        }
        begin = end;
    }
    body(begin, count);
    for (std::thread& w : workers) w.join();
}

float CatmullRom(float p0, float p1, float p2, float p3, float t)
{
    return 0.5f * (2.0f * p1 + (p2 - p0) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t * t +
                   (3.0f * (p1 - p2) + p3 - p0) * t * t * t);
}

/**
 * Samples the falloff of a fitted spline g over the N x N template, sample
 * (j, i) at (j, i) * 3 / (N - 1).
 *
 * A dense evaluation costs one kernel per value point per sample. The spline
 * is smooth away from its centres, so it is evaluated exactly only on a
 * coarse lattice (every stride-th sample) and in the blocks where the 0.5
 * level may pass; elsewhere it is interpolated bicubically from the 4 x 4
 * coarse neighbourhood. A block counts as near the level when the range of
 * its corner values, widened by the neighbourhood's largest second
 * difference and a margin, reaches the spline value of the level: so the
 * contour itself always comes from exact values, and only the smooth far
 * field is interpolated.
 */
class TemplateSampler {
public:
    // The lattice spacing is kept near 1/64 of the working square: fine
    // enough for the far field to interpolate to ~1e-3, coarse enough to
    // save most of the kernel evaluations at every resolution.
    static constexpr unsigned LATTICE_CELLS = 64;
    static constexpr unsigned MIN_STRIDE = 4;
    // Extra g distance from the level below which a block is evaluated exactly.
    static constexpr float LEVEL_MARGIN = 0.02f;

    TemplateSampler(const Wml::IntelThinPlateSpline2d& spline, unsigned n, float level)
        : m_spline(spline),
          m_n(n),
          m_step(double(WORKING_SIZE) / double(n - 1)),
          m_level(level),
          m_stride(std::max(MIN_STRIDE, n / LATTICE_CELLS))
    {
    }

    void Run(float* out)
    {
        // Lattice node c lies on sample index (c - 1) * stride, so every
        // block, border ones included, has its 4 x 4 neighbourhood (nodes
        // beyond the grid are evaluated like any other).
        m_blocks = (m_n + m_stride - 1) / m_stride;
        m_coarse = m_blocks + 3;
        m_nodes.assign(size_t(m_coarse) * m_coarse, 0.0f);
        const double spacing = m_stride * m_step;
        ParallelRanges(m_coarse, size_t(m_coarse) * m_coarse, [&](unsigned begin, unsigned end) {
            std::vector<double> row(m_coarse);
            for (unsigned r = begin; r < end; ++r) {
                m_spline.SampleRow(-spacing, (double(r) - 1.0) * spacing, row.data(), m_coarse, spacing);
                for (unsigned k = 0; k < m_coarse; ++k) m_nodes[size_t(r) * m_coarse + k] = float(row[k]);
            }
        });

        ParallelRanges(m_blocks, size_t(m_n) * m_n, [&](unsigned begin, unsigned end) {
            std::vector<double> row(m_n);
            std::vector<char> exact(m_blocks);
            for (unsigned bi = begin; bi < end; ++bi) FillBlockRow(bi, exact, row.data(), out);
        });
    }

private:
    // Node (r, k) of the coarse lattice; block b's neighbourhood is b .. b + 3.
    float Node(unsigned r, unsigned k) const { return m_nodes[size_t(r) * m_coarse + k]; }

    bool NearLevel(unsigned bi, unsigned bj) const
    {
        // Range of the block's own corners, widened by the largest second
        // difference of the neighbourhood: a bound, with room to spare, on
        // how far the spline can bulge between the corners.
        float lo = HUGE_VALF, hi = -HUGE_VALF, bend = 0.0f;
        for (unsigned r = bi; r < bi + 4; ++r)
            for (unsigned k = bj; k < bj + 4; ++k) {
                const float g = Node(r, k);
                if (!(g == g)) return true;  // NaN: let the exact path decide
                if (r == bi + 1 || r == bi + 2)
                    if (k == bj + 1 || k == bj + 2) {
                        lo = std::min(lo, g);
                        hi = std::max(hi, g);
                    }
                if (k > bj && k < bj + 3)
                    bend = std::max(bend, std::fabs(Node(r, k - 1) - 2.0f * g + Node(r, k + 1)));
                if (r > bi && r < bi + 3)
                    bend = std::max(bend, std::fabs(Node(r - 1, k) - 2.0f * g + Node(r + 1, k)));
            }
        const float reach = bend + LEVEL_MARGIN;
        return lo - reach <= m_level && hi + reach >= m_level;
    }

    void ExactRun(unsigned i, unsigned j0, unsigned j1, double* row, float* out) const
    {
        m_spline.SampleRow(double(j0) * m_step, double(i) * m_step, row, j1 - j0, m_step);
        float* dst = out + size_t(i) * m_n;
        for (unsigned j = j0; j < j1; ++j) dst[j] = Store(row[j - j0]);
    }

    static float Store(double g)
    {
        const float f = Falloff(g);
        return std::isnan(f) ? 0.0f : f;
    }

    void FillBlockRow(unsigned bi, std::vector<char>& exact, double* row, float* out) const
    {
        for (unsigned bj = 0; bj < m_blocks; ++bj) exact[bj] = NearLevel(bi, bj);

        const unsigned i0 = bi * m_stride, i1 = std::min(m_n, i0 + m_stride);
        float* dst = out + size_t(i0) * m_n;
        for (unsigned i = i0; i < i1; ++i, dst += m_n) {
            const float ty = float(i - i0) / float(m_stride);
            unsigned bj = 0;
            while (bj < m_blocks) {
                const unsigned j0 = bj * m_stride;
                if (exact[bj]) {
                    // One spline call for a run of exact blocks.
                    unsigned b = bj;
                    while (b < m_blocks && exact[b]) ++b;
                    ExactRun(i, j0, std::min(m_n, b * m_stride), row, out);
                    bj = b;
                    continue;
                }
                // Interpolate down the four node columns first, then across.
                float column[4];
                for (unsigned k = 0; k < 4; ++k)
                    column[k] = CatmullRom(Node(bi, bj + k), Node(bi + 1, bj + k), Node(bi + 2, bj + k),
                                           Node(bi + 3, bj + k), ty);
                const unsigned j1 = std::min(m_n, j0 + m_stride);
                for (unsigned j = j0; j < j1; ++j) {
                    const float tx = float(j - j0) / float(m_stride);
                    dst[j] = Store(CatmullRom(column[0], column[1], column[2], column[3], tx));
                }
                ++bj;
            }
        }
    }

    const Wml::IntelThinPlateSpline2d& m_spline;
    const unsigned m_n;
    const double m_step;
    const float m_level;
    const unsigned m_stride;
    unsigned m_blocks = 0;
    unsigned m_coarse = 0;
    std::vector<float> m_nodes;
};

// Fits the outline value points (plus the optional circle) and samples the
// template. The polyline is already in the working square.
vynimplicit::DiscreteScalarField2D* FitAndSample(const PolyLine& curve, PointSet& points, unsigned resolution,
                                                 bool circleConstraint)
{
    if (resolution < PolyLine::MIN_FIELD_RESOLUTION || resolution > PolyLine::MAX_FIELD_RESOLUTION)
        return nullptr;
    // Without a loop of the outline there is nothing to fit: the circle alone
    // would give a blank template.
    if (!curve.GenPointSet(points) || points.GetNumPoints() == 0) return nullptr;
    // A far ring of high values pins the fit down away from the outline, so
    // the template falls to 0 towards the working square's border.
    if (circleConstraint) curve.AddCircleConstraint(points, Wml::Vector2<float>(1.5f, 1.5f), 2.0f, 2.0f);
    DebugOutput("Point set size is %d\n", static_cast<int>(points.GetNumPoints()));

    SketchField fit;
    if (!fit.GenerateSketchField(points, true, OUTLINE_SMOOTHING)) return nullptr;

    std::unique_ptr<vynimplicit::DiscreteScalarField2D> field(new vynimplicit::DiscreteScalarField2D());
    if (!field->Resize(resolution, resolution)) return nullptr;
    TemplateSampler(*fit.GetSpline(), resolution, points.GetSurfaceValue()).Run(field->GetData());
    return field.release();
}

}  // namespace

// ---- vertices and edges ------------------------------------------------------

unsigned int PolyLine::AddVertex(const Wml::Vector2<float>& v)
{
    m_vertices.push_back(v);
    return static_cast<unsigned int>(m_vertices.size() - 1);
}

unsigned int PolyLine::AddEdge(const Edge& e)
{
    m_edges.push_back(e);
    return static_cast<unsigned int>(m_edges.size() - 1);
}

bool PolyLine::IsValidEdge(Edge& e)
{
    for (const Edge& o : m_edges)
        if ((o.v1 == e.v1 && o.v2 == e.v2) || (o.v1 == e.v2 && o.v2 == e.v1)) return false;
    return true;
}

const Wml::Vector2<float>& PolyLine::GetVertex(unsigned int i) const
{
    return i < m_vertices.size() ? m_vertices[i] : ZERO_VERTEX;
}

const PolyLine::Edge& PolyLine::GetEdge(unsigned int i) const
{
    return i < m_edges.size() ? m_edges[i] : NULL_EDGE;
}

void PolyLine::Clear()
{
    m_vertices.clear();
    m_edges.clear();
}

// ---- degree tests and walks ----------------------------------------------------

unsigned int PolyLine::GetConnectivity(unsigned int vertex) const
{
    unsigned int count = 0;
    for (const Edge& e : m_edges)
        if (HasVertices(e) && (e.v1 == vertex || e.v2 == vertex)) ++count;
    return count;
}

namespace {

// Incident edge counts, each edge counted once per distinct end.
std::vector<unsigned int> Degrees(const PolyLine& line)
{
    std::vector<unsigned int> degree(line.GetNumVertices(), 0);
    for (const PolyLine::Edge& e : line.GetEdges()) {
        if (!line.HasVertices(e)) continue;
        ++degree[e.v1];
        if (e.v2 != e.v1) ++degree[e.v2];
    }
    return degree;
}

// Up to three neighbours per vertex, in edge-list order: what a scan of the
// edge list from each vertex would collect.
struct Adjacency {
    explicit Adjacency(const PolyLine& line) : count(line.GetNumVertices(), 0), next(3 * size_t(count.size()))
    {
        auto add = [this](unsigned int v, unsigned int w) {
            if (count[v] < 3) next[3 * size_t(v) + count[v]++] = w;
        };
        for (const PolyLine::Edge& e : line.GetEdges()) {
            if (!line.HasVertices(e)) continue;
            if (e.v1 == e.v2) {
                add(e.v1, e.v1);
                continue;
            }
            add(e.v1, e.v2);
            add(e.v2, e.v1);
        }
    }
    std::vector<unsigned char> count;
    std::vector<unsigned int> next;
};

// From start: mark and record each vertex; go on only through vertices with
// exactly two neighbours, to the first unvisited one.
void WalkFrom(const PolyLine& line, const Adjacency& adj, unsigned int start, std::vector<bool>& visited,
              std::vector<Wml::Vector2<float>>& out)
{
    unsigned int v = start;
    for (;;) {
        out.push_back(line.GetVertex(v));
        visited[v] = true;
        if (adj.count[v] != 2) return;
        const unsigned int a = adj.next[3 * size_t(v)];
        const unsigned int b = adj.next[3 * size_t(v) + 1];
        if (!visited[a])
            v = a;
        else if (!visited[b])
            v = b;
        else
            return;
    }
}

}  // namespace

bool PolyLine::IsClosed() const
{
    for (unsigned int d : Degrees(*this))
        if (d < 2) return false;
    return true;
}

bool PolyLine::IsSimple() const
{
    for (unsigned int d : Degrees(*this))
        if (d > 2) return false;
    return true;
}

bool PolyLine::GetLoops(std::vector<Wml::Polygon2<float>>& loops, bool simplify) const
{
    loops.clear();
    if (m_vertices.size() <= 2 || m_edges.size() <= 2) return false;

    const Adjacency adj(*this);
    std::vector<bool> visited(m_vertices.size(), false);
    std::vector<Wml::Vector2<float>> walk;
    unsigned int next = 0;
    for (;;) {
        while (next < m_vertices.size() && visited[next]) ++next;
        if (next == m_vertices.size()) break;
        walk.clear();
        WalkFrom(*this, adj, next, visited, walk);
        if (walk.size() <= 3) continue;
        Wml::Polygon2<float> loop(walk);
        if (loop.VertexCount() <= 3) continue;  // refused: a vertex was not finite
        if (loop.IsClockwise()) loop.FlipOrientation();
        loops.push_back(std::move(loop));
    }
    if (simplify)
        for (Wml::Polygon2<float>& loop : loops) loop.Simplify(false);
    return true;
}

bool PolyLine::GetOrderedVertexList(std::vector<Wml::Vector2<float>>& out, bool counterClockwise) const
{
    if (m_vertices.size() <= 2 || m_edges.size() <= 2 || !IsClosed() || !IsSimple()) return false;

    out.clear();
    const Adjacency adj(*this);
    std::vector<bool> visited(m_vertices.size(), false);
    WalkFrom(*this, adj, 0, visited, out);
    if (std::find(visited.begin(), visited.end(), false) != visited.end()) {
        DebugOutput("Vertex marking failed...\n");
        out.clear();
        return false;
    }

    // Twice the signed area, the closing pair included: without it the sign
    // depends on where the loop lies relative to the origin.
    double sum = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const Wml::Vector2<float>& a = out[i];
        const Wml::Vector2<float>& b = out[(i + 1) % out.size()];
        sum += double(a.X()) * b.Y() - double(a.Y()) * b.X();
    }
    if ((sum < 0.0 && counterClockwise) || (sum > 0.0 && !counterClockwise))
        std::reverse(out.begin(), out.end());
    return true;
}

// ---- placement -----------------------------------------------------------------

Wml::AxisAlignedBox2<float> PolyLine::ComputeBoundingBox() const
{
    Wml::AxisAlignedBox2<float> box;
    if (m_vertices.empty() || m_edges.empty()) return box;
    for (const Wml::Vector2<float>& v : m_vertices) box.Merge(v);
    return box;
}

Wml::Vector2<float> PolyLine::ComputeCenterOfMass() const
{
    if (m_vertices.empty()) return Wml::Vector2<float>(0.0f, 0.0f);
    double x = 0.0, y = 0.0;
    for (const Wml::Vector2<float>& v : m_vertices) {
        x += v.X();
        y += v.Y();
    }
    const double n = double(m_vertices.size());
    return Wml::Vector2<float>(float(x / n), float(y / n));
}

float PolyLine::ToUnitSquare(float& size, float& offsetX, float& offsetY,
                             const Wml::AxisAlignedBox2<float>* box)
{
    const Wml::AxisAlignedBox2<float> b = box ? *box : ComputeBoundingBox();
    const float w = b.Max(0) - b.Min(0);
    const float h = b.Max(1) - b.Min(1);
    size = 1.0f;
    offsetX = offsetY = 0.0f;
    // An empty, flat-in-both-axes or non-finite box has no scale to map by.
    if (b.IsEmpty() || !std::isfinite(w) || !std::isfinite(h) || !(std::max(w, h) > 0.0f) ||
        !std::isfinite(b.Min(0)) || !std::isfinite(b.Min(1)))
        return 1.0f;

    float scale;
    if (h < w) {
        scale = 1.0f / w;
        offsetY = (1.0f - h * scale) / 2.0f;
    } else {
        scale = 1.0f / h;
        offsetX = (1.0f - w * scale) / 2.0f;
    }
    const float xmin = b.Min(0), ymin = b.Min(1);
    for (Wml::Vector2<float>& v : m_vertices)
        v = Wml::Vector2<float>((v.X() - xmin) * scale + offsetX, (v.Y() - ymin) * scale + offsetY);
    size = 1.0f / scale;
    return scale;
}

void PolyLine::Translate(float dx, float dy)
{
    const Wml::Vector2<float> d(dx, dy);
    for (Wml::Vector2<float>& v : m_vertices) v += d;
}

// ---- outline images -------------------------------------------------------------

bool PolyLine::InitializeFromPGM(const char* path, unsigned int value)
{
    // The reader refuses bad magic, headers, sizes and grey ranges, and
    // checks the file holds every pixel before it allocates for them.
    Wml::PGMImage image;
    if (!path || !image.Read(path)) return false;
    const unsigned w = image.GetWidth(), h = image.GetHeight();
    if (w == 0 || h == 0 || w > MAX_PGM_DIMENSION || h > MAX_PGM_DIMENSION) return false;
    const unsigned char* pixels = image.GetData();
    auto marked = [&](unsigned col, unsigned row) { return pixels[size_t(row) * w + col] == value; };

    // Count first: a filled image is no outline and would cost far more
    // memory than the image itself.
    size_t markedCount = 0;
    const size_t pixelCount = size_t(w) * h;
    for (size_t i = 0; i < pixelCount; ++i) markedCount += pixels[i] == value;
    if (markedCount > MAX_PGM_OUTLINE_PIXELS) {
        DebugOutput("Outline image %s has %zu marked pixels; an outline may have at most %u\n", path,
                    markedCount, MAX_PGM_OUTLINE_PIXELS);
        return false;
    }
    m_vertices.reserve(m_vertices.size() + markedCount);

    const unsigned int base = GetNumVertices();
    for (unsigned row = 0; row < h; ++row)
        for (unsigned col = 0; col < w; ++col)
            if (marked(col, row)) AddVertex(Wml::Vector2<float>(col + 0.5f, row + 0.5f));

    // Vertex numbers of two rows at a time, so the memory stays one row wide.
    std::vector<unsigned int> current(w), below(w);
    auto number = [&](unsigned row, unsigned int first, std::vector<unsigned int>& ids) {
        unsigned int id = first;
        for (unsigned col = 0; col < w; ++col)
            if (marked(col, row)) ids[col] = id++;
        return id;
    };
    std::vector<unsigned char> degree(GetNumVertices() - base, 0);
    // A blotch instead of an outline would flood the trace with one message
    // per pixel (and spend most of the time formatting them): the first few
    // are listed, the rest only counted.
    size_t problems = 0;
    auto report = [&problems]() { return ++problems <= MAX_PGM_PROBLEM_MESSAGES; };
    auto link = [&](unsigned col, unsigned row, unsigned int from, unsigned ncol, unsigned nrow,
                    unsigned int to) {
        if ((degree[from - base] > 1 || degree[to - base] >= 2) && report())
            DebugOutput("Connectivity Badness at either (%d,%d) or (%d,%d)!\n", int(col), int(row), int(ncol),
                        int(nrow));
        AddEdge(Edge(from, to));
        if (degree[from - base] < 255) ++degree[from - base];
        if (degree[to - base] < 255) ++degree[to - base];
    };

    unsigned int nextId = number(0, base, current);
    for (unsigned row = 0; row < h; ++row) {
        const bool hasBelow = row + 1 < h;
        const unsigned int afterBelow = hasBelow ? number(row + 1, nextId, below) : nextId;
        for (unsigned col = 0; col < w; ++col) {
            if (!marked(col, row)) continue;
            const unsigned int self = current[col];
            if (col + 1 < w && marked(col + 1, row)) link(col, row, self, col + 1, row, current[col + 1]);
            if (!hasBelow) continue;
            const bool belowMarked = marked(col, row + 1);
            if (belowMarked) link(col, row, self, col, row + 1, below[col]);
            if (col + 1 < w && marked(col + 1, row + 1)) {
                link(col, row, self, col + 1, row + 1, below[col + 1]);
                if (belowMarked && report())
                    DebugOutput("Invalid configuration at pixel %d,%d\n", int(col), int(row));
            }
            if (col > 0 && marked(col - 1, row + 1)) {
                link(col, row, self, col - 1, row + 1, below[col - 1]);
                if (belowMarked && report())
                    DebugOutput("Invalid configuration at pixel %d,%d\n", int(col), int(row));
            }
        }
        current.swap(below);
        nextId = afterBelow;
    }
    if (problems > MAX_PGM_PROBLEM_MESSAGES)
        DebugOutput("%zu more connectivity problems in %s not listed\n", problems - MAX_PGM_PROBLEM_MESSAGES,
                    path);
    return true;
}

// ---- value points ------------------------------------------------------------------

bool PolyLine::GenPointSet(PointSet& points) const
{
    std::vector<Wml::Polygon2<float>> loops;
    if (!GetLoops(loops, false)) return false;
    for (Wml::Polygon2<float>& loop : loops) loop.Simplify(false);

    const float length = points.GetNormalProjectionLength();
    for (size_t i = 0; i < loops.size(); ++i) {
        Wml::Polygon2<float>& loop = loops[i];
        if (loop.VertexCount() == 0) continue;
        unsigned containing = 0;
        for (size_t k = 0; k < loops.size(); ++k)
            if (k != i && loops[k].IsInside(loop.Vertex(0))) ++containing;
        // Holes run clockwise here, so the left normal points into the
        // material for every loop.
        const bool hole = (containing % 2) == 1;
        if (hole) loop.FlipOrientation();

        const std::vector<Wml::Vector2<float>>& v = loop.Vertices();
        for (size_t j = 0; j < v.size(); ++j) {
            const Wml::Vector2<float> d = v[(j + 1) % v.size()] - v[j];
            Wml::Vector2<float> n(-d.Y(), d.X());
            n.Normalize();
            points.AddPoint(PointSet::Point(v[j], points.GetSurfaceValue(), OUTLINE_SMOOTHING));
            points.AddPoint(PointSet::Point(v[j] + n * length, points.GetOutsideValue(), OUTLINE_SMOOTHING));
            points.AddPoint(PointSet::Point(v[j] - n * length, points.GetInsideValue(), OUTLINE_SMOOTHING));
        }
        if (hole) loop.FlipOrientation();
    }
    return true;
}

void PolyLine::AddCircleConstraint(PointSet& points, const Wml::Vector2<float>& centre, float radius,
                                   float value) const
{
    const double step = 2.0 * 3.14159265358979323846 / 15.0;
    for (int k = 0; k < 15; ++k) {
        const double a = k * step;
        const Wml::Vector2<float> p(centre.X() + float(radius * std::cos(a)),
                                    centre.Y() + float(radius * std::sin(a)));
        points.AddPoint(PointSet::Point(p, value, OUTLINE_SMOOTHING));
    }
}

// ---- field builders ------------------------------------------------------------------

vynimplicit::DiscreteScalarField2D* PolyLine::MakeImplicitFieldVariational(
    SketchField* /*field*/, unsigned int resolution, bool circleConstraint, float offset,
    const Wml::AxisAlignedBox2<float>* box, std::vector<Wml::Polygon2<float>>* loops) const
{
    if (!std::isfinite(offset)) return nullptr;
    PolyLine curve(*this);
    float size, offsetX, offsetY;
    curve.ToUnitSquare(size, offsetX, offsetY, box);
    if (loops) curve.GetLoops(*loops, true);
    curve.Translate(1.0f, 1.0f);

    const float c = FALLOFF_SURFACE_VALUE;
    PointSet points(c, c + offset, c - offset, offset);
    return FitAndSample(curve, points, resolution, circleConstraint);
}

vynimplicit::DiscreteScalarField2D* PolyLine::GetFieldForClosedBSpline(Wml::BSplineCurve2<float>& curve,
                                                                       unsigned int resolution,
                                                                       Wml::AxisAlignedBox2<float>& boxOut)
{
    if (!curve.IsValid()) return nullptr;
    constexpr unsigned SAMPLES = 800;
    PolyLine line;
    for (unsigned i = 0; i < SAMPLES; ++i) {
        line.AddVertex(curve.GetPosition(float(i) * 0.00125f));
        if (i >= 1) line.AddEdge(Edge(i, i - 1));
    }
    line.AddEdge(Edge(SAMPLES - 1, 0));

    float size, offsetX, offsetY;
    line.ToUnitSquare(size, offsetX, offsetY, nullptr);
    const Wml::AxisAlignedBox2<float> box(-1.5f * size, 1.5f * size, -1.5f * size, 1.5f * size);
    line.Translate(1.0f, 1.0f);

    PointSet points(0.45420203f, 0.46420202f, 0.444202f, 0.01f);
    vynimplicit::DiscreteScalarField2D* field = FitAndSample(line, points, resolution, true);
    if (field) boxOut = box;
    return field;
}

vynimplicit::DiscreteScalarField2D* PolyLine::MakeImplicitFieldBruteForce(SketchField* field,
                                                                          unsigned int resolution) const
{
    if (!field || resolution < MIN_FIELD_RESOLUTION || resolution > MAX_FIELD_RESOLUTION) return nullptr;

    PolyLine curve(*this);
    const Wml::AxisAlignedBox2<float> bounds = curve.ComputeBoundingBox();
    float size, offsetX, offsetY;
    curve.ToUnitSquare(size, offsetX, offsetY, nullptr);
    curve.Translate(1.0f, 1.0f);
    // The tree gives the same smallest edge distance as a scan of every edge.
    CurveBVTree tree;
    if (!tree.Create(&curve)) return nullptr;

    std::unique_ptr<vynimplicit::DiscreteScalarField2D> out(new vynimplicit::DiscreteScalarField2D());
    if (!out->Resize(resolution, resolution)) return nullptr;

    const unsigned n = resolution;
    const float h = WORKING_SIZE / float(n - 1);
    const float nearBand = 2.0f * h * h;
    const float xmin = bounds.IsEmpty() ? 0.0f : bounds.Min(0);
    const float ymin = bounds.IsEmpty() ? 0.0f : bounds.Min(1);
    // Signed squared distances first (negative inside); the template can only
    // hold values in [0, 1].
    std::vector<float> signedSqr(size_t(n) * n, 0.0f);
    for (unsigned i = 0; i < n; ++i) {
        const float y = h / 2.0f + h * float(i);
        for (unsigned j = 0; j < n; ++j) {
            const float x = h / 2.0f + h * float(j);
            const float d2 = tree.DistanceSqr(Wml::Vector2<float>(x, y), nullptr, FLT_MAX);
            bool inside;
            if (d2 < nearBand || (i == 0 && j == 0)) {
                const float px = (x - 1.0f - offsetX) * size + xmin;
                const float py = (y - 1.0f - offsetY) * size + ymin;
                inside = field->Value(px, py) > 0.0f;
            } else if (j > 0) {
                inside = !(signedSqr[size_t(i) * n + j - 1] > 0.0f);
            } else {
                inside = !(signedSqr[size_t(i - 1) * n] > 0.0f);
            }
            signedSqr[size_t(i) * n + j] = inside ? -d2 : d2;
        }
    }

    float* data = out->GetData();
    for (size_t k = 0; k < signedSqr.size(); ++k) {
        const float v = signedSqr[k];
        const float d = std::sqrt(std::fabs(v));
        const float g = v > 0.0f ? 0.45f + d : std::max(0.45f - d, 0.0f);
        const float r = 1.0f - g * g;
        const float f = r > 0.0f ? r * r * r : 0.0f;
        data[k] = std::isnan(f) ? 0.0f : f;
    }
    return out.release();
}

// ---- drawing -------------------------------------------------------------------------

void PolyLine::DrawGL() const
{
    std::vector<Wml::Polygon2<float>> loops;
    if (GetLoops(loops, false)) {
        for (const Wml::Polygon2<float>& loop : loops) {
            glBegin(GL_LINE_LOOP);
            for (const Wml::Vector2<float>& v : loop.Vertices()) glVertex2f(v.X(), v.Y());
            glEnd();
        }
        return;
    }
    glBegin(GL_LINES);
    for (const Edge& e : m_edges) {
        if (!HasVertices(e)) continue;
        glVertex2f(m_vertices[e.v1].X(), m_vertices[e.v1].Y());
        glVertex2f(m_vertices[e.v2].X(), m_vertices[e.v2].Y());
    }
    glEnd();
}

}  // namespace vynsketch

#include "implicit/fields2d/PolygonField2D.h"

#include <algorithm>
#include <cmath>

#include "implicit/Falloff.h"
#include "wml/DebugOutput.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynimplicit {

namespace {

constexpr float R0 = FALLOFF_SURFACE_RADIUS;
constexpr int MAX_GRID_SIDE = 1024;

// Finite, with positive extents whose squares (and so every squared distance
// within the box) are finite too.
bool IsFiniteBox(const Wml::AxisAlignedBox2<float>& b)
{
    if (!(std::isfinite(b.Min(0)) && std::isfinite(b.Max(0)) && std::isfinite(b.Min(1)) &&
          std::isfinite(b.Max(1)) && b.Max(0) > b.Min(0) && b.Max(1) > b.Min(1)))
        return false;
    const float ex = b.Extent(0), ey = b.Extent(1);
    return std::isfinite(ex * ex + ey * ey);
}

// Squared distance from (px, py) to the segment a + t d, t in [0, 1].
inline float SegmentSqrDistance(float px, float py, float ax, float ay, float dx, float dy, float invLen2,
                                float& t)
{
    const float rx = px - ax, ry = py - ay;
    t = (rx * dx + ry * dy) * invLen2;
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    const float qx = rx - t * dx, qy = ry - t * dy;
    return qx * qx + qy * qy;
}

// Slack around an edge within which a cell centre may list it: half the
// cell diagonal (the listing test), plus half a cell against rounding.
inline void CellSlack(float cellW, float cellH, float& sx, float& sy)
{
    const float halfDiag = 0.5f * std::sqrt(cellW * cellW + cellH * cellH) * 1.0001f;
    sx = halfDiag + 0.5f * cellW;
    sy = halfDiag + 0.5f * cellH;
}

// Cell index of coordinate v along one axis, clamped to [0, count - 1] in
// float first so that far or NaN input never reaches an int conversion.
inline int CellIndex(float v, float origin, float size, int count)
{
    const float f = (v - origin) / size;
    if (!(f >= 0.0f)) return 0;
    if (f >= float(count - 1)) return count - 1;
    return int(f);
}

}  // namespace

PolygonField2D::PolygonField2D(const Wml::Polygon2<float>& polygon, float bandWidth)
{
    SetPolygon(polygon, bandWidth);
}

bool PolygonField2D::SetPolygon(const Wml::Polygon2<float>& polygon, float bandWidth)
{
    if (std::isnan(bandWidth) || std::isinf(bandWidth)) return false;
    if (polygon.VertexCount() > MAX_VERTICES) {
        DebugOutput("PolygonField2D: an outline of %u vertices is refused (at most %u)\n",
                    polygon.VertexCount(), MAX_VERTICES);
        return false;
    }
    std::vector<Wml::Vector2<float>> v;
    v.reserve(polygon.VertexCount());
    for (const Wml::Vector2<float>& p : polygon.Vertices())
        if (v.empty() || p != v.back()) v.push_back(p);
    while (v.size() > 1 && v.front() == v.back()) v.pop_back();
    if (v.size() < 3) return false;

    Wml::Polygon2<float> clean(v);
    if (clean.VertexCount() < 3 || !(clean.Area() > 0.0f)) return false;
    if (clean.IsClockwise()) clean.FlipOrientation();
    const Wml::AxisAlignedBox2<float> box = clean.GetBoundingBox();
    float band = bandWidth;
    if (!(band > 0.0f)) band = DEFAULT_BAND_FRACTION * std::max(box.Extent(0), box.Extent(1));
    Wml::AxisAlignedBox2<float> grown = box;
    grown.Dilate(band);
    if (!(band > 0.0f) || !IsFiniteBox(grown)) return false;

    m_polygon = clean;
    m_band = band;
    Rebuild();
    return true;
}

bool PolygonField2D::LoadFromFile(const char* path)
{
    Wml::Polygon2<float> polygon;
    if (!polygon.Load(path)) return false;
    return SetPolygon(polygon);
}

bool PolygonField2D::SetBandWidth(float width)
{
    if (!HasPolygon() || !(width > 0.0f) || std::isinf(width)) return false;
    Wml::AxisAlignedBox2<float> grown = m_polygon.GetBoundingBox();
    grown.Dilate(width);
    if (!IsFiniteBox(grown)) return false;
    m_band = width;
    Rebuild();
    return true;
}

void PolygonField2D::SetBounds(const Wml::AxisAlignedBox2<float>& box)
{
    if (!HasPolygon() || !IsFiniteBox(box)) return;
    const Wml::AxisAlignedBox2<float> poly = m_polygon.GetBoundingBox();
    const float fx = m_bounds.Extent(0), fy = m_bounds.Extent(1);
    const float bx = box.Extent(0), by = box.Extent(1);
    // Shrinking the band with the smaller factor keeps room for the outline on
    // both axes: its extent becomes target * (polygon extent / field extent).
    const float band = m_band * std::min(bx / fx, by / fy);
    const float sx = (bx - 2.0f * band) / poly.Extent(0), sy = (by - 2.0f * band) / poly.Extent(1);
    if (!(band > 0.0f) || !(sx > 0.0f) || !(sy > 0.0f) || std::isinf(sx) || std::isinf(sy)) return;
    std::vector<Wml::Vector2<float>> v = m_polygon.Vertices();
    for (Wml::Vector2<float>& p : v) {
        p.X() = box.Min(0) + band + (p.X() - poly.Min(0)) * sx;
        p.Y() = box.Min(1) + band + (p.Y() - poly.Min(1)) * sy;
    }
    Wml::Polygon2<float> moved;
    // Rounding could merge vertices of a squeezed outline; then keep the old one.
    if (!moved.SetVertices(v)) return;
    PolygonField2D candidate;
    if (!candidate.SetPolygon(moved, band)) return;
    *this = std::move(candidate);
}

void PolygonField2D::Rebuild()
{
    BuildEdges();
    m_bounds = m_polygon.GetBoundingBox();
    m_bounds.Dilate(m_band);
    ChooseGrid();
    m_gridWork = 0;
    BuildCellLists();
    BuildRowLists();
    ComputeCellReach();
    ClassifyEmptyCells();
}

void PolygonField2D::BuildEdges()
{
    const std::vector<Wml::Vector2<float>>& v = m_polygon.Vertices();
    const size_t n = v.size();
    m_edges.clear();
    m_edges.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const Wml::Vector2<float>& a = v[i];
        const Wml::Vector2<float>& b = v[(i + 1) % n];
        Edge e;
        e.ax = a.X();
        e.ay = a.Y();
        e.dx = b.X() - a.X();
        e.dy = b.Y() - a.Y();
        const float len2 = e.dx * e.dx + e.dy * e.dy;
        e.invLen2 = len2 > 0.0f ? 1.0f / len2 : 0.0f;
        const float len = std::sqrt(len2);
        // Counter-clockwise outline: the outside is to the right of each edge.
        e.nx = len > 0.0f ? e.dy / len : 0.0f;
        e.ny = len > 0.0f ? -e.dx / len : 0.0f;
        m_edges.push_back(e);
    }
    m_vertexNormals.assign(2 * n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const Edge& prev = m_edges[(i + n - 1) % n];
        const Edge& next = m_edges[i];
        float nx = prev.nx + next.nx, ny = prev.ny + next.ny;
        const float len = std::sqrt(nx * nx + ny * ny);
        // A spike folds back on itself: its two normals cancel.
        if (len > 1e-6f) {
            nx /= len;
            ny /= len;
        } else {
            nx = next.nx;
            ny = next.ny;
        }
        m_vertexNormals[2 * i] = nx;
        m_vertexNormals[2 * i + 1] = ny;
    }
}

void PolygonField2D::ChooseGrid()
{
    // About two cells per edge, no wider than half the band so that a cell with
    // edges usually finds one within the band.
    const size_t n = m_edges.size();
    const float ex = m_bounds.Extent(0), ey = m_bounds.Extent(1);
    float h = std::sqrt(ex * ey / float(2 * n));
    h = std::min(h, 0.5f * m_band);
    int nx = int(std::min<double>(MAX_GRID_SIDE, std::max(1.0, std::ceil(double(ex) / h))));
    int ny = int(std::min<double>(MAX_GRID_SIDE, std::max(1.0, std::ceil(double(ey) / h))));
    // Long edges cross many cells each (a star with thousands of spikes and a
    // thin band would take minutes): coarser cells keep the build bounded.
    while ((nx > 1 || ny > 1) && EstimateGridWork(nx, ny) > double(MAX_GRID_WORK)) {
        nx = std::max(1, nx * 4 / 5);
        ny = std::max(1, ny * 4 / 5);
    }
    m_nx = nx;
    m_ny = ny;
    m_cellW = ex / float(m_nx);
    m_cellH = ey / float(m_ny);
}

double PolygonField2D::EstimateGridWork(int nx, int ny) const
{
    const double cw = double(m_bounds.Extent(0)) / nx, ch = double(m_bounds.Extent(1)) / ny;
    float sx, sy;
    CellSlack(float(cw), float(ch), sx, sy);
    double work = 0.0;
    for (const Edge& e : m_edges) {
        const double ax = std::fabs(double(e.dx)), ay = std::fabs(double(e.dy));
        const double rows = std::min(double(ny), ay / ch + 2.0);
        // Columns per row: the edge's whole width, or what of it lies in the
        // slab of rows a cell centre can see, plus the slack.
        const double slab = ay > 0.0 ? std::min(1.0, 2.0 * sy / ay) : 1.0;
        const double cols = std::min({double(nx), ax / cw + 2.0, (ax * slab + 2.0 * sx) / cw + 3.0});
        work += rows * cols + std::min(double(ny), rows + 2.0);
    }
    return work;
}

void PolygonField2D::CellRange(const Edge& e, int& i0, int& i1, int& j0, int& j1) const
{
    const float x0 = m_bounds.Min(0), y0 = m_bounds.Min(1);
    const float xa = std::min(e.ax, e.ax + e.dx), xb = std::max(e.ax, e.ax + e.dx);
    const float ya = std::min(e.ay, e.ay + e.dy), yb = std::max(e.ay, e.ay + e.dy);
    i0 = CellIndex(xa, x0, m_cellW, m_nx);
    i1 = CellIndex(xb, x0, m_cellW, m_nx);
    j0 = CellIndex(ya, y0, m_cellH, m_ny);
    j1 = CellIndex(yb, y0, m_cellH, m_ny);
}

void PolygonField2D::BuildCellLists()
{
    const size_t n = m_edges.size();
    const float x0 = m_bounds.Min(0), y0 = m_bounds.Min(1);
    const float halfDiag2 = 0.25f * (m_cellW * m_cellW + m_cellH * m_cellH) * 1.0001f;
    float slackX, slackY;
    CellSlack(m_cellW, m_cellH, slackX, slackY);
    // Two passes (count, then fill) give compact per-cell lists.
    const size_t cells = size_t(m_nx) * size_t(m_ny);
    m_cellStart.assign(cells + 1, 0);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<unsigned> fill;
        if (pass == 1) {
            for (size_t c = 0; c < cells; ++c) m_cellStart[c + 1] += m_cellStart[c];
            m_cellEdges.assign(m_cellStart[cells], 0);
            fill.assign(m_cellStart.begin(), m_cellStart.end() - 1);
        }
        for (size_t k = 0; k < n; ++k) {
            const Edge& e = m_edges[k];
            int i0, i1, j0, j1;
            CellRange(e, i0, i1, j0, j1);
            for (int j = j0; j <= j1; ++j) {
                const float cy = y0 + (float(j) + 0.5f) * m_cellH;
                // Only the part of the edge near this row's centre line can be
                // close to one of its cell centres.
                float t0 = 0.0f, t1 = 1.0f;
                if (e.dy != 0.0f) {
                    t0 = (cy - slackY - e.ay) / e.dy;
                    t1 = (cy + slackY - e.ay) / e.dy;
                    if (t0 > t1) std::swap(t0, t1);
                    t0 = std::max(t0, 0.0f);
                    t1 = std::min(t1, 1.0f);
                    if (!(t0 <= t1)) continue;
                } else if (std::fabs(e.ay - cy) > slackY) {
                    continue;
                }
                const float xs = e.ax + t0 * e.dx, xe = e.ax + t1 * e.dx;
                const int ia = std::max(i0, CellIndex(std::min(xs, xe) - slackX, x0, m_cellW, m_nx));
                const int ib = std::min(i1, CellIndex(std::max(xs, xe) + slackX, x0, m_cellW, m_nx));
                for (int i = ia; i <= ib; ++i) {
                    float t;
                    const float cx = x0 + (float(i) + 0.5f) * m_cellW;
                    if (pass == 0) ++m_gridWork;
                    if (SegmentSqrDistance(cx, cy, e.ax, e.ay, e.dx, e.dy, e.invLen2, t) > halfDiag2)
                        continue;
                    const size_t c = size_t(j) * m_nx + i;
                    if (pass == 0)
                        ++m_cellStart[c + 1];
                    else
                        m_cellEdges[fill[c]++] = unsigned(k);
                }
            }
        }
    }
}

void PolygonField2D::BuildRowLists()
{
    const size_t n = m_edges.size();
    m_rowStart.assign(size_t(m_ny) + 1, 0);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<unsigned> fill;
        if (pass == 1) {
            for (int j = 0; j < m_ny; ++j) m_rowStart[j + 1] += m_rowStart[j];
            m_rowEdges.assign(m_rowStart[m_ny], 0);
            fill.assign(m_rowStart.begin(), m_rowStart.end() - 1);
        }
        for (size_t k = 0; k < n; ++k) {
            int i0, i1, j0, j1;
            CellRange(m_edges[k], i0, i1, j0, j1);
            // One row of slack: a crossing on a row boundary must not be missed.
            j0 = std::max(0, j0 - 1);
            j1 = std::min(m_ny - 1, j1 + 1);
            for (int j = j0; j <= j1; ++j) {
                if (pass == 0)
                    ++m_rowStart[j + 1];
                else
                    m_rowEdges[fill[j]++] = unsigned(k);
            }
        }
    }
    m_gridWork += m_rowEdges.size();
}

void PolygonField2D::ComputeCellReach()
{
    // Two chamfer passes give the exact Chebyshev distance on the cell grid.
    const size_t cells = size_t(m_nx) * size_t(m_ny);
    m_cellReach.assign(cells, 0xFFFF);
    for (size_t c = 0; c < cells; ++c)
        if (m_cellStart[c] != m_cellStart[c + 1]) m_cellReach[c] = 0;
    auto relax = [&](int i, int j, int di, int dj) {
        const int a = i + di, b = j + dj;
        if (a < 0 || a >= m_nx || b < 0 || b >= m_ny) return;
        unsigned short& here = m_cellReach[size_t(j) * m_nx + i];
        const unsigned short there = m_cellReach[size_t(b) * m_nx + a];
        if (there != 0xFFFF && there + 1 < here) here = static_cast<unsigned short>(there + 1);
    };
    for (int j = 0; j < m_ny; ++j)
        for (int i = 0; i < m_nx; ++i) {
            relax(i, j, -1, 0);
            relax(i, j, -1, -1);
            relax(i, j, 0, -1);
            relax(i, j, 1, -1);
        }
    for (int j = m_ny - 1; j >= 0; --j)
        for (int i = m_nx - 1; i >= 0; --i) {
            relax(i, j, 1, 0);
            relax(i, j, 1, 1);
            relax(i, j, 0, 1);
            relax(i, j, -1, 1);
        }
}

void PolygonField2D::ClassifyEmptyCells()
{
    // Cells without edges lie wholly inside or outside: classify their centres.
    const float x0 = m_bounds.Min(0), y0 = m_bounds.Min(1);
    m_cellInside.assign(size_t(m_nx) * size_t(m_ny), 0);
    std::vector<float> crossings;
    for (int j = 0; j < m_ny; ++j) {
        const float y = y0 + (float(j) + 0.5f) * m_cellH;
        crossings.clear();
        for (unsigned r = m_rowStart[j]; r < m_rowStart[j + 1]; ++r) {
            const Edge& e = m_edges[m_rowEdges[r]];
            const float by = e.ay + e.dy;
            if ((e.ay > y) != (by > y)) crossings.push_back(e.ax + (y - e.ay) / e.dy * e.dx);
        }
        std::sort(crossings.begin(), crossings.end());
        for (int i = 0; i < m_nx; ++i) {
            const float x = x0 + (float(i) + 0.5f) * m_cellW;
            const size_t right = crossings.end() - std::upper_bound(crossings.begin(), crossings.end(), x);
            m_cellInside[size_t(j) * m_nx + i] = (right & 1) ? 1 : 0;
        }
    }
}

float PolygonField2D::RowCrossingSign(float x, float y, int row) const
{
    unsigned count = 0;
    for (unsigned r = m_rowStart[row]; r < m_rowStart[row + 1]; ++r) {
        const Edge& e = m_edges[m_rowEdges[r]];
        const float by = e.ay + e.dy;
        if ((e.ay > y) != (by > y) && e.ax + (y - e.ay) / e.dy * e.dx > x) ++count;
    }
    return (count & 1) ? -1.0f : 1.0f;
}

float PolygonField2D::SignedDistance(float x, float y, float& gx, float& gy) const
{
    gx = gy = 0.0f;
    if (!HasPolygon()) return m_band;
    const float x0 = m_bounds.Min(0), y0 = m_bounds.Min(1);
    const int ci = CellIndex(x, x0, m_cellW, m_nx);
    const int cj = CellIndex(y, y0, m_cellH, m_ny);
    const float h = std::min(m_cellW, m_cellH);

    const size_t cell = size_t(cj) * m_nx + ci;
    const int first = m_cellReach[cell];
    // Every edge is at least first - 1 whole cells away.
    if (float(first - 1) * h >= m_band) return (m_cellInside[cell] ? -1.0f : 1.0f) * m_band;

    float best2 = m_band * m_band;
    int bestEdge = -1;
    float bestT = 0.0f;
    const int maxRing = std::max(m_nx, m_ny);
    for (int k = first; k <= maxRing; ++k) {
        // Cells of ring k + 1 are at least k cells away from the point.
        const float reach = float(k - 1) * h;
        if (k > 0 && reach > 0.0f && best2 <= reach * reach) break;
        const int jLo = std::max(0, cj - k), jHi = std::min(m_ny - 1, cj + k);
        for (int j = jLo; j <= jHi; ++j) {
            const bool edgeRow = (j == cj - k || j == cj + k);
            const int step = edgeRow ? 1 : 2 * k;
            for (int i = ci - k; i <= ci + k; i += (step > 0 ? step : 1)) {
                if (i < 0 || i >= m_nx) continue;
                const size_t c = size_t(j) * m_nx + i;
                for (unsigned q = m_cellStart[c]; q < m_cellStart[c + 1]; ++q) {
                    const unsigned ei = m_cellEdges[q];
                    const Edge& e = m_edges[ei];
                    float t;
                    const float d2 = SegmentSqrDistance(x, y, e.ax, e.ay, e.dx, e.dy, e.invLen2, t);
                    if (d2 < best2) {
                        best2 = d2;
                        bestEdge = int(ei);
                        bestT = t;
                    }
                }
            }
        }
        if (k > 0 && ci - k < 0 && cj - k < 0 && ci + k >= m_nx && cj + k >= m_ny) break;
    }

    if (bestEdge < 0) {
        const size_t c = size_t(cj) * m_nx + ci;
        float sign;
        if (m_cellStart[c] == m_cellStart[c + 1])
            sign = m_cellInside[c] ? -1.0f : 1.0f;
        else
            sign = RowCrossingSign(x, y, cj);
        return sign * m_band;
    }

    const Edge& e = m_edges[bestEdge];
    const float qx = x - (e.ax + bestT * e.dx), qy = y - (e.ay + bestT * e.dy);
    float nx = e.nx, ny = e.ny;
    // At an end of the edge the closest feature is the vertex: its normal
    // (the mean of its edges' normals) decides the side.
    if (bestT <= 0.0f || bestT >= 1.0f) {
        const size_t vi = bestT <= 0.0f ? size_t(bestEdge) : (size_t(bestEdge) + 1) % m_edges.size();
        nx = m_vertexNormals[2 * vi];
        ny = m_vertexNormals[2 * vi + 1];
    }
    const float sign = (qx * nx + qy * ny) >= 0.0f ? 1.0f : -1.0f;
    const float d = std::sqrt(best2);
    if (d > 0.0f) {
        gx = sign * qx / d;
        gy = sign * qy / d;
    } else {
        gx = nx;
        gy = ny;
    }
    return sign * d;
}

float PolygonField2D::Evaluate(float x, float y) const
{
    float gx, gy;
    return EvaluateWithGradient(x, y, gx, gy);
}

float PolygonField2D::EvaluateWithGradient(float x, float y, float& gx, float& gy) const
{
    gx = gy = 0.0f;
    // Written so that NaN fails the test.
    if (!(HasPolygon() && x >= m_bounds.Min(0) && x <= m_bounds.Max(0) && y >= m_bounds.Min(1) &&
          y <= m_bounds.Max(1)))
        return 0.0f;
    float dx, dy;
    const float s = SignedDistance(x, y, dx, dy);
    const float k = (1.0f - R0) / m_band;
    const float r = R0 + k * s;
    if (r >= 1.0f) return 0.0f;
    if (r <= 0.0f) return 1.0f;
    const float t = 1.0f - r * r;
    const float dv = -6.0f * r * t * t * k;
    gx = dv * dx;
    gy = dv * dy;
    return t * t * t;
}

bool PolygonField2D::Store(Wml::SerializerRecord* record)
{
    if (!record || !HasPolygon() || !ScalarField2D::Store(record)) return false;
    record->SetValue("BandWidth", m_band);
    record->AppendPolygon(m_polygon);
    return true;
}

bool PolygonField2D::Serialize_Old(WmlDeprecated::SerializerRecord* record)
{
    if (!record || !HasPolygon() || !ScalarField2D::Store(&record->Values())) return false;
    record->SetValue("TypeName", GetTypeName());
    record->SetValue("BandWidth", m_band);
    record->SetValue("PolygonVertices", m_polygon.Vertices());
    return true;
}

bool PolygonField2D::Restore(Wml::SerializerRecord* record)
{
    if (!record) return false;
    Wml::Polygon2<float> polygon;
    if (record->HasPolygon()) {
        if (!record->GetPolygon(0, polygon)) return false;
    } else {
        std::vector<Wml::Vector2<float>> v;
        unsigned count = 0;
        if (!record->GetValue("PolygonVertices", v, count)) return false;
        if (count < 3 || count > Wml::Polygon2<float>::MAX_FILE_VERTICES) return false;
        v.resize(count);
        if (!record->GetValue("PolygonVertices", v, count) || !polygon.SetVertices(v)) return false;
    }
    float band = 0.0f;
    if (record->HasKey("BandWidth") && (!record->GetValue("BandWidth", band, 0.0f) || !(band > 0.0f)))
        return false;
    // Built aside so a refused record leaves this field as it was.
    PolygonField2D restored;
    if (!restored.SetPolygon(polygon, band)) return false;
    *this = std::move(restored);
    return true;
}

}  // namespace vynimplicit

#include "implicit/primitives/FastQuadricPointSet.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vynimplicit {

namespace {

constexpr float RADIUS_PER_SPACING = 3.0f;  // automatic sigma / mean spacing
constexpr float BAND_FRACTION = 0.5f;       // band / sigma
constexpr float COVERAGE_FULL = 1.0f;       // weight sum with full coverage
constexpr float COVERAGE_OFFSET = 0.01f;    // smooths the coverage root at W = 0
const float COVERAGE_ROOT_AT_0 = std::sqrt(std::sqrt(COVERAGE_OFFSET));
const float COVERAGE_SCALE =
    1.0f / (std::sqrt(std::sqrt(COVERAGE_FULL + COVERAGE_OFFSET)) - COVERAGE_ROOT_AT_0);
constexpr float MAX_CURVATURE = 2.0f;      // x 1 / sigma
constexpr float RIDGE = 1e-3f;             // regularization, relative to the weight sum
constexpr float MIN_NORMAL_COSINE = 0.3f;  // neighbours' normals used for slopes above this
constexpr float FILL_CELLS_PER_RADIUS = 8.0f;
constexpr size_t MAX_GRID_CELLS = size_t(1) << 21;
constexpr size_t MAX_FILL_CELLS = size_t(1) << 22;
constexpr size_t MAX_SPACING_SAMPLES = 4096;

// Finite and within the coordinate range the grids can cover.
bool Usable(const Wml::Vector3<float>& v)
{
    const float m = FastQuadricPointSet::MAX_COORDINATE;
    return std::fabs(v.X()) <= m && std::fabs(v.Y()) <= m && std::fabs(v.Z()) <= m;
}

// Points sorted into a uniform grid by counting sort.
struct UniformGrid {
    float origin[3] = {0, 0, 0};
    float cell = 1.0f;
    int dims[3] = {1, 1, 1};
    std::vector<std::uint32_t> start;  // per cell, plus one
    std::vector<std::uint32_t> order;  // point indices by cell

    void Build(const std::vector<Wml::Vector3<float>>& points, const Wml::AxisAlignedBox3<float>& box,
               float cellSize, size_t maxCells)
    {
        cell = std::max(cellSize, 1e-30f);
        for (;;) {
            double total = 1.0;
            for (int i = 0; i < 3; ++i) {
                const double n = std::floor((double(box.Max(i)) - box.Min(i)) / cell) + 1.0;
                dims[i] = static_cast<int>(std::min(n, 1e7));
                total *= dims[i];
            }
            if (total <= double(maxCells)) break;
            cell *= 1.26f;
        }
        for (int i = 0; i < 3; ++i) origin[i] = box.Min(i);
        const size_t cells = size_t(dims[0]) * dims[1] * dims[2];
        start.assign(cells + 1, 0);
        std::vector<std::uint32_t> cellOf(points.size());
        for (size_t p = 0; p < points.size(); ++p) {
            cellOf[p] = static_cast<std::uint32_t>(
                Flat(Index(points[p][0], 0), Index(points[p][1], 1), Index(points[p][2], 2)));
            ++start[cellOf[p] + 1];
        }
        for (size_t c = 0; c < cells; ++c) start[c + 1] += start[c];
        order.resize(points.size());
        std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
        for (size_t p = 0; p < points.size(); ++p) order[fill[cellOf[p]]++] = static_cast<std::uint32_t>(p);
    }
    int Index(float v, int axis) const
    {
        const float f = std::floor((v - origin[axis]) / cell);
        return static_cast<int>(std::clamp(f, 0.0f, float(dims[axis] - 1)));
    }
    size_t Flat(int i, int j, int k) const { return (size_t(k) * dims[1] + j) * dims[0] + i; }
};

// T(s) and T'(s): odd C2 saturation to [-1, 1].
inline float Saturate(float s, float& slope)
{
    if (s >= 1.0f) {
        slope = 0.0f;
        return 1.0f;
    }
    if (s <= -1.0f) {
        slope = 0.0f;
        return -1.0f;
    }
    const float s2 = s * s, t = 1.0f - s2;
    slope = 1.875f * t * t;
    return s * (15.0f - s2 * (10.0f - 3.0f * s2)) * 0.125f;
}

// smoothstep5 on [0, 1] and its derivative.
inline float Coverage(float t, float& slope)
{
    if (t >= 1.0f) {
        slope = 0.0f;
        return 1.0f;
    }
    if (t <= 0.0f) {
        slope = 0.0f;
        return 0.0f;
    }
    const float u = 1.0f - t;
    slope = 30.0f * t * t * u * u;
    return t * t * t * (10.0f - t * (15.0f - 6.0f * t));
}

// Cubic B-spline weights and derivatives at fraction t.
inline void BSpline(float t, float w[4], float d[4])
{
    const float u = 1.0f - t, t2 = t * t, t3 = t2 * t;
    w[0] = u * u * u / 6.0f;
    w[1] = (3.0f * t3 - 6.0f * t2 + 4.0f) / 6.0f;
    w[2] = (-3.0f * t3 + 3.0f * t2 + 3.0f * t + 1.0f) / 6.0f;
    w[3] = t3 / 6.0f;
    d[0] = -0.5f * u * u;
    d[1] = 1.5f * t2 - 2.0f * t;
    d[2] = -1.5f * t2 + t + 0.5f;
    d[3] = 0.5f * t2;
}

// Union-find for the seed groups.
int FindRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

// Mean distance from a point to its nearest neighbour, over a subset of the
// points; 0 when no point has a neighbour at a distance.
float MeanNearestSpacing(const std::vector<Wml::Vector3<float>>& points,
                         const Wml::AxisAlignedBox3<float>& box, float maxExtent)
{
    if (points.size() < 2 || !(maxExtent > 0.0f)) return 0.0f;
    UniformGrid grid;
    grid.Build(points, box, maxExtent / std::cbrt(float(points.size())), MAX_GRID_CELLS);
    const size_t stride = std::max<size_t>(1, points.size() / MAX_SPACING_SAMPLES);
    double sum = 0.0;
    size_t count = 0;
    for (size_t i = 0; i < points.size(); i += stride) {
        const Wml::Vector3<float>& p = points[i];
        // Grow the searched cube until the best hit is certainly the nearest.
        float reach = grid.cell, best = 3.0e38f;
        while (best > reach * reach && reach <= 4.0f * maxExtent + grid.cell) {
            int lo[3], hi[3];
            for (int a = 0; a < 3; ++a) {
                lo[a] = grid.Index(p[a] - reach, a);
                hi[a] = grid.Index(p[a] + reach, a);
            }
            for (int k = lo[2]; k <= hi[2]; ++k)
                for (int j = lo[1]; j <= hi[1]; ++j)
                    for (int c = lo[0]; c <= hi[0]; ++c) {
                        const size_t cell = grid.Flat(c, j, k);
                        for (std::uint32_t o = grid.start[cell]; o < grid.start[cell + 1]; ++o) {
                            const float d2 = (points[grid.order[o]] - p).SquaredLength();
                            if (d2 > 0.0f) best = std::min(best, d2);
                        }
                    }
            reach *= 2.0f;
        }
        if (best < 3.0e38f) {
            sum += std::sqrt(double(best));
            ++count;
        }
    }
    return count > 0 ? float(sum / double(count)) : 0.0f;
}

// Clamps the principal curvatures of the height field (a, b, c) to
// +-MAX_CURVATURE, keeping the principal directions.
void ClampCurvatures(double& ka, double& kb, double& kc)
{
    const double mean = 0.5 * (ka + kc), half = 0.5 * (ka - kc);
    const double root = std::sqrt(half * half + kb * kb);
    const double l1 = mean + root, l2 = mean - root;
    if (std::max(std::fabs(l1), std::fabs(l2)) <= MAX_CURVATURE) return;
    const double angle = 0.5 * std::atan2(2.0 * kb, ka - kc);
    const double co = std::cos(angle), si = std::sin(angle);
    const double c1 = std::clamp(l1, -double(MAX_CURVATURE), double(MAX_CURVATURE));
    const double c2 = std::clamp(l2, -double(MAX_CURVATURE), double(MAX_CURVATURE));
    ka = c1 * co * co + c2 * si * si;
    kb = (c1 - c2) * si * co;
    kc = c1 * si * si + c2 * co * co;
}

float VolumeScale(const Wml::Frame3<float>& frame)
{
    Wml::Vector3<float> cols[3];
    for (int c = 0; c < 3; ++c) {
        Wml::Vector3<float> e = Wml::Vector3<float>::ZERO;
        e[c] = 1.0f;
        cols[c] = frame.ToWorldVectorScaled(e);
    }
    return std::cbrt(std::fabs(cols[0].Dot(cols[1].Cross(cols[2]))));
}

}  // namespace

bool FastQuadricPointSet::AddPoint(const Wml::Vector3<float>& point, const Wml::Vector3<float>& normal)
{
    if (!Usable(point) || !std::isfinite(normal.X()) || !std::isfinite(normal.Y()) ||
        !std::isfinite(normal.Z()))
        return false;
    Wml::Vector3<float> n = normal;
    if (n.Normalize() <= 0.0f) return false;
    m_points.push_back(point);
    m_normals.push_back(n);
    Invalidate();
    return true;
}

Wml::Vector3<float> FastQuadricPointSet::GetPoint(unsigned int i) const
{
    return i < m_points.size() ? m_points[i] : Wml::Vector3<float>::ZERO;
}

Wml::Vector3<float> FastQuadricPointSet::GetNormal(unsigned int i) const
{
    return i < m_normals.size() ? m_normals[i] : Wml::Vector3<float>::ZERO;
}

void FastQuadricPointSet::Clear()
{
    m_points.clear();
    m_normals.clear();
    Invalidate();
}

float FastQuadricPointSet::GetRadius() const
{
    if (!m_autoRadius) return m_fixedRadius;
    EnsureBuilt();
    return m_sigma;
}

bool FastQuadricPointSet::SetRadius(float radius)
{
    if (std::isnan(radius)) return false;
    m_fixedRadius = std::clamp(radius, MIN_RADIUS, MAX_RADIUS);
    m_autoRadius = false;
    Invalidate();
    return true;
}

void FastQuadricPointSet::SetRadiusAutomatic()
{
    m_autoRadius = true;
    Invalidate();
}

bool FastQuadricPointSet::ApplyFrame(const Wml::Frame3<float>& frame)
{
    if (!frame.IsValid()) return false;
    std::vector<Wml::Vector3<float>> points(m_points.size());
    for (size_t i = 0; i < m_points.size(); ++i) {
        points[i] = frame.ToWorldPoint(m_points[i]);
        if (!Usable(points[i])) return false;
    }
    m_points.swap(points);
    for (auto& n : m_normals) {
        const Wml::Vector3<float> moved = frame.ToWorldNormal(n);
        if (moved != Wml::Vector3<float>::ZERO) n = moved;
    }
    if (!m_autoRadius) m_fixedRadius = std::clamp(m_fixedRadius * VolumeScale(frame), MIN_RADIUS, MAX_RADIUS);
    Invalidate();
    return true;
}

bool FastQuadricPointSet::ApplyFrameInverse(const Wml::Frame3<float>& frame)
{
    if (!frame.IsValid()) return false;
    const Wml::Vector3<float> axes[3] = {frame.GetAxis(0), frame.GetAxis(1), frame.GetAxis(2)};
    const Wml::Vector3<float>& s = frame.Scale();
    std::vector<Wml::Vector3<float>> points(m_points.size());
    for (size_t i = 0; i < m_points.size(); ++i) {
        points[i] = frame.ToLocalPoint(m_points[i]);
        if (!Usable(points[i])) return false;
    }
    m_points.swap(points);
    for (size_t i = 0; i < m_points.size(); ++i) {
        // ApplyFrame maps normals by A^-T with A = R^T S the local -> world
        // map, so the way back is A^T = S R: component i is s_i (axis_i . n).
        const Wml::Vector3<float>& n = m_normals[i];
        Wml::Vector3<float> back(s[0] * axes[0].Dot(n), s[1] * axes[1].Dot(n), s[2] * axes[2].Dot(n));
        if (back.Normalize() > 0.0f) m_normals[i] = back;
    }
    if (!m_autoRadius) m_fixedRadius = std::clamp(m_fixedRadius / VolumeScale(frame), MIN_RADIUS, MAX_RADIUS);
    Invalidate();
    return true;
}

bool FastQuadricPointSet::SetFrame(const Wml::Frame3<float>& frame)
{
    if (!frame.IsValid() || !ApplyFrameInverse(m_frame)) return false;
    if (!ApplyFrame(frame)) {
        ApplyFrame(m_frame);  // put the points back where they were
        return false;
    }
    m_frame = frame;
    return true;
}

void FastQuadricPointSet::EnsureBuilt() const
{
    m_built.Ensure([this] { Build(); });
}

void FastQuadricPointSet::Build() const
{
    m_samples.clear();
    m_cellStart.clear();
    m_inside.clear();
    m_stencil.clear();
    m_seeds.clear();
    m_fillDims[0] = m_fillDims[1] = m_fillDims[2] = 0;
    m_bounds = Wml::AxisAlignedBox3<float>();
    if (m_points.empty()) {
        m_sigma = m_autoRadius ? 1.0f : m_fixedRadius;
        return;
    }

    Wml::AxisAlignedBox3<float> box;
    for (const auto& p : m_points) box.Merge(p);
    const float maxExtent = std::max({box.Extent(0), box.Extent(1), box.Extent(2)});

    if (m_autoRadius) {
        const float spacing = MeanNearestSpacing(m_points, box, maxExtent);
        if (spacing > 0.0f)
            m_sigma = RADIUS_PER_SPACING * spacing;
        else
            m_sigma = maxExtent > 0.0f ? 0.25f * maxExtent : 1.0f;
        m_sigma = std::clamp(m_sigma, MIN_RADIUS, MAX_RADIUS);
    } else {
        m_sigma = m_fixedRadius;
    }

    SortSamples(box);
    m_bounds = box;
    m_bounds.Dilate(m_sigma);
    FitQuadrics();
    BuildInterior();
}

void FastQuadricPointSet::SortSamples(const Wml::AxisAlignedBox3<float>& box) const
{
    // Samples sorted by cell of a grid with cells of size sigma, so that a
    // query visits at most 3 x 3 x 3 contiguous runs.
    UniformGrid grid;
    grid.Build(m_points, box, m_sigma, MAX_GRID_CELLS);
    for (int a = 0; a < 3; ++a) {
        m_gridOrigin[a] = grid.origin[a];
        m_gridDims[a] = grid.dims[a];
    }
    m_gridCell = grid.cell;
    m_cellStart = grid.start;
    m_samples.resize(m_points.size());
    for (size_t o = 0; o < grid.order.size(); ++o) {
        Sample& s = m_samples[o];
        const Wml::Vector3<float>& p = m_points[grid.order[o]];
        const Wml::Vector3<float>& n = m_normals[grid.order[o]];
        Wml::Vector3<float> t1, t2;
        Wml::Vector3<float>::GenerateOrthonormalBasis(t1, t2, n);
        for (int a = 0; a < 3; ++a) {
            s.p[a] = p[a];
            s.n[a] = n[a];
            s.t1[a] = t1[a];
            s.t2[a] = t2[a];
        }
        s.a = s.b = s.c = 0.0f;
    }
}

// Normal equations of the weighted least squares in kappa = sigma * (a, b, c),
// in dimensionless local coordinates.
struct FastQuadricPointSet::QuadricSystem {
    double m[6] = {0, 0, 0, 0, 0, 0};  // m00 m01 m02 m11 m12 m22
    double r[3] = {0, 0, 0};
    double weightSum = 0.0;

    void AddRow(double w, double c0, double c1, double c2, double target)
    {
        m[0] += w * c0 * c0;
        m[1] += w * c0 * c1;
        m[2] += w * c0 * c2;
        m[3] += w * c1 * c1;
        m[4] += w * c1 * c2;
        m[5] += w * c2 * c2;
        r[0] += w * c0 * target;
        r[1] += w * c1 * target;
        r[2] += w * c2 * target;
    }

    // Ridge-regularised symmetric 3x3 solve by cofactors; false when the
    // system is singular or the result not finite.
    bool Solve(double& ka, double& kb, double& kc)
    {
        const double ridge = RIDGE * weightSum + 1e-12;
        m[0] += ridge;
        m[3] += ridge;
        m[5] += ridge;
        const double c00 = m[3] * m[5] - m[4] * m[4];
        const double c01 = m[2] * m[4] - m[1] * m[5];
        const double c02 = m[1] * m[4] - m[2] * m[3];
        const double c11 = m[0] * m[5] - m[2] * m[2];
        const double c12 = m[1] * m[2] - m[0] * m[4];
        const double c22 = m[0] * m[3] - m[1] * m[1];
        const double det = m[0] * c00 + m[1] * c01 + m[2] * c02;
        if (!(std::fabs(det) > 1e-300)) return false;
        ka = (c00 * r[0] + c01 * r[1] + c02 * r[2]) / det;
        kb = (c01 * r[0] + c11 * r[1] + c12 * r[2]) / det;
        kc = (c02 * r[0] + c12 * r[1] + c22 * r[2]) / det;
        return std::isfinite(ka) && std::isfinite(kb) && std::isfinite(kc);
    }
};

void FastQuadricPointSet::FitQuadrics() const
{
    const float inv = 1.0f / m_sigma;
    const int count = static_cast<int>(m_samples.size());
    std::vector<int> parent(count);
    std::iota(parent.begin(), parent.end(), 0);

    for (int i = 0; i < count; ++i) {
        QuadricSystem system;
        AccumulateNeighbours(i, system, parent);
        if (system.weightSum <= 0.0) continue;  // a lone point keeps its plane
        double ka, kb, kc;
        if (!system.Solve(ka, kb, kc)) continue;
        ClampCurvatures(ka, kb, kc);
        Sample& s = m_samples[i];
        s.a = float(ka * inv);
        s.b = float(kb * inv);
        s.c = float(kc * inv);
    }

    for (int i = 0; i < count; ++i)
        if (FindRoot(parent, i) == i)
            m_seeds.push_back(Wml::Vector3<float>(m_samples[i].p[0], m_samples[i].p[1], m_samples[i].p[2]));
}

void FastQuadricPointSet::AccumulateNeighbours(int i, QuadricSystem& system, std::vector<int>& parent) const
{
    const float sigma = m_sigma, inv = 1.0f / sigma, inv2 = inv * inv;
    auto cellIndex = [&](float v, int axis) {
        const float f = std::floor((v - m_gridOrigin[axis]) / m_gridCell);
        return static_cast<int>(std::clamp(f, 0.0f, float(m_gridDims[axis] - 1)));
    };
    const Sample& s = m_samples[i];
    int lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = cellIndex(s.p[a] - sigma, a);
        hi[a] = cellIndex(s.p[a] + sigma, a);
    }
    for (int k = lo[2]; k <= hi[2]; ++k)
        for (int j = lo[1]; j <= hi[1]; ++j)
            for (int c = lo[0]; c <= hi[0]; ++c) {
                const size_t cell = (size_t(k) * m_gridDims[1] + j) * m_gridDims[0] + c;
                for (std::uint32_t o = m_cellStart[cell]; o < m_cellStart[cell + 1]; ++o) {
                    if (int(o) == i) continue;
                    const Sample& t = m_samples[o];
                    const float d[3] = {t.p[0] - s.p[0], t.p[1] - s.p[1], t.p[2] - s.p[2]};
                    const float r2 = (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) * inv2;
                    if (r2 >= 1.0f) continue;
                    // Neighbours on the surface share a seed group.
                    if (int(o) > i) {
                        const int ri = FindRoot(parent, i), ro = FindRoot(parent, int(o));
                        if (ri != ro) parent[std::max(ri, ro)] = std::min(ri, ro);
                    }
                    const float w1 = 1.0f - r2, w = w1 * w1 * w1;
                    const double u = (d[0] * s.t1[0] + d[1] * s.t1[1] + d[2] * s.t1[2]) * inv;
                    const double v = (d[0] * s.t2[0] + d[1] * s.t2[1] + d[2] * s.t2[2]) * inv;
                    const double h = (d[0] * s.n[0] + d[1] * s.n[1] + d[2] * s.n[2]) * inv;
                    system.AddRow(w, 0.5 * u * u, u * v, 0.5 * v * v, h);
                    system.weightSum += w;
                    // Slopes of the height field from the neighbour's normal.
                    const double nn = t.n[0] * s.n[0] + t.n[1] * s.n[1] + t.n[2] * s.n[2];
                    if (nn > MIN_NORMAL_COSINE) {
                        const double nu = t.n[0] * s.t1[0] + t.n[1] * s.t1[1] + t.n[2] * s.t1[2];
                        const double nv = t.n[0] * s.t2[0] + t.n[1] * s.t2[1] + t.n[2] * s.t2[2];
                        system.AddRow(w, u, v, 0.0, -nu / nn);
                        system.AddRow(w, 0.0, u, v, -nv / nn);
                    }
                }
            }
}

void FastQuadricPointSet::BuildInterior() const
{
    const float sigma = m_sigma;
    float cell = sigma / FILL_CELLS_PER_RADIUS;
    int dims[3];
    float origin[3];
    for (;;) {
        // Margin: the near band plus room for the outside to flow around it.
        const float margin = sigma + 3.0f * cell;
        double total = 1.0;
        for (int a = 0; a < 3; ++a) {
            origin[a] = m_bounds.Min(a) + sigma - margin;
            const double n = std::ceil((double(m_bounds.Extent(a)) - 2.0 * sigma + 2.0 * margin) / cell);
            dims[a] = static_cast<int>(std::clamp(n, 4.0, 1e7));
            total *= dims[a];
        }
        if (total <= double(MAX_FILL_CELLS)) break;
        cell *= 1.1f;
    }
    const size_t cells = size_t(dims[0]) * dims[1] * dims[2];
    auto flat = [&](int i, int j, int k) { return (size_t(k) * dims[1] + j) * dims[0] + i; };

    // Cells near a point: within near of it (the B-spline reaches 2 cells
    // further, so the interior field vanishes within about 0.2 sigma).
    const float nearRadius = std::max(0.45f * sigma, 0.2f * sigma + 2.0f * cell);
    const float near2 = nearRadius * nearRadius;
    enum : std::uint8_t { UNKNOWN = 0, NEAR = 1, OUTSIDE = 2 };
    std::vector<std::uint8_t> state(cells, UNKNOWN);
    for (const Sample& s : m_samples) {
        int lo[3], hi[3];
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::max(0, int(std::floor((s.p[a] - nearRadius - origin[a]) / cell - 0.5f)));
            hi[a] = std::min(dims[a] - 1, int(std::ceil((s.p[a] + nearRadius - origin[a]) / cell - 0.5f)));
        }
        for (int k = lo[2]; k <= hi[2]; ++k) {
            const float dz = origin[2] + (k + 0.5f) * cell - s.p[2];
            for (int j = lo[1]; j <= hi[1]; ++j) {
                const float dy = origin[1] + (j + 0.5f) * cell - s.p[1];
                for (int i = lo[0]; i <= hi[0]; ++i) {
                    const float dx = origin[0] + (i + 0.5f) * cell - s.p[0];
                    if (dx * dx + dy * dy + dz * dz <= near2) state[flat(i, j, k)] = NEAR;
                }
            }
        }
    }

    // Flood the outside from the border.
    std::vector<std::uint32_t> queue;
    auto push = [&](int i, int j, int k) {
        const size_t c = flat(i, j, k);
        if (state[c] != UNKNOWN) return;
        state[c] = OUTSIDE;
        queue.push_back(static_cast<std::uint32_t>(c));
    };
    for (int k = 0; k < dims[2]; ++k)
        for (int j = 0; j < dims[1]; ++j)
            for (int i = 0; i < dims[0]; ++i)
                if (i == 0 || j == 0 || k == 0 || i == dims[0] - 1 || j == dims[1] - 1 || k == dims[2] - 1)
                    push(i, j, k);
    for (size_t head = 0; head < queue.size(); ++head) {
        const size_t c = queue[head];
        const int i = int(c % dims[0]), j = int((c / dims[0]) % dims[1]),
                  k = int(c / (size_t(dims[0]) * dims[1]));
        if (i > 0) push(i - 1, j, k);
        if (i + 1 < dims[0]) push(i + 1, j, k);
        if (j > 0) push(i, j - 1, k);
        if (j + 1 < dims[1]) push(i, j + 1, k);
        if (k > 0) push(i, j, k - 1);
        if (k + 1 < dims[2]) push(i, j, k + 1);
    }

    std::vector<std::uint8_t> inside(cells, 0);
    size_t insideCount = 0;
    for (size_t c = 0; c < cells; ++c)
        if (state[c] == UNKNOWN) {
            inside[c] = 1;
            ++insideCount;
        }
    if (insideCount == 0) return;  // open or leaky: no interior

    // For each cell, whether none, some or all of the 4 x 4 x 4 cells starting
    // there are inside, by separable window passes (any = max, all = min).
    std::vector<std::uint8_t> any = inside, all = inside, tmpAny(cells), tmpAll(cells);
    const size_t strides[3] = {1, size_t(dims[0]), size_t(dims[0]) * dims[1]};
    for (int a = 0; a < 3; ++a) {
        for (int k = 0; k < dims[2]; ++k)
            for (int j = 0; j < dims[1]; ++j)
                for (int i = 0; i < dims[0]; ++i) {
                    const int idx[3] = {i, j, k};
                    const size_t c = flat(i, j, k);
                    std::uint8_t vAny = 0, vAll = 1;
                    for (int d = 0; d < 4; ++d) {
                        if (idx[a] + d >= dims[a]) {
                            vAll = 0;
                            break;
                        }
                        vAny |= any[c + d * strides[a]];
                        vAll &= all[c + d * strides[a]];
                    }
                    tmpAny[c] = vAny;
                    tmpAll[c] = vAll;
                }
        any.swap(tmpAny);
        all.swap(tmpAll);
    }
    m_stencil.assign(cells, 0);
    for (size_t c = 0; c < cells; ++c) m_stencil[c] = all[c] ? 2 : (any[c] ? 1 : 0);
    m_inside.swap(inside);
    m_fillCell = cell;
    for (int a = 0; a < 3; ++a) {
        m_fillOrigin[a] = origin[a];
        m_fillDims[a] = dims[a];
    }
}

template <bool WithGradient>
float FastQuadricPointSet::Interior(const float x[3], float g[3]) const
{
    if (m_fillDims[0] == 0) return 0.0f;
    float t[3];
    int base[3];
    for (int a = 0; a < 3; ++a) {
        // Cell centres sit at integer grid coordinates.
        const float gc = (x[a] - m_fillOrigin[a]) / m_fillCell - 0.5f;
        const float f = std::floor(gc);
        if (!(f >= 1.0f && f + 2.0f < float(m_fillDims[a]))) return 0.0f;
        base[a] = int(f) - 1;
        t[a] = gc - f;
    }
    const size_t sx = 1, sy = size_t(m_fillDims[0]), sz = sy * size_t(m_fillDims[1]);
    const size_t first = base[2] * sz + base[1] * sy + base[0] * sx;
    const std::uint8_t state = m_stencil[first];
    if (state == 0) return 0.0f;
    if (state == 2) return 1.0f;
    float wx[4], wy[4], wz[4], dx[4], dy[4], dz[4];
    BSpline(t[0], wx, dx);
    BSpline(t[1], wy, dy);
    BSpline(t[2], wz, dz);
    float value = 0.0f, gx = 0.0f, gy = 0.0f, gz = 0.0f;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j) {
            const std::uint8_t* row = &m_inside[first + k * sz + j * sy];
            float sum = 0.0f, dsum = 0.0f;
            for (int i = 0; i < 4; ++i)
                if (row[i]) {
                    sum += wx[i];
                    if (WithGradient) dsum += dx[i];
                }
            value += sum * wy[j] * wz[k];
            if (WithGradient) {
                gx += dsum * wy[j] * wz[k];
                gy += sum * dy[j] * wz[k];
                gz += sum * wy[j] * dz[k];
            }
        }
    if (WithGradient) {
        const float inv = 1.0f / m_fillCell;
        g[0] = gx * inv;
        g[1] = gy * inv;
        g[2] = gz * inv;
    }
    return std::clamp(value, 0.0f, 1.0f);
}

template <bool WithGradient>
float FastQuadricPointSet::Evaluate(float x, float y, float z, float g[3]) const
{
    EnsureBuilt();
    if (WithGradient) g[0] = g[1] = g[2] = 0.0f;
    const float q[3] = {x, y, z};
    if (m_samples.empty() || !m_bounds.Contains(Wml::Vector3<float>(x, y, z))) return 0.0f;

    const float sigma = m_sigma, inv2 = 1.0f / (sigma * sigma);
    int lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        const float fl = std::floor((q[a] - sigma - m_gridOrigin[a]) / m_gridCell);
        const float fh = std::floor((q[a] + sigma - m_gridOrigin[a]) / m_gridCell);
        lo[a] = int(std::clamp(fl, 0.0f, float(m_gridDims[a] - 1)));
        hi[a] = int(std::clamp(fh, 0.0f, float(m_gridDims[a] - 1)));
    }
    float W = 0.0f, D = 0.0f;
    float gW[3] = {0, 0, 0}, gD[3] = {0, 0, 0};
    for (int k = lo[2]; k <= hi[2]; ++k)
        for (int j = lo[1]; j <= hi[1]; ++j) {
            const size_t rowCell = (size_t(k) * m_gridDims[1] + j) * m_gridDims[0];
            // Cells lo[0]..hi[0] of a row are contiguous in the sorted samples.
            const std::uint32_t begin = m_cellStart[rowCell + lo[0]], end = m_cellStart[rowCell + hi[0] + 1];
            for (std::uint32_t o = begin; o < end; ++o) {
                const Sample& s = m_samples[o];
                const float d0 = q[0] - s.p[0], d1 = q[1] - s.p[1], d2 = q[2] - s.p[2];
                const float r2 = (d0 * d0 + d1 * d1 + d2 * d2) * inv2;
                if (r2 >= 1.0f) continue;
                const float w1 = 1.0f - r2, phi = w1 * w1 * w1;
                const float u = d0 * s.t1[0] + d1 * s.t1[1] + d2 * s.t1[2];
                const float v = d0 * s.t2[0] + d1 * s.t2[1] + d2 * s.t2[2];
                const float h = d0 * s.n[0] + d1 * s.n[1] + d2 * s.n[2];
                const float su = s.a * u + s.b * v, sv = s.b * u + s.c * v;
                const float di = h - 0.5f * (su * u + sv * v);
                W += phi;
                D += phi * di;
                if (WithGradient) {
                    const float dphi = -6.0f * w1 * w1 * inv2;
                    const float gd[3] = {s.n[0] - su * s.t1[0] - sv * s.t2[0],
                                         s.n[1] - su * s.t1[1] - sv * s.t2[1],
                                         s.n[2] - su * s.t1[2] - sv * s.t2[2]};
                    const float dd[3] = {d0, d1, d2};
                    for (int a = 0; a < 3; ++a) {
                        const float gp = dphi * dd[a];
                        gW[a] += gp;
                        gD[a] += gp * di + phi * gd[a];
                    }
                }
            }
        }

    float value = 0.0f, gv[3] = {0, 0, 0};
    if (W > 1e-12f) {
        const float d = D / W;
        const float band = BAND_FRACTION * sigma;
        float tSlope, cSlope;
        const float core = 0.5f - 0.5f * Saturate(d / band, tSlope);
        // The fourth root makes the coverage fade evenly in space: the weight
        // sum of a sheet of points falls like (1 - depth^2 / sigma^2)^4.
        // The offset keeps the root smooth where W vanishes.
        const float root = std::sqrt(std::sqrt(W + COVERAGE_OFFSET));
        const float t = (root - COVERAGE_ROOT_AT_0) * COVERAGE_SCALE;
        const float cover = Coverage(t, cSlope);
        value = cover * core;
        if (WithGradient) {
            const float invW = 1.0f / W, coreSlope = -0.5f * tSlope / band;
            const float coverPerW = cSlope * COVERAGE_SCALE * 0.25f * root / (W + COVERAGE_OFFSET);
            for (int a = 0; a < 3; ++a) {
                const float gd = (gD[a] - d * gW[a]) * invW;
                gv[a] = coverPerW * gW[a] * core + cover * coreSlope * gd;
            }
        }
    }

    float gi[3] = {0, 0, 0};
    const float inside = Interior<WithGradient>(q, gi);
    if (inside > 0.0f) {
        // Probabilistic union of the surface field and the filled interior.
        const float result = 1.0f - (1.0f - value) * (1.0f - inside);
        if (WithGradient)
            for (int a = 0; a < 3; ++a) g[a] = (1.0f - inside) * gv[a] + (1.0f - value) * gi[a];
        return std::clamp(result, 0.0f, 1.0f);
    }
    if (WithGradient)
        for (int a = 0; a < 3; ++a) g[a] = gv[a];
    return std::clamp(value, 0.0f, 1.0f);
}

float FastQuadricPointSet::Value(float x, float y, float z)
{
    return Evaluate<false>(x, y, z, nullptr);
}

void FastQuadricPointSet::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    float g[3];
    const float v = Evaluate<true>(x, y, z, g);
    gx = g[0];
    gy = g[1];
    gz = g[2];
    if (value) *value = v;
}

void FastQuadricPointSet::Color(float, float, float, float& r, float& g, float& b)
{
    r = 0.70f;
    g = 0.68f;
    b = 0.64f;
}

void FastQuadricPointSet::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    EnsureBuilt();
    box = m_bounds;
}

void FastQuadricPointSet::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    EnsureBuilt();
    points.insert(points.end(), m_seeds.begin(), m_seeds.end());
}

}  // namespace vynimplicit

#include "implicit/fields2d/DiscreteFieldGenerator2D.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "wml/DebugOutput.h"
#include "wml/IntelThinPlateSpline2d.h"

namespace vynimplicit {

namespace {

using Box2 = Wml::AxisAlignedBox2<float>;

struct Segment {
    float x0, y0, dx, dy, invLen2;
};

inline float SegmentSqrDistance(const Segment& s, float px, float py)
{
    const float ax = px - s.x0, ay = py - s.y0;
    float t = (ax * s.dx + ay * s.dy) * s.invLen2;
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    const float ex = ax - t * s.dx, ey = ay - t * s.dy;
    return ex * ex + ey * ey;
}

bool ValidBox(const Box2& b)
{
    return !b.IsEmpty() && std::isfinite(b.Min(0)) && std::isfinite(b.Min(1)) && std::isfinite(b.Max(0)) &&
           std::isfinite(b.Max(1)) && b.Extent(0) > 0.0f && b.Extent(1) > 0.0f;
}

Box2 LoopsBox(const std::vector<Wml::Polygon2<float>>& loops)
{
    Box2 box;
    for (const auto& loop : loops) box.Merge(loop.GetBoundingBox());
    return box;
}

double Perimeter(const Wml::Polygon2<float>& loop)
{
    double sum = 0.0;
    const unsigned n = loop.VertexCount();
    for (unsigned k = 0; k < n; ++k) sum += (loop.Vertex((k + 1) % n) - loop.Vertex(k)).Length();
    return sum;
}

Wml::Polygon2<float> Subdivide(const Wml::Polygon2<float>& loop, float spacing)
{
    std::vector<Wml::Vector2<float>> out;
    const unsigned n = loop.VertexCount();
    for (unsigned k = 0; k < n; ++k) {
        const Wml::Vector2<float> a = loop.Vertex(k), b = loop.Vertex((k + 1) % n);
        const float len = (b - a).Length();
        const int pieces = std::min(1000, std::max(1, int(std::ceil(len / spacing))));
        for (int i = 0; i < pieces; ++i) out.push_back(a + (float(i) / float(pieces)) * (b - a));
    }
    return Wml::Polygon2<float>(out);
}

// 1 - 0.5^(1/3): the blobby dome's r^2 where the profile is 1.
constexpr float DOME_A = 0.20629947f;

}  // namespace

DiscreteFieldGenerator2D::DiscreteFieldGenerator2D(const Wml::LinearComplex2<float>& outline)
{
    std::vector<Wml::Polygon2<float>> loops;
    outline.GetLoops(loops);
    for (auto& loop : loops) {
        loop.Simplify(false);
        // Loops without area cannot bound anything.
        if (loop.VertexCount() >= 3 && loop.Area() > 0.0f) m_loops.push_back(std::move(loop));
    }
    m_box = LoopsBox(m_loops);
}

bool DiscreteFieldGenerator2D::ToCanonical(const Box2& box, std::vector<Wml::Polygon2<float>>& loops,
                                           float& scale, float& offsetX, float& offsetY) const
{
    if (box.IsEmpty()) return false;
    const float w = box.Extent(0), h = box.Extent(1);
    if (!(std::max(w, h) > 0.0f) || !std::isfinite(w) || !std::isfinite(h)) return false;
    if (h < w) {
        scale = 1.0f / w;
        offsetX = 0.0f;
        offsetY = (1.0f - h * scale) * 0.5f;
    } else {
        scale = 1.0f / h;
        offsetX = (1.0f - w * scale) * 0.5f;
        offsetY = 0.0f;
    }
    if (!std::isfinite(scale)) return false;
    loops.clear();
    loops.reserve(m_loops.size());
    for (const auto& loop : m_loops) {
        std::vector<Wml::Vector2<float>> v;
        v.reserve(loop.VertexCount());
        for (const auto& p : loop.Vertices())
            v.emplace_back((p.X() - box.Min(0)) * scale + offsetX + 1.0f,
                           (p.Y() - box.Min(1)) * scale + offsetY + 1.0f);
        loops.emplace_back(v);
    }
    return true;
}

bool DiscreteFieldGenerator2D::Place(DynDiscreteScalarField2D& field, const Box2& box, float scale,
                                     float offsetX, float offsetY) const
{
    if (m_hasPlacement) {
        field.SetBoundsCropScalingFactors(m_cropX, m_cropY);
        return field.SetFieldBounds(m_placement);
    }
    // The window mapped back into the outline's coordinates.
    const Box2 w = field.GetWindow();
    const float inv = 1.0f / scale;
    const Box2 placed(
        (w.Min(0) - 1.0f - offsetX) * inv + box.Min(0), (w.Max(0) - 1.0f - offsetX) * inv + box.Min(0),
        (w.Min(1) - 1.0f - offsetY) * inv + box.Min(1), (w.Max(1) - 1.0f - offsetY) * inv + box.Min(1));
    return field.SetFieldBounds(placed);
}

bool DiscreteFieldGenerator2D::SetBoundsCropScalingFactors(float sx, float sy)
{
    if (!(std::isfinite(sx) && std::isfinite(sy) && sx > 0.0f && sy > 0.0f)) return false;
    m_cropX = sx;
    m_cropY = sy;
    return true;
}

bool DiscreteFieldGenerator2D::SetFieldBounds(const Box2& box)
{
    if (!ValidBox(box)) return false;
    m_placement = box;
    m_hasPlacement = true;
    return true;
}

DynDiscreteScalarField2D* DiscreteFieldGenerator2D::MakeField(unsigned resolution, Box2& boxOut, float param)
{
    if (m_loops.empty()) {
        DebugOutput("fieldgen.MakeField: the outline has no closed loop\n");
        return nullptr;
    }
    if (resolution < 2 || resolution > DynDiscreteScalarField2D::MAX_RESOLUTION) {
        DebugOutput("fieldgen.MakeField: resolution %u refused\n", resolution);
        return nullptr;
    }
    std::vector<Wml::Polygon2<float>> canonical;
    float scale = 0, offX = 0, offY = 0;
    if (!ToCanonical(m_box, canonical, scale, offX, offY)) {
        DebugOutput("fieldgen.MakeField: degenerate outline\n");
        return nullptr;
    }
    DebugOutput("fieldgen.PolyBounds box is %f,%f - %f,%f\n", m_box.Min(0), m_box.Min(1), m_box.Max(0),
                m_box.Max(1));
    auto field = std::make_unique<DynDiscreteScalarField2D>();
    const Box2 window(1.5f - 0.85f, 1.5f + 0.85f, 1.5f - 0.85f, 1.5f + 0.85f);
    if (!field->Generate(DynDiscreteScalarField2D::Recipe::HeightField, canonical, resolution, resolution,
                         window, param, false) ||
        !Place(*field, m_box, scale, offX, offY)) {
        DebugOutput("fieldgen.MakeField: the outline encloses nothing\n");
        return nullptr;
    }
    boxOut = m_box;
    return field.release();
}

DynDiscreteScalarField2D* DiscreteFieldGenerator2D::MakeDynFieldVariational(unsigned resolution,
                                                                            bool circleConstraint,
                                                                            float offset, Box2* box)
{
    if (m_loops.empty()) {
        DebugOutput("fieldgen.MakeDynFieldVariational: the outline has no closed loop\n");
        return nullptr;
    }
    if (resolution < 2 || resolution > DynDiscreteScalarField2D::MAX_RESOLUTION) {
        DebugOutput("fieldgen.MakeDynFieldVariational: resolution %u refused\n", resolution);
        return nullptr;
    }
    const Box2 mapBox = (box && ValidBox(*box)) ? *box : m_box;
    std::vector<Wml::Polygon2<float>> canonical;
    float scale = 0, offX = 0, offY = 0;
    if (!ToCanonical(mapBox, canonical, scale, offX, offY)) {
        DebugOutput("fieldgen.MakeDynFieldVariational: degenerate outline\n");
        return nullptr;
    }
    auto field = std::make_unique<DynDiscreteScalarField2D>();
    if (!field->Generate(DynDiscreteScalarField2D::Recipe::Variational, canonical, resolution, resolution,
                         Box2(0.0f, 3.0f, 0.0f, 3.0f), offset, circleConstraint) ||
        !Place(*field, mapBox, scale, offX, offY)) {
        DebugOutput("fieldgen.MakeDynFieldVariational: the fit failed\n");
        return nullptr;
    }
    return field.release();
}

bool DiscreteFieldGenerator2D::ClampBoundsToZeroContour(DiscreteScalarField2D* field)
{
    if (!field || !field->IsReady()) return false;
    if (auto* dyn = dynamic_cast<DynDiscreteScalarField2D*>(field))
        return dyn->ClampBoundsToZeroContour(2.0f);

    const unsigned w = field->GetWidth(), h = field->GetHeight();
    const float* data = field->GetData();
    unsigned i0 = w, i1 = 0, j0 = h, j1 = 0;
    for (unsigned j = 0; j < h; ++j)
        for (unsigned i = 0; i < w; ++i)
            if (data[size_t(j) * w + i] > 0.0f) {
                i0 = std::min(i0, i), i1 = std::max(i1, i);
                j0 = std::min(j0, j), j1 = std::max(j1, j);
            }
    if (i0 > i1) return false;
    const Box2 b = field->GetBounds();
    const float cx = b.Extent(0) / float(w - 1), cy = b.Extent(1) / float(h - 1);
    const Box2 clamped(std::max(b.Min(0), b.Min(0) + (float(i0) - 2.0f) * cx),
                       std::min(b.Max(0), b.Min(0) + (float(i1) + 2.0f) * cx),
                       std::max(b.Min(1), b.Min(1) + (float(j0) - 2.0f) * cy),
                       std::min(b.Max(1), b.Min(1) + (float(j1) + 2.0f) * cy));
    if (!ValidBox(clamped)) return false;
    // Re-interpolate the old samples onto the same grid over the smaller box.
    std::vector<float> values(size_t(w) * h);
    for (unsigned j = 0; j < h; ++j)
        for (unsigned i = 0; i < w; ++i) {
            const float x = clamped.Min(0) + clamped.Extent(0) * float(i) / float(w - 1);
            const float y = clamped.Min(1) + clamped.Extent(1) * float(j) / float(h - 1);
            values[size_t(j) * w + i] = field->Evaluate(std::min(x, b.Max(0)), std::min(y, b.Max(1)));
        }
    std::copy(values.begin(), values.end(), field->GetData());
    field->SetBounds(clamped);
    return true;
}

// ---- height field -----------------------------------------------------------

namespace {

// The sample grid of a height field: sample (i, j) sits at (x0 + i hx, y0 + j hy).
struct SampleGrid {
    float x0, y0, hx, hy;
    unsigned width, height;
    size_t Count() const { return size_t(width) * height; }
};

// v as an int, clamped to [lo, hi] while still a float: a segment far off a
// tiny window (or a NaN) must not overflow the conversion.
inline int ClampToInt(float v, int lo, int hi)
{
    if (!(v >= float(lo))) return lo;
    if (v >= float(hi)) return hi;
    return int(v);
}

// The loops' edges, zero-length ones dropped.
std::vector<Segment> LoopSegments(const std::vector<Wml::Polygon2<float>>& loops)
{
    std::vector<Segment> segs;
    for (const auto& loop : loops) {
        const unsigned n = loop.VertexCount();
        for (unsigned k = 0; k < n; ++k) {
            const auto& a = loop.Vertex(k);
            const auto& b = loop.Vertex((k + 1) % n);
            const float dx = b.X() - a.X(), dy = b.Y() - a.Y();
            const float l2 = dx * dx + dy * dy;
            if (!(l2 > 0.0f)) continue;
            segs.push_back({a.X(), a.Y(), dx, dy, 1.0f / l2});
        }
    }
    return segs;
}

// Seeds the samples around each segment with exact distances.
void SeedNearSegments(const std::vector<Segment>& segs, const SampleGrid& g, std::vector<int>& nearest,
                      std::vector<float>& d2)
{
    for (size_t e = 0; e < segs.size(); ++e) {
        const Segment& s = segs[e];
        const float lo[2] = {std::min(s.x0, s.x0 + s.dx), std::min(s.y0, s.y0 + s.dy)};
        const float hi[2] = {std::max(s.x0, s.x0 + s.dx), std::max(s.y0, s.y0 + s.dy)};
        const int w = int(g.width), h = int(g.height);
        const int ia = std::max(0, ClampToInt(std::floor((lo[0] - g.x0) / g.hx), -2, w + 2) - 1);
        const int ib = std::min(w - 1, ClampToInt(std::ceil((hi[0] - g.x0) / g.hx), -2, w + 2) + 1);
        const int ja = std::max(0, ClampToInt(std::floor((lo[1] - g.y0) / g.hy), -2, h + 2) - 1);
        const int jb = std::min(h - 1, ClampToInt(std::ceil((hi[1] - g.y0) / g.hy), -2, h + 2) + 1);
        for (int j = ja; j <= jb; ++j)
            for (int i = ia; i <= ib; ++i) {
                const size_t c = size_t(j) * g.width + i;
                const float v = SegmentSqrDistance(s, g.x0 + i * g.hx, g.y0 + j * g.hy);
                if (v < d2[c]) {
                    d2[c] = v;
                    nearest[c] = int(e);
                }
            }
    }
}

// Spreads the nearest segment over the grid: forward then backward raster
// passes, twice.
void SpreadNearest(const std::vector<Segment>& segs, const SampleGrid& g, std::vector<int>& nearest,
                   std::vector<float>& d2)
{
    const int width = int(g.width), height = int(g.height);
    auto relax = [&](int i, int j, int ni, int nj) {
        if (ni < 0 || nj < 0 || ni >= width || nj >= height) return;
        const int e = nearest[size_t(nj) * width + ni];
        if (e < 0) return;
        const size_t c = size_t(j) * width + i;
        if (nearest[c] == e) return;
        const float v = SegmentSqrDistance(segs[e], g.x0 + i * g.hx, g.y0 + j * g.hy);
        if (v < d2[c]) {
            d2[c] = v;
            nearest[c] = e;
        }
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (int j = 0; j < height; ++j) {
            for (int i = 0; i < width; ++i) {
                relax(i, j, i - 1, j);
                relax(i, j, i - 1, j - 1);
                relax(i, j, i, j - 1);
                relax(i, j, i + 1, j - 1);
            }
            for (int i = width - 1; i >= 0; --i) relax(i, j, i + 1, j);
        }
        for (int j = height - 1; j >= 0; --j) {
            for (int i = width - 1; i >= 0; --i) {
                relax(i, j, i + 1, j);
                relax(i, j, i + 1, j + 1);
                relax(i, j, i, j + 1);
                relax(i, j, i - 1, j + 1);
            }
            for (int i = 0; i < width; ++i) relax(i, j, i - 1, j);
        }
    }
}

// Signed distances (positive inside) by even-odd crossings along each row;
// answers the largest inside distance.
float SignDistances(const std::vector<Segment>& segs, const SampleGrid& g, const std::vector<float>& d2,
                    std::vector<float>& signedDist)
{
    std::vector<float> crossings;
    signedDist.resize(g.Count());
    float maxInside = 0.0f;
    for (unsigned j = 0; j < g.height; ++j) {
        const float y = g.y0 + j * g.hy;
        crossings.clear();
        for (const Segment& s : segs) {
            const float ya = s.y0, yb = s.y0 + s.dy;
            if ((ya <= y) != (yb <= y)) crossings.push_back(s.x0 + (y - ya) / s.dy * s.dx);
        }
        std::sort(crossings.begin(), crossings.end());
        size_t k = 0;
        for (unsigned i = 0; i < g.width; ++i) {
            const float x = g.x0 + i * g.hx;
            while (k < crossings.size() && crossings[k] < x) ++k;
            const float d = std::sqrt(d2[size_t(j) * g.width + i]);
            const bool inside = (k & 1u) != 0;
            signedDist[size_t(j) * g.width + i] = inside ? d : -d;
            if (inside) maxInside = std::max(maxInside, d);
        }
    }
    return maxInside;
}

// The dome inside and the falloff outside (see the class comment).
void MapToProfile(const std::vector<float>& signedDist, float inscribedRadius, float param, float* out)
{
    const float p = (std::isfinite(param) && param > 1e-3f) ? param : 1e-3f;
    const float invR = 1.0f / inscribedRadius;
    const float invBand = 1.0f / (p * inscribedRadius);
    const float c = std::min(2.0f, std::max(0.0f, 2.0f - 6.0f * DOME_A * p));
    for (size_t n = 0; n < signedDist.size(); ++n) {
        const float d = signedDist[n];
        float t;
        if (d >= 0.0f) {
            const float s = std::min(d * invR, 1.0f);
            const float q = 1.0f - DOME_A * s * (2.0f - s);
            t = 0.5f / (q * q * q);
        } else {
            const float u = -d * invBand;
            t = u >= 1.0f ? 0.0f : 0.5f * (1.0f - u) * (1.0f - u) * (1.0f + c * u);
        }
        out[n] = std::min(1.0f, std::max(0.0f, t));
    }
}

}  // namespace

bool DiscreteFieldGenerator2D::SampleHeightField(const std::vector<Wml::Polygon2<float>>& loops, float param,
                                                 float& inscribedRadius, const Box2& window, unsigned width,
                                                 unsigned height, float* out)
{
    if (!out || width < 2 || height < 2 || !ValidBox(window)) return false;
    const std::vector<Segment> segs = LoopSegments(loops);
    if (segs.empty()) return false;

    const SampleGrid grid{window.Min(0),
                          window.Min(1),
                          window.Extent(0) / float(width - 1),
                          window.Extent(1) / float(height - 1),
                          width,
                          height};
    std::vector<int> nearest(grid.Count(), -1);
    std::vector<float> d2(grid.Count(), std::numeric_limits<float>::infinity());
    SeedNearSegments(segs, grid, nearest, d2);
    SpreadNearest(segs, grid, nearest, d2);
    std::vector<float> signedDist;
    const float maxInside = SignDistances(segs, grid, d2, signedDist);
    if (!(inscribedRadius > 0.0f) || !std::isfinite(inscribedRadius)) {
        if (!(maxInside > 0.0f)) return false;
        inscribedRadius = maxInside;
    }
    MapToProfile(signedDist, inscribedRadius, param, out);
    return true;
}

// ---- variational field --------------------------------------------------------

std::shared_ptr<const Wml::IntelThinPlateSpline2d> DiscreteFieldGenerator2D::FitVariational(
    const std::vector<Wml::Polygon2<float>>& loops, float offset, bool circleConstraint)
{
    if (loops.empty() || !std::isfinite(offset) || !(offset > 0.0f)) return nullptr;
    std::vector<double> px, py, pv;
    auto add = [&](double x, double y, double v) {
        px.push_back(x);
        py.push_back(y);
        pv.push_back(v);
    };
    const float c = SURFACE_G;
    double perimeter = 0.0;
    for (const auto& loop : loops) perimeter += Perimeter(loop);
    // Dense enough to hold straight sides, few enough for the dense solve.
    const float spacing = float(std::max(0.02, perimeter / 1000.0));
    for (size_t l = 0; l < loops.size(); ++l) {
        Wml::Polygon2<float> loop = loops[l];
        loop.Simplify(false);
        if (loop.VertexCount() < 3) continue;
        // Holes (inside an odd number of other loops) run clockwise so that
        // the left normal always points into the material.
        unsigned containing = 0;
        for (size_t o = 0; o < loops.size(); ++o)
            if (o != l && loops[o].IsInside(loop.Vertex(0))) ++containing;
        const bool wantClockwise = (containing & 1u) != 0;
        if (loop.IsClockwise() != wantClockwise) loop.FlipOrientation();
        // Long straight edges leave the fit free to bulge between their
        // ends; give it points along them.
        loop = Subdivide(loop, spacing);
        const unsigned n = loop.VertexCount();
        for (unsigned k = 0; k < n; ++k) {
            const auto& a = loop.Vertex(k);
            const auto& b = loop.Vertex((k + 1) % n);
            double nx = -(double(b.Y()) - a.Y()), ny = double(b.X()) - a.X();
            const double len = std::sqrt(nx * nx + ny * ny);
            if (!(len > 0.0)) continue;
            nx /= len;
            ny /= len;
            add(a.X(), a.Y(), c);
            add(a.X() + offset * nx, a.Y() + offset * ny, c - offset);
            add(a.X() - offset * nx, a.Y() - offset * ny, c + offset);
        }
    }
    if (circleConstraint)
        for (int k = 0; k < 15; ++k) {
            const double angle = k * 2.0 * 3.14159265358979323846 / 15.0;
            add(1.5 + 2.0 * std::cos(angle), 1.5 + 2.0 * std::sin(angle), 2.0);
        }
    DebugOutput("Point set size is %d\n", int(px.size()));
    if (px.size() < 3 || px.size() > Wml::IntelThinPlateSpline2d::MaxPoints) return nullptr;
    auto spline = std::make_shared<Wml::IntelThinPlateSpline2d>(unsigned(px.size()), px.data(), py.data(),
                                                                pv.data(), 1e-4);
    if (!spline->IsValid()) return nullptr;
    return spline;
}

void DiscreteFieldGenerator2D::SampleVariational(const Wml::IntelThinPlateSpline2d& spline,
                                                 const Box2& window, unsigned width, unsigned height,
                                                 float* out)
{
    if (!out || width < 2 || height < 2) return;
    const double hx = double(window.Extent(0)) / (width - 1), hy = double(window.Extent(1)) / (height - 1);
    std::vector<double> row(width);
    for (unsigned j = 0; j < height; ++j) {
        spline.SampleRow(window.Min(0), window.Min(1) + j * hy, row.data(), width, hx);
        float* dst = out + size_t(j) * width;
        for (unsigned i = 0; i < width; ++i) {
            const double g = row[i] > 0.0 ? row[i] : 0.0;
            const double q = 1.0 - g * g;
            dst[i] = q > 0.0 && std::isfinite(q) ? float(q * q * q) : 0.0f;
        }
    }
}

}  // namespace vynimplicit

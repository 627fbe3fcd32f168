#include "implicit/primitives/PolyLinePrimitive.h"

#include <algorithm>
#include <cmath>

#include "implicit/Falloff.h"

namespace vynimplicit {

namespace {

// Width of the smooth minimum between consecutive segments: a straight joint
// needs almost none (the plain minimum is already smooth there), a sharp bend
// needs a wider one to round its inner crease.
constexpr float SMOOTHING_STRAIGHT = 0.02f;
constexpr float SMOOTHING_BEND = 0.05f;
constexpr float SMOOTHING_MAX = SMOOTHING_STRAIGHT + SMOOTHING_BEND;
// Segments whose rho exceeds 1 + 2 * SMOOTHING_MAX cannot change a value
// above zero; their boxes are grown to that level.
const float QUERY_DILATION = std::sqrt(1.0f + 2.0f * SMOOTHING_MAX);
constexpr int LEAF_SIZE = 4;
constexpr int MAX_STACK = 64;

// Finite and small enough for arc lengths to stay finite.
bool Usable(const Wml::Vector3<float>& v)
{
    const float m = PolyLinePrimitive::MAX_COORDINATE;
    return std::fabs(v.X()) <= m && std::fabs(v.Y()) <= m && std::fabs(v.Z()) <= m;
}

// G(u) and G'(u) of the smooth minimum, u in [0, 1].
inline float SmoothAbs(float u)
{
    const float u2 = u * u;
    return u2 * (15.0f - u2 * (10.0f - 3.0f * u2)) * 0.125f;
}
inline float SmoothAbsDerivative(float u)
{
    const float u2 = u * u;
    return u * (15.0f - u2 * (20.0f - 9.0f * u2)) * 0.25f;
}

// Normalized squared distance of q to the round cone of segment s, and the
// offset from the nearest centre (diff) with 1 / R^2 there for the gradient.
template <class Seg>
inline float SegmentRho(const Seg& s, const float q[3], float diff[3], float& invR2)
{
    const float d0 = q[0] - s.a[0], d1 = q[1] - s.a[1], d2 = q[2] - s.a[2];
    const float x = d0 * s.e[0] + d1 * s.e[1] + d2 * s.e[2];
    const float dd = d0 * d0 + d1 * d1 + d2 * d2;
    float u;
    const float rx = s.ra + s.slope * x;
    if (rx > 0.0f) {
        // Stationary point of |q - c(u)|^2 / R(u)^2: (x - u) R(x) + slope h^2 = 0.
        const float h2 = std::max(0.0f, dd - x * x);
        u = std::clamp(x + s.slope * h2 / rx, 0.0f, s.length);
    } else {
        // Behind the apex of the cone the ratio has no interior minimum.
        const float ex = x - s.length;
        const float fa = dd / (s.ra * s.ra);
        const float fb = (dd - x * x + ex * ex) / (s.rb * s.rb);
        u = fa <= fb ? 0.0f : s.length;
    }
    const float r = s.ra + s.slope * u;
    diff[0] = d0 - u * s.e[0];
    diff[1] = d1 - u * s.e[1];
    diff[2] = d2 - u * s.e[2];
    invR2 = 1.0f / (r * r);
    return (diff[0] * diff[0] + diff[1] * diff[1] + diff[2] * diff[2]) * invR2;
}

inline bool InBox(const float lo[3], const float hi[3], const float q[3])
{
    return q[0] >= lo[0] && q[0] <= hi[0] && q[1] >= lo[1] && q[1] <= hi[1] && q[2] >= lo[2] && q[2] <= hi[2];
}

}  // namespace

PolyLinePrimitive::PolyLinePrimitive(int mode) : m_closed(mode == CLOSED) {}

void PolyLinePrimitive::SetClosed(bool closed)
{
    m_closed = closed;
    Invalidate();
}

bool PolyLinePrimitive::AppendVertex(const Wml::Vector3<float>& vertex)
{
    if (!Usable(vertex)) return false;
    m_vertices.push_back(vertex);
    Invalidate();
    return true;
}

bool PolyLinePrimitive::SetVertex(unsigned int i, const Wml::Vector3<float>& vertex)
{
    if (i >= m_vertices.size() || !Usable(vertex)) return false;
    m_vertices[i] = vertex;
    Invalidate();
    return true;
}

Wml::Vector3<float> PolyLinePrimitive::GetVertex(unsigned int i) const
{
    return i < m_vertices.size() ? m_vertices[i] : Wml::Vector3<float>::ZERO;
}

void PolyLinePrimitive::ClearVertices()
{
    m_vertices.clear();
    Invalidate();
}

bool PolyLinePrimitive::SetRadius(float radius)
{
    if (std::isnan(radius)) return false;
    m_radius = std::clamp(radius, MIN_RADIUS, MAX_RADIUS);
    Invalidate();
    return true;
}

bool PolyLinePrimitive::SetTaper(float taper)
{
    if (std::isnan(taper)) return false;
    m_taper = std::clamp(taper, MIN_TAPER, MAX_TAPER);
    Invalidate();
    return true;
}

bool PolyLinePrimitive::SetFrame(const Wml::Frame3<float>& frame)
{
    // Segments live in local coordinates; only the world bounds move.
    return m_placement.SetFrame(frame);
}

float PolyLinePrimitive::SupportRadiusAt(float arcLength, float totalLength) const
{
    const float t = totalLength > 0.0f ? std::clamp(arcLength / totalLength, 0.0f, 1.0f) : 0.0f;
    return m_radius * (1.0f + (m_taper - 1.0f) * t) / FALLOFF_SURFACE_RADIUS;
}

float PolyLinePrimitive::GetVertexRadius(unsigned int i) const
{
    if (i >= m_vertices.size()) return 0.0f;
    float total = 0.0f, at = 0.0f;
    for (size_t j = 1; j < m_vertices.size(); ++j) {
        total += (m_vertices[j] - m_vertices[j - 1]).Length();
        if (j == i) at = total;
    }
    return SupportRadiusAt(at, total) * FALLOFF_SURFACE_RADIUS;
}

void PolyLinePrimitive::Rebuild()
{
    m_segments.clear();
    m_nodes.clear();
    m_ballCentres.clear();
    m_ballRadii.clear();
    if (m_vertices.empty()) return;

    // Arc length along the open polyline (the taper runs first -> last).
    std::vector<float> arc(m_vertices.size(), 0.0f);
    for (size_t j = 1; j < m_vertices.size(); ++j)
        arc[j] = arc[j - 1] + (m_vertices[j] - m_vertices[j - 1]).Length();
    const float total = arc.back();

    // Effective vertices: consecutive duplicates add nothing but zero-length
    // segments, whose direction is undefined.
    for (size_t j = 0; j < m_vertices.size(); ++j) {
        const Wml::Vector3<float>& v = m_vertices[j];
        if (!m_ballCentres.empty()) {
            const Wml::Vector3<float> d = v - m_ballCentres.back();
            const float tol = 1e-6f * (1.0f + std::fabs(v.X()) + std::fabs(v.Y()) + std::fabs(v.Z()));
            if (d.SquaredLength() <= tol * tol) continue;
        }
        m_ballCentres.push_back(v);
        m_ballRadii.push_back(SupportRadiusAt(arc[j], total));
    }
    const size_t n = m_ballCentres.size();
    auto addSegment = [&](size_t i, size_t j) {
        Segment s;
        const Wml::Vector3<float>& a = m_ballCentres[i];
        Wml::Vector3<float> e = m_ballCentres[j] - a;
        s.length = e.Normalize();
        s.ra = m_ballRadii[i];
        s.rb = m_ballRadii[j];
        s.slope = s.length > 0.0f ? (s.rb - s.ra) / s.length : 0.0f;
        const float grow = std::max(s.ra, s.rb) * QUERY_DILATION;
        for (int c = 0; c < 3; ++c) {
            s.a[c] = a[c];
            s.e[c] = e[c];
            s.lo[c] = std::min(a[c], m_ballCentres[j][c]) - grow;
            s.hi[c] = std::max(a[c], m_ballCentres[j][c]) + grow;
            s.mid[c] = 0.5f * (a[c] + m_ballCentres[j][c]);
        }
        const float reach = 0.5f * s.length + grow;
        s.reach2 = reach * reach;
        s.smoothing = SMOOTHING_STRAIGHT;
        m_segments.push_back(s);
    };
    if (n == 1) {
        addSegment(0, 0);
    } else {
        for (size_t i = 0; i + 1 < n; ++i) addSegment(i, i + 1);
        // A loop whose last vertex repeats the first is closed already; the
        // radius may jump there (the taper ends where it started) and the
        // union of both end balls keeps the field continuous.
        const Wml::Vector3<float> gap = m_ballCentres.back() - m_ballCentres.front();
        const float tol = 1e-6f * (1.0f + m_ballCentres.front().Length());
        if (m_closed && n > 2 && gap.SquaredLength() > tol * tol) addSegment(n - 1, 0);
    }

    // Bend at each joint: half the distance between the unit directions
    // (0 straight, 1 for a full reversal).
    auto bend = [&](const Segment& s, const Segment& t) {
        const float dx = s.e[0] - t.e[0], dy = s.e[1] - t.e[1], dz = s.e[2] - t.e[2];
        return std::min(1.0f, 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz));
    };
    for (size_t i = 1; i < m_segments.size(); ++i)
        m_segments[i].smoothing =
            SMOOTHING_STRAIGHT + SMOOTHING_BEND * bend(m_segments[i - 1], m_segments[i]);
    if (m_closed && m_segments.size() > 2) {
        // The closing joint is met when the last segment is combined.
        Segment& last = m_segments.back();
        last.smoothing =
            std::max(last.smoothing, SMOOTHING_STRAIGHT + SMOOTHING_BEND * bend(last, m_segments.front()));
    }

    m_nodes.reserve(2 * (m_segments.size() / LEAF_SIZE + 1));
    BuildNode(0, static_cast<int>(m_segments.size()));
}

int PolyLinePrimitive::BuildNode(int first, int count)
{
    const int index = static_cast<int>(m_nodes.size());
    m_nodes.push_back(Node());
    Node node;
    for (int c = 0; c < 3; ++c) {
        node.lo[c] = m_segments[first].lo[c];
        node.hi[c] = m_segments[first].hi[c];
    }
    for (int i = first + 1; i < first + count; ++i)
        for (int c = 0; c < 3; ++c) {
            node.lo[c] = std::min(node.lo[c], m_segments[i].lo[c]);
            node.hi[c] = std::max(node.hi[c], m_segments[i].hi[c]);
        }
    node.first = first;
    node.count = count;
    node.left = node.right = -1;
    if (count > LEAF_SIZE) {
        // Consecutive segments are neighbours in space, so halving the index
        // range gives tight boxes without sorting.
        const int half = count / 2;
        node.left = BuildNode(first, half);
        node.right = BuildNode(first + half, count - half);
    }
    m_nodes[index] = node;
    return index;
}

float PolyLinePrimitive::EvaluateLocal(const float q[3], float* g)
{
    EnsureBuilt();
    if (g) g[0] = g[1] = g[2] = 0.0f;
    if (m_nodes.empty() || !InBox(m_nodes[0].lo, m_nodes[0].hi, q)) return 0.0f;

    float m = 3.0e38f;
    float gm[3] = {0.0f, 0.0f, 0.0f};
    int stack[MAX_STACK];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const Node& node = m_nodes[stack[--top]];
        if (!InBox(node.lo, node.hi, q)) continue;
        if (node.left >= 0) {
            // Right first so that segments are met in index order.
            stack[top++] = node.right;
            stack[top++] = node.left;
            continue;
        }
        for (int i = node.first; i < node.first + node.count; ++i) {
            const Segment& s = m_segments[i];
            const float c0 = q[0] - s.mid[0], c1 = q[1] - s.mid[1], c2 = q[2] - s.mid[2];
            if (c0 * c0 + c1 * c1 + c2 * c2 > s.reach2) continue;
            float diff[3], invR2;
            const float rho = SegmentRho(s, q, diff, invR2);
            const float k = s.smoothing;
            if (rho >= m + k) continue;  // no effect on the smooth minimum
            // Envelope theorem: the minimizer is stationary (or pinned at an
            // end), so grad rho = 2 (q - c(u)) / R(u)^2.
            const float gr[3] = {2.0f * diff[0] * invR2, 2.0f * diff[1] * invR2, 2.0f * diff[2] * invR2};
            if (m >= rho + k) {
                m = rho;
                gm[0] = gr[0];
                gm[1] = gr[1];
                gm[2] = gr[2];
                continue;
            }
            const float delta = m - rho;
            const float u = std::fabs(delta) / k;
            const float slope = std::copysign(SmoothAbsDerivative(u), delta);
            const float wm = 0.5f * (1.0f - slope), wr = 0.5f * (1.0f + slope);
            m = 0.5f * (m + rho - k * SmoothAbs(u));
            gm[0] = wm * gm[0] + wr * gr[0];
            gm[1] = wm * gm[1] + wr * gr[1];
            gm[2] = wm * gm[2] + wr * gr[2];
        }
    }
    if (!(m < 1.0f)) return 0.0f;
    const float t = 1.0f - m;
    if (g) {
        const float d = -3.0f * t * t;
        g[0] = d * gm[0];
        g[1] = d * gm[1];
        g[2] = d * gm[2];
    }
    return t * t * t;
}

float PolyLinePrimitive::Value(float x, float y, float z)
{
    float q[3];
    m_placement.ToLocal(x, y, z, q);
    return EvaluateLocal(q, nullptr);
}

void PolyLinePrimitive::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    float q[3], g[3];
    m_placement.ToLocal(x, y, z, q);
    const float v = EvaluateLocal(q, g);
    m_placement.GradientToWorld(g, gx, gy, gz);
    if (value) *value = v;
}

void PolyLinePrimitive::Color(float, float, float, float& r, float& g, float& b)
{
    r = 0.82f;
    g = 0.74f;
    b = 0.52f;
}

void PolyLinePrimitive::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    SurfaceBounds(0.0f, box);
}

void PolyLinePrimitive::SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box)
{
    EnsureBuilt();
    // The round cones lie in the union of their end balls' convex hulls, and
    // the level set at isoValue in the balls shrunk by FalloffInverse.
    const float fraction = FalloffInverse(isoValue);
    box = Wml::AxisAlignedBox3<float>();
    for (size_t i = 0; i < m_ballCentres.size(); ++i)
        m_placement.MergeBall(box, m_ballCentres[i], m_ballRadii[i] * fraction);
}

void PolyLinePrimitive::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    EnsureBuilt();
    if (m_ballCentres.empty()) return;
    // Sideways from the first vertex, across the plane of the first bend so
    // that the point is not buried in a neighbouring part of the tube.
    Wml::Vector3<float> side = Wml::Vector3<float>::ZERO;
    if (m_segments.size() > 1) {
        const Segment& s = m_segments.front();
        const Segment& t = m_closed ? m_segments.back() : m_segments[1];
        side = Wml::Vector3<float>(s.e[0], s.e[1], s.e[2]).Cross(Wml::Vector3<float>(t.e[0], t.e[1], t.e[2]));
        if (side.Normalize() < 1e-3f) side = Wml::Vector3<float>::ZERO;
    }
    if (side == Wml::Vector3<float>::ZERO) {
        const Segment& s = m_segments.front();
        Wml::Vector3<float> e(s.e[0], s.e[1], s.e[2]), other;
        if (e == Wml::Vector3<float>::ZERO) e = Wml::Vector3<float>::UNIT_Z;
        Wml::Vector3<float>::GenerateOrthonormalBasis(side, other, e);
    }
    const float radius = m_ballRadii.front() * FALLOFF_SURFACE_RADIUS;
    points.push_back(m_placement.ToWorld(m_ballCentres.front() + side * radius));
}

}  // namespace vynimplicit

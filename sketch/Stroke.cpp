#include "sketch/Stroke.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sketch/PointSet.h"
#include "wml/Containment.h"
#include "wml/DebugOutput.h"
#include "wml/Distance.h"
#include "wml/Intersection.h"
#include "wml/Segment2.h"
#include "wml/WmlMath.h"

namespace vynsketch {

namespace {

bool IsFinite(const Wml::Vector2<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y());
}

// Reach of the turn test in scribbles, as a fraction of the larger half
// extent of the stroke's box: three times the simplification tolerance.
constexpr float TURN_REACH = 0.15f;

float UsableSmoothing(float s)
{
    return (std::isfinite(s) && s >= 0.0f) ? s : Stroke::DEFAULT_SMOOTHING;
}

Wml::Vector2<float> Unit(Wml::Vector2<float> v)
{
    v.Normalize();
    return v;
}

}  // namespace

Stroke::Stroke(const std::vector<Wml::Vector2<float>>& vertices, const std::vector<float>& smoothing)
{
    m_vertices.reserve(vertices.size());
    m_smoothing.reserve(vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i)
        AppendVertex(vertices[i], i < smoothing.size() ? smoothing[i] : DEFAULT_SMOOTHING);
}

void Stroke::AppendVertex(const Wml::Vector2<float>& v, float smoothing)
{
    if (!IsFinite(v)) return;
    // Values past the vertex count (left by an older Simplify) are stale.
    m_smoothing.resize(m_vertices.size());
    m_vertices.push_back(v);
    m_smoothing.push_back(UsableSmoothing(smoothing));
}

Wml::Vector2<float> Stroke::GetVertex(unsigned int i) const
{
    return i < m_vertices.size() ? m_vertices[i] : Wml::Vector2<float>::ZERO;
}

const Wml::Vector2<float>* Stroke::GetLastVertex() const
{
    return m_vertices.empty() ? nullptr : &m_vertices.back();
}

float Stroke::GetSmoothingParam(unsigned int i) const
{
    return (i < m_vertices.size() && i < m_smoothing.size()) ? m_smoothing[i] : 0.0f;
}

Wml::Box2<float> Stroke::GetBoundingBox() const
{
    return Wml::ContOrientedBox(static_cast<int>(m_vertices.size()), m_vertices.data());
}

void Stroke::SetSmoothingParam(float value)
{
    if (!std::isfinite(value) || value < 0.0f) return;
    for (size_t i = 0; i < m_vertices.size(); ++i) m_smoothing[i] = value;
}

void Stroke::IncreaseSmoothingParam(const Wml::Box2<float>& box, float step, float max)
{
    if (!std::isfinite(step) || !std::isfinite(max)) return;
    for (size_t i = 0; i < m_vertices.size(); ++i)
        if (Wml::SqrDistance(m_vertices[i], box) <= 0.0f)
            m_smoothing[i] = std::min(m_smoothing[i] + step, max);
}

void Stroke::DecreaseSmoothingParam(const Wml::Box2<float>& box, float step, float min)
{
    if (!std::isfinite(step) || !std::isfinite(min)) return;
    for (size_t i = 0; i < m_vertices.size(); ++i) {
        // A negative weight would make the fit meaningless; never go below 0.
        if (Wml::SqrDistance(m_vertices[i], box) <= 0.0f)
            m_smoothing[i] = std::max(std::max(m_smoothing[i] - step, min), 0.0f);
    }
}

void Stroke::Simplify()
{
    const int n = static_cast<int>(m_vertices.size());
    DebugOutput("Simplifying: %d verts before\n", n);

    Wml::Box2<float> box = GetBoundingBox();
    const float maxdim = std::max(box.Extent(0), box.Extent(1));
    const float tol = 0.05f * maxdim;
    DebugOutput("        maxdim: %f   tol: %f\n", maxdim, tol);

    // Stage 1: even out the spacing; indices into m_vertices.
    std::vector<unsigned int> stage1;
    if (n > 0) {
        const float tolSqr = tol * tol;
        stage1.push_back(0);
        for (int i = 1; i < n; ++i)
            if ((m_vertices[i] - m_vertices[stage1.back()]).SquaredLength() >= tolSqr) stage1.push_back(i);
        if (stage1.back() != static_cast<unsigned int>(n - 1)) stage1.push_back(n - 1);
    }
    const int m = static_cast<int>(stage1.size());
    DebugOutput("             %d verts after stage 1\n", m);

    // Stage 2: keep the points a recursive split needs. An explicit stack,
    // since long strokes could split one point at a time.
    std::vector<char> keep(m, 0);
    if (m > 0) keep[0] = keep[m - 1] = 1;
    const float distTol = 0.05f * tol;
    const float distTolSqr = distTol * distTol;
    const float lengthLimitSqr = 25.0f * tol * tol;
    std::vector<std::pair<int, int>> spans;
    if (m > 2) spans.emplace_back(0, m - 1);
    while (!spans.empty()) {
        const int i0 = spans.back().first, i1 = spans.back().second;
        spans.pop_back();
        if (i1 <= i0 + 1) continue;
        const Wml::Vector2<float>& p0 = m_vertices[stage1[i0]];
        const Wml::Vector2<float>& p1 = m_vertices[stage1[i1]];
        const Wml::Vector2<float> d = p1 - p0;
        const float lenSqr = d.SquaredLength();
        float worst = -1.0f;
        int worstIndex = i0;
        for (int k = i0 + 1; k < i1; ++k) {
            const Wml::Vector2<float>& p = m_vertices[stage1[k]];
            const float t = (p - p0).Dot(d);
            float distSqr;
            if (t <= 0.0f)
                distSqr = (p - p0).SquaredLength();
            else if (t >= lenSqr)
                distSqr = (p - p1).SquaredLength();
            else
                distSqr = (p - (p0 + d * (t / lenSqr))).SquaredLength();
            if (distSqr > worst) {
                worst = distSqr;
                worstIndex = k;
            }
        }
        int split = -1;
        if (worst > distTolSqr)
            split = worstIndex;
        else if (lenSqr > lengthLimitSqr)
            split = (i0 + i1) / 2;
        if (split < 0) continue;
        keep[split] = 1;
        spans.emplace_back(i0, split);
        spans.emplace_back(split, i1);
    }

    std::vector<Wml::Vector2<float>> vertices;
    std::vector<float> smoothing;
    for (int k = 0; k < m; ++k) {
        if (!keep[k]) continue;
        vertices.push_back(m_vertices[stage1[k]]);
        // Each kept vertex keeps its own weight.
        smoothing.push_back(m_smoothing[stage1[k]]);
    }
    DebugOutput("             %d verts after\n", static_cast<int>(vertices.size()));

    if (vertices.size() != m_vertices.size()) m_normals.clear();
    m_vertices.swap(vertices);
    m_smoothing.swap(smoothing);
}

void Stroke::GenerateNormals()
{
    const size_t n = m_vertices.size();
    if (n < 2 || m_normals.size() == n) return;

    // The pointer twitches as the button goes down or up, and the ends are
    // always kept, so an end edge can be a pixel of noise pointing anywhere.
    // An end takes its tangent towards the first vertex at least half a
    // mean edge away instead of from its own edge alone.
    double length = 0.0;
    for (size_t i = 1; i < n; ++i) length += (m_vertices[i] - m_vertices[i - 1]).Length();
    const float span = static_cast<float>(0.5 * length / static_cast<double>(n - 1));
    const float spanSqr = span * span;
    size_t first = 1, last = n - 2;
    while (first + 1 < n && (m_vertices[first] - m_vertices[0]).SquaredLength() < spanSqr) ++first;
    while (last > 0 && (m_vertices[n - 1] - m_vertices[last]).SquaredLength() < spanSqr) --last;

    m_normals.resize(n);
    for (size_t i = 0; i < n; ++i) {
        Wml::Vector2<float> d;
        if (i == 0)
            d = m_vertices[first] - m_vertices[0];
        else if (i == n - 1)
            d = m_vertices[n - 1] - m_vertices[last];
        else
            d = m_vertices[i + 1] - m_vertices[i - 1];
        m_normals[i] = d.UnitPerp();
    }
}

void Stroke::FlipNormals()
{
    for (auto& normal : m_normals) normal = -normal;
}

void Stroke::GetValuePoints(PointSet& points, unsigned stride)
{
    GenerateNormals();
    const bool normals = HasNormals();
    const float length = points.GetNormalProjectionLength();
    auto add = [&](size_t i) {
        const Wml::Vector2<float>& v = m_vertices[i];
        const float w = m_smoothing[i];
        points.AddPoint(PointSet::Point(v, points.GetSurfaceValue(), w));
        if (!normals) return;
        const Wml::Vector2<float> offset = m_normals[i] * length;
        points.AddPoint(PointSet::Point(v + offset, points.GetOutsideValue(), w));
        points.AddPoint(PointSet::Point(v - offset, points.GetInsideValue(), w));
    };
    const size_t n = m_vertices.size(), step = std::max(1u, stride);
    for (size_t i = 0; i < n; i += step) add(i);
    // The stroke's end always takes part.
    if (n > 0 && (n - 1) % step != 0) add(n - 1);
}

void Stroke::Erase(const Wml::Box2<float>& box, std::vector<Stroke*>& pieces)
{
    m_normals.clear();
    const size_t n = m_vertices.size();
    if (n < 2) return;

    // A vertex is inside when the box holds it, boundary included. Since the
    // box is convex, an edge between two inside vertices lies inside, and an
    // edge with one end on each side crosses the boundary once.
    auto inside = [&box](const Wml::Vector2<float>& p) { return Wml::SqrDistance(p, box) <= 0.0f; };

    Stroke piece;
    auto flush = [&piece, &pieces]() {
        if (piece.GetNumVertices() >= 2) pieces.push_back(new Stroke(piece));
        piece = Stroke();
    };

    bool wasInside = inside(m_vertices[0]);
    if (!wasInside) piece.AppendVertex(m_vertices[0], m_smoothing[0]);
    for (size_t i = 1; i < n; ++i) {
        const Wml::Vector2<float>& a = m_vertices[i - 1];
        const Wml::Vector2<float>& b = m_vertices[i];
        const bool isInside = inside(b);
        int quantity = 0;
        Wml::Vector2<float> points[2];
        Wml::FindIntersection(Wml::Segment2<float>::FromEndPoints(a, b), box, quantity, points);

        if (!wasInside && !isInside) {
            // Both ends outside: either the edge misses (or only touches) the
            // box, or it passes right through and the middle goes.
            if (quantity == 2 && points[0] != points[1]) {
                piece.AppendVertex(points[0], CUT_SMOOTHING);
                flush();
                piece.AppendVertex(points[1], CUT_SMOOTHING);
            }
            piece.AppendVertex(b, m_smoothing[i]);
        } else if (!wasInside) {
            // The pen enters the box.
            piece.AppendVertex(quantity > 0 ? points[0] : b, CUT_SMOOTHING);
            flush();
        } else if (!isInside) {
            // The pen leaves the box: the exit point is the far end of the
            // clipped piece.
            piece.AppendVertex(quantity > 0 ? points[quantity - 1] : a, CUT_SMOOTHING);
            if (b != *piece.GetLastVertex()) piece.AppendVertex(b, m_smoothing[i]);
        }
        wasInside = isInside;
    }
    flush();
}

bool Stroke::IsLineStroke() const
{
    const size_t n = m_vertices.size();
    if (n < 2) return false;
    // Measured against the chord from the first to the last vertex, with a
    // tolerance of 5 % of its length. Simplification keeps short, noisy
    // edges, so a reference taken from the first edge alone tilts by the
    // jitter of a few pixels and no hand-drawn straight stroke would pass.
    const Wml::Segment2<float> chord = Wml::Segment2<float>::FromEndPoints(m_vertices[0], m_vertices[n - 1]);
    const float threshold = chord.Direction().SquaredLength() * 0.0025f;
    size_t strays = 0;
    for (size_t i = 1; i + 1 < n; ++i)
        if (Wml::SqrDistance(m_vertices[i], chord) > threshold) ++strays;
    return static_cast<float>(strays) / static_cast<float>(n) < 0.1f;
}

bool Stroke::IsMultipleLoopsStroke() const
{
    const size_t n = m_vertices.size();
    if (n < 2) return false;
    const Wml::Vector2<float> centre = GetBoundingBox().Center();
    float swept = 0.0f;
    for (size_t i = 1; i < n; ++i)
        swept += Wml::Math<float>::ACos(Unit(m_vertices[i - 1] - centre).Dot(Unit(m_vertices[i] - centre)));
    return swept > Wml::Math<float>::PI * 4.0f;
}

bool Stroke::IsSharpScribbleStroke() const
{
    const size_t n = m_vertices.size();
    if (n < 3) return false;
    const float cosLimit = std::cos(30.0f * Wml::Math<float>::DEG_TO_RAD);

    // Mouse reports crowd where the hand turns and are rounded to whole
    // pixels, so simplification often leaves a tip as two or three vertices a
    // few pixels apart. The turn at each of them says more about the
    // rounding than about the stroke. So the turn at a vertex is measured to
    // the nearest vertices at least a reach away on either side (a few times
    // the simplification tolerance), and a run of neighbouring vertices
    // within a reach that all turn back is one turn-back, at its sharpest.
    const Wml::Box2<float> box = GetBoundingBox();
    const float reach = TURN_REACH * std::max(box.Extent(0), box.Extent(1));
    const float reachSqr = reach * reach;
    std::vector<float> turn(n, -1.0f);
    for (size_t d = 1; d + 1 < n; ++d) {
        size_t before = d - 1, after = d + 1;
        while (before > 0 && (m_vertices[before] - m_vertices[d]).SquaredLength() < reachSqr) --before;
        while (after + 1 < n && (m_vertices[after] - m_vertices[d]).SquaredLength() < reachSqr) ++after;
        turn[d] = Unit(m_vertices[before] - m_vertices[d]).Dot(Unit(m_vertices[after] - m_vertices[d]));
    }

    size_t start = 0;
    int pieces = 0, straight = 0, curved = 0;
    for (size_t d = 1; d + 1 < n; ++d) {
        size_t end = d;
        if (turn[d] > cosLimit) {
            // The sharpest vertex of this run of turn-backs (all within a
            // reach of its first) ends the piece.
            size_t last = d;
            while (last + 2 < n && turn[last + 1] > cosLimit &&
                   (m_vertices[last + 1] - m_vertices[d]).SquaredLength() < reachSqr)
                ++last;
            for (size_t k = d; k <= last; ++k)
                if (turn[k] > turn[end]) end = k;
            d = last;
        } else if (d != n - 2) {
            continue;
        }
        // A piece between two turn-backs: straight when every vertex in it
        // stays close to its chord.
        ++pieces;
        const Wml::Segment2<float> chord =
            Wml::Segment2<float>::FromEndPoints(m_vertices[start], m_vertices[end]);
        const float tolerance = chord.Direction().SquaredLength() / 200.0f;
        bool isStraight = true;
        for (size_t k = start + 1; k < end && isStraight; ++k)
            isStraight = Wml::SqrDistance(m_vertices[k], chord) <= tolerance;
        if (isStraight)
            ++straight;
        else
            ++curved;
        start = end;
    }
    return pieces > 4 && curved < straight;
}

}  // namespace vynsketch

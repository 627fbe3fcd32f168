#include "implicit/operators/BezierCurve.h"

#include <algorithm>
#include <cmath>

#include "implicit/Falloff.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

// Exact mode: pieces per degree, and their bounds.
constexpr unsigned int CHORDS_PER_DEGREE = 8;
constexpr unsigned int MIN_CHORDS = 16;
constexpr unsigned int MAX_CHORDS = 256;
// Approximated mode: segments sharing one bounding box.
constexpr unsigned int BLOCK_SIZE = 16;

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

/// Squared distance from q to the segment, with the segment parameter.
inline float SquaredDistance(const Wml::Vector3<float>& q, const Wml::Vector3<float>& origin,
                             const Wml::Vector3<float>& direction, float inverseLength2, float& t,
                             Wml::Vector3<float>& offset)
{
    const Wml::Vector3<float> diff = q - origin;
    t = std::clamp(diff.Dot(direction) * inverseLength2, 0.0f, 1.0f);
    offset = diff - direction * t;
    return offset.SquaredLength();
}

}  // namespace

BezierCurve::BezierCurve()
{
    m_controlPoints = {Wml::Vector3<float>(0.0f, 0.0f, 0.0f), Wml::Vector3<float>(0.3f, 0.4f, 0.0f),
                       Wml::Vector3<float>(0.7f, -0.4f, 0.0f), Wml::Vector3<float>(1.0f, 0.0f, 0.0f)};
    SetFrame(Wml::Frame3<float>());
    ComputeBartheUnionParams();
    Rebuild();
}

// ---- placement -------------------------------------------------------------------

bool BezierCurve::SetFrame(const Wml::Frame3<float>& frame)
{
    if (!frame.IsValid()) return false;
    m_frame = frame;
    // ToLocalPoint(p) = diag(1/s) R^-T (p - o); the gradient goes back through
    // the transpose of that map.
    const Wml::Matrix3<float> inverseT = frame.GetWorldToLocalRotation();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m_worldToLocal(r, c) = inverseT(r, c) / frame.Scale()[r];
    m_gradientToWorld = m_worldToLocal.Transpose();
    Changed();
    return true;
}

// ---- control points ------------------------------------------------------------

Wml::Vector3<float> BezierCurve::GetControlPoint(unsigned int i) const
{
    return i < m_controlPoints.size() ? m_controlPoints[i] : Wml::Vector3<float>::ZERO;
}

bool BezierCurve::SetControlPoint(unsigned int i, const Wml::Vector3<float>& p)
{
    if (i >= m_controlPoints.size() || !Finite(p)) return false;
    m_controlPoints[i] = p;
    Rebuild();
    Changed();
    return true;
}

bool BezierCurve::SetControlPoints(const std::vector<Wml::Vector3<float>>& points)
{
    if (points.size() < 2 || points.size() > MAX_CONTROL_POINTS) return false;
    for (const auto& p : points)
        if (!Finite(p)) return false;
    m_controlPoints = points;
    Rebuild();
    Changed();
    return true;
}

Wml::Vector3<float> BezierCurve::GetWorldControlPoint(unsigned int i) const
{
    return i < m_controlPoints.size() ? m_frame.ToWorldPoint(m_controlPoints[i]) : Wml::Vector3<float>::ZERO;
}

bool BezierCurve::SetWorldControlPoint(unsigned int i, const Wml::Vector3<float>& p)
{
    if (!Finite(p)) return false;
    return SetControlPoint(i, m_worldToLocal * (p - m_frame.Origin()));
}

Wml::Vector3<float> BezierCurve::GetLocalPosition(float t) const
{
    Wml::Vector3<float> c;
    EvaluateCurve(std::isnan(t) ? 0.0f : std::clamp(t, 0.0f, 1.0f), c, nullptr, nullptr);
    return c;
}

Wml::Vector3<float> BezierCurve::GetPosition(float t) const
{
    return m_frame.ToWorldPoint(GetLocalPosition(t));
}

// ---- shape parameters ----------------------------------------------------------

bool BezierCurve::SetRadius(float radius)
{
    if (std::isnan(radius)) return false;
    m_radius = std::clamp(radius, MIN_RADIUS, MAX_RADIUS);
    Rebuild();
    Changed();
    return true;
}

bool BezierCurve::SetBlendAngle(float degrees)
{
    if (std::isnan(degrees)) return false;
    m_blendAngle = std::clamp(degrees, MIN_BLEND_ANGLE, MAX_BLEND_ANGLE);
    ComputeBartheUnionParams();
    return true;
}

void BezierCurve::ComputeBartheUnionParams()
{
    m_blend = blend::SmoothBartheParamsFromAngle(m_blendAngle);
    Changed();
}

void BezierCurve::SetEvaluationMode(int mode)
{
    m_evaluationMode = std::clamp(mode, 0, 1);
    Changed();
}

void BezierCurve::SetApproximationLevel(int level)
{
    m_approximationLevel = std::clamp(level, MIN_APPROXIMATION_LEVEL, MAX_APPROXIMATION_LEVEL);
    BuildSegments(1u << m_approximationLevel, m_segments);
    BuildBlocks(m_segments, m_segmentBlocks);
    Changed();
}

// ---- curve geometry ------------------------------------------------------------

void BezierCurve::EvaluateCurve(float t, Wml::Vector3<float>& c, Wml::Vector3<float>* d1,
                                Wml::Vector3<float>* d2) const
{
    const unsigned int count = static_cast<unsigned int>(m_controlPoints.size());
    const unsigned int n = count - 1;  // degree, >= 1
    Wml::Vector3<float> b[MAX_CONTROL_POINTS];
    for (unsigned int i = 0; i < count; ++i) b[i] = m_controlPoints[i];
    const float s = 1.0f - t;
    if (d2) *d2 = Wml::Vector3<float>::ZERO;
    // After level r, b[0..n-r] are the control points of degree n - r.
    for (unsigned int r = 1; r <= n; ++r) {
        if (r == n - 1 && d2) *d2 = (b[2] - b[1] * 2.0f + b[0]) * float(n * (n - 1));
        if (r == n && d1) *d1 = (b[1] - b[0]) * float(n);
        for (unsigned int i = 0; i + r <= n; ++i) b[i] = b[i] * s + b[i + 1] * t;
    }
    c = b[0];
}

void BezierCurve::BuildSegments(unsigned int count, std::vector<Segment>& segments) const
{
    segments.assign(count, Segment());
    Wml::Vector3<float> previous;
    EvaluateCurve(0.0f, previous, nullptr, nullptr);
    for (unsigned int i = 0; i < count; ++i) {
        Wml::Vector3<float> next;
        EvaluateCurve(float(i + 1) / float(count), next, nullptr, nullptr);
        Segment& s = segments[i];
        s.origin = previous;
        s.direction = next - previous;
        const float length2 = s.direction.SquaredLength();
        s.inverseLength2 = length2 > 0.0f ? 1.0f / length2 : 0.0f;
        if (i > 0) {
            // sin(alpha / 2) = sqrt((1 - cos alpha) / 2) for the turn alpha at
            // the joint with the previous piece.
            const Segment& before = segments[i - 1];
            const float lengths2 = before.direction.SquaredLength() * length2;
            if (lengths2 > 0.0f) {
                const float cosine =
                    std::clamp(before.direction.Dot(s.direction) / std::sqrt(lengths2), -1.0f, 1.0f);
                s.bend = std::sqrt(0.5f * (1.0f - cosine));
            }
        }
        previous = next;
    }
}

void BezierCurve::BuildBlocks(const std::vector<Segment>& segments, std::vector<Block>& blocks) const
{
    blocks.clear();
    for (unsigned int begin = 0; begin < segments.size(); begin += BLOCK_SIZE) {
        Block block;
        block.begin = begin;
        block.end = std::min<unsigned int>(begin + BLOCK_SIZE, static_cast<unsigned int>(segments.size()));
        for (unsigned int i = block.begin; i < block.end; ++i) {
            block.box.Merge(segments[i].origin);
            block.box.Merge(segments[i].origin + segments[i].direction);
        }
        block.box.Dilate(m_supportRadius);
        blocks.push_back(block);
    }
}

void BezierCurve::Rebuild()
{
    m_supportRadius = m_radius / FALLOFF_SURFACE_RADIUS;
    m_inverseSupport2 = 1.0f / (m_supportRadius * m_supportRadius);

    // The curve lies in the convex hull of its control points.
    m_localBounds.MakeEmpty();
    for (const auto& p : m_controlPoints) m_localBounds.Merge(p);
    m_localBounds.Dilate(m_supportRadius);

    const unsigned int degree = static_cast<unsigned int>(m_controlPoints.size()) - 1;
    BuildSegments(std::clamp(CHORDS_PER_DEGREE * degree, MIN_CHORDS, MAX_CHORDS), m_chords);
    // How far the curve strays from its chords, from a few samples per piece
    // with a margin; it widens the search so no closer piece is missed.
    float error2 = 0.0f;
    const float count = float(m_chords.size());
    for (unsigned int j = 0; j < m_chords.size(); ++j) {
        const Segment& s = m_chords[j];
        for (float u : {0.25f, 0.5f, 0.75f}) {
            Wml::Vector3<float> c, offset;
            EvaluateCurve((float(j) + u) / count, c, nullptr, nullptr);
            float t;
            error2 = std::max(error2, SquaredDistance(c, s.origin, s.direction, s.inverseLength2, t, offset));
        }
    }
    m_chordError = 1.25f * std::sqrt(error2) + 1e-6f * m_supportRadius;

    BuildSegments(1u << m_approximationLevel, m_segments);
    BuildBlocks(m_segments, m_segmentBlocks);
}

// ---- evaluation -----------------------------------------------------------------

float BezierCurve::RefineClosest(const Wml::Vector3<float>& q, float t, float lo, float hi,
                                 Wml::Vector3<float>& closest) const
{
    Wml::Vector3<float> c, d1, d2;
    EvaluateCurve(t, c, &d1, &d2);
    float best = (c - q).SquaredLength();
    closest = c;
    // Newton on g(t) = (c - q) . c' = 0, g' = c'.c' + (c - q).c''; stopped
    // as soon as a step does not bring the point closer.
    for (int iteration = 0; iteration < 8; ++iteration) {
        const Wml::Vector3<float> diff = c - q;
        const float g = diff.Dot(d1);
        float h = d1.Dot(d1) + diff.Dot(d2);
        // Where the curve bends away faster than the point pulls, fall back to
        // a gradient step scaled by the speed.
        if (!(h > 0.0f)) h = d1.Dot(d1);
        if (!(h > 0.0f)) break;
        const float next = std::clamp(t - g / h, lo, hi);
        if (std::fabs(next - t) < 1e-7f) break;
        t = next;
        EvaluateCurve(t, c, &d1, &d2);
        const float d = (c - q).SquaredLength();
        if (!(d < best)) break;
        best = d;
        closest = c;
    }
    return best;
}

float BezierCurve::EvaluateExact(const Wml::Vector3<float>& q, Wml::Vector3<float>* gradient) const
{
    const unsigned int count = static_cast<unsigned int>(m_chords.size());
    if (count == 0) return 0.0f;
    float distance2[MAX_CHORDS], parameter[MAX_CHORDS];
    unsigned int best = 0;
    for (unsigned int j = 0; j < count; ++j) {
        const Segment& s = m_chords[j];
        Wml::Vector3<float> offset;
        distance2[j] = SquaredDistance(q, s.origin, s.direction, s.inverseLength2, parameter[j], offset);
        if (distance2[j] < distance2[best]) best = j;
    }
    const float reach = m_supportRadius + m_chordError;
    if (!(distance2[best] < reach * reach)) return 0.0f;

    // A second start on a piece away from the best one catches a curve that
    // comes back near itself.
    const float margin = std::sqrt(distance2[best]) + 2.0f * m_chordError;
    unsigned int second = count;
    for (unsigned int j = 0; j < count; ++j) {
        if (j + 1 >= best && j <= best + 1) continue;
        if (distance2[j] <= margin * margin && (second == count || distance2[j] < distance2[second]))
            second = j;
    }

    const float inverseCount = 1.0f / float(count);
    Wml::Vector3<float> closest;
    float d2 = 0.0f;
    for (unsigned int pass = 0; pass < 2; ++pass) {
        const unsigned int j = pass == 0 ? best : second;
        if (j == count) break;
        const float t = (float(j) + parameter[j]) * inverseCount;
        const float lo = std::max(0.0f, float(j) - 1.0f) * inverseCount;
        const float hi = std::min(1.0f, (float(j) + 2.0f) * inverseCount);
        Wml::Vector3<float> c;
        const float d = RefineClosest(q, t, lo, hi, c);
        if (pass == 0 || d < d2) {
            d2 = d;
            closest = c;
        }
    }
    const float r2 = d2 * m_inverseSupport2;
    if (!(r2 < 1.0f)) return 0.0f;
    // grad |q - c(t*)|^2 = 2 (q - c(t*)): t* is stationary.
    if (gradient) *gradient = (q - closest) * (2.0f * m_inverseSupport2 * FalloffSquaredDerivative(r2));
    return FalloffSquared(r2);
}

float BezierCurve::EvaluateSegments(const Wml::Vector3<float>& q, Wml::Vector3<float>* gradient) const
{
    float value = 0.0f;
    Wml::Vector3<float> g = Wml::Vector3<float>::ZERO;
    for (const Block& block : m_segmentBlocks) {
        if (!block.box.Contains(q)) continue;
        for (unsigned int i = block.begin; i < block.end; ++i) {
            const Segment& s = m_segments[i];
            float t;
            Wml::Vector3<float> offset;
            const float r2 =
                SquaredDistance(q, s.origin, s.direction, s.inverseLength2, t, offset) * m_inverseSupport2;
            if (!(r2 < 1.0f)) continue;
            const float f = FalloffSquared(r2);
            if (!(f > 0.0f)) continue;
            if (!(value > 0.0f)) {
                value = f;
                if (gradient) g = offset * (2.0f * m_inverseSupport2 * FalloffSquaredDerivative(r2));
                continue;
            }
            // The joint's blend narrows with its turn: pieces in line join by
            // plain max (no bulge), so the many short pieces of a high level
            // cannot pile up bumps.
            float da, db;
            const blend::BartheBlendParams joint{m_blend.slope * s.bend, false};
            value = blend::BartheUnion(value, f, joint, da, db);
            if (gradient)
                g = g * da + offset * (db * 2.0f * m_inverseSupport2 * FalloffSquaredDerivative(r2));
        }
    }
    if (gradient) *gradient = g;
    return value;
}

float BezierCurve::EvaluateLocal(const Wml::Vector3<float>& q, Wml::Vector3<float>* gradient) const
{
    if (gradient) *gradient = Wml::Vector3<float>::ZERO;
    // Contains is false for NaN coordinates too.
    if (!m_localBounds.Contains(q)) return 0.0f;
    return m_evaluationMode == 0 ? EvaluateExact(q, gradient) : EvaluateSegments(q, gradient);
}

float BezierCurve::Value(float x, float y, float z)
{
    const Wml::Vector3<float> q = m_worldToLocal * (Wml::Vector3<float>(x, y, z) - m_frame.Origin());
    return EvaluateLocal(q, nullptr);
}

void BezierCurve::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const Wml::Vector3<float> q = m_worldToLocal * (Wml::Vector3<float>(x, y, z) - m_frame.Origin());
    Wml::Vector3<float> local;
    const float v = EvaluateLocal(q, &local);
    const Wml::Vector3<float> world = m_gradientToWorld * local;
    gx = world.X();
    gy = world.Y();
    gz = world.Z();
    if (value) *value = v;
}

void BezierCurve::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box.MakeEmpty();
    for (int i = 0; i < 8; ++i) {
        const Wml::Vector3<float> corner(i & 1 ? m_localBounds.Max(0) : m_localBounds.Min(0),
                                         i & 2 ? m_localBounds.Max(1) : m_localBounds.Min(1),
                                         i & 4 ? m_localBounds.Max(2) : m_localBounds.Min(2));
        box.Merge(m_frame.ToWorldPoint(corner));
    }
}

void BezierCurve::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    Wml::Vector3<float> c, tangent;
    EvaluateCurve(0.5f, c, &tangent, nullptr);
    if (tangent.Normalize() <= 0.0f) tangent = Wml::Vector3<float>::UNIT_X;
    Wml::Vector3<float> u, v;
    Wml::Vector3<float>::GenerateOrthonormalBasis(u, v, tangent);
    // Exactly on the surface in the exact mode when the curve bends gently
    // there; projected in every case.
    Wml::Vector3<float> p = m_frame.ToWorldPoint(c + u * m_radius);
    Wml::AxisAlignedBox3<float> box;
    FieldBounds(box);
    if (seeds::ProjectOntoSurface(*this, p, box)) points.push_back(p);
}

}  // namespace vynimplicit

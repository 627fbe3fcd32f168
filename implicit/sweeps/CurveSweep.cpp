#include "implicit/sweeps/CurveSweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vynimplicit {

namespace {

inline float Dot(const float a[3], const float b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

inline void Cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

inline float Normalize(float v[3])
{
    const float len = std::sqrt(Dot(v, v));
    if (len > 1e-30f) {
        const float inv = 1.0f / len;
        v[0] *= inv;
        v[1] *= inv;
        v[2] *= inv;
        return len;
    }
    v[0] = v[1] = v[2] = 0.0f;
    return 0.0f;
}

// Makes n a unit vector perpendicular to unit t; picks any perpendicular when
// n is (nearly) along t.
void OrthonormalizeAgainst(const float t[3], float n[3])
{
    const float d = Dot(n, t);
    for (int k = 0; k < 3; ++k) n[k] -= d * t[k];
    if (Normalize(n) > 1e-4f) return;
    const float axis[3] = {std::fabs(t[0]) < 0.6f ? 1.0f : 0.0f, std::fabs(t[0]) < 0.6f ? 0.0f : 1.0f, 0.0f};
    Cross(t, axis, n);
    Normalize(n);
}

// The smallest rotation taking unit a to unit b, applied to v. For opposite
// a and b (a cusp) v is only projected, which keeps it perpendicular to b.
void MinimalRotation(const float a[3], const float b[3], const float v[3], float out[3])
{
    const float c = Dot(a, b);
    if (c <= -1.0f + 1e-6f) {
        for (int k = 0; k < 3; ++k) out[k] = v[k];
        OrthonormalizeAgainst(b, out);
        return;
    }
    float w[3], wv[3];
    Cross(a, b, w);
    Cross(w, v, wv);
    const float s = Dot(w, v) / (1.0f + c);
    for (int k = 0; k < 3; ++k) out[k] = c * v[k] + wv[k] + s * w[k];
}

constexpr float GAUSS3_X = 0.7745966692414834f;
constexpr float GAUSS3_W[3] = {5.0f / 9.0f, 8.0f / 9.0f, 5.0f / 9.0f};
constexpr float GAUSS5_X[5] = {-0.9061798459386640f, -0.5384693101056831f, 0.0f, 0.5384693101056831f,
                               0.9061798459386640f};
constexpr float GAUSS5_W[5] = {0.2369268850561891f, 0.4786286704993665f, 0.5688888888888889f,
                               0.4786286704993665f, 0.2369268850561891f};

}  // namespace

struct CurveSweep::Closest {
    float t = 0.0f;
    unsigned segment = 0;
    float s = 0.0f;  // position inside a polyline segment
    int end = 0;     // -1 clamped at the start, +1 at the end, 0 inside
    float p[3], d1[3], d2[3];
    float gradT[3] = {0.0f, 0.0f, 0.0f};
};

Wml::Vector3<float> CurveSweep::GetControlPoint(unsigned i) const
{
    return i < GetNumControlPoints() ? m_controlPoints[i] : Wml::Vector3<float>::ZERO;
}

bool CurveSweep::SetControlPoint(unsigned i, const Wml::Vector3<float>& p)
{
    if (i >= GetNumControlPoints() || !std::isfinite(p.X()) || !std::isfinite(p.Y()) || !std::isfinite(p.Z()))
        return false;
    m_controlPoints[i] = p;
    Rebuild();
    return true;
}

Wml::Vector3<float> CurveSweep::GetPosition(float t) const
{
    t = t > 0.0f ? (t < 1.0f ? t : 1.0f) : 0.0f;
    float p[3], d1[3], d2[3];
    Curve(t, p, d1, d2);
    return m_frame.ToWorldPoint(Wml::Vector3<float>(p[0], p[1], p[2]));
}

void CurveSweep::SetRadius(float radius)
{
    if (std::isnan(radius)) return;
    m_radius = std::clamp(radius, MIN_RADIUS, MAX_RADIUS);
}

void CurveSweep::SetStartRotation(float degrees)
{
    if (!std::isfinite(degrees)) return;
    float wrapped = std::fmod(degrees, 360.0f);
    if (wrapped < 0.0f) wrapped += 360.0f;
    if (wrapped >= 360.0f) wrapped = 0.0f;
    m_startRotation = wrapped;
    BuildTables();
}

bool CurveSweep::SetEvaluationMode(int mode)
{
    if (mode != ExactClosestPoint && mode != PolylineApproximation) return false;
    m_mode = mode;
    return true;
}

void CurveSweep::Rebuild()
{
    Wml::Vector3<float> c[4];
    ComputeCoefficients(m_controlPoints, c);
    for (int k = 0; k < 4; ++k)
        for (int a = 0; a < 3; ++a) m_coef[k][a] = c[k][a];
    m_curveBox = Wml::AxisAlignedBox3<float>();
    for (unsigned i = 0; i < GetNumControlPoints(); ++i) m_curveBox.Merge(m_controlPoints[i]);
    m_extent = (m_curveBox.MaxCorner() - m_curveBox.MinCorner()).Length();
    BuildTables();
}

void CurveSweep::Curve(float t, float p[3], float d1[3], float d2[3]) const
{
    for (int a = 0; a < 3; ++a) {
        const float c1 = m_coef[1][a], c2 = m_coef[2][a], c3 = m_coef[3][a];
        p[a] = m_coef[0][a] + t * (c1 + t * (c2 + t * c3));
        d1[a] = c1 + t * (2.0f * c2 + t * 3.0f * c3);
        d2[a] = 2.0f * c2 + 6.0f * c3 * t;
    }
}

float CurveSweep::Speed(float t) const
{
    float p[3], d1[3], d2[3];
    Curve(t, p, d1, d2);
    return std::sqrt(Dot(d1, d1));
}

void CurveSweep::Tangent(unsigned index, float t, const float d1[3], float out[3]) const
{
    const float tiny = 1e-6f * m_extent;
    if (Dot(d1, d1) > tiny * tiny && Dot(d1, d1) > 0.0f) {
        for (int a = 0; a < 3; ++a) out[a] = d1[a];
        Normalize(out);
        return;
    }
    // Where the curve stops (repeated control points) take the tabulated
    // direction it moves in nearby.
    unsigned k = unsigned(t * float(NUM_SEGMENTS) + 0.5f);
    if (k > NUM_SEGMENTS) k = index;
    for (int a = 0; a < 3; ++a) out[a] = m_tan[k][a];
}

void CurveSweep::BuildTables()
{
    const float tiny = 1e-6f * m_extent;
    float chord[3];
    {
        float p0[3], p1[3], d1[3], d2[3];
        Curve(0.0f, p0, d1, d2);
        Curve(1.0f, p1, d1, d2);
        for (int a = 0; a < 3; ++a) chord[a] = p1[a] - p0[a];
        if (Normalize(chord) <= tiny) chord[0] = chord[1] = 0.0f, chord[2] = 1.0f;
    }
    for (unsigned i = 0; i <= NUM_SEGMENTS; ++i) {
        const float t = float(i) / float(NUM_SEGMENTS);
        float d1[3], d2[3];
        Curve(t, m_pos[i].data(), d1, d2);
        float* tan = m_tan[i].data();
        if (Dot(d1, d1) > tiny * tiny && Dot(d1, d1) > 0.0f) {
            for (int a = 0; a < 3; ++a) tan[a] = d1[a];
        } else {
            // The velocity vanishes: near such a point it is about
            // (t - t0) * C'', so the motion follows +-C''.
            const float sign = i == NUM_SEGMENTS ? -1.0f : 1.0f;
            for (int a = 0; a < 3; ++a) tan[a] = sign * d2[a];
        }
        if (Normalize(tan) == 0.0f)
            for (int a = 0; a < 3; ++a) tan[a] = chord[a];
    }

    // Start normal: local x made perpendicular to the start tangent (y when
    // x is nearly along it), then rolled by the start rotation.
    float n[3] = {1.0f, 0.0f, 0.0f};
    const float* t0 = m_tan[0].data();
    if (std::fabs(t0[0]) > 0.9f) n[0] = 0.0f, n[1] = 1.0f;
    OrthonormalizeAgainst(t0, n);
    const float angle = m_startRotation * 3.14159265358979f / 180.0f;
    float b[3];
    Cross(t0, n, b);
    const float c = std::cos(angle), s = std::sin(angle);
    for (int a = 0; a < 3; ++a) m_nrm[0][a] = c * n[a] + s * b[a];
    OrthonormalizeAgainst(t0, m_nrm[0].data());
    for (unsigned i = 0; i < NUM_SEGMENTS; ++i) {
        MinimalRotation(m_tan[i].data(), m_tan[i + 1].data(), m_nrm[i].data(), m_nrm[i + 1].data());
        OrthonormalizeAgainst(m_tan[i + 1].data(), m_nrm[i + 1].data());
    }

    m_arc[0] = m_polyArc[0] = 0.0f;
    const float h = 1.0f / float(NUM_SEGMENTS);
    for (unsigned i = 0; i < NUM_SEGMENTS; ++i) {
        const float mid = (float(i) + 0.5f) * h;
        float length = 0.0f;
        for (int k = 0; k < 5; ++k) length += GAUSS5_W[k] * Speed(mid + 0.5f * h * GAUSS5_X[k]);
        m_arc[i + 1] = m_arc[i] + 0.5f * h * length;
        float d[3];
        for (int a = 0; a < 3; ++a) d[a] = m_pos[i + 1][a] - m_pos[i][a];
        const float chordLength = std::sqrt(Dot(d, d));
        m_polyArc[i + 1] = m_polyArc[i] + chordLength;
    }

    for (unsigned g = 0; g < NUM_GROUPS; ++g) {
        Wml::AxisAlignedBox3<float> box;
        for (unsigned i = g * GROUP_SIZE; i <= (g + 1) * GROUP_SIZE; ++i)
            box.Merge(Wml::Vector3<float>(m_pos[i][0], m_pos[i][1], m_pos[i][2]));
        const Wml::Vector3<float> centre = box.Center();
        // The sphere must hold the curve between the samples too (it is used
        // to reject points out of reach): take the samples, the curve points
        // half way between them and a margin for the bulge in between.
        float radius = 0.0f, chord = 0.0f;
        for (unsigned i = g * GROUP_SIZE; i <= (g + 1) * GROUP_SIZE; ++i) {
            radius = std::max(radius,
                              (Wml::Vector3<float>(m_pos[i][0], m_pos[i][1], m_pos[i][2]) - centre).Length());
            if (i == (g + 1) * GROUP_SIZE) break;
            float p[3], d1[3], d2[3];
            Curve((float(i) + 0.5f) * h, p, d1, d2);
            radius = std::max(radius, (Wml::Vector3<float>(p[0], p[1], p[2]) - centre).Length());
            chord = std::max(chord, m_polyArc[i + 1] - m_polyArc[i]);
        }
        m_groups[g] = {centre[0], centre[1], centre[2], radius + 0.1f * chord + 1e-6f * m_extent + 1e-7f};
    }
}

bool CurveSweep::GroupDistances(const float q[3], float reach, float distance[], unsigned& first) const
{
    first = 0;
    float nearest = 0.0f;
    for (unsigned g = 0; g < NUM_GROUPS; ++g) {
        const float dx = q[0] - m_groups[g][0], dy = q[1] - m_groups[g][1], dz = q[2] - m_groups[g][2];
        distance[g] = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (g == 0 || distance[g] < distance[first]) first = g;
        const float gap = distance[g] - m_groups[g][3];
        if (g == 0 || gap < nearest) nearest = gap;
    }
    return nearest <= reach;
}

bool CurveSweep::NearestSample(const float q[3], float reach, unsigned& best) const
{
    float groupDistance[NUM_GROUPS];
    unsigned first;
    if (!GroupDistances(q, reach, groupDistance, first)) return false;
    // Start in the nearest group and skip groups that cannot hold anything
    // closer.
    best = 0;
    float bestD2 = std::numeric_limits<float>::max();
    for (unsigned k = 0; k < NUM_GROUPS; ++k) {
        const unsigned g = k == 0 ? first : (k <= first ? k - 1 : k);
        const float gap = groupDistance[g] - m_groups[g][3];
        if (k > 0 && gap > 0.0f && gap * gap >= bestD2) continue;
        for (unsigned i = g * GROUP_SIZE; i <= (g + 1) * GROUP_SIZE; ++i) {
            const float dx = q[0] - m_pos[i][0], dy = q[1] - m_pos[i][1], dz = q[2] - m_pos[i][2];
            const float d2 = dx * dx + dy * dy + dz * dz;
            if (d2 < bestD2 || (d2 == bestD2 && i < best)) {
                bestD2 = d2;
                best = i;
            }
        }
    }
    return true;
}

bool CurveSweep::FindExact(const float q[3], float reach, Closest& c) const
{
    unsigned best;
    if (!NearestSample(q, reach, best)) return false;
    float d[3];
    auto slope = [&](float t) {
        // Derivative of half the squared distance, (C - q) . C'.
        Curve(t, c.p, c.d1, c.d2);
        for (int a = 0; a < 3; ++a) d[a] = q[a] - c.p[a];
        return -Dot(d, c.d1);
    };
    // Past an end the clamped end point is the answer: skip the iterations.
    if (best == 0 && slope(0.0f) >= 0.0f) {
        c.t = 0.0f;
        c.end = -1;
        return true;
    }
    if (best == NUM_SEGMENTS && slope(1.0f) <= 0.0f) {
        c.t = 1.0f;
        c.end = 1;
        return true;
    }
    // Safeguarded Newton on the slope inside the neighbouring samples.
    const float h = 1.0f / float(NUM_SEGMENTS);
    float ta = best > 0 ? float(best - 1) * h : 0.0f;
    float tb = best < NUM_SEGMENTS ? float(best + 1) * h : 1.0f;
    float t = float(best) * h;
    for (int it = 0; it < 30; ++it) {
        const float g = slope(t);
        if (g > 0.0f)
            tb = t;
        else
            ta = t;
        if (g == 0.0f) break;
        const float gp = Dot(c.d1, c.d1) - Dot(d, c.d2);
        if (gp > 0.0f) {
            const float step = g / gp;
            if (std::fabs(step) < 1e-7f) {
                t -= step;
                break;
            }
            t -= step;
            if (t > ta && t < tb) continue;
        }
        // Newton left the bracket or the distance is not convex here.
        t = 0.5f * (ta + tb);
        if (tb - ta < 1e-7f) break;
    }
    t = t > 0.0f ? (t < 1.0f ? t : 1.0f) : 0.0f;
    c.end = 0;
    if (t <= 1e-6f && slope(0.0f) >= 0.0f) {
        c.t = 0.0f;
        c.end = -1;
        return true;
    }
    if (t >= 1.0f - 1e-6f && slope(1.0f) <= 0.0f) {
        c.t = 1.0f;
        c.end = 1;
        return true;
    }
    c.t = t;
    slope(t);
    // From the stationarity of (q - C) . C': dt/dq = C' / (|C'|^2 - (q - C) . C'').
    const float gp = Dot(c.d1, c.d1) - Dot(d, c.d2);
    const float scale = Dot(c.d1, c.d1);
    if (gp > 1e-6f * scale && gp > 0.0f)
        for (int a = 0; a < 3; ++a) c.gradT[a] = c.d1[a] / gp;
    c.segment = std::min(unsigned(t * float(NUM_SEGMENTS)), NUM_SEGMENTS - 1);
    return true;
}

bool CurveSweep::FindOnPolyline(const float q[3], float reach, Closest& c) const
{
    unsigned best;
    if (!NearestSample(q, reach, best)) return false;
    // The closest polyline point lies on a segment next to the nearest
    // tabulated point (away from the medial axis, which is the
    // approximation this mode accepts).
    float bestD2 = std::numeric_limits<float>::max();
    const unsigned lo = best > 0 ? best - 1 : 0, hi = best < NUM_SEGMENTS ? best : NUM_SEGMENTS - 1;
    for (unsigned i = lo; i <= hi; ++i) {
        const float* a = m_pos[i].data();
        const float* b = m_pos[i + 1].data();
        const float dv[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float w[3] = {q[0] - a[0], q[1] - a[1], q[2] - a[2]};
        const float len2 = Dot(dv, dv);
        float s = len2 > 0.0f ? Dot(w, dv) / len2 : 0.0f;
        s = s > 0.0f ? (s < 1.0f ? s : 1.0f) : 0.0f;
        const float r[3] = {w[0] - s * dv[0], w[1] - s * dv[1], w[2] - s * dv[2]};
        const float d2 = Dot(r, r);
        if (d2 < bestD2) {
            bestD2 = d2;
            c.segment = i;
            c.s = s;
        }
    }
    const unsigned i = c.segment;
    const float h = 1.0f / float(NUM_SEGMENTS);
    c.t = (float(i) + c.s) * h;
    c.end = 0;
    if (i == 0 && c.s <= 0.0f) c.end = -1;
    if (i == NUM_SEGMENTS - 1 && c.s >= 1.0f) c.end = 1;
    // The polyline point replaces the curve point; the curve's derivatives
    // still orient the profile.
    float p[3];
    Curve(c.t, p, c.d1, c.d2);
    const float* a = m_pos[i].data();
    const float* b = m_pos[i + 1].data();
    float dv[3];
    for (int k = 0; k < 3; ++k) {
        dv[k] = b[k] - a[k];
        c.p[k] = a[k] + c.s * dv[k];
    }
    const float len2 = Dot(dv, dv);
    if (c.s > 0.0f && c.s < 1.0f && len2 > 0.0f)
        for (int k = 0; k < 3; ++k) c.gradT[k] = dv[k] / (len2 * float(NUM_SEGMENTS));
    return true;
}

bool CurveSweep::Evaluate(const float q[3], bool wantGradient, float& value, float g[3]) const
{
    value = 0.0f;
    g[0] = g[1] = g[2] = 0.0f;
    const Wml::AxisAlignedBox2<float> tb = m_template.Bounds();
    if (tb.IsEmpty()) return false;
    const bool exact = m_mode == ExactClosestPoint;
    const float halfBody = 0.5f * (exact ? m_arc[NUM_SEGMENTS] : m_polyArc[NUM_SEGMENTS]);

    // Cheap reject: the box of the control points grown by the reach.
    const float mu = std::max(std::fabs(tb.Min(0)), std::fabs(tb.Max(0)));
    const float mv = std::max(std::fabs(tb.Min(1)), std::fabs(tb.Max(1)));
    const float profileReach2 = m_radius * m_radius * (mu * mu + mv * mv);
    const float capReach = m_endcap.Reach(halfBody);
    const float reach = std::sqrt(profileReach2 + capReach * capReach);
    for (int a = 0; a < 3; ++a)
        if (!(q[a] >= m_curveBox.Min(a) - reach && q[a] <= m_curveBox.Max(a) + reach)) return false;

    Closest c;
    if (!(exact ? FindExact(q, reach, c) : FindOnPolyline(q, reach, c))) return false;
    if (c.end == -1) c.segment = 0;
    if (c.end == 1) c.segment = NUM_SEGMENTS - 1;
    float d[3] = {q[0] - c.p[0], q[1] - c.p[1], q[2] - c.p[2]};
    if (!(Dot(d, d) <= reach * reach)) return false;

    // Profile frame at t: the tabulated frame carried by a minimal rotation.
    float T[3], N[3], B[3];
    Tangent(c.segment, c.t, c.d1, T);
    MinimalRotation(m_tan[c.segment].data(), T, m_nrm[c.segment].data(), N);
    OrthonormalizeAgainst(T, N);
    Cross(T, N, B);
    const float invR = 1.0f / m_radius;
    const float u = Dot(d, N) * invR, v = Dot(d, B) * invR;

    // Axial distance beyond the body.
    float e, gradE[3] = {0.0f, 0.0f, 0.0f};
    const float inner = m_endcap.InnerDepth(halfBody);
    if (c.end != 0) {
        float dir[3];
        if (exact) {
            for (int a = 0; a < 3; ++a) dir[a] = m_tan[c.end < 0 ? 0 : NUM_SEGMENTS][a];
        } else {
            const unsigned i = c.end < 0 ? 0 : NUM_SEGMENTS - 1;
            for (int a = 0; a < 3; ++a) dir[a] = m_pos[i + 1][a] - m_pos[i][a];
            if (Normalize(dir) == 0.0f)
                for (int a = 0; a < 3; ++a) dir[a] = m_tan[c.end < 0 ? 0 : NUM_SEGMENTS][a];
        }
        const float sign = float(c.end);
        e = sign * Dot(d, dir);
        for (int a = 0; a < 3; ++a) gradE[a] = sign * dir[a];
    } else {
        const unsigned i = c.segment;
        const float total = 2.0f * halfBody;
        const float* arc = exact ? m_arc.data() : m_polyArc.data();
        const float shallowest = std::min(arc[i], total - arc[i + 1]);
        if (shallowest >= inner) {
            // Deep inside the body: the ends do not matter here.
            e = -shallowest;
        } else {
            float S, dSdt;
            const float t0 = float(i) / float(NUM_SEGMENTS);
            if (exact) {
                // Arc length from t_i by three-point Gauss quadrature.
                const float hh = 0.5f * (c.t - t0), mid = t0 + hh;
                S = arc[i] + hh * (GAUSS3_W[0] * Speed(mid - hh * GAUSS3_X) + GAUSS3_W[1] * Speed(mid) +
                                   GAUSS3_W[2] * Speed(mid + hh * GAUSS3_X));
                dSdt = std::sqrt(Dot(c.d1, c.d1));
            } else {
                const float segLength = arc[i + 1] - arc[i];
                S = arc[i] + c.s * segLength;
                dSdt = segLength * float(NUM_SEGMENTS);
            }
            const float sign = S <= total - S ? -1.0f : 1.0f;
            e = S <= total - S ? -S : -(total - S);
            for (int a = 0; a < 3; ++a) gradE[a] = sign * dSdt * c.gradT[a];
        }
    }
    if (!(e < m_endcap.Reach(halfBody))) return false;

    if (!wantGradient) {
        const float t = m_template.Value(u, v);
        if (!(t > 0.0f)) return false;
        value = m_endcap.Value(t, e, halfBody);
        return true;
    }
    float tu, tv;
    const float t = m_template.ValueGradient(u, v, tu, tv);
    if (!(t > 0.0f)) return false;
    float dt, de;
    value = m_endcap.Value(t, e, halfBody, dt, de);

    // grad u = (N + (d . N') grad t) / radius, likewise v with B. For a
    // rotation-minimising frame N' = -(N . T') T, and d is perpendicular to T
    // at an exact closest point, so the bracket is N alone; the tabulated
    // frame's residual twist and the polyline mode's slant are far below
    // what the field's gradient can show, so the frame is taken as fixed.
    const float ku = dt * tu * invR, kv = dt * tv * invR;
    for (int a = 0; a < 3; ++a) g[a] = ku * N[a] + kv * B[a] + de * gradE[a];
    return true;
}

float CurveSweep::Value(float x, float y, float z)
{
    if (!m_template.IsSet()) return 0.0f;
    float q[3], v, g[3];
    m_frame.ToLocal(x, y, z, q);
    Evaluate(q, false, v, g);
    return v;
}

void CurveSweep::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    gx = gy = gz = 0.0f;
    if (value) *value = 0.0f;
    if (!m_template.IsSet()) return;
    float q[3], v, g[3];
    m_frame.ToLocal(x, y, z, q);
    if (!Evaluate(q, true, v, g)) return;
    m_frame.GradientToWorld(g, gx, gy, gz);
    if (value) *value = v;
}

void CurveSweep::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box = Wml::AxisAlignedBox3<float>();
    const Wml::AxisAlignedBox2<float> tb = m_template.Bounds();
    if (tb.IsEmpty()) return;
    const float mu = std::max(std::fabs(tb.Min(0)), std::fabs(tb.Max(0)));
    const float mv = std::max(std::fabs(tb.Min(1)), std::fabs(tb.Max(1)));
    const float halfBody = 0.5f * std::max(m_arc[NUM_SEGMENTS], m_polyArc[NUM_SEGMENTS]);
    const float capReach = m_endcap.Reach(halfBody);
    const float reach = std::sqrt(m_radius * m_radius * (mu * mu + mv * mv) + capReach * capReach);
    Wml::AxisAlignedBox3<float> local = m_curveBox;
    local.Dilate(reach);
    box = m_frame.LocalBoxToWorld(local);
}

void CurveSweep::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    if (!m_template.IsSet()) return;
    std::vector<Wml::Vector2<float>> seeds;
    m_template.FindSeeds(seeds);
    const float t = 0.5f;
    float p[3], d1[3], d2[3], T[3], N[3], B[3];
    Curve(t, p, d1, d2);
    const unsigned segment = NUM_SEGMENTS / 2;
    Tangent(segment, t, d1, T);
    MinimalRotation(m_tan[segment].data(), T, m_nrm[segment].data(), N);
    OrthonormalizeAgainst(T, N);
    Cross(T, N, B);
    for (const auto& s : seeds) {
        Wml::Vector3<float> local;
        for (int a = 0; a < 3; ++a) local[a] = p[a] + m_radius * (s.X() * N[a] + s.Y() * B[a]);
        points.push_back(m_frame.ToWorldPoint(local));
    }
}

}  // namespace vynimplicit

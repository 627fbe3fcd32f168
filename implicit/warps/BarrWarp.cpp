#include "implicit/warps/BarrWarp.h"

#include <algorithm>
#include <cmath>

namespace vynimplicit {

namespace {

constexpr float PI = 3.14159265358979f;
// Share of the bend range over which each end is rounded.
constexpr float BEND_ROUNDING = 0.1f;
// Width of the rounded floor that keeps the taper scale positive.
constexpr float TAPER_FLOOR_WIDTH = 0.05f;

float ClampAbs(float v, float limit)
{
    return std::min(limit, std::max(-limit, v));
}

// Clamps s to [lo, hi] with both corners replaced by parabolas of half-width
// b, so the result is C^1 in s; derivative receives d result / d s.
float SoftClamp(float s, float lo, float hi, float b, float& derivative)
{
    if (b <= 0.0f) {
        derivative = (s > lo && s < hi) ? 1.0f : 0.0f;
        return std::min(hi, std::max(lo, s));
    }
    if (s >= hi + b) {
        derivative = 0.0f;
        return hi;
    }
    if (s > hi - b) {
        const float d = s - hi + b;
        derivative = 1.0f - d / (2.0f * b);
        return s - d * d / (4.0f * b);
    }
    if (s <= lo - b) {
        derivative = 0.0f;
        return lo;
    }
    if (s < lo + b) {
        const float d = lo + b - s;
        derivative = 1.0f - d / (2.0f * b);
        return s + d * d / (4.0f * b);
    }
    derivative = 1.0f;
    return s;
}

}  // namespace

BarrWarp::BarrWarp(int mode)
{
    SetMode(mode);
    m_map.Set(m_frame);
}

bool BarrWarp::SetMode(int mode)
{
    if (mode < TWIST || mode > BEND) return false;
    m_mode = mode;
    return true;
}

bool BarrWarp::SetFrame(const Wml::Frame3f& frame)
{
    if (!frame.IsValid()) return false;
    m_frame = frame;
    m_map.Set(frame);
    return true;
}

bool BarrWarp::SetTwistRate(float radiansPerUnit)
{
    if (!std::isfinite(radiansPerUnit)) return false;
    m_twistRate = ClampAbs(radiansPerUnit, MAX_RATE);
    return true;
}

bool BarrWarp::SetTaperRange(float zStart, float zEnd)
{
    if (!std::isfinite(zStart) || !std::isfinite(zEnd)) return false;
    zStart = ClampAbs(zStart, MAX_POSITION);
    zEnd = ClampAbs(zEnd, MAX_POSITION);
    if (std::fabs(zEnd - zStart) < 1e-6f) return false;
    m_taperZStart = zStart;
    m_taperZEnd = zEnd;
    return true;
}

bool BarrWarp::SetTaperScales(float startScale, float endScale)
{
    if (!std::isfinite(startScale) || !std::isfinite(endScale)) return false;
    m_taperScaleStart = std::min(100.0f, std::max(0.0f, startScale));
    m_taperScaleEnd = std::min(100.0f, std::max(0.0f, endScale));
    return true;
}

float BarrWarp::TaperScale(float z, float* derivative) const
{
    const float slope = (m_taperScaleEnd - m_taperScaleStart) / (m_taperZEnd - m_taperZStart);
    const float linear = m_taperScaleStart + slope * (z - m_taperZStart);
    // Rounded floor: max(linear, MIN) with the corner replaced by a parabola.
    const float w = TAPER_FLOOR_WIDTH;
    float s, ds;
    if (linear >= MIN_TAPER_SCALE + w) {
        s = linear;
        ds = slope;
    } else if (linear <= MIN_TAPER_SCALE - w) {
        s = MIN_TAPER_SCALE;
        ds = 0.0f;
    } else {
        const float d = linear - MIN_TAPER_SCALE + w;
        s = MIN_TAPER_SCALE + d * d / (4.0f * w);
        ds = slope * d / (2.0f * w);
    }
    if (derivative) *derivative = ds;
    return s;
}

bool BarrWarp::SetBendCurvature(float curvature)
{
    if (!std::isfinite(curvature)) return false;
    m_bendCurvature = ClampAbs(curvature, MAX_RATE);
    return true;
}

bool BarrWarp::SetBendCentre(float z)
{
    if (!std::isfinite(z)) return false;
    m_bendCentre = ClampAbs(z, MAX_POSITION);
    return true;
}

bool BarrWarp::SetBendRange(float zMin, float zMax)
{
    if (!std::isfinite(zMin) || !std::isfinite(zMax)) return false;
    zMin = ClampAbs(zMin, MAX_POSITION);
    zMax = ClampAbs(zMax, MAX_POSITION);
    m_bendMin = std::min(zMin, zMax);
    m_bendMax = std::max(zMin, zMax);
    return true;
}

bool BarrWarp::IsIdentity() const
{
    switch (m_mode) {
        case TWIST:
            return m_twistRate == 0.0f;
        case TAPER:
            return m_taperScaleStart == 1.0f && m_taperScaleEnd == 1.0f;
        default:
            // An empty range containing the centre bends nothing either.
            return std::fabs(m_bendCurvature) < MIN_CURVATURE ||
                   (m_bendMin == m_bendMax && m_bendMin == m_bendCentre);
    }
}

void BarrWarp::LocalMap(const Wml::Vector3f& in, Wml::Vector3f& out, float (*J)[3]) const
{
    const float x = in.X(), y = in.Y(), z = in.Z();
    if (m_mode == TWIST) {
        const float theta = m_twistRate * z;
        const float c = std::cos(theta), s = std::sin(theta);
        const float xr = c * x + s * y, yr = -s * x + c * y;
        out = Wml::Vector3f(xr, yr, z);
        if (J) {
            J[0][0] = c, J[0][1] = s, J[0][2] = m_twistRate * yr;
            J[1][0] = -s, J[1][1] = c, J[1][2] = -m_twistRate * xr;
            J[2][0] = 0, J[2][1] = 0, J[2][2] = 1;
        }
        return;
    }
    if (m_mode == TAPER) {
        float ds;
        const float s = TaperScale(z, &ds);
        const float inv = 1.0f / s;
        const float xs = x * inv, ys = y * inv;
        out = Wml::Vector3f(xs, ys, z);
        if (J) {
            J[0][0] = inv, J[0][1] = 0, J[0][2] = -xs * ds * inv;
            J[1][0] = 0, J[1][1] = inv, J[1][2] = -ys * ds * inv;
            J[2][0] = 0, J[2][1] = 0, J[2][2] = 1;
        }
        return;
    }
    // Bend. Mirror so that the curvature is positive; the centre of
    // curvature then lies at (1/k, z0) in the xz plane. alpha is the polar
    // angle about that centre (0 towards the unbent axis), s = alpha / k the
    // arc length it stands for, clamped softly to the bend range; the child
    // point is read in the frame of the arc at that length. Everything is
    // written in k * u and k * v so small curvatures lose no precision.
    const float sign = m_bendCurvature < 0.0f ? -1.0f : 1.0f;
    const float k = std::fabs(m_bendCurvature);
    const float u = sign * x, v = z - m_bendCentre;
    const float X = 1.0f - k * u, Y = k * v;
    const float Q = std::max(X * X + Y * Y, 1e-20f);
    const float s = std::atan2(Y, X) / k;
    const float lo = m_bendMin - m_bendCentre, hi = m_bendMax - m_bendCentre;
    float ds;
    const float sc = SoftClamp(s, lo, hi, BEND_ROUNDING * (hi - lo), ds);
    const float theta = k * sc;
    const float ct = std::cos(theta), st = std::sin(theta);
    const float sh = std::sin(0.5f * theta);
    const float xm = 2.0f * sh * sh / k + u * ct - v * st;
    const float zb = m_bendCentre + (sc - st / k) + u * st + v * ct;
    out = Wml::Vector3f(sign * xm, y, zb);
    if (J) {
        const float kq = ds / Q;
        const float E = X * st - Y * ct, F = 1.0f - X * ct - Y * st;
        const float dxdu = ct + kq * E * Y, dxdv = -st + kq * E * X;
        const float dzdu = st + kq * F * Y, dzdv = ct + kq * F * X;
        J[0][0] = dxdu, J[0][1] = 0, J[0][2] = sign * dxdv;
        J[1][0] = 0, J[1][1] = 1, J[1][2] = 0;
        J[2][0] = sign * dzdu, J[2][1] = 0, J[2][2] = dzdv;
    }
}

float BarrWarp::Value(float x, float y, float z)
{
    ScalarField* child = GetWarpedChild();
    if (!child || !IsFinitePoint(x, y, z)) return 0.0f;
    if (IsIdentity()) return child->Value(x, y, z);
    Wml::Vector3f q;
    LocalMap(m_map.ToLocal(Wml::Vector3f(x, y, z)), q, nullptr);
    const Wml::Vector3f c = m_map.ToWorld(q);
    return child->Value(c.X(), c.Y(), c.Z());
}

void BarrWarp::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    ScalarField* child = GetWarpedChild();
    if (!child || !IsFinitePoint(x, y, z)) {
        gx = gy = gz = 0.0f;
        if (value) *value = 0.0f;
        return;
    }
    if (IsIdentity()) {
        child->Gradient(x, y, z, gx, gy, gz, value);
        return;
    }
    float J[3][3];
    Wml::Vector3f q;
    LocalMap(m_map.ToLocal(Wml::Vector3f(x, y, z)), q, J);
    const Wml::Vector3f c = m_map.ToWorld(q);
    Wml::Vector3f g;
    child->Gradient(c.X(), c.Y(), c.Z(), g.X(), g.Y(), g.Z(), value);
    // Chain rule through world -> local -> bent local -> world.
    const Wml::Vector3f gq = m_map.GradientToLocal(g);
    const Wml::Vector3f gl(J[0][0] * gq.X() + J[1][0] * gq.Y() + J[2][0] * gq.Z(),
                           J[0][1] * gq.X() + J[1][1] * gq.Y() + J[2][1] * gq.Z(),
                           J[0][2] * gq.X() + J[1][2] * gq.Y() + J[2][2] * gq.Z());
    const Wml::Vector3f gw = m_map.GradientToWorld(gl);
    gx = gw.X();
    gy = gw.Y();
    gz = gw.Z();
}

void BarrWarp::WarpPoint(const Wml::Vector3f& p, Wml::Vector3f& q, Wml::Matrix3f* jacobian)
{
    if (IsIdentity()) {
        q = p;
        if (jacobian) jacobian->MakeIdentity();
        return;
    }
    float J[3][3];
    Wml::Vector3f local;
    LocalMap(m_map.ToLocal(p), local, J);
    q = m_map.ToWorld(local);
    if (jacobian) {
        Wml::Matrix3f m;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m(r, c) = J[r][c];
        *jacobian = m_map.identity ? m : m_map.toWorld * m * m_map.toLocal;
    }
}

void BarrWarp::FieldBounds(Wml::AxisAlignedBox3f& box)
{
    box.MakeEmpty();
    ScalarField* child = GetWarpedChild();
    if (!child) return;
    Wml::AxisAlignedBox3f childBox;
    child->FieldBounds(childBox);
    if (childBox.IsEmpty() || IsIdentity()) {
        box = childBox;
        return;
    }
    const Wml::AxisAlignedBox3f local = m_map.BoxToLocal(childBox);
    Wml::AxisAlignedBox3f bent;
    if (m_mode == TWIST) {
        // The largest distance from the axis is reached at a corner.
        float r2 = 0.0f;
        for (int i = 0; i < 4; ++i) {
            const float cx = (i & 1) ? local.Max(0) : local.Min(0);
            const float cy = (i & 2) ? local.Max(1) : local.Min(1);
            r2 = std::max(r2, cx * cx + cy * cy);
        }
        const float r = std::sqrt(r2);
        bent = Wml::AxisAlignedBox3f(-r, r, -r, r, local.Min(2), local.Max(2));
    } else if (m_mode == TAPER) {
        // s(z) is monotonic, so its extremes over the box are at the ends.
        const float s0 = TaperScale(local.Min(2)), s1 = TaperScale(local.Max(2));
        const float sMin = std::min(s0, s1), sMax = std::max(s0, s1);
        bent = Wml::AxisAlignedBox3f(std::min(sMin * local.Min(0), sMax * local.Min(0)),
                                     std::max(sMin * local.Max(0), sMax * local.Max(0)),
                                     std::min(sMin * local.Min(1), sMax * local.Min(1)),
                                     std::max(sMin * local.Max(1), sMax * local.Max(1)), local.Min(2),
                                     local.Max(2));
    } else {
        BendBounds(local, bent);
    }
    box = m_map.BoxToWorld(bent);
}

void BarrWarp::BendBounds(const Wml::AxisAlignedBox3f& local, Wml::AxisAlignedBox3f& out) const
{
    // Every world point p is A(theta) + x' N(theta) + t T(theta), with
    // theta = k * s' for the clamped arc length s' the back map finds, x'
    // the child's x and t = z' - z0 - s' (A the arc, N and T its normal and
    // tangent). t is 0 where s' is inside the unrounded part of the range,
    // of one sign in each rounded end. So the bent box is covered by pieces
    // of the arc, each bounded by the images of its corner values plus the
    // sagitta of the arcs those corners sweep about the centre.
    const float sign = m_bendCurvature < 0.0f ? -1.0f : 1.0f;
    const float k = std::fabs(m_bendCurvature);
    const float xMin = sign > 0 ? local.Min(0) : -local.Max(0);
    const float xMax = sign > 0 ? local.Max(0) : -local.Min(0);
    const float z0 = m_bendCentre;
    const float lo = m_bendMin - z0, hi = m_bendMax - z0, b = BEND_ROUNDING * (hi - lo);
    const float zl = local.Min(2) - z0, zh = local.Max(2) - z0;
    const float sLo = std::max(lo, std::min(zl, hi - b));
    const float sHi = std::min(hi, std::max(zh, lo + b));
    // The sign of t is known only while the rounded ends do not pass the centre.
    const bool upperSigned = hi - b >= 0.0f, lowerSigned = lo + b <= 0.0f;

    Wml::AxisAlignedBox3f bent;
    // Pieces short enough in angle for small sagittas and in length for the
    // rounded ends to get their own pieces (t stays narrow there).
    float count = std::ceil(k * (sHi - sLo) / (PI / 8.0f));
    if (b > 0.0f) count = std::max(count, std::ceil(2.0f * (sHi - sLo) / b));
    const int pieces = std::max(1, std::min(256, int(count)));
    for (int j = 0; j < pieces; ++j) {
        const float sa = sLo + (sHi - sLo) * float(j) / float(pieces);
        const float sb = j + 1 == pieces ? sHi : sLo + (sHi - sLo) * float(j + 1) / float(pieces);
        const bool upper = sb >= hi - b, lower = sa <= lo + b;
        float tMin, tMax;
        if (!upper && !lower) {
            if (sb < zl || sa > zh) continue;
            tMin = tMax = 0.0f;
        } else {
            tMin = zl - sb;
            tMax = zh - sa;
            if (upper && !lower && upperSigned) tMin = std::max(0.0f, tMin);
            if (lower && !upper && lowerSigned) tMax = std::min(0.0f, tMax);
            if (tMin > tMax) continue;
        }
        Wml::AxisAlignedBox3f piece;
        float sagitta = 0.0f;
        const float dTheta = k * (sb - sa);
        for (int c = 0; c < 4; ++c) {
            const float xc = (c & 1) ? xMax : xMin, tc = (c & 2) ? tMax : tMin;
            // Radius of the corner's circle about the centre, times k.
            const float rk = std::sqrt((1.0f - k * xc) * (1.0f - k * xc) + (k * tc) * (k * tc));
            const float sq = std::sin(0.25f * dTheta);
            sagitta = std::max(sagitta, dTheta >= PI ? 2.0f * rk / k : rk * 2.0f * sq * sq / k);
            for (int e = 0; e < 2; ++e) {
                const float theta = k * (e ? sb : sa);
                const float ct = std::cos(theta), st = std::sin(theta), sh = std::sin(0.5f * theta);
                piece.Merge(Wml::Vector3f(2.0f * sh * sh / k + xc * ct + tc * st, 0.0f,
                                          z0 + st / k - xc * st + tc * ct));
            }
        }
        piece.Dilate(sagitta);
        bent.Merge(piece);
    }
    if (bent.IsEmpty()) {
        out.MakeEmpty();
        return;
    }
    // Float rounding in the map itself.
    const float pad = 1e-5f * (1.0f + std::max(std::fabs(bent.Max(0)) + std::fabs(bent.Min(0)),
                                               std::fabs(bent.Max(2)) + std::fabs(bent.Min(2))));
    const float x0 = bent.Min(0) - pad, x1 = bent.Max(0) + pad;
    out = Wml::AxisAlignedBox3f(sign > 0 ? x0 : -x1, sign > 0 ? x1 : -x0, local.Min(1), local.Max(1),
                                bent.Min(2) - pad, bent.Max(2) + pad);
}

}  // namespace vynimplicit

#pragma once
// The two-argument blend functions every operator of this folder is built on,
// written in the plane of two field values (a, b) in [0, 1]. Each function
// returns the blended value and its partial derivatives da = dv/da and
// db = dv/db, so that an operator's gradient is da * grad a + db * grad b.
// They are inline: operators call them millions of times per polygonization.
//
// The unions share one shape, a "width-blended max":
//     v = max(a, b) + B(d, k),   d = a - b,
//     B = (k - |d|)^2 / (4 k)  for |d| < k, else 0,
// where the blend width k >= 0 is a function of the level s = a + b. B rounds
// the corner of max near the diagonal a = b; it is C^1 across the diagonal
// and at |d| = k, so the union is C^1 wherever k > 0 or |d| > 0. Each union
// differs only in its width profile k(s):
//   - Barthe, exact crease:  k = slope * s (2 - s) * |1 - s|
//     Vanishes on the line s = 1 through the corner (0.5, 0.5), and on the
//     0.5 level of max (max = 0.5 means |d| = |1 - s| >= k), so the 0.5
//     iso-surface is exactly that of max: a crease stays sharp. Below the
//     surface v < 0.5 and above it v > 0.5, so no point changes side. The
//     rounding grows with the distance from the 0.5 level.
//   - Barthe, smooth:  k = slope * s (2 - s) / 2
//     Near (0, 0) this is a wedge around the diagonal whose edges make the
//     angle theta with the axes, slope = tan(45deg - theta); the surface is
//     rounded along the seam.
//   - Quillon:  k = 0.5 * (s (2 - s))^2
//     Widest at the seam level s = 1 and flat towards s = 0 and s = 2, so the
//     union keeps the shape of max except near the intersection seam, where
//     it adds a fillet.
// With slope <= 1 (0.5 for the exact crease) every profile satisfies
// k <= |d| whenever one argument is 0 or 1 and k <= 2 - s, which gives:
// v(a, 0) = a exactly (a child that is zero changes nothing), v(0, 0) = 0,
// v in [0, 1], v = 1 when an argument is 1.
// Intersections and differences follow by duality:
//     I(a, b) = 1 - U(1 - a, 1 - b),   D(a, b) = I(a, 1 - b),
// so I(a, 0) = 0, I(a, 1) = a, D(0, b) = 0 and D(a, 0) = a.

#include <algorithm>
#include <cmath>

namespace vynimplicit {
namespace blend {

/// A child's value made safe to combine: clamped into [0, 1], NaN becomes 0.
inline float UnitValue(float f)
{
    return f > 0.0f ? (f < 1.0f ? f : 1.0f) : 0.0f;
}

/// Smooth clamp of a sum into [0, 1]: identity up to 0.75, then the parabola
/// s - (s - 0.75)^2 that reaches 1 with zero slope at 1.25, and 1 beyond. C^1;
/// the 0.5 level of the sum is untouched. derivative gets dC/ds.
inline float SmoothUnitClamp(float s, float& derivative)
{
    if (s <= 0.75f) {
        derivative = 1.0f;
        return s;
    }
    if (s >= 1.25f) {
        derivative = 0.0f;
        return 1.0f;
    }
    const float e = s - 0.75f;
    derivative = 1.0f - 2.0f * e;
    return s - e * e;
}

/// max(a, b) + B(a - b, k) as described above, where dkds = dk/ds along the
/// level s = a + b. k <= 0 gives the plain max (ties split the derivative).
inline float WidthBlendedMax(float a, float b, float k, float dkds, float& da, float& db)
{
    const float d = a - b;
    const float ad = std::fabs(d);
    float v;
    if (d > 0.0f) {
        v = a;
        da = 1.0f;
        db = 0.0f;
    } else if (d < 0.0f) {
        v = b;
        da = 0.0f;
        db = 1.0f;
    } else {
        v = a;
        da = db = 0.5f;
    }
    if (!(k > ad)) return v;
    const float t = k - ad;
    const float inv = 1.0f / k;
    const float sign = d > 0.0f ? 1.0f : (d < 0.0f ? -1.0f : 0.0f);
    const float bump = 0.25f * t * t * inv;
    const float bumpD = -0.5f * sign * t * inv;               // dB/dd
    const float bumpK = 0.25f * (k * k - d * d) * inv * inv;  // dB/dk
    da += bumpD + bumpK * dkds;
    db += -bumpD + bumpK * dkds;
    return std::min(v + bump, 1.0f);
}

/// Parameters of the Barthe union: slope sets the blend width (0 = plain
/// max); exactCrease keeps the 0.5 iso-surface exactly that of max.
struct BartheBlendParams {
    float slope = 0.5f;
    bool exactCrease = true;
};

/// Parameters of the sharp operators: the widest blend whose 0.5 level is
/// still exactly the sharp one and whose values stay in [0, 1].
inline BartheBlendParams SharpBartheParams()
{
    return BartheBlendParams{0.5f, true};
}

/// Parameters of the smooth union whose blend wedge near (0, 0) makes the
/// angle angleDegrees with the axes: slope = tan(45deg - angle). The angle is
/// clamped to [0, 45] degrees (45 = plain max, 0 = widest blend); NaN gives 45.
inline BartheBlendParams SmoothBartheParamsFromAngle(float angleDegrees)
{
    float angle = angleDegrees >= 0.0f ? std::min(angleDegrees, 45.0f) : (angleDegrees < 0.0f ? 0.0f : 45.0f);
    const float radians = (45.0f - angle) * 3.14159265358979f / 180.0f;
    return BartheBlendParams{std::min(std::tan(radians), 1.0f), false};
}

/// Barthe union of a and b (see the top of this file).
inline float BartheUnion(float a, float b, const BartheBlendParams& p, float& da, float& db)
{
    const float s = a + b;
    const float poly = s * (2.0f - s);
    if (!(poly > 0.0f) || !(p.slope > 0.0f)) return WidthBlendedMax(a, b, 0.0f, 0.0f, da, db);
    float k, dk;
    if (p.exactCrease) {
        const float m = std::fabs(1.0f - s);
        const float dm = s > 1.0f ? 1.0f : -1.0f;
        k = p.slope * poly * m;
        dk = p.slope * ((2.0f - 2.0f * s) * m + poly * dm);
    } else {
        k = 0.5f * p.slope * poly;
        dk = 0.5f * p.slope * (2.0f - 2.0f * s);
    }
    return WidthBlendedMax(a, b, k, dk, da, db);
}

/// Barthe intersection: 1 - U(1 - a, 1 - b).
inline float BartheIntersection(float a, float b, const BartheBlendParams& p, float& da, float& db)
{
    const float u = BartheUnion(1.0f - a, 1.0f - b, p, da, db);
    return std::max(1.0f - u, 0.0f);
}

/// Barthe difference (a minus b): I(a, 1 - b).
inline float BartheDifference(float a, float b, const BartheBlendParams& p, float& da, float& db)
{
    const float v = BartheIntersection(a, 1.0f - b, p, da, db);
    db = -db;
    return v;
}

/// Quillon union (see the top of this file).
inline float QuillonUnion(float a, float b, float& da, float& db)
{
    const float s = a + b;
    const float poly = s * (2.0f - s);
    if (!(poly > 0.0f)) return WidthBlendedMax(a, b, 0.0f, 0.0f, da, db);
    const float k = 0.5f * poly * poly;
    const float dk = poly * (2.0f - 2.0f * s);
    return WidthBlendedMax(a, b, k, dk, da, db);
}

/// Power mean ((a^p + b^p) / 2)^(1/p) for p >= 1, computed relative to the
/// larger argument so that any p up to 1e4 neither underflows to 0/0 nor
/// overflows. Equal arguments give that value; p -> infinity gives max.
inline float PowerMean(float a, float b, float p, float& da, float& db)
{
    const bool aLarger = a >= b;
    const float m = aLarger ? a : b;
    if (!(m > 0.0f)) {
        da = db = 0.0f;
        return 0.0f;
    }
    const float r = (aLarger ? b : a) / m;              // in [0, 1]
    const float rp = r > 0.0f ? std::pow(r, p) : 0.0f;  // r^p
    const float q = 0.5f * (1.0f + rp);                 // in [0.5, 1]
    const float qroot = std::pow(q, 1.0f / p);          // mean / m
    const float common = 0.5f * qroot / q;              // 0.5 q^(1/p - 1)
    const float dLarge = common;                        // 0.5 (m / mean)^(p - 1)
    // 0.5 (small / mean)^(p - 1); at r = 0 only p = 1 leaves a finite slope.
    const float dSmall = r > 0.0f ? common * rp / r : (p <= 1.0f ? common : 0.0f);
    da = aLarger ? dLarge : dSmall;
    db = aLarger ? dSmall : dLarge;
    return m * qroot;
}

}  // namespace blend
}  // namespace vynimplicit

#pragma once
// How every sweep closes its ends: the one place where a profile value and
// the distance along the sweep become a field value.

#include "implicit/Falloff.h"

namespace vynimplicit {

/// The three ways a sweep ends (the numbers are those stored in scene files).
enum class CapStyle : int {
    FlatRound = 0,  ///< flat end faces, rim rounded by the endcap blend angle
    Blobby = 1,     ///< the ends bulge out by a dome that grows with the profile value
    FlatSharp = 2,  ///< flat end faces with a sharp rim
};

/**
 * \brief End-cap blend shared by all sweeps.
 *
 * A sweep reduces a point to two numbers: the profile value t (the template
 * value in the cross-section, 0.5 on the outline) and the signed axial
 * distance e beyond the body's end (negative inside the body, 0 on the end
 * plane, positive beyond it); halfBody is half the body's length along the
 * sweep.
 *
 * Flat styles: an axial field a(e) falls from 1 to 0 over the falloff length
 * L and crosses 0.5 exactly on the end plane:
 *     a = w(max(0, e + L' * r0) / L'),  r0 = FALLOFF_SURFACE_RADIUS,
 *     L' = min(L, halfBody / r0)
 * (L is shortened for bodies too thin to hold the whole falloff, so a stays
 * 1 in the middle and the end faces stay at +-halfBody). The field is then
 * the intersection of t and a:
 *  - FlatSharp: min(t, a) (C0: the gradient jumps where t = a);
 *  - FlatRound: a smooth blend of the same intersection. With the
 *    value-plane coordinate s = (a - t) / (a + t) (the tangent of the polar
 *    angle in the (t, a) plane minus 45 degrees), min(t, a) equals
 *    (a + t) / 2 * (1 - |s|); inside |s| < k the |s| is replaced by
 *    k P(s / k), P(x) = (3 + 6x^2 - x^4) / 8, which meets it with equal
 *    value, slope and curvature at |s| = k, where k = tan(angle) / 3. The
 *    blend never exceeds min(t, a), so it rounds the rim inwards; the 1/3
 *    keeps the flat faces (one value 1, the other 0.5, |s| = 1/3) exact for
 *    every angle below 45 degrees. Along t = a it lowers the value by the
 *    factor 1 - 3k/8, also deep inside.
 * Blobby: F = t * w(max(0, e) / h) with h = L / r0: the cross-section is
 * extruded over the body and each end grows a dome whose height is L where
 * t = 1 and shrinks like a square root towards the outline, which gives the
 * pillow shape of an inflated outline.
 *
 * All results lie in [0, 1], are C1 in (t, e) except FlatSharp's crease,
 * and vanish for e >= Reach(halfBody).
 */
class SweepEndcap {
public:
    static constexpr float MIN_FALLOFF_LENGTH = 1e-4f;
    static constexpr float MAX_FALLOFF_LENGTH = 1e6f;
    static constexpr float MIN_BLEND_ANGLE = 0.001f;
    static constexpr float MAX_BLEND_ANGLE = 44.9f;

    /// FlatRound, falloff length 0.25, blend angle 30 degrees.
    SweepEndcap() { ComputeParams(); }

    CapStyle GetStyle() const { return m_style; }
    /// Style 0, 1 or 2; anything else is refused (false, unchanged).
    bool SetStyle(int style);
    bool SetStyle(CapStyle style) { return SetStyle(static_cast<int>(style)); }

    float GetFalloffLength() const { return m_falloffLength; }
    /// Clamped to [MIN_FALLOFF_LENGTH, MAX_FALLOFF_LENGTH]; NaN is ignored.
    void SetFalloffLength(float length);

    /// Endcap blend angle in degrees.
    float GetBlendAngle() const { return m_blendAngle; }
    /// Clamped to [MIN_BLEND_ANGLE, MAX_BLEND_ANGLE]; NaN is ignored. The
    /// blend constants are recomputed at once.
    void SetBlendAngle(float degrees);
    /// Recomputes the blend constants from the angle (idempotent).
    void ComputeParams();
    /// The blend half-width k in the value plane.
    float GetBlendWidth() const { return m_k; }

    /// How far beyond the end plane the field stays above 0.
    float Reach(float halfBody) const;

    /// Depth inside the body (e <= -InnerDepth) beyond which the value no
    /// longer depends on e.
    float InnerDepth(float halfBody) const
    {
        return m_style == CapStyle::Blobby ? 0.0f : EffectiveFalloff(halfBody) * FALLOFF_SURFACE_RADIUS;
    }

    /// Field value for profile value t and axial distance e.
    float Value(float t, float e, float halfBody) const
    {
        float dt, de;
        return Value(t, e, halfBody, dt, de);
    }
    /// Field value with its partial derivatives by t and by e.
    float Value(float t, float e, float halfBody, float& dt, float& de) const;

    /// The flat styles' intersection of t and a with its partial derivatives
    /// (the blend of the current style; Blobby answers the FlatRound blend).
    float Intersect(float t, float a, float& dt, float& da) const;

private:
    // L' of the flat styles.
    float EffectiveFalloff(float halfBody) const
    {
        float l = halfBody / FALLOFF_SURFACE_RADIUS;
        if (!(l < m_falloffLength)) l = m_falloffLength;
        return l > 1e-6f ? l : 1e-6f;
    }

    CapStyle m_style = CapStyle::FlatRound;
    float m_falloffLength = 0.25f;
    float m_blendAngle = 30.0f;
    float m_k = 0.0f, m_invK = 0.0f;
};

}  // namespace vynimplicit

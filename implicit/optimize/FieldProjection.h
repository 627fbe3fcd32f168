#pragma once
// Small helpers the optimizers share: damped Newton steps towards an
// iso-surface and the field normal. Internal to implicit/optimize.

#include <cmath>

#include "implicit/ScalarField.h"
#include "wml/Vector3.h"

namespace vynimplicit {
namespace optimize_detail {

inline bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

/// Shortens d to at most maxLength; without a usable bound nothing moves.
inline Wml::Vector3<float> ClampLength(const Wml::Vector3<float>& d, float maxLength)
{
    if (!(maxLength > 0.0f) || !std::isfinite(maxLength)) return Wml::Vector3<float>::ZERO;
    float len = d.Length();
    if (len > maxLength) return d * (maxLength / len);
    return d;
}

/// One Newton step p += weight * (iso - f) g / |g|^2, clamped to maxStep.
/// False (p unchanged) where the gradient vanishes or anything is not finite.
inline bool NewtonStep(ScalarField& field, Wml::Vector3<float>& p, float iso, float weight, float maxStep)
{
    float f = 0.0f;
    Wml::Vector3<float> g = field.Gradient(p, &f);
    float g2 = g.SquaredLength();
    if (!std::isfinite(f) || !std::isfinite(g2) || g2 < 1e-20f) return false;
    Wml::Vector3<float> d = ClampLength(g * (weight * (iso - f) / g2), maxStep);
    Wml::Vector3<float> q = p + d;
    if (!IsFinite(q)) return false;
    p = q;
    return true;
}

/// Repeated damped Newton steps until |f - iso| <= tolerance. Each step is
/// kept only when it lowers the residual, so the point never wanders off.
inline void ProjectToIso(ScalarField& field, Wml::Vector3<float>& p, float iso, float weight, float maxStep,
                         unsigned iterations, float tolerance)
{
    float best = std::fabs(field.Value(p) - iso);
    if (!std::isfinite(best)) return;
    for (unsigned i = 0; i < iterations && best > tolerance; ++i) {
        Wml::Vector3<float> q = p;
        if (!NewtonStep(field, q, iso, weight, maxStep)) return;
        float r = std::fabs(field.Value(q) - iso);
        if (!(r < best)) {
            // A step that overshoots is halved once before giving up.
            q = p;
            if (!NewtonStep(field, q, iso, 0.5f * weight, 0.5f * maxStep)) return;
            r = std::fabs(field.Value(q) - iso);
            if (!(r < best)) return;
        }
        p = q;
        best = r;
    }
}

/// Outward unit normal (negated, normalised gradient); false where it vanishes.
inline bool FieldNormal(ScalarField& field, const Wml::Vector3<float>& p, Wml::Vector3<float>& n)
{
    Wml::Vector3<float> g = field.Gradient(p);
    float len = g.Length();
    if (!std::isfinite(len) || len < 1e-10f) return false;
    n = g * (-1.0f / len);
    return true;
}

}  // namespace optimize_detail
}  // namespace vynimplicit

#pragma once
// The soft falloff every primitive maps its distance through:
// w(r) = (1 - r^2)^3 for r in [0, 1], 0 beyond. It is 1 at the skeleton, 0.5 at
// r = 0.454202 (the surface) and C^2 at r = 1.

namespace vynimplicit {

/// r at which the falloff is 0.5.
constexpr float FALLOFF_SURFACE_RADIUS = 0.454202f;

/// w(r) for r >= 0.
inline float Falloff(float r)
{
    if (r >= 1.0f) return 0.0f;
    const float t = 1.0f - r * r;
    return t * t * t;
}

/// w as a function of r^2, avoiding a square root.
inline float FalloffSquared(float r2)
{
    if (r2 >= 1.0f) return 0.0f;
    const float t = 1.0f - r2;
    return t * t * t;
}

/// dw/d(r^2) = -3 (1 - r^2)^2 for r^2 < 1, else 0. Gradients follow by the
/// chain rule: grad w = dw/d(r^2) * grad(r^2).
inline float FalloffSquaredDerivative(float r2)
{
    if (r2 >= 1.0f) return 0.0f;
    const float t = 1.0f - r2;
    return -3.0f * t * t;
}

/// dw/dr = -6 r (1 - r^2)^2 for r < 1, else 0.
inline float FalloffDerivative(float r)
{
    if (r >= 1.0f) return 0.0f;
    const float t = 1.0f - r * r;
    return -6.0f * r * t * t;
}

/// The r in [0, 1] where the falloff equals value (clamped to (0, 1]).
float FalloffInverse(float value);

}  // namespace vynimplicit

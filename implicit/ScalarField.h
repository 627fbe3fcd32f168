#pragma once
// A scalar field in 3D world coordinates (single precision). Conventions every
// field keeps:
//  - values lie in [0, 1]; the surface is the iso-surface at 0.5, inside is
//    where the value is above 0.5;
//  - the value is 0 outside FieldBounds, and FieldBounds contains every point
//    where the value is above 0;
//  - Gradient is continuous and agrees with central differences of Value; it
//    points into the shape (towards larger values), so the outward surface
//    normal is the negated, normalized gradient.
// Slots 6 to 10 are implemented once here on top of Value and Gradient.
// Evaluation is not const: caches and grids fill lazily while answering.
// Value, Gradient and Color may be called from several threads at once as
// long as the field is not changed meanwhile; fields that build or fill
// anything while answering guard it so that every thread sees the same
// answers one thread would.

#include <vector>

#include "wml/AxisAlignedBox3.h"
#include "wml/Matrix3.h"
#include "wml/Vector3.h"

namespace vynimplicit {

class ScalarField {
public:
    ScalarField() = default;
    ScalarField(const ScalarField&) = default;
    ScalarField& operator=(const ScalarField&) = default;

    // ---- what every field provides: value, gradient, colour, bounds, seeds -

    virtual float Value(float x, float y, float z) = 0;
    /// Gradient at (x, y, z); the value there is written too when value is
    /// not null. The base takes central differences of Value.
    virtual void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value);
    /// Colour at a point; the base answers a neutral grey (0.7, 0.7, 0.7).
    virtual void Color(float x, float y, float z, float& r, float& g, float& b);
    /// A box outside of which the value is 0.
    virtual void FieldBounds(Wml::AxisAlignedBox3<float>& box) = 0;
    /// A box containing the iso-surface at isoValue; the base answers FieldBounds.
    virtual void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box);
    /// Appends at least one point on or near every connected piece of the
    /// surface (polygonizers start from them). The base appends nothing.
    virtual void GetSeedPoints(std::vector<Wml::Vector3<float>>& points);

    // ---- queries built on Value and Gradient: rays, projection, curvature --

    /// First crossing of isoValue along the ray start + t * direction, t >= 0
    /// (direction need not be unit length). The ray is clipped to box when
    /// given, else to FieldBounds. The ray is marched from outside with steps
    /// of stepSize (0 picks 1/256 of the clipped length) and the crossing
    /// refined by maxIterations bisection steps. False (hit unchanged) when
    /// the ray misses the surface, the direction is zero or input is not finite.
    virtual bool FindIntersection(const Wml::Vector3<float>& start, const Wml::Vector3<float>& direction,
                                  Wml::Vector3<float>& hit, const Wml::AxisAlignedBox3<float>* box,
                                  float stepSize, float isoValue, unsigned int maxIterations);
    /// Moves point onto the iso-surface by Newton steps along the gradient.
    /// True when |Value - isoValue| <= tolerance within maxIterations; the
    /// point is left at the best position found either way. False without
    /// moving it when the gradient vanishes at the start.
    virtual bool IsoValueConverge(Wml::Vector3<float>& point, float isoValue, unsigned int maxIterations,
                                  float tolerance);
    /// Hessian by central differences of Gradient (symmetrized).
    virtual void SecondDerivatives(float x, float y, float z, Wml::Matrix3<float>& hessian);
    /// The ten distinct third partial derivatives, by central differences of
    /// the Hessian, in the order fxxx, fxxy, fxxz, fxyy, fxyz, fxzz, fyyy,
    /// fyyz, fyzz, fzzz.
    virtual void ThirdDerivatives(float x, float y, float z, float derivatives[10]);
    /// Principal curvatures of the iso-surface through (x, y, z), k1 >= k2,
    /// positive where the surface bends around the inside (a sphere of radius
    /// r gives 1/r twice), with their unit directions when the pointers are
    /// not null. False where the gradient vanishes (curvatures set to 0).
    virtual bool PrincipalCurvatures(float x, float y, float z, float& k1, float& k2,
                                     Wml::Vector3<float>* direction1, Wml::Vector3<float>* direction2);

    /// Fields are deleted through this interface by whoever owns them.
    virtual ~ScalarField() = default;

    // ---- helpers ----------------------------------------------------------

    float Value(const Wml::Vector3<float>& p) { return Value(p.X(), p.Y(), p.Z()); }
    Wml::Vector3<float> Gradient(const Wml::Vector3<float>& p, float* value = nullptr);
    /// Step used for the finite differences of the base implementations.
    static constexpr float DIFFERENCE_STEP = 1e-3f;
};

}  // namespace vynimplicit

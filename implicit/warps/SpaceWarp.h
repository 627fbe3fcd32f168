#pragma once
// Base of the space warps: operators that read their first child at a moved
// point. A warp is defined by its back map g from world space into the
// child's space, value(p) = child(g(p)), so no warp ever has to be inverted
// to be evaluated; the deformation the user sees is g's inverse.

#include <cmath>
#include <vector>

#include "implicit/CompositionOperator.h"
#include "wml/Frame3.h"
#include "wml/Matrix3.h"
#include "wml/Vector3.h"

namespace vynimplicit {

/// The affine maps between world space and the local space of a Frame3,
/// scale included, kept as plain matrices so the hot paths avoid the
/// frame's component-wise divisions. local = toLocal (world - origin),
/// world = toWorld local + origin.
struct LocalFrameMap {
    bool identity = true;
    Wml::Vector3f origin;
    Wml::Matrix3f toLocal;
    Wml::Matrix3f toWorld;

    /// Takes the maps of frame (which the caller has checked with IsValid()).
    void Set(const Wml::Frame3f& frame);

    Wml::Vector3f ToLocal(const Wml::Vector3f& p) const { return identity ? p : toLocal * (p - origin); }
    Wml::Vector3f ToWorld(const Wml::Vector3f& q) const { return identity ? q : toWorld * q + origin; }
    /// World gradient of a function of the local coordinates: toLocal^T g.
    Wml::Vector3f GradientToWorld(const Wml::Vector3f& g) const
    {
        if (identity) return g;
        return Wml::Vector3f(toLocal(0, 0) * g.X() + toLocal(1, 0) * g.Y() + toLocal(2, 0) * g.Z(),
                             toLocal(0, 1) * g.X() + toLocal(1, 1) * g.Y() + toLocal(2, 1) * g.Z(),
                             toLocal(0, 2) * g.X() + toLocal(1, 2) * g.Y() + toLocal(2, 2) * g.Z());
    }
    /// Gradient with respect to local coordinates of a function of the world
    /// point: toWorld^T g.
    Wml::Vector3f GradientToLocal(const Wml::Vector3f& g) const
    {
        if (identity) return g;
        return Wml::Vector3f(toWorld(0, 0) * g.X() + toWorld(1, 0) * g.Y() + toWorld(2, 0) * g.Z(),
                             toWorld(0, 1) * g.X() + toWorld(1, 1) * g.Y() + toWorld(2, 1) * g.Z(),
                             toWorld(0, 2) * g.X() + toWorld(1, 2) * g.Y() + toWorld(2, 2) * g.Z());
    }
    /// Box in local coordinates holding the world box (through its corners).
    Wml::AxisAlignedBox3f BoxToLocal(const Wml::AxisAlignedBox3f& world) const;
    /// Box in world coordinates holding the local box (through its corners).
    Wml::AxisAlignedBox3f BoxToWorld(const Wml::AxisAlignedBox3f& local) const;
};

/// False for NaN or infinite coordinates, with one comparison cheap enough
/// for the evaluation paths. Points so far out that the sum of their
/// magnitudes overflows count as non-finite too; warps answer 0 there.
inline bool IsFinitePoint(float x, float y, float z)
{
    return std::fabs(x) + std::fabs(y) + std::fabs(z) <= 3.4e38f;
}

/// The C^1 weight of a warp ball: (1 - d^2/R^2)^2 inside, 0 outside. It is 1
/// at the centre and reaches 0 with zero slope on the sphere, so warps fade
/// out without a crease. Takes d^2 / R^2.
inline float BallWeight(float t)
{
    if (t >= 1.0f) return 0.0f;
    const float u = 1.0f - t;
    return u * u;
}
/// d BallWeight / d t.
inline float BallWeightDerivative(float t)
{
    if (t >= 1.0f) return 0.0f;
    return -2.0f * (1.0f - t);
}

/// Base of BarrWarp, VariationalWarp and LinearSweepWarp. Only the first
/// child is warped; further children are ignored (wrap them in a blend to
/// warp several fields). Without a child the field is 0 everywhere with
/// empty bounds.
class SpaceWarp : public CompositionOperator {
public:
    /// The warped child (the first one), null when there is none.
    ScalarField* GetWarpedChild() const { return m_children.empty() ? nullptr : m_children.front(); }

    /// The back map: q = g(p) is the point of the child's space whose value
    /// the warp shows at world point p. When jacobian is not null it receives
    /// dg/dp (row r, column c = d q_r / d p_c).
    virtual void WarpPoint(const Wml::Vector3f& p, Wml::Vector3f& q, Wml::Matrix3f* jacobian) = 0;

    /// Where a point of the child's space appears in the world: solves
    /// g(p) = q by damped Newton steps from guess. True when converged to
    /// tolerance; p holds the best point found either way. Fails (p = guess)
    /// for non-finite input.
    bool UnwarpPoint(const Wml::Vector3f& q, const Wml::Vector3f& guess, Wml::Vector3f& p,
                     unsigned int maxIterations = 30, float tolerance = 1e-5f);

    /// The child's seed points carried to where the warp shows them.
    void GetSeedPoints(std::vector<Wml::Vector3f>& points) override;
    /// The child's colour at the back-mapped point (grey without a child).
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
};

}  // namespace vynimplicit

#include "implicit/warps/SpaceWarp.h"

#include <algorithm>

namespace vynimplicit {

void LocalFrameMap::Set(const Wml::Frame3f& frame)
{
    origin = frame.Origin();
    const Wml::Vector3f e[3] = {Wml::Vector3f::UNIT_X, Wml::Vector3f::UNIT_Y, Wml::Vector3f::UNIT_Z};
    for (int c = 0; c < 3; ++c) {
        toLocal.SetColumn(c, frame.ToLocalVectorScaled(e[c]));
        toWorld.SetColumn(c, frame.ToWorldVectorScaled(e[c]));
    }
    identity = origin == Wml::Vector3f::ZERO && toLocal == Wml::Matrix3f() && toWorld == Wml::Matrix3f();
}

namespace {

Wml::AxisAlignedBox3f MapBox(const Wml::AxisAlignedBox3f& box, const Wml::Matrix3f& m,
                             const Wml::Vector3f& before, const Wml::Vector3f& after)
{
    Wml::AxisAlignedBox3f out;
    if (box.IsEmpty()) return out;
    for (int i = 0; i < 8; ++i) {
        const Wml::Vector3f corner((i & 1) ? box.Max(0) : box.Min(0), (i & 2) ? box.Max(1) : box.Min(1),
                                   (i & 4) ? box.Max(2) : box.Min(2));
        out.Merge(m * (corner - before) + after);
    }
    return out;
}

bool Solve3(const Wml::Matrix3f& m, const Wml::Vector3f& b, Wml::Vector3f& x)
{
    const float det = m.Determinant();
    if (!(std::fabs(det) > 1e-12f)) return false;
    x = m.Inverse() * b;
    return std::isfinite(x.X()) && std::isfinite(x.Y()) && std::isfinite(x.Z());
}

}  // namespace

Wml::AxisAlignedBox3f LocalFrameMap::BoxToLocal(const Wml::AxisAlignedBox3f& world) const
{
    if (identity) return world;
    return MapBox(world, toLocal, origin, Wml::Vector3f::ZERO);
}

Wml::AxisAlignedBox3f LocalFrameMap::BoxToWorld(const Wml::AxisAlignedBox3f& local) const
{
    if (identity) return local;
    return MapBox(local, toWorld, Wml::Vector3f::ZERO, origin);
}

bool SpaceWarp::UnwarpPoint(const Wml::Vector3f& q, const Wml::Vector3f& guess, Wml::Vector3f& p,
                            unsigned int maxIterations, float tolerance)
{
    p = guess;
    if (!IsFinitePoint(q.X(), q.Y(), q.Z()) || !IsFinitePoint(guess.X(), guess.Y(), guess.Z())) return false;
    Wml::Vector3f g;
    Wml::Matrix3f jacobian;
    WarpPoint(p, g, &jacobian);
    Wml::Vector3f residual = g - q;
    float error = residual.SquaredLength();
    const float tolerance2 = tolerance * tolerance;
    for (unsigned int it = 0; it < maxIterations && error > tolerance2; ++it) {
        Wml::Vector3f step;
        if (!Solve3(jacobian, residual, step)) return false;
        // Halve the step until the residual shrinks: warps that fold space
        // would otherwise make plain Newton oscillate.
        bool improved = false;
        for (int halving = 0; halving < 8 && !improved; ++halving, step *= 0.5f) {
            const Wml::Vector3f candidate = p - step;
            Wml::Matrix3f candidateJacobian;
            WarpPoint(candidate, g, &candidateJacobian);
            const Wml::Vector3f candidateResidual = g - q;
            const float candidateError = candidateResidual.SquaredLength();
            if (candidateError < error) {
                p = candidate;
                jacobian = candidateJacobian;
                residual = candidateResidual;
                error = candidateError;
                improved = true;
            }
        }
        if (!improved) break;
    }
    return error <= tolerance2;
}

void SpaceWarp::GetSeedPoints(std::vector<Wml::Vector3f>& points)
{
    ScalarField* child = GetWarpedChild();
    if (!child) return;
    std::vector<Wml::Vector3f> childSeeds;
    child->GetSeedPoints(childSeeds);
    for (const Wml::Vector3f& seed : childSeeds) {
        Wml::Vector3f p;
        if (!UnwarpPoint(seed, seed, p)) {
            // The warp folds here; a point that the warp shows on the surface
            // is still a good start for the polygonizer.
            IsoValueConverge(p, 0.5f, 20, 1e-4f);
        }
        if (IsFinitePoint(p.X(), p.Y(), p.Z())) points.push_back(p);
    }
}

void SpaceWarp::Color(float x, float y, float z, float& r, float& g, float& b)
{
    ScalarField* child = GetWarpedChild();
    if (!child || !IsFinitePoint(x, y, z)) {
        ScalarField::Color(x, y, z, r, g, b);
        return;
    }
    Wml::Vector3f q;
    WarpPoint(Wml::Vector3f(x, y, z), q, nullptr);
    child->Color(q.X(), q.Y(), q.Z(), r, g, b);
}

}  // namespace vynimplicit

#include "implicit/ScalarField.h"

#include <algorithm>
#include <cmath>

#include "implicit/Falloff.h"
#include "wml/Intersection.h"
#include "wml/Ray3.h"

namespace vynimplicit {

namespace {

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

float FalloffInverse(float value)
{
    if (!(value > 0.0f)) return 1.0f;
    if (value >= 1.0f) return 0.0f;
    // w = (1 - r^2)^3  =>  r = sqrt(1 - w^(1/3))
    return std::sqrt(std::max(0.0f, 1.0f - std::cbrt(value)));
}

void ScalarField::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    const float h = DIFFERENCE_STEP, inv = 0.5f / h;
    gx = (Value(x + h, y, z) - Value(x - h, y, z)) * inv;
    gy = (Value(x, y + h, z) - Value(x, y - h, z)) * inv;
    gz = (Value(x, y, z + h) - Value(x, y, z - h)) * inv;
    if (value) *value = Value(x, y, z);
}

Wml::Vector3<float> ScalarField::Gradient(const Wml::Vector3<float>& p, float* value)
{
    Wml::Vector3<float> g;
    Gradient(p.X(), p.Y(), p.Z(), g.X(), g.Y(), g.Z(), value);
    return g;
}

void ScalarField::Color(float, float, float, float& r, float& g, float& b)
{
    r = g = b = 0.7f;
}

void ScalarField::SurfaceBounds(float, Wml::AxisAlignedBox3<float>& box)
{
    FieldBounds(box);
}

void ScalarField::GetSeedPoints(std::vector<Wml::Vector3<float>>&) {}

bool ScalarField::FindIntersection(const Wml::Vector3<float>& start, const Wml::Vector3<float>& direction,
                                   Wml::Vector3<float>& hit, const Wml::AxisAlignedBox3<float>* box,
                                   float stepSize, float isoValue, unsigned int maxIterations)
{
    if (!Finite(start) || !Finite(direction) || direction.SquaredLength() <= 0.0f || !std::isfinite(isoValue))
        return false;
    Wml::AxisAlignedBox3<float> bounds;
    if (box)
        bounds = *box;
    else
        FieldBounds(bounds);
    if (bounds.IsEmpty()) return false;

    // Work with a unit direction so that stepSize is a length.
    Wml::Vector3<float> dir = direction;
    dir.Normalize();
    float tEnter = 0.0f, tExit = 0.0f;
    if (!Wml::FindIntersection(Wml::Ray3<float>(start, dir), bounds, tEnter, tExit)) return false;
    const float length = tExit - tEnter;
    if (!(length > 0.0f)) return false;
    float step = stepSize > 0.0f && std::isfinite(stepSize) ? stepSize : length / 256.0f;
    // Never more than a million samples along one ray.
    step = std::max(step, length * 1e-6f);

    float t0 = tEnter;
    float v0 = Value(start + dir * t0) - isoValue;
    if (v0 >= 0.0f) {
        // Starting inside: the ray origin itself is the hit.
        hit = start + dir * t0;
        return true;
    }
    while (t0 < tExit) {
        const float t1 = std::min(t0 + step, tExit);
        const float v1 = Value(start + dir * t1) - isoValue;
        if (v1 >= 0.0f) {
            float a = t0, b = t1;
            for (unsigned int i = 0; i < maxIterations; ++i) {
                const float m = 0.5f * (a + b);
                if (Value(start + dir * m) - isoValue >= 0.0f)
                    b = m;
                else
                    a = m;
            }
            // Linear interpolation inside the final bracket.
            const float va = Value(start + dir * a) - isoValue, vb = Value(start + dir * b) - isoValue;
            const float t = (vb - va) != 0.0f ? a + (b - a) * (-va / (vb - va)) : 0.5f * (a + b);
            hit = start + dir * std::clamp(t, a, b);
            return true;
        }
        t0 = t1;
    }
    return false;
}

bool ScalarField::IsoValueConverge(Wml::Vector3<float>& point, float isoValue, unsigned int maxIterations,
                                   float tolerance)
{
    if (!Finite(point)) return false;
    Wml::Vector3<float> p = point;
    float v = 0.0f;
    Wml::Vector3<float> g = Gradient(p, &v);
    if (g.SquaredLength() <= 1e-20f) return false;
    Wml::Vector3<float> best = p;
    float bestError = std::fabs(v - isoValue);
    for (unsigned int i = 0; i < maxIterations && bestError > tolerance; ++i) {
        const float g2 = g.SquaredLength();
        if (g2 <= 1e-20f) break;
        // Newton step along the gradient line.
        p = p + g * ((isoValue - v) / g2);
        if (!Finite(p)) break;
        g = Gradient(p, &v);
        const float error = std::fabs(v - isoValue);
        if (error < bestError) {
            bestError = error;
            best = p;
        }
    }
    point = best;
    return bestError <= tolerance;
}

void ScalarField::SecondDerivatives(float x, float y, float z, Wml::Matrix3<float>& hessian)
{
    const float h = DIFFERENCE_STEP, inv = 0.5f / h;
    Wml::Vector3<float> gp[3], gm[3];
    const Wml::Vector3<float> p(x, y, z);
    for (int axis = 0; axis < 3; ++axis) {
        Wml::Vector3<float> d = Wml::Vector3<float>::ZERO;
        d[axis] = h;
        gp[axis] = Gradient(p + d);
        gm[axis] = Gradient(p - d);
    }
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) hessian(r, c) = (gp[c][r] - gm[c][r]) * inv;
    for (int r = 0; r < 3; ++r)
        for (int c = r + 1; c < 3; ++c) {
            const float s = 0.5f * (hessian(r, c) + hessian(c, r));
            hessian(r, c) = hessian(c, r) = s;
        }
}

void ScalarField::ThirdDerivatives(float x, float y, float z, float d[10])
{
    const float h = DIFFERENCE_STEP, inv = 0.5f / h;
    Wml::Matrix3<float> hp[3], hm[3];
    for (int axis = 0; axis < 3; ++axis) {
        float o[3] = {0.0f, 0.0f, 0.0f};
        o[axis] = h;
        SecondDerivatives(x + o[0], y + o[1], z + o[2], hp[axis]);
        SecondDerivatives(x - o[0], y - o[1], z - o[2], hm[axis]);
    }
    // f_ijk = d/dk of H_ij; average the symmetric estimates.
    auto f = [&](int i, int j, int k) {
        const float a = (hp[k](i, j) - hm[k](i, j)) * inv;
        const float b = (hp[i](j, k) - hm[i](j, k)) * inv;
        const float c = (hp[j](i, k) - hm[j](i, k)) * inv;
        return (a + b + c) / 3.0f;
    };
    d[0] = f(0, 0, 0);
    d[1] = f(0, 0, 1);
    d[2] = f(0, 0, 2);
    d[3] = f(0, 1, 1);
    d[4] = f(0, 1, 2);
    d[5] = f(0, 2, 2);
    d[6] = f(1, 1, 1);
    d[7] = f(1, 1, 2);
    d[8] = f(1, 2, 2);
    d[9] = f(2, 2, 2);
}

bool ScalarField::PrincipalCurvatures(float x, float y, float z, float& k1, float& k2,
                                      Wml::Vector3<float>* direction1, Wml::Vector3<float>* direction2)
{
    k1 = k2 = 0.0f;
    Wml::Vector3<float> g = Gradient(Wml::Vector3<float>(x, y, z));
    const float glen = g.Length();
    if (!(glen > 1e-12f) || !std::isfinite(glen)) return false;
    // The outward normal is -g/|g|; curvature from the shape operator
    // S = -P H P / |g| restricted to the tangent plane (P projects onto it),
    // sign chosen so that a ball of radius r gives +1/r.
    const Wml::Vector3<float> n = g / glen;
    Wml::Vector3<float> u, v;
    Wml::Vector3<float>::GenerateOrthonormalBasis(u, v, n);
    Wml::Matrix3<float> hess;
    SecondDerivatives(x, y, z, hess);
    const float a = -(u.Dot(hess * u)) / glen;
    const float b = -(u.Dot(hess * v)) / glen;
    const float c = -(v.Dot(hess * v)) / glen;
    // Eigen-decomposition of the symmetric 2x2 [[a, b], [b, c]].
    const float mean = 0.5f * (a + c);
    const float diff = 0.5f * (a - c);
    const float root = std::sqrt(diff * diff + b * b);
    k1 = mean + root;
    k2 = mean - root;
    if (direction1 || direction2) {
        // Eigenvector for k1 in the (u, v) basis.
        float ex = b, ey = k1 - a;
        if (std::fabs(ex) + std::fabs(ey) < 1e-12f) {
            ex = (a >= c) ? 1.0f : 0.0f;
            ey = (a >= c) ? 0.0f : 1.0f;
        }
        Wml::Vector3<float> d1 = u * ex + v * ey;
        d1.Normalize();
        Wml::Vector3<float> d2 = n.Cross(d1);
        if (direction1) *direction1 = d1;
        if (direction2) *direction2 = d2;
    }
    return true;
}

}  // namespace vynimplicit

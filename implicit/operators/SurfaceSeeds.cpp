#include "implicit/operators/SurfaceSeeds.h"

#include <cmath>

namespace vynimplicit {
namespace seeds {

namespace {

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

float Diagonal(const Wml::AxisAlignedBox3<float>& box)
{
    if (box.IsEmpty()) return 0.0f;
    return (box.MaxCorner() - box.MinCorner()).Length();
}

}  // namespace

bool MarchToSurface(ScalarField& field, const Wml::Vector3<float>& start,
                    const Wml::Vector3<float>& direction, float length, Wml::Vector3<float>& hit)
{
    Wml::Vector3<float> dir = direction;
    if (!Finite(start) || !Finite(dir) || !(length > 0.0f) || !std::isfinite(length) ||
        dir.Normalize() <= 0.0f)
        return false;
    const int steps = 128;
    const float step = length / steps;
    float t0 = 0.0f;
    bool inside0 = field.Value(start) > 0.5f;
    for (int i = 1; i <= steps; ++i) {
        const float t1 = i * step;
        const bool inside1 = field.Value(start + dir * t1) > 0.5f;
        if (inside1 != inside0) {
            float a = t0, b = t1;
            for (int k = 0; k < 40; ++k) {
                const float m = 0.5f * (a + b);
                if ((field.Value(start + dir * m) > 0.5f) == inside0)
                    a = m;
                else
                    b = m;
            }
            hit = start + dir * (0.5f * (a + b));
            return true;
        }
        t0 = t1;
    }
    return false;
}

bool ProjectOntoSurface(ScalarField& field, Wml::Vector3<float>& p, const Wml::AxisAlignedBox3<float>& bounds)
{
    if (!Finite(p)) return false;
    Wml::Vector3<float> q = p;
    // Tighter than the polygonizers ask, so a later check starts converged.
    if (field.IsoValueConverge(q, 0.5f, 30, 1e-4f) && bounds.Contains(q)) {
        p = q;
        return true;
    }
    // Newton fails where the gradient vanishes (outside a child, on a plateau
    // of a clamp): march instead, nearest crossing first.
    const float length = Diagonal(bounds);
    if (!(length > 0.0f)) return false;
    static const float dirs[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    Wml::Vector3<float> best;
    float bestDistance = -1.0f;
    for (const auto& d : dirs) {
        Wml::Vector3<float> hit;
        if (MarchToSurface(field, p, Wml::Vector3<float>(d[0], d[1], d[2]), length, hit)) {
            const float distance = (hit - p).SquaredLength();
            if (bestDistance < 0.0f || distance < bestDistance) {
                bestDistance = distance;
                best = hit;
            }
        }
    }
    if (bestDistance < 0.0f) return false;
    p = best;
    return true;
}

void AppendSurfaceSeeds(ScalarField& field, const std::vector<Wml::Vector3<float>>& candidates,
                        std::vector<Wml::Vector3<float>>& out)
{
    Wml::AxisAlignedBox3<float> bounds;
    field.FieldBounds(bounds);
    if (bounds.IsEmpty()) return;
    const size_t before = out.size();
    for (Wml::Vector3<float> p : candidates)
        if (ProjectOntoSurface(field, p, bounds)) out.push_back(p);
    if (out.size() > before) return;

    // No candidate reached the surface: probe through the middle of the box.
    const Wml::Vector3<float> c = bounds.Center();
    const Wml::Vector3<float> half = (bounds.MaxCorner() - bounds.MinCorner()) * 0.5f;
    for (int sx = -1; sx <= 1; ++sx)
        for (int sy = -1; sy <= 1; ++sy)
            for (int sz = -1; sz <= 1; ++sz) {
                if (sx == 0 && sy == 0 && sz == 0) continue;
                const Wml::Vector3<float> corner(c.X() + sx * half.X(), c.Y() + sy * half.Y(),
                                                 c.Z() + sz * half.Z());
                Wml::Vector3<float> hit;
                if (MarchToSurface(field, c, corner - c, (corner - c).Length(), hit)) out.push_back(hit);
            }
}

}  // namespace seeds
}  // namespace vynimplicit

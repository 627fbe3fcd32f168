#include "implicit/warps/LinearSweepWarp.h"

#include <algorithm>
#include <cmath>

namespace vynimplicit {

LinearSweepWarp::LinearSweepWarp()
{
    Update();
}

bool LinearSweepWarp::SetPath(const std::vector<Wml::Vector2f>& path)
{
    if (path.size() > MAX_PATH_POINTS) return false;
    for (const Wml::Vector2f& p : path)
        if (!std::isfinite(p.X()) || !std::isfinite(p.Y())) return false;
    std::vector<Wml::Vector2f> sorted = path;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Wml::Vector2f& a, const Wml::Vector2f& b) { return a.X() < b.X(); });
    m_path.clear();
    for (const Wml::Vector2f& p : sorted)
        if (m_path.empty() || p.X() - m_path.back().X() >= 1e-6f) m_path.push_back(p);
    Update();
    return true;
}

bool LinearSweepWarp::SetFrame(const Wml::Frame3f& frame)
{
    if (!frame.IsValid()) return false;
    m_frame = frame;
    Update();
    return true;
}

bool LinearSweepWarp::SetWarpBallCenter(const Wml::Vector3f& center)
{
    if (!std::isfinite(center.X()) || !std::isfinite(center.Y()) || !std::isfinite(center.Z())) return false;
    m_center = center;
    return true;
}

bool LinearSweepWarp::SetWarpBallRadius(float radius)
{
    if (!std::isfinite(radius)) return false;
    m_radius = std::min(MAX_RADIUS, std::max(MIN_RADIUS, radius));
    return true;
}

void LinearSweepWarp::Update()
{
    const size_t n = m_path.size();
    m_slopes.assign(n, 0.0f);
    for (size_t i = 0; n > 1 && i < n; ++i) {
        const size_t a = i == 0 ? 0 : i - 1, b = i + 1 == n ? i : i + 1;
        m_slopes[i] = (m_path[b].Y() - m_path[a].Y()) / (m_path[b].X() - m_path[a].X());
    }
    m_active = false;
    for (const Wml::Vector2f& p : m_path)
        if (p.Y() != 0.0f) m_active = true;
    LocalFrameMap map;
    map.Set(m_frame);
    m_axis = map.toLocal.GetRow(0);
    m_direction = map.toWorld.GetColumn(1);
    m_origin = map.origin;
}

float LinearSweepWarp::PathOffset(float a, float* slope) const
{
    const size_t n = m_path.size();
    float value = 0.0f, d = 0.0f;
    if (n == 1) {
        value = m_path[0].Y();
    } else if (n > 1) {
        if (a <= m_path[0].X() || a >= m_path[n - 1].X()) {
            // Straight on along the end slope.
            const size_t e = a <= m_path[0].X() ? 0 : n - 1;
            d = m_slopes[e];
            value = m_path[e].Y() + d * (a - m_path[e].X());
        } else {
            size_t i = 0;
            if (n <= 8) {
                while (a >= m_path[i + 1].X()) ++i;
            } else {
                i = size_t(std::upper_bound(m_path.begin(), m_path.end(), a,
                                            [](float v, const Wml::Vector2f& p) { return v < p.X(); }) -
                           m_path.begin()) -
                    1;
            }
            const float h = m_path[i + 1].X() - m_path[i].X();
            const float t = (a - m_path[i].X()) / h, t2 = t * t, t3 = t2 * t;
            const float y0 = m_path[i].Y(), y1 = m_path[i + 1].Y();
            const float m0 = h * m_slopes[i], m1 = h * m_slopes[i + 1];
            value = (2 * t3 - 3 * t2 + 1) * y0 + (t3 - 2 * t2 + t) * m0 + (-2 * t3 + 3 * t2) * y1 +
                    (t3 - t2) * m1;
            d = ((6 * t2 - 6 * t) * (y0 - y1) + (3 * t2 - 4 * t + 1) * m0 + (3 * t2 - 2 * t) * m1) / h;
        }
    }
    if (slope) *slope = d;
    return value;
}

float LinearSweepWarp::Value(float x, float y, float z)
{
    ScalarField* child = GetWarpedChild();
    if (!child || !IsFinitePoint(x, y, z)) return 0.0f;
    const float ex = x - m_center.X(), ey = y - m_center.Y(), ez = z - m_center.Z();
    const float t = (ex * ex + ey * ey + ez * ez) / (m_radius * m_radius);
    if (!m_active || t >= 1.0f) return child->Value(x, y, z);
    const float a =
        m_axis.X() * (x - m_origin.X()) + m_axis.Y() * (y - m_origin.Y()) + m_axis.Z() * (z - m_origin.Z());
    const float shift = BallWeight(t) * PathOffset(a);
    return child->Value(x - shift * m_direction.X(), y - shift * m_direction.Y(),
                        z - shift * m_direction.Z());
}

void LinearSweepWarp::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    ScalarField* child = GetWarpedChild();
    if (!child || !IsFinitePoint(x, y, z)) {
        gx = gy = gz = 0.0f;
        if (value) *value = 0.0f;
        return;
    }
    const float ex = x - m_center.X(), ey = y - m_center.Y(), ez = z - m_center.Z();
    const float invR2 = 1.0f / (m_radius * m_radius);
    const float t = (ex * ex + ey * ey + ez * ez) * invR2;
    if (!m_active || t >= 1.0f) {
        child->Gradient(x, y, z, gx, gy, gz, value);
        return;
    }
    const float a =
        m_axis.X() * (x - m_origin.X()) + m_axis.Y() * (y - m_origin.Y()) + m_axis.Z() * (z - m_origin.Z());
    float slope;
    const float offset = PathOffset(a, &slope);
    const float w = BallWeight(t);
    const float shift = w * offset;
    float fx, fy, fz;
    child->Gradient(x - shift * m_direction.X(), y - shift * m_direction.Y(), z - shift * m_direction.Z(), fx,
                    fy, fz, value);
    // grad = grad f - (Y . grad f) grad(w o), grad(w o) = o grad w + w o' grad a.
    const float along = m_direction.X() * fx + m_direction.Y() * fy + m_direction.Z() * fz;
    const float radial = along * offset * BallWeightDerivative(t) * 2.0f * invR2;
    const float axial = along * w * slope;
    gx = fx - radial * ex - axial * m_axis.X();
    gy = fy - radial * ey - axial * m_axis.Y();
    gz = fz - radial * ez - axial * m_axis.Z();
}

void LinearSweepWarp::WarpPoint(const Wml::Vector3f& p, Wml::Vector3f& q, Wml::Matrix3f* jacobian)
{
    if (jacobian) jacobian->MakeIdentity();
    q = p;
    const Wml::Vector3f e = p - m_center;
    const float invR2 = 1.0f / (m_radius * m_radius);
    const float t = e.SquaredLength() * invR2;
    if (!m_active || !(t < 1.0f)) return;
    float slope;
    const float offset = PathOffset(m_axis.Dot(p - m_origin), &slope);
    const float w = BallWeight(t);
    q = p - m_direction * (w * offset);
    if (jacobian) {
        const Wml::Vector3f grad =
            e * (offset * BallWeightDerivative(t) * 2.0f * invR2) + m_axis * (w * slope);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) (*jacobian)(r, c) -= m_direction[r] * grad[c];
    }
}

void LinearSweepWarp::FieldBounds(Wml::AxisAlignedBox3f& box)
{
    box.MakeEmpty();
    ScalarField* child = GetWarpedChild();
    if (!child) return;
    child->FieldBounds(box);
    if (box.IsEmpty() || !m_active) return;

    // Range of local x over the ball, then of the offset over that range:
    // the ends, the straight continuations and, for each cubic piece, the
    // hull of its Bezier control values.
    const float aCentre = m_axis.Dot(m_center - m_origin), aReach = m_radius * m_axis.Length();
    const float aLo = aCentre - aReach, aHi = aCentre + aReach;
    float lo = std::min(PathOffset(aLo), PathOffset(aHi));
    float hi = std::max(PathOffset(aLo), PathOffset(aHi));
    for (size_t i = 0; i + 1 < m_path.size(); ++i) {
        if (m_path[i + 1].X() < aLo || m_path[i].X() > aHi) continue;
        const float h = m_path[i + 1].X() - m_path[i].X();
        const float c[4] = {m_path[i].Y(), m_path[i].Y() + h * m_slopes[i] / 3.0f,
                            m_path[i + 1].Y() - h * m_slopes[i + 1] / 3.0f, m_path[i + 1].Y()};
        for (float v : c) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    // The weight scales the offset into [0, 1] of it.
    lo = std::min(lo, 0.0f);
    hi = std::max(hi, 0.0f);
    Wml::AxisAlignedBox3f swept = box;
    for (int i = 0; i < 3; ++i) {
        const float a = lo * m_direction[i], b = hi * m_direction[i];
        const float pad = 1e-6f * (std::fabs(a) + std::fabs(b));
        swept.Min(i) += std::min(a, b) - pad;
        swept.Max(i) += std::max(a, b) + pad;
    }
    const Wml::AxisAlignedBox3f ball(m_center.X() - m_radius, m_center.X() + m_radius,
                                     m_center.Y() - m_radius, m_center.Y() + m_radius,
                                     m_center.Z() - m_radius, m_center.Z() + m_radius);
    box.Merge(swept.Intersection(ball));
}

}  // namespace vynimplicit

#include "implicit/sweeps/InterpolatingLinearSweep.h"

#include <algorithm>
#include <cmath>

namespace vynimplicit {

namespace {

bool Finite3(float a, float b, float c)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

const std::vector<Wml::Polygon2<float>>& NoPolygons()
{
    static const std::vector<Wml::Polygon2<float>> none;
    return none;
}

}  // namespace

bool InterpolatingLinearSweep::AddSlice(ScalarField2D* sliceTemplate, float position, float x, float y)
{
    if (!sliceTemplate || !Finite3(position, x, y) || m_slices.size() >= MAX_SLICES) return false;
    Slice s;
    s.sampler.Set(sliceTemplate);
    s.position = position;
    s.x = x;
    s.y = y;
    m_slices.push_back(std::move(s));
    UpdateBody();
    return true;
}

bool InterpolatingLinearSweep::RemoveSlice(unsigned i)
{
    if (i >= m_slices.size()) return false;
    m_slices.erase(m_slices.begin() + i);
    UpdateBody();
    return true;
}

void InterpolatingLinearSweep::ClearSlices()
{
    m_slices.clear();
    UpdateBody();
}

ScalarField2D* InterpolatingLinearSweep::GetSliceTemplate(unsigned i) const
{
    return i < m_slices.size() ? m_slices[i].sampler.Get() : nullptr;
}

bool InterpolatingLinearSweep::SetSliceTemplate(unsigned i, ScalarField2D* sliceTemplate)
{
    if (i >= m_slices.size() || !sliceTemplate) return false;
    m_slices[i].sampler.Set(sliceTemplate);
    return true;
}

float InterpolatingLinearSweep::GetSlicePosition(unsigned i) const
{
    return i < m_slices.size() ? m_slices[i].position : 0.0f;
}

bool InterpolatingLinearSweep::GetSliceOffset(unsigned i, float& x, float& y) const
{
    x = y = 0.0f;
    if (i >= m_slices.size()) return false;
    x = m_slices[i].x;
    y = m_slices[i].y;
    return true;
}

bool InterpolatingLinearSweep::SetSlicePosition(unsigned i, float position, float x, float y)
{
    if (i >= m_slices.size() || !Finite3(position, x, y)) return false;
    m_slices[i].position = position;
    m_slices[i].x = x;
    m_slices[i].y = y;
    UpdateBody();
    return true;
}

const std::vector<Wml::Polygon2<float>>& InterpolatingLinearSweep::GetSlicePolygons(unsigned i) const
{
    return i < m_slices.size() ? m_slices[i].polygons : NoPolygons();
}

bool InterpolatingLinearSweep::SetSlicePolygons(unsigned i, const std::vector<Wml::Polygon2<float>>& polygons)
{
    if (i >= m_slices.size()) return false;
    m_slices[i].polygons = polygons;
    return true;
}

bool InterpolatingLinearSweep::SetBlendMode(int mode)
{
    if (mode < Linear || mode > Cubic) return false;
    m_blendMode = static_cast<BlendMode>(mode);
    return true;
}

void InterpolatingLinearSweep::SetLength(float length)
{
    if (std::isnan(length)) return;
    const float half = std::clamp(0.5f * length, MIN_HALF_LENGTH, MAX_SIZE);
    if (m_spread) {
        const float scale = half / m_halfLength;
        for (Slice& s : m_slices) s.position = m_center + (s.position - m_center) * scale;
    }
    m_halfLength = half;
    UpdateBody();
}

void InterpolatingLinearSweep::SetRadius(float radius)
{
    if (std::isnan(radius)) return;
    m_radius = std::clamp(radius, 1e-4f, MAX_SIZE);
}

void InterpolatingLinearSweep::UpdateBody()
{
    m_order.resize(m_slices.size());
    for (unsigned i = 0; i < m_order.size(); ++i) m_order[i] = i;
    std::stable_sort(m_order.begin(), m_order.end(),
                     [this](unsigned a, unsigned b) { return m_slices[a].position < m_slices[b].position; });
    m_spread = false;
    m_center = 0.0f;
    if (m_slices.size() >= 2) {
        const float lo = m_slices[m_order.front()].position, hi = m_slices[m_order.back()].position;
        m_center = lo;
        if (hi > lo) {
            m_spread = true;
            m_center = 0.5f * (lo + hi);
            m_halfLength = std::clamp(0.5f * (hi - lo), MIN_HALF_LENGTH, MAX_SIZE);
        }
    }
}

int InterpolatingLinearSweep::Weights(float z, Weight out[4], float offset[2], float dOffset[2]) const
{
    dOffset[0] = dOffset[1] = 0.0f;
    if (!m_spread) {
        const Slice& s = m_slices[m_order[0]];
        out[0] = {m_order[0], 1.0f, 0.0f};
        offset[0] = s.x;
        offset[1] = s.y;
        return 1;
    }
    const int n = int(m_order.size());
    auto pos = [this](int k) { return m_slices[m_order[k]].position; };
    const float lo = pos(0), hi = pos(n - 1);
    const bool inside = z > lo && z < hi;
    const float zc = z < lo ? lo : (z > hi ? hi : z);
    // Last slice at or below zc, leaving room for the one above.
    int k =
        int(std::upper_bound(m_order.begin(), m_order.end(), zc,
                             [this](float value, unsigned idx) { return value < m_slices[idx].position; }) -
            m_order.begin()) -
        1;
    k = std::clamp(k, 0, n - 2);
    const float len = pos(k + 1) - pos(k);
    const float s = len > 0.0f ? std::clamp((zc - pos(k)) / len, 0.0f, 1.0f) : 0.0f;
    const float ds = (len > 0.0f && inside) ? 1.0f / len : 0.0f;
    const float S = s * s * (3.0f - 2.0f * s), dS = 6.0f * s * (1.0f - s) * ds;

    const Slice& a = m_slices[m_order[k]];
    const Slice& b = m_slices[m_order[k + 1]];
    offset[0] = a.x + S * (b.x - a.x);
    offset[1] = a.y + S * (b.y - a.y);
    dOffset[0] = dS * (b.x - a.x);
    dOffset[1] = dS * (b.y - a.y);

    if (m_blendMode == Linear) {
        out[0] = {m_order[k], 1.0f - s, -ds};
        out[1] = {m_order[k + 1], s, ds};
        return 2;
    }
    if (m_blendMode == Smooth) {
        out[0] = {m_order[k], 1.0f - S, -dS};
        out[1] = {m_order[k + 1], S, dS};
        return 2;
    }
    // Hermite through the slices, tangents from the neighbours and zero at
    // the end slices (the body continues as a plain extrusion into the caps,
    // so a slope there would crease): value = h00 T_k + h10 len m_k +
    // h01 T_k+1 + h11 len m_k+1.
    const float s2 = s * s, s3 = s2 * s;
    const float h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
    const float d00 = (6 * s2 - 6 * s) * ds, d10 = (3 * s2 - 4 * s + 1) * ds, d01 = (-6 * s2 + 6 * s) * ds,
                d11 = (3 * s2 - 2 * s) * ds;
    float w[4] = {0, 0, 0, 0}, dw[4] = {0, 0, 0, 0};  // sorted slices k-1 .. k+2
    auto add = [&](int sorted, float weight, float dweight) {
        w[sorted - (k - 1)] += weight;
        dw[sorted - (k - 1)] += dweight;
    };
    add(k, h00, d00);
    add(k + 1, h01, d01);
    for (int end = 0; end < 2; ++end) {
        const int j = k + end;
        if (j == 0 || j == n - 1) continue;
        const int jl = j - 1, jh = j + 1;
        const float span = pos(jh) - pos(jl);
        if (!(span > 0.0f)) continue;
        const float alpha = len / span;
        const float hw = end == 0 ? h10 : h11, hd = end == 0 ? d10 : d11;
        add(jh, alpha * hw, alpha * hd);
        add(jl, -alpha * hw, -alpha * hd);
    }
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        const int sorted = k - 1 + i;
        if (sorted < 0 || sorted >= n || (w[i] == 0.0f && dw[i] == 0.0f)) continue;
        out[count++] = {m_order[sorted], w[i], dw[i]};
    }
    return count;
}

bool InterpolatingLinearSweep::Evaluate(const float q[3], bool wantGradient, float& value, float g[3]) const
{
    value = 0.0f;
    g[0] = g[1] = g[2] = 0.0f;
    if (m_slices.empty()) return false;
    const float dz = q[2] - m_center;
    const float e = std::fabs(dz) - m_halfLength;
    if (!(e < m_endcap.Reach(m_halfLength))) return false;

    Weight weights[4];
    float offset[2], dOffset[2];
    const int count = Weights(q[2], weights, offset, dOffset);
    const float invR = 1.0f / m_radius;
    const float u = (q[0] - offset[0]) * invR, v = (q[1] - offset[1]) * invR;
    float t = 0.0f, tu = 0.0f, tv = 0.0f, tz = 0.0f;
    for (int i = 0; i < count; ++i) {
        const TemplateSampler& sampler = m_slices[weights[i].slice].sampler;
        if (!wantGradient) {
            t += weights[i].w * sampler.Value(u, v);
            continue;
        }
        float gu, gv;
        const float f = sampler.ValueGradient(u, v, gu, gv);
        t += weights[i].w * f;
        tu += weights[i].w * gu;
        tv += weights[i].w * gv;
        tz += weights[i].dw * f;
    }
    if (!(t > 0.0f)) return false;
    if (t >= 1.0f) {
        // Only the cubic blend can overshoot.
        t = 1.0f;
        tu = tv = tz = 0.0f;
    }
    if (!wantGradient) {
        value = m_endcap.Value(t, e, m_halfLength);
        return true;
    }
    float dt, de;
    value = m_endcap.Value(t, e, m_halfLength, dt, de);
    // The templates are read at (q - offset(z)) / radius.
    const float gx = tu * invR, gy = tv * invR;
    const float gz = tz - dOffset[0] * gx - dOffset[1] * gy;
    g[0] = dt * gx;
    g[1] = dt * gy;
    g[2] = dt * gz + (dz >= 0.0f ? de : -de);
    return true;
}

float InterpolatingLinearSweep::Value(float x, float y, float z)
{
    float q[3], v, g[3];
    m_frame.ToLocal(x, y, z, q);
    Evaluate(q, false, v, g);
    return v;
}

void InterpolatingLinearSweep::Gradient(float x, float y, float z, float& gx, float& gy, float& gz,
                                        float* value)
{
    gx = gy = gz = 0.0f;
    if (value) *value = 0.0f;
    float q[3], v, g[3];
    m_frame.ToLocal(x, y, z, q);
    if (!Evaluate(q, true, v, g)) return;
    m_frame.GradientToWorld(g, gx, gy, gz);
    if (value) *value = v;
}

void InterpolatingLinearSweep::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box = Wml::AxisAlignedBox3<float>();
    // Every template is read relative to an offset inside the box of all
    // offsets, so the union of the scaled template boxes grown by that box
    // holds the cross-section at every height.
    Wml::AxisAlignedBox2<float> templates, offsets;
    for (const Slice& s : m_slices) {
        const Wml::AxisAlignedBox2<float> b = s.sampler.Bounds();
        if (b.IsEmpty()) continue;
        templates.Merge(b);
        offsets.Merge(Wml::Vector2<float>(s.x, s.y));
    }
    if (templates.IsEmpty()) return;
    const float zExtent = m_halfLength + m_endcap.Reach(m_halfLength);
    const Wml::AxisAlignedBox3<float> local(
        templates.Min(0) * m_radius + offsets.Min(0), templates.Max(0) * m_radius + offsets.Max(0),
        templates.Min(1) * m_radius + offsets.Min(1), templates.Max(1) * m_radius + offsets.Max(1),
        m_center - zExtent, m_center + zExtent);
    box = m_frame.LocalBoxToWorld(local);
}

void InterpolatingLinearSweep::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    if (m_slices.empty()) return;
    // End slices sit on the end faces, where a rounded rim pulls the surface
    // inwards: look for their outline a little inside the body instead.
    const float inset = std::min(m_endcap.InnerDepth(m_halfLength), m_halfLength);
    for (const Slice& s : m_slices) {
        float z = m_spread ? s.position : m_center;
        z = std::clamp(z, m_center - m_halfLength + inset, m_center + m_halfLength - inset);
        std::vector<Wml::Vector2<float>> seeds;
        s.sampler.FindSeeds(seeds);
        for (const auto& p : seeds)
            points.push_back(
                m_frame.ToWorldPoint(Wml::Vector3<float>(s.x + m_radius * p.X(), s.y + m_radius * p.Y(), z)));
    }
}

}  // namespace vynimplicit

#include "implicit/operators/MirrorOperator.h"

#include <algorithm>
#include <cmath>

#include "implicit/operators/BlendFunctions.h"
#include "implicit/operators/ChildFold.h"
#include "implicit/operators/SurfaceSeeds.h"

namespace vynimplicit {

namespace {

struct Max {
    float operator()(float a, float b, float& da, float& db) const
    {
        da = a >= b ? 1.0f : 0.0f;
        db = 1.0f - da;
        return a >= b ? a : b;
    }
};

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

MirrorOperator::MirrorOperator() : m_origin(Wml::Vector3<float>::ZERO), m_normal(Wml::Vector3<float>::UNIT_Z)
{
}

bool MirrorOperator::SetFrame(const Wml::Frame3<float>& frame)
{
    Wml::Vector3<float> normal = frame.Z();
    if (!Finite(frame.Origin()) || !Finite(normal) || normal.Normalize() <= 0.0f) return false;
    m_frame = frame;
    m_origin = frame.Origin();
    m_normal = normal;
    return true;
}

bool MirrorOperator::SetSmoothWidth(float width)
{
    if (std::isnan(width)) return false;
    m_width = std::clamp(width, 0.0f, MAX_SMOOTH_WIDTH);
    return true;
}

bool MirrorOperator::SetBlendPower(float power)
{
    if (std::isnan(power)) return false;
    m_power = std::clamp(power, 0.0f, MAX_BLEND_POWER);
    return true;
}

Wml::Vector3<float> MirrorOperator::MirrorPoint(const Wml::Vector3<float>& p, bool toOtherSide) const
{
    const float s = m_normal.Dot(p - m_origin);
    if (!toOtherSide && (m_side ? s >= 0.0f : s <= 0.0f)) return p;
    return p - m_normal * (2.0f * s);
}

float MirrorOperator::Source(const Wml::Vector3<float>& p, Wml::Vector3<float>* g)
{
    if (!g) return fold::Value<fold::Kind::Union>(m_children, p.X(), p.Y(), p.Z(), Max());
    return fold::Gradient<fold::Kind::Union>(m_children, p.X(), p.Y(), p.Z(), g->X(), g->Y(), g->Z(), Max());
}

float MirrorOperator::Evaluate(const Wml::Vector3<float>& p, Wml::Vector3<float>* g)
{
    if (g) *g = Wml::Vector3<float>::ZERO;
    if (m_children.empty()) return 0.0f;
    const float s = m_normal.Dot(p - m_origin);
    if (!std::isfinite(s)) return 0.0f;
    const Wml::Vector3<float> reflected = p - m_normal * (2.0f * s);
    const bool pKept = m_side ? s >= 0.0f : s <= 0.0f;
    const Wml::Vector3<float>& kept = pKept ? p : reflected;
    const Wml::Vector3<float>& other = pKept ? reflected : p;

    // Reflecting a gradient: H g = g - 2 (n.g) n.
    auto reflect = [this](const Wml::Vector3<float>& v) { return v - m_normal * (2.0f * m_normal.Dot(v)); };

    Wml::Vector3<float> ga;
    const float a = Source(kept, g ? &ga : nullptr);
    if (g && !pKept) ga = reflect(ga);
    const float w = m_width;
    if (!(std::fabs(s) < w)) {
        if (g) *g = ga;
        return a;
    }

    Wml::Vector3<float> gb;
    const float b = Source(other, g ? &gb : nullptr);
    if (g && pKept) gb = reflect(gb);
    const float u = 1.0f - s * s / (w * w);
    const float mu = u * u;
    float pa, pb;
    const float mean = blend::PowerMean(a, b, 1.0f + m_power, pa, pb);
    const float v = std::clamp(a + mu * (mean - a), 0.0f, 1.0f);
    if (g) {
        // grad v = (1 - mu) grad a + mu (PM_a grad a + PM_b grad b) + (PM - a) grad mu,
        // grad mu = -4 s / w^2 (1 - s^2/w^2) n.
        const float dmu = -4.0f * s * u / (w * w);
        *g = ga * (1.0f - mu + mu * pa) + gb * (mu * pb) + m_normal * ((mean - a) * dmu);
    }
    return v;
}

float MirrorOperator::Value(float x, float y, float z)
{
    return Evaluate(Wml::Vector3<float>(x, y, z), nullptr);
}

void MirrorOperator::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    Wml::Vector3<float> g;
    const float v = Evaluate(Wml::Vector3<float>(x, y, z), &g);
    gx = g.X();
    gy = g.Y();
    gz = g.Z();
    if (value) *value = v;
}

void MirrorOperator::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    CompositionOperator::FieldBounds(box);
    if (box.IsEmpty()) return;
    const Wml::AxisAlignedBox3<float> source = box;
    for (int i = 0; i < 8; ++i) {
        const Wml::Vector3<float> corner(i & 1 ? source.Max(0) : source.Min(0),
                                         i & 2 ? source.Max(1) : source.Min(1),
                                         i & 4 ? source.Max(2) : source.Min(2));
        box.Merge(MirrorPoint(corner, true));
    }
}

void MirrorOperator::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Wml::Vector3<float>> childSeeds, candidates;
    CompositionOperator::GetSeedPoints(childSeeds);
    for (const Wml::Vector3<float>& s : childSeeds) {
        candidates.push_back(MirrorPoint(s, false));
        candidates.push_back(MirrorPoint(candidates.back(), true));
    }
    seeds::AppendSurfaceSeeds(*this, candidates, points);
}

void MirrorOperator::Color(float x, float y, float z, float& r, float& g, float& b)
{
    const Wml::Vector3<float> source = MirrorPoint(Wml::Vector3<float>(x, y, z), false);
    CompositionOperator::Color(source.X(), source.Y(), source.Z(), r, g, b);
}

}  // namespace vynimplicit

#include "implicit/sweeps/TemplateSampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vynimplicit {

namespace {

inline bool InBox(const Wml::AxisAlignedBox2<float>& b, float u, float v)
{
    return u >= b.Min(0) && u <= b.Max(0) && v >= b.Min(1) && v <= b.Max(1);
}

}  // namespace

Wml::AxisAlignedBox2<float> TemplateSampler::GenericBounds() const
{
    Wml::AxisAlignedBox2<float> box;
    if (m_field) m_field->FieldBounds(box);
    return box;
}

unsigned TemplateSampler::SeedResolution() const
{
    if (m_discrete) {
        const unsigned n = std::max(m_discrete->GetWidth(), m_discrete->GetHeight());
        return std::clamp(n, 64u, 256u);
    }
    return 96;
}

bool TemplateSampler::SeedCache::Matches(const DiscreteScalarField2D& f) const
{
    const Wml::AxisAlignedBox2<float> b = f.IsReady() ? f.GetBounds() : Wml::AxisAlignedBox2<float>();
    const size_t n = size_t(f.GetWidth()) * size_t(f.GetHeight());
    return field == &f && width == f.GetWidth() && height == f.GetHeight() && bounds.Min(0) == b.Min(0) &&
           bounds.Max(0) == b.Max(0) && bounds.Min(1) == b.Min(1) && bounds.Max(1) == b.Max(1) &&
           interpolation == f.GetInterpolation() && samples.size() == n &&
           (n == 0 || std::memcmp(samples.data(), f.GetData(), n * sizeof(float)) == 0);
}

void TemplateSampler::FindSeeds(std::vector<Wml::Vector2<float>>& seeds) const
{
    if (!m_field) return;
    if (!m_discrete) {
        FindContourSeeds([this](float u, float v) { return Value(u, v); }, Bounds(), SeedResolution(), seeds);
        return;
    }
    SeedCache& cache = m_seedCache;
    if (!cache.Matches(*m_discrete)) {
        cache.seeds.clear();
        FindContourSeeds([this](float u, float v) { return Value(u, v); }, Bounds(), SeedResolution(),
                         cache.seeds);
        const DiscreteScalarField2D& f = *m_discrete;
        cache.field = &f;
        cache.width = f.GetWidth();
        cache.height = f.GetHeight();
        cache.bounds = f.IsReady() ? f.GetBounds() : Wml::AxisAlignedBox2<float>();
        cache.interpolation = f.GetInterpolation();
        const size_t n = size_t(f.GetWidth()) * size_t(f.GetHeight());
        cache.samples.assign(f.GetData(), f.GetData() + (f.GetData() ? n : 0));
    }
    seeds.insert(seeds.end(), cache.seeds.begin(), cache.seeds.end());
}

float TemplateSampler::GenericValue(float u, float v) const
{
    // A foreign template might answer outside its box; the sweeps' bounds
    // are built from that box, so enforce it here.
    Wml::AxisAlignedBox2<float> box;
    m_field->FieldBounds(box);
    if (!InBox(box, u, v)) return 0.0f;
    const float value = m_field->Value(u, v);
    if (!(value > 0.0f)) return 0.0f;
    return value < 1.0f ? value : 1.0f;
}

float TemplateSampler::GenericValueGradient(float u, float v, float& gu, float& gv) const
{
    Wml::AxisAlignedBox2<float> box;
    m_field->FieldBounds(box);
    if (!InBox(box, u, v)) return 0.0f;
    const float value = m_field->Value(u, v);
    if (!(value > 0.0f)) return 0.0f;
    if (value >= 1.0f) return 1.0f;
    m_field->Gradient(u, v, gu, gv);
    if (!std::isfinite(gu) || !std::isfinite(gv)) gu = gv = 0.0f;
    return value;
}

void FindContourSeeds(const std::function<float(float, float)>& f, const Wml::AxisAlignedBox2<float>& box,
                      unsigned resolution, std::vector<Wml::Vector2<float>>& seeds)
{
    if (box.IsEmpty() || resolution < 2 || !std::isfinite(box.Min(0)) || !std::isfinite(box.Max(0)) ||
        !std::isfinite(box.Min(1)) || !std::isfinite(box.Max(1)))
        return;
    const int n = int(std::min(resolution, 1024u)) + 1;
    const float x0 = box.Min(0), y0 = box.Min(1);
    const float hx = (box.Max(0) - x0) / float(n - 1), hy = (box.Max(1) - y0) / float(n - 1);
    auto position = [&](int i, int j) { return Wml::Vector2<float>(x0 + hx * float(i), y0 + hy * float(j)); };

    std::vector<float> values(size_t(n) * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const Wml::Vector2<float> p = position(i, j);
            values[size_t(j) * n + i] = f(p.X(), p.Y());
        }

    std::vector<char> visited(values.size(), 0);
    std::vector<int> stack;
    const int di[4] = {1, -1, 0, 0}, dj[4] = {0, 0, 1, -1};
    for (int start = 0; start < n * n; ++start) {
        if (visited[start] || !(values[start] > 0.5f)) continue;
        // Flood the region; remember one node with an outside neighbour.
        int boundaryNode = -1, outsideNode = -1;
        visited[start] = 1;
        stack.assign(1, start);
        while (!stack.empty()) {
            const int k = stack.back();
            stack.pop_back();
            const int i = k % n, j = k / n;
            for (int d = 0; d < 4; ++d) {
                const int ii = i + di[d], jj = j + dj[d];
                if (ii < 0 || jj < 0 || ii >= n || jj >= n) continue;
                const int kk = jj * n + ii;
                if (values[kk] > 0.5f) {
                    if (!visited[kk]) {
                        visited[kk] = 1;
                        stack.push_back(kk);
                    }
                } else if (boundaryNode < 0) {
                    boundaryNode = k;
                    outsideNode = kk;
                }
            }
        }
        if (boundaryNode < 0) {
            seeds.push_back(position(start % n, start / n));
            continue;
        }
        // Bisect the edge between the inside and the outside node.
        Wml::Vector2<float> a = position(boundaryNode % n, boundaryNode / n);
        Wml::Vector2<float> b = position(outsideNode % n, outsideNode / n);
        for (int it = 0; it < 24; ++it) {
            const Wml::Vector2<float> m = (a + b) * 0.5f;
            if (f(m.X(), m.Y()) > 0.5f)
                a = m;
            else
                b = m;
        }
        seeds.push_back((a + b) * 0.5f);
    }
}

}  // namespace vynimplicit

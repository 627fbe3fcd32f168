// What a cached group answers: the direction of its smooth gradients, its
// warm values (the interpolation of the stored samples, nothing else), and
// cells answered directly until they are asked again, edits included.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "CoreTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/FieldCache.h"
#include "blobtree/nodes/AllNodes.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"

using namespace coretest;
using vynbt::FieldCache;
using vynbt::FieldCacheManager;

namespace {

/// root -> a Ricci blend of 50 soft balls (cached: it has a parent).
struct FiftyBalls {
    vynimplicit::MinMaxUnion rootOp;
    vynbt::RootNode root{&rootOp};
    vynimplicit::RicciBlend blendOp{2.0f};
    vynbt::RicciBlendNode blend{&blendOp};
    std::vector<std::unique_ptr<vynimplicit::Point>> points;
    std::vector<std::unique_ptr<vynbt::PointNode>> leaves;

    FiftyBalls()
    {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> position(-2.0f, 2.0f), radius(0.6f, 1.0f);
        root.AddChild(&blend);
        for (int i = 0; i < 50; ++i) {
            const V3 centre(position(rng), position(rng), position(rng));
            points.push_back(std::make_unique<vynimplicit::Point>(centre, 1.0f / radius(rng)));
            leaves.push_back(std::make_unique<vynbt::PointNode>(points.back().get()));
            blend.AddChild(leaves.back().get());
        }
    }
    ~FiftyBalls()
    {
        blend.ClearChildren();
        root.ClearChildren();
    }

    /// Random points where the blend's value lies in (low, high).
    std::vector<V3> Band(size_t count, float low, float high, unsigned seed)
    {
        Box box;
        blend.FieldBounds(box);
        std::mt19937 rng(seed);
        std::vector<V3> out;
        while (out.size() < count) {
            V3 p;
            for (int a = 0; a < 3; ++a)
                p[a] = std::uniform_real_distribution<float>(box.Min(a), box.Max(a))(rng);
            const float v = blendOp.Value(p);
            if (v > low && v < high) out.push_back(p);
        }
        return out;
    }
};

float AngleDegrees(const V3& a, const V3& b)
{
    const float c = a.Dot(b) / (a.Length() * b.Length());
    return std::acos(std::max(-1.0f, std::min(1.0f, c))) * 57.2957795f;
}

struct AngleErrors {
    float worst = 0.0f, mean = 0.0f;
};

/// Angles between the cached gradients (asked until warm) and the blend's own.
AngleErrors CachedGradientAngles(FiftyBalls& t, const std::vector<V3>& points)
{
    AngleErrors e;
    for (int pass = 0; pass <= vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass) {
        e = AngleErrors();
        for (const V3& p : points) {
            float gx, gy, gz, v;
            t.blend.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
            const float angle = AngleDegrees(V3(gx, gy, gz), t.blendOp.Gradient(p));
            e.worst = std::max(e.worst, angle);
            e.mean += angle / float(points.size());
        }
    }
    return e;
}

}  // namespace

class CacheAccuracyTest : public ManagerStateTest {};

TEST_F(CacheAccuracyTest, SmoothCachedGradientsPointWhereTheFieldDoes)
{
    FiftyBalls t;
    const std::vector<V3> surface = t.Band(4000, 0.3f, 0.7f, 11);
    t.blend.GetCache()->SetGradientSampleMode(FieldCache::TriQuadratic);
    const AngleErrors smooth = CachedGradientAngles(t, surface);
    // The quadratic B-spline gradient this mode used to give was off by up to
    // 5.3 degrees here (0.19 on average).
    EXPECT_LT(smooth.worst, 5.3f);
    EXPECT_LT(smooth.mean, 0.16f);

    // The trilinear gradient is the cheap, coarse one.
    t.blend.GetCache()->SetGradientSampleMode(FieldCache::TriLinear);
    const AngleErrors coarse = CachedGradientAngles(t, surface);
    EXPECT_GT(coarse.worst, 4.0f * smooth.worst);

    // The smooth gradient's value is the trilinear value the node answers.
    t.blend.GetCache()->SetGradientSampleMode(FieldCache::TriQuadratic);
    for (size_t i = 0; i < surface.size(); i += 37) {
        const V3& p = surface[i];
        float gx, gy, gz, v;
        t.blend.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
        EXPECT_EQ(v, t.blend.Value(p));
    }
}

TEST_F(CacheAccuracyTest, WarmValuesInterpolateTheStoredSamplesExactly)
{
    // Computed here from the blend itself at the grid's nodes: a warm cache
    // answers these numbers and no others, in both value modes.
    FiftyBalls t;
    FieldCache* cache = t.blend.GetCache();
    const float h = cache->GetGrid()->GetVoxelSize();
    const V3 o = cache->GetFrame().Origin();
    auto node = [&](int i, int j, int k) {
        return t.blendOp.Value(o.X() + float(i) * h, o.Y() + float(j) * h, o.Z() + float(k) * h);
    };
    const std::vector<V3> points = t.Band(300, 0.1f, 0.9f, 12);
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        cache->SetValueSampleMode(FieldCache::SampleMode(mode));
        for (int pass = 1; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)
            for (const V3& p : points) t.blend.Value(p);
        for (const V3& p : points) {
            const V3 u = (p - o) / h;
            float expected = 0.0f;
            if (mode == 0) {
                const int i = int(std::floor(u.X())), j = int(std::floor(u.Y())), k = int(std::floor(u.Z()));
                const float tx = u.X() - float(i), ty = u.Y() - float(j), tz = u.Z() - float(k);
                for (int c = 0; c < 8; ++c)
                    expected += ((c & 1) ? tx : 1 - tx) * ((c & 2) ? ty : 1 - ty) * ((c & 4) ? tz : 1 - tz) *
                                node(i + (c & 1), j + ((c >> 1) & 1), k + (c >> 2));
            } else {
                const int i = int(std::floor(u.X() + 0.5f)), j = int(std::floor(u.Y() + 0.5f)),
                          k = int(std::floor(u.Z() + 0.5f));
                auto weights = [](float d, float w[3]) {
                    w[0] = 0.5f * (0.5f - d) * (0.5f - d);
                    w[1] = 0.75f - d * d;
                    w[2] = 0.5f * (0.5f + d) * (0.5f + d);
                };
                float wx[3], wy[3], wz[3];
                weights(u.X() - float(i), wx);
                weights(u.Y() - float(j), wy);
                weights(u.Z() - float(k), wz);
                for (int c = 0; c < 3; ++c)
                    for (int b = 0; b < 3; ++b)
                        for (int a = 0; a < 3; ++a)
                            expected += wx[a] * wy[b] * wz[c] * node(i + a - 1, j + b - 1, k + c - 1);
            }
            EXPECT_NEAR(t.blend.Value(p), expected, 2e-6f);
        }
    }
}

TEST_F(CacheAccuracyTest, AColdPassCostsNoMoreEvaluationsThanNoCache)
{
    // A lattice four times coarser than the grid asks every cell once: each
    // query must cost one evaluation of the group, not a stencil of samples.
    vynimplicit::MinMaxUnion rootOp;
    vynbt::RootNode root(&rootOp);
    vynimplicit::SumBlend blend;
    vynbt::CompositionNode group(vynbt::BlobTreeNode::NodeType::SumBlend, &blend);
    root.AddChild(&group);
    BallNode a(V3(0, 0, 0)), b(V3(0.6f, 0.1f, 0));
    group.AddChild(&a);
    group.AddChild(&b);
    const float h = group.GetCache()->GetGrid()->GetVoxelSize();
    std::vector<V3> lattice;
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j)
            lattice.push_back(V3(-0.6f + 4.0f * h * float(i), -0.6f + 4.0f * h * float(j), 0.01f));

    auto evaluations = [&] {
        return a.counter.values + b.counter.values + a.counter.gradients + b.counter.gradients;
    };
    int uncached = evaluations();
    {
        nodetest::CachingSwitchGuard guard;
        FieldCacheManager::Get()->EnableCaching(false);
        for (const V3& p : lattice) {
            root.Value(p);
            root.Gradient(p);
        }
    }
    uncached = evaluations() - uncached;
    const int start = evaluations();
    for (const V3& p : lattice) {
        root.Value(p);
        root.Gradient(p);
    }
    EXPECT_EQ(evaluations() - start, uncached);

    // Asked again and again, the cells are filled; then they are warm.
    for (int pass = 1; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)
        for (const V3& p : lattice) root.Value(p);
    const int filled = evaluations();
    for (const V3& p : lattice) root.Value(p);
    EXPECT_EQ(evaluations(), filled);
    group.ClearChildren();
}

TEST_F(CacheAccuracyTest, EditsInRegionsAnsweredDirectlyAreSeenOnceTheyAreFilled)
{
    // root -> Ricci blend -> two sum blends of balls: both levels cache.
    vynimplicit::MinMaxUnion rootOp;
    vynbt::RootNode root(&rootOp);
    vynimplicit::RicciBlend outerOp(2.0f);
    vynbt::RicciBlendNode outer(&outerOp);
    vynimplicit::SumBlend leftOp, rightOp;
    vynbt::SumBlendNode left(&leftOp), right(&rightOp);
    root.AddChild(&outer);
    outer.AddChild(&left);
    outer.AddChild(&right);
    BallNode a(V3(0, 0, 0)), b(V3(0.5f, 0.2f, 0)), c(V3(2.0f, 0, 0)), d(V3(2.4f, -0.3f, 0.1f));
    left.AddChild(&a);
    left.AddChild(&b);
    right.AddChild(&c);
    right.AddChild(&d);

    std::vector<V3> probes;
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> around(-0.6f, 0.6f);
    for (int i = 0; i < 200; ++i) probes.push_back(V3(0.25f + around(rng), around(rng), 0.5f * around(rng)));
    auto worstError = [&] {
        float worst = 0.0f;
        for (const V3& p : probes)
            worst = std::max(worst, std::fabs(root.Value(p) - nodetest::ExactValue(root, p)));
        return worst;
    };
    const float tolerance = 0.02f;

    const int warm = vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL;
    for (int warmPasses : {1, 2, warm}) {
        SCOPED_TRACE(warmPasses);
        // Asked a few times: answered directly (exact); often enough: filled.
        for (int pass = 0; pass < warmPasses; ++pass) EXPECT_LT(worstError(), tolerance);
        std::vector<float> old;
        for (const V3& p : probes) old.push_back(nodetest::ExactValue(root, p));

        // A ball moves inside the region (reported up the tree).
        a.Translate(V3(0.15f, -0.1f, 0.05f), true);
        float moved = 0.0f;
        for (size_t i = 0; i < probes.size(); ++i)
            moved = std::max(moved, std::fabs(nodetest::ExactValue(root, probes[i]) - old[i]));
        ASSERT_GT(moved, 0.2f);
        // Directly, then filled, then warm: the new field every time.
        for (int pass = 0; pass <= warm; ++pass) EXPECT_LT(worstError(), tolerance) << pass;
    }
    EXPECT_GT(outer.GetCache()->GetGrid()->GetAllocatedBlockCount(), 0u);
    left.ClearChildren();
    right.ClearChildren();
    outer.ClearChildren();
}

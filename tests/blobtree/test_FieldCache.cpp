// Field caches: pass-through, the grid cache and its frame adapter, and
// caching as composition nodes use it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "blobtree/CompositionNode.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/AdaptiveUniformGrid3DCache.h"
#include "blobtree/cache/FieldWithFrame.h"
#include "blobtree/cache/PassThroughCache.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/SumBlend.h"
#include "wml/DebugOutput.h"

using namespace coretest;
using vynbt::AdaptiveUniformGrid3DCache;
using vynbt::FieldCache;
using vynbt::FieldCacheManager;
using NodeType = vynbt::BlobTreeNode::NodeType;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

/// Points in a shell around the surface of a unit-size ball at centre.
std::vector<V3> ShellPoints(const V3& centre, float radius)
{
    std::vector<V3> points;
    for (int i = 0; i < 40; ++i) {
        const float t = 0.37f * float(i), u = 0.21f * float(i);
        const V3 dir(std::cos(t) * std::cos(u), std::sin(t) * std::cos(u), std::sin(u));
        points.push_back(centre + dir * (radius + 0.02f * float(i % 5 - 2)));
    }
    return points;
}

Box AroundPoint(const V3& p, float half)
{
    return Box(p - V3(half, half, half), p + V3(half, half, half));
}

}  // namespace

class FieldCacheTest : public ManagerStateTest {};

// ---------------------------------------------------------------- pass-through

TEST_F(FieldCacheTest, PassThroughAnswersTheSource)
{
    vynimplicit::Point point(V3(1, 0, 0));
    CountingField source(&point);
    vynbt::PassThroughCache cache(&source);
    EXPECT_EQ(cache.GetCacheType(), FieldCache::PassThrough);
    EXPECT_EQ(cache.GetGrid(), nullptr);
    EXPECT_EQ(cache.Value(1.3f, 0, 0), point.Value(1.3f, 0, 0));
    EXPECT_EQ(cache.Value(1.3f, 0, 0), point.Value(1.3f, 0, 0));
    EXPECT_EQ(source.values, 2) << "nothing is stored";
    float gx, gy, gz, v;
    cache.Gradient(1.3f, 0, 0, gx, gy, gz, &v);
    EXPECT_EQ(v, point.Value(1.3f, 0, 0));
    EXPECT_LT(gx, 0.0f);

    cache.SetOrigin(V3(5, 5, 5));
    cache.SetFrame(Frame(V3(5, 5, 5)));
    EXPECT_EQ(cache.GetOrigin(), V3::ZERO);
    EXPECT_EQ(cache.GetFrame(), Frame());
    cache.InvalidateAll();
    cache.InvalidateRegion(Box(0, 1, 0, 1, 0, 1));
    cache.SetBounds(nullptr);
    cache.SetResolution(4);
    EXPECT_EQ(cache.Value(1.3f, 0, 0), point.Value(1.3f, 0, 0));

    vynbt::PassThroughCache empty(nullptr);
    EXPECT_EQ(empty.Value(0, 0, 0), 0.0f);
    empty.Gradient(0, 0, 0, gx, gy, gz, &v);
    EXPECT_EQ(v, 0.0f);
}

// ---------------------------------------------------------------- frame adapter

TEST_F(FieldCacheTest, FieldWithFramePlacesGridPointsInTheWorld)
{
    vynimplicit::Point point(V3(3, 1, 0));
    vynbt::FieldWithFrame adapter(&point);
    Frame frame(V3(2, 1, 0));
    frame.Rotate(Wml::Matrix3<float>(V3(0, 0, 1), 1.5707963f), true);  // local x is world y
    adapter.SetFrame(frame);
    // Local (0, -1, 0) lies at world o + (1, 0, 0) = the ball's centre.
    EXPECT_NEAR(adapter.Value(0, -1, 0), 1.0f, 1e-5f);
    const V3 q(0.2f, -0.7f, 0.1f);
    const V3 p = adapter.ToWorld(q);
    EXPECT_FLOAT_EQ(adapter.Value(q.X(), q.Y(), q.Z()), point.Value(p));
    const V3 back = adapter.ToLocal(p);
    EXPECT_NEAR(back.X(), q.X(), 1e-6f);
    EXPECT_NEAR(back.Y(), q.Y(), 1e-6f);

    // The rest answers in local terms rather than failing.
    float gx, gy, gz, v;
    adapter.Gradient(q.X(), q.Y(), q.Z(), gx, gy, gz, &v);
    const V3 worldGradient = point.Gradient(p);
    const V3 local = frame.ToLocalVector(worldGradient);
    EXPECT_NEAR(gx, local.X(), 1e-5f);
    EXPECT_NEAR(gy, local.Y(), 1e-5f);
    Box box;
    adapter.FieldBounds(box);
    EXPECT_TRUE(box.Contains(V3(0, -1, 0)));
    EXPECT_NEAR(box.Max(1) - box.Min(1), 2.0f, 1e-4f);

    vynbt::FieldWithFrame none;
    EXPECT_EQ(none.Value(0, 0, 0), 0.0f);
    none.FieldBounds(box);
    EXPECT_TRUE(box.IsEmpty());
}

// ---------------------------------------------------------------- grid cache

TEST_F(FieldCacheTest, GridCacheConstructionBoundsAndResolution)
{
    auto* manager = FieldCacheManager::Get();
    manager->SetDefaultValueMode(FieldCache::TriQuadratic, false);
    manager->SetDefaultGradientMode(FieldCache::TriLinear, false);
    vynimplicit::Point point(V3(2, 3, 4), 0.5f);  // support radius 2
    AdaptiveUniformGrid3DCache cache(&point);
    EXPECT_EQ(cache.GetCacheType(), FieldCache::AdaptiveUniformGrid);
    EXPECT_EQ(cache.GetValueSampleMode(), FieldCache::TriQuadratic);
    EXPECT_EQ(cache.GetGradientSampleMode(), FieldCache::TriLinear);
    EXPECT_EQ(cache.GetFrame(), Frame(V3(2, 3, 4)));
    EXPECT_EQ(cache.GetOrigin(), V3(2, 3, 4));
    ASSERT_NE(cache.GetGrid(), nullptr);
    EXPECT_EQ(cache.GetGrid()->GetOrigin(), V3::ZERO);
    EXPECT_EQ(cache.GetGrid()->GetVoxelSize(), 1.0f);

    std::vector<std::string> messages;
    {
        Wml::ScopedDebugOutputSink sink([&](const char* m) { messages.push_back(m); });
        cache.SetOrigin(V3(9, 9, 9));
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Attempt to set orgin!\n");
    EXPECT_EQ(cache.GetOrigin(), V3(2, 3, 4));

    cache.SetBounds(nullptr);  // the source's bounds: side 4
    EXPECT_FLOAT_EQ(cache.GetGrid()->GetVoxelSize(), 4.0f / 128.0f);
    const Box wide(0, 8, 0, 1, 0, 1);
    cache.SetBounds(&wide);
    EXPECT_FLOAT_EQ(cache.GetGrid()->GetVoxelSize(), 8.0f / 128.0f);
    manager->SetDefaultCacheResolution(64, false);
    cache.SetBounds(&wide);
    EXPECT_FLOAT_EQ(cache.GetGrid()->GetVoxelSize(), 8.0f / 64.0f);

    cache.Value(2.5f, 3, 4);
    EXPECT_GT(cache.GetGrid()->GetAllocatedBlockCount(), 0u);
    cache.SetResolution(32);
    EXPECT_FLOAT_EQ(cache.GetGrid()->GetVoxelSize(), 4.0f / 32.0f);
    EXPECT_EQ(cache.GetGrid()->GetAllocatedBlockCount(), 0u);

    // Hostile input: a NaN frame is refused, a NaN point answers 0.
    Frame bad(V3(NaN, 0, 0));
    cache.SetFrame(bad);
    EXPECT_EQ(cache.GetOrigin(), V3(2, 3, 4));
    EXPECT_EQ(cache.Value(NaN, 0, 0), 0.0f);
    float gx, gy, gz, v;
    cache.Gradient(NaN, 0, 0, gx, gy, gz, &v);
    EXPECT_EQ(v, 0.0f);
    const Box nanBox(NaN, 1, 0, 1, 0, 1);
    cache.SetBounds(&nanBox);
    cache.InvalidateRegion(nanBox);
    EXPECT_FLOAT_EQ(cache.GetGrid()->GetVoxelSize(), 4.0f / 32.0f);
}

TEST_F(FieldCacheTest, GridCacheInterpolatesAndKeepsSamples)
{
    vynimplicit::Point point(V3(0.5f, -0.25f, 1.0f));
    CountingField source(&point);
    AdaptiveUniformGrid3DCache cache(&source);
    cache.SetBounds(nullptr);  // voxel 2/128
    const std::vector<V3> shell = ShellPoints(point.GetCenter(), 0.454202f);

    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        cache.InvalidateAll();
        cache.SetValueSampleMode(FieldCache::SampleMode(mode));
        cache.SetGradientSampleMode(FieldCache::SampleMode(mode));
        // Asked once, a cold cell is answered by the source itself.
        for (const V3& p : shell) EXPECT_EQ(cache.Value(p.X(), p.Y(), p.Z()), point.Value(p));
        // Asked often enough, it is filled and interpolated; then it stays warm.
        const int warm = vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL;
        int evaluations = 0, gradients = 0;
        for (int pass = 0; pass <= warm; ++pass) {
            for (const V3& p : shell) {
                EXPECT_NEAR(cache.Value(p.X(), p.Y(), p.Z()), point.Value(p), 2e-3f);
                float gx, gy, gz, v;
                cache.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
                const V3 g = point.Gradient(p);
                EXPECT_NEAR(gx, g.X(), 0.05f * g.Length() + 1e-3f);
                EXPECT_NEAR(gy, g.Y(), 0.05f * g.Length() + 1e-3f);
                EXPECT_NEAR(gz, g.Z(), 0.05f * g.Length() + 1e-3f);
                EXPECT_NEAR(v, point.Value(p), 2e-3f);
            }
            if (pass == warm - 1) {
                evaluations = source.values;
                gradients = source.gradients;
            }
        }
        EXPECT_EQ(source.values, evaluations) << "a warm region is answered from samples";
        EXPECT_EQ(source.gradients, gradients) << "the grid reads values only";
    }
    const int evaluations = source.values;

    // An unknown mode reads as trilinear.
    cache.SetValueSampleMode(FieldCache::SampleMode(7));
    const V3 p = shell[3];
    const float odd = cache.Value(p.X(), p.Y(), p.Z());
    cache.SetValueSampleMode(FieldCache::TriLinear);
    EXPECT_EQ(odd, cache.Value(p.X(), p.Y(), p.Z()));

    cache.InvalidateAll();
    cache.Value(p.X(), p.Y(), p.Z());
    EXPECT_GT(source.values, evaluations);
}

TEST_F(FieldCacheTest, InvalidateRegionWorksInTheFrame)
{
    vynimplicit::Point point(V3(10, 0, 0));
    CountingField source(&point);
    AdaptiveUniformGrid3DCache cache(&source);
    cache.SetBounds(nullptr);
    const V3 a(9.6f, 0.1f, 0.0f), b(10.4f, -0.1f, 0.0f);
    for (int pass = 0; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass) {  // until filled
        cache.Value(a.X(), a.Y(), a.Z());
        cache.Value(b.X(), b.Y(), b.Z());
    }
    int count = source.values;

    // The world box around a is found in the grid (which works relative to the frame).
    cache.InvalidateRegion(AroundPoint(a, 0.05f));
    cache.Value(b.X(), b.Y(), b.Z());
    EXPECT_EQ(source.values, count);
    cache.Value(a.X(), a.Y(), a.Z());
    EXPECT_GT(source.values, count);

    // Turned frame: a changed source is seen again after invalidating its region.
    Frame turned = cache.GetFrame();
    turned.Rotate(Wml::Matrix3<float>(V3(0, 0, 1), 0.7f), true);
    cache.SetFrame(turned);
    cache.InvalidateAll();
    EXPECT_NEAR(cache.Value(a.X(), a.Y(), a.Z()), point.Value(a), 2e-3f);
    point.SetSize(0.8f);
    cache.InvalidateRegion(AroundPoint(a, 0.05f));
    for (int pass = 0; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)
        EXPECT_NEAR(cache.Value(a.X(), a.Y(), a.Z()), point.Value(a), 2e-3f);
    count = source.values;
    cache.InvalidateRegion(Box());  // an empty box drops nothing
    cache.Value(a.X(), a.Y(), a.Z());
    EXPECT_EQ(source.values, count);
}

TEST_F(FieldCacheTest, MovingTheFrameMovesTheSamples)
{
    vynimplicit::Point point(V3(1, 1, 1));
    CountingField source(&point);
    AdaptiveUniformGrid3DCache cache(&source);
    cache.SetBounds(nullptr);
    const std::vector<V3> shell = ShellPoints(point.GetCenter(), 0.45f);
    for (int pass = 1; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)  // until filled
        for (const V3& p : shell) cache.Value(p.X(), p.Y(), p.Z());
    std::vector<float> before;
    for (const V3& p : shell) before.push_back(cache.Value(p.X(), p.Y(), p.Z()));
    const int count = source.values;

    const V3 d(0.5f, -0.25f, 2.0f);
    point.SetCenter(point.GetCenter() + d);
    Frame moved = cache.GetFrame();
    moved.Origin() += d;
    cache.SetFrame(moved);
    for (size_t i = 0; i < shell.size(); ++i) {
        const V3 p = shell[i] + d;
        EXPECT_NEAR(cache.Value(p.X(), p.Y(), p.Z()), before[i], 1e-5f);
    }
    EXPECT_EQ(source.values, count) << "no sample is recomputed after the move";
}

// ---------------------------------------------------------------- composition nodes

TEST_F(FieldCacheTest, CachedGroupAgreesWithDirectEvaluation)
{
    vynimplicit::MinMaxUnion rootOp;
    vynbt::RootNode root(&rootOp);
    vynimplicit::SumBlend blend;
    vynbt::CompositionNode group(NodeType::SumBlend, &blend);
    root.AddChild(&group);
    BallNode a(V3(0, 0, 0)), b(V3(0.6f, 0, 0));
    group.AddChild(&a);
    group.AddChild(&b);

    auto* manager = FieldCacheManager::Get();
    manager->EnableCaching(true);
    std::vector<V3> points = ShellPoints(V3(0.3f, 0, 0), 0.6f);
    for (const V3& p : points) {
        const float exact = blend.Value(p);
        EXPECT_NEAR(group.Value(p), exact, 5e-3f);
        EXPECT_NEAR(root.Value(p), exact, 5e-3f);
        float gx, gy, gz, v;
        group.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
        const V3 g = blend.Gradient(p);
        const V3 cached(gx, gy, gz);
        if (g.Length() > 0.1f) {
            EXPECT_GT(cached.Dot(g) / (cached.Length() * g.Length()), 0.99f);
        }
        EXPECT_NEAR(v, exact, 5e-3f);
    }

    // Outside the group's bounds the cached node answers 0 without evaluating anything.
    const int count = a.counter.values + b.counter.values;
    const V3 outside(3.0f, 0, 0);
    EXPECT_EQ(group.Value(outside), 0.0f);
    float gx = 1, gy = 1, gz = 1, v = 1;
    group.Gradient(outside.X(), outside.Y(), outside.Z(), gx, gy, gz, &v);
    EXPECT_EQ(gx, 0.0f);
    EXPECT_EQ(gz, 0.0f);
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(a.counter.values + b.counter.values, count);

    // Switched off globally: the operator is evaluated directly, no bounds test.
    manager->EnableCaching(false);
    EXPECT_EQ(group.Value(outside), 0.0f);
    EXPECT_GT(a.counter.values + b.counter.values, count);
    const V3 p = points[5];
    EXPECT_EQ(group.Value(p), blend.Value(p));
    manager->EnableCaching(true);
    // Switched off on the node: the same.
    group.EnableCaching(false);
    EXPECT_EQ(group.Value(p), blend.Value(p));
    group.EnableCaching(true);
    // Without a parent a group never uses its cache.
    root.RemoveChild(&group);
    group.SetParent(nullptr);
    EXPECT_EQ(group.Value(p), blend.Value(p));
    group.ClearChildren();
}

TEST_F(FieldCacheTest, MovingAGroupKeepsItsSamples)
{
    vynimplicit::MinMaxUnion rootOp;
    vynbt::RootNode root(&rootOp);
    vynimplicit::MinMaxUnion unionOp;
    vynbt::CompositionNode group(NodeType::MinMaxUnion, &unionOp);
    root.AddChild(&group);
    BallNode a(V3(0, 0, 0)), b(V3(1, 0, 0));
    group.AddChild(&a);
    group.AddChild(&b);

    const std::vector<V3> points = ShellPoints(V3(0.5f, 0, 0), 0.6f);
    for (int pass = 1; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)  // until filled
        for (const V3& p : points) group.Value(p);
    std::vector<float> before;
    for (const V3& p : points) before.push_back(group.Value(p));
    const int count = a.counter.values + b.counter.values;

    // The caller moves the children (here straight on their primitives), then the group.
    const V3 d(0.25f, 1.5f, -0.5f);
    a.point.SetCenter(a.point.GetCenter() + d);
    b.point.SetCenter(b.point.GetCenter() + d);
    group.Translate(d, true);
    for (size_t i = 0; i < points.size(); ++i) EXPECT_NEAR(group.Value(points[i] + d), before[i], 1e-5f);
    EXPECT_EQ(a.counter.values + b.counter.values, count);

    // Turning the group about its centre keeps them as well.
    const Wml::Matrix3<float> turn(V3(0, 1, 0), 0.5f);
    const V3 c = group.GetChildCenter();
    a.point.SetCenter(turn * (a.point.GetCenter() - c) + c);
    b.point.SetCenter(turn * (b.point.GetCenter() - c) + c);
    group.Rotate(turn, true);
    std::vector<float> after;
    for (size_t i = 0; i < points.size(); ++i) {
        after.push_back(group.Value(turn * (points[i] + d - c) + c));
        EXPECT_NEAR(after.back(), before[i], 1e-4f);
    }
    EXPECT_EQ(a.counter.values + b.counter.values, count);
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_NEAR(after[i], unionOp.Value(turn * (points[i] + d - c) + c), 5e-3f);
    group.ClearChildren();
}

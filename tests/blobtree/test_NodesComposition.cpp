// The composition node classes: type and accessor, the composition setters
// (value written into the operator, the node's cache dropped, one report with
// the node's bounds), the mirror's two reports and plane, the warp balls, and
// the part node's picking.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "NodeTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/FieldCache.h"
#include "blobtree/nodes/AllNodes.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"

using namespace vynbt;
using namespace nodetest;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

/// root -> group -> the given leaves, with a recording listener on the root.
struct GroupHarness {
    vynimplicit::MinMaxUnion unionOp;
    RootNode root{&unionOp};
    RecordingListener listener;
    CompositionNode* group;
    std::vector<BlobTreeNode*> leaves;

    GroupHarness(CompositionNode* g, std::vector<BlobTreeNode*> children)
        : group(g), leaves(std::move(children))
    {
        root.AddListener(&listener);
        root.AddChild(group);
        for (BlobTreeNode* leaf : leaves) group->AddChild(leaf);
        listener.reports.clear();
    }
    ~GroupHarness()
    {
        group->ClearChildren();
        root.ClearChildren();
        root.RemoveListener(&listener);
    }

    /// Fixed random points over the group's bounds, grown a little.
    std::vector<Vec3> Probes(unsigned count = 300) const
    {
        Box box = BoundsOf(*group);
        box.Dilate(0.1f);
        std::mt19937 rng(7);
        std::vector<Vec3> points(count);
        for (Vec3& p : points)
            for (int a = 0; a < 3; ++a)
                p[a] = std::uniform_real_distribution<float>(box.Min(a), box.Max(a))(rng);
        return points;
    }
};

/// Evaluates the cached group at every probe (a cell asked often enough is filled).
std::vector<float> Cached(CompositionNode& group, const std::vector<Vec3>& probes)
{
    std::vector<float> values;
    for (const Vec3& p : probes) values.push_back(group.Value(p));
    return values;
}

std::vector<float> Exact(CompositionNode& group, const std::vector<Vec3>& probes)
{
    CachingSwitchGuard guard;
    FieldCacheManager::Get()->EnableCaching(false);
    return Cached(group, probes);
}

float MaxDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    float worst = 0.0f;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

// A warm cache that missed the change would answer with the old field: the
// error would be as large as the change itself. Trilinear interpolation on
// these small groups (voxels of about 0.02) stays far below this.
constexpr float CACHE_TOLERANCE = 0.03f;

/// Samples the group's grid holds (the groups here are never turned, so the
/// grid's local box is the world box moved by the cache frame's origin).
std::uint64_t StoredSamples(CompositionNode& group)
{
    Box box = BoundsOf(group);
    if (box.IsEmpty()) return 0;
    box.Dilate(0.5f);
    const Vec3 o = group.GetCache()->GetFrame().Origin();
    const Box local(box.Min(0) - o.X(), box.Max(0) - o.X(), box.Min(1) - o.Y(), box.Max(1) - o.Y(),
                    box.Min(2) - o.Z(), box.Max(2) - o.Z());
    std::uint64_t all = 0, allocated = 0, evaluated = 0;
    group.GetCache()->GetGrid()->CalculateCellEvaluationStats(local, all, allocated, evaluated);
    return evaluated;
}

/// Applies a composition setter to a warm group and checks the protocol:
/// the field changed (by more than minChange somewhere), the cache was
/// emptied, one report names the group with a box holding its bounds, and the
/// cache answers the new field. A refused call (bad) changes and reports nothing.
void CheckCompositionSetter(GroupHarness& h, const std::string& what, const std::function<bool()>& change,
                            const std::function<bool()>& bad = nullptr, float minChange = 0.1f)
{
    SCOPED_TRACE(what);
    const std::vector<Vec3> probes = h.Probes();
    const std::vector<float> before = Exact(*h.group, probes);
    // Cold cells are answered directly until asked often enough to be filled.
    for (int pass = 1; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)
        Cached(*h.group, probes);
    EXPECT_LT(MaxDifference(Cached(*h.group, probes), before), CACHE_TOLERANCE);
    h.listener.reports.clear();

    if (bad) {
        EXPECT_FALSE(bad());
        EXPECT_TRUE(h.listener.reports.empty());
        EXPECT_LT(MaxDifference(Exact(*h.group, probes), before), 1e-6f);
    }
    EXPECT_GT(StoredSamples(*h.group), 0u);
    ASSERT_TRUE(change());
    EXPECT_EQ(StoredSamples(*h.group), 0u);
    const std::vector<float> after = Exact(*h.group, probes);
    EXPECT_GT(MaxDifference(before, after), minChange);  // the operator got the value
    ASSERT_EQ(h.listener.reports.size(), 1u);
    EXPECT_EQ(h.listener.reports[0].node, h.group);
    EXPECT_TRUE(ContainsBox(h.listener.reports[0].region, BoundsOf(*h.group)));
    EXPECT_LT(MaxDifference(Cached(*h.group, probes), after), CACHE_TOLERANCE);
    EXPECT_EQ(StoredSamples(*h.group), 0u) << "cells asked once since the change are answered directly";
    for (int pass = 1; pass < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++pass)
        EXPECT_LT(MaxDifference(Cached(*h.group, probes), after), CACHE_TOLERANCE);
    EXPECT_GT(StoredSamples(*h.group), 0u);
}

struct Balls {
    vynimplicit::Point a{Vec3(-0.3f, 0, 0), 1.0f / 0.8f};
    vynimplicit::Point b{Vec3(0.35f, 0.1f, 0), 1.0f / 0.7f};
    PointNode nodeA{&a}, nodeB{&b};
    std::vector<BlobTreeNode*> Nodes() { return {&nodeA, &nodeB}; }
};

}  // namespace

// ---- every class ------------------------------------------------------------------

TEST(CompositionNodes, TypeAccessorAndCachedEvaluationOfEveryClass)
{
    using T = BlobTreeNode::NodeType;
    vynimplicit::SumBlend sum;
    vynimplicit::RicciBlend ricci(3.0f);
    vynimplicit::QuillonUnion quillon;
    vynimplicit::MinMaxUnion maxUnion;
    vynimplicit::MinMaxIntersection minIntersection;
    vynimplicit::MinMaxDifference minDifference;
    vynimplicit::BartheSharpUnion sharpUnion;
    vynimplicit::BartheSharpIntersection sharpIntersection;
    vynimplicit::BartheSharpDifference sharpDifference;
    vynimplicit::BartheSmoothDifference smoothDifference;
    vynimplicit::HollowOperator hollow(0.2f);
    vynimplicit::MirrorOperator mirror;
    vynimplicit::BarrWarp barr(vynimplicit::BarrWarp::TWIST);
    barr.SetTwistRate(1.0f);
    vynimplicit::VariationalWarp variational;
    vynimplicit::LinearSweepWarp sweepWarp;
    vynimplicit::MultiSweep multiSweep;
    vynimplicit::SumBlend blackBox;
    vynimplicit::MinMaxUnion part;

    SumBlendNode sumNode(&sum);
    RicciBlendNode ricciNode(&ricci);
    QuillonUnionNode quillonNode(&quillon);
    MinMaxUnionNode unionNode(&maxUnion);
    MinMaxIntersectionNode intersectionNode(&minIntersection);
    MinMaxDifferenceNode differenceNode(&minDifference);
    BartheSharpUnionNode sharpUnionNode(&sharpUnion);
    BartheSharpIntersectionNode sharpIntersectionNode(&sharpIntersection);
    BartheSharpDifferenceNode sharpDifferenceNode(&sharpDifference);
    BartheSmoothDifferenceNode smoothDifferenceNode(&smoothDifference);
    HollowNode hollowNode(&hollow);
    MirrorNode mirrorNode(&mirror);
    BarrWarpNode barrNode(&barr);
    VariationalWarpNode variationalNode(&variational);
    LinearSweepWarpNode sweepWarpNode(&sweepWarp);
    MultiSweepNode multiSweepNode(&multiSweep);
    BlackBoxCachingNode blackBoxNode(&blackBox);
    CacheNode partNode(&part);

    struct Case {
        CompositionNode* node;
        T type;
        vynimplicit::ScalarField* accessed;
        vynimplicit::ScalarField* op;
    };
    const std::vector<Case> cases = {
        {&sumNode, T::SumBlend, sumNode.GetSumBlend(), &sum},
        {&ricciNode, T::RicciBlend, ricciNode.GetRicciBlend(), &ricci},
        {&quillonNode, T::QuillonUnion, quillonNode.GetQuillonUnion(), &quillon},
        {&unionNode, T::MinMaxUnion, unionNode.GetMinMaxUnion(), &maxUnion},
        {&intersectionNode, T::MinMaxIntersection, intersectionNode.GetMinMaxIntersection(),
         &minIntersection},
        {&differenceNode, T::MinMaxDifference, differenceNode.GetMinMaxDifference(), &minDifference},
        {&sharpUnionNode, T::BartheSharpUnion, sharpUnionNode.GetBartheSharpUnion(), &sharpUnion},
        {&sharpIntersectionNode, T::BartheSharpIntersection,
         sharpIntersectionNode.GetBartheSharpIntersection(), &sharpIntersection},
        {&sharpDifferenceNode, T::BartheSharpDifference, sharpDifferenceNode.GetBartheSharpDifference(),
         &sharpDifference},
        {&smoothDifferenceNode, T::BartheSmoothDifference, smoothDifferenceNode.GetBartheSmoothDifference(),
         &smoothDifference},
        {&hollowNode, T::Hollow, hollowNode.GetHollowOperator(), &hollow},
        {&mirrorNode, T::Mirror, mirrorNode.GetMirrorOperator(), &mirror},
        {&barrNode, T::BarrWarp, barrNode.GetBarrWarp(), &barr},
        {&variationalNode, T::VariationalWarp, variationalNode.GetVariationalWarp(), &variational},
        {&sweepWarpNode, T::LinearSweepWarp, sweepWarpNode.GetLinearSweepWarp(), &sweepWarp},
        {&multiSweepNode, T::MultiSweep, multiSweepNode.GetMultiSweep(), &multiSweep},
        {&blackBoxNode, T::BlackBoxCaching, blackBoxNode.GetSumBlend(), &blackBox},
        {&partNode, T::Cache, partNode.GetUnion(), &part},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        EXPECT_EQ(c.node->GetType(), c.type);
        EXPECT_TRUE(c.node->IsCompositionNode());
        EXPECT_EQ(c.accessed, c.op);
        EXPECT_EQ(c.node->GetScalarField(), c.op);
        ASSERT_NE(c.node->GetCache(), nullptr);

        // Under a root the node answers from its cache, close to its operator.
        Balls balls;
        GroupHarness h(c.node, balls.Nodes());
        EXPECT_EQ(balls.nodeA.GetParent(), c.node);
        const std::vector<Vec3> probes = h.Probes(200);
        const std::vector<float> exact = Exact(*c.node, probes);
        float largest = 0.0f;
        for (float v : exact) largest = std::max(largest, v);
        EXPECT_GT(largest, 0.3f);
        EXPECT_LT(MaxDifference(Cached(*c.node, probes), exact), CACHE_TOLERANCE);
        EXPECT_GT(c.node->GetCache()->GetGrid()->GetAllocatedBlockCount(), 0u);
    }
}

TEST(CompositionNodes, CopiesShareOperatorAndChildrenButNotTheCache)
{
    Balls balls;
    vynimplicit::SumBlend sum;
    SumBlendNode node(&sum);
    GroupHarness h(&node, balls.Nodes());
    SumBlendNode copy(node);
    EXPECT_EQ(copy.GetSumBlend(), &sum);
    EXPECT_EQ(copy.GetNumChildren(), 2u);
    EXPECT_EQ(copy.GetChild(1), &balls.nodeB);
    ASSERT_NE(copy.GetCache(), nullptr);
    EXPECT_NE(copy.GetCache(), node.GetCache());
    EXPECT_EQ(copy.GetType(), BlobTreeNode::NodeType::SumBlend);
    const Vec3 p(0.0f, 0.05f, 0.0f);
    EXPECT_NEAR(copy.Value(p), ExactValue(node, p), CACHE_TOLERANCE);
}

// ---- composition setters ----------------------------------------------------------

TEST(CompositionNodes, BlendHollowAndDifferenceSettersDropTheCacheAndReportOnce)
{
    {
        Balls balls;
        vynimplicit::RicciBlend ricci(1.0f);
        RicciBlendNode node(&ricci);
        GroupHarness h(&node, balls.Nodes());
        CheckCompositionSetter(
            h, "ricci power", [&] { return node.SetPower(12.0f); }, [&] { return node.SetPower(NaN); });
        EXPECT_FLOAT_EQ(ricci.GetPower(), 12.0f);
        EXPECT_FLOAT_EQ(node.GetPower(), 12.0f);
    }
    {
        Balls balls;
        vynimplicit::HollowOperator hollow(0.15f);
        HollowNode node(&hollow);
        GroupHarness h(&node, {&balls.nodeA});
        CheckCompositionSetter(
            h, "hollow thickness", [&] { return node.SetThickness(0.35f); },
            [&] { return node.SetThickness(NaN); });
        EXPECT_FLOAT_EQ(hollow.GetThickness(), 0.35f);
        EXPECT_FLOAT_EQ(node.GetThickness(), 0.35f);
    }
    {
        Balls balls;
        vynimplicit::BartheSmoothDifference difference(1.0f);
        BartheSmoothDifferenceNode node(&difference);
        GroupHarness h(&node, balls.Nodes());
        CheckCompositionSetter(
            h, "sharpness", [&] { return node.SetSharpness(0.2f); }, [&] { return node.SetSharpness(NaN); },
            0.03f);
        EXPECT_FLOAT_EQ(difference.GetSharpness(), 0.2f);
        EXPECT_FLOAT_EQ(node.GetSharpness(), 0.2f);
    }
}

TEST(CompositionNodes, MirrorSettersAndPlane)
{
    vynimplicit::Point point(Vec3(0.3f, 0.2f, 0.15f), 1.0f / 0.7f);
    PointNode leaf(&point);
    vynimplicit::MirrorOperator mirror;
    MirrorNode node(&mirror);
    GroupHarness h(&node, {&leaf});

    CheckCompositionSetter(
        h, "smooth width", [&] { return node.SetSmoothWidth(1.0f); },
        [&] { return node.SetSmoothWidth(NaN); });
    EXPECT_FLOAT_EQ(mirror.GetSmoothWidth(), 1.0f);
    EXPECT_FLOAT_EQ(node.GetSmoothWidth(), 1.0f);
    CheckCompositionSetter(
        h, "blend power", [&] { return node.SetBlendPower(20.0f); }, [&] { return node.SetBlendPower(NaN); });
    EXPECT_FLOAT_EQ(mirror.GetBlendPower(), 20.0f);
    EXPECT_FLOAT_EQ(node.GetBlendPower(), 20.0f);
    CheckCompositionSetter(h, "side", [&] {
        node.SetSide(false);
        return true;
    });
    EXPECT_FALSE(mirror.GetSide());
    EXPECT_FALSE(node.GetSide());

    // Moving the plane moves the reflection: the report holds where it was and
    // where it is now, and the bounds follow at once.
    const Box oldBounds = BoundsOf(node);
    Frame plane;
    node.GetFrame(plane);
    EXPECT_TRUE(plane == mirror.GetFrame());
    plane.Origin() = Vec3(0, 0, -0.6f);
    Frame badPlane = plane;
    badPlane.Origin() = Vec3(NaN, 0, 0);
    CheckCompositionSetter(
        h, "plane",
        [&] {
            node.SetFrame(plane);
            return true;
        },
        [&] {
            node.SetFrame(badPlane);  // refused by the operator
            return false;
        });
    EXPECT_TRUE(mirror.GetFrame() == plane);
    EXPECT_TRUE(SameBox(BoundsOf(node), BoundsOf(mirror)));
    EXPECT_TRUE(ContainsBox(h.listener.reports.back().region, oldBounds));
}

TEST(CompositionNodes, MirrorReportsTheRegionAndItsImageAndCentresOnThePlane)
{
    vynimplicit::Point point(Vec3(1.0f, 2.0f, 3.0f), 2.0f);
    PointNode leaf(&point);
    vynimplicit::MirrorOperator mirror;  // plane z = 0
    MirrorNode node(&mirror);
    EXPECT_TRUE(node.GetChildCenter() == Vec3::ZERO);
    GroupHarness h(&node, {&leaf});

    // Mean of the origin and its reflection: on the plane.
    EXPECT_TRUE((node.GetChildCenter() - Vec3(1.0f, 2.0f, 0.0f)).Length() < 1e-6f);
    Frame groupFrame;
    node.GetFrame(groupFrame);
    EXPECT_TRUE(groupFrame == mirror.GetFrame());

    const Box before = BoundsOf(leaf);
    leaf.Translate(Vec3(0.5f, 0.0f, 0.25f), true);
    const Box region = Union(before, BoundsOf(leaf));
    ASSERT_EQ(h.listener.reports.size(), 2u);
    EXPECT_EQ(h.listener.reports[0].node, &leaf);
    EXPECT_EQ(h.listener.reports[1].node, &leaf);
    EXPECT_TRUE(SameBox(h.listener.reports[0].region, region));
    const Box image(region.Min(0), region.Max(0), region.Min(1), region.Max(1), -region.Max(2),
                    -region.Min(2));
    EXPECT_TRUE(SameBox(h.listener.reports[1].region, image));
    EXPECT_TRUE(SameBox(node.MirrorRegion(region), image));
    EXPECT_TRUE(node.MirrorRegion(Box()).IsEmpty());

    // The cache follows both halves.
    const Vec3 mirrored(1.5f, 2.0f, -3.25f + 0.3f);
    EXPECT_NEAR(node.Value(mirrored), ExactValue(node, mirrored), CACHE_TOLERANCE);
    EXPECT_GT(ExactValue(node, mirrored), 0.2f);

    // Turning the group turns the plane with it (the caller turns the children
    // about the plane's origin first).
    h.listener.reports.clear();
    const Wml::Matrix3<float> turn(Vec3(1, 0, 0), 0.4f);
    Frame leafFrame;
    leaf.GetFrame(leafFrame);
    leaf.Translate(turn * leafFrame.Origin() - leafFrame.Origin(), true);
    leaf.Rotate(turn, true);
    node.Rotate(turn, true);
    node.GetFrame(groupFrame);
    EXPECT_TRUE((groupFrame.Z() - turn * Vec3(0, 0, 1)).Length() < 1e-5f);
    EXPECT_TRUE(groupFrame.Origin() == Vec3::ZERO);
    // The whole mirrored shape turned rigidly.
    EXPECT_NEAR(ExactValue(node, turn * mirrored), ExactValue(node, turn * Vec3(1.5f, 2.0f, 3.25f - 0.3f)),
                1e-4f);
    EXPECT_NEAR(node.Value(turn * mirrored), ExactValue(node, turn * mirrored), CACHE_TOLERANCE);
    for (const Report& r : h.listener.reports) EXPECT_FALSE(r.region.IsEmpty());
}

TEST(CompositionNodes, WarpBallsSmoothingAndWarpPoints)
{
    vynimplicit::Point point(Vec3(0, 0, 0), 1.0f / 0.7f);
    PointNode leaf(&point);
    vynimplicit::VariationalWarp warp;
    warp.SetWarpRadius(1.0f);
    // Six points around the centre, one dragged: more than an affine map can fit,
    // so the smoothing matters.
    vynimplicit::WarpPointSet points;
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {-0.3f, 0.3f}) {
            Vec3 p = Vec3::ZERO;
            p[axis] = side;
            points.AddPoint(p, p);
        }
    points.SetPoint(1, Vec3(0.3f, 0, 0), Vec3(0.5f, 0, 0));
    warp.SetWarpPointSet(points);
    VariationalWarpNode node(&warp);
    GroupHarness h(&node, {&leaf});

    Vec3 centre;
    float radius = 0;
    node.GetWarpBounds(centre, radius);
    EXPECT_TRUE(centre == Vec3::ZERO);
    EXPECT_FLOAT_EQ(radius, 1.0f);
    EXPECT_FLOAT_EQ(node.GetWarpRadius(), 1.0f);
    EXPECT_TRUE(node.GetWarpCenter() == Vec3::ZERO);
    EXPECT_EQ(&node.GetWarpPointSet(), &warp.GetWarpPointSet());
    vynimplicit::WarpPointSet copy;
    node.GetWarpPointSet(copy);
    EXPECT_EQ(copy.GetNumPoints(), 6u);

    CheckCompositionSetter(
        h, "warp point", [&] { return node.SetWarpPointSetPoint(2, Vec3(0, -0.3f, 0), Vec3(0, -0.55f, 0)); },
        [&] { return node.SetWarpPointSetPoint(6, Vec3(0, 0, 0), Vec3(1, 1, 1)); });
    EXPECT_TRUE(warp.GetWarpPointSet().GetTo(2) == Vec3(0, -0.55f, 0));
    CheckCompositionSetter(
        h, "smoothing", [&] { return node.SetSmoothing(3.0f); }, [&] { return node.SetSmoothing(NaN); });
    EXPECT_FLOAT_EQ(node.GetSmoothing(), 3.0f);
    CheckCompositionSetter(h, "point set", [&] {
        node.SetSmoothing(vynimplicit::VariationalWarp::MIN_SMOOTHING);
        h.listener.reports.clear();
        vynimplicit::WarpPointSet other;
        other.AddPoint(Vec3(0, 0.2f, 0), Vec3(0, -0.3f, 0));
        node.SetWarpPointSet(other);
        return true;
    });
    EXPECT_EQ(warp.GetWarpPointSet().GetNumPoints(), 1u);
    CheckCompositionSetter(
        h, "warp ball", [&] { return node.SetWarpBounds(Vec3(0.6f, 0, 0), 0.9f); },
        [&] { return node.SetWarpBounds(Vec3(NaN, 0, 0), 2.0f) || node.SetWarpBounds(Vec3(0, 0, 0), NaN); });
    EXPECT_TRUE(warp.GetWarpCenter() == Vec3(0.6f, 0, 0));
    EXPECT_FLOAT_EQ(warp.GetWarpRadius(), 0.9f);
}

TEST(CompositionNodes, LinearSweepWarpBallAndItsSmoothingThatIsAlwaysZero)
{
    vynimplicit::Cylinder rod(0.15f, 2.0f,
                              Frame(Vec3(-1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, -1), Vec3(1, 0, 0)));
    CylinderNode leaf(&rod);
    vynimplicit::LinearSweepWarp warp;
    warp.SetPath({Wml::Vector2f(-1, 0), Wml::Vector2f(0, 0.3f), Wml::Vector2f(1, 0)});
    warp.SetWarpBallRadius(0.3f);
    LinearSweepWarpNode node(&warp);
    GroupHarness h(&node, {&leaf});

    node.SetSmoothing(5.0f);
    EXPECT_EQ(node.GetSmoothing(), 0.0f);
    EXPECT_TRUE(h.listener.reports.empty());
    CheckCompositionSetter(
        h, "ball", [&] { return node.SetWarpBounds(Vec3(0.1f, 0, 0), 1.2f); },
        [&] { return node.SetWarpBounds(Vec3(0, NaN, 0), 1.0f); });
    Vec3 centre;
    float radius = 0;
    node.GetWarpBounds(centre, radius);
    EXPECT_TRUE(centre == Vec3(0.1f, 0, 0));
    EXPECT_FLOAT_EQ(radius, 1.2f);
    EXPECT_TRUE(warp.GetWarpBallCenter() == Vec3(0.1f, 0, 0));
    EXPECT_FLOAT_EQ(node.GetWarpRadius(), 1.2f);
    EXPECT_TRUE(node.GetWarpCenter() == Vec3(0.1f, 0, 0));
}

// ---- picking -------------------------------------------------------------------------

TEST(CompositionNodes, APartIsPickedAsAWhole)
{
    Balls balls;
    vynimplicit::MinMaxUnion part;
    CacheNode node(&part);
    GroupHarness h(&node, balls.Nodes());
    vynimplicit::Point loose(Vec3(3, 0, 0), 1.0f);
    PointNode looseNode(&loose);
    h.root.AddChild(&looseNode);

    // Near the first ball's surface: the part, not the ball, is picked.
    const Vec3 p(-0.3f - 0.8f * 0.45f, 0, 0);
    BlobTreeNode* picked = nullptr;
    float value = 0;
    h.root.SelectClosestPrimitive(p, &picked, value);
    EXPECT_EQ(picked, &node);
    EXPECT_NEAR(value, ExactValue(node, p), CACHE_TOLERANCE);
    node.SelectClosestPrimitive(p, &picked, value);
    EXPECT_EQ(picked, &node);
    // Outside the part the loose leaf is still picked on its own.
    h.root.SelectClosestPrimitive(Vec3(3.45f, 0, 0), &picked, value);
    EXPECT_EQ(picked, &looseNode);
    h.root.RemoveChild(&looseNode);
}

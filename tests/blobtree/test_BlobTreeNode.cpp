// Nodes: types, evaluation, child management, change propagation, transforms,
// picking, copies and tear-down.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "CoreTestSupport.h"
#include "blobtree/CompositionNode.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/FieldCache.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/SumBlend.h"
#include "tests/support/Near.h"

using namespace coretest;
using vynbt::BlobTreeNode;
using vynbt::CompositionNode;
using vynbt::RootNode;
using NodeType = vynbt::BlobTreeNode::NodeType;

namespace {

Box BoundsOf(vynimplicit::ScalarField& f)
{
    Box b;
    f.FieldBounds(b);
    return b;
}

V3 OriginOf(BlobTreeNode& node)
{
    Frame f;
    node.GetFrame(f);
    return f.Origin();
}

/// root -> group (a max union) with nothing below yet.
struct SmallTree {
    vynimplicit::MinMaxUnion rootOp;
    RootNode root{&rootOp};
    vynimplicit::MinMaxUnion groupOp;
    CompositionNode group{NodeType::MinMaxUnion, &groupOp};
    RecordingListener listener;
    SmallTree()
    {
        root.AddChild(&group);
        root.AddListener(&listener);
    }
    ~SmallTree() { root.RemoveListener(&listener); }
};

}  // namespace

// ---------------------------------------------------------------- types, leaves

TEST(BlobTreeNode, TypesAndLeafEvaluation)
{
    static_assert(sizeof(NodeType) == 4, "node types are 32-bit");
    EXPECT_EQ(int(NodeType::Root), 0);
    EXPECT_EQ(int(NodeType::Point), 1);
    EXPECT_EQ(int(NodeType::CappedLinearSweep), 3);
    EXPECT_EQ(int(NodeType::LinearSweepWarp), 23);
    EXPECT_EQ(int(NodeType::BlackBoxCaching), 25);
    EXPECT_EQ(int(NodeType::Cache), 30);

    BallNode leaf(V3(1, 2, 3), 0.5f);
    EXPECT_FALSE(leaf.IsCompositionNode());
    EXPECT_EQ(leaf.GetType(), NodeType::Point);
    EXPECT_EQ(leaf.GetParent(), nullptr);
    EXPECT_FLOAT_EQ(leaf.Value(1.5f, 2, 3), leaf.point.Value(1.5f, 2, 3));
    float gx, gy, gz, v = -1, px, py, pz;
    leaf.Gradient(1.5f, 2, 3, gx, gy, gz, &v);
    leaf.point.Gradient(1.5f, 2, 3, px, py, pz, nullptr);
    EXPECT_FLOAT_EQ(gx, px);
    EXPECT_FLOAT_EQ(v, leaf.point.Value(1.5f, 2, 3));
    leaf.Gradient(1.5f, 2, 3, gx, gy, gz, nullptr);  // a null value pointer is fine
    EXPECT_EQ(BoundsOf(leaf), BoundsOf(leaf.point));
    std::vector<V3> seeds;
    leaf.GetSeedPoints(seeds);
    EXPECT_EQ(seeds.size(), 1u);

    // A node without a field answers an empty, zero field rather than crashing.
    BlobTreeNode empty(NodeType::Point, nullptr);
    EXPECT_EQ(empty.Value(0, 0, 0), 0.0f);
    empty.Gradient(0, 0, 0, gx, gy, gz, &v);
    EXPECT_EQ(gx, 0.0f);
    EXPECT_EQ(v, 0.0f);
    EXPECT_TRUE(BoundsOf(empty).IsEmpty());
    EXPECT_TRUE(kftest::Near(OriginOf(empty), V3::ZERO));

    // Picking on a leaf selects the leaf.
    BlobTreeNode* picked = nullptr;
    float value = -1;
    leaf.SelectClosestPrimitive(V3(1, 2, 3), &picked, value);
    EXPECT_EQ(picked, &leaf);
    EXPECT_FLOAT_EQ(value, 1.0f);
}

TEST(BlobTreeNode, LeafTransformsGoThroughTheFrameAndReportTheUnion)
{
    SmallTree t;
    BallNode leaf(V3(0, 0, 0));
    t.group.AddChild(&leaf);
    t.listener.reports.clear();

    const Box before = BoundsOf(leaf);
    leaf.Translate(V3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(OriginOf(leaf), V3(1, 0, 0)));
    ASSERT_EQ(t.listener.reports.size(), 1u);
    EXPECT_EQ(t.listener.reports[0].node, &leaf);
    Box expected = before;
    expected.Merge(BoundsOf(leaf));
    EXPECT_EQ(t.listener.reports[0].region, expected);

    leaf.Translate(V3(5, 5, 5), false);
    EXPECT_TRUE(kftest::Near(OriginOf(leaf), V3(5, 5, 5)));

    Wml::Matrix3<float> quarter;
    quarter.FromAxisAngle(V3(0, 0, 1), 1.5707963f);
    leaf.Rotate(quarter, true);
    Frame f;
    leaf.GetFrame(f);
    EXPECT_TRUE(kftest::Near(f.X(), V3(0, 1, 0)));
    leaf.Rotate(Wml::Matrix3<float>::IDENTITY, false);
    leaf.GetFrame(f);
    EXPECT_TRUE(kftest::Near(f.X(), V3(1, 0, 0)));

    leaf.Scale(2, 3, 4, true, false);
    leaf.GetFrame(f);
    EXPECT_TRUE(kftest::Near(f.Scale(), V3(2, 3, 4)));
    leaf.Scale(2, 2, 2, true, true);
    leaf.GetFrame(f);
    EXPECT_TRUE(kftest::Near(f.Scale(), V3(4, 6, 8)));
    leaf.Scale(1, 1, 1, false, false);
    leaf.GetFrame(f);
    EXPECT_TRUE(kftest::Near(f.Scale(), V3(1, 1, 1)));
    EXPECT_EQ(t.listener.reports.size(), 7u);
}

// ---------------------------------------------------------------- children

TEST(CompositionNode, ChildPositionsOperatorOrderAndRefusals)
{
    vynimplicit::MinMaxUnion op;
    CompositionNode g(NodeType::MinMaxUnion, &op);
    EXPECT_TRUE(g.IsCompositionNode());
    EXPECT_TRUE(kftest::Near(g.GetChildCenter(), V3::ZERO));
    EXPECT_TRUE(BoundsOf(g).IsEmpty());
    EXPECT_EQ(g.GetChild(0), nullptr);

    BallNode a(V3(0, 0, 0)), b(V3(2, 0, 0)), c(V3(4, 0, 0)), d(V3(6, 0, 0));
    g.AddChild(&a, -1);
    g.AddChild(&b, 1);   // equal to the count: appends
    g.AddChild(&c, 10);  // beyond it: appends
    g.AddChild(&d, 0);   // in front
    ASSERT_EQ(g.GetNumChildren(), 4u);
    BlobTreeNode* order[] = {&d, &a, &b, &c};
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(g.GetChild(i), order[i]);
        EXPECT_EQ(op.GetChild(i), order[i]) << "the operator sees the same order";
        EXPECT_EQ(order[i]->GetParent(), &g);
    }
    EXPECT_TRUE(kftest::Near(g.GetChildCenter(), V3(3, 0, 0)));
    Box all = BoundsOf(a);
    for (BlobTreeNode* n : order) all.Merge(BoundsOf(*n));
    EXPECT_EQ(BoundsOf(g), all);
    EXPECT_EQ(g.GetChild(4), nullptr);

    // Refused: null, itself, a child twice, and anything that closes a cycle.
    g.AddChild(nullptr);
    g.AddChild(&g);
    g.AddChild(&a, 0);
    EXPECT_EQ(g.GetNumChildren(), 4u);
    EXPECT_EQ(op.GetNumChildren(), 4u);
    vynimplicit::SumBlend innerOp;
    CompositionNode inner(NodeType::SumBlend, &innerOp);
    g.AddChild(&inner);
    inner.AddChild(&g);
    EXPECT_EQ(inner.GetNumChildren(), 0u);
    g.RemoveChild(&inner);

    // Any other negative position appends instead of indexing before the start.
    BallNode e(V3(8, 0, 0));
    g.AddChild(&e, -7);
    EXPECT_EQ(g.GetChild(4), &e);
    g.RemoveChild(&e);
}

TEST(CompositionNode, RemoveAndClearKeepParentLinksAndReport)
{
    SmallTree t;
    BallNode a(V3(0, 0, 0)), b(V3(2, 0, 0)), stranger(V3(9, 9, 9));
    t.group.AddChild(&a);
    t.group.AddChild(&b);
    t.listener.reports.clear();

    // Not a child: nothing changes in the sequence, yet its bounds are reported.
    t.group.RemoveChild(&stranger);
    EXPECT_EQ(t.group.GetNumChildren(), 2u);
    ASSERT_EQ(t.listener.reports.size(), 1u);
    EXPECT_EQ(t.listener.reports[0].node, &stranger);
    EXPECT_EQ(t.listener.reports[0].region, BoundsOf(stranger));

    t.group.RemoveChild(&a);
    EXPECT_EQ(t.group.GetNumChildren(), 1u);
    EXPECT_EQ(t.group.GetChild(0), &b);
    EXPECT_EQ(t.groupOp.GetNumChildren(), 1u);
    EXPECT_EQ(a.GetParent(), &t.group);
    EXPECT_EQ(BoundsOf(t.group), BoundsOf(b));
    EXPECT_TRUE(kftest::Near(t.group.GetChildCenter(), V3(2, 0, 0)));

    t.group.AddChild(&a);
    const Box old = BoundsOf(t.group);
    t.listener.reports.clear();
    t.group.ClearChildren();
    EXPECT_EQ(t.group.GetNumChildren(), 0u);
    EXPECT_EQ(t.groupOp.GetNumChildren(), 0u);
    EXPECT_EQ(a.GetParent(), &t.group);
    EXPECT_EQ(b.GetParent(), &t.group);
    EXPECT_TRUE(BoundsOf(t.group).IsEmpty());
    EXPECT_TRUE(kftest::Near(t.group.GetChildCenter(), V3::ZERO));
    ASSERT_EQ(t.listener.reports.size(), 1u);
    EXPECT_EQ(t.listener.reports[0].node, &t.group);
    EXPECT_EQ(t.listener.reports[0].region, old);
}

TEST(CompositionNode, TearDownLeavesNoDanglingLinks)
{
    BallNode a(V3(0, 0, 0));
    {
        vynimplicit::MinMaxUnion op;
        CompositionNode g(NodeType::MinMaxUnion, &op);
        g.AddChild(&a);
        g.RemoveChild(&a);
        EXPECT_EQ(a.GetParent(), &g);
    }
    // The former parent is gone: the link is cleared and changes go nowhere.
    EXPECT_EQ(a.GetParent(), nullptr);
    a.SetSize(2.0f);
    a.Translate(V3(1, 0, 0), true);

    // A child destroyed while still attached leaves the sequence and the operator.
    vynimplicit::MinMaxUnion op;
    CompositionNode g(NodeType::MinMaxUnion, &op);
    auto b = std::make_unique<BallNode>(V3(3, 0, 0));
    g.AddChild(&a);
    g.AddChild(b.get());
    b.reset();
    EXPECT_EQ(g.GetNumChildren(), 1u);
    EXPECT_EQ(op.GetNumChildren(), 1u);
    EXPECT_EQ(BoundsOf(g), BoundsOf(a));
    g.Value(0, 0, 0);
    g.RemoveChild(&a);
}

// ---------------------------------------------------------------- propagation

TEST(CompositionNode, DeepChangeReachesListenersOnceAndInvalidatesCaches)
{
    SmallTree t;
    vynimplicit::SumBlend innerOp;
    CompositionNode inner(NodeType::SumBlend, &innerOp);
    BallNode leaf(V3(0, 0, 0)), other(V3(5, 0, 0));
    t.group.AddChild(&inner);
    inner.AddChild(&leaf);
    inner.AddChild(&other);

    // Warm both caches, then change the leaf.
    const V3 probe(0.6f, 0.1f, 0.0f);
    const float before = t.root.Value(probe);
    EXPECT_GT(before, 0.0f);
    t.listener.reports.clear();
    const Box oldBounds = BoundsOf(leaf.point);
    leaf.SetSize(0.5f);  // the ball doubles its radius
    ASSERT_EQ(t.listener.reports.size(), 1u);
    EXPECT_EQ(t.listener.reports[0].node, &leaf);
    Box expected = oldBounds;
    expected.Merge(BoundsOf(leaf.point));
    EXPECT_EQ(t.listener.reports[0].region, expected);

    // No stale samples on the way up: the tree answers the new field.
    const float exact = leaf.point.Value(probe);
    EXPECT_GT(exact, before + 0.2f);
    EXPECT_NEAR(t.root.Value(probe), exact, 0.02f);
    EXPECT_TRUE(BoxContains(BoundsOf(t.group), BoundsOf(leaf.point)));

    // The bracket pair reports a change made straight to the wrapped object.
    t.listener.reports.clear();
    Box hackBefore;
    leaf.ChildModifiedHack_BeforeChange(hackBefore);
    EXPECT_EQ(hackBefore, BoundsOf(leaf.point));
    leaf.point.SetSize(2.0f);
    leaf.ChildModifiedHack_AfterChange(hackBefore);
    ASSERT_EQ(t.listener.reports.size(), 1u);
    EXPECT_EQ(t.listener.reports[0].node, &leaf);
    EXPECT_EQ(t.listener.reports[0].region, hackBefore);  // the old box holds the new one
    EXPECT_NEAR(t.root.Value(probe), leaf.point.Value(probe), 0.02f);

    // An operator change drops the whole cache and reports the group.
    leaf.point.SetSize(1.0f);  // unreported on purpose
    t.listener.reports.clear();
    inner.OnNodeModified();
    ASSERT_EQ(t.listener.reports.size(), 1u);
    EXPECT_EQ(t.listener.reports[0].node, &inner);
    EXPECT_EQ(t.listener.reports[0].region, BoundsOf(inner));
    EXPECT_NEAR(t.root.Value(probe), leaf.point.Value(probe) + other.point.Value(probe), 0.02f);

    // A detached node reports nothing and does not crash.
    BallNode loose(V3(0, 0, 0));
    loose.SetSize(3.0f);
    loose.OnNodeModified();
    inner.RemoveChild(&leaf);
    inner.RemoveChild(&other);
    t.group.RemoveChild(&inner);
}

TEST(CompositionNode, GroupScaleIsMutedBelowAndReportedOnce)
{
    SmallTree t;
    BallNode a(V3(0, 0, 0)), b(V3(2, 0, 0));
    t.group.AddChild(&a);
    t.group.AddChild(&b);
    const Box old = BoundsOf(t.group);
    const V3 probe(-1.0f, 0.2f, 0.0f);
    t.group.Value(probe);  // warm the group's cache
    t.listener.reports.clear();

    t.group.Scale(2, 2, 2, true, true);
    EXPECT_TRUE(kftest::Near(OriginOf(a), V3(-1, 0, 0)));
    EXPECT_TRUE(kftest::Near(OriginOf(b), V3(3, 0, 0)));
    Frame f;
    a.GetFrame(f);
    EXPECT_TRUE(kftest::Near(f.Scale(), V3(2, 2, 2)));
    // Only the group's own report comes through, covering where it was and is.
    ASSERT_EQ(t.listener.reports.size(), 1u);
    EXPECT_EQ(t.listener.reports[0].node, &t.group);
    EXPECT_TRUE(BoxContains(t.listener.reports[0].region, old));
    EXPECT_TRUE(BoxContains(t.listener.reports[0].region, BoundsOf(t.group)));
    EXPECT_NEAR(t.group.Value(probe), a.point.Value(probe), 0.02f);

    // Absolute or non-uniform scaling of a group does nothing.
    t.listener.reports.clear();
    t.group.Scale(3, 3, 3, false, true);
    t.group.Scale(3, 1, 1, true, false);
    EXPECT_TRUE(t.listener.reports.empty());
    EXPECT_TRUE(kftest::Near(OriginOf(a), V3(-1, 0, 0)));

    t.group.ClearChildren();
}

TEST(CompositionNode, NestedGroupScalesAboutTheOuterCentre)
{
    SmallTree t;
    vynimplicit::MinMaxUnion innerOp;
    CompositionNode inner(NodeType::MinMaxUnion, &innerOp);
    BallNode a(V3(0, 0, 0)), b(V3(2, 0, 0)), c(V3(4, 0, 0));
    t.group.AddChild(&a);
    t.group.AddChild(&inner);
    inner.AddChild(&b);
    inner.AddChild(&c);
    EXPECT_TRUE(kftest::Near(t.group.GetChildCenter(), V3(1.5f, 0, 0)));

    t.group.Scale(2, 2, 2, true, true);
    EXPECT_TRUE(kftest::Near(OriginOf(a), V3(-1.5f, 0, 0)));
    EXPECT_TRUE(kftest::Near(OriginOf(b), V3(2.5f, 0, 0)));
    EXPECT_TRUE(kftest::Near(OriginOf(c), V3(6.5f, 0, 0)));
    // The inner group's cache followed its content.
    const V3 probe(6.2f, 0.3f, 0.0f);
    EXPECT_NEAR(inner.Value(probe), c.point.Value(probe), 0.02f);

    inner.ClearChildren();
    t.group.ClearChildren();
}

TEST(CompositionNode, GroupTranslateAndRotateMoveTheCacheFrame)
{
    SmallTree t;
    BallNode a(V3(0, 0, 0)), b(V3(2, 0, 0));
    t.group.AddChild(&a);
    t.group.AddChild(&b);
    const Frame start = t.group.GetCache()->GetFrame();

    // The caller moves the children, then the group.
    t.listener.reports.clear();
    a.Translate(V3(0, 3, 0), true);
    b.Translate(V3(0, 3, 0), true);
    t.group.Translate(V3(0, 3, 0), true);
    EXPECT_TRUE(kftest::Near(t.group.GetCache()->GetFrame().Origin(), start.Origin() + V3(0, 3, 0)));
    EXPECT_TRUE(kftest::Near(t.group.GetChildCenter(), V3(1, 3, 0)));
    ASSERT_EQ(t.listener.reports.size(), 3u);
    EXPECT_EQ(t.listener.reports[2].node, &t.group);
    EXPECT_EQ(t.listener.reports[2].region, BoundsOf(t.group));

    // Absolute: the cache moves only by what the group's own frame moved.
    a.Translate(V3(0, 0, 1), true);
    b.Translate(V3(0, 0, 1), true);
    const V3 cacheBefore = t.group.GetCache()->GetFrame().Origin();
    t.group.Translate(V3(1, 3, 1), false);
    EXPECT_TRUE(kftest::Near(t.group.GetCache()->GetFrame().Origin(), cacheBefore));
    const V3 probe(1.8f, 3.1f, 1.0f);
    EXPECT_NEAR(t.group.Value(probe), b.point.Value(probe), 0.02f);

    // Rotation turns the cache frame about the child centre.
    Wml::Matrix3<float> half(V3(0, 0, 1), 3.14159265f);
    const V3 c = t.group.GetChildCenter();
    const V3 o = t.group.GetCache()->GetFrame().Origin();
    t.group.Rotate(half, true);
    EXPECT_TRUE(kftest::Near(t.group.GetCache()->GetFrame().Origin(), half * (o - c) + c, 1e-4f));
    EXPECT_TRUE(kftest::Near(t.group.GetCache()->GetFrame().X(), V3(-1, 0, 0), 1e-5f));
    Frame groupFrame;
    t.group.GetFrame(groupFrame);
    EXPECT_TRUE(kftest::Near(groupFrame.Origin(), c));
    EXPECT_TRUE(kftest::Near(groupFrame.X(), V3(-1, 0, 0), 1e-5f));
    // Absolute: turned back onto the given axes.
    t.group.Rotate(Wml::Matrix3<float>::IDENTITY, false);
    EXPECT_TRUE(kftest::Near(t.group.GetCache()->GetFrame().X(), V3(1, 0, 0), 1e-5f));
    EXPECT_TRUE(kftest::Near(t.group.GetCache()->GetFrame().Origin(), o, 1e-4f));

    t.group.ClearChildren();
}

// ---------------------------------------------------------------- picking

TEST(RootNode, SelectClosestPrimitivePicksNearestToTheSurface)
{
    SmallTree t;
    BallNode a(V3(0, 0, 0)), b(V3(3, 0, 0)), twin(V3(0, 0, 0));
    t.group.AddChild(&a);
    t.root.AddChild(&b);
    BlobTreeNode* picked = &a;
    float value = -1;

    t.root.SelectClosestPrimitive(V3(0.4f, 0, 0), &picked, value);
    EXPECT_EQ(picked, &a);
    EXPECT_FLOAT_EQ(value, a.Value(0.4f, 0, 0));
    t.root.SelectClosestPrimitive(V3(2.5f, 0, 0), &picked, value);
    EXPECT_EQ(picked, &b);

    // Nothing between 0 and 1 at the point: no node.
    t.root.SelectClosestPrimitive(V3(20, 0, 0), &picked, value);
    EXPECT_EQ(picked, nullptr);
    EXPECT_EQ(value, 0.0f);
    t.root.SelectClosestPrimitive(V3(0, 0, 0), &picked, value);  // value 1 at the centre
    EXPECT_EQ(picked, nullptr);
    EXPECT_EQ(value, 0.0f);

    // A tie keeps the earlier child.
    t.group.AddChild(&twin);
    t.root.SelectClosestPrimitive(V3(0.4f, 0, 0), &picked, value);
    EXPECT_EQ(picked, &a);
    // Non-finite points pick nothing and do not crash.
    t.root.SelectClosestPrimitive(V3(std::numeric_limits<float>::quiet_NaN(), 0, 0), &picked, value);
    EXPECT_EQ(picked, nullptr);

    t.group.ClearChildren();
    t.root.RemoveChild(&b);
}

// ---------------------------------------------------------------- copies

TEST(CompositionNode, CopiesOwnTheirCacheAndWrapper)
{
    auto* manager = vynbt::FieldCacheManager::Get();
    SmallTree t;
    BallNode a(V3(0, 0, 0));
    t.group.AddChild(&a);
    t.group.GetCache()->SetValueSampleMode(vynbt::FieldCache::TriQuadratic);
    const unsigned before = manager->GetNumCaches();
    {
        CompositionNode copy(t.group);
        EXPECT_EQ(manager->GetNumCaches(), before + 1);
        EXPECT_NE(copy.GetCache(), t.group.GetCache());
        EXPECT_EQ(copy.GetCache()->GetCacheType(), t.group.GetCache()->GetCacheType());
        EXPECT_EQ(copy.GetCache()->GetFrame(), t.group.GetCache()->GetFrame());
        EXPECT_EQ(copy.GetCache()->GetValueSampleMode(), vynbt::FieldCache::TriQuadratic);
        EXPECT_EQ(copy.GetChild(0), &a);
        EXPECT_EQ(copy.GetParent(), &t.root);
        EXPECT_EQ(copy.GetType(), NodeType::MinMaxUnion);
        EXPECT_EQ(BoundsOf(copy), BoundsOf(t.group));
        // The copy samples through itself, not the original.
        EXPECT_NEAR(copy.Value(0.3f, 0, 0), a.point.Value(0.3f, 0, 0), 0.02f);

        vynimplicit::MinMaxUnion otherOp;
        CompositionNode assigned(NodeType::SumBlend, &otherOp);
        assigned = t.group;  // its old cache is returned, a new one made
        EXPECT_NE(assigned.GetCache(), t.group.GetCache());
        EXPECT_EQ(assigned.GetScalarField(), &t.groupOp);
        EXPECT_EQ(manager->GetNumCaches(), before + 2);
    }
    EXPECT_EQ(manager->GetNumCaches(), before);
    EXPECT_TRUE(manager->IsRegistered(t.group.GetCache()));
    t.group.ClearChildren();
}

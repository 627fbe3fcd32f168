// Root listeners across whole trees: every change below the root reaches
// each listener exactly once, naming the node that changed first and the
// union of its old and new bounds; under a mirror twice (the region and its
// image); group transforms as the scene objects make them.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "NodeTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/nodes/AllNodes.h"

using namespace vynbt;
using namespace nodetest;

namespace {

/// Appends its own address to a shared log, so the order of calls shows.
class OrderListener : public RootNodeListener {
public:
    explicit OrderListener(std::vector<const RootNodeListener*>& log) : m_log(log) {}
    void OnChildModified(BlobTreeNode*, const Box&) override { m_log.push_back(this); }

private:
    std::vector<const RootNodeListener*>& m_log;
};

/// root -> ricci -> sum -> {a, b}; root -> c.
struct Tree {
    vynimplicit::MinMaxUnion rootOp;
    RootNode root{&rootOp};
    vynimplicit::RicciBlend ricciOp{2.0f};
    RicciBlendNode ricci{&ricciOp};
    vynimplicit::SumBlend sumOp;
    SumBlendNode sum{&sumOp};
    vynimplicit::Point a{Vec3(0, 0, 0), 2.0f}, b{Vec3(0.4f, 0, 0), 2.0f}, c{Vec3(3, 0, 0), 1.0f};
    PointNode nodeA{&a}, nodeB{&b}, nodeC{&c};

    Tree()
    {
        root.AddChild(&ricci);
        ricci.AddChild(&sum);
        sum.AddChild(&nodeA);
        sum.AddChild(&nodeB);
        root.AddChild(&nodeC);
    }
    ~Tree()
    {
        sum.ClearChildren();
        ricci.ClearChildren();
        root.ClearChildren();
    }
};

}  // namespace

TEST(Listeners, EveryListenerHearsEachDeepChangeOnceWithTheLeafAndTheUnionBox)
{
    Tree tree;
    RecordingListener first, second, third;
    tree.root.AddListener(&first);
    tree.root.AddListener(&second);
    tree.root.AddListener(&third);
    tree.root.AddListener(&third);  // held once
    EXPECT_EQ(tree.root.GetNumListeners(), 3u);

    const Box before = BoundsOf(tree.nodeA);
    tree.nodeA.Translate(Vec3(0, 0.7f, 0), true);
    const Box region = Union(before, BoundsOf(tree.nodeA));
    for (RecordingListener* l : {&first, &second, &third}) {
        ASSERT_EQ(l->reports.size(), 1u);
        EXPECT_EQ(l->reports[0].node, &tree.nodeA);
        EXPECT_TRUE(SameBox(l->reports[0].region, region));
    }

    // A property setter, and a leaf directly under the root.
    const Box sizeBefore = BoundsOf(tree.nodeB);
    tree.nodeB.SetSize(0.3f);
    tree.nodeC.SetSize(0.2f);
    for (RecordingListener* l : {&first, &second, &third}) {
        ASSERT_EQ(l->reports.size(), 3u);
        EXPECT_EQ(l->reports[1].node, &tree.nodeB);
        EXPECT_TRUE(SameBox(l->reports[1].region, Union(sizeBefore, BoundsOf(tree.nodeB))));
        EXPECT_EQ(l->reports[2].node, &tree.nodeC);
    }

    // An operator's own parameter names the operator's node.
    tree.ricci.SetPower(6.0f);
    ASSERT_EQ(first.reports.size(), 4u);
    EXPECT_EQ(first.reports[3].node, &tree.ricci);
    EXPECT_TRUE(SameBox(first.reports[3].region, BoundsOf(tree.ricci)));

    // A removed listener hears nothing more; the others carry on.
    tree.root.RemoveListener(&second);
    tree.nodeA.Translate(Vec3(0, -0.7f, 0), true);
    EXPECT_EQ(first.reports.size(), 5u);
    EXPECT_EQ(second.reports.size(), 4u);
    EXPECT_EQ(third.reports.size(), 5u);

    // Detaching is heard with the child's bounds.
    const Box detached = BoundsOf(tree.nodeB);
    tree.sum.RemoveChild(&tree.nodeB);
    ASSERT_EQ(first.reports.size(), 6u);
    EXPECT_EQ(first.reports[5].node, &tree.nodeB);
    EXPECT_TRUE(SameBox(first.reports[5].region, detached));

    tree.root.RemoveListener(&first);
    tree.root.RemoveListener(&third);
}

TEST(Listeners, ListenersAreCalledInAscendingAddressOrder)
{
    Tree tree;
    std::vector<const RootNodeListener*> log;
    std::vector<std::unique_ptr<OrderListener>> listeners;
    for (int i = 0; i < 6; ++i) listeners.push_back(std::make_unique<OrderListener>(log));
    // Registered in reverse creation order; called by address regardless.
    for (int i = 5; i >= 0; --i) tree.root.AddListener(listeners[i].get());
    tree.nodeC.Translate(Vec3(0.1f, 0, 0), true);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_TRUE(std::is_sorted(log.begin(), log.end()));
    for (auto& l : listeners) tree.root.RemoveListener(l.get());
}

TEST(Listeners, AChangeUnderAMirrorIsHeardTwiceAsRegionAndImage)
{
    vynimplicit::MinMaxUnion rootOp;
    RootNode root(&rootOp);
    vynimplicit::SumBlend outerOp, innerOp;
    SumBlendNode outer(&outerOp), inner(&innerOp);
    vynimplicit::MirrorOperator mirrorOp;
    mirrorOp.SetFrame(Frame::FromOriginAndNormal(Vec3(0.5f, 0, 0), Vec3(1, 0, 0)));  // the plane x = 0.5
    MirrorNode mirror(&mirrorOp);
    vynimplicit::Point point(Vec3(1.5f, 0.2f, 0), 2.0f);
    PointNode leaf(&point);
    root.AddChild(&outer);
    outer.AddChild(&mirror);
    mirror.AddChild(&inner);
    inner.AddChild(&leaf);

    RecordingListener first, second;
    root.AddListener(&first);
    root.AddListener(&second);
    const Box before = BoundsOf(leaf);
    leaf.Translate(Vec3(0.3f, 0.1f, -0.2f), true);
    const Box region = Union(before, BoundsOf(leaf));
    const Box image(1.0f - region.Max(0), 1.0f - region.Min(0), region.Min(1), region.Max(1), region.Min(2),
                    region.Max(2));
    for (RecordingListener* l : {&first, &second}) {
        ASSERT_EQ(l->reports.size(), 2u);
        EXPECT_EQ(l->reports[0].node, &leaf);
        EXPECT_EQ(l->reports[1].node, &leaf);
        EXPECT_TRUE(SameBox(l->reports[0].region, region, 1e-4f));
        EXPECT_TRUE(SameBox(l->reports[1].region, image, 1e-4f));
    }
    // The image side of the cached outer group follows the move too.
    const Vec3 seen(1.0f - 1.8f, 0.3f, -0.2f);
    EXPECT_GT(ExactValue(outer, seen), 0.5f);
    EXPECT_NEAR(outer.Value(seen), ExactValue(outer, seen), 0.03f);

    root.RemoveListener(&first);
    root.RemoveListener(&second);
    inner.ClearChildren();
    mirror.ClearChildren();
    outer.ClearChildren();
    root.ClearChildren();
}

TEST(Listeners, GroupMovesAreHeardPerChildAndOnceForTheGroup)
{
    Tree tree;
    RecordingListener listener;
    tree.root.AddListener(&listener);
    const Box groupBefore = BoundsOf(tree.ricci);

    // A group move as the scene objects make it: the children first, then the
    // group's own transform, which names the group.
    const Vec3 d(0.5f, -0.25f, 1.0f);
    tree.nodeA.Translate(d, true);
    tree.nodeB.Translate(d, true);
    tree.sum.Translate(d, true);
    tree.ricci.Translate(d, true);
    ASSERT_EQ(listener.reports.size(), 4u);
    EXPECT_EQ(listener.reports[0].node, &tree.nodeA);
    EXPECT_EQ(listener.reports[1].node, &tree.nodeB);
    EXPECT_EQ(listener.reports[2].node, &tree.sum);
    EXPECT_EQ(listener.reports[3].node, &tree.ricci);
    EXPECT_TRUE(SameBox(listener.reports[3].region, BoundsOf(tree.ricci)));
    Box heard;
    for (const Report& r : listener.reports) heard.Merge(r.region);
    EXPECT_TRUE(ContainsBox(heard, Union(groupBefore, BoundsOf(tree.ricci))));

    // A scale is done by the group itself: its children's reports are muted
    // and one report covers where the group was and where it is.
    listener.reports.clear();
    const Box beforeScale = BoundsOf(tree.ricci);
    tree.ricci.Scale(0.5f, 0.5f, 0.5f, true, true);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0].node, &tree.ricci);
    EXPECT_TRUE(ContainsBox(listener.reports[0].region, beforeScale));
    EXPECT_TRUE(ContainsBox(listener.reports[0].region, BoundsOf(tree.ricci)));
    EXPECT_FALSE(SameBox(beforeScale, BoundsOf(tree.ricci)));

    // Attaching and detaching are heard with the child's bounds.
    listener.reports.clear();
    vynimplicit::Point extra(Vec3(-2, 0, 0), 1.0f);
    PointNode extraNode(&extra);
    tree.sum.AddChild(&extraNode);
    tree.sum.RemoveChild(&extraNode);
    ASSERT_EQ(listener.reports.size(), 2u);
    for (const Report& r : listener.reports) {
        EXPECT_EQ(r.node, &extraNode);
        EXPECT_TRUE(SameBox(r.region, BoundsOf(extraNode)));
    }
    tree.root.RemoveListener(&listener);
}

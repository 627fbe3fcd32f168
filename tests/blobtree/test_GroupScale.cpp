// Scaling a group: every node below it scales about the group's child centre,
// and a factor that some frame below would refuse changes nothing at all.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "NodeTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/nodes/AllNodes.h"

using namespace vynbt;
using namespace nodetest;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float INF = std::numeric_limits<float>::infinity();

/// root -> outer union -> {ball, capsule, inner sum blend -> {ball, turned capsule,
/// polyline, sweep, point set}, mirror -> ball}. Owns everything.
struct NestedGroups {
    vynimplicit::MinMaxUnion rootOp;
    RootNode root{&rootOp};
    vynimplicit::MinMaxUnion outerOp;
    MinMaxUnionNode outer{&outerOp};
    vynimplicit::SumBlend innerOp;
    SumBlendNode inner{&innerOp};
    vynimplicit::MirrorOperator mirrorOp;
    std::unique_ptr<MirrorNode> mirror;
    vynimplicit::Point ballA{Vec3(0.0f, 0.0f, 0.0f), 1.5f}, ballB{Vec3(2.0f, 1.0f, 0.0f), 2.0f};
    vynimplicit::Point ballM{Vec3(-1.5f, 0.6f, 0.3f), 1.8f};
    vynimplicit::Cylinder capsuleA{0.2f, 0.8f, Frame(Vec3(0.5f, -1.0f, 0.5f))};
    vynimplicit::Cylinder capsuleB{0.15f, 0.6f,
                                   Frame(Vec3(2.5f, 1.5f, -0.5f), Wml::Matrix3<float>(Vec3(1, 1, 0), 0.7f))};
    PointNode a{&ballA}, b{&ballB}, m{&ballM};
    CylinderNode ca{&capsuleA}, cb{&capsuleB};
    vynimplicit::PolyLinePrimitive line;
    std::unique_ptr<PolyLineNode> ln;
    FormulaDisc disc{0.4f};
    vynimplicit::DiscreteLinearSweep sweep{&disc, Frame(Vec3(1.0f, 2.0f, 0.5f)), 0.4f};
    CappedLinearSweepNode sn{&sweep};
    vynimplicit::FastQuadricPointSet pointSet;
    std::unique_ptr<FastQuadricPointSetNode> pn;
    RecordingListener listener;

    NestedGroups()
    {
        line.AppendVertex(Vec3(1.5f, 0.0f, 0.0f));
        line.AppendVertex(Vec3(2.5f, 0.5f, 0.0f));
        line.SetRadius(0.2f);
        ln = std::make_unique<PolyLineNode>(&line);
        for (int i = 0; i < 6; ++i) {
            const Vec3 n(i % 3 == 0 ? 1.0f : 0.0f, i % 3 == 1 ? 1.0f : 0.0f, i % 3 == 2 ? 1.0f : 0.0f);
            const Vec3 normal = i < 3 ? n : -n;
            pointSet.AddPoint(Vec3(3.0f, -1.0f, 0.0f) + normal * 0.3f, normal);
        }
        pointSet.SetRadius(0.3f);
        pn = std::make_unique<FastQuadricPointSetNode>(&pointSet);
        mirrorOp.SetFrame(Frame::FromOriginAndNormal(Vec3(-1.0f, 0.0f, 0.0f), Vec3(1, 0, 0)));
        mirror = std::make_unique<MirrorNode>(&mirrorOp);
        root.AddChild(&outer);
        outer.AddChild(&a);
        outer.AddChild(&ca);
        outer.AddChild(&inner);
        outer.AddChild(mirror.get());
        inner.AddChild(&b);
        inner.AddChild(&cb);
        inner.AddChild(ln.get());
        inner.AddChild(&sn);
        inner.AddChild(pn.get());
        mirror->AddChild(&m);
        root.AddListener(&listener);
    }
    ~NestedGroups()
    {
        root.RemoveListener(&listener);
        mirror->ClearChildren();
        inner.ClearChildren();
        outer.ClearChildren();
        root.ClearChildren();
    }

    std::vector<BlobTreeNode*> Leaves() { return {&a, &ca, &b, &cb, ln.get(), &sn, pn.get(), &m}; }
    std::vector<Frame> LeafFrames()
    {
        std::vector<Frame> frames;
        for (BlobTreeNode* leaf : Leaves()) {
            Frame f;
            leaf->GetFrame(f);
            frames.push_back(f);
        }
        return frames;
    }
    Frame MirrorPlane()
    {
        Frame f;
        mirror->GetFrame(f);
        return f;
    }
};

void ExpectFramesNear(const std::vector<Frame>& actual, const std::vector<Frame>& expected, float tol,
                      const char* what)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(actual[i].Origin()[k], expected[i].Origin()[k], tol) << what << " leaf " << i;
            EXPECT_NEAR(actual[i].Scale()[k], expected[i].Scale()[k], tol) << what << " leaf " << i;
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(actual[i].GetAxis(k)[j], expected[i].GetAxis(k)[j], tol) << what << " leaf " << i;
        }
}

}  // namespace

TEST(GroupScale, ScalesEveryLeafBelowAboutTheChildCentre)
{
    NestedGroups t;
    const Vec3 c = t.outer.GetChildCenter();
    const std::vector<Frame> before = t.LeafFrames();
    const Frame plane = t.MirrorPlane();

    t.outer.Scale(1.5f, 1.5f, 1.5f, true, true);
    std::vector<Frame> expected = before;
    for (Frame& f : expected) {
        f.Origin() = c + (f.Origin() - c) * 1.5f;
        f.Scale() *= 1.5f;
    }
    ExpectFramesNear(t.LeafFrames(), expected, 1e-5f, "x1.5");
    // The mirror plane travels with the children it reflects.
    const Vec3 planeOrigin = t.MirrorPlane().Origin();
    EXPECT_NEAR((planeOrigin - (c + (plane.Origin() - c) * 1.5f)).Dot(plane.Z()), 0.0f, 1e-5f);
    EXPECT_NEAR(t.ballA.GetSize(), 1.5f, 0.0f) << "the ball's own size is untouched; its frame scales";
}

TEST(GroupScale, RefusedFactorsLeaveEveryNodeExactlyAsItWas)
{
    NestedGroups t;
    const std::vector<Frame> before = t.LeafFrames();
    const Frame plane = t.MirrorPlane();
    const Vec3 centre = t.outer.GetChildCenter();
    const Box bounds = BoundsOf(t.outer);
    // Each of these makes at least one leaf's frame unusable.
    const float refused[] = {0.0f, -0.0f, NaN, INF, -INF, 1e-30f, 1e-7f, 3e38f};
    for (float s : refused) {
        t.listener.reports.clear();
        t.outer.Scale(s, s, s, true, true);
        const std::vector<Frame> after = t.LeafFrames();
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], before[i]) << "factor " << s << " leaf " << i;
        EXPECT_EQ(t.MirrorPlane(), plane) << "factor " << s;
        EXPECT_EQ(t.outer.GetChildCenter(), centre) << "factor " << s;
        EXPECT_EQ(BoundsOf(t.outer), bounds) << "factor " << s;
        EXPECT_TRUE(t.listener.reports.empty()) << "nothing changed, nothing to redo; factor " << s;
    }
    // The inner group refuses on its own too.
    const std::vector<Frame> innerBefore = t.LeafFrames();
    t.inner.Scale(NaN, NaN, NaN, true, true);
    t.inner.Scale(0.0f, 0.0f, 0.0f, true, true);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(t.LeafFrames()[i], innerBefore[i]);

    // A factor every frame accepts still works afterwards.
    t.outer.Scale(2.0f, 2.0f, 2.0f, true, true);
    Frame f;
    t.a.GetFrame(f);
    EXPECT_NEAR(f.Scale().X(), 2.0f, 1e-6f);
    EXPECT_FALSE(t.listener.reports.empty());
}

TEST(GroupScale, HalvingAndDoublingReturnsEveryLeafToItsSizeAndPlace)
{
    NestedGroups t;
    const std::vector<Frame> before = t.LeafFrames();
    const Vec3 probe(2.1f, 1.0f, 0.1f);
    const float valueBefore = ExactValue(t.root, probe);
    const float cachedError = std::fabs(t.root.Value(probe) - valueBefore);
    for (int round = 0; round < 5; ++round) {
        t.outer.Scale(0.5f, 0.5f, 0.5f, true, true);
        t.outer.Scale(2.0f, 2.0f, 2.0f, true, true);
    }
    ExpectFramesNear(t.LeafFrames(), before, 1e-4f, "outer");
    EXPECT_NEAR(ExactValue(t.root, probe), valueBefore, 1e-4f);

    // A nested group alone, and the two interleaved.
    for (int round = 0; round < 5; ++round) {
        t.inner.Scale(0.5f, 0.5f, 0.5f, true, true);
        t.outer.Scale(0.5f, 0.5f, 0.5f, true, true);
        t.outer.Scale(2.0f, 2.0f, 2.0f, true, true);
        t.inner.Scale(2.0f, 2.0f, 2.0f, true, true);
    }
    ExpectFramesNear(t.LeafFrames(), before, 1e-4f, "nested");
    // The cached tree agrees with the leaves where they now are, as well as
    // it did at the start.
    EXPECT_NEAR(t.root.Value(probe), valueBefore, cachedError + 0.01f);
}

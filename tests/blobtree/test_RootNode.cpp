// The root: direct evaluation, the cutting plane, listeners.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "CoreTestSupport.h"
#include "blobtree/RootNode.h"
#include "implicit/operators/MinMaxUnion.h"

using namespace coretest;
using vynbt::BlobTreeNode;
using vynbt::RootNode;

namespace {

/// Cap of the cutting plane at signed distance d in front of it, as single-precision arithmetic gives it.
float PlaneCap(float d)
{
    const float s = d + 0.45f;
    const float t = 1.0f - s * s;
    return t <= 0.0f ? 0.0f : t * t * t;
}

class OrderListener : public vynbt::RootNodeListener {
public:
    OrderListener(std::vector<const OrderListener*>* log) : m_log(log) {}
    void OnChildModified(BlobTreeNode*, const Box&) override
    {
        m_log->push_back(this);
        if (action) action();
    }
    std::function<void()> action;

private:
    std::vector<const OrderListener*>* m_log;
};

}  // namespace

TEST(RootNode, EvaluatesTheUnionDirectly)
{
    vynimplicit::MinMaxUnion op;
    RootNode root(&op);
    EXPECT_EQ(root.GetType(), BlobTreeNode::NodeType::Root);
    EXPECT_FALSE(root.IsCachingEnabled());
    EXPECT_EQ(root.GetUnion(), &op);
    BallNode a(V3(0, 0, 0)), b(V3(1, 0, 0));
    root.AddChild(&a);
    root.AddChild(&b);
    for (float x = -1.2f; x < 2.2f; x += 0.137f) {
        EXPECT_EQ(root.Value(x, 0.1f, 0), op.Value(x, 0.1f, 0));  // exact: no cache in between
    }
    float gx, gy, gz, v;
    root.Gradient(0.3f, 0.1f, 0, gx, gy, gz, &v);
    EXPECT_EQ(v, op.Value(0.3f, 0.1f, 0));
    root.ClearChildren();
}

TEST(RootNode, CuttingPlaneCapsValuesInFrontOfThePlane)
{
    vynimplicit::MinMaxUnion op;
    RootNode root(&op);
    BallNode ball(V3(0, 0, 0), 0.2f);  // radius 5: values well above the cap near the plane
    root.AddChild(&ball);
    RecordingListener listener;
    root.AddListener(&listener);

    Frame plane;
    EXPECT_FALSE(root.GetCuttingPlane(plane));
    EXPECT_EQ(plane.Origin(), V3::ZERO);

    const V3 n(0, 0.6f, 0.8f);
    const Frame cut = Frame::FromOriginAndNormal(V3(0.5f, 0, 0), n);
    root.SetCuttingPlane(cut);
    EXPECT_EQ(root.Value(0.5f, 0.3f, 0.4f), ball.Value(0.5f, 0.3f, 0.4f));  // stored, not enabled
    root.EnableCuttingPlane(true);
    EXPECT_TRUE(root.GetCuttingPlane(plane));
    EXPECT_EQ(plane, cut);
    EXPECT_TRUE(listener.reports.empty()) << "setting the plane tells no one";

    // On the plane and behind it the value is kept.
    const V3 onPlane(0.5f, 0.8f, -0.6f);
    EXPECT_EQ(root.Value(onPlane), ball.Value(onPlane));
    const V3 behind = V3(0.5f, 0, 0) - n * 0.7f;
    EXPECT_EQ(root.Value(behind), ball.Value(behind));
    // In front: capped, and 0 from 0.55 on.
    for (float d : {0.05f, 0.2f, 0.4f, 0.54f}) {
        const V3 p = V3(0.5f, 0, 0) + n * d;
        const float dd = n.Dot(p - cut.Origin());
        EXPECT_FLOAT_EQ(root.Value(p), std::min(ball.Value(p), PlaneCap(dd))) << d;
        EXPECT_LT(root.Value(p), ball.Value(p));
    }
    EXPECT_EQ(root.Value(V3(0.5f, 0, 0) + n * 0.56f), 0.0f);
    EXPECT_EQ(root.Value(V3(0.5f, 0, 0) + n * 3.0f), 0.0f);
    EXPECT_NEAR(PlaneCap(0.0f), 0.507f, 0.001f);

    // Gradient: the negated normal in front, whether or not the cap bites.
    float gx, gy, gz, v = -1;
    const V3 front = V3(0.5f, 0, 0) + n * 0.2f;
    root.Gradient(front.X(), front.Y(), front.Z(), gx, gy, gz, &v);
    EXPECT_FLOAT_EQ(gx, -n.X());
    EXPECT_FLOAT_EQ(gy, -n.Y());
    EXPECT_FLOAT_EQ(gz, -n.Z());
    EXPECT_FLOAT_EQ(v, root.Value(front));
    root.Gradient(front.X(), front.Y(), front.Z(), gx, gy, gz, nullptr);
    const V3 far =
        V3(0.5f, 0, 0) + n * 20.0f;  // outside the ball: the cap does nothing, the gradient still changes
    root.Gradient(far.X(), far.Y(), far.Z(), gx, gy, gz, &v);
    EXPECT_EQ(v, 0.0f);
    EXPECT_FLOAT_EQ(gy, -n.Y());
    float bx, by, bz;
    root.Gradient(behind.X(), behind.Y(), behind.Z(), gx, gy, gz, &v);
    ball.Gradient(behind.X(), behind.Y(), behind.Z(), bx, by, bz, nullptr);
    EXPECT_EQ(gx, bx);
    EXPECT_EQ(gz, bz);

    root.EnableCuttingPlane(false);
    EXPECT_EQ(root.Value(front), ball.Value(front));
    root.RemoveListener(&listener);
    root.ClearChildren();
}

TEST(RootNode, ListenersAreCalledInPointerOrderOnce)
{
    vynimplicit::MinMaxUnion op;
    RootNode root(&op);
    std::vector<const OrderListener*> log;
    std::vector<OrderListener> listeners(4, OrderListener(&log));  // contiguous: addresses ascend
    root.AddListener(&listeners[2]);
    root.AddListener(&listeners[0]);
    root.AddListener(&listeners[3]);
    root.AddListener(&listeners[1]);
    root.AddListener(&listeners[0]);  // held once
    root.AddListener(nullptr);
    EXPECT_EQ(root.GetNumListeners(), 4u);

    BallNode leaf(V3(0, 0, 0));
    root.AddChild(&leaf);
    ASSERT_EQ(log.size(), 4u);
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(log[i], &listeners[i]);

    // A listener that removes a later one, and one that removes itself.
    log.clear();
    listeners[0].action = [&] { root.RemoveListener(&listeners[2]); };
    listeners[1].action = [&] { root.RemoveListener(&listeners[1]); };
    leaf.SetSize(0.5f);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], &listeners[0]);
    EXPECT_EQ(log[1], &listeners[1]);
    EXPECT_EQ(log[2], &listeners[3]);
    EXPECT_EQ(root.GetNumListeners(), 2u);

    // A root copy keeps the plane but no listeners.
    root.EnableCuttingPlane(true);
    RootNode copy(root);
    EXPECT_EQ(copy.GetNumListeners(), 0u);
    Frame plane;
    EXPECT_TRUE(copy.GetCuttingPlane(plane));
    root.RemoveListener(&listeners[0]);
    root.RemoveListener(&listeners[3]);
    root.ClearChildren();
}

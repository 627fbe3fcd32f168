// Operator scene objects beyond their parameters: the warp-point handles, the
// displacement map's segments, the extent of the drawn mirror plane, and the
// fixed frame of the twist, taper and bend objects.

#include <cmath>
#include <limits>
#include <vector>

#include "blobtree/nodes/BarrWarpNode.h"
#include "blobtree/nodes/MirrorNode.h"
#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/operators/BarrWarpSceneObject.h"
#include "blobtree_ui/operators/BarrWarpSceneObject_Twist.h"
#include "blobtree_ui/operators/MirrorSceneObject.h"
#include "blobtree_ui/operators/VariationalDisplacementMapSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObject.h"
#include "blobtree_ui/operators/VariationalWarp_ControlPointTarget.h"
#include "implicit/warps/BarrWarp.h"
#include "test_OperatorSupport.h"
#include "wml/Ray3.h"
#include "wml/Serializer.h"

using namespace vynui_bt;
using optest::ModelFixture;
using optest::V3;
using Box = Wml::AxisAlignedBox3<float>;

namespace {

bool Near(const V3& a, const V3& b, float eps = 1e-5f)
{
    return (a - b).Length() <= eps;
}

vynimplicit::WarpPointSet TwoPoints()
{
    vynimplicit::WarpPointSet points;
    points.AddPoint(V3(0.0f, 0.0f, 0.0f), V3(0.1f, 0.0f, 0.0f));
    points.AddPoint(V3(0.3f, 0.0f, 0.0f), V3(0.3f, 0.2f, 0.0f));
    return points;
}

VariationalWarp_ControlPointTarget* Handle(vynui::SceneObject* owner, size_t i)
{
    if (i >= owner->GetHandles().size()) return nullptr;
    return dynamic_cast<VariationalWarp_ControlPointTarget*>(owner->GetHandles()[i]);
}

}  // namespace

using OperatorHandles = ModelFixture;

// The same checks for both kinds of object that carry warp handles.
template <class T>
void CheckWarpHandles(T* object, optest::RecordingRootListener& root)
{
    vynbt::VariationalWarpNode* node = object->GetVariationalWarpNode();
    EXPECT_TRUE(object->GetHandles().empty());  // a new warp has no points

    node->SetWarpPointSet(TwoPoints());
    object->UpdateWarpHandles();
    ASSERT_EQ(object->GetHandles().size(), 2u);
    for (unsigned int i = 0; i < 2; ++i) {
        VariationalWarp_ControlPointTarget* h = Handle(object, i);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->GetIndex(), i);
        EXPECT_EQ(h->GetParent(), object);
        EXPECT_TRUE(Near(h->GetPosition(), TwoPoints().GetTo(i)));
        EXPECT_TRUE(Near(h->GetFrame().Origin(), TwoPoints().GetTo(i)));
    }

    // An absolute drag moves only the target of that point.
    root.Clear();
    Handle(object, 1)->Translate(V3(0.25f, 0.3f, 0.1f), false);
    EXPECT_TRUE(Near(node->GetWarpPointSet().GetTo(1), V3(0.25f, 0.3f, 0.1f)));
    EXPECT_TRUE(Near(node->GetWarpPointSet().GetFrom(1), V3(0.3f, 0.0f, 0.0f)));
    EXPECT_TRUE(Near(node->GetWarpPointSet().GetTo(0), V3(0.1f, 0.0f, 0.0f)));
    ASSERT_FALSE(root.nodes.empty());
    EXPECT_EQ(root.nodes[0], node);
    EXPECT_TRUE(root.locked[0]);

    // A relative drag adds to the current target.
    Handle(object, 0)->Translate(V3(0.0f, 0.05f, 0.0f), true);
    EXPECT_TRUE(Near(node->GetWarpPointSet().GetTo(0), V3(0.1f, 0.05f, 0.0f)));
    EXPECT_TRUE(Near(node->GetWarpPointSet().GetFrom(0), V3::ZERO));

    // A drag to nowhere changes nothing.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Handle(object, 0)->SetPosition(V3(nan, 0.0f, 0.0f), false);
    EXPECT_TRUE(Near(node->GetWarpPointSet().GetTo(0), V3(0.1f, 0.05f, 0.0f)));

    // Picking the handle from straight above its target.
    float t = -1.0f;
    const V3 target = node->GetWarpPointSet().GetTo(0);
    Wml::Ray3<float> ray(target + V3(0.0f, 0.0f, 5.0f), V3(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(Handle(object, 0)->Pick(ray, t), Handle(object, 0));
    EXPECT_NEAR(t, 5.0f, 1e-4f);

    // The set shrinks behind the handles' back: the stale handle is inert.
    vynimplicit::WarpPointSet one;
    one.AddPoint(V3::ZERO, V3(0.0f, 0.0f, 0.2f));
    node->SetWarpPointSet(one);
    VariationalWarp_ControlPointTarget* stale = Handle(object, 1);
    EXPECT_EQ(stale->GetPosition(), V3::ZERO);
    Wml::Ray3<float> down(V3(0.0f, 0.0f, 5.0f), V3(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(stale->Pick(down, t), nullptr);
    stale->Translate(V3(1.0f, 1.0f, 1.0f), false);
    EXPECT_EQ(node->GetWarpPointSet().GetNumPoints(), 1u);
    EXPECT_TRUE(Near(node->GetWarpPointSet().GetTo(0), V3(0.0f, 0.0f, 0.2f)));

    object->UpdateWarpHandles();
    EXPECT_EQ(object->GetHandles().size(), 1u);
    node->SetWarpPointSet(TwoPoints());
    object->UpdateWarpHandles();
    ASSERT_EQ(object->GetHandles().size(), 2u);
    EXPECT_TRUE(Near(Handle(object, 1)->GetPosition(), TwoPoints().GetTo(1)));
}

TEST_F(OperatorHandles, WarpHandlesSitOnTargetsAndMoveThem)
{
    auto* warp = Make<VariationalWarpSceneObject>(17);
    ASSERT_NE(warp, nullptr);
    AddPoint(warp, V3(0.1f, 0.0f, 0.0f));
    {
        SCOPED_TRACE("VariationalWarp");
        CheckWarpHandles(warp, rootRecorder);
    }
    auto* map = Make<VariationalDisplacementMapSceneObject>(18);
    ASSERT_NE(map, nullptr);
    AddPoint(map, V3(0.1f, 0.0f, 0.0f));
    {
        SCOPED_TRACE("DisplacementMap");
        CheckWarpHandles(map, rootRecorder);
    }
}

TEST_F(OperatorHandles, DisplacementMapSegmentsRunFromSourceToTarget)
{
    auto* map = Make<VariationalDisplacementMapSceneObject>(18);
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(map->GetWarpSegments().empty());
    map->GetVariationalWarpNode()->SetWarpPointSet(TwoPoints());
    const auto segments = map->GetWarpSegments();
    ASSERT_EQ(segments.size(), 2u);
    for (unsigned int i = 0; i < 2; ++i) {
        EXPECT_TRUE(Near(segments[i].first, TwoPoints().GetFrom(i)));
        EXPECT_TRUE(Near(segments[i].second, TwoPoints().GetTo(i)));
    }
}

TEST(OperatorMirrorPlane, HalfExtentsCoverTheBoundsAlongThePlaneAxes)
{
    const Box box(-2.0f, 3.0f, -1.0f, 0.5f, 0.0f, 4.0f);
    float hx = 0, hy = 0;

    MirrorSceneObject::ComputePlaneHalfExtents(Wml::Frame3<float>(V3::ZERO), box, hx, hy);
    EXPECT_FLOAT_EQ(hx, 3.0f);
    EXPECT_FLOAT_EQ(hy, 1.0f);

    // Measured from the plane's origin, not from the box's centre.
    MirrorSceneObject::ComputePlaneHalfExtents(Wml::Frame3<float>(V3(2.0f, 0.0f, 0.0f)), box, hx, hy);
    EXPECT_FLOAT_EQ(hx, 4.0f);
    EXPECT_FLOAT_EQ(hy, 1.0f);

    // Plane spanned by world y and z (normal along x).
    const Wml::Frame3<float> side(V3::ZERO, V3(0, 1, 0), V3(0, 0, 1), V3(1, 0, 0));
    MirrorSceneObject::ComputePlaneHalfExtents(side, box, hx, hy);
    EXPECT_FLOAT_EQ(hx, 1.0f);
    EXPECT_FLOAT_EQ(hy, 4.0f);

    // A diagonal axis sees the far corner's projection.
    const float r = std::sqrt(0.5f);
    const Wml::Frame3<float> diagonal(V3::ZERO, V3(r, r, 0), V3(-r, r, 0), V3(0, 0, 1));
    MirrorSceneObject::ComputePlaneHalfExtents(diagonal, box, hx, hy);
    EXPECT_NEAR(hx, 3.5f * r, 1e-5f);  // corner (3, 0.5): (x + y) r
    EXPECT_NEAR(hy, 4.0f * r, 1e-5f);  // corner (3, -1): |y - x| r
}

TEST(OperatorMirrorPlane, SmallEmptyOrBrokenBoundsGiveAUnitQuad)
{
    float hx = 0, hy = 0;
    const Wml::Frame3<float> plane(V3::ZERO);
    MirrorSceneObject::ComputePlaneHalfExtents(plane, Box(-0.05f, 0.05f, -0.01f, 0.01f, 0, 1), hx, hy);
    EXPECT_EQ(hx, 1.0f);
    EXPECT_EQ(hy, 1.0f);
    // One axis large, the other small: only the small one is replaced.
    MirrorSceneObject::ComputePlaneHalfExtents(plane, Box(-5.0f, 5.0f, -0.01f, 0.01f, 0, 1), hx, hy);
    EXPECT_EQ(hx, 5.0f);
    EXPECT_EQ(hy, 1.0f);
    MirrorSceneObject::ComputePlaneHalfExtents(plane, Box(), hx, hy);
    EXPECT_EQ(hx, 1.0f);
    EXPECT_EQ(hy, 1.0f);
    const float inf = std::numeric_limits<float>::infinity();
    MirrorSceneObject::ComputePlaneHalfExtents(plane, Box(-inf, inf, -1, 1, -1, 1), hx, hy);
    EXPECT_EQ(hx, 1.0f);
    EXPECT_EQ(hy, 1.0f);
}

TEST_F(OperatorHandles, MirrorQuadLiesInThePlaneAndFollowsIt)
{
    auto* mirror = Make<MirrorSceneObject>(51);
    ASSERT_NE(mirror, nullptr);
    AddPoint(mirror, V3(1.5f, 0.0f, 0.5f));
    vynbt::MirrorNode* node = mirror->GetMirrorNode();

    const Wml::Frame3<float> plane(V3(0.5f, 0.0f, 0.0f), V3(0, 1, 0), V3(0, 0, 1), V3(1, 0, 0));
    node->SetFrame(plane);
    Box bounds;
    node->FieldBounds(bounds);
    ASSERT_FALSE(bounds.IsEmpty());
    float hx = 0, hy = 0;
    MirrorSceneObject::ComputePlaneHalfExtents(plane, bounds, hx, hy);

    V3 c[4];
    mirror->GetPlaneQuad(c);
    for (const V3& corner : c) EXPECT_NEAR((corner - plane.Origin()).Dot(plane.Z()), 0.0f, 1e-5f);
    EXPECT_TRUE(Near(c[2] - c[0], plane.X() * (2 * hx) + plane.Y() * (2 * hy), 1e-4f));
    EXPECT_TRUE(Near((c[0] + c[2]) * 0.5f, plane.Origin(), 1e-4f));
    // The object's frame is the plane itself.
    EXPECT_TRUE(Near(mirror->GetFrame().Origin(), plane.Origin()));
}

TEST_F(OperatorHandles, BarrWarpFrameStaysAtTheOrigin)
{
    auto* twist = Make<BarrWarpSceneObject_Twist>(47);
    ASSERT_NE(twist, nullptr);
    AddPoint(twist, V3(3.0f, 1.0f, 0.0f));
    Wml::Frame3<float> nodeFrame;
    twist->GetNode()->GetFrame(nodeFrame);
    ASSERT_FALSE(Near(nodeFrame.Origin(), V3::ZERO));  // the group itself sits at its child
    EXPECT_EQ(twist->GetFrame().Origin(), V3::ZERO);
    EXPECT_EQ(twist->GetFrame().GetRotation(), Wml::Matrix3<float>::IDENTITY);

    // A bare BarrWarp object takes its code from the warp's mode.
    auto* warp = new vynimplicit::BarrWarp(vynimplicit::BarrWarp::BEND);
    BarrWarpSceneObject plain(new vynbt::BarrWarpNode(warp));
    EXPECT_STREQ(plain.GetTypeName(), "BarrWarp");
    EXPECT_EQ(plain.GetTypeCode(), 49);
    EXPECT_EQ(plain.GetName().rfind("BarrWarp", 0), 0u);
    EXPECT_EQ(plain.GetFrame().Origin(), V3::ZERO);
}

TEST_F(OperatorHandles, WarpPointsSurviveARecordRoundTrip)
{
    auto* warp = Make<VariationalWarpSceneObject>(17);
    auto* map = Make<VariationalDisplacementMapSceneObject>(18);
    ASSERT_TRUE(warp && map);
    vynbt::VariationalWarpNode* node = warp->GetVariationalWarpNode();
    ASSERT_TRUE(node->SetWarpBounds(V3(0.5f, 0.0f, 0.0f), 2.0f));
    ASSERT_TRUE(node->SetSmoothing(0.25f));
    node->SetWarpPointSet(TwoPoints());

    Wml::Serializer serializer;
    Wml::SerializerRecord* record = serializer.CreateRecord(warp->GetTypeName());
    ASSERT_TRUE(warp->Store(&serializer, record));

    // Restored into another object (the map behaves the same).
    ASSERT_TRUE(map->Restore(&serializer, record));
    vynbt::VariationalWarpNode* copy = map->GetVariationalWarpNode();
    EXPECT_TRUE(Near(copy->GetWarpCenter(), V3(0.5f, 0.0f, 0.0f)));
    EXPECT_FLOAT_EQ(copy->GetWarpRadius(), 2.0f);
    EXPECT_FLOAT_EQ(copy->GetSmoothing(), 0.25f);
    ASSERT_EQ(copy->GetWarpPointSet().GetNumPoints(), 2u);
    for (unsigned int i = 0; i < 2; ++i) {
        EXPECT_TRUE(Near(copy->GetWarpPointSet().GetFrom(i), TwoPoints().GetFrom(i)));
        EXPECT_TRUE(Near(copy->GetWarpPointSet().GetTo(i), TwoPoints().GetTo(i)));
    }
    EXPECT_EQ(map->GetHandles().size(), 2u);

    // A record without the warp keys leaves the points alone.
    Wml::SerializerRecord* bare = serializer.CreateRecord("VariationalWarp");
    EXPECT_TRUE(map->Restore(&serializer, bare));
    EXPECT_EQ(copy->GetWarpPointSet().GetNumPoints(), 2u);

    // Lists that disagree are refused as a whole.
    Wml::SerializerRecord* damaged = serializer.CreateRecord("VariationalWarp");
    damaged->SetValue("WarpPointsFrom", std::vector<V3>{V3::ZERO, V3(0.1f, 0, 0), V3(0.2f, 0, 0)});
    damaged->SetValue("WarpPointsTo", std::vector<V3>{V3::ZERO});
    EXPECT_FALSE(map->Restore(&serializer, damaged));
    EXPECT_EQ(copy->GetWarpPointSet().GetNumPoints(), 2u);

    // More points than a warp can hold: refused before anything is built.
    Wml::SerializerRecord* huge = serializer.CreateRecord("VariationalWarp");
    std::vector<V3> many(vynimplicit::WarpPointSet::MAX_POINTS + 1, V3::ZERO);
    huge->SetValue("WarpPointsFrom", many);
    huge->SetValue("WarpPointsTo", many);
    EXPECT_FALSE(map->Restore(&serializer, huge));
    EXPECT_EQ(copy->GetWarpPointSet().GetNumPoints(), 2u);
    EXPECT_EQ(map->GetHandles().size(), 2u);
}

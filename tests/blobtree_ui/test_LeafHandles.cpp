// Leaf scene objects: control-point and slice handles (positions in world
// coordinates, moves and what the tree hears of them), point scaling, and
// the data the drawings show.

#include <cmath>
#include <limits>

#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree/nodes/PointNode.h"
#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree_ui/leaves/BezierCurveSceneObject.h"
#include "blobtree_ui/leaves/BezierCurve_ControlPointTarget.h"
#include "blobtree_ui/leaves/CurveSetSceneObject.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "blobtree_ui/leaves/CurveSweep_ControlPointTarget.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweep_SlicePositionTarget.h"
#include "blobtree_ui/leaves/PointSceneObject.h"
#include "blobtree_ui/leaves/PolyLineSceneObject.h"
#include "test_LeafSupport.h"
#include "tests/support/Near.h"
#include "wml/Matrix3.h"
#include "wml/WmlMath.h"

using namespace vynui_bt;
using namespace leaftest;

namespace {

// A quarter turn about the z axis.
Wml::Matrix3<float> QuarterTurnZ()
{
    Wml::Matrix3<float> m;
    m.FromAxisAngle(V3(0, 0, 1), Wml::Math<float>::HALF_PI);
    return m;
}

}  // namespace

TEST(LeafHandles, BezierControlPointsAreShownAndMovedInWorldCoordinates)
{
    LeafModel m;
    auto* curve = m.Make<BezierCurveSceneObject>(6);
    ASSERT_NE(curve, nullptr);
    curve->Translate(V3(1, 2, 3), false);
    curve->Rotate(QuarterTurnZ(), true);
    vynimplicit::BezierCurve* c = curve->GetCurveNode()->GetCurve();
    const Wml::Frame3<float> frame = c->GetFrame();
    ASSERT_EQ(curve->GetHandles().size(), 4u);

    for (unsigned i = 0; i < 4; ++i) {
        auto* handle = dynamic_cast<BezierCurve_ControlPointTarget*>(curve->GetHandles()[i]);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(handle->GetIndex(), i);
        EXPECT_TRUE(kftest::Near(handle->GetPosition(), frame.ToWorldPoint(c->GetControlPoint(i)), 1e-4f));
        EXPECT_TRUE(kftest::Near(handle->GetFrame().Origin(), handle->GetPosition(), 1e-4f));
    }

    // An absolute move puts the control point at the world point.
    auto* handle = dynamic_cast<BezierCurve_ControlPointTarget*>(curve->GetHandles()[1]);
    Box before;
    c->FieldBounds(before);
    m.ResetCounts();
    const V3 target(0.5f, 2.5f, 4.0f);
    handle->SetPosition(target, false);
    EXPECT_TRUE(kftest::Near(c->GetWorldControlPoint(1), target, 1e-4f));
    EXPECT_TRUE(kftest::Near(c->GetControlPoint(1), frame.ToLocalPoint(target), 1e-4f));
    ASSERT_EQ(m.rootCalls.calls.size(), 1u);
    EXPECT_EQ(m.rootCalls.calls[0].node, curve->GetNode());
    for (int a = 0; a < 3; ++a) {
        EXPECT_LE(m.rootCalls.calls[0].region.Min(a), before.Min(a) + 1e-5f);
        EXPECT_GE(m.rootCalls.calls[0].region.Max(a), before.Max(a) - 1e-5f);
    }

    // A relative move (as the translation tool makes it) moves by the drag.
    handle->Translate(V3(0, 0, 1), true);
    EXPECT_TRUE(kftest::Near(handle->GetPosition(), target + V3(0, 0, 1), 1e-4f));
    // Non-finite drags are ignored.
    handle->SetPosition(V3(std::numeric_limits<float>::quiet_NaN(), 0, 0), true);
    EXPECT_TRUE(kftest::Near(handle->GetPosition(), target + V3(0, 0, 1), 1e-4f));
    // The other control points stay where they were.
    EXPECT_TRUE(kftest::Near(c->GetWorldControlPoint(0), frame.ToWorldPoint(V3(0, 0, 0)), 1e-4f));
}

TEST(LeafHandles, CurveSweepControlPointsFollowTheFrame)
{
    LeafModel m;
    auto* sweep = m.Make<CurveSweepSceneObject>(42);
    ASSERT_NE(sweep, nullptr);
    sweep->Translate(V3(-1, 0, 2), false);
    sweep->Rotate(QuarterTurnZ(), true);
    vynimplicit::CurveSweep* s = sweep->GetSweepNode()->GetSweep();
    const Wml::Frame3<float> frame = s->GetFrame();
    ASSERT_EQ(sweep->GetHandles().size(), 3u);
    auto* handle = dynamic_cast<CurveSweep_ControlPointTarget*>(sweep->GetHandles()[2]);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(kftest::Near(handle->GetPosition(), frame.ToWorldPoint(s->GetControlPoint(2)), 1e-4f));
    // The last curve sample is the last control point.
    EXPECT_TRUE(kftest::Near(s->GetPosition(1.0f), handle->GetPosition(), 1e-4f));

    m.ResetCounts();
    handle->SetPosition(V3(0.5f, 0.5f, 0.5f), true);
    EXPECT_TRUE(
        kftest::Near(handle->GetPosition(), frame.ToWorldPoint(V3(0, 0, 1)) + V3(0.5f, 0.5f, 0.5f), 1e-4f));
    EXPECT_TRUE(kftest::Near(s->GetPosition(1.0f), handle->GetPosition(), 1e-4f));
    EXPECT_EQ(m.rootCalls.calls.size(), 1u);
    handle->SetPosition(V3(3, 3, 3), false);
    EXPECT_TRUE(kftest::Near(handle->GetPosition(), V3(3, 3, 3), 1e-4f));
    EXPECT_EQ(m.rootCalls.calls.size(), 2u);
}

TEST(LeafHandles, SliceHandlesMoveSlicesAlongTheSweepAndInWorldXY)
{
    LeafModel m;
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_NE(sweep, nullptr);
    ASSERT_TRUE(sweep->AddSlice(MakeDisc(), 0.0f, 0.0f, 0.0f, true));
    ASSERT_TRUE(sweep->AddSlice(MakeDisc(0.5f), 1.0f, 0.0f, 0.0f, true));
    ASSERT_EQ(sweep->GetHandles().size(), 2u);
    vynimplicit::InterpolatingLinearSweep* s = sweep->GetSweepNode()->GetSweep();
    Wml::Polygon2<float> outline;
    outline.AddVertex(Wml::Vector2<float>(0.25f, -0.5f));
    outline.AddVertex(Wml::Vector2<float>(0.75f, -0.5f));
    outline.AddVertex(Wml::Vector2<float>(0.5f, 0.5f));
    s->SetSlicePolygons(0, {outline});
    sweep->Translate(V3(1, 0, 0), false);

    auto* h0 = dynamic_cast<InterpolatingLinearSweep_SlicePositionTarget*>(sweep->GetHandles()[0]);
    auto* h1 = dynamic_cast<InterpolatingLinearSweep_SlicePositionTarget*>(sweep->GetHandles()[1]);
    ASSERT_NE(h0, nullptr);
    ASSERT_NE(h1, nullptr);
    // First vertex of the first outline at the slice's height.
    EXPECT_TRUE(kftest::Near(h0->GetPosition(), V3(1.25f, -0.5f, 0.0f), 1e-4f));
    // No outline: the minimum x and y of the field bounds.
    Box bounds;
    sweep->GetNode()->FieldBounds(bounds);
    EXPECT_TRUE(kftest::Near(h1->GetPosition(), V3(1.0f + bounds.Min(0), bounds.Min(1), 1.0f), 1e-4f));

    m.ResetCounts();
    h0->SetPosition(V3(0.5f, 0.25f, 2.0f), true);
    EXPECT_FLOAT_EQ(s->GetSlicePosition(0), 2.0f);
    float x = 0, y = 0;
    s->GetSliceOffset(0, x, y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.25f);
    EXPECT_EQ(m.rootCalls.calls.size(), 1u);
    EXPECT_TRUE(kftest::Near(h0->GetPosition(), V3(1.75f, -0.25f, 2.0f), 1e-4f));

    // Absolute: the drag is the requested point minus the handle's position.
    h0->SetPosition(h0->GetPosition() + V3(0, 0, -1.5f), false);
    EXPECT_NEAR(s->GetSlicePosition(0), 0.5f, 1e-5f);

    // Rotated sweep: the height follows the frame's z axis, the offset world x, y.
    Wml::Matrix3<float> quarterX;
    quarterX.FromAxisAngle(V3(1, 0, 0), Wml::Math<float>::HALF_PI);
    sweep->Rotate(quarterX, true);
    const V3 z = sweep->GetFrame().Z();
    const float p1 = s->GetSlicePosition(1);
    h1->SetPosition(V3(0.0f, 1.0f, 0.0f), true);
    EXPECT_NEAR(s->GetSlicePosition(1), p1 + z.Y(), 1e-5f);
    s->GetSliceOffset(1, x, y);
    EXPECT_FLOAT_EQ(x, 0.0f);
    EXPECT_FLOAT_EQ(y, 1.0f);
}

TEST(LeafHandles, SliceOutlinesSitAtTheirHeightsInTheFrame)
{
    LeafModel m;
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_NE(sweep, nullptr);
    ASSERT_TRUE(sweep->AddSlice(MakeDisc(), 0.7f, 0.0f, 0.0f, true));
    vynimplicit::InterpolatingLinearSweep* s = sweep->GetSweepNode()->GetSweep();
    Wml::Polygon2<float> outline;
    outline.AddVertex(Wml::Vector2<float>(1, 0));
    outline.AddVertex(Wml::Vector2<float>(0, 1));
    outline.AddVertex(Wml::Vector2<float>(-1, 0));
    s->SetSlicePolygons(0, {outline});
    sweep->Translate(V3(0, 0, 5), false);
    sweep->Rotate(QuarterTurnZ(), true);
    // A single slice is drawn at height 0 whatever its position.
    auto outlines = sweep->GetSliceOutlines();
    ASSERT_EQ(outlines.size(), 1u);
    ASSERT_EQ(outlines[0].size(), 3u);
    const Wml::Frame3<float> frame = sweep->GetFrame();
    EXPECT_TRUE(kftest::Near(outlines[0][0], frame.Origin() + frame.X(), 1e-4f));
    EXPECT_TRUE(kftest::Near(outlines[0][1], frame.Origin() + frame.Y(), 1e-4f));

    ASSERT_TRUE(sweep->AddSlice(MakeDisc(), 2.0f, 0.0f, 0.0f, true));
    s->SetSlicePolygons(1, {outline});
    outlines = sweep->GetSliceOutlines();
    ASSERT_EQ(outlines.size(), 2u);
    EXPECT_TRUE(kftest::Near(outlines[0][0], frame.Origin() + frame.X() + frame.Z() * 0.7f, 1e-4f));
    EXPECT_TRUE(kftest::Near(outlines[1][2], frame.Origin() - frame.X() + frame.Z() * 2.0f, 1e-4f));
    EXPECT_EQ(sweep->GetHandles().size(), 2u);
}

TEST(LeafHandles, SweepRefusesABadSliceAndFreesIt)
{
    LeafModel m;
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_NE(sweep, nullptr);
    EXPECT_FALSE(sweep->AddSlice(MakeDisc(), std::numeric_limits<float>::quiet_NaN(), 0, 0, true));
    EXPECT_FALSE(sweep->AddSlice(nullptr, 0.0f, 0, 0, true));
    EXPECT_EQ(sweep->GetSweepNode()->GetSweep()->GetNumSlices(), 0u);
    EXPECT_TRUE(sweep->GetHandles().empty());
}

TEST(LeafHandles, CurveDrawingData)
{
    LeafModel m;
    auto* curve = m.Make<BezierCurveSceneObject>(6);
    ASSERT_NE(curve, nullptr);
    curve->Translate(V3(0, 0, 2), false);
    const auto samples = curve->GetCurveSamples();
    const auto control = curve->GetWorldControlPoints();
    ASSERT_EQ(samples.size(), 50u);
    ASSERT_EQ(control.size(), 4u);
    EXPECT_TRUE(kftest::Near(samples.front(), control.front(), 1e-4f));
    EXPECT_TRUE(kftest::Near(samples.back(), control.back(), 1e-4f));
    EXPECT_TRUE(kftest::Near(control.front(), V3(0, 0, 2), 1e-4f));

    auto* sweep = m.Make<CurveSweepSceneObject>(41);
    ASSERT_NE(sweep, nullptr);
    const auto sweepSamples = sweep->GetCurveSamples();
    ASSERT_EQ(sweepSamples.size(), 50u);
    EXPECT_TRUE(kftest::Near(sweepSamples.back(), sweep->GetWorldControlPoints().back(), 1e-4f));

    Wml::Frame3<float> f(V3(1, 2, 3));
    V3 from, to;
    GetAxisSegment(f, from, to);
    EXPECT_TRUE(kftest::Near(from, V3(1, 2, 3), 1e-4f));
    EXPECT_TRUE(kftest::Near(to, V3(1, 2, 4), 1e-4f));
}

TEST(LeafHandles, PolyLineDrawsItsVerticesWhereTheyAre)
{
    LeafModel m;
    auto* line = m.Make<PolyLineSceneObject>(8);
    ASSERT_NE(line, nullptr);
    line->GetPolyLineNode()->GetPolyLine()->AppendVertex(V3(1, 0, 0));
    line->GetPolyLineNode()->GetPolyLine()->AppendVertex(V3(0, 1, 0));
    line->Translate(V3(0, 0, 3), false);
    const auto points = line->GetWorldVertices();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_TRUE(kftest::Near(points[0], V3(1, 0, 3), 1e-4f));
    EXPECT_TRUE(kftest::Near(points[1], V3(0, 1, 3), 1e-4f));
}

TEST(LeafHandles, PointScaling)
{
    LeafModel m;
    auto* point = m.Make<PointSceneObject>(1);
    ASSERT_NE(point, nullptr);
    vynbt::PointNode* node = point->GetPointNode();
    const float size = node->GetSize();
    // Relative and uniform: the size grows by the factor + 1.
    point->Scale(1.0f, 7.0f, 7.0f, true, true);
    EXPECT_FLOAT_EQ(node->GetSize(), 2.0f * size);
    EXPECT_EQ(m.rootCalls.calls.size(), 1u);
    // A factor that would make the size zero or negative is ignored.
    point->Scale(-1.0f, 0.0f, 0.0f, true, true);
    point->Scale(-3.0f, 0.0f, 0.0f, true, true);
    EXPECT_FLOAT_EQ(node->GetSize(), 2.0f * size);
    // Anything else goes to the node's frame scale, leaving the size.
    point->Scale(2.0f, 2.0f, 2.0f, false, false);
    EXPECT_FLOAT_EQ(node->GetSize(), 2.0f * size);
    EXPECT_TRUE(kftest::Near(point->GetFrame().Scale(), V3(2, 2, 2), 1e-4f));
}

TEST(LeafHandles, CurveSetCannotBeMoved)
{
    LeafModel m;
    auto* set = m.Make<CurveSetSceneObject>(46);
    ASSERT_NE(set, nullptr);
    set->Translate(V3(4, 5, 6), false);
    EXPECT_TRUE(kftest::Near(set->GetFrame().Origin(), V3(0, 0, 0), 1e-4f));
}

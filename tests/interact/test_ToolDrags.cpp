// Handle drags end to end: pixels become pick rays in the tool manager, the
// dynamic tool's picked handle turns them into moves, and the scene object
// ends where the drag formula puts it.

#include <cmath>

#include "interact/AxisRotationConstraint.h"
#include "interact/AxisScaleConstraint.h"
#include "interact/DrawingScale.h"
#include "interact/PlaneTranslateConstraint.h"
#include "interact/UniformScaleConstraint.h"
#include "interact/VectorConstraint.h"
#include "tests/blobtree_ui/test_BaseFixtures.h"
#include "tests/interact/ToolTestSupport.h"

namespace kftest {
namespace {

using namespace vynui;

class ToolDrag : public ToolScene {};

TEST_F(ToolDrag, VectorHandleMovesTheObjectAlongItsAxisByTheClosestPointSteps)
{
    tool->AddHandle(new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT));
    const Vec3 press(0.3f * ViewScale(), 0, 0);
    ScreenPoint start = PixelOf(press);
    ScreenPoint end = DragThrough(press, {{20, 0}, {45, 3}, {35, -2}});
    // The axis point nearest the ray is where the ray meets z = 0, up to a
    // relative error of (pixel offset)^2 / 25.
    float expected = OnPlaneZ(end).X() - OnPlaneZ(start).X();
    EXPECT_GT(expected, 0.1f);
    EXPECT_TRUE(Near(object.GetFrame().Origin(), Vec3(expected, 0, 0), 1e-4f));
    // The handle followed its target.
    EXPECT_TRUE(Near(tool->GetHandles().front()->GetOrigin(), Vec3(expected, 0, 0), 1e-4f));
}

TEST_F(ToolDrag, VectorHandleMovesABlobTreeObject)
{
    kilnform_test::TestModel model;
    vynui_bt::BlobTreeNodeSceneObject* point = model.NewPoint(Vec3(0, 0, 0));
    model.factory->AttachSceneObject(model.Root(), point, -1);
    {
        ConstraintTarget pointTarget(point);
        tool->AddHandle(new VectorConstraint(&pointTarget, Vec3(0, 0, 0), Vec3(0, 1, 0), FRAME_MODE_WORLD));
        const Vec3 press(0, 0.3f * ViewScale(), 0);
        ScreenPoint start = PixelOf(press);
        ScreenPoint end = DragThrough(press, {{0, -30}});
        float expected = OnPlaneZ(end).Y() - OnPlaneZ(start).Y();
        EXPECT_LT(expected, -0.1f);
        EXPECT_TRUE(Near(point->GetFrame().Origin(), Vec3(0, expected, 0), 1e-4f));
        tool->ClearHandles(false);
    }
}

TEST_F(ToolDrag, PlaneHandleMovesTheObjectByThePlanePointDifference)
{
    tool->AddHandle(
        new PlaneTranslateConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_MANIPULATION));
    const float c = 0.14f * 0.5f * ViewScale();
    const Vec3 press(1.6f * c, 1.6f * c, 0);
    ScreenPoint start = PixelOf(press);
    ScreenPoint end = DragThrough(press, {{15, 10}, {30, -20}});
    Vec3 expected = OnPlaneZ(end) - OnPlaneZ(start);
    EXPECT_TRUE(Near(object.GetFrame().Origin(), expected, 1e-5f));
}

TEST_F(ToolDrag, RotationHandleTurnsTheObjectByTheAngleRoundTheRing)
{
    tool->AddHandle(
        new AxisRotationConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_OBJECT, 0.35f));
    const float r = 0.35f * ViewScale();
    ScreenPoint start = PixelOf(Vec3(r, 0, 0));
    // Steps of 10 degrees round the ring: no refinement, no jump.
    std::vector<ScreenPoint> steps;
    for (int degrees : {10, 20, 30}) {
        float a = degrees * float(M_PI) / 180.0f;
        ScreenPoint p = PixelOf(Vec3(r * std::cos(a), r * std::sin(a), 0));
        steps.push_back({p.x - start.x, p.y - start.y});
    }
    ScreenPoint end = DragThrough(Vec3(r, 0, 0), steps);
    Vec3 s = OnPlaneZ(start), e = OnPlaneZ(end);
    float expected = std::atan2(e.Y(), e.X()) - std::atan2(s.Y(), s.X());
    EXPECT_NEAR(expected, 30.0f * float(M_PI) / 180.0f, 0.02f);
    Vec3 x = object.GetFrame().X();
    EXPECT_NEAR(std::atan2(x.Y(), x.X()), expected, 1e-4f);
    EXPECT_NEAR(x.Z(), 0.0f, 1e-5f);
}

// One event far round the ring: the new point is slid along the tangent at
// the previous one, and a step still above 45 degrees turns nothing.
struct JumpCase {
    const char* name;
    float degrees;   // where the pointer goes, seen from the centre
    float distance;  // how far out, in ring radii
    bool turns;
};

class RotationJump : public ToolScene, public ::testing::WithParamInterface<JumpCase> {};

TEST_P(RotationJump, RefinesAlongTheTangentAndDropsStepsAboveAQuarterTurn)
{
    const JumpCase& jump = GetParam();
    tool->AddHandle(
        new AxisRotationConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_OBJECT, 0.35f));
    const float r = 0.35f * ViewScale();
    const float a = jump.degrees * float(M_PI) / 180.0f;
    ScreenPoint start = PixelOf(Vec3(r, 0, 0));
    ScreenPoint to = PixelOf(Vec3(r * jump.distance * std::cos(a), r * jump.distance * std::sin(a), 0));
    DragThrough(Vec3(r, 0, 0), {{to.x - start.x, to.y - start.y}});
    // The refined point: the previous ring point moved along the tangent by
    // the pointer's tangential offset.
    Vec3 s = OnPlaneZ(start), q = OnPlaneZ(to);
    Vec3 u0 = s / s.Length(), tangent(-u0.Y(), u0.X(), 0);
    float refined = std::atan2((q - u0 * r).Dot(tangent), r);
    float expected = jump.turns ? refined : 0.0f;
    Vec3 x = object.GetFrame().X();
    EXPECT_NEAR(std::atan2(x.Y(), x.X()), expected, 1e-4f) << jump.name;
    EXPECT_EQ(std::fabs(refined) <= float(M_PI) / 4.0f, jump.turns) << jump.name;
}

INSTANTIATE_TEST_SUITE_P(Jumps, RotationJump,
                         ::testing::Values(JumpCase{"sixty degrees on the ring", 60.0f, 1.0f, true},
                                           JumpCase{"ninety degrees far out", 90.0f, 3.0f, false},
                                           JumpCase{"back thirty degrees far out", -30.0f, 4.0f, false}),
                         [](const ::testing::TestParamInfo<JumpCase>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST_F(ToolDrag, UniformScaleGrowsByTheSumOfTheScreenSteps)
{
    tool->AddHandle(new UniformScaleConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_WORLD));
    ScreenPoint start = PixelOf(Vec3(0, 0, 0));
    std::vector<ScreenPoint> offsets = {{20, 10}, {15, 15}, {-10, 5}};
    DragThrough(Vec3(0, 0, 0), offsets);
    // Each component c of the handle's size becomes c + step, and the
    // target is scaled by (c + step) / c: in all, by 1 + the sum of steps.
    Vec3 d = OnPlaneZ({start.x + offsets.back().x, start.y + offsets.back().y}) - OnPlaneZ(start);
    float expected = 1.0f + d.X() + d.Y();
    EXPECT_TRUE(Near(object.GetFrame().Scale(), Vec3(expected, expected, expected), 1e-4f));
    auto* handle = static_cast<UniformScaleConstraint*>(tool->GetHandles().front());
    EXPECT_TRUE(Near(handle->GetSize(), Vec3(expected, expected, expected), 1e-4f));
}

TEST_F(ToolDrag, UniformScaleRefusesAStepThatWouldCollapseTheObject)
{
    tool->AddHandle(new UniformScaleConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_WORLD));
    // Far down and left: a step below -1 would make the size negative.
    DragThrough(Vec3(0, 0, 0), {{-300, -250}});
    EXPECT_TRUE(Near(object.GetFrame().Scale(), Vec3(1, 1, 1), 1e-6f));
}

TEST_F(ToolDrag, AxisScaleScalesTheTargetAxisMostAlignedWithTheHandle)
{
    // The object's y axis lies along world -x.
    object.Rotate(Rotation(Vec3(0, 0, 1), 90.0f), true);
    tool->AddHandle(new AxisScaleConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_WORLD));
    const Vec3 press(0.3f * ViewScale(), 0, 0);
    ScreenPoint start = PixelOf(press);
    ScreenPoint end = DragThrough(press, {{30, 0}, {45, 1}});
    float step = OnPlaneZ(end).X() - OnPlaneZ(start).X();
    EXPECT_GT(step, 0.1f);
    EXPECT_TRUE(Near(object.GetFrame().Scale(), Vec3(1, 1 + step, 1), 1e-4f));
    // The object did not move or turn.
    EXPECT_TRUE(Near(object.GetFrame().Origin(), Vec3(0, 0, 0), 1e-6f));
    EXPECT_TRUE(Near(object.GetFrame().Y(), Vec3(-1, 0, 0), 1e-5f));
}

TEST_F(ToolDrag, HandleMovingModeMovesTheHandleAndLeavesTheObject)
{
    Constraint* handle = new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    tool->AddHandle(handle);
    manager.SetHandleMoveMode(true);
    const Vec3 press(0.3f * ViewScale(), 0, 0);
    ScreenPoint start = PixelOf(press);
    ScreenPoint end = DragThrough(press, {{40, 0}});
    float expected = OnPlaneZ(end).X() - OnPlaneZ(start).X();
    EXPECT_TRUE(Near(object.GetFrame().Origin(), Vec3(0, 0, 0), 1e-6f));
    EXPECT_TRUE(Near(handle->GetOrigin(), Vec3(expected, 0, 0), 1e-4f));
    // It stays where it was put when the object moves on.
    object.Translate(Vec3(0, 1, 0), true);
    EXPECT_TRUE(Near(handle->GetOrigin(), Vec3(expected, 1, 0), 1e-4f));
}

TEST_F(ToolDrag, PressOnNothingOrWithoutCaptureIsNotHandled)
{
    tool->AddHandle(new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT));
    EXPECT_EQ(manager.OnInputEvent(Press(10, 10)), INPUT_NOT_HANDLED);
    EXPECT_EQ(manager.OnInputEvent(DragTo(20, 10)), INPUT_NOT_HANDLED);
    EXPECT_EQ(manager.OnInputEvent(Release(20, 10)), INPUT_NOT_HANDLED);
    EXPECT_EQ(actions.count, 0);
    EXPECT_FALSE(manager.IsDragging());
    // A hidden tool is not pressed either.
    manager.Show(false);
    ScreenPoint p = PixelOf(Vec3(0.3f * ViewScale(), 0, 0));
    EXPECT_EQ(manager.OnInputEvent(Press(p.x, p.y)), INPUT_NOT_HANDLED);
}

TEST_F(ToolDrag, WithoutACameraEveryEventIsNotHandled)
{
    tool->AddHandle(new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT));
    ScreenPoint p = PixelOf(Vec3(0.3f * ViewScale(), 0, 0));
    manager.SetCamera(nullptr);
    for (const InputEvent& e : {Press(p.x, p.y), DragTo(p.x + 20, p.y), Release(p.x + 20, p.y)})
        EXPECT_EQ(manager.OnInputEvent(e), INPUT_NOT_HANDLED);
    EXPECT_TRUE(Near(object.GetFrame().Origin(), Vec3(0, 0, 0), 0.0f));
    EXPECT_EQ(actions.count, 0);
}

}  // namespace
}  // namespace kftest

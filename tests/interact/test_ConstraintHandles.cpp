// The handles themselves: which rays pick them, what screen segments cross
// them, how they follow their target, and the dynamic tool's history.

#include <cmath>
#include <limits>

#include "interact/AxisRotationConstraint.h"
#include "interact/AxisScaleConstraint.h"
#include "interact/ConstraintFactory.h"
#include "interact/PlaneTranslateConstraint.h"
#include "interact/UniformScaleConstraint.h"
#include "interact/VectorConstraint.h"
#include "tests/interact/ToolTestSupport.h"

namespace kftest {
namespace {

using namespace vynui;

class Handles : public ToolScene {
protected:
    /// The ray the tool manager makes through a window point.
    Wml::Ray3<float> RayThrough(const Vec3& p) const
    {
        float x, y, depth;
        camera.Project(p, x, y, depth);
        return manager.GetPickRay(x, y);
    }
};

// ---- visibility and picking

struct TiltCase {
    float degrees;  // angle between the handle's axis and the line of sight
    bool pickable;
};

class EndOnVector : public Handles, public ::testing::WithParamInterface<TiltCase> {};

TEST_P(EndOnVector, IsPickableOnlyOnceItsVisibilityReachesAFifth)
{
    const TiltCase& tilt = GetParam();
    const float a = tilt.degrees * float(M_PI) / 180.0f;
    const Vec3 axis(std::sin(a), 0.0f, std::cos(a));
    auto* handle = new VectorConstraint(&target, Vec3(0, 0, 0), axis, FRAME_MODE_OBJECT);
    tool->AddHandle(handle);
    float visibility = handle->GetVisibility(manager.GetViewData());
    float x = 1.0f - std::cos(a);
    float expected = x < 0.003f ? 0.0f : (x < 0.035f ? (x - 0.003f) / 0.032f : 1.0f);
    EXPECT_NEAR(visibility, expected, 1e-3f);
    // Through a point of the shaft as drawn.
    ConstraintPick pick;
    bool picked = tool->PickHandle(RayThrough(axis * (0.6f * ViewScale() * 0.5f)), pick);
    EXPECT_EQ(picked, tilt.pickable) << tilt.degrees << " degrees, visibility " << visibility;
    if (picked) {
        EXPECT_EQ(pick.handle, handle);
    }
}

INSTANTIATE_TEST_SUITE_P(Tilts, EndOnVector,
                         ::testing::Values(TiltCase{0.0f, false}, TiltCase{5.0f, false},
                                           TiltCase{7.5f, false}, TiltCase{8.5f, true}, TiltCase{20.0f, true},
                                           TiltCase{90.0f, true}));

struct MissCase {
    float beside;  // how far the ray passes beside the shaft's edge
    bool picked;
};

class NearMiss : public Handles, public ::testing::WithParamInterface<MissCase> {};

TEST_P(NearMiss, AcceptsRaysPassingWithinThreeHundredthsOfTheShape)
{
    auto* handle = new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    tool->AddHandle(handle);
    const float s = 0.5f * ViewScale();
    // Straight down onto the plane of the shaft, beside its edge.
    Wml::Ray3<float> ray(Vec3(0.5f * s, 0.08f * s + GetParam().beside, 5.0f), Vec3(0, 0, -1));
    ConstraintPick pick;
    EXPECT_EQ(tool->PickHandle(ray, pick), GetParam().picked) << GetParam().beside;
}

INSTANTIATE_TEST_SUITE_P(Distances, NearMiss,
                         ::testing::Values(MissCase{-0.01f, true}, MissCase{0.01f, true},
                                           MissCase{0.025f, true}, MissCase{0.035f, false},
                                           MissCase{0.2f, false}));

TEST_F(Handles, NearestHitAlongTheRayWins)
{
    // Two plane patches one above the other: the ray meets the upper first,
    // whichever was added first.
    auto* lower =
        new PlaneTranslateConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_MANIPULATION);
    auto* upper =
        new PlaneTranslateConstraint(&target, Vec3(0, 0, 1), Vec3(0, 0, 1), FRAME_MODE_MANIPULATION);
    tool->AddHandle(lower);
    tool->AddHandle(upper);
    const float c = 0.14f * 0.5f * ViewScale();
    Wml::Ray3<float> ray(Vec3(1.6f * c, 1.6f * c, 4.0f), Vec3(0, 0, -1));
    ConstraintPick pick;
    ASSERT_TRUE(tool->PickHandle(ray, pick));
    EXPECT_EQ(pick.handle, upper);
    EXPECT_NEAR(pick.distance, 3.0f, 1e-5f);
    // With the upper one gone the lower one is found.
    tool->DeleteHandle(upper);
    ASSERT_TRUE(tool->PickHandle(ray, pick));
    EXPECT_EQ(pick.handle, lower);
    EXPECT_NEAR(pick.distance, 4.0f, 1e-5f);
    // The hole at the corner of the L picks nothing.
    EXPECT_FALSE(tool->PickHandle(Wml::Ray3<float>(Vec3(0.5f * c, 0.5f * c, 4.0f), Vec3(0, 0, -1)), pick));
}

TEST_F(Handles, AimingRingIsPartOneAndOnlyShownUnpinnedOnLineMadeHandles)
{
    auto* handle = new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    tool->AddHandle(handle);
    const float s = 0.5f * ViewScale();
    const Wml::Ray3<float> ringRay = RayThrough(Vec3(1.4f * s, 0, 0));
    const Wml::Ray3<float> shaftRay = RayThrough(Vec3(0.5f * s, 0, 0));
    ConstraintPick pick;
    EXPECT_FALSE(tool->PickHandle(ringRay, pick));
    handle->SetMadeByLine(true);
    ASSERT_TRUE(tool->PickHandle(ringRay, pick));
    EXPECT_EQ(pick.part, 1);
    ASSERT_TRUE(tool->PickHandle(shaftRay, pick));
    EXPECT_EQ(pick.part, 0);
    handle->SetPinned(true);
    EXPECT_FALSE(tool->PickHandle(ringRay, pick));
}

TEST_F(Handles, RotationRingFadesAsItTurnsEdgeOn)
{
    struct {
        float degrees;  // between the ring axis and the line of sight
        float visibility;
    } cases[] = {{0.0f, 1.0f},
                 {45.0f, 1.0f},
                 {60.0f, 0.6f},
                 {75.0f, (std::cos(75.0f * float(M_PI) / 180) - 0.2f) / 0.5f},
                 {85.0f, 0.0f}};
    for (const auto& c : cases) {
        float a = c.degrees * float(M_PI) / 180.0f;
        AxisRotationConstraint ring(nullptr, Vec3(0, 0, 0), Vec3(std::sin(a), 0, std::cos(a)),
                                    FRAME_MODE_OBJECT, 0.35f);
        EXPECT_NEAR(ring.GetVisibility(manager.GetViewData()), c.visibility, 1e-4f) << c.degrees;
    }
}

// ---- screen segments

TEST_F(Handles, ScreenSegmentCrossesTheNearestHandleToTheEye)
{
    // Two vector handles whose shafts overlap on screen, one nearer the eye.
    auto* far = new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    auto* nearer = new VectorConstraint(&target, Vec3(0, 0, 1), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    tool->AddHandle(far);
    tool->AddHandle(nearer);
    float x, y, depth;
    camera.Project(Vec3(0.2f, 0, 0), x, y, depth);
    Wml::Segment2<float> across =
        Wml::Segment2<float>::FromEndPoints(Wml::Vector2<float>(x, y - 30), Wml::Vector2<float>(x, y + 30));
    Vec3 point;
    EXPECT_EQ(tool->CrossTestHandles(across, point), nearer);
    EXPECT_NEAR(point.Z(), 1.0f, 1e-4f);
    EXPECT_NEAR(point.Y(), 0.0f, 0.05f);
    // Each handle alone reports its own crossing.
    ASSERT_TRUE(far->CrossTest(across, manager.GetViewData(), point));
    EXPECT_NEAR(point.Z(), 0.0f, 1e-4f);
    EXPECT_NEAR(point.X(), 0.2f, 0.01f);
    // A segment beside both crosses nothing.
    Wml::Segment2<float> beside = Wml::Segment2<float>::FromEndPoints(Wml::Vector2<float>(x, y + 100),
                                                                      Wml::Vector2<float>(x + 50, y + 100));
    EXPECT_EQ(tool->CrossTestHandles(beside, point), nullptr);
    // An invisible handle is never crossed.
    auto* endOn = new VectorConstraint(&target, Vec3(0.2f, 0, 2), Vec3(0, 0, 1), FRAME_MODE_OBJECT);
    EXPECT_FALSE(endOn->CrossTest(across, manager.GetViewData(), point));
    delete endOn;
}

// ---- following the target

struct FollowCase {
    int frameMode;
    bool turns;
};

class Following : public Handles, public ::testing::WithParamInterface<FollowCase> {};

TEST_P(Following, ModesOneAndThreeTurnWithTheTargetTheOthersOnlyMove)
{
    const FollowCase& c = GetParam();
    auto* handle = new VectorConstraint(&target, Vec3(1, 0, 0), Vec3(1, 0, 0), c.frameMode);
    tool->AddHandle(handle);
    object.Rotate(Rotation(Vec3(0, 0, 1), 30.0f), true);
    const float a = 30.0f * float(M_PI) / 180.0f;
    const Vec3 turned(std::cos(a), std::sin(a), 0);
    EXPECT_TRUE(Near(handle->GetAxis(), c.turns ? turned : Vec3(1, 0, 0), 1e-5f)) << c.frameMode;
    EXPECT_TRUE(Near(handle->GetOrigin(), c.turns ? turned : Vec3(1, 0, 0), 1e-5f)) << c.frameMode;
    object.Translate(Vec3(0, 0, 2), true);
    EXPECT_TRUE(Near(handle->GetOrigin(), (c.turns ? turned : Vec3(1, 0, 0)) + Vec3(0, 0, 2), 1e-5f));
    // The frame stays orthonormal.
    const Wml::Frame3<float>& f = handle->GetWorldFrame();
    EXPECT_NEAR(f.X().Dot(f.Y()), 0.0f, 1e-5f);
    EXPECT_NEAR(f.X().Cross(f.Y()).Dot(f.Z()), 1.0f, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(Modes, Following,
                         ::testing::Values(FollowCase{0, false}, FollowCase{1, true}, FollowCase{2, false},
                                           FollowCase{3, true}, FollowCase{4, false}));

TEST_F(Handles, AnAxisSwungRoundARightAngleInOneStepKeepsItsDirection)
{
    auto* handle = new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    tool->AddHandle(handle);
    object.Rotate(Rotation(Vec3(0, 0, 1), 90.0f), true);
    EXPECT_TRUE(Near(handle->GetAxis(), Vec3(1, 0, 0), 1e-5f));
}

TEST_F(Handles, HandlesOutliveNeitherSideOfTheirTarget)
{
    auto* object2 = new FramedObject(Vec3(0, 0, 0));
    auto* target2 = new ConstraintTarget(object2);
    auto* handle = new VectorConstraint(target2, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT);
    tool->AddHandle(handle);
    EXPECT_EQ(target2->GetConstraints().size(), 1u);
    delete target2;  // the handle is told
    EXPECT_EQ(handle->GetTarget(), nullptr);
    object2->Translate(Vec3(1, 0, 0), true);  // nobody listens any more
    EXPECT_TRUE(Near(handle->GetOrigin(), Vec3(0, 0, 0), 0.0f));
    EXPECT_TRUE(object2->GetListeners().empty());
    EXPECT_TRUE(tool->DeleteHandle(handle));
    delete object2;
}

// ---- history

TEST_F(Handles, HistorySavesKindByKindAndRestoresByIndexFromTheNewest)
{
    EXPECT_FALSE(tool->SaveHandleSet());  // nothing to save
    tool->AddHandle(
        new AxisRotationConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_OBJECT, 0.35f));
    tool->AddHandle(
        new PlaneTranslateConstraint(&target, Vec3(0, 0, 0), Vec3(0, 1, 0), FRAME_MODE_MANIPULATION));
    tool->AddHandle(new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT));
    ASSERT_TRUE(tool->SaveHandleSet());
    const std::vector<ConstraintDescription>& first = tool->GetHistory().back();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].kind, VECTOR_CONSTRAINT);
    EXPECT_EQ(first[1].kind, PLANE_TRANSLATE_CONSTRAINT);
    EXPECT_TRUE(first[1].hasFrame);
    EXPECT_EQ(first[2].kind, AXIS_ROTATION_CONSTRAINT);
    EXPECT_FLOAT_EQ(first[2].radius, 0.35f);

    auto* pinned = new UniformScaleConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_WORLD);
    pinned->SetPinned(true);
    tool->ClearHandles(true);
    EXPECT_TRUE(tool->GetHandles().empty());
    tool->AddHandle(pinned);
    tool->AddHandle(new AxisScaleConstraint(&target, Vec3(0, 0, 0), Vec3(0, 1, 0), FRAME_MODE_OBJECT));
    ASSERT_TRUE(tool->SaveHandleSet());
    EXPECT_EQ(tool->GetHistorySize(), 2u);

    // Out of range: false and nothing changes.
    EXPECT_FALSE(tool->RestoreHandleSet(2, &target));
    EXPECT_EQ(tool->GetHandles().size(), 2u);
    EXPECT_FALSE(tool->RestoreHandleSet(0, nullptr));

    // The oldest set, re-made at the target's current origin; the pinned
    // handle stays.
    object.Translate(Vec3(2, 0, 0), true);
    ASSERT_TRUE(tool->RestoreHandleSet(1, &target));
    ASSERT_EQ(tool->GetHandles().size(), 4u);
    EXPECT_EQ(tool->GetHandles()[0], pinned);
    EXPECT_EQ(tool->GetHandles(VECTOR_CONSTRAINT).size(), 1u);
    EXPECT_EQ(tool->GetHandles(AXIS_SCALE_CONSTRAINT).size(), 0u);
    for (Constraint* handle : tool->GetHandles()) {
        EXPECT_TRUE(Near(handle->GetOrigin(), Vec3(2, 0, 0), 1e-6f));
        EXPECT_EQ(handle->GetTarget(), &target);
    }
    const Constraint* plane = tool->GetHandles(PLANE_TRANSLATE_CONSTRAINT).front();
    EXPECT_TRUE(Near(plane->GetAxis(), Vec3(0, 1, 0), 1e-6f));
    EXPECT_EQ(plane->GetFrameMode(), FRAME_MODE_MANIPULATION);
    EXPECT_FLOAT_EQ(
        static_cast<const AxisRotationConstraint*>(tool->GetHandles(AXIS_ROTATION_CONSTRAINT).front())
            ->GetRadius(),
        0.35f);

    // The newest set.
    ASSERT_TRUE(tool->RestoreHandleSet(0, &target));
    EXPECT_EQ(tool->GetHandles(UNIFORM_SCALE_CONSTRAINT).size(), 2u);  // the pinned one and its copy
    EXPECT_EQ(tool->GetHandles(AXIS_SCALE_CONSTRAINT).size(), 1u);
    EXPECT_EQ(tool->GetHistorySize(), 2u);  // restoring saves nothing
}

TEST_F(Handles, FactoryRefusesUnknownKindsAndUnusableAxes)
{
    ConstraintDescription d;
    d.kind = 6;
    EXPECT_EQ(CreateConstraint(d, &target), nullptr);
    d.kind = VECTOR_CONSTRAINT;
    d.axis = Vec3(0, 0, 0);
    EXPECT_EQ(CreateConstraint(d, &target), nullptr);
    d.axis = Vec3(std::nanf(""), 0, 1);
    EXPECT_EQ(CreateConstraint(d, &target), nullptr);
    d.axis = Vec3(0, 2, 0);
    d.frameMode = FRAME_MODE_ANCHOR;
    d.color = FrameModeColor(FRAME_MODE_ANCHOR);
    Constraint* c = CreateConstraint(d, &target);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(Near(c->GetAxis(), Vec3(0, 1, 0), 1e-6f));
    EXPECT_EQ(c->GetFrameMode(), FRAME_MODE_ANCHOR);
    EXPECT_FLOAT_EQ(c->GetColor().R(), 1.0f);
    EXPECT_FLOAT_EQ(c->GetColor().G(), 0.7f);
    EXPECT_EQ(target.GetConstraints().size(), 1u);
    delete c;
    EXPECT_TRUE(target.GetConstraints().empty());
}

TEST_F(Handles, ReaimedVectorTakesTheNewAxisModeAndColour)
{
    auto* handle = new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_WORLD);
    tool->AddHandle(handle);
    EXPECT_FALSE(handle->Reaim(Vec3(0, 0, 0), Vec3(0, 0, 0), FRAME_MODE_OBJECT, FrameModeColor(1)));
    EXPECT_EQ(handle->GetFrameMode(), FRAME_MODE_WORLD);
    ASSERT_TRUE(handle->Reaim(Vec3(0, 0, 0), Vec3(0, 1, 0), FRAME_MODE_OBJECT, FrameModeColor(1)));
    EXPECT_TRUE(Near(handle->GetAxis(), Vec3(0, 1, 0), 1e-6f));
    EXPECT_FLOAT_EQ(handle->GetColor().R(), 0.7f);
    // Now in mode 1 it turns with the object.
    object.Rotate(Rotation(Vec3(0, 0, 1), 30.0f), true);
    EXPECT_TRUE(Near(handle->GetAxis(), Vec3(-0.5f, std::sqrt(3.0f) / 2, 0), 1e-5f));
}

// ---- bad rays

TEST_F(Handles, UnusableRaysNeitherStartNorStepADrag)
{
    const float nan = std::nanf("");
    const Wml::Ray3<float> good(Vec3(0.1f, 0.05f, 5), Vec3(0, 0, -1));
    const Wml::Ray3<float> bad[] = {
        Wml::Ray3<float>(Vec3(nan, 0, 5), Vec3(0, 0, -1)),
        Wml::Ray3<float>(Vec3(0, 0, 5), Vec3(0, nan, -1)),
        Wml::Ray3<float>(Vec3(0, 0, 5), Vec3(0, 0, 0)),
        Wml::Ray3<float>(Vec3(0, 0, 5), Vec3(std::numeric_limits<float>::infinity(), 0, -1)),
    };
    std::vector<Constraint*> handles = {
        new VectorConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT),
        new PlaneTranslateConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_WORLD),
        new AxisRotationConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_OBJECT, 0.35f),
        new UniformScaleConstraint(&target, Vec3(0, 0, 0), Vec3(0, 0, 1), FRAME_MODE_WORLD),
        new AxisScaleConstraint(&target, Vec3(0, 0, 0), Vec3(1, 0, 0), FRAME_MODE_OBJECT),
    };
    const ToolViewData& view = manager.GetViewData();
    for (Constraint* handle : handles) {
        for (const Wml::Ray3<float>& ray : bad) {
            EXPECT_FALSE(handle->BeginDrag(ray, view)) << handle->GetKind();
            ConstraintHit hit;
            EXPECT_FALSE(handle->HitTest(ray, view, hit) && hit.missDistance < DynamicTool3D::PICK_ACCEPTANCE)
                << handle->GetKind();
        }
        ASSERT_TRUE(handle->BeginDrag(good, view)) << handle->GetKind();
        for (const Wml::Ray3<float>& ray : bad) {
            Vec3 v;
            Wml::Matrix3<float> m;
            EXPECT_FALSE(handle->DragVector(ray, v)) << handle->GetKind();
            EXPECT_FALSE(handle->DragRotation(ray, m)) << handle->GetKind();
            EXPECT_FALSE(handle->DragScale(ray, v)) << handle->GetKind();
            EXPECT_FALSE(handle->DragAxisScale(ray, v)) << handle->GetKind();
            EXPECT_FALSE(handle->DragHandle(ray)) << handle->GetKind();
        }
        EXPECT_TRUE(Near(handle->GetOrigin(), Vec3(0, 0, 0), 0.0f));
        delete handle;
    }
    // A view without a viewport projects nothing and picks along its axis.
    ToolViewData empty;
    float x, y, depth;
    EXPECT_FALSE(empty.IsValid());
    EXPECT_FALSE(empty.Project(Vec3(0, 0, 0), x, y, depth));
    Wml::Ray3<float> ray = empty.GetPickRay(10, 10);
    EXPECT_TRUE(Near(ray.Direction(), empty.viewDirection, 0.0f));
}

}  // namespace
}  // namespace kftest

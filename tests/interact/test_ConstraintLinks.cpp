// Links between scene objects (following moves, applying, unlinking,
// forgetting, refusing loops, finding the link a gesture crosses), pivots on
// surface anchors, and anchor records.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "interact/ConstraintLinkSet.h"
#include "interact/ConstraintScreenGeometry.h"
#include "interact/PivotSO.h"
#include "interact/SurfaceAnchor.h"
#include "scene/BillboardSO.h"
#include "scene/SceneObjectManager.h"
#include "tests/blobtree_ui/test_BaseFixtures.h"
#include "tests/support/Near.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/Serializer.h"

using vynui::BillboardSO;
using vynui::ConstraintLinkSet;
using vynui::PivotSO;
using vynui::SurfaceAnchor;
using Vec2 = Wml::Vector2<float>;
using Vec3 = Wml::Vector3<float>;

namespace {

const float PI = 3.14159265f;

Wml::Matrix3<float> AxisAngle(const Vec3& axis, float radians)
{
    Wml::Matrix3<float> m;
    m.FromAxisAngle(axis, radians);
    return m;
}

// Counts notifications of one object.
class CountingListener : public vynui::SceneObjectListener {
public:
    int count = 0;
    void OnSceneObjectChanged(vynui::SceneObject*, const vynui::SceneObjectEvent*) override { ++count; }
};

bool Listens(vynui::SceneObject& object, const ConstraintLinkSet& links)
{
    return object.GetListeners().count(const_cast<ConstraintLinkSet*>(&links)) != 0;
}

}  // namespace

// ---- following ----------------------------------------------------------------------

TEST(ConstraintLinks, LinkedObjectFollowsTranslations)
{
    PivotSO pivot(Wml::Frame3<float>(Vec3(1, 0, 0)));
    BillboardSO object;
    object.Translate(Vec3(3, 0, 0), false);
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&object, &pivot));
    EXPECT_TRUE(Listens(pivot, links));

    pivot.Translate(Vec3(0, 2, 0), true);
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(3, 2, 0)));
    pivot.Translate(Vec3(-1, 0, 0), false);  // absolute: moved by (-2, -2, 0)
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(1, 0, 0)));

    // Following is one way: moving the linked object leaves the target.
    object.Translate(Vec3(0, 0, 5), true);
    EXPECT_TRUE(kftest::Near(pivot.GetFrame().Origin(), Vec3(-1, 0, 0)));
}

TEST(ConstraintLinks, LinkedObjectTurnsAboutTheTargetOrigin)
{
    const Wml::Matrix3<float> quarter = AxisAngle(Vec3(0, 0, 1), 0.5f * PI);
    struct Case {
        const char* name;
        bool relative;
    } cases[] = {{"relative rotation", true}, {"absolute rotation", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PivotSO pivot(Wml::Frame3<float>(Vec3(1, 0, 0)));
        BillboardSO object;
        object.Translate(Vec3(2, 0, 0), false);
        ConstraintLinkSet links;
        ASSERT_TRUE(links.Link(&object, &pivot));

        // Set absolutely, the rotation's rows are the new axes.
        pivot.Rotate(c.relative ? quarter : quarter.Transpose(), c.relative);
        EXPECT_TRUE(kftest::Near(pivot.GetFrame().Origin(), Vec3(1, 0, 0)));
        EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(1, 1, 0)));
        EXPECT_TRUE(kftest::Near(object.GetFrame().X(), Vec3(0, 1, 0)));
        EXPECT_TRUE(kftest::Near(object.GetFrame().Y(), Vec3(-1, 0, 0)));

        // Setting the same rotation again turns nothing; a relative turn does.
        pivot.Rotate(pivot.GetFrame().GetRotation(), false);
        EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(1, 1, 0)));
        pivot.Rotate(quarter, true);
        EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(0, 0, 0)));
        EXPECT_TRUE(kftest::Near(object.GetFrame().X(), Vec3(-1, 0, 0)));
    }
}

TEST(ConstraintLinks, TurningAPivotMovesItsFollowersThroughTheScene)
{
    // The whole path as the tools drive it: RotateAbout on the pivot.
    SurfaceAnchor anchor(Wml::Frame3<float>::FromOriginAndNormal(Vec3(0, 1, 0), Vec3(0, 1, 0)));
    PivotSO pivot(&anchor);
    BillboardSO object;
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&object, &pivot));
    pivot.RotateAbout(AxisAngle(Vec3(1, 0, 0), PI), Vec3::ZERO);
    EXPECT_TRUE(kftest::Near(pivot.GetFrame().Origin(), Vec3(0, -1, 0), 1e-5f));
    EXPECT_TRUE(kftest::Near(anchor.GetNormal(), Vec3(0, -1, 0), 1e-5f));
    // The object turned with the pivot about the same centre.
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(0, 0, 0), 1e-5f));
    EXPECT_TRUE(kftest::Near(object.GetFrame().Y(), Vec3(0, -1, 0), 1e-5f));
}

TEST(ConstraintLinks, OnlyMovesOfTheTargetAreFollowed)
{
    BillboardSO target, object;
    object.Translate(Vec3(1, 1, 1), false);
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&object, &target));
    target.Scale(2, 2, 2, true, true);
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(1, 1, 1)));
    EXPECT_TRUE(kftest::Near(object.GetFrame().Scale(), Vec3(1, 1, 1)));
    // Null events, other kinds and events without data move nothing.
    const vynui::SceneObjectEvent odd[] = {
        {7, nullptr}, {vynui::SCENE_OBJECT_TRANSLATED, nullptr}, {vynui::SCENE_OBJECT_ROTATED, nullptr}};
    target.Notify(nullptr);
    for (const auto& event : odd) target.Notify(&event);
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(1, 1, 1)));
}

TEST(ConstraintLinks, MovesPassAlongChains)
{
    PivotSO c;
    BillboardSO b, a;
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&b, &c));
    ASSERT_TRUE(links.Link(&a, &b));
    BillboardSO d;
    ASSERT_TRUE(links.Link(&d, &b));
    EXPECT_EQ(links.FollowersOf(&b), (std::vector<vynui::SceneObject*>{&a, &d}));
    EXPECT_EQ(links.FollowersOf(&c), (std::vector<vynui::SceneObject*>{&b}));
    EXPECT_TRUE(links.FollowersOf(&a).empty());
    EXPECT_TRUE(links.Follows(&a, &c));
    EXPECT_FALSE(links.Follows(&c, &a));
    c.Translate(Vec3(0, 0, 2), true);
    EXPECT_TRUE(kftest::Near(b.GetFrame().Origin(), Vec3(0, 0, 2)));
    EXPECT_TRUE(kftest::Near(a.GetFrame().Origin(), Vec3(0, 0, 2)));
    EXPECT_TRUE(kftest::Near(d.GetFrame().Origin(), Vec3(0, 0, 2)));
}

TEST(ConstraintLinks, LoopsAndBadLinksAreRefused)
{
    BillboardSO a, b, c;
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&a, &b));
    ASSERT_TRUE(links.Link(&b, &c));
    struct Case {
        const char* name;
        vynui::SceneObject* linked;
        vynui::SceneObject* target;
    } cases[] = {
        {"two-object loop", &b, &a}, {"three-object loop", &c, &a}, {"itself", &a, &a},
        {"no object", nullptr, &a},  {"no target", &a, nullptr},
    };
    for (const Case& x : cases) {
        SCOPED_TRACE(x.name);
        EXPECT_FALSE(links.Link(x.linked, x.target));
        // The old links are untouched.
        ASSERT_EQ(links.GetLinks().size(), 2u);
        EXPECT_EQ(links.Find(&a)->target, &b);
        EXPECT_EQ(links.Find(&b)->target, &c);
    }
    EXPECT_FALSE(links.LinkToFrame(nullptr, Wml::Frame3<float>()));
    Wml::Frame3<float> flat;
    flat.Scale() = Vec3(1, 0, 1);
    EXPECT_FALSE(links.LinkToFrame(&c, flat));
    EXPECT_EQ(links.Find(&c), nullptr);

    // Moving anything still terminates and moves each object once.
    c.Translate(Vec3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(a.GetFrame().Origin(), Vec3(1, 0, 0)));
    EXPECT_TRUE(kftest::Near(b.GetFrame().Origin(), Vec3(1, 0, 0)));
}

TEST(ConstraintLinks, RelinkUnlinkAndClearStopFollowing)
{
    BillboardSO object, first, second;
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&object, &first));
    ASSERT_TRUE(links.Link(&object, &second));
    ASSERT_EQ(links.GetLinks().size(), 1u);
    EXPECT_EQ(links.Find(&object)->target, &second);
    EXPECT_FALSE(Listens(first, links));
    first.Translate(Vec3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3::ZERO));
    second.Translate(Vec3(0, 1, 0), true);
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(0, 1, 0)));

    EXPECT_TRUE(links.Unlink(&object));
    EXPECT_FALSE(links.Unlink(&object));
    EXPECT_FALSE(Listens(second, links));
    second.Translate(Vec3(0, 1, 0), true);
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(0, 1, 0)));

    BillboardSO other;
    ASSERT_TRUE(links.Link(&object, &first));
    ASSERT_TRUE(links.Link(&other, &first));
    // A shared target is listened to while any link leads to it.
    EXPECT_TRUE(links.Unlink(&object));
    EXPECT_TRUE(Listens(first, links));
    links.Clear();
    EXPECT_TRUE(links.IsEmpty());
    EXPECT_FALSE(Listens(first, links));
}

TEST(ConstraintLinks, ForgottenObjectsCanBeDeleted)
{
    auto pivot = std::make_unique<PivotSO>();
    auto object = std::make_unique<BillboardSO>();
    BillboardSO bystander;
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(object.get(), pivot.get()));
    ASSERT_TRUE(links.Link(&bystander, object.get()));

    // The linked-to object leaves the scene: its followers stay where they are.
    links.Forget(object.get());
    object.reset();
    EXPECT_TRUE(links.IsEmpty());
    EXPECT_FALSE(Listens(*pivot, links));
    pivot->Translate(Vec3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(bystander.GetFrame().Origin(), Vec3::ZERO));

    // The target leaves.
    ASSERT_TRUE(links.Link(&bystander, pivot.get()));
    links.Forget(pivot.get());
    pivot.reset();
    EXPECT_TRUE(links.IsEmpty());
    links.Forget(nullptr);
}

TEST(ConstraintLinks, DestroyingTheSetStopsListening)
{
    PivotSO pivot;
    BillboardSO object;
    {
        ConstraintLinkSet links;
        ASSERT_TRUE(links.Link(&object, &pivot));
        ASSERT_EQ(pivot.GetListeners().size(), 1u);
    }
    EXPECT_TRUE(pivot.GetListeners().empty());
    pivot.Translate(Vec3(1, 0, 0), true);  // would reach a dead listener
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3::ZERO));
}

TEST(ConstraintLinks, ShapeFollowsAPivotDroppedOnItsSurface)
{
    kilnform_test::TestModel model;
    vynui_bt::BlobTreeNodeSceneObject* shape = model.NewPoint(Vec3(0, 0, 0));
    model.factory->AttachSceneObject(model.Root(), shape, -1);

    // Drop a pivot where a ray from the eye meets the shape.
    const Wml::Ray3<float> ray(Vec3(0, 0, 5), Vec3(0, 0, -1));
    Wml::Frame3<float> frame;
    ASSERT_TRUE(SurfaceAnchor::FrameAtFieldHit(*shape->GetNode(), ray, frame));
    const float r = frame.Origin().Z();
    ASSERT_GT(r, 0.1f);
    EXPECT_TRUE(kftest::Near(frame.Origin(), Vec3(0, 0, r), 1e-4f));
    EXPECT_TRUE(kftest::Near(frame.Z(), Vec3(0, 0, 1), 1e-3f));
    SurfaceAnchor anchor(frame);
    PivotSO pivot(&anchor);
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(shape, &pivot));

    // Half a turn about the pivot flips the shape over its top.
    pivot.Rotate(AxisAngle(Vec3(1, 0, 0), PI), true);
    EXPECT_TRUE(kftest::Near(shape->GetFrame().Origin(), Vec3(0, 0, 2 * r), 1e-4f));
    EXPECT_TRUE(kftest::Near(anchor.GetNormal(), Vec3(0, 0, -1), 1e-4f));
    // The moved field is where the frame says.
    Wml::Frame3<float> again;
    ASSERT_TRUE(SurfaceAnchor::FrameAtFieldHit(*shape->GetNode(), ray, again));
    EXPECT_NEAR(again.Origin().Z(), 3 * r, 1e-2f);

    pivot.Translate(Vec3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(shape->GetFrame().Origin(), Vec3(1, 0, 2 * r), 1e-4f));

    // The shape's screen circle is where it shows.
    Wml::ExtendedWmlCamera camera(400.0f, 300.0f);
    Wml::AxisAlignedBox3<float> bounds;
    shape->GetNode()->FieldBounds(bounds);
    Vec2 centre, shown;
    float radius = 0;
    ASSERT_TRUE(vynui::ProjectedBoundsCircle(bounds, camera, centre, radius));
    ASSERT_TRUE(vynui::ProjectToScreen(camera, shape->GetFrame().Origin(), shown));
    EXPECT_LT((shown - centre).Length(), 1.0f);
    EXPECT_TRUE(vynui::SegmentMeetsCircle(shown + Vec2(-radius, 0.5f * radius),
                                          shown + Vec2(radius, 0.5f * radius), centre, radius));

    // A ray past the shape makes no frame.
    Wml::Frame3<float> untouched(Vec3(7, 7, 7));
    EXPECT_FALSE(SurfaceAnchor::FrameAtFieldHit(*shape->GetNode(),
                                                Wml::Ray3<float>(Vec3(9, 9, 5), Vec3(0, 0, -1)), untouched));
    EXPECT_TRUE(kftest::Near(untouched.Origin(), Vec3(7, 7, 7)));
    links.Forget(shape);
}

// ---- applying --------------------------------------------------------------------------

TEST(ConstraintLinks, ApplyingSnapsTheOriginAndKeepsTheLink)
{
    PivotSO pivot(Wml::Frame3<float>(Vec3(1, 1, 1)));
    BillboardSO object, rider;
    object.Rotate(AxisAngle(Vec3(0, 0, 1), 0.3f), true);
    rider.Translate(Vec3(0, 0, -1), false);
    const Wml::Matrix3<float> turn = object.GetFrame().GetRotation();
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&object, &pivot));
    ASSERT_TRUE(links.Link(&rider, &object));

    ASSERT_TRUE(links.Apply(&object));
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(1, 1, 1)));
    EXPECT_TRUE(kftest::Near(object.GetFrame().GetRotation(), turn));
    // What follows the object came along.
    EXPECT_TRUE(kftest::Near(rider.GetFrame().Origin(), Vec3(1, 1, 0)));
    ASSERT_NE(links.Find(&object), nullptr);
    pivot.Translate(Vec3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(object.GetFrame().Origin(), Vec3(2, 1, 1)));

    // A fixed surface frame.
    BillboardSO stuck;
    ASSERT_TRUE(links.LinkToFrame(&stuck, Wml::Frame3<float>(Vec3(0, -2, 0))));
    ASSERT_TRUE(links.Apply(&stuck));
    EXPECT_TRUE(kftest::Near(stuck.GetFrame().Origin(), Vec3(0, -2, 0)));

    EXPECT_FALSE(links.Apply(&pivot));
    EXPECT_FALSE(links.Apply(nullptr));
}

TEST(ConstraintLinks, TheCrossedLinkIsFoundOnScreen)
{
    Wml::ExtendedWmlCamera camera(400.0f, 300.0f);
    PivotSO pivot(Wml::Frame3<float>(Vec3(1, 0, 0)));
    BillboardSO left, high;
    left.Translate(Vec3(-1, 0, 0), false);
    high.Translate(Vec3(0, 1, 0), false);
    ConstraintLinkSet links;
    ASSERT_TRUE(links.Link(&left, &pivot));                                    // horizontal on screen
    ASSERT_TRUE(links.LinkToFrame(&high, Wml::Frame3<float>(Vec3(0, 2, 0))));  // vertical, above
    Vec2 centre;
    ASSERT_TRUE(vynui::ProjectToScreen(camera, Vec3::ZERO, centre));
    Vec2 above;
    ASSERT_TRUE(vynui::ProjectToScreen(camera, Vec3(0, 1.5f, 0), above));
    struct Case {
        const char* name;
        Vec2 p0, p1;
        int expected;
    } cases[] = {
        {"down through the horizontal link", centre + Vec2(10, 20), centre + Vec2(10, -20), 0},
        {"slanted too far", centre + Vec2(-30, -5), centre + Vec2(30, 5), -1},
        {"across the vertical link", above + Vec2(-20, 0), above + Vec2(20, 0), 1},
        {"missing both", centre + Vec2(0, -40), centre + Vec2(0, -80), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(links.FindCrossedLink(c.p0, c.p1, camera), c.expected);
    }
}

// ---- pivots ----------------------------------------------------------------------------

TEST(PivotSO, PickedBySphereOfItsSize)
{
    PivotSO pivot(Wml::Frame3<float>(Vec3(0, 0, 1)));
    ASSERT_TRUE(pivot.SetSize(0.1f));
    EXPECT_TRUE(pivot.IsUnselected());  // picked all the same
    struct Case {
        const char* name;
        Vec3 origin, direction;
        bool hit;
        float t;
    } cases[] = {
        {"straight on", Vec3(0, 0, 5), Vec3(0, 0, -1), true, 3.9f},
        {"near the rim", Vec3(0.09f, 0, 5), Vec3(0, 0, -1), true, 4.0f - std::sqrt(0.01f - 0.0081f)},
        {"just past the rim", Vec3(0.11f, 0, 5), Vec3(0, 0, -1), false, 0},
        {"longer direction measures in its units", Vec3(0, 0, 5), Vec3(0, 0, -2), true, 1.95f},
        {"pointing away", Vec3(0, 0, 5), Vec3(0, 0, 1), false, 0},
        {"starting inside", Vec3(0, 0, 1.05f), Vec3(0, 0, 1), true, 0.0f},
        {"zero direction", Vec3(0, 0, 5), Vec3::ZERO, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        float t = -1.0f;
        vynui::SceneObject* hit = pivot.Pick(Wml::Ray3<float>(c.origin, c.direction), t);
        EXPECT_EQ(hit, c.hit ? &pivot : nullptr);
        if (c.hit) {
            EXPECT_NEAR(t, c.t, 1e-4f);
        }
    }
    EXPECT_FALSE(pivot.SetSize(0.0f));
    EXPECT_FALSE(pivot.SetSize(NAN));
    EXPECT_FLOAT_EQ(pivot.GetSize(), 0.1f);

    // Among scene objects it is found like any other.
    vynui::SceneObjectManager manager;
    manager.AddObject(&pivot, false);
    float t = 0;
    EXPECT_EQ(manager.FindHit(Wml::Ray3<float>(Vec3(0, 0, 5), Vec3(0, 0, -1)), t), &pivot);
    manager.RemoveObject(&pivot);
}

TEST(PivotSO, MovesCarryTheAnchor)
{
    SurfaceAnchor anchor(Wml::Frame3<float>::FromOriginAndNormal(Vec3(0, 0, 1), Vec3(0, 0, 1)));
    PivotSO pivot(&anchor);
    pivot.InitializeParameters();
    EXPECT_TRUE(pivot.IsPivot());
    EXPECT_STREQ(pivot.GetTypeName(), "PivotSO");
    EXPECT_TRUE(pivot.SupportsTool("DynamicTool3D"));
    EXPECT_FALSE(pivot.SupportsTool("SomethingElse"));
    EXPECT_EQ(pivot.GetName().rfind("Pivot", 0), 0u);

    pivot.Translate(Vec3(1, 0, 0), true);
    EXPECT_TRUE(kftest::Near(anchor.GetPoint(), Vec3(1, 0, 1)));
    pivot.Translate(Vec3(0, 2, 0), false);
    EXPECT_TRUE(kftest::Near(anchor.GetPoint(), Vec3(0, 2, 0)));
    pivot.Rotate(AxisAngle(Vec3(1, 0, 0), 0.5f * PI), true);
    EXPECT_TRUE(kftest::Near(anchor.GetNormal(), Vec3(0, -1, 0)));
    EXPECT_TRUE(pivot.GetFrame() == anchor.GetFrame());

    // The position parameter moves the anchor as well.
    pivot.GetParameterList()->GetParameters()[0]->SetValueFromText("3 4 5");
    EXPECT_TRUE(kftest::Near(anchor.GetPoint(), Vec3(3, 4, 5)));

    // Scaling is no move of a pivot: nothing changes, nobody is told.
    CountingListener listener;
    pivot.AddListener(&listener);
    const Wml::Frame3<float> before = pivot.GetFrame();
    pivot.Scale(2, 2, 2, true, true);
    EXPECT_TRUE(pivot.GetFrame() == before);
    EXPECT_EQ(listener.count, 0);
    pivot.Translate(Vec3(1, 0, 0), true);
    EXPECT_EQ(listener.count, 1);
    pivot.RemoveListener(&listener);

    // Leaving the anchor keeps the place; the anchor no longer moves.
    const Wml::Frame3<float> onAnchor = pivot.GetFrame();
    pivot.SetAnchor(nullptr);
    EXPECT_TRUE(pivot.GetFrame() == onAnchor);
    pivot.Translate(Vec3(0, 0, 1), true);
    EXPECT_TRUE(kftest::Near(anchor.GetPoint(), onAnchor.Origin()));
    EXPECT_TRUE(kftest::Near(pivot.GetFrame().Origin(), onAnchor.Origin() + Vec3(0, 0, 1)));
    // Back on an anchor the pivot jumps to it.
    pivot.SetAnchor(&anchor);
    EXPECT_TRUE(pivot.GetFrame() == anchor.GetFrame());
}

TEST(PivotSO, FreePivotKeepsItsFrameUsable)
{
    PivotSO pivot;
    pivot.Rotate(Wml::Matrix3<float>(0, 0, 0, 0, 0, 0, 0, 0, 0), true);
    EXPECT_TRUE(pivot.GetFrame().IsValid());
    pivot.Translate(Vec3(NAN, 0, 0), true);
    EXPECT_TRUE(kftest::Near(pivot.GetFrame().Origin(), Vec3::ZERO));
    PivotSO fromBadFrame(Wml::Frame3<float>(Vec3(NAN, 0, 0)));
    EXPECT_TRUE(fromBadFrame.GetFrame().IsValid());
}

TEST(PivotSO, RecordKeepsSizeAndPlace)
{
    PivotSO pivot(Wml::Frame3<float>(Vec3(1, 2, 3)));
    pivot.InitializeParameters();
    ASSERT_TRUE(pivot.SetSize(0.25f));
    Wml::SerializerRecord record(1, "PivotSO");
    ASSERT_TRUE(pivot.Store(nullptr, &record));

    PivotSO copy;
    copy.InitializeParameters();
    ASSERT_TRUE(copy.Restore(nullptr, &record));
    EXPECT_FLOAT_EQ(copy.GetSize(), 0.25f);
    EXPECT_TRUE(kftest::Near(copy.GetFrame().Origin(), Vec3(1, 2, 3), 1e-4f));

    Wml::SerializerRecord hostile(2, "PivotSO");
    hostile.SetValue("PivotSize", -4.0f);
    ASSERT_TRUE(copy.Restore(nullptr, &hostile));
    EXPECT_FLOAT_EQ(copy.GetSize(), 0.25f);
}

// ---- anchors ----------------------------------------------------------------------------

TEST(SurfaceAnchor, FrameStandsOnTheSurfacePoint)
{
    EXPECT_STREQ(SurfaceAnchor().GetCategoryName(), "SurfaceAnchorType");
    EXPECT_STREQ(SurfaceAnchor().GetTypeName(), "SurfaceAnchor");
    struct Case {
        const char* name;
        Vec3 point, normal;
        bool ok;
    } cases[] = {
        {"up", Vec3(1, 2, 3), Vec3(0, 0, 1), true},
        {"sideways, not unit", Vec3(1, 2, 3), Vec3(0, 5, 0), true},
        {"down", Vec3(0, 0, 0), Vec3(0, 0, -1), true},
        {"zero normal", Vec3(0, 0, 0), Vec3::ZERO, false},
        {"non-finite normal", Vec3(0, 0, 0), Vec3(NAN, 0, 1), false},
        {"non-finite point", Vec3(INFINITY, 0, 0), Vec3(0, 0, 1), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wml::Frame3<float> frame(Vec3(9, 9, 9));
        EXPECT_EQ(SurfaceAnchor::FrameAtSurfacePoint(c.point, c.normal, frame), c.ok);
        if (!c.ok) {
            EXPECT_TRUE(kftest::Near(frame.Origin(), Vec3(9, 9, 9)));
            continue;
        }
        Vec3 n = c.normal;
        n.Normalize();
        EXPECT_TRUE(kftest::Near(frame.Origin(), c.point));
        EXPECT_TRUE(kftest::Near(frame.Z(), n));
        SurfaceAnchor anchor(frame);
        EXPECT_TRUE(kftest::Near(anchor.GetNormal(), n));
        EXPECT_TRUE(kftest::Near(anchor.GetFrame().X().Cross(anchor.GetFrame().Y()), n));
    }
}

TEST(SurfaceAnchor, RefusesMovesThatBreakTheFrame)
{
    SurfaceAnchor anchor(Wml::Frame3<float>(Vec3(1, 0, 0)));
    const Wml::Frame3<float> before = anchor.GetFrame();
    EXPECT_FALSE(anchor.Rotate(Wml::Matrix3<float>(2, 0, 0, 0, 1, 0, 0, 0, 1), true));    // stretch
    EXPECT_FALSE(anchor.Rotate(Wml::Matrix3<float>(-1, 0, 0, 0, 1, 0, 0, 0, 1), false));  // mirror
    EXPECT_FALSE(anchor.Translate(Vec3(NAN, 0, 0)));
    EXPECT_TRUE(anchor.GetFrame() == before);
    EXPECT_TRUE(anchor.Rotate(AxisAngle(Vec3(0, 1, 0), 0.25f * PI), true));
    EXPECT_FALSE(anchor.GetFrame() == before);
}

TEST(SurfaceAnchor, RecordRoundTrip)
{
    Wml::Frame3<float> frame;
    ASSERT_TRUE(SurfaceAnchor::FrameAtSurfacePoint(Vec3(0.5f, -1, 2), Vec3(1, 1, 0), frame));
    SurfaceAnchor anchor(frame);
    Wml::SerializerRecord record(1, "SurfaceAnchor");
    ASSERT_TRUE(anchor.Store(nullptr, &record));
    EXPECT_TRUE(record.HasKey("ID"));
    EXPECT_TRUE(record.HasKey("Name"));

    SurfaceAnchor copy;
    ASSERT_TRUE(copy.Restore(nullptr, &record));
    EXPECT_EQ(copy.GetName(), anchor.GetName());
    EXPECT_TRUE(kftest::Near(copy.GetPoint(), anchor.GetPoint()));
    EXPECT_TRUE(kftest::Near(copy.GetNormal(), anchor.GetNormal()));
    EXPECT_TRUE(kftest::Near(copy.GetFrame().X(), anchor.GetFrame().X()));
}

TEST(SurfaceAnchor, HostileRecordsChangeNothing)
{
    auto withFrame = [](const Wml::Frame3<float>& frame) {
        auto record = std::make_shared<Wml::SerializerRecord>(1, "SurfaceAnchor");
        record->SetValue("Name", "Intruder");
        record->SetValue("AnchorFrame", frame);
        return record;
    };
    Wml::Frame3<float> nanOrigin(Vec3(NAN, 0, 0));
    Wml::Frame3<float> zeroScale;
    zeroScale.Scale() = Vec3(1, 0, 1);
    Wml::Frame3<float> sheared;
    sheared.SetAxes(Vec3(1, 0, 0), Vec3(0.5f, 1, 0), Vec3(0, 0, 1));
    Wml::Frame3<float> mirrored;
    mirrored.SetAxes(Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, -1));
    Wml::Frame3<float> stretched;
    stretched.SetAxes(Vec3(3, 0, 0), Vec3(0, 3, 0), Vec3(0, 0, 3));
    auto wrongKind = std::make_shared<Wml::SerializerRecord>(1, "SurfaceAnchor");
    wrongKind->SetValue("Name", "Intruder");
    wrongKind->SetValue("AnchorFrame", 7u);
    auto missing = std::make_shared<Wml::SerializerRecord>(1, "SurfaceAnchor");
    missing->SetValue("Name", "Intruder");

    struct Case {
        const char* name;
        std::shared_ptr<Wml::SerializerRecord> record;
    } cases[] = {
        {"non-finite origin", withFrame(nanOrigin)},
        {"zero scale", withFrame(zeroScale)},
        {"sheared axes", withFrame(sheared)},
        {"mirrored axes", withFrame(mirrored)},
        {"stretched axes", withFrame(stretched)},
        {"frame of another kind", wrongKind},
        {"no frame", missing},
        {"no record", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceAnchor anchor(Wml::Frame3<float>(Vec3(1, 2, 3)));
        const Wml::Frame3<float> before = anchor.GetFrame();
        const std::string name = anchor.GetName();
        EXPECT_FALSE(anchor.Restore(nullptr, c.record.get()));
        EXPECT_TRUE(anchor.GetFrame() == before);
        EXPECT_EQ(anchor.GetName(), name);
    }
}

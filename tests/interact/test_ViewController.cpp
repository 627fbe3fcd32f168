// The view controller: camera moves in the right directions, the canonical
// views, listeners and the record.

#include <gtest/gtest.h>

#include <cmath>

#include "interact/ViewController.h"
#include "tests/support/Near.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/Serializer.h"

using vynui::ViewController;
using V3 = Wml::Vector3<float>;

namespace {

struct CountingListener : vynui::IViewListener {
    int count = 0;
    void OnViewChanged(ViewController&) override { ++count; }
};

// The start-up camera of the view.
struct Rig {
    Wml::ExtendedWmlCamera camera{640, 480};
    ViewController controller{&camera};
    CountingListener listener;
    Rig()
    {
        camera.SetFrameLookAt(V3(0, 0, 5), V3(-1, 0, 0), V3(0, 1, 0), V3(0, 0, 0));
        controller.AddViewListener(&listener);
    }
};

}  // namespace

TEST(ViewController, MovesGoTheWayTheHandsExpectAndNotify)
{
    {
        Rig rig;
        rig.controller.Dolly(0.5f, 0.5f);  // toward the target
        EXPECT_LT(rig.camera.GetTargetDistance(), 5.0f);
        rig.controller.Dolly(-3.0f, 0.0f);
        EXPECT_GT(rig.camera.GetTargetDistance(), 5.0f);
        EXPECT_EQ(rig.listener.count, 2);
    }
    {
        Rig rig;
        rig.controller.Pan(1.0f, 0.0f);  // camera and target to the camera's left (-X here)
        EXPECT_LT(rig.camera.GetLocation().X(), 0.0f);
        EXPECT_LT(rig.camera.GetTarget().X(), 0.0f);
        rig.controller.Pan(0.0f, 1.0f);
        EXPECT_GT(rig.camera.GetTarget().Y(), 0.0f);
        EXPECT_EQ(rig.listener.count, 2);
    }
    {
        // A drag to the right turns the scene with the hand: the camera
        // orbits the target, keeping its distance.
        Rig rig;
        rig.controller.CameraModeTumble(20, 0);
        EXPECT_NEAR(rig.camera.GetTargetDistance(), 5.0f, 1e-4f);
        EXPECT_NE(rig.camera.GetLocation().X(), 0.0f);
        EXPECT_NEAR(rig.camera.GetLocation().Y(), 0.0f, 1e-5f);
        Rig up;
        up.controller.CameraModeTumble(0, 20);
        EXPECT_NE(up.camera.GetLocation().Y(), 0.0f);
        EXPECT_NEAR(up.camera.GetLocation().X(), 0.0f, 1e-5f);
        // Tumble(a, b) orbits by -a: opposite amounts mirror each other.
        Rig left, right;
        left.controller.Tumble(0.3f, 0.0f, false);
        right.controller.Tumble(-0.3f, 0.0f, false);
        EXPECT_NEAR(left.camera.GetLocation().X(), -right.camera.GetLocation().X(), 1e-5f);
    }
    {
        // Camera-mode dolly: a right drag of dx, dy pixels moves by 0.07 dx + 0.02 dy.
        Rig a, b;
        a.controller.CameraModeDolly(10, 0);
        b.controller.Dolly(0.7f, 0.0f);
        EXPECT_FLOAT_EQ(a.camera.GetTargetDistance(), b.camera.GetTargetDistance());
        Rig c, d;
        c.controller.CameraModePan(100, -50);
        d.controller.Pan(1.0f, -0.5f);
        EXPECT_TRUE(kftest::Near(c.camera.GetLocation(), d.camera.GetLocation(), 1e-6f));
    }
    {
        // A snapped tumble lands on the 15 degree grid, level.
        Rig rig;
        for (int i = 0; i < 5; ++i) rig.controller.Tumble(0.031f, 0.017f, true);
        V3 offset = rig.camera.GetLocation() - rig.camera.GetTarget();
        float azimuth = std::atan2(offset.X(), offset.Z()) * 180.0f / 3.14159265f;
        float elevation = std::asin(offset.Y() / offset.Length()) * 180.0f / 3.14159265f;
        EXPECT_NEAR(std::remainder(azimuth, 15.0f), 0.0f, 1e-2f);
        EXPECT_NEAR(std::remainder(elevation, 15.0f), 0.0f, 1e-2f);
        EXPECT_NE(azimuth, 0.0f);
        EXPECT_NEAR(rig.camera.GetLeft().Y(), 0.0f, 1e-5f);
    }
    {
        Rig rig;
        rig.controller.Dolly(NAN, 0.0f);
        rig.controller.Pan(INFINITY, 0.0f);
        rig.controller.Tumble(NAN, 1.0f, false);
        EXPECT_TRUE(kftest::Near(rig.camera.GetLocation(), V3(0, 0, 5), 0.0f));
    }
}

TEST(ViewController, CanonicalViewsKeepTargetAndDistance)
{
    struct Row {
        const char* name;
        V3 offset, left, up;
    } rows[] = {
        {"Left", V3(-1, 0, 0), V3(0, 0, -1), V3(0, 1, 0)},
        {"Right", V3(1, 0, 0), V3(0, 0, 1), V3(0, 1, 0)},
        {"Top", V3(0, 1, 0), V3(-1, 0, 0),
         V3(0, 0, -1)},  // From below, up +Z and looking up +Y, a right-handed camera's left is -X
        // (+X would mirror the picture).
        {"Bottom", V3(0, -1, 0), V3(-1, 0, 0), V3(0, 0, 1)},
        {"Front", V3(0, 0, 1), V3(-1, 0, 0), V3(0, 1, 0)},
        {"Back", V3(0, 0, -1), V3(1, 0, 0), V3(0, 1, 0)},
    };
    const float r = std::sqrt(0.5f);
    const V3 target(1, 2, 3);
    for (const Row& row : rows) {
        Rig rig;
        rig.camera.SetFrameLookAt(V3(4, 6, 8), V3(-1, 0, 0), V3(0, 1, 0), target);
        float d = rig.camera.GetTargetDistance();
        ASSERT_TRUE(rig.controller.SetCanonicalView(row.name)) << row.name;
        EXPECT_TRUE(kftest::Near(rig.camera.GetLocation(), target + d * row.offset, 1e-4f)) << row.name;
        EXPECT_TRUE(kftest::Near(rig.camera.GetLeft(), row.left, 1e-5f)) << row.name;
        EXPECT_TRUE(kftest::Near(rig.camera.GetUp(), row.up, 1e-5f)) << row.name;
        EXPECT_TRUE(kftest::Near(rig.camera.GetTarget(), target, 1e-4f)) << row.name;
        EXPECT_EQ(rig.listener.count, 1);
    }
    // Three-quarter: above, left and behind, looking down at the target.
    Rig rig;
    ASSERT_TRUE(rig.controller.SetCanonicalView("ThreeQuarter"));
    EXPECT_TRUE(kftest::Near(rig.camera.GetLocation(), 5.0f * V3(-0.5f, r, -0.5f), 1e-4f));
    EXPECT_TRUE(kftest::Near(rig.camera.GetLeft(), V3(r, 0, -r), 1e-5f));
    EXPECT_TRUE(kftest::Near(rig.camera.GetUp(), V3(0.5f, r, 0.5f), 1e-5f));

    EXPECT_FALSE(rig.controller.SetCanonicalView("Sideways"));
    EXPECT_EQ(rig.listener.count, 1);
}

TEST(ViewController, RecordRoundTripAndRefusals)
{
    Rig rig;
    rig.controller.Tumble(0.4f, 0.2f, false);
    rig.controller.Dolly(1.0f, 0.0f);
    rig.controller.TogglePerspective();
    ASSERT_TRUE(rig.controller.SetWorldScaleFactor(2.5f));
    EXPECT_FALSE(rig.controller.SetWorldScaleFactor(0.0f));
    EXPECT_FALSE(rig.controller.SetWorldScaleFactor(NAN));
    EXPECT_FLOAT_EQ(rig.controller.GetWorldScaleFactor(), 2.5f);

    Wml::SerializerRecord record(1, "ViewController");
    rig.controller.Store(record);
    float stored = 0.0f;
    ASSERT_TRUE(record.GetValue("WorldScaleFactor", stored, 0.0f));
    EXPECT_FLOAT_EQ(stored, 2.5f);

    Rig other;
    int before = other.listener.count;
    ASSERT_TRUE(other.controller.Restore(record));
    EXPECT_GT(other.listener.count, before);
    EXPECT_EQ(other.camera.GetLocation(), rig.camera.GetLocation());
    EXPECT_EQ(other.camera.GetUp(), rig.camera.GetUp());
    EXPECT_FALSE(other.camera.IsPerspective());
    EXPECT_FLOAT_EQ(other.controller.GetWorldScaleFactor(), 2.5f);

    // A bad scale factor refuses the whole record; the view stays as it was.
    Rig third;
    Wml::SerializerRecord bad = record;
    bad.SetValue("WorldScaleFactor", -1.0f);
    EXPECT_FALSE(third.controller.Restore(bad));
    EXPECT_TRUE(kftest::Near(third.camera.GetLocation(), V3(0, 0, 5), 0.0f));
    EXPECT_FLOAT_EQ(third.controller.GetWorldScaleFactor(), 1.0f);
    Wml::SerializerRecord empty(2, "ViewController");
    EXPECT_FALSE(third.controller.Restore(empty));
    EXPECT_FLOAT_EQ(third.controller.GetWorldScaleFactor(), 1.0f);
}

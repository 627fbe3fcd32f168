#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "wml/Clock.h"
#include "wml/ExtendedWmlCamera.h"

using Wml::ExtendedWmlCamera;
using Wml::Ray3;
using Wml::Vector3;

namespace {

typedef Vector3<float> V3;

::testing::AssertionResult Near(const V3& a, const V3& b, double tol)
{
    for (int i = 0; i < 3; ++i)
        if (!(std::fabs(double(a[i]) - double(b[i])) <= tol))
            return ::testing::AssertionFailure() << "(" << a[0] << ", " << a[1] << ", " << a[2] << ") vs ("
                                                 << b[0] << ", " << b[1] << ", " << b[2] << ")";
    return ::testing::AssertionSuccess();
}

bool AllFinite(const V3& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

void ExpectConsistentFrame(const ExtendedWmlCamera& cam, double tol = 1e-5)
{
    EXPECT_NEAR(cam.GetLeft().Length(), 1.0, tol);
    EXPECT_NEAR(cam.GetUp().Length(), 1.0, tol);
    EXPECT_NEAR(cam.GetDirection().Length(), 1.0, tol);
    EXPECT_NEAR(cam.GetLeft().Dot(cam.GetUp()), 0.0, tol);
    EXPECT_TRUE(Near(cam.GetLeft().Cross(cam.GetUp()), cam.GetDirection(), tol));
    // The target sits on the view axis.
    EXPECT_TRUE(Near(cam.GetLocation() + cam.GetDirection() * cam.GetTargetDistance(), cam.GetTarget(),
                     tol * (1.0 + cam.GetTargetDistance())));
}

// The program's start-up camera in a viewport of odd size, so that one pixel
// centre is the exact viewport centre.
ExtendedWmlCamera FrontCamera(int width = 641, int height = 481)
{
    ExtendedWmlCamera cam(1, 1);
    cam.SetFrameLookAt(V3(0, 0, 5), V3(-1, 0, 0), V3(0, 1, 0), V3(0, 0, 0));
    cam.SetViewport(width, height);
    cam.SetFrustum(30.0f, float(width) / float(height), 0.1f, 100.0f);
    return cam;
}

}  // namespace

TEST(Camera, FrontViewAndMatrices)
{
    ExtendedWmlCamera cam = FrontCamera(640, 480);
    EXPECT_TRUE(Near(cam.GetDirection(), V3(0, 0, -1), 1e-7));
    EXPECT_FLOAT_EQ(cam.GetTargetDistance(), 5.0f);
    EXPECT_NEAR(cam.GetFieldOfViewY(), 30.0, 1e-4);
    EXPECT_NEAR(cam.GetAspectRatio(), 640.0 / 480.0, 1e-6);
    EXPECT_NEAR(cam.GetFrameMatrix().Determinant(), 1.0, 1e-6);

    float x, y, depth;
    ASSERT_TRUE(cam.Project(V3(0, 0, 0), x, y, depth));
    EXPECT_NEAR(x, 320.0, 1e-3);
    EXPECT_NEAR(y, 240.0, 1e-3);
    EXPECT_GT(depth, 0.0f);
    EXPECT_LT(depth, 1.0f);
    ASSERT_TRUE(cam.Project(V3(1, 0, 0), x, y, depth));
    EXPECT_GT(x, 320.0f);  // +X on the right
    EXPECT_NEAR(y, 240.0, 1e-3);
    ASSERT_TRUE(cam.Project(V3(0, 1, 0), x, y, depth));
    EXPECT_GT(y, 240.0f);  // +Y at the top (rows counted from the bottom)
    // Nearer points have smaller depth; near and far planes land on 0 and 1.
    float dNear, dFar, dMid;
    cam.Project(V3(0, 0, 4.9f), x, y, dNear);
    cam.Project(V3(0, 0, -95), x, y, dFar);
    cam.Project(V3(0, 0, 2), x, y, dMid);
    EXPECT_NEAR(dNear, 0.0, 1e-4);
    EXPECT_NEAR(dFar, 1.0, 1e-4);
    EXPECT_GT(dMid, dNear);
    EXPECT_LT(dMid, depth);
    // A point behind the camera has no image.
    EXPECT_FALSE(cam.Project(V3(0, 0, 6), x, y, depth));
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y) && std::isfinite(depth));

    // The view matrix takes the location to the eye and the target onto -z.
    float v[16];
    cam.GetViewMatrix(v);
    auto apply = [&](const V3& p) {
        return V3(v[0] * p[0] + v[4] * p[1] + v[8] * p[2] + v[12],
                  v[1] * p[0] + v[5] * p[1] + v[9] * p[2] + v[13],
                  v[2] * p[0] + v[6] * p[1] + v[10] * p[2] + v[14]);
    };
    EXPECT_TRUE(Near(apply(cam.GetLocation()), V3(0, 0, 0), 1e-6));
    EXPECT_TRUE(Near(apply(cam.GetTarget()), V3(0, 0, -5), 1e-6));
    EXPECT_TRUE(Near(apply(V3(1, 0, 0)), V3(1, 0, -5), 1e-6));

    // Projection matrix times view matrix gives the same pixel as Project.
    float p[16];
    cam.GetProjectionMatrix(p);
    V3 e = apply(V3(1, 0.5f, -2));
    float clipX = p[0] * e[0] + p[8] * e[2] + p[12], clipW = p[3] * e[0] + p[11] * e[2] + p[15];
    ASSERT_TRUE(cam.Project(V3(1, 0.5f, -2), x, y, depth));
    EXPECT_NEAR(x, 320.0 * (clipX / clipW + 1.0), 1e-3);
}

TEST(Camera, PickRays)
{
    for (bool perspective : {true, false}) {
        SCOPED_TRACE(perspective ? "perspective" : "orthographic");
        ExtendedWmlCamera cam = FrontCamera();
        cam.SetPerspective(perspective);
        cam.UpdateTurntable(0.7f, 0.3f, false);
        cam.PanLateral(0.4f);
        cam.DollyZoom(-1.0f);

        // Through the centre pixel: the view axis.
        Ray3<float> centre = cam.GetPickRay(320, 240, 641, 481);
        EXPECT_TRUE(Near(centre.Direction(), cam.GetDirection(), 1e-6));
        if (perspective) {
            EXPECT_EQ(centre.Origin(), cam.GetLocation());
        } else {
            // On the image plane, on the axis.
            EXPECT_TRUE(Near(centre.Origin(), cam.GetLocation() + cam.GetDirection() * cam.GetNear(), 1e-5));
        }
        EXPECT_TRUE(Near(cam.GetPickRay(320, 240).Direction(), centre.Direction(), 1e-7));

        // Every pick ray goes through its own pixel, at any depth.
        for (int px : {0, 13, 320, 500, 640})
            for (int py : {0, 77, 240, 480}) {
                Ray3<float> ray = cam.GetPickRay(px, py, 641, 481);
                EXPECT_NEAR(ray.Direction().Length(), 1.0, 1e-5);
                for (float s : {0.5f, 5.0f, 40.0f}) {
                    float x, y, depth;
                    ASSERT_TRUE(cam.Project(ray.PointAt(s), x, y, depth));
                    EXPECT_NEAR(x, px + 0.5, 2e-3);
                    EXPECT_NEAR(y, py + 0.5, 2e-3);
                }
            }

        // Pixels to the right pick rays leaning right, higher rows up.
        Ray3<float> right = cam.GetPickRay(600, 240, 641, 481);
        Ray3<float> top = cam.GetPickRay(320, 470, 641, 481);
        if (perspective) {
            EXPECT_GT(right.Direction().Dot(cam.GetRight()), 0.0f);
            EXPECT_GT(top.Direction().Dot(cam.GetUp()), 0.0f);
        } else {
            EXPECT_GT((right.Origin() - centre.Origin()).Dot(cam.GetRight()), 0.0f);
            EXPECT_GT((top.Origin() - centre.Origin()).Dot(cam.GetUp()), 0.0f);
        }
    }

    // An off-centre frustum: the centre pixel no longer looks down the axis,
    // but rays and projection still agree.
    ExtendedWmlCamera cam = FrontCamera();
    ASSERT_TRUE(cam.SetFrustum(-0.02f, 0.06f, -0.01f, 0.05f, 0.1f, 50.0f));
    Ray3<float> ray = cam.GetPickRay(100, 400, 641, 481);
    float x, y, depth;
    ASSERT_TRUE(cam.Project(ray.PointAt(7.0f), x, y, depth));
    EXPECT_NEAR(x, 100.5, 2e-3);
    EXPECT_NEAR(y, 400.5, 2e-3);
}

TEST(Camera, ProjectUnprojectRoundTrip)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (bool perspective : {true, false}) {
        ExtendedWmlCamera cam = FrontCamera(800, 600);
        cam.SetPerspective(perspective);
        cam.SetViewport(10, 20, 800, 600);
        cam.UpdateTurntable(-1.1f, 0.5f, false);
        for (int k = 0; k < 200; ++k) {
            V3 p = cam.GetTarget() + V3(u(gen), u(gen), u(gen)) * 2.0f;
            float x, y, depth;
            ASSERT_TRUE(cam.Project(p, x, y, depth));
            EXPECT_TRUE(Near(cam.Unproject(x, y, depth), p, 2e-3));
        }
        for (float wx : {10.0f, 300.0f, 809.0f})
            for (float wy : {20.0f, 333.0f, 619.0f})
                for (float d : {0.0f, 0.5f, 0.99f}) {
                    float x, y, depth;
                    ASSERT_TRUE(cam.Project(cam.Unproject(wx, wy, d), x, y, depth));
                    EXPECT_NEAR(x, wx, 5e-2);
                    EXPECT_NEAR(y, wy, 5e-2);
                    EXPECT_NEAR(depth, d, 2e-3);
                }
        // Depth 0 is the near plane along the view axis.
        V3 onNear = cam.Unproject(410.0f, 320.0f, 0.0f);
        EXPECT_NEAR((onNear - cam.GetLocation()).Dot(cam.GetDirection()), cam.GetNear(), 1e-4);
    }
}

TEST(Camera, OrthographicKeepsApparentSize)
{
    ExtendedWmlCamera cam = FrontCamera(640, 480);
    cam.DollyZoom(3.0f);
    V3 onTargetPlane = cam.GetTarget() + cam.GetRight() * 0.7f + cam.GetUp() * 0.3f;
    float xp, yp, xo, yo, d;
    ASSERT_TRUE(cam.Project(onTargetPlane, xp, yp, d));
    cam.SetPerspective(false);
    EXPECT_FALSE(cam.IsPerspective());
    ASSERT_TRUE(cam.Project(onTargetPlane, xo, yo, d));
    EXPECT_NEAR(xo, xp, 1e-2);
    EXPECT_NEAR(yo, yp, 1e-2);

    // Dolly zooms the orthographic view as well.
    float l, r, b, t;
    cam.GetOrthographicExtents(l, r, b, t);
    cam.DollyZoom(2.0f);
    float l2, r2, b2, t2;
    cam.GetOrthographicExtents(l2, r2, b2, t2);
    EXPECT_LT(r2 - l2, r - l);
    EXPECT_NEAR((r2 - l2) / (t2 - b2), (r - l) / (t - b), 1e-4);
}

TEST(Camera, Turntable)
{
    ExtendedWmlCamera cam = FrontCamera();
    const V3 target(1, 2, 3);
    cam.SetFrameLookAt(target + V3(0, 0, 6), V3(-1, 0, 0), V3(0, 1, 0), target);
    EXPECT_TRUE(Near(cam.GetTarget(), target, 0));

    // dx turns about world Y through the target: height and distance stay.
    cam.UpdateTurntable(Wml::Mathf::HALF_PI, 0.0f, false);
    EXPECT_TRUE(Near(cam.GetLocation(), target + V3(6, 0, 0), 1e-5));
    EXPECT_TRUE(Near(cam.GetLeft(), V3(0, 0, 1), 1e-6));
    EXPECT_TRUE(Near(cam.GetTarget(), target, 1e-6));

    // Positive dy raises the camera.
    cam.UpdateTurntable(0.0f, 0.3f, false);
    EXPECT_GT(cam.GetLocation().Y(), target.Y());
    EXPECT_NEAR((cam.GetLocation() - target).Y(), 6.0 * std::sin(0.3), 1e-4);
    EXPECT_TRUE(Near(cam.GetLeft(), V3(0, 0, 1), 1e-6));  // the pitch axis itself

    std::mt19937 gen(3);
    std::uniform_real_distribution<float> u(-0.4f, 0.4f);
    for (int k = 0; k < 500; ++k) {
        cam.UpdateTurntable(u(gen), u(gen), false);
        EXPECT_NEAR(cam.GetTargetDistance(), 6.0, 1e-4);
        EXPECT_TRUE(Near(cam.GetTarget(), target, 1e-6));
        EXPECT_GE(cam.GetUp().Y(), -1e-5f);  // never upside down
    }
    ExpectConsistentFrame(cam);

    // Past the pole it stops: straight above, looking down, then stays.
    cam.UpdateTurntable(0.0f, 10.0f, false);
    EXPECT_TRUE(Near(cam.GetDirection(), V3(0, -1, 0), 1e-5));
    EXPECT_TRUE(Near(cam.GetLocation(), target + V3(0, 6, 0), 1e-4));
    V3 leftAtPole = cam.GetLeft();
    cam.UpdateTurntable(0.0f, 0.5f, false);
    EXPECT_TRUE(Near(cam.GetDirection(), V3(0, -1, 0), 1e-5));
    EXPECT_TRUE(Near(cam.GetLeft(), leftAtPole, 1e-5));
    // And comes back down.
    cam.UpdateTurntable(0.0f, -0.5f, false);
    EXPECT_NEAR(cam.GetDirection().Y(), -std::cos(0.5), 1e-4);

    // The canonical top view: dy further up is refused, dy down works.
    cam.SetFrameLookAt(target + V3(0, 6, 0), V3(-1, 0, 0), V3(0, 0, -1), target);
    EXPECT_TRUE(Near(cam.GetUp(), V3(0, 0, -1), 1e-7));
    cam.UpdateTurntable(0.0f, 0.2f, false);
    EXPECT_TRUE(Near(cam.GetDirection(), V3(0, -1, 0), 1e-5));
    cam.UpdateTurntable(0.0f, -0.2f, false);
    EXPECT_GT(cam.GetUp().Y(), 0.1f);
    // A bottom view (up +Z) stops at its pole too.
    cam.SetFrameLookAt(target - V3(0, 6, 0), V3(1, 0, 0), V3(0, 0, 1), target);
    cam.UpdateTurntable(0.0f, -0.2f, false);
    EXPECT_TRUE(Near(cam.GetDirection(), V3(0, 1, 0), 1e-5));
}

TEST(Camera, SnappedTurntable)
{
    ExtendedWmlCamera cam = FrontCamera();
    const float step = ExtendedWmlCamera::SNAP_STEP_DEGREES * Wml::Mathf::DEG_TO_RAD;
    // Small steps accumulate: nothing visible until half a step is passed.
    cam.UpdateTurntable(0.02f, 0.0f, true);
    EXPECT_TRUE(Near(cam.GetLocation(), V3(0, 0, 5), 1e-5));
    for (int k = 0; k < 6; ++k) cam.UpdateTurntable(0.02f, 0.0f, true);  // 0.14 rad > 7.5 degrees
    EXPECT_TRUE(Near(cam.GetLocation(), V3(5 * std::sin(step), 0, 5 * std::cos(step)), 1e-4));

    // Any sequence lands on multiples of the step, level and at the distance.
    std::mt19937 gen(11);
    std::uniform_real_distribution<float> u(-0.3f, 0.3f);
    for (int k = 0; k < 100; ++k) {
        cam.UpdateTurntable(u(gen), u(gen), true);
        V3 w = cam.GetLocation() - cam.GetTarget();
        EXPECT_NEAR(w.Length(), 5.0, 1e-4);
        w.Normalize();
        float el = Wml::Mathf::ASin(w.Y()) / step;
        EXPECT_NEAR(el, std::round(el), 1e-3);
        if (std::fabs(w.Y()) < 0.99f) {
            float az = std::atan2(w.X(), w.Z()) / step;
            EXPECT_NEAR(az, std::round(az), 1e-3);
        }
        EXPECT_NEAR(cam.GetLeft().Y(), 0.0, 1e-6);
        ExpectConsistentFrame(cam);
    }

    // A rolled, arbitrary camera snaps to the nearest level view.
    cam.SetFrame(V3(0.2f, 0.1f, 5), V3(-1, 0.1f, 0), V3(0.1f, 1, 0), V3(-0.04f, -0.02f, -1));
    cam.UpdateTurntable(0.0f, 0.0f, true);
    EXPECT_TRUE(Near(cam.GetDirection(), V3(0, 0, -1), 1e-5));
    EXPECT_TRUE(Near(cam.GetUp(), V3(0, 1, 0), 1e-5));
}

TEST(Camera, DollyAndPan)
{
    ExtendedWmlCamera cam = FrontCamera();
    cam.UpdateTurntable(0.5f, 0.4f, false);
    const V3 target = cam.GetTarget(), dir = cam.GetDirection();
    float d0 = cam.GetTargetDistance();

    cam.DollyZoom(1.0f);
    EXPECT_NEAR(cam.GetTargetDistance(), d0 * std::exp(-1.0f / ExtendedWmlCamera::REFERENCE_DISTANCE), 1e-4);
    EXPECT_TRUE(Near(cam.GetTarget(), target, 1e-6));
    EXPECT_TRUE(Near(cam.GetDirection(), dir, 1e-7));
    cam.DollyZoom(-1.0f);
    EXPECT_NEAR(cam.GetTargetDistance(), d0, 1e-4);
    // Small amounts near the start-up distance are world units.
    ExtendedWmlCamera ref = FrontCamera();
    ref.DollyZoom(0.01f);
    EXPECT_NEAR(ref.GetTargetDistance(), 4.99, 1e-4);

    // Never reaches or passes the target.
    for (int k = 0; k < 20; ++k) cam.DollyZoom(50.0f);
    EXPECT_NEAR(cam.GetTargetDistance(), cam.GetMinimumTargetDistance(), 1e-5);
    EXPECT_GT((cam.GetTarget() - cam.GetLocation()).Dot(dir), 0.0f);
    EXPECT_TRUE(Near(cam.GetTarget(), target, 1e-6));
    cam.DollyZoom(std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(AllFinite(cam.GetLocation()));
    cam.DollyZoom(1e30f);
    EXPECT_TRUE(AllFinite(cam.GetLocation()));
    cam.DollyZoom(-1e30f);
    EXPECT_TRUE(AllFinite(cam.GetLocation()));
    ASSERT_TRUE(cam.SetTargetDistance(d0));

    // Pans move location and target together, across the view, in
    // proportion to the distance.
    V3 loc = cam.GetLocation(), tgt = cam.GetTarget();
    cam.PanLateral(0.5f);
    V3 moved = cam.GetLocation() - loc;
    EXPECT_TRUE(Near(cam.GetTarget() - tgt, moved, 1e-5));
    EXPECT_NEAR(moved.Dot(cam.GetDirection()), 0.0, 1e-5);
    EXPECT_TRUE(Near(moved, cam.GetLeft() * (0.5f * d0 / ExtendedWmlCamera::REFERENCE_DISTANCE), 1e-5));
    loc = cam.GetLocation();
    tgt = cam.GetTarget();
    cam.PanVertical(-0.25f);
    moved = cam.GetLocation() - loc;
    EXPECT_TRUE(Near(cam.GetTarget() - tgt, moved, 1e-5));
    EXPECT_TRUE(Near(moved, cam.GetUp() * (-0.25f * d0 / ExtendedWmlCamera::REFERENCE_DISTANCE), 1e-5));
    EXPECT_NEAR(cam.GetTargetDistance(), d0, 1e-4);

    ASSERT_TRUE(cam.SetTargetDistance(2 * d0));
    loc = cam.GetLocation();
    cam.PanLateral(0.5f);
    EXPECT_NEAR((cam.GetLocation() - loc).Length(), 2 * 0.5f * d0 / ExtendedWmlCamera::REFERENCE_DISTANCE,
                1e-4);
    ExpectConsistentFrame(cam);
}

TEST(Camera, FrameSettersAndDegenerateInput)
{
    ExtendedWmlCamera cam(0, 0);  // zero-size viewport from the start
    EXPECT_EQ(cam.GetViewportWidth(), 0);
    EXPECT_TRUE(std::isfinite(cam.GetAspectRatio()));
    Ray3<float> ray = cam.GetPickRay(5, 5, 0, 0);
    EXPECT_TRUE(Near(ray.Direction(), cam.GetDirection(), 1e-6));
    EXPECT_TRUE(AllFinite(cam.GetPickRay(3, 4).Direction()));
    float x, y, depth;
    cam.Project(V3(1, 2, 0), x, y, depth);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y) && std::isfinite(depth));
    EXPECT_TRUE(AllFinite(cam.Unproject(3, 4, 0.5f)));
    EXPECT_TRUE(AllFinite(cam.Unproject(3, 4, 5.0f)));  // beyond the far plane
    cam.SetViewport(-5, -7);
    EXPECT_EQ(cam.GetViewportHeight(), 0);
    ExtendedWmlCamera nanCam(std::numeric_limits<float>::quiet_NaN(), 3);
    EXPECT_TRUE(std::isfinite(nanCam.GetAspectRatio()));

    // Bad frusta are refused and the old one kept.
    float before[6], after[6];
    cam.GetFrustum(before[0], before[1], before[2], before[3], before[4], before[5]);
    EXPECT_FALSE(cam.SetFrustum(-1, 1, -1, 1, 0, 10));
    EXPECT_FALSE(cam.SetFrustum(-1, 1, -1, 1, 5, 5));
    EXPECT_FALSE(cam.SetFrustum(1, 1, -1, 1, 1, 10));
    EXPECT_FALSE(cam.SetFrustum(30.0f, 0.0f, 0.1f, 10.0f));
    EXPECT_FALSE(cam.SetFrustum(180.0f, 1.0f, 0.1f, 10.0f));
    EXPECT_FALSE(cam.SetFrustum(std::numeric_limits<float>::quiet_NaN(), 1.0f, 0.1f, 10.0f));
    cam.GetFrustum(after[0], after[1], after[2], after[3], after[4], after[5]);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(before[i], after[i]);

    // Frames: zero or NaN directions are refused; others made orthonormal
    // with the direction kept and up preferred over left.
    ExtendedWmlCamera c = FrontCamera();
    EXPECT_FALSE(c.SetFrame(V3(1, 1, 1), V3(-1, 0, 0), V3(0, 1, 0), V3(0, 0, 0)));
    EXPECT_FALSE(c.SetFrame(V3(std::numeric_limits<float>::infinity(), 0, 0), V3(-1, 0, 0), V3(0, 1, 0),
                            V3(0, 0, -1)));
    EXPECT_TRUE(Near(c.GetLocation(), V3(0, 0, 5), 0));
    ASSERT_TRUE(c.SetFrame(V3(0, 0, 5), V3(3, 0, 0), V3(0, 2, 0.5f), V3(0, 0, -2)));
    EXPECT_TRUE(Near(c.GetDirection(), V3(0, 0, -1), 1e-7));
    EXPECT_TRUE(Near(c.GetUp(), V3(0, 1, 0), 1e-7));
    EXPECT_TRUE(Near(c.GetLeft(), V3(-1, 0, 0), 1e-7));  // a left-handed left is corrected
    EXPECT_NEAR(c.GetTargetDistance(), 5.0, 1e-5);
    ExpectConsistentFrame(c);
    // Up along the view direction: left decides.
    ASSERT_TRUE(c.SetFrame(V3(0, 5, 0), V3(-1, 0, 0), V3(0, -1, 0), V3(0, -1, 0)));
    EXPECT_TRUE(Near(c.GetUp(), V3(0, 0, -1), 1e-7));
    // Both unusable: still a proper frame.
    ASSERT_TRUE(c.SetFrame(V3(0, 5, 0), V3(0, 0, 0), V3(0, 0, 0), V3(0, -1, 0)));
    ExpectConsistentFrame(c);

    // Looking at a target from the target itself keeps the minimum distance.
    ASSERT_TRUE(c.SetFrameLookAt(V3(1, 1, 1), V3(-1, 0, 0), V3(0, 1, 0), V3(1, 1, 1)));
    EXPECT_TRUE(Near(c.GetTarget(), V3(1, 1, 1), 0));
    EXPECT_NEAR(c.GetTargetDistance(), c.GetMinimumTargetDistance(), 1e-6);
    ExpectConsistentFrame(c);

    // SetTarget re-aims from the same place.
    ExtendedWmlCamera d = FrontCamera();
    ASSERT_TRUE(d.SetTarget(V3(5, 0, 0)));
    EXPECT_TRUE(Near(d.GetLocation(), V3(0, 0, 5), 0));
    EXPECT_NEAR(d.GetTargetDistance(), std::sqrt(50.0), 1e-5);
    EXPECT_TRUE(Near(d.GetUp(), V3(0, 1, 0), 1e-6));
    ExpectConsistentFrame(d);
    d.SetMinimumTargetDistance(20.0f);
    EXPECT_NEAR(d.GetTargetDistance(), 20.0, 1e-4);
    EXPECT_TRUE(Near(d.GetTarget(), V3(5, 0, 0), 0));

    // NaN motion is ignored.
    V3 loc = d.GetLocation();
    d.UpdateTurntable(std::numeric_limits<float>::quiet_NaN(), 0.1f, false);
    d.PanLateral(std::numeric_limits<float>::infinity());
    d.PanVertical(std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(Near(d.GetLocation(), loc, 0));
}

TEST(Clock, TimeSourceDrivesTheClock)
{
    double now = 100.0;
    Wml::Clock clock([&] { return now; });
    EXPECT_EQ(clock.CurrentTimeInSeconds(), 0.0);
    now = 101.5;
    EXPECT_DOUBLE_EQ(clock.CurrentTimeInSeconds(), 1.5);
    clock.Start();
    EXPECT_EQ(clock.CurrentTimeInSeconds(), 0.0);
    now = 102.0;
    EXPECT_DOUBLE_EQ(clock.CurrentTimeInSeconds(), 0.5);

    // Switching sources restarts, since readings do not compare.
    double other = 7.0;
    clock.SetTimeSource([&] { return other; });
    EXPECT_EQ(clock.CurrentTimeInSeconds(), 0.0);
    other = 9.25;
    EXPECT_DOUBLE_EQ(clock.CurrentTimeInSeconds(), 2.25);

    // Back on the steady clock: never negative, never going backwards.
    clock.SetTimeSource(nullptr);
    double a = clock.CurrentTimeInSeconds();
    double b = clock.CurrentTimeInSeconds();
    EXPECT_GE(a, 0.0);
    EXPECT_GE(b, a);
}

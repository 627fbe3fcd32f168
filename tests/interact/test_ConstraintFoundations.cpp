// Candidate axes and their matching against a screen direction, the screen
// tests of link gestures (crossings, object circles) and the arrow geometry
// of links and suggested axes.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "interact/CandidateAxes.h"
#include "interact/ConstraintLink.h"
#include "interact/ConstraintScreenGeometry.h"
#include "interact/LinkArrow.h"
#include "interact/PivotSO.h"
#include "interact/SurfaceAnchor.h"
#include "scene/BillboardSO.h"
#include "tests/support/Near.h"
#include "wml/ExtendedWmlCamera.h"

using vynui::ConstraintDescription;
using Vec2 = Wml::Vector2<float>;
using Vec3 = Wml::Vector3<float>;

namespace {

const float DEG = 3.14159265f / 180.0f;

// The default camera: at (0, 0, 5) looking down -Z, +X to the right, +Y up,
// in a 400 x 300 viewport.
Wml::ExtendedWmlCamera MakeCamera()
{
    Wml::ExtendedWmlCamera camera(400.0f, 300.0f);
    return camera;
}

Wml::Frame3<float> TurnedAboutZ(float degrees, const Vec3& origin = Vec3::ZERO)
{
    Wml::Matrix3<float> m;
    m.FromAxisAngle(Vec3(0, 0, 1), degrees * DEG);
    Wml::Frame3<float> frame(origin);
    frame.Rotate(m, true);
    return frame;
}

ConstraintDescription Candidate(int mode, const Vec3& axis)
{
    ConstraintDescription d;
    d.frameMode = mode;
    d.axis = axis;
    d.axis.Normalize();
    return d;
}

Vec2 Dir(float degrees)
{
    return Vec2(std::cos(degrees * DEG), std::sin(degrees * DEG));
}

}  // namespace

// ---- candidate list -------------------------------------------------------

TEST(CandidateAxes, ObjectThenWorldThenAnchorAxesEachBothWays)
{
    const Wml::Frame3<float> object = TurnedAboutZ(30.0f, Vec3(4, 4, 4));
    const Wml::Frame3<float> anchor = Wml::Frame3<float>::FromOriginAndNormal(Vec3(1, 0, 0), Vec3(1, 0, 0));
    const Vec3 origin(1, 2, 3);
    const auto list = vynui::BuildCandidateAxes(object, &anchor, origin);
    ASSERT_EQ(list.size(), 18u);
    const Wml::Frame3<float> world;
    const Wml::Frame3<float>* frames[3] = {&object, &world, &anchor};
    const int modes[3] = {1, 0, 2};
    for (int group = 0; group < 3; ++group)
        for (int axis = 0; axis < 3; ++axis)
            for (int sign = 0; sign < 2; ++sign) {
                const ConstraintDescription& c = list[static_cast<size_t>(group * 6 + axis * 2 + sign)];
                SCOPED_TRACE(testing::Message() << "group " << group << " axis " << axis << " sign " << sign);
                EXPECT_EQ(c.frameMode, modes[group]);
                EXPECT_EQ(c.kind, vynui::VECTOR_CONSTRAINT);
                EXPECT_TRUE(kftest::Near(c.axis, frames[group]->GetAxis(axis) * (sign ? -1.0f : 1.0f)));
                EXPECT_TRUE(kftest::Near(c.origin, origin));
                EXPECT_EQ(c.color[0], vynui::FrameModeColor(modes[group])[0]);
                EXPECT_EQ(c.color[1], vynui::FrameModeColor(modes[group])[1]);
                EXPECT_FLOAT_EQ(c.radius, vynui::RotationRadiusForMode(modes[group]));
            }
}

TEST(CandidateAxes, AnchorAxesOnlyForAPivotOnAnAnchor)
{
    vynui::SurfaceAnchor anchor(Wml::Frame3<float>::FromOriginAndNormal(Vec3(0, 1, 0), Vec3(0, 1, 0)));
    vynui::PivotSO anchored(&anchor);
    vynui::PivotSO free(TurnedAboutZ(10.0f));
    vynui::BillboardSO billboard;
    struct Case {
        const char* name;
        vynui::SceneObject* selected;
        size_t count;
    } cases[] = {
        {"pivot on anchor", &anchored, 18},
        {"free pivot", &free, 12},
        {"other object", &billboard, 12},
        {"nothing selected", nullptr, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto list = vynui::BuildCandidateAxes(c.selected, Vec3(0, 0, 1));
        ASSERT_EQ(list.size(), c.count);
        if (c.count == 18) {
            EXPECT_EQ(list[12].frameMode, 2);
            EXPECT_TRUE(kftest::Near(list[16].axis, anchor.GetNormal()));
        }
        if (c.count == 6) {
            EXPECT_EQ(list[0].frameMode, 0);
        }
        if (c.selected == &free) {
            EXPECT_TRUE(kftest::Near(list[0].axis, free.GetFrame().X()));
        }
    }
}

// ---- matching ---------------------------------------------------------------

TEST(CandidateAxes, MatchingPicksTheAxisAlongTheStroke)
{
    const Wml::ExtendedWmlCamera camera = MakeCamera();
    // Object axes 40 degrees off the world axes, so every direction has a
    // clear winner.
    const auto list = vynui::BuildCandidateAxes(TurnedAboutZ(40.0f), nullptr, Vec3::ZERO);
    struct Case {
        float strokeDegrees;
        int expected;
    } cases[] = {
        {40.0f, 0},   // object +x
        {220.0f, 1},  // object -x
        {130.0f, 2},  // object +y (screen y counts upward)
        {0.0f, 6},    // world +X
        {180.0f, 7},  // world -X
        {90.0f, 8},   // world +Y
        {270.0f, 9},  // world -Y
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strokeDegrees);
        EXPECT_EQ(vynui::MatchCandidateAxis(list, Dir(c.strokeDegrees), 0.9f, true, camera), c.expected);
        // The stroke's length plays no part.
        EXPECT_EQ(vynui::MatchCandidateAxis(list, Dir(c.strokeDegrees) * 37.0f, 0.9f, true, camera),
                  c.expected);
    }
}

TEST(CandidateAxes, NearTiesFavourObjectAxesOnlyWithTheFilter)
{
    const Wml::ExtendedWmlCamera camera = MakeCamera();
    struct Case {
        const char* name;
        std::vector<ConstraintDescription> list;
        bool filter;
        int expected;
    } cases[] = {
        // cos 5 deg = 0.9962: the world axis is better by less than 0.01.
        {"object axis keeps a near tie",
         {Candidate(1, Vec3(std::cos(5 * DEG), std::sin(5 * DEG), 0)), Candidate(0, Vec3(1, 0, 0))},
         true,
         0},
        {"without the filter the better one wins",
         {Candidate(1, Vec3(std::cos(5 * DEG), std::sin(5 * DEG), 0)), Candidate(0, Vec3(1, 0, 0))},
         false,
         1},
        // cos 15 deg = 0.966: better by more than 0.01.
        {"a clearly better axis beats the object axis",
         {Candidate(1, Vec3(std::cos(15 * DEG), std::sin(15 * DEG), 0)), Candidate(0, Vec3(1, 0, 0))},
         true,
         1},
        {"no preference for a world axis",
         {Candidate(0, Vec3(std::cos(5 * DEG), std::sin(5 * DEG), 0)), Candidate(2, Vec3(1, 0, 0))},
         true,
         1},
        {"no preference for an anchor axis",
         {Candidate(2, Vec3(std::cos(5 * DEG), std::sin(5 * DEG), 0)), Candidate(1, Vec3(1, 0, 0))},
         true,
         1},
        {"exact tie: the earlier wins", {Candidate(0, Vec3(1, 0, 0)), Candidate(2, Vec3(1, 0, 0))}, true, 0},
        {"exact tie without filter", {Candidate(2, Vec3(1, 0, 0)), Candidate(1, Vec3(1, 0, 0))}, false, 0},
        // Every later near-tie is measured against the object axis.
        {"object axis keeps a near tie against several",
         {Candidate(1, Vec3(std::cos(5 * DEG), std::sin(5 * DEG), 0)), Candidate(0, Vec3(1, 0, 0)),
          Candidate(2, Vec3(1, 0, 0))},
         true,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vynui::MatchCandidateAxis(c.list, Vec2(1, 0), 0.9f, c.filter, camera), c.expected);
    }
}

TEST(CandidateAxes, FilterViewLimitAndNoPositiveScore)
{
    const Wml::ExtendedWmlCamera camera = MakeCamera();
    const Vec3 steep(0.3f, 0.0f, std::sqrt(1.0f - 0.09f));  // |view . axis| = 0.954
    struct Case {
        const char* name;
        std::vector<ConstraintDescription> list;
        Vec2 d;
        float limit;
        bool filter;
        int expected;
    } cases[] = {
        {"mode 4 is filtered out", {Candidate(4, Vec3(1, 0, 0))}, Vec2(1, 0), 0.9f, true, -1},
        {"mode 4 counts without the filter", {Candidate(4, Vec3(1, 0, 0))}, Vec2(1, 0), 0.9f, false, 0},
        {"mode 3 is filtered out",
         {Candidate(3, Vec3(1, 0, 0)), Candidate(0, Vec3(0, 1, 0))},
         Vec2(1, 0.1f),
         0.9f,
         true,
         1},
        {"axis at the viewer", {Candidate(0, Vec3(0, 0, 1))}, Vec2(1, 0), 0.9f, false, -1},
        {"steep axis beyond the line limit", {Candidate(0, steep)}, Vec2(1, 0), 0.9f, true, -1},
        {"steep axis within the re-aim limit", {Candidate(0, steep)}, Vec2(1, 0), 0.965f, false, 0},
        {"only opposite or crossing axes",
         {Candidate(0, Vec3(-1, 0, 0)), Candidate(0, Vec3(0, 1, 0))},
         Vec2(1, 0),
         0.9f,
         true,
         -1},
        {"zero stroke direction", {Candidate(0, Vec3(1, 0, 0))}, Vec2(0, 0), 0.9f, true, -1},
        {"non-finite stroke direction", {Candidate(0, Vec3(1, 0, 0))}, Vec2(NAN, 0), 0.9f, true, -1},
        {"no candidates", {}, Vec2(1, 0), 0.9f, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vynui::MatchCandidateAxis(c.list, c.d, c.limit, c.filter, camera), c.expected);
    }
}

TEST(CandidateAxes, ScoreIsTheCosineOnScreen)
{
    const Wml::ExtendedWmlCamera camera = MakeCamera();
    // A steep axis still scores by its screen direction, not its 3D one.
    const ConstraintDescription c = Candidate(0, Vec3(0.6f, 0.0f, 0.8f));
    EXPECT_NEAR(vynui::ScoreCandidateAxis(c, Vec2(1, 0), 0.9f, true, camera), 1.0f, 1e-4f);
    EXPECT_NEAR(vynui::ScoreCandidateAxis(c, Dir(60.0f), 0.9f, true, camera), 0.5f, 1e-4f);
    EXPECT_NEAR(vynui::ScoreCandidateAxis(c, Vec2(-1, 0), 0.9f, true, camera), -1.0f, 1e-4f);
    // Behind the eye there is no screen direction.
    ConstraintDescription behind = Candidate(0, Vec3(1, 0, 0));
    behind.origin = Vec3(0, 0, 9);
    EXPECT_EQ(vynui::ScoreCandidateAxis(behind, Vec2(1, 0), 0.9f, true, camera), 0.0f);
}

TEST(CandidateAxes, AxesAtTheViewerAreNotShown)
{
    const Vec3 view(0, 0, -1);
    struct Case {
        Vec3 axis;
        bool shown;
    } cases[] = {
        {Vec3(1, 0, 0), true},
        {Vec3(0, 0, 1), false},
        {Vec3(0, 0, -1), false},
        {Vec3(0.27f, 0, std::sqrt(1 - 0.27f * 0.27f)), true},    // |dot| 0.9629
        {Vec3(0.25f, 0, -std::sqrt(1 - 0.25f * 0.25f)), false},  // |dot| 0.9682
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.axis.X() << " " << c.axis.Z());
        EXPECT_EQ(vynui::IsCandidateAxisShown(Candidate(0, c.axis), view), c.shown);
    }
}

// ---- crossing a link ------------------------------------------------------------

TEST(ConstraintScreenGeometry, CrossingNeedsASteepAngle)
{
    // The link runs along the x axis from (0, 0) to (100, 0).
    const Vec2 b0(0, 0), b1(100, 0);
    auto leg = [](float cosine, float through) {
        const float sine = std::sqrt(1.0f - cosine * cosine);
        return std::make_pair(Vec2(through - 20 * cosine, -20 * sine),
                              Vec2(through + 20 * cosine, 20 * sine));
    };
    struct Case {
        const char* name;
        Vec2 a0, a1;
        bool crosses;
    } cases[] = {
        {"perpendicular", Vec2(50, -10), Vec2(50, 10), true},
        {"perpendicular reversed", Vec2(50, 10), Vec2(50, -10), true},
        {"|cos| 0.19", leg(0.19f, 50).first, leg(0.19f, 50).second, true},
        {"|cos| 0.19 other way", leg(-0.19f, 50).first, leg(-0.19f, 50).second, true},
        {"|cos| 0.21", leg(0.21f, 50).first, leg(0.21f, 50).second, false},
        {"shallow", Vec2(40, -1), Vec2(60, 1), false},
        {"perpendicular beyond the end", Vec2(120, -10), Vec2(120, 10), false},
        {"perpendicular short of the link", Vec2(50, 5), Vec2(50, 10), false},
        {"touching the end", Vec2(100, 0), Vec2(100, 10), true},
        {"one-point leg", Vec2(50, 0), Vec2(50, 0), false},
        {"non-finite leg", Vec2(50, NAN), Vec2(50, 10), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vynui::SegmentsCrossSteeply(c.a0, c.a1, b0, b1), c.crosses);
    }
    EXPECT_FALSE(vynui::SegmentsCrossSteeply(Vec2(50, -10), Vec2(50, 10), b0, b0));
}

TEST(ConstraintScreenGeometry, LinkSegmentRunsFromTheLinkedObjectToTheFrame)
{
    const Wml::ExtendedWmlCamera camera = MakeCamera();
    vynui::BillboardSO object;
    object.Translate(Vec3(-1, 0, 0), false);
    vynui::PivotSO pivot(Wml::Frame3<float>(Vec3(1, 0, 0)));
    vynui::ConstraintLink link;
    link.linked = &object;
    link.target = &pivot;
    Vec2 from, to;
    ASSERT_TRUE(vynui::LinkScreenSegment(link, camera, from, to));
    Vec2 expectedFrom, expectedTo;
    ASSERT_TRUE(vynui::ProjectToScreen(camera, Vec3(-1, 0, 0), expectedFrom));
    ASSERT_TRUE(vynui::ProjectToScreen(camera, Vec3(1, 0, 0), expectedTo));
    EXPECT_TRUE(kftest::Near(from, expectedFrom, 1e-3f));
    EXPECT_TRUE(kftest::Near(to, expectedTo, 1e-3f));
    EXPECT_LT(from.X(), 200.0f);
    EXPECT_GT(to.X(), 200.0f);

    // A fixed frame is used when the link has no target object.
    link.target = nullptr;
    link.fixedFrame = Wml::Frame3<float>(Vec3(0, 1, 0));
    ASSERT_TRUE(vynui::LinkScreenSegment(link, camera, from, to));
    EXPECT_GT(to.Y(), 150.0f);
    EXPECT_NEAR(to.X(), 200.0f, 1e-3f);

    link.fixedFrame = Wml::Frame3<float>(Vec3(0, 0, 6));  // behind the eye
    EXPECT_FALSE(vynui::LinkScreenSegment(link, camera, from, to));
    link.linked = nullptr;
    EXPECT_FALSE(vynui::LinkScreenSegment(link, camera, from, to));
}

// ---- screen circles ---------------------------------------------------------------

TEST(ConstraintScreenGeometry, BoundsCircleHoldsTheProjectedBox)
{
    const Wml::ExtendedWmlCamera camera = MakeCamera();
    const Wml::AxisAlignedBox3<float> box(0.5f, 1.5f, -0.5f, 0.5f, -0.5f, 0.5f);
    Vec2 centre;
    float radius = 0.0f;
    ASSERT_TRUE(vynui::ProjectedBoundsCircle(box, camera, centre, radius));
    Vec2 expectedCentre;
    ASSERT_TRUE(vynui::ProjectToScreen(camera, box.Center(), expectedCentre));
    EXPECT_TRUE(kftest::Near(centre, expectedCentre, 1e-3f));
    // The front corners project farthest from the centre; the circle
    // reaches the farthest corner and holds them all.
    Vec2 front;
    ASSERT_TRUE(vynui::ProjectToScreen(camera, Vec3(1.5f, 0.5f, 0.5f), front));
    EXPECT_NEAR(radius, (front - centre).Length(), 1e-3f);
    for (int i = 0; i < 8; ++i) {
        Vec2 p;
        ASSERT_TRUE(vynui::ProjectToScreen(
            camera, Vec3(i & 1 ? 1.5f : 0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f), p));
        EXPECT_LE((p - centre).Length(), radius + 1e-3f);
    }

    struct Bad {
        const char* name;
        Wml::AxisAlignedBox3<float> box;
    } bad[] = {
        {"empty", Wml::AxisAlignedBox3<float>()},
        {"behind the eye", Wml::AxisAlignedBox3<float>(-1, 1, -1, 1, 6, 7)},
        {"straddling the eye plane", Wml::AxisAlignedBox3<float>(-1, 1, -1, 1, 0, 7)},
        {"not finite", Wml::AxisAlignedBox3<float>(-1, 1, -1, NAN, 0, 1)},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        Vec2 c(-7, -7);
        float r = -7.0f;
        EXPECT_FALSE(vynui::ProjectedBoundsCircle(b.box, camera, c, r));
        EXPECT_EQ(r, -7.0f);
    }
}

TEST(ConstraintScreenGeometry, SegmentAgainstCircle)
{
    const Vec2 centre(100, 100);
    struct Case {
        const char* name;
        Vec2 p0, p1;
        float radius;
        bool meets;
    } cases[] = {
        {"through the middle", Vec2(0, 100), Vec2(200, 100), 10, true},
        {"passing by", Vec2(0, 120), Vec2(200, 120), 10, false},
        {"grazing", Vec2(0, 110), Vec2(200, 110), 10, true},
        {"stopping short", Vec2(0, 100), Vec2(85, 100), 10, false},
        {"ending inside", Vec2(0, 100), Vec2(95, 100), 10, true},
        {"wholly inside", Vec2(98, 99), Vec2(102, 101), 10, true},
        {"one point inside", Vec2(101, 101), Vec2(101, 101), 10, true},
        {"one point outside", Vec2(150, 150), Vec2(150, 150), 10, false},
        {"line would meet, segment does not", Vec2(120, 100), Vec2(200, 100), 10, false},
        {"negative radius", Vec2(0, 100), Vec2(200, 100), -1, false},
        {"non-finite radius", Vec2(0, 100), Vec2(200, 100), NAN, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vynui::SegmentMeetsCircle(c.p0, c.p1, centre, c.radius), c.meets);
    }
}

// ---- arrows ---------------------------------------------------------------------

TEST(LinkArrow, VisibilityFadesAsTheDirectionFacesTheViewer)
{
    const Vec3 view(0, 0, -1);
    struct Case {
        float x;  // 1 - |view . direction|
        float visibility;
    } cases[] = {{0.0f, 0.0f},           {0.002f, 0.0f}, {0.019f, 0.5f},
                 {0.03f, 27.0f / 32.0f}, {0.04f, 1.0f},  {1.0f, 1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        const float along = 1.0f - c.x;
        const Vec3 dir(std::sqrt(std::max(0.0f, 1.0f - along * along)), 0.0f, along);
        EXPECT_NEAR(vynui::AxisVisibility(view, dir), c.visibility, 2e-3f);
        EXPECT_NEAR(vynui::AxisVisibility(view, -dir * 3.0f), c.visibility, 2e-3f);
    }
    EXPECT_EQ(vynui::AxisVisibility(view, Vec3::ZERO), 0.0f);
    EXPECT_EQ(vynui::AxisVisibility(view, Vec3(NAN, 0, 0)), 0.0f);
}

TEST(LinkArrow, LinkArrowStopsAtThePivot)
{
    const Vec3 eye(0, 0, 5), view(0, 0, -1);
    vynui::BillboardSO object;
    vynui::PivotSO pivot(Wml::Frame3<float>(Vec3(1, 0, 0)));
    ASSERT_TRUE(pivot.SetSize(0.1f));
    vynui::ConstraintLink link;
    link.linked = &object;
    link.target = &pivot;

    const float k = 2.0f, w = 0.015f * k, head = 2.25f * w;
    const vynui::ArrowGeometry arrow = vynui::ComputeLinkArrow(link, eye, view, k);
    ASSERT_TRUE(arrow.valid);
    const float L = 1.0f - (0.1f + head);
    // The arrow lies in the plane facing the eye: across it along y.
    EXPECT_TRUE(kftest::Near(arrow.shaft[0], Vec3(0, -w, 0)) || kftest::Near(arrow.shaft[0], Vec3(0, w, 0)));
    EXPECT_NEAR(std::fabs(arrow.shaft[0].Y() - arrow.shaft[1].Y()), 2 * w, 1e-6f);
    EXPECT_NEAR(arrow.shaft[2].X(), L, 1e-6f);
    EXPECT_NEAR(arrow.head[0].X(), L - 0.001f * k, 1e-6f);
    EXPECT_NEAR(std::fabs(arrow.head[0].Y() - arrow.head[1].Y()), 2 * head, 1e-6f);
    EXPECT_TRUE(kftest::Near(arrow.head[2], Vec3(L - 0.001f * k + head, 0, 0)));
    // The tip stops just short of the marker.
    EXPECT_NEAR(arrow.head[2].X(), 1.0f - 0.1f - 0.001f * k, 1e-6f);
    EXPECT_FLOAT_EQ(arrow.visibility, 1.0f);
    EXPECT_TRUE(kftest::Near(arrow.outline[3], arrow.head[2]));

    // To any other object (or a fixed frame) the arrow is the full distance.
    vynui::BillboardSO other;
    other.Translate(Vec3(0, 2, 0), false);
    link.target = &other;
    const vynui::ArrowGeometry full = vynui::ComputeLinkArrow(link, eye, view, k);
    ASSERT_TRUE(full.valid);
    EXPECT_NEAR(full.shaft[2].Y(), 2.0f, 1e-6f);

    // An object inside the pivot's marker has no arrow.
    link.target = &pivot;
    object.Translate(Vec3(0.95f, 0, 0), false);
    EXPECT_FALSE(vynui::ComputeLinkArrow(link, eye, view, k).valid);
}

TEST(LinkArrow, DegenerateArrowsAreNotDrawn)
{
    const Vec3 eye(0, 0, 5), view(0, 0, -1);
    struct Case {
        const char* name;
        Vec3 start, dir;
        float length, k;
    } cases[] = {
        {"zero length", Vec3::ZERO, Vec3(1, 0, 0), 0.0f, 1.0f},
        {"zero direction", Vec3::ZERO, Vec3::ZERO, 1.0f, 1.0f},
        {"pointing at the eye", Vec3::ZERO, Vec3(0, 0, 1), 1.0f, 1.0f},
        {"zero scale", Vec3::ZERO, Vec3(1, 0, 0), 1.0f, 0.0f},
        {"not finite", Vec3(NAN, 0, 0), Vec3(1, 0, 0), 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(vynui::ComputeArrow(c.start, c.dir, c.length, eye, view, c.k).valid);
    }
    const vynui::ArrowGeometry suggested =
        vynui::ComputeSuggestedAxisArrow(Vec3(0, 1, 0), Vec3(0, 3, 0), eye, view, 0.5f);
    ASSERT_TRUE(suggested.valid);
    EXPECT_NEAR(suggested.shaft[2].Y() - 1.0f, vynui::SUGGESTED_AXIS_ARROW_LENGTH * 0.5f, 1e-6f);
}

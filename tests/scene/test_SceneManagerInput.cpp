// Taps and scribbles on a scene seen through a real camera: the pick ray goes
// through the tapped pixel and meets the shapes' surfaces.

#include <gtest/gtest.h>

#include "interact/ITool3D.h"
#include "scene/BillboardSO.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "wml/Box2.h"

using namespace scenemgr_test;
using vynui::SceneObject;

namespace {

Wml::Box2<float> BoxAround(const Wml::Vector2<float>& centre, float half)
{
    return Wml::Box2<float>(centre, Wml::Vector2<float>(1, 0), Wml::Vector2<float>(0, 1), half, half);
}

const Wml::Vector3<float> kLeft(-1.5f, 0.0f, 0.0f);
const Wml::Vector3<float> kRight(1.5f, 0.0f, 0.0f);
const Wml::Vector3<float> kEmpty(0.0f, 1.2f, 0.0f);

}  // namespace

TEST(SceneManagerInput, TapSelectsTheShapeUnderThePixel)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* left = rig.PointAt(kLeft);
    BlobTreeNodeSceneObject* right = rig.PointAt(kRight);
    // Above and below the middle: a tap must not pick the mirrored row.
    BlobTreeNodeSceneObject* high = rig.PointAt(Wml::Vector3<float>(0.0f, 2.4f, 0.0f));
    struct Case {
        Wml::Vector3<float> where;
        SceneObject* expected;
    };
    const Case cases[] = {{kLeft, left},
                          {kRight, right},
                          {kLeft + Wml::Vector3<float>(0, 0.3f, 0), left},
                          {kEmpty, nullptr},
                          {Wml::Vector3<float>(0.0f, 2.4f, 0.0f), high},
                          {Wml::Vector3<float>(0.0f, -2.4f, 0.0f), nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where.X());
        rig.recorder.events.clear();
        EXPECT_TRUE(rig.scene->OnTap(rig.TapAt(c.where)));
        if (c.expected) {
            EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{c.expected});
            EXPECT_TRUE(rig.tools.IsShown());
            EXPECT_EQ(rig.tools.GetTargetGroup().GetTargets(), std::vector<SceneObject*>{c.expected});
        } else {
            EXPECT_TRUE(rig.Objects().GetSelection().Empty());
        }
        EXPECT_EQ(rig.recorder.events, std::vector<std::string>{"picked"});
    }
}

TEST(SceneManagerInput, TapOnEmptySpaceKeepsTheDynamicToolShown)
{
    struct Case {
        const char* tool;
        bool shownAfter;
    };
    const Case cases[] = {{"DynamicTool3D", true}, {"Translation3D", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        SceneRig rig;
        BlobTreeNodeSceneObject* left = rig.PointAt(kLeft);
        ASSERT_TRUE(rig.tools.SetActiveTool(c.tool)) << c.tool;
        rig.scene->OnTap(rig.TapAt(kLeft));
        ASSERT_EQ(rig.Selection(), std::vector<SceneObject*>{left});
        rig.scene->OnTap(rig.TapAt(kEmpty));
        EXPECT_TRUE(rig.Objects().GetSelection().Empty());
        EXPECT_EQ(rig.tools.IsShown(), c.shownAfter);
    }
}

TEST(SceneManagerInput, AHandleOfTheSelectedObjectComesBeforeTheShape)
{
    SceneRig rig;
    rig.PointAt(Wml::Vector3<float>(0, 0, 0));
    // The warp's 27 control handles include one at the origin, in front of
    // the point's surface as seen along the ray.
    ASSERT_TRUE(rig.scene->OnCommand("Variational Warp"));
    ASSERT_EQ(rig.Selection().size(), 1u);
    SceneObject* warp = rig.Selection()[0];
    ASSERT_EQ(warp->GetHandles().size(), 27u);

    rig.recorder.events.clear();
    rig.scene->OnTap(rig.TapAt(Wml::Vector3<float>(0, 0, 0.5f)));
    EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{warp});
    ASSERT_EQ(rig.Objects().GetSubSelection().Size(), 1u);
    SceneObject* handle = rig.Objects().GetSubSelection().Items()[0];
    EXPECT_EQ(handle->GetParent(), warp);
    EXPECT_EQ(rig.tools.GetTargetGroup().GetTargets(), std::vector<SceneObject*>{handle});
    EXPECT_EQ(rig.recorder.events, std::vector<std::string>{"picked"});
    EXPECT_TRUE(rig.tools.IsShown());
}

TEST(SceneManagerInput, WithoutACameraATapChangesNothing)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* left = rig.PointAt(kLeft);
    rig.scene->SelectObject(left, true);
    rig.tools.SetCamera(nullptr);
    rig.recorder.events.clear();
    EXPECT_TRUE(rig.scene->OnTap(Wml::Vector2<float>(10, 10)));
    EXPECT_TRUE(rig.scene->OnTap(Wml::Vector2<float>(std::nanf(""), 1e30f)));
    EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{left});
    EXPECT_TRUE(rig.recorder.events.empty());
}

TEST(SceneManagerInput, WildTapPositionsAreHarmless)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* left = rig.PointAt(kLeft);
    rig.scene->SelectObject(left, true);
    for (float v : {1e30f, -1e30f, std::nanf(""), std::numeric_limits<float>::infinity()}) {
        EXPECT_TRUE(rig.scene->OnTap(Wml::Vector2<float>(v, v)));
        EXPECT_FALSE(rig.scene->OnScribble(BoxAround(Wml::Vector2<float>(v, 5), 3)));
    }
    ExpectConsistent(rig);
}

TEST(SceneManagerInput, ScribbleOverTheSelectedShapeRemovesIt)
{
    struct Case {
        const char* name;
        bool selectLeft;
        Wml::Vector3<float> where;
        bool removed;
    };
    const Case cases[] = {{"over the selected shape", true, kLeft, true},
                          {"over another shape", true, kRight, false},
                          {"over empty space", true, kEmpty, false},
                          {"nothing selected", false, kLeft, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneRig rig;
        BlobTreeNodeSceneObject* left = rig.PointAt(kLeft);
        rig.PointAt(kRight);
        if (c.selectLeft) rig.scene->SelectObject(left, true);
        rig.recorder.events.clear();
        EXPECT_EQ(rig.scene->OnScribble(BoxAround(rig.TapAt(c.where), 8)), c.removed);
        EXPECT_EQ(Shape(rig.Root()), c.removed ? "0(1)" : "0(1,1)");
        EXPECT_EQ(rig.recorder.events, c.removed ? StandardEnding() : std::vector<std::string>{});
        ExpectConsistent(rig);
    }
}

TEST(SceneManagerInput, ScribbleNeverRemovesTheRoot)
{
    SceneRig rig;
    rig.PointAt(Wml::Vector3<float>(0, 0, 0));
    rig.scene->SelectObject(rig.Root(), true);
    EXPECT_FALSE(rig.scene->OnScribble(BoxAround(rig.TapAt(Wml::Vector3<float>(0, 0, 0)), 8)));
    EXPECT_EQ(Shape(rig.Root()), "0(1)");
}

TEST(SceneManagerInput, OtherGesturesAreDeclined)
{
    SceneRig rig;
    EXPECT_FALSE(rig.scene->OnLine(vynui::GestureSegment()));
    EXPECT_FALSE(rig.scene->OnCircle(BoxAround(Wml::Vector2<float>(5, 5), 3)));
    EXPECT_FALSE(rig.scene->OnCrossing(vynui::GestureTriple()));
}

TEST(SceneManagerInput, BillboardsArePickedAndScribbledAway)
{
    SceneRig rig;
    auto* billboard = new vynui::BillboardSO();
    rig.scene->AddToScene(billboard);  // the scene owns it now
    billboard->Translate(Wml::Vector3<float>(0, 0, -1), false);
    const Wml::Vector2<float> centre = rig.TapAt(Wml::Vector3<float>(0, 0, -1));

    // No shape there: the registry's own pick finds the billboard.
    rig.scene->OnTap(centre);
    ASSERT_EQ(rig.Selection(), std::vector<SceneObject*>{billboard});
    EXPECT_TRUE(rig.tools.IsShown());

    // A scribble beside it keeps it; one over it removes it.
    EXPECT_FALSE(rig.scene->OnScribble(BoxAround(rig.TapAt(Wml::Vector3<float>(3, 2, -1)), 5)));
    EXPECT_TRUE(rig.Objects().IsRegistered(billboard));
    rig.recorder.events.clear();
    EXPECT_TRUE(rig.scene->OnScribble(BoxAround(centre, 5)));
    EXPECT_EQ(rig.Objects().GetObjects().Size(), 2u);
    EXPECT_TRUE(rig.Objects().GetSelection().Empty());
    EXPECT_EQ(rig.recorder.events, (std::vector<std::string>{"selection", "scene", "selection"}));
}

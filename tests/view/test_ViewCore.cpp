// The 3D view without a window: managers wired in the program's order, mouse
// and keys through the same entry points the window uses, commands routed to
// the first manager that takes them.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "animation/AnimationManager.h"
#include "animation/AnimationPlayer.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "interact/DrawingScale.h"
#include "interact/GestureEngine.h"
#include "interact/HUDButton.h"
#include "interact/HUDManager.h"
#include "interact/HUDToolbar.h"
#include "interact/HUDViewToolbar.h"
#include "interact/InputEventStream.h"
#include "interact/Tool3DManager.h"
#include "scene/ParameterEditor.h"
#include "scene/SceneManager.h"
#include "sketch/StrokeFactory.h"
#include "sketch_ui/SketchManager.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "tests/support/FakeClock.h"
#include "tests/support/MouseStrokes.h"
#include "tests/support/ScriptedUserInterface.h"
#include "tests/view/ViewInputRig.h"
#include "view/ViewCore.h"

using vynui::CViewCore;
using vynui::ViewInputAdapter;
using Wml::Vector2f;

namespace {

struct ViewRig : viewtest::ViewInputRig {
    int repaints = 0;
    std::vector<std::string> windowRequests;
    std::string frameTitle;

    ViewRig()
    {
        view.SetUserInterface(&ui);
        view.SetRepaintRequest([this] { ++repaints; });
        view.SetWindowRequest([this](const std::string& what) { windowRequests.push_back(what); });
        view.SetFrameTitleSink([this](const std::string& title) { frameTitle = title; });
        view.GetGestureEngine().SetTimeSource(clock.Source());
        view.Resize(W, H);
    }

    std::size_t TopLevelCount() { return view.GetSceneManager()->GetRootSceneObject()->GetChildren().size(); }
};

}  // namespace

TEST(ViewCore, AnOutlineDrawnWithTheMouseBecomesAShapeOnScreen)
{
    ViewRig rig;
    // An ellipse in the middle of the view, drawn once round and a bit past.
    const auto outline = sketchtest::SampleMouse([](float t) {
        const float a = 2.0f * 3.14159265f * 1.04f * t;
        return Vector2f(400.0f + 120.0f * std::cos(a), 300.0f + 80.0f * std::sin(a));
    });
    rig.Drag(outline);
    vynui::CSketchManager* sketch = rig.view.GetSketchManager();
    ASSERT_EQ(1u, sketch->GetStrokeFactory().GetNumStrokes());
    vynui::HUDButton* blobby = sketch->GetButton(vynui::CSketchManager::BlobbySweepButton);
    const auto& offered = sketch->GetToolbar()->GetItems();
    ASSERT_NE(offered.end(), std::find(offered.begin(), offered.end(), blobby)) << "no Blobby Thing offered";

    rig.Cross(blobby);
    EXPECT_EQ(1u, rig.TopLevelCount());
    EXPECT_EQ(0u, sketch->GetStrokeFactory().GetNumStrokes());
    vynui::SurfaceTreeNode* top = rig.view.GetSurfaceManager()->GetChainTop(0);
    ASSERT_NE(nullptr, top);
    EXPECT_GT(top->GetMesh()->GetNumTriangles(), 50u);
    // The new shape is selected, so its parameters are on the HUD.
    EXPECT_FALSE(rig.view.GetParameterEditor().GetSelectionToolbar().GetItems().empty());
    EXPECT_GT(rig.repaints, 0);

    // A selection is offered its handles at once, and they go with it.
    auto offersHandles = [&] {
        for (const auto* item : sketch->GetToolbar()->GetItems())
            if (item->GetName() == "ScreenManipButton") return true;
        return false;
    };
    EXPECT_TRUE(offersHandles());
    rig.view.GetSceneManager()->ClearSelection();
    EXPECT_FALSE(offersHandles());
}

TEST(ViewCore, CommandsGoToTheFirstManagerThatTakesThem)
{
    ViewRig rig;
    vynui::RenderingSettings& render = rig.view.GetRenderingManager().GetSettings();
    const float cell = rig.view.GetSurfaceManager()->GetSettings().cellSize;

    struct Row {
        const char* command;
        bool handled;
    };
    for (const Row& row :
         {Row{"Show Mesh", true}, Row{"Finer Mesh", true}, Row{"Set Keyframe", true}, Row{"Show HUD", true},
          Row{"Perspective Camera", true}, Row{"Top", true}, Row{"Undo", false},
          Row{"Suggest Texture Decals", false}, Row{"No Such Thing", false}}) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(row.handled, rig.view.RouteCommand(row.command));
    }
    EXPECT_FALSE(render.showSurface);
    EXPECT_NEAR(cell * 0.9f, rig.view.GetSurfaceManager()->GetSettings().cellSize, 1e-6f);
    EXPECT_EQ(1u, rig.view.GetAnimationManager().GetKeyedFrames().count(0));
    EXPECT_FALSE(rig.view.IsHUDVisible());
    EXPECT_FALSE(rig.view.GetCamera().IsPerspective());

    vynui::CommandState state;
    ASSERT_TRUE(rig.view.UpdateCommand("Show HUD", state));
    EXPECT_TRUE(state.enabled);
    EXPECT_FALSE(state.checked);
    ASSERT_TRUE(rig.view.UpdateCommand("Undo", state));
    EXPECT_FALSE(state.enabled);
    ASSERT_TRUE(rig.view.UpdateCommand("Show Mesh", state));
    EXPECT_FALSE(state.checked);
    EXPECT_FALSE(rig.view.UpdateCommand("No Such Thing", state));

    rig.view.RouteCommand("Caching Control");
    rig.view.RouteCommand("Sketch Options...");
    rig.view.RouteCommand("About Kilnform...");
    EXPECT_EQ((std::vector<std::string>{"Caching Control", "Sketch Options", "About"}), rig.windowRequests);
}

TEST(ViewCore, PlayAtTheLastFrameStartsAgainFromFrameZero)
{
    ViewRig rig;
    vynui::CAnimationManager& animation = rig.view.GetAnimationManager();
    vynui::CAnimationPlayer& player = rig.view.GetAnimationPlayer();
    animation.SetLength(6);
    vynui::CommandState state;

    // Played through to the end, one step per drawn frame.
    ASSERT_TRUE(rig.view.RouteCommand("Play"));
    ASSERT_TRUE(rig.view.UpdateCommand("Stop", state));
    EXPECT_TRUE(state.enabled);
    for (int step = 0; step < 50 && player.IsPlaying(); ++step) player.StepFrame();
    ASSERT_FALSE(player.IsPlaying());
    const unsigned last = animation.GetCurrentFrame();
    EXPECT_GE(last, 5u);
    ASSERT_TRUE(rig.view.UpdateCommand("Stop", state));
    EXPECT_FALSE(state.enabled);

    // Play again restarts instead of stopping at once.
    ASSERT_TRUE(rig.view.RouteCommand("Play"));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(0u, animation.GetCurrentFrame());
    player.StepFrame();
    EXPECT_EQ(1u, animation.GetCurrentFrame());

    // From a frame inside the animation, Play goes on from there.
    ASSERT_TRUE(rig.view.RouteCommand("Stop"));
    animation.SetCurrentFrame(3);
    ASSERT_TRUE(rig.view.RouteCommand("Play"));
    EXPECT_EQ(3u, animation.GetCurrentFrame());
}

TEST(ViewCore, NewSceneAsksFirstAndKeepsTheSceneOnNo)
{
    ViewRig rig;
    vynui::CSceneManager* scene = rig.view.GetSceneManager();
    scene->AddNode(1, scene->GetRootSceneObject(), false);
    // A saved scene gets the warning; unsaved changes get the save question.
    rig.view.GetDocument().MarkClean("saved.xml");
    rig.ui.AnswerQuestion(vynui::Answer::No);
    rig.view.RouteCommand("New Scene");
    EXPECT_EQ(1u, rig.TopLevelCount());
    ASSERT_FALSE(rig.ui.Events().empty());
    EXPECT_EQ("Warning!", rig.ui.Events().back().title);
    rig.ui.AnswerQuestion(vynui::Answer::Yes);
    rig.view.RouteCommand("New Scene");
    EXPECT_EQ(0u, rig.TopLevelCount());
}

TEST(ViewCore, KeysAndResize)
{
    ViewRig rig;
    EXPECT_EQ("Model View : 800 x 600", rig.frameTitle);
    rig.view.Resize(0, 300);  // ignored
    EXPECT_EQ(800, rig.view.GetWidth());
    EXPECT_EQ(600, rig.view.GetCamera().GetViewportHeight());

    // Holding Space shows the fast primitives once; auto-repeat does nothing.
    bool& fast = rig.view.GetRenderingManager().GetSettings().fastPrimitiveMode;
    rig.view.SpecialKeyDown(CViewCore::KEY_SPACE, false);
    EXPECT_TRUE(fast);
    rig.view.SpecialKeyDown(CViewCore::KEY_SPACE, true);
    rig.view.SpecialKeyUp(CViewCore::KEY_SPACE, true);
    EXPECT_TRUE(fast);
    rig.view.SpecialKeyUp(CViewCore::KEY_SPACE, false);
    EXPECT_FALSE(fast);

    const float cell = rig.view.GetSurfaceManager()->GetSettings().cellSize;
    rig.view.Character('+');
    EXPECT_NEAR(cell * 0.9f, rig.view.GetSurfaceManager()->GetSettings().cellSize, 1e-6f);

    // t cycles to the next tool that can move the selection.
    rig.view.GetSceneManager()->AddNode(1, nullptr, true);
    const std::string tool = rig.view.GetToolManager().GetActiveTool()->GetName();
    rig.view.Character('t');
    EXPECT_NE(tool, rig.view.GetToolManager().GetActiveTool()->GetName());

    const float hud = vynui::GetHUDScaleFactor();
    rig.view.Character('b');
    EXPECT_NE(hud, vynui::GetHUDScaleFactor());
    rig.view.Character('b');
    EXPECT_EQ(hud, vynui::GetHUDScaleFactor());

    // The ray trace asks first and does nothing on No.
    rig.view.Character('z');
    EXPECT_EQ("Are you sure?", rig.ui.Events().back().title);
    EXPECT_TRUE(rig.windowRequests.empty());

    // e moves the camera smoothly over 20 ticks of its timer.
    const Wml::Vector3f before = rig.view.GetCamera().GetLocation();
    rig.view.Character('e');
    int ticks = 0;
    while (rig.view.OnCameraTimer()) ++ticks;
    EXPECT_EQ(19, ticks);
    EXPECT_GT((rig.view.GetCamera().GetLocation() - before).Length(), 1.0f);
}

TEST(ViewCore, TheStatusSaysWhileTheCellLimitLeavesPartOfTheSurfaceOut)
{
    ViewRig rig;
    vynui::CSurfaceManager* surfaces = rig.view.GetSurfaceManager();
    rig.view.GetSceneManager()->AddNode(1, nullptr, true);
    unsigned int triangles[2] = {0, 0};
    for (unsigned long limit : {40ul, 0ul}) {
        surfaces->GetSettings().maxCells = limit;
        surfaces->RepolygonizeAll();
        triangles[limit == 0] = surfaces->GetChainTop(0)->GetMesh()->GetNumTriangles();
        const std::string status = rig.view.FrameStatus();
        EXPECT_EQ(limit > 0, status.find("Part of the surface is missing") != std::string::npos) << status;
    }
    EXPECT_GT(triangles[0], 0u);
    EXPECT_LT(triangles[0], triangles[1]);
}

TEST(ViewCore, TheHUDGetsTheFirstRefusalThenHandlesThenGestures)
{
    ViewRig rig;
    vynui::CInputEventStream& stream = rig.view.GetInputStream();
    auto pressAt = [&](const Vector2f& pixel) {
        rig.view.MousePress(ViewInputAdapter::LEFT, int(pixel.X()), ViewRig::H - 1 - int(pixel.Y()), false);
    };
    auto release = [&](const Vector2f& pixel) {
        rig.view.MouseRelease(ViewInputAdapter::LEFT, int(pixel.X()), ViewRig::H - 1 - int(pixel.Y()));
    };

    // A press on the zoom button belongs to the HUD, even with a shape under it.
    vynui::CHUDManager& hud = rig.view.GetHUDManager();
    const Vector2f zoom = hud.HUDToPixel(hud.GetZoomButton()->GetBox().Center());
    pressAt(zoom);
    EXPECT_EQ(static_cast<vynui::IInputEventListener*>(&hud), stream.GetCapturedListener());
    release(zoom);

    // In empty space the press starts a stroke in the gesture engine.
    const Vector2f middle(400.0f, 300.0f);
    pressAt(middle);
    EXPECT_EQ(static_cast<vynui::IInputEventListener*>(&rig.view.GetGestureEngine()),
              stream.GetCapturedListener());
    release(middle);

    // The HUD's auto-repeat runs from the view's timer: a held zoom keeps zooming.
    const float distance = rig.view.GetCamera().GetTargetDistance();
    pressAt(zoom);
    rig.view.MouseMove(int(zoom.X()), ViewRig::H - 1 - int(zoom.Y()) - 40);
    const float afterDrag = rig.view.GetCamera().GetTargetDistance();
    std::int64_t counter = stream.Counter();
    for (int tick = 0; tick < 10; ++tick) {
        counter += 25000000;  // 25 ms in the counter's nanoseconds
        rig.view.OnTimer(counter);
    }
    EXPECT_NE(distance, rig.view.GetCamera().GetTargetDistance());
    EXPECT_NE(afterDrag, rig.view.GetCamera().GetTargetDistance());
    release(zoom);
}

// The HUD manager end to end: a real input stream, camera and view
// controller, with presses, drags, taps and strokes in window pixels.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "interact/HUDManager.h"
#include "interact/HUDSliderIcon.h"
#include "interact/HUDViewToolbar.h"
#include "interact/InputEventStream.h"
#include "tests/interact/HUDTestSupport.h"
#include "tests/support/Near.h"
#include "wml/ExtendedWmlCamera.h"

using namespace vynui;
using V2 = Wml::Vector2<float>;
using V3 = Wml::Vector3<float>;

namespace {

// Answers "not handled" to everything and counts what reached it.
struct After : IInputEventListener {
    int events = 0;
    int OnInputEvent(const InputEvent&) override
    {
        ++events;
        return INPUT_NOT_HANDLED;
    }
};

struct CountingViewListener : IViewListener {
    int count = 0;
    void OnViewChanged(ViewController&) override { ++count; }
};

// The view's wiring: the HUD first in the stream, a listener after it, the
// start-up camera, and the 25 ms tick that asks the HUD, then the stream.
struct Rig {
    Wml::ExtendedWmlCamera camera{640, 480};
    ViewController controller{&camera};
    CInputEventStream stream;
    CHUDManager hud;
    After after;
    CountingViewListener views;
    std::int64_t now = 0;

    explicit Rig(int width = 640, int height = 480)
    {
        camera.SetFrameLookAt(V3(0, 0, 5), V3(-1, 0, 0), V3(0, 1, 0), V3(0, 0, 0));
        camera.SetViewport(width, height);
        stream.SetCounterSource([this] { return now; });
        stream.AddListener(&hud);
        stream.AddListener(&after);
        hud.SetViewController(&controller);
        controller.AddViewListener(&views);
    }

    // The window pixel of a HUD point.
    V2 Pixel(const V2& hudPoint) const { return hud.HUDToPixel(hudPoint); }
    V2 Centre(const HUDItem& item) const { return Pixel(item.GetBox().Center()); }

    void Press(const V2& p) { stream.LeftDown(int(std::lround(p.X())), int(std::lround(p.Y()))); }
    void Drag(const V2& p) { stream.LeftDrag(int(std::lround(p.X())), int(std::lround(p.Y()))); }
    void Release(const V2& p) { stream.LeftUp(int(std::lround(p.X())), int(std::lround(p.Y()))); }

    // One timer tick: true when the view repaints.
    bool Tick()
    {
        now += 25000000;
        for (ITimeEventListener* listener :
             {static_cast<ITimeEventListener*>(&hud), static_cast<ITimeEventListener*>(&stream)})
            if (listener->OnTimeEvent(now)) return true;
        return false;
    }
};

InputEvent Mouse(bool down, bool up, int x, int y)
{
    InputEvent e;
    e.kind = InputEvent::MOUSE;
    e.leftDown = down;
    e.leftUp = up;
    e.x = x;
    e.y = y;
    return e;
}

}  // namespace

TEST(HUDManager, PixelsMapOntoHUDSpaceByTheViewsAspect)
{
    Rig rig;
    const float aspect = 640.0f / 480.0f;
    struct Row {
        float px, py;
        V2 hud;
    } rows[] = {
        {0, 0, V2(-aspect, -1)},
        {640, 480, V2(aspect, 1)},
        {320, 240, V2(0, 0)},
        {480, 120, V2(aspect / 2, -0.5f)},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(kftest::Near(rig.hud.PixelToHUD(row.px, row.py), row.hud, 1e-5f))
            << row.px << " " << row.py;
        EXPECT_TRUE(kftest::Near(rig.hud.HUDToPixel(row.hud), V2(row.px, row.py), 1e-3f));
    }
    // A new viewport takes effect at the next view notice.
    rig.camera.SetViewport(800, 400);
    rig.controller.NotifyViewChanged();
    EXPECT_FLOAT_EQ(rig.hud.GetAspect(), 2.0f);
    EXPECT_TRUE(kftest::Near(rig.hud.PixelToHUD(800, 400), V2(2, 1), 1e-5f));
    // An empty viewport (a minimised window) keeps the last good mapping.
    rig.camera.SetViewport(0, 0);
    rig.controller.NotifyViewChanged();
    EXPECT_FLOAT_EQ(rig.hud.GetAspect(), 2.0f);
}

TEST(HUDManager, APressCapturesTheStreamUntilRelease)
{
    Rig rig;
    HUDButton& pan = *rig.hud.GetPanButton();
    V2 c = rig.Centre(pan);
    int x = int(c.X()), y = int(c.Y());

    // The result codes the manager answers.
    EXPECT_EQ(rig.hud.OnInputEvent(Mouse(true, false, x, y)), INPUT_CAPTURE);
    EXPECT_EQ(rig.hud.GetCapturedItem(), &pan);
    EXPECT_EQ(rig.hud.OnInputEvent(Mouse(true, true, x + 5, y)), INPUT_CONSUMED);
    EXPECT_EQ(rig.hud.OnInputEvent(Mouse(false, true, x + 5, y)), INPUT_RELEASE_CAPTURE);
    EXPECT_EQ(rig.hud.GetCapturedItem(), nullptr);
    EXPECT_EQ(rig.hud.OnInputEvent(Mouse(false, true, x, y)), INPUT_NOT_HANDLED);  // nothing captured
    // A drag the item refuses ends the capture.
    EXPECT_EQ(rig.hud.OnInputEvent(Mouse(true, false, x, y)), INPUT_CAPTURE);
    pan.SetEnabled(false);
    EXPECT_EQ(rig.hud.OnInputEvent(Mouse(true, true, x + 5, y)), INPUT_RELEASE_CAPTURE);
    EXPECT_EQ(rig.hud.GetCapturedItem(), nullptr);
    pan.SetEnabled(true);
    EXPECT_EQ(rig.hud.OnInputEvent(Mouse(true, false, 5, 5)), INPUT_NOT_HANDLED);  // not on the HUD
    InputEvent key;
    key.kind = InputEvent::KEY;
    EXPECT_EQ(rig.hud.OnInputEvent(key), INPUT_NOT_HANDLED);

    // Through the stream: the listener after the HUD sees none of the drag.
    int redraws = 0;
    rig.hud.SetRedrawRequest([&] { ++redraws; });
    rig.Press(c);
    EXPECT_EQ(rig.stream.GetCapturedListener(), &rig.hud);
    EXPECT_FALSE(rig.stream.IsRepeating());
    rig.Drag(c + V2(10, 0));
    rig.Drag(c + V2(20, 0));
    rig.Release(c + V2(20, 0));
    EXPECT_EQ(rig.stream.GetCapturedListener(), nullptr);
    EXPECT_EQ(rig.after.events, 0);
    EXPECT_GE(redraws, 2);
    rig.Press(V2(5, 5));  // off the HUD: passed on
    EXPECT_EQ(rig.after.events, 1);
}

TEST(HUDManager, ARefusedDragOrAVanishedItemFreesTheStream)
{
    enum Case { BUTTON_DISABLED, HUD_DISABLED, TOOLBAR_REMOVED };
    for (Case what : {BUTTON_DISABLED, HUD_DISABLED, TOOLBAR_REMOVED}) {
        Rig rig;
        HUDButton button("Own", nullptr, true, false);
        HUDToolbar toolbar("Own", HUDToolbar::FREE, true);
        button.SetPosition(0.5f, -0.5f, false);
        toolbar.AddButton(&button);
        rig.hud.AddToolbar(&toolbar);
        V2 c = rig.Centre(button);
        rig.Press(c);
        ASSERT_EQ(rig.hud.GetCapturedItem(), &button) << what;
        if (what == BUTTON_DISABLED) {
            button.SetEnabled(false);
        } else {
            if (what == HUD_DISABLED) rig.hud.Disable();
            if (what == TOOLBAR_REMOVED) {
                EXPECT_TRUE(rig.hud.RemoveToolbar(&toolbar));
            }
            EXPECT_FALSE(button.IsPressed()) << what;  // the press ended with its item
        }
        rig.Drag(c + V2(3, 0));  // answered with a release
        EXPECT_EQ(rig.stream.GetCapturedListener(), nullptr) << what;
        rig.Drag(c + V2(6, 0));
        EXPECT_EQ(rig.after.events, 1) << what;  // the stream works again
        rig.hud.RemoveToolbar(&toolbar);
    }
}

TEST(HUDManager, ADisabledOrUnwiredHUDHandlesNothing)
{
    Rig rig;
    V2 snap = rig.Centre(*rig.hud.GetSnapTumbleButton());
    rig.hud.Disable();
    rig.Press(rig.Centre(*rig.hud.GetPanButton()));
    EXPECT_EQ(rig.after.events, 1);
    EXPECT_FALSE(rig.hud.OnTap(snap));
    EXPECT_FALSE(rig.hud.GetSnapTumbleButton()->IsSnapping());
    rig.hud.Enable();
    EXPECT_TRUE(rig.hud.OnTap(snap));

    CHUDManager unwired;
    EXPECT_EQ(unwired.OnInputEvent(Mouse(true, false, 305, 465)), INPUT_NOT_HANDLED);
    EXPECT_FALSE(unwired.OnTap(V2(305, 465)));
}

TEST(HUDManager, TheViewToolbarSitsAtTheTopLeftOfCentre)
{
    Rig rig;
    HUDToolbar& toolbar = rig.hud.GetViewToolbar();
    EXPECT_EQ(toolbar.GetName(), "ViewToolbar");
    EXPECT_TRUE(kftest::Near(toolbar.GetBox().MinCorner(), V2(-0.2f, 0.875f), 1e-6f));
    EXPECT_NEAR(toolbar.GetBox().Max(1), 1.0f, 1e-6f);
    EXPECT_EQ(toolbar.GetAnchor(), HUDItem::ANCHOR_FREE);
    EXPECT_FALSE(toolbar.IsClosable());
    ASSERT_EQ(toolbar.GetItems().size(), 3u);
    const char* names[] = {"ZoomButton", "PanButton", "SnapTumbleButton"};
    for (int i = 0; i < 3; ++i) {
        const HUDButton* b = toolbar.GetItems()[i];
        EXPECT_EQ(b->GetName(), names[i]);
        EXPECT_NEAR(b->GetWidth(), 0.125f, 1e-6f);
        EXPECT_NEAR(b->GetBox().Max(1), 1.0f, 1e-6f);
        if (i) {
            EXPECT_NEAR(b->GetBox().Min(0) - toolbar.GetItems()[i - 1]->GetBox().Max(0), 0.025f, 1e-6f);
        }
    }
    EXPECT_EQ(rig.hud.GetToolbars().front(), &toolbar);
    EXPECT_FLOAT_EQ(rig.hud.GetZoomButton()->GetCurve().GetSaturation(),
                    rig.hud.GetZoomButton()->GetCurve().GetDeadZone() + 0.125f);

    // Its close button does not close it, but dragging it moves the toolbar
    // and tells the view.
    HUDButton& close = toolbar.GetCloseButton();
    EXPECT_EQ(close.GetName(), "ViewToolbarCloseButton");
    EXPECT_TRUE(rig.hud.OnTap(rig.Centre(close)));
    EXPECT_TRUE(toolbar.IsVisible());
    int notices = rig.views.count;
    V2 grab = rig.Centre(close);
    rig.Press(grab);
    rig.Release(grab);  // a click: no close either
    EXPECT_TRUE(toolbar.IsVisible());
    rig.Press(grab);
    rig.Drag(grab + V2(-48, -24));
    rig.Release(grab + V2(-48, -24));
    EXPECT_TRUE(toolbar.IsVisible());
    EXPECT_TRUE(kftest::Near(toolbar.GetBox().MinCorner(), V2(-0.2f - 0.2f, 0.875f - 0.1f), 1e-5f));
    EXPECT_GT(rig.views.count, notices);
}

TEST(HUDManager, ZoomInRateModeKeepsMovingWhileHeldStill)
{
    struct Row {
        float hudDy;    // pointer height above the zoom button's centre
        int direction;  // -1 closer, +1 farther, 0 still
    } rows[] = {{0.3f, -1}, {-0.3f, +1}, {0.03f, 0}};
    for (const Row& row : rows) {
        Rig rig;
        HUDButton& zoom = *rig.hud.GetZoomButton();
        V2 centre = zoom.GetBox().Center();
        rig.Press(rig.Pixel(centre));
        EXPECT_TRUE(rig.stream.IsRepeating());
        EXPECT_TRUE(rig.hud.WantsRepeat());
        rig.Drag(rig.Pixel(centre + V2(0.0f, row.hudDy)));
        float distance = rig.camera.GetTargetDistance();
        for (int tick = 0; tick < 4; ++tick) {
            EXPECT_TRUE(rig.Tick());  // the stream's replay asks for the repaint
            float now = rig.camera.GetTargetDistance();
            if (row.direction < 0) {
                EXPECT_LT(now, distance) << row.hudDy << " tick " << tick;
            } else if (row.direction > 0) {
                EXPECT_GT(now, distance) << row.hudDy << " tick " << tick;
            } else {
                EXPECT_EQ(now, distance) << row.hudDy;
            }
            distance = now;
        }
        rig.Release(rig.Pixel(centre + V2(0.0f, row.hudDy)));
        EXPECT_FALSE(rig.stream.IsRepeating());
        EXPECT_FALSE(rig.hud.WantsRepeat());
        rig.Tick();
        EXPECT_EQ(rig.camera.GetTargetDistance(), distance);
        EXPECT_FALSE(zoom.IsActive());
    }
    // Full gain moves as far as a direct dolly of 0.125 per tick.
    Rig held, direct;
    V2 centre = held.hud.GetZoomButton()->GetBox().Center();
    held.Press(held.Pixel(centre));
    held.Drag(held.Pixel(centre + V2(0, 0.5f)));
    held.Tick();
    held.Tick();
    direct.controller.Dolly(0, 0.125f);
    direct.controller.Dolly(0, 0.125f);
    EXPECT_FLOAT_EQ(held.camera.GetTargetDistance(), direct.camera.GetTargetDistance());
}

TEST(HUDManager, PanAndTumbleButtonsMoveTheCameraWithTheHand)
{
    // The curves of the two drag buttons.
    EXPECT_TRUE(kftest::Near(PanButton::PanAmounts(V2(0.1f, -0.1f)),
                             V2(std::pow(0.2f, 1.1f), std::pow(0.2f, 1.1f)), 1e-6f));
    EXPECT_TRUE(
        kftest::Near(PanButton::PanAmounts(V2(-0.1f, 0.1f)), V2(-std::pow(0.2f, 1.1f), -0.2f), 1e-6f));
    EXPECT_TRUE(kftest::Near(PanButton::PanAmounts(V2(0, 0)), V2(0, -0.0f), 0.0f));
    EXPECT_TRUE(kftest::Near(SnapRotateButton::TumbleAmounts(V2(0.1f, -0.05f)),
                             V2(std::pow(0.6f, 1.5f), -std::pow(0.3f, 1.5f)), 1e-6f));

    // Dragging the buttons moves the camera the way an Alt-drag in the view does.
    struct Row {
        const char* button;
        V2 drag;   // pixels
        int axis;  // of the camera location compared
    } rows[] = {
        {"PanButton", V2(24, 0), 0},        {"PanButton", V2(0, 24), 1},        {"PanButton", V2(0, -24), 1},
        {"SnapTumbleButton", V2(24, 0), 0}, {"SnapTumbleButton", V2(0, 24), 1},
    };
    for (const Row& row : rows) {
        Rig rig, reference;
        HUDButton* button = rig.hud.GetViewToolbar().FindItem(row.button);
        ASSERT_NE(button, nullptr);
        V2 c = rig.Centre(*button);
        rig.Press(c);
        rig.Drag(c + row.drag);
        rig.Release(c + row.drag);
        if (std::string(row.button) == "PanButton")
            reference.controller.CameraModePan(int(row.drag.X()), -int(row.drag.Y()));
        else
            reference.controller.CameraModeTumble(int(row.drag.X()), int(row.drag.Y()));
        float moved = rig.camera.GetLocation()[row.axis];
        float expected = reference.camera.GetLocation()[row.axis];
        ASSERT_NE(expected, 0.0f);
        EXPECT_GT(moved * expected, 0.0f) << row.button << " " << row.drag.X() << "," << row.drag.Y();
        // A drag is no click: the snap setting stays.
        EXPECT_FALSE(rig.hud.GetSnapTumbleButton()->IsSnapping());
    }
}

TEST(HUDManager, TapsStrokesAndClicksActivateCrossableButtonsOnly)
{
    Rig rig;
    SnapRotateButton& snap = *rig.hud.GetSnapTumbleButton();
    SnapRotateIcon& icon = *snap.GetRotateIcon();
    EXPECT_EQ(icon.GetColor(), SnapRotateIcon::SNAP_OFF_COLOR);
    const V2 snapCentre = snap.GetBox().Center();
    auto line = [&](V2 a, V2 b) {
        GestureSegment s;
        s.start = rig.Pixel(a);
        s.end = rig.Pixel(b);
        return rig.hud.OnLine(s);
    };

    struct Row {
        const char* what;
        std::function<bool()> gesture;
        bool consumed;
        bool snapAfter;
    } rows[] = {
        {"tap on the snap button", [&] { return rig.hud.OnTap(rig.Pixel(snapCentre)); }, true, true},
        {"tap on the pan button", [&] { return rig.hud.OnTap(rig.Centre(*rig.hud.GetPanButton())); }, false,
         true},
        {"tap on the zoom button", [&] { return rig.hud.OnTap(rig.Centre(*rig.hud.GetZoomButton())); }, false,
         true},
        {"stroke across the snap button",
         [&] { return line(snapCentre + V2(0.2f, 0.0f), snapCentre - V2(0.09f, 0.0f)); }, true, false},
        {"stroke across the pan button only",
         [&] {
             return line(rig.hud.GetPanButton()->GetBox().Center() + V2(0, -0.1f),
                         rig.hud.GetPanButton()->GetBox().Center() + V2(0, 0.1f));
         },
         false, false},
        {"stroke below the toolbar", [&] { return line(V2(-1, 0.8f), V2(1, 0.8f)); }, false, false},
        {"empty view tap", [&] { return rig.hud.OnTap(V2(10, 10)); }, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.gesture(), row.consumed) << row.what;
        EXPECT_EQ(snap.IsSnapping(), row.snapAfter) << row.what;
        EXPECT_EQ(icon.GetColor(),
                  row.snapAfter ? SnapRotateIcon::SNAP_ON_COLOR : SnapRotateIcon::SNAP_OFF_COLOR);
    }

    // A click through the stream is the HUD's own tap (the press never
    // reaches the gesture engine); jitter within a few pixels still counts.
    V2 c = rig.Pixel(snapCentre);
    rig.Press(c);
    rig.Drag(c + V2(3, 2));
    rig.Release(c + V2(3, 2));
    EXPECT_TRUE(snap.IsSnapping());
    EXPECT_EQ(icon.GetColor(), SnapRotateIcon::SNAP_ON_COLOR);
    rig.Press(c);
    rig.Release(c);
    EXPECT_FALSE(snap.IsSnapping());
    // Clicks on the pan button activate nothing and move nothing.
    V3 before = rig.camera.GetLocation();
    rig.Press(rig.Centre(*rig.hud.GetPanButton()));
    rig.Release(rig.Centre(*rig.hud.GetPanButton()));
    EXPECT_FALSE(snap.IsSnapping());
    EXPECT_TRUE(kftest::Near(rig.camera.GetLocation(), before, 1e-6f));
}

TEST(HUDManager, AnchoredToolbarsFollowTheirEdgesAndFreeOnesStay)
{
    Rig rig;
    std::vector<std::unique_ptr<HUDButton>> buttons;
    std::vector<std::unique_ptr<HUDToolbar>> toolbars;
    for (int anchor :
         {HUDItem::ANCHOR_LEFT, HUDItem::ANCHOR_RIGHT, HUDItem::ANCHOR_BOTTOM, HUDItem::ANCHOR_FREE}) {
        toolbars.emplace_back(new HUDToolbar("T", HUDToolbar::VERTICAL, true));
        buttons.emplace_back(new HUDButton("B", nullptr));
        toolbars.back()->AddButton(buttons.back().get());
        toolbars.back()->SetAnchor(anchor);
        toolbars.back()->SetPosition(0.1f, 0.2f, false);
        rig.hud.AddToolbar(toolbars.back().get());
    }
    struct Row {
        int width, height;
    } rows[] = {{640, 480}, {1000, 300}, {300, 900}};
    for (const Row& row : rows) {
        rig.camera.SetViewport(row.width, row.height);
        rig.controller.NotifyViewChanged();
        const float aspect = float(row.width) / row.height;
        const Wml::AxisAlignedBox2<float>& left = toolbars[0]->GetBox();
        const Wml::AxisAlignedBox2<float>& right = toolbars[1]->GetBox();
        const Wml::AxisAlignedBox2<float>& bottom = toolbars[2]->GetBox();
        EXPECT_NEAR(left.Min(0), 2.0f * aspect / row.width - aspect, 1e-5f) << row.width;  // pixel x = 1
        EXPECT_NEAR(left.Min(1), 0.2f, 1e-5f);
        EXPECT_NEAR(right.Max(0), aspect, 1e-5f) << row.width;  // pixel x = width
        EXPECT_NEAR(right.Min(1), 0.2f, 1e-5f);
        EXPECT_NEAR(bottom.Min(1), 2.0f / row.height - 1.0f, 1e-5f) << row.height;  // pixel y = 1
        EXPECT_NEAR(bottom.Min(0), 0.1f, 1e-5f);
        EXPECT_TRUE(kftest::Near(toolbars[3]->GetBox().MinCorner(), V2(0.1f, 0.2f), 1e-6f));
        EXPECT_TRUE(kftest::Near(rig.hud.GetViewToolbar().GetBox().MinCorner(), V2(-0.2f, 0.875f), 1e-6f));
        // The buttons go with their toolbars.
        EXPECT_NEAR(buttons[1]->GetBox().Max(0), aspect, 1e-5f);
    }
    for (auto& toolbar : toolbars) rig.hud.RemoveToolbar(toolbar.get());
}

TEST(HUDManager, LaterToolbarsLieOnTopAndGetPressesFirst)
{
    Rig rig;
    HUDButton lower("Lower", nullptr), upper("Upper", nullptr);
    hudtest::RecordingHandler lowerHandler, upperHandler;
    lower.AddEventHandler(&lowerHandler);
    upper.AddEventHandler(&upperHandler);
    HUDToolbar first("First", HUDToolbar::FREE, true), second("Second", HUDToolbar::FREE, true);
    lower.SetPosition(0.0f, -0.5f, false);
    upper.SetPosition(0.05f, -0.5f, false);
    first.AddButton(&lower);
    second.AddButton(&upper);
    rig.hud.AddToolbar(&first);
    rig.hud.AddToolbar(&second);
    rig.hud.AddToolbar(&first);  // once only
    ASSERT_EQ(rig.hud.GetToolbars().size(), 3u);
    V2 overlap = rig.Pixel(V2(0.1f, -0.45f));
    rig.Press(overlap);
    rig.Release(overlap);
    EXPECT_EQ(upperHandler.presses, 1);
    EXPECT_EQ(upperHandler.activations, 1);
    EXPECT_EQ(lowerHandler.presses + lowerHandler.activations, 0);
    second.SetVisible(false);  // hidden toolbars are skipped
    EXPECT_TRUE(rig.hud.OnTap(overlap));
    EXPECT_EQ(lowerHandler.activations, 1);
    rig.hud.RemoveToolbar(&first);
    rig.hud.RemoveToolbar(&second);
}

TEST(HUDManager, TimeEventsAskForARepaintOnlyWhenNothingElseWill)
{
    Rig rig;
    EXPECT_FALSE(rig.hud.OnTimeEvent(0));
    // Without a redraw hook, a change made by a gesture shows at the next tick.
    EXPECT_TRUE(rig.hud.OnTap(rig.Centre(*rig.hud.GetSnapTumbleButton())));
    EXPECT_TRUE(rig.hud.OnTimeEvent(0));
    EXPECT_FALSE(rig.hud.OnTimeEvent(0));
    // With the hook set, the hook is told instead.
    int redraws = 0;
    rig.hud.SetRedrawRequest([&] { ++redraws; });
    EXPECT_TRUE(rig.hud.OnTap(rig.Centre(*rig.hud.GetSnapTumbleButton())));
    EXPECT_EQ(redraws, 1);
    EXPECT_FALSE(rig.hud.OnTimeEvent(0));
    rig.hud.OnPopUpToolbarShown();
    rig.hud.OnPopUpToolbarHidden();
    EXPECT_EQ(redraws, 3);
    // While an auto slider is held the HUD stays quiet so the stream replays.
    rig.hud.SetRedrawRequest(nullptr);
    rig.Press(rig.Centre(*rig.hud.GetZoomButton()));
    EXPECT_FALSE(rig.hud.OnTimeEvent(0));
    rig.Release(rig.Centre(*rig.hud.GetZoomButton()));
}

TEST(HUDManager, ANewViewControllerReplacesTheOldEverywhere)
{
    Rig rig;
    HUDButton button("B", nullptr);
    HUDToolbar toolbar("T", HUDToolbar::HORIZONTAL, true);
    toolbar.AddButton(&button);
    rig.hud.AddToolbar(&toolbar);

    Wml::ExtendedWmlCamera camera(800, 400);
    camera.SetFrameLookAt(V3(0, 0, 7), V3(-1, 0, 0), V3(0, 1, 0), V3(0, 0, 0));
    camera.SetViewport(800, 400);
    ViewController controller(&camera);
    CountingViewListener views;
    controller.AddViewListener(&views);
    rig.hud.SetViewController(&controller);
    EXPECT_FLOAT_EQ(rig.hud.GetAspect(), 2.0f);  // taken from the new camera at once

    int oldNotices = rig.views.count;
    toolbar.NotifyMoved();
    rig.hud.GetViewToolbar().NotifyMoved();
    EXPECT_EQ(views.count, 2);
    EXPECT_EQ(rig.views.count, oldNotices);
    rig.controller.NotifyViewChanged();  // the old controller no longer re-anchors the HUD
    EXPECT_FLOAT_EQ(rig.hud.GetAspect(), 2.0f);

    // The view toolbar's buttons steer the new camera.
    V2 c = rig.Centre(*rig.hud.GetPanButton());
    rig.Press(c);
    rig.Drag(c + V2(30, 0));
    rig.Release(c + V2(30, 0));
    EXPECT_NE(camera.GetLocation().X(), 0.0f);
    EXPECT_EQ(rig.camera.GetLocation().X(), 0.0f);
    rig.hud.SetViewController(nullptr);
    toolbar.NotifyMoved();
    EXPECT_EQ(views.count, 3);  // only the pan drag notified since
    rig.hud.RemoveToolbar(&toolbar);
}

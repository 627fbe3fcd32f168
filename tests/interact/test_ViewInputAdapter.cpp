// What the view's raw mouse calls become: stream events with y flipped, one
// button at a time, camera moves in camera mode, releases on focus loss.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interact/InputEventStream.h"
#include "interact/ViewController.h"
#include "interact/ViewInputAdapter.h"
#include "tests/support/Near.h"
#include "wml/ExtendedWmlCamera.h"

using vynui::InputEvent;
using vynui::ViewInputAdapter;
using V3 = Wml::Vector3<float>;

namespace {

struct Recorder : vynui::IInputEventListener {
    std::vector<std::string> seen;
    int OnInputEvent(const InputEvent& e) override
    {
        std::string what = e.IsLeftPress()             ? "LD"
                           : e.IsLeftDrag()            ? "Ld"
                           : e.IsLeftRelease()         ? "LU"
                           : e.IsRightPress()          ? "RD"
                           : e.IsRightDrag()           ? "Rd"
                           : e.IsRightRelease()        ? "RU"
                           : e.kind == InputEvent::KEY ? "K"
                                                       : "?";
        seen.push_back(what + (e.kind == InputEvent::KEY ? std::string(1, char(e.key))
                                                         : std::to_string(e.x) + "," + std::to_string(e.y)));
        return 1;
    }
};

struct Rig {
    vynui::CInputEventStream stream;
    Wml::ExtendedWmlCamera camera{200, 100};
    vynui::ViewController controller{&camera};
    ViewInputAdapter adapter{&stream, &controller};
    Recorder recorder;
    Rig()
    {
        camera.SetFrameLookAt(V3(0, 0, 5), V3(-1, 0, 0), V3(0, 1, 0), V3(0, 0, 0));
        stream.AddListener(&recorder);
        adapter.SetWindowHeight(100);
    }
};

}  // namespace

TEST(ViewInputAdapter, ButtonsBecomeStreamEventsWithYFromTheBottom)
{
    Rig rig;
    EXPECT_TRUE(rig.adapter.MousePress(ViewInputAdapter::LEFT, 10, 0));
    EXPECT_FALSE(rig.adapter.MousePress(ViewInputAdapter::RIGHT, 10, 0));  // ignored while left is held
    EXPECT_FALSE(rig.adapter.MousePress(ViewInputAdapter::MIDDLE, 10, 0));
    EXPECT_TRUE(rig.adapter.MouseMove(12, 9));
    EXPECT_FALSE(rig.adapter.MouseRelease(ViewInputAdapter::RIGHT, 12, 9));
    EXPECT_TRUE(rig.adapter.MouseRelease(ViewInputAdapter::LEFT, 12, 9));
    EXPECT_FALSE(rig.adapter.MouseMove(20, 20));             // nothing held: nothing sent
    rig.adapter.MousePress(ViewInputAdapter::MIDDLE, 0, 0);  // the middle button only grabs the mouse
    rig.adapter.MouseMove(1, 1);
    rig.adapter.MouseRelease(ViewInputAdapter::MIDDLE, 1, 1);
    rig.adapter.MousePress(ViewInputAdapter::RIGHT, 5, 99);
    rig.adapter.MouseMove(6, 98);
    rig.adapter.MouseRelease(ViewInputAdapter::RIGHT, 6, 98);
    rig.adapter.Key('x');
    EXPECT_EQ(rig.recorder.seen,
              (std::vector<std::string>{"LD10,99", "Ld12,90", "LU12,90", "RD5,0", "Rd6,1", "RU6,1", "Kx"}));
    EXPECT_TRUE(rig.stream.IsIdle());
}

TEST(ViewInputAdapter, CameraModeDragsMoveTheCameraAndDrawNoStroke)
{
    struct Case {
        ViewInputAdapter::Button button;
        const char* expectedEvents;  // what the stream saw
    } cases[] = {
        {ViewInputAdapter::LEFT, "LU"}, {ViewInputAdapter::MIDDLE, ""}, {ViewInputAdapter::RIGHT, "RDRU"}};
    for (const Case& c : cases) {
        Rig rig;
        rig.adapter.SetCameraMode(true);
        rig.adapter.MousePress(c.button, 50, 50);
        EXPECT_TRUE(rig.adapter.MouseMove(70, 40));
        rig.adapter.MouseRelease(c.button, 70, 40);
        std::string events;
        for (const std::string& e : rig.recorder.seen) events += e.substr(0, 2);
        EXPECT_EQ(events, c.expectedEvents) << c.button;
        EXPECT_FALSE(kftest::Near(rig.camera.GetLocation(), V3(0, 0, 5), 1e-4f)) << c.button;
        EXPECT_TRUE(rig.stream.IsIdle());
    }
    // Each drag maps to the controller's camera-mode move of the same pixels.
    Rig a, b;
    a.adapter.SetCameraMode(true);
    a.adapter.MousePress(ViewInputAdapter::LEFT, 50, 50);
    a.adapter.MouseMove(70, 40);
    b.controller.CameraModeTumble(20, 10);
    EXPECT_TRUE(kftest::Near(a.camera.GetLocation(), b.camera.GetLocation(), 1e-6f));
}

TEST(ViewInputAdapter, LosingTheFocusReleasesHeldButtons)
{
    Rig rig;
    rig.adapter.MousePress(ViewInputAdapter::LEFT, 3, 3);
    rig.adapter.MouseMove(8, 3);
    rig.adapter.FocusLost();
    EXPECT_FALSE(rig.adapter.AnyHeld());
    EXPECT_TRUE(rig.stream.IsIdle());
    EXPECT_EQ(rig.recorder.seen.back(), "LU8,96");
    rig.adapter.FocusLost();  // nothing more to release
    EXPECT_EQ(rig.recorder.seen.size(), 3u);
}

#pragma once
// A view core without a window, a scripted user interface and a fake clock,
// with the mouse moves a person makes: the shared base of the view tests'
// rigs.

#include <cmath>
#include <cstddef>
#include <vector>

#include "interact/GestureEngine.h"
#include "interact/HUDButton.h"
#include "interact/HUDManager.h"
#include "tests/support/FakeClock.h"
#include "tests/support/MouseStrokes.h"
#include "tests/support/ScriptedUserInterface.h"
#include "view/ViewCore.h"

namespace viewtest {

struct ViewInputRig {
    static constexpr int W = 800;
    static constexpr int H = 600;
    // The view is declared first so that it goes last: what a rig adds may
    // still be told of its teardown.
    vynui::CViewCore view{vynui::CViewCore::Managers::Own};
    kftest::ScriptedUserInterface ui;
    kftest::FakeClock clock{50.0};

    /// A left-button drag through points given with y counted from the top,
    /// as the window reports them.
    void Drag(const std::vector<Wml::Vector2f>& points)
    {
        auto px = [](float v) { return int(std::lround(v)); };
        view.MousePress(vynui::ViewInputAdapter::LEFT, px(points[0].X()), px(points[0].Y()), false);
        for (std::size_t i = 1; i < points.size(); ++i) {
            clock.Advance(0.01);
            view.MouseMove(px(points[i].X()), px(points[i].Y()));
        }
        clock.Advance(0.01);
        view.MouseRelease(vynui::ViewInputAdapter::LEFT, px(points.back().X()), px(points.back().Y()));
        clock.Advance(1.0);
    }

    /// Crosses a HUD button with a short stroke, as a person chooses it.
    void Cross(vynui::HUDButton* button)
    {
        const Wml::Vector2f centre = view.GetHUDManager().HUDToPixel(button->GetBox().Center());
        const float yDown = float(H - 1) - centre.Y();
        Drag(sketchtest::SampleMouse(sketchtest::Line(Wml::Vector2f(centre.X(), yDown - 30.0f),
                                                      Wml::Vector2f(centre.X(), yDown + 30.0f)),
                                     3.0f, 0.0f));
    }
};

}  // namespace viewtest

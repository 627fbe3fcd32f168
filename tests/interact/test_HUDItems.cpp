// HUD items without a window: the response curve, buttons hit by presses,
// taps and strokes, sliders, state buttons, widgets, toolbars and icons.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "interact/HUDAutoSliderButton.h"
#include "interact/HUDButton.h"
#include "interact/HUDFileIcon.h"
#include "interact/HUDImageSetIcon.h"
#include "interact/HUDResponseCurve.h"
#include "interact/HUDSliderButton.h"
#include "interact/HUDSliderIcon.h"
#include "interact/HUDSliderSignWidget.h"
#include "interact/HUDSliderWidget.h"
#include "interact/HUDStateButton.h"
#include "interact/HUDStateListWidget.h"
#include "interact/HUDToolbar.h"
#include "tests/interact/HUDTestSupport.h"
#include "tests/support/Near.h"
#include "tests/support/TempFolder.h"
#include "wml/DebugOutput.h"

using namespace vynui;
using V2 = Wml::Vector2<float>;
using Box = Wml::AxisAlignedBox2<float>;

namespace {

::testing::AssertionResult SameBox(const Box& a, const Box& b, float tol = 1e-5f)
{
    for (int i = 0; i < 2; ++i)
        if (std::fabs(a.Min(i) - b.Min(i)) > tol || std::fabs(a.Max(i) - b.Max(i)) > tol)
            return ::testing::AssertionFailure()
                   << "(" << a.Min(0) << ".." << a.Max(0) << ", " << a.Min(1) << ".." << a.Max(1) << ") vs ("
                   << b.Min(0) << ".." << b.Max(0) << ", " << b.Min(1) << ".." << b.Max(1) << ")";
    return ::testing::AssertionSuccess();
}

// A plain button at a known box, with a recording handler.
struct ButtonRig {
    HUDButton button;
    hudtest::RecordingHandler handler;
    explicit ButtonRig(bool crossable = true) : button("B", nullptr, true, crossable)
    {
        button.SetPosition(1.0f, 0.5f, false);  // 1..1.125 x 0.5..0.625
        button.AddEventHandler(&handler);
    }
};

struct StateTarget : HUDStateButton::IHUDStateTarget {
    int key = 20;
    int sets = 0;
    int GetCurrentStateKey() override { return key; }
    void SetStateKey(int k) override
    {
        key = k;
        ++sets;
    }
};

struct ToolbarHandler : IHUDToolbarEventHandler {
    int moved = 0, closed = 0;
    void OnToolbarMoved() override { ++moved; }
    void OnToolbarClosed() override { ++closed; }
};

// A slider that records every value it reports.
struct RecordingSlider : HUDSliderButton {
    std::vector<float> values;
    RecordingSlider() : HUDSliderButton("Slider", "/nonexistent/slider.png") {}
    void OnValueChanged(float v) override { values.push_back(v); }
};

struct RecordingAutoSlider : HUDAutoSliderButton {
    std::vector<float> values;
    explicit RecordingAutoSlider(bool rate) : HUDAutoSliderButton("Auto", "/nonexistent/auto.png", rate) {}
    void OnValueChanged(float v) override { values.push_back(v); }
};

}  // namespace

// ---- response curve ----------------------------------------------------

TEST(HUDResponseCurve, DeadZoneEaseAndSaturation)
{
    auto eased = [](float m, float d, float s) {
        float t = (m - d) / (s - d), h = 1 - t * t;
        return 1 - h * h * h;
    };
    struct Row {
        int mode;
        V2 pointer;
        float expected;
    } rows[] = {
        {HUDResponseCurve::VERTICAL, V2(5, 0.05f), 0.0f},  // inside the dead zone, x ignored
        {HUDResponseCurve::VERTICAL, V2(0, -0.05f), 0.0f},
        {HUDResponseCurve::VERTICAL, V2(0, 0.25f), 1.0f},  // at saturation
        {HUDResponseCurve::VERTICAL, V2(0, -3.0f), -1.0f},
        {HUDResponseCurve::VERTICAL, V2(0, 0.15f), eased(0.15f, 0.06f, 0.25f)},
        {HUDResponseCurve::VERTICAL, V2(0, -0.15f), -eased(0.15f, 0.06f, 0.25f)},
        {HUDResponseCurve::HORIZONTAL, V2(-0.2f, 9), -eased(0.2f, 0.06f, 0.25f)},
        {HUDResponseCurve::DISTANCE, V2(-0.3f, -0.4f), 1.0f},  // distance: never negative
        {HUDResponseCurve::DISTANCE, V2(-0.09f, -0.12f), eased(0.15f, 0.06f, 0.25f)},
        {HUDResponseCurve::VERTICAL, V2(0, NAN), 0.0f},
    };
    for (const Row& row : rows) {
        HUDResponseCurve curve(row.mode);
        EXPECT_NEAR(curve.Gain(row.pointer), row.expected, 1e-5f) << row.mode << " " << row.pointer.Y();
    }
    // The gain is measured from the origin, and bad settings are refused.
    HUDResponseCurve curve(HUDResponseCurve::VERTICAL);
    curve.SetOrigin(V2(0, 1));
    EXPECT_EQ(curve.Gain(V2(0, 1.3f)), 1.0f);
    EXPECT_FALSE(curve.SetSaturation(0.01f));
    EXPECT_FALSE(curve.SetDeadZone(NAN));
    EXPECT_FLOAT_EQ(curve.GetSaturation(), 0.25f);
}

// ---- buttons -------------------------------------------------------------

TEST(HUDButton, TapsAndStrokesActivateCrossableButtonsOnly)
{
    auto seg = [](V2 a, V2 b) { return Wml::Segment2<float>::FromEndPoints(a, b); };
    struct Row {
        const char* what;
        Wml::Segment2<float> segment;
        bool crossable, enabled, activates;
    } rows[] = {
        {"tap inside", seg(V2(1.06f, 0.56f), V2(1.06f, 0.56f)), true, true, true},
        {"tap inside, not crossable", seg(V2(1.06f, 0.56f), V2(1.06f, 0.56f)), false, true, false},
        {"tap inside, disabled", seg(V2(1.06f, 0.56f), V2(1.06f, 0.56f)), true, false, false},
        {"tap outside", seg(V2(0.9f, 0.56f), V2(0.9f, 0.56f)), true, true, false},
        {"stroke through, both ends outside", seg(V2(0.8f, 0.4f), V2(1.3f, 0.7f)), true, true, true},
        {"stroke through, not crossable", seg(V2(0.8f, 0.4f), V2(1.3f, 0.7f)), false, true, false},
        {"stroke ending inside", seg(V2(0.5f, 0.56f), V2(1.1f, 0.56f)), true, true, true},
        {"stroke passing beside", seg(V2(0.8f, 0.7f), V2(1.3f, 0.7f)), true, true, false},
        {"stroke stopping short", seg(V2(0.5f, 0.56f), V2(0.99f, 0.56f)), true, true, false},
    };
    for (const Row& row : rows) {
        ButtonRig rig(row.crossable);
        rig.button.SetEnabled(row.enabled);
        HUDItem* hit = rig.button.OnCross(row.segment);
        EXPECT_EQ(hit != nullptr, row.activates) << row.what;
        EXPECT_EQ(rig.handler.activations, row.activates ? 1 : 0) << row.what;
    }
}

TEST(HUDButton, PressDragReleaseReportDeltasAndTheLastPoint)
{
    ButtonRig rig;
    EXPECT_EQ(rig.button.OnMouseDown(V2(0.5f, 0.5f)), nullptr);  // outside
    EXPECT_EQ(rig.button.OnMouseDrag(V2(0.6f, 0.6f)), nullptr);  // not pressed
    EXPECT_EQ(rig.handler.presses + rig.handler.drags, 0);

    EXPECT_EQ(rig.button.OnMouseDown(V2(1.05f, 0.55f)), &rig.button);
    EXPECT_TRUE(rig.button.IsPressed());
    EXPECT_EQ(rig.button.OnMouseDrag(V2(1.25f, 0.45f)), &rig.button);  // drags may leave the box
    EXPECT_EQ(rig.button.OnMouseDrag(V2(1.35f, 0.65f)), &rig.button);
    EXPECT_TRUE(kftest::Near(rig.handler.dragSum, V2(0.3f, 0.1f), 1e-6f));
    rig.button.OnMouseUp();
    EXPECT_FALSE(rig.button.IsPressed());
    EXPECT_TRUE(kftest::Near(rig.handler.lastRelease, V2(1.35f, 0.65f), 1e-6f));
    EXPECT_EQ(rig.handler.drags, 2);

    // A disabled button refuses the drag: the HUD then ends the capture.
    EXPECT_NE(rig.button.OnMouseDown(V2(1.05f, 0.55f)), nullptr);
    rig.button.SetEnabled(false);
    EXPECT_EQ(rig.button.OnMouseDrag(V2(1.1f, 0.55f)), nullptr);
    // Invisible buttons are not offered anything by their toolbar.
    HUDToolbar toolbar("T", HUDToolbar::FREE, true);
    ButtonRig hidden;
    toolbar.AddButton(&hidden.button);
    hidden.button.SetVisible(false);
    EXPECT_EQ(toolbar.OnMouseDown(V2(1.05f, 0.55f)), nullptr);
}

// ---- sliders -------------------------------------------------------------

TEST(HUDSliderButton, StepsFollowTheDragWhileTheGainFollowsTheDistance)
{
    RecordingSlider slider;
    slider.SetPosition(0, 0, false);
    ASSERT_NE(slider.GetSliderIcon(), nullptr);
    EXPECT_EQ(slider.GetSliderIcon()->GetBarColor(), Wml::ColorRGBA(0, 0, 1, 1));
    EXPECT_FALSE(slider.IsCrossable());

    ASSERT_EQ(slider.OnMouseDown(V2(0.06f, 0.06f)), &slider);
    EXPECT_TRUE(slider.IsActive());
    EXPECT_TRUE(slider.GetSliderIcon()->IsActive());
    ASSERT_EQ(slider.values.size(), 1u);
    EXPECT_FLOAT_EQ(slider.values[0], 0.3f);  // the press reports the value it starts from

    // Out to 0.3 (beyond saturation 0.2): gain 1, step = (dx + dy) * 0.1.
    slider.OnMouseDrag(V2(0.36f, 0.06f));
    EXPECT_NEAR(slider.GetValue(), 0.3f + 0.03f, 1e-6f);
    EXPECT_TRUE(slider.GetSignWidget()->IsPlus());
    // Back toward the press point by 0.1: still 0.2 away, so full gain, minus sign.
    slider.OnMouseDrag(V2(0.26f, 0.06f));
    EXPECT_NEAR(slider.GetValue(), 0.33f - 0.01f, 1e-6f);
    EXPECT_FALSE(slider.GetSignWidget()->IsPlus());
    // Past the press point to the other side, 0.1 away: the gain depends on the
    // distance (eased), the direction on the step.
    float before = slider.GetValue();
    slider.OnMouseDrag(V2(-0.04f, 0.06f));
    float t = 0.1f / 0.2f, h = 1 - t * t;
    EXPECT_NEAR(slider.GetValue(), before - 0.3f * 0.1f * (1 - h * h * h), 1e-6f);
    EXPECT_TRUE(kftest::Near(slider.GetSignWidget()->GetSignCenter(), V2(-0.01f, 0.09f), 1e-6f));

    // Far drags clamp at the ends of the range, and every step is reported.
    for (int i = 0; i < 30; ++i) slider.OnMouseDrag(V2(-0.04f - 0.5f * (i + 1), 0.06f));
    EXPECT_EQ(slider.GetValue(), 0.0f);
    for (int i = 0; i < 80; ++i) slider.OnMouseDrag(V2(-15.0f + 0.5f * (i + 1), 0.06f));
    EXPECT_EQ(slider.GetValue(), 1.0f);
    EXPECT_EQ(slider.values.size(), 1u + 3u + 30u + 80u);
    for (float v : slider.values) EXPECT_TRUE(v >= 0.0f && v <= 1.0f);

    slider.OnMouseUp();
    EXPECT_FALSE(slider.IsActive());
    EXPECT_FALSE(slider.GetSliderIcon()->IsActive());
    EXPECT_FALSE(slider.GetSignWidget()->IsShown());
}

TEST(HUDAutoSliderButton, RateModeReportsTheGainByHeightAboveTheCentre)
{
    struct Row {
        float dy;  // pointer height above the button's centre
        float gain;
    } rows[] = {{0.0f, 0.0f}, {0.059f, 0.0f}, {-0.059f, 0.0f}, {0.25f, 1.0f}, {0.4f, 1.0f}, {-0.3f, -1.0f}};
    for (const Row& row : rows) {
        RecordingAutoSlider slider(true);
        EXPECT_EQ(slider.GetSliderIcon()->GetBarColor(), Wml::ColorRGBA(0, 0, 1, 1));
        slider.SetPosition(0.5f, 0.5f, false);
        V2 centre = slider.GetBox().Center();
        ASSERT_NE(slider.OnMouseDown(centre + V2(0.03f, 0.0f)), nullptr);
        EXPECT_TRUE(slider.values.empty());             // rate mode reports nothing on press
        slider.OnMouseDrag(centre + V2(0.5f, row.dy));  // sideways motion does not count
        ASSERT_EQ(slider.values.size(), 1u);
        EXPECT_NEAR(slider.values[0], row.gain, 1e-6f) << row.dy;
        // Held still, each replay reports the same gain again.
        slider.OnMouseDrag(centre + V2(0.5f, row.dy));
        EXPECT_NEAR(slider.values.back(), row.gain, 1e-6f);
        EXPECT_TRUE(slider.IsContinuous());
    }

    // Value mode: steps of 0.01 * gain, clamped to the range.
    RecordingAutoSlider slider(false);
    ASSERT_TRUE(slider.GetSliderIcon()->SetRange(0.0f, 0.32f));
    ASSERT_NE(slider.OnMouseDown(V2(0.06f, 0.06f)), nullptr);
    EXPECT_TRUE(slider.GetSliderIcon()->IsActive());
    slider.OnMouseDrag(V2(0.06f, 0.5f));
    EXPECT_NEAR(slider.GetSliderIcon()->GetValue(), 0.31f, 1e-6f);
    for (int i = 0; i < 5; ++i) slider.OnMouseDrag(V2(0.06f, 0.5f));
    EXPECT_FLOAT_EQ(slider.GetSliderIcon()->GetValue(), 0.32f);
    size_t reported = slider.values.size();
    slider.OnMouseDrag(V2(0.06f, 0.0625f));  // inside the dead zone: no step, nothing reported
    EXPECT_EQ(slider.values.size(), reported);
    slider.OnMouseUp();
    EXPECT_FALSE(slider.GetSliderIcon()->IsActive());
}

TEST(HUDSliderIcon, ValueStaysInItsRange)
{
    HUDSliderIcon icon("/nonexistent/x.png");
    EXPECT_FLOAT_EQ(icon.GetValue(), 0.3f);
    EXPECT_FLOAT_EQ(icon.GetBarFraction(), 0.3f);
    icon.SetValue(7.0f);
    EXPECT_EQ(icon.GetValue(), 1.0f);
    icon.SetValue(NAN);
    EXPECT_EQ(icon.GetValue(), 1.0f);
    EXPECT_FALSE(icon.SetRange(2.0f, 1.0f));
    EXPECT_FALSE(icon.SetRange(0.0f, INFINITY));
    EXPECT_TRUE(icon.SetRange(-2.0f, 0.0f));
    EXPECT_EQ(icon.GetValue(), 0.0f);
    EXPECT_FLOAT_EQ(icon.GetBarFraction(), 1.0f);
    EXPECT_TRUE(icon.SetRange(0.5f, 0.5f));  // an empty range draws no bar rather than dividing by zero
    EXPECT_EQ(icon.GetBarFraction(), 0.0f);
    EXPECT_FLOAT_EQ(icon.GetBackgroundAlpha(), 1.0f);
    icon.SetActive(true);
    EXPECT_FLOAT_EQ(icon.GetBackgroundAlpha(), 0.6f);
    EXPECT_FLOAT_EQ(icon.GetBarAlpha(), 0.5f);
}

// ---- widgets -------------------------------------------------------------

TEST(HUDWidget, PlacementFollowsTheOwnerBeforeEachDraw)
{
    struct Widget : HUDWidget {
        using HUDWidget::HUDWidget;
        void Draw() override {}
    };
    HUDButton owner("Owner", nullptr);
    owner.SetPosition(1.0f, 2.0f, false);  // 1..1.125 x 2..2.125
    struct Row {
        int placement;
        Box expected;
    } rows[] = {
        {HUDWidget::PLACE_LEFT, Box(0.7f, 1.0f, 2.025f, 2.125f)},
        {HUDWidget::PLACE_RIGHT, Box(1.125f, 1.425f, 2.025f, 2.125f)},
        {HUDWidget::PLACE_BELOW, Box(1.0f, 1.3f, 1.9f, 2.0f)},
        {HUDWidget::PLACE_ABOVE, Box(1.0f, 1.3f, 2.125f, 2.225f)},
        {HUDWidget::PLACE_FIXED, Box(5.0f, 5.3f, 5.0f, 5.1f)},
    };
    for (const Row& row : rows) {
        Widget widget(&owner, Box(5.0f, 5.3f, 5.0f, 5.1f), row.placement);
        owner.AddWidget(&widget);
        owner.UpdateWidgets();
        EXPECT_TRUE(SameBox(widget.GetBox(), row.expected)) << row.placement;
        owner.SetPosition(0.5f, 0.0f, true);  // and again after the owner moves
        owner.UpdateWidgets();
        Box moved = row.expected;
        if (row.placement != HUDWidget::PLACE_FIXED)
            moved = Box(moved.Min(0) + 0.5f, moved.Max(0) + 0.5f, moved.Min(1), moved.Max(1));
        EXPECT_TRUE(SameBox(widget.GetBox(), moved)) << row.placement;
        owner.SetPosition(-0.5f, 0.0f, true);
        owner.RemoveWidget(&widget);
    }
}

TEST(HUDSliderWidget, TrackAndKnobFromTheTargetsFraction)
{
    struct Target : HUDSliderWidget::IHUDSliderTarget {
        bool shown = true;
        float fraction = 0.0f;
        bool IsShown(HUDSliderWidget*) override { return shown; }
        float GetFraction(HUDSliderWidget*) override { return fraction; }
    } target;
    HUDButton owner("Owner", nullptr);  // 0..0.125 squared
    HUDSliderWidget bar(&owner, &target, 1.0f, 0.1f, true, HUDWidget::PLACE_RIGHT);
    bar.UpdatePlacement();
    EXPECT_TRUE(SameBox(bar.GetBox(), Box(0.125f, 1.125f, 0.025f, 0.125f)));
    // Inset 0.01 at the ends plus half the knob (0.02); 0.0425 at the sides.
    EXPECT_TRUE(SameBox(bar.GetTrackBox(), Box(0.155f, 1.095f, 0.0675f, 0.0825f)));
    struct Row {
        float fraction, x;
    } rows[] = {{0.0f, 0.155f}, {1.0f, 1.095f}, {0.5f, 0.625f}, {3.0f, 1.095f}, {NAN, 0.155f}};
    for (const Row& row : rows) {
        target.fraction = row.fraction;
        EXPECT_TRUE(kftest::Near(bar.GetKnobCenter(), V2(row.x, 0.075f), 1e-5f)) << row.fraction;
    }
    HUDSliderWidget column(&owner, &target, 1.0f, 0.1f, false, HUDWidget::PLACE_ABOVE);
    column.UpdatePlacement();
    target.fraction = 0.0f;
    EXPECT_TRUE(
        kftest::Near(column.GetKnobCenter(), V2(0.05f, 0.125f + 0.03f), 1e-5f));  // starts at the bottom
    target.shown = false;
    EXPECT_FALSE(bar.IsShown());
}

// ---- state buttons -------------------------------------------------------

TEST(HUDStateButton, CellsStandRightOfTheButtonAndReleasePicksOne)
{
    StateTarget target;
    HUDStateButton button("State", &target);
    for (int key : {10, 20, 30}) button.AddState(key, "/nonexistent/state.png");
    button.SetPosition(0.0f, 0.0f, false);
    button.SyncWithTarget();
    EXPECT_EQ(button.GetImageSet()->GetCurrentKey(), 20);
    EXPECT_FALSE(button.IsCrossable());

    const HUDStateListWidget& list = *button.GetListWidget();
    const float c = 0.75f * 0.125f, g = 0.1f * c, top = 0.0625f + (2 * g + 3 * c) / 2;
    for (int i = 0; i < 3; ++i) {
        float cellTop = top - i * (c + g);
        EXPECT_TRUE(SameBox(list.GetCellBox(i), Box(0.125f + g, 0.125f + g + c, cellTop - c, cellTop))) << i;
    }
    // The column is centred on the button.
    EXPECT_NEAR(list.GetCellBox(1).Center().Y(), 0.0625f, 1e-6f);

    struct Row {
        const char* what;
        V2 releaseAt;
        int key;
        int highlighted;
    } rows[] = {
        {"over the first cell", list.GetCellBox(0).Center(), 10, 0},
        {"over the last cell", list.GetCellBox(2).Center(), 30, 2},
        {"in the gap between cells",
         V2(list.GetCellBox(0).Center().X(), list.GetCellBox(0).Min(1) - 0.5f * g), 20, 1},
        {"outside every cell", V2(-1.0f, -1.0f), 20, 1},
    };
    for (const Row& row : rows) {
        target.key = 20;
        button.SyncWithTarget();
        int sets = target.sets;
        ASSERT_NE(button.OnMouseDown(V2(0.06f, 0.06f)), nullptr);
        EXPECT_TRUE(list.IsShown());
        button.OnMouseDrag(row.releaseAt);
        EXPECT_EQ(list.GetHighlightedCell(), row.highlighted) << row.what;
        EXPECT_EQ(list.GetOutlineColor(row.highlighted), Wml::ColorRGBA(1, 0, 0, 1));
        button.OnMouseUp();
        EXPECT_FALSE(list.IsShown());
        EXPECT_EQ(target.key, row.key) << row.what;
        EXPECT_EQ(target.sets - sets, row.key == 20 ? 0 : 1) << row.what;
    }
}

// ---- toolbars ------------------------------------------------------------

TEST(HUDToolbar, RowsAndColumnsPlaceButtonsWithSpacing)
{
    HUDButton a("A", nullptr), b("B", nullptr), c("C", nullptr);
    HUDToolbar row("Row", HUDToolbar::HORIZONTAL, true);
    EXPECT_EQ(row.GetCloseButton().GetName(), "RowCloseButton");
    EXPECT_TRUE(SameBox(row.GetBox(), Box(-0.025f, 0.025f, -0.05f, 0.0f)));
    for (HUDButton* button : {&a, &b, &c}) row.AddButton(button);
    row.AddButton(&a);  // once only
    ASSERT_EQ(row.GetItems().size(), 3u);
    const float x0 = 0.025f + 0.025f, step = 0.125f + 0.025f;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(
            SameBox(row.GetItems()[i]->GetBox(), Box(x0 + i * step, x0 + i * step + 0.125f, -0.125f, 0.0f)))
            << i;
    EXPECT_TRUE(SameBox(row.GetBox(), Box(-0.025f, x0 + 2 * step + 0.125f, -0.125f, 0.0f)));

    // Moving to an absolute corner moves everything together; Relayout keeps the corner.
    row.SetPosition(1.0f, 1.0f, false);
    EXPECT_TRUE(kftest::Near(row.GetBox().MinCorner(), V2(1.0f, 1.0f), 1e-6f));
    EXPECT_NEAR(a.GetBox().Min(0), 1.0f + 0.025f + x0, 1e-6f);
    b.SetPosition(3.0f, 3.0f, false);  // knocked out of place
    row.Relayout();
    EXPECT_TRUE(kftest::Near(row.GetBox().MinCorner(), V2(1.0f, 1.0f), 1e-6f));
    EXPECT_NEAR(b.GetBox().Min(0), 1.0f + 0.025f + x0 + step, 1e-6f);
    EXPECT_NEAR(b.GetBox().Max(1), 1.125f, 1e-6f);

    HUDButton d("D", nullptr), e("E", nullptr);
    HUDToolbar column("Column", HUDToolbar::VERTICAL, true);
    column.AddButton(&d);
    column.AddButton(&e);
    EXPECT_TRUE(SameBox(column.GetCloseButton().GetBox(), Box(0.0f, 0.05f, -0.025f, 0.025f)));
    EXPECT_TRUE(SameBox(d.GetBox(), Box(0.0f, 0.125f, -0.175f, -0.05f)));
    EXPECT_TRUE(SameBox(e.GetBox(), Box(0.0f, 0.125f, -0.325f, -0.2f)));
    EXPECT_TRUE(SameBox(column.GetBox(), Box(0.0f, 0.125f, -0.325f, 0.025f)));

    // Free toolbars leave their buttons where they are.
    HUDButton f("F", nullptr);
    f.SetPosition(0.7f, 0.2f, false);
    HUDToolbar free("Free", HUDToolbar::FREE, false);
    free.AddButton(&f);
    EXPECT_TRUE(SameBox(f.GetBox(), Box(0.7f, 0.825f, 0.2f, 0.325f)));
    EXPECT_NEAR(free.GetBox().Max(0), 0.825f, 1e-6f);

    // A minimum extent pads the row but the next button still follows the last one.
    HUDToolbar padded("Padded", HUDToolbar::HORIZONTAL, true);
    padded.SetMinimumExtent(1.0f);
    EXPECT_NEAR(padded.GetBox().Extent(0), 1.0f, 1e-6f);
    HUDButton g1("G", nullptr);
    padded.AddButton(&g1);
    EXPECT_NEAR(g1.GetBox().Min(0), x0, 1e-6f);

    row.RemoveAll();
    EXPECT_TRUE(row.GetItems().empty());
    EXPECT_TRUE(SameBox(row.GetBox(), row.GetCloseButton().GetBox()));
}

TEST(HUDToolbar, CloseButtonMovesAlwaysAndClosesOnlyClosableToolbars)
{
    for (bool closable : {false, true}) {
        HUDButton a("A", nullptr);
        HUDToolbar toolbar("T", HUDToolbar::HORIZONTAL, closable);
        toolbar.AddButton(&a);
        ToolbarHandler handler;
        toolbar.AddEventHandler(&handler);
        HUDButton& close = toolbar.GetCloseButton();
        EXPECT_TRUE(close.IsCrossable());

        // Drag the close button: the whole toolbar follows, and is told.
        V2 grab = close.GetBox().Center();
        ASSERT_EQ(toolbar.OnMouseDown(grab), &close);
        close.OnMouseDrag(grab + V2(0.3f, -0.2f));
        close.OnMouseUp();
        EXPECT_TRUE(kftest::Near(close.GetBox().Center(), grab + V2(0.3f, -0.2f), 1e-6f)) << closable;
        EXPECT_NEAR(a.GetBox().Min(0), 0.05f + 0.3f, 1e-6f);
        EXPECT_NEAR(toolbar.GetBox().Min(1), -0.125f - 0.2f, 1e-6f);
        EXPECT_EQ(handler.moved, 1);

        // Activating it closes only a closable toolbar.
        V2 tap = close.GetBox().Center();
        EXPECT_EQ(toolbar.OnCross(Wml::Segment2<float>(tap, V2(0, 0))), &close);
        EXPECT_EQ(toolbar.IsVisible(), !closable);
        EXPECT_EQ(handler.closed, closable ? 1 : 0);
    }
}

// ---- icons ---------------------------------------------------------------

TEST(HUDIcons, FilesDecodeAndMissingOnesStayBlankQuietly)
{
    kftest::TempFolder folder("hud_icons");
    std::string good = folder.File("good.png");
    ASSERT_TRUE(hudtest::WritePng(good, 8, 4, 10, 20, 30));
    std::string damaged = folder.Write("damaged.png", std::string("\x89PNG\r\n\x1a\n garbage", 17));

    std::vector<std::string> messages;
    Wml::ScopedDebugOutputSink sink([&](const char* m) { messages.push_back(m); });
    testing::internal::CaptureStderr();
    {
        HUDFileIcon icon(good);
        EXPECT_TRUE(icon.HasImage());
        EXPECT_EQ(icon.GetWidth(), 8);
        EXPECT_EQ(icon.GetHeight(), 4);
        EXPECT_EQ(icon.GetImage().pixels[2], 30);
        EXPECT_EQ(icon.GetTexture(), 0u);  // made only when first drawn
    }
    for (const std::string& path : {folder.File("missing.png"), damaged, folder.Path().string()}) {
        HUDFileIcon icon(path);
        EXPECT_FALSE(icon.HasImage()) << path;
        EXPECT_EQ(icon.GetWidth(), 0);
        EXPECT_EQ(icon.GetTexture(), 0u);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(messages.empty());

    HUDImageSetIcon set;
    EXPECT_EQ(set.GetCurrentIndex(), -1);
    set.Add(5, new HUDFileIcon(good));
    EXPECT_EQ(set.GetCurrentIndex(), 0);
    set.Add(7, new HUDFileIcon(folder.File("missing.png")));
    set.Add(7, new HUDFileIcon(good));
    EXPECT_TRUE(set.Select(7));
    EXPECT_EQ(set.GetCurrentIndex(), 1);  // the first entry with the key
    EXPECT_EQ(set.GetWidth(), 0);
    EXPECT_FALSE(set.Select(99));
    EXPECT_EQ(set.GetCurrentIndex(), 1);
}

TEST(HUDIcons, ProceduralIconsDrawIntoTheBoxesWindowRectangle)
{
    // An orthographic HUD projection -aspect..aspect x -1..1 on a 640 x 480 viewport.
    const double aspect = 640.0 / 480.0;
    double modelView[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double projection[16] = {1 / aspect, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    int viewport[4] = {0, 0, 640, 480};
    WindowRect rect = ProjectBoxToWindow(Box(0.0f, 0.125f, 0.875f, 1.0f), modelView, projection, viewport);
    EXPECT_EQ(rect.x, 320);
    EXPECT_EQ(rect.y, 450);
    EXPECT_EQ(rect.width, 30);
    EXPECT_EQ(rect.height, 30);
    rect = ProjectBoxToWindow(Box(5.0f, 6.0f, 0.0f, 1.0f), modelView, projection, viewport);
    EXPECT_EQ(rect.width, 0);  // off screen
}

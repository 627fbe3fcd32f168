// The parameter toolbars, driven through the real scene manager: selection
// changes rebuild the selection toolbar, and drags on its buttons edit the
// selected shape's nodes through the parameters' own setters.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blobtree/nodes/BartheSmoothDifferenceNode.h"
#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "implicit/fields2d/PolygonField2D.h"
#include "interact/DynamicTool3D.h"
#include "interact/HUDButton.h"
#include "interact/HUDSliderIcon.h"
#include "interact/HUDStateButton.h"
#include "scene/FloatParameterSliderButton.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "scene/ParameterEditor.h"
#include "surface/SurfaceManager.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "wml/Polygon2.h"

using namespace scenemgr_test;
using vynui::HUDButton;
using vynui::ParameterEditor;
using vynui::ParameterSliderTarget;
using vynui::SceneObject;
using vynui_bt::ShapeCode;
using V2 = Wml::Vector2<float>;

namespace {

/// A float parameter over a plain value, with a range.
class PlainFloat : public vynui::GenericFloatParameter {
public:
    PlainFloat(const std::string& name, float min, float max, float value)
        : GenericFloatParameter(name, min, max), value(value)
    {
    }
    float value;
    void ApplyValue(float v) override { value = v; }
    float ReadValue() override { return value; }
};

class PlainInt : public vynui::GenericIntegerParameter {
public:
    PlainInt(const std::string& name, int min, int max, int value)
        : GenericIntegerParameter(name, min, max), value(value)
    {
    }
    int value;
    void ApplyValue(int v) override { value = v; }
    int ReadValue() override { return value; }
};

/// A scene object holding the given parameters (owned by it).
class ParameterObject : public vynui::SceneObject {
public:
    template <class P>
    P* Add(P* parameter)
    {
        AddParameter(parameter);
        return parameter;
    }
};

std::vector<std::string> Names(const vynui::HUDToolbar& toolbar)
{
    std::vector<std::string> names;
    for (const HUDButton* button : toolbar.GetItems()) names.push_back(button->GetName());
    return names;
}

/// Presses the button in its middle, drags by each step, releases.
void Drag(HUDButton* button, const std::vector<V2>& steps)
{
    V2 point = button->GetBox().Center();
    ASSERT_EQ(button->OnMouseDown(point), button);
    for (const V2& step : steps) {
        point += step;
        button->OnMouseDrag(point);
    }
    button->OnMouseUp();
}

std::shared_ptr<vynimplicit::ScalarField2D> SquareProfile()
{
    Wml::Polygon2<float> square(
        std::vector<Wml::Vector2<float>>{{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}});
    return std::make_shared<vynimplicit::PolygonField2D>(square);
}

struct EditorRig : SceneRig {
    vynui::CSurfaceManager surfaces;
    std::unique_ptr<ParameterEditor> editor;
    EditorRig() { editor = std::make_unique<ParameterEditor>(scene.get(), &surfaces, &constraints); }
    ~EditorRig() { editor.reset(); }
    vynui::HUDToolbar& Toolbar() { return editor->GetSelectionToolbar(); }
};

}  // namespace

// ---------------------------------------------------------------- toolbars

TEST(ParameterEditor, ToolbarsAreNamedPlacedAndNotClosable)
{
    EditorRig rig;
    vynui::HUDToolbar& selection = rig.editor->GetSelectionToolbar();
    vynui::HUDToolbar& global = rig.editor->GetGlobalToolbar();
    EXPECT_EQ(selection.GetName(), "SelectionParameterToolbar");
    EXPECT_EQ(selection.GetLayout(), vynui::HUDToolbar::VERTICAL);
    EXPECT_FALSE(selection.IsClosable());
    EXPECT_FLOAT_EQ(selection.GetBox().Min(0), -1.0f);
    EXPECT_FLOAT_EQ(selection.GetBox().Min(1), 0.0f);
    EXPECT_TRUE(selection.GetItems().empty());

    EXPECT_EQ(global.GetName(), "GlobalParameterToolbar");
    EXPECT_EQ(global.GetLayout(), vynui::HUDToolbar::HORIZONTAL);
    EXPECT_FALSE(global.IsClosable());
    EXPECT_FLOAT_EQ(global.GetBox().Min(0), -1.0f);
    EXPECT_FLOAT_EQ(global.GetCloseButton().GetBox().Min(1), 0.95f);
    EXPECT_FLOAT_EQ(global.GetBox().Max(1), 1.0f);  // the buttons hang inside the view
    EXPECT_EQ(Names(global), (std::vector<std::string>{"MeshResButton", "ConstraintHistory"}));
    EXPECT_EQ(global.GetItems()[1], rig.constraints.GetHistoryButton());
}

TEST(ParameterEditor, SelectingARicciBlendShowsItsPowerSliderFromOneToTwenty)
{
    EditorRig rig;
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(ShapeCode::RicciBlend, rig.Root(), true);
    auto* node = static_cast<vynbt::RicciBlendNode*>(blend->GetNode());
    ASSERT_EQ(Names(rig.Toolbar()), std::vector<std::string>{"BlendPowerButton"});

    auto* slider = rig.editor->GetSliderButton("BlendPowerButton");
    ASSERT_EQ(rig.Toolbar().GetItems()[0], slider);
    const ParameterSliderTarget& target = slider->GetTarget();
    EXPECT_EQ(target.GetParameter(), blend->GetParameterList()->Find("Blend Power"));
    EXPECT_EQ(target.GetMapping(), ParameterSliderTarget::LINEAR);
    EXPECT_FLOAT_EQ(target.GetValueMinimum(), 1.0f);
    EXPECT_FLOAT_EQ(target.GetValueMaximum(), 20.0f);

    // A drag up raises the node's power, and the scene hears of the edit.
    const float before = node->GetPower();
    rig.recorder.events.clear();
    Drag(slider, {V2(0, 0.05f), V2(0, 0.05f), V2(0, 0.05f)});
    EXPECT_GT(node->GetPower(), before);
    EXPECT_LE(node->GetPower(), 20.0f);
    EXPECT_NE(std::find(rig.recorder.events.begin(), rig.recorder.events.end(), "modified"),
              rig.recorder.events.end());

    // A long drag stops at the slider's end, 20, not at the parameter's own maximum.
    Drag(slider, std::vector<V2>(100, V2(0.1f, 0.1f)));
    EXPECT_FLOAT_EQ(node->GetPower(), 20.0f);
    Drag(slider, std::vector<V2>(100, V2(-0.1f, -0.1f)));
    EXPECT_FLOAT_EQ(node->GetPower(), 1.0f);
}

TEST(ParameterEditor, APressAloneLeavesAValueBeyondTheSliderAlone)
{
    EditorRig rig;
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(ShapeCode::RicciBlend, rig.Root(), true);
    auto* node = static_cast<vynbt::RicciBlendNode*>(blend->GetNode());
    blend->GetParameterList()->Find("Blend Power")->SetFloatValue(50.0f);  // edited elsewhere
    ASSERT_FLOAT_EQ(node->GetPower(), 50.0f);
    auto* slider = rig.editor->GetSliderButton("BlendPowerButton");
    Drag(slider, {});
    EXPECT_FLOAT_EQ(node->GetPower(), 50.0f);
    EXPECT_FLOAT_EQ(slider->GetSliderIcon()->GetValue(), 1.0f);  // shown at the top
}

TEST(ParameterEditor, SelectionDecidesTheButtons)
{
    EditorRig rig;
    BlobTreeNodeSceneObject* a = rig.scene->AddNode(ShapeCode::Point, rig.Root(), true);
    // A point's "Name" and position parameters have no binding; "Radius" has.
    EXPECT_EQ(Names(rig.Toolbar()), std::vector<std::string>{"RadiusButton"});
    BlobTreeNodeSceneObject* b = rig.scene->AddNode(ShapeCode::RicciBlend, rig.Root(), false);
    rig.scene->SetSelection({a, b});
    EXPECT_EQ(rig.Selection().size(), 2u);
    EXPECT_TRUE(rig.Toolbar().GetItems().empty())
        << ::testing::PrintToString(Names(rig.Toolbar()));  // two objects
    // The buttons let go of the parameters they no longer show.
    EXPECT_EQ(rig.editor->GetSliderButton("RadiusButton")->GetTarget().GetParameter(), nullptr);
    rig.scene->SelectObject(a, true);
    EXPECT_EQ(Names(rig.Toolbar()), std::vector<std::string>{"RadiusButton"});
    rig.scene->ClearSelection();
    EXPECT_TRUE(rig.Toolbar().GetItems().empty());
}

TEST(ParameterEditor, ParametersOfEveryKindFindTheirButtons)
{
    EditorRig rig;
    ParameterObject object;
    object.Add(new PlainFloat("Position", 0, 1, 0.5f));
    auto* length = object.Add(new PlainFloat("Length", 0.001f, 100.0f, 2.0f));
    auto* width = object.Add(new PlainFloat("Width", 0.001f, 100.0f, 3.0f));
    auto* sharpness = object.Add(new PlainFloat("Sharpness", 0.2f, 1.0f, 0.5f));
    auto* capStyle = object.Add(new PlainInt("Cap Style", 0, 2, 2));
    auto* resolution = object.Add(new PlainInt("Mesh Resolution", 1, 50, 10));
    rig.editor->ShowParametersOf(&object);

    // "Length" and "Width" share one button, bound to the last of them.
    EXPECT_EQ(Names(rig.Toolbar()), (std::vector<std::string>{"WidthButton", "SharpnessButton",
                                                              "BlobEndCapStyle", "MeshResButton"}));
    EXPECT_EQ(rig.editor->GetSliderButton("WidthButton")->GetTarget().GetParameter(), width);
    EXPECT_NE(rig.editor->GetSliderButton("WidthButton")->GetTarget().GetParameter(), length);
    EXPECT_EQ(rig.editor->GetSharpnessHandler().GetParameter(), sharpness);
    EXPECT_EQ(rig.editor->GetMeshResolutionParameterHandler().GetParameter(), resolution);
    EXPECT_NE(rig.Toolbar().GetItems()[3], rig.editor->GetMeshResolutionButton());
    // The state button shows the integer cap style and sets the key picked.
    vynui::HUDStateButton* cap = rig.editor->GetCapStyleButton();
    ASSERT_NE(cap->GetTarget(), nullptr);
    EXPECT_EQ(cap->GetTarget()->GetCurrentStateKey(), 2);
    cap->GetTarget()->SetStateKey(1);
    EXPECT_EQ(capStyle->value, 1);
    cap->GetTarget()->SetStateKey(7);  // refused by the parameter
    EXPECT_EQ(capStyle->value, 1);
}

TEST(ParameterEditor, TheExtraObjectIsShownBesideTheSelectionOnce)
{
    EditorRig rig;
    BlobTreeNodeSceneObject* target = rig.scene->AddNode(ShapeCode::Point, rig.Root(), true);
    // The cut selects the difference and hands the new sweep over as the extra object.
    BlobTreeNodeSceneObject* sweep = rig.scene->CutWithSweep(target, SquareProfile(), Wml::Frame3<float>());
    ASSERT_NE(sweep, nullptr);
    ASSERT_EQ(rig.Selection().size(), 1u);
    EXPECT_NE(rig.Selection()[0], sweep);
    EXPECT_EQ(Names(rig.Toolbar()),
              (std::vector<std::string>{"SharpnessButton", "BlobFalloffWidthButton", "WidthButton",
                                        "RadiusButton", "BlobEndCapStyle"}));
    EXPECT_EQ(rig.editor->GetExtraObject(), nullptr);
    EXPECT_EQ(rig.editor->GetCapStyleButton()->GetTarget()->GetCurrentStateKey(), 2);  // a sharp cut

    // The next selection change shows the selection alone.
    SceneObject* difference = rig.Selection()[0];
    rig.scene->SelectObject(difference, true);
    EXPECT_EQ(Names(rig.Toolbar()), std::vector<std::string>{"SharpnessButton"});

    // Without a single selection the extra object waits for the next rebuild...
    rig.editor->SetExtraObject(sweep);
    rig.scene->ClearSelection();
    EXPECT_EQ(rig.editor->GetExtraObject(), sweep);
    // ...but one that left the scene meanwhile is not shown.
    ASSERT_TRUE(rig.scene->RemoveNode(sweep, true));  // deleted
    rig.scene->SelectObject(difference, true);
    EXPECT_EQ(Names(rig.Toolbar()), std::vector<std::string>{"SharpnessButton"});
    EXPECT_EQ(rig.editor->GetExtraObject(), nullptr);
}

TEST(ParameterEditor, DetachingStopsRebuildsAndTheSink)
{
    EditorRig rig;
    BlobTreeNodeSceneObject* point = rig.scene->AddNode(ShapeCode::Point, rig.Root(), true);
    ASSERT_EQ(rig.Toolbar().GetItems().size(), 1u);
    // The buttons of a scene that may go away are taken down with it.
    rig.editor->DetachFromScene();
    EXPECT_TRUE(rig.Toolbar().GetItems().empty());
    EXPECT_EQ(rig.editor->GetSliderButton("RadiusButton")->GetTarget().GetParameter(), nullptr);
    rig.scene->ClearSelection();
    rig.scene->SelectObject(point, true);
    EXPECT_TRUE(rig.Toolbar().GetItems().empty());
    rig.editor->AttachToScene(rig.scene.get());
    rig.scene->SelectObject(point, true);
    EXPECT_EQ(Names(rig.Toolbar()), std::vector<std::string>{"RadiusButton"});
}

// ---------------------------------------------------------------- slider mapping

struct MappingCase {
    int mode;
    float sliderMin, sliderMax;
    float valueMin, valueMax;
};

class SliderMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(SliderMapping, ValueToFractionToValueRoundTrips)
{
    const MappingCase& c = GetParam();
    ParameterSliderTarget target;
    ASSERT_TRUE(target.SetMapping(c.mode));
    ASSERT_TRUE(target.SetSliderRange(c.sliderMin, c.sliderMax));
    ASSERT_TRUE(target.SetValueRange(c.valueMin, c.valueMax));
    const float span = c.valueMax - c.valueMin;
    for (float t : {0.0f, 0.001f, 0.05f, 0.25f, 0.5f, 0.75f, 0.99f, 1.0f}) {
        const float value = c.valueMin + t * span;
        const float fraction = target.FractionFromValue(value);
        EXPECT_GE(fraction, c.sliderMin);
        EXPECT_LE(fraction, c.sliderMax);
        EXPECT_NEAR(target.ValueFromFraction(fraction), value, 2e-3f * span) << "t " << t;
    }
    // Out of range both ways: clamped, never beyond the ends.
    EXPECT_FLOAT_EQ(target.FractionFromValue(c.valueMax + span), c.sliderMax);
    EXPECT_FLOAT_EQ(target.FractionFromValue(c.valueMin - span), c.sliderMin);
    EXPECT_FLOAT_EQ(target.ValueFromFraction(c.sliderMax + 5.0f), c.valueMax);
    EXPECT_FLOAT_EQ(target.ValueFromFraction(c.sliderMin - 5.0f), c.valueMin);
    EXPECT_FLOAT_EQ(target.ValueFromFraction(std::nanf("")), c.valueMin);
    EXPECT_FLOAT_EQ(target.FractionFromValue(std::nanf("")), c.sliderMin);
}

INSTANTIATE_TEST_SUITE_P(Modes, SliderMapping,
                         ::testing::Values(MappingCase{1, 0, 1, 1, 20}, MappingCase{2, 0, 1, 1, 20},
                                           MappingCase{2, -1, 3, 0.01f, 25},
                                           MappingCase{1, 0.2f, 0.8f, -1, 10}, MappingCase{0, 0, 1, 0, 1}));

TEST(SliderMapping, EasedGivesTheLowEndMostOfTheTravel)
{
    ParameterSliderTarget target;
    target.SetMapping(ParameterSliderTarget::EASED);
    target.SetValueRange(0, 1);
    // value = 1 - (1 - f^2)^3
    EXPECT_NEAR(target.ValueFromFraction(0.5f), 1.0f - std::pow(0.75f, 3.0f), 1e-6f);
    EXPECT_GT(target.FractionFromValue(0.1f), 0.1f);
    EXPECT_FLOAT_EQ(target.FractionFromValue(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(target.FractionFromValue(1.0f), 1.0f);
    // Bad ranges and modes are refused.
    EXPECT_FALSE(target.SetValueRange(2, 1));
    EXPECT_FALSE(target.SetSliderRange(0, INFINITY));
    EXPECT_FALSE(target.SetMapping(3));
    EXPECT_EQ(target.GetMapping(), ParameterSliderTarget::EASED);
}

// ---------------------------------------------------------------- draggable buttons

struct SharpnessStep {
    float value, minimum, step;
};

class SharpnessDrag : public ::testing::TestWithParam<SharpnessStep> {};

TEST_P(SharpnessDrag, StepEasesFromATenthFarAwayToAHalfTenthAtTheMinimum)
{
    const SharpnessStep& c = GetParam();
    PlainFloat parameter("Sharpness", c.minimum, c.minimum + 100.0f, c.value);
    vynui::DraggableFloatParamButtonHandler handler;
    handler.BindFloat(&parameter);
    EXPECT_NEAR(handler.StepAt(c.value, c.minimum), c.step, 1e-5f);
    handler.OnDrag(V2(0.3f, 0.2f));  // half a unit of drag
    EXPECT_NEAR(parameter.value, c.value + 0.5f * c.step, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(Distances, SharpnessDrag,
                         ::testing::Values(SharpnessStep{5.0f, 0.0f, 0.1f}, SharpnessStep{1.0f, 0.0f, 0.1f},
                                           SharpnessStep{0.5f, 0.0f, 0.05f + 0.05f * (1.0f - 0.421875f)},
                                           SharpnessStep{0.0f, 0.0f, 0.05f},
                                           SharpnessStep{0.21f, 0.2f, 0.050015f}));

TEST(ParameterEditor, SharpnessDragEditsTheSmoothDifferenceWithinItsRange)
{
    EditorRig rig;
    BlobTreeNodeSceneObject* difference =
        rig.scene->AddNode(ShapeCode::BartheSmoothDifference, rig.Root(), true);
    auto* node = static_cast<vynbt::BartheSmoothDifferenceNode*>(difference->GetNode());
    ASSERT_EQ(Names(rig.Toolbar()), std::vector<std::string>{"SharpnessButton"});
    difference->GetParameterList()->Find("Sharpness")->SetFloatValue(0.2f);
    // At the minimum the step is 0.05 per unit.
    Drag(rig.editor->GetSharpnessButton(), {V2(0.1f, 0.0f)});
    EXPECT_NEAR(node->GetSharpness(), 0.205f, 1e-5f);
    // Dragging below the minimum is refused by the parameter: nothing changes.
    Drag(rig.editor->GetSharpnessButton(), {V2(-1.0f, 0.0f)});
    EXPECT_NEAR(node->GetSharpness(), 0.205f, 1e-5f);
}

TEST(ParameterEditor, IntegerDragStepsByOne)
{
    EditorRig rig;
    ParameterObject object;
    auto* resolution = object.Add(new PlainInt("Mesh Resolution", 1, 3, 2));
    rig.editor->ShowParametersOf(&object);
    HUDButton* button = rig.editor->GetMeshResolutionParameterButton();
    ASSERT_EQ(rig.Toolbar().GetItems().size(), 1u);

    struct {
        V2 delta;
        int expected;
    } steps[] = {{V2(0.01f, 0), 3},
                 {V2(0.01f, 0), 3} /* beyond the range: refused */,
                 {V2(0, -0.3f), 2},
                 {V2(0.1f, -0.2f), 1},
                 {V2(0, 0), 1} /* no motion */,
                 {V2(-0.5f, 0.6f), 2}};
    V2 point = button->GetBox().Center();
    ASSERT_EQ(button->OnMouseDown(point), button);
    for (const auto& s : steps) {
        point += s.delta;
        button->OnMouseDrag(point);
        EXPECT_EQ(resolution->value, s.expected);
    }
    button->OnMouseUp();
}

TEST(ParameterEditor, MeshResolutionDragMakesTheMeshFinerOrCoarser)
{
    EditorRig rig;
    HUDButton* button = rig.editor->GetGlobalToolbar().FindItem("MeshResButton");
    ASSERT_EQ(button, rig.editor->GetMeshResolutionButton());
    float& cell = rig.surfaces.GetSettings().cellSize;
    cell = 0.1f;
    Drag(button, {V2(0.25f, 0.25f)});  // a = 0.1: finer by 0.9
    EXPECT_NEAR(cell, 0.09f, 1e-6f);
    Drag(button, {V2(-0.5f, 0.0f)});  // a = -0.1: coarser by 1.1
    EXPECT_NEAR(cell, 0.099f, 1e-6f);
    Drag(button, {V2(0.0f, 0.0f), V2(NAN, 0.0f)});
    EXPECT_NEAR(cell, 0.099f, 1e-6f);
    // A step so long that the factor would not be positive is ignored.
    Drag(button, {V2(5.0f, 1.0f)});
    EXPECT_NEAR(cell, 0.099f, 1e-6f);
}

TEST(ParameterEditor, HistoryDragRestoresSetsAndClearsAboveThePress)
{
    EditorRig rig;
    rig.constraints.SetHost(rig.scene.get());
    rig.constraints.SetToolManager(&rig.tools);
    rig.scene->AddChangeListener(&rig.constraints);
    rig.scene->AddNode(ShapeCode::Point, rig.Root(), true);
    vynui::DynamicTool3D* tool = rig.constraints.GetTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(rig.constraints.BuildDefaultHandles());  // nothing to save yet
    ASSERT_TRUE(rig.constraints.BuildDefaultHandles());
    ASSERT_TRUE(rig.constraints.BuildDefaultHandles());
    ASSERT_EQ(tool->GetHistorySize(), 2u);

    HUDButton* button = rig.editor->GetGlobalToolbar().FindItem("ConstraintHistory");
    ASSERT_NE(button, nullptr);
    V2 point = button->GetBox().Center();
    ASSERT_EQ(button->OnMouseDown(point), button);
    EXPECT_EQ(tool->GetHandles().size(), 2u);  // the newest set
    button->OnMouseDrag(point + V2(0, 0.1f));  // above the press: cleared
    EXPECT_TRUE(tool->GetHandles().empty());
    EXPECT_TRUE(tool->GetToolTargets().empty());
    EXPECT_EQ(rig.constraints.GetHistoryHandler().GetIndex(), 0);
    button->OnMouseDrag(point + V2(0, -0.5f));  // far below: the oldest set
    EXPECT_EQ(rig.constraints.GetHistoryHandler().GetIndex(), 1);
    EXPECT_EQ(tool->GetHandles().size(), 2u);
    button->OnMouseUp();
    rig.scene->RemoveChangeListener(&rig.constraints);
}

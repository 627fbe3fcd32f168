// Structural edits of the scene manager, end to end through the real
// factory, nodes and registry.

#include <algorithm>

#include <gtest/gtest.h>

#include "blobtree/RootNode.h"
#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/ThreadSafeScalarField.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "implicit/fields2d/PolygonField2D.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "scene/BillboardSO.h"
#include "scene/IParameter.h"
#include "tests/scene/test_SceneFixtures.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "wml/DebugOutput.h"
#include "wml/Polygon2.h"

using namespace scenemgr_test;
using vynui::SceneObject;

namespace {

std::shared_ptr<vynimplicit::ScalarField2D> SquareProfile()
{
    Wml::Polygon2<float> square(
        std::vector<Wml::Vector2<float>>{{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}});
    return std::make_shared<vynimplicit::PolygonField2D>(square);
}

float FloatParameter(SceneObject* object, const char* name)
{
    vynui::IParameter* parameter = object->GetParameterList()->Find(name);
    std::string text;
    if (parameter) parameter->GetValueAsText(text);
    return text.empty() ? -1.0f : std::stof(text);
}

}  // namespace

TEST(SceneManager, ConstructionRegistersModelAndRootUnselected)
{
    SceneRig rig;
    const auto& objects = rig.Objects().GetObjects().Items();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0], rig.scene->GetModel());
    EXPECT_EQ(objects[1], rig.Root());
    EXPECT_TRUE(objects[0]->IsUnselected());
    EXPECT_TRUE(objects[1]->IsUnselected());
    EXPECT_TRUE(rig.Objects().GetSelection().Empty());
    EXPECT_EQ(rig.scene->GetField()->GetField(), rig.Root()->GetRootNode());
    EXPECT_TRUE(rig.scene->GetAutoCleanup());
}

TEST(SceneManager, EditsEndWithTheStandardNotifications)
{
    SceneRig rig;
    RecordingChangeListener second;
    rig.scene->AddChangeListener(&second);
    rig.scene->AddChangeListener(&second);  // held once

    rig.scene->AddNode(1, nullptr, true);
    EXPECT_EQ(rig.recorder.events, StandardEnding());
    EXPECT_EQ(second.events, StandardEnding());

    rig.recorder.events.clear();
    rig.scene->SetCuttingPlane(Wml::Frame3<float>(Wml::Vector3<float>(0, 0, 0.25f)));
    rig.scene->ClearCuttingPlane();
    EXPECT_EQ(rig.recorder.events,
              (std::vector<std::string>{"plane set", "modified", "plane cleared", "modified"}));
    Wml::Frame3<float> plane;
    EXPECT_FALSE(rig.Root()->GetRootNode()->GetCuttingPlane(plane));

    rig.scene->RemoveChangeListener(&second);
    second.events.clear();
    rig.scene->NewScene();
    EXPECT_TRUE(second.events.empty());
}

TEST(SceneManager, AddNodeGoesUnderTheSelectedOperator)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(13, nullptr, true);
    BlobTreeNodeSceneObject* point = rig.scene->AddNode(1, nullptr, true);
    EXPECT_EQ(point->GetParent(), blend);
    // A selected leaf is no parent: the next one goes under the root.
    rig.scene->AddNode(1, nullptr, false);
    EXPECT_EQ(Shape(rig.Root()), "0(13(1),1)");
    EXPECT_TRUE(rig.Objects().GetSelection().Empty());
    EXPECT_FALSE(rig.tools.IsShown());
    EXPECT_EQ(rig.scene->AddNode(5, nullptr, true), nullptr);  // no type
    ExpectConsistent(rig);
}

TEST(SceneManager, WrapKeepsTheNodeInANewOperatorAtTheEndOfItsParent)
{
    struct Case {
        const char* command;
        int code;
    };
    const Case cases[] = {{"Hollow Operator", 50},
                          {"Insert Hollow Op", 50},
                          {"Mirror Operator", 51},
                          {"Insert Mirror Op", 51},
                          {"Make Part", 52}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SceneRig rig;
        rig.PointAt({-1, 0, 0});
        BlobTreeNodeSceneObject* middle = rig.PointAt({0, 0, 0});
        rig.PointAt({1, 0, 0});
        rig.scene->SelectObject(middle, true);
        rig.recorder.events.clear();
        ASSERT_TRUE(rig.scene->OnCommand(c.command));
        const std::string code = std::to_string(c.code);
        EXPECT_EQ(Shape(rig.Root()), "0(1,1," + code + "(1))");
        ASSERT_EQ(rig.Selection().size(), 1u);
        EXPECT_EQ(rig.Selection()[0], rig.Root()->GetChildren().back());
        EXPECT_EQ(middle->GetParent(), rig.Selection()[0]);
        EXPECT_TRUE(rig.tools.IsShown());
        EXPECT_EQ(rig.recorder.events, StandardEnding());
        ExpectConsistent(rig);
    }
}

TEST(SceneManager, WrapWithNothingSelectedAddsAnEmptyOperator)
{
    SceneRig rig;
    rig.PointAt({0, 0, 0});
    ASSERT_TRUE(rig.scene->OnCommand("Hollow Operator"));
    EXPECT_EQ(Shape(rig.Root()), "0(1,50)");
    ASSERT_EQ(rig.Selection().size(), 1u);
    EXPECT_EQ(rig.Selection()[0], rig.Root()->GetChildren().back());
}

TEST(SceneManager, TheRootIsNeverRemovedWrappedOrGrouped)
{
    struct Case {
        const char* command;
        const char* line;
    };
    const Case cases[] = {{"Remove", "Ignoring attempt to remove root node...\n"},
                          {"Hollow Operator", "Ignoring attempt to hollow root node...\n"},
                          {"Mirror Operator", "Ignoring attempt to Mirror root node...\n"},
                          {"Make Part", "Ignoring attempt to make part at root node...\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SceneRig rig;
        rig.PointAt({0, 0, 0});
        rig.scene->SelectObject(rig.Root(), true);
        std::vector<std::string> lines;
        Wml::ScopedDebugOutputSink sink([&](const char* message) { lines.push_back(message); });
        rig.recorder.events.clear();
        rig.scene->OnCommand(c.command);
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
        EXPECT_EQ(Shape(rig.Root()), "0(1)");
        EXPECT_EQ(rig.Objects().GetObjects().Size(), 3u);
        EXPECT_TRUE(rig.recorder.events.empty());
        ExpectConsistent(rig);
    }
}

TEST(SceneManager, RemovingTheLastChildOfAnOperatorRemovesTheOperator)
{
    struct Case {
        int siblings;       // other children of the operator
        const char* after;  // the tree afterwards
    };
    const Case cases[] = {{0, "0(1)"}, {1, "0(1,13(1))"}, {2, "0(1,13(1,1))"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.siblings);
        SceneRig rig;
        rig.PointAt({2, 0, 0});
        BlobTreeNodeSceneObject* blend = rig.scene->AddNode(13, rig.Root(), false);
        BlobTreeNodeSceneObject* doomed = rig.scene->AddNode(1, blend, false);
        for (int i = 0; i < c.siblings; ++i) rig.scene->AddNode(1, blend, false);
        const std::size_t before = rig.Objects().GetObjects().Size();
        rig.scene->SelectObject(doomed, true);
        rig.recorder.events.clear();
        ASSERT_TRUE(rig.scene->OnCommand("Remove"));
        EXPECT_EQ(Shape(rig.Root()), c.after);
        EXPECT_EQ(rig.Objects().GetObjects().Size(), before - 1);
        EXPECT_TRUE(rig.Objects().GetSelection().Empty());
        EXPECT_FALSE(rig.tools.IsShown());
        EXPECT_EQ(rig.recorder.events, StandardEnding());
        ExpectConsistent(rig);
    }
}

TEST(SceneManager, RemoveNodeDeletesTheWholeSubTree)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(13, rig.Root(), false);
    rig.scene->AddNode(1, blend, false);
    BlobTreeNodeSceneObject* inner = rig.scene->AddNode(9, blend, false);
    rig.scene->AddNode(1, inner, false);
    ASSERT_EQ(rig.Objects().GetObjects().Size(), 6u);
    EXPECT_TRUE(rig.scene->RemoveNode(blend, true));
    EXPECT_EQ(Shape(rig.Root()), "0");
    EXPECT_EQ(rig.Objects().GetObjects().Size(), 2u);
    EXPECT_EQ(rig.Root()->GetRootNode()->GetNumChildren(), 0u);
    EXPECT_FALSE(rig.scene->RemoveNode(rig.Root(), true));
}

TEST(SceneManager, RemoveWithAnObjectThatIsNoNodeDoesNothing)
{
    SceneRig rig;
    rig.PointAt({0, 0, 0});
    vynui::BillboardSO billboard;
    rig.scene->AddSceneObject(&billboard, true);
    rig.recorder.events.clear();
    rig.scene->OnCommand("Remove");
    EXPECT_TRUE(rig.recorder.events.empty());
    EXPECT_TRUE(rig.Objects().IsRegistered(&billboard));
    EXPECT_EQ(Shape(rig.Root()), "0(1)");
    rig.scene->RemoveSceneObject(&billboard);
    EXPECT_FALSE(rig.Objects().IsRegistered(&billboard));
}

TEST(SceneManager, BlendingTwoNodes)
{
    struct Case {
        bool smooth;
        int code;
    };
    for (const Case& c : {Case{true, 13}, Case{false, 15}}) {
        SCOPED_TRACE(c.code);
        SceneRig rig;
        BlobTreeNodeSceneObject* a = rig.PointAt({-0.3f, 0, 0});
        BlobTreeNodeSceneObject* b = rig.PointAt({0.3f, 0, 0});
        rig.PointAt({3, 0, 0});
        rig.recorder.events.clear();
        BlobTreeNodeSceneObject* blend = rig.scene->Blend(a, b, c.smooth);
        ASSERT_NE(blend, nullptr);
        EXPECT_EQ(blend->GetTypeCode(), c.code);
        EXPECT_EQ(Shape(rig.Root()), "0(1," + std::to_string(c.code) + "(1,1))");
        EXPECT_EQ(blend->GetChildren(), (std::vector<SceneObject*>{a, b}));
        EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{blend});
        if (c.smooth) {
            EXPECT_FLOAT_EQ(static_cast<vynbt::RicciBlendNode*>(blend->GetNode())->GetPower(), 6.0f);
        }
        EXPECT_EQ(rig.recorder.events, StandardEnding());
        ExpectConsistent(rig);
    }
}

TEST(SceneManager, ARefusedBlendLosesNothing)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* a = rig.PointAt({0, 0, 0});
    BlobTreeNodeSceneObject* b = rig.PointAt({1, 0, 0});
    rig.recorder.events.clear();
    // The root cannot be detached: a must stay where it was.
    EXPECT_EQ(rig.scene->Blend(a, rig.Root(), true), nullptr);
    EXPECT_EQ(rig.scene->Blend(a, a, true), nullptr);
    EXPECT_EQ(rig.scene->Blend(a, nullptr, false), nullptr);
    EXPECT_EQ(rig.Root()->GetChildren(), (std::vector<SceneObject*>{a, b}));
    EXPECT_EQ(a->GetParent(), rig.Root());
    EXPECT_TRUE(rig.recorder.events.empty());
    ExpectConsistent(rig);
}

TEST(SceneManager, MoveNodeOnlyUnderAnOperator)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* leaf = rig.PointAt({0, 0, 0});
    BlobTreeNodeSceneObject* other = rig.PointAt({1, 0, 0});
    BlobTreeNodeSceneObject* source = rig.scene->AddNode(9, rig.Root(), false);
    BlobTreeNodeSceneObject* moving = rig.scene->AddNode(1, source, false);
    BlobTreeNodeSceneObject* target = rig.scene->AddNode(13, rig.Root(), false);
    ASSERT_EQ(Shape(rig.Root()), "0(1,1,9(1),13)");

    rig.recorder.events.clear();
    rig.scene->MoveNode(other, leaf);     // a leaf takes no children
    rig.scene->MoveNode(target, target);  // nor itself
    rig.scene->MoveNode(source, source);
    EXPECT_EQ(Shape(rig.Root()), "0(1,1,9(1),13)");
    EXPECT_TRUE(rig.recorder.events.empty());

    // The emptied operator leaves the tree but stays registered.
    rig.scene->MoveNode(moving, target);
    EXPECT_EQ(Shape(rig.Root()), "0(1,1,13(1))");
    EXPECT_TRUE(rig.Objects().IsRegistered(source));
    // Out of the tree it has no parent to reach back into.
    EXPECT_EQ(source->GetParent(), nullptr);
    EXPECT_EQ(rig.recorder.events, (std::vector<std::string>{"scene", "tree"}));
    ExpectConsistent(rig);
}

TEST(SceneManager, MoveNodeIntoItsOwnSubTreeIsRefused)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* outer = rig.scene->AddNode(13, rig.Root(), false);
    BlobTreeNodeSceneObject* inner = rig.scene->AddNode(9, outer, false);
    rig.scene->AddNode(1, inner, false);
    rig.scene->MoveNode(outer, inner);
    EXPECT_EQ(Shape(rig.Root()), "0(13(9(1)))");
    ExpectConsistent(rig);
}

TEST(SceneManager, CleanUpFlags)
{
    struct Case {
        int flags;
        bool autoCleanup;
        const char* after;
    };
    // root -> 13 -> { 9 -> { 11 -> 1 } , 10 (empty) }
    const Case cases[] = {
        {0, true, "0(13(9(11(1)),10))"}, {2, true, "0(13(9(11(1))))"},     {1, true, "0(13(10,11(1)))"},
        {3, true, "0(11(1))"},           {3, false, "0(13(9(11(1)),10))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        SceneRig rig;
        rig.scene->SetAutoCleanup(c.autoCleanup);
        BlobTreeNodeSceneObject* top = rig.scene->AddNode(13, rig.Root(), false);
        BlobTreeNodeSceneObject* single = rig.scene->AddNode(9, top, false);
        BlobTreeNodeSceneObject* inner = rig.scene->AddNode(11, single, false);
        rig.scene->AddNode(1, inner, false);
        rig.scene->AddNode(10, top, false);
        rig.scene->CleanUp(top, c.flags);
        EXPECT_EQ(Shape(rig.Root()), c.after);
        ExpectConsistent(rig);
    }
}

TEST(SceneManager, NewSceneKeepsBillboards)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(13, rig.Root(), false);
    rig.scene->AddNode(1, blend, false);
    rig.PointAt({1, 1, 1});
    vynui::BillboardSO billboard;
    rig.scene->AddSceneObject(&billboard, true);
    rig.recorder.events.clear();

    rig.scene->NewScene();
    EXPECT_EQ(Shape(rig.Root()), "0");
    // Nodes inside operators go one by one; the scene's own ending is last.
    ASSERT_GE(rig.recorder.events.size(), 3u);
    rig.recorder.events.erase(rig.recorder.events.begin(), rig.recorder.events.end() - 3);
    const auto& objects = rig.Objects().GetObjects().Items();
    EXPECT_EQ(objects, (std::vector<SceneObject*>{rig.scene->GetModel(), rig.Root(), &billboard}));
    EXPECT_TRUE(rig.Objects().GetSelection().Empty());
    EXPECT_EQ(rig.recorder.events, StandardEnding());
    EXPECT_EQ(rig.scene->GetModel()->GetRootSceneObject(), rig.Root());
    rig.scene->RemoveSceneObject(&billboard);
}

TEST(SceneManager, SelectionOperationsDriveTheToolAndTheListeners)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* a = rig.PointAt({0, 0, 0});
    BlobTreeNodeSceneObject* b = rig.PointAt({1, 0, 0});
    rig.recorder.events.clear();

    rig.scene->SetSelection({a, b});
    EXPECT_EQ(rig.Selection(), (std::vector<SceneObject*>{a, b}));
    EXPECT_TRUE(rig.tools.IsShown());
    EXPECT_EQ(rig.tools.GetTargetGroup().GetTargets().size(), 2u);

    rig.scene->DeselectObject(a);
    rig.scene->DeselectObject(a);  // not selected: nothing
    EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{b});
    EXPECT_EQ(rig.recorder.events, (std::vector<std::string>{"selection", "selection"}));

    rig.scene->SelectObject(a, false);
    EXPECT_EQ(rig.Selection(), (std::vector<SceneObject*>{b, a}));
    rig.scene->SetSelection({});
    EXPECT_FALSE(rig.tools.IsShown());

    // The dynamic tool stays shown through a cleared selection; the menu
    // command hides it regardless.
    ASSERT_TRUE(rig.tools.SetActiveTool("DynamicTool3D"));
    rig.scene->SelectObject(a, true);
    rig.scene->ClearSelection();
    EXPECT_TRUE(rig.tools.IsShown());
    rig.scene->SelectObject(a, true);
    rig.scene->OnCommand("Clear Selection");
    EXPECT_FALSE(rig.tools.IsShown());
    EXPECT_TRUE(rig.Objects().GetSelection().Empty());
}

TEST(SceneManager, ObjectChangesAndToolActionsReportModifiedObjects)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* a = rig.PointAt({0, 0, 0});
    rig.recorder.events.clear();
    a->Translate(Wml::Vector3<float>(0.5f, 0, 0), true);
    rig.scene->OnToolAction(nullptr);
    EXPECT_EQ(rig.recorder.events, (std::vector<std::string>{"modified", "modified"}));
}

TEST(SceneManager, SweepBuildersMakeTheTreesTheSketchNeeds)
{
    SceneRig rig;
    auto profile = SquareProfile();
    Wml::Frame3<float> frame(Wml::Vector3<float>(0, 0, 0));

    BlobTreeNodeSceneObject* sweep = rig.scene->AddLinearSweep(profile, frame, true, 0.6f, 0.2f);
    ASSERT_NE(sweep, nullptr);
    auto* field = static_cast<vynbt::CappedLinearSweepNode*>(sweep->GetNode())->GetSweep();
    EXPECT_EQ(field->GetCapStyle(), 1);
    EXPECT_FLOAT_EQ(field->GetHalfLength(), 0.3f);
    EXPECT_FLOAT_EQ(field->GetFalloffLength(), 0.2f);
    EXPECT_EQ(field->GetSweepTemplate(), profile.get());
    EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{sweep});

    BlobTreeNodeSceneObject* flat = rig.scene->AddLinearSweep(profile, frame, false, -1.0f, 0.2f);
    EXPECT_EQ(static_cast<vynbt::CappedLinearSweepNode*>(flat->GetNode())->GetSweep()->GetCapStyle(), 2);
    EXPECT_FLOAT_EQ(static_cast<vynbt::CappedLinearSweepNode*>(flat->GetNode())->GetSweep()->GetHalfLength(),
                    0.1f);

    // The blend takes the target's place; the sweep is selected.
    BlobTreeNodeSceneObject* blend = rig.scene->BlendWithSweep(sweep, profile, frame, true, 0.4f, 0.1f);
    ASSERT_NE(blend, nullptr);
    EXPECT_EQ(Shape(rig.Root()), "0(13(2,2),2)");
    EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{blend->GetChildren()[1]});

    // The cut's half-length spans the target along the world axis nearest
    // the sweep's direction (z here).
    BlobTreeNodeSceneObject* cut = rig.scene->CutWithSweep(flat, profile, frame);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(Shape(rig.Root()), "0(13(2,2),45(2,2))");
    auto* cutField = static_cast<vynbt::CappedLinearSweepNode*>(cut->GetNode())->GetSweep();
    Wml::AxisAlignedBox3<float> bounds;
    flat->GetNode()->FieldBounds(bounds);
    EXPECT_NEAR(cutField->GetHalfLength(), 0.5f * (bounds.Max(2) - bounds.Min(2)), 1e-5f);
    EXPECT_EQ(cutField->GetCapStyle(), 2);
    EXPECT_NEAR(cutField->GetFalloffLength(), 0.1f * cutField->GetRadius(), 1e-6f);
    EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{cut->GetParent()});

    EXPECT_EQ(rig.scene->BlendWithSweep(rig.Root(), profile, frame, true, 1, 1), nullptr);
    ExpectConsistent(rig);
}

TEST(SceneManager, AdjustSweepLengthsSetsLengthAndFalloff)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* sweep =
        rig.scene->AddLinearSweep(SquareProfile(), Wml::Frame3<float>(), true, 1.0f, 0.1f);
    rig.scene->AdjustSweepLengths(0.5f);
    const float b = 0.5f * 2.2222223f * 0.5f;
    EXPECT_NEAR(FloatParameter(sweep, "Falloff Length"), b, 1e-4f);
    // L - 2 b 0.45 is (almost) 0, below the length's range: it is ignored.
    EXPECT_NEAR(FloatParameter(sweep, "Length"), 1.0f, 1e-4f);
    rig.scene->AdjustSweepLengths(std::nanf(""));
    EXPECT_NEAR(FloatParameter(sweep, "Falloff Length"), b, 1e-4f);
}

TEST(SceneManager, BlendedRevolutionGathersTheRootsChildren)
{
    struct Case {
        int shapes;
        const char* first;
        const char* second;
    };
    const Case cases[] = {{0, "0(13(3))", "0(13(3,3))"},
                          {1, "0(13(1,3))", "0(13(1,3,3))"},
                          {2, "0(13(9(1,1),3))", "0(13(9(1,1),3,3))"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shapes);
        SceneRig rig;
        for (int i = 0; i < c.shapes; ++i) rig.PointAt({float(i), 0, 0});
        auto profile = SquareProfile();
        BlobTreeNodeSceneObject* blend =
            rig.scene->AddBlendedRevolution(rig.scene->GetModel(), profile, Wml::Frame3<float>());
        ASSERT_NE(blend, nullptr);
        EXPECT_EQ(Shape(rig.Root()), c.first);
        EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{blend});
        EXPECT_EQ(rig.scene->AddBlendedRevolution(rig.scene->GetModel(), profile, Wml::Frame3<float>()),
                  blend);
        EXPECT_EQ(Shape(rig.Root()), c.second);
        ExpectConsistent(rig);
        EXPECT_EQ(rig.scene->AddBlendedRevolution(nullptr, profile, Wml::Frame3<float>()), nullptr);
    }
}

TEST(SceneManager, PolyLineAndCurveSweepBuilders)
{
    SceneRig rig;
    BlobTreeNodeSceneObject* line =
        rig.scene->AddPolyLine({Wml::Vector3<float>(0, 0, 0), Wml::Vector3<float>(1, 0, 0)}, 0.2f);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetTypeCode(), 8);
    BlobTreeNodeSceneObject* curve = rig.scene->AddCurveSweep(SquareProfile(), true, 0.3f);
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->GetTypeCode(), 41);
    for (SceneObject* child : curve->GetChildren()) EXPECT_TRUE(rig.Objects().IsRegistered(child));
    BlobTreeNodeSceneObject* revolution = rig.scene->AddRevolution(SquareProfile(), Wml::Frame3<float>());
    EXPECT_EQ(revolution->GetTypeCode(), 3);
    EXPECT_EQ(Shape(rig.Root()), "0(8,41,3)");
    ExpectConsistent(rig);
}

TEST(SceneManager, ConstraintHostAddsSelectsAndTakesBackPivots)
{
    SceneRig rig;
    auto* pivot = new kilnform_test::FramedObject();
    rig.scene->AddToScene(pivot);  // owned by the scene now
    EXPECT_TRUE(rig.Objects().IsRegistered(pivot));
    EXPECT_TRUE(pivot->IsUnselected());
    rig.recorder.events.clear();
    rig.scene->SelectAlone(pivot);
    EXPECT_EQ(rig.Selection(), std::vector<SceneObject*>{pivot});
    EXPECT_EQ(rig.recorder.events, std::vector<std::string>{"picked"});
    EXPECT_EQ(rig.scene->GetCamera(), &rig.camera);

    rig.scene->RemoveFromScene(pivot);  // the caller owns it again
    EXPECT_FALSE(rig.Objects().IsRegistered(pivot));
    EXPECT_TRUE(rig.Objects().GetSelection().Empty());
    delete pivot;

    rig.scene->AddToScene(new kilnform_test::FramedObject());  // deleted with the scene
    EXPECT_FALSE(rig.scene->SketchHasStrokes());
    rig.scene->SetSketchQuery([] { return true; });
    EXPECT_TRUE(rig.scene->SketchHasStrokes());
}

TEST(SceneManager, EachViewHasItsOwnManager)
{
    int viewA = 0, viewB = 0;
    vynui::SetCurrentSceneView(&viewA);
    vynui::CSceneManager* a = vynui::GetSceneManager();
    EXPECT_EQ(vynui::GetSceneManager(), a);
    vynui::SetCurrentSceneView(&viewB);
    vynui::CSceneManager* b = vynui::GetSceneManager();
    EXPECT_NE(a, b);
    vynui::SetCurrentSceneView(&viewA);
    EXPECT_EQ(vynui::GetSceneManager(), a);
    EXPECT_EQ(vynui::GetCurrentSceneView(), &viewA);
    vynui::ReleaseSceneManager(&viewA);
    vynui::ReleaseSceneManager(&viewB);
    vynui::SetCurrentSceneView(nullptr);
}

TEST(SceneManager, DeletedObjectsAreForgottenByTheMeshCache)
{
    std::vector<SceneObject*> dropped;  // outlives the scene, which drops the rest when it goes
    SceneRig rig;
    rig.scene->SetMeshDropper([&](SceneObject* object) { dropped.push_back(object); });
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(13, rig.Root(), false);
    BlobTreeNodeSceneObject* a = rig.scene->AddNode(1, blend, false);
    BlobTreeNodeSceneObject* b = rig.scene->AddNode(1, blend, false);
    BlobTreeNodeSceneObject* keep = rig.PointAt({2, 0, 0});
    rig.scene->SelectObject(blend, true);
    rig.scene->OnCommand("Remove");
    std::sort(dropped.begin(), dropped.end());
    std::vector<SceneObject*> expected{blend, a, b};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dropped, expected);
    dropped.clear();
    EXPECT_TRUE(rig.scene->RemoveNode(keep, false));
    EXPECT_EQ(dropped, std::vector<SceneObject*>{keep});
}

TEST(SceneManager, AListenerMayDropAnotherDuringABroadcast)
{
    SceneRig rig;
    struct Dropper : RecordingChangeListener {
        vynui::CSceneManager* scene = nullptr;
        vynui::IChangeListener* victim = nullptr;
        void OnSceneChanged() override
        {
            RecordingChangeListener::OnSceneChanged();
            scene->RemoveChangeListener(victim);
        }
    };
    auto a = std::make_unique<Dropper>();
    auto b = std::make_unique<Dropper>();
    a->scene = b->scene = rig.scene.get();
    a->victim = b.get();
    b->victim = a.get();
    rig.scene->AddChangeListener(a.get());
    rig.scene->AddChangeListener(b.get());
    rig.scene->NotifySceneChanged();
    // Whichever comes first in the set silences the other.
    EXPECT_EQ(a->events.size() + b->events.size(), 1u);
}

// Undo and redo through the real view: every user action that changed the
// scene is one step, a step puts back exactly the scene text it was taken
// from, and strokes undo one at a time while sketching.

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "interact/GestureEngine.h"
#include "interact/HUDButton.h"
#include "interact/HUDManager.h"
#include "persist/SaveLoadManager.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "sketch/Stroke.h"
#include "sketch/StrokeFactory.h"
#include "sketch_ui/SketchManager.h"
#include "surface/IsoSurfaceMesh.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "tests/support/FakeClock.h"
#include "tests/support/MouseStrokes.h"
#include "tests/support/ScriptedUserInterface.h"
#include "tests/support/TempFolder.h"
#include "tests/view/ViewInputRig.h"
#include "view/BlobTreeEditorModel.h"
#include "view/ParametersPanelModel.h"
#include "view/UndoHistory.h"
#include "view/ViewCore.h"

using vynui::CViewCore;
using vynui::ViewInputAdapter;
using vynui_bt::BlobTreeNodeSceneObject;
using Wml::Vector2f;

namespace {

struct UndoRig : viewtest::ViewInputRig {
    vynui::CParametersPanelModel parameters;
    vynui::CBlobTreeEditorModel tree;

    UndoRig()
    {
        view.SetUserInterface(&ui);
        view.GetGestureEngine().SetTimeSource(clock.Source());
        view.Resize(W, H);
        parameters.SetUserInterface(&ui);
        parameters.SetSceneManager(Scene());
        tree.SetSceneManager(Scene());
        view.AddPanelListener(&parameters);
        view.AddPanelListener(&tree);
    }

    vynui::CSceneManager* Scene() const { return view.GetSceneManager(); }
    vynui::CSketchManager* Sketch() const { return view.GetSketchManager(); }
    std::size_t TopLevelCount() const { return Scene()->GetRootSceneObject()->GetChildren().size(); }

    /// The scene as its file would hold it (no camera record).
    std::string Text() const
    {
        vynui::CSaveLoadManager* files = vynui::GetSaveLoadManager();
        files->SetSceneManager(Scene());
        files->SetViewController(nullptr);
        files->SetTextureManager(nullptr);
        std::string text;
        EXPECT_TRUE(files->SaveSceneToText(text));
        return text;
    }

    void Outline(float cx, float cy, float rx, float ry)
    {
        Drag(sketchtest::SampleMouse([=](float t) {
            const float a = 2.0f * 3.14159265f * 1.04f * t;
            return Vector2f(cx + rx * std::cos(a), cy + ry * std::sin(a));
        }));
    }

    /// An ellipse sketched with the mouse and made a Blobby Thing; the new
    /// shape (selected), or null.
    BlobTreeNodeSceneObject* Shape(float cx, float cy, float rx = 90.0f, float ry = 60.0f)
    {
        Outline(cx, cy, rx, ry);
        vynui::HUDButton* blobby = Sketch()->GetButton(vynui::CSketchManager::BlobbySweepButton);
        const auto& offered = Sketch()->GetToolbar()->GetItems();
        if (std::find(offered.begin(), offered.end(), blobby) == offered.end()) {
            ADD_FAILURE() << "no Blobby Thing offered at " << cx << "," << cy;
            return nullptr;
        }
        Cross(blobby);
        const auto& selection = Scene()->GetObjectManager()->GetSelection();
        return selection.Items().empty() ? nullptr
                                         : dynamic_cast<BlobTreeNodeSceneObject*>(selection.Items().front());
    }

    /// A value typed into the parameters dock for object.
    bool Edit(vynui::SceneObject* object, const std::string& row, const std::string& value)
    {
        tree.Select(object);
        const auto& rows = parameters.GetRows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].name == row) {
                const bool ok = parameters.EditValue(i, value);
                view.OnTimer();  // the dock's edit reaches the history on the next tick
                return ok;
            }
        ADD_FAILURE() << "no row " << row;
        return false;
    }

    const vynui::IsoSurfaceMesh* Surface() const
    {
        return view.GetSurfaceManager()->GetSurface(Scene()->GetModel());
    }
    void ReadSurface() { view.GetSurfaceManager()->GetChainTop(0)->GetMesh(); }
};

/// The text with object IDs numbered 1, 2, 3 ... in order of appearance, in
/// the "ObjectID" fields and the "Children" lists that refer to them. An
/// operator's position fields go: they are the centre of its children's
/// origins as last cached, which depends on the order edits reached it.
std::string Canonical(const std::string& input)
{
    std::string text;
    for (const std::string& record : vynui::UndoHistory::SplitRecords(input)) {
        if (record.find("<Field key=\"Children\"") == std::string::npos) {
            text += record;
            continue;
        }
        static const std::regex derived(
            R"re(\s*<Field key="(Position|X|Y|Z)" kind="[a-z0-9]+">[^<]*</Field>)re");
        text += std::regex_replace(record, derived, "");
    }
    static const std::regex field(
        R"re((<Field key="(ObjectID|Children)" kind="[a-z_]+"(?: count="\d+")?>)([^<]*)(</Field>))re");
    std::map<std::string, std::string> ids;
    static const std::regex idField(R"(<Field key="ObjectID" kind="uint">(\d+)</Field>)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), idField); it != std::sregex_iterator();
         ++it)
        ids.emplace((*it)[1].str(), std::to_string(ids.size() + 1));
    std::string out;
    auto last = text.cbegin();
    for (auto it = std::sregex_iterator(text.begin(), text.end(), field); it != std::sregex_iterator();
         ++it) {
        const std::smatch& m = *it;
        out.append(last, m[0].first);
        out += m[1].str();
        std::string numbers = m[3].str(), mapped;
        static const std::regex number(R"(\d+)");
        for (auto n = std::sregex_iterator(numbers.begin(), numbers.end(), number);
             n != std::sregex_iterator(); ++n) {
            if (!mapped.empty()) mapped += ' ';
            auto found = ids.find(n->str());
            mapped += found == ids.end() ? "?" + n->str() : found->second;
        }
        out += mapped + m[4].str();
        last = m[0].second;
    }
    out.append(last, text.cend());
    // A zero's sign means nothing: angles read back through a rotation
    // matrix may come back as -0.
    for (const char* from : {">-0 ", " -0 ", " -0<", ">-0<"}) {
        std::string to = from;
        to.erase(1, 1);
        for (std::size_t at = out.find(from); at != std::string::npos; at = out.find(from, at + 1))
            out.replace(at, 4, to);
    }
    return out;
}

/// Empty when the texts agree, else a little of each around the first
/// difference (scene texts run to megabytes).
std::string Difference(const std::string& expected, const std::string& actual)
{
    if (expected == actual) return std::string();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const std::size_t from = at > 300 ? at - 300 : 0;
    return "expected ..." + expected.substr(from, 500) + "\n  actual ..." + actual.substr(from, 500);
}

std::vector<std::string> Names(const UndoRig& rig)
{
    // Operators a cleanup took out of the tree stay registered but are no
    // part of the scene (files leave them out).
    std::vector<std::string> names;
    const vynui::SceneObject* root = rig.Scene()->GetRootSceneObject();
    for (vynui::SceneObject* object : rig.Scene()->GetObjectManager()->GetObjects())
        if (object == root || object->GetParent() || !dynamic_cast<BlobTreeNodeSceneObject*>(object))
            names.push_back(object->GetName());
    return names;
}

}  // namespace

TEST(Undo, CanonicalTextRenumbersObjectIDsAndTheirReferences)
{
    const std::string a =
        R"(<Field key="ObjectID" kind="uint">7</Field><Field key="Children" kind="uint_array" count="2">9 8</Field>)"
        R"(<Field key="ObjectID" kind="uint">8</Field><Field key="ObjectID" kind="uint">9</Field>)";
    EXPECT_EQ(
        R"(<Field key="ObjectID" kind="uint">1</Field><Field key="Children" kind="uint_array" count="2">3 2</Field>)"
        R"(<Field key="ObjectID" kind="uint">2</Field><Field key="ObjectID" kind="uint">3</Field>)",
        Canonical(a));
}

TEST(Undo, AScriptedSessionUndoesToTheEmptySceneAndRedoesToTheSameFile)
{
    UndoRig rig;
    kftest::TempFolder folder("undo");
    const std::string saved = folder.File("saved.xml");
    vynui::CSceneManager* scene = rig.Scene();
    std::vector<std::string> states{rig.Text()};
    EXPECT_FALSE(rig.view.CanUndo());
    auto keep = [&](const std::string& what) {
        const std::string now = rig.Text();
        EXPECT_NE(Canonical(states.back()), Canonical(now)) << what << " changed nothing";
        states.push_back(now);
        EXPECT_EQ(states.size() - 1, rig.view.GetUndoHistory().GetCurrentIndex())
            << what << " is not one step";
    };

    BlobTreeNodeSceneObject* a = rig.Shape(280.0f, 300.0f);
    ASSERT_NE(nullptr, a);
    keep("shape A");
    BlobTreeNodeSceneObject* b = rig.Shape(540.0f, 300.0f);
    ASSERT_NE(nullptr, b);
    keep("shape B");
    for (const char* length : {"0.05", "0.1", "0.15"}) {
        ASSERT_TRUE(rig.Edit(a, "Length", length));
        keep(std::string("A length ") + length);
    }
    for (const char* radius : {"0.8", "1.2"}) {
        ASSERT_TRUE(rig.Edit(a, "Radius", radius));
        keep(std::string("A radius ") + radius);
    }

    // Nothing is recorded while a button is held: the drag ends as one step.
    rig.view.MousePress(ViewInputAdapter::LEFT, 60, 60, false);
    ASSERT_TRUE(rig.Edit(a, "X", "-0.6"));
    rig.view.MouseMove(64, 64);
    ASSERT_TRUE(rig.Edit(a, "X", "-0.7"));
    rig.view.OnTimer();
    EXPECT_EQ(states.size() - 1, rig.view.GetUndoHistory().GetCurrentIndex());
    rig.view.MouseRelease(ViewInputAdapter::LEFT, 64, 64);
    keep("held move of A");

    BlobTreeNodeSceneObject* blend = scene->Blend(a, b, true);
    ASSERT_NE(nullptr, blend);
    rig.view.OnTimer();
    keep("blend A and B");
    ASSERT_TRUE(rig.Edit(b, "Radius", "0.9"));
    keep("B radius");
    BlobTreeNodeSceneObject* c = rig.Shape(400.0f, 110.0f, 70.0f, 40.0f);
    ASSERT_NE(nullptr, c);
    keep("shape C");
    ASSERT_TRUE(rig.tree.Drop(c, blend));
    rig.view.OnTimer();
    keep("C dropped into the blend");
    rig.tree.Select(c);
    ASSERT_TRUE(rig.view.RouteCommand("Hollow Operator"));
    keep("C hollowed");

    Wml::Frame3<float> plane(Wml::Vector3<float>(0.1f, 0.0f, 0.0f));
    scene->SetCuttingPlane(plane);
    rig.view.OnTimer();
    keep("cutting plane");
    plane.SetOrigin(Wml::Vector3<float>(0.3f, 0.1f, 0.0f));
    scene->SetCuttingPlane(plane);
    rig.view.OnTimer();
    keep("cutting plane moved");
    scene->ClearCuttingPlane();
    rig.view.OnTimer();
    keep("cutting plane cleared");

    scene->ClearSelection();
    ASSERT_TRUE(rig.view.RouteCommand("Point"));
    keep("point");
    BlobTreeNodeSceneObject* point =
        dynamic_cast<BlobTreeNodeSceneObject*>(scene->GetObjectManager()->GetSelection().Items().front());
    ASSERT_NE(nullptr, point);
    for (const auto& edit : std::vector<std::pair<std::string, std::string>>{{"Radius", "0.3"},
                                                                             {"Position", "1 0 0"},
                                                                             {"Position", "1 -0.5 0"},
                                                                             {"Position", "1 -0.5 0.2"},
                                                                             {"Name", "Pebble"}}) {
        ASSERT_TRUE(rig.Edit(point, edit.first, edit.second));
        keep("point " + edit.first);
    }
    ASSERT_EQ("Pebble", point->GetName());
    rig.tree.Select(point);
    ASSERT_TRUE(rig.view.RouteCommand("Remove"));
    keep("point removed");
    scene->ClearSelection();
    ASSERT_TRUE(rig.view.RouteCommand("Sum Blend"));
    keep("empty sum blend");

    BlobTreeNodeSceneObject* d = rig.Shape(150.0f, 470.0f, 70.0f, 50.0f);
    ASSERT_NE(nullptr, d);
    keep("shape D");
    ASSERT_TRUE(rig.Edit(d, "Length", "0.2"));
    keep("D length");
    {
        vynui::CSaveLoadManager* files = vynui::GetSaveLoadManager();
        files->SetSceneManager(scene);
        ASSERT_TRUE(files->SaveScene(saved));
    }
    rig.ui.AnswerSaveChanges(vynui::SaveChoice::Discard);  // the scene holds unsaved changes
    ASSERT_TRUE(rig.view.RouteCommand("New Scene"));
    keep("new scene");
    EXPECT_EQ(0u, rig.TopLevelCount());
    ASSERT_TRUE(rig.view.OpenPath(saved));
    keep("saved scene opened");

    BlobTreeNodeSceneObject* e = rig.Shape(640.0f, 470.0f, 70.0f, 50.0f);
    ASSERT_NE(nullptr, e);
    keep("shape E");
    for (const char* radius : {"0.5", "0.6", "0.7", "0.8", "0.9"}) {
        ASSERT_TRUE(rig.Edit(e, "Radius", radius));
        keep(std::string("E radius ") + radius);
    }
    rig.tree.Select(e);
    ASSERT_TRUE(rig.view.RouteCommand("Flip X"));
    keep("E flipped");
    rig.tree.Select(e);
    ASSERT_TRUE(rig.view.RouteCommand("Remove"));
    keep("E removed");
    ASSERT_TRUE(rig.view.OpenPath(saved));
    keep("saved scene opened again");
    rig.ui.AnswerSaveChanges(vynui::SaveChoice::Discard);  // the scene holds unsaved changes
    ASSERT_TRUE(rig.view.RouteCommand("New Scene"));
    keep("new scene again");
    BlobTreeNodeSceneObject* f = rig.Shape(400.0f, 300.0f);
    ASSERT_NE(nullptr, f);
    keep("shape F");
    ASSERT_TRUE(rig.Edit(f, "Length", "0.3"));
    keep("F length");
    ASSERT_EQ(41u, states.size());
    const std::vector<std::string> namesAtEnd = Names(rig);

    // All the way back: every state on the way, then the empty scene.
    for (std::size_t k = states.size() - 1; k > 0; --k) {
        vynui::CommandState state;
        ASSERT_TRUE(rig.view.UpdateCommand("Undo", state));
        EXPECT_TRUE(state.enabled);
        ASSERT_TRUE(rig.view.RouteCommand("Undo")) << "undo to state " << k - 1;
        EXPECT_EQ("", Difference(Canonical(states[k - 1]), Canonical(rig.Text())))
            << "after undo to state " << k - 1;
    }
    EXPECT_EQ(0u, rig.TopLevelCount());
    EXPECT_FALSE(rig.view.CanUndo());
    EXPECT_FALSE(rig.view.RouteCommand("Undo"));

    // And forward again to the same file, names included.
    for (std::size_t k = 1; k < states.size(); ++k) {
        ASSERT_TRUE(rig.view.RouteCommand("Redo")) << "redo to state " << k;
        EXPECT_EQ("", Difference(Canonical(states[k]), Canonical(rig.Text()))) << "after redo to state " << k;
    }
    EXPECT_FALSE(rig.view.CanRedo());
    EXPECT_EQ(namesAtEnd, Names(rig));
    EXPECT_EQ(1u, rig.TopLevelCount());
}

TEST(Undo, AnEditAfterAnUndoDropsTheRedoBranch)
{
    UndoRig rig;
    std::vector<std::string> states{rig.Text()};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(rig.view.RouteCommand("Point"));
        states.push_back(rig.Text());
    }
    ASSERT_TRUE(rig.view.Undo());
    ASSERT_TRUE(rig.view.Undo());
    EXPECT_TRUE(rig.view.CanRedo());
    rig.Scene()->ClearSelection();
    ASSERT_TRUE(rig.view.RouteCommand("Sum Blend"));
    EXPECT_FALSE(rig.view.CanRedo());
    vynui::CommandState state;
    ASSERT_TRUE(rig.view.UpdateCommand("Redo", state));
    EXPECT_FALSE(state.enabled);
    EXPECT_FALSE(rig.view.RouteCommand("Redo"));
    ASSERT_TRUE(rig.view.Undo());
    EXPECT_EQ("", Difference(Canonical(states[1]), Canonical(rig.Text())));
}

TEST(Undo, AParameterUndoChangesTheLiveObjectAndRedoesOnlyItsRegion)
{
    UndoRig rig;
    rig.view.GetSurfaceManager()->SetAlgorithm(vynui::BoundedMarchingCubes);
    vynui::CSceneManager* scene = rig.Scene();
    std::vector<BlobTreeNodeSceneObject*> points;
    for (const char* x : {"-2 0 0", "2 0 0"}) {
        scene->ClearSelection();
        ASSERT_TRUE(rig.view.RouteCommand("Point"));
        points.push_back(dynamic_cast<BlobTreeNodeSceneObject*>(
            scene->GetObjectManager()->GetSelection().Items().front()));
        ASSERT_TRUE(rig.Edit(points.back(), "Position", x));
    }
    rig.ReadSurface();
    const unsigned int id = points[0]->GetObjectID();
    const std::string before = rig.Text();
    ASSERT_TRUE(rig.Edit(points[0], "Radius", "0.7"));
    rig.ReadSurface();

    ASSERT_TRUE(rig.view.Undo());
    EXPECT_EQ("", Difference(before, rig.Text()));  // the same objects, so the very same text
    const auto& objects = scene->GetObjectManager()->GetObjects().Items();
    EXPECT_NE(objects.end(), std::find(objects.begin(), objects.end(), points[0]));
    EXPECT_EQ(id, points[0]->GetObjectID());
    rig.ReadSurface();
    EXPECT_EQ(vynui::IsoSurfaceMesh::LastRun::Partial, rig.Surface()->GetLastRun());
    EXPECT_LT(rig.Surface()->GetLastUpdateBox().Max(0), 0.0f) << "the other point's side was redone";

    // A structural step is a rebuild: the shapes are made again, whole.
    ASSERT_TRUE(rig.view.Undo());  // the second point moved
    ASSERT_TRUE(rig.view.Undo());  // the second point
    EXPECT_EQ(1u, rig.TopLevelCount());
    EXPECT_EQ(objects.end(), std::find(objects.begin(), objects.end(), points[0]));
    rig.ReadSurface();
    EXPECT_EQ(vynui::IsoSurfaceMesh::LastRun::Full, rig.Surface()->GetLastRun());
    EXPECT_TRUE(scene->GetObjectManager()->GetSelection().Items().empty());
}

TEST(Undo, StrokesUndoOneAtATimeAndComeBackWithTheSamePoints)
{
    UndoRig rig;
    const vynsketch::StrokeFactory& factory = rig.Sketch()->GetStrokeFactory();
    rig.Outline(300.0f, 300.0f, 80.0f, 50.0f);
    rig.Outline(480.0f, 320.0f, 60.0f, 60.0f);
    ASSERT_EQ(2u, factory.GetNumStrokes());
    const std::vector<Vector2f> second =
        const_cast<vynsketch::StrokeFactory&>(factory).GetStroke(1)->GetVertices();
    EXPECT_EQ(0u, rig.view.GetUndoHistory().GetCurrentIndex()) << "strokes are no scene steps";
    EXPECT_TRUE(rig.view.CanUndo());

    ASSERT_TRUE(rig.view.RouteCommand("Undo"));
    EXPECT_EQ(1u, factory.GetNumStrokes());
    EXPECT_TRUE(rig.view.CanRedo());
    ASSERT_TRUE(rig.view.RouteCommand("Redo"));
    ASSERT_EQ(2u, factory.GetNumStrokes());
    const std::vector<Vector2f> back =
        const_cast<vynsketch::StrokeFactory&>(factory).GetStroke(1)->GetVertices();
    ASSERT_EQ(second.size(), back.size());
    for (std::size_t i = 0; i < back.size(); ++i) EXPECT_EQ(second[i], back[i]);
    EXPECT_FALSE(rig.view.CanRedo());

    // A new stroke after an undo: the stroke put aside is gone for good.
    ASSERT_TRUE(rig.view.Undo());
    rig.Outline(200.0f, 200.0f, 40.0f, 40.0f);
    EXPECT_FALSE(rig.view.CanRedo());
    EXPECT_EQ(2u, factory.GetNumStrokes());
    ASSERT_TRUE(rig.view.Undo());
    ASSERT_TRUE(rig.view.Undo());
    EXPECT_EQ(0u, factory.GetNumStrokes());
    EXPECT_FALSE(rig.view.Undo()) << "no scene step to undo";
}

TEST(Undo, AReloadedObjectTakesItsStoredNameBackOnceNobodyHoldsIt)
{
    UndoRig rig;
    vynui::CSceneManager* scene = rig.Scene();
    BlobTreeNodeSceneObject* point = scene->AddNode(1, nullptr, true);
    const std::string name = point->GetName();
    const std::string text = rig.Text();
    vynui::CSaveLoadManager* files = vynui::GetSaveLoadManager();
    files->SetSceneManager(scene);

    // Held by the live point: the copy gets the next free name.
    ASSERT_TRUE(files->LoadSceneFromText(text));
    ASSERT_EQ(2u, rig.TopLevelCount());
    EXPECT_NE(name, scene->GetRootSceneObject()->GetChildren()[1]->GetName());

    // Once nobody holds it, it comes back.
    scene->NewScene();
    ASSERT_TRUE(files->LoadSceneFromText(text));
    ASSERT_EQ(1u, rig.TopLevelCount());
    EXPECT_EQ(name, scene->GetRootSceneObject()->GetChildren()[0]->GetName());
    EXPECT_EQ(text.size(), rig.Text().size());
}

// ---- the history itself

TEST(UndoHistory, TheHundredAndFirstStepDropsTheOldest)
{
    vynui::UndoHistory history;
    history.Reset("state 0");
    for (int i = 1; i <= 101; ++i) EXPECT_TRUE(history.Record("state " + std::to_string(i)));
    EXPECT_FALSE(history.Record("state 101")) << "an unchanged scene is no step";
    EXPECT_EQ(101u, history.GetNumStates());
    int undone = 0;
    std::string text;
    while (history.CanUndo()) {
        text = history.Undo();
        ++undone;
    }
    EXPECT_EQ(100, undone);
    EXPECT_EQ("state 1", text);
    EXPECT_EQ("state 2", history.Redo());
}

TEST(UndoHistory, TheByteBudgetHoldsAndSharedRecordsAreKeptOnce)
{
    // A scene of a large record that never changes and a small one that does.
    const std::string big(20000, 'x');
    auto scene = [&](int i) {
        return "<?xml?>\n<KilnformRecords>\n  <Record id=\"1\" type=\"Field\">" + big + "</Record>\n" +
               "  <Record id=\"2\" type=\"Point\">" + std::to_string(i) + "</Record>\n</KilnformRecords>\n";
    };
    EXPECT_EQ(scene(3), [&] {
        std::string joined;
        for (const std::string& piece : vynui::UndoHistory::SplitRecords(scene(3))) joined += piece;
        return joined;
    }());

    vynui::UndoHistory shared;
    shared.Reset(scene(0));
    const std::size_t one = shared.GetBytes();
    for (int i = 1; i <= 50; ++i) shared.Record(scene(i));
    EXPECT_LT(shared.GetBytes(), one + 50 * 1000) << "the large record is kept once";

    const std::size_t budget = 100000;
    vynui::UndoHistory bounded(100, budget);
    bounded.Reset(scene(0) + std::string(30000, 'a'));
    for (int i = 1; i <= 20; ++i) {
        bounded.Record(scene(i) + std::string(30000, char('a' + i)));
        EXPECT_LE(bounded.GetBytes(), budget);
    }
    EXPECT_GE(bounded.GetNumStates(), 2u);
    EXPECT_LT(bounded.GetNumStates(), 5u);
    EXPECT_EQ(scene(20) + std::string(30000, char('a' + 20)), bounded.Current());
    EXPECT_EQ(scene(19) + std::string(30000, char('a' + 19)), bounded.Undo());

    // A state larger than the budget alone is still kept: it is the scene.
    vynui::UndoHistory tiny(100, 10);
    tiny.Reset("first");
    tiny.Record("second");
    EXPECT_EQ(1u, tiny.GetNumStates());
    EXPECT_EQ("second", tiny.Current());
    EXPECT_FALSE(tiny.CanUndo());
}

TEST(Undo, BytesOfAFiftyShapeScene)
{
    UndoRig rig;
    BlobTreeNodeSceneObject* shape = rig.Shape(400.0f, 300.0f);
    ASSERT_NE(nullptr, shape);
    const std::string one = rig.Text();
    vynui::CSaveLoadManager* files = vynui::GetSaveLoadManager();
    files->SetSceneManager(rig.Scene());
    for (int i = 1; i < 50; ++i) ASSERT_TRUE(files->LoadSceneFromText(one));
    rig.view.OnTimer();
    ASSERT_EQ(50u, rig.TopLevelCount());
    const std::size_t sceneBytes = rig.Text().size();
    const vynui::UndoHistory& history = rig.view.GetUndoHistory();
    const std::size_t start = history.GetBytes();
    const int steps = 20;
    for (int i = 0; i < steps; ++i) ASSERT_TRUE(rig.Edit(shape, "Radius", std::to_string(0.5 + 0.01 * i)));
    const std::size_t perStep = (history.GetBytes() - start) / steps;
    std::cout << "50-shape scene: " << sceneBytes << " bytes of text; history " << history.GetBytes()
              << " bytes for " << history.GetNumStates() << " states, " << perStep
              << " bytes per parameter step\n";
    RecordProperty("scene_bytes", int(sceneBytes));
    RecordProperty("bytes_per_step", int(perStep));
    EXPECT_LT(perStep, sceneBytes / 20);
    EXPECT_LE(history.GetBytes(), history.GetByteBudget());
}

// The scene manager's menu commands through OnCommand, with real files read
// through the scripted prompts.

#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/ThreadSafeScalarField.h"
#include "blobtree_ui/leaves/ProfiledLeafSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObject.h"
#include "detail/MeshSceneObject.h"
#include "implicit/ScalarField2D.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/sweeps/InterpolatingLinearSweep.h"
#include "scene/BillboardSO.h"
#include "scene/GenericPointSceneObject.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "tests/support/TempFolder.h"
#include "wml/PGMImage.h"
#include "wml/Polygon2.h"

using namespace scenemgr_test;
using vynui::SceneObject;

namespace {

std::string SquarePoly(const kftest::TempFolder& folder, const std::string& name = "square.poly2d")
{
    Wml::Polygon2<float> square(
        std::vector<Wml::Vector2<float>>{{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}});
    const std::string path = folder.File(name);
    EXPECT_TRUE(square.Save(path.c_str()));
    return path;
}

std::string FieldFile(const kftest::TempFolder& folder)
{
    vynimplicit::DiscreteScalarField2D field(16, 16, Wml::AxisAlignedBox2<float>(0, 4, 0, 4));
    for (unsigned j = 0; j < 16; ++j)
        for (unsigned i = 0; i < 16; ++i) {
            const float dx = i - 7.5f, dy = j - 7.5f;
            field.SetValue(i, j, std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy) / 8.0f));
        }
    const std::string path = folder.File("disc.mdvalue2d");
    EXPECT_TRUE(field.SaveToFile(path.c_str()));
    return path;
}

/// A bright disc on black.
std::string DiscImage(const kftest::TempFolder& folder, const std::string& name, float radius)
{
    Wml::PGMImage image(48, 48, 0);
    for (unsigned row = 0; row < 48; ++row)
        for (unsigned col = 0; col < 48; ++col) {
            const float dx = col - 23.5f, dy = row - 23.5f;
            if (dx * dx + dy * dy < radius * radius) image(col, row) = 255;
        }
    const std::string path = folder.File(name);
    EXPECT_TRUE(image.Write(path.c_str()));
    return path;
}

std::size_t CountObjects(SceneRig& rig)
{
    return rig.Objects().GetObjects().Size();
}

/// Remembers the last scale it was given.
class Scaled : public SceneObject {
public:
    Wml::Vector3<float> last = Wml::Vector3<float>::ZERO;
    void DoScale(float sx, float sy, float sz, bool, bool) override
    {
        last = Wml::Vector3<float>(sx, sy, sz);
    }
};

}  // namespace

TEST(SceneManagerCommands, EveryCommandRunsOnceAndLeavesAConsistentScene)
{
    kftest::TempFolder folder("scenemgr");
    const std::string poly = SquarePoly(folder);
    const std::string disc = DiscImage(folder, "disc.pgm", 12);
    const std::string obj = folder.Write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string png = folder.File("none.png");

    struct Case {
        const char* command;
        std::vector<std::string> files;  // answers of the file dialogs
        int added;                       // registered objects afterwards, less before
        bool selects;                    // something is selected afterwards
    };
    const std::vector<Case> cases = {
        {"Point", {}, 1, true},
        {"Capped Linear Sweep", {poly}, 1, true},
        {"Revolution", {poly}, 1, true},
        {"Cubic Curve Sweep", {poly}, 1, true},
        {"Quadratic Curve Sweep", {poly}, 1, true},
        {"Bezier Curve", {}, 1, true},
        {"Interpolating Linear Sweep", {poly, poly}, 1, true},
        {"Sum Blend", {}, 1, true},
        {"Ricci Blend", {}, 1, true},
        {"Min Max CSG Union", {}, 1, true},
        {"Min Max CSG Intersection", {}, 1, true},
        {"Min Max CSG Difference", {}, 1, true},
        {"Barthe Sharp Union", {}, 1, true},
        {"Barthe Sharp Intersection", {}, 1, true},
        {"Barthe Sharp Difference", {}, 1, true},
        {"Barthe Smooth Difference", {}, 1, true},
        {"Twist", {}, 1, true},
        {"Taper", {}, 1, true},
        {"Bend", {}, 1, true},
        {"Variational Warp", {}, 1, true},
        {"Variational Displacement Map", {disc}, 1, true},
        {"Test Linear Sweep Warp", {}, 1, true},
        {"Hollow Operator", {}, 1, true},
        {"Insert Hollow Op", {}, 1, true},
        {"Mirror Operator", {}, 1, true},
        {"Insert Mirror Op", {}, 1, true},
        {"Make Part", {}, 1, true},
        {"Remove", {}, -1, false},
        {"Clear Selection", {}, 0, false},
        {"Flip X", {}, 0, true},
        {"Flip Y", {}, 0, true},
        {"Flip Z", {}, 0, true},
        {"Add Billboard", {png}, 0, true},
        {"Import Mesh", {obj}, 1, true},
        {"Pick Contour Stack", {disc, disc}, 1, true},
    };
    // Every command of the table is handled, and the table covers them all.
    std::vector<std::string> covered;
    for (const Case& c : cases) covered.push_back(c.command);
    std::vector<std::string> names = vynui::CSceneManager::CommandNames();
    std::sort(covered.begin(), covered.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(covered, names);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SceneRig rig;
        // One selected point to act on.
        BlobTreeNodeSceneObject* point = rig.PointAt({0, 0, 0});
        rig.scene->SelectObject(point, true);
        for (const std::string& file : c.files) rig.ui.AnswerFile(file);
        const std::size_t before = CountObjects(rig);

        vynui::CommandState state;
        EXPECT_TRUE(rig.scene->OnUpdateCommand(c.command, state));
        EXPECT_TRUE(state.enabled);
        ASSERT_TRUE(rig.scene->OnCommand(c.command));

        EXPECT_EQ(int(CountObjects(rig)) - int(before), c.added);
        EXPECT_EQ(!rig.Objects().GetSelection().Empty(), c.selects);
        EXPECT_TRUE(rig.ui.AllAnswersUsed());
        const std::string command = c.command;
        if (command != "Add Billboard" && command != "Import Mesh") {
            EXPECT_TRUE(rig.ui.Messages().empty());
        }
        ExpectConsistent(rig);
    }
}

TEST(SceneManagerCommands, UnknownCommandsAreLeftToOthers)
{
    SceneRig rig;
    vynui::CommandState state;
    EXPECT_FALSE(rig.scene->OnCommand("Save"));
    EXPECT_FALSE(rig.scene->OnUpdateCommand("Save", state));
    EXPECT_FALSE(rig.scene->OnCommand(""));
    // Nothing selected: removing and flipping are greyed out.
    for (const char* command : {"Remove", "Flip X", "Clear Selection"}) {
        EXPECT_TRUE(rig.scene->OnUpdateCommand(command, state));
        EXPECT_FALSE(state.enabled) << command;
    }
}

TEST(SceneManagerCommands, ProfileFilesPutTheirFieldUnderTheShape)
{
    kftest::TempFolder folder("scenemgr");
    struct Case {
        const char* command;
        std::string file;
        float bound;  // the profile's field bounds afterwards: [-b, b]^2
    };
    const Case cases[] = {{"Capped Linear Sweep", FieldFile(folder), 1.0f},
                          {"Revolution", FieldFile(folder), 1.0f},
                          {"Cubic Curve Sweep", FieldFile(folder), 0.2f},
                          {"Quadratic Curve Sweep", SquarePoly(folder), 0.2f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SceneRig rig;
        rig.ui.AnswerFile(c.file);
        ASSERT_TRUE(rig.scene->OnCommand(c.command));
        ASSERT_EQ(rig.Selection().size(), 1u);
        auto* shape = dynamic_cast<vynui_bt::ProfiledLeafSceneObject*>(rig.Selection()[0]);
        ASSERT_NE(shape, nullptr);
        ASSERT_NE(shape->GetProfile(), nullptr);
        Wml::AxisAlignedBox2<float> box;
        shape->GetProfile()->FieldBounds(box);
        EXPECT_NEAR(box.Min(0), -c.bound, 1e-5f);
        EXPECT_NEAR(box.Max(1), c.bound, 1e-5f);
        // The dialog offers both kinds of profile.
        const auto opened = rig.ui.EventsOf("open");
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_NE(opened[0].text.find("*.mdvalue2d"), std::string::npos);
        EXPECT_NE(opened[0].text.find("*.poly2d"), std::string::npos);
    }
}

TEST(SceneManagerCommands, HostileProfileFilesAddNothing)
{
    kftest::TempFolder folder("scenemgr");
    struct Case {
        const char* name;
        std::string path;
        const char* message;
    };
    const Case cases[] = {
        {"text as polygon", folder.Write("text.poly2d", "not a polygon at all\n"), "Error loading poly file"},
        {"hostile vertex count", folder.Write("count.poly2d", "4000000000\n0 0\n"),
         "Error loading poly file"},
        {"NaN vertices", folder.Write("nan.poly2d", "3\nnan 0\n1 0\n0 1\n"), "Error loading poly file"},
        {"missing polygon", folder.File("absent.poly2d"), "Error loading poly file"},
        {"text as field", folder.Write("text.mdvalue2d", "garbage"), "Error loading file!"},
        {"empty field", folder.Write("empty.mdvalue2d", ""), "Error loading file!"},
        {"truncated field", folder.Write("short.mdvalue2d", std::string("\x10\x00\x00\x00\x10", 5)),
         "Error loading file!"},
        {"missing field", folder.File("absent.mdvalue2d"), "Error loading file!"},
        {"a folder", folder.Path().string(), "Error loading file!"},
    };
    for (const char* command : {"Capped Linear Sweep", "Revolution", "Interpolating Linear Sweep"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(command) + ": " + c.name);
            SceneRig rig;
            rig.PointAt({0, 0, 0});
            rig.ui.AnswerFile(c.path);
            rig.recorder.events.clear();
            EXPECT_TRUE(rig.scene->OnCommand(command));
            EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{c.message});
            ASSERT_EQ(rig.ui.EventsOf("message").size(), 1u);
            EXPECT_EQ(rig.ui.EventsOf("message")[0].title, "Error!");
            EXPECT_EQ(Shape(rig.Root()), "0(1)");
            EXPECT_EQ(CountObjects(rig), 3u);
            EXPECT_TRUE(rig.recorder.events.empty());
        }
    }
}

TEST(SceneManagerCommands, CancelledDialogsAndNoPromptsDoNothing)
{
    const char* commands[] = {
        "Capped Linear Sweep", "Interpolating Linear Sweep", "Variational Displacement Map", "Add Billboard",
        "Import Mesh",         "Pick Contour Stack"};
    for (const char* command : commands) {
        SCOPED_TRACE(command);
        SceneRig rig;
        EXPECT_TRUE(rig.scene->OnCommand(command));  // the empty queue cancels
        EXPECT_EQ(CountObjects(rig), 2u);
        rig.scene->SetUserInterface(nullptr);
        EXPECT_TRUE(rig.scene->OnCommand(command));
        EXPECT_EQ(CountObjects(rig), 2u);
        EXPECT_TRUE(rig.recorder.events.empty());
    }
}

TEST(SceneManagerCommands, UnreadableImagesAndMeshesGiveTheirMessage)
{
    kftest::TempFolder folder("scenemgr");
    const std::string garbage = folder.Write("garbage.pgm", "P5\n4 4\n255\nab");  // truncated pixels
    const std::string wrongDepth = folder.Write("deep.pgm", "P2\n2 2\n65535\n1 2 3 4\n");
    const std::string missing = folder.File("absent.pgm");
    const std::string good = DiscImage(folder, "good.pgm", 10);
    struct Case {
        const char* command;
        std::vector<std::string> files;
        std::string message;
        std::string title;
    };
    const std::vector<Case> cases = {
        {"Variational Displacement Map", {garbage}, "Error loading file!", "Error!"},
        {"Variational Displacement Map", {missing}, "Error loading file!", "Error!"},
        {"Variational Displacement Map", {wrongDepth}, "Error loading file!", "Error!"},
        {"Pick Contour Stack", {good, garbage}, "Error loading file!", "Error!"},
        {"Pick Contour Stack", {missing}, "Error loading file!", "Error!"},
        // An all-black slice has no contour to fit.
        {"Pick Contour Stack", {DiscImage(folder, "black.pgm", 0)}, "Error loading file!", "Error!"},
        {"Import Mesh", {folder.File("absent.obj")}, "Error loading file!", "Error!"},
        {"Import Mesh", {folder.Write("bad.obj", "\x01\x02garbage")}, "Error loading file!", "Error!"},
        {"Add Billboard",
         {missing},
         "Could not load texture image " + missing + "\n",
         "Problem opening file!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + (" " + c.files.back()));
        SceneRig rig;
        rig.PointAt({0, 0, 0});
        for (const std::string& file : c.files) rig.ui.AnswerFile(file);
        rig.recorder.events.clear();
        EXPECT_TRUE(rig.scene->OnCommand(c.command));
        const auto messages = rig.ui.EventsOf("message");
        ASSERT_FALSE(messages.empty());
        // A reason may follow the message on its own lines.
        EXPECT_EQ(messages.back().text.substr(0, c.message.size()), c.message);
        EXPECT_EQ(messages.back().title, c.title);
        EXPECT_EQ(Shape(rig.Root()), "0(1)");
        EXPECT_EQ(CountObjects(rig), 3u);
        EXPECT_TRUE(rig.recorder.events.empty());
        EXPECT_TRUE(rig.ui.AllAnswersUsed());
    }
}

TEST(SceneManagerCommands, ImportMeshWarnsFirst)
{
    kftest::TempFolder folder("scenemgr");
    SceneRig rig;
    rig.ui.AnswerFile(folder.Write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    ASSERT_TRUE(rig.scene->OnCommand("Import Mesh"));
    const auto& events = rig.ui.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].kind, "message");
    EXPECT_EQ(events[0].title, "WARNING: EXPERIMENTAL FEATURE");
    EXPECT_EQ(events[1].kind, "open");
    EXPECT_NE(events[1].text.find("*.obj"), std::string::npos);
    ASSERT_EQ(rig.Selection().size(), 1u);
    EXPECT_NE(dynamic_cast<vynui::MeshSceneObject*>(rig.Selection()[0]), nullptr);
}

TEST(SceneManagerCommands, VariationalWarpStartsAsTheIdentityOnAGrid)
{
    SceneRig rig;
    ASSERT_TRUE(rig.scene->OnCommand("Variational Warp"));
    auto* warp = dynamic_cast<vynui_bt::VariationalWarpSceneObject*>(rig.Selection().at(0));
    ASSERT_NE(warp, nullptr);
    vynbt::VariationalWarpNode* node = warp->GetVariationalWarpNode();
    EXPECT_FALSE(node->IsCachingEnabled());
    const vynimplicit::WarpPointSet& points = node->GetWarpPointSet();
    ASSERT_EQ(points.GetNumPoints(), 27u);
    // x fastest, then y, then z.
    const float steps[3] = {-0.5f, 0.0f, 0.5f};
    for (unsigned i = 0; i < 27; ++i) {
        Wml::Vector3<float> from, to;
        ASSERT_TRUE(points.GetPoint(i, from, to));
        EXPECT_EQ(from, Wml::Vector3<float>(steps[i % 3], steps[(i / 3) % 3], steps[i / 9]));
        EXPECT_EQ(from, to);
    }
    EXPECT_EQ(warp->GetHandles().size(), 27u);
}

TEST(SceneManagerCommands, FlipsMirrorEverySelectedObject)
{
    struct Case {
        const char* command;
        Wml::Vector3<float> scale;
    };
    const Case cases[] = {{"Flip X", {-1, 1, 1}}, {"Flip Y", {1, -1, 1}}, {"Flip Z", {1, 1, -1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SceneRig rig;
        auto* a = new Scaled();
        auto* b = new Scaled();
        rig.scene->AddToScene(a);
        rig.scene->AddToScene(b);
        rig.scene->SetSelection({a, b});
        ASSERT_TRUE(rig.scene->OnCommand(c.command));
        EXPECT_EQ(a->last, c.scale);
        EXPECT_EQ(b->last, c.scale);
    }
}

TEST(SceneManagerCommands, BillboardsComeAndGo)
{
    kftest::TempFolder folder("scenemgr");
    SceneRig rig;
    Wml::PGMImage grey(8, 4, 200);
    const std::string path = folder.File("board.pgm");
    ASSERT_TRUE(grey.Write(path.c_str()));
    rig.ui.AnswerFile(path);
    ASSERT_TRUE(rig.scene->OnCommand("Add Billboard"));
    if (!rig.ui.Messages().empty()) GTEST_SKIP() << "image reading unavailable: " << rig.ui.Messages()[0];
    ASSERT_EQ(rig.Selection().size(), 1u);
    auto* billboard = dynamic_cast<vynui::BillboardSO*>(rig.Selection()[0]);
    ASSERT_NE(billboard, nullptr);
    EXPECT_EQ(rig.ui.EventsOf("open").at(0).text, "All Files (*.*)");

    rig.scene->OnCommand("Hollow Operator");  // a billboard is no node: nothing to wrap
    rig.scene->NewScene();
    EXPECT_TRUE(rig.Objects().IsRegistered(billboard));

    rig.scene->SelectObject(billboard, true);
    rig.recorder.events.clear();
    rig.scene->RemoveBillboard(billboard);  // deleted: the scene made it
    EXPECT_EQ(CountObjects(rig), 2u);
    EXPECT_EQ(rig.recorder.events, (std::vector<std::string>{"selection", "scene", "selection"}));
}

TEST(SceneManagerCommands, ContourStackSweepsItsSlicesIntoOneSolid)
{
    kftest::TempFolder folder("scenemgr");
    SceneRig rig;
    // Three slices, the middle one wider; then the dialog is cancelled.
    rig.ui.AnswerFile(DiscImage(folder, "a.pgm", 10));
    rig.ui.AnswerFile(DiscImage(folder, "b.pgm", 16));
    rig.ui.AnswerFile(DiscImage(folder, "c.pgm", 10));
    ASSERT_TRUE(rig.scene->OnCommand("Pick Contour Stack"));
    ASSERT_EQ(rig.Selection().size(), 1u);
    auto* stack = dynamic_cast<BlobTreeNodeSceneObject*>(rig.Selection()[0]);
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->GetTypeCode(), 7);
    EXPECT_EQ(static_cast<vynbt::InterpolatingLinearSweepNode*>(stack->GetNode())->GetSweep()->GetNumSlices(),
              3u);
    EXPECT_EQ(rig.ui.EventsOf("open").size(), 4u);
    EXPECT_TRUE(rig.ui.Messages().empty());
    // Inside at the centre of the middle slice, outside well beyond the disc.
    vynimplicit::ScalarField& field = *rig.scene->GetField();
    EXPECT_GT(field.Value(0.0f, 0.0f, 0.0f), 0.5f);
    EXPECT_LT(field.Value(2.5f, 2.5f, 0.0f), 0.5f);
    ExpectConsistent(rig);
}

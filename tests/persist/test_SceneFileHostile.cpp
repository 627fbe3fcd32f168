// Damaged and hostile scene files: truncated, bytes flipped, fields of the
// wrong kind, huge counts, unknown types, cyclic or doubled links, absurd
// nesting. None may crash or hang; a file that does not parse leaves the
// open scene exactly as it was, one that parses adds only a sound tree.

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "test_PersistSupport.h"
#include "wml/DeprecatedSerializer.h"

using namespace persist_test;
using scenemgr_test::Shape;
using Vec = Wml::Vector3<float>;

namespace {

/// Levels of operators under object, itself counted.
int Depth(vynui::SceneObject* object)
{
    int below = 0;
    for (vynui::SceneObject* child : object->GetChildren()) below = std::max(below, Depth(child));
    return below + 1;
}

/// A scene worth damaging: an operator over a point, a profiled sweep and a
/// polyline, a Ricci blend, the view and texture records.
std::string SaveSampleScene(FileRig& rig)
{
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(9, rig.Root(), false);
    rig.scene->AddNode(1, blend, false)->Translate(Vec(0.5f, 0, 0), false);
    auto* sweep = dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(rig.scene->AddNode(2, blend, false));
    auto* profile = new vynimplicit::DiscreteScalarField2D(8, 8, Wml::AxisAlignedBox2<float>(-1, 1, -1, 1));
    for (unsigned i = 0; i < 8; ++i)
        for (unsigned j = 0; j < 8; ++j)
            profile->SetValue(i, j, (i > 1 && i < 6 && j > 1 && j < 6) ? 0.9f : 0.0f);
    sweep->SetProfile(profile, true);
    rig.scene->AddNode(8, blend, false);
    BlobTreeNodeSceneObject* ricci = rig.scene->AddNode(13, rig.Root(), false);
    rig.scene->AddNode(4, ricci, false);
    const std::string path = rig.folder.File("sample.xml");
    EXPECT_TRUE(rig.Save(path));
    return kftest::ReadFile(path);
}

/// Loads the bytes into a scene that already holds two objects. A refused
/// file must leave it as it was; an accepted one must leave a sound tree
/// that still holds the two.
void LoadDamaged(const std::string& bytes, const std::string& what)
{
    SCOPED_TRACE(what);
    FileRig rig;
    rig.PointAt(Vec(3, 0, 0));
    rig.scene->AddNode(4, rig.Root(), false);
    const std::string before = rig.SavedText();
    const std::string path = rig.folder.Write("damaged.xml", bytes);
    if (!rig.Load(path)) {
        EXPECT_EQ(rig.SavedText(), before);
    } else {
        scenemgr_test::ExpectConsistent(rig);
        ASSERT_GE(rig.Root()->GetChildren().size(), 2u);
        EXPECT_EQ(Shape(rig.Root()->GetChildren()[0]), "1");
        EXPECT_EQ(Shape(rig.Root()->GetChildren()[1]), "4");
    }
    EXPECT_TRUE(rig.scene->GetAutoCleanup());
}

}  // namespace

TEST(HostileSceneFile, TruncatedAtEveryTwentiethOfItsLength)
{
    FileRig source;
    const std::string bytes = SaveSampleScene(source);
    ASSERT_GT(bytes.size(), 200u);
    for (int k = 0; k < 20; ++k)
        LoadDamaged(bytes.substr(0, bytes.size() * k / 20), "cut at " + std::to_string(k));
}

TEST(HostileSceneFile, RandomBytesFlipped)
{
    FileRig source;
    const std::string bytes = SaveSampleScene(source);
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> position(0, bytes.size() - 1);
    std::uniform_int_distribution<int> value(0, 255), count(1, 4);
    for (int file = 0; file < 50; ++file) {
        std::string damaged = bytes;
        for (int n = count(random); n > 0; --n) damaged[position(random)] = static_cast<char>(value(random));
        LoadDamaged(damaged, "file " + std::to_string(file));
    }
}

TEST(HostileSceneFile, RandomDigitsChanged)
{
    // Most flipped bytes break the XML and the file is refused whole; changed
    // digits mostly parse, and reach the loader as wrong IDs, links, counts
    // and values.
    FileRig source;
    const std::string bytes = SaveSampleScene(source);
    std::vector<size_t> digits;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] >= '0' && bytes[i] <= '9') digits.push_back(i);
    ASSERT_GT(digits.size(), 50u);
    std::mt19937 random(8122026);
    std::uniform_int_distribution<size_t> which(0, digits.size() - 1);
    std::uniform_int_distribution<int> digit(0, 9), count(1, 3);
    for (int file = 0; file < 50; ++file) {
        std::string damaged = bytes;
        for (int n = count(random); n > 0; --n)
            damaged[digits[which(random)]] = static_cast<char>('0' + digit(random));
        LoadDamaged(damaged, "file " + std::to_string(file));
    }
}

TEST(HostileSceneFile, BadRecordsLoadWhatIsSoundAndSkipTheRest)
{
    struct Case {
        const char* name;
        std::function<void(FileBuilder&)> build;
        const char* shape;  // of the loaded tree under the root
        const char* debug;  // a line the load writes; null: none expected
    };
    const Case cases[] = {
        {"children of the wrong kind",
         [](FileBuilder& f) {
             f.Object("SumBlend", 10)->SetValue("Children", 3.0f);
             f.Object("Point", 11);
         },
         "0(9,1)", "could not link the children of SumBlend"},
        {"object ID of the wrong kind",
         [](FileBuilder& f) {
             f.Operator("SumBlend", 10, {11})->SetValue("ObjectID", std::string("ten"));
             f.Object("Point", 11);
         },
         "0(9,1)", "could not link the children of SumBlend"},
        {"self-parenting", [](FileBuilder& f) { f.Operator("SumBlend", 10, {10}); }, "0(9)",
         "would hold itself"},
        {"two-cycle",
         [](FileBuilder& f) {
             f.Operator("SumBlend", 10, {11});
             f.Operator("MinMaxUnion", 11, {10});
         },
         "0(9(10))", "lies under the child"},
        {"parent its own descendant",
         [](FileBuilder& f) {
             f.Operator("SumBlend", 10, {11});
             f.Operator("MinMaxUnion", 11, {12});
             f.Operator("RicciBlend", 12, {10});
         },
         "0(9(10(13)))", "lies under the child"},
        {"a child under two parents goes to the last",
         [](FileBuilder& f) {
             f.Operator("SumBlend", 10, {12});
             f.Operator("MinMaxUnion", 11, {12});
             f.Object("Point", 12);
         },
         "0(9,10(1))", nullptr},
        {"a child listed many times",
         [](FileBuilder& f) {
             f.Operator("SumBlend", 10, std::vector<unsigned>(5000, 11));
             f.Object("Point", 11);
         },
         "0(9(1))", nullptr},
        {"a leaf with children",
         [](FileBuilder& f) {
             f.Operator("Point", 10, {11});
             f.Object("Cylinder", 11);
         },
         "0(1,4)", "is no operator"},
        {"a huge list of unknown children",
         [](FileBuilder& f) {
             std::vector<unsigned> ids(200000);
             for (unsigned i = 0; i < ids.size(); ++i) ids[i] = 1000 + i;
             f.Operator("SumBlend", 10, ids);
         },
         "0(9)", nullptr},
        {"unknown record types",
         [](FileBuilder& f) {
             f.Operator("Spaceship", 10, {11});
             f.Object("Point", 11);
             f.serializer.CreateRecord("");
             f.Operator("RootNode", 1, {99, 11});
         },
         "0(1)", nullptr},
        {"duplicate object IDs: the later record takes the ID",
         [](FileBuilder& f) {
             f.Object("Point", 5);
             f.Object("Cylinder", 5);
             f.Operator("SumBlend", 6, {5});
         },
         "0(1,9(4))", nullptr},
        {"a profile ID naming another record or of the wrong kind",
         [](FileBuilder& f) {
             f.Object("Point", 5);
             f.Object("CappedLinearSweep", 6)->SetValue("FieldID", 2u);
             f.Object("Revolution", 7)->SetValue("FieldID", -3.5f);
         },
         "0(1,2,3)", "restored incompletely"},
        {"huge point count",
         [](FileBuilder& f) {
             Wml::SerializerRecord* line = f.Object("PolyLine", 5);
             line->SetValue("PolyLineNumPoints", 4000000000u);
             line->SetValue("PolyLinePoints", std::vector<Vec>{Vec(0, 0, 0), Vec(1, 0, 0)});
         },
         "0(8)", nullptr},
        {"parameters of the wrong kind or not finite",
         [](FileBuilder& f) {
             Wml::SerializerRecord* point = f.Object("Point", 5);
             point->SetValue("Position", std::string("here"));
             point->SetValue("Orientation", Vec(std::nanf(""), 0, 0));
             point->SetValue("Radius", std::nanf(""));
             point->SetValue("Name", 12u);
         },
         "0(1)", nullptr},
        {"view and texture records refused",
         [](FileBuilder& f) {
             f.serializer.CreateRecord("ViewController")->SetValue("WorldScaleFactor", std::nanf(""));
             f.serializer.CreateRecord("TextureManager")->SetValue("Mode", 99);
         },
         "0", "ViewController record"},
        {"format record of the wrong kinds",
         [](FileBuilder& f) {
             Wml::SerializerRecord* format = f.serializer.CreateRecord("FormatVersion");
             format->SetValue("FileType", 7u);
             format->SetValue("VersionNumber", std::string("99999999999.x"));
         },
         "0", nullptr},
        {"orphan decal links",
         [](FileBuilder& f) {
             f.serializer.CreateRecord("Decal")->SetValue("ID", 4u);
             Wml::SerializerRecord* decal = f.Object("TextureDecal", 8);
             decal->SetValue("DecalID", 4u);
             Wml::SerializerRecord* link = f.serializer.CreateRecord("SurfaceLink");
             link->SetValue("ID", 1u);
             link->SetValue("ParentID", 2u);
             link->SetValue("ChildID", 3u);
         },
         "0", "Could not find decal 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileBuilder file;
        file.Format();
        c.build(file);
        FileRig rig;
        DebugLines debug;
        ASSERT_TRUE(rig.Load(file.Write(rig.folder, "bad.xml")));
        EXPECT_EQ(Shape(rig.Root()), c.shape);
        if (c.debug) {
            EXPECT_TRUE(debug.Contains(c.debug)) << c.debug;
        }
        scenemgr_test::ExpectConsistent(rig);
        EXPECT_TRUE(rig.scene->GetAutoCleanup());
    }
}

TEST(HostileSceneFile, NestingIsCutAtTheDeepestTreeALoadBuilds)
{
    const unsigned levels = 1000;
    FileBuilder file;
    file.Format();
    for (unsigned i = 0; i < levels; ++i) file.Operator("SumBlend", 10 + i, {11 + i});
    file.Object("Point", 10 + levels);
    file.Operator("RootNode", 1, {10});
    FileRig rig;
    DebugLines debug;
    ASSERT_TRUE(rig.Load(file.Write(rig.folder, "deep.xml")));
    EXPECT_LE(Depth(rig.Root()), vynui::CSaveLoadManager::kMaxTreeDepth);
    EXPECT_GE(Depth(rig.Root()), vynui::CSaveLoadManager::kMaxTreeDepth - 1);
    EXPECT_TRUE(debug.Contains("nest too deep"));
    EXPECT_EQ(rig.Nodes().size(), levels + 1) << "cut-off parts stay in the scene, under the root";
    scenemgr_test::ExpectConsistent(rig);
}

TEST(HostileSceneFile, AGroupNamedByManyListsIsLinkedOnce)
{
    // Re-linking a group costs as much as its members; a file that names it
    // in thousands of lists must not pay that thousands of times. The last
    // list naming it wins, as if every list had been followed in turn.
    const unsigned members = 1000, parents = 2000;
    FileBuilder file;
    file.Format();
    std::vector<unsigned> ids;
    for (unsigned i = 0; i < members; ++i) {
        file.Object("Point", 100000 + i);
        ids.push_back(100000 + i);
    }
    file.Operator("SumBlend", 10, ids);
    file.Operator("MinMaxUnion", 11, std::vector<unsigned>(100000, 10));
    for (unsigned i = 0; i < parents; ++i) file.Operator("MinMaxUnion", 20 + i, {10, 11});
    FileRig rig;
    ASSERT_TRUE(rig.Load(file.Write(rig.folder, "named.xml")));
    ASSERT_EQ(rig.Root()->GetChildren().size(), parents);
    vynui::SceneObject* last = rig.Root()->GetChildren().back();
    ASSERT_EQ(last->GetChildren().size(), 2u);
    EXPECT_EQ(last->GetChildren()[0]->GetChildren().size(), members);
    EXPECT_EQ(last->GetChildren()[1]->GetChildren().size(), 0u);
    scenemgr_test::ExpectConsistent(rig);
}

TEST(HostileSceneFile, OlderFormatCyclesDoublingsAndDepthAreBounded)
{
    struct Case {
        const char* name;
        std::function<void(WmlDeprecated::Serializer&, WmlDeprecated::SerializerRecord*)> build;
        bool expected;
        std::function<void(FileRig&)> check;
    };
    auto node = [](WmlDeprecated::Serializer& s, unsigned id, int code,
                   const std::vector<unsigned>& children) {
        WmlDeprecated::SerializerRecord* record = s.CreateRecord(id, 1000 + code);
        record->SetValue("NumChildren", static_cast<unsigned>(children.size()));
        record->SetValue("ChildrenIDs", children);
        return record;
    };
    const Case cases[] = {
        {"a node listing itself",
         [&](WmlDeprecated::Serializer& s, WmlDeprecated::SerializerRecord* list) {
             node(s, 10, 9, {10, 11});
             node(s, 11, 1, {});
             list->SetValue("TreeList", std::vector<unsigned>{10});
         },
         true, [](FileRig& rig) { EXPECT_EQ(Shape(rig.Root()), "0(9(1))"); }},
        {"a node listed twice at top level",
         [&](WmlDeprecated::Serializer& s, WmlDeprecated::SerializerRecord* list) {
             node(s, 10, 1, {});
             list->SetValue("TreeList", std::vector<unsigned>{10, 10});
         },
         false, [](FileRig& rig) { EXPECT_EQ(Shape(rig.Root()), "0(1)"); }},
        {"every level listing the next twice",
         [&](WmlDeprecated::Serializer& s, WmlDeprecated::SerializerRecord* list) {
             for (unsigned i = 0; i < 40; ++i) node(s, 10 + i, 9, {11 + i, 11 + i});
             node(s, 50, 1, {});
             list->SetValue("TreeList", std::vector<unsigned>{10});
         },
         true, [](FileRig& rig) { EXPECT_EQ(rig.Nodes().size(), 41u); }},
        {"a chain deeper than any model",
         [&](WmlDeprecated::Serializer& s, WmlDeprecated::SerializerRecord* list) {
             for (unsigned i = 0; i < 2000; ++i) node(s, 10 + i, 9, {11 + i});
             list->SetValue("TreeList", std::vector<unsigned>{10});
         },
         true, [](FileRig& rig) { EXPECT_LE(Depth(rig.Root()), vynui::CSaveLoadManager::kMaxTreeDepth); }},
        {"children IDs of the wrong kind, a type beyond every code",
         [&](WmlDeprecated::Serializer& s, WmlDeprecated::SerializerRecord* list) {
             WmlDeprecated::SerializerRecord* blend = s.CreateRecord(10, 1009);
             blend->SetValue("NumChildren", 2u);
             blend->SetValue("ChildrenIDs", 11.0f);
             s.CreateRecord(11, 0xFFFFFFFFu);
             list->SetValue("TreeList", std::vector<unsigned>{10, 11});
         },
         false, [](FileRig& rig) { EXPECT_EQ(Shape(rig.Root()), "0(9)"); }},
        {"a tree list of the wrong kind",
         [&](WmlDeprecated::Serializer&, WmlDeprecated::SerializerRecord* list) {
             list->SetValue("TreeList", std::string("10 11"));
         },
         false, [](FileRig& rig) { EXPECT_EQ(Shape(rig.Root()), "0"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WmlDeprecated::Serializer serializer;
        WmlDeprecated::SerializerRecord* list = serializer.CreateRecord(1, 20481);
        list->SetValue("TreeListSize", 1u);
        c.build(serializer, list);
        FileRig rig;
        EXPECT_EQ(rig.files.LoadOldScene(&serializer), c.expected);
        c.check(rig);
        scenemgr_test::ExpectConsistent(rig);
        EXPECT_TRUE(rig.scene->GetAutoCleanup());
    }
}

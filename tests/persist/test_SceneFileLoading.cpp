// What a load makes of a file: the records of a saved scene, links whatever
// the record order, children in list order, the orientation conversion of
// older versions, loading twice, and the older binary format.

#include <cstdio>
#include <string>
#include <vector>

#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "scene/FileVersion.h"
#include "scene/IParameter.h"
#include "test_PersistSupport.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/ExtendedWmlCamera.h"

using namespace persist_test;
using scenemgr_test::Shape;
using Vec = Wml::Vector3<float>;

namespace {

Vec VectorParameter(vynui::SceneObject* object, const char* name)
{
    vynui::IParameter* parameter = object->GetParameterList()->Find(name);
    EXPECT_NE(parameter, nullptr) << name;
    std::string text;
    if (parameter) parameter->GetVectorValue(text);
    float x = 0, y = 0, z = 0;
    std::sscanf(text.c_str(), "%f %f %f", &x, &y, &z);
    return Vec(x, y, z);
}

std::vector<std::string> RecordTypes(const std::string& path)
{
    Wml::Serializer serializer;
    EXPECT_TRUE(serializer.Read(path.c_str()));
    std::vector<std::string> types;
    for (unsigned i = 0; i < serializer.GetNumRecords(); ++i)
        types.push_back(serializer.GetRecord(i)->GetTypeName());
    return types;
}

}  // namespace

// ---------------------------------------------------------------- saving

TEST(SceneFileSaving, AnEmptySceneWritesTheFormatModelRootViewAndTextureRecords)
{
    FileRig rig;
    const std::string path = rig.folder.File("empty.xml");
    ASSERT_TRUE(rig.Save(path));
    EXPECT_EQ(RecordTypes(path), (std::vector<std::string>{"FormatVersion", "BlobTreeSO", "RootNode",
                                                           "ViewController", "TextureManager"}));
    Wml::Serializer serializer;
    ASSERT_TRUE(serializer.Read(path.c_str()));
    std::string text;
    serializer.GetRecord(0)->GetValue("FileType", text, std::string());
    EXPECT_EQ(text, "KilnformSceneFile");
    serializer.GetRecord(0)->GetValue("VersionNumber", text, std::string());
    EXPECT_EQ(text, "3.0.1");
}

TEST(SceneFileSaving, ASelectionExportHoldsOnlyTheSelectedObjectsInSelectionOrder)
{
    FileRig rig;
    BlobTreeNodeSceneObject* a = rig.PointAt(Vec(0, 0, 0));
    rig.scene->AddNode(4, rig.Root(), false);
    BlobTreeNodeSceneObject* c = rig.scene->AddNode(9, rig.Root(), false);
    rig.scene->SetSelection({c, a});
    const std::string path = rig.folder.File("selection.xml");
    ASSERT_TRUE(rig.files.SaveSelection(path));
    EXPECT_EQ(RecordTypes(path), (std::vector<std::string>{"FormatVersion", "SumBlend", "Point"}));
}

// ---------------------------------------------------------------- linking

TEST(SceneFileLoading, LinksChildrenWhateverTheRecordOrderAndKeepsTheListOrder)
{
    struct Case {
        const char* name;
        std::vector<int> order;  // record order: 0 blend, 1 first point, 2 second point, 3 root
        std::vector<unsigned> blendChildren;
        std::vector<float> expectedX;  // of the blend's children, in order
    };
    const Case cases[] = {
        {"parent first", {0, 1, 2, 3}, {11, 12}, {1, 2}},
        {"children first", {1, 2, 0, 3}, {11, 12}, {1, 2}},
        {"root first", {3, 2, 0, 1}, {11, 12}, {1, 2}},
        {"list reversed", {1, 2, 0, 3}, {12, 11}, {2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileBuilder file;
        file.Format();
        for (int which : c.order) {
            if (which == 0) file.Operator("SumBlend", 10, c.blendChildren);
            if (which == 1) file.Object("Point", 11)->SetValue("Position", Vec(1, 0, 0));
            if (which == 2) file.Object("Point", 12)->SetValue("Position", Vec(2, 0, 0));
            if (which == 3) file.Operator("RootNode", 1, {10});
        }
        FileRig rig;
        ASSERT_TRUE(rig.Load(file.Write(rig.folder, "order.xml")));
        ASSERT_EQ(Shape(rig.Root()), "0(9(1,1))");
        const auto& children = rig.Root()->GetChildren()[0]->GetChildren();
        for (size_t i = 0; i < c.expectedX.size(); ++i)
            EXPECT_FLOAT_EQ(children[i]->GetFrame().Origin().X(), c.expectedX[i]);
        scenemgr_test::ExpectConsistent(rig);
    }
}

TEST(SceneFileLoading, AnEmptiedOperatorSurvivesTheLoadAndAutoCleanupIsBackAfter)
{
    // The union's only child leaves it for the blend: with cleanup running
    // during the load the union would vanish before its own list is read.
    FileBuilder file;
    file.Format();
    file.Operator("MinMaxUnion", 20, {22});
    file.Operator("SumBlend", 21, {22, 20});
    file.Object("Point", 22);
    file.Operator("RootNode", 1, {21});
    FileRig rig;
    ASSERT_TRUE(rig.Load(file.Write(rig.folder, "cleanup.xml")));
    EXPECT_EQ(Shape(rig.Root()), "0(9(1,10))");
    EXPECT_TRUE(rig.scene->GetAutoCleanup());
    rig.scene->SetAutoCleanup(false);
    ASSERT_TRUE(rig.Load(rig.folder.File("cleanup.xml")));
    EXPECT_FALSE(rig.scene->GetAutoCleanup());
}

TEST(SceneFileLoading, LoadingTwiceAddsASecondCopy)
{
    FileRig original;
    BlobTreeNodeSceneObject* blend = original.scene->AddNode(9, original.Root(), false);
    original.scene->AddNode(1, blend, false);
    original.scene->AddNode(4, blend, false);
    const std::string path = original.folder.File("twice.xml");
    ASSERT_TRUE(original.Save(path));

    FileRig rig;
    ASSERT_TRUE(rig.Load(path));
    ASSERT_TRUE(rig.Load(path));
    EXPECT_EQ(Shape(rig.Root()), "0(9(1,4),9(1,4))");
    EXPECT_NE(rig.Root()->GetChildren()[0], rig.Root()->GetChildren()[1]);
    scenemgr_test::ExpectConsistent(rig);
    // The lookups answer the second load's objects.
    EXPECT_EQ(rig.files.LookupObject(blend->GetObjectID()), rig.Root()->GetChildren()[1]);
}

TEST(SceneFileLoading, LookupsNeverReachAnObjectRemovedSinceTheLoad)
{
    FileBuilder file;
    file.Format();
    file.Object("Point", 5);
    file.Operator("RootNode", 1, {5});
    FileRig rig;
    ASSERT_TRUE(rig.Load(file.Write(rig.folder, "one.xml")));
    vynui::SceneObject* point = rig.files.LookupObject(5);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point, rig.Root()->GetChildren()[0]);
    rig.scene->SelectObject(point, true);
    rig.scene->RemoveSelected();
    EXPECT_EQ(rig.files.LookupObject(5), nullptr);
    EXPECT_EQ(rig.files.LookupObject(6), nullptr);
}

// ---------------------------------------------------------------- versions

TEST(SceneFileLoading, OrientationsOfFilesBefore301AreConverted)
{
    struct Case {
        const char* version;  // null: no "FormatVersion" record
        float expectedX;
        vynui::FileVersion expectedVersion;
    };
    const Case cases[] = {
        {"3.0.0", -90, {3, 0, 0}}, {"3.0.1", 90, {3, 0, 1}},   {nullptr, -90, {0, 0, 0}},
        {"2.9.9", -90, {2, 9, 9}}, {"10.0.0", 90, {10, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version : "none");
        FileBuilder file;
        if (c.version) file.Format(c.version);
        file.Object("Cylinder", 5)->SetValue("Orientation", Vec(90, 0, 0));
        file.Operator("RootNode", 1, {5});
        FileRig rig;
        ASSERT_TRUE(rig.Load(file.Write(rig.folder, "version.xml")));
        ASSERT_EQ(rig.Root()->GetChildren().size(), 1u);
        const Vec angles = VectorParameter(rig.Root()->GetChildren()[0], "Orientation");
        EXPECT_NEAR(angles.X(), c.expectedX, 1e-3f);
        EXPECT_NEAR(angles.Y(), 0, 1e-3f);
        EXPECT_EQ(vynui::GetFileVersion(), c.expectedVersion);
    }
    vynui::SetFileVersion(vynui::FileVersion::Current());
}

TEST(SceneFileLoading, AFormatRecordOfAnotherFileTypeLeavesTheVersionAtZero)
{
    FileBuilder file;
    Wml::SerializerRecord* format = file.serializer.CreateRecord("FormatVersion");
    format->SetValue("FileType", std::string("SomethingElse"));
    format->SetValue("VersionNumber", std::string("3.0.1"));
    file.Object("Point", 5);
    FileRig rig;
    ASSERT_TRUE(rig.Load(file.Write(rig.folder, "other.xml")));
    EXPECT_EQ(vynui::GetFileVersion(), vynui::FileVersion(0, 0, 0));
    EXPECT_EQ(Shape(rig.Root()), "0(1)");
    vynui::SetFileVersion(vynui::FileVersion::Current());
}

// ---------------------------------------------------------------- older format

namespace {

/// An older file: record 1 is the tree list, then whatever the test adds.
struct OldFile {
    WmlDeprecated::Serializer serializer;
    WmlDeprecated::SerializerRecord* list = serializer.CreateRecord(1, 20481);

    WmlDeprecated::SerializerRecord* Node(int code, const std::vector<unsigned>& children = {})
    {
        WmlDeprecated::SerializerRecord* record = serializer.CreateRecord(1000 + code);
        record->SetValue("NodeType", code);
        if (!children.empty()) {
            record->SetValue("NumChildren", static_cast<unsigned>(children.size()));
            record->SetValue("ChildrenIDs", children);
        }
        return record;
    }
    void Top(const std::vector<unsigned>& ids)
    {
        list->SetValue("TreeListSize", static_cast<unsigned>(ids.size()));
        list->SetValue("TreeList", ids);
    }
};

}  // namespace

TEST(OlderSceneFile, AStoredTreeComesBackWithViewAndTextures)
{
    FileRig original;
    BlobTreeNodeSceneObject* blend = original.scene->AddNode(13, original.Root(), false);
    original.scene->AddNode(1, blend, false)->Translate(Vec(1, 0, 0), false);
    original.scene->AddNode(4, blend, false)->Translate(Vec(0, 2, 0), false);
    original.scene->AddNode(10, original.Root(), false);
    original.view.Pan(0.4f, 0.1f);

    OldFile file;
    // Records 2 and 3 have fixed IDs: taken before the tree takes IDs.
    WmlDeprecated::SerializerRecord* textureLink = file.serializer.CreateRecord(2, 20482);
    WmlDeprecated::SerializerRecord* viewLink = file.serializer.CreateRecord(3, 20483);
    WmlDeprecated::SerializerRecord* root = original.Root()->StoreOld(&file.serializer);
    ASSERT_NE(root, nullptr);
    file.Top({root->GetID()});
    WmlDeprecated::SerializerRecord* view = file.serializer.CreateRecord(7);
    original.camera.Store(view->Values());
    viewLink->SetValue("ViewRecordID", view->GetID());
    WmlDeprecated::SerializerRecord* textures = file.serializer.CreateRecord(8);
    textures->SetValue("Mode", 1);
    textureLink->SetValue("TexManRecordID", textures->GetID());

    FileRig rig;
    ASSERT_TRUE(rig.files.LoadOldScene(&file.serializer));
    EXPECT_EQ(Shape(rig.Root()), "0(13(1,4),10)");
    EXPECT_TRUE(kftest::Near(rig.Nodes()[1]->GetFrame().Origin(), Vec(1, 0, 0), 1e-5f));
    EXPECT_TRUE(kftest::Near(rig.Nodes()[2]->GetFrame().Origin(), Vec(0, 2, 0), 1e-5f));
    EXPECT_TRUE(kftest::Near(rig.camera.GetLocation(), original.camera.GetLocation(), 1e-5f));
    EXPECT_EQ(rig.textures.GetMode(), 1);
    scenemgr_test::ExpectConsistent(rig);
}

TEST(OlderSceneFile, CodesTheFormatCannotHoldFailAtTopLevelAndAreSkippedBelow)
{
    for (int code : {6, 14}) {
        SCOPED_TRACE(code);
        {
            OldFile file;
            WmlDeprecated::SerializerRecord* point = file.Node(1);
            WmlDeprecated::SerializerRecord* odd = file.Node(code);
            file.Top({point->GetID(), odd->GetID()});
            FileRig rig;
            EXPECT_FALSE(rig.files.LoadOldScene(&file.serializer));
            EXPECT_EQ(Shape(rig.Root()), "0(1)") << "what came before stays";
        }
        {
            OldFile file;
            WmlDeprecated::SerializerRecord* a = file.Node(1);
            WmlDeprecated::SerializerRecord* odd = file.Node(code);
            WmlDeprecated::SerializerRecord* b = file.Node(4);
            WmlDeprecated::SerializerRecord* blend = file.Node(9, {a->GetID(), odd->GetID(), b->GetID()});
            file.Top({blend->GetID()});
            FileRig rig;
            EXPECT_TRUE(rig.files.LoadOldScene(&file.serializer));
            EXPECT_EQ(Shape(rig.Root()), "0(9(1,4))");
        }
    }
}

TEST(OlderSceneFile, MissingRecordsItNamesFailTheLoad)
{
    struct Case {
        const char* name;
        bool expected;
        void (*build)(OldFile&);
    };
    const Case cases[] = {
        {"no tree list size: empty list", true, [](OldFile&) {}},
        {"texture record missing", false,
         [](OldFile& f) { f.serializer.CreateRecord(2, 20482)->SetValue("TexManRecordID", 99u); }},
        {"texture record ID missing", false, [](OldFile& f) { f.serializer.CreateRecord(2, 20482); }},
        {"view record missing", false,
         [](OldFile& f) { f.serializer.CreateRecord(3, 20483)->SetValue("ViewRecordID", 99u); }},
        {"view record ID missing", false, [](OldFile& f) { f.serializer.CreateRecord(3, 20483); }},
        {"listed record missing: skipped", true, [](OldFile& f) { f.Top({42}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OldFile file;
        c.build(file);
        FileRig rig;
        EXPECT_EQ(rig.files.LoadOldScene(&file.serializer), c.expected);
    }
    WmlDeprecated::Serializer noList;
    noList.CreateRecord(5, 1001);
    FileRig rig;
    EXPECT_FALSE(rig.files.LoadOldScene(&noList));
    EXPECT_EQ(Shape(rig.Root()), "0");
}

// The view's file commands over the user interface, and saving that fails:
// nothing half-written, an existing file kept.

#include <csignal>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "persist/SceneFileCommands.h"
#include "test_PersistSupport.h"
#include "wml/DeprecatedSerializer.h"

using namespace persist_test;
using scenemgr_test::Shape;
using Vec = Wml::Vector3<float>;

namespace {

/// Keeps the file dialogs' requests as well.
class RecordingUI : public kftest::ScriptedUserInterface {
public:
    std::vector<vynui::FileDialogRequest> requests;

    bool ChooseFileToOpen(const vynui::FileDialogRequest& request, std::string& path) override
    {
        requests.push_back(request);
        return ScriptedUserInterface::ChooseFileToOpen(request, path);
    }
    bool ChooseFileToSave(const vynui::FileDialogRequest& request, std::string& path) override
    {
        requests.push_back(request);
        return ScriptedUserInterface::ChooseFileToSave(request, path);
    }
};

struct CommandRig : FileRig {
    RecordingUI prompts;
    vynui::SceneFileContext context;

    CommandRig()
    {
        context.ui = &prompts;
        context.files = &files;
        context.scene = scene.get();
        context.view = &view;
        context.textures = &textures;
    }
    std::vector<std::string> Statuses() const
    {
        std::vector<std::string> out;
        for (const auto& event : prompts.EventsOf("status")) out.push_back(event.text);
        return out;
    }
};

/// Files larger than limit bytes cannot be written while this lives (for
/// every user, root included).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

}  // namespace

TEST(SceneFileCommands, SaveAsksForAnXmlFileAndReportsInTheStatusLine)
{
    CommandRig rig;
    rig.PointAt(Vec(0, 0, 0));
    const std::string path = rig.folder.File("scene");
    rig.prompts.AnswerFile(path);
    ASSERT_TRUE(vynui::SaveSceneCommand(rig.context));
    ASSERT_EQ(rig.prompts.requests.size(), 1u);
    const vynui::FileDialogRequest& request = rig.prompts.requests[0];
    EXPECT_EQ(request.defaultExtension, "xml");
    EXPECT_EQ(request.fileName, "new.xml");
    EXPECT_EQ(request.filter, "Kilnform SceneXML Files (*.xml);;All Files (*.*)");
    EXPECT_TRUE(request.askBeforeOverwrite);
    EXPECT_EQ(rig.Statuses(), (std::vector<std::string>{"Writing File...", "Writing File...Done!"}));
    EXPECT_TRUE(rig.prompts.Messages().empty());
    EXPECT_FALSE(kftest::ReadFile(path + ".xml").empty());
}

TEST(SceneFileCommands, CancelledDialogsDoNothing)
{
    CommandRig rig;
    rig.prompts.CancelFile();
    rig.prompts.CancelFile();
    rig.prompts.CancelFile();
    EXPECT_FALSE(vynui::SaveSceneCommand(rig.context));
    EXPECT_FALSE(vynui::ExportSelectionCommand(rig.context));
    EXPECT_FALSE(vynui::OpenSceneCommand(rig.context));
    EXPECT_TRUE(rig.Statuses().empty());
    EXPECT_TRUE(rig.prompts.Messages().empty());
    EXPECT_TRUE(std::filesystem::is_empty(rig.folder.Path()));
}

TEST(SceneFileCommands, ASaveThatFailsSaysSoAndKeepsTheFileThatWasThere)
{
    CommandRig rig;
    BlobTreeNodeSceneObject* blend = rig.scene->AddNode(9, rig.Root(), false);
    for (int i = 0; i < 20; ++i) rig.scene->AddNode(1, blend, false);
    const std::string path = rig.folder.File("kept.xml");
    ASSERT_TRUE(rig.Save(path));
    const std::string good = kftest::ReadFile(path);
    rig.scene->AddNode(4, rig.Root(), false);

    {
        FileSizeLimit limit(256);
        EXPECT_FALSE(rig.Save(path));
        rig.prompts.AnswerFile(path);
        EXPECT_FALSE(vynui::SaveSceneCommand(rig.context));
    }
    EXPECT_FALSE(rig.files.GetLastError().empty());
    EXPECT_EQ(kftest::ReadFile(path), good);
    EXPECT_EQ(rig.prompts.Messages(), std::vector<std::string>{"Error Saving File"});
    EXPECT_EQ(rig.prompts.EventsOf("message")[0].title, "Error");
    EXPECT_EQ(rig.Statuses(), std::vector<std::string>{"Writing File..."});

    // Paths that cannot be written at all.
    for (const std::string& bad :
         {rig.folder.File("missing/scene.xml"), path + "/scene.xml", std::string()}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(rig.files.SaveScene(bad));
        EXPECT_FALSE(rig.files.SaveSelection(bad));
    }
    EXPECT_EQ(kftest::ReadFile(path), good);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(rig.folder.Path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"kept.xml"}) << "no temporary file is left behind";
}

TEST(SceneFileCommands, ExportSelectionWritesTheSelection)
{
    CommandRig rig;
    BlobTreeNodeSceneObject* point = rig.PointAt(Vec(1, 0, 0));
    rig.scene->AddNode(4, rig.Root(), false);
    rig.scene->SelectObject(point, true);
    const std::string path = rig.folder.File("part.xml");
    rig.prompts.AnswerFile(path);
    ASSERT_TRUE(vynui::ExportSelectionCommand(rig.context));
    EXPECT_EQ(rig.Statuses(), (std::vector<std::string>{"Writing File...", "Writing File...Done!"}));

    FileRig other;
    ASSERT_TRUE(other.Load(path));
    EXPECT_EQ(Shape(other.Root()), "0(1)");
}

TEST(SceneFileCommands, OpenReadsTheCurrentFormatAndNamesTheWindow)
{
    CommandRig source;
    source.PointAt(Vec(0, 0, 0));
    const std::string path = source.folder.File("shape.xml");
    ASSERT_TRUE(source.Save(path));

    CommandRig rig;
    rig.prompts.AnswerFile(path);
    ASSERT_TRUE(vynui::OpenSceneCommand(rig.context));
    ASSERT_EQ(rig.prompts.requests.size(), 1u);
    EXPECT_EQ(rig.prompts.requests[0].defaultExtension, "xml");
    EXPECT_EQ(rig.prompts.requests[0].fileName, "new.xml");
    EXPECT_EQ(rig.prompts.requests[0].filter, "Kilnform Scene Files (*.xml *.kfn);;All Files (*.*)");
    EXPECT_EQ(rig.Statuses(), (std::vector<std::string>{"Reading File...", "Reading File...Done!"}));
    EXPECT_EQ(rig.prompts.WindowTitle(), "shape.xml");
    EXPECT_EQ(Shape(rig.Root()), "0(1)");
}

TEST(SceneFileCommands, OpenReportsEachWayAFileCanFail)
{
    CommandRig source;
    const std::string unreadable = source.folder.Write("broken.xml", "<KilnformRecords version=\"1\"><Rec");
    const std::string badOld = source.folder.Write("broken.kfn", "not an older file");
    WmlDeprecated::Serializer serializer;
    WmlDeprecated::SerializerRecord* list = serializer.CreateRecord(1, 20481);
    list->SetValue("TreeListSize", 1u);
    list->SetValue("TreeList", std::vector<unsigned>{5});
    serializer.CreateRecord(5, 1006);  // a Bezier curve at top level
    const std::string bezier = source.folder.File("bezier.kfn");
    ASSERT_TRUE(serializer.Write(bezier.c_str()));

    struct Case {
        std::string path;
        const char* message;
    };
    for (const Case& c :
         {Case{unreadable, "Error Reading File"}, Case{badOld, "Error Loading File"},
          Case{bezier, "Error Loading Scene"}, Case{source.folder.File("none.xml"), "Error Reading File"}}) {
        SCOPED_TRACE(c.path);
        CommandRig rig;
        rig.PointAt(Vec(0, 0, 0));
        const std::string before = rig.SavedText();
        rig.prompts.AnswerFile(c.path);
        EXPECT_FALSE(vynui::OpenSceneCommand(rig.context));
        EXPECT_EQ(rig.prompts.Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(rig.prompts.EventsOf("message")[0].title, "Error");
        EXPECT_TRUE(rig.prompts.WindowTitle().empty());
        EXPECT_EQ(rig.SavedText(), before);
    }
}

TEST(SceneFileCommands, OpenReadsTheOlderFormat)
{
    CommandRig source;
    WmlDeprecated::Serializer serializer;
    WmlDeprecated::SerializerRecord* list = serializer.CreateRecord(1, 20481);
    WmlDeprecated::SerializerRecord* point = serializer.CreateRecord(10, 1001);
    point->SetValue("NodeFrame", Wml::Frame3<float>(Vec(0, 0, 2)));
    list->SetValue("TreeListSize", 1u);
    list->SetValue("TreeList", std::vector<unsigned>{10});
    const std::string path = source.folder.File("old.kfn");
    ASSERT_TRUE(serializer.Write(path.c_str()));

    CommandRig rig;
    ASSERT_TRUE(vynui::OpenSceneFile(rig.context, path));
    EXPECT_EQ(Shape(rig.Root()), "0(1)");
    EXPECT_TRUE(kftest::Near(rig.Nodes()[0]->GetFrame().Origin(), Vec(0, 0, 2), 1e-6f));
    EXPECT_TRUE(rig.prompts.Messages().empty());
}

// Unsaved changes of the view's scene: what marks them, what clears them,
// the window title, and the question that guards New Scene, Open and
// closing (Save, Discard, Cancel).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "blobtree_ui/RootNodeSceneObject.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "tests/support/ScriptedUserInterface.h"
#include "tests/support/TempFolder.h"
#include "view/ViewCore.h"

using vynui::CViewCore;
using vynui::SaveChoice;

namespace {

struct DocRig {
    CViewCore view{CViewCore::Managers::Own};
    kftest::ScriptedUserInterface ui;

    DocRig() { view.SetUserInterface(&ui); }
    vynui::CSceneManager& Scene() { return *view.GetSceneManager(); }
    vynui::DocumentState& Document() { return view.GetDocument(); }
    void AddShape() { Scene().AddNode(1, Scene().GetRootSceneObject(), false); }
    std::size_t Shapes() { return Scene().GetRootSceneObject()->GetChildren().size(); }
    std::size_t Asked(const char* kind) { return ui.EventsOf(kind).size(); }
};

const kftest::TempFolder& Folder()
{
    static const kftest::TempFolder folder("document_state");
    return folder;
}

// A scene file holding two shapes.
std::string TwoShapeFile()
{
    const std::string path = Folder().File("two.xml");
    DocRig rig;
    rig.AddShape();
    rig.AddShape();
    rig.ui.AnswerFile(path);
    EXPECT_TRUE(rig.view.RouteCommand("Save"));
    EXPECT_TRUE(std::filesystem::exists(path));
    return path;
}

}  // namespace

TEST(DocumentState, EditsMarkTheSceneAndSavingReadingOrANewSceneClearIt)
{
    const std::string two = TwoShapeFile();
    DocRig rig;
    EXPECT_FALSE(rig.Document().IsModified());
    EXPECT_EQ("Kilnform B5[*]", rig.ui.WindowTitle());

    // Choosing objects changes no file content.
    rig.Scene().NotifySelectionChanged();
    EXPECT_FALSE(rig.Document().IsModified());

    rig.AddShape();
    EXPECT_TRUE(rig.Document().IsModified());
    EXPECT_TRUE(rig.ui.WindowModified());

    const std::string saved = Folder().File("edits.xml");
    rig.ui.AnswerFile(saved);
    rig.view.RouteCommand("Save");
    EXPECT_FALSE(rig.Document().IsModified());
    EXPECT_FALSE(rig.ui.WindowModified());
    EXPECT_EQ(saved, rig.Document().GetPath());
    EXPECT_EQ("Kilnform B5 - edits.xml[*]", rig.ui.WindowTitle());

    // A parameter edited in place is a change too.
    rig.Scene().NotifyObjectsModified();
    EXPECT_TRUE(rig.Document().IsModified());
    EXPECT_EQ("Kilnform B5 - edits.xml[*]", rig.ui.WindowTitle());

    rig.ui.AnswerSaveChanges(SaveChoice::Discard);
    rig.view.RouteCommand("New Scene");
    EXPECT_EQ(0u, rig.Shapes());
    EXPECT_FALSE(rig.Document().IsModified());
    EXPECT_EQ("", rig.Document().GetPath());
    EXPECT_EQ("Kilnform B5[*]", rig.ui.WindowTitle());

    // Read into an empty scene, the scene is the file.
    rig.ui.AnswerFile(two);
    rig.view.RouteCommand("Open...");
    EXPECT_EQ(2u, rig.Shapes());
    EXPECT_FALSE(rig.Document().IsModified());
    EXPECT_EQ("Kilnform B5 - two.xml[*]", rig.ui.WindowTitle());

    // Read again, it adds to the scene: the result is in no file.
    rig.ui.AnswerFile(two);
    rig.view.RouteCommand("Open...");
    EXPECT_EQ(4u, rig.Shapes());
    EXPECT_TRUE(rig.Document().IsModified());
}

TEST(DocumentState, AFileThatCannotBeReadLeavesTheDocumentAsItWas)
{
    DocRig rig;
    const std::string bad = Folder().Write("bad.xml", "<not a scene");
    rig.ui.AnswerFile(bad);
    rig.view.RouteCommand("Open...");
    EXPECT_FALSE(rig.Document().IsModified());
    EXPECT_EQ("", rig.Document().GetPath());
    EXPECT_EQ(1u, rig.Asked("message"));
}

TEST(DocumentState, TheSaveQuestionGuardsNewSceneOpenAndClosing)
{
    enum class Then { GoesOn, Stops };
    struct Row {
        const char* command;  // "close": the window closing
        SaveChoice choice;
        bool saveWorks;
        Then then;
    };
    const Row rows[] = {
        {"New Scene", SaveChoice::Save, true, Then::GoesOn},
        {"New Scene", SaveChoice::Save, false, Then::Stops},
        {"New Scene", SaveChoice::Cancel, true, Then::Stops},
        {"New Scene", SaveChoice::Discard, true, Then::GoesOn},
        {"Open...", SaveChoice::Save, true, Then::GoesOn},
        {"Open...", SaveChoice::Save, false, Then::Stops},
        {"Open...", SaveChoice::Cancel, true, Then::Stops},
        {"Open...", SaveChoice::Discard, true, Then::GoesOn},
        {"close", SaveChoice::Save, true, Then::GoesOn},
        {"close", SaveChoice::Save, false, Then::Stops},
        {"close", SaveChoice::Cancel, true, Then::Stops},
        {"close", SaveChoice::Discard, true, Then::GoesOn},
    };
    const std::string other = TwoShapeFile();
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.command) + " row " + std::to_string(index));
        const std::string target = row.saveWorks ? Folder().File("guard" + std::to_string(index++) + ".xml")
                                                 : "/nonexistent-dir/x.xml";
        DocRig rig;
        rig.AddShape();
        rig.ui.AnswerSaveChanges(row.choice);
        if (row.choice == SaveChoice::Save) rig.ui.AnswerFile(target);
        if (std::string(row.command) == "Open...") rig.ui.AnswerFile(other);

        bool wentOn = false;
        if (std::string(row.command) == "close") {
            wentOn = rig.view.OfferToSaveChanges();
        } else {
            EXPECT_TRUE(rig.view.RouteCommand(row.command));
            wentOn = std::string(row.command) == "New Scene" ? rig.Shapes() == 0 : rig.Shapes() == 3;
        }
        EXPECT_EQ(row.then == Then::GoesOn, wentOn);
        // Asked once, and never also warned.
        EXPECT_EQ(1u, rig.Asked("save changes"));
        EXPECT_EQ(0u, rig.Asked("question"));

        if (row.then == Then::Stops) {
            // Nothing of the scene is touched, and the open dialog never showed.
            EXPECT_EQ(1u, rig.Shapes());
            EXPECT_TRUE(rig.Document().IsModified());
            EXPECT_EQ(0u, rig.Asked("open"));
        }
        if (row.choice == SaveChoice::Save && row.saveWorks) {
            EXPECT_TRUE(std::filesystem::exists(target));
        }
        if (row.choice == SaveChoice::Save && !row.saveWorks) {
            EXPECT_EQ(std::vector<std::string>{"Error Saving File"}, rig.ui.Messages());
        }
        if (row.choice != SaveChoice::Save) {
            EXPECT_EQ(0u, rig.Asked("save"));
        }
    }
}

TEST(DocumentState, SaveInTheQuestionWritesTheScenesOwnFileWithoutADialog)
{
    DocRig rig;
    rig.AddShape();
    const std::string path = Folder().File("own.xml");
    rig.ui.AnswerFile(path);
    rig.view.RouteCommand("Save");
    rig.AddShape();
    const auto before = std::filesystem::file_size(path);

    rig.ui.ClearEvents();
    rig.ui.AnswerSaveChanges(SaveChoice::Save);
    EXPECT_TRUE(rig.view.OfferToSaveChanges());
    EXPECT_EQ(0u, rig.Asked("save"));
    EXPECT_GT(std::filesystem::file_size(path), before);
    EXPECT_FALSE(rig.Document().IsModified());
    // The question names the file.
    ASSERT_EQ(1u, rig.Asked("save changes"));
    EXPECT_NE(std::string::npos, rig.ui.EventsOf("save changes")[0].text.find("own.xml"));
}

TEST(DocumentState, ASavedSceneGetsTheNewSceneWarningAndNothingAsksWhenClean)
{
    DocRig rig;
    EXPECT_TRUE(rig.view.OfferToSaveChanges());
    EXPECT_EQ(0u, rig.Asked("save changes"));

    rig.AddShape();
    rig.Document().MarkClean(Folder().File("kept.xml"));
    rig.ui.AnswerQuestion(vynui::Answer::Yes);
    rig.view.RouteCommand("New Scene");
    EXPECT_EQ(0u, rig.Shapes());
    ASSERT_EQ(1u, rig.Asked("question"));
    EXPECT_EQ("Warning!", rig.ui.EventsOf("question")[0].title);
    EXPECT_EQ(0u, rig.Asked("save changes"));
}

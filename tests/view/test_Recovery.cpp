// Autosave and recovery without a window: recovery file names and which
// files are stale, atomic writes, the worker that writes them, when a
// snapshot is due, and the offer to restore at start.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "blobtree_ui/RootNodeSceneObject.h"
#include "persist/RecoveryFiles.h"
#include "persist/RecoveryWriter.h"
#include "scene/SceneManager.h"
#include "tests/support/ScriptedUserInterface.h"
#include "tests/support/TempFolder.h"
#include "view/Autosave.h"
#include "view/ViewCore.h"

namespace fs = std::filesystem;
using vynui::ProcessStamp;
using vynui::RecoveryFolder;

namespace {

// Every stamp counts as ended, except those with this start time.
const unsigned long long kAlive = 777;
bool FakeRunning(const ProcessStamp& p)
{
    return p.start == kAlive;
}

void Age(const fs::path& path, int hours)
{
    fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(hours));
}

struct SceneRig {
    vynui::CViewCore view{vynui::CViewCore::Managers::Own};
    kftest::ScriptedUserInterface ui;

    SceneRig() { view.SetUserInterface(&ui); }
    vynui::CSceneManager& Scene() { return *view.GetSceneManager(); }
    void AddShape() { Scene().AddNode(1, Scene().GetRootSceneObject(), false); }
    std::size_t Shapes() { return Scene().GetRootSceneObject()->GetChildren().size(); }
};

// The text of a scene holding n shapes.
std::string SceneText(int n)
{
    SceneRig rig;
    for (int i = 0; i < n; ++i) rig.AddShape();
    std::string text;
    EXPECT_TRUE(rig.view.SnapshotWholeScene(text));
    return text;
}

}  // namespace

// ---- recovery files

TEST(RecoveryFiles, NamesCarryTheWritingProcessAndOtherNamesAreNotTaken)
{
    const ProcessStamp stamp{4242, 123456789ull};
    const std::string name = RecoveryFolder::FileName(stamp);
    EXPECT_EQ("autosave-4242-123456789.xml", name);
    ProcessStamp read;
    ASSERT_TRUE(RecoveryFolder::ParseFileName(name, read));
    EXPECT_EQ(4242, read.pid);
    EXPECT_EQ(123456789ull, read.start);

    for (const char* other :
         {"autosave-4242-1.xml.partial", "autosave--1.xml", "autosave-0-1.xml", "autosave-12-.xml",
          "autosave-1x-2.xml", "autosave-99999999999-1.xml", "autosave-1-99999999999999999999.xml",
          "demo.xml", "autosave-1-2.xml.unreadable"}) {
        EXPECT_FALSE(RecoveryFolder::ParseFileName(other, read)) << other;
    }
}

TEST(RecoveryFiles, ThisProcessRunsAndOneThatEndedOrReusedItsIdDoesNot)
{
    const ProcessStamp self = vynui::CurrentProcessStamp();
    EXPECT_EQ(long(::getpid()), self.pid);
    EXPECT_TRUE(vynui::IsProcessRunning(self));
    // The same id with another start time is another program.
    if (self.start != 0) {
        EXPECT_FALSE(vynui::IsProcessRunning({self.pid, self.start + 1}));
    }

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(0);
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_FALSE(vynui::IsProcessRunning({long(child), 0}));
    EXPECT_FALSE(vynui::IsProcessRunning({0, 0}));
}

TEST(RecoveryFiles, StaleFilesAreThoseOfEndedProgramsNewestFirst)
{
    const kftest::TempFolder folder("recovery_stale");
    const RecoveryFolder recovery(folder.Path());
    EXPECT_TRUE(recovery.FindStale(FakeRunning).empty());
    EXPECT_TRUE(RecoveryFolder(folder.Path() / "missing").FindStale(FakeRunning).empty());

    const std::string old = folder.Write(RecoveryFolder::FileName({10, 1}), "old");
    const std::string newest = folder.Write(RecoveryFolder::FileName({11, 2}), "newest");
    const std::string middle = folder.Write(RecoveryFolder::FileName({12, 3}), "middle");
    folder.Write(RecoveryFolder::FileName({13, kAlive}), "running");
    folder.Write("notes.xml", "not ours");
    Age(old, 3);
    Age(middle, 1);

    const auto stale = recovery.FindStale(FakeRunning);
    ASSERT_EQ(3u, stale.size());
    EXPECT_EQ(newest, stale[0].path.string());
    EXPECT_EQ(middle, stale[1].path.string());
    EXPECT_EQ(old, stale[2].path.string());
    EXPECT_EQ(11, stale[0].writer.pid);
    EXPECT_GT(stale[0].written, stale[1].written);

    // Half-written files: only those of ended programs go.
    const std::string deadPartial = folder.Write(RecoveryFolder::FileName({20, 5}) + ".partial", "x");
    const std::string livePartial = folder.Write(RecoveryFolder::FileName({21, kAlive}) + ".partial", "x");
    recovery.RemoveStalePartials(FakeRunning);
    EXPECT_FALSE(fs::exists(deadPartial));
    EXPECT_TRUE(fs::exists(livePartial));
}

TEST(RecoveryFiles, AnAtomicWriteReplacesTheFileWholeOrNotAtAll)
{
    const kftest::TempFolder folder("recovery_atomic");
    const fs::path path = folder.Path() / "made" / "here.xml";
    std::string error;
    ASSERT_TRUE(vynui::WriteFileAtomically(path, "first", error)) << error;
    ASSERT_TRUE(vynui::WriteFileAtomically(path, "second", error)) << error;
    EXPECT_EQ("second", kftest::ReadFile(path.string()));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(path.parent_path()), fs::directory_iterator()));

    // A folder that cannot be made: refused with a reason, nothing written.
    const std::string blocker = folder.Write("blocker", "a file");
    error.clear();
    EXPECT_FALSE(vynui::WriteFileAtomically(fs::path(blocker) / "x.xml", "text", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ("a file", kftest::ReadFile(blocker));
}

TEST(RecoveryFiles, TheIntervalSettingIsReadOrRefusedWithTheDefault)
{
    struct Row {
        const char* text;
        bool ok;
        double seconds;
    };
    const Row rows[] = {
        {nullptr, true, 60.0}, {"", true, 60.0},     {"2", true, 2.0},         {"0.5", true, 0.5},
        {"0", false, 60.0},    {"-3", false, 60.0},  {"nan", false, 60.0},     {"1e9", false, 60.0},
        {"5s", false, 60.0},   {"abc", false, 60.0}, {"86400", true, 86400.0},
    };
    for (const Row& row : rows) {
        double seconds = -1.0;
        std::string error;
        EXPECT_EQ(row.ok, vynui::ParseAutosaveSeconds(row.text, seconds, error))
            << (row.text ? row.text : "null");
        EXPECT_EQ(row.seconds, seconds);
        EXPECT_EQ(row.ok, error.empty());
    }
}

TEST(RecoveryFiles, ASnapshotIsDueForNewChangesOnceAnIntervalPassed)
{
    vynui::AutosaveSchedule schedule(60.0, 0.0);
    EXPECT_FALSE(schedule.IsDue(100.0, false, 5));  // nothing unsaved
    EXPECT_FALSE(schedule.IsDue(59.0, true, 5));    // too soon after start
    EXPECT_TRUE(schedule.IsDue(60.0, true, 5));
    schedule.Taken(60.0, 5);
    EXPECT_FALSE(schedule.IsDue(500.0, true, 5));  // nothing new since
    EXPECT_FALSE(schedule.IsDue(119.0, true, 6));  // new, but too soon
    EXPECT_TRUE(schedule.IsDue(120.0, true, 6));
    schedule.Forget();
    EXPECT_TRUE(schedule.IsDue(120.0, true, 5));  // the snapshot is gone
}

// ---- the writer

TEST(RecoveryWriter, WritesAndRemovesInOrderOffTheCallersThread)
{
    const kftest::TempFolder folder("recovery_writer");
    const fs::path a = folder.Path() / "a.xml", b = folder.Path() / "b.xml";
    vynui::RecoveryWriter writer;
    writer.Write(a, "one");
    writer.Write(b, "b");
    writer.Write(a, "two");
    writer.Flush();
    EXPECT_EQ("two", kftest::ReadFile(a.string()));
    EXPECT_EQ("b", kftest::ReadFile(b.string()));
    writer.Write(a, "three");
    writer.Remove(a);
    writer.Flush();
    EXPECT_FALSE(fs::exists(a));
    EXPECT_TRUE(writer.TakeError().empty());

    const std::string blocker = folder.Write("blocker", "x");
    writer.Write(fs::path(blocker) / "c.xml", "c");
    writer.Flush();
    EXPECT_FALSE(writer.TakeError().empty());
    EXPECT_TRUE(writer.TakeError().empty());
}

TEST(RecoveryWriter, EndingFinishesWhatWasAskedFor)
{
    const kftest::TempFolder folder("recovery_writer_end");
    {
        vynui::RecoveryWriter writer;
        for (int i = 0; i < 20; ++i)
            writer.Write(folder.Path() / ("f" + std::to_string(i) + ".xml"), std::string(10000, 'x'));
    }
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(fs::exists(folder.Path() / ("f" + std::to_string(i) + ".xml")));
}

// ---- autosave of a view

TEST(Autosave, SnapshotsUnsavedChangesAndDropsTheFileOnceSaved)
{
    const kftest::TempFolder folder("autosave");
    SceneRig rig;
    const ProcessStamp self{31, 41};
    vynui::CAutosave autosave(rig.view, RecoveryFolder(folder.Path()), 10.0, 0.0, self);
    const fs::path file = folder.Path() / RecoveryFolder::FileName(self);
    EXPECT_EQ(file, autosave.FilePath());

    autosave.Tick(30.0);  // nothing unsaved
    autosave.Writer().Flush();
    EXPECT_FALSE(fs::exists(file));

    rig.AddShape();
    autosave.Tick(35.0);
    autosave.Writer().Flush();
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(1, autosave.Writer().WritesDone());

    // What was written is the scene: it reads back into another view.
    SceneRig other;
    ASSERT_TRUE(other.view.RestoreScene(kftest::ReadFile(file.string())));
    EXPECT_EQ(1u, other.Shapes());

    // No new change, no new write; a new change waits for the interval.
    autosave.Tick(50.0);
    rig.AddShape();
    autosave.Tick(44.0);
    autosave.Writer().Flush();
    EXPECT_EQ(1, autosave.Writer().WritesDone());
    autosave.Tick(46.0);
    autosave.Writer().Flush();
    EXPECT_EQ(2, autosave.Writer().WritesDone());

    // Saved: the recovery file would only offer an older scene.
    rig.ui.AnswerFile((folder.Path() / "saved.xml").string());
    rig.view.RouteCommand("Save");
    autosave.Tick(47.0);
    autosave.Writer().Flush();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(autosave.TakeError().empty());

    // A clean exit leaves nothing behind.
    rig.AddShape();
    autosave.Tick(100.0);
    autosave.Finish();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(fs::exists(folder.Path() / "saved.xml"));
}

TEST(Autosave, TheNewestFileOfAnEndedProgramIsOfferedAndRestoredAsUnsaved)
{
    const kftest::TempFolder folder("recovery_offer");
    const RecoveryFolder recovery(folder.Path());
    const std::string older = folder.Write(RecoveryFolder::FileName({50, 1}), SceneText(2));
    const std::string newest = folder.Write(RecoveryFolder::FileName({51, 2}), SceneText(1));
    Age(older, 2);

    const std::time_t written = recovery.FindStale(FakeRunning).at(0).written;
    SceneRig rig;
    const ProcessStamp self{52, kAlive};
    vynui::CAutosave autosave(rig.view, recovery, 60.0, 0.0, self);
    rig.ui.AnswerQuestion(vynui::Answer::Yes);
    EXPECT_EQ(vynui::RecoveryOutcome::Restored,
              vynui::OfferRecovery(rig.view, rig.ui, recovery, &autosave, 1.0, FakeRunning));
    EXPECT_EQ(1u, rig.Shapes());
    EXPECT_TRUE(rig.view.GetDocument().IsModified());
    EXPECT_EQ("", rig.view.GetDocument().GetPath());
    EXPECT_TRUE(rig.ui.WindowModified());
    EXPECT_EQ("Kilnform B5[*]", rig.ui.WindowTitle());

    // The question names when the scene was saved.
    const auto asked = rig.ui.EventsOf("question");
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(vynui::kRecoveryTitle, asked[0].title);
    EXPECT_NE(std::string::npos, asked[0].text.find(vynui::FormatLocalTime(written)));

    // The restored file is now this program's own; the older one waits.
    EXPECT_FALSE(fs::exists(newest));
    EXPECT_TRUE(fs::exists(autosave.FilePath()));
    EXPECT_TRUE(fs::exists(older));
    autosave.Finish();
    EXPECT_FALSE(fs::exists(autosave.FilePath()));
}

TEST(Autosave, DecliningRemovesTheFileAndAnUnreadableOneIsKeptAside)
{
    const kftest::TempFolder folder("recovery_decline");
    const RecoveryFolder recovery(folder.Path());
    SceneRig rig;
    EXPECT_EQ(vynui::RecoveryOutcome::NoneFound,
              vynui::OfferRecovery(rig.view, rig.ui, recovery, nullptr, 0.0, FakeRunning));
    EXPECT_TRUE(rig.ui.EventsOf("question").empty());

    const std::string file = folder.Write(RecoveryFolder::FileName({60, 1}), SceneText(1));
    rig.ui.AnswerQuestion(vynui::Answer::No);
    EXPECT_EQ(vynui::RecoveryOutcome::Declined,
              vynui::OfferRecovery(rig.view, rig.ui, recovery, nullptr, 0.0, FakeRunning));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(0u, rig.Shapes());
    EXPECT_FALSE(rig.view.GetDocument().IsModified());

    const std::string broken = folder.Write(RecoveryFolder::FileName({61, 1}), "<truncated");
    rig.ui.AnswerQuestion(vynui::Answer::Yes);
    EXPECT_EQ(vynui::RecoveryOutcome::Unreadable,
              vynui::OfferRecovery(rig.view, rig.ui, recovery, nullptr, 0.0, FakeRunning));
    EXPECT_EQ(0u, rig.Shapes());
    EXPECT_FALSE(rig.view.GetDocument().IsModified());
    EXPECT_FALSE(fs::exists(broken));
    EXPECT_EQ("<truncated", kftest::ReadFile(broken + ".unreadable"));
    ASSERT_EQ(1u, rig.ui.Messages().size());
    EXPECT_NE(std::string::npos, rig.ui.Messages()[0].find(".unreadable"));
    // Kept aside, it is not offered again.
    EXPECT_EQ(vynui::RecoveryOutcome::NoneFound,
              vynui::OfferRecovery(rig.view, rig.ui, recovery, nullptr, 0.0, FakeRunning));
}

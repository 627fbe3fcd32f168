// Replay scripts run on a view without a window: actions reach the view's
// entry points, and bad lines stop the run naming the line.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "scene/SceneManager.h"
#include "view/ReplayScript.h"
#include "view/ViewCore.h"

using vynui::CViewCore;
using vynui::ReplayScript;
using vynui::ReplayUserInterface;

namespace {

struct Outcome {
    bool ok = false;
    std::string error;
};

Outcome Replay(CViewCore& view, ReplayUserInterface& ui, const std::string& text)
{
    ReplayScript script;
    Outcome run;
    if (!script.Parse(text, run.error)) return run;
    run.ok = script.Run(view, ui, ReplayScript::Window(), run.error);
    return run;
}

}  // namespace

TEST(ReplayScript, SketchesAShapeAndAnswersPrompts)
{
    CViewCore view(CViewCore::Managers::Own);
    ReplayUserInterface ui;
    view.SetUserInterface(&ui);
    const Outcome run = Replay(view, ui,
                               "# an outline becomes a shape\n"
                               "size 800 600\n"
                               "ellipse 400 300 120 80\n"
                               "hud BlobbySweepButton\n"
                               "expect shapes 1\n"
                               "expect selected 1\n"
                               "wait 0.1\n"
                               "answer cancel\n"
                               "command New Scene\n"
                               "expect shapes 1\n"
                               "expect modified yes\n"
                               "answer discard\n"
                               "command New Scene\n"
                               "expect modified no\n"
                               "expect shapes 0\n"
                               "command Trivane Format\n"
                               "expect message Disabled due to VFTriangleMesh switch\n");
    EXPECT_TRUE(run.ok) << run.error;
    EXPECT_EQ(800, view.GetWidth());
}

TEST(ReplayScript, ABadLineStopsTheRunAndNamesIt)
{
    struct Row {
        const char* line;
        const char* reason;
    };
    const Row rows[] = {
        {"fly away", "unknown action \"fly\""},
        {"size 0 600", "expected \"size W H (1 to 8192)\""},
        {"size 1e30 5", "expected \"size W H (1 to 8192)\""},
        {"press left 10", "expected \"press|release left|middle|right X Y [alt]\""},
        {"move 1e9 0", "expected \"move X Y\""},
        {"drag 1 2 3", "expected \"drag X1 Y1 X2 Y2 [X Y ...]\""},
        {"ellipse 10 10 -5 5", "expected \"ellipse CX CY RX RY\""},
        {"key ab", "expected \"key C (one character)\""},
        {"wait nan", "expected \"wait SECONDS (0 to 600)\""},
        {"command No Such Command", "no enabled handler for \"No Such Command\""},
        {"command Undo", "no enabled handler for \"Undo\""},
        {"hud NoSuchButton", "no HUD button \"NoSuchButton\" is shown"},
        {"expect shapes 3", "expected 3 shapes, found 0"},
        {"screenshot x.png", "screenshots need a window"},
        {"capture", "expected \"capture PATH [TITLE]\""},
        {"capture x.png Gestures and Keys", "captures need a window"},
        {"colour 2 0 0", "expected \"colour R G B (each 0 to 1)\""},
        {"expect parameter Radius", "no parameter panel to read"},
        {"expect item RootNode1", "no tree panel to read"},
        {"edit Radius", "expected \"edit NAME = TEXT\""},
        {"edit Radius 2", "no parameter panel to edit"},
        {"remember Radius", "no parameter panel to read"},
        {"expect changed Radius", "\"Radius\" was not remembered"},
        {"answer perhaps", "expected \"answer yes|no|cancel|save|discard\""},
        {"expect modified maybe", "expected \"expect modified yes|no\""},
        {"expect modified yes", "expected the scene to have unsaved changes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        CViewCore view(CViewCore::Managers::Own);
        ReplayUserInterface ui;
        view.SetUserInterface(&ui);
        const Outcome run =
            Replay(view, ui, std::string("size 320 240\n\n# comment\n") + row.line + "\nsize 640 480\n");
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(std::string("line 4: ") + row.reason, run.error);
        EXPECT_EQ(320, view.GetWidth());  // nothing after the bad line ran
    }
}

TEST(ReplayScript, LeadingAnswersAreQueuedBeforeTheStartHookRuns)
{
    struct Row {
        const char* script;
        int queuedAtStart;  // -1: the hook never ran
    };
    const Row rows[] = {
        {"answer yes\nanswer no\nsize 320 240\nanswer yes\n", 2},
        {"size 320 240\nanswer yes\n", 0},
        {"answer save\n", 1},
        {"", 0},
        {"answer maybe\nsize 320 240\n", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        CViewCore view(CViewCore::Managers::Own);
        ReplayUserInterface ui;
        view.SetUserInterface(&ui);
        ReplayScript script;
        std::string error;
        ASSERT_TRUE(script.Parse(row.script, error));
        int queued = -1, runs = 0;
        ReplayScript::Window window;
        window.start = [&] {
            ++runs;
            queued = 0;
            // Counts the queued answers by taking them.
            while (ui.HasQueuedAnswers()) {
                ui.AskQuestion("q", "t", true);
                ++queued;
            }
        };
        script.Run(view, ui, window, error);
        EXPECT_EQ(row.queuedAtStart, queued);
        EXPECT_EQ(row.queuedAtStart < 0 ? 0 : 1, runs);
    }
}

TEST(ReplayScript, ReadsThePanelsThroughTheWindow)
{
    CViewCore view(CViewCore::Managers::Own);
    ReplayUserInterface ui;
    view.SetUserInterface(&ui);
    ReplayScript::Window window;
    window.parameter = [](const std::string& name, std::string& value) {
        if (name != "Falloff Length") return false;
        value = "0.5 = half";
        return true;
    };
    window.treeItem = [](const std::string& label) { return label == "Ricci Blend 1"; };
    std::string captured;
    window.capture = [&](const std::string& title, const std::string& path, std::string& why) {
        captured = "[" + title + "] " + path;
        if (title == "Nowhere") why = "no window \"Nowhere\" is open";
        return title != "Nowhere";
    };
    struct Row {
        const char* line;
        const char* error;  ///< empty: the run succeeds
    };
    const Row rows[] = {
        {"expect parameter Falloff Length", ""},
        {"expect parameter Falloff Length = 0.5 = half", ""},
        {"expect parameter Falloff Length = 0.5",
         "line 1: the parameter panel shows \"0.5 = half\" for \"Falloff Length\""},
        {"expect parameter Radius = 1", "line 1: the parameter panel has no row \"Radius\""},
        {"expect item Ricci Blend 1", ""},
        {"expect item Ricci", "line 1: the tree panel shows no item \"Ricci\""},
        {"capture main.png", ""},
        {"capture help.png   Gestures and  Keys", ""},
        {"capture x.png Nowhere", "line 1: no window \"Nowhere\" is open"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        ReplayScript script;
        std::string error;
        ASSERT_TRUE(script.Parse(row.line, error)) << error;
        const bool ok = script.Run(view, ui, window, error);
        EXPECT_EQ(row.error[0] == 0, ok);
        if (!ok) {
            EXPECT_EQ(row.error, error);
        }
        // The main window when no title is given; the title as written.
        if (row.line == std::string("capture main.png")) {
            EXPECT_EQ("[] main.png", captured);
        }
        if (row.line == std::string("capture help.png   Gestures and  Keys")) {
            EXPECT_EQ("[Gestures and  Keys] help.png", captured);
        }
    }
}

TEST(ReplayScript, EditsRowsAndComparesWithRememberedValues)
{
    CViewCore view(CViewCore::Managers::Own);
    ReplayUserInterface ui;
    view.SetUserInterface(&ui);
    // A panel that takes positive numbers only, as the parameters do.
    std::map<std::string, std::string> rows = {{"Falloff Length", "0.5"}, {"Position", "0 0 0"}};
    ReplayScript::Window window;
    window.parameter = [&](const std::string& name, std::string& value) {
        const auto row = rows.find(name);
        if (row == rows.end()) return false;
        value = row->second;
        return true;
    };
    window.editParameter = [&](const std::string& name, const std::string& text, std::string& why) {
        const auto row = rows.find(name);
        if (row == rows.end()) {
            why = "the parameter panel has no row \"" + name + "\"";
            return false;
        }
        if (std::atof(text.c_str()) > 0.0) row->second = text;
        return true;
    };
    struct Row {
        const char* script;
        const char* error;  ///< empty: the run succeeds
    };
    const Row cases[] = {
        {"remember Falloff Length\nedit Falloff Length = 0.75\nexpect changed Falloff Length\n"
         "expect parameter Falloff Length = 0.75",
         ""},
        {"remember Falloff Length\nedit Falloff Length = -5\nexpect unchanged Falloff Length", ""},
        {"remember Falloff Length\nedit Falloff Length = banana\nexpect changed Falloff Length",
         "line 3: \"Falloff Length\" shows \"0.5\", as remembered"},
        {"remember Position\nedit Position 1 2 3\nexpect parameter Position = 1 2 3\n"
         "expect unchanged Position",
         "line 4: \"Position\" shows \"1 2 3\", remembered \"0 0 0\""},
        {"edit Radius = 2", "line 1: the parameter panel has no row \"Radius\""},
        {"remember Radius", "line 1: the parameter panel has no row \"Radius\""},
    };
    for (const Row& c : cases) {
        SCOPED_TRACE(c.script);
        rows["Falloff Length"] = "0.5";
        rows["Position"] = "0 0 0";
        ReplayScript script;
        std::string error;
        ASSERT_TRUE(script.Parse(c.script, error)) << error;
        const bool ok = script.Run(view, ui, window, error);
        EXPECT_EQ(c.error[0] == 0, ok) << error;
        if (!ok) {
            EXPECT_EQ(c.error, error);
        }
    }
}

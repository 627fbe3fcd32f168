// The menu and tool bar tables against the commands the view and its
// managers handle, the developer marker, and the recent-file list.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "animation/AnimationManager.h"
#include "animation/AnimationPlayer.h"
#include "scene/SceneManager.h"
#include "tests/support/FifoTestSupport.h"
#include "tests/support/TempFolder.h"
#include "view/MenuTable.h"
#include "view/RecentFileList.h"
#include "view/ViewCore.h"

using vynui::CommandState;
using vynui::CViewCore;
using vynui::MenuEntry;

namespace {

// The document commands are answered by the window's file handling, which
// the view core takes on separately; until it does they show disabled.

std::vector<const MenuEntry*> Commands()
{
    std::vector<const MenuEntry*> commands;
    for (const MenuEntry& entry : vynui::MenuTable())
        if (entry.kind == MenuEntry::Kind::Command) commands.push_back(&entry);
    return commands;
}

}  // namespace

// ---------------------------------------------------------------- menu texts

TEST(MenuTable, CommandTextDropsMnemonicsAndShortcut)
{
    struct Case {
        const char* menu;
        const char* command;
        const char* shortcut;
    } cases[] = {
        {"&Open...\tCtrl+O", "Open...", "Ctrl+O"},
        {"Cu&t\tCtrl+X", "Cut", "Ctrl+X"},
        {"Save &As...", "Save As...", ""},
        {"&About Kilnform...", "About Kilnform...", ""},
        {"Salt && Pepper", "Salt & Pepper", ""},
        {"Trailing &", "Trailing ", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vynui::CommandTextOf(c.menu), c.command) << c.menu;
        EXPECT_EQ(vynui::ShortcutOf(c.menu), c.shortcut) << c.menu;
    }
}

TEST(MenuTable, EntriesAreWellFormed)
{
    std::set<std::string> seen;
    for (const MenuEntry* entry : Commands()) {
        EXPECT_FALSE(entry->path.empty()) << entry->text;
        EXPECT_FALSE(entry->command.empty()) << entry->text;
        EXPECT_EQ(entry->command, vynui::CommandTextOf(entry->text));
        // One action per command: a second entry would be a second action.
        EXPECT_TRUE(seen.insert(entry->command).second) << "twice: " << entry->command;
    }
    const std::vector<std::string> top = vynui::TopLevelMenus();
    const std::vector<std::string> expected = {"File", "Edit",      "Sketch",  "Shapes", "Mesh",
                                               "View", "Animation", "Texture", "Help"};
    EXPECT_EQ(top, expected);
    EXPECT_EQ(vynui::FindMenuCommand("Open...")->shortcut, "Ctrl+O");
    EXPECT_EQ(vynui::FindMenuCommand("About Kilnform...")->path, "Help");
    EXPECT_EQ(vynui::FindMenuCommand("OBJ Format")->path, "File/Export Mesh");
    EXPECT_EQ(vynui::FindMenuCommand("Exit"), nullptr);  // the window's own
}

// ------------------------------------------------- tables against the router

TEST(MenuTable, EveryHandledCommandHasAMenuEntry)
{
    std::vector<std::string> names = CViewCore::ViewCommandNames();
    for (const auto* list : {&vynui::CSceneManager::CommandNames(), &vynui::CAnimationManager::CommandNames(),
                             &vynui::CAnimationPlayer::CommandNames()})
        names.insert(names.end(), list->begin(), list->end());
    for (const char* routed :
         {"Clear Strokes", "Pop Stroke", "Suggest Implicits", "Finer Mesh", "Coarser Mesh",
          "Polygonizer Control", "Show Mesh", "Show Normals", "Wireframe", "Show Selection Surface",
          "NPR Mode", "Point Set Control", "Lighting Control", "Set World Dimensions"})
        names.push_back(routed);
    for (const std::string& name : names) EXPECT_NE(vynui::FindMenuCommand(name), nullptr) << name;
}

TEST(MenuTable, EveryEntryIsHandledOrShownDisabled)
{
    CViewCore view(CViewCore::Managers::Own);
    for (const MenuEntry* entry : Commands()) {
        CommandState state;
        const bool known = view.UpdateCommand(entry->command, state);
        EXPECT_TRUE(known || CViewCore::IsDisabledCommand(entry->command)) << entry->command;
        // A check mark on an entry that cannot show one would be lost.
        if (known && state.checked) {
            EXPECT_TRUE(entry->checkable) << entry->command;
        }
    }
}

TEST(MenuTable, CheckableEntriesFollowTheirToggle)
{
    CViewCore view(CViewCore::Managers::Own);
    // Toggles the view or its managers flip without asking anyone.
    for (const char* command :
         {"Show HUD", "Show Mesh", "Wireframe", "Show Surface Only", "Fast Primitive Mode",
          "Suggest Implicits", "Save Frames", "Perspective Camera", "Toggle CSG Edges"}) {
        const MenuEntry* entry = vynui::FindMenuCommand(command);
        ASSERT_NE(entry, nullptr) << command;
        EXPECT_TRUE(entry->checkable) << command;
        CommandState before, after;
        ASSERT_TRUE(view.UpdateCommand(command, before)) << command;
        ASSERT_TRUE(view.RouteCommand(command)) << command;
        ASSERT_TRUE(view.UpdateCommand(command, after)) << command;
        EXPECT_NE(before.checked, after.checked) << command;
    }
}

TEST(MenuTable, ToolbarButtonsAreMenuCommands)
{
    const std::vector<vynui::ToolbarTable>& bars = vynui::ToolbarTables();
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].commands.front(), "Open...");
    EXPECT_EQ(bars[0].commands.back(), "Cycle Tool");
    for (const vynui::ToolbarTable& bar : bars) {
        EXPECT_FALSE(bar.commands.empty()) << bar.name;
        for (const std::string& command : bar.commands)
            if (!command.empty()) {
                EXPECT_NE(vynui::FindMenuCommand(command), nullptr) << bar.name << ": " << command;
            }
    }
    for (const vynui::ToolbarTable& bar : bars)
        for (const std::string& command : bar.commands) {
            const std::string text = vynui::ToolbarTextOf(command);
            EXPECT_LE(text.size(), 10u) << command;
            if (!command.empty()) {
                EXPECT_FALSE(text.empty()) << command;
            }
        }
    EXPECT_EQ(vynui::ToolbarTextOf("Play"), "Play");
    EXPECT_EQ(vynui::ToolbarIconOf("Cycle Tool"), "screenManip.png");
    EXPECT_EQ(vynui::ToolbarIconOf("Play"), "");
}

// ---------------------------------------------------------- developer menus

TEST(DeveloperMenus, PrunedCommandsAreShapesEntries)
{
    const std::vector<std::string> commands = vynui::DeveloperCommands();
    const std::vector<std::string> expected = {"Interpolating Linear Sweep", "Variational Warp",
                                               "Variational Displacement Map", "Test Linear Sweep Warp"};
    EXPECT_EQ(commands, expected);
    for (const std::string& command : commands)
        EXPECT_EQ(vynui::FindMenuCommand(command)->path.rfind(vynui::DeveloperMenuTitle(), 0), 0u) << command;
    // The demonstration submenu lies under the same menu.
    bool found = false;
    for (const MenuEntry& entry : vynui::MenuTable())
        if (entry.path == vynui::DeveloperMenuTitle() + "/Contour Stack") found = entry.developer;
    EXPECT_TRUE(found);
}

TEST(DeveloperMenus, MarkerNeedsTheCodeAsFirstInteger)
{
    const kftest::TempFolder folder("devmarker");
    const std::string code = std::to_string(vynui::kDeveloperCode);
    struct Case {
        const char* name;
        std::string content;
        bool developer;
    } cases[] = {
        {"exact", code, true},
        {"spaced", "  " + code + "\nnotes\n", true},
        {"other", "1234", false},
        {"prefixed", "x" + code, false},
        {"empty", "", false},
        {"huge", std::string(1 << 16, '9'), false},
        {"overflow", "99999999999999999999999", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vynui::HasDeveloperMarker(folder.Write(c.name, c.content)), c.developer) << c.name;
    EXPECT_FALSE(vynui::HasDeveloperMarker(folder.File("missing")));
    EXPECT_FALSE(vynui::HasDeveloperMarker(folder.Path().string()));  // a folder

    FeedingFifo fifo(folder.File("fifo"), code);
    ASSERT_TRUE(fifo.Made());
    EXPECT_FALSE(vynui::HasDeveloperMarker(fifo.Path()));
    EXPECT_FALSE(fifo.WasOpened());
}

// --------------------------------------------------------- recent-file list

TEST(RecentFileList, KeepsFourNewestWithoutRepeats)
{
    vynui::RecentFileList list;
    for (const char* path : {"/a.xml", "/b.xml", "", "/c.xml", "/a.xml", "/d.xml", "/e.xml"}) list.Add(path);
    const std::vector<std::string> expected = {"/e.xml", "/d.xml", "/a.xml", "/c.xml"};
    EXPECT_EQ(list.Entries(), expected);

    list.Remove("/d.xml");
    list.Remove("/never.xml");
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/e.xml", "/a.xml", "/c.xml"}));

    // An entry handed back in (the menu opens what it lists) moves up intact.
    list.Add(list.Entries()[1]);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/a.xml", "/e.xml", "/c.xml"}));
    list.Remove(list.Entries()[1]);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/a.xml", "/c.xml"}));

    list.Assign({"", "/1.xml", "/1.xml", "/2.xml", "/3.xml", "/4.xml", "/5.xml"});
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/1.xml", "/2.xml", "/3.xml", "/4.xml"}));
}

TEST(RecentFileList, MenuTextNumbersEscapesAndShortens)
{
    vynui::RecentFileList list;
    const std::string deep = "/home/someone/" + std::string(80, 'x') + "/scene.xml";
    list.Add(deep);
    list.Add("/tmp/salt & pepper.xml");
    EXPECT_EQ(list.MenuText(0), "&1 /tmp/salt && pepper.xml");
    const std::string shown = list.MenuText(1);
    EXPECT_EQ(shown.rfind("&2 /home/", 0), 0u) << shown;
    EXPECT_NE(shown.find(".../scene.xml"), std::string::npos) << shown;
    EXPECT_LE(shown.size(), 3u + 60u);
    EXPECT_EQ(list.MenuText(2), "");
}

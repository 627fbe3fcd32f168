#pragma once
// The program's menus and tool bars as plain tables. The main window turns
// each command entry into one action that hands its command text to the
// view's command router; the router and the window never need to agree on
// anything but these texts.

#include <string>
#include <vector>

namespace vynui {

struct MenuEntry {
    enum class Kind {
        Command,        ///< an item routed to the view by its command text
        WindowCommand,  ///< an item the main window handles itself ("Exit")
        Separator,
        RecentFiles,  ///< where the recent-file items go
    };
    Kind kind = Kind::Command;
    /// The menu that holds the entry, submenus after '/' ("File/Export Mesh").
    std::string path;
    /// What the person sees: '&' before the mnemonic, "\t" and the shortcut.
    std::string text;
    /// The router's text: without '&' and without the shortcut.
    std::string command;
    /// "Ctrl+O" or empty.
    std::string shortcut;
    /// Shows a check mark (toggles).
    bool checkable = false;
    /// Removed from the menus unless the developer marker is present.
    bool developer = false;
};

/// Every menu, in order: top-level menus appear in the order their first
/// entry does, submenus where their first entry is.
const std::vector<MenuEntry>& MenuTable();

/// The titles of the top-level menus, in order, as shown (with '&').
std::vector<std::string> TopLevelMenus();

/// The command entry with this command text; null when there is none.
const MenuEntry* FindMenuCommand(const std::string& command);

/// A menu text without its mnemonic marks and shortcut: "Cu&t\tCtrl+X" ->
/// "Cut", "A && B" -> "A & B".
std::string CommandTextOf(const std::string& menuText);
/// The shortcut after the tab of a menu text ("" when there is none).
std::string ShortcutOf(const std::string& menuText);

struct ToolbarTable {
    std::string name;
    /// Command texts in order; an empty text is a separator.
    std::vector<std::string> commands;
};

/// The main, animation and texture tool bars, in docking order.
const std::vector<ToolbarTable>& ToolbarTables();

/// The icon file (under the icons folder) a tool bar button of this command
/// shows; empty when no icon fits and the button shows its text.
std::string ToolbarIconOf(const std::string& command);

/// The short text of a tool bar button (its tool tip is the command):
/// "Show Normals" -> "Normals"; a command without one keeps its text.
std::string ToolbarTextOf(const std::string& command);

// ---- developer menus

/// The code "devbuild.txt" must hold for the developer menus to stay.
constexpr int kDeveloperCode = 5417;

/// True when the file at path is a regular, small file whose first integer
/// equals kDeveloperCode. Never blocks on a FIFO or reads a huge file.
bool HasDeveloperMarker(const std::string& path);

/// The top-level menu the developer entries are pruned from ("Shapes").
const std::string& DeveloperMenuTitle();
/// Commands removed from it without the marker.
std::vector<std::string> DeveloperCommands();
/// Its demonstration-model submenus ("Contour Stack"), removed as a whole.
std::vector<std::string> DemonstrationSubmenus();

}  // namespace vynui

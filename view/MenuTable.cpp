#include "view/MenuTable.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <utility>

namespace vynui {

namespace {

MenuEntry Item(const char* path, const char* text)
{
    MenuEntry entry;
    entry.path = path;
    entry.text = text;
    entry.command = CommandTextOf(text);
    entry.shortcut = ShortcutOf(text);
    return entry;
}

MenuEntry Check(const char* path, const char* text)
{
    MenuEntry entry = Item(path, text);
    entry.checkable = true;
    return entry;
}

MenuEntry Developer(const char* path, const char* text)
{
    MenuEntry entry = Item(path, text);
    entry.developer = true;
    return entry;
}

MenuEntry Window(const char* path, const char* text)
{
    MenuEntry entry = Item(path, text);
    entry.kind = MenuEntry::Kind::WindowCommand;
    return entry;
}

MenuEntry Separator(const char* path)
{
    MenuEntry entry;
    entry.kind = MenuEntry::Kind::Separator;
    entry.path = path;
    return entry;
}

MenuEntry RecentFiles(const char* path)
{
    MenuEntry entry;
    entry.kind = MenuEntry::Kind::RecentFiles;
    entry.path = path;
    return entry;
}

std::vector<MenuEntry> BuildMenuTable()
{
    return {
        Item("File", "&New\tCtrl+N"),
        Item("File", "&Open...\tCtrl+O"),
        Item("File", "&Save\tCtrl+S"),
        Item("File", "Save &As..."),
        Separator("File"),
        Item("File", "New Scene"),
        Item("File", "Import Mesh"),
        Item("File", "Export Selection"),
        Item("File/Export Mesh", "OBJ Format"),
        Item("File/Export Mesh", "STL Format"),
        Item("File/Export Mesh", "COLLADA Format"),
        Item("File/Export Mesh", "glTF Binary Format"),
        Item("File/Export Mesh", "PLY Format"),
        Item("File/Export Mesh", "Trivane Format"),
        Separator("File/Export Mesh"),
        Item("File/Export Mesh", "Set World Dimensions"),
        Item("File", "Export Texture"),
        Separator("File"),
        RecentFiles("File"),
        Separator("File"),
        Window("File", "E&xit"),

        Item("Edit", "&Undo\tCtrl+Z"),
        Item("Edit", "Redo\tCtrl+Y"),
        Separator("Edit"),
        Item("Edit", "Cu&t\tCtrl+X"),
        Item("Edit", "&Copy\tCtrl+C"),
        Item("Edit", "&Paste\tCtrl+V"),

        Item("Sketch", "Clear Strokes"),
        Item("Sketch", "Pop Stroke"),
        Separator("Sketch"),
        Check("Sketch", "Suggest Implicits"),
        Item("Sketch", "Suggest Texture Decals"),
        Item("Sketch", "Suggest Surface Edits"),
        Separator("Sketch"),
        Item("Sketch", "Sketch Options..."),

        Item("Shapes", "Point"),
        Item("Shapes", "Bezier Curve"),
        Item("Shapes", "Capped Linear Sweep"),
        Item("Shapes", "Revolution"),
        Item("Shapes", "Cubic Curve Sweep"),
        Item("Shapes", "Quadratic Curve Sweep"),
        Developer("Shapes", "Interpolating Linear Sweep"),
        Item("Shapes", "Add Billboard"),
        Separator("Shapes"),
        Item("Shapes/Blend", "Sum Blend"),
        Item("Shapes/Blend", "Ricci Blend"),
        Item("Shapes/CSG", "Min Max CSG Union"),
        Item("Shapes/CSG", "Min Max CSG Intersection"),
        Item("Shapes/CSG", "Min Max CSG Difference"),
        Separator("Shapes/CSG"),
        Item("Shapes/CSG", "Barthe Sharp Union"),
        Item("Shapes/CSG", "Barthe Sharp Intersection"),
        Item("Shapes/CSG", "Barthe Sharp Difference"),
        Item("Shapes/CSG", "Barthe Smooth Difference"),
        Item("Shapes/Warp", "Twist"),
        Item("Shapes/Warp", "Taper"),
        Item("Shapes/Warp", "Bend"),
        Developer("Shapes/Warp", "Variational Warp"),
        Developer("Shapes/Warp", "Variational Displacement Map"),
        Developer("Shapes/Warp", "Test Linear Sweep Warp"),
        Item("Shapes/Operators", "Hollow Operator"),
        Item("Shapes/Operators", "Mirror Operator"),
        Developer("Shapes/Contour Stack", "Pick Contour Stack"),
        Separator("Shapes"),
        Item("Shapes", "Make Part"),
        Item("Shapes", "Insert Hollow Op"),
        Item("Shapes", "Insert Mirror Op"),
        Item("Shapes", "Flip X"),
        Item("Shapes", "Flip Y"),
        Item("Shapes", "Flip Z"),
        Separator("Shapes"),
        Item("Shapes", "Clear Selection"),
        Item("Shapes", "Remove"),

        Item("Mesh", "Finer Mesh"),
        Item("Mesh", "Coarser Mesh"),
        Item("Mesh", "Polygonizer Control"),
        Separator("Mesh"),
        Item("Mesh", "Refine Mesh"),
        Item("Mesh", "Quick Refine"),
        Item("Mesh", "Subdivde the mesh"),
        Separator("Mesh"),
        Check("Mesh", "Toggle Caching"),
        Item("Mesh", "Caching Control"),
        Separator("Mesh"),
        Item("Mesh", "Cycle Tool"),

        Check("View", "Perspective Camera"),
        Item("View/Camera", "Left"),
        Item("View/Camera", "Right"),
        Item("View/Camera", "Top"),
        Item("View/Camera", "Bottom"),
        Item("View/Camera", "Front"),
        Item("View/Camera", "Back"),
        Item("View/Camera", "ThreeQuarter"),
        Separator("View"),
        Check("View", "Show Mesh"),
        Check("View", "Show Normals"),
        Check("View", "Wireframe"),
        Check("View", "Show Selection Surface"),
        Check("View", "Show Surface Only"),
        Check("View", "Show HUD"),
        Check("View", "Fast Primitive Mode"),
        Separator("View"),
        Item("View", "NPR Mode"),
        Check("View", "Toggle Silhouette Rendering"),
        Check("View", "Toggle CSG Edges"),
        Item("View", "Point Set Control"),
        Item("View", "Lighting Control"),
        Separator("View"),
        Check("View", "Field Image"),
        Item("View", "RayTrace"),
        Item("View", "BlobTree Editor"),

        Item("Animation", "Play"),
        Item("Animation", "Stop"),
        Item("Animation", "Rewind"),
        Item("Animation", "Play One Frame"),
        Check("Animation", "Save Frames"),
        Separator("Animation"),
        Item("Animation", "Set Length"),
        Item("Animation", "Set Current Frame"),
        Item("Animation", "Set Keyframe"),
        Item("Animation", "Clear Keyframe"),
        Item("Animation", "Reset Animation"),

        Item("Texture", "Bake Patches"),
        Item("Texture", "Show Texture Patches"),
        Item("Texture", "Refresh Texture Images"),
        Separator("Texture"),
        Item("Texture", "Move Selection To Top"),
        Item("Texture", "Move Selection Up"),
        Item("Texture", "Move Selection Down"),
        Item("Texture", "Move Selection To Bottom"),

        Item("Help", "Gestures and Keys\tF1"),
        Separator("Help"),
        Item("Help", "&About Kilnform..."),
    };
}

}  // namespace

std::string CommandTextOf(const std::string& menuText)
{
    const std::string shown = menuText.substr(0, menuText.find('\t'));
    std::string text;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        // "&&" stands for one '&'; a single '&' marks the next letter.
        if (shown[i] == '&') {
            if (i + 1 < shown.size() && shown[i + 1] == '&') {
                text += '&';
                ++i;
            }
            continue;
        }
        text += shown[i];
    }
    return text;
}

std::string ShortcutOf(const std::string& menuText)
{
    const std::size_t tab = menuText.find('\t');
    return tab == std::string::npos ? std::string() : menuText.substr(tab + 1);
}

const std::vector<MenuEntry>& MenuTable()
{
    static const std::vector<MenuEntry> table = BuildMenuTable();
    return table;
}

std::vector<std::string> TopLevelMenus()
{
    std::vector<std::string> titles;
    for (const MenuEntry& entry : MenuTable()) {
        const std::string top = entry.path.substr(0, entry.path.find('/'));
        if (std::find(titles.begin(), titles.end(), top) == titles.end()) titles.push_back(top);
    }
    return titles;
}

const MenuEntry* FindMenuCommand(const std::string& command)
{
    for (const MenuEntry& entry : MenuTable())
        if (entry.kind == MenuEntry::Kind::Command && entry.command == command) return &entry;
    return nullptr;
}

const std::vector<ToolbarTable>& ToolbarTables()
{
    static const std::vector<ToolbarTable> tables = {
        {"Main",
         {"Open...", "Save", "", "Show Normals", "Wireframe", "Show Mesh", "Show Selection Surface",
          "Toggle Silhouette Rendering", "Perspective Camera", "", "Finer Mesh", "Coarser Mesh",
          "Quick Refine", "Subdivde the mesh", "Toggle Caching", "", "Cycle Tool"}},
        {"Animation",
         {"Rewind", "Play", "Stop", "Set Current Frame", "Set Keyframe", "Bake Patches",
          "Show Texture Patches"}},
        {"Texture",
         {"Move Selection To Top", "Move Selection Up", "Move Selection Down", "Move Selection To Bottom",
          "Refresh Texture Images"}},
    };
    return tables;
}

std::string ToolbarIconOf(const std::string& command)
{
    // Only where a drawn icon says the same thing; the rest show their text.
    if (command == "Cycle Tool") return "screenManip.png";
    return std::string();
}

std::string ToolbarTextOf(const std::string& command)
{
    // The three bars share one row: long menu texts would push the last
    // bars out of sight.
    static const std::pair<const char*, const char*> kShort[] = {
        {"Open...", "Open"},
        {"Show Normals", "Normals"},
        {"Wireframe", "Wire"},
        {"Show Mesh", "Mesh"},
        {"Show Selection Surface", "Selection"},
        {"Toggle Silhouette Rendering", "Silhouette"},
        {"Perspective Camera", "Persp"},
        {"Finer Mesh", "Finer"},
        {"Coarser Mesh", "Coarser"},
        {"Quick Refine", "Refine"},
        {"Subdivde the mesh", "Subdivide"},
        {"Toggle Caching", "Cache"},
        {"Set Current Frame", "Frame"},
        {"Set Keyframe", "Key"},
        {"Bake Patches", "Bake"},
        {"Show Texture Patches", "Patches"},
        {"Move Selection To Top", "Top"},
        {"Move Selection Up", "Up"},
        {"Move Selection Down", "Down"},
        {"Move Selection To Bottom", "Bottom"},
        {"Refresh Texture Images", "Refresh"},
    };
    for (const auto& entry : kShort)
        if (command == entry.first) return entry.second;
    return command;
}

// ---- developer menus

bool HasDeveloperMarker(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    // A FIFO would block the start-up; a marker is a few bytes.
    if (!fs::is_regular_file(fs::status(path, error)) || error) return false;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > 4096) return false;
    std::ifstream in(path);
    long long code = 0;
    if (!(in >> code)) return false;
    return code == kDeveloperCode;
}

const std::string& DeveloperMenuTitle()
{
    static const std::string title = "Shapes";
    return title;
}

std::vector<std::string> DeveloperCommands()
{
    // Every developer entry except those of the demonstration submenus,
    // which go as a whole.
    const std::vector<std::string> demos = DemonstrationSubmenus();
    std::vector<std::string> commands;
    for (const MenuEntry& entry : MenuTable()) {
        if (!entry.developer) continue;
        const std::string menu = entry.path.substr(entry.path.rfind('/') + 1);
        if (std::find(demos.begin(), demos.end(), menu) == demos.end()) commands.push_back(entry.command);
    }
    return commands;
}

std::vector<std::string> DemonstrationSubmenus()
{
    return {"Contour Stack"};
}

}  // namespace vynui

#pragma once
// The file commands of the 3D view over the scene file: "Save" and
// "Save As...", "Export Selection" and "Open...". They ask through the
// user interface and report in its status line, title and message boxes.

#include <functional>
#include <string>

namespace vynui_tex {
class CTextureManager;
}

namespace vynui {

class CSaveLoadManager;
class CSceneManager;
class UserInterface;
class ViewController;

/// What the commands work on (none owned). The manager is told the scene,
/// the view controller and the texture manager before each save or load.
struct SceneFileContext {
    UserInterface* ui = nullptr;
    CSaveLoadManager* files = nullptr;
    CSceneManager* scene = nullptr;
    ViewController* view = nullptr;
    vynui_tex::CTextureManager* textures = nullptr;
    /// Told the path of every scene saved whole or read (recent files).
    std::function<void(const std::string&)> fileUsed;
};

/// Filters of the dialogs, in the user interface's form.
extern const char* const kSceneSaveFilter;
extern const char* const kSceneOpenFilter;

/// "Save" and "Save As...": the save dialog, then the whole scene. True
/// when a file was written (its path in savedPath when given); false when
/// cancelled or on failure (message "Error Saving File").
bool SaveSceneCommand(const SceneFileContext& context, std::string* savedPath = nullptr);
/// The writing half of "Save" for a path already known.
bool SaveSceneFile(const SceneFileContext& context, const std::string& path);
/// "Export Selection": the same dialog, then only the selection.
bool ExportSelectionCommand(const SceneFileContext& context);
/// "Open...": the open dialog, then the file read into the scene, in the
/// current format or, for a ".kfn" path, the older one. True when read.
bool OpenSceneCommand(const SceneFileContext& context);
/// The dialog half of "Open...": false when cancelled.
bool ChooseSceneFileToOpen(const SceneFileContext& context, std::string& path);
/// The reading half of "Open..." for a path already chosen.
bool OpenSceneFile(const SceneFileContext& context, const std::string& path);

}  // namespace vynui

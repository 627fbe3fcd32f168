#include "persist/SceneFileCommands.h"

#include <filesystem>

#include "persist/SaveLoadManager.h"
#include "scene/UserInterface.h"
#include "wml/DeprecatedSerializer.h"

namespace vynui {

const char* const kSceneSaveFilter = "Kilnform SceneXML Files (*.xml);;All Files (*.*)";
const char* const kSceneOpenFilter = "Kilnform Scene Files (*.xml *.kfn);;All Files (*.*)";

namespace {

const char* const kErrorTitle = "Error";

bool Usable(const SceneFileContext& context)
{
    return context.ui && context.files && context.scene;
}

void Prepare(const SceneFileContext& context)
{
    context.files->SetSceneManager(context.scene);
    context.files->SetViewController(context.view);
    context.files->SetTextureManager(context.textures);
}

FileDialogRequest SceneDialog(const char* title, const char* filter)
{
    FileDialogRequest request;
    request.title = title;
    request.defaultExtension = "xml";
    request.fileName = "new.xml";
    request.filter = filter;
    request.askBeforeOverwrite = true;
    return request;
}

bool Write(const SceneFileContext& context, const std::string& path, bool selectionOnly)
{
    if (!Usable(context)) return false;
    Prepare(context);
    context.ui->SetStatusText("Writing File...");
    const bool written = selectionOnly ? context.files->SaveSelection(path) : context.files->SaveScene(path);
    if (!written) {
        context.ui->ShowMessage("Error Saving File", kErrorTitle);
        return false;
    }
    context.ui->SetStatusText("Writing File...Done!");
    if (!selectionOnly && context.fileUsed) context.fileUsed(path);
    return true;
}

bool Save(const SceneFileContext& context, const char* title, bool selectionOnly, std::string* savedPath)
{
    if (!Usable(context)) return false;
    std::string path;
    if (!context.ui->ChooseFileToSave(SceneDialog(title, kSceneSaveFilter), path)) return false;
    if (!Write(context, path, selectionOnly)) return false;
    if (savedPath) *savedPath = path;
    return true;
}

}  // namespace

bool SaveSceneCommand(const SceneFileContext& context, std::string* savedPath)
{
    return Save(context, "Save As", false, savedPath);
}

bool SaveSceneFile(const SceneFileContext& context, const std::string& path)
{
    return Write(context, path, false);
}

bool ExportSelectionCommand(const SceneFileContext& context)
{
    return Save(context, "Export Selection", true, nullptr);
}

bool ChooseSceneFileToOpen(const SceneFileContext& context, std::string& path)
{
    return Usable(context) && context.ui->ChooseFileToOpen(SceneDialog("Open", kSceneOpenFilter), path);
}

bool OpenSceneCommand(const SceneFileContext& context)
{
    std::string path;
    if (!ChooseSceneFileToOpen(context, path)) return false;
    return OpenSceneFile(context, path);
}

bool OpenSceneFile(const SceneFileContext& context, const std::string& path)
{
    if (!Usable(context)) return false;
    Prepare(context);
    if (path.find(".kfn") == std::string::npos) {
        context.ui->SetStatusText("Reading File...");
        if (!context.files->LoadScene(path)) {
            context.ui->ShowMessage("Error Reading File", kErrorTitle);
            return false;
        }
        context.ui->SetStatusText("Reading File...Done!");
        context.ui->SetWindowTitle(std::filesystem::path(path).filename().string());
        if (context.fileUsed) context.fileUsed(path);
        return true;
    }
    WmlDeprecated::Serializer serializer;
    if (!serializer.Read(path.c_str())) {
        context.ui->ShowMessage("Error Loading File", kErrorTitle);
        return false;
    }
    if (!context.files->LoadOldScene(&serializer)) {
        context.ui->ShowMessage("Error Loading Scene", kErrorTitle);
        return false;
    }
    if (context.fileUsed) context.fileUsed(path);
    return true;
}

}  // namespace vynui

#include "view/DroppedFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "implicit/mesh/MeshFiles.h"

namespace vynui {

const char* const kRefusedDropTitle = "Open";

DropAction DecideDrop(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == ".xml" || ext == ".kfn") return DropAction::OpenScene;
    if (!vynmesh::MeshFileType(path).empty()) return DropAction::ImportMesh;
    return DropAction::Refuse;
}

std::string RefusedDropText(const std::string& path)
{
    const std::filesystem::path file(path);
    const std::string ext = file.extension().string();
    const std::string type = ext.empty() ? "files without an extension" : "\"" + ext + "\" files";
    return "Cannot open \"" + file.filename().string() + "\": " + type +
           " are not a type Kilnform opens.\n\nScenes (.xml, .kfn) open; meshes (.obj, .stl, .ply, .glb, "
           ".gltf, .dae) are imported.";
}

}  // namespace vynui

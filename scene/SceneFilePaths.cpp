#include "scene/SceneFilePaths.h"

#include <filesystem>
#include <system_error>

#include "wml/Serializer.h"

namespace vynui {

namespace fs = std::filesystem;

namespace {

// The folder of the scene file a serializer reads or writes, or empty.
fs::path SceneFolder(const Wml::Serializer* serializer)
{
    if (!serializer || serializer->GetFilename().empty()) return fs::path();
    std::error_code ec;
    fs::path file = fs::absolute(fs::path(serializer->GetFilename()), ec);
    if (ec) return fs::path();
    return file.parent_path();
}

}  // namespace

std::string PathForSceneFile(const Wml::Serializer* serializer, const std::string& path)
{
    const fs::path folder = SceneFolder(serializer);
    if (folder.empty() || path.empty()) return path;
    std::error_code ec;
    const fs::path file = fs::absolute(fs::path(path), ec);
    if (ec) return path;
    const fs::path relative = fs::relative(file, folder, ec);
    return !ec && !relative.empty() ? relative.generic_string() : path;
}

std::string PathFromSceneFile(const Wml::Serializer* serializer, const std::string& stored)
{
    const fs::path folder = SceneFolder(serializer);
    const fs::path path(stored);
    if (!path.is_relative() || folder.empty()) return stored;
    return (folder / path).lexically_normal().string();
}

}  // namespace vynui

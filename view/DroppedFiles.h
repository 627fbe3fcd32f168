#pragma once
// What a file dropped on the main window does, by its extension: scene
// files open as "Open..." opens them, mesh files are imported as "Import
// Mesh" imports them, anything else is refused with a message.

#include <string>

namespace vynui {

enum class DropAction { OpenScene, ImportMesh, Refuse };

/// By the extension, in any case: ".xml" and ".kfn" open; ".obj", ".stl",
/// ".ply", ".glb", ".gltf" and ".dae" import; everything else is refused.
DropAction DecideDrop(const std::string& path);

/// The message a refused file gets: it names the file and says its type is
/// not one the program opens.
std::string RefusedDropText(const std::string& path);
extern const char* const kRefusedDropTitle;

}  // namespace vynui

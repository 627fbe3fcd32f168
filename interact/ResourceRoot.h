#pragma once
// Where the program's resource files live: icons under root + "icons/",
// animation frames under root + "animations/".
//
// A file "srcroot.txt" in the working folder, read once, may name the root
// (a trailing '/' is added when missing). Without it the root is the folder
// the build (or the installation) put the icons in.

#include <string>

namespace vynui {

/// The resource root, ending in '/' (empty means the working folder).
const std::string& GetResourceRoot();
/// root + "icons/" + name.
std::string GetIconPath(const std::string& name);
/// root + "animations/".
std::string GetAnimationFolder();

/// Tests and replays point the root elsewhere (a '/' is added when missing);
/// an empty string means the working folder.
void SetResourceRoot(const std::string& root);

}  // namespace vynui

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

/// The root that the text of a "srcroot.txt" names: its first line that is
/// not blank, without surrounding white space, with a '/' added when
/// missing. Empty when the text names no folder (blank, or a line holding a
/// NUL byte).
std::string ResourceRootFromText(const std::string& text);

/// The lookup behind GetResourceRoot, without its cache: the root that the
/// file srcrootFile names when it is a readable regular file that names one,
/// otherwise DefaultResourceRoot(). Never blocks on a FIFO or reads a huge
/// file.
std::string FindResourceRoot(const std::string& srcrootFile);

/// The root without a "srcroot.txt": the installed share folder beside the
/// running program when there is one, else the build tree's resources folder
/// when it exists, else empty.
std::string DefaultResourceRoot();

/// For a program at exePath ("<prefix>/bin/Kilnform"), the installed share
/// folder "<prefix>/share/kilnform/" when that folder exists, else empty.
std::string InstalledResourceRoot(const std::string& exePath);

}  // namespace vynui

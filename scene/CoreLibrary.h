#pragma once
// Identity of the program core (scene, sketch interface, surfaces, files, interaction).

namespace vynui {

/// Name and version of the library, for diagnostics.
const char* LibraryVersion();

}  // namespace vynui

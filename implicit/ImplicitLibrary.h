#pragma once
// Identity of the implicit-field library (fields, polygonizers and meshes).

namespace vynimplicit {

/// Name and version of the library, for diagnostics.
const char* LibraryVersion();

}  // namespace vynimplicit

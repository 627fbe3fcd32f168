#pragma once
// Identity of the sketch library.

namespace vynsketch {

/// Name and version of the library, for diagnostics.
const char* LibraryVersion();

}  // namespace vynsketch

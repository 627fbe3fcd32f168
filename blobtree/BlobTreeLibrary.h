#pragma once
// Identity of the implicit-model tree library.

namespace vynbt {

/// Name and version of the library, for diagnostics.
const char* LibraryVersion();

}  // namespace vynbt

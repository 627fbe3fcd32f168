#pragma once
// The process-wide set of scene-object names. Names are never released: not
// on rename and not when their object is destroyed, so a name identifies at
// most one object over the whole run.

#include <string>

namespace vynui {

/// base followed by the smallest n = 1, 2, 3 ... (no separator) whose result
/// is not registered. Does not register it.
std::string MakeUniqueName(const std::string& base);

/// Registers name; false, changing nothing, when it is already registered.
bool ClaimName(const std::string& name);

/// Whether name is registered.
bool IsNameClaimed(const std::string& name);

}  // namespace vynui

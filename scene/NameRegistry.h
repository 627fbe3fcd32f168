#pragma once
// The process-wide set of scene-object names. Names are never released: not
// on rename and not when their object is destroyed, so a new object never
// gets a name an earlier one had. Which names live objects hold is counted
// apart, so that an object read back from a file or an undo step can take
// the name it was stored with once no live object holds it.

#include <string>

namespace vynui {

/// base followed by the smallest n = 1, 2, 3 ... (no separator) whose result
/// is not registered. Does not register it.
std::string MakeUniqueName(const std::string& base);

/// Registers name; false, changing nothing, when it is already registered.
bool ClaimName(const std::string& name);

/// Whether name is registered.
bool IsNameClaimed(const std::string& name);

/// A live object starts / stops holding name (objects count themselves).
void HoldName(const std::string& name);
void ReleaseName(const std::string& name);
/// Whether a live object holds name.
bool IsNameHeld(const std::string& name);

}  // namespace vynui

#include "implicit/ImplicitLibrary.h"

namespace vynimplicit {

const char* LibraryVersion() { return "vynimplicit 0.5"; }

}  // namespace vynimplicit

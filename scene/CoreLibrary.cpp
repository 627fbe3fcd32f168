#include "scene/CoreLibrary.h"

namespace vynui {

const char* LibraryVersion() { return "kilnform_core 0.5"; }

}  // namespace vynui
